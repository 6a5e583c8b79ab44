// The background script: parsing dancer_bg.ini and the entrance and motion formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "theme/bg_script.h"
#include "theme_fixture.h"

namespace {

using theme::BgClearList;
using theme::BgNormalList;
using theme::BgSprite;
using Numbers = std::vector<double>;

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
  // Layer `index` of the normal list at time t; its image is -1 when nothing is drawn.
  static BgSprite At(int index, double t) {
    BgSprite s{};
    if (!theme::EvaluateBgLayer(BgNormalList, index, t, &s)) s.image = -1;
    return s;
  }
  static Numbers Xs(int index, Numbers ts) {
    for (double& t : ts) t = At(index, t).x;
    return ts;
  }
  static int Alpha(const BgSprite& s) { return int(s.colour >> 24); }
  std::string dir_;
};

struct BounceCase {
  const char* command;
  double x0, y0, x100, y100, x150, y150;  // before the entrance, at T = 100 (end of phase 1), at 150
};
class BgBounceTest : public BgScriptTest, public ::testing::WithParamInterface<BounceCase> {};

TEST_P(BgBounceTest, EveryDirectionAndCurve) {
  const BounceCase& c = GetParam();
  Load(std::string("#BG_NAME(a.png)\n#POINT(100,200)\n") + c.command + "(0,100,200,300,40,10,5)\n");
  const double expected[4][3] = {{-50, c.x0, c.y0}, {100, c.x100, c.y100}, {150, c.x150, c.y150}, {300, 100, 200}};
  for (const auto& e : expected) {
    EXPECT_NEAR(At(0, e[0]).x, e[1], 1e-6) << e[0];
    EXPECT_NEAR(At(0, e[0]).y, e[2], 1e-6) << e[0];
  }
}

