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

constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu,
                   kWhite = 0xFFFFFFFFu, kYellow = 0xFFFFFF00u;

// The graphics tests' 640 x 480 software screen, drawn into directly as the game does.
class StageDrawTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("theme-draw");
    GraphicsTest::SetUp();
    theme::ResetStage();
    theme::SetDefaultLayouts();
    for (double& b : stepBeat_) b = -1000000000.0;
    clock_.gauge_step_beat = stepBeat_;
    clock_.effects = effects_;
    clock_.clear_threshold = 80;
  }
  void TearDown() override {
    theme::ResetStage();
    GraphicsTest::TearDown();
    testsupport::RemoveTempFolder(dir_);
  }
  // Clears the screen, runs one draw and reads pixels back.
  template <typename Draw>
  std::vector<uint32_t> Frame(Draw draw, std::initializer_list<std::pair<int, int>> at) {
    Clear(kBlack);
    draw();
    std::vector<uint32_t> p;
    for (auto [x, y] : at) p.push_back(Pixel(x, y));
    return p;
  }
  std::vector<uint32_t> Upper(std::initializer_list<std::pair<int, int>> at) {
    return Frame([&] { theme::DrawUpperBackground(clock_); }, at);
  }
  std::vector<uint32_t> Dancers(std::initializer_list<std::pair<int, int>> at) {
    return Frame([&] { theme::DrawDancers(clock_); }, at);
  }
  using Pixels = std::vector<uint32_t>;

  std::string dir_;
  double stepBeat_[101];
  theme::StageEffect effects_[theme::kEffectRingSize] = {};
  theme::StageClock clock_;
};

TEST_F(StageDrawTest, StageIsCentredOnItsLineAndMissingPicturesDrawNothing) {
  clock_.gogo = true;
  theme::DrawUpperBackground(clock_);
  theme::DrawFiver(clock_);
  theme::DrawDancers(clock_);
  theme::DrawChibi(clock_);
  theme::DrawBgScript(theme::BgScriptClock{});
  theme::DrawStage();
  EXPECT_EQ(CountChanged(0, 0, 640, 480), 0);
  theme::StageImage = Solid("stage.png", 640, 20, kRed);
  // 456 - 20 / 2
  EXPECT_EQ(Frame(theme::DrawStage, {{10, 445}, {10, 446}, {600, 465}, {600, 466}}), Pixels({kBlack, kRed, kRed, kBlack}));
}

TEST_F(StageDrawTest, UpperBackgroundTilesScrollsAndFollowsTheMood) {
  theme::UpperBgNormal = Solid("bg_1_p1.png", 200, 50, kBlue);
  theme::UpperBgClear = Solid("bg_1_clear.png", 200, 50, kGreen);
  theme::UpperBgMiss = Solid("bg_1_miss.png", 200, 50, kRed);
  theme::UpperBgGogo = Solid("bg_gogo_p1.png", 640, 10, kWhite);
  theme::PlayLayout.bg_scroll_speed = 0;
  clock_.now = 10000;
  EXPECT_EQ(Upper({{0, 20}, {199, 20}, {200, 20}, {400, 20}, {639, 20}, {320, 50}}),
            Pixels({kBlue, kBlue, kBlue, kBlue, kBlue, kBlack}));
  clock_.mood = theme::kMoodClear;
  clock_.clear_mood_time = 9000;
  EXPECT_EQ(Upper({{320, 20}}), Pixels({kGreen}));
  clock_.clear_mood_time = 9950;  // halfway through its 100 ms fade
  EXPECT_RGB_NEAR(Upper({{320, 20}})[0], 0, 127, 128);
  clock_.mood = theme::kMoodMiss;
  clock_.miss_mood_time = 9000;
  EXPECT_EQ(Upper({{320, 20}}), Pixels({kRed}));
  // Leaving the miss mood fades the miss picture out over 100 ms.
  clock_.mood = theme::kMoodNormal;
  clock_.previous_mood = theme::kMoodMiss;
  clock_.clear_mood_time = 1000000000.0;
  clock_.miss_mood_time = 9950;
  EXPECT_RGB_NEAR(Upper({{320, 20}})[0], 127, 0, 128);
  clock_.miss_mood_time = 9850;
  EXPECT_EQ(Upper({{320, 20}}), Pixels({kBlue}));
  // Gogo time darkens with its picture: white turns the screen black.
  clock_.previous_mood = theme::kMoodNormal;
  clock_.gogo = true;
  EXPECT_EQ(Upper({{320, 5}, {320, 20}}), Pixels({kBlack, kBlue}));
  // Scrolled 44 px in a second over 100 px pictures: the tiles still cover the width.
  clock_.gogo = false;
  theme::UpperBgNormal = Solid("bg.png", 100, 10, kBlue);
  theme::PlayLayout.bg_scroll_speed = 44;
  clock_.now = 1000;
  Upper({});
  EXPECT_EQ(CountChanged(0, 0, 640, 10, kBlue), 0);
}

