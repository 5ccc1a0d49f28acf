// What every window layer (Windows, X11) does the same way, kept out of the platform files:
// the timer-driven redraw step, the in-place text entry's states, character filter and value
// arithmetic, popup-menu item ids, labels and result mapping, key and wheel arithmetic, and the
// contract for short modal loops (synchronous menus and dialogs).
//
// Everything here runs on the editor's UI thread. Nothing includes a platform header.
#pragma once

#include "gui/GuiTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class IControl;
class IGraphics;
class PlugParam;

// ---- Redraw timer -------------------------------------------------------------------------------

constexpr int kEditorTimerId = 2;
// The timer period for a frame rate: int(1000 / rate) ms (40 ms at 25 Hz); a rate below 1 counts
// as 1 so a bad value never stops or floods the timer.
int EditorTimerPeriodMs(int frameRate) noexcept;

// ---- Wheel and keys -----------------------------------------------------------------------------

constexpr int kWheelNotch = 120;
// Whole notches, truncated toward zero: -120 -> -1, 60 -> 0.
constexpr int WheelSteps(int delta) noexcept { return delta / kWheelNotch; }

// The KeyCode of a character-like key (the platform maps arrows and space itself): '0'..'9' ->
// 5..14, 'A'..'Z' and 'a'..'z' -> 15..40; -1 for anything else.
int KeyCodeForCharacter(int code) noexcept;

// ---- In-place text entry ------------------------------------------------------------------------

enum TextEntryState : int {
  kEntryIdle = 0,     // no request pending
  kEntryEditing = 1,  // the entry has the focus
  kEntryRedrawn = 2,  // the editor redrew around the open entry this tick
  kEntryCancel = 3,   // drop the text on the next tick
  kEntryCommit = 4,   // apply the text on the next tick
};

// Longest text an entry may hold: the read buffer is 32 bytes with its terminator.
constexpr int kTextEntryBufferSize = 32;
constexpr int kTextEntryMaxChars = kTextEntryBufferSize - 1;

// One open text entry: which control and parameter it edits and where its state machine stands.
// The platform owns the native edit window; this holds what the layers share.
class TextEntrySession {
 public:
  // Starts a session; false (nothing changes) without a control or while one is open.
  bool Begin(IControl* control, const PlugParam* param) noexcept;
  bool IsOpen() const noexcept { return mControl != nullptr; }
  IControl* Control() const noexcept { return mControl; }
  const PlugParam* Param() const noexcept { return mParam; }
  int State() const noexcept { return mState; }
  void SetState(int state) noexcept { mState = state; }

  // Characters the entry may hold: the control's text-entry length, kept within 1..31.
  int Limit() const noexcept;

  // Whether a typed character may enter the text. Backspace always passes; with a Bool, Int or
  // Enum parameter only '+', '-' and digits, a Double one '.' as well; without a parameter (or
  // with one of type None) everything.
  bool AcceptsChar(unsigned ch) const noexcept;

  // Applies the entry's text to the control and ends the session. At most kTextEntryMaxChars
  // bytes of text are read, and never past `length` (the text need not be terminated). See
  // EntryTextToNormalized for parameters; without one the control gets ApplyEnteredText.
  void Commit(const char* text, size_t length);
  // Ends the session without applying anything.
  void End() noexcept;

 private:
  IControl* mControl = nullptr;
  const PlugParam* mParam = nullptr;
  int mState = kEntryIdle;
};

// The normalised value a typed text stands for. Bool and Enum parameters: the value of the first
// display text exactly equal to the text, else 0. Other types: the text read as a decimal number,
// negated when the display is negated, then clamped to the range and shaped (ToNormalized). A
// text that holds no number, or a non-finite one, gives false and the value is left alone.
bool EntryTextToNormalized(const PlugParam& param, const char* text, double* normalized) noexcept;

// Copies at most min(length, capacity - 1) bytes of text (stopping at a zero byte) into out and
// terminates it. Returns the bytes copied. capacity 0 writes nothing.
size_t BoundedEntryCopy(const char* text, size_t length, char* out, size_t capacity) noexcept;

// ---- Redraw step --------------------------------------------------------------------------------

