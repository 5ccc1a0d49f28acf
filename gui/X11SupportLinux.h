// Small pieces every X11 window of the Linux editor needs: putting 32-bit pixels into a window
// (in bands that fit the server's request size) and turning key codes into keysyms. The pixel
// layout is the raster layer's: 0xAARRGGBB per pixel, top row first, `span` pixels per row, and
// the server is assumed to take 32 bits per pixel at depth 24 or 32 (as every TrueColor server
// does).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// Puts the w x h pixels at (srcX, srcY) of bits into drawable at (dstX, dstY). scratch is reused
// between calls so presenting allocates only while it grows. UI thread.
void PutImageBands(xcb_connection_t* conn, xcb_drawable_t drawable, xcb_gcontext_t gc, uint8_t depth,
                   const uint32_t* bits, int span, int srcX, int srcY, int w, int h, int dstX, int dstY,
                   std::vector<uint32_t>& scratch);

// The keyboard mapping of one connection, read once.
class X11Keymap {
 public:
  // Reads the mapping (one round trip). Leaves the map empty when the server does not answer.
  void Load(xcb_connection_t* conn);
  // The keysym of a key: the first column, or the second with shift held (when it has one).
  // 0 for an unknown key code.
  uint32_t Keysym(uint8_t keycode, bool shift) const noexcept;

 private:
  uint8_t mMinKeycode = 0;
  uint8_t mPerKeycode = 0;
  std::vector<uint32_t> mSyms;
};

// Keysyms the window layer acts on.
namespace xk {
constexpr uint32_t kBackSpace = 0xff08;
constexpr uint32_t kTab = 0xff09;
constexpr uint32_t kReturn = 0xff0d;
constexpr uint32_t kEscape = 0xff1b;
constexpr uint32_t kLeft = 0xff51;
constexpr uint32_t kUp = 0xff52;
constexpr uint32_t kRight = 0xff53;
constexpr uint32_t kDown = 0xff54;
constexpr uint32_t kKeypadEnter = 0xff8d;
}  // namespace xk
