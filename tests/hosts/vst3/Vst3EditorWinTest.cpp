// The built VST 3 module's editor in a real top-level window under Wine: the view opened with
// "HWND", driven with real window messages, closed, reopened and torn down.
#include "LoadedPlugin.h"

#include "engine/KernelParams.h"
#include "gui/EditorGraphicsFactory.h"
#include "gui/IGraphicsOffscreen.h"
#include "gui/ITextControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "instrument/Sylvane.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_SysBitmap.h"
#include "tests/gui/ModalDriverWin.h"

#include "pluginterfaces/gui/iplugview.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    for (const std::string& path : written) std::remove(path.c_str());
    if (host) DestroyWindow(host);
    handler->release();
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

  // Normalised values of the ten preset parameters, in preset-file order.
  struct Sound {
    double n[kPresetElementCount];
  };
  static Sound MakeSound(double base) {
    Sound s;
    for (int i = 0; i < kPresetElementCount; ++i) s.n[i] = base + 0.03 * i;
    return s;
  }
  // The sound as a preset file (plain values), with its folders.
  void WritePreset(const std::string& path, const Sound& s) {
    double plain[kPresetElementCount];
    for (int i = 0; i < kPresetElementCount; ++i) {
      plain[i] = plugin.controller->normalizedParamToPlain(kPresetElements[i].paramIndex, s.n[i]);
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WritePresetFile(path, BuildPresetLine(plain))) << path;
    written.push_back(path);
  }
  bool Shows(const Sound& s) {
    for (int i = 0; i < kPresetElementCount; ++i) {
      if (std::fabs(plugin.controller->getParamNormalized(kPresetElements[i].paramIndex) - s.n[i]) > 1e-4) {
        return false;
      }
    }
    return true;
  }
  void SetSound(const Sound& s) {
    for (int i = 0; i < kPresetElementCount; ++i) plugin.controller->setParamNormalized(kPresetElements[i].paramIndex, s.n[i]);
  }
  // Preset files are read on the plug-in's worker thread: wait for the values to arrive.
  bool Loads(const Sound& s) {
    return ModalDriver::PumpUntil([&] { return Shows(s); }, 5000);
  }
  // The editor's timer tells the host once that a load changed values (restartComponent with
  // kParamValuesChanged, recorded as "r4").
  bool HostReadsValuesAgain() {
    return ModalDriver::PumpUntil([&] { return std::count(handler->calls.begin(), handler->calls.end(), "r4") > 0; },
                                  5000);
  }
  // A click as the mouse gives it: down, then up at the same place.
  static void Click(HWND editor, int x, int y) {
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    SendMessageA(editor, WM_LBUTTONUP, 0, At(x, y));
  }
  HWND Attach(IPlugView* view) {
    if (!view || view->attached(host, kPlatformTypeHWND) != kResultTrue) return nullptr;
    return GetWindow(host, GW_CHILD);
  }

  std::vector<std::string> written;  // removed after the test
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

// Full-size places in the preset bar.
constexpr int kBarY = 105;
constexpr int kLoadX = 40, kBackX = 100, kNameX = 500, kForwardX = 900, kSaveX = 960;

