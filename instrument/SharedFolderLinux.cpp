#include "instrument/SharedFolder.h"

#include <cstdlib>
#include <fstream>

namespace {

// The documents folder the desktop configured in user-dirs.dirs
// (XDG_DOCUMENTS_DIR="$HOME/Documents"), or the empty text.
std::string ConfiguredDocumentsFolder(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file = (config && *config ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=\"";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    const size_t end = line.find('"', key.size());
    if (end == std::string::npos) return std::string();
    std::string value = line.substr(key.size(), end - key.size());
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    // A desktop that has no documents folder points it at the home folder itself.
    return value.empty() || value[0] != '/' || value == home || value == home + "/" ? std::string() : value;
  }
  return std::string();
}

}  // namespace

// Linux has no documents folder shared by all users that a user may write to, so the library
// lives in the user's own documents folder: $SYLVANE_DOCUMENTS_DIR when set (tests and
// packaging use it), else $XDG_DOCUMENTS_DIR, else the desktop's configured documents folder,
// else $HOME/Documents.
std::string SharedDocumentsFolder() {
  for (const char* variable : {"SYLVANE_DOCUMENTS_DIR", "XDG_DOCUMENTS_DIR"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::string();
  const std::string configured = ConfiguredDocumentsFolder(home);
  return configured.empty() ? std::string(home) + "/Documents" : configured;
}

std::string NativeSeparators(std::string path) { return path; }
