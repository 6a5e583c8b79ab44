#include "platform/x11_input.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/keystate.h"
#include "platform/time.h"

namespace platform {

namespace {
constexpr int kEvdevOffset = 8;      // X key code = evdev code + 8
constexpr int kStopCheckMs = 20;     // how often the watcher looks at its stop flag

// A library opened at run time, its functions looked up by name.
struct RuntimeLibrary {
  void* handle = nullptr;

  bool Open(const char* soname) {
    handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr;
  }
  template <typename F>
  bool Sym(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(handle, name));
    return f != nullptr;
  }
  // Keeps the library open only when every function it must have was found.
  bool KeepIf(bool ok) {
    if (!ok) {
      dlclose(handle);
      handle = nullptr;
    }
    return ok;
  }
};

// libX11 is loaded at run time, as SDL itself does, so the game links no X library.
struct XLib : RuntimeLibrary {
  Display* (*OpenDisplay)(const char*) = nullptr;
  int (*CloseDisplay)(Display*) = nullptr;
  int (*SelectInput)(Display*, Window, long) = nullptr;
  int (*Flush)(Display*) = nullptr;
  int (*Pending)(Display*) = nullptr;
  int (*NextEvent)(Display*, XEvent*) = nullptr;
  int (*ConnNumber)(Display*) = nullptr;
  KeyCode (*KeysymToKeycode)(Display*, KeySym) = nullptr;
  Bool (*SetDetectableAutoRepeat)(Display*, Bool, Bool*) = nullptr;
  GC (*CreateGC)(Display*, Drawable, unsigned long, XGCValues*) = nullptr;
  int (*FreeGC)(Display*, GC) = nullptr;
  Status (*GetWindowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
  int (*Sync)(Display*, Bool) = nullptr;
  XErrorHandler (*SetErrorHandler)(XErrorHandler) = nullptr;

  bool Load() {
    if (handle) return true;
    if (!Open("libX11.so.6")) return false;
    bool ok = Sym(OpenDisplay, "XOpenDisplay") && Sym(CloseDisplay, "XCloseDisplay") &&
              Sym(SelectInput, "XSelectInput") && Sym(Flush, "XFlush") && Sym(Pending, "XPending") &&
              Sym(NextEvent, "XNextEvent") && Sym(ConnNumber, "XConnectionNumber") &&
              Sym(KeysymToKeycode, "XKeysymToKeycode") &&
              Sym(SetDetectableAutoRepeat, "XkbSetDetectableAutoRepeat") &&
              Sym(CreateGC, "XCreateGC") && Sym(FreeGC, "XFreeGC") &&
              Sym(GetWindowAttributes, "XGetWindowAttributes") && Sym(Sync, "XSync") &&
              Sym(SetErrorHandler, "XSetErrorHandler");
    return KeepIf(ok);
  }
};

XLib g_x;

// The shared-memory image extension, from libXext.
struct XExt : RuntimeLibrary {
  Bool (*QueryExtension)(Display*) = nullptr;
  int (*GetEventBase)(Display*) = nullptr;
  XImage* (*CreateImage)(Display*, Visual*, unsigned int, int, char*, XShmSegmentInfo*,
                         unsigned int, unsigned int) = nullptr;
  Bool (*Attach)(Display*, XShmSegmentInfo*) = nullptr;
  Bool (*Detach)(Display*, XShmSegmentInfo*) = nullptr;
  Bool (*PutImage)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned int,
                   unsigned int, Bool) = nullptr;

