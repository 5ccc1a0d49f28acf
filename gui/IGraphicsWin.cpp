#include "gui/IGraphicsWin.h"

#include "core/IPlugBase.h"
#include "core/PlugParam.h"
#include "gui/IControl.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_SysBitmap.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr UINT_PTR kTimerId = kEditorTimerId;
constexpr int kEntryControlId = 99;
constexpr LONG_PTR kEntryMarker = static_cast<LONG_PTR>(0xdeadf00bu);

// Process-wide (this module): open editor windows; the class exists while it is above 0.
int gWindowCount = 0;
char gClassName[64] = "";

const char* ClassName() {
  if (!gClassName[0]) {
    // The module address makes the name unique to this module in the host's process: another
    // plug-in built on the same framework registers its own class and never unregisters ours.
    std::snprintf(gClassName, sizeof gClassName, "IPlugWndClass_Sylvane_%p", static_cast<void*>(&gWindowCount));
  }
  return gClassName;
}

MouseMods ModsFrom(WPARAM wParam) {
  MouseMods m;
  m.L = (wParam & MK_LBUTTON) != 0;
  m.R = (wParam & MK_RBUTTON) != 0;
  m.S = (wParam & MK_SHIFT) != 0;
  m.C = (wParam & MK_CONTROL) != 0;
  m.A = (GetKeyState(VK_MENU) & 0x8000) != 0;
  return m;
}

int KeyCodeFor(WPARAM vk) {
  switch (vk) {
    case VK_SPACE: return 0;
    case VK_UP: return 1;
    case VK_DOWN: return 2;
    case VK_LEFT: return 3;
    case VK_RIGHT: return 4;
    default: return KeyCodeForCharacter(static_cast<int>(vk));
  }
}

std::string FolderOf(HMODULE module) {
  char path[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  char* slash = std::strrchr(path, '\\');
  if (!slash || slash[1] == '\0') return std::string();
  return std::string(path, static_cast<size_t>(slash - path + 1));
}

HWND H(void* w) { return static_cast<HWND>(w); }

// The editor window is the tooltip's one tool. The version-2 size: without a manifest the host may
// load the older common controls, which refuse the larger structure.
TOOLINFOA EditorTool(HWND editor, char* text) {
  TOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = editor;
  ti.uId = reinterpret_cast<UINT_PTR>(editor);
  ti.lpszText = text;
  return ti;
}

}  // namespace

