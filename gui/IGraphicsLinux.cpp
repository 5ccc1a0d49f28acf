#include "gui/IGraphicsLinux.h"

#include "core/IPlugBase.h"
#include "gui/DesktopProgramLinux.h"
#include "gui/IControl.h"
#include "gui/PopupMenuWindowLinux.h"
#include "gui/TextEntryWindowLinux.h"
#include "gui/X11SupportLinux.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <dlfcn.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr uint32_t kDoubleClickMs = 500;  // a second left press within this time and distance
constexpr int kDoubleClickPx = 4;         // is a double click, as the desktop's default
constexpr uint16_t kShiftMask = XCB_MOD_MASK_SHIFT;
constexpr uint16_t kControlMask = XCB_MOD_MASK_CONTROL;
constexpr uint16_t kAltMask = XCB_MOD_MASK_1;

MouseMods ModsOf(uint16_t state) {
  MouseMods m;
  m.L = (state & XCB_BUTTON_MASK_1) != 0;
  m.R = (state & XCB_BUTTON_MASK_3) != 0;
  m.S = (state & kShiftMask) != 0;
  m.C = (state & kControlMask) != 0;
  m.A = (state & kAltMask) != 0;
  return m;
}

std::string FolderOf(const char* path) {
  if (!path) return std::string();
  const char* slash = std::strrchr(path, '/');
  if (!slash || slash[1] == '\0') return std::string();
  return std::string(path, static_cast<size_t>(slash - path + 1));
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}

uint16_t WindowExtent(int n) { return static_cast<uint16_t>(std::clamp(n, 1, 65535)); }

// Changes a window's size by (dW, dH), keeping its place. A window that is gone only leaves an
// error in our queue, dropped with the others.
void GrowWindow(xcb_connection_t* conn, xcb_window_t window, int dW, int dH) {
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, window), nullptr);
  if (!g) return;
  const uint32_t size[] = {WindowExtent(g->width + dW), WindowExtent(g->height + dH)};
  free(g);
  xcb_configure_window(conn, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
}

// The window's parent, 0 when it is the root or gone; *topLevel tells whether the window is a
// top-level one: a child of the root, or (under a reparenting window manager) a managed client.
xcb_window_t ParentWindow(xcb_connection_t* conn, xcb_window_t window, bool* topLevel) {
  *topLevel = true;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, window), nullptr);
  if (!tree) return 0;
  const xcb_window_t parent = tree->parent == tree->root ? 0 : tree->parent;
  free(tree);
  if (!parent) return 0;
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 1, 8, "WM_STATE"), nullptr);
  const xcb_atom_t wmState = atom ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  free(atom);
  bool managed = false;
  if (wmState != XCB_ATOM_NONE) {
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, window, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr);
    managed = p && p->type != XCB_ATOM_NONE;
    free(p);
  }
  *topLevel = managed;
  return parent;
}

}  // namespace

struct IGraphicsLinux::X {
  xcb_connection_t* conn = nullptr;
  xcb_window_t parent = 0;
  xcb_window_t window = 0;
  xcb_gcontext_t gc = 0;
  uint8_t depth = 24;
  bool windowAlive = false;  // false once the host destroyed it under us
  // Shared-memory image the size of the editor, when the server offers it.
  xcb_shm_seg_t seg = 0;
  uint32_t* shm = nullptr;
  uint8_t shmCompletion = 0;  // the event type telling that the server has read the segment
  bool shmBusy = false;       // a put of the segment is still being read
  std::vector<uint32_t> rows;  // staging when presenting through plain requests
  X11Keymap keymap;
  uint32_t lastPressTime = 0;
  int lastPressX = -10000;
  int lastPressY = -10000;
  int pointerX = 0;
  int pointerY = 0;
  // Clipboard atoms (interned on first use) and the events set aside while waiting for it.
  xcb_atom_t clipboard = 0, utf8 = 0, incr = 0, clipProperty = 0;
  std::vector<xcb_generic_event_t*> setAside;

  X() = default;
  X(const X&) = delete;
  X& operator=(const X&) = delete;
  ~X() {
    for (xcb_generic_event_t* e : setAside) free(e);
    if (!conn) return;
    if (!xcb_connection_has_error(conn)) {
      if (seg) xcb_shm_detach(conn, seg);
      if (gc) xcb_free_gc(conn, gc);
      if (windowAlive) xcb_destroy_window(conn, window);
      xcb_flush(conn);
    }
    if (shm) shmdt(shm);
    xcb_disconnect(conn);
  }
  bool Usable() const { return conn && !xcb_connection_has_error(conn) && windowAlive; }

