// The X11 window layer on its own: an editor surface in a real top-level window of a private
// Xvfb, driven with real input (XTest) from the test host's own connection. Menus run a modal
// loop on the UI thread, so their input comes from a second thread, as a user's would.
#include "tests/gui/GuiTestSupport.h"
#include "tests/hosts/X11TestHost.h"

#include "core/PlugParam.h"
#include "gui/IGraphicsLinux.h"
#include "gui/IPanelControl.h"
#include "gui/PopupMenuWindowLinux.h"
#include "gui/X11SupportLinux.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
using namespace x11test;
const auto* const gXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

class X11Layer : public ::testing::Test {
 protected:
  void SetUp() override {
    plug.GetParam(0)->SetType(kParamInt);
    plug.GetParam(0)->DeclareContinuous("Int", 0.0, -1000.0, 1000.0, 1.0);
    host.Move(1900, 1000);  // keep the pointer off the editor
    top = host.TopLevel(kLeft, kTop, 300, 200);
    g = new IGraphicsLinux(&plug, 300, 200);
    g->PrepareBuffers();
    knob = new EntryLogControl(&plug, GuiRect{10, 10, 60, 60}, 0, &log, "knob");
    knob->SetPromptDisabled(false);
    g->AddControl(new LogControl(&plug, GuiRect{0, 0, 300, 200}, -1, &log, "bg"));
    g->AddControl(knob);
    ASSERT_NE(g->OpenEditorWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(top))), nullptr);
    Serve(2);
  }
  void TearDown() override {
    delete g;
    xcb_destroy_window(host.conn, top);
    host.Sync();
  }
  // The host's UI loop: events and a redraw tick, `ticks` times.
  void Serve(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      host.Sync();
      usleep(10000);
      g->ProcessEvents();
      g->TimerTick();
    }
  }
  // Serves what the server has sent by now, without a tick.
  void Pump() {
    for (int i = 0; i < 3; ++i) {
      host.Sync();
      usleep(5000);
      g->ProcessEvents();
    }
  }
  // Shows menu at rect on this thread while `user` plays the user on another.
  PopupMenu* WithMenu(PopupMenu* menu, const GuiRect& rect, const std::function<void(HostDisplay&)>& user) {
    std::thread player([&] {
      HostDisplay own;  // the player's own connection, as another client
      user(own);
      // A failed step must not leave the menu (and this test) waiting forever.
      for (int i = 0; i < 4 && !own.WaitForMenus(0).empty(); ++i) own.Type(xk::kEscape);
    });
    PopupMenu* chosen = g->ShowPopupMenu(menu, rect);
    player.join();
    return chosen;
  }

  // The middle row of item k of menu as shown in m, separators counted at their own height.
  static int ItemY(const HostDisplay::Shown& m, const PopupMenu& menu, int k) {
    int separators = 0;
    for (int j = 0; j < menu.NItems(); ++j) separators += (menu.Item(j)->flags & kPopupItemSeparator) != 0;
    const int itemH = (m.h - 2 * kMenuPadding - separators * kMenuSeparatorHeight) / (menu.NItems() - separators);
    int y = m.y + kMenuPadding;
    for (int j = 0; j < k; ++j) y += (menu.Item(j)->flags & kPopupItemSeparator) ? kMenuSeparatorHeight : itemH;
    return y + itemH / 2;
  }

  static constexpr int kLeft = 40, kTop = 30;
  GuiTestPlug plug{kApiVst2};
  HostDisplay host;
  xcb_window_t top = 0;
  IGraphicsLinux* g = nullptr;
  EntryLogControl* knob = nullptr;
  std::vector<std::string> log;
};

