// Charts and inputs a player or chart author may throw at the engine: no crash, no division
// by zero, no endless play.
#include <gtest/gtest.h>

#include <string>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

// Every pass visits every note while they are all on screen: sanitized builds use fewer.
constexpr int kFullTable = kSanitizedBuild ? 4000 : chart::kNoteCapacity;

std::string WriteChart(const char* name, const std::string& body, const std::string& header = "") {
  return WriteTja(name, "TITLE:t\nBPM:120\n" + header + "COURSE:Oni\nLEVEL:5\n#START\n" + body + "#END\n");
}

SimResult PlayFile(const std::string& path, bool autoPlay, const std::vector<play::SimPress>& presses = {}) {
  play::SimOptions o;
  o.autoPlay = autoPlay;
  return PlayTja(path, o, presses);
}

TEST(BadCharts, NoNotesAtAll) {
  for (bool autoPlay : {false, true}) {
    SimResult r = PlayFile(WriteChart("empty", ",\n,\n"), autoPlay, {Press(100.0, "FJDK")});
    EXPECT_TRUE(r.notes.empty());
    EXPECT_EQ(r.endClock, 3000.0);
    EXPECT_EQ(r.gauge, 0.0);
    EXPECT_EQ(r.bad, 0);
  }
}

TEST(BadCharts, OnlyRollsAndBalloonsNeverMoveTheGauge) {
  for (bool autoPlay : {false, true}) {
    SimResult r = PlayFile(WriteChart("rolls", "5008,\n6008,\n7008,\n"), autoPlay,
                           {Press(100.0, "F"), Press(2100.0, "K"), Press(4100.0, "J")});
    EXPECT_EQ(r.gauge, 0.0);
    EXPECT_EQ(r.combo, 0);
    EXPECT_EQ(r.notes.size(), 6u);
    EXPECT_GT(r.score, 0);
  }
}

TEST(BadCharts, BalloonCountOfZero) {
  SimResult r = PlayFile(WriteChart("balloon0", "7008,\n", "BALLOON:0\n"), false, {Press(0.0, "F")});
  EXPECT_EQ(r.notes[0].state, play::kNoteBurst);
  EXPECT_EQ(r.notes[0].hits, 1);
  SimResult a = PlayFile(WriteChart("balloon0", "7008,\n", "BALLOON:0\n"), true);
  EXPECT_EQ(a.notes[0].state, play::kNoteBurst);
}

TEST(BadCharts, RollWithoutAnEnd) {
  // At the very end: the roll has no span and finishes at once.
  SimResult r = PlayFile(WriteChart("open_roll", "1005,\n"), false, {Press(1501.0, "F"), Press(1600.0, "F")});
  EXPECT_EQ(r.notes[1].state, play::kNoteFinished);
  EXPECT_EQ(r.roll, 0);
  SimResult a = PlayFile(WriteChart("open_roll", "1005,\n"), true);
  EXPECT_EQ(a.notes[1].state, play::kNoteFinished);
  // Followed by a don instead of an end marker: the roll runs up to the don.
  SimResult d = PlayFile(WriteChart("roll_don", "5000,\n1000,\n"), true);
  EXPECT_EQ(d.roll, 40);
  EXPECT_EQ(d.great, 1);
}

TEST(BadCharts, BranchPointsWithoutSections) {
  const std::string body =
      "1111,\n1111,\n#BRANCHSTART p,50,80\n#N\n1000,\n#E\n2000,\n#M\n3000,\n#BRANCHEND\n"
      "#BRANCHSTART r,1,2\n#N\n1000,\n#E\n2000,\n#M\n4000,\n#BRANCHEND\n1,\n";
  SimResult r = PlayFile(WriteChart("branch", body), true);
  ASSERT_EQ(r.lanes.size(), 2u);
  EXPECT_EQ(r.lanes[0].to, chart::kLaneMaster);
  EXPECT_EQ(r.lanes[1].to, chart::kLaneNormal);
  EXPECT_EQ(r.bad, 0);
  EXPECT_EQ(r.great, 4 + 4 + 1 + 1 + 1);
}

