// One busy play-screen frame: 400 sprite draws of mixed kinds (normal, additive, scaled,
// rotated, lane-clipped) and 20 draws of unchanged text into the 640 x 480 target.
//
// BM_FrameSoftware draws with SDL's software renderer into a surface. BM_FrameGameRenderer
// draws with the window and renderer the game itself sets up (it needs a display; see
// bench/graphics_frame.sh, which starts Xvfb) into the 640 x 480 target, then stretches it
// to the window and presents, as the main loop does. BM_FrameOpenGL forces SDL's OpenGL
// renderer for comparison.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "graphics/graphics.h"
#include "platform/video.h"

namespace {

using namespace graphics;

struct FrameAssets {
  TextureHandle background = -1, don = -1, kat = -1, glow = -1, arrow = -1;
  FontHandle font = -1, small = -1;
};

std::string AssetDir() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/kodoban-bench-graphics-XXXXXX";
    return std::string(mkdtemp(tmpl) ? tmpl : "/tmp");
  }();
  return dir;
}

std::string Save(const char* name, int w, int h, const std::function<uint32_t(int, int)>& px) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x] = px(x, y);
  std::string path = AssetDir() + "/" + name;
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
  return path;
}

uint32_t Disc(int x, int y, int size, uint32_t inner) {
  double c = (size - 1) / 2.0, d = std::hypot(x - c, y - c);
  return d > c ? 0u : d > c - 4 ? 0xFFFFFFFFu : inner;
}

FrameAssets LoadAssets() {
  FrameAssets a;
  a.background = LoadTexture(Save("bg.png", 640, 480, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 255 / 640) << 16 | uint32_t(y * 255 / 480) << 8 | 0x40;
  }).c_str());
  a.don = LoadTexture(Save("don.png", 48, 48, [](int x, int y) { return Disc(x, y, 48, 0xFFE8402C); }).c_str());
  a.kat = LoadTexture(Save("kat.png", 48, 48, [](int x, int y) { return Disc(x, y, 48, 0xFF3CA8C8); }).c_str());
  a.glow = LoadTexture(Save("glow.png", 64, 64, [](int x, int y) {
    double d = std::hypot(x - 31.5, y - 31.5) / 32.0;
    return uint32_t(d >= 1 ? 0 : int(255 * (1 - d))) << 24 | 0xFFD080u;
  }).c_str());
  a.arrow = LoadTexture(Save("arrow.png", 60, 24, [](int x, int y) {
    return (x < 40 && y >= 8 && y < 16) || (x >= 40 && std::abs(y - 12) <= (59 - x) * 12 / 20)
               ? 0xFFF0F0F0u
               : 0u;
  }).c_str());
  a.font = CreateGameFont("ＭＳ ゴシック", 24);
  a.small = CreateGameFont("ＭＳ ゴシック", 14);
  UploadPendingTextures();
  return a;
}

enum Kind { kBackground = 1, kNormal = 2, kAdditive = 4, kScaled = 8, kRotated = 16, kLane = 32,
            kText = 64, kAll = 127 };

void DrawFrame(const FrameAssets& a, int frame, int kinds = kAll) {
  double t = frame * 8.333;
  if (kinds & kBackground) DrawSprite(a.background, 0, 0);          // 1
  if (kinds & kNormal)
  for (int i = 0; i < 159; ++i)                                      // 159 normal
    DrawSprite(i % 2 ? a.don : a.kat, (i * 37 + frame) % 600, (i * 53) % 440);
  if (kinds & kAdditive)
  for (int i = 0; i < 80; ++i)                                       // 80 additive
    DrawSpriteAdd(a.glow, 0xC0FFFFFF, (i * 71) % 580, (i * 29) % 420);
  if (kinds & kScaled)
  for (int i = 0; i < 60; ++i) {                                     // 60 scaled
    double s = 0.5 + (i % 10) * 0.1;
    DrawSpriteScaledColor(a.don, 0xFFFFFFFF, (i * 97) % 600, (i * 41) % 440, s, s);
  }
  if (kinds & kRotated)
  for (int i = 0; i < 60; ++i)                                       // 60 rotated
    DrawSpriteRotScaled(a.arrow, 0xFFFFFFFF, (i * 61) % 640, (i * 43) % 480, 1.0, 1.0,
                        std::fmod(t * 0.1 + i * 17, 360.0));
  if (kinds & kLane)
  for (int i = 0; i < 40; ++i)                                       // 40 along the lane
    DrawSpriteLaneClipped(i % 2 ? a.don : a.kat, 90 + std::fmod(i * 15 + t * 0.3, 560.0), 190);
  if (kinds & kText)
  for (int i = 0; i < 5; ++i) {                                      // 20 texts, unchanged
    DrawTextLeft(10, 20 + i * 20, 0xFFFFFFFF, a.small, "%s", "ジャンル: ナムコオリジナル");
    DrawTextRight(630, 20 + i * 20, 0xFFFFFF00, a.small, "Score %d", 1234560);
    DrawTextCentered(320, 300 + i * 24, 0xFFFFFFFF, a.font, "%s", "太鼓の曲 Song Title");
    DrawTextVertical(a.font, 600 - i * 30, 120, 0xFFFFFFFF, "%s", "おに");
  }
}

