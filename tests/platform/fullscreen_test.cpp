// Full screen keeps the 4:3 picture whole and centred on any display shape.
#include "platform/fullscreen.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Letterbox {
  int width, height;
  SDL_Rect area;
};

class LetterboxAreas : public ::testing::TestWithParam<Letterbox> {};

TEST_P(LetterboxAreas, PictureIsCentredWithItsShape) {
  const Letterbox& c = GetParam();
  const SDL_Rect r = LetterboxArea(c.width, c.height);
  EXPECT_EQ(r.x, c.area.x);
  EXPECT_EQ(r.y, c.area.y);
  EXPECT_EQ(r.w, c.area.w);
  EXPECT_EQ(r.h, c.area.h);
}

INSTANTIATE_TEST_SUITE_P(
    Displays, LetterboxAreas,
    ::testing::Values(Letterbox{1920, 1080, {240, 0, 1440, 1080}},  // wide: bars at the sides
                      Letterbox{1366, 768, {171, 0, 1024, 768}},    // odd bar pixel on the right
                      Letterbox{1280, 1024, {0, 32, 1280, 960}},    // taller: bars above and below
                      Letterbox{1024, 768, {0, 0, 1024, 768}},      // already 4:3: no bars
                      Letterbox{3840, 1600, {853, 0, 2133, 1600}},  // rounded to the nearer pixel
                      Letterbox{1, 1, {0, 0, 1, 1}},
                      Letterbox{0, 0, {0, 0, 0, 0}},
                      Letterbox{-5, 480, {0, 240, 0, 0}}));

TEST(FullScreen, WindowedPictureFillsTheClientArea) {
  ASSERT_FALSE(VideoIsFullScreen());
  const SDL_Rect r = PictureArea(641, 480);  // a WindowSize of 641 gives 641 x 480
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.w, 641);
  ASSERT_TRUE(VideoSetFullScreen(true));  // no window: only the choice is kept
  EXPECT_EQ(PictureArea(1920, 1080).x, 240);
  ASSERT_TRUE(VideoSetFullScreen(false));
}

}  // namespace
}  // namespace platform
