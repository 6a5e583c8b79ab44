// The scene's own transitions on the software renderer, read back pixel by pixel: the
// opening iris, the closing of the screen after a leaving pause-menu choice, and the slide
// that hands over to the results.
#include <gtest/gtest.h>

#include "graphics/graphics.h"
#include "graphics/graphics_fixture.h"
#include "play/play_record.h"
#include "scenes/play/play_scene.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kOniColour = 0xFF20C040u, kIrisImage = 0xFFE0E0E0u, kSlideImage = 0xFF3060F0u;

class Transitions : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    theme::ResetResourceLoader();
    theme::LoadCourse = 3;
    theme::SongSelectLayout.load_oni_bg_color = kOniColour & 0xFFFFFF;
    theme::select_assets::LoadBgEnd[3] = Solid("iris.png", 640, 480, kIrisImage);
    theme::play_assets::LoadBgEnd = Solid("slide.png", 640, 480, kSlideImage);
    play::ResetPlayRecord();
  }
  void TearDown() override {
    theme::ResetResourceLoader();
    play::ResetPlayRecord();
    GraphicsTest::TearDown();
  }
  void ExpectPixel(int x, int y, uint32_t colour) {
    SCOPED_TRACE(::testing::Message() << "at " << x << "," << y);
    EXPECT_RGB_NEAR(Pixel(x, y), int(gfxtest::R(colour)), int(gfxtest::G(colour)), int(gfxtest::B(colour)));
  }
};

TEST_F(Transitions, TheOpeningGrowsFromTheCourseColourAndIsGoneAt600Ms) {
  playscene::DrawOpening(0.0);
  ExpectPixel(320, 240, kOniColour);
  ExpectPixel(5, 5, kOniColour);
  Clear(kBlack);
  playscene::DrawOpening(300.0);  // the image at 5/8 of its size, the colour around it
  ExpectPixel(320, 240, kIrisImage);
  ExpectPixel(5, 5, kOniColour);
  ExpectPixel(635, 240, kOniColour);
  Clear(kBlack);
  playscene::DrawOpening(600.0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

TEST_F(Transitions, ALeavingChoiceClosesTheScreenAndAResumeDoesNot) {
  play::Play.pauseCursor.store(2);  // back to the song select
  play::Play.paused.store(1);
  play::Play.choiceTime.store(800.0);
  play::Play.pauseElapsed.store(800.0 + 950.0);
  EXPECT_TRUE(playscene::DrawPauseOverlay());
  ExpectPixel(320, 240, kOniColour);
  ExpectPixel(639, 479, kOniColour);

  Clear(kBlack);
  play::Play.pauseCursor.store(0);  // continue: the menu fades out and that is all
  play::Play.paused.store(0);
  play::Play.pauseElapsed.store(800.0 + 400.0);
  EXPECT_FALSE(playscene::DrawPauseOverlay());
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

TEST_F(Transitions, TheEndSlideRisesAndCoversTheScreenForTheHandOver) {
  playscene::DrawEndSlide(250.0);  // its top edge at 480 - 240
  ExpectPixel(320, 200, kBlack);
  ExpectPixel(320, 300, kSlideImage);
  Clear(kBlack);
  playscene::DrawEndSlide(1000.0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kSlideImage), 0);
}

}  // namespace
