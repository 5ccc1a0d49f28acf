// Loads a plug-in module by file name, as a host does, and looks up its exports.
#pragma once

#include <string>

class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool Loaded() const { return mHandle != nullptr; }
  // The export's address, or null.
  void* Symbol(const char* name) const;
  const std::string& Error() const { return mError; }

 private:
  void* mHandle = nullptr;
  std::string mError;
};
