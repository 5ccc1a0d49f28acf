#include "gui/IGraphicsLinux.h"

#include "gui/IControl.h"
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <dlfcn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
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
  // Keyboard: keysyms by keycode (first column).
  uint8_t minKeycode = 0;
  uint8_t keysymsPerKeycode = 0;
  std::vector<uint32_t> keysyms;
  uint32_t lastPressTime = 0;
  int lastPressX = -10000;
  int lastPressY = -10000;
  int pointerX = 0;
  int pointerY = 0;

  bool Usable() const { return conn && !xcb_connection_has_error(conn) && windowAlive; }
};

IGraphicsLinux::IGraphicsLinux(IPlugBase* plug, int width, int height, void* module)
    : IGraphics(plug, width, height), mModule(module) {}

IGraphicsLinux::~IGraphicsLinux() { CloseEditorWindow(); }

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
  if (parentId == 0 || !BuffersPrepared()) return nullptr;
  auto x = std::make_unique<X>();
  x->conn = xcb_connect(nullptr, nullptr);
  if (!x->conn || xcb_connection_has_error(x->conn)) {
    if (x->conn) xcb_disconnect(x->conn);
    return nullptr;
  }
  // The parent's depth (our window copies it) and whether it exists at all.
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(x->conn, xcb_get_geometry(x->conn, parentId), nullptr);
  if (!geometry) {
    xcb_disconnect(x->conn);
    return nullptr;
  }
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
    xcb_disconnect(x->conn);
    return nullptr;
  }
  x->windowAlive = true;
  x->gc = xcb_generate_id(x->conn);
  xcb_create_gc(x->conn, x->gc, x->window, 0, nullptr);

  // Shared memory when the server has it and can attach our segment (a remote server cannot).
  const xcb_query_extension_reply_t* shmExt = xcb_get_extension_data(x->conn, &xcb_shm_id);
  if (shmExt && shmExt->present) {
    const size_t bytes = static_cast<size_t>(Width()) * static_cast<size_t>(Height()) * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id >= 0) {
      void* addr = shmat(id, nullptr, 0);
      if (addr != reinterpret_cast<void*>(-1)) {
        x->seg = xcb_generate_id(x->conn);
        xcb_generic_error_t* error =
            xcb_request_check(x->conn, xcb_shm_attach_checked(x->conn, x->seg, static_cast<uint32_t>(id), 0));
        if (error) {
          free(error);
          shmdt(addr);
          x->seg = 0;
        } else {
          x->shm = static_cast<uint32_t*>(addr);
          x->shmCompletion = static_cast<uint8_t>(shmExt->first_event + XCB_SHM_COMPLETION);
        }
      }
      shmctl(id, IPC_RMID, nullptr);  // goes away with its last user, even if we do not close
    }
  }

  const xcb_setup_t* setup = xcb_get_setup(x->conn);
  x->minKeycode = setup->min_keycode;
  const uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
  if (xcb_get_keyboard_mapping_reply_t* map =
          xcb_get_keyboard_mapping_reply(x->conn, xcb_get_keyboard_mapping(x->conn, setup->min_keycode, count),
                                         nullptr)) {
    x->keysymsPerKeycode = map->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    x->keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map));
    free(map);
  }

  xcb_map_window(x->conn, x->window);
  xcb_flush(x->conn);
  mX = std::move(x);
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkDirty(false);
  return NativeWindow();
}

void IGraphicsLinux::CloseEditorWindow() {
  if (!mX) return;
  std::unique_ptr<X> x = std::move(mX);
  if (!xcb_connection_has_error(x->conn)) {
    if (x->seg) xcb_shm_detach(x->conn, x->seg);
    if (x->gc) xcb_free_gc(x->conn, x->gc);
    if (x->windowAlive) xcb_destroy_window(x->conn, x->window);
    xcb_flush(x->conn);
  }
  if (x->shm) shmdt(x->shm);
  xcb_disconnect(x->conn);
  ClearCapture();
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
  // Plain requests, in bands that fit the server's request size.
  const size_t maxBytes = static_cast<size_t>(xcb_get_maximum_request_length(x.conn)) * 4 - 64;
  const int bandRows = std::max(1, static_cast<int>(maxBytes / (static_cast<size_t>(w) * 4)));
  for (int band = 0; band < h; band += bandRows) {
    const int rows = std::min(bandRows, h - band);
    x.rows.resize(static_cast<size_t>(w) * rows);
    for (int row = 0; row < rows; ++row) {
      std::memcpy(x.rows.data() + static_cast<size_t>(row) * w,
                  bits + static_cast<size_t>(top + band + row) * span + left, static_cast<size_t>(w) * 4);
    }
    xcb_put_image(x.conn, XCB_IMAGE_FORMAT_Z_PIXMAP, x.window, x.gc, static_cast<uint16_t>(w),
                  static_cast<uint16_t>(rows), static_cast<int16_t>(left), static_cast<int16_t>(top + band), 0,
                  x.depth, static_cast<uint32_t>(x.rows.size() * 4), reinterpret_cast<const uint8_t*>(x.rows.data()));
  }
  return true;
}

