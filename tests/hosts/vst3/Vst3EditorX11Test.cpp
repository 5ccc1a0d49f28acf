// The Linux editor as a host meets it: the built module loaded from its bundle, its view attached
// to a real X11 top-level window of a private Xvfb server, driven by the host's own run loop and by
// real input events (XTest). The reference is the same editor drawn offscreen in this process.
#include "LoadedPlugin.h"
#include "tests/hosts/X11TestHost.h"

#include "gui/EditorGraphicsFactory.h"
#include "gui/IControl.h"
#include "gui/IGraphics.h"
#include "gui/IGraphicsLinux.h"
#include "gui/IKnobMultiControl.h"
#include "engine/KernelParams.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "hosts/vst3/SylvaneAdapter.h"
#include "instrument/Sylvane.h"
#include "raster/LICE_SysBitmap.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
using namespace x11test;
const auto* const gXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);


// The host's window frame and its UI run loop: polls the registered descriptors and fires the
// registered timers, nothing else.
class HostFrame : public vst3support::FObject, public IPlugFrame, public Linux::IRunLoop {
 public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* rect) override {
    if (!view || !rect) return kInvalidArgument;
    resizes.push_back(*rect);
    return view->onSize(rect);
  }
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override {
    if (!handler || fd < 0) return kInvalidArgument;
    handlers.push_back({handler, fd});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override {
    handlers.erase(std::remove_if(handlers.begin(), handlers.end(), [&](const Handler& h) { return h.h == handler; }),
                   handlers.end());
    return kResultOk;
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override {
    if (!handler) return kInvalidArgument;
    timers.push_back({handler, ms, Clock::now() + std::chrono::milliseconds(ms)});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override {
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.h == handler; }),
                 timers.end());
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (Answer(iid, IPlugFrame::iid, static_cast<IPlugFrame*>(this), obj)) return kResultOk;
    if (Answer(iid, Linux::IRunLoop::iid, static_cast<Linux::IRunLoop*>(this), obj)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }

  // Runs the loop until `count` timer callbacks have fired (or ten seconds passed).
  void RunTicks(int count) {
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    for (int fired = 0; fired < count && Clock::now() < giveUp && !timers.empty();) {
      auto next = std::min_element(timers.begin(), timers.end(),
                                   [](const Timer& a, const Timer& b) { return a.due < b.due; })->due;
      std::vector<pollfd> fds;
      for (const Handler& h : handlers) fds.push_back(pollfd{h.fd, POLLIN, 0});
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
      if (poll(fds.data(), fds.size(), static_cast<int>(std::max<int64_t>(0, wait))) > 0) {
        const std::vector<Handler> copy = handlers;
        for (size_t i = 0; i < fds.size(); ++i) {
          if (fds[i].revents && Registered(copy[i].h)) copy[i].h->onFDIsSet(copy[i].fd);
        }
      }
      const std::vector<Timer> copy = timers;
      for (const Timer& t : copy) {
        if (t.due > Clock::now()) continue;
        for (Timer& live : timers) {
          if (live.h == t.h) live.due = Clock::now() + std::chrono::milliseconds(live.ms);
        }
        t.h->onTimer();
        ++fired;
      }
    }
  }

  using Clock = std::chrono::steady_clock;
  struct Handler {
    Linux::IEventHandler* h;
    int fd;
  };
  struct Timer {
    Linux::ITimerHandler* h;
    Linux::TimerInterval ms;
    Clock::time_point due;
  };
  std::vector<Handler> handlers;
  std::vector<Timer> timers;
  std::vector<ViewRect> resizes;

 private:
  bool Registered(Linux::IEventHandler* h) const {
    return std::any_of(handlers.begin(), handlers.end(), [&](const Handler& x) { return x.h == h; });
  }
};

// The rectangle of the first knob bound to a parameter, and that parameter.
const IControl* FirstKnob(Sylvane& reference) {
  IGraphics* g = reference.Graphics();
  for (int i = 0; i < g->NControls(); ++i) {
    if (dynamic_cast<IKnobMultiControl*>(g->GetControl(i)) && g->GetControl(i)->ParamIdx() >= 0) {
      return g->GetControl(i);
    }
  }
  return nullptr;
}

struct Editor {
  Editor() {
    handler = new ComponentHandler;
    p.controller->setComponentHandler(handler);
    view = p.controller->createView(ViewType::kEditor);
  }
  ~Editor() {
    if (view) view->release();
    p.controller->setComponentHandler(nullptr);
    handler->release();
    frame->release();
  }
  LoadedPlugin p;
  ComponentHandler* handler;
  HostFrame* frame = new HostFrame;
  IPlugView* view = nullptr;
};

constexpr int kW = SylvaneAdapter::kEditorWidth;
constexpr int kH = SylvaneAdapter::kEditorHeight;

