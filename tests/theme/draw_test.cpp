// The stage and background drawing on a 640 x 480 software renderer, read back pixel by pixel.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "graphics/graphics.h"
#include "graphics/graphics_fixture.h"
#include "shell/config.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/stage.h"
#include "theme_fixture.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kYellow = 0xFFFFFF00u;

// The graphics tests' 640 x 480 software screen, drawn into directly as the game does.
class StageDrawTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("theme-draw");
    GraphicsTest::SetUp();
    theme::ResetStage();
    theme::SetDefaultLayouts();
    for (double& b : stepBeat_) b = -1000000000.0;
  }
  void TearDown() override {
    theme::ResetStage();
    GraphicsTest::TearDown();
    testsupport::RemoveTempFolder(dir_);
  }
  int Image(const std::string& name, int w, int h, uint32_t argb) {
    std::string path = dir_ + "/" + name;
    EXPECT_TRUE(theme_test::WritePng(path, w, h, argb));
    int handle = graphics::LoadTexture(path.c_str());
    EXPECT_NE(handle, -1) << name;
    return handle;
  }
  void Clear() { GraphicsTest::Clear(kBlack); }
  theme::StageClock Clock() {
    theme::StageClock c;
    c.gauge_step_beat = stepBeat_;
    c.effects = effects_;
    return c;
  }

  std::string dir_;
  double stepBeat_[101];
  theme::StageEffect effects_[theme::kEffectRingSize] = {};
};

TEST_F(StageDrawTest, StageIsCentredOnItsLine) {
  theme::StageImage = Image("stage.png", 640, 20, kRed);
  theme::DrawStage();
  EXPECT_EQ(Pixel(10, 445), kBlack);
  EXPECT_EQ(Pixel(10, 446), kRed);  // 456 - 20 / 2
  EXPECT_EQ(Pixel(600, 465), kRed);
  EXPECT_EQ(Pixel(600, 466), kBlack);
}

TEST_F(StageDrawTest, UpperBackgroundTilesTheWidthAndFollowsTheMood) {
  theme::UpperBgNormal = Image("bg_1_p1.png", 200, 50, kBlue);
  theme::UpperBgClear = Image("bg_1_clear.png", 200, 50, kGreen);
  theme::UpperBgMiss = Image("bg_1_miss.png", 200, 50, kRed);
  theme::UpperBgGogo = Image("bg_gogo_p1.png", 640, 10, kWhite);
  theme::PlayLayout.bg_scroll_speed = 0;
  theme::StageClock c = Clock();
  c.now = 10000;
  theme::DrawUpperBackground(c);
  for (int x : {0, 199, 200, 400, 639}) EXPECT_EQ(Pixel(x, 20), kBlue) << x;
  EXPECT_EQ(Pixel(320, 50), kBlack);

  Clear();
  c.mood = theme::kMoodClear;
  c.clear_mood_time = 9000;
  theme::DrawUpperBackground(c);
  EXPECT_EQ(Pixel(320, 20), kGreen);

  Clear();
  c.clear_mood_time = 9950;  // halfway through its 100 ms fade
  theme::DrawUpperBackground(c);
  uint32_t p = Pixel(320, 20);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 127, 3);
  EXPECT_NEAR(int(p & 0xFF), 128, 3);

  Clear();
  c.mood = theme::kMoodMiss;
  c.miss_mood_time = 9000;
  theme::DrawUpperBackground(c);
  EXPECT_EQ(Pixel(320, 20), kRed);

  // Leaving the miss mood fades the miss picture out over 100 ms.
  Clear();
  c.mood = theme::kMoodNormal;
  c.previous_mood = theme::kMoodMiss;
  c.clear_mood_time = 1000000000.0;
  c.miss_mood_time = 9950;
  theme::DrawUpperBackground(c);
  p = Pixel(320, 20);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 127, 3);
  EXPECT_NEAR(int(p & 0xFF), 128, 3);
  Clear();
  c.miss_mood_time = 9850;
  theme::DrawUpperBackground(c);
  EXPECT_EQ(Pixel(320, 20), kBlue);

  // Gogo time darkens with its picture: white turns the screen black.
  Clear();
  c.mood = theme::kMoodNormal;
  c.previous_mood = theme::kMoodNormal;
  c.clear_mood_time = 1000000000.0;
  c.gogo = true;
  theme::DrawUpperBackground(c);
  EXPECT_EQ(Pixel(320, 5), kBlack);
  EXPECT_EQ(Pixel(320, 20), kBlue);
}

TEST_F(StageDrawTest, UpperBackgroundScrollsLeft) {
  theme::UpperBgNormal = Image("bg.png", 100, 10, kBlue);
  theme::PlayLayout.bg_scroll_speed = 44;
  theme::StageClock c = Clock();
  c.now = 1000;  // scrolled 44 px: the second tile starts near x = 55
  theme::DrawUpperBackground(c);
  for (int x = 0; x < 640; x += 7) EXPECT_EQ(Pixel(x, 5), kBlue) << x;
}

