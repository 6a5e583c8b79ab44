// The background script: parsing dancer_bg.ini and the entrance and motion formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "theme/bg_script.h"
#include "theme_fixture.h"

namespace {

using theme::BgClearList;
using theme::BgNormalList;
using theme::BgSprite;

int g_nextImage = 0;
int FakeImage(const char*) { return 0x20000000 + g_nextImage++; }

class BgScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("theme-bgscript");
    g_nextImage = 0;
    theme::ClearBgScript();
  }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }
  void Load(const std::string& script) {
    theme_test::WriteFile(dir_ + "/dancer_bg.ini", script);
    theme::LoadBgScriptWith(dir_.c_str(), FakeImage);
  }
  BgSprite At(const theme::BgLayerList& list, int index, double t, bool* drawn = nullptr) {
    BgSprite s{};
    bool d = theme::EvaluateBgLayer(list, index, t, &s);
    if (drawn) *drawn = d;
    return s;
  }
  static int Alpha(const BgSprite& s) { return int(s.colour >> 24); }
  std::string dir_;
};

TEST_F(BgScriptTest, ReflectIsATriangleWave) {
  Load("#BG_NAME(a.png)\n#POINT(0,40)\n#MOVE_X_REFLECT(100,2000)\n");
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 0).x, 0.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 500).x, 50.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 1000).x, 100.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 1500).x, 50.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 2000).x, 0.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 500).y, 40.0);
}

struct BounceCase {
  const char* command;
  double x0, y0;       // before the entrance starts
  double x100, y100;   // at the end of phase 1 (T = 100)
  double x150, y150;   // halfway through phase 2
};
class BgBounceTest : public BgScriptTest, public ::testing::WithParamInterface<BounceCase> {};

TEST_P(BgBounceTest, EveryDirectionAndCurve) {
  const BounceCase& c = GetParam();
  Load(std::string("#BG_NAME(a.png)\n#POINT(100,200)\n") + c.command +
       "(0,100,200,300,40,10,5)\n");
  BgSprite s = At(BgNormalList, 0, -50);
  EXPECT_NEAR(s.x, c.x0, 1e-9);
  EXPECT_NEAR(s.y, c.y0, 1e-9);
  s = At(BgNormalList, 0, 100);
  EXPECT_NEAR(s.x, c.x100, 1e-9);
  EXPECT_NEAR(s.y, c.y100, 1e-9);
  s = At(BgNormalList, 0, 150);
  EXPECT_NEAR(s.x, c.x150, 1e-6);
  EXPECT_NEAR(s.y, c.y150, 1e-6);
  s = At(BgNormalList, 0, 300);
  EXPECT_NEAR(s.x, 100.0, 1e-9);
  EXPECT_NEAR(s.y, 200.0, 1e-9);
}

const double kHalfSin = std::sin(45.0 * 3.14159265358979323846 / 180.0);
INSTANTIATE_TEST_SUITE_P(
    Directions, BgBounceTest,
    ::testing::Values(
        BounceCase{"#APPEAR_BOUND_UP", 100, 235, 100, 195, 100, 200},
        BounceCase{"#APPEAR_BOUND_UP_SIN", 100, 235, 100, 195, 100, 195 + 10 * (1 - kHalfSin)},
        BounceCase{"#APPEAR_BOUND_UP_COS", 100, 235, 100, 195, 100, 195 + 10 * kHalfSin},
        BounceCase{"#APPEAR_BOUND_DOWN", 100, 165, 100, 205, 100, 200},
        BounceCase{"#APPEAR_BOUND_DOWN_SIN", 100, 165, 100, 205, 100, 205 - 10 * (1 - kHalfSin)},
        BounceCase{"#APPEAR_BOUND_RIGHT", 65, 200, 105, 200, 100, 200},
        BounceCase{"#APPEAR_BOUND_RIGHT_COS", 65, 200, 105, 200, 105 - 10 * kHalfSin, 200},
        BounceCase{"#APPEAR_BOUND_LEFT", 135, 200, 95, 200, 100, 200},
        BounceCase{"#APPEAR_BOUND_LEFT_SIN", 135, 200, 95, 200, 95 + 10 * (1 - kHalfSin), 200}),
    [](const ::testing::TestParamInfo<BounceCase>& i) { return std::string(i.param.command + 1); });

