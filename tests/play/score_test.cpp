// Score arithmetic, combo breaks, the soul gauge and its mood, and the per-pass stamps.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;

namespace {

class Scoring : public ::testing::Test {
 protected:
  void SetUp() override {
    ChartBuilder b;
    play::Play.playClock.store(5000.0);
  }
  int Added(int init, int diff, int combo, int kind, bool gogo, double factor) {
    play::Play.scoreInit = init;
    play::Play.scoreDiff = diff;
    play::Play.combo.store(combo);
    const int before = play::Play.score.load();
    play::AddScore(kind, gogo, factor);
    return play::Play.score.load() - before;
  }
};

struct ScoreCase {
  int init, diff, combo, kind;
  bool gogo;
  double factor;
  int added;
};

class ScoreTable : public Scoring, public ::testing::WithParamInterface<ScoreCase> {};

TEST_P(ScoreTable, Addition) {
  const ScoreCase& c = GetParam();
  EXPECT_EQ(Added(c.init, c.diff, c.combo, c.kind, c.gogo, c.factor), c.added);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, ScoreTable,
    ::testing::Values(
        // init 300, diff 80, combo 23 after this note
        ScoreCase{300, 80, 23, 1, false, 1.0, 460}, ScoreCase{300, 80, 23, 1, false, 0.5, 230},
        ScoreCase{300, 80, 23, 3, false, 1.0, 920}, ScoreCase{300, 80, 23, 3, false, 0.25, 230},
        // (the steps at the 10th and 100th notes of a combo are played out in ScoreInPlay)
        // gogo Great: (500 + 1000) x 1.2
        ScoreCase{500, 100, 150, 1, true, 1.0, 1800},
        // a Good at base 455: 227.5 -> 227 -> 220
        ScoreCase{455, 0, 1, 1, false, 0.5, 220},
        // rolls and balloon hits
        ScoreCase{0, 0, 0, 5, false, 1.0, 300}, ScoreCase{0, 0, 0, 5, true, 1.0, 360},
        ScoreCase{0, 0, 0, 6, false, 1.0, 360}, ScoreCase{0, 0, 0, 6, true, 1.0, 430},
        ScoreCase{0, 0, 0, 7, false, 1.0, 300}, ScoreCase{0, 0, 0, 7, true, 1.0, 360}));

TEST_F(Scoring, AbsurdParametersSaturateInsteadOfOverflowing) {
  play::Play.score.store(2147483000);
  Added(2000000000, 2000000000, 150, 3, true, 1.0);
  EXPECT_EQ(play::Play.score.load(), 2147483647);
}

TEST(ScoreInPlay, TenthAndHundredthNotesOfACombo) {
  ChartBuilder b;
  chart::TheChart.scoreInit = 300;
  chart::TheChart.scoreDiff = 80;
  for (int i = 0; i < 120; ++i) b.Note(chart::kNoteDon, 100.0 * i);
  play::SimResult r = Auto();
  auto added = [](int n) {  // points of the n-th note (1-based)
    return play::Play.popups[n - 1].score.load() - (n > 1 ? play::Play.popups[n - 2].score.load() : 0);
  };
  EXPECT_EQ(added(9), 300);
  EXPECT_EQ(added(10), 380);
  EXPECT_EQ(added(99), 1020);
  EXPECT_EQ(added(100), 1100);
  EXPECT_EQ(added(120), 1100);
  EXPECT_EQ(play::Play.popups[119].until.load(), 100.0 * 119 + 500.0);  // each shows for 500 ms
  EXPECT_EQ(r.maxCombo, 120);
}

TEST(Combo, BreakKeepsMaxComboAndClearsVoicesAndStamps) {
  ChartBuilder b;
  play::Play.combo.store(249);
  play::Play.playClock.store(100.0);
  play::StampCombo(100.0);
  for (int i = 0; i < 4; ++i) play::Play.comboVoicePlayed[i] = 1;
  play::ComboBreak();
  EXPECT_EQ(play::Play.combo.load(), 0);
  EXPECT_EQ(play::Play.maxCombo.load(), 249);
  EXPECT_EQ(play::Play.comboVoicePlayed[0], 0);  // 50
  EXPECT_EQ(play::Play.comboVoicePlayed[1], 0);  // 100
  EXPECT_EQ(play::Play.comboVoicePlayed[2], 0);  // 200
  EXPECT_EQ(play::Play.comboVoicePlayed[3], 1);  // 300 was not reached by this combo
  EXPECT_EQ(play::Play.comboStamps[249].set.load(), 0);
  EXPECT_EQ(play::Play.comboStamps[1].time.load(), play::kNeverPast);
}

TEST(Combo, StampsHoldTheMomentEachCountWasReached) {
  ChartBuilder b;
  for (int i = 0; i < 3; ++i) b.Note(chart::kNoteDon, 1000.0 * (i + 1));
  play::SimResult r = Auto();
  EXPECT_EQ(play::Play.comboStamps[1].time.load(), 1000.0);
  EXPECT_EQ(play::Play.comboStamps[3].time.load(), 3000.0);
  EXPECT_EQ(play::Play.comboStamps[4].set.load(), 0);
}

TEST(Combo, VoicesPlayOnceAndAgainAfterABreak) {
  ChartBuilder b;
  play::Play.combo.store(120);
  play::PlayComboVoices(0.0);
  EXPECT_EQ(play::Play.comboVoicePlayed[0], 1);
  EXPECT_EQ(play::Play.comboVoicePlayed[1], 1);
  EXPECT_EQ(play::Play.comboVoicePlayed[2], 0);
  play::ComboBreak();
  EXPECT_EQ(play::Play.comboVoicePlayed[0], 0);
  EXPECT_EQ(play::Play.comboVoicePlayed[1], 0);
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

TEST_F(Gauge, GreatAtTheTopLandsOnExactlyAHundredAndTurnsFull) {
  play::Play.gaugeNotes = 200;
  Set(99.9, play::kMoodCleared);
  play::GaugeGreatStep();
  EXPECT_EQ(play::Play.gauge.load(), 100.0);
  EXPECT_EQ(play::Play.mood.load(), play::kMoodFull);
  EXPECT_EQ(play::Play.previousMood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.fullTime.load(), 1234.0);
}

TEST_F(Gauge, StepSizes) {
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
}

TEST_F(Gauge, CrossingTheThresholdClears) {
  Set(79.0, play::kMoodNormal);
  play::GaugeGreatStep();
  EXPECT_EQ(play::Play.mood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.clearedTime.load(), 1234.0);
}

TEST_F(Gauge, MissMoodLastsUntilTheNextGreatOrGood) {
  Set(80.5, play::kMoodCleared);
  play::GaugeBadStep();  // 77.9, below the threshold
  EXPECT_EQ(play::Play.mood.load(), play::kMoodMiss);
  EXPECT_EQ(play::Play.previousMood.load(), play::kMoodCleared);
  play::Play.playClock.store(2000.0);
  play::GaugeGoodStep();  // 78.55: still below
  EXPECT_EQ(play::Play.mood.load(), play::kMoodNormal);
  EXPECT_EQ(play::Play.enteredNormalTime.load(), 2000.0);
  EXPECT_EQ(play::Play.lastMissMoodTime.load(), 2000.0);
  EXPECT_EQ(play::Play.clearedTime.load(), play::kNever);
}

TEST_F(Gauge, MissAboveTheThresholdReturnsToCleared) {
  Set(95.0, play::kMoodCleared);
  play::Play.clearedTime.store(100.0);
  play::GaugeBadStep();  // 92.4
  EXPECT_EQ(play::Play.mood.load(), play::kMoodMiss);
  play::GaugeGreatStep();
  EXPECT_EQ(play::Play.mood.load(), play::kMoodCleared);
  EXPECT_EQ(play::Play.clearedTime.load(), 100.0);  // it was cleared before the miss
}

TEST_F(Gauge, NoNotesNoStep) {
  play::Play.gaugeNotes = 0;
  Set(10.0, play::kMoodNormal);
  play::GaugeGreatStep();
  play::GaugeBadStep();
  EXPECT_EQ(play::Play.gauge.load(), 10.0);
  EXPECT_EQ(play::Play.mood.load(), play::kMoodNormal);
}

TEST_F(Gauge, StepStampsFollowTheWholePart) {
  const double untouched = play::Play.gaugeStepClock[0].load();
  play::Play.beatClock.store(77.0);
  Set(3.5, play::kMoodNormal);
  play::StampGaugeSteps(500.0);
  for (int v = 1; v <= 3; ++v) EXPECT_EQ(play::Play.gaugeStepClock[v].load(), 500.0) << v;
  EXPECT_EQ(play::Play.gaugeStepBeat[3].load(), 77.0);
  EXPECT_EQ(play::Play.gaugeStepClock[4].load(), untouched);
  Set(0.2, play::kMoodNormal);
  play::StampGaugeSteps(600.0);
  EXPECT_EQ(play::Play.gaugeStepClock[2].load(), 600.0);
  EXPECT_EQ(play::Play.gaugeStepClock[1].load(), 600.0);
  EXPECT_EQ(play::Play.gaugeStepClock[0].load(), untouched);  // value 0 is never stamped
  EXPECT_EQ(play::Play.gaugeStepClock[3].load(), 500.0);
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