// The preset menu is picked with keys inside its own loop; the step buttons then move through the
// library and stop at either end. The menu makes no gesture; the buttons do. Each load is then
// reported once, by the editor's timer.
TEST_F(Vst3Editor, PresetMenuAndStepButtonsLoadLibraryPresets) {
  struct Entry {
    int index;
    Sound sound;
  };
  const Entry entries[] = {{1, MakeSound(0.10)}, {9, MakeSound(0.30)}, {10, MakeSound(0.50)}, {106, MakeSound(0.60)}};
  for (const Entry& e : entries) WritePreset(PresetLibraryPath(e.index), e.sound);
  const Sound& welcome = entries[0].sound;
  const Sound& user003 = entries[1].sound;
  const Sound& user004 = entries[2].sound;
  const Sound& user100 = entries[3].sound;

  IPlugView* view = plugin.controller->createView("editor");
  HWND editor = Attach(view);
  ASSERT_NE(editor, nullptr);
  std::vector<std::string> mainTexts;
  auto pick = [&](std::vector<int> keys) {
    handler->calls.clear();
    ModalDriver driver([&] {
      HWND menu = ModalDriver::MenuWindow();
      if (!menu) return false;
      mainTexts = ModalDriver::MenuTexts(menu);
      ModalDriver::PostKeys(menu, keys);
      return true;
    });
    Click(editor, kNameX, kBarY);
    EXPECT_TRUE(driver.Done());
  };
  const int down = VK_DOWN;
  // "User > User Bank A" is the fourth entry; its third item is user preset 003 (index 9).
  pick({down, down, down, down, VK_RIGHT, down, down, VK_RETURN});
  EXPECT_TRUE(Loads(user003));
  EXPECT_EQ(mainTexts, (std::vector<std::string>{"< Presets Library >", "WLCM - Into The Storm", "Factory > SFX",
                                                 "User > User Bank A", "User > User Bank B", "User > User Bank C",
                                                 "User > User Bank D"}));
  EXPECT_TRUE(HostReadsValuesAgain());
  EXPECT_EQ(handler->calls, std::vector<std::string>{"r4"});

  handler->calls.clear();
  Click(editor, kForwardX, kBarY);
  EXPECT_TRUE(Loads(user004));
  EXPECT_TRUE(HostReadsValuesAgain());
  const std::string forward = std::to_string(kPresetForward);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b" + forward, "p" + forward + "=1.000000",
                                                      "p" + forward + "=0.000000", "e" + forward, "r4"}));
  Click(editor, kBackX, kBarY);
  EXPECT_TRUE(Loads(user003));

  // At either end a step stays on the end entry and loads it again.
  struct End {
    std::vector<int> keys;
    int buttonX;
    const Sound* sound;
  };
  std::vector<int> toLast(24, down);
  toLast.insert(toLast.begin(), {down, down, down, down, down, down, down, VK_RIGHT});
  toLast.push_back(VK_RETURN);
  const End ends[] = {{{down, down, VK_RETURN}, kBackX, &welcome}, {toLast, kForwardX, &user100}};
  for (const End& end : ends) {
    pick(end.keys);
    ASSERT_TRUE(Loads(*end.sound));
    SetSound(MakeSound(0.05));
    Click(editor, end.buttonX, kBarY);
    EXPECT_TRUE(Loads(*end.sound)) << end.buttonX;
  }
  // Dismissing the menu changes nothing.
  pick({VK_ESCAPE});
  ModalDriver::PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(Shows(user100));
  view->removed();
  view->release();
}

