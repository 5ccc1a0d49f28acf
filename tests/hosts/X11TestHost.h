// The test host's side of X11 for the Linux editor tests: a private Xvfb started for the test
// program (so no test touches a developer's desktop), top-level windows, captures and real input
// through XTest, and the offscreen reference the captures are compared with.
#pragma once

#include "gui/IGraphics.h"
#include "gui/IPopupMenu_PresetSelector.h"
#include "gui/PopupMenuWindowLinux.h"
#include "raster/LICE_SysBitmap.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace x11test {

// A private Xvfb for the whole program, so the tests never touch a developer's desktop.
class XvfbEnvironment : public ::testing::Environment {
 public:
  // A display number from a high range picked by process id: other programs on a shared /tmp
  // (possibly in other process namespaces, where our lock looks stale) take the low numbers.
  void SetUp() override { ASSERT_TRUE(StartOwn(0)) << "Xvfb did not start"; }
  // salt keeps a second server of the same program off the first one's numbers.
  bool StartOwn(int salt) {
    for (int attempt = 0; attempt < 8 && mPid < 0; ++attempt) {
      Start(400 + (static_cast<int>(getpid()) * 7 + salt + attempt * 131) % 30000);
    }
    return mPid > 0;
  }
  // Starts Xvfb on :display (below 0: a free number it picks) and waits until it reports itself
  // ready; then DISPLAY names it.
  bool Start(int display) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      close(fds[0]);
      freopen("/dev/null", "w", stderr);
      const std::string name = ":" + std::to_string(display);
      const std::string fd = std::to_string(fds[1]);
      // -noreset: the server would otherwise reset whenever a test closed its last connection,
      // failing the connections of the next.
      std::vector<const char*> args = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "2200x1100x24",
                                       "-nolisten", "tcp", "-noreset"};
      if (display >= 0) args.insert(args.begin() + 1, name.c_str());
      args.push_back(nullptr);
      execvp("Xvfb", const_cast<char* const*>(args.data()));
      _exit(127);
    }
    close(fds[1]);
    char ready[16] = {};
    pollfd p{fds[0], POLLIN, 0};
    const bool ok = poll(&p, 1, 20000) > 0 && read(fds[0], ready, sizeof ready - 1) > 0;
    close(fds[0]);
    if (!ok) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
      return false;
    }
    // Ready means a client gets in: a server that lost its number to another one exits instead.
    const std::string name = ":" + std::to_string(std::atoi(ready));
    for (int attempt = 0; attempt < 50; ++attempt) {
      xcb_connection_t* probe = xcb_connect(name.c_str(), nullptr);
      const bool in = !xcb_connection_has_error(probe);
      xcb_disconnect(probe);
      if (in && waitpid(pid, nullptr, WNOHANG) == 0) {
        mPid = pid;
        setenv("DISPLAY", name.c_str(), 1);
        return true;
      }
      usleep(20000);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return false;
  }
  void TearDown() override {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
      mPid = -1;
    }
  }

 private:
  pid_t mPid = -1;
};

