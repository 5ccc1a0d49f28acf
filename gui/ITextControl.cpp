#include "gui/ITextControl.h"

#include "gui/IGraphics.h"

#include <cstring>
#include <mutex>

namespace {
// The owner's lock, or none before the control has been handed to a surface (nothing else can
// see it then).
std::unique_lock<std::mutex> LockOwner(IGraphics* owner) {
  return owner ? std::unique_lock<std::mutex>(owner->SurfaceLock()) : std::unique_lock<std::mutex>();
}

// Copies at most kMaxChars characters and the terminating zero.
void CopyCut(char* out, const char* text) {
  size_t n = std::strlen(text);
  if (n > static_cast<size_t>(ITextControl::kMaxChars)) n = ITextControl::kMaxChars;
  std::memcpy(out, text, n);
  out[n] = '\0';
}
}  // namespace

ITextControl::ITextControl(IPlugBase* plug, const GuiRect& rect, const TextStyle& style, const char* text)
    : IControl(plug, rect) {
  mText = style;
  CopyCut(mTextBuf, text ? text : "");
}

ITextControl::~ITextControl() = default;

bool ITextControl::Draw(IGraphics* graphics) {
  char text[kMaxChars + 1];
  CopyText(text);
  if (text[0] == '\0') return true;
  return graphics->DrawText(mText, text, mRect);
}

void ITextControl::SetText(const char* text) {
  char cut[kMaxChars + 1];
  CopyCut(cut, text ? text : "");
  auto lock = LockOwner(mOwner);
  if (std::strcmp(mTextBuf, cut) == 0) return;
  CopyCut(mTextBuf, cut);
  MarkDirty(false);
}

std::string ITextControl::Text() const {
  char text[kMaxChars + 1];
  CopyText(text);
  return text;
}

void ITextControl::CopyText(char* out) const {
  auto lock = LockOwner(mOwner);
  CopyCut(out, mTextBuf);
}
