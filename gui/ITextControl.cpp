#include "gui/ITextControl.h"

ITextControl::ITextControl(IPlugBase* plug, const GuiRect& rect, const TextStyle& style, const char* text)
    : IControl(plug, rect), mTextString(text ? text : "") {
  mText = style;
}

ITextControl::~ITextControl() = default;

void ITextControl::SetText(const char* text) {
  const char* newText = text ? text : "";
  if (mTextString == newText) return;
  MarkDirty(false);
  mTextString = newText;
}
