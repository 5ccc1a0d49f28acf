// Routing of mouse, wheel and key events: hit search, capture, gestures and the host's menu.
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// 0 background (everything); 1 "a" and 2 "b" overlap; 3 "hidden" covers all; 4 "grey" is greyed
// but takes mouse-over; 5 "knob" is bound to parameter 3. Controls "a" and "b" bind no parameter.
class Surface : public ::testing::Test {
 protected:
  void Build(int api) {
    plug = std::make_unique<GuiTestPlug>(api);
    g = new IGraphicsOffscreen(plug.get(), 200, 200);
    Add(GuiRect{0, 0, 200, 200}, -1, "bg");
    Add(GuiRect{10, 10, 50, 50}, -1, "a");
    Add(GuiRect{30, 30, 70, 70}, -1, "b");
    Add(GuiRect{0, 0, 200, 200}, -1, "hidden")->SetHidden(true);
    LogControl* grey = Add(GuiRect{60, 60, 90, 90}, -1, "grey");
    grey->SetDisabled(true);
    grey->SetMouseOverWhenGreyed(true);
    Add(GuiRect{100, 100, 180, 180}, 3, "knob");
    plug->ConnectEditor(g);
    events.clear();
  }
  LogControl* Add(const GuiRect& r, int param, const char* name) {
    return static_cast<LogControl*>(g->AddControl(new LogControl(plug.get(), r, param, &events, name)));
  }
  void SetUp() override { Build(kApiVst3); }

  std::unique_ptr<GuiTestPlug> plug;
  IGraphicsOffscreen* g = nullptr;
  std::vector<std::string> events;
};

TEST_F(Surface, HitSearchTakesTheTopmostVisibleUngreyedControl) {
  struct Case {
    int x, y;
    bool mouseOver;
    const char* expected;  // first event, "" for none
  };
  const Case cases[] = {
      {40, 40, false, "b down"},     // later controls are hit first
      {20, 20, false, "a down"},
      {50, 50, false, "b down"},     // right and bottom edges are exclusive: a ends at 49
      {10, 10, false, "a down"},     // left and top inclusive
      {80, 80, false, "bg down"},    // greyed is skipped, hidden never hit
      {80, 80, true, "grey over"},   // ... unless it takes mouse-over while greyed
      {195, 5, false, "bg down"},
      {-1, 5, false, ""},
  };
  g->SetHandleMouseOver(true);
  for (const Case& c : cases) {
    events.clear();
    if (c.mouseOver) {
      g->HandleMouseOver(c.x, c.y, MouseMods());
    } else {
      g->HandleMouseDown(c.x, c.y, MouseMods());
      g->HandleMouseUp(c.x, c.y, MouseMods());
    }
    EXPECT_EQ(c.expected, events.empty() ? std::string() : events.front()) << c.x << "," << c.y;
  }
}

TEST_F(Surface, CaptureSendsDragWheelAndReleaseToThePressedControl) {
  g->HandleMouseDown(20, 20, MouseMods());
  EXPECT_EQ(1, g->CapturedControl());
  g->HandleMouseDrag(20, 20, MouseMods());   // no movement, no drag
  g->HandleMouseDrag(25, 12, MouseMods());
  g->HandleMouseDrag(150, 150, MouseMods());  // far outside, still the captured control
  g->HandleWheel(150, 150, MouseMods(), -2);
  g->HandleMouseUp(150, 150, MouseMods());
  EXPECT_EQ(-1, g->CapturedControl());
  g->HandleWheel(150, 150, MouseMods(), 1);   // no capture: the hit control
  EXPECT_EQ((std::vector<std::string>{"a down", "a drag 5,-8", "a drag 125,138", "a wheel -2", "a up",
                                      "knob wheel 1"}),
            events);
}