  bool Load() {
    if (handle) return true;
    if (!Open("libXext.so.6")) return false;
    bool ok = Sym(QueryExtension, "XShmQueryExtension") && Sym(GetEventBase, "XShmGetEventBase") &&
              Sym(CreateImage, "XShmCreateImage") && Sym(Attach, "XShmAttach") &&
              Sym(Detach, "XShmDetach") && Sym(PutImage, "XShmPutImage");
    return KeepIf(ok);
  }
};

XExt g_xext;

// The window's X11 side, when SDL drives it through its X11 video driver.
bool WindowOnX11(SDL_Window* window, SDL_SysWMinfo* info) {
  if (!window) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return false;
  SDL_VERSION(&info->version);
  return SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}
Display* g_display = nullptr;
// Never destroyed: a process that ends through exit() while the watcher runs (Xlib exits on a
// fatal X error, for one) must not abort on a joinable thread object.
std::thread& g_thread = *new std::thread;
std::atomic<bool> g_stop{false};
std::atomic<bool> g_active{false};

void WatchKeys(Display* dpy) {
  // The watcher sleeps in poll almost all the time; where the system allows it, it runs at a
  // real-time priority so a busy machine doesn't delay the moment a hit is seen.
  sched_param param{};
  param.sched_priority = 1;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  pollfd pfd{g_x.ConnNumber(dpy), POLLIN, 0};
  while (!g_stop.load(std::memory_order_acquire)) {
    while (g_x.Pending(dpy) > 0) {
      XEvent ev;
      g_x.NextEvent(dpy, &ev);
      if (ev.type != KeyPress && ev.type != KeyRelease) continue;
      double seen = TimeMonotonicMs();
      int dik = ScanCodeFromEvdev(static_cast<int>(ev.xkey.keycode) - kEvdevOffset);
      if (dik) KeyStateSet(dik, ev.type == KeyPress, seen);
    }
    poll(&pfd, 1, kStopCheckMs);
  }
}
}  // namespace

int ScanCodeFromEvdev(int code) {
  // The main block, function keys and keypad share their numbers with the scan codes.
  if (code >= 1 && code <= 83) return code;
  switch (code) {
    case 86: return 0x56;   // 102nd key
    case 87: return 0x57;   // F11
    case 88: return 0x58;   // F12
    case 89: return 0x73;   // ro
    case 92: return 0x79;   // henkan
    case 93: return 0x70;   // katakana/hiragana
    case 94: return 0x7B;   // muhenkan
    case 96: return 0x9C;   // keypad enter
    case 97: return 0x9D;   // right ctrl
    case 98: return 0xB5;   // keypad /
    case 99: return 0xB7;   // print screen
    case 100: return 0xB8;  // right alt
    case 102: return 0xC7;  // home
    case 103: return 0xC8;  // up
    case 104: return 0xC9;  // page up
    case 105: return 0xCB;  // left
    case 106: return 0xCD;  // right
    case 107: return 0xCF;  // end
    case 108: return 0xD0;  // down
    case 109: return 0xD1;  // page down
    case 110: return 0xD2;  // insert
    case 111: return 0xD3;  // delete
    case 113: return 0xA0;  // mute
    case 114: return 0xAE;  // volume down
    case 115: return 0xB0;  // volume up
    case 117: return 0x8D;  // keypad =
    case 119: return 0xC5;  // pause
    case 121: return 0xB3;  // keypad ,
    case 124: return 0x7D;  // yen
    case 125: return 0xDB;  // left windows
    case 126: return 0xDC;  // right windows
    case 127: return 0xDD;  // menu
    case 183: return 0x64;  // F13
    case 184: return 0x65;  // F14
    case 185: return 0x66;  // F15
    default: return 0;
  }
}

bool X11InputStart(SDL_Window* window) {
  if (g_active.load()) return true;
  SDL_SysWMinfo info;
  if (!WindowOnX11(window, &info)) return false;
  if (!g_x.Load()) return false;
  Display* dpy = g_x.OpenDisplay(nullptr);
  if (!dpy) return false;
  // Only servers with evdev key codes: there the key code says which physical key it is.
  if (g_x.KeysymToKeycode(dpy, XK_Escape) != 1 + kEvdevOffset ||
      g_x.KeysymToKeycode(dpy, XK_f) != 0x21 + kEvdevOffset) {
    g_x.CloseDisplay(dpy);
    return false;
  }
  Bool supported = False;
  g_x.SetDetectableAutoRepeat(dpy, True, &supported);
  g_x.SelectInput(dpy, info.info.x11.window, KeyPressMask | KeyReleaseMask);
  g_x.Flush(dpy);
  g_display = dpy;
  g_stop.store(false, std::memory_order_release);
  g_thread = std::thread(WatchKeys, dpy);
  g_active.store(true, std::memory_order_release);
  return true;
}

void X11InputStop() {
  if (!g_active.load(std::memory_order_acquire)) return;
  g_stop.store(true, std::memory_order_release);
  if (g_thread.joinable()) g_thread.join();
  g_x.CloseDisplay(g_display);
  g_display = nullptr;
  g_active.store(false, std::memory_order_release);
}

bool X11InputActive() { return g_active.load(std::memory_order_acquire); }