  // A shared-memory image of w x h pixels, when the server has the extension and can attach our
  // segment (a remote server cannot). Without one, presenting goes through plain requests.
  void AttachSharedImage(int w, int h) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_shm_id);
    if (!ext || !ext->present || w <= 0 || h <= 0) return;
    const int id = shmget(IPC_PRIVATE, static_cast<size_t>(w) * static_cast<size_t>(h) * 4, IPC_CREAT | 0600);
    if (id < 0) return;
    void* addr = shmat(id, nullptr, 0);
    if (addr != reinterpret_cast<void*>(-1)) {
      seg = xcb_generate_id(conn);
      xcb_generic_error_t* error =
          xcb_request_check(conn, xcb_shm_attach_checked(conn, seg, static_cast<uint32_t>(id), 0));
      if (error) {
        free(error);
        shmdt(addr);
        seg = 0;
      } else {
        shm = static_cast<uint32_t*>(addr);
        shmCompletion = static_cast<uint8_t>(ext->first_event + XCB_SHM_COMPLETION);
        shmBusy = false;
      }
    }
    shmctl(id, IPC_RMID, nullptr);  // goes away with its last user, even if we do not close
  }
  // The server keeps its own mapping until it has handled the detach, so a put still being read
  // finishes safely.
  void DetachSharedImage() {
    if (seg && !xcb_connection_has_error(conn)) xcb_shm_detach(conn, seg);
    if (shm) shmdt(shm);
    seg = 0;
    shm = nullptr;
    shmBusy = false;
  }
  // A completion of the current segment (one of a segment replaced since is stale).
  bool SharedImageRead(const xcb_generic_event_t* event) const {
    return shm && (event->response_type & 0x7f) == shmCompletion &&
           reinterpret_cast<const xcb_shm_completion_event_t*>(event)->shmseg == seg;
  }
};

IGraphicsLinux::IGraphicsLinux(IPlugBase* plug, int width, int height, void* module)
    : IGraphics(plug, width, height), mModule(module) {}

IGraphicsLinux::~IGraphicsLinux() {
  // Also from inside a modal loop: the loop holds the connection until it returns and then sees
  // the owner gone.
  mModal.OwnerGone();
  if (mEntryWindow) mEntryWindow->Close();
  mEntryWindow.reset();
  mX.reset();
}

int IGraphicsLinux::ConnectionFd() const noexcept {
  return mX && mX->conn && !xcb_connection_has_error(mX->conn) ? xcb_get_file_descriptor(mX->conn) : -1;
}

bool IGraphicsLinux::UsesSharedMemory() const noexcept { return mX && mX->shm; }

void* IGraphicsLinux::NativeWindow() {
  return mX && mX->Usable() ? reinterpret_cast<void*>(static_cast<uintptr_t>(mX->window)) : nullptr;
}

void* IGraphicsLinux::OpenEditorWindow(void* parent) {
  const auto parentId = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(parent));
  if (mX) CloseEditorWindow();  // reopening (another parent, or the same) starts afresh
  if (mX || parentId == 0 || !BuffersPrepared()) return nullptr;  // mX: a modal loop still runs
  auto x = std::make_shared<X>();
  x->conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x->conn)) return nullptr;
  // The parent's depth (our window copies it) and whether it exists at all.
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(x->conn, xcb_get_geometry(x->conn, parentId), nullptr);
  if (!geometry) return nullptr;
  x->depth = geometry->depth;
  free(geometry);
  x->parent = parentId;
  x->window = xcb_generate_id(x->conn);
  const uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK;
  const uint32_t values[] = {XCB_BACK_PIXMAP_NONE,
                             XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                 XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW |
                                 XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                 XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE};
  xcb_void_cookie_t made = xcb_create_window_checked(
      x->conn, XCB_COPY_FROM_PARENT, x->window, parentId, 0, 0, static_cast<uint16_t>(Width()),
      static_cast<uint16_t>(Height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, mask, values);
  if (xcb_generic_error_t* error = xcb_request_check(x->conn, made)) {
    free(error);
    return nullptr;
  }
  x->windowAlive = true;
  x->gc = xcb_generate_id(x->conn);
  xcb_create_gc(x->conn, x->gc, x->window, 0, nullptr);

  x->AttachSharedImage(Width(), Height());
  x->keymap.Load(x->conn);

  xcb_map_window(x->conn, x->window);
  xcb_flush(x->conn);
  mX = std::move(x);
  mCloseDuringModal = false;
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkDirty(false);
  return NativeWindow();
}

