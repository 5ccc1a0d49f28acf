#include "gui/PopupMenuWindowLinux.h"

#include "gui/EditorWindowCore.h"
#include "gui/ResourceCaches.h"
#include "gui/X11SupportLinux.h"
#include "raster/LICE_CachedFont.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCheckGutter = 18;  // left of the label: the check mark
constexpr int kArrowGutter = 22;  // right of the label: the sub-menu arrow
constexpr int kMinWidth = 100;
constexpr int kWaitMs = 50;       // idle wait of the loop between checks of keepRunning
constexpr uint32_t kBack = 0xFFF2F2F2u;
constexpr uint32_t kBorder = 0xFF7A7A7Au;
constexpr uint32_t kText = 0xFF101010u;
constexpr uint32_t kGreyText = 0xFF9A9A9Au;
constexpr uint32_t kHighlight = 0xFF3465A4u;
constexpr uint32_t kHighlightText = 0xFFFFFFFFu;
constexpr uint32_t kSeparator = 0xFFC4C4C4u;

bool Chooseable(const PopupMenuItem& item, bool hasSub) {
  return !hasSub && !(item.flags & (kPopupItemGreyed | kPopupItemDisabled | kPopupItemSeparator));
}
bool Openable(const PopupMenuItem& item, bool hasSub) {
  return hasSub && !(item.flags & (kPopupItemGreyed | kPopupItemDisabled | kPopupItemSeparator));
}

// One open menu level: its window, screen rectangle, item rows and highlight.
struct Level {
  int range = 0;  // into PopupMenuIds::Ranges()
  xcb_window_t window = 0;
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<int> tops;  // item k spans tops[k]..tops[k + 1] in window rows
  std::vector<std::string> labels;
  int highlighted = -1;
  int parentItem = -1;  // the item of the level above that opened this one
  LICE_MemBitmap pixels;
};

class MenuSession {
 public:
  MenuSession(const PopupMenuHost& host, PopupMenu* root) : mHost(host), mIds(root) {}
  ~MenuSession() { Close(); }

  PopupMenu* Run(const GuiRect& anchor);

 private:
  bool FindScreen();
  bool Open(int range, int parentItem, int x, int y, int anchorTop);
  void Close();
  void CloseFrom(size_t level);
  void Draw(Level& level);
  void OnMotion(int rootX, int rootY);
  bool Hit(int rootX, int rootY, size_t* level, int* item) const;
  void OpenSub(size_t level, int item, bool highlightFirst);
  void Move(int delta);
  void Choose(size_t level, int item);
  void Handle(xcb_generic_event_t* event);
  const PopupMenuIds::Range& RangeOf(const Level& level) const { return mIds.Ranges()[static_cast<size_t>(level.range)]; }

  PopupMenuHost mHost;
  PopupMenuIds mIds;
  TextStyle mStyle;
  LICE_CachedFont* mFont = nullptr;
  int mItemH = 20;
  xcb_window_t mRoot = 0;
  uint8_t mDepth = 24;
  int mScreenW = 0, mScreenH = 0;
  xcb_gcontext_t mGc = 0;
  std::vector<std::unique_ptr<Level>> mLevels;
  std::vector<uint32_t> mScratch;
  bool mPointerGrabbed = false;
  bool mKeyboardGrabbed = false;
  bool mArmed = false;  // a release chooses only after the pointer moved or pressed in the menu
  bool mDone = false;
  int mChosenId = -1;
};

bool MenuSession::FindScreen() {
  xcb_get_geometry_reply_t* g =
      xcb_get_geometry_reply(mHost.conn, xcb_get_geometry(mHost.conn, mHost.anchorWindow), nullptr);
  if (!g) return false;
  mRoot = g->root;
  free(g);
  for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(mHost.conn)); it.rem; xcb_screen_next(&it)) {
    if (it.data->root == mRoot) {
      mDepth = it.data->root_depth;
      mScreenW = it.data->width_in_pixels;
      mScreenH = it.data->height_in_pixels;
      return true;
    }
  }
  return false;
}

