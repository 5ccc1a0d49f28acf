#include "gui/IGraphics.h"

#include "core/IPlugBase.h"
#include "gui/IBitmapControl.h"
#include "gui/IControl.h"
#include "gui/ResourceCaches.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <cstdio>
#include <new>
#include <typeinfo>

namespace {
constexpr size_t kControlListStep = 4096 / sizeof(IControl*);  // the list grows in 4 KB steps

// Both rectangles non-empty and overlapping (the right and bottom comparisons are inclusive, as
// the redraw has always tested them).
bool Overlaps(const GuiRect& r, const GuiRect& c) noexcept {
  return !r.Empty() && !c.Empty() && r.right >= c.left && r.left < c.right && r.bottom >= c.top && r.top < c.bottom;
}
}  // namespace

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int frameRate)
    : mPlug(plug), mWidth(width), mHeight(height), mFrameRate(frameRate) {
  mControls.reserve(kControlListStep);
}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  for (size_t i = mControls.size(); i > 0; --i) delete mControls[i - 1];
  delete mBackBuffer;
  delete mScratch;
  delete mUnderlay;
}

bool IGraphics::MeasureText(TextStyle& style, const char* text, GuiRect& rect) {
  if (!text || !*text) return true;
  LICE_CachedFont* font = FontCache::Instance().FontFor(style);
  if (!font) return false;
  LICE_Rect extent;
  font->DrawString(nullptr, text, -1, &extent, LICE_DT_CALCRECT | LICE_DT_NOCLIP);
  const int w = extent.right - extent.left;
  const int h = extent.bottom - extent.top;
  if (style.align == kTextAlignCenter) {
    rect.left = static_cast<int>(static_cast<float>(rect.left + rect.right) * 0.5f) - w / 2;
    rect.right = rect.left + w;
  } else if (style.align == kTextAlignRight) {
    rect.left = rect.right - w;
  } else {
    rect.right = w;  // left-aligned text is never measured here; the width is what counts
  }
  rect.bottom = rect.top + h;
  return true;
}

void IGraphics::Resize(int width, int height) {
  mWidth = width;
  mHeight = height;
  ClearCapture();
  mMouseOver = -1;
  for (size_t i = mControls.size(); i > 0; --i) delete mControls[i - 1];
  mControls.clear();
  delete mBackBuffer;
  delete mScratch;
  mBackBuffer = nullptr;
  mScratch = nullptr;
  mUnderlayLayers.clear();
  PrepareBuffers();
  if (mPlug) mPlug->EditorResized(width, height);
}

IControl* IGraphics::AddControl(IControl* control) {
  if (!control) return nullptr;
  try {
    if (mControls.size() == mControls.capacity()) mControls.reserve(mControls.size() + kControlListStep);
    mControls.push_back(control);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  control->SetOwner(this);
  return control;
}

IControl* IGraphics::AddBackground() {
  const GuiBitmap bitmap = LoadBitmap(kBackgroundId, kBackgroundName, 1);
  auto* background = new IBitmapControl(mPlug, GuiRect{0, 0, bitmap.width, bitmap.height}, -1, bitmap,
                                        BlendSpec{kBlendOpaque, 1.0f});
  if (!AddControl(background)) {
    delete background;
    return nullptr;
  }
  // Moves it to the front: everything added before now draws on top of it.
  for (size_t i = mControls.size() - 1; i > 0; --i) mControls[i] = mControls[i - 1];
  mControls[0] = background;
  return background;
}

IControl* IGraphics::GetControl(int idx) const noexcept {
  return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)] : nullptr;
}

void IGraphics::SetKeyCatcher(IControl* control) {
  delete mKeyCatcher;
  mKeyCatcher = control;
  if (control) control->SetOwner(this);
}

void IGraphics::PushParamToControls(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    const PlugParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->ToNormalized(value);
  }
  for (IControl* control : mControls) {
    if (control->ParamIdx() == paramIdx) control->ApplyPlugValue(value);
    for (int a = 0; a < control->NAuxParams(); ++a) {
      if (control->AuxParamAt(a)->paramIdx == paramIdx) {
        control->ApplyAuxPlugValue(a, value);
        break;
      }
    }
  }
}

GuiBitmap IGraphics::LoadBitmap(int id, const char* name, int frames) {
  LICE_IBitmap* raster = BitmapCache::Instance().FindOrLoad(id, [&] { return LoadRasterResource(id, name); });
  GuiBitmap bitmap;
  bitmap.raster = raster;
  bitmap.width = raster ? raster->Width() : 0;
  bitmap.height = raster ? raster->Height() : 0;
  bitmap.frames = frames < 1 ? 1 : frames;
  bitmap.framesHorizontal = false;
  return bitmap;
}

