// The window layers' shared arithmetic and state machines: text entry, redraw step, menu ids,
// wheel and keys, modal-loop contract.
#include "tests/gui/GuiTestSupport.h"

#include "core/PlugParam.h"
#include "gui/EditorWindowCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Records what a text entry hands over; the entry length is settable.
class EntryControl : public IControl {
 public:
  EntryControl(IPlugBase* plug, int paramIdx, int entryLength = 7)
      : IControl(plug, GuiRect{10, 20, 50, 40}, paramIdx) {
    mTextEntryLength = entryLength;
  }
  bool Draw(IGraphics*) override { return true; }
  void ApplyEnteredText(const char* text) override { entered = text; }
  std::string entered = "<none>";
};

TEST(EditorWindowCore, WheelNotchesTruncateAndKeysMapDigitsAndLettersOnly) {
  const int wheel[][2] = {{-120, -1}, {60, 0}, {-60, 0}, {240, 2}, {-359, -2}};
  for (auto& c : wheel) EXPECT_EQ(WheelSteps(c[0]), c[1]) << c[0];
  const int keys[][2] = {{'0', 5}, {'9', 14}, {'A', 15}, {'Z', 40}, {'a', 15}, {'z', 40},
                         {'/', -1}, {':', -1}, {'@', -1}, {'[', -1}, {'`', -1}, {'{', -1}};
  for (auto& c : keys) EXPECT_EQ(KeyCodeForCharacter(c[0]), c[1]) << c[0];
  EXPECT_EQ(EditorTimerPeriodMs(25), 40);
  EXPECT_EQ(EditorTimerPeriodMs(30), 33);
  EXPECT_EQ(EditorTimerPeriodMs(0), 1000);
}

TEST(EditorWindowCore, EntryCharacterFilterFollowsTheParameterType) {
  struct Case {
    ParamType type;
    bool withParam;
    const char* accepted;
    const char* refused;
  };
  const Case cases[] = {
      {kParamInt, true, "+-0123456789\b", ".aZ ,e"},
      {kParamBool, true, "+-09\b", ".x"},
      {kParamEnum, true, "-5\b", ".q"},
      {kParamDouble, true, "+-.09\b", "e,x "},
      {kParamNone, true, "abc.,-1 ", ""},
      {kParamInt, false, "abc.,-1 ", ""},
  };
  GuiTestPlug plug;
  for (const Case& c : cases) {
    PlugParam p;
    p.SetType(c.type);
    EntryControl ctl(&plug, -1);
    TextEntrySession s;
    ASSERT_TRUE(s.Begin(&ctl, c.withParam ? &p : nullptr));
    for (const char* ch = c.accepted; *ch; ++ch) EXPECT_TRUE(s.AcceptsChar(static_cast<unsigned char>(*ch))) << c.type << *ch;
    for (const char* ch = c.refused; *ch; ++ch) EXPECT_FALSE(s.AcceptsChar(static_cast<unsigned char>(*ch))) << c.type << *ch;
  }
}

TEST(EditorWindowCore, TypedTextsClampToTheRangeMatchDisplayTextsAndIgnoreNonNumbers) {
  PlugParam lin;  // -10..10, linear
  lin.DeclareContinuous("Lin", 0.0, -10.0, 10.0, 0.01);
  PlugParam neg = lin;
  neg.SetNegateDisplay(true);
  PlugParam curve;  // 0..4 with shape 2: normalised = sqrt(v / 4)
  curve.DeclareContinuous("Curve", 0.0, 0.0, 4.0, 0.01, "", 2.0);
  PlugParam choice;
  choice.SetType(kParamEnum);
  choice.DeclareContinuous("Choice", 0.0, 0.0, 2.0, 1.0);
  choice.SetDisplayText(0, "Low");
  choice.SetDisplayText(2, "High");
  struct Case {
    const PlugParam* param;
    const char* text;
    bool ok;
    double normalized;
  };
  const Case cases[] = {
      {&lin, "5", true, 0.75},     {&lin, "12.5", true, 1.0},  {&lin, "-99", true, 0.0},
      {&lin, "abc", false, 0.0},   {&lin, "", false, 0.0},     {&lin, "-", false, 0.0},
      {&lin, "inf", false, 0.0},   {&neg, "4", true, 0.3},     {&curve, "1", true, 0.5},
      {&choice, "High", true, 1.0}, {&choice, "high", true, 0.0}, {&choice, "2", true, 0.0},
  };
  for (const Case& c : cases) {
    double v = -7.0;
    EXPECT_EQ(EntryTextToNormalized(*c.param, c.text, &v), c.ok) << c.text;
    EXPECT_NEAR(v, c.ok ? c.normalized : -7.0, 1e-12) << c.text;
  }
}

