#include "platform/x11_library.h"

#include <cstring>

namespace platform {

XLib g_xlib;
XExt g_xext;

// The window's X11 side, when SDL drives it through its X11 video driver.
bool WindowOnX11(SDL_Window* window, SDL_SysWMinfo* info) {
  if (!window) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return false;
  SDL_VERSION(&info->version);
  return SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

}  // namespace platform
