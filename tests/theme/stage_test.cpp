// Stage decorations: set selection, dancer.ini and chibi.ini, and the animation arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "theme/stage.h"
#include "theme/text_file.h"
#include "theme_fixture.h"

namespace {

using testsupport::MakeTempFolder;
using testsupport::RemoveTempFolder;
using theme_test::WriteFile;

class StageSetTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempFolder("theme-stage"); }
  void TearDown() override { RemoveTempFolder(dir_); }
  std::string dir_;
};

TEST_F(StageSetTest, CountingStopsAtTheFirstMissingNumber) {
  WriteFile(dir_ + "/Play/Bg/upper/bg_1_p1.png", "x");
  WriteFile(dir_ + "/Play/Bg/upper/bg_3_p1.png", "x");
  int count = theme::CountNumberedSets(theme::FileExists, "%s/Play/Bg/upper/bg_%d_p1.png",
                                       dir_.c_str());
  EXPECT_EQ(count, 1);
  for (unsigned seed = 0; seed < 50; ++seed) {
    std::srand(seed);
    EXPECT_EQ(theme::PickNumberedSet(count), 1);
  }
  EXPECT_EQ(theme::PickNumberedSet(0), 0);
}

TEST_F(StageSetTest, FoldersCountAsSetsAndEveryNumberIsPicked) {
  for (int n = 1; n <= 3; ++n) WriteFile(dir_ + "/Play/Dancer/" + std::to_string(n) + "/dancer.ini", "");
  WriteFile(dir_ + "/Play/Dancer/5/dancer.ini", "");
  int count =
      theme::CountNumberedSets(theme::DirectoryExists, "%s/Play/Dancer/%d", dir_.c_str());
  EXPECT_EQ(count, 3);
  // A file of the folder's name is no folder.
  WriteFile(dir_ + "/Play/Bg/dancer_1", "");
  EXPECT_EQ(theme::CountNumberedSets(theme::DirectoryExists, "%s/Play/Bg/dancer_%d",
                                     dir_.c_str()),
            0);
  bool seen[4] = {};
  std::srand(7);
  for (int i = 0; i < 200; ++i) {
    int n = theme::PickNumberedSet(count);
    ASSERT_GE(n, 1);
    ASSERT_LE(n, 3);
    seen[n] = true;
  }
  EXPECT_TRUE(seen[1] && seen[2] && seen[3]);
}

TEST(DancerIniTest, KeysListsAndDefaults) {
  theme::DancerSet set;
  theme::ResetDancerSet(&set);
  EXPECT_EQ(set.sort_count, 1);
  EXPECT_EQ(set.dance_interval, 4.0);
  EXPECT_EQ(set.dance_order_count, 1);
  EXPECT_EQ(set.dance_pattern, 1);
  EXPECT_EQ(set.dance_images[4][99], -1);
  theme::ParseDancerLine("dance_x=10,-20", &set);
  EXPECT_EQ(set.dance_x[0], 10);
  EXPECT_EQ(set.dance_x[1], 20);  // there is no minus sign
  theme::ParseDancerLine("dance_y=100 200 300 400 500 600 700", &set);
  EXPECT_EQ(set.dance_y[4], 500);
  theme::ParseDancerLine("dance_order=1,2,3,2 // four steps", &set);
  EXPECT_EQ(set.dance_order_count, 4);
  EXPECT_EQ(set.dance_order[0], 0);
  EXPECT_EQ(set.dance_order[3], 1);
  theme::ParseDancerLine(";dance_sort=3", &set);
  EXPECT_EQ(set.sort_count, 1);
  theme::ParseDancerLine("dance_sort=3", &set);
  EXPECT_EQ(set.sort_count, 3);
  theme::ParseDancerLine("dance_interval=2.5", &set);
  EXPECT_EQ(set.dance_interval, 2.5);
  theme::ParseDancerLine("appear_interval=1.5", &set);
  EXPECT_EQ(set.appear_interval, 1.5);
  theme::ParseDancerLine("appear_pattern=1,0,1", &set);
  EXPECT_EQ(set.appear_pattern[2], 1);
  theme::ParseDancerLine("appear_order=5,6", &set);
  EXPECT_EQ(set.appear_order_count, 2);
  EXPECT_EQ(set.appear_order[1], 5);
  theme::ParseDancerLine("dance_pattern=0", &set);
  EXPECT_EQ(set.dance_pattern, 0);
}