TEST(EditorWindowCore, CommitReadsAtMostTheBufferAndAppliesOnlyNumbers) {
  GuiTestPlug plug;
  plug.GetParam(0)->DeclareContinuous("P", 0.0, 0.0, 100.0, 0.1);
  EntryControl withParam(&plug, 0);
  EntryControl textOnly(&plug, -1);
  TextEntrySession s;

  // Longer than the buffer and not terminated within `length`: 31 bytes are taken.
  char longText[64];
  std::memset(longText, 'x', sizeof longText);
  ASSERT_TRUE(s.Begin(&textOnly, nullptr));
  EXPECT_FALSE(s.Begin(&withParam, nullptr));  // one entry at a time
  s.Commit(longText, sizeof longText);
  EXPECT_EQ(textOnly.entered, std::string(kTextEntryMaxChars, 'x'));
  EXPECT_FALSE(s.IsOpen());
  // `length` bounds the read even below the buffer.
  ASSERT_TRUE(s.Begin(&textOnly, nullptr));
  s.Commit("abcdef", 3);
  EXPECT_EQ(textOnly.entered, "abc");

  ASSERT_TRUE(s.Begin(&withParam, plug.GetParam(0)));
  s.Commit("250", 3);  // clamped to the maximum
  EXPECT_DOUBLE_EQ(withParam.Value(), 1.0);
  ASSERT_TRUE(s.Begin(&withParam, plug.GetParam(0)));
  s.Commit("oops", 4);  // no number: the value stays
  EXPECT_DOUBLE_EQ(withParam.Value(), 1.0);
  EXPECT_EQ(withParam.entered, "<none>");

  char out[4];
  EXPECT_EQ(BoundedEntryCopy("abcdef", 6, out, sizeof out), 3u);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(BoundedEntryCopy(nullptr, 5, out, sizeof out), 0u);
  EXPECT_STREQ(out, "");

  EXPECT_FALSE(s.Begin(nullptr, nullptr));
  const int limits[][2] = {{0, 1}, {7, 7}, {31, 31}, {500, kTextEntryMaxChars}};
  for (auto& l : limits) {
    EntryControl c(&plug, -1, l[0]);
    ASSERT_TRUE(s.Begin(&c, nullptr));
    EXPECT_EQ(s.Limit(), l[1]);
    s.End();
  }
}

TEST(EditorWindowCore, TimerStepServesEntryRequestsBeforeDrawingAndNothingOnceClosed) {
  GuiTestPlug plug;
  IGraphicsOffscreen g(&plug, 100, 100);
  auto* ctl = new EntryControl(&plug, -1);
  g.AddControl(ctl);
  ctl->MarkDirty(false);  // something to draw
  TextEntrySession entry;

  // Window gone: nothing happens, the entry state is untouched.
  ASSERT_TRUE(entry.Begin(ctl, nullptr));
  entry.SetState(kEntryCommit);
  EXPECT_EQ(EditorTimerStep(g, entry, false).action, RedrawStep::kNothing);
  EXPECT_EQ(entry.State(), kEntryCommit);

  struct Case {
    int state;
    RedrawStep::Action action;
    int stateAfter;
  };
  const Case cases[] = {
      {kEntryCancel, RedrawStep::kDropEntry, kEntryCancel},
      {kEntryCommit, RedrawStep::kCommitEntry, kEntryCommit},
      {kEntryEditing, RedrawStep::kNothing, kEntryIdle},
      {kEntryRedrawn, RedrawStep::kNothing, kEntryIdle},
  };
  for (const Case& c : cases) {
    entry.SetState(c.state);
    EXPECT_EQ(EditorTimerStep(g, entry, true).action, c.action) << c.state;
    EXPECT_EQ(entry.State(), c.stateAfter) << c.state;
  }

  // Idle with an entry open: draw around the entry and note it.
  entry.SetState(kEntryIdle);
  RedrawStep step = EditorTimerStep(g, entry, true);
  ASSERT_EQ(step.action, RedrawStep::kRedraw);
  EXPECT_EQ(step.dirty, ctl->Rect());
  EXPECT_TRUE(step.keepEntryRect);
  EXPECT_EQ(step.entryRect, ctl->Rect());
  EXPECT_EQ(entry.State(), kEntryRedrawn);

  // No entry: a plain redraw; nothing dirty: nothing.
  entry.End();
  step = EditorTimerStep(g, entry, true);
  ASSERT_EQ(step.action, RedrawStep::kRedraw);
  EXPECT_FALSE(step.keepEntryRect);
  g.DrawRect(step.dirty);
  EXPECT_EQ(EditorTimerStep(g, entry, true).action, RedrawStep::kNothing);
}

