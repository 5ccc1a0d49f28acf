#include "gui/X11SupportLinux.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

void PutImageBands(xcb_connection_t* conn, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
                   const uint32_t* bits, int span, int srcX, int srcY, int w, int h, int dstX, int dstY,
                   std::vector<uint32_t>& scratch) {
  if (!conn || !bits || w <= 0 || h <= 0) return;
  const size_t maxBytes = static_cast<size_t>(xcb_get_maximum_request_length(conn)) * 4 - 64;
  const int bandRows = std::max(1, static_cast<int>(maxBytes / (static_cast<size_t>(w) * 4)));
  for (int band = 0; band < h; band += bandRows) {
    const int rows = std::min(bandRows, h - band);
    scratch.resize(static_cast<size_t>(w) * rows);
    for (int row = 0; row < rows; ++row) {
      std::memcpy(scratch.data() + static_cast<size_t>(row) * w,
                  bits + static_cast<size_t>(srcY + band + row) * span + srcX, static_cast<size_t>(w) * 4);
    }
    xcb_put_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc, static_cast<uint16_t>(w),
                  static_cast<uint16_t>(rows), static_cast<int16_t>(dstX), static_cast<int16_t>(dstY + band), 0,
                  depth, static_cast<uint32_t>(scratch.size() * 4), reinterpret_cast<const uint8_t*>(scratch.data()));
  }
}

void X11Keymap::Load(xcb_connection_t* conn) {
  mSyms.clear();
  mPerKeycode = 0;
  const xcb_setup_t* setup = xcb_get_setup(conn);
  mMinKeycode = setup->min_keycode;
  const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
  xcb_get_keyboard_mapping_reply_t* map =
      xcb_get_keyboard_mapping_reply(conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), nullptr);
  if (!map) return;
  mPerKeycode = map->keysyms_per_keycode;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
  mSyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map));
  free(map);
}

uint32_t X11Keymap::Keysym(uint8_t keycode, bool shift) const noexcept {
  if (mPerKeycode == 0 || keycode < mMinKeycode) return 0;
  const size_t at = static_cast<size_t>(keycode - mMinKeycode) * mPerKeycode;
  if (at >= mSyms.size()) return 0;
  if (shift && mPerKeycode > 1 && at + 1 < mSyms.size() && mSyms[at + 1] != 0) return mSyms[at + 1];
  return mSyms[at];
}