void IGraphicsLinux::CloseEditorWindow() {
  if (!mX) return;
  if (!mModal.RequestClose()) {
    // A menu or dialog runs on our stack: it ends at its next check, and its owner closes then.
    mCloseDuringModal = true;
    return;
  }
  EndOpenGesture();  // closed between a press and its release
  CloseTextEntry(false);
  mX.reset();
  mCloseDuringModal = false;
  ClearCapture();
}

void IGraphicsLinux::Resize(int width, int height) {
  if (width == Width() && height == Height()) return;
  const int dW = width - Width();
  const int dH = height - Height();
  // The controls go with the old size: neither an entry nor a gesture may outlive theirs.
  CloseTextEntry(false);
  EndOpenGesture();
  IGraphics::Resize(width, height);
  if (!mX || !mX->Usable()) return;
  X& x = *mX;
  const uint32_t size[] = {WindowExtent(width), WindowExtent(height)};
  xcb_configure_window(x.conn, x.window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
  x.DetachSharedImage();  // sized for the old editor
  x.AttachSharedImage(Width(), Height());
  if (Plug() && Plug()->HostApi() == kApiVst2) {
    GrowWindow(x.conn, x.parent, dW, dH);
    bool parentIsTopLevel = true;
    const xcb_window_t grand = ParentWindow(x.conn, x.parent, &parentIsTopLevel);
    if (grand && !parentIsTopLevel) GrowWindow(x.conn, grand, dW, dH);
  }
  mRedrawAll = true;
  xcb_flush(x.conn);
}

bool IGraphicsLinux::PresentRect(const GuiRect& rect) {
  if (!mX || !mX->Usable() || !BackBuffer()) return false;
  X& x = *mX;
  const int left = std::max(0, rect.left);
  const int top = std::max(0, rect.top);
  const int right = std::min({rect.right, Width(), BackBuffer()->Width()});
  const int bottom = std::min({rect.bottom, Height(), BackBuffer()->Height()});
  if (right <= left || bottom <= top) return true;
  const int w = right - left;
  const int h = bottom - top;
  const uint32_t* bits = BackBuffer()->Bits();
  const int span = BackBuffer()->RowSpan();
  // The segment is rewritten only after the server has read it; meanwhile plain requests do.
  if (x.shm && !x.shmBusy) {
    for (int row = 0; row < h; ++row) {
      std::memcpy(x.shm + static_cast<size_t>(row) * w, bits + static_cast<size_t>(top + row) * span + left,
                  static_cast<size_t>(w) * 4);
    }
    xcb_shm_put_image(x.conn, x.window, x.gc, static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0, 0,
                      static_cast<uint16_t>(w), static_cast<uint16_t>(h), static_cast<int16_t>(left),
                      static_cast<int16_t>(top), x.depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 1, x.seg, 0);
    x.shmBusy = true;
    return true;
  }
  PutImageBands(x.conn, x.window, x.gc, x.depth, bits, span, left, top, w, h, left, top, x.rows);
  return true;
}

void IGraphicsLinux::TimerTick() {
  RedrawStep step = EditorTimerStep(*this, mEntry, mX && mX->Usable());
  if (mRedrawAll && mX && mX->Usable() && (step.action == RedrawStep::kNothing || step.action == RedrawStep::kRedraw)) {
    step.action = RedrawStep::kRedraw;
    step.dirty = GuiRect{0, 0, Width(), Height()};
    mRedrawAll = false;
  }
  switch (step.action) {
    case RedrawStep::kNothing:
      break;
    case RedrawStep::kDropEntry:
      CloseTextEntry(false);
      break;
    case RedrawStep::kCommitEntry:
      CloseTextEntry(true);
      break;
    case RedrawStep::kRedraw:
      DrawRect(step.dirty);  // an open entry is a child window: the server keeps our pixels off it
      break;
  }
  if (mX && mX->Usable()) xcb_flush(mX->conn);
}

bool IGraphicsLinux::ProcessEvents() {
  if (!mX || !mX->conn || xcb_connection_has_error(mX->conn)) return false;
  while (mX) {
    const std::shared_ptr<X> hold = mX;  // a handler may close the editor under us
    xcb_generic_event_t* event = nullptr;
    if (!hold->setAside.empty()) {
      event = hold->setAside.front();
      hold->setAside.erase(hold->setAside.begin());
    } else {
      event = xcb_poll_for_event(hold->conn);
    }
    if (!event) break;
    HandleEvent(event);
    free(event);
  }
  if (mX && mX->conn && !xcb_connection_has_error(mX->conn)) xcb_flush(mX->conn);
  return mX && !xcb_connection_has_error(mX->conn);
}

void IGraphicsLinux::ServeWhileModal(void* raw) {
  if (!mX) return;
  X& x = *mX;
  auto* event = static_cast<xcb_generic_event_t*>(raw);
  const uint8_t type = event->response_type & 0x7f;
  if (x.SharedImageRead(event)) {
    x.shmBusy = false;
  } else if (type == XCB_EXPOSE) {
    auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
    if (e->window == x.window) PresentRect(GuiRect{e->x, e->y, e->x + e->width, e->y + e->height});
    if (mEntryWindow && e->window == mEntryWindow->Window()) mEntryWindow->Draw();
  } else if (type == XCB_DESTROY_NOTIFY) {
    if (reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == x.window) x.windowAlive = false;
  }
  // Input meant for the editor is dropped: the modal operation owns the user's attention.
}

bool IGraphicsLinux::ServeQueuedWhileModal() {
  if (!mX || !mX->conn || xcb_connection_has_error(mX->conn)) return false;
  const std::shared_ptr<X> hold = mX;
  while (xcb_generic_event_t* event = xcb_poll_for_event(hold->conn)) {
    ServeWhileModal(event);
    free(event);
  }
  xcb_flush(hold->conn);
  return hold->Usable();
}

int IGraphicsLinux::MapKeysym(uint32_t keysym) noexcept {
  switch (keysym) {
    case 0x20: return kKeySpace;
    case xk::kUp: return kKeyUpArrow;
    case xk::kDown: return kKeyDownArrow;
    case xk::kLeft: return kKeyLeftArrow;
    case xk::kRight: return kKeyRightArrow;
    default: break;
  }
  return keysym < 0x80 ? KeyCodeForCharacter(static_cast<int>(keysym)) : -1;  // Latin keysyms are ASCII
}

int IGraphicsLinux::WheelSteps(int button) noexcept { return button == 4 ? 1 : button == 5 ? -1 : 0; }

void IGraphicsLinux::HandleEvent(void* raw) {
  X& x = *mX;
  auto* event = static_cast<xcb_generic_event_t*>(raw);
  const uint8_t type = event->response_type & 0x7f;
  if (x.SharedImageRead(event)) {
    x.shmBusy = false;
    return;
  }
  if (mEntryWindow && mEntryWindow->IsOpen()) {
    // The entry's own window: its drawing, keys and focus.
    const xcb_window_t entry = mEntryWindow->Window();
    switch (type) {
      case XCB_EXPOSE:
        if (reinterpret_cast<xcb_expose_event_t*>(event)->window == entry) {
          mEntryWindow->Draw();
          return;
        }
        break;
      case XCB_KEY_PRESS: {
        auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (e->event != entry) break;
        const uint32_t sym = x.keymap.Keysym(e->detail, (e->state & kShiftMask) != 0);
        if (sym == xk::kReturn || sym == xk::kKeypadEnter) {
          mEntry.SetState(kEntryCommit);
        } else if (sym == xk::kEscape) {
          mEntry.SetState(kEntryCancel);
        } else if (mEntryWindow->Type(sym, mEntry)) {
          mEntryWindow->Draw();
        }
        return;
      }
      case XCB_FOCUS_IN:
      case XCB_FOCUS_OUT: {
        auto* e = reinterpret_cast<xcb_focus_in_event_t*>(event);
        if (e->event != entry) break;
        // Grabs (a menu, the window manager) move the focus only for a while: not a focus change.
        if (e->mode != XCB_NOTIFY_MODE_NORMAL || e->detail == XCB_NOTIFY_DETAIL_POINTER) return;
        mEntry.SetState(type == XCB_FOCUS_IN ? kEntryEditing : kEntryCommit);
        return;
      }
      case XCB_BUTTON_PRESS:
        if (reinterpret_cast<xcb_button_press_event_t*>(event)->event == entry) return;
        break;
      default:
        break;
    }
    // The editor's own input while the entry is open, as on Windows: a click while editing
    // cancels, another click commits, the wheel cancels; nothing else reaches the controls
    // while the entry has the focus.
    const bool editing = mEntry.State() == kEntryEditing;
    if (type == XCB_BUTTON_PRESS) {
      const int button = reinterpret_cast<xcb_button_press_event_t*>(event)->detail;
      if (editing) {
        if (button == 1 || button == 3) mEntry.SetState(kEntryCancel);
      } else if (button >= 4 && button <= 7) {
        mEntry.SetState(kEntryCancel);
      } else {
        mEntry.SetState(kEntryCommit);
      }
      return;
    }
    if (editing && (type == XCB_BUTTON_RELEASE || type == XCB_MOTION_NOTIFY || type == XCB_KEY_PRESS ||
                    type == XCB_KEY_RELEASE || type == XCB_LEAVE_NOTIFY)) {
      return;
    }
    if (type == XCB_MOTION_NOTIFY && (reinterpret_cast<xcb_motion_notify_event_t*>(event)->state &
                                      (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_3))) {
      return;  // no drags while an entry is open
    }
  }
  switch (type) {
    case XCB_EXPOSE: {
      auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
      PresentRect(GuiRect{e->x, e->y, e->x + e->width, e->y + e->height});
      break;
    }
    case XCB_DESTROY_NOTIFY: {
      auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
      if (e->window == x.window) x.windowAlive = false;  // the host's window went first
      break;
    }
    case XCB_BUTTON_PRESS: {
      auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
      x.pointerX = e->event_x;
      x.pointerY = e->event_y;
      if (const int steps = WheelSteps(e->detail)) {
        HandleWheel(e->event_x, e->event_y, ModsOf(e->state), steps);
        break;
      }
      if (e->detail == 6 || e->detail == 7) break;
      MouseMods mods = ModsOf(e->state);  // the state before this press
      mods.L = mods.L || e->detail == 1;
      mods.R = mods.R || e->detail == 3;
      xcb_set_input_focus(x.conn, XCB_INPUT_FOCUS_PARENT, x.window, e->time);
      if (e->detail == 1 && e->time - x.lastPressTime <= kDoubleClickMs &&
          std::abs(e->event_x - x.lastPressX) <= kDoubleClickPx &&
          std::abs(e->event_y - x.lastPressY) <= kDoubleClickPx) {
        x.lastPressTime = 0;
        x.lastPressX = x.lastPressY = -10000;
        HandleDoubleClick(e->event_x, e->event_y, mods);  // the press grabs the pointer already
        break;
      }
      if (e->detail == 1) {
        x.lastPressTime = e->time;
        x.lastPressX = e->event_x;
        x.lastPressY = e->event_y;
      }
      HandleMouseDown(e->event_x, e->event_y, mods);
      break;
    }
    case XCB_BUTTON_RELEASE: {
      auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
      if (e->detail != 1 && e->detail != 3) break;  // wheel buttons end in their press
      MouseMods mods = ModsOf(e->state);
      HandleMouseUp(e->event_x, e->event_y, mods);
      break;
    }
    case XCB_MOTION_NOTIFY: {
      auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
      x.pointerX = e->event_x;
      x.pointerY = e->event_y;
      const MouseMods mods = ModsOf(e->state);
      if (mods.L || mods.R) {
        if (CapturedControl() >= 0) HandleMouseDrag(e->event_x, e->event_y, mods);
      } else {
        HandleMouseOver(e->event_x, e->event_y, mods);
      }
      break;
    }
    case XCB_LEAVE_NOTIFY: {
      auto* e = reinterpret_cast<xcb_leave_notify_event_t*>(event);
      if (e->mode == XCB_NOTIFY_MODE_NORMAL) HandleMouseOut();
      break;
    }
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
      auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
      bool taken = false;
      if (type == XCB_KEY_PRESS) {
        const int key = MapKeysym(x.keymap.Keysym(e->detail, false));
        if (key >= 0) taken = HandleKeyDown(e->event_x, e->event_y, key);
      }
      if (!taken && mX && mX->windowAlive) {
        // The host's own shortcuts: hand the key on to the window it gave us.
        xcb_key_press_event_t copy = *e;
        copy.event = x.parent;
        copy.child = x.window;
        xcb_send_event(x.conn, 0, x.parent,
                       (event->response_type & 0x7f) == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS
                                                                     : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&copy));
      }
      break;
    }
    default:
      break;  // focus changes, mapping and errors (a window gone under us) need nothing
  }
}

