// Plain records of the editor: rectangles, colours, blend settings, text styles and bitmap
// strips. Coordinates are editor pixels with the origin at the editor's top-left corner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LICE_CachedFont;
class LICE_IBitmap;

// Right and bottom are exclusive. Only a rectangle whose four values are all 0 counts as empty.
struct GuiRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t W() const noexcept { return right - left; }
  int32_t H() const noexcept { return bottom - top; }
  bool Empty() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool operator==(const GuiRect& o) const noexcept {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const GuiRect& o) const noexcept { return !(*this == o); }
};

// Each component 0..255, straight (not premultiplied) alpha.
struct GuiColor {
  int32_t A = 0;
  int32_t R = 0;
  int32_t G = 0;
  int32_t B = 0;

  // A<<24 | R<<16 | G<<8 | B, the raster layer's pixel layout.
  uint32_t Packed() const noexcept {
    return (static_cast<uint32_t>(A & 0xFF) << 24) | (static_cast<uint32_t>(R & 0xFF) << 16) |
           (static_cast<uint32_t>(G & 0xFF) << 8) | static_cast<uint32_t>(B & 0xFF);
  }
  bool operator==(const GuiColor& o) const noexcept { return A == o.A && R == o.R && G == o.G && B == o.B; }
};

enum BlendMethod : int32_t {
  kBlendNone = 0,      // alpha blend with the source pixels' alpha
  kBlendOpaque = 1,    // plain copy
  kBlendAdd = 2,       // additive, with source alpha
  kBlendColorDodge = 3,
};

struct BlendSpec {
  BlendMethod method = kBlendNone;
  float weight = 1.0f;  // 1.0 = full; a greyed-out control draws at 0.25
};

constexpr float kGreyedBlendWeight = 0.25f;

enum TextStyleKind : int32_t { kTextStyleNormal = 0, kTextStyleBold = 1, kTextStyleItalic = 2 };
enum TextAlign : int32_t { kTextAlignLeft = 0, kTextAlignCenter = 1, kTextAlignRight = 2 };
enum TextQuality : int32_t {
  kTextQualityDefault = 0,
  kTextQualityNonAntialiased = 1,
  kTextQualityAntialiased = 2,
  kTextQualityClearType = 3,
};

constexpr int kTextFaceSize = 32;  // 31 characters and a NUL

// How a control draws text. The defaults are those every control starts with.
struct TextStyle {
  char face[kTextFaceSize] = "Verdana";
  int32_t size = 12;                                // pixels
  GuiColor color = {255, 0, 0, 0};
  GuiColor entryBackground = {255, 255, 255, 255};  // text-entry field
  GuiColor entryForeground = {255, 0, 0, 0};
  int32_t style = kTextStyleNormal;
  int32_t align = kTextAlignCenter;
  int32_t orientation = 0;                          // degrees
  int32_t quality = kTextQualityDefault;
  LICE_CachedFont* font = nullptr;                  // filled on first use; owned by the font cache
};

// A strip of N equal frames in one raster, stacked vertically unless framesHorizontal is set.
// The raster belongs to the process-wide bitmap cache; null when loading failed.
struct GuiBitmap {
  LICE_IBitmap* raster = nullptr;
  int32_t width = 0;   // of the whole strip
  int32_t height = 0;
  int32_t frames = 1;  // >= 1
  bool framesHorizontal = false;
};

// Mouse buttons and modifier keys held during an event.
struct MouseMods {
  bool L = false;  // left button
  bool R = false;  // right button
  bool S = false;  // shift
  bool C = false;  // control
  bool A = false;  // alt
};

// Keys the editor understands; the window layer maps its own key codes onto these.
enum KeyCode : int32_t {
  kKeySpace = 0,
  kKeyUpArrow = 1,
  kKeyDownArrow = 2,
  kKeyLeftArrow = 3,
  kKeyRightArrow = 4,
  kKeyDigit0 = 5,   // .. kKeyDigit0 + 9
  kKeyLetterA = 15, // .. kKeyLetterA + 25
};

class PopupMenu;

enum PopupItemFlags : int32_t {
  kPopupItemGreyed = 1,
  kPopupItemDisabled = 2,
  kPopupItemChecked = 4,
  kPopupItemSeparator = 8,
};

struct PopupMenuItem {
  std::string text;
  PopupMenu* submenu = nullptr;  // not owned; whoever built the tree keeps the sub-menus alive
  int32_t flags = 0;
};

// A menu shown by IGraphics::ShowPopupMenu. `prefixStyle` numbers the items when shown
// (0 none, 1 "%1d: %s", 2 "%02d: %s", 3 "%03d: %s"); `chosen` is the index of the item picked
// in this very menu, -1 until a choice is made here.
class PopupMenu {
 public:
  explicit PopupMenu(int prefixStyle = 0) : mPrefixStyle(prefixStyle) {}

  void AddItem(const char* text, PopupMenu* submenu = nullptr, int flags = 0) {
    mItems.push_back(PopupMenuItem{text ? text : "", submenu, flags});
  }
  int NItems() const noexcept { return static_cast<int>(mItems.size()); }
  // Null outside 0..NItems()-1.
  const PopupMenuItem* Item(int idx) const noexcept {
    return idx >= 0 && idx < NItems() ? &mItems[static_cast<size_t>(idx)] : nullptr;
  }
  int PrefixStyle() const noexcept { return mPrefixStyle; }
  int Chosen() const noexcept { return mChosen; }
  void SetChosen(int idx) noexcept { mChosen = idx; }

 private:
  int mPrefixStyle = 0;
  int mChosen = -1;
  std::vector<PopupMenuItem> mItems;
};
