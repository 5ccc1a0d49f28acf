// The platform-neutral editor surface. It owns the ordered list of controls (index 0 is the
// background; later controls draw on top and are hit first), a back buffer the editor's size, and
// it turns window events into calls on the control under the mouse. A window layer derives from
// it and supplies the platform operations (the virtuals marked "platform"); IGraphicsOffscreen is
// one without a window, for tools and tests.
//
// Threads: everything runs on the UI thread except PushParamToControls, which the plug-in calls
// from whichever thread changed a parameter; it only stores values in atomics and sets flags.
// Texts that other threads set (ITextControl) are guarded by SurfaceLock, held only to copy them.
//
// Redraw cycle (the window layer's timer, 25 per second): CollectDirtyRect into an empty rect; if
// anything is dirty, DrawRect(rect), which draws and marks controls clean, then presents.
#pragma once

#include "gui/EditorWindowCore.h"
#include "gui/GuiTypes.h"

#include <mutex>
#include <string>
#include <vector>

class IControl;
class IPlugBase;
class LICE_IBitmap;
class LICE_MemBitmap;
class LICE_SysBitmap;
class PlugParam;

class IGraphics {
 public:
  static constexpr int kDefaultFrameRate = 25;
  static constexpr int kBackgroundId = 101;
  static constexpr const char* kBackgroundName = "resources/img/ka_background_0003.png";

