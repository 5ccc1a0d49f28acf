// The built VST 2 module's editor in a real top-level window under Wine: effEditOpen into the
// host's window, real window messages, effEditClose, and effClose with the editor still open.
#include "tests/hosts/vst2/FakeVstHost.h"
#include "tests/hosts/vst2/ModuleLoader.h"

#include "engine/KernelParams.h"
#include "tests/gui/ModalDriverWin.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

// The module's instance opened for a fake host, and a top-level host window of the editor's size.
class Vst2Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module.Loaded()) << module.Error();
    effect = reinterpret_cast<Entry>(module.Symbol("VSTPluginMain"))(&FakeVstHost::Callback);
    ASSERT_NE(effect, nullptr);
    effect->user = &host;
    Dispatch(effect, effOpen);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SylvaneVst2TestHost";
    RegisterClassA(&wc);  // the second test finds it registered
    window = CreateWindowExA(0, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE, 0, 0, 500, 480, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
  }
  LoadedModule module{SYLVANE_VST2_MODULE};
  FakeVstHost host;
  AEffect* effect = nullptr;
  HWND window = nullptr;
};

TEST_F(Vst2Editor, OpensAtItsOwnSizeSendsGesturesForAKnobDragAndClosesCleanly) {
  EXPECT_TRUE(effect->flags & effFlagsHasEditor);
  ERect* rect = nullptr;
  ASSERT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 500);
  EXPECT_EQ(rect->bottom - rect->top, 480);

  // The wind speed knob: (365, 105)-(445, 185), 80 pixels high, gearing 4; a value the host set
  // shows after a tick, and 16 pixels up turn it by 16 / 80 / 4 = 0.05.
  const int id = kWindSpeed;
  for (int round = 0; round < 2; ++round) {  // the second time after closing and reopening
    ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, window), 1) << round;
    HWND editor = GetWindow(window, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    effect->setParameter(effect, id, 0.5f);
    SendMessageA(editor, WM_TIMER, 2, 0);
    host.requests.clear();
    host.automated.clear();
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(405, 145));
    SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(405, 129));
    SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(405, 129));
    EXPECT_EQ(host.Count(audioMasterBeginEdit), 1);
    EXPECT_EQ(host.Count(audioMasterEndEdit), 1);
    ASSERT_EQ(host.automated.size(), 1u);
    EXPECT_EQ(host.automated[0].first, id);
    EXPECT_NEAR(host.automated[0].second, 0.55f, 1e-6);
    EXPECT_NEAR(effect->getParameter(effect, id), 0.55f, 1e-6);
    if (round == 0) {
      EXPECT_EQ(Dispatch(effect, effEditClose), 1);
      EXPECT_FALSE(IsWindow(editor));
    } else {
      // The host closes the instance with its editor open: the window goes with it.
      Dispatch(effect, effClose);
      EXPECT_FALSE(IsWindow(editor));
    }
  }
  EXPECT_EQ(GetWindow(window, GW_CHILD), nullptr);
}

// effEditClose while the preset menu's loop runs: the menu ends, the editor's window goes once the
// loop has returned, and the reopened editor's step button is a gesture the host automates.
TEST_F(Vst2Editor, ClosingDuringThePresetMenuLeavesNothingAndTheReopenedEditorSteps) {
  ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, window), 1);
  HWND editor = GetWindow(window, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  ModalDriver driver([&] {
    if (!ModalDriver::MenuWindow()) return false;
    Dispatch(effect, effEditClose);
    return true;
  });
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 52));  // the preset name
  ASSERT_TRUE(driver.Done());
  EXPECT_FALSE(driver.Forced()) << "the menu ends without the user";
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(GetWindow(window, GW_CHILD), nullptr);
  EXPECT_EQ(ModalDriver::MenuWindow(), nullptr);

  ASSERT_EQ(Dispatch(effect, effEditOpen, 0, 0, window), 1);
  editor = GetWindow(window, GW_CHILD);
  ASSERT_NE(editor, nullptr);
  host.requests.clear();
  host.automated.clear();
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(450, 52));  // the forward button
  SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(450, 52));
  EXPECT_EQ(host.Count(audioMasterBeginEdit), 1);
  EXPECT_EQ(host.Count(audioMasterEndEdit), 1);
  EXPECT_EQ(host.automated, (std::vector<std::pair<int, float>>{{kPresetForward, 1.0f}, {kPresetForward, 0.0f}}));
  Dispatch(effect, effEditClose);
  Dispatch(effect, effClose);
}

}  // namespace