TEST(EditorWindowCore, MenuIdsRunOverTheTreeAndMapBackToTheChosenMenu) {
  // top: A, [sub1], ---, D        ids 0..3
  // sub1: s0, [sub2], s2          ids 4..6
  // sub2: t0, t1                  ids 7..8
  PopupMenu top, sub1, sub2;
  top.AddItem("A");
  top.AddItem("Sub", &sub1);
  top.AddItem("", nullptr, kPopupItemSeparator);
  top.AddItem("D");
  sub1.AddItem("s0");
  sub1.AddItem("Deeper", &sub2);
  sub1.AddItem("s2");
  sub2.AddItem("t0");
  sub2.AddItem("t1");
  PopupMenuIds ids(&top);
  ASSERT_EQ(ids.Ranges().size(), 3u);
  EXPECT_EQ(ids.NIds(), 9);
  EXPECT_EQ(ids.Ranges()[1].firstId, 4);
  EXPECT_EQ(ids.Ranges()[2].firstId, 7);

  struct Case {
    int id;
    PopupMenu* menu;
    int chosen;
  };
  const Case cases[] = {
      {0, &top, 0}, {3, &top, 3}, {4, &sub1, 0}, {6, &sub1, 2}, {7, &sub2, 0}, {8, &sub2, 1},
      {1, nullptr, -1},  // sub-menu heading
      {2, nullptr, -1},  // separator
      {5, nullptr, -1}, {9, nullptr, -1}, {-1, nullptr, -1},
  };
  for (const Case& c : cases) {
    for (PopupMenu* m : {&top, &sub1, &sub2}) m->SetChosen(-1);
    EXPECT_EQ(ids.Resolve(c.id), c.menu) << c.id;
    for (PopupMenu* m : {&top, &sub1, &sub2}) {
      EXPECT_EQ(m->Chosen(), m == c.menu ? c.chosen : -1) << c.id;
    }
  }

  PopupMenu loop;  // contains itself: building stops at the depth limit
  loop.AddItem("again", &loop);
  PopupMenuIds loopIds(&loop);
  EXPECT_EQ(static_cast<int>(loopIds.Ranges().size()), PopupMenuIds::kMaxDepth);
  EXPECT_EQ(PopupMenuIds(nullptr).NIds(), 0);
}

TEST(EditorWindowCore, MenuLabelsNumberItemsByStyle) {
  struct Case {
    int style;
    int k;
    const char* label;
  };
  const Case cases[] = {
      {0, 4, "Item"}, {1, 0, "1: Item"}, {1, 11, "12: Item"}, {2, 0, "01: Item"},
      {2, 11, "12: Item"}, {3, 6, "007: Item"}, {9, 0, "Item"},
  };
  for (const Case& c : cases) {
    PopupMenu m(c.style);
    for (int i = 0; i < 12; ++i) m.AddItem("Item");
    EXPECT_EQ(PopupMenuIds::ItemLabel(m, c.k), c.label) << c.style << " " << c.k;
  }
  PopupMenu empty(2);
  EXPECT_EQ(PopupMenuIds::ItemLabel(empty, 0), "");
}

TEST(EditorWindowCore, CloseDuringAModalLoopWaitsForTheOutermostLoopAndSurvivesTheOwner) {
  ModalTracker tracker;
  EXPECT_TRUE(tracker.RequestClose());  // no loop: close now
  EXPECT_FALSE(tracker.TakePendingClose());
  {
    ModalScope outer(tracker);
    {
      ModalScope inner(tracker);
      EXPECT_FALSE(tracker.RequestClose());
    }
    EXPECT_TRUE(tracker.InModalLoop());
    EXPECT_FALSE(tracker.TakePendingClose());  // outer loop still runs
  }
  EXPECT_FALSE(tracker.InModalLoop());
  EXPECT_TRUE(tracker.TakePendingClose());
  EXPECT_FALSE(tracker.TakePendingClose());  // once

  auto* owned = new ModalTracker;
  {
    ModalScope scope(*owned);
    EXPECT_TRUE(scope.Alive());
    delete owned;  // the instance destroyed from inside the loop
    EXPECT_FALSE(scope.Alive());
  }  // the scope's end touches only the shared record
}

TEST(EditorWindowCore, AnOwnerOrphanedInsideADispatchIsDeletedOnlyWhenTheOutermostDispatchReturns) {
  ModalTracker tracker;
  EXPECT_FALSE(tracker.Orphan()) << "nothing of the owner on the stack: delete it now";
  EXPECT_FALSE(tracker.Orphaned());
  tracker.EnterDispatch();  // e.g. the click that opened the menu
  {
    ModalScope scope(tracker);
    tracker.EnterDispatch();  // a message the menu's loop dispatched to the owner's window
    EXPECT_TRUE(tracker.Orphan());
    EXPECT_TRUE(tracker.Orphaned());
    EXPECT_FALSE(scope.Alive()) << "the loop reports nothing chosen";
    EXPECT_FALSE(tracker.LeaveDispatch()) << "the click's frame is still on the stack";
  }
  EXPECT_TRUE(tracker.LeaveDispatch());
  EXPECT_FALSE(tracker.LeaveDispatch()) << "an unpaired leave does not go below zero";
}

}  // namespace
