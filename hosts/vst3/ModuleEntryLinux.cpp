// Linux hosts enter the module through ModuleEntry (with the library's handle) and leave through
// ModuleExit; both only record or forget. Loading the module makes its editors X11 windows.
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsLinux.h"
#include "hosts/vst3/ModuleHandle.h"

#include "pluginterfaces/base/fplatform.h"

namespace {
// Before any instance exists: the factory is read when an instance makes its editor.
const bool gLinuxEditor = (SetEditorGraphicsFactory(&MakeLinuxEditorGraphics), true);
}  // namespace

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
  RecordModuleHandle(sharedLibraryHandle);
  return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit() { return true; }

}  // extern "C"
