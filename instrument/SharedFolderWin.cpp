#include "instrument/SharedFolder.h"

#include <algorithm>

#include <windows.h>
#include <shlobj.h>

// The documents folder shared by all users (CSIDL_COMMON_DOCUMENTS).
std::string SharedDocumentsFolder() {
  constexpr int kCommonDocuments = 46;
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, kCommonDocuments, nullptr, 0, path) != S_OK) return std::string();
  return path;
}

std::string NativeSeparators(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
