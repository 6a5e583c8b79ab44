// The game's software drawing path for the frame benchmarks: SDL's software renderer over an
// in-memory 640 x 480 canvas, as the game draws under Xvfb.
#pragma once
#include <SDL.h>

#include "graphics/graphics.h"

namespace bench {

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
