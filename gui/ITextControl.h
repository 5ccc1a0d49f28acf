// A line of text in the editor, bound to no parameter: a preset name, a value or a name display.
//
// The text may be set from any thread (a preset loaded on the audio thread or a worker shows its
// name) while the UI thread draws it: text reads and writes take the owning surface's lock, only
// long enough to copy at most kMaxChars characters, never across drawing, and never allocate.
#pragma once

#include "gui/IControl.h"

#include <string>

class ITextControl : public IControl {
 public:
  static constexpr int kMaxChars = 255;  // longer texts are cut

  // text may be null (empty); it is copied. The style replaces the control's default style.
  ITextControl(IPlugBase* plug, const GuiRect& rect, const TextStyle& style, const char* text = "");
  ~ITextControl() override;

  // Draws a copy of the text taken under the surface's lock.
  bool Draw(IGraphics* graphics) override;

  // Stores a different text (cut to kMaxChars) and flags a redraw; the same text changes
  // nothing. Null counts as empty. Any thread; no allocation.
  void SetText(const char* text);
  // A copy of the current text (any thread).
  std::string Text() const;
  // Copies the text into out[kMaxChars + 1] (any thread, no allocation).
  void CopyText(char* out) const;

 private:
  char mTextBuf[kMaxChars + 1] = {};
};
