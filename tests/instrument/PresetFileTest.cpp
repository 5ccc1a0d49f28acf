#include "instrument/PresetFile.h"

#include "tests/TestTmp.h"
#include "engine/KernelParams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* kDefaultLine =
    "<Company>Korvel Audio</Company><Product>Sylvane</Product><Version>1.0.0</Version>"
    "<AmpFadeInOut>0.3</AmpFadeInOut><AmpFoliageLevel>0.8</AmpFoliageLevel>"
    "<AmpMainVolume>0.75</AmpMainVolume><AmpWindLevel>0.5</AmpWindLevel>"
    "<ModFoliageStochasticAmt>0.8</ModFoliageStochasticAmt><ModWindStochasticAmt>1</ModWindStochasticAmt>"
    "<SoundfieldAmt>0</SoundfieldAmt><SystemEnergyAmt>0.3</SystemEnergyAmt>"
    "<WindDispersion>0.94</WindDispersion><WindSpeed>0.12</WindSpeed>";

std::string TempFile(const char* name) { return TestTempPath(std::string("preset-") + name); }

TEST(PresetFormat, DefaultValuesGiveTheKnownLine) {
  const double defaults[kPresetElementCount] = {0.3, 0.8, 0.75, 0.5, 0.8, 1.0, 0.0, 0.3, 0.94, 0.12};
  const std::string line = BuildPresetLine(defaults);
  EXPECT_EQ(kDefaultLine, line);
  EXPECT_EQ(452u, line.size());
  EXPECT_EQ(std::string::npos, line.find('\n'));
}

TEST(PresetFormat, ValuesAreWrittenAsADefaultStream) {
  EXPECT_EQ("0.123457", FormatPresetValue(0.123456789));
  EXPECT_EQ("1e-05", FormatPresetValue(0.00001));
  EXPECT_EQ("1", FormatPresetValue(1.0));
  EXPECT_EQ("0", FormatPresetValue(0.0));
  EXPECT_EQ("0.75", FormatPresetValue(0.75));
  EXPECT_EQ("1000", FormatPresetValue(1000.0));
  EXPECT_EQ("1e+06", FormatPresetValue(1000000.0));
  EXPECT_EQ("-0.5", FormatPresetValue(-0.5));
  // A float-converted 0.3 prints back as 0.3.
  EXPECT_EQ("0.3", FormatPresetValue(static_cast<double>(0.3f)));
}

TEST(PresetFormat, ElementsAreFoundByPlainTextSearch) {
  PresetValue values[kPresetElementCount];
  std::string error;
  ASSERT_EQ(10, ParsePresetLine(kDefaultLine, values, error));
  EXPECT_TRUE(error.empty());
  for (int i = 0; i < kPresetElementCount; ++i) EXPECT_EQ(kPresetElements[i].paramIndex, values[i].paramIndex);
  EXPECT_EQ(0.3f, values[0].value);
  EXPECT_EQ(0.12f, values[9].value);

  // Only one element, in any order, with text around it; duplicates use the first occurrence.
  const std::string line =
      "junk<WindSpeed>0.5</WindSpeed> more <AmpWindLevel> 2e-1xyz</AmpWindLevel><WindSpeed>0.9</WindSpeed>";
  ASSERT_EQ(2, ParsePresetLine(line, values, error));
  EXPECT_EQ(kAmpWindLevel, values[0].paramIndex);
  EXPECT_EQ(0.2f, values[0].value);
  EXPECT_EQ(kWindSpeed, values[1].paramIndex);
  EXPECT_EQ(0.5f, values[1].value);

  // A missing closing tag skips the element.
  EXPECT_EQ(0, ParsePresetLine("<WindSpeed>0.5<WindSpeed>", values, error));
  EXPECT_TRUE(error.empty());
}

TEST(PresetFormat, ConversionErrorsStopAtTheFailingElement) {
  PresetValue values[kPresetElementCount];
  std::string error;
  // AmpFadeInOut converts, AmpFoliageLevel has no number: the later WindSpeed is never reached.
  const std::string bad = "<AmpFadeInOut>0.1</AmpFadeInOut><AmpFoliageLevel>abc</AmpFoliageLevel>"
                          "<WindSpeed>0.5</WindSpeed>";
  const char* stoppedAt = nullptr;
  EXPECT_EQ(1, ParsePresetLine(bad, values, error, &stoppedAt));
  EXPECT_EQ("invalid stof argument", error);
  EXPECT_STREQ("AmpFoliageLevel", stoppedAt);
  EXPECT_EQ(0.1f, values[0].value);

  for (const char* text : {"1e999", "-1e999", "1e39", "nan", "inf", "-INF"}) {
    error.clear();
    const std::string line = std::string("<AmpFadeInOut>0.25</AmpFadeInOut><AmpWindLevel>") + text + "</AmpWindLevel>";
    const char* stoppedAt = nullptr;
    EXPECT_EQ(1, ParsePresetLine(line, values, error, &stoppedAt)) << text;
    EXPECT_EQ("stof argument out of range", error) << text;
    EXPECT_STREQ("AmpWindLevel", stoppedAt) << text;
  }
  error.clear();
  EXPECT_EQ(0, ParsePresetLine("<WindSpeed></WindSpeed>", values, error));
  EXPECT_EQ("invalid stof argument", error);
  // Closing tag ahead of the opening tag: nothing between them.
  error.clear();
  EXPECT_EQ(0, ParsePresetLine("</WindSpeed><WindSpeed>0.5", values, error));
  EXPECT_EQ("invalid stof argument", error);
}