// ---- Modal operations -----------------------------------------------------------------------

std::string IGraphicsLinux::DialogProgram(bool* isZenity) const {
  std::string program = FindProgramOnPath("zenity");
  *isZenity = !program.empty();
  if (program.empty()) program = FindProgramOnPath("kdialog");
  return program;
}

bool IGraphicsLinux::RunDialog(const std::vector<std::string>& argv, std::string* out, int* exitCode) {
  const std::shared_ptr<X> hold = mX;  // the connection outlives a close during the dialog
  ProgramResult result;
  {
    ModalScope scope(mModal);
    result = RunProgram(argv, [this, &scope, &hold]() {
      if (!scope.Alive()) return false;
      ServeQueuedWhileModal();
      // The editor closing, or its window gone under us: the dialog goes with it.
      return !mCloseDuringModal && !(hold && !hold->Usable());
    });
    if (!scope.Alive()) return false;
  }
  if (mModal.TakePendingClose()) CloseEditorWindow();
  while (!result.output.empty() && (result.output.back() == '\n' || result.output.back() == '\r')) {
    result.output.pop_back();
  }
  *out = std::move(result.output);
  *exitCode = result.started ? result.exitCode : -1;
  return true;
}

int IGraphicsLinux::ShowMessage(const char* text, const char* caption, int type) {
  const std::string body = text ? text : "";
  const std::string title = caption && *caption ? caption : "Sylvane";
  // The message-box button sets: 0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No; icons 0x10 error,
  // 0x30 warning. Answers: 1 OK, 2 Cancel, 6 Yes, 7 No.
  const int buttons = type & 0xF;
  const bool yesNo = buttons == 3 || buttons == 4;
  const bool okCancel = buttons == 1;
  const int icon = type & 0xF0;
  bool zenity = false;
  const std::string program = DialogProgram(&zenity);
  if (program.empty()) {
    // Nobody can answer: a question gets the answer that changes nothing.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    return yesNo ? 7 : okCancel ? 2 : 1;
  }
  std::vector<std::string> argv{program};
  if (zenity) {
    argv.push_back(yesNo || okCancel ? "--question" : icon == 0x10 ? "--error" : icon == 0x30 ? "--warning" : "--info");
    argv.push_back("--title=" + title);
    argv.push_back("--text=" + body);
    argv.push_back("--no-markup");
    if (okCancel) {
      argv.push_back("--ok-label=OK");
      argv.push_back("--cancel-label=Cancel");
    }
  } else {
    argv.insert(argv.end(), {"--title", title});
    argv.push_back(yesNo ? "--yesno" : okCancel ? "--warningcontinuecancel" : icon == 0x10 ? "--error" : "--msgbox");
    argv.push_back(body);
  }
  std::string out;
  int code = -1;
  if (!RunDialog(argv, &out, &code)) return yesNo ? 7 : okCancel ? 2 : 1;
  if (yesNo) return code == 0 ? 6 : 7;
  if (okCancel) return code == 0 ? 1 : 2;
  return 1;
}

