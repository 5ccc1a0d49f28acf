// The Windows window layer driven with real window messages inside a real top-level window.
#include "tests/gui/GuiTestSupport.h"

#include "core/PlugParam.h"
#include "gui/IGraphicsWin.h"
#include "tests/gui/ModalDriverWin.h"
#include "raster/LICE_CachedFont.h"
#include "raster/LICE_SysBitmap.h"

#include <windows.h>
#include <commctrl.h>
#undef DrawText  // the surface's own, not the Windows macro

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <string>
#include <vector>

namespace {

// A control whose text entries can be opened from the test.
class WindowLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    plug.GetParam(0)->SetType(kParamInt);
    plug.GetParam(0)->DeclareContinuous("Int", 0.0, -10.0, 10.0, 1.0);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SylvaneTestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "SylvaneTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                           nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    SetCursorPos(5000, 5000);  // keep the pointer off the controls
  }
  void TearDown() override { DestroyWindow(host); }

  // A surface with a knob-like control on parameter 0 at (10,10)-(60,60) and a key catcher.
  IGraphicsWin* MakeEditor(std::vector<std::string>* log) {
    auto* g = new IGraphicsWin(&plug, 200, 150, GetModuleHandleA(nullptr));
    knob = new EntryLogControl(&plug, GuiRect{10, 10, 60, 60}, 0, log, "knob");
    knob->SetPromptDisabled(false);
    g->AddControl(new LogControl(&plug, GuiRect{0, 0, 200, 150}, -1, log, "bg"));
    g->AddControl(knob);
    g->SetKeyCatcher(new LogControl(&plug, GuiRect{}, -1, log, "catcher"));
    return g;
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

  GuiTestPlug plug{kApiVst2};
  HWND host = nullptr;
  EntryLogControl* knob = nullptr;
};

TEST_F(WindowLayer, MouseWheelAndKeyMessagesReachTheControls) {
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  HWND w = static_cast<HWND>(g->OpenEditorWindow(host));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetParent(w), host);

  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, At(25, 17));
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, At(25, 17));  // unchanged: no drag
  SendMessageA(w, WM_LBUTTONUP, 0, At(25, 17));
  // The wheel's position is in screen coordinates; deltas of -120 and 60.
  RECT r;
  GetWindowRect(w, &r);
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), At(r.left + 20, r.top + 20));
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), At(r.left + 20, r.top + 20));
  SendMessageA(w, WM_KEYDOWN, 'B', 0);     // pointer over no control: the key catcher
  SendMessageA(w, WM_KEYDOWN, VK_LEFT, 0);
  const std::vector<std::string> expected = {"knob down", "knob drag 5,-3", "knob up", "knob wheel -1",
                                             "knob wheel 0", "catcher key 16", "catcher key 3"};
  EXPECT_EQ(log, expected);
  const std::vector<std::string> hostLog = {"begin 0", "end 0"};
  EXPECT_EQ(plug.log, hostLog);
  delete g;
}