TEST(DancerIniTest, BadValuesStayWithinBounds) {
  theme::DancerSet set;
  theme::ResetDancerSet(&set);
  std::string order = "dance_order=";
  for (int i = 0; i < 250; ++i) order += std::to_string(i % 150) + ",";
  theme::ParseDancerLine(order.c_str(), &set);
  EXPECT_EQ(set.dance_order_count, theme::kDanceOrderMax);
  EXPECT_EQ(set.dance_order[0], -1);  // frame 0 stored as -1: drawn as nothing
  theme::ParseDancerLine("dance_sort=0", &set);
  EXPECT_EQ(set.sort_count, 1);
  theme::ParseDancerLine("dance_sort=99", &set);
  EXPECT_EQ(set.sort_count, 5);
  theme::ParseDancerLine("dance_x=99999999999999999999", &set);
  EXPECT_GT(set.dance_x[0], 0);
  theme::ParseDancerLine("dance_interval=nan", &set);
  EXPECT_TRUE(std::isfinite(set.dance_interval));
  theme::ParseDancerLine("dance_interval=1e999", &set);
  EXPECT_TRUE(std::isfinite(set.dance_interval));
  theme::ParseDancerLine("dance_order=", &set);
  EXPECT_EQ(set.dance_order_count, 0);
  EXPECT_EQ(theme::DanceFrame(set, 12345), set.dance_order[0]);
  set.dance_interval = 0.0;
  theme::ParseDancerLine("dance_order=1,2", &set);
  EXPECT_EQ(theme::DanceFrame(set, 5000), 0);
}

TEST(DancerIniTest, FileWithOverlongLinesAndNoFile) {
  std::string dir = MakeTempFolder("theme-dancerini");
  std::string text = "dance_sort=2\r\n" + std::string(5000, 'z') + "dance_sort=5\r\n" +
                     "dance_x=" + std::string(3000, '7') + "\n" + "dance_interval=8\n";
  WriteFile(dir + "/dancer.ini", text);
  theme::DancerSet set;
  theme::ResetDancerSet(&set);
  EXPECT_TRUE(theme::ReadDancerIni((dir + "/dancer.ini").c_str(), &set));
  EXPECT_EQ(set.sort_count, 2);  // the key beyond 999 bytes was cut away
  EXPECT_EQ(set.dance_interval, 8.0);
  EXPECT_FALSE(theme::ReadDancerIni((dir + "/none.ini").c_str(), &set));
  RemoveTempFolder(dir);
}

TEST(ChibiIniTest, KeysAsSpelled) {
  theme::ChibiSet set;
  theme::ResetChibiSet(&set);
  EXPECT_EQ(set.x_pattern[3], 1);
  EXPECT_EQ(set.order_count, 0);
  const char* lines[] = {"chibi_x=-30", "chibi_y=400", "chibi_sort=2", "chibi_x_pattern=2,0",
                         "chibi_y_pattern=0,2", "chibi_order=3,4", "chibi_interval=0.5",
                         "chibi_appear_patern=1", "chibi_appear_flame=4"};
  for (const char* l : lines) theme::ParseChibiLine(l, &set);
  EXPECT_EQ(set.chibi_x, -30);
  EXPECT_EQ(set.chibi_y, 400);
  EXPECT_EQ(set.sort_count, 2);
  EXPECT_EQ(set.x_pattern[0], 2);
  EXPECT_EQ(set.x_pattern[1], 0);
  EXPECT_EQ(set.y_pattern[1], 2);
  EXPECT_EQ(set.order_count, 2);
  EXPECT_EQ(set.order[1], 3);
  EXPECT_EQ(set.interval, 0.5);
  EXPECT_EQ(set.appear_pattern, 1);
  EXPECT_EQ(set.appear_frame, 4);
}

TEST(DancerSlotTest, SlotsJoinAtQuartersOfTheThreshold) {
  // (quarters of 80 are seen on the screen in draw_test's DancersJoinAsTheGaugeRises)
  EXPECT_EQ(theme::DancerSlotThreshold(70, 1), 17);
  EXPECT_EQ(theme::DancerSlotThreshold(70, 3), 52);
  EXPECT_GT(theme::DancerSlotThreshold(2147483647, 4), 100);  // no overflow, never reached
  EXPECT_EQ(theme::DancerSlotThreshold(-40, 2), 0);
}

TEST(DancerSlotTest, DanceOrderStepsEvenlyThroughTheInterval) {
  theme::DancerSet set;
  theme::ResetDancerSet(&set);
  theme::ParseDancerLine("dance_order=1,2,3,2", &set);
  // Four beats = 14400 units; each step a quarter of it.
  const struct {
    double beat;
    int frame;
  } cases[] = {{0, 0},     {3599, 0},  {3600, 1},  {7199, 1},  {7200, 2},
               {10800, 1}, {14399, 1}, {14400, 0}, {18000, 1}};
  for (const auto& c : cases) EXPECT_EQ(theme::DanceFrame(set, c.beat), c.frame) << c.beat;
}

TEST(ChibiPoseTest, EntranceWalksAHundredPixelsOverHalfABeat) {
  theme::ChibiSet set;
  theme::ResetChibiSet(&set);
  set.chibi_x = 20;
  set.chibi_y = 300;
  theme::ChibiPose p;
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 0, &p));
  EXPECT_DOUBLE_EQ(p.x, 20.0);
  EXPECT_EQ(p.frame, 0);
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 900, &p));
  EXPECT_DOUBLE_EQ(p.x, 70.0);
  EXPECT_EQ(p.frame, 1);
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 1799, &p));
  EXPECT_EQ(p.frame, 2);
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 1800, &p));
  EXPECT_DOUBLE_EQ(p.x, 120.0);
  EXPECT_DOUBLE_EQ(p.y, 300.0);  // y pattern 1: level
  // (the walk after the entrance and the end after six beats are drawn in draw_test)
}

