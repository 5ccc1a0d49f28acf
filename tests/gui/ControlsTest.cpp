// The controls' own arithmetic and cycles: knobs, switches, contacts, file pickers, prompts.
#include "tests/gui/GuiTestSupport.h"

#include "gui/IBitmapControl.h"
#include "gui/IContactControl.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IKnobMultiControl.h"
#include "gui/ISwitchControl.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < plug.NParams(); ++i) plug.GetParam(i)->DeclareContinuous("P", 0.0, 0.0, 1.0, 0.0001);
    g = new IGraphicsOffscreen(&plug, 1000, 960);
  }
  void Connect() { plug.ConnectEditor(g); }
  static GuiBitmap Strip(int frames) {
    GuiBitmap b;
    b.frames = frames;
    return b;
  }

  GuiTestPlug plug{kApiVst2};
  IGraphicsOffscreen* g = nullptr;  // owned by plug once connected
};

TEST_F(Controls, KnobDragAndWheelMoveByHeightOverGearingAndTenTimesFinerWithShiftOrControl) {
  struct Case {
    KnobDirection dir;
    int dX, dY, wheel;
    bool shift, control;
    double expected;  // from 0.5
  };
  const Case cases[] = {
      {kKnobVertical, 0, -80, 0, false, false, 0.75},  // one height (80) up = 1/4
      {kKnobVertical, 0, -80, 0, true, false, 0.525},
      {kKnobVertical, 0, -80, 0, false, true, 0.525},
      {kKnobVertical, 0, 40, 0, false, false, 0.375},
      {kKnobVertical, 50, 0, 0, false, false, 0.5},    // sideways does not turn a vertical knob
      {kKnobHorizontal, 50, -80, 0, false, false, 0.625},  // width 100
      {kKnobVertical, 0, -400, 0, false, false, 1.0},  // clamped
      {kKnobVertical, 0, 0, 3, false, false, 0.53},
      {kKnobVertical, 0, 0, -2, true, false, 0.498},
      {kKnobVertical, 0, 0, 1, false, true, 0.501},
      {kKnobVertical, 0, 0, -60, false, false, 0.0},
  };
  Connect();
  for (const Case& c : cases) {
    IKnobMultiControl knob(&plug, GuiRect{288, 720, 388, 800}, 3, Strip(29), c.dir, 4.0);
    knob.ApplyPlugValue(0.5);
    MouseMods mods;
    mods.S = c.shift;
    mods.C = c.control;
    if (c.wheel) {
      knob.HandleWheel(0, 0, mods, c.wheel);
    } else {
      knob.HandleMouseDrag(0, 0, c.dX, c.dY, mods);
    }
    EXPECT_NEAR(c.expected, knob.Value(), 1e-12) << c.dX << " " << c.dY << " " << c.wheel;
    ASSERT_FALSE(plug.notifiedValues.empty());
    EXPECT_NEAR(c.expected, plug.notifiedValues.back(), 1e-12);
  }
}

TEST_F(Controls, FramesFollowTheValueFromTopToBottom) {
  struct Case {
    int frames;
    double value;
    int knobFrame, bitmapFrame;
  };
  const Case cases[] = {
      {29, 0.0, 1, 1},   {29, 1.0, 29, 29}, {29, 0.5, 15, 15}, {29, 0.0179, 2, 2},  // 0.0179 x 28 + 0.5 = 1.0
      {29, 0.0178, 1, 1}, {29, -0.3, 1, 1},  {29, 7.0, 29, 29}, {1, 0.9, 1, 1}, {2, 0.5, 2, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.knobFrame, IKnobMultiControl::FrameForValue(c.frames, c.value)) << c.frames << " " << c.value;
    EXPECT_EQ(c.bitmapFrame, IBitmapControl::FrameForValue(c.frames, c.value)) << c.frames << " " << c.value;
  }
}