// The test host's side of X: its own connection and top-level windows.
struct HostDisplay {
  HostDisplay() : conn(xcb_connect(nullptr, nullptr)) {
    screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data; }
  ~HostDisplay() { xcb_disconnect(conn); }
  xcb_window_t TopLevel(int x, int y, int w, int h) {
    const xcb_window_t id = xcb_generate_id(conn);
    const uint32_t back = screen->black_pixel;
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, id, screen->root, static_cast<int16_t>(x), static_cast<int16_t>(y),
                      static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, &back);
    xcb_map_window(conn, id);
    Sync();
    return id;
  }
  // A mapped child window of parent, as a host nests the window it gives the editor.
  xcb_window_t Child(xcb_window_t parent, int x, int y, int w, int h) {
    const xcb_window_t id = xcb_generate_id(conn);
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, id, parent, static_cast<int16_t>(x), static_cast<int16_t>(y),
                      static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    xcb_map_window(conn, id);
    Sync();
    return id;
  }
  // The window's width and height ({0, 0} once it is gone).
  std::pair<int, int> Size(xcb_window_t window) {
    std::pair<int, int> size{0, 0};
    if (xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, window), nullptr)) {
      size = {g->width, g->height};
      free(g);
    }
    return size;
  }
  // A round trip: everything sent before has been processed by the server.
  void Sync() { free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }
  std::vector<xcb_window_t> Children(xcb_window_t parent) {
    std::vector<xcb_window_t> out;
    if (xcb_query_tree_reply_t* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, parent), nullptr)) {
      const xcb_window_t* c = xcb_query_tree_children(tree);
      out.assign(c, c + xcb_query_tree_children_length(tree));
      free(tree);
    }
    return out;
  }
  // Whether the window's children are gone within a second (another connection destroys them).
  bool ChildrenGone(xcb_window_t parent) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      if (Children(parent).empty()) return true;
      usleep(20000);
    }
    return false;
  }
  // The window's pixels as 0xRRGGBB.
  std::vector<uint32_t> Capture(xcb_window_t window, int w, int h) {
    std::vector<uint32_t> out;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        conn,
        xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<uint16_t>(w),
                      static_cast<uint16_t>(h), ~0u),
        nullptr);
    if (!image) return out;
    const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
    if (xcb_get_image_data_length(image) == w * h * 4) {
      out.assign(px, px + static_cast<size_t>(w) * h);
      for (uint32_t& p : out) p &= 0xffffff;
    }
    free(image);
    return out;
  }
  // The editor talks to the server on its own connection, so its last requests may still be
  // queued there: capture until the window shows `expected` or a second has passed.
  std::vector<uint32_t> CaptureSettled(xcb_window_t window, int w, int h, const std::vector<uint32_t>& expected) {
    std::vector<uint32_t> got;
    for (int attempt = 0; attempt < 50; ++attempt) {
      got = Capture(window, w, h);
      if (got == expected) break;
      usleep(20000);
    }
    return got;
  }
  // Real input through XTest, at root coordinates.
  void Move(int x, int y) {
    xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, static_cast<int16_t>(x),
                        static_cast<int16_t>(y), 0);
  }
  void Button(int button, bool down) {
    xcb_test_fake_input(conn, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, static_cast<uint8_t>(button),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }
  void Click(int x, int y, int button = 1) {
    Move(x, y);
    Button(button, true);
    Button(button, false);
    Sync();
  }
  // Presses and releases the key that types keysym (holding shift when it is on the shifted
  // column). False when the keyboard has no such key.
  bool Type(uint32_t keysym) {
    uint8_t code = 0;
    bool shift = false;
    if (!KeyFor(keysym, &code, &shift)) return false;
    uint8_t shiftCode = 0;
    bool unused = false;
    if (shift && !KeyFor(0xffe1, &shiftCode, &unused)) return false;
    if (shift) xcb_test_fake_input(conn, XCB_KEY_PRESS, shiftCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    if (shift) xcb_test_fake_input(conn, XCB_KEY_RELEASE, shiftCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    Sync();
    return true;
  }
  bool TypeText(const char* text) {
    for (const char* c = text; *c; ++c) {
      if (!Type(static_cast<unsigned char>(*c))) return false;
    }
    return true;
  }

  // A mapped top-level window that no window manager would see: the open menus, oldest first.
  struct Shown {
    xcb_window_t window;
    int x, y, w, h;
  };
  std::vector<Shown> MenuWindows() {
    std::vector<Shown> out;
    for (xcb_window_t w : Children(screen->root)) {
      xcb_get_window_attributes_reply_t* a =
          xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
      const bool menu = a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE;
      free(a);
      if (!menu) continue;
      if (xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr)) {
        out.push_back(Shown{w, g->x, g->y, g->width, g->height});
        free(g);
      }
    }
    return out;  // the query answers in stacking order, bottom first: a sub-menu comes after its parent
  }
  // The menu windows once `count` are shown and the menu has taken the pointer and keyboard.
  std::vector<Shown> WaitForMenuReady(size_t count) {
    std::vector<Shown> shown = WaitForMenus(count);
    if (shown.size() == count && count > 0 && !WaitForGrabs()) shown.clear();
    return shown;
  }
  // Waits up to three seconds until another client (an open menu) grabs the pointer and keyboard.
  bool WaitForGrabs() {
    for (int attempt = 0; attempt < 150; ++attempt) {
      xcb_grab_pointer_reply_t* p = xcb_grab_pointer_reply(
          conn, xcb_grab_pointer(conn, 0, screen->root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                                 XCB_CURRENT_TIME), nullptr);
      const bool pointerTaken = p && p->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
      free(p);
      xcb_grab_keyboard_reply_t* k = xcb_grab_keyboard_reply(
          conn, xcb_grab_keyboard(conn, 0, screen->root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
          nullptr);
      const bool keyboardTaken = k && k->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
      free(k);
      xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);  // ours, if we got it: the menu retries meanwhile
      xcb_ungrab_keyboard(conn, XCB_CURRENT_TIME);
      Sync();
      if (pointerTaken && keyboardTaken) return true;
      usleep(20000);
    }
    return false;
  }
  // Waits up to three seconds until exactly `count` menu windows are shown.
  std::vector<Shown> WaitForMenus(size_t count) {
    std::vector<Shown> shown;
    for (int attempt = 0; attempt < 150; ++attempt) {
      shown = MenuWindows();
      if (shown.size() == count) break;
      usleep(20000);
    }
    return shown;
  }

  xcb_connection_t* conn;
  xcb_screen_t* screen = nullptr;

 private:
  bool KeyFor(uint32_t keysym, uint8_t* code, bool* shift) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* map =
        xcb_get_keyboard_mapping_reply(conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), nullptr);
    if (!map) return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    const int per = map->keysyms_per_keycode;
    bool found = false;
    for (int column = 0; column < std::min(per, 2) && !found; ++column) {
      for (int k = 0; k < count; ++k) {
        if (syms[k * per + column] == keysym) {
          *code = static_cast<uint8_t>(setup->min_keycode + k);
          *shift = column == 1;
          found = true;
          break;
        }
      }
    }
    free(map);
    return found;
  }
};

