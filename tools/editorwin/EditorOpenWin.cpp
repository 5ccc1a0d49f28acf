// sylvane-editor-open-win: loads the built VST 2 and VST 3 modules as hosts do, opens the editor
// of a first and a second instance of each in real windows and prints how long each took (from
// the instance's creation, and from the editor's opening to its first paint). With file names it
// also writes each module's first editor window as a PNG.
//   sylvane-editor-open-win [VST2_MODULE [VST2_PNG [VST3_MODULE [VST3_PNG]]]]
// Windows only; under Wine it needs a display (wine-run.sh gives one with SYLVANE_NEEDS_DISPLAY=1).
#include "hosts/vst2/VstAbi.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

using Clock = std::chrono::steady_clock;

namespace {
using Entry = AEffect* (*)(audioMasterCallback);
VstIntPtr Callback(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HWND HostWindow(int i, int width, int height) {
  return CreateWindowExA(0, "SylvaneOpenTimeHost", "host", WS_POPUP | WS_VISIBLE, i * 20, i * 20, width, height,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The editor's window as it shows on screen.
void Capture(HWND editor, int width, int height, const char* file) {
  LICE_SysBitmap capture(width, height);
  HDC dc = GetDC(editor);
  BitBlt(static_cast<HDC>(capture.DeviceContext()), 0, 0, width, height, dc, 0, 0, SRCCOPY);
  ReleaseDC(editor, dc);
  if (!LICE::WritePNG(file, capture, true)) std::fprintf(stderr, "cannot write %s\n", file);
}

void Report(const char* api, int i, bool ok, double createMs, double openMs) {
  std::printf("%s instance %d: created in %.2f ms, editor %s in %.2f ms (open and first paint)\n", api, i + 1,
              createMs, ok ? "opened" : "NOT opened", openMs);
}

int TimeVst2(const char* module, const char* shot) {
  HMODULE lib = LoadLibraryA(module);
  FARPROC found = lib ? GetProcAddress(lib, "VSTPluginMain") : nullptr;
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(found));
  if (!entry) {
    std::fprintf(stderr, "sylvane-editor-open-win: cannot load %s\n", module);
    return 2;
  }
  AEffect* effects[2] = {};
  HWND windows[2] = {};
  for (int i = 0; i < 2; ++i) {
    auto start = Clock::now();
    effects[i] = entry(&Callback);
    if (!effects[i]) return 2;
    effects[i]->dispatcher(effects[i], effOpen, 0, 0, nullptr, 0.0f);
    const double createMs = MsSince(start);
    windows[i] = HostWindow(i, 500, 480);
    start = Clock::now();
    const VstIntPtr ok = effects[i]->dispatcher(effects[i], effEditOpen, 0, 0, windows[i], 0.0f);
    HWND editor = GetWindow(windows[i], GW_CHILD);
    if (editor) UpdateWindow(editor);
    Report("VST 2", i, ok != 0, createMs, MsSince(start));
    if (i == 0 && shot && editor) Capture(editor, 500, 480, shot);
  }
  for (int i = 1; i >= 0; --i) {
    effects[i]->dispatcher(effects[i], effEditClose, 0, 0, nullptr, 0.0f);
    effects[i]->dispatcher(effects[i], effClose, 0, 0, nullptr, 0.0f);
    DestroyWindow(windows[i]);
  }
  return 0;
}

int TimeVst3(const char* module, const char* shot) {
  using namespace Steinberg;
  HMODULE lib = LoadLibraryA(module);
  FARPROC found = lib ? GetProcAddress(lib, "GetPluginFactory") : nullptr;
  auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(reinterpret_cast<void*>(found));
  IPluginFactory* factory = getFactory ? getFactory() : nullptr;
  PClassInfo info;
  if (!factory || factory->getClassInfo(0, &info) != kResultOk) {
    std::fprintf(stderr, "sylvane-editor-open-win: cannot load %s\n", module);
    return 2;
  }
  Vst::IEditController* controllers[2] = {};
  IPlugView* views[2] = {};
  HWND windows[2] = {};
  for (int i = 0; i < 2; ++i) {
    auto start = Clock::now();
    if (factory->createInstance(info.cid, Vst::IEditController::iid, reinterpret_cast<void**>(&controllers[i])) !=
            kResultOk ||
        !controllers[i]) {
      return 2;
    }
    controllers[i]->initialize(nullptr);
    const double createMs = MsSince(start);
    ViewRect size(0, 0, 1000, 960);
    windows[i] = HostWindow(i, size.getWidth(), size.getHeight());
    start = Clock::now();
    views[i] = controllers[i]->createView(Vst::ViewType::kEditor);
    const bool ok = views[i] && views[i]->getSize(&size) == kResultOk &&
                    views[i]->attached(windows[i], kPlatformTypeHWND) == kResultTrue;
    HWND editor = GetWindow(windows[i], GW_CHILD);
    if (editor) UpdateWindow(editor);
    Report("VST 3", i, ok, createMs, MsSince(start));
    if (i == 0 && shot && editor) Capture(editor, size.getWidth(), size.getHeight(), shot);
  }
  for (int i = 1; i >= 0; --i) {
    if (views[i]) {
      views[i]->removed();
      views[i]->release();
    }
    controllers[i]->terminate();
    controllers[i]->release();
    DestroyWindow(windows[i]);
  }
  factory->release();
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SylvaneOpenTimeHost";
  RegisterClassA(&wc);
  const int vst2 = TimeVst2(argc > 1 ? argv[1] : SYLVANE_VST2_MODULE, argc > 2 ? argv[2] : nullptr);
  const int vst3 = TimeVst3(argc > 3 ? argv[3] : SYLVANE_VST3_MODULE, argc > 4 ? argv[4] : nullptr);
  return vst2 ? vst2 : vst3;
}
