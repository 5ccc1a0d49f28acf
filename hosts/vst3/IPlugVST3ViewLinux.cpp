// Linux: the editor has no thread or event loop of its own. The host's run loop (asked from its
// frame) calls our timer for the redraw and our event handler when the X connection is readable;
// both are registered when the view is attached and removed when it is removed.
#include "hosts/vst3/IPlugVST3View.h"

#include "gui/IGraphicsLinux.h"

using namespace Steinberg;

namespace {
class RunLoopLink final : public ViewPlatformLink,
                          public vst3support::FObject,
                          public Linux::ITimerHandler,
                          public Linux::IEventHandler {
 public:
  RunLoopLink(IGraphicsLinux* graphics, Linux::IRunLoop* loop) : mGraphics(graphics), mLoop(loop) {}
  ~RunLoopLink() override { Unregister(); }

  bool Register() {
    const int fd = mGraphics->ConnectionFd();
    mHasEvents = fd >= 0 && mLoop->registerEventHandler(this, fd) == kResultOk;
    mHasTimer = mLoop->registerTimer(this, static_cast<Linux::TimerInterval>(mGraphics->TimerPeriodMs())) == kResultOk;
    return mHasTimer;
  }

  void PLUGIN_API onTimer() override {
    if (!mGraphics) return;
    mGraphics->ProcessEvents();  // a host that never reports the descriptor still gets input served
    mGraphics->TimerTick();
  }
  void PLUGIN_API onFDIsSet(Linux::FileDescriptor /*fd*/) override {
    // A broken connection stays readable forever: stop listening instead of spinning the host.
    if (mGraphics && !mGraphics->ProcessEvents() && mHasEvents) {
      mHasEvents = false;
      mLoop->unregisterEventHandler(this);
    }
  }

  // The run loop holds plain pointers to its handlers; this object lives until it unregisters,
  // so the counts only answer queries.
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (Answer(iid, Linux::ITimerHandler::iid, static_cast<Linux::ITimerHandler*>(this), obj)) return kResultOk;
    if (Answer(iid, Linux::IEventHandler::iid, static_cast<Linux::IEventHandler*>(this), obj)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  void Unregister() {
    if (mHasEvents) mLoop->unregisterEventHandler(this);
    if (mHasTimer) mLoop->unregisterTimer(this);
    mHasEvents = mHasTimer = false;
    mLoop->release();
  }

  IGraphicsLinux* mGraphics;
  Linux::IRunLoop* mLoop;  // one reference
  bool mHasEvents = false;
  bool mHasTimer = false;
};
}  // namespace

const char* NativeViewPlatformType() noexcept { return kPlatformTypeX11EmbedWindowID; }

std::unique_ptr<ViewPlatformLink> LinkViewToHost(IGraphics* graphics, IPlugFrame* frame) {
  auto* x11 = dynamic_cast<IGraphicsLinux*>(graphics);
  if (!x11 || !frame) return nullptr;
  Linux::IRunLoop* loop = nullptr;
  if (frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) != kResultOk || !loop) {
    return nullptr;
  }
  auto link = std::make_unique<RunLoopLink>(x11, loop);
  link->Register();
  return link;
}