const double kHalfSin = std::sin(45.0 * 3.14159265358979323846 / 180.0);
INSTANTIATE_TEST_SUITE_P(
    Directions, BgBounceTest,
    ::testing::Values(BounceCase{"#APPEAR_BOUND_UP", 100, 235, 100, 195, 100, 200},
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
  const theme::BgLayer& l = BgNormalList.layers[0];
  EXPECT_EQ(std::vector<int>({l.appear_code, l.motion_code, l.appear_end}), std::vector<int>({c.appear, c.motion, c.appear_end}));
}

constexpr int kNone = theme::kBgNoAppearEnd;
INSTANTIATE_TEST_SUITE_P(
    Commands, BgCommandTest,
    ::testing::Values(CommandCase{"#APPEAR_FLAME_CHANGE(3,900)", 18, 0, 900},
                      CommandCase{"#APPEAR_FADE_IN_MOVE_X_LOOP(0,1500,0,10,100)", 15, 0, 1500},
                      CommandCase{"#APPEAR_FADE_IN_MOVE_Y_LOOP(0,1600,0,10,100)", 16, 0, 1600},
                      CommandCase{"#APPEAR_FADE_IN_ROTATE(0,1700.9,100)", 17, 0, 1700},
                      CommandCase{"#APPEAR_FADE_IN(0,1800)", 2, 0, 1800},
                      CommandCase{"#APPEAR_BOUND_DOWN_COS(0,1,2,3,4,5,6)", 7, 0, 3},
                      CommandCase{"#APPEAR_BOUND_LEFT(0,1,2,4,4,5,6)", 14, 0, 4},
                      CommandCase{"#NO_DRAW", 0, 1, kNone}, CommandCase{"#FLAME_CHANGE(3,300)", 0, 12, kNone},
                      CommandCase{"#BLINK_WAIT(0,255,500,500)", 0, 13, kNone}, CommandCase{"#BLINK(0,255,500)", 0, 2, kNone},
                      CommandCase{"#ROTATE(1000)", 0, 3, kNone}, CommandCase{"#MOVE_X_LOOP_BLINK(0,1,2,3,4,5)", 0, 6, kNone},
                      CommandCase{"#MOVE_Y_LOOP_BLINK(0,1,2,3,4,5)", 0, 7, kNone},
                      CommandCase{"#MOVE_X_LOOP_FLAME_CHANGE(0,1,2,3,4)", 0, 8, kNone},
                      CommandCase{"#MOVE_Y_LOOP_FLAME_CHANGE(0,1,2,3,4)", 0, 9, kNone},
                      CommandCase{"#MOVE_X_LOOP(0,1,2)", 0, 4, kNone}, CommandCase{"#MOVE_Y_LOOP(0,1,2)", 0, 5, kNone},
                      CommandCase{"#MOVE_X_REFLECT(1,2)", 0, 10, kNone}, CommandCase{"#MOVE_Y_REFLECT(1,2)", 0, 11, kNone},
                      // Not commands: a line that does not begin with '#', a commented-out
                      // command and a command without its parentheses.
                      CommandCase{"  #ROTATE(1000)", 0, 0, kNone}, CommandCase{"// #ROTATE(1000)", 0, 0, kNone},
                      CommandCase{"#ROTATE 1000", 0, 0, kNone}, CommandCase{"#ROTATE(1000", 0, 0, kNone}));

TEST_F(BgScriptTest, LimitsAppliedByTheParserKeepEveryLayerFinite) {
  Load("#BG_NAME(a.png)\n#ROTATE(0)\n"
       "#BG_NAME(b.png)\n#BLINK(-20,300,1000)\n"
       "#BG_NAME(c.png)\n#MOVE_X_LOOP_BLINK(0,10,0,-5,999,0)\n"
       "#BG_NAME(d.png)\n#APPEAR_FADE_IN_ROTATE(0,100,0.5)\n"
       "#BG_NAME(e.png)\n#BLINK_WAIT(300,-1,0,0)\n"
       "#BG_NAME(f.png)\n#POINT(1e400,-inf)\n#MOVE_X_LOOP(1e300,-1e300,0.25)\n"
       "#BG_NAME(g.png)\n#APPEAR_BOUND_LEFT(5,5,5,5,1e308,1e308,1e308)\n"
       "#BG_NAME(h.png)\n#FLAME_CHANGE(1e300,-0.5)\n");
  ASSERT_EQ(BgNormalList.count, 8);
  const theme::BgLayer* l = BgNormalList.layers;
  // A period of 0 becomes 1 ms (as does one below 1 ms, which would divide by zero); blink
  // alphas are held to 0 .. 255.
  EXPECT_EQ(Numbers({l[0].m[0], l[1].m[0], l[1].m[1], l[2].m[2], l[2].m[3], l[2].m[4], l[3].a[2], l[4].m[0], l[4].m[1]}),
            Numbers({1, 0, 255, 1, 0, 255, 1, 255, 0}));
  // Evaluating every layer at any time stays finite.
  for (int i = 0; i < BgNormalList.count; ++i)
    for (double t : {-1e12, -1e9, -1.0, 0.0, 0.5, 5.0, 777.0, 1e9, 1e12}) {
      BgSprite s = At(i, t);
      EXPECT_TRUE(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.angle)) << i << " at " << t;
    }
}

TEST_F(BgScriptTest, ArgumentsNamesCommentsAndOverlongLines) {
  Load("#BG_NAME(sub/x.png) // the first\n"
       "#POINT(abc 5, -3x, 7)" + std::string(400, 'x') + "#ROTATE(100)\n#ADD\n#OFFSET(250)\n#COLOR_OFFSET(-100)\n"
       "; a comment line\n" + std::string(300, 'y') + "\n#BG_NAME(" + std::string(300, 'n') + ")\n"
       "#CLEAR_BG_NAME(y.png)\n#POINT(,9)\n#MOVE_OFFSET(40)\n");
  // The name without its ')' within 255 bytes is no layer; the cut line is not split.
  ASSERT_EQ(BgNormalList.count, 1);
  ASSERT_EQ(BgClearList.count, 1);
  const theme::BgLayer &a = BgNormalList.layers[0], &b = BgClearList.layers[0];
  EXPECT_EQ(std::vector<int>({a.image, a.additive, a.motion_code, b.image, b.appear_end, BgClearList.max_appear_end}),
            std::vector<int>({0x20000000, 1, 0, 0x20000001, theme::kBgNoAppearEnd, 0}));
  // The empty first argument of b's point is skipped: numbers are read in turn.
  EXPECT_EQ(Numbers({a.x, a.y, a.move_offset, a.blink_offset, b.x, b.move_offset}), Numbers({5, -3, 250, -100, 9, 40}));
  // The picture's path is the script's folder and the name.
  static std::string seen;
  Load("#BG_NAME(pic 1.png)\n");
  theme::LoadBgScriptWith(dir_.c_str(), [](const char* p) {
    seen = p;
    return -1;
  });
  EXPECT_EQ(seen, dir_ + "/pic 1.png");
  EXPECT_EQ(BgNormalList.layers[0].image, -1);
  // No file: both lists empty.
  theme::LoadBgScriptWith((dir_ + "/nothing").c_str(), FakeImage);
  EXPECT_EQ(BgNormalList.count + BgClearList.count, 0);
  EXPECT_EQ(BgNormalList.layers[0].appear_end, theme::kBgNoAppearEnd);
}

