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

  static uint32_t TargetPixel(int x, int y) {
    uint32_t pixel = 0;
    SDL_Rect r{x, y, 1, 1};
    SDL_SetRenderTarget(platform::VideoRenderer(), platform::VideoTarget());
    SDL_RenderReadPixels(platform::VideoRenderer(), &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel;
  }
};

TEST_F(VideoTest, FrameStartsAsOpaqueWhiteOnThe640x480Target) {
  int w = 0, h = 0;
  SDL_QueryTexture(platform::VideoTarget(), nullptr, nullptr, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  platform::VideoBeginFrame();
  EXPECT_EQ(TargetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(TargetPixel(639, 479), 0xFFFFFFFFu);
  EXPECT_EQ(platform::VideoPresent(), 0);
}

TEST_F(VideoTest, ClientSizeChangesButTheDrawingStays640x480) {
  platform::VideoSetClientSize(1440, 1080);
  int w = 0, h = 0;
  platform::VideoGetClientSize(&w, &h);
  EXPECT_EQ(w, 1440);
  EXPECT_EQ(h, 1080);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_EQ(w, 1440);
  SDL_QueryTexture(platform::VideoTarget(), nullptr, nullptr, &w, &h);
  EXPECT_EQ(w, 640);
  // A zero or absurd size never reaches the window system as such.
  platform::VideoSetClientSize(0, 0);
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  EXPECT_GE(w, 1);
  EXPECT_EQ(platform::VideoClampClientSize(-640), 1);
  EXPECT_EQ(platform::VideoClampClientSize(1000000), platform::kMaxClientSize);
  EXPECT_EQ(platform::VideoClampClientSize(1440), 1440);
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
