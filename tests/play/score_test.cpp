// Score arithmetic the whole plays do not reach, combo breaks, the soul gauge and its mood,
// and the per-pass stamps.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::GaugeBadStep, play::GaugeGoodStep, play::GaugeGreatStep;
using play::kMoodCleared, play::kMoodFull, play::kMoodMiss, play::kMoodNormal, play::kNever;

namespace {

struct ScoreCase {
  int start, init, diff, combo, kind;
  bool gogo;
  double factor;
  int after;
};
class ScoreTable : public ::testing::TestWithParam<ScoreCase> {};

// (Great and Good notes, combos at 10 and 100, big notes in gogo, roll, big roll in gogo and
// balloon hits are played out in conformance_test's whole plays.)
TEST_P(ScoreTable, Addition) {
  const ScoreCase& c = GetParam();
  ChartBuilder b;
  play::Play.score.store(c.start);
  play::Play.scoreInit = c.init;
  play::Play.scoreDiff = c.diff;
  play::Play.combo.store(c.combo);
  play::AddScore(c.kind, c.gogo, c.factor);
  EXPECT_EQ(play::Play.score.load(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, ScoreTable,
    ::testing::Values(ScoreCase{0, 300, 80, 23, 3, false, 0.25, 230},  // init 300, diff 80, combo 23
                      ScoreCase{0, 455, 0, 1, 1, false, 0.5, 220},     // a Good at 455: 227.5 -> 227 -> 220
                      ScoreCase{0, 500, 100, 150, 1, true, 1.0, 1800}, // gogo Great: (500 + 1000) x 1.2
                      ScoreCase{0, 0, 0, 0, 5, true, 1.0, 360},        // a roll hit in gogo
                      ScoreCase{0, 0, 0, 0, 6, false, 1.0, 360},       // a big roll hit
                      // absurd parameters saturate instead of overflowing
                      ScoreCase{2147483000, 2000000000, 2000000000, 150, 3, true, 1.0, 2147483647}));

// A combo of 120 at init 300, diff 80: the points of its 9th, 10th, 99th, 100th and 120th
// notes, each shown for 500 ms; the stamps hold the moment each count was reached; the voices
// of 50 and 100 have played once. A break keeps the best combo and clears the voices it
// reached (not 300's) and the stamps.
TEST(Combo, PointsStampsVoicesAndBreak) {
  ChartBuilder b;
  chart::TheChart.scoreInit = 300;
  chart::TheChart.scoreDiff = 80;
  for (int i = 0; i < 120; ++i) b.Note(chart::kNoteDon, 1000.0 + 100.0 * i);
  EXPECT_EQ(Auto().maxCombo, 120);
  const auto& popups = play::Play.popups;
  std::vector<int> added;
  for (int n : {9, 10, 99, 100, 120}) added.push_back(popups[n - 1].score.load() - popups[n - 2].score.load());
  EXPECT_EQ(added, std::vector<int>({300, 380, 1020, 1100, 1100}));
  const auto& stamps = play::Play.comboStamps;
  EXPECT_EQ((std::vector<double>{popups[119].until, stamps[1].time, stamps[120].time, double(stamps[121].set)}),
            (std::vector<double>{12900 + 500, 1000, 12900, 0}));
  int* voices = play::Play.comboVoicePlayed;
  EXPECT_EQ(std::vector<int>(voices, voices + 4), std::vector<int>({1, 1, 0, 0}));
  play::Play.combo.store(249);
  voices[2] = voices[3] = 1;
  play::StampCombo(100.0);
  play::ComboBreak();
  EXPECT_EQ(std::pair(play::Play.combo.load(), play::Play.maxCombo.load()), std::pair(0, 249));
  EXPECT_EQ(std::vector<int>(voices, voices + 4), std::vector<int>({0, 0, 0, 1}));
  EXPECT_EQ(std::pair(double(stamps[249].set), stamps[1].time.load()), std::pair(0.0, play::kNeverPast));
}

struct GaugeCase {
  int notes;
  double from;
  int mood;
  void (*step)();
  double after;
  int moodAfter;
};
class GaugeStep : public ::testing::TestWithParam<GaugeCase> {};

TEST_P(GaugeStep, SizeEndsAndMood) {
  const GaugeCase& c = GetParam();
  ChartBuilder b;
  play::Play.gaugeNotes = c.notes;
  play::Play.clearThreshold = 80;
  play::Play.gauge.store(c.from);
  play::Play.mood.store(c.mood);
  c.step();
  EXPECT_NEAR(play::Play.gauge.load(), c.after, 1e-9);
  EXPECT_EQ(play::Play.mood.load(), c.moodAfter);
}

// Of 100 notes: +1.3, +0.65, -2.6; the floor at 0, the top at exactly 100 (full), no steps
// without notes; crossing the threshold of 80 clears, a miss sets the miss mood, the next
// Great above the threshold returns to cleared and the next Great or Good below it to normal.
INSTANTIATE_TEST_SUITE_P(Steps, GaugeStep,
                         ::testing::Values(GaugeCase{100, 50.0, kMoodNormal, GaugeGreatStep, 51.3, kMoodNormal},
                                           GaugeCase{100, 50.0, kMoodNormal, GaugeGoodStep, 50.65, kMoodNormal},
                                           GaugeCase{100, 50.0, kMoodNormal, GaugeBadStep, 47.4, kMoodMiss},
                                           GaugeCase{100, 1.0, kMoodNormal, GaugeBadStep, 0.0, kMoodMiss},
                                           GaugeCase{200, 99.9, kMoodCleared, GaugeGreatStep, 100.0, kMoodFull},
                                           GaugeCase{0, 10.0, kMoodNormal, GaugeGreatStep, 10.0, kMoodNormal},
                                           GaugeCase{0, 10.0, kMoodNormal, GaugeBadStep, 10.0, kMoodNormal},
                                           GaugeCase{100, 79.0, kMoodNormal, GaugeGreatStep, 80.3, kMoodCleared},
                                           GaugeCase{100, 95.0, kMoodCleared, GaugeBadStep, 92.4, kMoodMiss},
                                           GaugeCase{100, 92.4, kMoodMiss, GaugeGreatStep, 93.7, kMoodCleared},
                                           GaugeCase{100, 78.0, kMoodMiss, GaugeGoodStep, 78.65, kMoodNormal}));

// The moments the soul's pictures follow: cleared when the threshold is crossed and kept
// through a miss above it, normal again after a miss below the threshold, which forgets the
// clearing, and full with the mood before it.
TEST(GaugeMood, Moments) {
  ChartBuilder b;
  play::Play.gaugeNotes = 100;
  play::Play.clearThreshold = 80;
  play::Play.gauge.store(79.0);
  const std::pair<double, void (*)()> steps[] = {{1000, GaugeGreatStep}, {2000, GaugeGreatStep}, {3000, GaugeGreatStep},
                                                 {4000, GaugeBadStep},   {5000, GaugeGreatStep}, {6000, GaugeBadStep}};
  for (const auto& [clock, step] : steps) {  // 80.3 81.6 82.9 80.3 (miss) 81.6 (cleared) 79.0 (miss)
    play::Play.playClock.store(clock);
    step();
  }
  EXPECT_EQ((std::vector<double>{play::Play.clearedTime, double(play::Play.mood), double(play::Play.previousMood)}),
            (std::vector<double>{1000, kMoodMiss, kMoodCleared}));
  play::Play.playClock.store(7000.0);
  GaugeGoodStep();
  EXPECT_EQ((std::vector<double>{play::Play.enteredNormalTime, play::Play.lastMissMoodTime, play::Play.clearedTime}),
            (std::vector<double>{7000, 7000, kNever}));
  play::Play.gauge.store(99.5);
  play::Play.mood.store(kMoodCleared);
  GaugeGreatStep();
  EXPECT_EQ(std::pair(play::Play.previousMood.load(), play::Play.fullTime.load()), std::pair(int(kMoodCleared), 7000.0));
}

TEST(GaugeStamps, StepStampsFollowTheWholePart) {
  ChartBuilder b;
  const double untouched = play::Play.gaugeStepClock[0].load();
  play::Play.beatClock.store(77.0);
  play::Play.gauge.store(3.5);
  play::StampGaugeSteps(500.0);
  play::Play.gauge.store(0.2);
  play::StampGaugeSteps(600.0);
  // 1 .. 3 stamped at 500, then 1 and 2 again at 600 on the way down; value 0 never.
  std::vector<double> clocks;
  for (int v = 0; v <= 4; ++v) clocks.push_back(play::Play.gaugeStepClock[v].load());
  EXPECT_EQ(clocks, std::vector<double>({untouched, 600, 600, 500, untouched}));
  EXPECT_EQ(play::Play.gaugeStepBeat[3].load(), 77.0);
}

TEST(GaugeInPlay, BranchedChartCountsTheLongestLane) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0, chart::kLaneCommon);
  b.Note(chart::kNoteDon, 2000.0, chart::kLaneNormal);
  for (int i = 0; i < 3; ++i) b.Note(chart::kNoteDon, 2000.0 + 100 * i, chart::kLaneMaster);
  b.Branch(chart::kConditionScore, 1e9, 1e9, 2000.0, 1500.0);
  play::SimResult r = Auto();
  EXPECT_EQ(play::Play.gaugeNotes, 4);
  EXPECT_DOUBLE_EQ(r.gauge, 2 * 130.0 / 4);
}

}  // namespace