TEST(Vst3EditorX11, OpensInTheHostWindowDrawsAsTheSnapshotFollowsTheHostAndLeavesNothing) {
  Editor e;
  ASSERT_NE(e.view, nullptr);
  const struct {
    const char* type;
    tresult expected;
  } types[] = {{kPlatformTypeX11EmbedWindowID, kResultTrue}, {kPlatformTypeHWND, kResultFalse}, {nullptr, kResultFalse}};
  for (const auto& t : types) EXPECT_EQ(e.view->isPlatformTypeSupported(t.type), t.expected) << (t.type ? t.type : "null");
  ViewRect size;
  ASSERT_EQ(e.view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), 1000);  // the VST 3 editor's own scale
  EXPECT_EQ(size.getHeight(), 960);

  HostDisplay host;
  const xcb_window_t top = host.TopLevel(0, 0, kW, kH);
  ASSERT_EQ(e.view->setFrame(e.frame), kResultOk);
  ASSERT_EQ(e.view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(top)), kPlatformTypeX11EmbedWindowID),
            kResultTrue);
  ASSERT_EQ(e.frame->timers.size(), 1u);
  EXPECT_EQ(e.frame->timers[0].ms, 40u);
  ASSERT_EQ(e.frame->handlers.size(), 1u);
  const std::vector<xcb_window_t> children = host.Children(top);
  ASSERT_EQ(children.size(), 1u);

  Sylvane reference{IPlugVST3::InstanceInfo{}};
  HostApplication* refHost = new HostApplication("reference");
  ASSERT_EQ(reference.initialize(refHost->Context()), kResultOk);
  const IControl* knob = FirstKnob(reference);
  ASSERT_NE(knob, nullptr);
  const auto id = static_cast<ParamID>(knob->ParamIdx());

  // The first tick draws everything; a host-side change shows after the next one.
  e.frame->RunTicks(1);
  host.Sync();
  std::vector<uint32_t> shown = host.CaptureSettled(children[0], kW, kH, Snapshot(reference.Graphics()));
  EXPECT_EQ(Mismatches(shown, Snapshot(reference.Graphics())), 0u);
  for (double value : {0.85, 0.1}) {
    e.p.controller->setParamNormalized(id, value);
    reference.setParamNormalized(id, value);
    e.frame->RunTicks(1);
    host.Sync();
    const std::vector<uint32_t> expected = Snapshot(reference.Graphics());
    std::vector<uint32_t> now = host.CaptureSettled(children[0], kW, kH, expected);
    EXPECT_GT(Mismatches(now, shown), 0u) << value;  // the knob moved on screen
    EXPECT_EQ(Mismatches(now, expected), 0u) << value;
    shown = std::move(now);
  }

  EXPECT_EQ(e.view->removed(), kResultOk);
  EXPECT_TRUE(e.frame->timers.empty());
  EXPECT_TRUE(e.frame->handlers.empty());
  EXPECT_TRUE(host.ChildrenGone(top));
  reference.terminate();
  refHost->release();
}

TEST(Vst3EditorX11, RealDragAndWheelReachTheHostWithTheKnobArithmetic) {
  Editor e;
  Sylvane reference{IPlugVST3::InstanceInfo{}};
  const IControl* knob = FirstKnob(reference);
  ASSERT_NE(knob, nullptr);
  const int id = knob->ParamIdx();
  const GuiRect r = knob->Rect();

  HostDisplay host;
  const int left = 30, top = 20;  // the host window is not at the screen origin
  const xcb_window_t win = host.TopLevel(left, top, kW, kH);
  e.view->setFrame(e.frame);
  ASSERT_EQ(e.view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(win)), kPlatformTypeX11EmbedWindowID),
            kResultTrue);
  e.p.controller->setParamNormalized(static_cast<ParamID>(id), 0.5);
  e.frame->RunTicks(1);  // the editor takes host values on its tick
  const double start = e.p.controller->getParamNormalized(static_cast<ParamID>(id));

  const int cx = left + (r.left + r.right) / 2, cy = top + (r.top + r.bottom) / 2;
  const int dragUp = 30;
  host.Move(cx, cy);
  host.Button(1, true);
  for (int step = 1; step <= 3; ++step) host.Move(cx, cy - dragUp * step / 3);
  host.Button(1, false);
  host.Sync();
  e.frame->RunTicks(2);
  // Dragging up by dragUp pixels over a vertical span of H() at gearing 4.
  const double dragged = start + static_cast<double>(dragUp) / r.H() / 4.0;
  std::vector<std::string>& calls = e.handler->calls;
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), "b" + std::to_string(id));
  EXPECT_EQ(calls.back(), "e" + std::to_string(id));
  const std::string& lastEdit = calls[calls.size() - 2];
  ASSERT_EQ(lastEdit.rfind("p" + std::to_string(id) + "=", 0), 0u) << lastEdit;
  EXPECT_NEAR(std::stod(lastEdit.substr(lastEdit.find('=') + 1)), dragged, 1e-6);

  // One wheel notch down is one step of -0.01.
  calls.clear();
  host.Button(5, true);
  host.Button(5, false);
  host.Sync();
  e.frame->RunTicks(2);
  ASSERT_FALSE(calls.empty());
  const std::string& wheel = calls.back().rfind("p", 0) == 0 ? calls.back() : calls[calls.size() - 2];
  EXPECT_NEAR(std::stod(wheel.substr(wheel.find('=') + 1)), dragged - 0.01, 1e-6) << wheel;
  EXPECT_NEAR(e.p.controller->getParamNormalized(static_cast<ParamID>(id)), dragged - 0.01, 1e-6);
  e.view->removed();
}

