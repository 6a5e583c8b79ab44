// The window and renderer with SDL's dummy video driver and the software renderer.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/events.h"
#include "platform/video.h"

namespace {

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (platform::VideoCreateWindow("Kodoban", 640, 480) != 0 || platform::VideoCreateRenderer() != 0)
      GTEST_SKIP() << "no SDL video: " << SDL_GetError();
  }
  void TearDown() override { platform::VideoShutdown(); }

  // The size of the picture every frame is drawn into: the target texture, or the canvas.
  static void DrawingSize(int* w, int* h) {
    *w = *h = 0;
    if (SDL_Surface* canvas = platform::VideoCanvas()) {
      *w = canvas->w;
      *h = canvas->h;
      return;
    }
    SDL_QueryTexture(platform::VideoTarget(), nullptr, nullptr, w, h);
  }

  static uint32_t WindowPixel(int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(platform::VideoWindow());
    if (!s) return 0;
    uint32_t p = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
    uint8_t r = 0, g = 0, b = 0;
    SDL_GetRGB(p, s->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  }

  static void FillTarget(uint8_t r, uint8_t g, uint8_t b) {
    SDL_Renderer* renderer = platform::VideoRenderer();
    SDL_SetRenderTarget(renderer, platform::VideoTarget());
    SDL_SetRenderDrawColor(renderer, r, g, b, 255);
    SDL_RenderClear(renderer);
  }

  static uint32_t TargetPixel(int x, int y) {
    uint32_t pixel = 0;
    SDL_Rect r{x, y, 1, 1};
    SDL_SetRenderTarget(platform::VideoRenderer(), platform::VideoTarget());
    SDL_RenderReadPixels(platform::VideoRenderer(), &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel;
  }
};

TEST_F(VideoTest, ClientSizeChangesButTheDrawingStays640x480) {
  platform::VideoSetClientSize(1440, 1080);
  int w = 0, h = 0;
  platform::VideoGetClientSize(&w, &h);
  EXPECT_EQ(w, 1440);
  EXPECT_EQ(h, 1080);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_EQ(w, 1440);
  DrawingSize(&w, &h);
  EXPECT_EQ(w, 640);
  // A zero or absurd size never reaches the window system as such.
  platform::VideoSetClientSize(0, 0);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_GE(w, 1);
  EXPECT_EQ(platform::VideoClampClientSize(-640), 1);
  EXPECT_EQ(platform::VideoClampClientSize(1000000), platform::kMaxClientSize);
  EXPECT_EQ(platform::VideoClampClientSize(1440), 1440);
}

// Each frame starts opaque white on the 640x480 target; the present copies it into the window
// and stretches it over a larger one.
TEST_F(VideoTest, PresentShowsThePictureInTheWindow) {
  int w = 0, h = 0;
  DrawingSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  platform::VideoBeginFrame();
  EXPECT_EQ(TargetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(TargetPixel(639, 479), 0xFFFFFFFFu);
  FillTarget(0x12, 0x34, 0x56);
  SDL_Renderer* r = platform::VideoRenderer();
  SDL_SetRenderDrawColor(r, 0xC0, 0x80, 0x40, 255);
  SDL_Rect corner{600, 440, 40, 40};
  SDL_RenderFillRect(r, &corner);
  ASSERT_EQ(platform::VideoPresent(), 0);
  if (!platform::VideoCanvas()) GTEST_SKIP() << "the window is presented by its renderer";
  EXPECT_EQ(WindowPixel(0, 0), 0x123456u);
  EXPECT_EQ(WindowPixel(639, 479), 0xC08040u);
  EXPECT_EQ(WindowPixel(599, 439), 0x123456u);

  platform::VideoSetClientSize(1280, 960);
  platform::PumpEvents();
  platform::VideoBeginFrame();
  FillTarget(0x20, 0x40, 0x60);
  SDL_SetRenderDrawColor(r, 0xFF, 0xFF, 0xFF, 255);
  SDL_Rect right{320, 0, 320, 480};
  SDL_RenderFillRect(r, &right);
  ASSERT_EQ(platform::VideoPresent(), 0);
  SDL_Surface* s = SDL_GetWindowSurface(platform::VideoWindow());
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->w, 1280);
  ASSERT_EQ(s->h, 960);
  EXPECT_EQ(WindowPixel(10, 10), 0x204060u);
  EXPECT_EQ(WindowPixel(600, 950), 0x204060u);
  EXPECT_EQ(WindowPixel(700, 10), 0xFFFFFFu);
  EXPECT_EQ(WindowPixel(1279, 959), 0xFFFFFFu);
  // Back to the normal size: a plain copy again.
  platform::VideoSetClientSize(640, 480);
  platform::PumpEvents();
  platform::VideoBeginFrame();
  ASSERT_EQ(platform::VideoPresent(), 0);
  EXPECT_EQ(WindowPixel(10, 10), 0xFFFFFFu);
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

}  // namespace

namespace {

TEST_F(VideoTest, OnlyTheFirstFileOfADropIsReported) {
  platform::ResetEvents();
  SDL_Event ev{};
  ev.type = SDL_DROPBEGIN;
  SDL_PushEvent(&ev);
  for (const char* name : {"first.tja", "second.tja"}) {
    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.file = SDL_strdup(name);
    SDL_PushEvent(&drop);
  }
  ev.type = SDL_DROPCOMPLETE;
  SDL_PushEvent(&ev);
  platform::PumpEvents();
  platform::WindowEvent e{};
  int drops = 0;
  while (platform::PopEvent(&e)) {
    if (e.kind != platform::EventKind::kDropFile) continue;
    ++drops;
    EXPECT_STREQ(e.path, "first.tja");
  }
  EXPECT_EQ(drops, 1);
  platform::ResetEvents();
}

}  // namespace