  // plug is not owned; width and height are the editor's size in pixels.
  IGraphics(IPlugBase* plug, int width, int height, int frameRate = kDefaultFrameRate);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Virtual operations in the framework's slot order.
  // platform: shows rect of the back buffer in the window.
  virtual bool PresentRect(const GuiRect& rect) = 0;
  // The rectangle `text` would take in rect (see DrawText); false when the font cannot be made.
  virtual bool MeasureText(TextStyle& style, const char* text, GuiRect& rect);
  virtual void CancelTextEntry() = 0;
  // Stores the size, forgets mouse state, destroys every control (the caller adds them again)
  // and the buffers, prepares new ones and tells the plug-in.
  virtual void Resize(int width, int height);
  virtual bool IsWindowOpen() { return NativeWindow() != nullptr; }
  virtual const char* ApiName() { return ""; }
  virtual int ShowMessage(const char* text, const char* caption, int type) = 0;
  // platform: the menu (or sub-menu) in which a choice was made, its chosen index set; null when
  // dismissed, and when the instance went away while the menu was open.
  virtual PopupMenu* ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) = 0;
  // platform: an in-place text entry; its result reaches the control's ApplyUserValue (with a
  // parameter) or ApplyEnteredText.
  virtual void ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                             const PlugParam* param) = 0;
  virtual void HostFolder(std::string& out) = 0;
  virtual void ModuleFolder(std::string& out) = 0;
  virtual void DesktopFolder(std::string& out) = 0;
  virtual void AppDataFolder(std::string& out, bool shared) = 0;
  virtual void UserAppDataFolder(std::string& out) = 0;
  // platform: file = chosen path, "" when cancelled; folder = the chosen file's folder.
  // extensions: space-separated, without dots.
  virtual void AskForFile(std::string& file, int action, std::string& folder, const char* extensions) = 0;
  virtual bool AskForColor(GuiColor& color, const char* prompt) = 0;
  virtual bool OpenWebAddress(const char* address, const char* title, const char* confirm,
                              const char* failure) = 0;
  virtual int ReservedSlot17() { return 0; }
  // platform: opens the editor window inside parent; returns the window or null.
  virtual void* OpenEditorWindow(void* parent) = 0;
  virtual int ReservedSlot19() { return 0; }
  virtual int ReservedSlot20() { return 0; }
  virtual void CloseEditorWindow() = 0;
  virtual void* NativeWindow() = 0;
  virtual bool ClipboardText(std::string& out) = 0;
  // Deletes the key catcher, the controls from the last to the first, then both bitmaps.
  virtual ~IGraphics();
  virtual void HideCursor() {}
  virtual void RestoreCursor() {}
  virtual void ReservedSlot27() {}
  // platform: decodes image resource `id` (name ends in ".png") into a new bitmap, or null.
  virtual LICE_IBitmap* LoadRasterResource(int id, const char* name) = 0;

  // Control list. AddControl appends, takes ownership and makes the surface the control's owner;
  // returns the control, or null (ownership stays with the caller) when it is null or the list
  // cannot grow. UI thread, before the editor is shown.
  IControl* AddControl(IControl* control);
  // The background: image 101 drawn opaque at (0, 0) in its own size, inserted at index 0.
  IControl* AddBackground();
  int NControls() const noexcept { return static_cast<int>(mControls.size()); }
  // Null outside 0..NControls()-1.
  IControl* GetControl(int idx) const noexcept;
  // Takes ownership of a control that takes keys no control under the mouse takes.
  void SetKeyCatcher(IControl* control);

  // The plug-in is being destroyed (from its destructor). True when a message of the editor's
  // window is being handled further up the stack (a menu or dialog loop, say): the surface then
  // forgets the plug-in (its controls too), ends its loops and closes its window, and its window
  // layer deletes it once that message has returned. False: the caller deletes it now.
  bool OrphanFromPlug();

  // Any thread, lock-free, no allocation: gives a parameter's value (plain values are normalised
  // through the parameter first) to every control bound to it and to the first matching auxiliary
  // entry of every control.
  void PushParamToControls(int paramIdx, double value, bool normalized);

  // A bitmap from the process-wide cache, decoding resource `id` on first use (a failure is
  // cached too, as a null raster). Any thread; the cache has its own lock.
  GuiBitmap LoadBitmap(int id, const char* name, int frames = 1);

  // Right-click prompt of a control: a menu of the parameter's display texts (enum, or bool with
  // texts), else a text entry holding the current plain value.
  void PromptForParamValue(IControl* control, const PlugParam* param, const GuiRect& rect);

  // Drawing into the back buffer, clipped to the current draw rectangle (DrawBitmap and
  // DrawBitmapFrame) or to the buffer (FillRect, DrawText). A null blend draws with source alpha
  // at full weight. Frames are numbered from 1.
  bool DrawBitmap(const GuiBitmap& bitmap, const GuiRect& dest, int srcX, int srcY, const BlendSpec* blend);
  bool DrawBitmapFrame(const GuiBitmap& bitmap, const GuiRect& dest, int frame, const BlendSpec* blend);
  bool FillRect(const GuiColor& color, const GuiRect& rect, const BlendSpec* blend);
  bool DrawText(TextStyle& style, const char* text, const GuiRect& rect);

  // Redraw cycle (UI thread). CollectDirtyRect unions the rectangles of every control that needs
  // a redraw (hidden ones too) into rect and tells whether there was any; DrawRect draws (strict:
  // every visible control overlapping rect, then marks every control clean; non-strict: each
  // dirty control with what overlaps it) and presents rect.
  bool CollectDirtyRect(GuiRect& rect);
  bool DrawRect(const GuiRect& rect);
  void SetStrictDrawing(bool strict) noexcept { mStrictDrawing = strict; }

  // Events from the window layer (UI thread). Coordinates in editor pixels.
  void HandleMouseDown(int x, int y, const MouseMods& mods);
  void HandleMouseUp(int x, int y, const MouseMods& mods);
  // True when the control takes double clicks as single ones (the caller then captures the mouse).
  bool HandleDoubleClick(int x, int y, const MouseMods& mods);
  void HandleWheel(int x, int y, const MouseMods& mods, int steps);
  bool HandleMouseOver(int x, int y, const MouseMods& mods);
  void HandleMouseOut();
  bool HandleKeyDown(int x, int y, int key);
  // A mouse move with a button held: the captured control gets the movement since the last
  // position, when the position changed.
  void HandleMouseDrag(int x, int y, const MouseMods& mods);
  void SetHandleMouseOver(bool handle) noexcept { mHandleMouseOver = handle; }
  // Tooltips need mouse-over handling too; a window layer that cannot show them switches them off.
  void EnableTooltips(bool enable) noexcept { mTooltipsEnabled = enable; }
  bool TooltipsEnabled() const noexcept { return mTooltipsEnabled; }

  // Readies the back buffer (and the empty scratch bitmap) for the current size.
  void PrepareBuffers();
  bool BuffersPrepared() const noexcept { return mBackBuffer != nullptr; }
  LICE_SysBitmap* BackBuffer() const noexcept { return mBackBuffer; }

  // Guards state that threads other than the UI thread write (control texts). Held only for
  // copies; never while drawing.
  std::mutex& SurfaceLock() noexcept { return mLock; }

  IPlugBase* Plug() const noexcept { return mPlug; }
  int Width() const noexcept { return mWidth; }
  int Height() const noexcept { return mHeight; }
  int FrameRate() const noexcept { return mFrameRate; }
  int CapturedControl() const noexcept { return mMouseCapture; }
  int MouseOverControl() const noexcept { return mMouseOver; }
  const GuiRect& DrawRectangle() const noexcept { return mDrawRect; }

 protected:
  // The control that takes the mouse at (x, y): the last one that is visible, not greyed (or
  // greyed but taking mouse-over, when mouseOver is set) and hit. -1 when none.
  int FindTarget(int x, int y, bool mouseOver) const;
  // The captured control when there is one, else the hit one.
  int CapturedOrTarget(int x, int y, bool mouseOver) const;
  void ClearCapture() noexcept;
  // Ends the gesture a press began (EndParamGesture), if one is open.
  void EndOpenGesture();
  // The raster blit or fill mode for a blend (null: copy with source alpha).
  static int RasterMode(const BlendSpec* blend) noexcept;
  // The underlay: the opaque background covering the editor and the plain bitmap layers straight
  // above it (no parameter, drawn the same whatever happens) composed once into a bitmap, so a
  // strict redraw copies them instead of blending them again; the pixels are the same. Returns
  // how many controls from the start of the list the copy stands for (0: none, draw them all).
  int UnderlayCount() const;
  bool RefreshUnderlay(int count);

  std::vector<IControl*> mControls;  // owned
  IPlugBase* mPlug = nullptr;
  GuiRect mDrawRect;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1;
  int mHiddenCursorY = -1;
  LICE_SysBitmap* mBackBuffer = nullptr;  // owned
  LICE_MemBitmap* mScratch = nullptr;     // owned, empty
  int mWidth = 0;
  int mHeight = 0;
  int mFrameRate = kDefaultFrameRate;
  int mMouseCapture = -1;
  int mGestureParam = -1;  // the parameter whose gesture a press began and no release ended yet
  int mMouseOver = -1;
  int mMouseX = -1;
  int mMouseY = -1;
  int mSpare = -1;
  bool mHandleMouseOver = false;
  bool mStrictDrawing = true;
  bool mTooltipsEnabled = false;
  IControl* mKeyCatcher = nullptr;  // owned
  std::mutex mLock;
  ModalTracker mModal;  // the window layer's menu and dialog loops and its dispatches

  struct UnderlayLayer {
    const IControl* control;
    int frame;
    BlendSpec blend;
  };
  LICE_IBitmap* mDrawTarget = nullptr;  // where the primitives draw: the back buffer or the underlay
  LICE_MemBitmap* mUnderlay = nullptr;  // owned; null until first needed
  std::vector<UnderlayLayer> mUnderlayLayers;  // what the underlay was composed from
};
