// Windows: the loader's attach notification records the module handle and installs the window
// layer as the editors' surface; current hosts call
// InitModule and DeinitModule, which only answer true.
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsWin.h"
#include "hosts/vst3/ModuleHandle.h"

#include "pluginterfaces/base/fplatform.h"

#include <windows.h>

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    RecordModuleHandle(instance);
    SetEditorGraphicsFactory(&CreateWindowsEditorGraphics);  // editors get real windows here
  }
  return TRUE;
}

SMTG_EXPORT_SYMBOL bool InitModule() { return true; }

SMTG_EXPORT_SYMBOL bool DeinitModule() { return true; }

}  // extern "C"