TEST(PresetFormat, TheLastLineWithContentCounts) {
  const std::string line = kDefaultLine;
  const struct {
    std::string content, expected;
  } cases[] = {
      {line, line},
      {"first\nsecond\n" + line, line},
      {line + "\n", line},  // saved by a text editor
      {line + "\r\n", line},
      {line + "\n \t\r\n\n", line},
      {"old\r\n" + line + "\r\n", line},
      {line + "\nlast", "last"},
      {" \t" + line, " \t" + line},  // leading blanks are the line's own
      {"\n\r\n \n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, PresetLastLine(c.content)) << c.content;

  const std::string path = TempFile("lines.sylvanepreset");
  ASSERT_TRUE(WritePresetFile(path, "first\n" + line + "\r\n"));
  std::string read;
  ASSERT_TRUE(ReadPresetLastLine(path, read));
  EXPECT_EQ(line, read);
  std::remove(path.c_str());
  EXPECT_FALSE(ReadPresetLastLine(path, read));
}

TEST(PresetFormat, OnlyRegularFilesOfBoundedSizeAreRead) {
  const std::string exact = TempFile("exact.sylvanepreset");
  const std::string over = TempFile("over.sylvanepreset");
  std::string content = "<WindSpeed>0.25</WindSpeed>";
  content.resize(kPresetFileLimit, 'x');
  ASSERT_TRUE(WritePresetFile(exact, content));
  ASSERT_TRUE(WritePresetFile(over, content + "x"));
  const std::string folder = TempFile("folder.sylvanepreset");
  fs::create_directories(folder);
  const struct {
    std::string path;
    FileReadStatus status;
    int count;
  } cases[] = {
      {exact, FileReadStatus::Ok, 1},
      {over, FileReadStatus::TooLarge, 0},
      {TempFile("missing.sylvanepreset"), FileReadStatus::CannotOpen, 0},
      {folder, FileReadStatus::NotRegular, 0},
  };
  for (const auto& c : cases) {
    const PresetFileCheck check = CheckPresetFile(c.path);
    EXPECT_EQ(c.status, check.status) << c.path;
    EXPECT_EQ(c.count, check.count) << c.path;
  }
  std::remove(exact.c_str());
  std::remove(over.c_str());
  fs::remove(folder);
}

TEST(PresetFormat, CheckNamesWhatStoppedTheRead) {
  const std::string path = TempFile("check.sylvanepreset");
  const struct {
    std::string content;
    int count;
    const char* stoppedAt;
    bool holdsNul;
  } cases[] = {
      {kDefaultLine, 10, nullptr, false},
      {"<AmpFadeInOut>0.1</AmpFadeInOut><WindSpeed>fast</WindSpeed>", 1, "WindSpeed", false},
      {"<AmpFadeInOut>x</AmpFadeInOut><WindSpeed>0.5</WindSpeed>", 0, "AmpFadeInOut", false},
      {"no preset here", 0, nullptr, false},
      {std::string("<\0W\0i\0n\0d\0", 10), 0, nullptr, true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WritePresetFile(path, c.content));
    const PresetFileCheck check = CheckPresetFile(path);
    EXPECT_EQ(FileReadStatus::Ok, check.status);
    EXPECT_EQ(c.count, check.count) << c.content;
    EXPECT_STREQ(c.stoppedAt, check.stoppedAt) << c.content;
    EXPECT_EQ(c.stoppedAt ? "invalid stof argument" : "", check.error) << c.content;
    EXPECT_EQ(c.holdsNul, check.holdsNul) << c.content;
  }
  std::remove(path.c_str());
}

TEST(PresetFormat, DisplayNameDropsFoldersAndExtension) {
  EXPECT_EQ("My Wind", PresetDisplayName("C:/Users/Public/Documents/My Wind.sylvanepreset"));
  EXPECT_EQ("My Wind", PresetDisplayName("C:\\Presets\\My Wind.sylvanepreset"));
  EXPECT_EQ("archive.tar", PresetDisplayName("/x/archive.tar.gz"));
  EXPECT_EQ("noext", PresetDisplayName("noext"));
  EXPECT_EQ("", PresetDisplayName("/folder/"));
  const std::string forty(40, 'a');
  EXPECT_EQ(std::string(35, 'a') + "...", PresetDisplayName("/p/" + forty + ".sylvanepreset"));
  const std::string thirtyFive(35, 'b');
  EXPECT_EQ(thirtyFive, PresetDisplayName(thirtyFive + ".sylvanepreset"));
}

TEST(PresetFormat, SavingReplacesTheFileAndLeavesNothingElse) {
  const std::string folder = TempFile("replace");
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string path = folder + "/p.sylvanepreset";
  ASSERT_TRUE(WritePresetFile(path, "old, longer content"));
  ASSERT_TRUE(WritePresetFile(path, "new"));
  std::string read;
  ASSERT_TRUE(ReadPresetLastLine(path, read));
  EXPECT_EQ("new", read);
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));

  // A folder in the way, or no folder at all: nothing written, nothing left behind.
  EXPECT_FALSE(WritePresetFile(folder, "x"));
  EXPECT_FALSE(WritePresetFile(folder + "/missing/x.sylvanepreset", "x"));
  EXPECT_FALSE(WritePresetFile("", "x"));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  fs::remove_all(folder);
}

}  // namespace