PopupMenu* IGraphicsLinux::ShowPopupMenu(PopupMenu* menu, const GuiRect& rect) {
  ClearCapture();
  if (!menu || !mX || !mX->Usable()) return nullptr;
  const std::shared_ptr<X> x = mX;  // the connection outlives a close during the menu
  PopupMenu* result = nullptr;
  {
    ModalScope scope(mModal);
    PopupMenuHost host;
    host.conn = x->conn;
    host.anchorWindow = x->window;
    host.keymap = &x->keymap;
    host.serveOther = [this, &scope](xcb_generic_event_t* e) {
      if (scope.Alive()) ServeWhileModal(e);
    };
    host.keepRunning = [this, &scope, &x]() { return scope.Alive() && !mCloseDuringModal && x->Usable(); };
    result = PopupMenuWindowLinux::Run(host, menu, rect);
    if (!scope.Alive()) return nullptr;  // the instance went away during the menu
  }
  if (mModal.TakePendingClose()) {
    CloseEditorWindow();
    return nullptr;
  }
  if (!mX || !mX->Usable()) return nullptr;
  DrawRect(GuiRect{0, 0, Width(), Height()});  // the whole editor, as after a native menu
  return result;
}

void IGraphicsLinux::ShowTextEntry(IControl* control, const TextStyle& style, const GuiRect& rect, const char* text,
                                   const PlugParam* param) {
  if (!control || !mX || !mX->Usable() || mEntryWindow) return;
  if (!mEntry.Begin(control, param)) return;
  auto entry = std::make_unique<TextEntryWindowLinux>();
  if (!entry->Open(mX->conn, mX->window, mX->depth, rect, style, text)) {
    mEntry.End();
    return;
  }
  mEntryWindow = std::move(entry);
}

