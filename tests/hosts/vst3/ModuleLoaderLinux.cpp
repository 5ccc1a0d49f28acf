#include "ModuleLoader.h"

#include <dlfcn.h>

ModuleLoader::ModuleLoader(const std::string& path) {
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (mHandle == nullptr) mError = dlerror();
}

ModuleLoader::~ModuleLoader() {
  if (mHandle != nullptr) dlclose(mHandle);
}

void* ModuleLoader::Symbol(const char* name) const { return mHandle ? dlsym(mHandle, name) : nullptr; }
