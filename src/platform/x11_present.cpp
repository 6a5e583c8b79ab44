#include "platform/x11_present.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <poll.h>

#include <cstdint>
#include <cstring>

#include "platform/fullscreen.h"
#include "platform/time.h"
#include "platform/x11_library.h"

namespace platform {

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
  g_xlib.Sync(g_present.display, False);
  for (PresentBuffer& b : g_present.buffers) FreePresentBuffer(b);
  g_xlib.Sync(g_present.display, False);
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
  XErrorHandler previous = g_xlib.SetErrorHandler(NoteAttachError);
  bool attached = g_xext.Attach(p.display, &b.shm);
  // Once the server holds it, the segment goes away with the last user.
  g_xlib.Sync(p.display, False);
  g_xlib.SetErrorHandler(previous);
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
    while (g_xlib.Pending(p.display) > 0) {
      XEvent ev;
      g_xlib.NextEvent(p.display, &ev);
      if (ev.type != p.completionEvent) continue;
      const auto& done = reinterpret_cast<const XShmCompletionEvent&>(ev);
      for (PresentBuffer& b : p.buffers)
        if (b.image && b.shm.shmseg == done.shmseg) b.busy = false;
    }
    if (!wait || !p.buffers[p.next].busy) return;
    double left = deadlineMs - TimeMonotonicMs();
    if (left <= 0) return;
    pollfd pfd{g_xlib.ConnNumber(p.display), POLLIN, 0};
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
  if (!g_xlib.Load() || !g_xext.Load()) return false;
  Display* dpy = g_xlib.OpenDisplay(nullptr);
  if (!dpy) return false;
  XWindowAttributes attributes;
  if (!g_xext.QueryExtension(dpy) ||
      !g_xlib.GetWindowAttributes(dpy, info.info.x11.window, &attributes)) {
    g_xlib.CloseDisplay(dpy);
    return false;
  }
  Presenter& p = g_present;
  p.display = dpy;
  p.window = info.info.x11.window;
  p.visual = attributes.visual;
  p.depth = attributes.depth;
  p.completionEvent = g_xext.GetEventBase(dpy) + ShmCompletion;
  p.gc = g_xlib.CreateGC(dpy, p.window, 0, nullptr);
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
  if (p.gc) g_xlib.FreeGC(p.display, p.gc);
  g_xlib.CloseDisplay(p.display);
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
    SDL_Rect all = PictureArea(w, h);
    if (VideoIsFullScreen()) FillBars(b.surface, all);
    if (SDL_SoftStretchLinear(picture, nullptr, b.surface, &all) != 0 &&
        SDL_BlitScaled(picture, nullptr, b.surface, &all) != 0)
      return -1;
  }
  g_xext.PutImage(p.display, p.window, p.gc, b.image, 0, 0, 0, 0, unsigned(w), unsigned(h), True);
  g_xlib.Flush(p.display);
  b.busy = true;
  p.next = (p.next + 1) % kPresentBuffers;
  return 0;
}

}  // namespace platform