TEST_F(StageDrawTest, DancersJoinAsTheGaugeRisesAndJumpIn) {
  theme::DancerSet& d = theme::Dancers;
  d.dance_images[0][0] = Solid("dance_1_1.png", 20, 20, kWhite);
  d.appear_images[0][0] = Solid("appear_1_1.png", 20, 20, kYellow);
  for (int i = 0; i < 5; ++i) d.dance_x[i] = 50 + 100 * i;
  d.dance_y[0] = 300;
  clock_.beat = 100000;
  clock_.gauge = 40;
  // Slots join at quarters of the threshold; centred, 10 px either side.
  EXPECT_EQ(Dancers({{50, 300}, {150, 300}, {250, 300}, {350, 300}, {450, 300}, {39, 300}, {40, 290}}),
            Pixels({kWhite, kWhite, kWhite, kBlack, kBlack, kBlack, kWhite}));
  // Slot 4 joins at the threshold and enters with its appear frames for four beats.
  clock_.gauge = 80;
  stepBeat_[80] = clock_.beat - 3600;
  EXPECT_EQ(Dancers({{350, 300}, {450, 300}}), Pixels({kWhite, kYellow}));
  stepBeat_[80] = clock_.beat - 4 * 3600;
  EXPECT_EQ(Dancers({{450, 300}}), Pixels({kWhite}));
  // With the jump pattern, at p = 0.4 of the entrance the dancer is at the top, 70 px up.
  d.appear_pattern[0] = 1;
  d.dance_x[0] = 10;
  clock_.gauge = 0;
  stepBeat_[0] = clock_.beat - 0.4 * 4 * 3600;
  EXPECT_EQ(Dancers({{10, 230}, {10, 300}}), Pixels({kYellow, kBlack}));
}

TEST_F(StageDrawTest, ChibiFollowHitsAndMisses) {
  theme::Chibi[0].images[0][0] = Solid("chibi.png", 10, 10, kGreen);
  theme::Chibi[0].chibi_x = 100;
  theme::Chibi[0].chibi_y = 400;
  theme::Chibi[1].images[0][0] = Solid("soul.png", 10, 10, kRed);
  theme::Chibi[1].chibi_x = 100;
  theme::Chibi[1].chibi_y = 100;
  clock_.beat = 10000;
  effects_[5] = {1, 0.0, clock_.beat - (1800 + 27 * 100)};  // a hit: 200 px along
  effects_[6] = {99, 0.0, clock_.beat};                      // a miss: just appeared
  effects_[7] = {50, 0.0, clock_.beat};                      // other codes show nothing
  EXPECT_EQ(Frame([&] { theme::DrawChibi(clock_); }, {{300, 400}, {100, 100}}), Pixels({kGreen, kRed}));
  // Gone after six beats.
  clock_.beat += 21600;
  Frame([&] { theme::DrawChibi(clock_); }, {});
  EXPECT_EQ(CountChanged(0, 0, 640, 480), 0);
}

TEST_F(StageDrawTest, FrameNumbersOutsideTheSetDrawNothing) {
  theme::DancerSet& d = theme::Dancers;
  for (const char* line : {"dance_order=0,101,1", "appear_order=0,250", "dance_sort=9"}) theme::ParseDancerLine(line, &d);
  d.dance_images[0][0] = Solid("dance.png", 10, 10, kWhite);
  d.dance_y[0] = 300;
  for (int& s : d.slot_sort) s = 0;
  theme::ChibiSet& c0 = theme::Chibi[0];
  for (const char* line : {"chibi_order=0,500", "chibi_appear_flame=101", "chibi_appear_patern=2", "chibi_interval=0"})
    theme::ParseChibiLine(line, &c0);
  c0.images[0][0] = Solid("chibi.png", 10, 10, kGreen);
  clock_.gauge = 100;
  for (int k = 0; k < theme::kEffectRingSize; ++k) effects_[k] = {1 + k % 8, double(k * 37), double(-k * 500)};
  for (double beat = -20000; beat <= 40000; beat += 250) {
    clock_.beat = beat;
    theme::DrawDancers(clock_);
    theme::DrawChibi(clock_);
  }
  // Only the third entry of the dance order names an image that exists: the last third of
  // the cycle.
  clock_.beat = 2 * 3600 * 4 - 1;
  EXPECT_EQ(Dancers({{0, 300}}), Pixels({kWhite}));
  clock_.beat = 0;
  EXPECT_EQ(Dancers({{0, 300}}), Pixels({kBlack}));
}