void BM_FrameSoftware(benchmark::State& state) {
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(screen);
  ResetTextureTable();
  ResetFontTable();
  GraphicsInit(renderer);
  // As the game does on its software path: draws may write the surface directly.
  GraphicsSetCanvas(screen);
  FrameAssets a = LoadAssets();
  int frame = 0;
  for (auto _ : state) {
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderClear(renderer);
    DrawFrame(a, frame++, int(state.range(0)));
    SDL_RenderFlush(renderer);
  }
  state.counters["rasterised_texts"] = TextCacheRasterCount();
  GraphicsShutdown();
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(screen);
}
// The whole frame, then each kind of draw alone (and the clear alone, kinds 0).
BENCHMARK(BM_FrameSoftware)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Arg(kAll)
    ->Arg(0)->Arg(kBackground)->Arg(kNormal)->Arg(kAdditive)->Arg(kScaled)->Arg(kRotated)
    ->Arg(kLane)->Arg(kText);

// A frame as the game draws it: the game's own window and renderer choice (an accelerated
// renderer unless that is a CPU rasteriser in disguise, else SDL's software renderer), the
// 640 x 480 target, the stretch to the window and the present.
void BM_FrameGameRenderer(benchmark::State& state) {
  if (platform::VideoCreateWindow("bench", 640, 480) != 0 || platform::VideoCreateRenderer() != 0) {
    state.SkipWithError("no display (run bench/graphics_frame.sh, which starts Xvfb)");
    platform::VideoShutdown();
    return;
  }
  SDL_RendererInfo info;
  SDL_GetRendererInfo(platform::VideoRenderer(), &info);
  state.SetLabel(info.name);
  ResetTextureTable();
  ResetFontTable();
  GraphicsInit(platform::VideoRenderer());
  FrameAssets a = LoadAssets();
  int frame = 0;
  for (auto _ : state) {
    platform::VideoBeginFrame();
    DrawFrame(a, frame++);
    platform::VideoPresent();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
  }
  state.counters["rasterised_texts"] = TextCacheRasterCount();
  GraphicsShutdown();
  platform::VideoShutdown();
}
BENCHMARK(BM_FrameGameRenderer)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frame on SDL's OpenGL renderer whatever it runs on (under Xvfb: Mesa's llvmpipe,
// which the game itself declines), for comparison.
void BM_FrameOpenGL(benchmark::State& state) {
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    state.SkipWithError("no display");
    return;
  }
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
  int driver = -1;
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, "opengl") == 0) driver = i;
  }
  SDL_Renderer* renderer =
      window && driver >= 0 ? SDL_CreateRenderer(window, driver, SDL_RENDERER_TARGETTEXTURE) : nullptr;
  if (!renderer) {
    state.SkipWithError("no OpenGL renderer");
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return;
  }
  SDL_Texture* target =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 640, 480);
  ResetTextureTable();
  ResetFontTable();
  GraphicsInit(renderer);
  FrameAssets a = LoadAssets();
  int frame = 0;
  for (auto _ : state) {
    SDL_SetRenderTarget(renderer, target);
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderClear(renderer);
    DrawFrame(a, frame++);
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_RenderCopy(renderer, target, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
  }
  GraphicsShutdown();
  SDL_DestroyTexture(target);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(BM_FrameOpenGL)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string cleanup = "rm -rf '" + AssetDir() + "'";
  return std::system(cleanup.c_str()) == 0 ? 0 : 0;
}
