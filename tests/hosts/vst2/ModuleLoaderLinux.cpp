#include "tests/hosts/vst2/ModuleLoader.h"

#include <dlfcn.h>

LoadedModule::LoadedModule(const std::string& path) {
  // RTLD_LOCAL: the module's symbols must not be needed by, or leak into, the host.
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    const char* error = dlerror();
    mError = error ? error : "dlopen failed";
  }
}

LoadedModule::~LoadedModule() {
  if (mHandle) dlclose(mHandle);
}

void* LoadedModule::Symbol(const char* name) const { return mHandle ? dlsym(mHandle, name) : nullptr; }
