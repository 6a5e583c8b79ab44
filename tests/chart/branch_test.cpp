#include <string>

#include "chart_test_util.h"

using namespace charttest;

namespace {

// Common measure, then a branch: #N two measures, #E three, #M one with a tempo change, then
// the common lane again.
const char* const kBranchBody =
    "1111,\n"
    "#BRANCHSTART p,80,90\n"
    "#N\n1000,\n1000,\n"
    "#E\n#GOGOSTART\n1010,\n1010,\n1010,\n"
    "#M\n#BPMCHANGE 240\n#SECTION\n1111,\n"
    "#BRANCHEND\n2,\n";

TEST(Branch, LanesAndClocks) {
  const auto& c = LoadBody(kBranchBody);
  EXPECT_TRUE(c.hasBranches);
  // Five bar lines of the branch plus the common ones before and after.
  ASSERT_EQ(BarLineCount(), 8);
  const double barTimes[] = {0, 2000, 4000, 2000, 4000, 6000, 2000, 6000};
  const int barLanes[] = {0, 1, 1, 2, 2, 2, 3, 0};
  const bool branchStart[] = {false, true, false, true, false, false, true, false};
  for (int i = 0; i < 8; ++i) {
    EXPECT_DOUBLE_EQ(c.barLines[i].time, barTimes[i]) << i;
    EXPECT_EQ(c.barLines[i].lane, barLanes[i]) << i;
    EXPECT_EQ(c.barLines[i].branchStart, branchStart[i]) << i;
  }
  // Each lane starts at the branch with the state of the snapshot: the expert lane's gogo
  // does not leak into the master lane. The common lane goes on with the state in force.
  ASSERT_EQ(NoteCount(), 4 + 2 + 6 + 4 + 1);
  EXPECT_EQ(c.notes[4].lane, 1);
  EXPECT_DOUBLE_EQ(c.notes[5].time, 4000);
  EXPECT_EQ(c.notes[6].lane, 2);
  EXPECT_TRUE(c.notes[6].gogo);
  EXPECT_DOUBLE_EQ(c.notes[11].time, 7000);
  EXPECT_EQ(c.notes[12].lane, 3);
  EXPECT_FALSE(c.notes[12].gogo);
  EXPECT_DOUBLE_EQ(c.notes[12].bpm, 240);
  EXPECT_DOUBLE_EQ(c.notes[15].time, 2750);
  // After #BRANCHEND the common lane continues on the normal lane's clock.
  EXPECT_EQ(c.notes[16].lane, 0);
  EXPECT_DOUBLE_EQ(c.notes[16].time, 6000);
  // Events carry their lane and their lane's clock.
  EXPECT_DOUBLE_EQ(c.gogoChanges[1].time, 2000);
  EXPECT_EQ(c.gogoChanges[1].lane, 2);
  EXPECT_DOUBLE_EQ(c.bpmChanges[1].time, 2000);
  EXPECT_EQ(c.bpmChanges[1].lane, 3);
  EXPECT_DOUBLE_EQ(c.sections[0].time, 2000);
  EXPECT_EQ(c.sections[0].lane, 3);
  EXPECT_EQ(c.sections[1].lane, -1);
  // The branch point: its condition, and its judgement at the start of the measure before.
  const auto& b = c.branchPoints[0];
  EXPECT_EQ(b.condition, chart::kConditionAccuracy);
  EXPECT_DOUBLE_EQ(b.expert, 80);
  EXPECT_DOUBLE_EQ(b.master, 90);
  EXPECT_DOUBLE_EQ(b.start, 2000);
  EXPECT_DOUBLE_EQ(b.judge, 0);
  EXPECT_EQ(c.branchPoints[1].condition, -1);
}

TEST(Branch, JudgeTimeBeforeTheFirstMeasure) {
  const auto& c = LoadBody("#BRANCHSTART r,5,10\n#N\n1,\n#E\n1,\n#M\n1,\n#BRANCHEND\n");
  EXPECT_DOUBLE_EQ(c.branchPoints[0].judge, -2000);  // one 4/4 measure at BPM 120
  EXPECT_DOUBLE_EQ(c.branchPoints[0].start, 0);
  LoadBody("1,\n1,\n1,\n#BRANCHSTART s,1,2\n");
  EXPECT_DOUBLE_EQ(chart::TheChart.branchPoints[0].judge, 4000);
  EXPECT_DOUBLE_EQ(chart::TheChart.branchPoints[0].start, 6000);
}

struct ConditionCase {
  const char* command;
  int condition;
  double expert;
  double master;
};
class BranchConditionTest : public ::testing::TestWithParam<ConditionCase> {};
TEST_P(BranchConditionTest, ConditionAndThresholds) {
  const auto& c = LoadBody(std::string(GetParam().command) + "\n1,\n");
  EXPECT_TRUE(c.hasBranches);
  const auto& b = c.branchPoints[0];
  EXPECT_EQ(b.condition, GetParam().condition);
  EXPECT_DOUBLE_EQ(b.expert, GetParam().expert);
  EXPECT_DOUBLE_EQ(b.master, GetParam().master);
}
INSTANTIATE_TEST_SUITE_P(
    Branch, BranchConditionTest,
    ::testing::Values(ConditionCase{"#BRANCHSTART r,10,20", 1, 10, 20},
                      ConditionCase{"#BRANCHSTART p, 72.5 , 95", 2, 72.5, 95},
                      ConditionCase{"#BRANCHSTART s,-5,300000", 3, -5, 300000},
                      ConditionCase{"#BRANCHSTART x p,1", 2, 1, 0},
                      ConditionCase{"#BRANCHSTART r", 1, 0, 0},
                      ConditionCase{"#BRANCHSTART", -1, 0, 0},
                      ConditionCase{"#BRANCHSTART p,7,", 2, 7, 0},
                      ConditionCase{"#BRANCHSTART p,,8", 2, 8, 0}));

TEST(Branch, LaneCommandBeforeAnyBranchStartKeepsTheState) {
  const auto& c = LoadBody("#BPMCHANGE 60\n#GOGOSTART\n#M\n1,\n#BRANCHEND\n1,\n");
  EXPECT_FALSE(c.hasBranches);
  EXPECT_EQ(c.notes[0].lane, 3);
  EXPECT_DOUBLE_EQ(c.notes[0].bpm, 60);
  EXPECT_TRUE(c.notes[0].gogo);
  EXPECT_TRUE(c.barLines[0].branchStart);
  // Only the master clock moved; the common lane goes on from the normal clock.
  EXPECT_DOUBLE_EQ(c.notes[1].time, 0);
}

TEST(Branch, RewrittenBarLineKeepsItsBranchStartFlag) {
  const auto& c = LoadBody("#BRANCHSTART p,1,2\n#N\n\n#SCROLL 2\n1,\n#BRANCHEND\n");
  EXPECT_TRUE(c.barLines[0].branchStart);
  EXPECT_DOUBLE_EQ(c.barLines[0].scroll, 2);
}

TEST(Branch, ShortFormsAndUnclosedBranches) {
  // "#EXAM" contains #E; a branch never closed ends with the body.
  const auto& c = LoadBody("#BRANCHSTART p,1,2\n#EXAM1\n1,\n#NEXT\n2,\n");
  EXPECT_EQ(c.notes[0].lane, 2);
  EXPECT_EQ(c.notes[1].lane, 1);
  EXPECT_DOUBLE_EQ(c.notes[1].time, 0);
}

}  // namespace
