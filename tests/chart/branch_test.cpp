#include "chart_test_util.h"

using namespace charttest;
using chart::BarLine;
using chart::ChartNote;

namespace {

TEST(Branch, LanesAndClocks) {
  // Common measure, then a branch: #N two measures, #E three, #M one with a tempo change, then
  // the common lane again.
  const auto& c = LoadBody(
      "1111,\n#BRANCHSTART p,80,90\n#N\n1000,\n1000,\n#E\n#GOGOSTART\n1010,\n1010,\n1010,\n"
      "#M\n#BPMCHANGE 240\n#SECTION\n1111,\n#BRANCHEND\n2,\n");
  // Five bar lines of the branch plus the common ones before and after.
  EXPECT_EQ(Bars(&BarLine::time), (D{0, 2000, 4000, 2000, 4000, 6000, 2000, 6000}));
  EXPECT_EQ(Bars(&BarLine::lane), (I{0, 1, 1, 2, 2, 2, 3, 0}));
  EXPECT_EQ(Bars(&BarLine::branchStart), (std::vector<bool>{0, 1, 0, 1, 0, 0, 1, 0}));
  // Each lane starts at the branch with the state of the snapshot: the expert lane's gogo
  // does not leak into the master lane. After #BRANCHEND the common lane continues on the
  // normal lane's clock.
  EXPECT_EQ(Notes(&ChartNote::lane), (I{0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 0}));
  EXPECT_EQ(Notes(&ChartNote::time), (D{0, 500, 1000, 1500, 2000, 4000, 2000, 3000, 4000, 5000,
                                         6000, 7000, 2000, 2250, 2500, 2750, 6000}));
  EXPECT_EQ((D{double(c.hasBranches), double(c.notes[6].gogo), double(c.notes[12].gogo), c.notes[12].bpm}), (D{1, 1, 0, 240}));
  // Events carry their lane and their lane's clock.
  EXPECT_EQ((D{c.gogoChanges[1].time, c.bpmChanges[1].time, c.sections[0].time, double(c.gogoChanges[1].lane),
               double(c.bpmChanges[1].lane), double(c.sections[0].lane), double(c.sections[1].lane)}),
            (D{2000, 2000, 2000, 2, 3, 3, -1}));
  // The branch point: its condition, and its judgement at the start of the measure before.
  const auto& b = c.branchPoints[0];
  EXPECT_EQ((D{double(b.condition), b.expert, b.master, b.start, b.judge, double(c.branchPoints[1].condition)}),
            (D{chart::kConditionAccuracy, 80, 90, 2000, 0, -1}));
  // Judged a measure before the first one; and a branch three measures in.
  LoadBody("#BRANCHSTART r,5,10\n#N\n1,\n#E\n1,\n#M\n1,\n#BRANCHEND\n");
  EXPECT_EQ((D{c.branchPoints[0].judge, c.branchPoints[0].start}), (D{-2000, 0}));
  LoadBody("1,\n1,\n1,\n#BRANCHSTART s,1,2\n");
  EXPECT_EQ((D{c.branchPoints[0].judge, c.branchPoints[0].start}), (D{4000, 6000}));
}

// The condition and thresholds of a #BRANCHSTART line, odd ones included: "D" the condition,
// then the expert and master thresholds.
TEST(Branch, ConditionAndThresholds) {
  const std::pair<const char*, D> rows[] = {
      {"#BRANCHSTART r,10,20", {1, 10, 20}},  {"#BRANCHSTART p, 72.5 , 95", {2, 72.5, 95}},
      {"#BRANCHSTART s,-5,300000", {3, -5, 300000}}, {"#BRANCHSTART x p,1", {2, 1, 0}},
      {"#BRANCHSTART r", {1, 0, 0}},          {"#BRANCHSTART", {-1, 0, 0}},
      {"#BRANCHSTART p,7,", {2, 7, 0}},       {"#BRANCHSTART p,,8", {2, 8, 0}}};
  for (const auto& [command, expected] : rows) {
    const auto& b = LoadBody(std::string(command) + "\n1,\n").branchPoints[0];
    EXPECT_TRUE(chart::TheChart.hasBranches);
    EXPECT_EQ((D{double(b.condition), b.expert, b.master}), expected) << command;
  }
}

TEST(Branch, OddlyPlacedLaneCommands) {
  // A lane command before any #BRANCHSTART keeps the state; only the master clock moved.
  const auto& c = LoadBody("#BPMCHANGE 60\n#GOGOSTART\n#M\n1,\n#BRANCHEND\n1,\n");
  EXPECT_EQ((D{double(c.hasBranches), double(c.notes[0].lane), c.notes[0].bpm, double(c.notes[0].gogo),
               double(c.barLines[0].branchStart), c.notes[1].time}),
            (D{0, 3, 60, 1, 1, 0}));
  // A bar line rewritten by a later note line keeps its branch-start flag.
  LoadBody("#BRANCHSTART p,1,2\n#N\n\n#SCROLL 2\n1,\n#BRANCHEND\n");
  EXPECT_EQ((D{double(c.barLines[0].branchStart), c.barLines[0].scroll}), (D{1, 2}));
  // "#EXAM" contains #E; a branch never closed ends with the body.
  LoadBody("#BRANCHSTART p,1,2\n#EXAM1\n1,\n#NEXT\n2,\n");
  EXPECT_EQ(Notes(&ChartNote::lane), (I{2, 1}));
  EXPECT_DOUBLE_EQ(c.notes[1].time, 0);
}

}  // namespace