TEST_F(StageDrawTest, InvalidPicturesDrawNothingAndNeverLoop) {
  theme::StageClock c = Clock();
  c.gogo = true;
  theme::DrawUpperBackground(c);
  theme::DrawStage();
  theme::DrawFiver(c);
  theme::DrawDancers(c);
  theme::DrawChibi(c);
  theme::DrawBgScript(theme::BgScriptClock{});
  EXPECT_EQ(Pixel(0, 0), kBlack);
  EXPECT_EQ(Pixel(320, 240), kBlack);
}

TEST_F(StageDrawTest, DancersJoinAsTheGaugeRises) {
  theme::DancerSet& d = theme::Dancers;
  int white = Image("dance_1_1.png", 20, 20, kWhite);
  int yellow = Image("appear_1_1.png", 20, 20, kYellow);
  d.dance_images[0][0] = white;
  d.appear_images[0][0] = yellow;
  const int xs[5] = {50, 150, 250, 350, 450};
  for (int i = 0; i < 5; ++i) d.dance_x[i] = xs[i];
  d.dance_y[0] = 300;
  theme::StageClock c = Clock();
  c.clear_threshold = 80;
  c.beat = 100000;
  c.gauge = 40;
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(50, 300), kWhite);
  EXPECT_EQ(Pixel(150, 300), kWhite);
  EXPECT_EQ(Pixel(250, 300), kWhite);
  EXPECT_EQ(Pixel(350, 300), kBlack);
  EXPECT_EQ(Pixel(450, 300), kBlack);
  EXPECT_EQ(Pixel(50 - 11, 300), kBlack);  // centred: 10 px either side
  EXPECT_EQ(Pixel(50 - 10, 300 - 10), kWhite);

  // Slot 4 joins at the threshold and enters with its appear frames for four beats.
  Clear();
  c.gauge = 80;
  stepBeat_[80] = c.beat - 3600;
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(350, 300), kWhite);
  EXPECT_EQ(Pixel(450, 300), kYellow);
  Clear();
  stepBeat_[80] = c.beat - 4 * 3600;
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(450, 300), kWhite);
}

TEST_F(StageDrawTest, DancersJumpIn) {
  theme::DancerSet& d = theme::Dancers;
  d.appear_images[0][0] = Image("appear.png", 10, 10, kYellow);
  d.appear_pattern[0] = 1;
  d.dance_y[0] = 300;
  theme::StageClock c = Clock();
  c.clear_threshold = 80;
  c.beat = 50000;
  stepBeat_[0] = c.beat - 0.4 * 4 * 3600;  // p = 0.4: top of the jump, 70 px up
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(0, 230), kYellow);
  EXPECT_EQ(Pixel(0, 300), kBlack);
}

TEST_F(StageDrawTest, ChibiFollowHitsAndMisses) {
  theme::Chibi[0].images[0][0] = Image("chibi.png", 10, 10, kGreen);
  theme::Chibi[0].chibi_x = 100;
  theme::Chibi[0].chibi_y = 400;
  theme::Chibi[1].images[0][0] = Image("soul.png", 10, 10, kRed);
  theme::Chibi[1].chibi_x = 100;
  theme::Chibi[1].chibi_y = 100;
  theme::StageClock c = Clock();
  c.beat = 10000;
  effects_[5] = {1, 0.0, c.beat - (1800 + 27 * 100)};  // a hit: 200 px along
  effects_[6] = {99, 0.0, c.beat};                      // a miss: just appeared
  effects_[7] = {50, 0.0, c.beat};                      // other codes show nothing
  theme::DrawChibi(c);
  EXPECT_EQ(Pixel(300, 400), kGreen);
  EXPECT_EQ(Pixel(100, 100), kRed);
  // Gone after six beats.
  Clear();
  c.beat += 21600;
  theme::DrawChibi(c);
  EXPECT_EQ(Pixel(300 + 800, 400 - 400), Pixel(0, 0));
  for (int x = 0; x < 640; x += 5) EXPECT_EQ(Pixel(x, 400), kBlack);
}

TEST_F(StageDrawTest, FrameNumbersOutsideTheSetDrawNothing) {
  theme::DancerSet& d = theme::Dancers;
  theme::ParseDancerLine("dance_order=0,101,1", &d);
  theme::ParseDancerLine("appear_order=0,250", &d);
  theme::ParseDancerLine("dance_sort=9", &d);
  d.dance_images[0][0] = Image("dance.png", 10, 10, kWhite);
  d.dance_y[0] = 300;
  for (int& s : d.slot_sort) s = 0;
  theme::ChibiSet& c0 = theme::Chibi[0];
  theme::ParseChibiLine("chibi_order=0,500", &c0);
  theme::ParseChibiLine("chibi_appear_flame=101", &c0);
  theme::ParseChibiLine("chibi_appear_patern=2", &c0);
  theme::ParseChibiLine("chibi_interval=0", &c0);
  c0.images[0][0] = Image("chibi.png", 10, 10, kGreen);
  theme::StageClock c = Clock();
  c.clear_threshold = 80;
  c.gauge = 100;
  for (int k = 0; k < theme::kEffectRingSize; ++k) effects_[k] = {1 + k % 8, double(k * 37), double(-k * 500)};
  for (double beat = -20000; beat <= 40000; beat += 250) {
    c.beat = beat;
    theme::DrawDancers(c);
    theme::DrawChibi(c);
  }
  // Only the third entry of the dance order names an image that exists.
  Clear();
  c.beat = 2 * 3600 * 4 - 1;  // the last third of the cycle
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(0, 300), kWhite);
  Clear();
  c.beat = 0;
  theme::DrawDancers(c);
  EXPECT_EQ(Pixel(0, 300), kBlack);
}