void IGraphicsLinux::CancelTextEntry() { mEntry.SetState(kEntryCancel); }

void IGraphicsLinux::CloseTextEntry(bool apply) {
  // The window goes before the text is applied: applying may open the next entry.
  const std::string text = mEntryWindow ? mEntryWindow->Text() : std::string();
  const bool hadWindow = mEntryWindow != nullptr;
  if (mEntryWindow) mEntryWindow->Close();
  mEntryWindow.reset();
  if (hadWindow && mX && mX->Usable()) xcb_set_input_focus(mX->conn, XCB_INPUT_FOCUS_PARENT, mX->window, XCB_CURRENT_TIME);
  if (apply && hadWindow) {
    mEntry.Commit(text.data(), text.size());
  } else {
    mEntry.End();
  }
}

void IGraphicsLinux::HostFolder(std::string& out) {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n <= 0) {
    out.clear();
    return;
  }
  path[n] = '\0';
  out = FolderOf(path);
}

void IGraphicsLinux::ModuleFolder(std::string& out) {
  Dl_info info{};
  out = dladdr(reinterpret_cast<void*>(&MakeLinuxEditorGraphics), &info) ? FolderOf(info.dli_fname) : std::string();
}

void IGraphicsLinux::DesktopFolder(std::string& out) {
  const char* desktop = std::getenv("XDG_DESKTOP_DIR");
  out = desktop && *desktop ? desktop : HomeFolder() + "/Desktop";
}