TEST(ChibiPoseTest, WalkFramesAndPatterns) {
  theme::ChibiSet set;
  theme::ResetChibiSet(&set);
  theme::ParseChibiLine("chibi_order=2,3", &set);
  theme::ParseChibiLine("chibi_interval=1", &set);
  theme::ParseChibiLine("chibi_y_pattern=2,0", &set);
  theme::ParseChibiLine("chibi_x_pattern=1,2", &set);
  theme::ParseChibiLine("chibi_appear_patern=1", &set);
  theme::ParseChibiLine("chibi_appear_flame=5", &set);
  theme::ChibiPose p;
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 900, &p));
  EXPECT_EQ(p.frame, 4);
  EXPECT_NEAR(p.y, -35.0, 1e-9);  // the hop: sin(90 degrees) at t = 900
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 3600, &p));
  EXPECT_EQ(p.frame, 1);
  ASSERT_TRUE(theme::ChibiPoseAt(set, 0, 5400, &p));
  EXPECT_EQ(p.frame, 2);
  EXPECT_NEAR(p.y, 0.0, 1e-9);  // the hop at 540 degrees: level again
  ASSERT_TRUE(theme::ChibiPoseAt(set, 1, 2300, &p));
  EXPECT_NEAR(p.y, 0.0, 1e-9);  // pattern 0 at t = 2300
  EXPECT_NEAR(p.x, 134.83, 0.01);  // 100 + 500 / 27 + 18 sin 115 degrees
}

TEST(UpperBackgroundTest, ScrollWrapsEveryPictureWidth) {
  // 44 px per second over a 320 px picture.
  EXPECT_DOUBLE_EQ(theme::UpperBackgroundScroll(0, 320, 44), 0.0);
  EXPECT_NEAR(theme::UpperBackgroundScroll(1000, 320, 44), 44.0, 1e-9);
  // The wrap is trunc(320 x 1000 / 44) = 7272 ms.
  EXPECT_NEAR(theme::UpperBackgroundScroll(7271, 320, 44), 319.924, 1e-9);
  EXPECT_NEAR(theme::UpperBackgroundScroll(7272, 320, 44), 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(theme::UpperBackgroundScroll(5000, 320, 0), 0.0);
  EXPECT_DOUBLE_EQ(theme::UpperBackgroundScroll(5000, -1, 44), 0.0);
  EXPECT_DOUBLE_EQ(theme::UpperBackgroundScroll(5000, 1, 100000), 0.0);
}

// The fiver figures: hidden until a full gauge, rising in on the beat, bouncing while full,
// sinking out when the gauge drops.
TEST(FiverTest, StateMachineThroughAFullGaugeAndBack) {
  int state = 0;
  double y = 0;
  const int h = 100;
  // a = (beat mod 3600) / 20 degrees.
  EXPECT_FALSE(theme::StepFiver(&state, 20 * 50, true, h, &y));  // a 50: waits
  EXPECT_EQ(state, 0);
  EXPECT_FALSE(theme::StepFiver(&state, 20 * 120, true, h, &y));  // a 120: starts moving
  EXPECT_EQ(state, 1);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 30, true, h, &y));  // rising into view
  // 480 - trunc(100 sin 30 degrees); the sine in doubles lies a hair under 0.5, so 49.
  EXPECT_DOUBLE_EQ(y, 431.0);
  EXPECT_EQ(state, 1);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 75, true, h, &y));
  EXPECT_EQ(state, 2);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 90, true, h, &y));
  EXPECT_DOUBLE_EQ(y, 380.0);  // the top of the bounce
  ASSERT_TRUE(theme::StepFiver(&state, 0, true, h, &y));
  EXPECT_DOUBLE_EQ(y, 426.0);
  // The gauge drops: up -> moving at the next a <= 90, then sinks.
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 100, false, h, &y));
  EXPECT_EQ(state, 2);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 10, false, h, &y));
  EXPECT_EQ(state, 1);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 150, false, h, &y));
  EXPECT_DOUBLE_EQ(y, 456.0);  // 530 - trunc(150 sin 150 degrees), 74 as above
  EXPECT_EQ(state, 1);
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 176, false, h, &y));
  EXPECT_EQ(state, 0);
  EXPECT_FALSE(theme::StepFiver(&state, 20 * 10, false, h, &y));
}

TEST(FiverTest, MovingAtTheTopOfTheBeatGoesStraightUp) {
  int state = 1;
  double y = 0;
  ASSERT_TRUE(theme::StepFiver(&state, 20 * 100, true, 80, &y));
  EXPECT_EQ(state, 2);
  EXPECT_DOUBLE_EQ(y, 401.0);  // 526 - trunc(46 sin 100 degrees) - 80
  state = 1;
  EXPECT_FALSE(theme::StepFiver(&state, 20 * 150, true, 80, &y));  // nothing, state kept
  EXPECT_EQ(state, 1);
}

}  // namespace
