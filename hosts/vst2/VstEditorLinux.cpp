#include "hosts/vst2/VstEditorPlatform.h"

#include "gui/IGraphicsLinux.h"

void EditorIdle(IGraphics* graphics) {
  if (auto* window = dynamic_cast<IGraphicsLinux*>(graphics)) {
    window->ProcessEvents();
    window->TimerTick();
  }
}
