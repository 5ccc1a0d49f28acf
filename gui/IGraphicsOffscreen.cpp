#include "gui/IGraphicsOffscreen.h"

#include "core/PlugParam.h"
#include "gui/EditorWindowCore.h"
#include "gui/IControl.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t kEntryChars = 31;  // a text entry reads at most this many characters
}  // namespace

IGraphicsOffscreen::IGraphicsOffscreen(IPlugBase* plug, int width, int height, void* module)
    : IGraphics(plug, width, height), mModule(module) {}

bool IGraphicsOffscreen::RedrawCycle() {
  TextEntrySession entry;  // offscreen entries are answered at once: none is ever open at a tick
  const RedrawStep step = EditorTimerStep(*this, entry, true);
  if (step.action != RedrawStep::kRedraw) return false;
  DrawRect(step.dirty);
  return true;
}

void IGraphicsOffscreen::Drag(int x, int y, int dX, int dY, const MouseMods& mods) {
  MouseMods held = mods;
  held.L = true;
  HandleMouseDown(x, y, held);
  HandleMouseDrag(x + dX, y + dY, held);
  HandleMouseUp(x + dX, y + dY, held);
}

void IGraphicsOffscreen::Click(int x, int y, const MouseMods& mods) {
  HandleMouseDown(x, y, mods);
  HandleMouseUp(x, y, mods);
}

bool IGraphicsOffscreen::PresentRect(const GuiRect& rect) {
  ++mPresents;
  mLastPresented = rect;
  return true;
}

int IGraphicsOffscreen::ShowMessage(const char* /*text*/, const char* /*caption*/, int /*type*/) { return 0; }

PopupMenu* IGraphicsOffscreen::ShowPopupMenu(PopupMenu* menu, const GuiRect& /*rect*/) {
  ClearCapture();
  if (!menu) return nullptr;
  mLastMenu = *menu;
  mMenuShown = true;
  if (mMenuAnswers.empty()) return nullptr;
  const std::vector<int> path = std::move(mMenuAnswers.front());
  mMenuAnswers.pop_front();
  PopupMenu* current = menu;
  for (size_t i = 0; i < path.size(); ++i) {
    const PopupMenuItem* item = current->Item(path[i]);
    if (!item || (item->flags & (kPopupItemSeparator | kPopupItemDisabled | kPopupItemGreyed))) return nullptr;
    if (item->submenu) {
      current = item->submenu;  // a heading only opens its sub-menu
      continue;
    }
    if (i + 1 != path.size()) return nullptr;
    current->SetChosen(path[i]);
    return current;
  }
  return nullptr;
}

void IGraphicsOffscreen::ShowTextEntry(IControl* control, const TextStyle& /*style*/, const GuiRect& /*rect*/,
                                       const char* text, const PlugParam* param) {
  if (!control) return;
  mLastEntryText = text ? text : "";
  if (mTextAnswers.empty()) return;
  std::string typed = mTextAnswers.front().substr(0, kEntryChars);
  mTextAnswers.pop_front();
  if (!param) {
    control->ApplyEnteredText(typed.c_str());
    return;
  }
  double plain = 0.0;
  if (param->Type() == kParamBool || param->Type() == kParamEnum) {
    for (int i = 0; i < param->NDisplayTexts(); ++i) {
      const DisplayText* entry = param->DisplayTextAt(i);
      if (entry && typed == entry->text) {
        plain = entry->value;
        break;
      }
    }
  } else {
    plain = std::strtod(typed.c_str(), nullptr);
    if (param->NegateDisplay()) plain = -plain;
  }
  control->ApplyUserValue(param->ToNormalized(plain));
}

void IGraphicsOffscreen::AskForFile(std::string& file, int action, std::string& folder, const char* extensions) {
  mLastFileFolder = folder;
  mLastFileExtensions = extensions ? extensions : "";
  mLastFileAction = action;
  if (mFileAnswers.empty()) {
    file.clear();
    return;
  }
  file = mFileAnswers.front();
  mFileAnswers.pop_front();
  if (file.empty()) return;  // cancelled: the folder stays
  const size_t cut = file.find_last_of("/\\");
  folder = cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
}

void* IGraphicsOffscreen::OpenEditorWindow(void* /*parent*/) {
  mOpen = true;
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkDirty(false);
  return this;
}

LICE_IBitmap* IGraphicsOffscreen::LoadRasterResource(int id, const char* name) {
  if (!name || !LICE::IsPNGFileName(name)) return nullptr;
  return LoadPngResource(mModule, id).release();
}
