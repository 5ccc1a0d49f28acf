// sylvane-editor-open-win: loads the built VST 2 module as a host does, opens the editor of a
// first and a second instance in real windows and prints how long each took (effEditOpen and
// the first paint). With a file name it also writes the first editor's window as a PNG.
// Windows only; under Wine it needs a display (wine-run.sh gives one with SYLVANE_NEEDS_DISPLAY=1).
#include "hosts/vst2/VstAbi.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

namespace {
using Entry = AEffect* (*)(audioMasterCallback);
VstIntPtr Callback(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }
}  // namespace

int main(int argc, char** argv) {
  const char* module = argc > 1 ? argv[1] : SYLVANE_VST2_MODULE;
  const char* shot = argc > 2 ? argv[2] : nullptr;
  HMODULE lib = LoadLibraryA(module);
  FARPROC found = lib ? GetProcAddress(lib, "VSTPluginMain") : nullptr;
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(found));
  if (!entry) {
    std::fprintf(stderr, "sylvane-editor-open-win: cannot load %s\n", module);
    return 2;
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SylvaneOpenTimeHost";
  RegisterClassA(&wc);
  AEffect* effects[2] = {};
  HWND windows[2] = {};
  for (int i = 0; i < 2; ++i) {
    effects[i] = entry(&Callback);
    if (!effects[i]) return 2;
    effects[i]->dispatcher(effects[i], effOpen, 0, 0, nullptr, 0.0f);
    windows[i] = CreateWindowExA(0, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE, i * 20, i * 20, 500, 480,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    const auto start = std::chrono::steady_clock::now();
    const VstIntPtr ok = effects[i]->dispatcher(effects[i], effEditOpen, 0, 0, windows[i], 0.0f);
    HWND editor = GetWindow(windows[i], GW_CHILD);
    if (editor) UpdateWindow(editor);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("instance %d: editor %s in %.2f ms (open and first paint)\n", i + 1, ok ? "opened" : "NOT opened", ms);
    if (i == 0 && shot && editor) {
      LICE_SysBitmap capture(500, 480);
      HDC dc = GetDC(editor);
      BitBlt(static_cast<HDC>(capture.DeviceContext()), 0, 0, 500, 480, dc, 0, 0, SRCCOPY);
      ReleaseDC(editor, dc);
      if (!LICE::WritePNG(shot, capture, true)) std::fprintf(stderr, "cannot write %s\n", shot);
    }
  }
  for (int i = 1; i >= 0; --i) {
    effects[i]->dispatcher(effects[i], effEditClose, 0, 0, nullptr, 0.0f);
    effects[i]->dispatcher(effects[i], effClose, 0, 0, nullptr, 0.0f);
    DestroyWindow(windows[i]);
  }
  return 0;
}
