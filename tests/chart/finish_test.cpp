#include <algorithm>
#include <filesystem>

#include "chart_test_util.h"

using namespace charttest;
using chart::ChartNote;

namespace {

// ---- captions and totals ----------------------------------------------------------------------

// Captions from the rhythm (at BPM 120 a sixteenth of a 16-digit measure is 125 ms): runs of
// three and four, an eighth then a sixteenth and the other way round, even eighths, kats, a
// kat eighth then sixteenth, a middle note needing don neighbours, and the other types.
TEST(Finish, CaptionsFromTheRhythm) {
  const std::pair<const char*, I> rows[] = {
      {"1000111000000000,\n", {2, 0, 1, 2}}, {"1000111100000000,\n", {2, 0, 0, 0, 2}},
      {"1011000000000000,\n", {2, 0, 2}},    {"1101000000000000,\n", {0, 2, 2}},
      {"1010101000000000,\n", {0, 0, 0, 2}}, {"2222000020000000,\n", {3, 3, 3, 4, 4}},
      {"2022000000000000,\n", {4, 3, 4}},    {"1000211000000000,\n", {2, 3, 0, 2}},
      {"3456,\n7890,\n", {5, 6, 7, 8, 10, -1, 0}}};
  for (const auto& [body, labels] : rows) {
    LoadBody(body);
    EXPECT_EQ(Notes(&ChartNote::label), labels) << body;
  }
}

TEST(Finish, TotalsPerLane) {
  const auto& c = LoadBody(
      "1200,\n#BRANCHSTART p,1,2\n#N\n3000,\n#E\n4400,\n#M\n1122,\n#BRANCHEND\n5008,\n");
  const auto& t = c.totals;
  EXPECT_EQ((D{double(t.notes), double(t.normal), double(t.expert), double(t.master), double(t.most), t.lastNoteMs}),
            (D{11, 3, 4, 6, 6, 5500}));
  Load("#START\n#DELAY -5\n1,\n#END\n");
  EXPECT_DOUBLE_EQ(t.lastNoteMs, 0);  // all notes before 0
}

// ---- score ------------------------------------------------------------------------------------

TEST(Finish, ScoreTargetFromCourseAndLevel) {
  const int rows[][3] = {{3, 10, 1200000}, {3, 9, 1100000}, {4, 10, 1200000}, {4, 1, 700000},
                         {0, 1, 300000},   {1, 5, 600000},  {2, 8, 900000},   {3, 12, 1400000},
                         {3, 2000000000, 2147483647}};
  for (const auto& r : rows) EXPECT_EQ(chart::ScoreTarget(r[0], r[1]), r[2]) << r[0] << " " << r[1];
}

TEST(Finish, OneDonAtLevelFortyByHand) {
  // Target (40 + 2) x 100000. Far from it each round adds 40 to init and 10 to diff; the
  // single don scores init, so init stops at the target itself.
  const auto& c = Load("LEVEL:40\n#START\n1,\n#END\n");
  EXPECT_EQ((I{c.scoreTarget, c.scoreInit, c.scoreDiff}), (I{4200000, 4200000, 1050010}));
  EXPECT_EQ(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), 4200000);
}

TEST(Finish, SimulateMaxScoreByHand) {
  // Twelve dons, then in gogo a big don and a roll of 1500 ms, a balloon of 5 hits over
  // 2000 ms and a balloon of 100 hits over 1000 ms; lane 1 and 2 notes don't count.
  LoadBody("111111111111,\n#GOGOSTART\n3,\n5008,\n#GOGOEND\n7,\n8,\n78,\n"
           "#BRANCHSTART p,1,2\n#N\n1111,\n#E\n1111,\n#M\n1,\n", "BALLOON:5,100\n");
  // 10 x 100 + 2 x 110 = 1220; big don 110 x 1.2 x 2 = 264 -> 260; roll 1500 x 3 x 1.2 = 5400;
  // balloon (5 x 300 + 4700) = 6200; fast balloon 1000 x 3 = 3000; master don 110.
  EXPECT_EQ(chart::SimulateMaxScore(100, 10), 1220 + 260 + 5400 + 6200 + 3000 + 110);
  // Combo 100 and more earn init + 10 x diff.
  LoadBody(std::string(105, '1') + ",\n");
  EXPECT_EQ(chart::SimulateMaxScore(100, 10), 10 * 1450 + 5 * 200);
}

TEST(Finish, ScoreParametersKeptOrComputed) {
  // Given parameters are kept, a negative one has both computed. Unreachable targets settle
  // without looping: no don or kat on the common or master lane, or one don below a target
  // clamped to the int range.
  const std::string dons = "#START\n" + std::string(64, '1') + ",\n#END\n";
  const std::pair<std::string, I> rows[] = {{"SCOREINIT:1000\nLEVEL:9\n" + dons, {1000, 0}},
                                            {"SCOREINIT:500\nSCOREDIFF:100\n" + dons, {500, 100}},
                                            {"SCOREINIT:500\nSCOREDIFF:-1\nLEVEL:9\n" + dons, {10230, 2560}},
                                            {"LEVEL:10\n#START\n#BRANCHSTART p,1,2\n#E\n1111,\n#M\n5008,\n#END\n", {10, 10}},
                                            {"LEVEL:2000000000\n#START\n1,\n#END\n", {10, 10}}};
  for (const auto& [text, expected] : rows) EXPECT_EQ((I{Load(text).scoreInit, chart::TheChart.scoreDiff}), expected) << text;
}

