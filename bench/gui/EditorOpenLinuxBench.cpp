// Time to open the Linux editor as a user waits for it: from the host's request to the first
// complete frame on the X server (window made, images decoded or found cached, every control
// drawn, the pixels presented and a round trip confirming the server has them). The first
// instance of a process decodes the images; a second one finds them cached.
//
// Needs an X server: run under xvfb-run (or on a desktop). Without DISPLAY every case is skipped.
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsLinux.h"
#include "instrument/Sylvane.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// The host's side: its own connection and a top-level window the editor's size.
struct HostWindow {
  xcb_connection_t* conn = nullptr;
  xcb_window_t window = 0;
  HostWindow() {
    SetEditorGraphicsFactory(&MakeLinuxEditorGraphics);
    if (!std::getenv("DISPLAY")) return;
    conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) return;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    window = xcb_generate_id(conn);
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1000, 960, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(conn, window);
    Sync();
  }
  ~HostWindow() {
    if (conn) xcb_disconnect(conn);
  }
  void Sync() { free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }
  void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
};

HostWindow& Host() {
  static HostWindow host;
  return host;
}

// Opens the editor of plug in the host's window and waits until its first frame is on the server.
void OpenAndShow(Sylvane& plug, benchmark::State& state) {
  auto* g = dynamic_cast<IGraphicsLinux*>(plug.Graphics());
  if (!g || !g->OpenEditorWindow(Host().Parent())) {
    state.SkipWithError("the editor window did not open");
    return;
  }
  g->TimerTick();
  // The editor's own connection: one round trip after the flush proves the frame arrived.
  g->ProcessEvents();
  Host().Sync();
}

void OpenInstance(benchmark::State& state) {
  if (!Host().window) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  for (auto _ : state) {
    auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
    OpenAndShow(*plug, state);
    state.PauseTiming();
    plug->Graphics()->CloseEditorWindow();
    plug.reset();
    state.ResumeTiming();
  }
}

// Registered first and run once: the process's first editor decodes every image.
void BM_OpenFirstEditor(benchmark::State& state) { OpenInstance(state); }
BENCHMARK(BM_OpenFirstEditor)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenSecondEditor(benchmark::State& state) { OpenInstance(state); }
BENCHMARK(BM_OpenSecondEditor)->Unit(benchmark::kMillisecond);

// Reopening the window of an instance whose editor was open before (a host's close and open).
void BM_ReopenEditorWindow(benchmark::State& state) {
  if (!Host().window) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  for (auto _ : state) {
    OpenAndShow(*plug, state);
    state.PauseTiming();
    plug->Graphics()->CloseEditorWindow();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReopenEditorWindow)->Unit(benchmark::kMillisecond);

}  // namespace