TEST_F(X11Layer, TextEntryTypesThroughTheFilterAndLimitAndAppliesOnTheNextTick) {
  const struct {
    const char* keys;
    int length;
    uint32_t last;  // Return, Escape, or a mouse button pressed in the editor
    double expected;
  } cases[] = {
      {"a-7.x", 7, xk::kReturn, -7.0},  // letters and '.' are not typed into an integer
      {"123", 2, xk::kReturn, 12.0},    // the control's length limit
      {"45\b6", 7, xk::kReturn, 46.0},  // backspace
      {"9", 7, xk::kEscape, 46.0},      // Escape drops the text
      {"7", 7, 5, 46.0},                // so does the wheel
      {"8", 7, 1, 8.0},                 // a click elsewhere in the editor applies it
  };
  for (const auto& c : cases) {
    knob->SetEntryLength(c.length);
    knob->Prompt();
    Serve(1);
    const std::vector<xcb_window_t> inEditor = host.Children(static_cast<xcb_window_t>(
        reinterpret_cast<uintptr_t>(g->NativeWindow())));
    ASSERT_EQ(inEditor.size(), 1u) << c.keys << ": the entry's window";
    for (const char* k = c.keys; *k; ++k) ASSERT_TRUE(host.Type(*k == '\b' ? xk::kBackSpace : *k)) << *k;
    Pump();
    if (c.last > 7) {
      host.Type(c.last);
    } else {
      host.Click(kLeft + 200, kTop + 150, static_cast<int>(c.last));
    }
    Pump();
    EXPECT_FALSE(host.Children(static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(g->NativeWindow()))).empty())
        << c.keys << ": applied only on the tick";
    g->TimerTick();
    EXPECT_EQ(plug.GetParam(0)->Value(), c.expected) << c.keys;
    EXPECT_TRUE(host.ChildrenGone(static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(g->NativeWindow()))))
        << c.keys;
  }
}

TEST_F(X11Layer, PopupMenuChoosesWithPointerAndKeysCascadesAndDismisses) {
  PopupMenu sub(0);
  for (const char* t : {"Breeze", "Gale", "Storm"}) sub.AddItem(t);
  PopupMenu menu(2);  // "%02d: %s"
  for (int i = 1; i <= 12; ++i) {
    const std::string text = "Item " + std::to_string(i);
    menu.AddItem(text.c_str(), nullptr, i == 3 ? kPopupItemSeparator : i == 5 ? kPopupItemGreyed : 0);
  }
  menu.AddItem("More", &sub);
  const int n = menu.NItems();
  const GuiRect anchor{20, 40, 120, 60};

  // Where it opens: below the anchor's left-bottom corner.
  PopupMenu* got = WithMenu(&menu, anchor, [&](HostDisplay& user) {
    const auto shown = user.WaitForMenuReady(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].x, kLeft + anchor.left);
    EXPECT_EQ(shown[0].y, kTop + anchor.bottom);
    // The greyed item takes no click; the twelfth does.
    const int x = shown[0].x + 30;
    user.Click(x, ItemY(shown[0], menu, 4));
    user.Click(x, ItemY(shown[0], menu, 11));
  });
  ASSERT_EQ(got, &menu);
  EXPECT_EQ(menu.Chosen(), 11);
  EXPECT_TRUE(host.WaitForMenus(0).empty());

  // Hovering the heading cascades the sub-menu to the right; a click there chooses in it.
  got = WithMenu(&menu, anchor, [&](HostDisplay& user) {
    const auto top = user.WaitForMenuReady(1);
    ASSERT_EQ(top.size(), 1u);
    user.Move(top[0].x + 30, ItemY(top[0], menu, n - 1));
    user.Sync();
    const auto both = user.WaitForMenus(2);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_GE(both[1].x, both[0].x + both[0].w - 2);
    user.Move(both[1].x + 30, both[1].y + both[1].h / 2);  // across, then onto "Gale"
    user.Click(both[1].x + 30, MenuItemY(both[1], 1, 3));
  });
  EXPECT_EQ(got, &sub);
  EXPECT_EQ(sub.Chosen(), 1);

  // Keys: Down skips the separator; Return chooses. Escape, and a click outside, dismiss.
  got = WithMenu(&menu, anchor, [&](HostDisplay& user) {
    ASSERT_EQ(user.WaitForMenuReady(1).size(), 1u);
    for (int i = 0; i < 3; ++i) user.Type(xk::kDown);
    user.Type(xk::kReturn);
  });
  EXPECT_EQ(got, &menu);
  EXPECT_EQ(menu.Chosen(), 3);
  for (bool escape : {true, false}) {
    menu.SetChosen(-1);
    got = WithMenu(&menu, anchor, [&](HostDisplay& user) {
      ASSERT_EQ(user.WaitForMenuReady(1).size(), 1u);
      if (escape) {
        user.Type(xk::kEscape);
      } else {
        user.Click(1500, 900);
      }
    });
    EXPECT_EQ(got, nullptr) << escape;
    EXPECT_EQ(menu.Chosen(), -1);
  }
  EXPECT_TRUE(host.WaitForMenus(0).empty());
}