void IGraphicsLinux::AppDataFolder(std::string& out, bool shared) {
  if (shared) {
    out = "/usr/local/share";
    return;
  }
  const char* data = std::getenv("XDG_DATA_HOME");
  out = data && *data ? data : HomeFolder() + "/.local/share";
}

void IGraphicsLinux::AskForFile(std::string& file, int action, std::string& folder, const char* extensions) {
  if (!mX || !mX->Usable()) {
    file.clear();
    return;
  }
  if (folder.empty()) DesktopFolder(folder);
  bool zenity = false;
  const std::string program = DialogProgram(&zenity);
  if (program.empty()) {
    file.clear();
    ShowMessage("No file dialog is available: install zenity or kdialog.", "Sylvane", 0x30);
    return;
  }
  // "e1 e2" -> patterns "*.e1 *.e2" (described as "*.e1;*.e2"); the first is the default.
  std::vector<std::string> patterns;
  std::string first;
  for (const char* p = extensions ? extensions : ""; *p;) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ' ') ++p;
    if (p == start) break;
    if (first.empty()) first.assign(start, p);
    patterns.push_back("*." + std::string(start, p));
  }
  std::string described, spaced;
  for (const std::string& pattern : patterns) {
    described += (described.empty() ? "" : ";") + pattern;
    spaced += (spaced.empty() ? "" : " ") + pattern;
  }
  std::string start = file.find('/') != std::string::npos ? file : folder;
  if (file.find('/') == std::string::npos) {
    if (!start.empty() && start.back() != '/') start += '/';
    start += file;
  }
  const bool save = action == 1;
  std::vector<std::string> argv{program};
  if (zenity) {
    argv.push_back("--file-selection");
    argv.push_back(save ? "--title=Save" : "--title=Open");
    argv.push_back("--filename=" + start);
    if (save) {
      argv.push_back("--save");
      argv.push_back("--confirm-overwrite");
    }
    if (!spaced.empty()) argv.push_back("--file-filter=" + described + " | " + spaced);
  } else {
    argv.push_back(save ? "--getsavefilename" : "--getopenfilename");
    argv.push_back(start);
    if (!spaced.empty()) argv.push_back(spaced);
  }
  std::string chosen;
  int code = -1;
  if (!RunDialog(argv, &chosen, &code) || code != 0 || chosen.empty() || chosen.find('\n') != std::string::npos) {
    file.clear();
    return;
  }
  const size_t slash = chosen.rfind('/');
  if (save && !first.empty() && chosen.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) {
    chosen += "." + first;  // a name typed without extension gets the default one
  }
  if (slash != std::string::npos) folder = chosen.substr(0, slash + 1);
  file = chosen;
}

