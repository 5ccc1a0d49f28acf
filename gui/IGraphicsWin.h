// The Windows window layer: the editor's child window inside the host's window, its 25 Hz redraw
// timer, GDI presentation, the translation of window messages into the surface's events, and the
// platform services (menus, text entry, dialogs, folders, clipboard, module images).
//
// Handles are kept as void* so this header stays free of the Windows headers. UI thread only.
// The shared state machines live in gui/EditorWindowCore.h.
#pragma once

#include "gui/EditorWindowCore.h"
#include "gui/IGraphics.h"

#include <string>

class IGraphicsWin : public IGraphics {
 public:
  // module: the instance handle of the module holding the images and naming the window class.
  IGraphicsWin(IPlugBase* plug, int width, int height, void* module);
  ~IGraphicsWin() override;

  bool PresentRect(const GuiRect& rect) override;
  void CancelTextEntry() override;
  void Resize(int width, int height) override;
  bool IsWindowOpen() override { return mWindow != nullptr; }
  const char* ApiName() override { return "Windows GDI"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) override;
  void ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                     const PlugParam* param) override;
  void HostFolder(std::string& out) override;
  void ModuleFolder(std::string& out) override;
  void DesktopFolder(std::string& out) override;
  void AppDataFolder(std::string& out, bool shared) override;
  void UserAppDataFolder(std::string& out) override { AppDataFolder(out, false); }
  void AskForFile(std::string& file, int action, std::string& folder, const char* extensions) override;
  bool AskForColor(GuiColor& color, const char* prompt) override;
  bool OpenWebAddress(const char* address, const char* title, const char* confirm, const char* failure) override;
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override;
  void* NativeWindow() override { return mWindow; }
  bool ClipboardText(std::string& out) override;
  LICE_IBitmap* LoadRasterResource(int id, const char* name) override;

  // The window class this module registers ("IPlugWndClass" made unique to the module) and how
  // many editor windows of this module are open (the class exists while it is above 0).
  static const char* WindowClassName();
  static int OpenWindowCount() noexcept;

  // One tick of the redraw timer (the window procedure calls it for timer 2); nothing once the
  // window is gone.
  void OnTimerTick();
  void* TextEntryWindow() const noexcept { return mEntryWindow; }
  const TextEntrySession& TextEntry() const noexcept { return mEntry; }
  void* TooltipWindow() const noexcept { return mTooltipWindow; }
  bool TooltipVisible() const noexcept { return mTooltipVisible; }

 private:
  friend struct IGraphicsWinProcs;  // the window procedures in IGraphicsWin.cpp
  void CloseTextEntry(bool apply);
  void* MainWindow();
  void DestroyWindowNow();
  void CreateTooltip();
  void DestroyTooltip();
  void HideTooltip();
  void ShowArmedTooltip();
  // Cancels the dialogs of this thread that the editor (or its top-level window) owns, so that a
  // close requested during a dialog's loop ends that loop.
  void CancelDialogs();

  void* mModule = nullptr;
  void* mWindow = nullptr;
  void* mEntryWindow = nullptr;
  void* mEntryFont = nullptr;
  void* mEntryPrevProc = nullptr;
  TextEntrySession mEntry;
  void* mTooltipWindow = nullptr;
  bool mTooltipVisible = false;
  int mTooltipIndex = -1;  // the control whose tooltip was last armed
  unsigned long* mCustomColors = nullptr;  // 16, allocated on first use
  void* mParent = nullptr;
  void* mMainWindow = nullptr;
  std::string mMainClass;
  int mLastMouseX = -1;
  int mLastMouseY = -1;
};

// The factory a Windows module installs at load (SetEditorGraphicsFactory).
IGraphics* CreateWindowsEditorGraphics(IPlugBase* plug, int width, int height, void* module);
