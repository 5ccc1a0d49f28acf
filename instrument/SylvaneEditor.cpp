// The editor layout: a background, three decorative layers, ten knobs and the preset bar. The
// numbers are those of the full-size (VST 3) editor; a module whose kEditorScale is 1 uses half
// of each (all are even). Images are drawn 1:1; each module carries its own image set.
#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"
#include "gui/EditorGraphicsFactory.h"
#include "gui/IBitmapControl.h"
#include "gui/IContactControl.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphics.h"
#include "gui/IKnobMultiControl.h"
#include "gui/IPanelControl.h"
#include "gui/IPopupMenu_PresetSelector.h"
#include "gui/ITextControl.h"
#include "instrument/PresetLibrary.h"
#include "instrument/SharedFolder.h"

#include <cstdio>
#include <string>

namespace {
constexpr int kFullScale = 2;  // the table below is in full-size pixels
constexpr int kKnobFrames = 29;
constexpr double kKnobGearing = 4.0;

struct EditorImage {
  int id;
  const char* name;
  int frames;
};
// In loading order.
constexpr EditorImage kImages[] = {
    {102, "resources/img/ka_panel_header_0002.png", 1},
    {117, "resources/img/ka_panel_sylvane_0001.png", 1},
    {116, "resources/img/ka_panel_mask_0001_green.png", 1},
    {107, "resources/img/ka_knob_0027.png", kKnobFrames},
    {108, "resources/img/ka_knob_0028.png", kKnobFrames},
    {109, "resources/img/ka_knob_0029.png", kKnobFrames},
    {110, "resources/img/ka_knob_0030.png", kKnobFrames},
    {111, "resources/img/ka_knob_0031.png", kKnobFrames},
    {112, "resources/img/ka_knob_0032.png", kKnobFrames},
    {113, "resources/img/ka_knob_0033.png", kKnobFrames},
    {114, "resources/img/ka_knob_0034.png", kKnobFrames},
    {115, "resources/img/ka_knob_0035.png", kKnobFrames},
    {103, "resources/img/ka_button_preset_backward_0001.png", 1},
    {104, "resources/img/ka_button_preset_forward_0001.png", 1},
    {105, "resources/img/ka_button_preset_load_0001.png", 1},
    {106, "resources/img/ka_button_preset_save_0001.png", 1},
};
constexpr int kNImages = static_cast<int>(sizeof kImages / sizeof kImages[0]);

struct KnobPlace {
  int left, top, right, bottom;
  int param;
  int image;
};
// In drawing order.
constexpr KnobPlace kKnobs[] = {
    {288, 720, 388, 800, kAmpFadeInOut, 113},
    {550, 446, 890, 606, kAmpFoliageLevel, 115},
    {612, 720, 712, 800, kAmpMainVolume, 114},
    {110, 446, 270, 606, kAmpWindLevel, 111},
    {750, 702, 870, 822, kModFoliageStochasticAmt, 107},
    {130, 702, 250, 822, kModWindStochasticAmt, 107},
    {420, 682, 580, 842, kSoundfieldAmt, 112},
    {420, 210, 580, 370, kSystemEnergyAmt, 109},
    {110, 210, 270, 370, kWindDispersion, 108},
    {730, 210, 890, 370, kWindSpeed, 110},
};

GuiRect Scaled(int left, int top, int right, int bottom) {
  constexpr int s = SylvaneAdapter::kEditorScale;
  return GuiRect{left * s / kFullScale, top * s / kFullScale, right * s / kFullScale, bottom * s / kFullScale};
}

// The library folder as the file dialogs take it: no trailing separator, the platform's own
// separators.
std::string PickerFolder() {
  std::string folder = PresetLibraryFolder();
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  return NativeSeparators(folder);
}
}  // namespace

void Sylvane::BuildEditor() {
  IGraphics* graphics = CreateEditorGraphics(this, kSylvaneEditorWidth, kSylvaneEditorHeight);
  graphics->AddBackground();

  TextStyle nameStyle;
  std::snprintf(nameStyle.face, sizeof nameStyle.face, "%s", "Arial");
  nameStyle.size = 40 * SylvaneAdapter::kEditorScale / kFullScale;
  nameStyle.color = GuiColor{255, 200, 200, 200};
  nameStyle.style = kTextStyleBold;
  nameStyle.align = kTextAlignCenter;
  const std::string folder = PickerFolder();

  GuiBitmap images[118];
  for (int i = 0; i < kNImages; ++i) {
    images[kImages[i].id] = graphics->LoadBitmap(kImages[i].id, kImages[i].name, kImages[i].frames);
  }
  const BlendSpec plain{kBlendNone, 1.0f};

  graphics->AddControl(new IBitmapControl(this, Scaled(0, 0, 1000, 1000), -1, images[116], plain));
  graphics->AddControl(new IBitmapControl(this, Scaled(0, 0, 1000, 60), -1, images[102], plain));
  graphics->AddControl(new IBitmapControl(this, Scaled(50, 160, 950, 880), -1, images[117], plain));
  for (const KnobPlace& k : kKnobs) {
    graphics->AddControl(new IKnobMultiControl(this, Scaled(k.left, k.top, k.right, k.bottom), k.param,
                                               images[k.image], kKnobVertical, kKnobGearing, plain));
  }
  graphics->AddControl(new IPanelControl(this, Scaled(120, 80, 880, 130), GuiColor{140, 0, 0, 0}, plain));
  mPresetName = new ITextControl(this, Scaled(120, 86, 880, 130), nameStyle, PresetMenuText(0).c_str());
  graphics->AddControl(mPresetName);
  graphics->AddControl(new IPopupMenu_PresetSelector(this, Scaled(120, 80, 880, 130)));
  graphics->AddControl(new IContactControl(this, Scaled(80, 80, 120, 130), kPresetBackward, images[103], plain));
  graphics->AddControl(new IContactControl(this, Scaled(880, 80, 920, 130), kPresetForward, images[104], plain));
  graphics->AddControl(new IBitmapControl(this, Scaled(0, 80, 80, 130), -1, images[105], plain));
  graphics->AddControl(new IBitmapControl(this, Scaled(920, 80, 1000, 130), -1, images[106], plain));
  mLoadSelector = new IFileSelectorControl(this, Scaled(0, 80, 80, 130), kPresetLoad, images[105], kFileOpen,
                                           folder.c_str(), "sylvanepreset");
  mSaveSelector = new IFileSelectorControl(this, Scaled(920, 80, 1000, 130), kPresetSave, images[106], kFileSave,
                                           folder.c_str(), "sylvanepreset");
  graphics->AddControl(mLoadSelector);
  graphics->AddControl(mSaveSelector);
  ConnectEditor(graphics);
}
