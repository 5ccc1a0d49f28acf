#include "tests/core/TestPlug.h"

#include "gui/IControl.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphicsOffscreen.h"
#include "gui/ITextControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// A control that draws nothing: the link tests need only its value and flags.
class BoundControl : public IControl {
 public:
  using IControl::IControl;
  bool Draw(IGraphics*) override { return true; }
};

// Parameters: 0 is 0..100 with shape 2, 1 is -10..10, 2 is a 0..1 switch with display texts.
class EditorLink : public ::testing::Test {
 protected:
  EditorLink() : plug(new TestPlug()) {
    plug->GetParam(0)->DeclareContinuous("Level", 25, 0, 100, 0.01, "%", 2.0);
    plug->GetParam(1)->DeclareContinuous("Pan", 5, -10, 10, 0.1);
    plug->GetParam(2)->DeclareContinuous("Mode", 1, 0, 1, 1);
    plug->GetParam(2)->SetDisplayText(1, "Wide");
    graphics = new IGraphicsOffscreen(plug.get(), 500, 480);
    level = graphics->AddControl(new BoundControl(plug.get(), GuiRect{0, 0, 10, 10}, 0));
    pan = graphics->AddControl(new BoundControl(plug.get(), GuiRect{10, 0, 20, 10}, 1));
    pan->AddAuxParam(0);
    pan->AddAuxParam(2);
    pan->AddAuxParam(2);
  }
  ~EditorLink() override {
    if (plug && plug->Graphics() != graphics) delete graphics;  // never handed over
  }
  void CleanAll() {
    for (int i = 0; i < graphics->NControls(); ++i) graphics->GetControl(i)->MarkClean();
  }

  std::unique_ptr<TestPlug> plug;
  IGraphics* graphics = nullptr;
  IControl* level = nullptr;
  IControl* pan = nullptr;
};

TEST_F(EditorLink, ConnectEditorGivesEveryBoundControlItsNormalisedValue) {
  plug->ConnectEditor(nullptr);
  EXPECT_EQ(nullptr, plug->Graphics());
  plug->ConnectEditor(graphics);
  EXPECT_EQ(graphics, plug->Graphics());
  EXPECT_TRUE(graphics->BuffersPrepared());
  EXPECT_DOUBLE_EQ(0.5, level->Value());       // sqrt(25 / 100)
  EXPECT_DOUBLE_EQ(0.5, level->DefaultValue());
  EXPECT_DOUBLE_EQ(0.75, pan->Value());        // 5 on -10..10
  EXPECT_DOUBLE_EQ(0.5, pan->AuxParamAt(0)->value);
  EXPECT_EQ(1.0, pan->AuxParamAt(1)->value);
  EXPECT_EQ(0.0, pan->AuxParamAt(2)->value);   // only the first matching entry
  EXPECT_TRUE(plug->notifiedValues.empty());   // nothing goes back to the host
}

TEST_F(EditorLink, PushedValuesOnlyMarkTheBoundControlsDirty) {
  plug->ConnectEditor(graphics);
  CleanAll();
  graphics->PushParamToControls(0, 64.0, false);
  EXPECT_DOUBLE_EQ(0.8, level->Value());
  EXPECT_DOUBLE_EQ(0.8, pan->AuxParamAt(0)->value);
  EXPECT_TRUE(level->NeedsRedraw());
  level->MarkClean();
  EXPECT_TRUE(level->NeedsRedraw());  // one more redraw was asked for
  level->MarkClean();
  EXPECT_FALSE(level->NeedsRedraw());
  graphics->PushParamToControls(1, 0.25, true);
  EXPECT_EQ(0.25, pan->Value());
  EXPECT_DOUBLE_EQ(0.5, level->DefaultValue());
  EXPECT_TRUE(plug->log.empty());
}

