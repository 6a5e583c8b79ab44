// The window and its presentation: with SDL's dummy video driver and the software renderer,
// and through shared memory on a real X server.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/video.h"
#include "platform/x11_present.h"

#if defined(__SANITIZE_ADDRESS__)
#define KODOBAN_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KODOBAN_LSAN 1
#endif
#endif
#if defined(KODOBAN_LSAN)
#include <sanitizer/lsan_interface.h>
#endif

extern char** environ;

namespace {

using Pixels = std::vector<uint32_t>;

// Clears the frame's target to one colour, 0xRRGGBB.
void Fill(uint32_t rgb) {
  SDL_Renderer* renderer = platform::VideoRenderer();
  SDL_SetRenderTarget(renderer, platform::VideoTarget());
  SDL_SetRenderDrawColor(renderer, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255);
  SDL_RenderClear(renderer);
}

// Presents a picture of one colour with a rectangle of another, both 0xRRGGBB.
void Present(uint32_t ground, SDL_Rect rect, uint32_t colour) {
  platform::VideoBeginFrame();
  Fill(ground);
  SDL_SetRenderDrawColor(platform::VideoRenderer(), uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 255);
  SDL_RenderFillRect(platform::VideoRenderer(), &rect);
  ASSERT_EQ(platform::VideoPresent(), 0);
}

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
  Present(0x123456, {600, 440, 40, 40}, 0xC08040);
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
  Present(0x204060, {320, 0, 320, 480}, 0xFFFFFF);
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

// Presenting through shared memory on a real X server: the case starts its own Xvfb (skipped
// where there is none), presents pictures and reads the window back from the server.
class X11PresentTest : public testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    for (int n = 140; n < 170 && !display_[0]; ++n) {
      char lock[64], name[16];
      std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", n);
      if (access(lock, F_OK) == 0) continue;
      std::snprintf(name, sizeof name, ":%d", n);
      const char* argv[] = {"/usr/bin/Xvfb", name, "-screen", "0", "2048x1536x24",
                            "-nolisten", "tcp", nullptr};
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
      if (posix_spawn(&xvfb_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
        std::snprintf(display_, sizeof display_, "%s", name);
        std::snprintf(socket_, sizeof socket_, "/tmp/.X11-unix/X%d", n);
      }
      posix_spawn_file_actions_destroy(&actions);
    }
    if (!display_[0]) GTEST_SKIP() << "Xvfb did not start";
    for (int i = 0; i < 100 && access(socket_, F_OK) != 0; ++i) SDL_Delay(50);
    SDL_Delay(100);
#if defined(KODOBAN_LSAN)
    // SDL's X11 driver and Xlib keep some allocations for the life of the process.
    __lsan_disable();
    lsanDisabled_ = true;
#endif
    savedDriver_ = getenv("SDL_VIDEODRIVER") ? getenv("SDL_VIDEODRIVER") : "";
    setenv("DISPLAY", display_, 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // The game's own choice, without probing OpenGL.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (platform::VideoCreateWindow("Kodoban", 640, 480) != 0 || platform::VideoCreateRenderer() != 0)
      GTEST_SKIP() << "no X11 video: " << SDL_GetError();
  }
  void TearDown() override {
    platform::VideoShutdown();
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "");
    if (!savedDriver_.empty()) setenv("SDL_VIDEODRIVER", savedDriver_.c_str(), 1);
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
#if defined(KODOBAN_LSAN)
    if (lsanDisabled_) __lsan_enable();
#endif
  }

  // The window's pixel as the server shows it, 0xRRGGBB; after every sent picture is drawn.
  uint32_t WindowPixel(int x, int y) {
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) return 0xDEADBEEF;
    auto openDisplay = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto closeDisplay = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XCloseDisplay"));
    using GetImage = XImage* (*)(void*, unsigned long, int, int, unsigned, unsigned, unsigned long, int);
    auto getImage = reinterpret_cast<GetImage>(dlsym(x11, "XGetImage"));
    uint32_t result = 0xDEADBEEF;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    void* dpy = openDisplay ? openDisplay(display_) : nullptr;
    if (dpy && getImage && SDL_GetWindowWMInfo(platform::VideoWindow(), &info)) {
      // XGetImage is a round trip on another connection: wait until the game's connection
      // has certainly delivered its requests (it flushes after each present).
      SDL_Delay(100);
      XImage* image = getImage(dpy, info.info.x11.window, x, y, 1, 1, ~0ul, ZPixmap);
      if (image) {
        result = uint32_t(image->f.get_pixel(image, 0, 0)) & 0xFFFFFF;
        image->f.destroy_image(image);
      }
    }
    if (dpy) closeDisplay(dpy);
    dlclose(x11);
    return result;
  }

  pid_t xvfb_ = -1;
  bool lsanDisabled_ = false;
  char display_[16] = {};
  char socket_[64] = {};
  std::string savedDriver_;
};

// Many more presents than buffers: each reuses a buffer the server has given back. Then a
// larger window gets the picture stretched.
TEST_F(X11PresentTest, PicturesReachTheWindowWithoutWaitingForTheServer) {
  ASSERT_NE(platform::VideoCanvas(), nullptr);
  EXPECT_TRUE(platform::X11PresenterActive());
  for (int i = 0; i < 300; ++i) {
    platform::VideoBeginFrame();
    Fill(uint32_t(i) << 16 | 0x4080);
    ASSERT_EQ(platform::VideoPresent(), 0) << "present " << i;
  }
  Present(0x123456, {600, 440, 40, 40}, 0xFA4928);
  EXPECT_EQ(WindowPixel(0, 0), 0x123456u);
  EXPECT_EQ(WindowPixel(639, 479), 0xFA4928u);
  EXPECT_EQ(WindowPixel(599, 439), 0x123456u);
  platform::VideoSetClientSize(1024, 768);
  for (int i = 0; i < 20; ++i) {
    for (SDL_Event e; SDL_PollEvent(&e);) {
    }
    SDL_Delay(10);
  }
  int w = 0, h = 0;
  SDL_GetWindowSize(platform::VideoWindow(), &w, &h);
  ASSERT_EQ(w, 1024);
  Present(0x204060, {320, 0, 320, 480}, 0xFFFFFF);
  EXPECT_EQ(WindowPixel(10, 10), 0x204060u);
  EXPECT_EQ(WindowPixel(1000, 760), 0xFFFFFFu);
  EXPECT_EQ(WindowPixel(400, 700), 0x204060u);
}

}  // namespace