TEST_F(Surface, GesturesBracketAPressOfABoundControlButNotADoubleClick) {
  g->HandleMouseDown(120, 120, MouseMods());
  g->HandleMouseUp(120, 120, MouseMods());
  g->HandleMouseDown(20, 20, MouseMods());  // no parameter: no gesture
  g->HandleMouseUp(20, 20, MouseMods());
  g->HandleMouseUp(120, 120, MouseMods());  // a release without a press ends nothing
  EXPECT_EQ((std::vector<std::string>{"begin 3", "end 3"}), plug->log);
  EXPECT_EQ((std::vector<std::string>{"knob down", "knob up", "a down", "a up", "knob up"}), events);

  plug->log.clear();
  events.clear();
  EXPECT_FALSE(g->HandleDoubleClick(120, 120, MouseMods()));
  g->GetControl(5)->SetDoubleClickAsSingle(true);
  EXPECT_TRUE(g->HandleDoubleClick(120, 120, MouseMods()));
  EXPECT_EQ(5, g->CapturedControl());
  EXPECT_TRUE(plug->log.empty());
  EXPECT_EQ((std::vector<std::string>{"knob double", "knob down"}), events);
}

TEST_F(Surface, RightClickOnAParameterIsTheHostsUnderVst3Only) {
  struct Case {
    int api;
    bool right;
    int x, y;
    std::vector<std::string> host;
    std::vector<std::string> control;
  };
  const Case cases[] = {
      {kApiVst3, true, 120, 130, {"menu 3 120,130"}, {}},
      {kApiVst3, false, 120, 130, {"begin 3"}, {"knob down"}},
      {kApiVst2, true, 120, 130, {"begin 3"}, {"knob down R"}},
      {kApiVst3, true, 20, 20, {}, {"a down R"}},  // no parameter: the control has it
  };
  for (const Case& c : cases) {
    Build(c.api);
    MouseMods mods;
    mods.R = c.right;
    g->HandleMouseDown(c.x, c.y, mods);
    EXPECT_EQ(c.host, plug->log) << c.api << c.right << c.x;
    EXPECT_EQ(c.control, events) << c.api << c.right << c.x;
    EXPECT_EQ(c.control.empty() ? -1 : (c.x == 120 ? 5 : 1), g->CapturedControl());
    // The release ends only a gesture the press began.
    const bool began = c.host == std::vector<std::string>{"begin 3"};
    g->HandleMouseUp(c.x, c.y, mods);
    EXPECT_EQ(std::count(plug->log.begin(), plug->log.end(), "end 3"), began ? 1 : 0) << c.api << c.right << c.x;
  }
}

TEST_F(Surface, KeysGoToTheControlOrFromTheBackgroundToTheCatcher) {
  EXPECT_TRUE(g->HandleKeyDown(20, 20, kKeySpace));
  static_cast<LogControl*>(g->GetControl(1))->takesKeys = false;
  EXPECT_FALSE(g->HandleKeyDown(20, 20, kKeyUpArrow));
  EXPECT_FALSE(g->HandleKeyDown(195, 5, kKeyDigit0));  // background, no catcher
  g->SetKeyCatcher(new LogControl(plug.get(), GuiRect{}, -1, &events, "catcher"));
  EXPECT_TRUE(g->HandleKeyDown(195, 5, kKeyLetterA));
  EXPECT_TRUE(g->HandleKeyDown(-5, -5, kKeyLetterA + 1));  // nothing hit
  EXPECT_EQ((std::vector<std::string>{"a key 0", "a key 1", "catcher key 15", "catcher key 16"}), events);
}

TEST_F(Surface, MouseOverTellsTheLeftControlAndIsOffByDefault) {
  EXPECT_FALSE(g->HandleMouseOver(20, 20, MouseMods()));
  EXPECT_TRUE(events.empty());
  g->SetHandleMouseOver(true);
  EXPECT_TRUE(g->HandleMouseOver(20, 20, MouseMods()));
  EXPECT_TRUE(g->HandleMouseOver(21, 20, MouseMods()));
  EXPECT_TRUE(g->HandleMouseOver(40, 40, MouseMods()));
  EXPECT_EQ(2, g->MouseOverControl());
  g->HandleMouseOut();
  EXPECT_EQ(-1, g->MouseOverControl());
  EXPECT_EQ((std::vector<std::string>{"a over", "a over", "b over", "a out", "bg out", "a out", "b out",
                                      "hidden out", "grey out", "knob out"}),
            events);
}

}  // namespace