void IGraphics::PromptForParamValue(IControl* control, const PlugParam* param, const GuiRect& rect) {
  if (!control || !param) return;
  const ParamType type = param->Type();
  if (type == kParamEnum || (type == kParamBool && param->NDisplayTexts() > 0)) {
    char current[kParamTextSize];
    param->FormatDisplay(current);
    PopupMenu menu;
    for (int i = 0; i < param->NDisplayTexts(); ++i) {
      const char* text = param->FindDisplayText(i);
      if (!text) text = "";
      menu.AddItem(text, nullptr, std::string(text) == current ? kPopupItemChecked : 0);
    }
    const PopupMenu* chosen = ShowPopupMenu(&menu, rect);
    if (chosen == &menu && chosen->Chosen() >= 0) control->ApplyUserValue(param->ToNormalized(chosen->Chosen()));
    return;
  }
  double plain = param->Value();
  if (param->NegateDisplay()) plain = -plain;
  char text[64];
  if (param->DisplayPrecision() == 0) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(plain));
  } else {
    std::snprintf(text, sizeof text, "%.*f", param->DisplayPrecision(), plain);
  }
  ShowTextEntry(control, control->Style(), rect, text, param);
}

bool IGraphics::DrawBitmap(const GuiBitmap& bitmap, const GuiRect& dest, int srcX, int srcY, const BlendSpec* blend) {
  if (!Overlaps(dest, mDrawRect) || !mDrawTarget) return true;
  GuiRect clip;
  clip.left = dest.left > mDrawRect.left ? dest.left : mDrawRect.left;
  clip.top = dest.top > mDrawRect.top ? dest.top : mDrawRect.top;
  clip.right = dest.right < mDrawRect.right ? dest.right : mDrawRect.right;
  clip.bottom = dest.bottom < mDrawRect.bottom ? dest.bottom : mDrawRect.bottom;
  srcX += clip.left - dest.left;
  srcY += clip.top - dest.top;
  const LICE_Rect source{srcX, srcY, srcX + clip.W(), srcY + clip.H()};
  LICE::Blit(mDrawTarget, bitmap.raster, clip.left, clip.top, &source, blend ? blend->weight : 1.0f,
             RasterMode(blend));
  return true;
}

