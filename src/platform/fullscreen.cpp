#include "platform/fullscreen.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/video.h"

namespace platform {

namespace {
bool g_fullScreen = false;
int g_windowedLeft = 0, g_windowedTop = 0;  // where the window was before
}  // namespace

bool VideoSetFullScreen(bool on) {
  if (on == g_fullScreen) return true;
  SDL_Window* window = VideoWindow();
  if (window && on) {
    // A borderless window over the whole display the window is on. Done by hand rather than
    // through the window manager's full-screen state, so that it works without one too; window
    // managers take a borderless window of the display's size for a full-screen one.
    const int display = SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds;
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0 || bounds.w < 1 || bounds.h < 1)
      return false;
    SDL_GetWindowPosition(window, &g_windowedLeft, &g_windowedTop);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
    SDL_RaiseWindow(window);
  } else if (window) {
    SDL_SetWindowBordered(window, SDL_TRUE);
    int w = 0, h = 0;
    VideoGetClientSize(&w, &h);
    VideoSetClientSize(w, h);
    SDL_SetWindowPosition(window, g_windowedLeft, g_windowedTop);
  }
  g_fullScreen = on;
  return true;
}

bool VideoIsFullScreen() { return g_fullScreen; }

SDL_Rect LetterboxArea(int width, int height) {
  const int64_t w = std::max(width, 0), h = std::max(height, 0);
  int64_t pw = w, ph = h;
  if (w * 3 > h * 4)
    pw = std::min(w, (h * 4 + 1) / 3);  // wider than 4:3: bars left and right
  else
    ph = std::min(h, (w * 3 + 2) / 4);  // taller: bars above and below
  return SDL_Rect{static_cast<int>((w - pw) / 2), static_cast<int>((h - ph) / 2),
                  static_cast<int>(pw), static_cast<int>(ph)};
}

SDL_Rect PictureArea(int width, int height) {
  if (g_fullScreen) return LetterboxArea(width, height);
  return SDL_Rect{0, 0, width, height};
}

void FillBars(SDL_Surface* surface, const SDL_Rect& area) {
  if (!surface) return;
  const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
  const int w = surface->w, h = surface->h;
  const SDL_Rect bars[4] = {{0, 0, w, area.y},
                            {0, area.y + area.h, w, h - area.y - area.h},
                            {0, area.y, area.x, area.h},
                            {area.x + area.w, area.y, w - area.x - area.w, area.h}};
  for (const SDL_Rect& bar : bars)
    if (bar.w > 0 && bar.h > 0) SDL_FillRect(surface, &bar, black);
}

}  // namespace platform
