#include "hosts/vst2/VstEditorPlatform.h"


void EditorIdle(IGraphics* /*graphics*/) {}
