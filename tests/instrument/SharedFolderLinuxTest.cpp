#include "instrument/SharedFolder.h"

#include "tests/TestTmp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {
// Sets environment variables for one test and restores them afterwards.
class Env {
 public:
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    mSaved.push_back({name, old != nullptr, old ? old : ""});
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~Env() {
    for (auto it = mSaved.rbegin(); it != mSaved.rend(); ++it) {
      if (it->had) {
        setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        unsetenv(it->name.c_str());
      }
    }
  }

 private:
  struct Saved {
    std::string name;
    bool had;
    std::string value;
  };
  std::vector<Saved> mSaved;
};

std::string Scratch() {
  std::string path = TestTempPath("shared-folder-home");
  mkdir(path.c_str(), 0755);
  mkdir((path + "/.config").c_str(), 0755);
  return path;
}
}  // namespace

TEST(SharedFolderLinux, ExplicitVariablesComeFirst) {
  Env env;
  env.Set("SYLVANE_DOCUMENTS_DIR", "/srv/docs");
  env.Set("XDG_DOCUMENTS_DIR", "/home/u/Dokumente");
  EXPECT_EQ("/srv/docs", SharedDocumentsFolder());
  env.Set("SYLVANE_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ("/home/u/Dokumente", SharedDocumentsFolder());
}

TEST(SharedFolderLinux, DesktopConfigurationThenHomeDocuments) {
  Env env;
  const std::string home = Scratch();
  env.Set("SYLVANE_DOCUMENTS_DIR", nullptr);
  env.Set("XDG_DOCUMENTS_DIR", nullptr);
  env.Set("XDG_CONFIG_HOME", nullptr);
  env.Set("HOME", home.c_str());
  const std::string dirs = home + "/.config/user-dirs.dirs";

  std::remove(dirs.c_str());
  EXPECT_EQ(home + "/Documents", SharedDocumentsFolder());

  std::ofstream(dirs) << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  EXPECT_EQ(home + "/Dokumente", SharedDocumentsFolder());

  std::ofstream(dirs) << "XDG_DOCUMENTS_DIR=\"$HOME/\"\n";  // disabled: points at home itself
  EXPECT_EQ(home + "/Documents", SharedDocumentsFolder());

  std::ofstream(dirs) << "XDG_DOCUMENTS_DIR=\"/data/papers\n";  // unterminated
  EXPECT_EQ(home + "/Documents", SharedDocumentsFolder());
  std::remove(dirs.c_str());
}