PopupMenu* MenuSession::Run(const GuiRect& anchor) {
  if (mIds.Ranges().empty() || !FindScreen()) return nullptr;
  std::snprintf(mStyle.face, sizeof mStyle.face, "%s", "Verdana");
  mStyle.size = 13;
  mFont = FontCache::Instance().FontFor(mStyle);
  if (!mFont) return nullptr;
  LICE_Rect probe{0, 0, 0, 0};
  const int textH = std::max(mFont->DrawString(nullptr, "Ag", -1, &probe, LICE_DT_CALCRECT), mFont->LineHeight());
  mItemH = std::max(textH, 8) + kMenuItemExtra;

  xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
      mHost.conn,
      xcb_translate_coordinates(mHost.conn, mHost.anchorWindow, mRoot, static_cast<int16_t>(anchor.left),
                                static_cast<int16_t>(anchor.bottom)),
      nullptr);
  if (!at) return nullptr;
  const int ax = at->dst_x, ay = at->dst_y;
  free(at);
  mGc = xcb_generate_id(mHost.conn);
  xcb_create_gc(mHost.conn, mGc, mRoot, 0, nullptr);
  if (!Open(0, -1, ax, ay, ay - anchor.H())) return nullptr;

  // The pointer and keyboard come to the menu until it closes. The click that opened it may
  // still hold an implicit grab of our own connection, which ours replaces; another client's
  // grab is waited out briefly, after which the menu works without one.
  const uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
  for (int attempt = 0; attempt < 20 && !(mPointerGrabbed && mKeyboardGrabbed); ++attempt) {
    if (attempt > 0) usleep(5000);
    if (!mPointerGrabbed) {
      xcb_grab_pointer_reply_t* grab = xcb_grab_pointer_reply(
          mHost.conn,
          xcb_grab_pointer(mHost.conn, 0, mLevels[0]->window, mask, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                           XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
          nullptr);
      mPointerGrabbed = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
      free(grab);
    }
    if (!mKeyboardGrabbed) {
      xcb_grab_keyboard_reply_t* keys = xcb_grab_keyboard_reply(
          mHost.conn,
          xcb_grab_keyboard(mHost.conn, 0, mLevels[0]->window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                            XCB_GRAB_MODE_ASYNC),
          nullptr);
      mKeyboardGrabbed = keys && keys->status == XCB_GRAB_STATUS_SUCCESS;
      free(keys);
    }
  }
  xcb_flush(mHost.conn);

  const int fd = xcb_get_file_descriptor(mHost.conn);
  while (!mDone) {
    if (xcb_connection_has_error(mHost.conn) || (mHost.keepRunning && !mHost.keepRunning())) break;
    xcb_generic_event_t* event = xcb_poll_for_event(mHost.conn);
    if (!event) {
      xcb_flush(mHost.conn);
      pollfd p{fd, POLLIN, 0};
      poll(&p, 1, kWaitMs);
      continue;
    }
    Handle(event);
    free(event);
  }
  Close();
  return mChosenId >= 0 ? mIds.Resolve(mChosenId) : nullptr;
}

bool MenuSession::Open(int range, int parentItem, int x, int y, int anchorTop) {
  auto level = std::make_unique<Level>();
  level->range = range;
  level->parentItem = parentItem;
  const PopupMenu& menu = *mIds.Ranges()[static_cast<size_t>(range)].menu;
  int widest = 0;
  int row = kMenuPadding;
  for (int k = 0; k < menu.NItems(); ++k) {
    level->tops.push_back(row);
    const PopupMenuItem* item = menu.Item(k);
    level->labels.push_back(PopupMenuIds::ItemLabel(menu, k));
    if (item->flags & kPopupItemSeparator) {
      row += kMenuSeparatorHeight;
      continue;
    }
    LICE_Rect r{0, 0, 0, 0};
    mFont->DrawString(nullptr, level->labels.back().c_str(), -1, &r, LICE_DT_CALCRECT);
    widest = std::max(widest, r.right - r.left);
    row += mItemH;
  }
  level->tops.push_back(row);
  level->w = std::max(kMinWidth, kMenuPadding * 2 + kCheckGutter + widest + kArrowGutter);
  level->h = row + kMenuPadding;
  // On screen: shifted left at the right edge; above the anchor (or up to fit) at the bottom.
  if (x + level->w > mScreenW) x = mScreenW - level->w;
  if (y + level->h > mScreenH) y = anchorTop - level->h >= 0 ? anchorTop - level->h : mScreenH - level->h;
  level->x = std::max(0, x);
  level->y = std::max(0, y);
  if (!level->pixels.Resize(level->w, level->h) && level->pixels.Width() != level->w) return false;

  level->window = xcb_generate_id(mHost.conn);
  const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_SAVE_UNDER | XCB_CW_EVENT_MASK;
  // Pointer events of its own as well: they reach us before the grab is in place.
  const uint32_t values[] = {kBack & 0xFFFFFFu, 1, 1,
                             XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                 XCB_EVENT_MASK_POINTER_MOTION};
  xcb_create_window(mHost.conn, XCB_COPY_FROM_PARENT, level->window, mRoot, static_cast<int16_t>(level->x),
                    static_cast<int16_t>(level->y), static_cast<uint16_t>(level->w), static_cast<uint16_t>(level->h),
                    0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, mask, values);
  xcb_map_window(mHost.conn, level->window);
  mLevels.push_back(std::move(level));
  Draw(*mLevels.back());
  return true;
}