TEST(Vst3EditorX11, ThePresetMenuOpensOnARealClickAndTheChosenPresetLoads) {
  // The factory preset the user will pick, with values of its own; no other entry has a file, so
  // only that entry loads anything.
  const int blizzard = 6;
  std::filesystem::create_directories(std::filesystem::path(PresetLibraryPath(blizzard)).parent_path());
  std::ofstream(PresetLibraryPath(blizzard)) << "<AmpWindLevel>" << FormatPresetValue(0.81) << "</AmpWindLevel><WindSpeed>"
                                             << FormatPresetValue(0.37) << "</WindSpeed>";
  Editor e;
  HostDisplay host;
  const int left = 30, top = 20;
  const xcb_window_t win = host.TopLevel(left, top, kW, kH);
  e.view->setFrame(e.frame);
  ASSERT_EQ(e.view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(win)), kPlatformTypeX11EmbedWindowID),
            kResultTrue);
  e.frame->RunTicks(1);

  Sylvane reference{IPlugVST3::InstanceInfo{}};
  HostApplication* refHost = new HostApplication("reference");
  ASSERT_EQ(reference.initialize(refHost->Context()), kResultOk);
  const GuiRect selector = PresetSelectorRect(reference.Graphics());
  ASSERT_FALSE(selector.Empty());

  // The user clicks the preset name, then "Factory > SFX", then "SFX - The Blizzard". The menu
  // holds the UI thread (the host's loop) until then, so the user acts from another thread.
  std::thread user([&] {
    HostDisplay own;
    const auto main = ChooseInSubMenu(own, left + (selector.left + selector.right) / 2,
                                      top + (selector.top + selector.bottom) / 2, 2, 7, 4, 5);
    EXPECT_EQ(main.x, left + selector.left);  // below the preset name
    EXPECT_EQ(main.y, top + selector.bottom);
  });
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < giveUp &&
         std::abs(e.p.controller->getParamNormalized(kWindSpeed) - 0.37) > 1e-6) {
    e.frame->RunTicks(1);
  }
  user.join();
  EXPECT_NEAR(e.p.controller->getParamNormalized(kWindSpeed), 0.37, 1e-6);
  EXPECT_NEAR(e.p.controller->getParamNormalized(kAmpWindLevel), 0.81, 1e-6);
  EXPECT_TRUE(host.WaitForMenus(0).empty());
  // An editor tick after the load tells the host, once, to read the values again.
  auto restarts = [&] { return std::count(e.handler->calls.begin(), e.handler->calls.end(), "r4"); };
  for (int tick = 0; tick < 5 && restarts() == 0; ++tick) e.frame->RunTicks(1);
  e.frame->RunTicks(1);
  EXPECT_EQ(restarts(), 1);

  // The window shows what the same choice shows offscreen: knobs and the preset's name.
  reference.SelectLibraryPreset(blizzard);
  reference.WaitForPresetFiles();
  e.frame->RunTicks(2);
  const std::vector<uint32_t> expected = Snapshot(reference.Graphics());
  EXPECT_EQ(Mismatches(host.CaptureSettled(host.Children(win)[0], kW, kH, expected), expected), 0u);
  e.view->removed();
  reference.terminate();
  refHost->release();
}

