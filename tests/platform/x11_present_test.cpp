// Presenting through shared memory on a real X server: starts its own Xvfb (skipped where
// there is none), presents pictures and reads the window back from the server.
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

  // Presents a picture of one colour with a rectangle of another, both 0xRRGGBB.
  static void Present(uint32_t ground, SDL_Rect rect, uint32_t colour) {
    platform::VideoBeginFrame();
    Fill(uint8_t(ground >> 16), uint8_t(ground >> 8), uint8_t(ground));
    SDL_SetRenderDrawColor(platform::VideoRenderer(), uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 255);
    SDL_RenderFillRect(platform::VideoRenderer(), &rect);
    ASSERT_EQ(platform::VideoPresent(), 0);
  }

  static void Fill(uint8_t r, uint8_t g, uint8_t b) {
    SDL_Renderer* renderer = platform::VideoRenderer();
    SDL_SetRenderTarget(renderer, platform::VideoTarget());
    SDL_SetRenderDrawColor(renderer, r, g, b, 255);
    SDL_RenderClear(renderer);
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
    Fill(uint8_t(i), 0x40, 0x80);
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