TEST_F(StageDrawTest, FiverRisesAtAFullGauge) {
  theme::FiverImages[0] = Image("fiver_1_1.png", 640, 100, kYellow);
  theme::FiverFrameCount = 1;
  theme::StageClock c = Clock();
  c.gauge = 100;
  c.beat = 20 * 120;  // a = 120: starts moving
  theme::DrawFiver(c);
  EXPECT_EQ(theme::FiverState, 1);
  c.beat = 3600 + 20 * 90;  // a = 90: fully risen
  theme::DrawFiver(c);
  EXPECT_EQ(Pixel(10, 380), kYellow);
  EXPECT_EQ(Pixel(10, 379), kBlack);
  theme::ResetFiver();
  EXPECT_EQ(theme::FiverState, 0);
}

class BgDrawTest : public StageDrawTest {
 protected:
  void SetUp() override {
    StageDrawTest::SetUp();
    theme_test::WritePng(dir_ + "/normal.png", 100, 100, kBlue);
    theme_test::WritePng(dir_ + "/clear.png", 50, 50, kGreen);
  }
  void TearDown() override {
    theme::ClearBgScript();
    StageDrawTest::TearDown();
  }
  void Load(const std::string& script) {
    theme_test::WriteFile(dir_ + "/dancer_bg.ini", script);
    theme::LoadBgScript(dir_.c_str());
  }
  theme::BgScriptClock At(double now, double gauge) {
    theme::BgScriptClock c{};
    c.now = now;
    c.play_start = 0;
    c.clear_threshold = 80;
    c.gauge = gauge;
    c.threshold_time = 20000;
    c.below_threshold_time = 19000;
    return c;
  }
};

TEST_F(BgDrawTest, ClearListTakesOverOnceFullyEntered) {
  Load("#BG_NAME(normal.png)\n"
       "#CLEAR_BG_NAME(clear.png)\n#POINT(200,200)\n#APPEAR_FADE_IN(0,3000)\n");
  ASSERT_NE(theme::BgNormalList.layers[0].image, -1);
  theme::DrawBgScript(At(21000, 79));
  EXPECT_EQ(Pixel(10, 10), kBlue);
  EXPECT_EQ(Pixel(210, 210), kBlack);

  Clear();
  theme::DrawBgScript(At(21500, 85));  // 1500 ms into the clear list: both, clear half in
  EXPECT_EQ(Pixel(10, 10), kBlue);
  EXPECT_NEAR(int((Pixel(210, 210) >> 8) & 0xFF), 127, 3);

  Clear();
  theme::DrawBgScript(At(23000, 85));  // fully entered: the normal list stops
  EXPECT_EQ(Pixel(10, 10), kBlack);
  EXPECT_EQ(Pixel(210, 210), kGreen);

  Clear();
  theme::BgScriptClock fell = At(25000, 79);
  theme::DrawBgScript(fell);
  EXPECT_EQ(Pixel(10, 10), kBlue);
  EXPECT_EQ(Pixel(210, 210), kBlack);
}

TEST_F(BgDrawTest, WithoutClearLayersTheNormalListStopsAtTheThreshold) {
  Load("#BG_NAME(normal.png)\n#POINT(5,5)\n");
  theme::DrawBgScript(At(19999, 79));
  EXPECT_EQ(Pixel(10, 10), kBlue);
  Clear();
  theme::DrawBgScript(At(20000, 80));
  EXPECT_EQ(Pixel(10, 10), kBlack);
}

TEST_F(BgDrawTest, RotatedAndAdditiveLayers) {
  theme_test::WritePng(dir_ + "/bar.png", 60, 10, kRed);
  Load("#BG_NAME(bar.png)\n#POINT(300,300)\n#ROTATE(4000)\n"
       "#BG_NAME(normal.png)\n#POINT(0,0)\n#ADD\n"
       "#BG_NAME(clear.png)\n#POINT(50,50)\n");
  // At a quarter turn the 60 x 10 bar stands upright about its centre (300, 300).
  theme::DrawBgScript(At(1000, 0));
  EXPECT_EQ(Pixel(300, 275), kRed);
  EXPECT_EQ(Pixel(275, 300), kBlack);
  // The additive blue layer adds to what is below; the green one covers it.
  EXPECT_EQ(Pixel(60, 60), kGreen);
  EXPECT_EQ(Pixel(20, 20), kBlue);
}

}  // namespace