TEST(BadCharts, AllNotesAtTimeZero) {
  ChartBuilder m;
  for (int i = 0; i < kFullTable; ++i) m.Note(1 + i % 4, 0.0);
  SimResult r = PlayWith({Press(0.0, "F")});
  EXPECT_EQ(r.great, 1);
  EXPECT_EQ(r.bad, kFullTable - 1);
  EXPECT_EQ(r.gauge, 0.0);
  EXPECT_EQ(r.notes.back().state, play::kNoteGone);
  EXPECT_EQ(play::Play.fastNote.load(), kFullTable);
}

TEST(BadCharts, ManyNotesAtOneTimeInAutoPlay) {
  ChartBuilder b;
  for (int i = 0; i < 5000; ++i) b.Note(1 + i % 4, 0.0);
  SimResult a = Auto();
  EXPECT_EQ(a.great, 5000);
  EXPECT_EQ(a.maxCombo, 5000);
  EXPECT_EQ(a.gauge, 100.0);
  EXPECT_EQ(a.judgements.size(), 5000u);
}

TEST(BadCharts, IgnoredNotesAreSkipped) {
  SimResult r = PlayFile(WriteChart("nine", "9008,\n1,\n"), true);
  EXPECT_EQ(r.great, 1);
  EXPECT_EQ(r.notes[0].state, play::kNotePending);
}

TEST(BadCharts, NegativeAndZeroScrollAndTempo) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0, 0, false, 5, 120.0, -1.0);
  b.Note(chart::kNoteKat, 1500.0, 0, false, 5, 0.0, 1.0);
  b.Note(chart::kNoteDon, 2000.0, 0, false, 5, 120.0, 0.0);
  SimResult r = Auto();
  EXPECT_EQ(r.great, 3);
  SimResult m = PlayWith({Press(1000.0, "F"), Press(1500.0, "K")});
  EXPECT_EQ(m.great, 2);
  EXPECT_EQ(m.bad, 1);
}

TEST(SimInputs, ParsesPressesAndReportsTheFirstBadLine) {
  std::vector<play::SimPress> p;
  std::string error;
  // A byte order mark may stand before the first line only.
  EXPECT_EQ(play::ParseSimInputs("\xEF\xBB\xBF" "1000 F\n\n  \n1020 jK 10\r\n-5.5 DFJK 0\n", &p, &error), 0);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].time, 1000.0);
  EXPECT_TRUE(p[0].f && !p[0].j);
  EXPECT_EQ(p[0].hold, 40.0);
  EXPECT_TRUE(p[1].j && p[1].k && !p[1].f);
  EXPECT_EQ(p[1].hold, 10.0);
  EXPECT_EQ(p[2].time, -5.5);
  EXPECT_TRUE(p[2].d && p[2].f && p[2].j && p[2].k);
  const struct {
    const char* text;
    int line;
  } bad[] = {{"1000 F\nabc F\n", 2}, {"1000 X\n", 1}, {"1000\n", 1}, {"1000 F 40 9\n", 1},
             {"1000 F -1\n", 1},     {"F 1000\n", 1}, {"\n\n10 F x\n", 3}, {"1e999 F\n", 1},
             {"100 F\n\xEF\xBB\xBF" "200 K\n", 2}};
  for (const auto& c : bad) {
    EXPECT_EQ(play::ParseSimInputs(c.text, &p, &error), c.line) << c.text;
    EXPECT_FALSE(error.empty());
  }
}

TEST(SimOutput, JsonListsEveryField) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteKat, 2000.0);
  SimResult r = PlayWith({Press(1010.0, "J")});
  const std::string json = play::SimResultJson(r);
  const char* keys[] = {"\"great\":1", "\"good\":0", "\"bad\":1", "\"roll\":0", "\"combo\":0", "\"max_combo\":1",
                        "\"score\":1000", "\"gauge\":", "\"clear_threshold\":80", "\"end_clock\":5000",
                        "\"judgements\":[", "{\"clock\":1010,\"note\":0,\"code\":25}",
                        "{\"clock\":2111,\"note\":1,\"code\":5}", "\"lanes\":[]", "\"notes\":[",
                        "{\"state\":1,\"hits\":0}"};
  size_t at = 0;
  for (const char* k : keys) {
    size_t found = json.find(k, at);
    ASSERT_NE(found, std::string::npos) << k << " in " << json;
    at = found;
  }
}

}  // namespace
