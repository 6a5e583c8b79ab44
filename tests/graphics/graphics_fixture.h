// Shared set-up for the drawing tests: a 640 x 480 software renderer drawing into a surface
// whose pixels the tests read back, and PNG files written on the fly.
#pragma once
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "graphics/graphics.h"
#include "support/temp_folder.h"

namespace gfxtest {

// This process's folder for the files the tests write, removed at exit.
inline const std::string& TestDir() {
  static testsupport::TempFolder dir("graphics");
  return dir.Path();
}

// Writes a PNG whose pixel (x, y) is pixel(x, y) in ARGB; returns its path. A bare name is
// written into TestDir(), a full path with the folders it needs.
inline std::string WritePng(const std::string& name, int w, int h,
                            const std::function<uint32_t(int, int)>& pixel) {
  std::string path = name[0] == '/' ? name : TestDir() + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x] = pixel(x, y);
  EXPECT_EQ(IMG_SavePNG(s, path.c_str()), 0) << IMG_GetError();
  SDL_FreeSurface(s);
  return path;
}
inline std::string WriteSolidPng(const std::string& name, int w, int h, uint32_t argb) {
  return WritePng(name, w, h, [argb](int, int) { return argb; });
}
inline uint8_t R(uint32_t p) { return uint8_t(p >> 16); }
inline uint8_t G(uint32_t p) { return uint8_t(p >> 8); }
inline uint8_t B(uint32_t p) { return uint8_t(p); }
using Box = std::array<int, 4>;  // x0, y0, x1, y1 inclusive; all -1 for nothing drawn

class GraphicsTest : public testing::Test {
 protected:
  void SetUp() override {
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    screen_ = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    renderer_ = SDL_CreateSoftwareRenderer(screen_);
    ASSERT_NE(renderer_, nullptr) << SDL_GetError();
    graphics::GraphicsInit(renderer_);
    // As in the game: the draws SDL's blitters are slow at write the surface directly.
    graphics::GraphicsSetCanvas(screen_);
    Clear(0xFF000000);
  }
  void TearDown() override {
    graphics::GraphicsShutdown();
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (screen_) SDL_FreeSurface(screen_);
  }
  void Clear(uint32_t argb) {
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer_, R(argb), G(argb), B(argb), uint8_t(argb >> 24));
    SDL_RenderClear(renderer_);
    SDL_RenderFlush(renderer_);
  }
  graphics::TextureHandle Solid(const std::string& name, int w, int h, uint32_t argb) {
    graphics::TextureHandle t = graphics::LoadTexture(WriteSolidPng(name, w, h, argb).c_str());
    EXPECT_NE(t, -1) << name;
    return t;
  }
  uint32_t Pixel(int x, int y) {
    SDL_RenderFlush(renderer_);
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(screen_->pixels) +
                                       y * screen_->pitch)[x] | 0xFF000000u;
  }
  // Counts pixels differing from the background colour inside a rectangle.
  int CountChanged(int x0, int y0, int x1, int y1, uint32_t background = 0xFF000000) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += (Pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF);
    return n;
  }
  // Bounding box of the pixels differing from the background.
  Box Changed(uint32_t background = 0xFF000000) {
    Box b{100000, 100000, -1, -1};
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if ((Pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF))
          b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x), std::max(b[3], y)};
    return b[2] < 0 ? Box{-1, -1, -1, -1} : b;
  }

  SDL_Surface* screen_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
};

// Colour channels compared with a small tolerance for blending arithmetic.
inline bool RgbNear(uint32_t pixel, int r, int g, int b) {
  return std::abs(R(pixel) - r) <= 2 && std::abs(G(pixel) - g) <= 2 && std::abs(B(pixel) - b) <= 2;
}
#define EXPECT_RGB_NEAR(pixel, r, g, b) EXPECT_PRED4(gfxtest::RgbNear, (pixel), (r), (g), (b))

}  // namespace gfxtest
