// The redraw cycle: dirty-rectangle union, strict and non-strict drawing, clean marking.
#include "tests/gui/GuiTestSupport.h"

#include "tests/core/AllocationCounter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>

namespace {

class Redraw : public ::testing::Test {
 protected:
  void SetUp() override {
    g = std::make_unique<IGraphicsOffscreen>(&plug, 300, 300);
    const GuiRect rects[] = {{0, 0, 300, 300}, {10, 20, 60, 70}, {50, 5, 120, 40}, {200, 200, 250, 290},
                             {100, 100, 150, 150}};
    const char* names[] = {"bg", "a", "b", "c", "d"};
    for (int i = 0; i < 5; ++i) {
      controls[i] = static_cast<LogControl*>(g->AddControl(new LogControl(&plug, rects[i], -1, &events, names[i])));
    }
    CleanAll();
  }
  void CleanAll() {
    for (LogControl* c : controls) {
      c->MarkClean();
      c->MarkClean();  // also the redraw asked for after this one
    }
    events.clear();
  }

  GuiTestPlug plug;
  std::unique_ptr<IGraphicsOffscreen> g;
  LogControl* controls[5] = {};
  std::vector<std::string> events;
};

TEST_F(Redraw, DirtyRectangleIsTheUnionOfDirtyControls) {
  struct Case {
    std::vector<int> dirty;
    bool hideFirst;
    GuiRect expected;
  };
  const Case cases[] = {
      {{1}, false, {10, 20, 60, 70}},
      {{1, 2}, false, {10, 5, 120, 70}},
      {{2, 3}, false, {50, 5, 250, 290}},
      {{3}, true, {200, 200, 250, 290}},  // hidden controls count too
  };
  for (const Case& c : cases) {
    CleanAll();
    for (int i : c.dirty) controls[i]->MarkDirty(false);
    if (c.hideFirst) controls[c.dirty[0]]->SetHidden(true);
    GuiRect r;
    EXPECT_TRUE(g->CollectDirtyRect(r));
    EXPECT_EQ(c.expected, r);
    controls[c.dirty[0]]->SetHidden(false);
  }
  CleanAll();
  GuiRect untouched{1, 2, 3, 4};
  EXPECT_FALSE(g->CollectDirtyRect(untouched));
  EXPECT_EQ((GuiRect{1, 2, 3, 4}), untouched);
  controls[4]->MarkDirty(false);
  EXPECT_TRUE(g->CollectDirtyRect(untouched));  // unions with what it is given
  EXPECT_EQ((GuiRect{1, 2, 150, 150}), untouched);
}

TEST_F(Redraw, StrictDrawsWhatOverlapsAndMarksEveryControlClean) {
  controls[3]->SetHidden(true);
  controls[3]->MarkClean();  // hiding asks for two redraws
  controls[3]->MarkClean();
  controls[4]->MarkDirty(false);
  controls[1]->ApplyPlugValue(0.5);  // first value: default only, no redraw
  controls[1]->ApplyPlugValue(0.7);  // asks for one more redraw after the next clean
  events.clear();
  ASSERT_TRUE(g->DrawRect(GuiRect{0, 0, 60, 60}));
  // b starts at x 50 (inside), d at 100 (outside), c is hidden.
  EXPECT_EQ((std::vector<std::string>{"bg draw", "a draw", "b draw"}), events);
  EXPECT_EQ(1, g->PresentCount());
  EXPECT_EQ((GuiRect{0, 0, 60, 60}), g->LastPresented());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(i == 1, controls[i]->NeedsRedraw()) << i;
  events.clear();
  EXPECT_TRUE(g->RedrawCycle());
  EXPECT_FALSE(g->RedrawCycle());
  EXPECT_EQ((std::vector<std::string>{"bg draw", "a draw", "b draw"}), events);  // a's rect touches b's
}

TEST_F(Redraw, NonStrictDrawsEachDirtyControlWithWhatOverlapsIt) {
  g->SetStrictDrawing(false);
  controls[4]->MarkDirty(false);
  controls[2]->MarkDirty(false);
  g->DrawRect(GuiRect{0, 0, 300, 300});
  EXPECT_EQ((std::vector<std::string>{"bg draw", "a draw", "b draw", "bg draw", "d draw"}), events);
  for (LogControl* c : controls) EXPECT_FALSE(c->NeedsRedraw());

  CleanAll();
  controls[0]->MarkDirty(false);
  controls[3]->SetHidden(true);
  events.clear();
  g->DrawRect(GuiRect{0, 0, 300, 300});
  EXPECT_EQ((std::vector<std::string>{"bg draw", "a draw", "b draw", "d draw"}), events);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(i == 3, controls[i]->NeedsRedraw()) << i;  // hiding's second redraw
}

TEST(RedrawEmpty, ASurfaceWithoutControlsPresentsNothing) {
  GuiTestPlug plug;
  IGraphicsOffscreen g(&plug, 10, 10);
  EXPECT_TRUE(g.DrawRect(GuiRect{0, 0, 10, 10}));
  EXPECT_EQ(0, g.PresentCount());
}

}  // namespace

namespace {

// The plug-in pushes values from its audio thread: no allocation, and no wait on the surface's
// lock even while the UI thread holds it.
TEST(PushFromAudioThread, StoresAndFlagsWithoutAllocatingOrWaiting) {
  GuiTestPlug plug;
  plug.GetParam(3)->DeclareContinuous("Level", 0.0, 0.0, 100.0, 0.01, "", 2.0);
  IGraphicsOffscreen g(&plug, 100, 100);
  std::vector<std::string> events;
  IControl* knob = g.AddControl(new LogControl(&plug, GuiRect{0, 0, 10, 10}, 3, &events, "knob"));
  IControl* follower = g.AddControl(new LogControl(&plug, GuiRect{10, 0, 20, 10}, 7, &events, "follower"));
  follower->AddAuxParam(3);
  knob->ApplyPlugValue(0.9);  // the first values only set the defaults
  follower->ApplyPlugValue(0.9);
  for (int i = 0; i < 2; ++i) {
    knob->MarkClean();
    follower->MarkClean();
  }

  std::unique_lock<std::mutex> uiHoldsTheLock(g.SurfaceLock());
  auto pushed = std::async(std::launch::async, [&] {
    StartCountingAllocations();
    g.PushParamToControls(3, 25.0, false);  // plain: sqrt(25 / 100)
    g.PushParamToControls(7, 0.125, true);
    return StopCountingAllocations();
  });
  const bool finished = pushed.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  uiHoldsTheLock.unlock();
  ASSERT_TRUE(finished) << "the push waited for the surface lock";
  EXPECT_EQ(0, pushed.get());
  EXPECT_DOUBLE_EQ(0.5, knob->Value());
  EXPECT_DOUBLE_EQ(0.5, follower->AuxParamAt(0)->value.load());
  EXPECT_DOUBLE_EQ(0.125, follower->Value());
  EXPECT_TRUE(knob->NeedsRedraw());
  EXPECT_TRUE(follower->NeedsRedraw());
  EXPECT_TRUE(plug.notifiedValues.empty());
}

}  // namespace
