// The built VST 3 module's editor in a real top-level window under Wine: the view opened with
// "HWND", driven with real window messages, closed, reopened and torn down.
#include "LoadedPlugin.h"

#include "engine/KernelParams.h"
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsOffscreen.h"
#include "gui/ITextControl.h"
#include "instrument/Sylvane.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_SysBitmap.h"

#include "pluginterfaces/gui/iplugview.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

using namespace Steinberg;

namespace {

class Vst3Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(plugin.initResult, kResultOk);
    plugin.controller->setComponentHandler(handler);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SylvaneVst3TestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 960, nullptr, nullptr,
                           wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override {
    if (host) DestroyWindow(host);
    handler->release();
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

  LoadedPlugin plugin;
  ComponentHandler* handler = new ComponentHandler;
  HWND host = nullptr;
};

TEST_F(Vst3Editor, ViewAnswersHwndOnlyAndReportsTheFullSizeBeforeAttaching) {
  EXPECT_EQ(plugin.controller->createView("other"), nullptr);
  EXPECT_EQ(plugin.controller->createView(nullptr), nullptr);
  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
  ViewRect r;
  ASSERT_EQ(view->getSize(&r), kResultOk);
  EXPECT_EQ(r.getWidth(), 1000);
  EXPECT_EQ(r.getHeight(), 960);
  // Another type opens no window but still answers true.
  EXPECT_EQ(view->attached(host, "NSView"), kResultTrue);
  EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
  view->removed();
  view->release();
}

TEST_F(Vst3Editor, KnobDragReachesTheHostAndTheEditorSurvivesReopeningAndTeardown) {
  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
  HWND editor = GetWindow(host, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  RECT client;
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, 1000);
  EXPECT_EQ(client.bottom, 960);

  // The wind speed knob: (730, 210)-(890, 370), 160 pixels high, gearing 4. Dragging up by 32
  // pixels turns it up by 32 / 160 / 4 = 0.05.
  const Vst::ParamID id = kWindSpeed;
  auto drag = [&](int dY) {
    handler->calls.clear();
    const double before = plugin.controller->getParamNormalized(id);
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, At(810, 290));
    SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, At(810, 290 + dY));
    SendMessageA(editor, WM_LBUTTONUP, 0, At(810, 290 + dY));
    ASSERT_GE(handler->calls.size(), 3u);
    EXPECT_EQ(handler->calls.front(), "b" + std::to_string(id));
    EXPECT_EQ(handler->calls[1].rfind("p" + std::to_string(id) + "=", 0), 0u) << handler->calls[1];
    EXPECT_EQ(handler->calls.back(), "e" + std::to_string(id));
    EXPECT_NEAR(plugin.controller->getParamNormalized(id), before - dY / 160.0 / 4.0, 1e-9);
  };
  // A value set by the host shows on the knob: the drag starts from it.
  plugin.controller->setParamNormalized(id, 0.5);
  SendMessageA(editor, WM_TIMER, 2, 0);
  drag(-32);

  // Closing and reopening keeps the controls.
  ASSERT_EQ(view->removed(), kResultOk);
  EXPECT_FALSE(IsWindow(editor));
  ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
  editor = GetWindow(host, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  drag(16);

  // The host releases the view and the instance with the editor still open: the window goes
  // with the instance, and nothing is left to tick.
  view->release();
  plugin.~LoadedPlugin();
  new (&plugin) LoadedPlugin();
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
}

// The window's pixels after its first paint are the offscreen editor's, outside the text
// rectangles, where the GDI and glyph-cache renderers may differ. With SYLVANE_SCREENSHOT_DIR set
// the capture is also written there as a PNG.
TEST_F(Vst3Editor, FirstPaintMatchesTheOffscreenEditorOutsideText) {
  SetEditorGraphicsModule(ThisExecutableModule());
  auto reference = std::make_unique<Sylvane>(SylvaneAdapter::InstanceInfo());
  auto* offscreen = static_cast<IGraphicsOffscreen*>(reference->Graphics());
  ASSERT_NE(offscreen, nullptr);
  offscreen->OpenEditorWindow(nullptr);
  offscreen->DrawRect(GuiRect{0, 0, offscreen->Width(), offscreen->Height()});
  std::vector<GuiRect> textRects;
  for (int i = 0; i < offscreen->NControls(); ++i) {
    if (dynamic_cast<ITextControl*>(offscreen->GetControl(i))) textRects.push_back(offscreen->GetControl(i)->Rect());
  }
  ASSERT_FALSE(textRects.empty());

  IPlugView* view = plugin.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
  HWND editor = GetWindow(host, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  UpdateWindow(editor);

  const int w = offscreen->Width(), h = offscreen->Height();
  LICE_SysBitmap capture(w, h);
  HDC dc = GetDC(editor);
  BitBlt(static_cast<HDC>(capture.DeviceContext()), 0, 0, w, h, dc, 0, 0, SRCCOPY);
  ReleaseDC(editor, dc);
  if (const char* dir = std::getenv("SYLVANE_SCREENSHOT_DIR")) {
    LICE::WritePNG((std::string(dir) + "/editor-vst3-windows.png").c_str(), capture, true);
  }

  int compared = 0, differing = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool inText = false;
      for (const GuiRect& r : textRects) inText |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      if (inText) continue;
      ++compared;
      const uint32_t a = offscreen->BackBuffer()->Bits()[y * offscreen->BackBuffer()->RowSpan() + x] & 0xFFFFFF;
      const uint32_t b = capture.Bits()[y * capture.RowSpan() + x] & 0xFFFFFF;
      differing += a != b;
    }
  }
  EXPECT_GT(compared, w * h / 2);
  EXPECT_EQ(differing, 0);
  view->removed();
  view->release();
}

}  // namespace
