#include "gui/EditorWindowCore.h"

#include "core/IPlugBase.h"
#include "core/PlugParam.h"
#include "gui/IControl.h"
#include "gui/IGraphics.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int EditorTimerPeriodMs(int frameRate) noexcept {
  const int rate = frameRate < 1 ? 1 : frameRate;
  const int period = static_cast<int>(1000.0 / rate);
  return period < 1 ? 1 : period;
}

int KeyCodeForCharacter(int code) noexcept {
  if (code >= '0' && code <= '9') return 5 + (code - '0');
  if (code >= 'A' && code <= 'Z') return 15 + (code - 'A');
  if (code >= 'a' && code <= 'z') return 15 + (code - 'a');
  return -1;
}

// ---- Text entry ---------------------------------------------------------------------------------

bool TextEntrySession::Begin(IControl* control, const PlugParam* param) noexcept {
  if (!control || mControl) return false;
  mControl = control;
  mParam = param;
  mState = kEntryIdle;
  return true;
}

int TextEntrySession::Limit() const noexcept {
  const int n = mControl ? mControl->TextEntryLength() : kTextEntryMaxChars;
  return n < 1 ? 1 : (n > kTextEntryMaxChars ? kTextEntryMaxChars : n);
}

bool TextEntrySession::AcceptsChar(unsigned ch) const noexcept {
  if (ch == '\b' || !mParam) return true;
  switch (mParam->Type()) {
    case kParamBool:
    case kParamInt:
    case kParamEnum:
      return ch == '+' || ch == '-' || (ch >= '0' && ch <= '9');
    case kParamDouble:
      return ch == '+' || ch == '-' || ch == '.' || (ch >= '0' && ch <= '9');
    default:
      return true;
  }
}

size_t BoundedEntryCopy(const char* text, size_t length, char* out, size_t capacity) noexcept {
  if (!out || capacity == 0) return 0;
  size_t n = 0;
  if (text) {
    while (n < length && n + 1 < capacity && text[n] != '\0') {
      out[n] = text[n];
      ++n;
    }
  }
  out[n] = '\0';
  return n;
}

bool EntryTextToNormalized(const PlugParam& param, const char* text, double* normalized) noexcept {
  if (!text || !normalized) return false;
  double plain = 0.0;
  if (param.Type() == kParamBool || param.Type() == kParamEnum) {
    for (int i = 0; i < param.NDisplayTexts(); ++i) {
      const DisplayText* d = param.DisplayTextAt(i);
      if (d && std::strcmp(d->text, text) == 0) {
        plain = d->value;
        break;
      }
    }
  } else {
    char* end = nullptr;
    errno = 0;
    plain = std::strtod(text, &end);
    if (end == text || !std::isfinite(plain)) return false;
    if (param.NegateDisplay()) plain = -plain;
  }
  *normalized = param.ToNormalized(plain);
  return true;
}

void TextEntrySession::Commit(const char* text, size_t length) {
  char buf[kTextEntryBufferSize];
  BoundedEntryCopy(text, length, buf, sizeof buf);
  IControl* control = mControl;
  const PlugParam* param = mParam;
  End();  // before applying: the control may open another entry from its handler
  if (!control) return;
  if (param) {
    double v = 0.0;
    if (EntryTextToNormalized(*param, buf, &v)) control->ApplyUserValue(v);
  } else {
    control->ApplyEnteredText(buf);
  }
}

void TextEntrySession::End() noexcept {
  mControl = nullptr;
  mParam = nullptr;
  mState = kEntryIdle;
}

// ---- Redraw step --------------------------------------------------------------------------------