struct CommandCase {
  const char* line;
  int appear, motion, appear_end;
};
class BgCommandTest : public BgScriptTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(BgCommandTest, LongerNamesWinOverTheirPrefixes) {
  const CommandCase& c = GetParam();
  Load(std::string("#BG_NAME(a.png)\n") + c.line + "\n");
  ASSERT_EQ(BgNormalList.count, 1);
  EXPECT_EQ(BgNormalList.layers[0].appear_code, c.appear);
  EXPECT_EQ(BgNormalList.layers[0].motion_code, c.motion);
  EXPECT_EQ(BgNormalList.layers[0].appear_end, c.appear_end);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BgCommandTest,
    ::testing::Values(
        CommandCase{"#APPEAR_FLAME_CHANGE(3,900)", 18, 0, 900},
        CommandCase{"#APPEAR_FADE_IN_MOVE_X_LOOP(0,1500,0,10,100)", 15, 0, 1500},
        CommandCase{"#APPEAR_FADE_IN_MOVE_Y_LOOP(0,1600,0,10,100)", 16, 0, 1600},
        CommandCase{"#APPEAR_FADE_IN_ROTATE(0,1700.9,100)", 17, 0, 1700},
        CommandCase{"#APPEAR_FADE_IN(0,1800)", 2, 0, 1800},
        CommandCase{"#APPEAR_BOUND_DOWN_COS(0,1,2,3,4,5,6)", 7, 0, 3},
        CommandCase{"#APPEAR_BOUND_LEFT(0,1,2,4,4,5,6)", 14, 0, 4},
        CommandCase{"#NO_DRAW", 0, 1, theme::kBgNoAppearEnd},
        CommandCase{"#FLAME_CHANGE(3,300)", 0, 12, theme::kBgNoAppearEnd},
        CommandCase{"#BLINK_WAIT(0,255,500,500)", 0, 13, theme::kBgNoAppearEnd},
        CommandCase{"#BLINK(0,255,500)", 0, 2, theme::kBgNoAppearEnd},
        CommandCase{"#ROTATE(1000)", 0, 3, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_X_LOOP_BLINK(0,1,2,3,4,5)", 0, 6, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_Y_LOOP_BLINK(0,1,2,3,4,5)", 0, 7, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_X_LOOP_FLAME_CHANGE(0,1,2,3,4)", 0, 8, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_Y_LOOP_FLAME_CHANGE(0,1,2,3,4)", 0, 9, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_X_LOOP(0,1,2)", 0, 4, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_Y_LOOP(0,1,2)", 0, 5, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_X_REFLECT(1,2)", 0, 10, theme::kBgNoAppearEnd},
        CommandCase{"#MOVE_Y_REFLECT(1,2)", 0, 11, theme::kBgNoAppearEnd},
        // Not commands: a line that does not begin with '#', a commented-out command and a
        // command without its parentheses.
        CommandCase{"  #ROTATE(1000)", 0, 0, theme::kBgNoAppearEnd},
        CommandCase{"// #ROTATE(1000)", 0, 0, theme::kBgNoAppearEnd},
        CommandCase{"#ROTATE 1000", 0, 0, theme::kBgNoAppearEnd},
        CommandCase{"#ROTATE(1000", 0, 0, theme::kBgNoAppearEnd}));

TEST_F(BgScriptTest, LimitsAppliedByTheParser) {
  Load("#BG_NAME(a.png)\n#ROTATE(0)\n"
       "#BG_NAME(b.png)\n#BLINK(-20,300,1000)\n"
       "#BG_NAME(c.png)\n#MOVE_X_LOOP_BLINK(0,10,0,-5,999,0)\n"
       "#BG_NAME(d.png)\n#APPEAR_FADE_IN_ROTATE(0,100,0.5)\n"
       "#BG_NAME(e.png)\n#BLINK_WAIT(300,-1,0,0)\n");
  ASSERT_EQ(BgNormalList.count, 5);
  EXPECT_EQ(BgNormalList.layers[0].m[0], 1.0);  // period 0 -> 1 ms
  EXPECT_EQ(BgNormalList.layers[1].m[0], 0.0);
  EXPECT_EQ(BgNormalList.layers[1].m[1], 255.0);
  EXPECT_EQ(BgNormalList.layers[2].m[2], 1.0);
  EXPECT_EQ(BgNormalList.layers[2].m[3], 0.0);
  EXPECT_EQ(BgNormalList.layers[2].m[4], 255.0);
  EXPECT_EQ(BgNormalList.layers[3].a[2], 1.0);  // a period below 1 ms would divide by zero
  EXPECT_EQ(BgNormalList.layers[4].m[0], 255.0);
  EXPECT_EQ(BgNormalList.layers[4].m[1], 0.0);
  // Evaluating any of them at any time stays finite.
  for (int i = 0; i < 5; ++i)
    for (double t : {-1e9, -1.0, 0.0, 0.5, 777.0, 1e9}) {
      BgSprite s{};
      theme::EvaluateBgLayer(BgNormalList, i, t, &s);
      EXPECT_TRUE(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.angle));
    }
}

