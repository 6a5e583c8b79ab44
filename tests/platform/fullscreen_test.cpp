// Full screen keeps the 4:3 picture whole and centred on any display shape.
#include "platform/fullscreen.h"

#include <gtest/gtest.h>

#include <array>

namespace platform {
namespace {

TEST(FullScreen, PictureIsCentredWithItsShape) {
  const int rows[][6] = {
      {1920, 1080, 240, 0, 1440, 1080},  // wide: bars at the sides
      {1366, 768, 171, 0, 1024, 768},    // odd bar pixel on the right
      {1280, 1024, 0, 32, 1280, 960},    // taller: bars above and below
      {1024, 768, 0, 0, 1024, 768},      // already 4:3: no bars
      {3840, 1600, 853, 0, 2133, 1600},  // rounded to the nearer pixel
      {1, 1, 0, 0, 1, 1},  {0, 0, 0, 0, 0, 0},  {-5, 480, 0, 240, 0, 0}};
  for (const auto& c : rows) {
    const SDL_Rect r = LetterboxArea(c[0], c[1]);
    EXPECT_EQ((std::array<int, 4>{r.x, r.y, r.w, r.h}), (std::array<int, 4>{c[2], c[3], c[4], c[5]})) << c[0] << "x" << c[1];
  }
  // Windowed, the picture fills the client area.
  ASSERT_FALSE(VideoIsFullScreen());
  const SDL_Rect r = PictureArea(641, 480);  // a WindowSize of 641 gives 641 x 480
  EXPECT_EQ(r.x + r.w, 641);
  ASSERT_TRUE(VideoSetFullScreen(true));  // no window: only the choice is kept
  EXPECT_EQ(PictureArea(1920, 1080).x, 240);
  ASSERT_TRUE(VideoSetFullScreen(false));
}

}  // namespace
}  // namespace platform