TEST_F(BgScriptTest, CommandsBeforeTheFirstLayerAndBeyondTheLimitAreIgnored) {
  std::string s = "#POINT(1,1)\n#ROTATE(100)\n";
  for (int i = 0; i < 100; ++i) s += "#BG_NAME(l" + std::to_string(i) + ".png)\n#POINT(" + std::to_string(i) + ",0)\n";
  Load(s + "#BG_NAME(extra.png)\n#POINT(999,999)\n#ROTATE(5)\n#CLEAR_BG_NAME(c.png)\n#POINT(3,4)\n");
  // The refused layer's image is never loaded.
  EXPECT_EQ(std::vector<int>({BgNormalList.count, BgClearList.count, BgNormalList.layers[99].motion_code, g_nextImage}),
            std::vector<int>({theme::kBgMaxLayers, 1, 0, 101}));
  EXPECT_EQ(Numbers({BgNormalList.layers[0].x, BgNormalList.layers[99].x, BgClearList.layers[0].x}), Numbers({0, 99, 3}));
}

TEST_F(BgScriptTest, MotionFormulas) {
  Load("#BG_NAME(a.png)\n#POINT(10,20)\n#MOVE_X_LOOP(0,100,1000)\n#OFFSET(500)\n"
       "#BG_NAME(b.png)\n#ROTATE(1000)\n#OFFSET(500)\n"
       "#BG_NAME(c.png)\n#BLINK(0,255,1000)\n"
       "#BG_NAME(d.png)\n#BLINK_WAIT(0,255,1000,1000)\n"
       "#BG_NAME(e.png)\n#POINT(0,50)\n#MOVE_Y_LOOP_BLINK(0,-50,1000,100,100,1000)\n"
       "#BG_NAME(f.png)\n#POINT(0,40)\n#MOVE_X_REFLECT(100,2000)\n");
  // The move offset shifts the sweep, which restarts every period; a reflection is a
  // triangle wave.
  EXPECT_EQ(Xs(0, {0, 250, 500}), Numbers({60, 85, 10}));
  EXPECT_EQ(Xs(5, {0, 500, 1000, 1500, 2000}), Numbers({0, 50, 100, 50, 0}));
  // The move offset does not turn a rotation.
  EXPECT_EQ(Numbers({At(5, 500).y, double(At(1, 250).rotated), At(1, 250).angle}), Numbers({40, 1, 90}));
  // The blink: sin(360 x (t - 180) / p); at t = 180 it is halfway. Then the wait.
  EXPECT_EQ(std::vector<int>({Alpha(At(2, 180)), Alpha(At(2, 430)), Alpha(At(3, 430)), Alpha(At(3, 1500))}),
            std::vector<int>({127, 255, 255, 0}));
  EXPECT_EQ(std::pair(At(4, 500).y, Alpha(At(4, 500))), std::pair(25.0, 100));
}

TEST_F(BgScriptTest, FrameChangeShowsTheFollowingLayers) {
  Load("#BG_NAME(f0.png)\n#FLAME_CHANGE(3,300)\n"
       "#BG_NAME(f1.png)\n#NO_DRAW\n#BG_NAME(f2.png)\n#NO_DRAW\n"
       "#BG_NAME(g.png)\n#POINT(5,5)\n#FLAME_CHANGE(4,400)\n");
  // The last layer has no layers after it: only its frame 0 draws; -1 is nothing drawn.
  std::vector<int> images;
  for (auto [layer, t] : {std::pair{0, 0.0}, {0, 100.0}, {0, 299.0}, {0, 300.0}, {1, 100.0}, {3, 50.0}, {3, 150.0}})
    images.push_back(At(layer, t).image);
  EXPECT_EQ(images, std::vector<int>({0x20000000, 0x20000001, 0x20000002, 0x20000000, -1, 0x20000003, -1}));
}

}  // namespace