TEST_F(X11Layer, NumberedMenusShowTheNumberedTextsAndTheScreenEdgeKeepsAMenuOnScreen) {
  // A numbered menu looks exactly like an unnumbered one whose texts carry the numbers.
  const char* formats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  for (int style = 1; style <= 3; ++style) {
    PopupMenu numbered(style), written(0);
    for (int k = 1; k <= 12; ++k) {
      const std::string text = "Wind " + std::to_string(k * 7);
      char label[64];
      std::snprintf(label, sizeof label, formats[style], k, text.c_str());
      numbered.AddItem(text.c_str());
      written.AddItem(label);
    }
    std::vector<uint32_t> pixels[2];
    int n = 0;
    for (PopupMenu* menu : {&numbered, &written}) {
      std::vector<uint32_t>& out = pixels[n++];
      WithMenu(menu, GuiRect{0, 0, 10, 10}, [&](HostDisplay& user) {
        const auto shown = user.WaitForMenuReady(1);
        ASSERT_EQ(shown.size(), 1u);
        out = user.Capture(shown[0].window, shown[0].w, shown[0].h);
        user.Type(xk::kEscape);
      });
    }
    EXPECT_FALSE(pixels[0].empty());
    EXPECT_TRUE(pixels[0] == pixels[1]) << "style " << style;
  }

  // An anchor near the screen's bottom-right corner: the menu opens above it, inside the screen.
  const xcb_window_t low = host.TopLevel(2200 - 150, 1100 - 60, 150, 60);
  auto* edge = new IGraphicsLinux(&plug, 150, 60);
  edge->PrepareBuffers();
  ASSERT_NE(edge->OpenEditorWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(low))), nullptr);
  PopupMenu menu(0);
  for (int i = 0; i < 6; ++i) menu.AddItem("Entry");
  std::thread player([&] {
    HostDisplay user;
    const auto shown = user.WaitForMenuReady(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_LE(shown[0].x + shown[0].w, 2200);
    EXPECT_EQ(shown[0].y + shown[0].h, 1100 - 60 + 20);  // its bottom on the anchor's top
    user.Type(xk::kEscape);
  });
  EXPECT_EQ(edge->ShowPopupMenu(&menu, GuiRect{100, 20, 140, 40}), nullptr);
  player.join();
  delete edge;
}

TEST_F(X11Layer, AHostWindowDestroyedDuringTheMenuEndsItWithNoChoiceAndNoWindowLeft) {
  PopupMenu menu(0);
  menu.AddItem("Only");
  PopupMenu* got = WithMenu(&menu, GuiRect{0, 0, 10, 10}, [&](HostDisplay& user) {
    ASSERT_EQ(user.WaitForMenuReady(1).size(), 1u);
    xcb_destroy_window(user.conn, top);
    user.Sync();
  });
  EXPECT_EQ(got, nullptr);
  EXPECT_TRUE(host.WaitForMenus(0).empty());
  EXPECT_EQ(g->NativeWindow(), nullptr);
  top = host.TopLevel(0, 0, 10, 10);  // for TearDown
}

