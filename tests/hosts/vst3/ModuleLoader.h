// Loads a plug-in module by file name and finds its exports, as a host does (dlopen on Linux,
// LoadLibrary on Windows). The module stays loaded for the life of the loader.
#pragma once

#include <string>

class ModuleLoader {
 public:
  explicit ModuleLoader(const std::string& path);
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  bool IsLoaded() const noexcept { return mHandle != nullptr; }
  const std::string& Error() const noexcept { return mError; }
  // Null when the module has no such export.
  void* Symbol(const char* name) const;

 private:
  void* mHandle = nullptr;
  std::string mError;
};
