// Plays the user while a menu or dialog of this thread runs its own modal loop: a thread timer,
// dispatched by that loop, runs one step every 20 ms until the step reports it is done. Steps
// find the menu or dialog window and send it keys and commands as a user's clicks would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalDriver {
 public:
  // step returns true once it has done its part; it is not called again after that. A menu or
  // dialog still open 3 s later is dismissed.
  explicit ModalDriver(std::function<bool()> step) : mStep(std::move(step)) {
    sActive = this;
    mTimer = SetTimer(nullptr, 0, 20, &ModalDriver::Tick);
  }
  ~ModalDriver() {
    KillTimer(nullptr, mTimer);
    sActive = nullptr;
  }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  bool Done() const noexcept { return mDone; }
  int Ticks() const noexcept { return mTicks; }
  // Whether a menu or dialog had to be dismissed because it outlived the step that ended it.
  bool Forced() const noexcept { return mForced; }

  // The first visible top-level window of this thread with the class name (menus: "#32768",
  // dialogs: "#32770"), or null.
  static HWND FindThreadWindow(const char* className) {
    struct Search {
      const char* cls;
      HWND found;
    } s{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          char name[64] = "";
          GetClassNameA(w, name, sizeof name);
          if (IsWindowVisible(w) && std::string(name) == s->cls) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  static HWND MenuWindow() { return FindThreadWindow("#32768"); }

  // The texts of the open menu window's items, as the menu shows them.
  static std::vector<std::string> MenuTexts(HWND menuWindow) {
    std::vector<std::string> texts;
    constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenu, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      char text[128] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      texts.push_back(text);
    }
    return texts;
  }

  // Keys as the keyboard delivers them to the menu loop.
  static void PostKeys(HWND window, const std::vector<int>& keys) {
    for (int vk : keys) {
      PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
      PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(vk), static_cast<LPARAM>(0xC0000001u));
    }
  }

  // A dialog's control of the class (for example "Edit") with the given id, searched through all
  // its descendants; id -1 takes the first of that class.
  static HWND DialogChild(HWND dialog, const char* className, int id) {
    struct Search {
      const char* cls;
      int id;
      HWND found;
    } s{className, id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          char name[64] = "";
          GetClassNameA(w, name, sizeof name);
          if (lstrcmpiA(name, s->cls) == 0 && (s->id < 0 || GetDlgCtrlID(w) == s->id)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
  }

  // Presses a dialog button (IDOK, IDCANCEL) the way its click notifies the dialog.
  static void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }

  // Dispatches this thread's messages until `ready` holds or `ms` pass; returns `ready`'s answer.
  // For results that arrive later (a preset read on the plug-in's worker thread).
  static bool PumpUntil(const std::function<bool()>& ready, int ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!ready()) {
      if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(5);
    }
    return true;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalDriver* d = sActive;
    if (!d || d->mBusy) return;
    if (d->mDone) {
      // A layer that failed to end its loop as it should: dismiss it so the test fails, not hangs.
      if (++d->mAfter > 150) {
        d->mForced = true;
        if (HWND menu = MenuWindow()) PostKeys(menu, {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
        if (HWND dialog = FindThreadWindow("#32770")) PressButton(dialog, IDCANCEL);
      }
      return;
    }
    ++d->mTicks;
    d->mBusy = true;  // a step may run a loop of its own that ticks again
    d->mDone = d->mStep();
    d->mBusy = false;
  }

  static inline ModalDriver* sActive = nullptr;
  std::function<bool()> mStep;
  UINT_PTR mTimer = 0;
  bool mDone = false;
  bool mBusy = false;
  int mTicks = 0;
  int mAfter = 0;
  bool mForced = false;
};
