// The window and renderer with SDL's dummy video driver and the software renderer.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/video.h"

namespace {

using Pixels = std::vector<uint32_t>;

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (platform::VideoCreateWindow("Kodoban", 640, 480) != 0 || platform::VideoCreateRenderer() != 0)
      GTEST_SKIP() << "no SDL video: " << SDL_GetError();
  }
  void TearDown() override { platform::VideoShutdown(); }

  // The size of the picture every frame is drawn into: the target texture, or the canvas.
  static std::pair<int, int> Drawing() {
    if (SDL_Surface* canvas = platform::VideoCanvas()) return {canvas->w, canvas->h};
    int w = 0, h = 0;
    SDL_QueryTexture(platform::VideoTarget(), nullptr, nullptr, &w, &h);
    return {w, h};
  }

  static uint32_t WindowPixel(int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(platform::VideoWindow());
    if (!s) return 0;
    uint32_t p = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
    uint8_t r = 0, g = 0, b = 0;
    SDL_GetRGB(p, s->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  }

  // The window's pixels at the points; none when the window is presented by its renderer.
  static Pixels Shown(std::initializer_list<std::pair<int, int>> points) {
    Pixels out;
    for (auto [x, y] : points) {
      if (platform::VideoCanvas()) out.push_back(WindowPixel(x, y));
    }
    return out;
  }

  static void FillTarget(uint8_t r, uint8_t g, uint8_t b) {
    SDL_Renderer* renderer = platform::VideoRenderer();
    SDL_SetRenderTarget(renderer, platform::VideoTarget());
    SDL_SetRenderDrawColor(renderer, r, g, b, 255);
    SDL_RenderClear(renderer);
  }

  static void FillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    SDL_SetRenderDrawColor(platform::VideoRenderer(), r, g, b, 255);
    SDL_Rect rect{x, y, w, h};
    SDL_RenderFillRect(platform::VideoRenderer(), &rect);
  }

  static uint32_t TargetPixel(int x, int y) {
    uint32_t pixel = 0;
    SDL_Rect r{x, y, 1, 1};
    SDL_SetRenderTarget(platform::VideoRenderer(), platform::VideoTarget());
    SDL_RenderReadPixels(platform::VideoRenderer(), &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel;
  }
};

// The client size follows the window while the drawing stays 640x480. Each frame starts opaque
// white on the target; the present copies it into the window and stretches it over a larger one.
TEST_F(VideoTest, PresentShowsThePictureInTheWindowAtAnyClientSize) {
  EXPECT_EQ(Drawing(), std::pair(640, 480));
  platform::VideoBeginFrame();
  EXPECT_EQ(TargetPixel(0, 0) & TargetPixel(639, 479), 0xFFFFFFFFu);
  FillTarget(0x12, 0x34, 0x56);
  FillRect(600, 440, 40, 40, 0xC0, 0x80, 0x40);
  ASSERT_EQ(platform::VideoPresent(), 0);
  const bool canvas = platform::VideoCanvas() != nullptr;  // else presented by its renderer
  EXPECT_EQ((Shown({{0, 0}, {639, 479}, {599, 439}})), (canvas ? Pixels{0x123456, 0xC08040, 0x123456} : Pixels{}));
  platform::VideoSetClientSize(1280, 960);
  platform::PumpEvents();
  int w = 0, h = 0;
  platform::VideoGetClientSize(&w, &h);
  EXPECT_EQ(w * 10000 + h, 1280 * 10000 + 960);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(Drawing(), std::pair(640, 480));
  platform::VideoBeginFrame();
  FillTarget(0x20, 0x40, 0x60);
  FillRect(320, 0, 320, 480, 0xFF, 0xFF, 0xFF);
  ASSERT_EQ(platform::VideoPresent(), 0);
  EXPECT_EQ((Shown({{10, 10}, {600, 950}, {700, 10}, {1279, 959}})),
            (canvas ? Pixels{0x204060, 0x204060, 0xFFFFFF, 0xFFFFFF} : Pixels{}));
  // Back to the normal size: a plain copy again.
  platform::VideoSetClientSize(640, 480);
  platform::PumpEvents();
  platform::VideoBeginFrame();
  ASSERT_EQ(platform::VideoPresent(), 0);
  EXPECT_EQ((Shown({{10, 10}})), (canvas ? Pixels{0xFFFFFF} : Pixels{}));
  // A zero or absurd size never reaches the window system as such.
  platform::VideoSetClientSize(0, 0);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_GE(w, 1);
  EXPECT_EQ(platform::VideoClampClientSize(1000000), platform::kMaxClientSize);
  platform::ResetEvents();
}

TEST_F(VideoTest, RenderResetMakesThePresentReportTheDeviceLostUntilRecovered) {
  SDL_Event ev{};
  ev.type = SDL_RENDER_DEVICE_RESET;
  SDL_PushEvent(&ev);
  platform::PumpEvents();
  EXPECT_TRUE(platform::VideoDeviceResetPending());
  EXPECT_EQ(platform::VideoPresent(), -1);
  EXPECT_EQ(platform::VideoRecreateTarget(), 0);
  EXPECT_FALSE(platform::VideoDeviceResetPending());
  platform::VideoBeginFrame();
  EXPECT_EQ(platform::VideoPresent(), 0);
  platform::ResetEvents();
}

TEST_F(VideoTest, OnlyTheFirstFileOfADropIsReported) {
  platform::ResetEvents();
  SDL_Event ev[4] = {};
  ev[0].type = SDL_DROPBEGIN;
  ev[1].type = ev[2].type = SDL_DROPFILE;
  ev[1].drop.file = SDL_strdup("first.tja");
  ev[2].drop.file = SDL_strdup("second.tja");
  ev[3].type = SDL_DROPCOMPLETE;
  for (SDL_Event& e : ev) SDL_PushEvent(&e);
  platform::PumpEvents();
  std::vector<std::string> drops;
  for (platform::WindowEvent e{}; platform::PopEvent(&e);)
    if (e.kind == platform::EventKind::kDropFile) drops.push_back(e.path);
  EXPECT_EQ(drops, std::vector<std::string>{"first.tja"});
  platform::ResetEvents();
}

}  // namespace