TEST_F(WindowLayer, TwoEditorsShareOneClassAndCloseIndependently) {
  std::vector<std::string> log1, log2;
  IGraphicsWin* a = MakeEditor(&log1);
  IGraphicsWin* b = MakeEditor(&log2);
  WNDCLASSA info;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  HWND wa = static_cast<HWND>(a->OpenEditorWindow(host));
  HWND wb = static_cast<HWND>(b->OpenEditorWindow(host));
  ASSERT_TRUE(wa && wb);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 2);
  EXPECT_NE(std::string(IGraphicsWin::WindowClassName()), "IPlugWndClass");
  EXPECT_TRUE(GetClassInfoA(inst, IGraphicsWin::WindowClassName(), &info));
  char title[16] = "";
  GetWindowTextA(wa, title, sizeof title);
  EXPECT_STREQ(title, "IPlug");

  SendMessageA(wa, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(wa));
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
  EXPECT_TRUE(GetClassInfoA(inst, IGraphicsWin::WindowClassName(), &info));
  // The other editor still works: a click and a redraw tick.
  SendMessageA(wb, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  SendMessageA(wb, WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_EQ(log2.back(), "knob up");
  knob->MarkDirty(false);
  log2.clear();
  SendMessageA(wb, WM_TIMER, kEditorTimerId, 0);
  EXPECT_NE(std::find(log2.begin(), log2.end(), "knob draw"), log2.end());

  // Destroying the instance with its editor open takes the window and the class with it.
  delete b;
  EXPECT_FALSE(IsWindow(wb));
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  EXPECT_FALSE(GetClassInfoA(inst, IGraphicsWin::WindowClassName(), &info));
  // A tick after the window is gone does nothing.
  log1.clear();
  a->OnTimerTick();
  EXPECT_TRUE(log1.empty());
  delete a;
}

TEST_F(WindowLayer, TextEntryFiltersKeysAndAppliesOrDropsOnTheNextTick) {
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  ASSERT_NE(g->OpenEditorWindow(host), nullptr);
  HWND w = static_cast<HWND>(g->NativeWindow());
  struct Case {
    const char* typed;
    const char* shown;  // what the entry holds after the filter
    WPARAM finish;     // VK_RETURN applies, VK_ESCAPE discards
    double expected;   // normalised value of parameter 0 afterwards (range -10..10)
  };
  const Case cases[] = {
      {"-4a.", "-4", VK_RETURN, 0.3},  // letters and '.' refused for an integer
      {"a+25", "+25", VK_RETURN, 1.0},  // clamped to the maximum
      {"3", "3", VK_ESCAPE, 1.0},       // discarded
  };
  for (const Case& c : cases) {
    knob->Prompt();
    HWND e = static_cast<HWND>(g->TextEntryWindow());
    ASSERT_NE(e, nullptr) << c.typed;
    SendMessageA(e, WM_SETFOCUS, 0, 0);
    SendMessageA(e, EM_SETSEL, 0, -1);
    SendMessageA(e, WM_CLEAR, 0, 0);
    for (const char* ch = c.typed; *ch; ++ch) SendMessageA(e, WM_CHAR, static_cast<WPARAM>(*ch), 0);
    char shown[64] = "";
    GetWindowTextA(e, shown, sizeof shown);
    EXPECT_STREQ(shown, c.shown);
    SendMessageA(e, WM_KEYDOWN, c.finish, 0);
    EXPECT_NE(g->TextEntryWindow(), nullptr) << "applied only on the next tick";
    SendMessageA(w, WM_TIMER, kEditorTimerId, 0);
    EXPECT_EQ(g->TextEntryWindow(), nullptr) << c.typed;
    EXPECT_FALSE(IsWindow(e));
    EXPECT_NEAR(knob->Value(), c.expected, 1e-9) << c.typed;
  }

  // Closing the editor with an entry open leaves neither window behind.
  knob->Prompt();
  HWND e = static_cast<HWND>(g->TextEntryWindow());
  ASSERT_NE(e, nullptr);
  g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(e));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(g->TextEntryWindow(), nullptr);
  EXPECT_FALSE(g->TextEntry().IsOpen());
  delete g;
}

// A resize drops an open entry (its control is about to be deleted) without applying it, and
// under VST 2 grows our window and the host's window by the same amounts.
TEST_F(WindowLayer, ResizeDropsTheEntryAndGrowsTheHostWindow) {
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  HWND w = static_cast<HWND>(g->OpenEditorWindow(host));
  ASSERT_NE(w, nullptr);
  RECT before{}, hostBefore{};
  GetWindowRect(w, &before);
  GetWindowRect(host, &hostBefore);
  const double valueBefore = plug.GetParam(0)->Value();
  knob->Prompt();
  HWND e = static_cast<HWND>(g->TextEntryWindow());
  ASSERT_NE(e, nullptr);
  SendMessageA(e, WM_CHAR, '7', 0);
  SendMessageA(e, WM_KEYDOWN, VK_RETURN, 0);  // a commit pending for the next tick

  g->Resize(230, 170);
  EXPECT_FALSE(IsWindow(e));
  EXPECT_EQ(g->TextEntryWindow(), nullptr);
  EXPECT_FALSE(g->TextEntry().IsOpen());
  SendMessageA(w, WM_TIMER, kEditorTimerId, 0);  // nothing left to apply to a deleted control
  RECT after{}, hostAfter{};
  GetWindowRect(w, &after);
  GetWindowRect(host, &hostAfter);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 30);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 20);
  EXPECT_EQ(hostAfter.right - hostAfter.left, hostBefore.right - hostBefore.left + 30);
  EXPECT_EQ(hostAfter.bottom - hostAfter.top, hostBefore.bottom - hostBefore.top + 20);
  EXPECT_EQ(plug.GetParam(0)->Value(), valueBefore) << "the dropped entry applied nothing";
  delete g;
}

