#include "platform/video.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/fullscreen.h"
#include "platform/message_box.h"
#include "platform/x11_input.h"
#include "platform/x11_present.h"

namespace platform {

namespace {
SDL_Window* g_window = nullptr;
SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_target = nullptr;
// On the software path the renderer draws straight into this 640 x 480 picture, and presenting
// copies it to the window's own framebuffer (shared memory on X11). Drawing into a target
// texture of a window renderer instead cost a blended copy, a clear and a second copy a frame.
SDL_Surface* g_canvas = nullptr;
// The canvas in the window surface's format, for stretching to a larger client area.
SDL_Surface* g_stretchSource = nullptr;
bool g_software = false;
int g_clientWidth = kScreenWidth;
int g_clientHeight = kScreenHeight;
std::atomic<int> g_resetPending{0};

// An OpenGL driver that rasterises on the CPU (llvmpipe under Xvfb or without a GPU driver)
// presents several times slower than SDL's own software renderer.
bool IsCpuRasteriser(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name) return false;
  if (std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!glGetString) return false;
  const unsigned kGlRenderer = 0x1F01;
  const char* name = reinterpret_cast<const char*>(glGetString(kGlRenderer));
  if (!name) return false;
  return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") ||
         std::strstr(name, "Software Rasterizer") || std::strstr(name, "SWR");
}

int ClampClient(int v) { return std::clamp(v, 1, kMaxClientSize); }

// A client area larger than the largest display shows nothing more and costs every frame its
// stretch: the window is made to fit that display, keeping its shape. The setting itself is
// not changed.
// True when the size was made smaller; *area is then the display's bounds.
bool FitLargestDisplay(int* width, int* height, SDL_Rect* area = nullptr) {
  int bestW = 0, bestH = 0;
  SDL_Rect best{0, 0, 0, 0};
  // The dummy and offscreen drivers' display is a made-up size: there is nothing to fit.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) return false;
  const int displays = SDL_GetNumVideoDisplays();
  for (int i = 0; i < displays; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) == 0 && int64_t{r.w} * r.h > int64_t{bestW} * bestH) {
      bestW = r.w;
      bestH = r.h;
      best = r;
    }
  }
  if (bestW <= 0 || bestH <= 0 || (*width <= bestW && *height <= bestH)) return false;
  const double scale = std::min(static_cast<double>(bestW) / *width, static_cast<double>(bestH) / *height);
  *width = std::max(1, static_cast<int>(*width * scale));
  *height = std::max(1, static_cast<int>(*height * scale));
  if (area) *area = best;
  return true;
}

// 32-bit formats whose colour bytes sit where ARGB8888 has them: rows copy as they are.
bool SameColourLayout(const SDL_PixelFormat* f) {
  return f->BytesPerPixel == 4 && f->Rmask == 0x00FF0000u && f->Gmask == 0x0000FF00u &&
         f->Bmask == 0x000000FFu;
}

void FreeCanvas() {
  if (g_stretchSource) SDL_FreeSurface(g_stretchSource);
  g_stretchSource = nullptr;
  if (g_canvas) SDL_FreeSurface(g_canvas);
  g_canvas = nullptr;
}

// The software renderer over a canvas surface, when the window has a framebuffer to present
// it in. The window is then presented without any renderer of its own.
SDL_Renderer* CreateCanvasRenderer() {
  // SDL would otherwise back the window framebuffer with an OpenGL texture (llvmpipe here).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!X11PresenterStart(g_window) && !SDL_GetWindowSurface(g_window)) return nullptr;
  g_canvas = SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, 32,
                                            SDL_PIXELFORMAT_ARGB8888);
  if (!g_canvas) return nullptr;
  SDL_SetSurfaceBlendMode(g_canvas, SDL_BLENDMODE_NONE);
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(g_canvas);
  if (!renderer) {
    X11PresenterStop();
    FreeCanvas();
  }
  return renderer;
}

void CopyRows(const SDL_Surface* from, SDL_Surface* to) {
  const auto* src = static_cast<const uint8_t*>(from->pixels);
  auto* dst = static_cast<uint8_t*>(to->pixels);
  const size_t bytes = size_t(kScreenWidth) * 4;
  for (int y = 0; y < kScreenHeight; ++y)
    std::memcpy(dst + size_t(y) * to->pitch, src + size_t(y) * from->pitch, bytes);
}

