// The built VST 3 module's editor in a real top-level window under Wine: the view opened with
// "HWND", driven with real window messages, closed, reopened and torn down.
#include "LoadedPlugin.h"

#include "engine/KernelParams.h"

#include "pluginterfaces/gui/iplugview.h"

#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