struct IGraphicsWinProcs {
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT Handle(IGraphicsWin* g, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

IGraphicsWin::IGraphicsWin(IPlugBase* plug, int width, int height, void* module)
    : IGraphics(plug, width, height), mModule(module) {}

IGraphicsWin::~IGraphicsWin() {
  // Also from inside a menu or dialog loop: the window goes now (its owned dialogs with it), and
  // the loop sees the owner gone when it returns.
  mModal.OwnerGone();
  if (mModal.InModalLoop()) EndMenu();
  DestroyWindowNow();
  delete[] mCustomColors;
}

IGraphics* CreateWindowsEditorGraphics(IPlugBase* plug, int width, int height, void* module) {
  return new IGraphicsWin(plug, width, height, module);
}

const char* IGraphicsWin::WindowClassName() { return ClassName(); }
int IGraphicsWin::OpenWindowCount() noexcept { return gWindowCount; }

bool IGraphicsWin::PresentRect(const GuiRect& rect) {
  if (!mWindow || !BackBuffer()) return true;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(H(mWindow), &ps);
  BitBlt(dc, rect.left, rect.top, rect.W(), rect.H(), static_cast<HDC>(BackBuffer()->DeviceContext()), rect.left,
         rect.top, SRCCOPY);
  EndPaint(H(mWindow), &ps);
  return true;
}

void IGraphicsWin::CancelTextEntry() { mEntry.SetState(kEntryCancel); }

void IGraphicsWin::Resize(int width, int height) {
  if (width == Width() && height == Height()) return;
  const int dW = width - Width();
  const int dH = height - Height();
  // The controls go with the old size: neither an entry nor a gesture may outlive theirs.
  CloseTextEntry(false);
  EndOpenGesture();
  IGraphics::Resize(width, height);
  if (!mWindow) return;
  auto grow = [dW, dH](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + dW, r.bottom - r.top + dH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  grow(H(mWindow));
  auto isPlainChild = [](HWND w) {
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(w, GWL_EXSTYLE);
    return (style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD);
  };
  if (Plug() && Plug()->HostApi() == kApiVst2) {
    HWND parent = GetParent(H(mWindow));
    if (parent && isPlainChild(H(mWindow))) {
      grow(parent);
      HWND grand = GetParent(parent);
      if (grand && isPlainChild(parent)) grow(grand);
    }
  }
  InvalidateRect(H(mWindow), nullptr, FALSE);
}

void* IGraphicsWin::MainWindow() {
  if (mMainWindow) return mMainWindow;
  if (mParent) {
    HWND w = H(mParent);
    while (HWND up = GetParent(w)) w = up;
    mMainWindow = w;
    char name[256] = "";
    GetClassNameA(w, name, sizeof name);
    mMainClass = name;
    return mMainWindow;
  }
  if (!mMainClass.empty()) {
    struct Search {
      const std::string* cls;
      DWORD pid;
      HWND found;
    } s{&mMainClass, GetCurrentProcessId(), nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char name[256] = "";
          if (pid == s->pid && GetClassNameA(w, name, sizeof name) && *s->cls == name) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    mMainWindow = s.found;
  }
  return mMainWindow;
}

int IGraphicsWin::ShowMessage(const char* text, const char* caption, int type) {
  if (mModal.Orphaned()) return 0;
  int result;
  {
    ModalScope scope(mModal);
    result = MessageBoxA(H(MainWindow()), text ? text : "", caption ? caption : "", static_cast<UINT>(type));
    if (!scope.Alive()) return 0;  // no answer: the instance went away
  }
  if (mModal.TakePendingClose()) DestroyWindowNow();
  return result;
}

void* IGraphicsWin::OpenEditorWindow(void* parent) {
  mParent = parent;
  int x = 0, y = 0, w = Width(), h = Height();
  if (mWindow) {
    RECT r, pr;
    GetWindowRect(H(mWindow), &r);
    GetWindowRect(H(parent), &pr);
    x = r.left - pr.left;
    y = r.top - pr.top;
    w = r.right - r.left;
    h = r.bottom - r.top;
    CloseEditorWindow();
  }
  if (gWindowCount++ == 0) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &IGraphicsWinProcs::WindowProc;
    wc.hInstance = static_cast<HINSTANCE>(mModule);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = ClassName();
    RegisterClassA(&wc);
  }
  if (!BuffersPrepared()) PrepareBuffers();
  mWindow = CreateWindowExA(0, ClassName(), "IPlug", WS_CHILD | WS_VISIBLE, x, y, w, h, H(parent), nullptr,
                            static_cast<HINSTANCE>(mModule), this);
  if (!mWindow) {
    if (--gWindowCount == 0) UnregisterClassA(ClassName(), static_cast<HINSTANCE>(mModule));
    return nullptr;
  }
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkDirty(false);
  if (TooltipsEnabled()) CreateTooltip();
  return mWindow;
}

void IGraphicsWin::CreateTooltip() {
  const INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  HWND tip = nullptr;
  if (InitCommonControlsEx(&icc)) {
    tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, H(mWindow), nullptr,
                          static_cast<HINSTANCE>(mModule), nullptr);
  }
  if (tip) {
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    char empty[1] = "";
    TOOLINFOA ti = EditorTool(H(mWindow), empty);
    if (!SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti))) {
      DestroyWindow(tip);
      tip = nullptr;
    }
  }
  mTooltipWindow = tip;
  mTooltipVisible = false;
  mTooltipIndex = -1;
  if (!tip) EnableTooltips(false);
}

void IGraphicsWin::DestroyTooltip() {
  if (mTooltipWindow) DestroyWindow(H(mTooltipWindow));
  mTooltipWindow = nullptr;
  mTooltipVisible = false;
  mTooltipIndex = -1;
}

void IGraphicsWin::HideTooltip() {
  if (!mTooltipVisible) return;
  if (mTooltipWindow) SendMessageA(H(mTooltipWindow), TTM_POP, 0, 0);
  mTooltipVisible = false;
}