// Copies or stretches the canvas over the whole window framebuffer and shows it. -1 when the
// window has no framebuffer (any more).
int PresentCanvas() {
  SDL_RenderFlush(g_renderer);
  if (X11PresenterActive()) {
    if (X11PresentPicture(g_canvas) == 0) return 0;
    // Shared memory gave out (say, on a resize): SDL's own window framebuffer from now on.
    X11PresenterStop();
  }
  SDL_Surface* window = SDL_GetWindowSurface(g_window);
  if (!window) return -1;
  if (SDL_MUSTLOCK(window) && SDL_LockSurface(window) != 0) return -1;
  int result = 0;
  if (window->w == kScreenWidth && window->h == kScreenHeight &&
      SameColourLayout(window->format)) {
    CopyRows(g_canvas, window);
  } else {
    if (SDL_MUSTLOCK(window)) SDL_UnlockSurface(window);
    SDL_Rect all = PictureArea(window->w, window->h);
    if (VideoIsFullScreen()) FillBars(window, all);
    // Filtered stretching needs both surfaces in one format.
    SDL_Surface* source = g_canvas;
    if (window->format->format != g_canvas->format->format && SameColourLayout(window->format)) {
      if (g_stretchSource && g_stretchSource->format->format != window->format->format) {
        SDL_FreeSurface(g_stretchSource);
        g_stretchSource = nullptr;
      }
      if (!g_stretchSource)
        g_stretchSource = SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, 32,
                                                         window->format->format);
      if (g_stretchSource) {
        CopyRows(g_canvas, g_stretchSource);
        source = g_stretchSource;
      }
    }
    if (source->format->format != window->format->format ||
        SDL_SoftStretchLinear(source, nullptr, window, &all) != 0)
      result = SDL_BlitScaled(g_canvas, nullptr, window, &all);
    if (result != 0) return -1;
    return SDL_UpdateWindowSurface(g_window) == 0 ? 0 : -1;
  }
  if (SDL_MUSTLOCK(window)) SDL_UnlockSurface(window);
  return SDL_UpdateWindowSurface(g_window) == 0 ? 0 : -1;
}

int CreateTarget() {
  if (g_target) SDL_DestroyTexture(g_target);
  g_target = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               kScreenWidth, kScreenHeight);
  if (!g_target) return -1;
  SDL_SetTextureScaleMode(g_target, SDL_ScaleModeLinear);
  // Every frame starts opaque and no draw makes it less so: presenting is a plain copy.
  SDL_SetTextureBlendMode(g_target, SDL_BLENDMODE_NONE);
  return 0;
}
}  // namespace

int VideoCreateWindow(const char* title, int clientWidth, int clientHeight) {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    return -1;
  g_clientWidth = clientWidth;
  g_clientHeight = clientHeight;
  int w = ClampClient(clientWidth), h = ClampClient(clientHeight);
  FitLargestDisplay(&w, &h);
  g_window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h,
                              SDL_WINDOW_SHOWN);
  if (!g_window) return -1;
  MessageBoxSetParent(g_window);
  // The begin and end of a drop tell which dropped file is the first one.
  SDL_EventState(SDL_DROPBEGIN, SDL_ENABLE);
  SDL_EventState(SDL_DROPCOMPLETE, SDL_ENABLE);
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  return 0;
}

