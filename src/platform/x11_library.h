// libX11 and the shared-memory image extension (libXext), opened at run time and shared by the
// X11 keyboard watcher and the X11 presenter. Only the X11 files of platform include this.
#pragma once

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "platform/runtime_library.h"

namespace platform {

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
              Sym(SelectInput, "XSelectInput") && Sym(Flush, "XFlush") &&
              Sym(Pending, "XPending") && Sym(NextEvent, "XNextEvent") &&
              Sym(ConnNumber, "XConnectionNumber") && Sym(KeysymToKeycode, "XKeysymToKeycode") &&
              Sym(SetDetectableAutoRepeat, "XkbSetDetectableAutoRepeat") &&
              Sym(CreateGC, "XCreateGC") && Sym(FreeGC, "XFreeGC") &&
              Sym(GetWindowAttributes, "XGetWindowAttributes") && Sym(Sync, "XSync") &&
              Sym(SetErrorHandler, "XSetErrorHandler");
    return KeepIf(ok);
  }
};

// The shared-memory image extension, from libXext.
struct XExt : RuntimeLibrary {
  Bool (*QueryExtension)(Display*) = nullptr;
  int (*GetEventBase)(Display*) = nullptr;
  XImage* (*CreateImage)(Display*, Visual*, unsigned int, int, char*, XShmSegmentInfo*,
                         unsigned int, unsigned int) = nullptr;
  Bool (*Attach)(Display*, XShmSegmentInfo*) = nullptr;
  Bool (*Detach)(Display*, XShmSegmentInfo*) = nullptr;
  Bool (*PutImage)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned int, unsigned int,
                   Bool) = nullptr;

  bool Load() {
    if (handle) return true;
    if (!Open("libXext.so.6")) return false;
    bool ok = Sym(QueryExtension, "XShmQueryExtension") && Sym(GetEventBase, "XShmGetEventBase") &&
              Sym(CreateImage, "XShmCreateImage") && Sym(Attach, "XShmAttach") &&
              Sym(Detach, "XShmDetach") && Sym(PutImage, "XShmPutImage");
    return KeepIf(ok);
  }
};

extern XLib g_xlib;
extern XExt g_xext;

// The window's X11 side, when SDL drives it through its X11 video driver.
bool WindowOnX11(SDL_Window* window, SDL_SysWMinfo* info);

}  // namespace platform
