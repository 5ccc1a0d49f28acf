// The editor's window on Linux: an X11 child window (through XCB, whose connection errors come
// back to us instead of ending the host process) embedded in the window the host gives. Nothing
// here runs on a thread of its own: the host drives it from its UI thread, through its run loop
// (VST 3: a timer and a handler for ConnectionFd) or its idle calls (VST 2), by calling
// ProcessEvents and TimerTick.
//
// Each editor has its own X connection, so two editors side by side share nothing. A connection
// that breaks (server gone) turns every later call into a no-op; a host window destroyed before
// CloseEditorWindow only leaves X errors in our own queue, which are read and dropped.
#pragma once

#include "gui/IGraphics.h"

#include <cstdint>
#include <memory>
#include <string>

class IGraphicsLinux : public IGraphics {
 public:
  // module: where LoadRasterResource finds the images (see raster/EditorImageResource.h).
  IGraphicsLinux(IPlugBase* plug, int width, int height, void* module = nullptr);
  ~IGraphicsLinux() override;

  // The redraw period of the host's timer, in milliseconds (40 at 25 frames per second).
  int TimerPeriodMs() const noexcept { return 1000 / FrameRate(); }
  // The X connection's file descriptor while the window is open, else -1.
  int ConnectionFd() const noexcept;
  // Serves every queued X event of the editor window without waiting. Returns false when the
  // connection is gone.
  bool ProcessEvents();
  // One redraw tick: draws and presents the dirty rectangle, with one flush and no round trip.
  void TimerTick();
  // Whether the server accepted shared-memory images for presenting.
  bool UsesSharedMemory() const noexcept;

  bool PresentRect(const GuiRect& rect) override;
  void CancelTextEntry() override {}
  const char* ApiName() override { return "X11 XCB"; }
  // Through the desktop's dialog program (zenity, else kdialog); without one, to stderr. 1 (OK).
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
  bool AskForColor(GuiColor& /*color*/, const char* /*prompt*/) override { return false; }
  bool OpenWebAddress(const char* address, const char* title, const char* confirm, const char* failure) override;
  // parent: the host's X window id (cast to a pointer). Returns our window id, or null.
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override;
  void* NativeWindow() override;
  bool ClipboardText(std::string& out) override;
  LICE_IBitmap* LoadRasterResource(int id, const char* name) override;

  // The standard key mapping: an X keysym to the editor's KeyCode, or -1 when not mapped.
  static int MapKeysym(uint32_t keysym) noexcept;
  // Wheel steps of one X button press (4 up, 5 down; 6 and 7 are horizontal, 0).
  static int WheelSteps(int button) noexcept;

 private:
  struct X;
  void HandleEvent(void* event);
  std::unique_ptr<X> mX;
  void* mModule = nullptr;
};

// The factory the Linux modules install at load time.
IGraphics* MakeLinuxEditorGraphics(IPlugBase* plug, int width, int height, void* module);
