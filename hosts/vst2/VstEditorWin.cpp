#include "hosts/vst2/VstEditorPlatform.h"

#include "gui/IGraphicsWin.h"

bool IsEditorWindowLayer(IGraphics* graphics) noexcept { return dynamic_cast<IGraphicsWin*>(graphics) != nullptr; }

void EditorIdle(IGraphics* /*graphics*/) {}
