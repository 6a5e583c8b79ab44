// Score arithmetic the whole plays do not reach, combo breaks, the soul gauge and its mood,
// and the per-pass stamps.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;

namespace {

struct ScoreCase {
  int init, diff, combo, kind;
  bool gogo;
  double factor;
  int added;
};
class ScoreTable : public ::testing::TestWithParam<ScoreCase> {};

// (Great and Good notes, combos at 10 and 100, big notes in gogo, roll, big roll in gogo and
// balloon hits are played out in conformance_test's whole plays.)
TEST_P(ScoreTable, Addition) {
  const ScoreCase& c = GetParam();
  ChartBuilder b;
  play::Play.playClock.store(5000.0);
  play::Play.scoreInit = c.init;
  play::Play.scoreDiff = c.diff;
  play::Play.combo.store(c.combo);
  play::AddScore(c.kind, c.gogo, c.factor);
  EXPECT_EQ(play::Play.score.load(), c.added);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, ScoreTable,
    ::testing::Values(ScoreCase{300, 80, 23, 3, false, 0.25, 230},  // init 300, diff 80, combo 23
                      ScoreCase{455, 0, 1, 1, false, 0.5, 220},     // a Good at 455: 227.5 -> 227 -> 220
                      ScoreCase{500, 100, 150, 1, true, 1.0, 1800}, // gogo Great: (500 + 1000) x 1.2
                      ScoreCase{0, 0, 0, 5, true, 1.0, 360},        // a roll hit in gogo
                      ScoreCase{0, 0, 0, 6, false, 1.0, 360}));     // a big roll hit

TEST(Score, AbsurdParametersSaturateInsteadOfOverflowing) {
  ChartBuilder b;
  play::Play.score.store(2147483000);
  play::Play.scoreInit = play::Play.scoreDiff = 2000000000;
  play::Play.combo.store(150);
  play::AddScore(3, true, 1.0);
  EXPECT_EQ(play::Play.score.load(), 2147483647);
}

TEST(ScoreInPlay, TenthAndHundredthNotesOfACombo) {
  ChartBuilder b;
  chart::TheChart.scoreInit = 300;
  chart::TheChart.scoreDiff = 80;
  for (int i = 0; i < 120; ++i) b.Note(chart::kNoteDon, 100.0 * i);
  EXPECT_EQ(Auto().maxCombo, 120);
  std::vector<int> added;  // points of the 9th, 10th, 99th, 100th and 120th notes
  for (int n : {9, 10, 99, 100, 120}) added.push_back(play::Play.popups[n - 1].score.load() - play::Play.popups[n - 2].score.load());
  EXPECT_EQ(added, std::vector<int>({300, 380, 1020, 1100, 1100}));
  EXPECT_EQ(play::Play.popups[119].until.load(), 100.0 * 119 + 500.0);  // each shows for 500 ms
}

TEST(Combo, StampsVoicesAndBreaks) {
  ChartBuilder b;
  for (int i = 0; i < 3; ++i) b.Note(chart::kNoteDon, 1000.0 * (i + 1));
  Auto();
  // The stamps hold the moment each count was reached.
  EXPECT_EQ(play::Play.comboStamps[1].time.load(), 1000.0);
  EXPECT_EQ(play::Play.comboStamps[3].time.load(), 3000.0);
  EXPECT_EQ(play::Play.comboStamps[4].set.load(), 0);
  // The voices of 50 and 100 play once; a break keeps the best combo and clears the voices
  // it reached (not 300's) and the stamps.
  play::Play.combo.store(120);
  play::PlayComboVoices(0.0);
  EXPECT_EQ(std::vector<int>(play::Play.comboVoicePlayed, play::Play.comboVoicePlayed + 4), std::vector<int>({1, 1, 0, 0}));
  play::Play.combo.store(249);
  play::Play.comboVoicePlayed[2] = play::Play.comboVoicePlayed[3] = 1;
  play::StampCombo(100.0);
  play::ComboBreak();
  EXPECT_EQ(play::Play.combo.load(), 0);
  EXPECT_EQ(play::Play.maxCombo.load(), 249);
  EXPECT_EQ(std::vector<int>(play::Play.comboVoicePlayed, play::Play.comboVoicePlayed + 4), std::vector<int>({0, 0, 0, 1}));
  EXPECT_EQ(play::Play.comboStamps[249].set.load(), 0);
  EXPECT_EQ(play::Play.comboStamps[1].time.load(), play::kNeverPast);
}

class Gauge : public ::testing::Test {
 protected:
  void SetUp() override {
    ChartBuilder b;
    play::Play.gaugeNotes = 100;
    play::Play.clearThreshold = 80;
    play::Play.playClock.store(1234.0);
  }
  void Set(double gauge, int mood) {
    play::Play.gauge.store(gauge);
    play::Play.mood.store(mood);
  }
};

// Step sizes (of 100 notes: +1.3, +0.65, -2.6), the floor at 0, the top at exactly 100 (full),
// and no steps without notes.
TEST_F(Gauge, StepSizesAndEnds) {
  Set(50.0, play::kMoodNormal);
  play::GaugeGreatStep();
  EXPECT_DOUBLE_EQ(play::Play.gauge.load(), 51.3);
  play::GaugeGoodStep();
  EXPECT_DOUBLE_EQ(play::Play.gauge.load(), 51.95);
  play::GaugeBadStep();
  EXPECT_DOUBLE_EQ(play::Play.gauge.load(), 49.35);
  Set(1.0, play::kMoodNormal);
  play::GaugeBadStep();
  EXPECT_EQ(play::Play.gauge.load(), 0.0);
  play::Play.gaugeNotes = 200;
  Set(99.9, play::kMoodCleared);
  play::GaugeGreatStep();
  EXPECT_EQ(play::Play.gauge.load(), 100.0);
  EXPECT_EQ(play::Play.mood.load(), play::kMoodFull);
  EXPECT_EQ(play::Play.previousMood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.fullTime.load(), 1234.0);
  play::Play.gaugeNotes = 0;
  Set(10.0, play::kMoodNormal);
  play::GaugeGreatStep();
  play::GaugeBadStep();
  EXPECT_EQ(play::Play.gauge.load(), 10.0);
  EXPECT_EQ(play::Play.mood.load(), play::kMoodNormal);
}

TEST_F(Gauge, MoodsClearMissAndReturn) {
  Set(79.0, play::kMoodNormal);
  play::GaugeGreatStep();  // crossing the threshold clears
  EXPECT_EQ(play::Play.mood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.clearedTime.load(), 1234.0);
  // A miss above the threshold returns to cleared at the next Great, cleared as before.
  play::Play.clearedTime.store(100.0);
  Set(95.0, play::kMoodCleared);
  play::GaugeBadStep();  // 92.4
  EXPECT_EQ(play::Play.mood.load(), play::kMoodMiss);
  play::GaugeGreatStep();
  EXPECT_EQ(play::Play.mood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.clearedTime.load(), 100.0);
  // Below the threshold the miss mood lasts until the next Great or Good: then normal.
  Set(80.5, play::kMoodCleared);
  play::GaugeBadStep();  // 77.9
  EXPECT_EQ(play::Play.mood.load(), play::kMoodMiss);
  EXPECT_EQ(play::Play.previousMood.load(), play::kMoodCleared);
  play::Play.playClock.store(2000.0);
  play::GaugeGoodStep();  // 78.55
  EXPECT_EQ(play::Play.mood.load(), play::kMoodNormal);
  EXPECT_EQ(play::Play.enteredNormalTime.load(), 2000.0);
  EXPECT_EQ(play::Play.lastMissMoodTime.load(), 2000.0);
  EXPECT_EQ(play::Play.clearedTime.load(), play::kNever);
}

TEST_F(Gauge, StepStampsFollowTheWholePart) {
  const double untouched = play::Play.gaugeStepClock[0].load();
  play::Play.beatClock.store(77.0);
  Set(3.5, play::kMoodNormal);
  play::StampGaugeSteps(500.0);
  Set(0.2, play::kMoodNormal);
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
