// The editor view a VST 3 host receives from createView("editor"): it opens and closes the
// editor's window inside the host's window, reports the editor's fixed size and carries resize
// requests of the editor to the host's frame. Host UI thread only.
//
// The view holds one reference on its plug-in for its whole life and sits in the plug-in's list
// of views from creation to destruction; destroying it does not close the editor (removed does).
#pragma once

#include "vst3support/FObject.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

class IGraphics;
class IPlugVST3;

// What a platform adds to an attached view (Linux: the host run loop's timer and event handler
// that drive the window). Made on attached, destroyed on removed.
class ViewPlatformLink {
 public:
  virtual ~ViewPlatformLink() = default;
};

// The platform's window type ("HWND", "X11EmbedWindowID").
const char* NativeViewPlatformType() noexcept;
// After the editor's window opened: whatever the platform needs to keep it running; null when
// it needs nothing or cannot (frame may be null).
std::unique_ptr<ViewPlatformLink> LinkViewToHost(IGraphics* graphics, Steinberg::IPlugFrame* frame);

class IPlugVST3View : public vst3support::FObject, public Steinberg::IPlugView {
 public:
  explicit IPlugVST3View(IPlugVST3* plug);
  ~IPlugVST3View() override;

  Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API removed() override;
  Steinberg::tresult PLUGIN_API onWheel(float) override { return Steinberg::kResultFalse; }
  Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16, Steinberg::int16, Steinberg::int16) override {
    return Steinberg::kResultFalse;
  }
  Steinberg::tresult PLUGIN_API onKeyUp(Steinberg::char16, Steinberg::int16, Steinberg::int16) override {
    return Steinberg::kResultFalse;
  }
  Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  Steinberg::tresult PLUGIN_API onFocus(Steinberg::TBool) override { return Steinberg::kResultFalse; }
  Steinberg::tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;
  Steinberg::tresult PLUGIN_API canResize() override { return Steinberg::kResultFalse; }
  Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect*) override { return Steinberg::kResultFalse; }

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const char* ClassName() const noexcept override { return "IPlugVST3View"; }

  // The adapter's EditorResized: asks the frame for (0, 0, width, height); false without a frame.
  bool RequestResize(int width, int height);
  const Steinberg::ViewRect& Rect() const noexcept { return mRect; }
  bool ResizeRequested() const noexcept { return mResizeRequested; }

 private:
  IPlugVST3* mPlug;  // one reference held
  Steinberg::ViewRect mRect;
  Steinberg::IPlugFrame* mFrame = nullptr;  // not referenced, as hosts expect
  void* mSystemWindow = nullptr;
  bool mResizeRequested = false;
  std::unique_ptr<ViewPlatformLink> mLink;
};
