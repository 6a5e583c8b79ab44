// kodoban-graphics-demo: draws one 640 x 480 picture with every operation of the graphics
// layer and writes it to a PNG, to look at the whole layer at a glance.
//
//   kodoban-graphics-demo [--accelerated] OUT.png
//
// By default it draws with SDL's software renderer into a surface. With --accelerated it
// opens a (hidden) window and draws with the game's renderer into a 640 x 480 target
// texture, as the game does; that needs a display (Xvfb will do).
#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "graphics/graphics.h"

namespace {

using namespace graphics;

std::string g_dir;

std::string SaveImage(const char* name, int w, int h, const std::function<uint32_t(int, int)>& px) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x] = px(x, y);
  std::string path = g_dir + "/" + name;
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
  return path;
}

uint32_t Disc(int x, int y, int size, uint32_t inner) {
  double c = (size - 1) / 2.0;
  double d = std::hypot(x - c, y - c);
  if (d > c) return 0;
  if (d > c - 4) return 0xFFFFFFFF;
  if (d > c - 6) return 0xFF202020;
  return inner;
}

// A seven-segment digit, 16 x 24, white on transparent.
uint32_t SegmentDigit(int digit, int x, int y) {
  static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  int m = kSegments[digit];
  bool on = false;
  if ((m & 0x01) && y < 3 && x >= 2 && x < 14) on = true;                  // a
  if ((m & 0x02) && x >= 13 && y >= 2 && y < 12) on = true;               // b
  if ((m & 0x04) && x >= 13 && y >= 12 && y < 22) on = true;              // c
  if ((m & 0x08) && y >= 21 && x >= 2 && x < 14) on = true;               // d
  if ((m & 0x10) && x < 3 && y >= 12 && y < 22) on = true;                // e
  if ((m & 0x20) && x < 3 && y >= 2 && y < 12) on = true;                 // f
  if ((m & 0x40) && y >= 11 && y < 14 && x >= 2 && x < 14) on = true;     // g
  return on ? 0xFFFFFFFF : 0;
}

