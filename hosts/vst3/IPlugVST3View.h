// The editor view a VST 3 host receives from createView("editor"): it places the instrument's
// editor surface in the host's window, reports the editor's fixed size and passes the plug-in's
// own resize requests to the host's frame. The view holds one reference on its plug-in and is
// in the plug-in's list of views from creation to destruction. UI thread only.
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
  // Another attach without removed first closes the previous window.
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

  // The adapter's EditorResized: asks the frame for the new size; false without a frame.
  bool RequestResize(int width, int height);
  Steinberg::IPlugFrame* Frame() const noexcept { return mFrame; }
  const Steinberg::ViewRect& Rect() const noexcept { return mRect; }

 private:
  IPlugVST3* mPlug;
  Steinberg::IPlugFrame* mFrame = nullptr;  // the host's; not counted, as hosts expect
  Steinberg::ViewRect mRect;
  bool mResizeRequested = false;
  bool mOpen = false;  // between attached and removed
  std::unique_ptr<ViewPlatformLink> mLink;
};
