#include "platform/x11_input.h"

#include <X11/keysym.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <thread>

#include "platform/keystate.h"
#include "platform/time.h"
#include "platform/x11_library.h"

namespace platform {

namespace {
constexpr int kEvdevOffset = 8;   // X key code = evdev code + 8
constexpr int kStopCheckMs = 20;  // how often the watcher looks at its stop flag

Display* g_display = nullptr;
// Never destroyed: a process that ends through exit() while the watcher runs (Xlib exits on a
// fatal X error, for one) must not abort on a joinable thread object.
std::thread& g_thread = *new std::thread;
std::atomic<bool> g_stop{false};
std::atomic<bool> g_active{false};

void WatchKeys(Display* dpy) {
  // The watcher sleeps in poll almost all the time; where the system allows it, it runs at a
  // real-time priority so a busy machine doesn't delay the moment a hit is seen. It sits one
  // level above the main loop, beside the play worker, so a frame being drawn on the other
  // core never holds a key back.
  sched_param param{};
  param.sched_priority = 2;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  pollfd pfd{g_xlib.ConnNumber(dpy), POLLIN, 0};
  while (!g_stop.load(std::memory_order_acquire)) {
    while (g_xlib.Pending(dpy) > 0) {
      XEvent ev;
      g_xlib.NextEvent(dpy, &ev);
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
  if (!g_xlib.Load()) return false;
  Display* dpy = g_xlib.OpenDisplay(nullptr);
  if (!dpy) return false;
  // Only servers with evdev key codes: there the key code says which physical key it is.
  if (g_xlib.KeysymToKeycode(dpy, XK_Escape) != 1 + kEvdevOffset ||
      g_xlib.KeysymToKeycode(dpy, XK_f) != 0x21 + kEvdevOffset) {
    g_xlib.CloseDisplay(dpy);
    return false;
  }
  Bool supported = False;
  g_xlib.SetDetectableAutoRepeat(dpy, True, &supported);
  g_xlib.SelectInput(dpy, info.info.x11.window, KeyPressMask | KeyReleaseMask);
  g_xlib.Flush(dpy);
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
  g_xlib.CloseDisplay(g_display);
  g_display = nullptr;
  g_active.store(false, std::memory_order_release);
}

bool X11InputActive() { return g_active.load(std::memory_order_acquire); }

}  // namespace platform
