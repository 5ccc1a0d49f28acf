// sylvane-x11-host: the smallest VST 3 host that shows the Linux editor. It loads a module from
// its bundle, opens the editor in a top-level X11 window with a run loop of its own, prints how
// long the editor took to open and show its first frame, and can save what the window shows.
//   sylvane-x11-host MODULE.so [--screenshot OUT.png] [--seconds N]
// DISPLAY must name a server (for example one started with Xvfb).
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <dlfcn.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using Clock = std::chrono::steady_clock;

namespace {
bool SameId(const TUID a, const TUID b) { return std::memcmp(a, b, sizeof(TUID)) == 0; }

class Frame : public IPlugFrame, public Linux::IRunLoop {
 public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* rect) override { return view->onSize(rect); }
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* h, Linux::FileDescriptor fd) override {
    handlers.push_back({h, fd});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* h) override {
    handlers.erase(std::remove_if(handlers.begin(), handlers.end(), [&](const auto& x) { return x.first == h; }),
                   handlers.end());
    return kResultOk;
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* h, Linux::TimerInterval ms) override {
    timers.push_back({h, static_cast<int>(ms)});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* h) override {
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const auto& x) { return x.first == h; }),
                 timers.end());
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (SameId(iid, IPlugFrame::iid) || SameId(iid, FUnknown::iid)) {
      *obj = static_cast<IPlugFrame*>(this);
      return kResultOk;
    }
    if (SameId(iid, Linux::IRunLoop::iid)) {
      *obj = static_cast<Linux::IRunLoop*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }  // lives on main's stack
  uint32 PLUGIN_API release() override { return 1; }

  // One turn of the loop: waits up to one timer period for the descriptors, then fires the timers.
  void Turn() {
    std::vector<pollfd> fds;
    for (const auto& h : handlers) fds.push_back(pollfd{h.second, POLLIN, 0});
    const int period = timers.empty() ? 40 : timers.front().second;
    if (poll(fds.data(), fds.size(), period) > 0) {
      const auto copy = handlers;
      for (size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents) copy[i].first->onFDIsSet(copy[i].second);
      }
    }
    const auto copy = timers;
    for (const auto& t : copy) t.first->onTimer();
  }

  std::vector<std::pair<Linux::IEventHandler*, int>> handlers;
  std::vector<std::pair<Linux::ITimerHandler*, int>> timers;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sylvane-x11-host MODULE.so [--screenshot OUT.png] [--seconds N]\n");
    return 1;
  }
  std::string screenshot;
  double seconds = 0.5;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = argv[i + 1];
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
  }
  void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!module) return std::fprintf(stderr, "sylvane-x11-host: %s\n", dlerror()), 2;
  auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(module, "ModuleEntry"));
  auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(module, "GetPluginFactory"));
  if (!entry || !getFactory || !entry(module)) return std::fprintf(stderr, "sylvane-x11-host: not a VST 3 module\n"), 2;
  IPluginFactory* factory = getFactory();
  PClassInfo info;
  Vst::IEditController* controller = nullptr;
  for (int32 i = 0; i < factory->countClasses() && !controller; ++i) {
    if (factory->getClassInfo(i, &info) != kResultOk) continue;
    factory->createInstance(info.cid, Vst::IEditController::iid, reinterpret_cast<void**>(&controller));
  }
  if (!controller) return std::fprintf(stderr, "sylvane-x11-host: no edit controller\n"), 2;
  controller->initialize(nullptr);

  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) return std::fprintf(stderr, "sylvane-x11-host: no X display\n"), 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;

  const auto start = Clock::now();
  IPlugView* view = controller->createView(Vst::ViewType::kEditor);
  ViewRect size;
  if (!view || view->getSize(&size) != kResultOk) return std::fprintf(stderr, "sylvane-x11-host: no editor\n"), 2;
  const xcb_window_t top = xcb_generate_id(conn);
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, top, screen->root, 0, 0, static_cast<uint16_t>(size.getWidth()),
                    static_cast<uint16_t>(size.getHeight()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0,
                    nullptr);
  xcb_map_window(conn, top);
  xcb_flush(conn);
  Frame frame;
  view->setFrame(&frame);
  if (view->attached(reinterpret_cast<void*>(static_cast<uintptr_t>(top)), kPlatformTypeX11EmbedWindowID) !=
      kResultTrue) {
    return std::fprintf(stderr, "sylvane-x11-host: the view did not attach\n"), 2;
  }
  frame.Turn();  // the first tick draws the whole editor
  free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
  const double openMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("editor %dx%d open with its first frame sent after %.1f ms\n", size.getWidth(), size.getHeight(), openMs);

  const auto until = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < until) frame.Turn();

  int status = 0;
  if (!screenshot.empty()) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        conn,
        xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, top, 0, 0, static_cast<uint16_t>(size.getWidth()),
                      static_cast<uint16_t>(size.getHeight()), ~0u),
        nullptr);
    LICE_MemBitmap bitmap(size.getWidth(), size.getHeight());
    if (image && xcb_get_image_data_length(image) == size.getWidth() * size.getHeight() * 4) {
      const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
      for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
          bitmap.Bits()[y * bitmap.RowSpan() + x] = px[y * bitmap.Width() + x] | 0xff000000u;
        }
      }
      if (!LICE::WritePNG(screenshot.c_str(), bitmap, true)) status = 3;
    } else {
      status = 3;
    }
    free(image);
    if (status) std::fprintf(stderr, "sylvane-x11-host: cannot save '%s'\n", screenshot.c_str());
  }
  view->removed();
  view->release();
  controller->terminate();
  controller->release();
  factory->release();
  xcb_destroy_window(conn, top);
  xcb_disconnect(conn);
  return status;
}