TEST_F(BgScriptTest, ArgumentsAndNamesAndComments) {
  Load("#BG_NAME(sub/x.png) // the first\n"
       "#POINT(abc 5, -3x, 7)\n"
       "#ADD\n"
       "#OFFSET(250)\n#COLOR_OFFSET(-100)\n"
       "; a comment line\n"
       "#CLEAR_BG_NAME(y.png)\n#POINT(,9)\n"
       "#MOVE_OFFSET(40)\n");
  ASSERT_EQ(BgNormalList.count, 1);
  ASSERT_EQ(BgClearList.count, 1);
  const theme::BgLayer& a = BgNormalList.layers[0];
  EXPECT_EQ(a.image, 0x20000000);
  EXPECT_EQ(a.x, 5.0);
  EXPECT_EQ(a.y, -3.0);
  EXPECT_EQ(a.additive, 1);
  EXPECT_EQ(a.move_offset, 250.0);
  EXPECT_EQ(a.blink_offset, -100.0);
  const theme::BgLayer& b = BgClearList.layers[0];
  EXPECT_EQ(b.image, 0x20000001);
  EXPECT_EQ(b.x, 9.0);  // the empty first argument is skipped: numbers are read in turn
  EXPECT_EQ(b.move_offset, 40.0);
  EXPECT_EQ(b.appear_end, theme::kBgNoAppearEnd);
  EXPECT_EQ(BgClearList.max_appear_end, 0);
}

TEST_F(BgScriptTest, ImagePathIsFolderAndName) {
  static std::string seen;
  Load("#BG_NAME(pic 1.png)\n");
  theme::LoadBgScriptWith(dir_.c_str(), [](const char* p) {
    seen = p;
    return -1;
  });
  EXPECT_EQ(seen, dir_ + "/pic 1.png");
  EXPECT_EQ(BgNormalList.layers[0].image, -1);
}

TEST_F(BgScriptTest, CommandsBeforeTheFirstLayerAndBeyondTheLimitAreIgnored) {
  std::string s = "#POINT(1,1)\n#ROTATE(100)\n";
  for (int i = 0; i < 100; ++i) s += "#BG_NAME(l" + std::to_string(i) + ".png)\n#POINT(" + std::to_string(i) + ",0)\n";
  s += "#BG_NAME(extra.png)\n#POINT(999,999)\n#ROTATE(5)\n";
  s += "#CLEAR_BG_NAME(c.png)\n#POINT(3,4)\n";
  Load(s);
  EXPECT_EQ(BgNormalList.count, theme::kBgMaxLayers);
  EXPECT_EQ(BgNormalList.layers[0].x, 0.0);
  EXPECT_EQ(BgNormalList.layers[99].x, 99.0);
  EXPECT_EQ(BgNormalList.layers[99].motion_code, 0);
  ASSERT_EQ(BgClearList.count, 1);
  EXPECT_EQ(BgClearList.layers[0].x, 3.0);
  EXPECT_EQ(g_nextImage, 101);  // the refused layer's image is never loaded
}

TEST_F(BgScriptTest, MissingFileLeavesBothListsEmpty) {
  theme::LoadBgScriptWith((dir_ + "/nothing").c_str(), FakeImage);
  EXPECT_EQ(BgNormalList.count, 0);
  EXPECT_EQ(BgClearList.count, 0);
  EXPECT_EQ(BgNormalList.layers[0].image, -1);
  EXPECT_EQ(BgNormalList.layers[0].appear_end, theme::kBgNoAppearEnd);
}

TEST_F(BgScriptTest, OverlongLinesAreCutNotSplit) {
  std::string tail(400, 'x');
  Load("#BG_NAME(a.png)\n#POINT(7,8)" + tail + "#ROTATE(100)\n#MOVE_X_LOOP(0,10,100)\n" +
       std::string(300, 'y') + "\n#BG_NAME(" + std::string(300, 'n') + ")\n");
  ASSERT_EQ(BgNormalList.count, 1);  // the name without its ')' within 255 bytes is ignored
  EXPECT_EQ(BgNormalList.layers[0].x, 7.0);
  EXPECT_EQ(BgNormalList.layers[0].motion_code, theme::kMotionMoveXLoop);
}

