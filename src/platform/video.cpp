#include "platform/video.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/message_box.h"
#include "platform/x11_input.h"

namespace platform {

namespace {
SDL_Window* g_window = nullptr;
SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_target = nullptr;
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

int CreateTarget() {
  if (g_target) SDL_DestroyTexture(g_target);
  g_target = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               kScreenWidth, kScreenHeight);
  if (!g_target) return -1;
  SDL_SetTextureScaleMode(g_target, SDL_ScaleModeLinear);
  return 0;
}
}  // namespace

int VideoCreateWindow(const char* title, int clientWidth, int clientHeight) {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    return -1;
  g_clientWidth = clientWidth;
  g_clientHeight = clientHeight;
  g_window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              ClampClient(clientWidth), ClampClient(clientHeight),
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
  if (!g_renderer) {
    g_software = true;
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
bool VideoIsSoftware() { return g_software; }

void VideoBeginFrame() {
  if (!g_renderer) return;
  SDL_SetRenderTarget(g_renderer, g_target);
  SDL_SetRenderDrawBlendMode(g_renderer, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(g_renderer, 255, 255, 255, 255);
  SDL_RenderClear(g_renderer);
}

int VideoPresent() {
  if (!g_renderer || !g_target) return -1;
  if (g_resetPending.load(std::memory_order_acquire) != 0) return -1;
  SDL_SetRenderTarget(g_renderer, nullptr);
  SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
  SDL_RenderClear(g_renderer);
  SDL_RenderCopy(g_renderer, g_target, nullptr, nullptr);
  SDL_RenderPresent(g_renderer);
  SDL_SetRenderTarget(g_renderer, g_target);
  return g_resetPending.load(std::memory_order_acquire) != 0 ? -1 : 0;
}

int VideoRecreateTarget() {
  if (!g_renderer) return -1;
  g_resetPending.store(0, std::memory_order_release);
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
  if (g_window) SDL_SetWindowSize(g_window, ClampClient(width), ClampClient(height));
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