// The middle row of item k of a shown menu whose n items are all of one height (no separators).
inline int MenuItemY(const HostDisplay::Shown& m, int k, int n) {
  const int itemH = (m.h - 2 * kMenuPadding) / n;
  return m.y + kMenuPadding + itemH * k + itemH / 2;
}

// The rectangle of the editor's preset selector (empty when it has none).
inline GuiRect PresetSelectorRect(IGraphics* g) {
  for (int i = 0; i < g->NControls(); ++i) {
    if (dynamic_cast<IPopupMenu_PresetSelector*>(g->GetControl(i))) return g->GetControl(i)->Rect();
  }
  return GuiRect{};
}

// The user's part of choosing from a preset menu: a click at (x, y) opens it; hovering item
// `heading` of its `n` items opens a sub-menu of `subN` items, whose item `k` is clicked.
// Returns the top menu as shown (w == 0 when it never showed).
inline HostDisplay::Shown ChooseInSubMenu(HostDisplay& user, int x, int y, int heading, int n, int k, int subN) {
  user.Click(x, y);
  const auto main = user.WaitForMenuReady(1);
  if (main.size() != 1) return HostDisplay::Shown{0, 0, 0, 0, 0};
  user.Move(main[0].x + 20, MenuItemY(main[0], heading, n));
  user.Sync();
  const auto both = user.WaitForMenus(2);
  if (both.size() == 2) {
    user.Move(both[1].x + 20, MenuItemY(both[1], 0, subN));  // across to the sub-menu first
    user.Click(both[1].x + 20, MenuItemY(both[1], k, subN));
  }
  for (int i = 0; i < 4 && !user.WaitForMenus(0).empty(); ++i) user.Type(0xff1b);  // never leave it open
  return main[0];
}

// The same editor drawn offscreen in this process, full size.
inline std::vector<uint32_t> Snapshot(IGraphics* g) {
  g->OpenEditorWindow(nullptr);
  g->DrawRect(GuiRect{0, 0, g->Width(), g->Height()});
  std::vector<uint32_t> out;
  const LICE_SysBitmap* bits = g->BackBuffer();
  for (int y = 0; y < g->Height(); ++y) {
    for (int x = 0; x < g->Width(); ++x) out.push_back(bits->Bits()[y * bits->RowSpan() + x] & 0xffffff);
  }
  return out;
}

inline size_t Mismatches(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

}  // namespace x11test