TEST_F(BgScriptTest, AbsurdNumbersStayFinite) {
  Load("#BG_NAME(a.png)\n#POINT(1e400,-inf)\n#MOVE_X_LOOP(1e300,-1e300,0.25)\n"
       "#BG_NAME(b.png)\n#APPEAR_BOUND_LEFT(5,5,5,5,1e308,1e308,1e308)\n"
       "#BG_NAME(c.png)\n#FLAME_CHANGE(1e300,-0.5)\n");
  for (int i = 0; i < BgNormalList.count; ++i)
    for (double t : {-1e12, 0.0, 5.0, 1e12}) {
      BgSprite s{};
      theme::EvaluateBgLayer(BgNormalList, i, t, &s);
      EXPECT_TRUE(std::isfinite(s.x) && std::isfinite(s.y));
    }
}

TEST_F(BgScriptTest, MotionFormulas) {
  Load("#BG_NAME(a.png)\n#POINT(10,20)\n#MOVE_X_LOOP(0,100,1000)\n#OFFSET(500)\n"
       "#BG_NAME(b.png)\n#ROTATE(1000)\n#OFFSET(500)\n"
       "#BG_NAME(c.png)\n#BLINK(0,255,1000)\n"
       "#BG_NAME(d.png)\n#BLINK_WAIT(0,255,1000,1000)\n"
       "#BG_NAME(e.png)\n#POINT(0,50)\n#MOVE_Y_LOOP_BLINK(0,-50,1000,100,100,1000)\n");
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 0).x, 60.0);    // the move offset shifts the sweep
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 250).x, 85.0);
  EXPECT_DOUBLE_EQ(At(BgNormalList, 0, 500).x, 10.0);  // restarts every period
  BgSprite r = At(BgNormalList, 1, 250);
  EXPECT_TRUE(r.rotated);
  EXPECT_DOUBLE_EQ(r.angle, 90.0);  // the move offset does not turn a rotation
  // The blink: sin(360 x (t - 180) / p); at t = 180 it is halfway.
  EXPECT_EQ(Alpha(At(BgNormalList, 2, 180)), 127);
  EXPECT_EQ(Alpha(At(BgNormalList, 2, 430)), 255);
  EXPECT_EQ(Alpha(At(BgNormalList, 3, 430)), 255);
  EXPECT_EQ(Alpha(At(BgNormalList, 3, 1500)), 0);  // the wait
  BgSprite e = At(BgNormalList, 4, 500);
  EXPECT_DOUBLE_EQ(e.y, 25.0);
  EXPECT_EQ(Alpha(e), 100);
}

TEST_F(BgScriptTest, FrameChangeShowsTheFollowingLayers) {
  Load("#BG_NAME(f0.png)\n#FLAME_CHANGE(3,300)\n"
       "#BG_NAME(f1.png)\n#NO_DRAW\n#BG_NAME(f2.png)\n#NO_DRAW\n"
       "#BG_NAME(g.png)\n#POINT(5,5)\n#FLAME_CHANGE(4,400)\n");
  bool drawn;
  EXPECT_EQ(At(BgNormalList, 0, 0).image, 0x20000000);
  EXPECT_EQ(At(BgNormalList, 0, 100).image, 0x20000001);
  EXPECT_EQ(At(BgNormalList, 0, 299).image, 0x20000002);
  EXPECT_EQ(At(BgNormalList, 0, 300).image, 0x20000000);
  At(BgNormalList, 1, 100, &drawn);
  EXPECT_FALSE(drawn);
  // The last layer has no layers after it: only frame 0 draws.
  EXPECT_EQ(At(BgNormalList, 3, 50, &drawn).image, 0x20000003);
  EXPECT_TRUE(drawn);
  At(BgNormalList, 3, 150, &drawn);
  EXPECT_FALSE(drawn);
}

TEST_F(BgScriptTest, ClearListTimeFollowsTheGaugeStamps) {
  theme::BgScriptClock c{};
  c.clear_threshold = 80;
  c.now = 10000;
  c.gauge = 79.9;
  c.threshold_time = 5000;
  c.below_threshold_time = 4000;
  double t = -1;
  EXPECT_FALSE(theme::ClearListTime(c, &t));
  c.gauge = 80.0;
  ASSERT_TRUE(theme::ClearListTime(c, &t));
  EXPECT_DOUBLE_EQ(t, 5000.0);
  c.below_threshold_time = 6000;  // fell back and rose only to the value below since
  EXPECT_FALSE(theme::ClearListTime(c, &t));
}

}  // namespace
