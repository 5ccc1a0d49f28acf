// The in-place text entry on X11: a small child window of the editor over the control, drawn by
// the raster layer in the control's entry colours and font. It holds the text and the keyboard
// focus; what the keys mean for the entry's state (Return, Escape, focus loss) is decided by the
// window layer with the shared TextEntrySession. The whole text starts selected, so the first
// typed character replaces it. UI thread only.
#pragma once

#include "gui/GuiTypes.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

class TextEntrySession;

class TextEntryWindowLinux {
 public:
  TextEntryWindowLinux() = default;
  TextEntryWindowLinux(const TextEntryWindowLinux&) = delete;
  TextEntryWindowLinux& operator=(const TextEntryWindowLinux&) = delete;
  ~TextEntryWindowLinux() { Close(); }

  // A (w + 1) x (h + 1) window at rect's top-left inside parent, mapped and focused. False when
  // the window cannot be made.
  bool Open(xcb_connection_t* conn, xcb_window_t parent, uint8_t depth, const GuiRect& rect, const TextStyle& style,
            const char* text);
  void Close();
  bool IsOpen() const noexcept { return mWindow != 0; }
  xcb_window_t Window() const noexcept { return mWindow; }
  const std::string& Text() const noexcept { return mText; }

  // A typed character (the keysym's text) or Backspace, filtered by the session's character
  // filter and length limit. Returns whether the text changed.
  bool Type(uint32_t keysym, const TextEntrySession& session);
  // Draws the text (and the caret or the selection) into the window.
  void Draw();

 private:
  xcb_connection_t* mConn = nullptr;
  xcb_window_t mWindow = 0;
  xcb_gcontext_t mGc = 0;
  uint8_t mDepth = 24;
  int mW = 0, mH = 0;
  TextStyle mStyle;
  std::string mText;
  bool mAllSelected = true;
  std::vector<uint32_t> mScratch;
};

// The character a keysym types: Latin-1 printable keysyms and the keypad's digits, signs and
// point; 0 for anything else.
unsigned EntryCharOfKeysym(uint32_t keysym) noexcept;