TEST_F(StageDrawTest, FiverRisesAtAFullGauge) {
  theme::FiverImages[0] = Solid("fiver_1_1.png", 640, 100, kYellow);
  theme::FiverFrameCount = 1;
  clock_.gauge = 100;
  theme::FiverState = 2;         // up (the steps there are the fiver table's in stage_test)
  clock_.beat = 3600 + 20 * 90;  // a = 90: the top of the bounce
  EXPECT_EQ(Frame([&] { theme::DrawFiver(clock_); }, {{10, 380}, {10, 379}}), Pixels({kYellow, kBlack}));
}

class BgDrawTest : public StageDrawTest {
 protected:
  void Load(const std::string& script) {
    theme_test::WriteSolidPng(dir_ + "/normal.png", 100, 100, kBlue);
    theme_test::WriteSolidPng(dir_ + "/clear.png", 50, 50, kGreen);
    theme_test::WriteSolidPng(dir_ + "/bar.png", 60, 10, kRed);
    theme_test::WriteFile(dir_ + "/dancer_bg.ini", script);
    theme::LoadBgScript(dir_.c_str());
  }
  // The gauge reached the threshold of 80 at 20000 ms, the value below it at `below`.
  Pixels At(double now, double gauge, std::initializer_list<std::pair<int, int>> at, double below = 19000) {
    return Frame([&] { theme::DrawBgScript(theme::BgScriptClock{now, 0, 80, gauge, 20000, below}); }, at);
  }
};

TEST_F(BgDrawTest, ClearListTakesOverOnceFullyEntered) {
  Load("#BG_NAME(normal.png)\n#CLEAR_BG_NAME(clear.png)\n#POINT(200,200)\n#APPEAR_FADE_IN(0,3000)\n");
  EXPECT_EQ(At(21000, 79.9, {{10, 10}, {210, 210}}), Pixels({kBlue, kBlack}));
  // 1500 ms into the clear list: both, the clear list half in.
  Pixels p = At(21500, 85, {{10, 10}, {210, 210}});
  EXPECT_EQ(p[0], kBlue);
  EXPECT_RGB_NEAR(p[1], 0, 127, 0);
  // Fully entered: the normal list stops, until the gauge falls again.
  EXPECT_EQ(At(23000, 85, {{10, 10}, {210, 210}}), Pixels({kBlack, kGreen}));
  EXPECT_EQ(At(25000, 79, {{10, 10}, {210, 210}}), Pixels({kBlue, kBlack}));
  // Fallen back and risen only to the value below since: no clear list.
  EXPECT_EQ(At(25000, 85, {{10, 10}, {210, 210}}, 21000), Pixels({kBlue, kBlack}));
}

TEST_F(BgDrawTest, WithoutClearLayersTheNormalListStopsAtTheThreshold) {
  Load("#BG_NAME(normal.png)\n#POINT(5,5)\n");
  EXPECT_EQ(At(19999, 79, {{10, 10}}), Pixels({kBlue}));
  EXPECT_EQ(At(20000, 80, {{10, 10}}), Pixels({kBlack}));
}

TEST_F(BgDrawTest, RotatedAndAdditiveLayers) {
  Load("#BG_NAME(bar.png)\n#POINT(300,300)\n#ROTATE(4000)\n"
       "#BG_NAME(normal.png)\n#POINT(0,0)\n#ADD\n"
       "#BG_NAME(clear.png)\n#POINT(50,50)\n");
  // At a quarter turn the 60 x 10 bar stands upright about its centre (300, 300). The
  // additive blue layer adds to what is below; the green one covers it.
  EXPECT_EQ(At(1000, 0, {{300, 275}, {275, 300}, {60, 60}, {20, 20}}), Pixels({kRed, kBlack, kGreen, kBlue}));
}

}  // namespace