// The search written out round by round with the public SimulateMaxScore, with no shortcut:
// the loader must land on the same parameters and reach the target.
void ReferenceSearch(int target, int& init, int& diff) {
  init = diff = 10;
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

// The last four have few notes and a high level: hundreds of thousands of rounds, where a
// shortcut in the loader's search is easily a step off.
TEST(Finish, AutomaticScoreMatchesTheSearchAndReachesTheTarget) {
  const std::pair<int, const char*> charts[] = {
      {3, "LEVEL:7\n#START\n#GOGOSTART\n3,\n#END\n"},
      {3, "LEVEL:10\n#START\n#BRANCHSTART p,1,2\n#N\n1111,\n#E\n2222,\n#M\n11112222,\n#END\n"},
      {3, "SCOREDIFF:-5\nLEVEL:8\n#START\n1111111111111111,\n1111111111111111,\n"
          "1111111111111111,\n1111111111111111,\n1111111111111111,\n1111111111111111,\n"
          "1111111111111111,\n#GOGOSTART\n3333,\n#END\n"},
      {4, "COURSE:Edit\nLEVEL:60\n#START\n#GOGOSTART\n4,\n#END\n"},
      {2, "COURSE:Hard\nLEVEL:45\n#START\n5008,\n12,\n#END\n"},
      {0, "COURSE:Easy\nLEVEL:99\nBALLOON:3\n#START\n7008,\n1,\n#END\n"},
      {1, "COURSE:Normal\nLEVEL:30\n#START\n1111,\n2222,\n3412,\n#END\n"}};
  for (const auto& [course, text] : charts) {
    const auto& c = Load(text, course);
    int init, diff;
    ReferenceSearch(c.scoreTarget, init, diff);
    EXPECT_EQ((I{c.scoreInit, c.scoreDiff}), (I{init, diff})) << text;
    EXPECT_GE(chart::SimulateMaxScore(c.scoreInit, c.scoreDiff), c.scoreTarget) << text;
  }
}

// ---- debug dumps --------------------------------------------------------------------------------

const char kNoteHeader[] =
    "   \x8E\x9E\x8A\xD4    \x8E\xED\x97\xDE \x83R\x81[\x83X BPM   SCROLL GOGO \x91\xC5\x90\x94\n";

// Loads body, writes the dumps into a fresh folder and gives back file's text ("" when the
// dump was not written).
std::string Dump(const std::string& body, const std::string& file, const std::string& header = "") {
  const std::string dir = TempPath("dumps");
  std::filesystem::create_directory(dir);
  LoadBody(body, header);
  chart::WriteDebugDumps(dir.c_str());
  const std::string text = ReadFile(dir + "/" + file);
  std::filesystem::remove_all(dir);
  return text;
}

TEST(Finish, DumpFormats) {
  EXPECT_EQ(Dump("#GOGOSTART\n#SCROLL 1.5\n1,\n#GOGOEND\n7,\n8,\n", "note_info.txt", "BALLOON:12\n"),
            std::string(kNoteHeader) + "     0.00   1     0   120.00  1.50   1    0\n"
                                       "  2000.00   7     0   120.00  1.50   0   12\n"
                                       "  4000.00   8     0   120.00  1.50   0    0\n");
  EXPECT_EQ(Dump("1,\n", "branch_info.txt"), "");  // no branches: no branch dump
  // The header again every fifty notes.
  std::string dump = Dump(std::string(120, '1') + ",\n", "note_info.txt");
  size_t headers = 0;
  for (size_t p = 0; (p = dump.find(kNoteHeader, p)) != std::string::npos; ++p) ++headers;
  EXPECT_EQ(headers, 3u);
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 123);
  EXPECT_EQ(Dump("1,\n#BRANCHSTART p,80,90.5\n#N\n#SECTION\n1,\n#E\n1,\n#M\n1,\n", "branch_info.txt"),
            "   \x8E\x9E\x8A\xD4   \x83^\x83" "C\x83v  \x92l1      \x92l2\n"
            "  2000.00   2    80.00    90.50\n"
            "\n\n   \x8E\x9E\x8A\xD4   \x83R\x81[\x83X\n"
            "  2000.00   1\n");
}

// The loader writes the dumps into the working folder, in debug mode only.
TEST(Finish, LoadWritesDumpsOnlyInDebugMode) {
  const std::string dir = TempPath("dumpcwd"), chartPath = WriteFile("debug.tja", "#START\n1,\n#END\n");
  std::filesystem::create_directory(dir);
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  for (const bool debug : {false, true}) {
    shell::DebugMode = debug;
    chart::LoadChart(chartPath.c_str(), 3);
    EXPECT_EQ(std::filesystem::exists("note_info.txt"), debug);
  }
  shell::DebugMode = false;
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
  std::remove(chartPath.c_str());
}

}  // namespace
