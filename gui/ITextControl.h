// A line of text in the editor, bound to no parameter: a preset name, a value or a name display.
#pragma once

#include "gui/IControl.h"

#include <string>

class ITextControl : public IControl {
 public:
  // text may be null (empty); it is copied. The style replaces the control's default style.
  ITextControl(IPlugBase* plug, const GuiRect& rect, const TextStyle& style, const char* text = "");
  ~ITextControl() override;

  // Stores a different text and flags a redraw; the same text changes nothing. Null counts as
  // empty. UI thread, or whichever thread holds the parameter lock while loading a preset.
  void SetText(const char* text);
  const std::string& Text() const noexcept { return mTextString; }

 private:
  std::string mTextString;
};
