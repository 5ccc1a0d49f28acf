// The instrument's editor: every control's class, rectangle, parameter, image and style, at the
// scale of the module this test is built for (full size: 1000 x 960; small: every number half).
#include "tests/instrument/SylvaneHarness.h"

#include "gui/IBitmapControl.h"
#include "gui/IContactControl.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphicsOffscreen.h"
#include "gui/IKnobMultiControl.h"
#include "gui/IPanelControl.h"
#include "gui/IPopupMenu_PresetSelector.h"
#include "gui/ITextControl.h"
#include "instrument/PresetLibrary.h"
#include "instrument/SharedFolder.h"

#include <gtest/gtest.h>

#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <fstream>
#include <iterator>
#include <typeinfo>
#include <vector>

namespace {

constexpr int kScale = SylvaneAdapter::kEditorScale;  // 2 full size, 1 small
int S(int fullSize) { return fullSize * kScale / 2; }

struct Image {
  int id, width, height, frames;  // full size
};
const Image kImages[] = {
    {101, 2000, 2000, 1}, {102, 1000, 60, 1},   {103, 40, 50, 1},     {104, 40, 50, 1},   {105, 80, 50, 1},
    {106, 80, 50, 1},     {107, 120, 3480, 29}, {108, 160, 4640, 29}, {109, 160, 4640, 29}, {110, 160, 4640, 29},
    {111, 160, 4640, 29}, {112, 160, 4640, 29}, {113, 100, 2320, 29}, {114, 100, 2320, 29}, {115, 340, 4640, 29},
    {116, 1000, 1000, 1}, {117, 900, 720, 1},
};
const Image* FindImage(int id) {
  for (const Image& i : kImages) {
    if (i.id == id) return &i;
  }
  return nullptr;
}

enum Kind { kBitmap, kKnob, kPanel, kText, kSelector, kContact, kPicker };
struct Row {
  Kind kind;
  GuiRect rect;  // full size
  int param;
  int image;     // 0: none
};
// The editor as designed, in list order (the background first).
const Row kRows[] = {
    {kBitmap, {0, 0, 2000, 2000}, -1, 101},
    {kBitmap, {0, 0, 1000, 1000}, -1, 116},
    {kBitmap, {0, 0, 1000, 60}, -1, 102},
    {kBitmap, {50, 160, 950, 880}, -1, 117},
    {kKnob, {288, 720, 388, 800}, 0, 113},
    {kKnob, {550, 446, 890, 606}, 1, 115},
    {kKnob, {612, 720, 712, 800}, 2, 114},
    {kKnob, {110, 446, 270, 606}, 3, 111},
    {kKnob, {750, 702, 870, 822}, 8, 107},
    {kKnob, {130, 702, 250, 822}, 9, 107},
    {kKnob, {420, 682, 580, 842}, 15, 112},
    {kKnob, {420, 210, 580, 370}, 16, 109},
    {kKnob, {110, 210, 270, 370}, 23, 108},
    {kKnob, {730, 210, 890, 370}, 24, 110},
    {kPanel, {120, 80, 880, 130}, -1, 0},
    {kText, {120, 86, 880, 130}, -1, 0},
    {kSelector, {120, 80, 880, 130}, -1, 0},
    {kContact, {80, 80, 120, 130}, 10, 103},
    {kContact, {880, 80, 920, 130}, 11, 104},
    {kBitmap, {0, 80, 80, 130}, -1, 105},
    {kBitmap, {920, 80, 1000, 130}, -1, 106},
    {kPicker, {0, 80, 80, 130}, 12, 105},
    {kPicker, {920, 80, 1000, 130}, 13, 106},
};

const std::type_info& TypeOf(Kind k) {
  switch (k) {
    case kBitmap: return typeid(IBitmapControl);
    case kKnob: return typeid(IKnobMultiControl);
    case kPanel: return typeid(IPanelControl);
    case kText: return typeid(ITextControl);
    case kSelector: return typeid(IPopupMenu_PresetSelector);
    case kContact: return typeid(IContactControl);
    default: return typeid(IFileSelectorControl);
  }
}

const GuiBitmap* BitmapOf(IControl* c) {
  if (auto* b = dynamic_cast<IBitmapControl*>(c)) return &b->Bitmap();
  if (auto* k = dynamic_cast<IKnobMultiControl*>(c)) return &k->Bitmap();
  if (auto* p = dynamic_cast<IFileSelectorControl*>(c)) return &p->Bitmap();
  return nullptr;
}

TEST(EditorLayout, EveryControlHasItsClassRectangleParameterAndImage) {
  SylvaneHarness h;
  IGraphics* g = h.plug->Graphics();
  ASSERT_NE(nullptr, g);
  EXPECT_EQ(S(1000), g->Width());
  EXPECT_EQ(S(960), g->Height());
  ASSERT_EQ(static_cast<int>(sizeof kRows / sizeof kRows[0]), g->NControls());
  for (int i = 0; i < g->NControls(); ++i) {
    const Row& row = kRows[i];
    IControl* c = g->GetControl(i);
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(TypeOf(row.kind), typeid(*c));
    EXPECT_EQ((GuiRect{S(row.rect.left), S(row.rect.top), S(row.rect.right), S(row.rect.bottom)}), c->Rect());
    EXPECT_EQ(row.param, c->ParamIdx());
    EXPECT_EQ(i == 0 ? kBlendOpaque : kBlendNone, c->Blend().method);
    EXPECT_EQ(1.0f, c->Blend().weight);
    if (row.image) {
      const GuiBitmap* bitmap = BitmapOf(c);
      ASSERT_NE(nullptr, bitmap);
      const Image* image = FindImage(row.image);
      const GuiBitmap cached = g->LoadBitmap(row.image, "cached.png", image->frames);
      ASSERT_NE(nullptr, cached.raster) << "image " << row.image << " is not in this build";
      EXPECT_EQ(cached.raster, bitmap->raster);
      EXPECT_EQ(S(image->width), bitmap->width);
      EXPECT_EQ(S(image->height), bitmap->height);
      EXPECT_EQ(image->frames, bitmap->frames);
      EXPECT_FALSE(bitmap->framesHorizontal);
    }
    if (row.kind == kKnob) {
      auto* knob = static_cast<IKnobMultiControl*>(c);
      EXPECT_EQ(kKnobVertical, knob->Direction());
      EXPECT_EQ(4.0, knob->Gearing());
      // A knob's rectangle is one frame of its strip.
      EXPECT_EQ(knob->Bitmap().width, c->Rect().W());
      EXPECT_EQ(knob->Bitmap().height / 29, c->Rect().H());
    }
  }
}

TEST(EditorLayout, PresetBarStylesColoursAndPickers) {
  SylvaneHarness h;
  IGraphics* g = h.plug->Graphics();
  auto* panel = dynamic_cast<IPanelControl*>(g->GetControl(14));
  ASSERT_NE(nullptr, panel);
  EXPECT_EQ((GuiColor{140, 0, 0, 0}), panel->Color());

  ITextControl* name = h.plug->PresetNameText();
  ASSERT_EQ(g->GetControl(15), name);
  EXPECT_EQ("< Presets Library >", name->Text());
  const TextStyle& style = name->Style();
  EXPECT_STREQ("Arial", style.face);
  EXPECT_EQ(S(40), style.size);
  EXPECT_EQ((GuiColor{255, 200, 200, 200}), style.color);
  EXPECT_EQ((GuiColor{255, 255, 255, 255}), style.entryBackground);
  EXPECT_EQ((GuiColor{255, 0, 0, 0}), style.entryForeground);
  EXPECT_EQ(kTextStyleBold, style.style);
  EXPECT_EQ(kTextAlignCenter, style.align);
  EXPECT_EQ(0, style.orientation);
  EXPECT_EQ(kTextQualityDefault, style.quality);

  std::string folder = PresetLibraryFolder();
  folder.pop_back();  // the pickers take it without the trailing separator, with the platform's own
  folder = NativeSeparators(folder);
  const struct {
    IFileSelectorControl* picker;
    int index;
    FileAction action;
  } pickers[] = {{h.plug->PresetLoadSelector(), 21, kFileOpen}, {h.plug->PresetSaveSelector(), 22, kFileSave}};
  for (const auto& p : pickers) {
    EXPECT_EQ(g->GetControl(p.index), p.picker);
    EXPECT_EQ(p.action, p.picker->Action());
    EXPECT_EQ("sylvanepreset", p.picker->Extensions());
    EXPECT_EQ(folder, p.picker->Folder());
  }
}

TEST(EditorLayout, TheClickOrderPutsSelectorAndPickersOnTopAndKnobsFollowTheirParameters) {
  SylvaneHarness h;
  auto* g = static_cast<IGraphicsOffscreen*>(h.plug->Graphics());
  g->QueueMenuChoice({2, 4});  // a click on the name opens the menu (the Blizzard)
  g->Click(S(500), S(100));
  h.plug->WaitForPresetFiles();
  EXPECT_EQ(6.0f, h.plug->CurrentPreset());
  g->QueueFile("");
  g->Click(S(40), S(100));  // load picker over its face: a cancelled dialog toggles the parameter
  EXPECT_EQ(1.0, h.Param(kPresetLoad));
  EXPECT_EQ(kFileOpen, g->LastFileAction());

  h.plug->SetParamNormalized(kWindSpeed, 0.25);
  EXPECT_DOUBLE_EQ(0.25, g->GetControl(13)->Value());
  g->Drag(S(800), S(300), 0, -S(160));  // one knob height up: a quarter turn
  EXPECT_NEAR(0.5, h.plug->GetParam(kWindSpeed)->CurrentNormalized(), 1e-4);
  EXPECT_EQ(0, h.plug->OpenGestures());
}

// The default editor drawn in full equals the checked-in picture. Text is rasterised by the
// platform's font engine, so where that differs only pixels inside text rectangles may differ.
TEST(EditorLayout, TheDefaultEditorLooksLikeTheGoldenPicture) {
  SylvaneHarness h;
  auto* g = static_cast<IGraphicsOffscreen*>(h.plug->Graphics());
  g->OpenEditorWindow(nullptr);
  ASSERT_TRUE(g->DrawRect(GuiRect{0, 0, g->Width(), g->Height()}));
  const LICE_SysBitmap& drawn = *g->BackBuffer();

  const std::string path = std::string(SYLVANE_GOLDEN_DIR) + (kScale == 2 ? "/editor_vst3.png" : "/editor_vst2.png");
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto golden = LICE::LoadPNGFromMemory(bytes.data(), bytes.size());
  ASSERT_NE(nullptr, golden) << path;
  ASSERT_EQ(golden->Width(), drawn.Width());
  ASSERT_EQ(golden->Height(), drawn.Height());

  std::vector<GuiRect> textRects;
  for (int i = 0; i < g->NControls(); ++i) {
    if (dynamic_cast<ITextControl*>(g->GetControl(i))) textRects.push_back(g->GetControl(i)->Rect());
  }
  auto inText = [&](int x, int y) {
    for (const GuiRect& r : textRects) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
  };
  int differing = 0;
  for (int y = 0; y < drawn.Height(); ++y) {
    for (int x = 0; x < drawn.Width(); ++x) {
      // A window shows colours only: the back buffer's alpha is a by-product of blending.
      const uint32_t want = golden->Bits()[y * golden->RowSpan() + x] & 0xFFFFFFu;
      const uint32_t got = drawn.Bits()[y * drawn.RowSpan() + x] & 0xFFFFFFu;
      if (want != got && !(SYLVANE_TEXT_MAY_DIFFER && inText(x, y)) && differing++ < 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " instead of " << want;
      }
    }
  }
  EXPECT_EQ(0, differing);
}

}  // namespace