void IGraphicsLinux::TimerTick() {
  if (!mX || !mX->Usable()) return;
  GuiRect dirty;
  if (CollectDirtyRect(dirty)) DrawRect(dirty);
  xcb_flush(mX->conn);
}

bool IGraphicsLinux::ProcessEvents() {
  if (!mX || !mX->conn || xcb_connection_has_error(mX->conn)) return false;
  while (mX) {
    xcb_generic_event_t* event = xcb_poll_for_event(mX->conn);
    if (!event) break;
    HandleEvent(event);
    free(event);
  }
  if (mX && mX->conn && !xcb_connection_has_error(mX->conn)) xcb_flush(mX->conn);
  return mX && !xcb_connection_has_error(mX->conn);
}

int IGraphicsLinux::MapKeysym(uint32_t keysym) noexcept {
  switch (keysym) {
    case 0x20: return kKeySpace;
    case 0xff52: return kKeyUpArrow;
    case 0xff54: return kKeyDownArrow;
    case 0xff51: return kKeyLeftArrow;
    case 0xff53: return kKeyRightArrow;
    default: break;
  }
  if (keysym >= '0' && keysym <= '9') return 5 + static_cast<int>(keysym - '0');
  if (keysym >= 'A' && keysym <= 'Z') return 15 + static_cast<int>(keysym - 'A');
  if (keysym >= 'a' && keysym <= 'z') return 15 + static_cast<int>(keysym - 'a');
  return -1;
}

int IGraphicsLinux::WheelSteps(int button) noexcept { return button == 4 ? 1 : button == 5 ? -1 : 0; }

void IGraphicsLinux::HandleEvent(void* raw) {
  X& x = *mX;
  auto* event = static_cast<xcb_generic_event_t*>(raw);
  if (x.shm && (event->response_type & 0x7f) == x.shmCompletion) {
    x.shmBusy = false;
    return;
  }
  switch (event->response_type & 0x7f) {
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
      if ((event->response_type & 0x7f) == XCB_KEY_PRESS && x.keysymsPerKeycode > 0 && e->detail >= x.minKeycode) {
        const size_t at = static_cast<size_t>(e->detail - x.minKeycode) * x.keysymsPerKeycode;
        const int key = at < x.keysyms.size() ? MapKeysym(x.keysyms[at]) : -1;
        if (key >= 0) taken = HandleKeyDown(e->event_x, e->event_y, key);
      }
      if (!taken && x.windowAlive) {
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

int IGraphicsLinux::ShowMessage(const char* text, const char* caption, int /*type*/) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Sylvane", text ? text : "");
  return 1;
}

PopupMenu* IGraphicsLinux::ShowPopupMenu(PopupMenu* /*menu*/, const GuiRect& /*rect*/) {
  ClearCapture();
  return nullptr;
}

void IGraphicsLinux::ShowTextEntry(IControl* /*control*/, const TextStyle& /*style*/, const GuiRect& /*rect*/,
                                   const char* /*text*/, const PlugParam* /*param*/) {}

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

void IGraphicsLinux::AskForFile(std::string& file, int /*action*/, std::string& /*folder*/,
                                const char* /*extensions*/) {
  file.clear();
}

bool IGraphicsLinux::OpenWebAddress(const char*, const char*, const char*, const char*) { return false; }

bool IGraphicsLinux::ClipboardText(std::string& out) {
  out.clear();
  return false;
}

LICE_IBitmap* IGraphicsLinux::LoadRasterResource(int id, const char* name) {
  if (!name || !LICE::IsPNGFileName(name)) return nullptr;
  return LoadPngResource(mModule, id).release();
}

IGraphics* MakeLinuxEditorGraphics(IPlugBase* plug, int width, int height, void* module) {
  return new IGraphicsLinux(plug, width, height, module);
}