// A resize the editor makes itself: the adapter asks the frame for the new rectangle and takes
// the host's answer (onSize), our window follows, and the host's own window is left to the host.
// Twice, so the second request is not swallowed by the first.
TEST(Vst3EditorX11, AnEditorResizeAsksTheFrameAndSizesOnlyTheEditorsWindow) {
  SetEditorGraphicsFactory(&MakeLinuxEditorGraphics);  // this instance gets a real window
  auto* plug = new Sylvane(IPlugVST3::InstanceInfo{});
  HostApplication* context = new HostApplication("resize");
  ASSERT_EQ(plug->initialize(context->Context()), kResultOk);
  SetEditorGraphicsFactory(nullptr);
  IPlugView* view = plug->createView(ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  HostFrame* frame = new HostFrame;
  HostDisplay host;
  const xcb_window_t top = host.TopLevel(0, 0, kW, kH);
  view->setFrame(frame);
  ASSERT_EQ(view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(top)), kPlatformTypeX11EmbedWindowID),
            kResultTrue);
  frame->RunTicks(1);
  const std::vector<xcb_window_t> children = host.Children(top);
  ASSERT_EQ(children.size(), 1u);

  const std::pair<int, int> sizes[] = {{kW - 200, kH - 100}, {kW, kH}};
  for (size_t i = 0; i < 2; ++i) {
    const auto [w, h] = sizes[i];
    plug->Graphics()->Resize(w, h);
    ASSERT_EQ(frame->resizes.size(), i + 1);
    const ViewRect& asked = frame->resizes[i];
    EXPECT_EQ(asked.left, 0);
    EXPECT_EQ(asked.top, 0);
    EXPECT_EQ(asked.right, w);
    EXPECT_EQ(asked.bottom, h);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), w);
    frame->RunTicks(1);
    host.Sync();
    EXPECT_EQ(host.Size(children[0]), std::make_pair(w, h));
    EXPECT_EQ(host.Size(top), std::make_pair(kW, kH));
  }
  EXPECT_EQ(view->removed(), kResultOk);
  view->release();
  frame->release();
  plug->terminate();
  plug->release();
  context->release();
}

TEST(Vst3EditorX11, TwoEditorsSideBySideAndAHostWindowDestroyedBeforeRemoved) {
  HostDisplay host;
  Editor a, b;
  const xcb_window_t wa = host.TopLevel(0, 0, kW, kH);
  const xcb_window_t wb = host.TopLevel(1100, 0, kW, kH);
  for (auto [editor, window] : {std::pair<Editor*, xcb_window_t>{&a, wa}, {&b, wb}}) {
    editor->view->setFrame(editor->frame);
    ASSERT_EQ(editor->view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(window)),
                                     kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    editor->frame->RunTicks(1);
  }
  host.Sync();
  const std::vector<xcb_window_t> inB = host.Children(wb);
  ASSERT_EQ(inB.size(), 1u) << "in a: " << host.Children(wa).size() << ", b handlers " << b.frame->handlers.size();

  // The host destroys a's window without removed: a keeps running its timer harmlessly.
  xcb_destroy_window(host.conn, wa);
  host.Sync();
  a.frame->RunTicks(2);
  EXPECT_EQ(a.view->removed(), kResultOk);
  EXPECT_TRUE(a.frame->timers.empty());
  EXPECT_TRUE(a.frame->handlers.empty());

  // b is untouched and still follows its host.
  Sylvane reference{IPlugVST3::InstanceInfo{}};
  HostApplication* refHost = new HostApplication("reference");
  ASSERT_EQ(reference.initialize(refHost->Context()), kResultOk);
  const auto id = static_cast<ParamID>(FirstKnob(reference)->ParamIdx());
  const double value = b.p.controller->getParamNormalized(id) > 0.5 ? 0.0 : 1.0;
  b.p.controller->setParamNormalized(id, value);
  reference.setParamNormalized(id, value);
  b.frame->RunTicks(1);
  const std::vector<uint32_t> expected = Snapshot(reference.Graphics());
  EXPECT_EQ(Mismatches(host.CaptureSettled(inB[0], kW, kH, expected), expected), 0u);
  reference.terminate();
  refHost->release();
  b.view->removed();
}

}  // namespace

namespace {
TEST(Vst3EditorX11, AnXServerThatGoesAwayCrashesNothing) {
  const std::string mainDisplay = std::getenv("DISPLAY");
  XvfbEnvironment doomed;  // a second server, only for this test
  ASSERT_TRUE(doomed.StartOwn(15000));
  {
    Editor e;
    HostDisplay host;
    const xcb_window_t top = host.TopLevel(0, 0, kW, kH);
    e.view->setFrame(e.frame);
    ASSERT_EQ(e.view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(top)), kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    e.frame->RunTicks(1);
    ASSERT_EQ(e.frame->handlers.size(), 1u);
    doomed.TearDown();
    e.frame->RunTicks(3);  // the broken connection is noticed and its handler dropped, not spun on
    EXPECT_TRUE(e.frame->handlers.empty());
    e.p.controller->setParamNormalized(0, 0.7);
    e.frame->RunTicks(1);
    EXPECT_EQ(e.view->removed(), kResultOk);
    EXPECT_TRUE(e.frame->timers.empty());
  }
  setenv("DISPLAY", mainDisplay.c_str(), 1);
}
}  // namespace
