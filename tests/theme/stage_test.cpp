// Stage decorations: set selection, dancer.ini and chibi.ini, and the animation arithmetic
// that the drawing tests do not already show on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "theme/stage.h"
#include "theme/text_file.h"
#include "theme_fixture.h"

namespace {

using testsupport::MakeTempFolder;
using testsupport::RemoveTempFolder;
using theme_test::WriteFile;
using Numbers = std::vector<double>;

TEST(StageSetTest, CountingStopsAtTheFirstMissingNumberAndEveryNumberIsPicked) {
  std::string dir = MakeTempFolder("theme-stage");
  WriteFile(dir + "/Play/Bg/upper/bg_1_p1.png", "x");
  WriteFile(dir + "/Play/Bg/upper/bg_3_p1.png", "x");
  EXPECT_EQ(theme::CountNumberedSets(theme::FileExists, "%s/Play/Bg/upper/bg_%d_p1.png", dir.c_str()), 1);
  for (int n : {1, 2, 3, 5}) WriteFile(dir + "/Play/Dancer/" + std::to_string(n) + "/dancer.ini", "");
  EXPECT_EQ(theme::CountNumberedSets(theme::DirectoryExists, "%s/Play/Dancer/%d", dir.c_str()), 3);
  // A file of the folder's name is no folder.
  WriteFile(dir + "/Play/Bg/dancer_1", "");
  EXPECT_EQ(theme::CountNumberedSets(theme::DirectoryExists, "%s/Play/Bg/dancer_%d", dir.c_str()), 0);
  RemoveTempFolder(dir);
  int seen[4] = {};
  std::srand(7);
  for (int i = 0; i < 200; ++i) ++seen[std::clamp(theme::PickNumberedSet(3), 0, 3)];
  EXPECT_TRUE(seen[0] == 0 && seen[1] && seen[2] && seen[3]);
  EXPECT_EQ(std::pair(theme::PickNumberedSet(1), theme::PickNumberedSet(0)), std::pair(1, 0));
}

TEST(StageIniTest, DancerAndChibiKeysAndLists) {
  theme::DancerSet s;
  theme::ResetDancerSet(&s);
  for (const char* line : {"dance_x=10,-20", "dance_y=100 200 300 400 500 600 700", "dance_order=1,2,3,2 // four steps",
                           "dance_sort=3", "dance_interval=2.5", "appear_interval=1.5", "appear_pattern=1,0,1",
                           "appear_order=5,6", "dance_pattern=0", ";dance_sort=4"})
    theme::ParseDancerLine(line, &s);
  // There is no minus sign; a commented-out key is not read; frame numbers are 0-based.
  EXPECT_EQ(std::vector<int>({s.dance_x[0], s.dance_x[1], s.dance_y[4], s.dance_order_count, s.dance_order[0], s.dance_order[3],
                              s.sort_count, s.appear_pattern[2], s.appear_order_count, s.appear_order[1], s.dance_pattern}),
            std::vector<int>({10, 20, 500, 4, 0, 1, 3, 1, 2, 5, 0}));
  EXPECT_EQ(Numbers({s.dance_interval, s.appear_interval}), Numbers({2.5, 1.5}));
  // chibi.ini, with its keys as the themes spell them.
  theme::ChibiSet c;
  theme::ResetChibiSet(&c);
  for (const char* line : {"chibi_x=-30", "chibi_y=400", "chibi_sort=2", "chibi_x_pattern=2,0", "chibi_y_pattern=0,2",
                           "chibi_order=3,4", "chibi_interval=0.5", "chibi_appear_patern=1", "chibi_appear_flame=4"})
    theme::ParseChibiLine(line, &c);
  EXPECT_EQ(std::vector<int>({c.chibi_x, c.chibi_y, c.sort_count, c.x_pattern[0], c.x_pattern[1], c.y_pattern[1],
                              c.order_count, c.order[1], c.appear_pattern, c.appear_frame}),
            std::vector<int>({-30, 400, 2, 2, 0, 2, 2, 3, 1, 4}));
  EXPECT_EQ(c.interval, 0.5);
}

TEST(StageIniTest, BadDancerValuesStayWithinBounds) {
  theme::DancerSet s;
  theme::ResetDancerSet(&s);
  std::string order = "dance_order=";
  for (int i = 0; i < 250; ++i) order += std::to_string(i % 150) + ",";
  theme::ParseDancerLine(order.c_str(), &s);
  // Frame 0 is stored as -1: drawn as nothing. Sorts are held to 1 .. 5.
  std::vector<int> held = {s.dance_order_count, s.dance_order[0]};
  for (const char* line : {"dance_sort=0", "dance_sort=99"}) {
    theme::ParseDancerLine(line, &s);
    held.push_back(s.sort_count);
  }
  EXPECT_EQ(held, std::vector<int>({theme::kDanceOrderMax, -1, 1, 5}));
  theme::ParseDancerLine("dance_x=99999999999999999999", &s);
  EXPECT_GT(s.dance_x[0], 0);
  for (const char* line : {"dance_interval=nan", "dance_interval=1e999"}) {
    theme::ParseDancerLine(line, &s);
    EXPECT_TRUE(std::isfinite(s.dance_interval)) << line;
  }
  theme::ParseDancerLine("dance_order=", &s);
  EXPECT_EQ(s.dance_order_count, 0);
  EXPECT_EQ(theme::DanceFrame(s, 12345), s.dance_order[0]);
  s.dance_interval = 0.0;
  theme::ParseDancerLine("dance_order=1,2", &s);
  EXPECT_EQ(theme::DanceFrame(s, 5000), 0);
  // A file with an overlong line (the key beyond 999 bytes is cut away), and no file.
  std::string dir = MakeTempFolder("theme-dancerini");
  WriteFile(dir + "/dancer.ini", "dance_sort=2\r\n" + std::string(5000, 'z') + "dance_sort=5\r\ndance_x=" +
                                     std::string(3000, '7') + "\ndance_interval=8\n");
  theme::ResetDancerSet(&s);
  EXPECT_TRUE(theme::ReadDancerIni((dir + "/dancer.ini").c_str(), &s));
  EXPECT_EQ(std::pair(s.sort_count, s.dance_interval), std::pair(2, 8.0));
  EXPECT_FALSE(theme::ReadDancerIni((dir + "/none.ini").c_str(), &s));
  RemoveTempFolder(dir);
}

TEST(StageTimingTest, DancerSlotsAndDanceFrames) {
  // Quarters of the threshold, truncated (quarters of 80 are seen on the screen).
  EXPECT_EQ(std::vector<int>({theme::DancerSlotThreshold(70, 1), theme::DancerSlotThreshold(70, 3),
                              theme::DancerSlotThreshold(-40, 2)}), std::vector<int>({17, 52, 0}));
  EXPECT_GT(theme::DancerSlotThreshold(2147483647, 4), 100);  // no overflow, never reached
  // Four beats = 14400 units; each step of "1,2,3,2" a quarter of it.
  theme::DancerSet s;
  theme::ResetDancerSet(&s);
  theme::ParseDancerLine("dance_order=1,2,3,2", &s);
  std::vector<int> frames;
  for (double beat : {0, 3599, 3600, 7199, 7200, 10800, 14399, 14400, 18000}) frames.push_back(theme::DanceFrame(s, beat));
  EXPECT_EQ(frames, std::vector<int>({0, 0, 1, 1, 2, 1, 1, 0, 1}));
}

// Chibi poses as (x, y, frame) at a few moments.
std::vector<Numbers> Poses(const theme::ChibiSet& set, std::initializer_list<std::pair<int, double>> at) {
  std::vector<Numbers> poses;
  for (auto [sort, t] : at) {
    theme::ChibiPose p{};
    EXPECT_TRUE(theme::ChibiPoseAt(set, sort, t, &p)) << t;
    poses.push_back({std::round(p.x * 100) / 100, std::round(p.y * 100) / 100, double(p.frame)});
  }
  return poses;
}

TEST(ChibiPoseTest, EntranceWalkFramesAndPatterns) {
  // The entrance walks a hundred pixels over half a beat, level (y pattern 1).
  theme::ChibiSet s;
  theme::ResetChibiSet(&s);
  s.chibi_x = 20;
  s.chibi_y = 300;
  std::vector<Numbers> p = Poses(s, {{0, 0}, {0, 900}, {0, 1799}, {0, 1800}});
  EXPECT_EQ(Numbers({p[0][0], p[0][2], p[1][0], p[1][2], p[2][2], p[3][0], p[3][1]}), Numbers({20, 0, 70, 1, 2, 120, 300}));
  // (the walk after the entrance and the end after six beats are drawn in draw_test)
  theme::ResetChibiSet(&s);
  for (const char* line : {"chibi_order=2,3", "chibi_interval=1", "chibi_y_pattern=2,0", "chibi_x_pattern=1,2",
                           "chibi_appear_patern=1", "chibi_appear_flame=5"})
    theme::ParseChibiLine(line, &s);
  // The hop: sin(90 degrees) at t = 900, level again at 540 degrees; pattern 0 at t = 2300
  // walks 100 + 500 / 27 + 18 sin 115 degrees along.
  p = Poses(s, {{0, 900}, {0, 3600}, {0, 5400}, {1, 2300}});
  EXPECT_EQ(Numbers({p[0][1], p[0][2], p[1][2], p[2][1], p[2][2], p[3][1], p[3][0]}), Numbers({-35, 4, 1, 0, 2, 0, 134.83}));
}

TEST(UpperBackgroundTest, ScrollWrapsEveryPictureWidth) {
  // 44 px per second over a 320 px picture; the wrap is trunc(320 x 1000 / 44) = 7272 ms.
  Numbers scroll;
  for (auto [ms, w, speed] : {std::tuple{0.0, 320, 44}, {1000.0, 320, 44}, {7271.0, 320, 44}, {7272.0, 320, 44},
                              {5000.0, 320, 0}, {5000.0, -1, 44}, {5000.0, 1, 100000}})
    scroll.push_back(std::round(theme::UpperBackgroundScroll(ms, w, speed) * 1000) / 1000);
  EXPECT_EQ(scroll, Numbers({0, 44, 319.924, 0, 0, 0, 0}));
}

// The fiver figures: hidden until a full gauge, rising in on the beat, bouncing while full,
// sinking out when the gauge drops. a = (beat mod 3600) / 20 degrees.
TEST(FiverTest, StateMachineThroughAFullGaugeAndBack) {
  struct Step {
    int a;
    bool full, drawn;
    int state;
    double y;  // checked when drawn and not NaN
  };
  const double any = std::nan("");
  const Step steps[] = {
      {50, true, false, 0, any},    // waits
      {120, true, false, 1, any},   // starts moving
      {30, true, true, 1, 431},     // rising: 480 - trunc(100 sin 30), a hair under 50 in doubles
      {75, true, true, 2, any},     //
      {90, true, true, 2, 380},     // the top of the bounce
      {0, true, true, 2, 426},      //
      {100, false, true, 2, any},   // the gauge drops: up -> moving at the next a <= 90
      {10, false, true, 1, any},    //
      {150, false, true, 1, 456},   // sinking: 530 - trunc(150 sin 150 degrees), 74 as above
      {176, false, true, 0, any},   //
      {10, false, false, 0, any}};  //
  int state = 0;
  for (const Step& s : steps) {
    double y = any;
    EXPECT_EQ(theme::StepFiver(&state, 20 * s.a, s.full, 100, &y), s.drawn) << s.a;
    EXPECT_EQ(state, s.state) << s.a;
    EXPECT_TRUE(!s.drawn || std::isnan(s.y) || y == s.y) << s.a << ": " << y;
  }
  // Moving at the top of the beat goes straight up; past it, nothing is drawn and the state kept.
  double y = 0;
  state = 1;
  EXPECT_TRUE(theme::StepFiver(&state, 20 * 100, true, 80, &y));
  EXPECT_EQ(std::pair(state, y), std::pair(2, 401.0));  // 526 - trunc(46 sin 100 degrees) - 80
  state = 1;
  EXPECT_FALSE(theme::StepFiver(&state, 20 * 150, true, 80, &y));
  EXPECT_EQ(state, 1);
}

}  // namespace
