#include "hosts/vst2/VstEditorPlatform.h"

#include "gui/IGraphicsLinux.h"

bool IsEditorWindowLayer(IGraphics* graphics) noexcept { return dynamic_cast<IGraphicsLinux*>(graphics) != nullptr; }

void EditorIdle(IGraphics* graphics) {
  if (auto* window = dynamic_cast<IGraphicsLinux*>(graphics)) {
    window->ProcessEvents();
    window->TimerTick();
  }
}