// The native menu, driven with keys inside TrackPopupMenu's own loop: its items carry the
// numbering of their menu's style, and the menu reported is the one the entry was picked in.
TEST_F(WindowLayer, PopupMenuShowsNumberedItemsAndReportsThePickedEntry) {
  struct Case {
    int style;
    const char* first;    // the text shown for item 1 of the 12
    const char* twelfth;  // and for item 12, the sub-menu heading
    std::vector<int> keys;
    int pickedIn;  // 0: the top menu, 1: the sub-menu, -1: nothing picked
    int chosen;
  };
  const Case cases[] = {
      {0, "Gust", "More", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, 0, 2},
      {1, "1: Gust", "12: More", {VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, 1, 1},
      {2, "01: Gust", "12: More", {VK_DOWN, VK_RETURN}, 0, 0},
      {3, "001: Gust", "012: More", {VK_ESCAPE}, -1, -1},
  };
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  ASSERT_NE(g->OpenEditorWindow(host), nullptr);
  for (const Case& c : cases) {
    PopupMenu top(c.style), sub(2);
    for (int i = 0; i < 11; ++i) top.AddItem(i == 0 ? "Gust" : "Breeze");
    sub.AddItem("Ash");
    sub.AddItem("Elm");
    top.AddItem("More", &sub);
    std::vector<std::string> shown, subShown;
    ModalDriver driver([&] {
      HWND menu = ModalDriver::MenuWindow();
      if (!menu) return false;
      shown = ModalDriver::MenuTexts(menu);
      ModalDriver::PostKeys(menu, c.keys);
      return true;
    });
    PopupMenu* picked = g->ShowPopupMenu(&top, GuiRect{10, 10, 60, 60});
    ASSERT_TRUE(driver.Done()) << c.style;
    ASSERT_EQ(shown.size(), 12u) << c.style;
    EXPECT_EQ(shown[0], c.first);
    EXPECT_EQ(shown[11], c.twelfth);
    EXPECT_EQ(picked, c.pickedIn == 0 ? &top : c.pickedIn == 1 ? &sub : nullptr) << c.style;
    if (picked) {
      EXPECT_EQ(picked->Chosen(), c.chosen) << c.style;
    }
    EXPECT_EQ(ModalDriver::MenuWindow(), nullptr) << "the menu is gone";
  }
  EXPECT_TRUE(IsWindow(static_cast<HWND>(g->NativeWindow())));
  delete g;
}

// The host closes the editor while the menu's loop runs: the menu ends unpicked, and the window,
// its class and its timer go once the loop has returned.
TEST_F(WindowLayer, ClosingTheEditorDuringAMenuEndsTheMenuAndLeavesNothing) {
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  HWND w = static_cast<HWND>(g->OpenEditorWindow(host));
  ASSERT_NE(w, nullptr);
  PopupMenu menu;
  menu.AddItem("Gust");
  bool closedInside = false;
  ModalDriver driver([&] {
    if (!ModalDriver::MenuWindow()) return false;
    g->CloseEditorWindow();
    closedInside = !g->IsWindowOpen();
    return true;
  });
  EXPECT_EQ(g->ShowPopupMenu(&menu, GuiRect{10, 10, 60, 60}), nullptr);
  ASSERT_TRUE(driver.Done());
  EXPECT_FALSE(driver.Forced()) << "the menu ends without the user";
  EXPECT_FALSE(closedInside) << "the window stays while the loop runs on it";
  EXPECT_FALSE(g->IsWindowOpen());
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(ModalDriver::MenuWindow(), nullptr);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  WNDCLASSA info;
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), IGraphicsWin::WindowClassName(), &info));
  log.clear();
  g->OnTimerTick();
  EXPECT_TRUE(log.empty());
  // Reopening works as before.
  ASSERT_NE(g->OpenEditorWindow(host), nullptr);
  delete g;
}

// The colour dialog shows the prompt as its title; OK returns the colour set in its fields (alpha
// kept), Cancel returns false and leaves the colour alone.
TEST_F(WindowLayer, ColourDialogReturnsTheChosenColourOrFalseOnCancel) {
  std::vector<std::string> log;
  IGraphicsWin* g = MakeEditor(&log);
  ASSERT_NE(g->OpenEditorWindow(host), nullptr);
  for (int button : {IDOK, IDCANCEL}) {
    std::string title;
    ModalDriver driver([&] {
      HWND dialog = ModalDriver::FindThreadWindow("#32770");
      if (!dialog) return false;
      char text[64] = "";
      GetWindowTextA(dialog, text, sizeof text);
      title = text;
      const int fields[3] = {706, 707, 708};  // the red, green and blue edits
      const char* values[3] = {"12", "34", "56"};
      for (int i = 0; i < 3; ++i) {
        if (HWND edit = GetDlgItem(dialog, fields[i])) SetWindowTextA(edit, values[i]);
      }
      ModalDriver::PressButton(dialog, button);
      return true;
    });
    GuiColor color{200, 1, 2, 3};
    const bool ok = g->AskForColor(color, "Panel colour");
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(title, "Panel colour");
    EXPECT_EQ(ok, button == IDOK);
    const GuiColor expected = button == IDOK ? GuiColor{200, 12, 34, 56} : GuiColor{200, 1, 2, 3};
    EXPECT_EQ(color.A, expected.A);
    EXPECT_EQ(color.R, expected.R);
    EXPECT_EQ(color.G, expected.G);
    EXPECT_EQ(color.B, expected.B);
  }
  delete g;
}

