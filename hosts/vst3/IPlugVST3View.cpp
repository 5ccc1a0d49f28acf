#include "hosts/vst3/IPlugVST3View.h"

#include "gui/IGraphics.h"
#include "hosts/vst3/IPlugVST3.h"

#include <cstring>

using namespace Steinberg;

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : mPlug(plug) {
  mPlug->addRef();
  mPlug->AddView(this);
}

IPlugVST3View::~IPlugVST3View() {
  mLink.reset();
  mPlug->RemoveView(this);
  mPlug->release();
}

tresult PLUGIN_API IPlugVST3View::isPlatformTypeSupported(FIDString type) {
  return type && mPlug->Graphics() && std::strcmp(type, NativeViewPlatformType()) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3View::attached(void* parent, FIDString type) {
  IGraphics* g = mPlug->Graphics();
  if (!g) return kResultFalse;
  if (mOpen) removed();
  if (type && parent && std::strcmp(type, NativeViewPlatformType()) == 0) {
    if (g->OpenEditorWindow(parent)) mLink = LinkViewToHost(g, mFrame);
  }
  mOpen = true;
  mPlug->OnEditorOpen();
  return kResultTrue;
}

tresult PLUGIN_API IPlugVST3View::removed() {
  if (IGraphics* g = mPlug->Graphics()) {
    if (mOpen) mPlug->OnEditorClose();
    mLink.reset();  // the host's handlers go before the window they serve
    g->CloseEditorWindow();
  }
  mOpen = false;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::getSize(ViewRect* size) {
  IGraphics* g = mPlug->Graphics();
  if (!size) return kInvalidArgument;
  if (!g) return kResultFalse;
  *size = ViewRect(0, 0, g->Width(), g->Height());
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::onSize(ViewRect* newSize) {
  if (!newSize) return kResultOk;
  mRect = *newSize;
  if (mResizeRequested) {
    mResizeRequested = false;
    mPlug->OnWindowResized();
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
  mFrame->resizeView(this, &rect);
  return true;
}

tresult PLUGIN_API IPlugVST3View::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (Answer(iid, IPlugView::iid, static_cast<IPlugView*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}
