// The VST 2 module's editor on Linux as a host opens it: effEditOpen with a real X11 top-level
// window of a private Xvfb, effEditIdle calls standing in for the host's UI loop, real input
// through XTest. The reference is the small editor drawn offscreen in this process.
#include "engine/KernelParams.h"
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsLinux.h"
#include "gui/IKnobMultiControl.h"
#include "hosts/vst2/VstAbi.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "instrument/Sylvane.h"
#include "tests/hosts/X11TestHost.h"
#include "tests/hosts/vst2/FakeVstHost.h"
#include "tests/hosts/vst2/ModuleLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {
using namespace x11test;
const auto* const gXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

using Entry = AEffect* (*)(audioMasterCallback);

// What a host does to show the editor, and the idle calls it makes while it is shown.
struct EditorHost {
  LoadedModule module{SYLVANE_VST2_MODULE};
  FakeVstHost host;
  AEffect* effect = nullptr;
  EditorHost() {
    auto entry = reinterpret_cast<Entry>(module.Symbol("VSTPluginMain"));
    if (entry) effect = entry(&FakeVstHost::Callback);
    if (effect) {
      effect->user = &host;
      Dispatch(effect, effOpen);
    }
  }
  ~EditorHost() {
    if (effect) Dispatch(effect, effClose);
  }
  void Idle(int calls) {
    for (int i = 0; i < calls; ++i) {
      Dispatch(effect, effEditIdle);
      usleep(20000);
    }
  }
};

const IControl* FirstKnob(IGraphics* g) {
  for (int i = 0; i < g->NControls(); ++i) {
    if (dynamic_cast<IKnobMultiControl*>(g->GetControl(i)) && g->GetControl(i)->ParamIdx() >= 0) return g->GetControl(i);
  }
  return nullptr;
}

TEST(Vst2EditorX11, OpensInTheHostWindowAsTheSnapshotAndRealInputAutomatesTheHost) {
  EditorHost e;
  ASSERT_NE(e.effect, nullptr) << e.module.Error();
  EXPECT_TRUE(e.effect->flags & effFlagsHasEditor);
  ERect* rect = nullptr;
  ASSERT_EQ(Dispatch(e.effect, effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 500);  // the VST 2 editor's own scale
  EXPECT_EQ(rect->bottom - rect->top, 480);
  const int w = rect->right, h = rect->bottom;

  HostDisplay display;
  const int left = 40, top = 30;
  const xcb_window_t win = display.TopLevel(left, top, w, h);
  EXPECT_EQ(Dispatch(e.effect, effEditOpen, 0, 0, nullptr), 0) << "no parent window";
  ASSERT_EQ(Dispatch(e.effect, effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(win))), 1);
  const std::vector<xcb_window_t> children = display.Children(win);
  ASSERT_EQ(children.size(), 1u);

  Sylvane::InstanceInfo info;
  Sylvane reference(info);
  reference.MakeDefaultPrograms(nullptr, reference.NPrograms());
  e.Idle(2);
  const std::vector<uint32_t> expected = Snapshot(reference.Graphics());
  EXPECT_EQ(Mismatches(display.CaptureSettled(children[0], w, h, expected), expected), 0u);

  // A real drag up on the first knob: begin, automate with the knob arithmetic, end.
  const IControl* knob = FirstKnob(reference.Graphics());
  ASSERT_NE(knob, nullptr);
  const int id = knob->ParamIdx();
  const GuiRect r = knob->Rect();
  const float start = e.effect->getParameter(e.effect, id);
  const int cx = left + (r.left + r.right) / 2, cy = top + (r.top + r.bottom) / 2;
  const int dragUp = 12;
  display.Move(cx, cy);
  display.Button(1, true);
  for (int step = 1; step <= 3; ++step) display.Move(cx, cy - dragUp * step / 3);
  display.Button(1, false);
  display.Sync();
  e.Idle(3);
  EXPECT_EQ(e.host.Count(audioMasterBeginEdit), 1);
  EXPECT_EQ(e.host.Count(audioMasterEndEdit), 1);
  ASSERT_FALSE(e.host.automated.empty());
  EXPECT_EQ(e.host.automated.back().first, id);
  const double dragged = start + static_cast<double>(dragUp) / r.H() / 4.0;  // gearing 4
  EXPECT_NEAR(e.host.automated.back().second, dragged, 1e-6);
  EXPECT_NEAR(e.effect->getParameter(e.effect, id), dragged, 1e-6);

  // A host-side change shows after the next idle call.
  e.effect->setParameter(e.effect, id, 0.9f);
  reference.Effect()->setParameter(reference.Effect(), id, 0.9f);
  e.Idle(1);
  const std::vector<uint32_t> changed = Snapshot(reference.Graphics());
  EXPECT_EQ(Mismatches(display.CaptureSettled(children[0], w, h, changed), changed), 0u);

  EXPECT_EQ(Dispatch(e.effect, effEditClose), 1);
  EXPECT_TRUE(display.ChildrenGone(win));
}

