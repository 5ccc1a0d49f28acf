// Preset files against what only a POSIX system offers: FIFOs, devices and a file-size limit
// that makes a write fail half-way.
#include "instrument/PresetFile.h"
#include "instrument/RegularFile.h"

#include "tests/TestTmp.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

// Without the regular-file check each of these would block or read forever.
TEST(RegularFileLinux, DevicesAndFifosAreRefusedWithoutBlocking) {
  const std::string fifo = TestTempPath("preset.fifo");
  std::remove(fifo.c_str());
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    std::string line = "stale";
    EXPECT_FALSE(ReadPresetLastLine(path, line)) << path;
    EXPECT_EQ(FileReadStatus::NotRegular, CheckPresetFile(path).status) << path;
    EXPECT_EQ(PathKind::Other, GetPathKind(path)) << path;
  }
  // Saving over a FIFO would block in the old code and replace it with a file in a naive rename.
  EXPECT_FALSE(WritePresetFile(fifo, "x"));
  struct stat info {};
  ASSERT_EQ(0, stat(fifo.c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  std::remove(fifo.c_str());
}

TEST(RegularFileLinux, AFailedSaveLeavesTheOldPresetWhole) {
  const std::string folder = TestTempPath("failed-save");
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string path = folder + "/keep.sylvanepreset";
  const std::string old(452, 'o');
  ASSERT_TRUE(WritePresetFile(path, old));

  // Writes beyond 100 bytes fail (EFBIG instead of the signal), even for root.
  rlimit saved {};
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  const bool written = WritePresetFile(path, std::string(452, 'n'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(written);
  std::string content;
  ASSERT_EQ(FileReadStatus::Ok, ReadRegularFile(path, 1024, content));
  EXPECT_EQ(old, content);
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));  // no temporary left
  fs::remove_all(folder);
}

TEST(RegularFileLinux, AReplacedFileKeepsItsPermissions) {
  const std::string path = TestTempPath("mode.sylvanepreset");
  ASSERT_TRUE(WritePresetFile(path, "a"));
  ASSERT_EQ(0, chmod(path.c_str(), 0640));
  ASSERT_TRUE(WritePresetFile(path, "b"));
  struct stat info {};
  ASSERT_EQ(0, stat(path.c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777u);
  std::remove(path.c_str());
}

}  // namespace