// Resize: our window takes the new size and shows what the new controls draw, all of it (the
// back buffer and the shared image follow). Under VST 2 the host's window changes by the same
// amounts, and so does the one holding it when it is not a top-level window; under VST 3 the
// host sizes its own windows.
TEST_F(X11Layer, ResizeSizesAndRedrawsTheWindowAndChangesTheHostsWindowsOnlyUnderVst2) {
  const int before = g->NControls();
  g->Resize(300, 200);
  EXPECT_EQ(g->NControls(), before) << "the same size again keeps the controls";

  const struct {
    int api;
    bool nested;  // the host's window is a child of its top-level window
    int w, h;     // from 300 x 200
  } cases[] = {
      {kApiVst2, false, 380, 260},
      {kApiVst2, true, 380, 260},
      {kApiVst2, true, 240, 150},
      {kApiVst3, true, 240, 150},
  };
  for (const auto& c : cases) {
    const std::string name = std::to_string(c.api) + (c.nested ? " nested " : " ") + std::to_string(c.w);
    GuiTestPlug api(c.api);
    const xcb_window_t outer = host.TopLevel(600, 100, 320, 220);
    const xcb_window_t parent = c.nested ? host.Child(outer, 10, 10, 300, 200) : outer;
    IGraphicsLinux editor(&api, 300, 200);
    editor.PrepareBuffers();
    ASSERT_NE(editor.OpenEditorWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(parent))), nullptr) << name;
    const auto window = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(editor.NativeWindow()));
    auto serve = [&] {
      for (int i = 0; i < 2; ++i) {
        host.Sync();
        usleep(10000);
        editor.ProcessEvents();
        editor.TimerTick();
      }
      host.Sync();
    };
    editor.AddControl(new IPanelControl(&api, GuiRect{0, 0, 300, 200}, GuiColor{255, 30, 90, 160}));
    serve();
    editor.Resize(c.w, c.h);
    EXPECT_EQ(editor.NControls(), 0) << name;

    // The caller adds controls again, one where only the new size reaches; what none of them
    // covers shows the cleared buffer, not the old picture.
    IGraphicsOffscreen reference(&api, c.w, c.h);
    reference.PrepareBuffers();
    for (IGraphics* to : {static_cast<IGraphics*>(&editor), static_cast<IGraphics*>(&reference)}) {
      to->AddControl(new IPanelControl(&api, GuiRect{20, 20, c.w / 2, c.h / 2}, GuiColor{255, 10, 160, 90}));
      to->AddControl(new IPanelControl(&api, GuiRect{c.w - 40, c.h - 30, c.w, c.h}, GuiColor{255, 220, 200, 10}));
    }
    serve();
    const int dW = c.api == kApiVst2 ? c.w - 300 : 0, dH = c.api == kApiVst2 ? c.h - 200 : 0;
    EXPECT_EQ(host.Size(window), std::make_pair(c.w, c.h)) << name;
    EXPECT_EQ(host.Size(outer), std::make_pair(320 + dW, 220 + dH)) << name;
    if (c.nested) {
      EXPECT_EQ(host.Size(parent), std::make_pair(300 + dW, 200 + dH)) << name;
    }
    const std::vector<uint32_t> expected = Snapshot(&reference);
    EXPECT_EQ(Mismatches(host.CaptureSettled(window, c.w, c.h, expected), expected), 0u) << name;
    editor.CloseEditorWindow();
    xcb_destroy_window(host.conn, outer);
  }
}

