#include "hosts/vst3/IPlugVST3View.h"

#include "gui/IGraphics.h"
#include "hosts/vst3/IPlugVST3.h"

#include <cstring>

using namespace Steinberg;

namespace {
bool IsNativeType(FIDString type) { return type && std::strcmp(type, NativeViewPlatformType()) == 0; }
}  // namespace

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : mPlug(plug) {
  mPlug->addRef();
  mPlug->AddView(this);
}

IPlugVST3View::~IPlugVST3View() {
  mLink.reset();  // a view released without removed leaves no handler with the host
  mPlug->RemoveView(this);
  mPlug->release();
}

tresult PLUGIN_API IPlugVST3View::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IPlugView::iid, static_cast<IPlugView*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

tresult PLUGIN_API IPlugVST3View::isPlatformTypeSupported(FIDString type) {
  return IsNativeType(type) && mPlug->Graphics() ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3View::attached(void* parent, FIDString type) {
  IGraphics* graphics = mPlug->Graphics();
  if (!graphics) return kResultFalse;
  mSystemWindow = parent;
  mLink.reset();
  if (IsNativeType(type) && parent && graphics->OpenEditorWindow(parent)) mLink = LinkViewToHost(graphics, mFrame);
  mPlug->OnEditorOpen();
  return kResultTrue;
}

tresult PLUGIN_API IPlugVST3View::removed() {
  if (IGraphics* graphics = mPlug->Graphics()) {
    mPlug->OnEditorClose();
    mLink.reset();  // the host's handlers go before the window they serve
    graphics->CloseEditorWindow();
  }
  mSystemWindow = nullptr;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::getSize(ViewRect* size) {
  IGraphics* graphics = mPlug->Graphics();
  if (!graphics) return kResultFalse;
  if (!size) return kInvalidArgument;
  *size = ViewRect(0, 0, graphics->Width(), graphics->Height());
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::onSize(ViewRect* newSize) {
  if (!newSize) return kResultOk;
  mRect = *newSize;
  if (mResizeRequested) {
    mPlug->OnWindowResized();
    mResizeRequested = false;
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::setFrame(IPlugFrame* frame) {
  mFrame = frame;
  return kResultOk;
}

bool IPlugVST3View::RequestResize(int width, int height) {
  if (!mFrame) return false;
  mResizeRequested = true;
  ViewRect rect(0, 0, width, height);
  return mFrame->resizeView(this, &rect) == kResultOk;
}