TEST(Vst2EditorX11, ThePresetMenuChosenWithRealClicksLoadsTheUserPreset) {
  // User preset 100 (bank D's last entry) is the only library file: only it loads anything.
  const int last = kPresetLibraryLast;
  std::filesystem::create_directories(std::filesystem::path(PresetLibraryPath(last)).parent_path());
  std::ofstream(PresetLibraryPath(last)) << "<WindSpeed>" << FormatPresetValue(0.62) << "</WindSpeed>";
  EditorHost e;
  ASSERT_NE(e.effect, nullptr) << e.module.Error();
  HostDisplay display;
  const int left = 40, top = 30;
  const xcb_window_t win = display.TopLevel(left, top, 500, 480);
  ASSERT_EQ(Dispatch(e.effect, effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(win))), 1);
  e.Idle(1);

  Sylvane::InstanceInfo info;
  Sylvane reference(info);
  const GuiRect selector = PresetSelectorRect(reference.Graphics());
  ASSERT_FALSE(selector.Empty());
  // "User > User Bank D" is the last of seven entries; its 25th entry is preset 100.
  std::thread user([&] {
    HostDisplay own;
    const auto main = ChooseInSubMenu(own, left + (selector.left + selector.right) / 2,
                                      top + (selector.top + selector.bottom) / 2, 6, 7, 24, 25);
    EXPECT_GT(main.w, 0);
  });
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < giveUp && std::abs(e.effect->getParameter(e.effect, kWindSpeed) - 0.62f) > 1e-6f) {
    e.Idle(1);
  }
  user.join();
  EXPECT_NEAR(e.effect->getParameter(e.effect, kWindSpeed), 0.62, 1e-6);
  EXPECT_TRUE(display.WaitForMenus(0).empty());
  // The editor shows the preset's name and knobs as the same choice does offscreen.
  reference.SelectLibraryPreset(last);
  reference.WaitForPresetFiles();
  e.Idle(2);
  const std::vector<uint32_t> expected = Snapshot(reference.Graphics());
  EXPECT_EQ(Mismatches(display.CaptureSettled(display.Children(win)[0], 500, 480, expected), expected), 0u);
  EXPECT_EQ(Dispatch(e.effect, effEditClose), 1);
}

// VST 2 has no request for a resize the editor makes itself: the editor's window and the host's
// change by the difference, and effEditGetRect answers the new size.
TEST(Vst2EditorX11, AnEditorResizeGrowsTheHostsWindowAndTheEditorRectangle) {
  // This instance gets a real window, as in the module, for as long as the test runs.
  struct LinuxEditors {
    LinuxEditors() { SetEditorGraphicsFactory(&MakeLinuxEditorGraphics); }
    ~LinuxEditors() { SetEditorGraphicsFactory(nullptr); }
  } linuxEditors;
  Sylvane::InstanceInfo info;
  Sylvane plug(info);
  HostDisplay display;
  const xcb_window_t win = display.TopLevel(0, 0, 500, 480);
  ASSERT_EQ(Dispatch(plug.Effect(), effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(win))), 1);
  const std::vector<xcb_window_t> children = display.Children(win);
  ASSERT_EQ(children.size(), 1u);
  plug.Graphics()->Resize(560, 500);
  ERect* rect = nullptr;
  ASSERT_EQ(Dispatch(plug.Effect(), effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 560);
  EXPECT_EQ(rect->bottom - rect->top, 500);
  Dispatch(plug.Effect(), effEditIdle);
  display.Sync();
  EXPECT_EQ(display.Size(children[0]), std::make_pair(560, 500));
  EXPECT_EQ(display.Size(win), std::make_pair(560, 500));
  EXPECT_EQ(Dispatch(plug.Effect(), effEditClose), 1);
}

TEST(Vst2EditorX11, ClosingTheInstanceWithTheEditorOpenLeavesNoWindow) {
  HostDisplay display;
  const xcb_window_t win = display.TopLevel(0, 0, 500, 480);
  {
    EditorHost e;
    ASSERT_EQ(Dispatch(e.effect, effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(win))), 1);
    e.Idle(1);
    display.Sync();
    ASSERT_EQ(display.Children(win).size(), 1u);
  }  // effClose without effEditClose
  EXPECT_TRUE(display.ChildrenGone(win));
}

}  // namespace
