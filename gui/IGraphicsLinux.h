// The editor's window on Linux: an X11 child window (through XCB, whose connection errors come
// back to us instead of ending the host process) embedded in the window the host gives. Nothing
// here runs on a thread of its own: the host drives it from its UI thread, through its run loop
// (VST 3: a timer and a handler for ConnectionFd) or its idle calls (VST 2), by calling
// ProcessEvents and TimerTick.
//
// Each editor has its own X connection, so two editors side by side share nothing. A connection
// that breaks (server gone) turns every later call into a no-op; a host window destroyed before
// CloseEditorWindow only leaves X errors in our own queue, which are read and dropped.
//
// The synchronous operations (popup menu, file and colour dialogs, messages, clipboard) run a
// short modal loop that serves only this editor's connection: the menu until it closes, a dialog
// program until it exits, the clipboard for at most kClipboardWaitMs. They keep the shared
// ModalTracker contract, so closing the editor or destroying the instance meanwhile is safe.
#pragma once

#include "gui/EditorWindowCore.h"
#include "gui/IGraphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TextEntryWindowLinux;

class IGraphicsLinux : public IGraphics {
 public:
  // module: where LoadRasterResource finds the images (see raster/EditorImageResource.h).
  IGraphicsLinux(IPlugBase* plug, int width, int height, void* module = nullptr);
  ~IGraphicsLinux() override;

  // The redraw period of the host's timer, in milliseconds (40 at 25 frames per second).
  int TimerPeriodMs() const noexcept { return EditorTimerPeriodMs(FrameRate()); }
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
  // Ends an open text entry without applying it, on the next tick.
  void CancelTextEntry() override;
  // Our window takes the new size and the whole editor is drawn on the next tick. Under VST 2,
  // which has no resize request, the host's window grows by the same amounts (and the one
  // holding it, when the host's window is not a top-level one).
  void Resize(int width, int height) override;
  const char* ApiName() override { return "X11 XCB"; }
  // Through the desktop's dialog program (zenity, else kdialog); without one, to stderr. Returns
  // the button as a Windows message box does: 1 OK, 2 Cancel, 6 Yes, 7 No.
  int ShowMessage(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) override;
  void ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                     const PlugParam* param) override;
  void HostFolder(std::string& out) override;
  void ModuleFolder(std::string& out) override;
  void DesktopFolder(std::string& out) override;
  void AppDataFolder(std::string& out, bool shared) override;
  void UserAppDataFolder(std::string& out) override { AppDataFolder(out, false); }
  // Through zenity or kdialog, whichever is found on PATH first; without either, a message says
  // so and file is "".
  void AskForFile(std::string& file, int action, std::string& folder, const char* extensions) override;
  // zenity's or kdialog's colour chooser; false without one or when cancelled.
  bool AskForColor(GuiColor& color, const char* prompt) override;
  // xdg-open, after the confirm question when one is given.
  bool OpenWebAddress(const char* address, const char* title, const char* confirm, const char* failure) override;
  // parent: the host's X window id (cast to a pointer). Returns our window id, or null.
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override;
  void* NativeWindow() override;
  // The CLIPBOARD selection as UTF-8 text, waiting at most kClipboardWaitMs for its owner.
  bool ClipboardText(std::string& out) override;
  static constexpr int kClipboardWaitMs = 500;
  LICE_IBitmap* LoadRasterResource(int id, const char* name) override;

  // The standard key mapping: an X keysym to the editor's KeyCode, or -1 when not mapped.
  static int MapKeysym(uint32_t keysym) noexcept;
  // Wheel steps of one X button press (4 up, 5 down; 6 and 7 are horizontal, 0).
  static int WheelSteps(int button) noexcept;

 private:
  struct X;
  void HandleEvent(void* event);
  // An event that arrives during a modal loop: only presenting and window bookkeeping.
  void ServeWhileModal(void* event);
  // Serves everything queued without waiting, as ServeWhileModal does. False once the window
  // or connection is gone.
  bool ServeQueuedWhileModal();
  void CloseTextEntry(bool apply);
  // The dialog program to use ("" when neither zenity nor kdialog is on PATH).
  std::string DialogProgram(bool* isZenity) const;
  // Runs a dialog program, serving our window while it runs; trailing line breaks are cut from
  // its output. False when the instance went away meanwhile (touch nothing then).
  bool RunDialog(const std::vector<std::string>& argv, std::string* out, int* exitCode);

  std::shared_ptr<X> mX;  // a modal loop holds a second reference while it runs
  std::unique_ptr<TextEntryWindowLinux> mEntryWindow;
  TextEntrySession mEntry;
  ModalTracker mModal;
  bool mCloseDuringModal = false;
  bool mRedrawAll = false;  // resized: the next tick draws everything
  void* mModule = nullptr;
};

// The factory the Linux modules install at load time.
IGraphics* MakeLinuxEditorGraphics(IPlugBase* plug, int width, int height, void* module);
