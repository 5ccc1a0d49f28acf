#include "gui/TextEntryWindowLinux.h"

#include "gui/EditorWindowCore.h"
#include "gui/ResourceCaches.h"
#include "gui/X11SupportLinux.h"
#include "raster/LICE_CachedFont.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include <algorithm>

namespace {
constexpr uint32_t kSelection = 0xFF3465A4u;
constexpr uint32_t kSelectedText = 0xFFFFFFFFu;
}  // namespace

unsigned EntryCharOfKeysym(uint32_t keysym) noexcept {
  if (keysym >= 0x20 && keysym <= 0x7e) return keysym;
  if (keysym >= 0xffb0 && keysym <= 0xffb9) return '0' + (keysym - 0xffb0);  // keypad digits
  switch (keysym) {
    case 0xffab: return '+';
    case 0xffad: return '-';
    case 0xffae: return '.';
    case 0xffac: return '.';  // keypad separator
    default: return 0;
  }
}

bool TextEntryWindowLinux::Open(xcb_connection_t* conn, xcb_window_t parent, uint8_t depth, const GuiRect& rect,
                                const TextStyle& style, const char* text) {
  Close();
  if (!conn || xcb_connection_has_error(conn) || rect.W() < 0 || rect.H() < 0) return false;
  mConn = conn;
  mDepth = depth;
  mW = rect.W() + 1;
  mH = rect.H() + 1;
  mStyle = style;
  mStyle.font = nullptr;  // found again in the cache for this style
  mText = text ? text : "";
  mAllSelected = true;
  mWindow = xcb_generate_id(conn);
  const uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK;
  const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_KEY_PRESS |
                                                       XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_BUTTON_PRESS};
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, mWindow, parent, static_cast<int16_t>(rect.left),
                    static_cast<int16_t>(rect.top), static_cast<uint16_t>(mW), static_cast<uint16_t>(mH), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, mask, values);
  mGc = xcb_generate_id(conn);
  xcb_create_gc(conn, mGc, mWindow, 0, nullptr);
  xcb_map_window(conn, mWindow);
  xcb_set_input_focus(conn, XCB_INPUT_FOCUS_PARENT, mWindow, XCB_CURRENT_TIME);
  Draw();
  xcb_flush(conn);
  return true;
}

void TextEntryWindowLinux::Close() {
  if (!mWindow) return;
  if (!xcb_connection_has_error(mConn)) {
    xcb_free_gc(mConn, mGc);
    xcb_destroy_window(mConn, mWindow);
  }
  mWindow = 0;
  mGc = 0;
  mText.clear();
}

bool TextEntryWindowLinux::Type(uint32_t keysym, const TextEntrySession& session) {
  if (keysym == xk::kBackSpace) {
    if (mText.empty()) return false;
    if (mAllSelected) {
      mText.clear();
    } else {
      mText.pop_back();
    }
    mAllSelected = false;
    return true;
  }
  const unsigned ch = EntryCharOfKeysym(keysym);
  if (ch == 0 || !session.AcceptsChar(ch)) return false;
  if (mAllSelected) mText.clear();
  if (static_cast<int>(mText.size()) >= session.Limit()) return false;
  mAllSelected = false;
  mText.push_back(static_cast<char>(ch));
  return true;
}

void TextEntryWindowLinux::Draw() {
  if (!mWindow || xcb_connection_has_error(mConn)) return;
  LICE_MemBitmap px(mW, mH);
  if (px.Width() != mW) return;
  const uint32_t ink = mStyle.entryForeground.Packed() | 0xFF000000u;
  LICE::FillRect(&px, 0, 0, mW, mH, mStyle.entryBackground.Packed() | 0xFF000000u, 1.0f, LICE_BLIT_MODE_COPY);
  if (LICE_CachedFont* font = FontCache::Instance().FontFor(mStyle)) {
    LICE_Rect extent{0, 0, 0, 0};
    const int textH = std::max(font->DrawString(nullptr, mText.empty() ? "0" : mText.c_str(), -1, &extent,
                                                LICE_DT_CALCRECT),
                               1);
    const int textW = mText.empty() ? 0 : extent.right - extent.left;
    // Where the text starts for the style's alignment, kept inside the field.
    int x = 2;
    if (mStyle.align == kTextAlignCenter) x = (mW - textW) / 2;
    if (mStyle.align == kTextAlignRight) x = mW - 3 - textW;
    x = std::max(1, x);
    const int y = (mH - textH) / 2;
    if (mAllSelected && !mText.empty()) {
      LICE::FillRect(&px, x, std::max(0, y), textW, std::min(textH, mH), kSelection, 1.0f, LICE_BLIT_MODE_COPY);
    }
    font->SetTextColor(mAllSelected ? kSelectedText : ink);
    LICE_Rect r{x, y, mW, mH};
    if (!mText.empty()) font->DrawString(&px, mText.c_str(), -1, &r, LICE_DT_NOCLIP);
    if (!mAllSelected || mText.empty()) {
      LICE::FillRect(&px, std::min(x + textW + 1, mW - 2), std::max(1, y), 1, std::min(textH, mH - 2), ink, 1.0f,
                     LICE_BLIT_MODE_COPY);
    }
  }
  PutImageBands(mConn, mWindow, mGc, mDepth, px.Bits(), px.RowSpan(), 0, 0, mW, mH, 0, 0, mScratch);
}
