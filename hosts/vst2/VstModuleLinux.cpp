// Loading the Linux module makes its editors X11 windows, before any instance exists.
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsLinux.h"

namespace {
const bool gLinuxEditor = (SetEditorGraphicsFactory(&MakeLinuxEditorGraphics), true);
}  // namespace
