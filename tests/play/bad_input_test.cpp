// Charts and inputs a player or chart author may throw at the engine: no crash, no division
// by zero, no endless play.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;
using V = std::vector<double>;

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

TEST(BadCharts, NoNotesOnlyRollsAndBalloonsOfZero) {
  for (bool autoPlay : {false, true}) {
    SimResult r = PlayFile(WriteChart("empty", ",\n,\n"), autoPlay, {Press(100.0, "FJDK")});
    EXPECT_EQ((V{double(r.notes.size()), r.endClock, r.gauge, double(r.bad)}), (V{0, 3000, 0, 0}));
    // Rolls and balloons never move the gauge or the combo.
    r = PlayFile(WriteChart("rolls", "5008,\n6008,\n7008,\n"), autoPlay, {Press(100.0, "F"), Press(2100.0, "K"), Press(4100.0, "J")});
    EXPECT_EQ((V{r.gauge, double(r.combo), double(r.notes.size())}), (V{0, 0, 6}));
    EXPECT_GT(r.score, 0);
    // A balloon of 0 hits bursts at the first.
    r = PlayFile(WriteChart("balloon0", "7008,\n", "BALLOON:0\n"), autoPlay, {Press(0.0, "F")});
    EXPECT_EQ(Notes(r), "6/1 10/0");
    // A roll without an end at the very end has no span and finishes at once.
    r = PlayFile(WriteChart("open_roll", "1005,\n"), autoPlay, {Press(1501.0, "F"), Press(1600.0, "F")});
    EXPECT_EQ(r.notes[1].state, play::kNoteFinished);
    EXPECT_TRUE(autoPlay || r.roll == 0) << "a late press is no roll hit";
  }
  // Followed by a don instead of an end marker: the roll runs up to the don.
  SimResult d = PlayFile(WriteChart("roll_don", "5000,\n1000,\n"), true);
  EXPECT_EQ(std::pair(d.roll, d.great), std::pair(40, 1));
}

TEST(BadCharts, BranchPointsWithoutSections) {
  SimResult r = PlayFile(WriteChart("branch", "1111,\n1111,\n#BRANCHSTART p,50,80\n#N\n1000,\n#E\n2000,\n#M\n3000,\n#BRANCHEND\n"
                                              "#BRANCHSTART r,1,2\n#N\n1000,\n#E\n2000,\n#M\n4000,\n#BRANCHEND\n1,\n"),
                         true);
  // Accuracy 100 picks master; no roll hits pick normal, each judged a measure before its start.
  EXPECT_EQ(Lanes(r), "2000:1>3 4000:3>1");
  EXPECT_EQ(std::pair(r.great, r.bad), std::pair(4 + 4 + 1 + 1 + 1, 0));
}

TEST(BadCharts, AllNotesAtTimeZero) {
  ChartBuilder m;
  for (int i = 0; i < kFullTable; ++i) m.Note(1 + i % 4, 0.0);
  SimResult r = PlayWith({Press(0.0, "F")});
  EXPECT_EQ((V{double(r.great), double(r.bad), r.gauge, double(play::Play.fastNote)}), (V{1, kFullTable - 1, 0, kFullTable}));
  EXPECT_EQ(r.notes.back().state, play::kNoteGone);
  // In auto play every one of them is Great.
  r = Auto();
  EXPECT_EQ((V{double(r.great), double(r.maxCombo), r.gauge, double(r.judgements.size())}),
            (V{kFullTable, kFullTable, 100, kFullTable}));
}

TEST(BadCharts, NegativeAndZeroScrollAndTempo) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0, 0, false, 5, 120.0, -1.0);
  b.Note(chart::kNoteKat, 1500.0, 0, false, 5, 0.0, 1.0);
  b.Note(chart::kNoteDon, 2000.0, 0, false, 5, 120.0, 0.0);
  EXPECT_EQ(Auto().great, 3);
  SimResult m = PlayWith({Press(1000.0, "F"), Press(1500.0, "K")});
  EXPECT_EQ(m.great, 2);
  EXPECT_EQ(m.bad, 1);
}

TEST(SimInputs, ParsesPressesAndReportsTheFirstBadLine) {
  std::vector<play::SimPress> p;
  std::string error;
  // A byte order mark may stand before the first line only.
  EXPECT_EQ(play::ParseSimInputs("\xEF\xBB\xBF" "1000 F\n\n  \n1020 jK 10\r\n-5.5 DFJK 0\n", &p, &error), 0);
  using P = play::SimPress;
  EXPECT_EQ(Join(p, " %g:%d%d%d%d:%g", &P::time, &P::f, &P::j, &P::d, &P::k, &P::hold), "1000:1000:40 1020:0101:10 -5.5:1111:0");
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

}  // namespace
