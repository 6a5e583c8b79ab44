// Charts checked by hand against the format rules, for the places where a reader is easily a
// little off: the automatic score search far from its target, line pieces and the bar lines
// that empty lines write.
#include <string>

#include "chart_test_util.h"

using namespace charttest;

namespace {

// ---- automatic score parameters ---------------------------------------------------------------

// The search exactly as written, round by round, with no shortcut.
void RoundByRoundSearch(int target, int& init, int& diff) {
  init = 10;
  diff = 10;
  if (chart::SimulateMaxScore(init, diff) >= target) return;
  for (int round = 0; round < 10000000; ++round) {  // bounded in case a chart can't reach it
    init += 10;
    for (int k = 0; k < 3; ++k) {
      if (chart::SimulateMaxScore(init + 10, diff) < target) init += 10;
    }
    if (chart::SimulateMaxScore(init, diff + 10) < target) diff += 10;
    if (chart::SimulateMaxScore(init, diff) >= target) return;
  }
  ADD_FAILURE() << "target " << target << " not reached";
}

struct SearchCase {
  const char* name;
  int course;
  const char* chart;
};
class FarTargetSearchTest : public ::testing::TestWithParam<SearchCase> {};

// Few notes and a high level need hundreds of thousands of rounds; the loader must still land
// on the very values of the round-by-round search, and reach the target.
TEST_P(FarTargetSearchTest, SameValuesAsTheRoundByRoundSearch) {
  const auto& c = Load(GetParam().chart, GetParam().course);
  int init, diff;
  RoundByRoundSearch(c.scoreTarget, init, diff);
  EXPECT_EQ(c.scoreInit, init);
  EXPECT_EQ(c.scoreDiff, diff);
  EXPECT_GE(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), c.scoreTarget);
}
INSTANTIATE_TEST_SUITE_P(
    Conformance, FarTargetSearchTest,
    ::testing::Values(
        SearchCase{"OneDonLevel40", chart::kCourseOni, "LEVEL:40\n#START\n1,\n#END\n"},
        SearchCase{"OneBigKatInGogoLevel60", chart::kCourseEdit,
                   "COURSE:Edit\nLEVEL:60\n#START\n#GOGOSTART\n4,\n#END\n"},
        SearchCase{"RollAndTwoNotesLevel45", chart::kCourseHard,
                   "COURSE:Hard\nLEVEL:45\n#START\n5008,\n12,\n#END\n"},
        SearchCase{"BalloonAndDonEasyLevel99", chart::kCourseEasy,
                   "COURSE:Easy\nLEVEL:99\nBALLOON:3\n#START\n7008,\n1,\n#END\n"},
        SearchCase{"TwelveNotesLevel30", chart::kCourseNormal,
                   "COURSE:Normal\nLEVEL:30\n#START\n1111,\n2222,\n3412,\n#END\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Conformance, OneDonAtLevelFortyByHand) {
  // Target (40 + 2) x 100000. Far from it each round adds 40 to init and 10 to diff; the
  // single don scores init, so init stops at the target itself.
  const auto& c = Load("LEVEL:40\n#START\n1,\n#END\n");
  EXPECT_EQ(c.scoreTarget, 4200000);
  EXPECT_EQ(c.scoreInit, 4200000);
  EXPECT_EQ(c.scoreDiff, 1050010);
  EXPECT_EQ(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), 4200000);
}

TEST(Conformance, TargetBeyondEveryScoreKeepsTenAndTen) {
  // One don can earn at most 2147483640 (the largest multiple of 10 in an int), below a target
  // clamped to the int range: no number of rounds reaches it.
  const auto& c = Load("LEVEL:2000000000\n#START\n1,\n#END\n");
  EXPECT_EQ(c.scoreInit, 10);
  EXPECT_EQ(c.scoreDiff, 10);
}

// ---- line pieces and empty lines ----------------------------------------------------------

TEST(Conformance, LineOfExactly999BytesIsFollowedByAnEmptyLine) {
  // 998 digits and a comma fill a piece; the LF left over reads as an empty note line, which
  // writes the bar line of the next measure although no digit follows.
  const auto& c = LoadBody(std::string(998, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 2);
  EXPECT_NEAR(c.barLines[1].time, 2000, 1e-6);  // 999 slots summed
  // One byte shorter: the LF ends the piece and there is no extra line.
  LoadBody(std::string(997, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 1);
}

TEST(Conformance, HeaderValueIsCutAtTheEndOfItsPiece) {
  // "BPM:" ends the first piece; its value column lies in that piece, which holds no number
  // there, so the BPM reads as 0. The "200" is a line of its own.
  const auto& c = Load(std::string(995, 'x') + "BPM:200\n#START\n#END\n");
  EXPECT_EQ(c.bpm, 0.0);
  EXPECT_EQ(c.bpmChanges[0].value, 0.0);
}

struct BarLineCase {
  const char* name;
  const char* body;
  int barLines;
  double lastBarLineMs;
};
class EmptyLineBarLineTest : public ::testing::TestWithParam<BarLineCase> {};

// Any note line read before a measure's first digit (re)writes its bar line, empty or not.
TEST_P(EmptyLineBarLineTest, BarLinesWrittenByNoteLines) {
  const auto& c = LoadBody(GetParam().body);
  ASSERT_EQ(BarLineCount(), GetParam().barLines);
  EXPECT_DOUBLE_EQ(c.barLines[GetParam().barLines - 1].time, GetParam().lastBarLineMs);
}
INSTANTIATE_TEST_SUITE_P(
    Conformance, EmptyLineBarLineTest,
    ::testing::Values(BarLineCase{"NoLineAfterTheLastComma", "1,\n", 1, 0},
                      BarLineCase{"EmptyLineAfterTheLastComma", "1,\n\n", 2, 2000},
                      BarLineCase{"CommentLineAfterTheLastComma", "1,\n// end\n", 2, 2000},
                      BarLineCase{"BlankCommandIsANoteLine", "1,\n #GOGOSTART\n", 2, 2000},
                      BarLineCase{"CommandLineWritesNone", "1,\n#GOGOSTART\n", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Conformance, BalloonContinuesAcrossRests) {
  // 707: the second 7 repeats the last record's type and continues the balloon.
  const auto& c = LoadBody("707,\n8,\n7,\n8,\n", "BALLOON:4,9\n");
  ASSERT_EQ(NoteCount(), 4);
  EXPECT_EQ(c.notes[0].balloonHits, 4);
  EXPECT_DOUBLE_EQ(c.notes[1].time, 2000);
  EXPECT_EQ(c.notes[2].balloonHits, 9);
}

}  // namespace