void DrawPicture(FontHandle label, FontHandle title) {
  TextureHandle don = LoadTexture(SaveImage("don.png", 48, 48, [](int x, int y) {
    return Disc(x, y, 48, 0xFFE8402C);
  }).c_str());
  TextureHandle kat = LoadTexture(SaveImage("kat.png", 48, 48, [](int x, int y) {
    return Disc(x, y, 48, 0xFF3CA8C8);
  }).c_str());
  TextureHandle glow = LoadTexture(SaveImage("glow.png", 64, 64, [](int x, int y) {
    double d = std::hypot(x - 31.5, y - 31.5) / 32.0;
    int a = d >= 1 ? 0 : int(255 * (1 - d) * (1 - d));
    return uint32_t(a) << 24 | 0xFFD080;
  }).c_str());
  TextureHandle arrow = LoadTexture(SaveImage("arrow.png", 60, 24, [](int x, int y) {
    bool shaft = x < 40 && y >= 8 && y < 16;
    bool head = x >= 40 && std::abs(y - 12) <= (59 - x) * 12 / 20;
    return shaft || head ? (x < 20 ? 0xFF30C030u : 0xFFF0F0F0u) : 0u;
  }).c_str());
  TextureHandle roll = LoadTexture(SaveImage("roll.png", 6, 40, [](int x, int y) {
    if (x > 0) return 0xFFFF00FFu;  // never shown by the strip
    return (y < 4 || y >= 36) ? 0xFF202020u : 0xFFF8D020u;
  }).c_str());
  TextureHandle shade = LoadTexture(SaveImage("shade.png", 64, 64, [](int x, int y) {
    double d = std::hypot(x - 31.5, y - 31.5);
    return d < 20 ? 0xFF000000u : 0xFF909090u;  // darken: black leaves, grey dims
  }).c_str());
  TextureHandle ruler = LoadTexture(SaveImage("ruler.png", 100, 20, [](int x, int) {
    uint32_t g = uint32_t(40 + 2 * x);
    return 0xFF000000u | g << 16 | uint32_t(255 - 2 * x) << 8 | 0x40;
  }).c_str());
  TextureHandle digits[10];
  for (int d = 0; d < 10; ++d)
    digits[d] = LoadTexture(SaveImage(("digit_" + std::to_string(d) + ".png").c_str(), 16, 24,
                                      [d](int x, int y) { return SegmentDigit(d, x, y); })
                                .c_str());
  UploadPendingTextures();

  // Background: two triangles of different colours and a banded floor.
  FillTriangle(0, 0, 640, 0, 0, 480, 0xFF283848);
  FillTriangle(640, 0, 640, 480, 0, 480, 0xFF382838);
  for (int i = 0; i < 8; ++i) FillRect(0, 440 + i * 5, 640, 445 + i * 5, 0xFF000000u | uint32_t(i * 24) << 8);
  DrawTextCentered(320, 16, 0xFFFFFFFF, title, "%s", "Kodoban graphics 描画テスト");

  // Row 1: blends and colour.
  DrawSprite(don, 10, 40);
  DrawTextCentered(34, 96, 0xFFFFFFFF, label, "DrawSprite");
  DrawSpriteColor(don, 0xFF60FF60, 80, 40);
  DrawTextCentered(104, 96, 0xFFFFFFFF, label, "Color");
  DrawSpriteColor(kat, 0x80FFFFFF, 150, 40);
  DrawTextCentered(174, 96, 0xFFFFFFFF, label, "Color a=128");
  DrawSpriteAdd(glow, 0xFFFFFFFF, 210, 32);
  DrawSpriteAdd(glow, 0xFFFFFFFF, 230, 32);
  DrawTextCentered(252, 96, 0xFFFFFFFF, label, "Add x2");
  FillRect(300, 36, 364, 100, 0xFFE0C060);
  DrawSpriteDarken(shade, 300, 36);
  DrawTextCentered(332, 108, 0xFFFFFFFF, label, "Darken");
  DrawSpriteScaled(don, 380, 40, 1.5, 0.75);
  DrawTextCentered(416, 96, 0xFFFFFFFF, label, "Scaled 1.5x0.75");
  DrawSpriteScaledColor(kat, 0xFFFFFF00, 460, 40, 0.5, 1.0);
  DrawSpriteScaledAdd(glow, 0x80FFFFFF, 490, 36, 0.75, 0.75);
  DrawTextCentered(500, 96, 0xFFFFFFFF, label, "ScaledColor/Add");
  DrawSpriteColorBlend(glow, 0xFFFF8080, 560, 30, 1);
  DrawSpriteColorBlend(don, 0xFFFFFFFF, 580, 44, 0);
  DrawTextCentered(600, 96, 0xFFFFFFFF, label, "ColorBlend");

  // Row 2: rotations (positive = clockwise), centred draws.
  const double angles[4] = {0, 30, 90, 180};
  for (int i = 0; i < 4; ++i) {
    double cx = 50 + i * 80;
    FillRect(cx - 1, 130, cx + 1, 190, 0x60FFFFFF);
    FillRect(cx - 35, 159, cx + 35, 161, 0x60FFFFFF);
    DrawSpriteRotated(arrow, cx, 160, angles[i]);
    DrawTextCentered(cx, 200, 0xFFFFFFFF, label, "Rotated %g", angles[i]);
  }
  DrawSpriteRotScaled(arrow, 0xFFFFFFFF, 370, 160, 1.0, 2.0, 45);
  DrawTextCentered(370, 200, 0xFFFFFFFF, label, "RotScaled 1x2 45");
  DrawSpriteRotScaledAdd(glow, 0xFFFFFFFF, 450, 160, 1.2, 0.6, 20);
  DrawSpriteRotScaledBlend(arrow, 0xFFFF8080, 450, 160, 0.8, 0.8, -45, 0);
  DrawTextCentered(450, 200, 0xFFFFFFFF, label, "RotScaledAdd/Blend");
  DrawSpriteCentered(don, 530, 160);
  DrawSpriteCenteredColor(kat, 0xC0FFFFFF, 545, 160);
  DrawSpriteAddCentered(glow, 0xFFFFFFFF, 560, 160);
  DrawSpriteScaledCentered(don, 600, 145, 0.5, 0.5);
  DrawSpriteScaledColorCentered(kat, 0xFFFF80FF, 600, 175, 0.5, 0.5);
  DrawSpriteScaledAddCentered(glow, 0xFF80FF80, 620, 160, 0.5, 0.5);
  DrawTextCentered(570, 200, 0xFFFFFFFF, label, "Centered family");

  // Row 3: the lane with its cut at x = 110.
  FillRect(0, 220, 640, 290, 0xFF181818);
  FillRect(110, 222, 640, 288, 0xFF404040);
  FillRect(109, 218, 111, 292, 0xFFFFFF00);
  DrawSpriteCentered(kat, 80, 255);
  DrawSpriteStrip(roll, 300, 180, 235);
  DrawSpriteLaneClipped(don, 300, 255);
  const double laneX[5] = {100, 120, 134, 200, 660};
  for (int i = 0; i < 5; ++i) DrawSpriteLaneClipped(i % 2 ? kat : don, laneX[i], 255);
  DrawSpriteLaneClipped(don, 480, 255);
  DrawSpriteLaneClipped(kat, 560, 255);
  DrawTextLeft(120, 300, 0xFFFFFFFF, label, "LaneClipped at 100, 120, 134, 200 (cut at 110); Strip 180 px");

  // Row 4: partial source rectangles.
  DrawSprite(ruler, 10, 330);
  DrawTextLeft(120, 340, 0xFFFFFFFF, label, "whole");
  DrawSpritePart(ruler, 10, 355, 50, -1);
  DrawTextLeft(120, 365, 0xFFFFFFFF, label, "Part 50");
  DrawSpritePartColor(ruler, 0xFF8080FF, 10, 380, -1, 10);
  DrawTextLeft(120, 385, 0xFFFFFFFF, label, "PartColor h 10");
  DrawSpriteCropLeft(ruler, 10, 60, 400);
  DrawTextLeft(120, 410, 0xFFFFFFFF, label, "CropLeft 60");
  DrawSpritePartColorCentered(don, 0xFFFFFFFF, 230, 380, 24, 48);
  DrawTextCentered(230, 420, 0xFFFFFFFF, label, "PartColorCentered");

  // Text.
  DrawTextLeft(300, 330, 0xFFFFFF80, label, "%s", "Left: 左寄せ");
  DrawTextRight(540, 355, 0xFF80FFFF, label, "%s", "右寄せ :Right");
  DrawTextCentered(420, 380, 0xFFFF80FF, label, "%s", "中央 Centered");
  // Shift-JIS bytes ("太鼓" and "Ab") drawn vertically: one character per line.
  DrawTextVertical(label, 580, 320, 0xFFFFFFFF, "%s", "\x91\xbe\x8c\xdb" "Ab");
  DrawTextRight(630, 470, 0xFFFFFFFF, label, "%s", "UTF-8 and Shift-JIS");

  // Combo numbers: 47 (stretched), 123, 1234, 12345.
  ComboNumberLayout layout;
  layout.y = 470;
  layout.x = 60;
  DrawComboNumber(digits, layout, 47, 75);
  layout.x = 150;
  DrawComboNumber(digits, layout, 123, 1000);
  layout.x = 260;
  DrawComboNumber(digits, layout, 1234, 1000);
  layout.x = 390;
  DrawComboNumber(digits, layout, 12345, 1000);
  DrawDigitNumber(digits, 987654, 6, 540, 430, 18, 0xFFFFC040);
}