// Under Wine the text renderer takes the glyph cache; the switch forces the GDI path so both run
// here. Each draws the preset name inside its rectangle and nothing outside it.
TEST_F(WindowLayer, BothTextPathsDrawInsideTheRectangleOnly) {
  struct Case {
    bool native;
    int size;  // a size of its own, so each case gets a fresh font
  };
  const Case cases[] = {{false, 30}, {true, 31}};
  for (const Case& c : cases) {
    LICE_CachedFont::AllowNativeTextUnderWine(c.native);
    IGraphicsWin g(&plug, 200, 100, GetModuleHandleA(nullptr));
    if (!g.BuffersPrepared()) g.PrepareBuffers();
    g.FillRect(GuiColor{255, 0, 0, 0}, GuiRect{0, 0, 200, 100}, nullptr);
    TextStyle style;
    std::snprintf(style.face, sizeof style.face, "%s", "Arial");
    style.size = c.size;
    style.color = GuiColor{255, 200, 200, 200};
    const GuiRect rect{20, 20, 180, 70};
    ASSERT_TRUE(g.DrawText(style, "Presets", rect)) << c.native;
    ASSERT_NE(style.font, nullptr);
    EXPECT_EQ(style.font->CachedGlyphCount() == 0, c.native) << "the path taken";
    int inside = 0, outside = 0;
    const LICE_SysBitmap* b = g.BackBuffer();
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 200; ++x) {
        const bool lit = (b->Bits()[y * b->RowSpan() + x] & 0xFFFFFF) != 0;
        const bool in = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
        (in ? inside : outside) += lit;
      }
    }
    EXPECT_GT(inside, 100) << c.native;
    EXPECT_EQ(outside, 0) << c.native;
  }
  LICE_CachedFont::AllowNativeTextUnderWine(false);
}

// Tooltips: armed by a mouse move onto a control, shown with its text on hover, hidden by a press,
// gone with the editor; none at all while they are switched off (the default).
TEST_F(WindowLayer, TooltipFollowsTheControlUnderThePointer) {
  auto tooltipWindows = [] {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
          char name[32] = "";
          GetClassNameA(w, name, sizeof name);
          if (std::string(name) == "tooltips_class32") ++*reinterpret_cast<int*>(p);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
  };
  for (const bool enabled : {false, true}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    std::vector<std::string> log;
    IGraphicsWin* g = MakeEditor(&log);
    knob->SetTooltip("Gust strength");
    g->SetHandleMouseOver(true);
    g->EnableTooltips(enabled);
    HWND w = static_cast<HWND>(g->OpenEditorWindow(host));
    ASSERT_NE(w, nullptr);
    HWND tip = static_cast<HWND>(g->TooltipWindow());
    EXPECT_EQ(tooltipWindows(), enabled ? 1 : 0);
    auto hoverAt = [&](int x, int y) {
      SendMessageA(w, WM_MOUSEMOVE, 0, At(x, y));
      SendMessageA(w, WM_MOUSEHOVER, 0, At(x, y));
      char text[64] = "?";
      TOOLINFOA ti = {};
      ti.cbSize = TTTOOLINFOA_V2_SIZE;
      ti.hwnd = w;
      ti.uId = reinterpret_cast<UINT_PTR>(w);
      ti.lpszText = text;
      if (tip) SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
      return std::string(text);
    };
    if (!enabled) {
      EXPECT_EQ(tip, nullptr);
      hoverAt(20, 20);
      EXPECT_FALSE(g->TooltipVisible());
      delete g;
      continue;
    }
    ASSERT_NE(tip, nullptr);
    char cls[32] = "";
    GetClassNameA(tip, cls, sizeof cls);
    EXPECT_STREQ(cls, "tooltips_class32");
    EXPECT_EQ(hoverAt(20, 20), "Gust strength");
    EXPECT_TRUE(g->TooltipVisible());
    EXPECT_EQ(hoverAt(100, 100), "");  // the background has no tooltip: no stale text
    EXPECT_EQ(hoverAt(30, 30), "Gust strength");
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 30));
    EXPECT_FALSE(g->TooltipVisible());
    SendMessageA(w, WM_LBUTTONUP, 0, At(30, 30));
    g->CloseEditorWindow();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(g->TooltipWindow(), nullptr);
    EXPECT_EQ(tooltipWindows(), 0);
    delete g;
  }
}

}  // namespace