void MenuSession::CloseFrom(size_t first) {
  while (mLevels.size() > first) {
    if (!xcb_connection_has_error(mHost.conn)) xcb_destroy_window(mHost.conn, mLevels.back()->window);
    mLevels.pop_back();
  }
}

void MenuSession::Close() {
  if (mLevels.empty() && !mGc) return;
  if (!xcb_connection_has_error(mHost.conn)) {
    xcb_ungrab_pointer(mHost.conn, XCB_CURRENT_TIME);
    xcb_ungrab_keyboard(mHost.conn, XCB_CURRENT_TIME);
  }
  CloseFrom(0);
  if (mGc && !xcb_connection_has_error(mHost.conn)) xcb_free_gc(mHost.conn, mGc);
  mGc = 0;
  if (!xcb_connection_has_error(mHost.conn)) xcb_flush(mHost.conn);
}

void MenuSession::Draw(Level& level) {
  LICE_MemBitmap& px = level.pixels;
  const PopupMenuIds::Range& range = RangeOf(level);
  LICE::FillRect(&px, 0, 0, level.w, level.h, kBack, 1.0f, LICE_BLIT_MODE_COPY);
  LICE::FillRect(&px, 0, 0, level.w, 1, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE::FillRect(&px, 0, level.h - 1, level.w, 1, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE::FillRect(&px, 0, 0, 1, level.h, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE::FillRect(&px, level.w - 1, 0, 1, level.h, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  for (int k = 0; k < range.menu->NItems(); ++k) {
    const PopupMenuItem& item = *range.menu->Item(k);
    const int top = level.tops[static_cast<size_t>(k)];
    const int bottom = level.tops[static_cast<size_t>(k) + 1];
    if (item.flags & kPopupItemSeparator) {
      LICE::FillRect(&px, kMenuPadding + 4, (top + bottom) / 2, level.w - 2 * kMenuPadding - 8, 1, kSeparator, 1.0f,
                     LICE_BLIT_MODE_COPY);
      continue;
    }
    const bool lit = k == level.highlighted;
    const bool grey = (item.flags & (kPopupItemGreyed | kPopupItemDisabled)) != 0;
    if (lit) {
      LICE::FillRect(&px, kMenuPadding, top, level.w - 2 * kMenuPadding, bottom - top, kHighlight, 1.0f,
                     LICE_BLIT_MODE_COPY);
    }
    const uint32_t ink = grey ? kGreyText : lit ? kHighlightText : kText;
    const int midY = (top + bottom) / 2;
    if (item.flags & kPopupItemChecked) {  // a tick: a short and a long stroke, two pixels thick
      const int cx = kMenuPadding + 5;
      for (int i = 0; i < 3; ++i) LICE::FillRect(&px, cx + i, midY + i - 1, 2, 2, ink, 1.0f, LICE_BLIT_MODE_COPY);
      for (int i = 0; i < 6; ++i) LICE::FillRect(&px, cx + 3 + i, midY + 1 - i, 2, 2, ink, 1.0f, LICE_BLIT_MODE_COPY);
    }
    if (range.subRanges[static_cast<size_t>(k)] >= 0) {  // a right-pointing triangle
      const int ax = level.w - kMenuPadding - 14;
      for (int i = 0; i < 5; ++i) LICE::FillRect(&px, ax + i, midY - 4 + i, 1, 9 - 2 * i, ink, 1.0f, LICE_BLIT_MODE_COPY);
    }
    mFont->SetTextColor(ink);
    LICE_Rect r{kMenuPadding + kCheckGutter, top + (bottom - top - (mItemH - kMenuItemExtra)) / 2,
                level.w - kMenuPadding - kArrowGutter, bottom};
    mFont->DrawString(&px, level.labels[static_cast<size_t>(k)].c_str(), -1, &r, LICE_DT_NOCLIP);
  }
  PutImageBands(mHost.conn, level.window, mGc, mDepth, px.Bits(), px.RowSpan(), 0, 0, level.w, level.h, 0, 0,
                mScratch);
}

bool MenuSession::Hit(int rootX, int rootY, size_t* levelOut, int* itemOut) const {
  for (size_t i = mLevels.size(); i-- > 0;) {
    const Level& l = *mLevels[i];
    if (rootX < l.x || rootX >= l.x + l.w || rootY < l.y || rootY >= l.y + l.h) continue;
    *levelOut = i;
    *itemOut = -1;
    const int y = rootY - l.y;
    for (size_t k = 0; k + 1 < l.tops.size(); ++k) {
      if (y >= l.tops[k] && y < l.tops[k + 1]) *itemOut = static_cast<int>(k);
    }
    return true;
  }
  return false;
}

void MenuSession::OpenSub(size_t level, int item, bool highlightFirst) {
  Level& l = *mLevels[level];
  const int sub = RangeOf(l).subRanges[static_cast<size_t>(item)];
  if (sub < 0) return;
  const int top = l.y + l.tops[static_cast<size_t>(item)] - kMenuPadding;
  // Cascade to the right; at the screen's right edge, to the left of the parent.
  const int x = l.x + l.w - 2;
  const size_t before = mLevels.size();
  if (!Open(sub, item, x, top, -1)) return;
  Level& opened = *mLevels.back();
  if (mLevels.size() > before && l.x + l.w - 2 + opened.w > mScreenW && l.x - opened.w + 2 >= 0) {
    opened.x = l.x - opened.w + 2;
    const uint32_t xy[] = {static_cast<uint32_t>(opened.x)};
    xcb_configure_window(mHost.conn, opened.window, XCB_CONFIG_WINDOW_X, xy);
  }
  if (highlightFirst) {
    opened.highlighted = -1;
    Move(1);
  }
}

void MenuSession::OnMotion(int rootX, int rootY) {
  size_t level = 0;
  int item = -1;
  if (!Hit(rootX, rootY, &level, &item)) {
    // Off the menu: the deepest level forgets its highlight unless it leads to an open sub-menu.
    Level& deepest = *mLevels.back();
    if (deepest.highlighted >= 0) {
      deepest.highlighted = -1;
      Draw(deepest);
    }
    return;
  }
  mArmed = true;
  Level& l = *mLevels[level];
  const bool separator = item >= 0 && (RangeOf(l).menu->Item(item)->flags & kPopupItemSeparator);
  const int lit = separator ? -1 : item;
  if (mLevels.size() > level + 1 && mLevels[level + 1]->parentItem != lit) CloseFrom(level + 1);
  if (l.highlighted != lit) {
    l.highlighted = lit;
    Draw(l);
  }
  if (lit >= 0 && mLevels.size() == level + 1 &&
      Openable(*RangeOf(l).menu->Item(lit), RangeOf(l).subRanges[static_cast<size_t>(lit)] >= 0)) {
    OpenSub(level, lit, false);
  }
}

void MenuSession::Move(int delta) {
  Level& l = *mLevels.back();
  const PopupMenu& menu = *RangeOf(l).menu;
  const int n = menu.NItems();
  int k = l.highlighted;
  for (int step = 0; step < n; ++step) {
    k = k < 0 ? (delta > 0 ? 0 : n - 1) : (k + delta + n) % n;
    if (!(menu.Item(k)->flags & kPopupItemSeparator)) {
      l.highlighted = k;
      Draw(l);
      return;
    }
  }
}

void MenuSession::Choose(size_t level, int item) {
  const Level& l = *mLevels[level];
  const PopupMenuItem& it = *RangeOf(l).menu->Item(item);
  if (!Chooseable(it, RangeOf(l).subRanges[static_cast<size_t>(item)] >= 0)) return;
  mChosenId = RangeOf(l).firstId + item;
  mDone = true;
}

void MenuSession::Handle(xcb_generic_event_t* event) {
  // While a grab holds, its events come to the top menu; others on our connection (the editor's)
  // were queued before the menu opened and are not meant for it. Without the grab (another
  // client kept it), the editor's events count too. Positions are taken on the root either way.
  const uint8_t type = event->response_type & 0x7f;
  auto ours = [this](xcb_window_t w, bool grabbed) {
    return !grabbed || std::any_of(mLevels.begin(), mLevels.end(),
                                   [w](const std::unique_ptr<Level>& l) { return l->window == w; });
  };
  switch (type) {
    case XCB_EXPOSE: {
      auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
      for (auto& l : mLevels) {
        if (l->window == e->window) {
          if (e->count == 0) Draw(*l);
          return;
        }
      }
      break;
    }
    case XCB_MOTION_NOTIFY: {
      auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
      if (!ours(e->event, mPointerGrabbed)) break;
      OnMotion(e->root_x, e->root_y);
      return;
    }
    case XCB_BUTTON_PRESS: {
      auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
      if (!ours(e->event, mPointerGrabbed)) break;
      if (e->detail >= 4 && e->detail <= 7) return;  // the wheel neither chooses nor dismisses
      size_t level = 0;
      int item = -1;
      if (!Hit(e->root_x, e->root_y, &level, &item)) {
        mDone = true;  // a click outside dismisses
        return;
      }
      mArmed = true;
      OnMotion(e->root_x, e->root_y);
      return;
    }
    case XCB_BUTTON_RELEASE: {
      auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
      if (!ours(e->event, mPointerGrabbed)) break;
      if (e->detail >= 4 && e->detail <= 7) return;
      size_t level = 0;
      int item = -1;
      if (mArmed && Hit(e->root_x, e->root_y, &level, &item) && item >= 0) Choose(level, item);
      return;
    }
    case XCB_KEY_PRESS: {
      auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
      if (!ours(e->event, mKeyboardGrabbed)) break;
      const uint32_t sym = mHost.keymap ? mHost.keymap->Keysym(e->detail, false) : 0;
      Level& l = *mLevels.back();
      const size_t deepest = mLevels.size() - 1;
      const int k = l.highlighted;
      const bool hasSub = k >= 0 && RangeOf(l).subRanges[static_cast<size_t>(k)] >= 0;
      switch (sym) {
        case xk::kDown: Move(1); break;
        case xk::kUp: Move(-1); break;
        case xk::kRight:
          if (hasSub && Openable(*RangeOf(l).menu->Item(k), true)) OpenSub(deepest, k, true);
          break;
        case xk::kLeft:
          if (deepest > 0) CloseFrom(deepest);
          break;
        case xk::kEscape:
          if (deepest > 0) {
            CloseFrom(deepest);
          } else {
            mDone = true;
          }
          break;
        case xk::kReturn:
        case xk::kKeypadEnter:
          if (k < 0) break;
          if (hasSub) {
            if (Openable(*RangeOf(l).menu->Item(k), true)) OpenSub(deepest, k, true);
          } else {
            Choose(deepest, k);
          }
          break;
        default: break;
      }
      return;
    }
    default:
      break;
  }
  if (mHost.serveOther) mHost.serveOther(event);
}

}  // namespace

PopupMenu* PopupMenuWindowLinux::Run(const PopupMenuHost& host, PopupMenu* menu, const GuiRect& anchor) {
  if (!host.conn || !menu || xcb_connection_has_error(host.conn)) return nullptr;
  MenuSession session(host, menu);
  return session.Run(anchor);
}
