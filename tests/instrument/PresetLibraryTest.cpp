#include "instrument/PresetLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(PresetCatalogue, MenuTextsAndFiles) {
  EXPECT_EQ("< Presets Library >", PresetMenuText(0));
  EXPECT_EQ("", PresetRelativeFile(0));
  EXPECT_EQ("Factory/WLCM - Into The Storm.sylvanepreset", PresetRelativeFile(1));
  EXPECT_EQ("Factory/SFX - Foliage (Stochastic).sylvanepreset", PresetRelativeFile(4));
  EXPECT_EQ("Factory/SFX - The Blizzard.sylvanepreset", PresetRelativeFile(6));
  EXPECT_EQ("USR - Sylvane User Preset 001", PresetMenuText(7));
  EXPECT_EQ("User/USR - Sylvane User Preset 025.sylvanepreset", PresetRelativeFile(31));
  EXPECT_EQ("User/USR - Sylvane User Preset 100.sylvanepreset", PresetRelativeFile(106));
  for (int index : {-1, 107, 10000}) {
    EXPECT_EQ("", PresetMenuText(index));
    EXPECT_EQ("", PresetRelativeFile(index));
  }
}

TEST(PresetCatalogue, PathsLiveBelowTheLibraryFolder) {
  const std::string folder = PresetLibraryFolder();
  EXPECT_TRUE(EndsWith(folder, "/KorvelAudio/Sylvane/Presets/")) << folder;
  EXPECT_EQ(std::string::npos, folder.find('\\'));
  EXPECT_EQ(folder + "Factory/SFX - Wind (Stochastic).sylvanepreset", PresetLibraryPath(2));
  EXPECT_EQ(folder, PresetLibraryPath(0));
  EXPECT_EQ(folder, PresetLibraryPath(107));
  EXPECT_LE(PresetLibraryPath(50).size(), static_cast<size_t>(kPresetPathLimit));
}

TEST(PresetCatalogue, MenuPositionsMapToIndices) {
  EXPECT_EQ(0, PresetMenuIndex(-1, 0));
  EXPECT_EQ(1, PresetMenuIndex(-1, 1));
  EXPECT_EQ(-1, PresetMenuIndex(-1, 2));
  EXPECT_EQ(4, PresetMenuIndex(0, 2));     // "SFX - Foliage (Stochastic)"
  EXPECT_EQ(31, PresetMenuIndex(1, 24));   // 25th entry of bank A
  EXPECT_EQ(32, PresetMenuIndex(2, 0));    // first entry of bank B
  EXPECT_EQ(106, PresetMenuIndex(4, 24));
  EXPECT_EQ(-1, PresetMenuIndex(4, 25));
  EXPECT_EQ(-1, PresetMenuIndex(5, 0));
  // Every submenu entry's menu text is the catalogue text of its index.
  int covered = 0;
  for (int s = 0; s < kPresetSubmenuCount; ++s)
    for (int p = 0; p < kPresetSubmenus[s].count; ++p, ++covered)
      EXPECT_FALSE(PresetMenuText(PresetMenuIndex(s, p)).empty());
  EXPECT_EQ(105, covered);
  EXPECT_EQ("SFX - Foliage (Stochastic)", PresetMenuText(PresetMenuIndex(0, 2)));
  EXPECT_EQ("USR - Sylvane User Preset 026", PresetMenuText(PresetMenuIndex(2, 0)));
}

}  // namespace