TEST_F(Controls, SwitchesStepThroughTheirFramesAndWrapContactsSpringBack) {
  struct Case {
    int frames;
    std::vector<double> values;  // after each click from 0
  };
  const Case cases[] = {{1, {1, 0, 1}}, {2, {1, 0, 1}}, {3, {0.5, 1, 0, 0.5}}, {5, {0.25, 0.5, 0.75, 1, 0}}};
  Connect();
  for (const Case& c : cases) {
    ISwitchControl sw(&plug, GuiRect{0, 0, 10, 10}, 4, Strip(c.frames));
    for (size_t k = 0; k < c.values.size(); ++k) {
      if (k % 2) {
        sw.HandleDoubleClick(0, 0, MouseMods());  // a double click is one more click
      } else {
        sw.HandleMouseDown(0, 0, MouseMods());
      }
      EXPECT_DOUBLE_EQ(c.values[k], sw.Value()) << c.frames << " click " << k;
      EXPECT_DOUBLE_EQ(c.values[k], plug.GetParam(4)->Value());
    }
  }
  plug.notifiedValues.clear();
  IContactControl contact(&plug, GuiRect{0, 0, 10, 10}, 10, Strip(1));
  contact.HandleMouseDown(0, 0, MouseMods());
  EXPECT_EQ(1.0, contact.Value());
  contact.HandleMouseUp(0, 0, MouseMods());
  EXPECT_EQ(0.0, contact.Value());
  EXPECT_EQ((std::vector<double>{1.0, 0.0}), plug.notifiedValues);
}

TEST_F(Controls, DoubleClickRestoresTheFirstValueThePlugInSent) {
  Connect();
  IKnobMultiControl knob(&plug, GuiRect{0, 0, 100, 80}, 5, Strip(29));
  knob.HandleDoubleClick(0, 0, MouseMods());  // no default yet: nothing
  EXPECT_TRUE(plug.notifiedValues.empty());
  knob.ApplyPlugValue(0.3);
  knob.ApplyPlugValue(0.9);
  EXPECT_DOUBLE_EQ(0.3, knob.DefaultValue());
  knob.HandleDoubleClick(0, 0, MouseMods());
  EXPECT_DOUBLE_EQ(0.3, knob.Value());
  EXPECT_EQ((std::vector<double>{0.3}), plug.notifiedValues);
}

// Records the picker's state while its dialog is open.
class WatchingSurface : public IGraphicsOffscreen {
 public:
  using IGraphicsOffscreen::IGraphicsOffscreen;
  void AskForFile(std::string& file, int action, std::string& folder, const char* extensions) override {
    statesSeen.push_back(picker->SelectionState());
    IGraphicsOffscreen::AskForFile(file, action, folder, extensions);
  }
  IFileSelectorControl* picker = nullptr;
  std::vector<int> statesSeen;
};

TEST(FilePicker, EachUseTogglesTheValueKeepsThePathAndAsksForOneMoreRedraw) {
  GuiTestPlug plug(kApiVst2);
  plug.GetParam(12)->DeclareContinuous("PresetLoad", 0.0, 0.0, 1.0, 1.0);
  auto* g = new WatchingSurface(&plug, 100, 100);
  auto* picker = static_cast<IFileSelectorControl*>(g->AddControl(new IFileSelectorControl(
      &plug, GuiRect{0, 0, 40, 25}, 12, GuiBitmap(), kFileOpen, "/lib/Presets", "sylvanepreset")));
  g->picker = picker;
  plug.ConnectEditor(g);
  g->QueueFile("/chosen/a.sylvanepreset");
  g->QueueFile("");  // cancelled

  struct Step {
    double value;
    const char* file;
    const char* folderAfter;
    const char* folderAsked;
  };
  const Step steps[] = {{1.0, "/chosen/a.sylvanepreset", "/chosen/", "/lib/Presets"},
                        {0.0, "", "/chosen/", "/chosen/"}};
  for (const Step& s : steps) {
    picker->MarkClean();
    g->Click(5, 5);
    EXPECT_EQ(s.value, picker->Value());
    EXPECT_EQ(s.value, plug.GetParam(12)->Value());
    EXPECT_EQ(s.file, picker->FilePath());
    EXPECT_EQ(s.folderAfter, picker->Folder());
    EXPECT_EQ(s.folderAsked, g->LastFileFolder());
    EXPECT_EQ("sylvanepreset", g->LastFileExtensions());
    EXPECT_EQ(kFileOpen, g->LastFileAction());
    EXPECT_EQ(IFileSelectorControl::kSelected, picker->SelectionState());
    picker->MarkClean();
    EXPECT_TRUE(picker->NeedsRedraw());  // the extra redraw after a selection ...
    EXPECT_EQ(IFileSelectorControl::kIdle, picker->SelectionState());
    EXPECT_FALSE(picker->NeedsRedraw());  // ... only once
  }
  EXPECT_EQ((std::vector<int>{IFileSelectorControl::kSelecting, IFileSelectorControl::kSelecting}), g->statesSeen);
}

