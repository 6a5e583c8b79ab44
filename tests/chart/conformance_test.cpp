// Charts checked by hand against the format rules, for the places where a reader is easily a
// little off: the automatic score search far from its target, line pieces and balloons.
#include <string>

#include "chart_test_util.h"

using namespace charttest;

namespace {

TEST(Conformance, OneDonAtLevelFortyByHand) {
  // Target (40 + 2) x 100000. Far from it each round adds 40 to init and 10 to diff; the
  // single don scores init, so init stops at the target itself.
  const auto& c = Load("LEVEL:40\n#START\n1,\n#END\n");
  EXPECT_EQ((I{c.scoreTarget, c.scoreInit, c.scoreDiff}), (I{4200000, 4200000, 1050010}));
  EXPECT_EQ(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), 4200000);
}

TEST(Conformance, LinePiecesOf999Bytes) {
  // 998 digits and a comma fill a piece; the LF left over reads as an empty note line, which
  // writes the bar line of the next measure although no digit follows (999 slots summed).
  LoadBody(std::string(998, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 2);
  EXPECT_NEAR(chart::TheChart.barLines[1].time, 2000, 1e-6);
  // One byte shorter: the LF ends the piece and there is no extra line.
  LoadBody(std::string(997, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 1);
  // "BPM:" ends the first piece; its value column lies in that piece, which holds no number
  // there, so the BPM reads as 0. The "200" is a line of its own.
  const auto& c = Load(std::string(995, 'x') + "BPM:200\n#START\n#END\n");
  EXPECT_EQ((D{c.bpm, c.bpmChanges[0].value}), (D{0, 0}));
}

TEST(Conformance, BalloonContinuesAcrossRests) {
  // 707: the second 7 repeats the last record's type and continues the balloon. The list is
  // used up in order; a balloon past its end takes 5 hits.
  LoadBody("707,\n8,\n7,\n8,\n7008,\n", "BALLOON:4,9\n");
  EXPECT_EQ(Notes(&chart::ChartNote::balloonHits), (I{4, 0, 9, 0, 5, 0}));
  EXPECT_DOUBLE_EQ(chart::TheChart.notes[1].time, 2000);
}

}  // namespace
