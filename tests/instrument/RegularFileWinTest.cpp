// Preset files against Windows device names, which open like files but never end or block.
#include "instrument/PresetFile.h"
#include "instrument/RegularFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RegularFileWin, DeviceNamesAreRefused) {
  // NUL opens (and would read as empty); CON opens only with a console, and would then wait for
  // typing. Either way nothing may be read.
  for (const char* path : {"NUL", "\\\\.\\NUL", "CON"}) {
    std::string line = "stale";
    EXPECT_FALSE(ReadPresetLastLine(path, line)) << path;
    EXPECT_NE(FileReadStatus::Ok, CheckPresetFile(path).status) << path;
    EXPECT_NE(PathKind::Regular, GetPathKind(path)) << path;
    EXPECT_FALSE(WritePresetFile(path, "x")) << path;
  }
  EXPECT_EQ(FileReadStatus::NotRegular, CheckPresetFile("NUL").status);
}

}  // namespace
