// The editor's popup menu on X11, drawn by the raster layer in override-redirect windows of its
// own (one per open level, sub-menus cascading to the right, or to the left at the screen's
// edge). Item ids, labels and the result come from PopupMenuIds, as on Windows.
//
// Run is synchronous: it grabs the pointer and keyboard and runs a short modal loop that serves
// only the events of the connection it is given, until an item is chosen or the menu is
// dismissed. Pointer motion highlights (and opens sub-menus), a click on an item chooses it, a
// click outside or Escape at the top level dismisses, Up/Down move, Right/Left open and close a
// sub-menu, Return chooses. Greyed and disabled items, separators and sub-menu headings are never
// chosen. UI thread only.
#pragma once

#include "gui/GuiTypes.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

class X11Keymap;

// Layout in screen pixels, for whoever needs to hit an item from outside (tests, accessibility).
constexpr int kMenuPadding = 3;          // between the window's edge and the first item
constexpr int kMenuSeparatorHeight = 7;  // a separator's row; items are the font's line + kMenuItemExtra
constexpr int kMenuItemExtra = 8;

struct PopupMenuHost {
  xcb_connection_t* conn = nullptr;
  xcb_window_t anchorWindow = 0;  // the anchor rectangle is in this window's coordinates
  const X11Keymap* keymap = nullptr;
  // Gets each event that is not the menu's (the editor's expose and the like); not freed by it.
  std::function<void(xcb_generic_event_t*)> serveOther;
  // Asked after each event: false ends the menu without a choice (the editor is closing).
  std::function<bool()> keepRunning;
};

class PopupMenuWindowLinux {
 public:
  // Shows menu below the anchor's left-bottom corner (kept on screen) and returns the menu in
  // which the choice was made, its chosen index set, or null when dismissed or when the windows
  // cannot be made.
  static PopupMenu* Run(const PopupMenuHost& host, PopupMenu* menu, const GuiRect& anchor);
};
