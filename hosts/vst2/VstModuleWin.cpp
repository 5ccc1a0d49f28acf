// Windows: every loader notification hands the module's own handle (always the same one); the
// editor surfaces load the module's images through it.
#include "gui/EditorGraphicsFactory.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  SetEditorGraphicsModule(instance);
  return TRUE;
}