RedrawStep EditorTimerStep(IGraphics& graphics, TextEntrySession& entry, bool windowOpen) {
  RedrawStep step;
  if (!windowOpen) return step;
  // Values the plug-in changed on another thread (a loaded preset) reach the host from here: the
  // UI thread is the only one that may call it. The host may close the window in its answer, so
  // that tick does nothing else; the redraw waits for the next one.
  if (IPlugBase* plug = graphics.Plug(); plug && plug->TellHostIfViewStale()) return step;
  if (entry.IsOpen() && entry.State() != kEntryIdle) {
    if (entry.State() == kEntryCancel) {
      step.action = RedrawStep::kDropEntry;
    } else if (entry.State() == kEntryCommit) {
      step.action = RedrawStep::kCommitEntry;
    } else {
      entry.SetState(kEntryIdle);
    }
    return step;
  }
  GuiRect dirty;
  if (!graphics.CollectDirtyRect(dirty)) return step;
  step.action = RedrawStep::kRedraw;
  step.dirty = dirty;
  if (entry.IsOpen()) {
    step.keepEntryRect = true;
    step.entryRect = entry.Control()->Rect();
    entry.SetState(kEntryRedrawn);
  }
  return step;
}

// ---- Popup menus --------------------------------------------------------------------------------

PopupMenuIds::PopupMenuIds(PopupMenu* root) {
  if (root) Build(root, 0);
}

int PopupMenuIds::Build(PopupMenu* menu, int depth) {
  const int idx = static_cast<int>(mRanges.size());
  mRanges.push_back(Range{menu, mNext, depth, std::vector<int>(static_cast<size_t>(menu->NItems()), -1)});
  mNext += menu->NItems();
  for (int k = 0; k < menu->NItems(); ++k) {
    const PopupMenuItem* item = menu->Item(k);
    if (item->submenu && !(item->flags & kPopupItemSeparator) && depth + 1 < kMaxDepth) {
      const int sub = Build(item->submenu, depth + 1);
      mRanges[static_cast<size_t>(idx)].subRanges[static_cast<size_t>(k)] = sub;
    }
  }
  return idx;
}

PopupMenu* PopupMenuIds::ResolveIn(int rangeIdx, int id) const {
  const Range& r = mRanges[static_cast<size_t>(rangeIdx)];
  const int k = id - r.firstId;
  if (k >= 0 && k < r.menu->NItems()) {
    const PopupMenuItem* item = r.menu->Item(k);
    // Separators and sub-menu headings send no command; an id on them is not a choice.
    if ((item->flags & kPopupItemSeparator) || r.subRanges[static_cast<size_t>(k)] >= 0) return nullptr;
    r.menu->SetChosen(k);
    return r.menu;
  }
  for (int sub : r.subRanges) {
    if (sub < 0) continue;
    if (PopupMenu* found = ResolveIn(sub, id)) return found;
  }
  return nullptr;
}

PopupMenu* PopupMenuIds::Resolve(int id) const {
  if (mRanges.empty() || id < 0 || id >= mNext) return nullptr;
  return ResolveIn(0, id);
}

std::string PopupMenuIds::ItemLabel(const PopupMenu& menu, int k) {
  const PopupMenuItem* item = menu.Item(k);
  if (!item) return std::string();
  const char* format = nullptr;
  switch (menu.PrefixStyle()) {
    case 1: format = "%1d: %s"; break;
    case 2: format = "%02d: %s"; break;
    case 3: format = "%03d: %s"; break;
    default: return item->text;
  }
  const int n = std::snprintf(nullptr, 0, format, k + 1, item->text.c_str());
  if (n <= 0) return item->text;
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(&out[0], out.size(), format, k + 1, item->text.c_str());
  out.resize(static_cast<size_t>(n));
  return out;
}

// ---- Modal loops --------------------------------------------------------------------------------

ModalTracker::ModalTracker() : mShared(std::make_shared<Shared>()) {}

ModalTracker::~ModalTracker() { mShared->alive = false; }

bool ModalTracker::RequestClose() noexcept {
  if (mShared->depth == 0) return true;
  mShared->closePending = true;
  return false;
}

bool ModalTracker::TakePendingClose() noexcept {
  if (mShared->depth != 0 || !mShared->closePending) return false;
  mShared->closePending = false;
  return true;
}

ModalScope::ModalScope(ModalTracker& tracker) noexcept : mShared(tracker.mShared) { ++mShared->depth; }

ModalScope::~ModalScope() { --mShared->depth; }
