#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "chart_test_util.h"

using namespace charttest;

namespace {

// ---- captions ---------------------------------------------------------------------------------

struct LabelCase {
  const char* name;
  const char* body;  // at BPM 120 a sixteenth of a 16-digit measure is 125 ms (15000)
  std::vector<int> labels;
};
class LabelTest : public ::testing::TestWithParam<LabelCase> {};
TEST_P(LabelTest, CaptionsFromTheRhythm) {
  LoadBody(GetParam().body);
  const auto& want = GetParam().labels;
  ASSERT_EQ(NoteCount(), static_cast<int>(want.size()));
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(chart::TheChart.notes[i].label, want[i]) << i;
}
INSTANTIATE_TEST_SUITE_P(
    Finish, LabelTest,
    ::testing::Values(
        LabelCase{"RunOfThree", "1000111000000000,\n", {2, 0, 1, 2}},
        LabelCase{"RunOfFour", "1000111100000000,\n", {2, 0, 0, 0, 2}},
        LabelCase{"EighthThenSixteenth", "1011000000000000,\n", {2, 0, 2}},
        LabelCase{"SixteenthThenEighth", "1101000000000000,\n", {0, 2, 2}},
        LabelCase{"EvenEighths", "1010101000000000,\n", {0, 0, 0, 2}},
        LabelCase{"Kats", "2222000020000000,\n", {3, 3, 3, 4, 4}},
        LabelCase{"KatEighthThenSixteenth", "2022000000000000,\n", {4, 3, 4}},
        LabelCase{"MiddleNeedsDonNeighbours", "1000211000000000,\n", {2, 3, 0, 2}},
        LabelCase{"OtherTypes", "3456,\n7890,\n", {5, 6, 7, 8, 10, -1, 0}}),
    [](const auto& info) { return info.param.name; });

// ---- totals -----------------------------------------------------------------------------------

TEST(Finish, TotalsPerLane) {
  const auto& c = LoadBody(
      "1200,\n#BRANCHSTART p,1,2\n#N\n3000,\n#E\n4400,\n#M\n1122,\n#BRANCHEND\n5008,\n");
  EXPECT_EQ(c.totals.notes, 2 + 1 + 2 + 4 + 2);
  EXPECT_EQ(c.totals.normal, 3);
  EXPECT_EQ(c.totals.expert, 4);
  EXPECT_EQ(c.totals.master, 6);
  EXPECT_EQ(c.totals.most, 6);
  EXPECT_DOUBLE_EQ(c.totals.lastNoteMs, 5500);
  LoadBody("");
  EXPECT_EQ(chart::TheChart.totals.notes, 0);
  EXPECT_DOUBLE_EQ(chart::TheChart.totals.lastNoteMs, 0);
  Load("#START\n#DELAY -5\n1,\n#END\n");
  EXPECT_DOUBLE_EQ(chart::TheChart.totals.lastNoteMs, 0);  // all notes before 0
}

// ---- score ------------------------------------------------------------------------------------

struct TargetCase {
  int course;
  int level;
  int target;
};
class ScoreTargetTest : public ::testing::TestWithParam<TargetCase> {};
TEST_P(ScoreTargetTest, FromCourseAndLevel) {
  EXPECT_EQ(chart::ScoreTarget(GetParam().course, GetParam().level), GetParam().target);
}
INSTANTIATE_TEST_SUITE_P(Finish, ScoreTargetTest,
                         ::testing::Values(TargetCase{3, 10, 1200000}, TargetCase{3, 9, 1100000},
                                           TargetCase{4, 10, 1200000}, TargetCase{4, 1, 700000},
                                           TargetCase{0, 1, 300000}, TargetCase{1, 5, 600000},
                                           TargetCase{2, 8, 900000}, TargetCase{3, 12, 1400000},
                                           TargetCase{3, 2000000000, 2147483647}));

TEST(Finish, SimulateMaxScoreByHand) {
  // Twelve dons, then in gogo a big don and a roll of 1500 ms, a balloon of 5 hits over
  // 2000 ms and a balloon of 100 hits over 1000 ms; lane 1 and 2 notes don't count.
  const auto& c = LoadBody(
      "111111111111,\n#GOGOSTART\n3,\n5008,\n#GOGOEND\n7,\n8,\n78,\n"
      "#BRANCHSTART p,1,2\n#N\n1111,\n#E\n1111,\n#M\n1,\n",
      "BALLOON:5,100\n");
  // 10 x 100 + 2 x 110 = 1220; big don 110 x 1.2 x 2 = 264 -> 260; roll 1500 x 3 x 1.2 = 5400;
  // balloon (5 x 300 + 4700) = 6200; fast balloon 1000 x 3 = 3000; master don 110.
  EXPECT_EQ(chart::SimulateMaxScore(100, 10), 1220 + 260 + 5400 + 6200 + 3000 + 110);
  // Combo 100 and more earn init + 10 x diff.
  LoadBody(std::string(105, '1') + ",\n");
  EXPECT_EQ(chart::SimulateMaxScore(100, 10), 10 * (100 + 110 + 120 + 130 + 140 + 150 + 160 +
                                                     170 + 180 + 190) + 5 * 200);
  (void)c;
}

TEST(Finish, ScoreParametersKeptOrComputed) {
  const std::string body = "#START\n" + std::string(64, '1') + ",\n#END\n";
  const auto& a = Load("SCOREINIT:1000\nLEVEL:9\n" + body);
  EXPECT_EQ(a.scoreInit, 1000);
  EXPECT_EQ(a.scoreDiff, 0);
  Load("SCOREINIT:500\nSCOREDIFF:100\n" + body);
  EXPECT_EQ(chart::TheChart.scoreInit, 500);
  EXPECT_EQ(chart::TheChart.scoreDiff, 100);
  const auto& b = Load("SCOREINIT:1000\nSCOREDIFF:-1\nLEVEL:9\n" + body);
  EXPECT_EQ(b.scoreTarget, 1100000);
  EXPECT_NE(b.scoreDiff, -1);
  EXPECT_GE(chart::SimulateMaxScore(b.scoreInit, b.scoreDiff), b.scoreTarget);
}

// The search written out round by round with the public SimulateMaxScore, with no shortcut:
// the loader must land on the same parameters and reach the target.
void ReferenceSearch(int target, int& init, int& diff) {
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
class AutomaticScoreTest : public ::testing::TestWithParam<SearchCase> {};
TEST_P(AutomaticScoreTest, MatchesTheSearchAndReachesTheTarget) {
  const auto& c = Load(GetParam().chart, GetParam().course);
  int init, diff;
  ReferenceSearch(c.scoreTarget, init, diff);
  EXPECT_EQ(c.scoreInit, init);
  EXPECT_EQ(c.scoreDiff, diff);
  EXPECT_GE(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), c.scoreTarget);
}
// The last five have few notes and a high level: hundreds of thousands of rounds, where a
// shortcut in the loader's search is easily a step off.
INSTANTIATE_TEST_SUITE_P(
    Finish, AutomaticScoreTest,
    ::testing::Values(
        SearchCase{"Mixed", chart::kCourseOni,
                   "LEVEL:9\n#START\n1111222211112222,\n3434,\n#GOGOSTART\n1212121212121212,\n#END\n"},
        SearchCase{"RollAndBalloon", chart::kCourseOni,
                   "LEVEL:2\n#START\n1010,\n1010,\n5008,\n7,\n8,\n#END\n"},
        SearchCase{"OneBigDonInGogo", chart::kCourseOni, "LEVEL:7\n#START\n#GOGOSTART\n3,\n#END\n"},
        SearchCase{"Branches", chart::kCourseOni,
                   "LEVEL:10\n#START\n#BRANCHSTART p,1,2\n#N\n1111,\n#E\n2222,\n#M\n11112222,\n#END\n"},
        SearchCase{"NegativeDiffIsComputed", chart::kCourseOni,
                   "SCOREDIFF:-5\nLEVEL:8\n#START\n1111111111111111,\n1111111111111111,\n"
                   "1111111111111111,\n1111111111111111,\n1111111111111111,\n1111111111111111,\n"
                   "1111111111111111,\n#GOGOSTART\n3333,\n#END\n"},
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

TEST(Finish, UnreachableTargetSettlesWithoutLooping) {
  // No don or kat on the common or master lane: the score can't grow.
  const auto& c = Load("LEVEL:10\n#START\n#BRANCHSTART p,1,2\n#E\n1111,\n#M\n5008,\n#END\n");
  EXPECT_EQ(c.scoreInit, 10);
  EXPECT_EQ(c.scoreDiff, 10);
  // An absurd level: one don earns at most 2147483640 (the largest multiple of 10 in an int),
  // below a target clamped to the int range. No number of rounds reaches it.
  const auto& d = Load("LEVEL:2000000000\n#START\n1,\n#END\n");
  EXPECT_EQ(d.scoreInit, 10);
  EXPECT_EQ(d.scoreDiff, 10);
}

// ---- debug dumps --------------------------------------------------------------------------------

const char kNoteHeader[] =
    "   \x8E\x9E\x8A\xD4    \x8E\xED\x97\xDE \x83R\x81[\x83X BPM   SCROLL GOGO \x91\xC5\x90\x94\n";

// Loads body, writes the dumps into a fresh folder and gives back file's text ("" when the
// dump was not written).
std::string Dump(const std::string& body, const std::string& file, const std::string& header = "") {
  std::string dir = TempPath("dumps");
  mkdir(dir.c_str(), 0755);
  LoadBody(body, header);
  chart::WriteDebugDumps(dir.c_str());
  std::string text = ReadFile(dir + "/" + file);
  for (const char* name : {"/note_info.txt", "/branch_info.txt"}) std::remove((dir + name).c_str());
  rmdir(dir.c_str());
  return text;
}

TEST(Finish, NoteDumpFormat) {
  EXPECT_EQ(Dump("#GOGOSTART\n#SCROLL 1.5\n1,\n#GOGOEND\n7,\n8,\n", "note_info.txt", "BALLOON:12\n"),
            std::string(kNoteHeader) +
                "     0.00   1     0   120.00  1.50   1    0\n"
                "  2000.00   7     0   120.00  1.50   0   12\n"
                "  4000.00   8     0   120.00  1.50   0    0\n");
  EXPECT_EQ(Dump("1,\n", "branch_info.txt"), "");  // no branches: no branch dump
  // The header again every fifty notes.
  std::string dump = Dump(std::string(120, '1') + ",\n", "note_info.txt");
  size_t headers = 0;
  for (size_t p = dump.find(kNoteHeader); p != std::string::npos; p = dump.find(kNoteHeader, p + 1)) {
    ++headers;
  }
  EXPECT_EQ(headers, 3u);
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 123);
}

TEST(Finish, BranchDumpFormat) {
  EXPECT_EQ(Dump("1,\n#BRANCHSTART p,80,90.5\n#N\n#SECTION\n1,\n#E\n1,\n#M\n1,\n", "branch_info.txt"),
            "   \x8E\x9E\x8A\xD4   \x83^\x83" "C\x83v  \x92l1      \x92l2\n"
            "  2000.00   2    80.00    90.50\n"
            "\n\n   \x8E\x9E\x8A\xD4   \x83R\x81[\x83X\n"
            "  2000.00   1\n");
}

TEST(Finish, LoadWritesDumpsOnlyInDebugMode) {
  std::string dir = TempPath("dumpcwd");
  mkdir(dir.c_str(), 0755);
  std::string chartPath = WriteFile("debug.tja", "#START\n1,\n#END\n");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  shell::DebugMode = false;
  chart::LoadChart(chartPath.c_str(), 3);
  EXPECT_NE(access("note_info.txt", F_OK), 0);
  shell::DebugMode = true;
  chart::LoadChart(chartPath.c_str(), 3);
  shell::DebugMode = false;
  EXPECT_EQ(access("note_info.txt", F_OK), 0);
  std::remove("note_info.txt");
  ASSERT_EQ(chdir(old), 0);
  rmdir(dir.c_str());
  std::remove(chartPath.c_str());
}

}  // namespace
