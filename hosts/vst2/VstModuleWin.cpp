// Windows: every loader notification hands the module's own handle (always the same one); the
// editor surfaces load the module's images through it. Loading installs the window layer.
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsWin.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  SetEditorGraphicsModule(instance);
  if (reason == DLL_PROCESS_ATTACH) SetEditorGraphicsFactory(&CreateWindowsEditorGraphics);
  return TRUE;
}
