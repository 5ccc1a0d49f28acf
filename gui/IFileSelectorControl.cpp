#include "gui/IFileSelectorControl.h"

#include "core/IPlugBase.h"
#include "gui/IGraphics.h"

#include <mutex>

IFileSelectorControl::IFileSelectorControl(IPlugBase* plug, const GuiRect& rect, int paramIdx,
                                           const GuiBitmap& bitmap, FileAction action, const char* folder,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx),
      mBitmap(bitmap),
      mFolder(folder ? folder : ""),
      mExtensions(extensions ? extensions : ""),
      mAction(action) {}

IFileSelectorControl::~IFileSelectorControl() = default;

void IFileSelectorControl::HandleMouseDown(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {
  IGraphics* graphics = mPlug ? mPlug->Graphics() : nullptr;
  if (!graphics) return;
  mState = kSelecting;
  MarkDirty(false);
  std::string file, folder;
  {
    std::lock_guard<std::recursive_mutex> lock(mPlug->ParamLock());
    file = mFile;
    folder = mFolder;
  }
  // The dialog may stay open for minutes: never with the parameter lock held.
  graphics->AskForFile(file, mAction, folder, mExtensions.c_str());
  if (!mPlug) return;  // the instance went away during the dialog (IGraphics::OrphanFromPlug)
  {
    std::lock_guard<std::recursive_mutex> lock(mPlug->ParamLock());
    mFile = file;
    mFolder = folder;
  }
  double v = Value() + 1.0;
  if (v > 1.0) v = 0.0;
  SetValue(v);
  mState = kSelected;
  MarkDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
  if (mState == kSelecting) graphics->DrawBitmap(mBitmap, mRect, 0, 0, nullptr);
  return true;
}

bool IFileSelectorControl::NeedsRedraw() {
  if (IControl::NeedsRedraw()) return true;
  if (mState == kSelected) {
    mState = kIdle;
    return true;
  }
  return false;
}