// What one timer tick asks of the platform.
struct RedrawStep {
  enum Action {
    kNothing,      // nothing to do (also: the window is gone)
    kDropEntry,    // close the entry without applying
    kCommitEntry,  // read the entry's text, Commit it, close the entry
    kRedraw,       // invalidate `dirty` and paint it now
  };
  Action action = kNothing;
  GuiRect dirty;
  // With kRedraw while an entry is open: leave this rectangle (the entry's control) unpainted.
  bool keepEntryRect = false;
  GuiRect entryRect;
};

// One tick of the redraw timer. windowOpen false (a tick that arrives after the window is gone)
// returns kNothing and touches nothing. Otherwise the plug-in first tells the host of values it
// changed on its own (IPlugBase::TellHostIfViewStale); a tick that told the host returns kNothing
// (the host may have closed the window in its answer) and leaves everything for the next tick.
// With an entry open and a request pending, the tick serves the request and draws nothing (any
// state other than cancel or commit returns to idle).
// Otherwise the dirty controls are collected; with an entry open the state becomes "redrawn".
RedrawStep EditorTimerStep(IGraphics& graphics, TextEntrySession& entry, bool windowOpen);

// ---- Popup menus --------------------------------------------------------------------------------

// The item ids of a native popup menu built from a PopupMenu tree. Ids run consecutively from 0
// over the whole tree: each menu reserves one id per item (separators included) when it is
// reached while building, the top menu first, then its sub-menus depth-first in item order. The
// same sub-menu reached twice gets two ranges; a tree deeper than kMaxDepth is cut there (a menu
// that contains itself would never end).
class PopupMenuIds {
 public:
  static constexpr int kMaxDepth = 16;

  explicit PopupMenuIds(PopupMenu* root);

  // One menu as built, in building order (index 0 is the top).
  struct Range {
    PopupMenu* menu;
    int firstId;
    int depth;
    std::vector<int> subRanges;  // per item: index of its sub-menu's Range, or -1
  };
  const std::vector<Range>& Ranges() const noexcept { return mRanges; }
  int NIds() const noexcept { return mNext; }

  // The menu a native command id belongs to, its chosen index set (id - first id of that menu);
  // null (nothing set) for an id outside the tree, a separator or a sub-menu heading. Searched
  // as the native menu would report it: a menu's own range first, then its sub-menus in order.
  PopupMenu* Resolve(int id) const;

  // The text shown for item k (0-based) of a menu: its text, numbered by the menu's prefix
  // style with k + 1 as "%1d: %s", "%02d: %s" or "%03d: %s" (style 0 or an unknown style:
  // the text alone).
  static std::string ItemLabel(const PopupMenu& menu, int k);

 private:
  int Build(PopupMenu* menu, int depth);
  PopupMenu* ResolveIn(int rangeIdx, int id) const;

  std::vector<Range> mRanges;
  int mNext = 0;
};

// ---- Short modal loops --------------------------------------------------------------------------

// A synchronous menu or dialog runs a nested message loop inside a window-layer call. While it
// runs, the host may close the editor or even destroy the instance. The contract:
//  - the layer holds a ModalScope for the duration of the loop;
//  - CloseEditorWindow asks ModalTracker::RequestClose first: when it returns false the close is
//    deferred, the layer ends the loop (cancels the menu/dialog) and returns;
//  - when the outermost scope ends, the layer asks ClosePending() and closes then;
//  - the layer's destructor calls OwnerGone(); a scope that outlives its owner sees Alive() false
//    after the loop and must return without touching the owner.
class ModalTracker {
 public:
  ModalTracker();
  ~ModalTracker();
  ModalTracker(const ModalTracker&) = delete;
  ModalTracker& operator=(const ModalTracker&) = delete;

  bool InModalLoop() const noexcept { return mShared->depth > 0; }
  // True: close now. False: a loop is running; the close happens when it ends.
  bool RequestClose() noexcept;
  // Whether a deferred close is due: only once no loop runs any more (then it is cleared).
  bool TakePendingClose() noexcept;
  // The owner is being destroyed (call from its destructor).
  void OwnerGone() noexcept { mShared->alive = false; }

  struct Shared {
    int depth = 0;
    bool closePending = false;
    bool alive = true;
  };

 private:
  friend class ModalScope;
  std::shared_ptr<Shared> mShared;
};

// Marks one running modal loop; survives its tracker's owner safely.
class ModalScope {
 public:
  explicit ModalScope(ModalTracker& tracker) noexcept;
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  // False once the owner was destroyed during the loop.
  bool Alive() const noexcept { return mShared->alive; }

 private:
  std::shared_ptr<ModalTracker::Shared> mShared;
};
