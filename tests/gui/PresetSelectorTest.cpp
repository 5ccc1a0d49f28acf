// The preset menu: its contents and the library number each choice stores.
#include "tests/gui/GuiTestSupport.h"

#include "gui/IPopupMenu_PresetSelector.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kSelector = IPopupMenu_PresetSelector::kPresetSelectorParam;

class PresetSelector : public ::testing::Test {
 protected:
  void Build(double max) {
    plug = std::make_unique<GuiTestPlug>(kApiVst3);
    plug->GetParam(kSelector)->DeclareContinuous("PresetSelector", 0.0, 0.0, max, 1.0);
    g = new IGraphicsOffscreen(plug.get(), 1000, 960);
    selector = static_cast<IPopupMenu_PresetSelector*>(
        g->AddControl(new IPopupMenu_PresetSelector(plug.get(), GuiRect{120, 80, 880, 130})));
    plug->ConnectEditor(g);
  }
  void SetUp() override { Build(106.0); }
  // Chooses along path in the menu and returns the stored preset number (-1: nothing happened).
  double Choose(std::vector<int> path) {
    plug->GetParam(kSelector)->SetValue(0.0);
    plug->log.clear();
    g->QueueMenuChoice(std::move(path));
    g->Click(500, 100);
    const bool handled = !plug->log.empty() && plug->log.back() == "change 14";
    return handled ? plug->GetParam(kSelector)->Value() : -1.0;
  }

  std::unique_ptr<GuiTestPlug> plug;
  IGraphicsOffscreen* g = nullptr;
  IPopupMenu_PresetSelector* selector = nullptr;
};

TEST_F(PresetSelector, EveryMenuNumbersItsEntriesFromItsOwnBase) {
  struct Case {
    std::vector<int> path;
    double number;
  };
  const Case cases[] = {
      {{0}, 0},         {{1}, 1},                             // heading and welcome preset
      {{2, 0}, 2},      {{2, 4}, 6},                          // factory: the Blizzard is 6
      {{3, 0}, 7},      {{3, 24}, 31},  {{4, 0}, 32},  {{4, 24}, 56},
      {{5, 0}, 57},     {{5, 24}, 81},  {{6, 0}, 82},  {{6, 24}, 106},  // user preset 100
      {{2}, -1},        {{}, -1},       {{7}, -1},     {{2, 5}, -1},    // heading, dismissed, outside
  };
  for (const Case& c : cases) {
    std::string where;
    for (int p : c.path) where += std::to_string(p) + " ";
    EXPECT_EQ(c.number, Choose(c.path)) << where;
    EXPECT_EQ(-1, g->CapturedControl());
  }
  // Stored as the plain value: the host hears nothing and sees no gesture.
  EXPECT_TRUE(plug->notifiedValues.empty());
}

TEST_F(PresetSelector, ANumberAboveTheParametersMaximumStoresTheMaximum) {
  Build(50.0);
  EXPECT_EQ(50.0, Choose({6, 24}));
  EXPECT_EQ(31.0, Choose({3, 24}));
}

TEST_F(PresetSelector, MenusHoldTheLibraryInOrderWithoutNumbering) {
  const PopupMenu* main = selector->Menu(0);
  ASSERT_EQ(7, main->NItems());
  const char* mainTexts[] = {"< Presets Library >", "WLCM - Into The Storm", "Factory > SFX", "User > User Bank A",
                             "User > User Bank B", "User > User Bank C", "User > User Bank D"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(mainTexts[i], main->Item(i)->text);
    EXPECT_EQ(i >= 2 ? selector->Menu(i - 1) : nullptr, main->Item(i)->submenu);
  }
  const int sizes[] = {7, 5, 25, 25, 25, 25};
  for (int m = 0; m < IPopupMenu_PresetSelector::kNMenus; ++m) {
    EXPECT_EQ(sizes[m], selector->Menu(m)->NItems());
    EXPECT_EQ(0, selector->Menu(m)->PrefixStyle());
    for (int i = 0; i < sizes[m]; ++i) EXPECT_EQ(0, selector->Menu(m)->Item(i)->flags);
  }
  EXPECT_EQ("SFX - The Blizzard", selector->Menu(1)->Item(4)->text);
  EXPECT_EQ("USR - Sylvane User Preset 001", selector->Menu(2)->Item(0)->text);
  EXPECT_EQ("USR - Sylvane User Preset 051", selector->Menu(4)->Item(0)->text);
  EXPECT_EQ("USR - Sylvane User Preset 100", selector->Menu(5)->Item(24)->text);
}

}  // namespace
