#include "ModuleLoader.h"

#include <windows.h>

#include <algorithm>

ModuleLoader::ModuleLoader(const std::string& path) {
  // The build hands us a Unix path; under Wine the Unix root is drive Z:.
  std::string winPath = path;
  if (!winPath.empty() && winPath[0] == '/') winPath = "Z:" + winPath;
  std::replace(winPath.begin(), winPath.end(), '/', '\\');
  HMODULE module = LoadLibraryA(winPath.c_str());
  if (module == nullptr) mError = "LoadLibrary failed, error " + std::to_string(GetLastError());
  mHandle = reinterpret_cast<void*>(module);
}

ModuleLoader::~ModuleLoader() {
  if (mHandle != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(mHandle));
}

void* ModuleLoader::Symbol(const char* name) const {
  return mHandle ? reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(mHandle), name)) : nullptr;
}
