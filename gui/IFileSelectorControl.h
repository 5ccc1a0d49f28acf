// A file picker bound to a parameter. Each use asks for a file to open or save in `folder` with
// the given extensions and toggles the parameter between 0 and 1; the plug-in then reads the
// chosen path (empty after a cancel) from FilePath. The plug-in may also set the path itself.
//
// The path and folder are shared with the plug-in, which reads and sets them on whichever thread
// handles a preset command: they change only with the plug-in's parameter lock held (the dialog
// itself runs without it).
#pragma once

#include "gui/IControl.h"

#include <string>

enum FileAction : int32_t { kFileOpen = 0, kFileSave = 1 };

class IFileSelectorControl : public IControl {
 public:
  enum State : int32_t { kIdle = 0, kSelecting = 1, kSelected = 2 };

  // folder and extensions ("sylvanepreset", without a dot) are copied; null counts as empty.
  IFileSelectorControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                       FileAction action, const char* folder = "", const char* extensions = "");
  ~IFileSelectorControl() override;

  // Asks for a file (needs the plug-in and its surface), then toggles the value and sends it.
  void HandleMouseDown(int x, int y, const MouseMods& mods) override;
  // Draws the picker's face only while its dialog is open.
  bool Draw(IGraphics* graphics) override;
  // One extra redraw after a selection.
  bool NeedsRedraw() override;

  // The chosen (or plug-in-set) file path; empty when none. Caller holds the parameter lock.
  const std::string& FilePath() const noexcept { return mFile; }
  void SetFilePath(const char* path) { mFile = path ? path : ""; }
  const std::string& Folder() const noexcept { return mFolder; }
  void SetFolder(const char* folder) { mFolder = folder ? folder : ""; }
  const std::string& Extensions() const noexcept { return mExtensions; }
  FileAction Action() const noexcept { return mAction; }
  State SelectionState() const noexcept { return mState; }
  const GuiBitmap& Bitmap() const noexcept { return mBitmap; }

 protected:
  GuiBitmap mBitmap;
  std::string mFolder;
  std::string mFile;
  std::string mExtensions;
  FileAction mAction = kFileOpen;
  State mState = kIdle;
};