TEST_F(EditorLink, LoadingStateOrProgramsRefreshesTheControls) {
  plug->MakeDefaultPrograms("Init", 1);
  plug->ConnectEditor(graphics);
  StateChunk state;
  state.Put(100.0);
  state.Put(-10.0);
  state.Put(0.0);
  plug->ReadStateChunk(state, 0);
  plug->RefreshEditorFromParams();
  EXPECT_EQ(1.0, level->Value());
  EXPECT_EQ(0.0, pan->Value());
  ASSERT_TRUE(plug->RestoreProgram(0));
  EXPECT_DOUBLE_EQ(0.5, level->Value());
  EXPECT_DOUBLE_EQ(0.75, pan->Value());
}

TEST_F(EditorLink, AUserChangeReachesThePlugInAndItsDisplays) {
  TextStyle style;
  auto* valueText = static_cast<ITextControl*>(graphics->AddControl(new ITextControl(plug.get(), GuiRect{}, style)));
  auto* nameText = static_cast<ITextControl*>(graphics->AddControl(new ITextControl(plug.get(), GuiRect{}, style)));
  auto* mode = graphics->AddControl(new BoundControl(plug.get(), GuiRect{}, 2));
  plug->ConnectEditor(graphics);
  level->SetValueDisplayControl(valueText);
  level->SetNameDisplayControl(nameText);
  level->ApplyUserValue(0.3);
  EXPECT_DOUBLE_EQ(9.0, plug->GetParam(0)->Value());
  EXPECT_EQ((std::vector<std::string>{"notify 0", "change 0"}), plug->log);
  EXPECT_EQ("9.00 %", valueText->Text());
  EXPECT_EQ("Level", nameText->Text());
  level->ApplyUserValue(1.7);  // clamped before it is sent
  EXPECT_EQ(100.0, plug->GetParam(0)->Value());

  mode->SetValueDisplayControl(valueText);
  mode->ApplyUserValue(0.0);
  mode->ApplyUserValue(1.0);
  EXPECT_EQ("Wide ", valueText->Text());  // a display text replaces number and label
}

TEST_F(EditorLink, TheSurfaceAndItsControlsGoBeforeTheCoreInReverseOrder) {
  auto order = std::make_shared<std::vector<std::string>>();
  struct Witness : BoundControl {
    Witness(IPlugBase* p, std::shared_ptr<std::vector<std::string>> o, const char* n)
        : BoundControl(p, GuiRect{}), out(std::move(o)), name(n) {}
    ~Witness() override { out->push_back(name + (Plug()->GetParam(0) ? " with core" : "")); }
    std::shared_ptr<std::vector<std::string>> out;
    std::string name;
  };
  graphics->AddControl(new Witness(plug.get(), order, "first"));
  graphics->AddControl(new Witness(plug.get(), order, "second"));
  EXPECT_EQ(nullptr, graphics->AddControl(nullptr));
  plug->ConnectEditor(graphics);
  plug.reset();
  EXPECT_EQ((std::vector<std::string>{"second with core", "first with core"}), *order);
}

TEST(FileAndTextControls, HoldTheirTextsAndPaths) {
  TestPlug plug;
  TextStyle style;
  style.size = 20;
  ITextControl text(&plug, GuiRect{60, 43, 440, 65}, style, "< Presets Library >");
  EXPECT_EQ("< Presets Library >", text.Text());
  EXPECT_EQ(20, text.Style().size);
  text.MarkClean();
  text.SetText("< Presets Library >");
  EXPECT_FALSE(text.NeedsRedraw());
  text.SetText("Gusts");
  EXPECT_TRUE(text.NeedsRedraw());
  EXPECT_EQ("Gusts", text.Text());
  text.SetText(nullptr);
  EXPECT_EQ("", text.Text());

  IFileSelectorControl picker(&plug, GuiRect{0, 40, 40, 65}, 12, GuiBitmap(), kFileSave, "C:\\Presets",
                              "sylvanepreset");
  EXPECT_EQ(kFileSave, picker.Action());
  EXPECT_EQ("C:\\Presets", picker.Folder());
  EXPECT_EQ("", picker.FilePath());
  picker.SetFilePath("C:\\Presets\\a.sylvanepreset");
  EXPECT_EQ("C:\\Presets\\a.sylvanepreset", picker.FilePath());
  picker.SetFilePath(nullptr);
  EXPECT_EQ("", picker.FilePath());
}

}  // namespace