int VideoCreateRenderer() {
  if (!g_window) return -1;
  // The loop paces itself by sleeping, not by the presentation interval.
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  g_software = false;
  g_renderer = SDL_CreateRenderer(g_window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
  const char* forced = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (g_renderer && !(forced && *forced) && IsCpuRasteriser(g_renderer)) {
    SDL_DestroyRenderer(g_renderer);
    g_renderer = nullptr;
  }
  // SDL's software renderer (asked for by name, or all there is) draws into the canvas.
  SDL_RendererInfo info;
  if (g_renderer && SDL_GetRendererInfo(g_renderer, &info) == 0 &&
      (info.flags & SDL_RENDERER_SOFTWARE) != 0) {
    SDL_DestroyRenderer(g_renderer);
    g_renderer = nullptr;
  }
  if (!g_renderer) {
    g_software = true;
    g_renderer = CreateCanvasRenderer();
    if (g_renderer) {
      g_resetPending.store(0);
      X11InputStop();
      X11InputStart(g_window);
      return 0;
    }
    g_renderer = SDL_CreateRenderer(g_window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
  }
  if (!g_renderer) return -1;
  if (CreateTarget() != 0 && !g_software) {
    // An accelerated renderer without render targets: take the software one.
    SDL_DestroyRenderer(g_renderer);
    g_software = true;
    g_renderer = SDL_CreateRenderer(g_window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    if (!g_renderer || CreateTarget() != 0) return -1;
  }
  if (!g_target) return -1;
  SDL_SetRenderTarget(g_renderer, g_target);
  g_resetPending.store(0);
  // Only now: an OpenGL renderer may have replaced the window's X window.
  X11InputStop();
  X11InputStart(g_window);
  return 0;
}

void VideoDestroyRenderer() {
  if (g_target) SDL_DestroyTexture(g_target);
  g_target = nullptr;
  if (g_renderer) SDL_DestroyRenderer(g_renderer);
  g_renderer = nullptr;
  X11PresenterStop();
  FreeCanvas();
}

void VideoDestroyWindow() {
  MessageBoxSetParent(nullptr);
  X11InputStop();
  if (g_window) SDL_DestroyWindow(g_window);
  g_window = nullptr;
}

void VideoShutdown() {
  VideoDestroyRenderer();
  VideoDestroyWindow();
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

SDL_Window* VideoWindow() { return g_window; }
SDL_Renderer* VideoRenderer() { return g_renderer; }
SDL_Texture* VideoTarget() { return g_target; }
SDL_Surface* VideoCanvas() { return g_canvas; }
bool VideoIsSoftware() { return g_software; }

void VideoBeginFrame() {
  if (!g_renderer) return;
  SDL_SetRenderTarget(g_renderer, g_target);
  SDL_SetRenderDrawBlendMode(g_renderer, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(g_renderer, 255, 255, 255, 255);
  SDL_RenderClear(g_renderer);
}

int VideoPresent() {
  if (!g_renderer) return -1;
  if (g_resetPending.load(std::memory_order_acquire) != 0) return -1;
  if (g_canvas) {
    if (PresentCanvas() != 0) return -1;
    return g_resetPending.load(std::memory_order_acquire) != 0 ? -1 : 0;
  }
  if (!g_target) return -1;
  SDL_SetRenderTarget(g_renderer, nullptr);
  SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
  SDL_RenderClear(g_renderer);
  // Full screen keeps the picture's shape: black bars around it (the clear above).
  int outW = 0, outH = 0;
  SDL_Rect area{0, 0, 0, 0};
  const bool boxed = VideoIsFullScreen() && SDL_GetRendererOutputSize(g_renderer, &outW, &outH) == 0;
  if (boxed) area = PictureArea(outW, outH);
  SDL_RenderCopy(g_renderer, g_target, nullptr, boxed ? &area : nullptr);
  SDL_RenderPresent(g_renderer);
  SDL_SetRenderTarget(g_renderer, g_target);
  return g_resetPending.load(std::memory_order_acquire) != 0 ? -1 : 0;
}

int VideoRecreateTarget() {
  if (!g_renderer) return -1;
  g_resetPending.store(0, std::memory_order_release);
  // The canvas is plain memory: a reset loses nothing of it.
  if (g_canvas) {
    SDL_SetRenderTarget(g_renderer, nullptr);
    return 0;
  }
  if (CreateTarget() != 0) return -1;
  SDL_SetRenderTarget(g_renderer, g_target);
  return 0;
}

void VideoNoteDeviceReset(bool wholeDevice) {
  g_resetPending.store(wholeDevice ? 2 : 1, std::memory_order_release);
}

bool VideoDeviceResetPending() { return g_resetPending.load(std::memory_order_acquire) != 0; }

void VideoSetClientSize(int width, int height) {
  g_clientWidth = width;
  g_clientHeight = height;
  if (!g_window) return;
  int w = ClampClient(width), h = ClampClient(height);
  SDL_Rect area;
  const bool fitted = FitLargestDisplay(&w, &h, &area);
  SDL_SetWindowSize(g_window, w, h);
  if (fitted) {
    // A window as large as the display stays on it: its position moves only as far as needed.
    int x = 0, y = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    int nx = std::max(area.x, std::min(x, area.x + area.w - w));
    int ny = std::max(area.y, std::min(y, area.y + area.h - h));
    if (nx != x || ny != y) SDL_SetWindowPosition(g_window, nx, ny);
  }
}

int VideoClampClientSize(int size) { return ClampClient(size); }

void VideoGetClientSize(int* width, int* height) {
  if (width) *width = g_clientWidth;
  if (height) *height = g_clientHeight;
}

void VideoGetWindowPosition(int* left, int* top) {
  int x = 0, y = 0;
  if (g_window) SDL_GetWindowPosition(g_window, &x, &y);
  if (left) *left = x;
  if (top) *top = y;
}

void VideoSetWindowPosition(int left, int top) {
  if (g_window) SDL_SetWindowPosition(g_window, left, top);
}

void VideoRaiseWindow() {
  if (g_window) SDL_RaiseWindow(g_window);
}

bool VideoHasKeyboardFocus() {
  return g_window && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void VideoAcceptDroppedFiles(bool accept) {
  if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_EventState(SDL_DROPFILE, accept ? SDL_ENABLE : SDL_DISABLE);
}

bool VideoGlobalMouse(int* x, int* y) {
  int mx = 0, my = 0;
  Uint32 buttons = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetGlobalMouseState(&mx, &my) : 0;
  if (x) *x = mx;
  if (y) *y = my;
  return (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
}

void VideoShowCursor(bool shown) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace platform