int WriteTargetPng(SDL_Renderer* renderer, const char* out) {
  SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
  if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot->pixels, shot->pitch) != 0) {
    std::fprintf(stderr, "reading pixels failed: %s\n", SDL_GetError());
    SDL_FreeSurface(shot);
    return 1;
  }
  int r = IMG_SavePNG(shot, out);
  SDL_FreeSurface(shot);
  return r == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool accelerated = false;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--accelerated") == 0)
      accelerated = true;
    else
      out = argv[i];
  }
  if (!out) {
    std::fprintf(stderr, "usage: kodoban-graphics-demo [--accelerated] OUT.png\n");
    return 2;
  }
  char dirTemplate[] = "/tmp/kodoban-graphics-demo-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  g_dir = dirTemplate;

  int status = 0;
  if (!accelerated) {
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(screen);
    GraphicsInit(renderer);
    FontHandle label = CreateGameFont("ＭＳ ゴシック", 12);
    FontHandle title = CreateGameFont("メイリオ", 22);
    DrawPicture(label, title);
    SDL_RenderFlush(renderer);
    status = IMG_SavePNG(screen, out) == 0 ? 0 : 1;
    GraphicsShutdown();
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(screen);
  } else {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "no display: %s\n", SDL_GetError());
      return 1;
    }
    SDL_Window* window = SDL_CreateWindow("kodoban-graphics-demo", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE)
               : nullptr;
    if (!renderer) {
      std::fprintf(stderr, "no accelerated renderer: %s\n", SDL_GetError());
      return 1;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    std::fprintf(stderr, "renderer: %s\n", info.name);
    SDL_Texture* target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_TARGET, 640, 480);
    SDL_SetRenderTarget(renderer, target);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    GraphicsInit(renderer);
    FontHandle label = CreateGameFont("ＭＳ ゴシック", 12);
    FontHandle title = CreateGameFont("メイリオ", 22);
    DrawPicture(label, title);
    status = WriteTargetPng(renderer, out);
    GraphicsShutdown();
    SDL_DestroyTexture(target);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
  }
  std::string cleanup = "rm -rf '" + g_dir + "'";
  if (std::system(cleanup.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", g_dir.c_str());
  return status;
}