bool IGraphicsLinux::AskForColor(GuiColor& color, const char* prompt) {
  if (!mX || !mX->Usable()) return false;
  bool zenity = false;
  const std::string program = DialogProgram(&zenity);
  if (program.empty()) return false;
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02x%02x%02x", color.R & 0xFF, color.G & 0xFF, color.B & 0xFF);
  const std::string title = prompt && *prompt ? prompt : "Colour";
  std::vector<std::string> argv{program};
  if (zenity) {
    argv.insert(argv.end(), {"--color-selection", "--title=" + title, std::string("--color=") + hex});
  } else {
    argv.insert(argv.end(), {"--title", title, "--getcolor", "--default", hex});
  }
  std::string out;
  int code = -1;
  if (!RunDialog(argv, &out, &code) || code != 0) return false;
  // "#rrggbb" (kdialog, some zenity versions) or "rgb(r,g,b)" / "rgba(r,g,b,a)" (zenity).
  int r = -1, g = -1, b = -1;
  unsigned packed = 0;
  if (out.size() >= 7 && out[0] == '#' && std::sscanf(out.c_str() + 1, "%6x", &packed) == 1) {
    r = static_cast<int>(packed >> 16) & 0xFF;
    g = static_cast<int>(packed >> 8) & 0xFF;
    b = static_cast<int>(packed) & 0xFF;
  } else if (out.rfind("rgb", 0) == 0) {
    const size_t open = out.find('(');
    if (open == std::string::npos || std::sscanf(out.c_str() + open, "(%d,%d,%d", &r, &g, &b) != 3) return false;
  }
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  color.R = r;
  color.G = g;
  color.B = b;
  return true;
}

bool IGraphicsLinux::OpenWebAddress(const char* address, const char* title, const char* confirm,
                                    const char* failure) {
  if (!address || !*address) return false;
  if (confirm && *confirm && ShowMessage(confirm, title, 4) != 6) return false;
  const std::string opener = FindProgramOnPath("xdg-open");
  if (!opener.empty() && StartProgram({opener, address})) return true;
  if (failure && *failure) ShowMessage(failure, title, 0);
  return false;
}

bool IGraphicsLinux::ClipboardText(std::string& out) {
  out.clear();
  if (!mX || !mX->Usable()) return false;
  const std::shared_ptr<X> hold = mX;
  X& x = *hold;
  auto intern = [&x](const char* name) -> xcb_atom_t {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        x.conn, xcb_intern_atom(x.conn, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(r);
    return atom;
  };
  if (!x.clipboard) {
    x.clipboard = intern("CLIPBOARD");
    x.utf8 = intern("UTF8_STRING");
    x.incr = intern("INCR");
    x.clipProperty = intern("SYLVANE_CLIPBOARD");
  }
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(x.conn, xcb_get_selection_owner(x.conn, x.clipboard), nullptr);
  const bool owned = owner && owner->owner != XCB_NONE;
  free(owner);
  if (!owned || !x.utf8 || !x.clipProperty) return false;
  xcb_convert_selection(x.conn, x.window, x.clipboard, x.utf8, x.clipProperty, XCB_CURRENT_TIME);
  xcb_flush(x.conn);
  // The owner answers with SelectionNotify; other events wait for ProcessEvents meanwhile.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kClipboardWaitMs);
  while (!xcb_connection_has_error(x.conn)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    xcb_generic_event_t* event = xcb_poll_for_event(x.conn);
    if (!event) {
      pollfd p{xcb_get_file_descriptor(x.conn), POLLIN, 0};
      poll(&p, 1, static_cast<int>(left));
      continue;
    }
    if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY ||
        reinterpret_cast<xcb_selection_notify_event_t*>(event)->requestor != x.window) {
      x.setAside.push_back(event);
      continue;
    }
    const xcb_atom_t property = reinterpret_cast<xcb_selection_notify_event_t*>(event)->property;
    free(event);
    if (property == XCB_ATOM_NONE) return false;  // the owner has no text
    xcb_get_property_reply_t* value = xcb_get_property_reply(
        x.conn, xcb_get_property(x.conn, 1, x.window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProgramOutput / 4),
        nullptr);
    // Text larger than one property (INCR transfers) is not taken.
    const bool ok = value && value->type != x.incr && value->format == 8;
    if (ok) out.assign(static_cast<const char*>(xcb_get_property_value(value)),
                       static_cast<size_t>(xcb_get_property_value_length(value)));
    free(value);
    return ok;
  }
  return false;
}

LICE_IBitmap* IGraphicsLinux::LoadRasterResource(int id, const char* name) {
  if (!name || !LICE::IsPNGFileName(name)) return nullptr;
  return LoadPngResource(mModule, id).release();
}

IGraphics* MakeLinuxEditorGraphics(IPlugBase* plug, int width, int height, void* module) {
  return new IGraphicsLinux(plug, width, height, module);
}