namespace {
constexpr int kPresentBuffers = 2;
// How long a present waits for the server to give back a buffer before it drops the frame.
constexpr int kPresentWaitLimitMs = 100;
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct PresentBuffer {
  XShmSegmentInfo shm{};
  XImage* image = nullptr;
  SDL_Surface* surface = nullptr;  // the image's pixels, seen as an ARGB8888 surface
  bool busy = false;               // sent, and the server has not finished reading it
};

struct Presenter {
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  int completionEvent = 0;
  int width = 0;  // the buffers' size: the client area's when they were made
  int height = 0;
  PresentBuffer buffers[kPresentBuffers];
  int next = 0;
};

Presenter g_present;
SDL_Window* g_presentWindow = nullptr;
bool g_attachFailed = false;

// A server that can't share memory with us (a remote display) refuses the attach with an
// error, which by default would end the program.
int NoteAttachError(Display*, XErrorEvent*) {
  g_attachFailed = true;
  return 0;
}

// Frees the image structure (and its data, when that is not shared memory).
void DestroyImage(XImage* image) { image->f.destroy_image(image); }

void FreePresentBuffer(PresentBuffer& b) {
  if (b.surface) SDL_FreeSurface(b.surface);
  b.surface = nullptr;
  if (b.image) {
    g_xext.Detach(g_present.display, &b.shm);
    b.image->data = nullptr;
    DestroyImage(b.image);
    b.image = nullptr;
  }
  if (b.shm.shmaddr && b.shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(b.shm.shmaddr);
  b.shm = XShmSegmentInfo{};
  b.busy = false;
}

void FreePresentBuffers() {
  if (!g_present.display) return;
  // Every image sent must be read before its memory goes.
  g_x.Sync(g_present.display, False);
  for (PresentBuffer& b : g_present.buffers) FreePresentBuffer(b);
  g_x.Sync(g_present.display, False);
  g_present.width = g_present.height = 0;
}

bool MakePresentBuffer(PresentBuffer& b, int w, int h) {
  Presenter& p = g_present;
  b.image = g_xext.CreateImage(p.display, p.visual, unsigned(p.depth), ZPixmap, nullptr, &b.shm,
                               unsigned(w), unsigned(h));
  if (!b.image) return false;
  // The picture's rows are copied as they are: 32-bit pixels with red, green and blue where
  // ARGB8888 keeps them.
  if (b.image->bits_per_pixel != 32 || b.image->byte_order != LSBFirst ||
      b.image->red_mask != 0xFF0000 || b.image->green_mask != 0xFF00 ||
      b.image->blue_mask != 0xFF) {
    DestroyImage(b.image);
    b.image = nullptr;
    return false;
  }
  b.shm.shmid = shmget(IPC_PRIVATE, size_t(b.image->bytes_per_line) * h, IPC_CREAT | 0600);
  if (b.shm.shmid < 0) {
    DestroyImage(b.image);
    b.image = nullptr;
    return false;
  }
  b.shm.shmaddr = static_cast<char*>(shmat(b.shm.shmid, nullptr, 0));
  if (b.shm.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(b.shm.shmid, IPC_RMID, nullptr);
    b.shm.shmaddr = nullptr;
    DestroyImage(b.image);
    b.image = nullptr;
    return false;
  }
  b.image->data = b.shm.shmaddr;
  b.shm.readOnly = False;
  g_attachFailed = false;
  XErrorHandler previous = g_x.SetErrorHandler(NoteAttachError);
  bool attached = g_xext.Attach(p.display, &b.shm);
  // Once the server holds it, the segment goes away with the last user.
  g_x.Sync(p.display, False);
  g_x.SetErrorHandler(previous);
  if (g_attachFailed) attached = false;
  shmctl(b.shm.shmid, IPC_RMID, nullptr);
  if (!attached) {
    b.image->data = nullptr;
    DestroyImage(b.image);
    b.image = nullptr;
    shmdt(b.shm.shmaddr);
    b.shm = XShmSegmentInfo{};
    return false;
  }
  b.surface = SDL_CreateRGBSurfaceWithFormatFrom(b.shm.shmaddr, w, h, 32, b.image->bytes_per_line,
                                                 SDL_PIXELFORMAT_ARGB8888);
  if (!b.surface) {
    FreePresentBuffer(b);
    return false;
  }
  b.busy = false;
  return true;
}

bool MakePresentBuffers(int w, int h) {
  FreePresentBuffers();
  for (PresentBuffer& b : g_present.buffers)
    if (!MakePresentBuffer(b, w, h)) {
      FreePresentBuffers();
      return false;
    }
  g_present.width = w;
  g_present.height = h;
  g_present.next = 0;
  return true;
}

// Takes in the server's notes that it has finished reading an image.
void CollectCompletions(bool wait, double deadlineMs) {
  Presenter& p = g_present;
  for (;;) {
    while (g_x.Pending(p.display) > 0) {
      XEvent ev;
      g_x.NextEvent(p.display, &ev);
      if (ev.type != p.completionEvent) continue;
      const auto& done = reinterpret_cast<const XShmCompletionEvent&>(ev);
      for (PresentBuffer& b : p.buffers)
        if (b.image && b.shm.shmseg == done.shmseg) b.busy = false;
    }
    if (!wait || !p.buffers[p.next].busy) return;
    double left = deadlineMs - TimeMonotonicMs();
    if (left <= 0) return;
    pollfd pfd{g_x.ConnNumber(p.display), POLLIN, 0};
    poll(&pfd, 1, left < 1.0 ? 1 : int(left));
  }
}

void CopyPicture(SDL_Surface* picture, SDL_Surface* to) {
  const auto* src = static_cast<const uint8_t*>(picture->pixels);
  auto* dst = static_cast<uint8_t*>(to->pixels);
  for (int y = 0; y < kPictureHeight; ++y)
    std::memcpy(dst + size_t(y) * to->pitch, src + size_t(y) * picture->pitch,
                size_t(kPictureWidth) * 4);
}
}  // namespace

bool X11PresenterStart(SDL_Window* window) {
  if (g_present.display) return true;
  SDL_SysWMinfo info;
  if (!WindowOnX11(window, &info)) return false;
  if (!g_x.Load() || !g_xext.Load()) return false;
  Display* dpy = g_x.OpenDisplay(nullptr);
  if (!dpy) return false;
  XWindowAttributes attributes;
  if (!g_xext.QueryExtension(dpy) ||
      !g_x.GetWindowAttributes(dpy, info.info.x11.window, &attributes)) {
    g_x.CloseDisplay(dpy);
    return false;
  }
  Presenter& p = g_present;
  p.display = dpy;
  p.window = info.info.x11.window;
  p.visual = attributes.visual;
  p.depth = attributes.depth;
  p.completionEvent = g_xext.GetEventBase(dpy) + ShmCompletion;
  p.gc = g_x.CreateGC(dpy, p.window, 0, nullptr);
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  if (!p.gc || !MakePresentBuffers(w, h)) {
    X11PresenterStop();
    return false;
  }
  g_presentWindow = window;
  return true;
}

void X11PresenterStop() {
  Presenter& p = g_present;
  if (!p.display) return;
  FreePresentBuffers();
  if (p.gc) g_x.FreeGC(p.display, p.gc);
  g_x.CloseDisplay(p.display);
  p = Presenter{};
  g_presentWindow = nullptr;
}

bool X11PresenterActive() { return g_present.display != nullptr; }

int X11PresentPicture(SDL_Surface* picture) {
  Presenter& p = g_present;
  if (!p.display || !picture || picture->w != kPictureWidth || picture->h != kPictureHeight)
    return -1;
  int w = 0, h = 0;
  SDL_GetWindowSize(g_presentWindow, &w, &h);
  if (w < 1 || h < 1) return -1;
  if ((w != p.width || h != p.height) && !MakePresentBuffers(w, h)) return -1;
  CollectCompletions(true, TimeMonotonicMs() + kPresentWaitLimitMs);
  PresentBuffer& b = p.buffers[p.next];
  // The server is far behind: this frame is not shown rather than drawn over a picture it is
  // still reading.
  if (b.busy) return 0;
  if (w == kPictureWidth && h == kPictureHeight) {
    CopyPicture(picture, b.surface);
  } else {
    SDL_Rect all{0, 0, w, h};
    if (SDL_SoftStretchLinear(picture, nullptr, b.surface, &all) != 0 &&
        SDL_BlitScaled(picture, nullptr, b.surface, &all) != 0)
      return -1;
  }
  g_xext.PutImage(p.display, p.window, p.gc, b.image, 0, 0, 0, 0, unsigned(w), unsigned(h), True);
  g_x.Flush(p.display);
  b.busy = true;
  p.next = (p.next + 1) % kPresentBuffers;
  return 0;
}

}  // namespace platform
