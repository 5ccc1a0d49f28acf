// An editor surface without a window: it draws into its back buffer only, and answers the
// platform's dialogs from scripts queued beforehand (menus, text entries, file dialogs). Tools
// render snapshots with it; tests drive the editor through it as a user would.
//
// Unanswered dialogs behave as dismissed ones: no menu choice, no text, no file ("").
#pragma once

#include "gui/IGraphics.h"

#include <deque>
#include <string>
#include <vector>

class IGraphicsOffscreen : public IGraphics {
 public:
  // module: where LoadRasterResource finds the images (see raster/EditorImageResource.h).
  IGraphicsOffscreen(IPlugBase* plug, int width, int height, void* module = nullptr);

  // A menu choice as the item positions from the top menu down (e.g. {2, 4}: item 4 of the
  // sub-menu behind item 2). An empty path, a position outside a menu, or ending on a sub-menu
  // heading dismisses the menu.
  void QueueMenuChoice(std::vector<int> path) { mMenuAnswers.push_back(std::move(path)); }
  // The text typed into the next text entry (as if confirmed with Return).
  void QueueTextEntry(const std::string& text) { mTextAnswers.push_back(text); }
  // The path the next file dialog returns; "" cancels.
  void QueueFile(const std::string& path) { mFileAnswers.push_back(path); }

  // What the platform was asked.
  // A copy of the last menu shown (the caller's menu may be gone); null before any.
  const PopupMenu* LastMenuShown() const noexcept { return mMenuShown ? &mLastMenu : nullptr; }
  const std::string& LastEntryText() const noexcept { return mLastEntryText; }
  const std::string& LastFileFolder() const noexcept { return mLastFileFolder; }
  const std::string& LastFileExtensions() const noexcept { return mLastFileExtensions; }
  int LastFileAction() const noexcept { return mLastFileAction; }
  int PresentCount() const noexcept { return mPresents; }
  const GuiRect& LastPresented() const noexcept { return mLastPresented; }

  // One tick of the window layer's timer (EditorTimerStep, as the window layers run it): collects
  // the dirty rectangle and, when there is one, draws and presents it. Returns whether anything
  // was drawn.
  bool RedrawCycle();
  // A mouse gesture: press at (x, y), move by (dX, dY) while held, release there.
  void Drag(int x, int y, int dX, int dY, const MouseMods& mods = MouseMods());
  // Press and release at (x, y).
  void Click(int x, int y, const MouseMods& mods = MouseMods());

  bool PresentRect(const GuiRect& rect) override;
  void CancelTextEntry() override {}
  const char* ApiName() override { return "Offscreen"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) override;
  void ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                     const PlugParam* param) override;
  void HostFolder(std::string& out) override { out.clear(); }
  void ModuleFolder(std::string& out) override { out.clear(); }
  void DesktopFolder(std::string& out) override { out.clear(); }
  void AppDataFolder(std::string& out, bool /*shared*/) override { out.clear(); }
  void UserAppDataFolder(std::string& out) override { out.clear(); }
  void AskForFile(std::string& file, int action, std::string& folder, const char* extensions) override;
  bool AskForColor(GuiColor& /*color*/, const char* /*prompt*/) override { return false; }
  bool OpenWebAddress(const char*, const char*, const char*, const char*) override { return false; }
  // The surface counts as open from OpenEditorWindow to CloseEditorWindow.
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override { mOpen = false; }
  void* NativeWindow() override { return mOpen ? this : nullptr; }
  bool ClipboardText(std::string& out) override {
    out.clear();
    return false;
  }
  LICE_IBitmap* LoadRasterResource(int id, const char* name) override;

 private:
  void* mModule = nullptr;
  bool mOpen = false;
  std::deque<std::vector<int>> mMenuAnswers;
  std::deque<std::string> mTextAnswers;
  std::deque<std::string> mFileAnswers;
  PopupMenu mLastMenu;
  bool mMenuShown = false;
  std::string mLastEntryText;
  std::string mLastFileFolder;
  std::string mLastFileExtensions;
  int mLastFileAction = -1;
  int mPresents = 0;
  GuiRect mLastPresented;
};