void IGraphicsWin::ShowArmedTooltip() {
  if (!mTooltipWindow || !mWindow) return;
  std::string text;
  if (mTooltipIndex >= 0 && mTooltipIndex < NControls()) text = GetControl(mTooltipIndex)->Tooltip();
  TOOLINFOA ti = EditorTool(H(mWindow), &text[0]);
  SendMessageA(H(mTooltipWindow), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
  mTooltipVisible = true;
}

void IGraphicsWin::CloseTextEntry(bool apply) {
  if (!mEntryWindow) {
    mEntry.End();
    return;
  }
  if (apply) {
    char buf[kTextEntryBufferSize] = "";
    const int n = GetWindowTextA(H(mEntryWindow), buf, kTextEntryBufferSize);
    mEntry.Commit(buf, n > 0 ? static_cast<size_t>(n) : 0);
  } else {
    mEntry.End();
  }
  HWND old = H(mEntryWindow);
  if (mEntryPrevProc) SetWindowLongPtrA(old, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEntryPrevProc));
  mEntryPrevProc = nullptr;
  mEntryWindow = nullptr;
  DestroyWindow(old);
  if (mEntryFont) DeleteObject(static_cast<HFONT>(mEntryFont));
  mEntryFont = nullptr;
}

void IGraphicsWin::DestroyWindowNow() {
  CloseTextEntry(false);
  DestroyTooltip();
  HWND w = H(mWindow);
  mWindow = nullptr;  // before DestroyWindow: its messages must no longer reach this object
  if (w) {
    KillTimer(w, kTimerId);
    SetWindowLongPtrA(w, GWLP_USERDATA, 0);
    DestroyWindow(w);
    if (--gWindowCount == 0) UnregisterClassA(ClassName(), static_cast<HINSTANCE>(mModule));
  }
}

void IGraphicsWin::CloseEditorWindow() {
  if (!mWindow) return;
  if (!mModal.RequestClose()) {
    // A menu or dialog loop runs on our stack: end it; the loop's owner closes afterwards.
    EndMenu();
    CancelDialogs();
    CloseTextEntry(false);
    return;
  }
  EndOpenGesture();  // closed between a press and its release
  DestroyWindowNow();
}

void IGraphicsWin::CancelDialogs() {
  // A dialog given a child window as owner is owned by that window's top-level ancestor.
  struct Owners {
    HWND editor;
    HWND root;
  } owners{H(mWindow), GetAncestor(H(mWindow), GA_ROOT)};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        const auto* o = reinterpret_cast<const Owners*>(p);
        const HWND owner = GetWindow(w, GW_OWNER);
        char name[16] = "";
        GetClassNameA(w, name, sizeof name);
        if (owner && (owner == o->editor || owner == o->root) && std::strcmp(name, "#32770") == 0) {
          PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&owners));
}

void IGraphicsWin::OnTimerTick() {
  const RedrawStep step = EditorTimerStep(*this, mEntry, mWindow != nullptr);
  switch (step.action) {
    case RedrawStep::kNothing:
      return;
    case RedrawStep::kDropEntry:
      CloseTextEntry(false);
      return;
    case RedrawStep::kCommitEntry:
      CloseTextEntry(true);
      return;
    case RedrawStep::kRedraw: {
      RECT r{step.dirty.left, step.dirty.top, step.dirty.right, step.dirty.bottom};
      InvalidateRect(H(mWindow), &r, FALSE);
      if (step.keepEntryRect) {
        RECT e{step.entryRect.left, step.entryRect.top, step.entryRect.right, step.entryRect.bottom};
        ValidateRect(H(mWindow), &e);
      }
      UpdateWindow(H(mWindow));
      return;
    }
  }
}