// Load and save through the standard dialogs: the path is typed into the dialog's file name
// field and OK pressed; Cancel loads nothing. Each use toggles the button's parameter.
TEST_F(Vst3Editor, LoadAndSaveButtonsGoThroughTheFileDialogs) {
  char temp[MAX_PATH] = "";
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string path = std::string(temp) + "sylvane-dialog-test.sylvanepreset";
  std::remove(path.c_str());
  written.push_back(path);
  IPlugView* view = plugin.controller->createView("editor");
  HWND editor = Attach(view);
  ASSERT_NE(editor, nullptr);
  auto useDialog = [&](int x, int button) {
    handler->calls.clear();
    std::string title;
    ModalDriver driver([&] {
      HWND dialog = ModalDriver::FindThreadWindow("#32770");
      HWND name = dialog ? ModalDriver::DialogChild(dialog, "Edit", -1) : nullptr;
      if (!name) return false;
      SetWindowTextA(name, path.c_str());
      ModalDriver::PressButton(dialog, button);
      return true;
    });
    Click(editor, x, kBarY);
    EXPECT_TRUE(driver.Done());
  };

  const Sound saved = MakeSound(0.20), other = MakeSound(0.55);
  SetSound(saved);
  useDialog(kSaveX, IDOK);
  const std::string save = std::to_string(kPresetSave);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b" + save, "p" + save + "=1.000000", "e" + save}));
  std::string line;
  ASSERT_TRUE(ModalDriver::PumpUntil([&] { return ReadPresetLastLine(path, line) && !line.empty(); }, 5000));
  PresetValue values[kPresetElementCount];
  std::string error;
  ASSERT_EQ(ParsePresetLine(line, values, error), kPresetElementCount) << line;
  for (int i = 0; i < kPresetElementCount; ++i) {
    EXPECT_NEAR(plugin.controller->plainParamToNormalized(values[i].paramIndex, values[i].value), saved.n[i], 1e-4);
  }

  SetSound(other);
  useDialog(kLoadX, IDCANCEL);
  ModalDriver::PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(Shows(other));
  const std::string load = std::to_string(kPresetLoad);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b" + load, "p" + load + "=1.000000", "e" + load}));
  useDialog(kLoadX, IDOK);
  EXPECT_TRUE(Loads(saved));
  EXPECT_TRUE(HostReadsValuesAgain());
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b" + load, "p" + load + "=0.000000", "e" + load, "r4"}));
  view->removed();
  view->release();
}

// The host removes the view while the preset menu or a file dialog is open: each ends, the
// editor's window goes with it once its loop has returned, and the editor opens again.
TEST_F(Vst3Editor, RemovingTheViewDuringTheMenuOrADialogLeavesNothing) {
  IPlugView* view = plugin.controller->createView("editor");
  const std::string load = std::to_string(kPresetLoad);
  struct Case {
    int x;
    std::vector<std::string> calls;  // the load button's gesture still ends
  };
  const Case cases[] = {{kNameX, {}}, {kLoadX, {"b" + load, "p" + load + "=1.000000", "e" + load}}};
  for (const Case& c : cases) {
    const int x = c.x;
    HWND editor = Attach(view);
    ASSERT_NE(editor, nullptr);
    handler->calls.clear();
    ModalDriver driver([&] {
      if (!ModalDriver::MenuWindow() && !ModalDriver::FindThreadWindow("#32770")) return false;
      view->removed();
      return true;
    });
    Click(editor, x, kBarY);
    ASSERT_TRUE(driver.Done()) << x;
    EXPECT_FALSE(driver.Forced()) << "the loop ends without the user";
    EXPECT_FALSE(IsWindow(editor)) << x;
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    EXPECT_EQ(ModalDriver::MenuWindow(), nullptr);
    EXPECT_EQ(ModalDriver::FindThreadWindow("#32770"), nullptr);
    SendMessageA(editor, WM_LBUTTONUP, 0, At(x, kBarY));  // the release reaches no window
    EXPECT_EQ(handler->calls, c.calls) << x;
  }
  HWND editor = Attach(view);
  ASSERT_NE(editor, nullptr);
  handler->calls.clear();
  Click(editor, kForwardX, kBarY);
  EXPECT_EQ(handler->calls.size(), 4u);
  view->removed();
  view->release();
}

// A right click on a knob opens the host's menu for its parameter, at the click.
TEST_F(Vst3Editor, RightClickOnAKnobOpensTheHostParameterMenu) {
  handler->contextMenus = true;
  IPlugView* view = plugin.controller->createView("editor");
  HWND editor = Attach(view);
  ASSERT_NE(editor, nullptr);
  SendMessageA(editor, WM_RBUTTONDOWN, MK_RBUTTON, At(810, 290));
  SendMessageA(editor, WM_RBUTTONUP, 0, At(810, 290));
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"m" + std::to_string(kWindSpeed), "popup 810,290"}));
  EXPECT_EQ(handler->menuView, view);
  view->removed();
  view->release();
}

}  // namespace