TEST_F(X11Layer, ClipboardTextComesFromTheSelectionOwnerAsUtf8) {
  std::string text;
  EXPECT_FALSE(g->ClipboardText(text)) << "nobody owns the clipboard yet";
  const std::string offered = "Wind \xe2\x80\x93 0.75";  // with an en dash
  std::atomic<bool> owning{false};
  std::thread owner([&] {
    HostDisplay other;
    const xcb_window_t w = other.TopLevel(0, 0, 1, 1);
    auto intern = [&](const char* name) {
      xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
          other.conn, xcb_intern_atom(other.conn, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
      const xcb_atom_t a = r->atom;
      free(r);
      return a;
    };
    const xcb_atom_t clipboard = intern("CLIPBOARD"), utf8 = intern("UTF8_STRING");
    xcb_set_selection_owner(other.conn, w, clipboard, XCB_CURRENT_TIME);
    other.Sync();
    owning = true;
    // Answer one request, as a desktop application does.
    for (int waited = 0; waited < 300; ++waited) {
      xcb_generic_event_t* e = xcb_poll_for_event(other.conn);
      if (!e) {
        usleep(10000);
        continue;
      }
      if ((e->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
        auto* r = reinterpret_cast<xcb_selection_request_event_t*>(e);
        xcb_selection_notify_event_t reply{};
        reply.response_type = XCB_SELECTION_NOTIFY;
        reply.time = r->time;
        reply.requestor = r->requestor;
        reply.selection = r->selection;
        reply.target = r->target;
        reply.property = XCB_ATOM_NONE;
        if (r->target == utf8) {
          xcb_change_property(other.conn, XCB_PROP_MODE_REPLACE, r->requestor, r->property, utf8, 8,
                              static_cast<uint32_t>(offered.size()), offered.data());
          reply.property = r->property;
        }
        xcb_send_event(other.conn, 0, r->requestor, 0, reinterpret_cast<const char*>(&reply));
        other.Sync();
        free(e);
        break;
      }
      free(e);
    }
  });
  while (!owning) usleep(1000);
  EXPECT_TRUE(g->ClipboardText(text));
  EXPECT_EQ(text, offered);
  owner.join();
}

// A directory put first on PATH with fake desktop programs that log their arguments.
class FakePrograms {
 public:
  FakePrograms() {
    const char* base = std::getenv("SYLVANE_TEST_TMP");
    mDir = std::string(base ? base : "/tmp") + "/fake-desktop-" + std::to_string(getpid());
    mkdir((base ? std::string(base) : std::string("/tmp")).c_str(), 0755);
    mkdir(mDir.c_str(), 0755);
    mOldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", mDir.c_str(), 1);  // nothing else: no real dialog program can answer
  }
  ~FakePrograms() {
    usleep(300000);  // a detached fake (xdg-open) finishes before its folder goes
    setenv("PATH", mOldPath.c_str(), 1);
    std::system(("rm -rf '" + mDir + "'").c_str());
  }
  // A program that writes each argument on a line of name.args, prints `out` and exits with code.
  // It takes a moment, as a person would, while the editor's window keeps being served.
  void Add(const std::string& name, const std::string& out, int code, int tenths = 1) {
    const std::string path = mDir + "/" + name;
    std::ofstream(path + ".out") << out << "\n";
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << path
                        << ".args'\ni=0\nwhile [ $i -lt " << tenths << " ]; do /bin/sleep 0.1; i=$((i+1)); done\n/bin/cat '"
                        << path << ".out'\nexit " << code << "\n";
    chmod(path.c_str(), 0755);
  }
  std::vector<std::string> Args(const std::string& name) const {
    std::ifstream in(mDir + "/" + name + ".args");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  const std::string& Dir() const { return mDir; }

 private:
  std::string mDir, mOldPath;
};

bool Has(const std::vector<std::string>& args, const std::string& a) {
  return std::find(args.begin(), args.end(), a) != args.end();
}

TEST_F(X11Layer, FileDialogsRunTheDesktopProgramWithoutAShellOrSayThatThereIsNone) {
  FakePrograms fake;
  std::string file, folder;
  {
    // No dialog program at all: a message instead of a silent no-op.
    testing::internal::CaptureStderr();
    file = "Mine";
    g->AskForFile(file, 1, folder, "sylvanepreset");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(file, "");
    EXPECT_NE(said.find("zenity or kdialog"), std::string::npos) << said;
  }
  const struct {
    const char* program;
    int action;
    const char* answer;
    int code;
    const char* file;
    const char* folder;
    std::vector<std::string> args;
  } cases[] = {
      {"zenity", 1, "/presets/it's mine", 0, "/presets/it's mine.sylvanepreset", "/presets/",
       {"--file-selection", "--save", "--filename=/start dir/My \"wind\"", "--file-filter=*.sylvanepreset;*.txt | *.sylvanepreset *.txt"}},
      {"zenity", 0, "/a/b.txt", 0, "/a/b.txt", "/a/", {"--file-selection", "--filename=/start dir/My \"wind\""}},
      {"zenity", 0, "", 1, "", "/start dir", {"--file-selection"}},  // cancelled: the folder stays
      {"kdialog", 0, "/k/x.sylvanepreset", 0, "/k/x.sylvanepreset", "/k/",
       {"--getopenfilename", "/start dir/My \"wind\"", "*.sylvanepreset *.txt"}},
  };
  for (const auto& c : cases) {
    std::remove((fake.Dir() + "/zenity").c_str());
    fake.Add(c.program, c.answer, c.code);
    file = "My \"wind\"";
    folder = "/start dir";
    g->AskForFile(file, c.action, folder, "sylvanepreset txt");
    EXPECT_EQ(file, c.file) << c.program << " " << c.answer;
    EXPECT_EQ(folder, c.folder) << c.program << " " << c.answer;
    const std::vector<std::string> args = fake.Args(c.program);
    for (const std::string& a : c.args) EXPECT_TRUE(Has(args, a)) << c.program << " lacks " << a;
    EXPECT_EQ(Has(args, "--save") || Has(args, "--getsavefilename"), c.action == 1) << c.program;
  }

  // The host destroys its window while the user still looks at the dialog: the dialog ends.
  fake.Add("kdialog", "/late/choice", 0, 300);
  std::thread host([this] {
    usleep(300000);
    HostDisplay other;
    xcb_destroy_window(other.conn, top);
    other.Sync();
  });
  const auto start = std::chrono::steady_clock::now();
  file = "x";
  g->AskForFile(file, 0, folder, "sylvanepreset");
  host.join();
  EXPECT_EQ(file, "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  top = this->host.TopLevel(0, 0, 10, 10);  // for TearDown
}

TEST_F(X11Layer, MessagesColoursAndWebAddressesGoThroughTheDesktopsPrograms) {
  FakePrograms fake;
  // A yes/no question answered no by zenity's exit code, and yes.
  for (int code : {1, 0}) {
    fake.Add("zenity", "", code);
    EXPECT_EQ(g->ShowMessage("Overwrite?", "Save", 4), code == 0 ? 6 : 7);
    const std::vector<std::string> args = fake.Args("zenity");
    EXPECT_TRUE(Has(args, "--question") && Has(args, "--text=Overwrite?") && Has(args, "--title=Save"));
  }
  fake.Add("zenity", "rgb(10,200,30)", 0);
  GuiColor colour{77, 1, 2, 3};
  EXPECT_TRUE(g->AskForColor(colour, "Knob colour"));
  EXPECT_EQ(colour.A, 77);
  EXPECT_EQ(colour.R, 10);
  EXPECT_EQ(colour.G, 200);
  EXPECT_EQ(colour.B, 30);
  EXPECT_TRUE(Has(fake.Args("zenity"), "--color=#010203"));

  // xdg-open gets the address as one argument; without it the failure text is shown.
  fake.Add("zenity", "", 0);  // confirms
  fake.Add("xdg-open", "", 0);
  const char* address = "https://example.invalid/a b?c=1&d='2'";
  EXPECT_TRUE(g->OpenWebAddress(address, "Web", "Open the manual?", "No browser"));
  for (int waited = 0; waited < 100 && fake.Args("xdg-open").empty(); ++waited) usleep(20000);
  EXPECT_EQ(fake.Args("xdg-open"), std::vector<std::string>{address});
  std::remove((fake.Dir() + "/xdg-open").c_str());
  std::remove((fake.Dir() + "/zenity").c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(g->OpenWebAddress(address, "Web", nullptr, "No browser"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("No browser"), std::string::npos);
}

}  // namespace