PopupMenu* IGraphicsWin::ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) {
  ClearCapture();
  if (!menu || !mWindow || mModal.Orphaned()) return nullptr;
  const PopupMenuIds ids(menu);
  std::vector<HMENU> natives(ids.Ranges().size(), nullptr);
  // Sub-menus are built before the menus that hold them (later ranges are deeper or later).
  for (size_t i = ids.Ranges().size(); i-- > 0;) {
    const PopupMenuIds::Range& r = ids.Ranges()[i];
    HMENU m = CreatePopupMenu();
    natives[i] = m;
    for (int k = 0; k < r.menu->NItems(); ++k) {
      const PopupMenuItem* item = r.menu->Item(k);
      if (item->flags & kPopupItemSeparator) {
        AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      UINT flags = MF_STRING;
      if (item->flags & kPopupItemGreyed) flags |= MF_GRAYED;
      if (item->flags & kPopupItemDisabled) flags |= MF_DISABLED;
      if (item->flags & kPopupItemChecked) flags |= MF_CHECKED;
      const std::string label = PopupMenuIds::ItemLabel(*r.menu, k);
      const int sub = r.subRanges[static_cast<size_t>(k)];
      if (sub >= 0) {
        AppendMenuA(m, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(natives[static_cast<size_t>(sub)]),
                    label.c_str());
        natives[static_cast<size_t>(sub)] = nullptr;  // owned by m now
      } else {
        AppendMenuA(m, flags, static_cast<UINT_PTR>(r.firstId + k), label.c_str());
      }
    }
  }
  POINT pt{rect.left, rect.bottom};
  ClientToScreen(H(mWindow), &pt);
  HWND window = H(mWindow);
  PopupMenu* result = nullptr;
  {
    ModalScope scope(mModal);
    TrackPopupMenu(natives[0], TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x, pt.y, 0, window, nullptr);
    DestroyMenu(natives[0]);
    MSG msg;
    const bool got = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
    if (!scope.Alive()) return nullptr;  // the instance went away during the menu
    if (got && HIWORD(msg.wParam) == 0) result = ids.Resolve(LOWORD(msg.wParam));
  }
  if (mModal.TakePendingClose()) {
    DestroyWindowNow();
    return nullptr;
  }
  if (mWindow) InvalidateRect(H(mWindow), nullptr, FALSE);
  return result;
}

void IGraphicsWin::ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                                 const PlugParam* param) {
  if (!control || mEntryWindow || !mWindow || mModal.Orphaned()) return;
  if (!mEntry.Begin(control, param)) return;
  DWORD align = style.align == 1 ? ES_CENTER : style.align == 2 ? ES_RIGHT : 0;
  HWND e = CreateWindowA("EDIT", text ? text : "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | align,
                         rect.left, rect.top, rect.W() + 1, rect.H() + 1, H(mWindow),
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryControlId)),
                         static_cast<HINSTANCE>(mModule), nullptr);
  if (!e) {
    mEntry.End();
    return;
  }
  mEntryWindow = e;
  HFONT font = CreateFontA(style.size, 0, 0, 0, style.style == 1 ? FW_BOLD : FW_DONTCARE, style.style == 2, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, style.face);
  mEntryFont = font;
  if (font) SendMessageA(e, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(e, EM_LIMITTEXT, static_cast<WPARAM>(mEntry.Limit()), 0);
  SendMessageA(e, EM_SETSEL, 0, -1);
  SetFocus(e);
  mEntryPrevProc = reinterpret_cast<void*>(
      SetWindowLongPtrA(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWinProcs::EntryProc)));
  SetWindowLongPtrA(e, GWLP_USERDATA, kEntryMarker);
}

void IGraphicsWin::HostFolder(std::string& out) { out = FolderOf(nullptr); }
void IGraphicsWin::ModuleFolder(std::string& out) { out = FolderOf(static_cast<HMODULE>(mModule)); }

void IGraphicsWin::DesktopFolder(std::string& out) {
  char path[MAX_PATH] = "";
  out = SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)) ? path : "";
}

void IGraphicsWin::AppDataFolder(std::string& out, bool shared) {
  char path[MAX_PATH] = "";
  const int which = shared ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  out = SUCCEEDED(SHGetFolderPathA(nullptr, which, nullptr, 0, path)) ? path : "";
}

void IGraphicsWin::AskForFile(std::string& file, int action, std::string& folder, const char* extensions) {
  if (!mWindow || mModal.Orphaned()) {
    file.clear();
    return;
  }
  char name[256] = "";
  std::snprintf(name, sizeof name, "%s", file.c_str());
  if (folder.empty()) DesktopFolder(folder);
  // "e1 e2" -> "*.e1;*.e2" as description and pattern; the first extension is the default.
  std::string pattern, first;
  const char* p = extensions ? extensions : "";
  while (*p) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ' ') ++p;
    if (p == start) break;
    const std::string ext(start, p);
    if (first.empty()) first = ext.substr(0, 15);
    const std::string next = (pattern.empty() ? "" : ";") + std::string("*.") + ext;
    if (pattern.size() + next.size() > 126) break;  // description + pattern within 255
    pattern += next;
  }
  char filter[256] = {};
  const size_t plen = pattern.size();
  std::memcpy(filter, pattern.data(), plen);
  std::memcpy(filter + plen + 1, pattern.data(), plen);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = H(mWindow);
  ofn.lpstrFilter = plen ? filter : nullptr;
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = first.empty() ? nullptr : first.c_str();
  BOOL ok;
  {
    ModalScope scope(mModal);
    if (action == 1) {
      ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
      ok = GetSaveFileNameA(&ofn);
    } else {
      ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
      ok = GetOpenFileNameA(&ofn);
    }
    if (!scope.Alive()) {
      file.clear();
      return;
    }
  }
  if (ok) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR];
    _splitpath(name, drive, dir, nullptr, nullptr);
    folder = std::string(drive) + dir;
    file = name;
  } else {
    file.clear();
  }
  if (mModal.TakePendingClose()) DestroyWindowNow();
}

