// What the frame and loader benchmarks share: the default theme the build generated, and the
// game's software drawing path (SDL's software renderer over an
// in-memory 640 x 480 canvas, as the game draws under Xvfb).
#pragma once
#include <SDL.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/graphics.h"

namespace bench {

// The default theme the build generated: KODOBAN_BUILD_DIR's, else the one of the build folder
// the benchmark program lies in.
inline std::filesystem::path DefaultThemeFolder() {
  const char* build = std::getenv("KODOBAN_BUILD_DIR");
  if (build) return std::filesystem::path(build) / "Files/Theme/Default";
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
         "Files/Theme/Default";
}

// A private copy of the default theme as WORK/Theme in a new temporary folder WORK, so that a
// benchmark may change it; empty when the theme has no folder `part` or the copy fails.
inline std::string CopyDefaultTheme(const char* part, const char* tag) {
  const std::filesystem::path theme = DefaultThemeFolder();
  std::error_code ec;
  if (!std::filesystem::is_directory(theme / part, ec)) return "";
  std::string tmpl = std::string("/tmp/kodoban-bench-") + tag + "-XXXXXX";
  if (!mkdtemp(tmpl.data())) return "";
  std::filesystem::copy(theme, tmpl + "/Theme", std::filesystem::copy_options::recursive, ec);
  return ec ? "" : tmpl;
}

struct SoftwareCanvas {
  SDL_Surface* screen = nullptr;
  SDL_Renderer* renderer = nullptr;
  // Empty texture and font tables and the graphics layer drawing into the canvas; false when
  // SDL can't make it.
  bool Open() {
    screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    renderer = screen ? SDL_CreateSoftwareRenderer(screen) : nullptr;
    if (!renderer) return false;
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    graphics::GraphicsInit(renderer);
    graphics::GraphicsSetCanvas(screen);
    return true;
  }
  ~SoftwareCanvas() {
    graphics::GraphicsShutdown();
    if (renderer) SDL_DestroyRenderer(renderer);
    if (screen) SDL_FreeSurface(screen);
  }
};

}  // namespace bench
