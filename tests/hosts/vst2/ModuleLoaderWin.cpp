#include "tests/hosts/vst2/ModuleLoader.h"

#include <windows.h>

#include <algorithm>

LoadedModule::LoadedModule(const std::string& path) {
  // The build tree's paths are Unix paths; Wine shows the Unix root as drive Z.
  std::string windowsPath = path;
  if (!windowsPath.empty() && windowsPath[0] == '/') windowsPath = "Z:" + windowsPath;
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  HMODULE module = LoadLibraryA(windowsPath.c_str());
  mHandle = reinterpret_cast<void*>(module);
  if (!module) mError = "LoadLibrary failed for " + windowsPath + ", error " + std::to_string(GetLastError());
}

LoadedModule::~LoadedModule() {
  if (mHandle) FreeLibrary(static_cast<HMODULE>(mHandle));
}

void* LoadedModule::Symbol(const char* name) const {
  return mHandle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(mHandle), name)) : nullptr;
}
