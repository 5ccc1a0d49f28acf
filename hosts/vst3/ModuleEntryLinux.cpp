// Linux hosts enter the module through ModuleEntry (with the library's handle) and leave through
// ModuleExit; both only record or forget, nothing else happens here.
#include "hosts/vst3/ModuleHandle.h"

#include "pluginterfaces/base/fplatform.h"

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
  RecordModuleHandle(sharedLibraryHandle);
  return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit() { return true; }

}  // extern "C"