namespace {
UINT_PTR CALLBACK ColorHook(HWND dlg, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    const auto* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    if (cc && cc->lCustData) SetWindowTextA(dlg, reinterpret_cast<const char*>(cc->lCustData));
  }
  return 0;
}
}  // namespace

bool IGraphicsWin::AskForColor(GuiColor& color, const char* prompt) {
  if (!mWindow || mModal.Orphaned()) return false;
  if (!mCustomColors) mCustomColors = new unsigned long[16]();
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = H(mWindow);
  cc.rgbResult = RGB(color.R, color.G, color.B);
  cc.lpCustColors = reinterpret_cast<COLORREF*>(mCustomColors);
  cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = &ColorHook;
  BOOL ok;
  {
    ModalScope scope(mModal);
    ok = ChooseColorA(&cc);
    if (!scope.Alive()) return false;
  }
  if (ok) {
    color.R = GetRValue(cc.rgbResult);
    color.G = GetGValue(cc.rgbResult);
    color.B = GetBValue(cc.rgbResult);
  }
  if (mModal.TakePendingClose()) DestroyWindowNow();
  return ok != 0;
}

bool IGraphicsWin::OpenWebAddress(const char* address, const char* title, const char* confirm,
                                  const char* failure) {
  if (!address) return false;
  if (confirm && *confirm && ShowMessage(confirm, title, MB_YESNO) != IDYES) return false;
  DWORD how = 0;
  if (InternetGetConnectedState(&how, 0) &&
      reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32) {
    return true;
  }
  if (failure && *failure) ShowMessage(failure, title, MB_OK);
  return false;
}

bool IGraphicsWin::ClipboardText(std::string& out) {
  out.clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(H(mWindow))) return false;
  bool ok = false;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* w = static_cast<const wchar_t*>(GlobalLock(h))) {
      const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
      if (n > 0) {
        out.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, w, -1, &out[0], n, nullptr, nullptr);
        out.resize(static_cast<size_t>(n - 1));
        ok = true;
      }
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return ok;
}

LICE_IBitmap* IGraphicsWin::LoadRasterResource(int id, const char* name) {
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot || _stricmp(dot + 1, "png") != 0) return nullptr;
  return LoadPngResource(mModule, id).release();
}

// ---- Window procedures --------------------------------------------------------------------------

LRESULT CALLBACK IGraphicsWinProcs::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* g = static_cast<IGraphicsWin*>(cs->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g));
    SetTimer(hwnd, kTimerId, static_cast<UINT>(EditorTimerPeriodMs(g->FrameRate())), nullptr);
    SetFocus(hwnd);
    return 0;
  }
  auto* g = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!g || g->mWindow != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  // An orphaned surface only waits for the frames above to return; its teardown still counts.
  if (g->mModal.Orphaned() && msg != WM_DESTROY) return DefWindowProcA(hwnd, msg, wParam, lParam);
  g->mModal.EnterDispatch();
  const LRESULT result = Handle(g, hwnd, msg, wParam, lParam);
  if (g->mModal.LeaveDispatch()) delete g;  // orphaned during this message: nothing of it is on the stack now
  return result;
}

