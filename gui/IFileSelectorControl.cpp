#include "gui/IFileSelectorControl.h"

IFileSelectorControl::IFileSelectorControl(IPlugBase* plug, const GuiRect& rect, int paramIdx,
                                           const GuiBitmap& bitmap, FileAction action, const char* folder,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx),
      mBitmap(bitmap),
      mFolder(folder ? folder : ""),
      mExtensions(extensions ? extensions : ""),
      mAction(action) {}

IFileSelectorControl::~IFileSelectorControl() = default;
