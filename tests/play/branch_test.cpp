// Branch selection, section resets, and tempo and gogo changes on lanes not played.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

// Ten lane-0 dons at 1000..3700, a branch judged at 4500 for the measure at 5000, and one
// don per branch lane at 5000 with its bar line.
struct AccuracyChart {
  int normal, expert, master;
  AccuracyChart(ChartBuilder& b, double expert_, double master_) {
    for (int i = 0; i < 10; ++i) b.Note(chart::kNoteDon, 1000.0 + 300 * i);
    b.Bar(0.0);
    for (int lane = 1; lane <= 3; ++lane) b.Bar(5000.0, lane);
    normal = b.Note(chart::kNoteDon, 5000.0, chart::kLaneNormal);
    expert = b.Note(chart::kNoteDon, 5000.0, chart::kLaneExpert);
    master = b.Note(chart::kNoteDon, 5000.0, chart::kLaneMaster);
    b.Branch(chart::kConditionAccuracy, expert_, master_, 5000.0, 4500.0);
  }
};

struct AccuracyCase {
  const char* name;
  int greats, goods, bads;
  int lane;
};

class Accuracy : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(Accuracy, PicksTheLane) {
  const AccuracyCase& c = GetParam();
  ChartBuilder b;
  AccuracyChart ch(b, 70, 90);
  std::vector<play::SimPress> presses;  // on time, 30 ms late (Good), 80 ms late (Bad)
  for (int i = 0; i < c.greats + c.goods + c.bads; ++i)
    presses.push_back(Press(1000.0 + 300 * i + (i < c.greats ? 0 : i < c.greats + c.goods ? 30 : 80), "F"));
  presses.push_back(Press(5000.0, "J"));
  SimResult r = PlayWith(presses);
  EXPECT_EQ(std::vector<int>({r.great, r.good, r.bad}), std::vector<int>({c.greats + 1, c.goods, c.bads}));
  EXPECT_EQ(Lanes(r), "4500:1>" + std::to_string(c.lane));
  EXPECT_EQ(std::vector<double>({play::Play.lastEvaluationTime, double(play::Play.currentLane), double(play::Play.laneBefore)}),
            std::vector<double>({4500, double(c.lane), chart::kLaneNormal}));
  // Only the chosen lane's note is played and its bar line shown.
  for (int lane = 1; lane <= 3; ++lane) {
    EXPECT_EQ(r.notes[(&ch.normal)[lane - 1]].state, lane == c.lane ? play::kNoteGreat : play::kNoteDead) << lane;
    EXPECT_EQ(play::BarLineLive(lane), lane == c.lane ? 1 : 0) << lane;
  }
  EXPECT_EQ(play::BarLineLive(0), 1);
}

INSTANTIATE_TEST_SUITE_P(Thresholds70And90, Accuracy,
                         ::testing::Values(AccuracyCase{"master90", 8, 2, 0, 3}, AccuracyCase{"expert70", 6, 2, 2, 2},
                                           AccuracyCase{"normal60", 6, 0, 4, 1}, AccuracyCase{"allGreat", 10, 0, 0, 3}),
                         [](const ::testing::TestParamInfo<AccuracyCase>& i) { return std::string(i.param.name); });

TEST(Branch, AccuracyWithNothingJudgedIsZero) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 3000.0, chart::kLaneMaster);
  b.Branch(chart::kConditionAccuracy, 0.5, 1.0, 3000.0, 2500.0);
  b.Branch(chart::kConditionAccuracy, -1.0, 0.0, 5000.0, 4500.0);
  EXPECT_EQ(Lanes(PlayWith({})), "2500:1>1 4500:1>3");  // a threshold of 0 is reached by 0
}

// Sections resetting the roll count on the common lane but not on another, the score
// condition and two branch points in one pass are played in the whole play "branches" of
// conformance_test.
TEST(Branch, BalloonHitsDoNotCountForTheRollCondition) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  b.Note(chart::kNoteBalloon, 2100.0, 0, false, 100);
  b.Note(chart::kNoteRollEnd, 2500.0);
  b.Branch(chart::kConditionRoll, 5, 10, 4000.0, 3000.0);
  std::vector<play::SimPress> presses;
  for (int i = 0; i < 4; ++i) presses.push_back(Press(1000.0 + 50 * i, "F", 20));
  for (int i = 0; i < 10; ++i) presses.push_back(Press(2150.0 + 30 * i, "F", 10));
  SimResult r = PlayWith(presses);
  EXPECT_EQ(std::pair(r.roll, r.notes[2].hits), std::pair(4, 10));
  EXPECT_EQ(Lanes(r), "3000:1>1");
}

// Branches start on the normal lane (a chart without them on the common lane); notes before
// the branch start keep their flags.
TEST(Branch, StartOnTheNormalLaneAndNotesBeforeTheStartKeepTheirFlags) {
  ChartBuilder plain;
  plain.Note(chart::kNoteDon, 1000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {}, &r);
  EXPECT_EQ(play::Play.currentLane.load(), chart::kLaneCommon);
  play::SimFinish(&r);
  ChartBuilder b;
  const int running = b.Note(chart::kNoteDon, 2900.0, chart::kLaneNormal);
  const int masterEarly = b.Note(chart::kNoteDon, 2950.0, chart::kLaneMaster);
  const int master = b.Note(chart::kNoteDon, 3000.0, chart::kLaneMaster);
  b.Branch(chart::kConditionAccuracy, -1, 0, 3000.0, 2500.0);
  play::SimBegin(play::SimOptions{true}, {}, &r);
  EXPECT_EQ(play::Play.currentLane.load(), chart::kLaneNormal);
  EXPECT_EQ(std::vector<int>({play::NoteLive(running), play::NoteLive(masterEarly)}), std::vector<int>({1, 0}));
  while (play::SimStep()) {
  }
  play::SimFinish(&r);
  EXPECT_EQ(std::vector<int>({r.notes[running].state, r.notes[masterEarly].state, r.notes[master].state}),
            std::vector<int>({play::kNoteGreat, play::kNoteDead, play::kNoteGreat}));
}

TEST(LaneEvents, TempoAndGogoOnLanesNotPlayed) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Bpm(240.0, 1000.0, chart::kLaneExpert);
  b.Bpm(180.0, 1200.0, chart::kLaneNormal);
  b.Gogo(true, 1000.0, chart::kLaneExpert);
  b.Gogo(true, 1500.0, chart::kLaneCommon);
  b.Gogo(false, 1400.0, chart::kLaneCommon);  // due in the same pass, but not later than 1500
  b.Branch(chart::kConditionAccuracy, -1, 200, 3000.0, 2000.0);  // to expert
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {}, &r);
  using V = std::vector<double>;
  auto at = [](double clock) {  // tempo, gogo and lane
    EXPECT_TRUE(play::SimRunUntil(clock));
    return V({play::Play.currentBpm, double(play::Play.gogo), double(play::Play.currentLane)});
  };
  EXPECT_EQ(at(1100.0), (V{120, 0, chart::kLaneNormal}));
  EXPECT_EQ(chart::TheChart.bpmChanges[1].fired, 1);
  EXPECT_EQ(at(1200.0), (V{180, 0, chart::kLaneNormal}));
  EXPECT_EQ(at(1500.0), (V{180, 1, chart::kLaneNormal}));
  EXPECT_EQ(play::Play.lastGogoTime.load(), 1500.0);
  // The expert tempo change was spent while the normal lane was played.
  EXPECT_EQ(at(3000.0), (V{180, 1, chart::kLaneExpert}));
  play::SimFinish(&r);
}

}  // namespace