LRESULT IGraphicsWinProcs::Handle(IGraphicsWin* g, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g->mEntryWindow && g->mEntry.State() == kEntryEditing && msg != WM_DESTROY) {
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
      g->mEntry.SetState(kEntryCancel);
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(hwnd, &r, FALSE)) {
        g->DrawRect(GuiRect{r.left, r.top, r.right, r.bottom});
      } else {
        ValidateRect(hwnd, nullptr);
      }
      return 0;
    }
    case WM_CLOSE:
      g->CloseEditorWindow();
      return 0;
    case WM_DESTROY:
      // The host destroyed its window (and ours with it) without closing the editor first.
      if (g->mWindow == hwnd) {
        g->CloseTextEntry(false);
        g->DestroyTooltip();
        KillTimer(hwnd, kTimerId);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        g->mWindow = nullptr;
        if (--gWindowCount == 0) UnregisterClassA(ClassName(), static_cast<HINSTANCE>(g->mModule));
      }
      return 0;
    case WM_KEYDOWN: {
      const int key = KeyCodeFor(wParam);
      if (key >= 0) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        if (g->HandleKeyDown(p.x, p.y, key)) return 0;
      }
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
    }
    case WM_KEYUP:
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
    case WM_TIMER:
      if (wParam == kTimerId) g->OnTimerTick();
      return 0;
    case WM_CTLCOLOREDIT: {
      if (!g->mEntry.IsOpen()) return DefWindowProcA(hwnd, msg, wParam, lParam);
      const TextStyle& s = g->mEntry.Control()->Style();
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, RGB(s.entryBackground.R, s.entryBackground.G, s.entryBackground.B));
      SetTextColor(dc, RGB(s.entryForeground.R, s.entryForeground.G, s.entryForeground.B));
      SetBkMode(dc, OPAQUE);
      SetDCBrushColor(dc, RGB(s.entryBackground.R, s.entryBackground.G, s.entryBackground.B));
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_MOUSEMOVE: {
      const MouseMods mods = ModsFrom(wParam);
      if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
        if (GetCapture() == hwnd && !g->mEntryWindow) g->HandleMouseDrag(x, y, mods);
      } else if (g->HandleMouseOver(x, y, mods)) {
        TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, hwnd, HOVER_DEFAULT};
        const int over = g->MouseOverControl();
        if (g->mTooltipWindow && over >= 0 && over != g->mTooltipIndex) {
          // A new control under the pointer: its tooltip shows once the pointer rests.
          g->mTooltipIndex = over;
          t.dwFlags |= TME_HOVER;
          g->HideTooltip();
        }
        TrackMouseEvent(&t);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      g->HideTooltip();
      if (g->mEntryWindow) {
        g->mEntry.SetState(kEntryCommit);
      } else {
        SetFocus(hwnd);
        SetCapture(hwnd);
        g->HandleMouseDown(x, y, ModsFrom(wParam));
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ReleaseCapture();
      g->HandleMouseUp(x, y, ModsFrom(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (g->HandleDoubleClick(x, y, ModsFrom(wParam))) SetCapture(hwnd);
      return 0;
    case WM_MOUSEWHEEL:
      if (g->mEntryWindow) {
        g->mEntry.SetState(kEntryCancel);
      } else {
        RECT r;
        GetWindowRect(hwnd, &r);
        const int delta = static_cast<short>(HIWORD(wParam));
        g->HandleWheel(x - r.left, y - r.top, ModsFrom(LOWORD(wParam)), WheelSteps(delta));
      }
      return 0;
    case WM_MOUSEHOVER:
      g->ShowArmedTooltip();
      return 0;
    case WM_MOUSELEAVE:
      g->HideTooltip();
      g->HandleMouseOut();
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK IGraphicsWinProcs::EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND parent = GetParent(hwnd);
  auto* g = parent ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(parent, GWLP_USERDATA)) : nullptr;
  if (!g || g->mEntryWindow != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  g->HideTooltip();
  auto previous = reinterpret_cast<WNDPROC>(g->mEntryPrevProc);
  switch (msg) {
    case WM_SETFOCUS:
      g->mEntry.SetState(kEntryEditing);
      break;
    case WM_KILLFOCUS:
      g->mEntry.SetState(kEntryCommit);
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
      const MSG* m = reinterpret_cast<const MSG*>(lParam);
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        g->mEntry.SetState(kEntryCommit);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        g->mEntry.SetState(kEntryCancel);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 27) return 0;  // handled on key down
      if (!g->mEntry.AcceptsChar(static_cast<unsigned>(wParam))) return 0;
      break;
    case WM_COMMAND:
      if (wParam == 1) g->mEntry.SetState(kEntryCommit);
      break;
    default:
      break;
  }
  return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}