TEST(Prompt, RightClickAsksForTheValueAsTextOrFromTheDisplayTexts) {
  struct Case {
    double min, max, step, value;
    bool negate;
    std::vector<const char*> texts;  // display texts 0, 1, ...; makes it an enum
    const char* typedOrChosen;       // text typed, or "" with menuChoice
    int menuChoice;
    const char* shown;               // initial entry text, or the checked item
    double expected;                 // plain value afterwards
  };
  const Case cases[] = {
      {0, 100, 0.01, 9, false, {}, "42.5", -1, "9.00", 42.5},
      {-10, 10, 1, -3.7, false, {}, "4", -1, "-3", 4},     // step 1: precision 0, "%d" truncates
      {-10, 10, 0.1, 2, true, {}, "5", -1, "-2.0", -5},    // negated display, negated entry
      {0, 2, 1, 1, false, {"Off", "Mono", "Wide"}, "", 2, "Mono", 2},
      {0, 2, 1, 1, false, {"Off", "Mono", "Wide"}, "", -1, "Mono", 1},  // dismissed
  };
  for (const Case& c : cases) {
    GuiTestPlug plug(kApiVst2);
    PlugParam* param = plug.GetParam(6);
    param->DeclareContinuous("Param", c.value, c.min, c.max, c.step);
    param->SetValue(c.value);
    param->SetNegateDisplay(c.negate);
    if (!c.texts.empty()) {
      param->SetType(kParamEnum);
      for (size_t i = 0; i < c.texts.size(); ++i) param->SetDisplayText(static_cast<int>(i), c.texts[i]);
    }
    auto* g = new IGraphicsOffscreen(&plug, 200, 200);
    IControl* knob = g->AddControl(new IKnobMultiControl(&plug, GuiRect{20, 20, 120, 100}, 6, GuiBitmap()));
    plug.ConnectEditor(g);
    MouseMods right;
    right.R = true;
    g->HandleMouseDown(50, 50, right);
    EXPECT_DOUBLE_EQ(c.value, param->Value()) << "prompts are off by default";
    knob->SetPromptDisabled(false);
    if (c.texts.empty()) {
      g->QueueTextEntry(c.typedOrChosen);
    } else if (c.menuChoice >= 0) {
      g->QueueMenuChoice({c.menuChoice});
    }
    g->HandleMouseDown(50, 50, right);
    if (c.texts.empty()) {
      EXPECT_EQ(c.shown, g->LastEntryText());
    } else {
      const PopupMenu* menu = g->LastMenuShown();
      ASSERT_NE(nullptr, menu);
      ASSERT_EQ(static_cast<int>(c.texts.size()), menu->NItems());
      for (int i = 0; i < menu->NItems(); ++i) {
        EXPECT_EQ(menu->Item(i)->text == c.shown, (menu->Item(i)->flags & kPopupItemChecked) != 0) << i;
      }
    }
    EXPECT_NEAR(c.expected, param->Value(), 1e-9) << c.typedOrChosen;
  }
}

}  // namespace
