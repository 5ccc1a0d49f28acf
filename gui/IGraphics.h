// The platform-neutral editor surface: it owns the ordered list of controls (index 0 is the
// background; later controls draw on top) and keeps them in step with the plug-in's parameters.
// The plug-in core owns the surface once it is handed over (IPlugBase::ConnectEditor).
//
// PushParamToControls only stores values and sets flags, so the core may call it from whichever
// thread changed a parameter; everything else runs on the UI thread.
#pragma once

#include "gui/GuiTypes.h"

#include <vector>

class IControl;
class IPlugBase;

class IGraphics {
 public:
  static constexpr int kDefaultFrameRate = 25;

  // plug is not owned; width and height are the editor's size in pixels.
  IGraphics(IPlugBase* plug, int width, int height, int frameRate = kDefaultFrameRate);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;
  // Destroys the controls from the last to the first.
  virtual ~IGraphics();

  // Appends and takes ownership; returns the control, or null (ownership stays with the caller)
  // when control is null or the list cannot grow.
  IControl* AddControl(IControl* control);

  // Gives a parameter's value (plain values are normalised through the parameter first) to every
  // control bound to it and to the first matching auxiliary entry of every control.
  void PushParamToControls(int paramIdx, double value, bool normalized);

  // Readies the drawing buffers for the current size. The back-buffer bitmaps come from the
  // raster layer; until a raster layer is linked this records only that the surface is ready.
  void PrepareBuffers();
  bool BuffersPrepared() const noexcept { return mBuffersPrepared; }

  int NControls() const noexcept { return static_cast<int>(mControls.size()); }
  // Null outside 0..NControls()-1.
  IControl* GetControl(int idx) const noexcept;
  IPlugBase* Plug() const noexcept { return mPlug; }
  int Width() const noexcept { return mWidth; }
  int Height() const noexcept { return mHeight; }
  int FrameRate() const noexcept { return mFrameRate; }

 private:
  std::vector<IControl*> mControls;  // owned
  IPlugBase* mPlug = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  int mFrameRate = kDefaultFrameRate;
  bool mBuffersPrepared = false;
};