bool IGraphics::DrawBitmapFrame(const GuiBitmap& bitmap, const GuiRect& dest, int frame, const BlendSpec* blend) {
  int srcX = 0;
  int srcY = 0;
  if (bitmap.frames >= 2 && frame >= 2) {
    const double size = bitmap.framesHorizontal ? bitmap.width : bitmap.height;
    const int offset = static_cast<int>(size * (frame - 1) / bitmap.frames + 0.5);
    (bitmap.framesHorizontal ? srcX : srcY) = offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::FillRect(const GuiColor& color, const GuiRect& rect, const BlendSpec* blend) {
  if (mDrawTarget) {
    LICE::FillRect(mDrawTarget, rect.left, rect.top, rect.W(), rect.H(), color.Packed(),
                   blend ? blend->weight : 1.0f, RasterMode(blend));
  }
  return true;
}

bool IGraphics::DrawText(TextStyle& style, const char* text, const GuiRect& rect) {
  if (!text || !*text) return true;
  LICE_CachedFont* font = FontCache::Instance().FontFor(style);
  if (!font) return false;
  font->SetTextColor(style.color.Packed());
  int flags = LICE_DT_NOCLIP;
  if (style.color.A != 255) flags |= LICE_DT_USEFGALPHA;
  if (style.align == kTextAlignCenter) flags |= LICE_DT_CENTER;
  if (style.align == kTextAlignRight) flags |= LICE_DT_RIGHT;
  LICE_Rect r{rect.left, rect.top, rect.right, rect.bottom};
  if (mDrawTarget) font->DrawString(mDrawTarget, text, -1, &r, flags);
  return true;
}

int IGraphics::RasterMode(const BlendSpec* blend) noexcept {
  switch (blend ? blend->method : kBlendNone) {
    case kBlendOpaque:
      return LICE_BLIT_MODE_COPY;
    case kBlendAdd:
      return LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA;
    case kBlendColorDodge:
      return LICE_BLIT_MODE_DODGE | LICE_BLIT_USE_ALPHA;
    default:
      return LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA;
  }
}

bool IGraphics::CollectDirtyRect(GuiRect& rect) {
  bool any = false;
  for (IControl* control : mControls) {
    if (!control->NeedsRedraw()) continue;
    const GuiRect& r = control->Rect();
    if (rect.Empty()) {
      rect = r;
    } else {
      if (r.left < rect.left) rect.left = r.left;
      if (r.top < rect.top) rect.top = r.top;
      if (r.right > rect.right) rect.right = r.right;
      if (r.bottom > rect.bottom) rect.bottom = r.bottom;
    }
    any = true;
  }
  return any;
}

bool IGraphics::DrawRect(const GuiRect& rect) {
  if (mControls.empty()) return true;
  if (mStrictDrawing) {
    size_t first = 0;
    const int underlay = rect.Empty() ? 0 : UnderlayCount();
    if (underlay > 0 && RefreshUnderlay(underlay)) {
      // The background covers the whole buffer, so the layers touch exactly rect within it.
      const LICE_Rect area{rect.left, rect.top, rect.right, rect.bottom};
      LICE::Blit(mBackBuffer, mUnderlay, rect.left, rect.top, &area, 1.0f, LICE_BLIT_MODE_COPY);
      first = static_cast<size_t>(underlay);
    }
    mDrawRect = rect;
    for (size_t i = first; i < mControls.size(); ++i) {
      IControl* control = mControls[i];
      if (!control->IsHidden() && Overlaps(rect, control->Rect())) control->Draw(this);
    }
    for (IControl* control : mControls) control->MarkClean();
  } else {
    IControl* background = mControls[0];
    if (background->NeedsRedraw()) {
      mDrawRect = background->Rect();
      for (IControl* control : mControls) {
        if (!control->IsHidden()) control->Draw(this);
        control->MarkClean();
      }
    } else {
      for (size_t i = 1; i < mControls.size(); ++i) {
        IControl* dirty = mControls[i];
        if (!dirty->NeedsRedraw()) continue;
        mDrawRect = dirty->Rect();
        for (IControl* control : mControls) {
          if (!control->IsHidden() && (control == dirty || Overlaps(mDrawRect, control->Rect()))) control->Draw(this);
        }
        dirty->MarkClean();
      }
    }
  }
  PresentRect(rect);
  return true;
}

void IGraphics::ClearCapture() noexcept {
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

int IGraphics::FindTarget(int x, int y, bool mouseOver) const {
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = mControls[static_cast<size_t>(i)];
    if (control->IsHidden()) continue;
    if (control->IsGreyed() && !(mouseOver && control->MouseOverWhenGreyed())) continue;
    if (control->HitTest(x, y)) return i;
  }
  return -1;
}

int IGraphics::CapturedOrTarget(int x, int y, bool mouseOver) const {
  return mMouseCapture >= 0 && mMouseCapture < NControls() ? mMouseCapture : FindTarget(x, y, mouseOver);
}

void IGraphics::HandleMouseDown(int x, int y, const MouseMods& mods) {
  ClearCapture();
  const int target = FindTarget(x, y, false);
  if (target < 0) return;
  mMouseCapture = target;
  mMouseX = x;
  mMouseY = y;
  IControl* control = mControls[static_cast<size_t>(target)];
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0 && mPlug) {
    // Under VST 3 the right button belongs to the host's parameter menu.
    if (mPlug->HostApi() == kApiVst3 && mods.R) {
      ClearCapture();
      mPlug->ShowHostParamMenu(paramIdx, x, y);
      return;
    }
    EndOpenGesture();  // a second button pressed before the first was released
    mPlug->BeginParamGesture(paramIdx);
    mGestureParam = paramIdx;
  }
  const bool wasOpen = IsWindowOpen();
  control->HandleMouseDown(x, y, mods);
  // The editor closed while the control ran a menu or dialog: no release will come.
  if (wasOpen && !IsWindowOpen()) EndOpenGesture();
}

void IGraphics::HandleMouseUp(int x, int y, const MouseMods& mods) {
  const int target = CapturedOrTarget(x, y, false);
  ClearCapture();
  if (target >= 0) mControls[static_cast<size_t>(target)]->HandleMouseUp(x, y, mods);
  // Only the gesture a press began ends: a release after the host's parameter menu, or one that
  // arrives without a press, must not send the host an end it never saw begin.
  EndOpenGesture();
}

void IGraphics::EndOpenGesture() {
  const int paramIdx = mGestureParam;
  mGestureParam = -1;
  if (paramIdx >= 0 && mPlug) mPlug->EndParamGesture(paramIdx);
}

bool IGraphics::HandleDoubleClick(int x, int y, const MouseMods& mods) {
  ClearCapture();
  const int target = FindTarget(x, y, false);
  if (target < 0) return false;
  IControl* control = mControls[static_cast<size_t>(target)];
  if (!control->DoubleClickAsSingle()) {
    control->HandleDoubleClick(x, y, mods);
    return false;
  }
  mMouseCapture = target;
  mMouseX = x;
  mMouseY = y;
  control->HandleMouseDown(x, y, mods);
  return true;
}

void IGraphics::HandleWheel(int x, int y, const MouseMods& mods, int steps) {
  const int target = CapturedOrTarget(x, y, false);
  if (target >= 0) mControls[static_cast<size_t>(target)]->HandleWheel(x, y, mods, steps);
}

bool IGraphics::HandleMouseOver(int x, int y, const MouseMods& mods) {
  if (!mHandleMouseOver) return false;
  const int target = CapturedOrTarget(x, y, true);
  if (target < 0) return mHandleMouseOver;
  mMouseX = x;
  mMouseY = y;
  mControls[static_cast<size_t>(target)]->HandleMouseOver(x, y, mods);
  if (mMouseOver >= 0 && mMouseOver != target && mMouseOver < NControls()) {
    mControls[static_cast<size_t>(mMouseOver)]->HandleMouseOut();
  }
  mMouseOver = target;
  return mHandleMouseOver;
}

void IGraphics::HandleMouseOut() {
  for (IControl* control : mControls) control->HandleMouseOut();
  mMouseOver = -1;
}

bool IGraphics::HandleKeyDown(int x, int y, int key) {
  const int target = CapturedOrTarget(x, y, false);
  if (target <= 0) return mKeyCatcher ? mKeyCatcher->HandleKeyDown(x, y, key) : false;
  return mControls[static_cast<size_t>(target)]->HandleKeyDown(x, y, key);
}

void IGraphics::HandleMouseDrag(int x, int y, const MouseMods& mods) {
  if (mMouseCapture < 0 || mMouseCapture >= NControls()) return;
  if (x == mMouseX && y == mMouseY) return;
  const int dX = x - mMouseX;
  const int dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  mControls[static_cast<size_t>(mMouseCapture)]->HandleMouseDrag(x, y, dX, dY, mods);
}

void IGraphics::PrepareBuffers() {
  delete mBackBuffer;
  delete mScratch;
  mBackBuffer = new LICE_SysBitmap(mWidth, mHeight);
  mScratch = new LICE_MemBitmap();
  mDrawTarget = mBackBuffer;
  mUnderlayLayers.clear();
}

int IGraphics::UnderlayCount() const {
  if (mControls.empty() || !mBackBuffer) return 0;
  const IControl* bg = mControls[0];
  if (typeid(*bg) != typeid(IBitmapControl) || bg->IsHidden() || bg->ParamIdx() >= 0 || bg->NAuxParams() > 0) {
    return 0;
  }
  const GuiBitmap& bitmap = static_cast<const IBitmapControl*>(bg)->Bitmap();
  const GuiRect& r = bg->Rect();
  // Only an opaque copy that fills the whole buffer makes the old contents irrelevant.
  if (bg->Blend().method != kBlendOpaque || bg->Blend().weight != 1.0f || !bitmap.raster ||
      bitmap.raster->Width() < mWidth || bitmap.raster->Height() < mHeight || r.left > 0 || r.top > 0 ||
      r.right < mWidth || r.bottom < mHeight) {
    return 0;
  }
  int count = 1;
  while (count < NControls()) {
    const IControl* c = mControls[static_cast<size_t>(count)];
    if (typeid(*c) != typeid(IBitmapControl) || c->IsHidden() || c->ParamIdx() >= 0 || c->NAuxParams() > 0) break;
    ++count;
  }
  return count >= 2 ? count : 0;  // the background alone is a row copy already
}

bool IGraphics::RefreshUnderlay(int count) {
  bool same = mUnderlay && static_cast<int>(mUnderlayLayers.size()) == count;
  for (int i = 0; same && i < count; ++i) {
    const auto* c = static_cast<const IBitmapControl*>(mControls[static_cast<size_t>(i)]);
    const UnderlayLayer& layer = mUnderlayLayers[static_cast<size_t>(i)];
    same = layer.control == c && layer.frame == IBitmapControl::FrameForValue(c->Bitmap().frames, c->Value()) &&
           layer.blend.method == c->Blend().method && layer.blend.weight == c->Blend().weight;
  }
  if (same) return true;

  if (!mUnderlay) mUnderlay = new LICE_MemBitmap();
  mUnderlay->Resize(mWidth, mHeight);
  if (mUnderlay->Width() != mWidth || mUnderlay->Height() != mHeight || !mUnderlay->Bits()) {
    mUnderlayLayers.clear();
    return false;
  }
  mUnderlayLayers.clear();
  mDrawTarget = mUnderlay;
  mDrawRect = GuiRect{0, 0, mWidth, mHeight};
  for (int i = 0; i < count; ++i) {
    auto* c = static_cast<IBitmapControl*>(mControls[static_cast<size_t>(i)]);
    c->Draw(this);
    mUnderlayLayers.push_back(
        UnderlayLayer{c, IBitmapControl::FrameForValue(c->Bitmap().frames, c->Value()), c->Blend()});
  }
  mDrawTarget = mBackBuffer;
  return true;
}
