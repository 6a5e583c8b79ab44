// Whole plays of small TJA charts, read by the chart loader and played on the virtual clock
// as kodoban-sim plays them. Every expected figure below was worked out by hand from the
// game's rules (windows, sweep, Miss timing, big notes, rolls, balloons, score, gauge and
// branches), not taken from a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "play_fixture.h"

using namespace playtest;

namespace {

struct Options : play::SimOptions {
  int course = chart::kCourseOni;
};

play::SimResult PlayChart(const std::string& name, const std::string& tja, const std::string& inputs,
                          const Options& o = Options()) {
  std::vector<play::SimPress> presses;
  std::string error;
  EXPECT_EQ(play::ParseSimInputs(inputs, &presses, &error), 0) << error;
  const std::string path = WriteTja("conformance_" + name, tja);
  const play::SimResult r = PlayTja(path, o, presses, o.course);
  std::remove(path.c_str());
  return r;
}

// great, good, bad, roll, combo, max combo, score, gauge (to 1e-9), clear threshold, end clock
using Totals = std::vector<double>;
void ExpectTotals(const play::SimResult& r, const Totals& t) {
  const Totals got{double(r.great), double(r.good), double(r.bad),   double(r.roll),           double(r.combo),
                   double(r.maxCombo), double(r.score), r.gauge, double(r.clearThreshold), r.endClock};
  EXPECT_THAT(got, ::testing::Pointwise(::testing::DoubleNear(1e-9), t));
}

struct PlayCase {
  const char* name;
  const char* tja;
  const char* inputs;
  Options options;
  Totals totals;
  const char* judgements;
  const char* lanes;
  const char* notes;
};

class WholePlay : public ::testing::TestWithParam<PlayCase> {};

TEST_P(WholePlay, MatchesTheWorkedOutcome) {
  const PlayCase& c = GetParam();
  const play::SimResult r = PlayChart(c.name, c.tja, c.inputs, c.options);
  ExpectTotals(r, c.totals);
  EXPECT_EQ(Judgements(r), c.judgements);
  EXPECT_EQ(Lanes(r), c.lanes);
  EXPECT_EQ(Notes(r), c.notes);
}

// Four dons then four kats at BPM 120: 24 ms early is Great, 25 ms late and 74 ms late are
// Good, 75 ms late is Bad in the Bad pass; a don press on a kat does nothing and the kat is
// missed 111 ms after it; a kat press 110 ms late is neither, 109 ms early is Bad. Without
// SCOREINIT and SCOREDIFF the chart reader settles them: Oni level 5 aims at 900000, and
// notes below combo 10 earn init = 112500.
const PlayCase kWindows{
    "windows",
    "TITLE:w\nBPM:120\nCOURSE:Oni\nLEVEL:5\n#START\n1111,\n2222,\n#END\n",
    "-24 F\n525 F\n1074 J\n1575 F\n2000 F\n3110 D\n3391 D\n",
    {},
    {1, 2, 5, 0, 0, 3, 112500 + 2 * 56250, 0.0, 80, 6500},
    "-24:0:25 525:1:75 1074:2:75 1575:3:110 2111:4:5 2611:5:5 3111:6:5 3391:7:110",
    "",
    "1/0 2/0 2/0 3/0 9/0 9/0 9/0 3/0"};

// The other side of each edge: 24 ms late is Great, 25 and 74 ms early are Good, 75 ms early
// and 109 ms late are Bad, 110 ms early is nothing. A Good window below 1 falls back to 75.
const PlayCase kWindowEdges{
    "windowedges",
    "TITLE:e\nBPM:120\nSCOREINIT:1000\nSCOREDIFF:100\nCOURSE:Oni\nLEVEL:5\n#START\n1111,\n11,\n#END\n",
    "24 F\n475 F\n926 J\n1425 F\n2109 F\n2890 F\n",
    {{false, 0, -5, 0}},
    {1, 2, 3, 0, 0, 3, 2000, 0.0, 80, 6000},
    "24:0:25 475:1:75 926:2:75 1425:3:110 2109:4:110 3111:5:5",
    "",
    "1/0 2/0 2/0 3/0 3/0 9/0"};

// Big notes: both hands in one poll, a second hand 20 ms later (judged by the first hand's
// timing), a second hand 40 ms later (single after 34 ms), the first hand let go (single at
// once); then the sweep: a press on the later of two close dons misses the earlier one, and
// a don press inside a kat's Great window misses the don before it but leaves the kat.
const PlayCase kBigNotesAndSweep{
    "bignotes",
    "TITLE:b\nBPM:120\nSCOREINIT:1000\nSCOREDIFF:100\nCOURSE:Oni\nLEVEL:5\n#START\n3030,\n4040,\n"
    "11000000000000001200000000000000,\n3000,\n#END\n",
    "-10 FJ\n1010 F\n1030 J\n1990 D 100\n3020 K 5\n4080 F\n5080 F\n6000 J\n6020 F\n",
    {},
    {6, 0, 3, 0, 1, 4, 9000, 130.0 / 9, 80, 9000},
    "-10:0:25 1030:1:25 2024:2:1 3025:3:1 4080:4:5 4080:5:25 5080:6:5 5173:7:5 6020:8:25",
    "",
    "7/0 7/0 1/0 1/0 9/0 1/0 9/0 9/0 7/0"};

// Other windows, fractional note times (BPM 130) and a clock starting at OFFSET -2.5 s.
const PlayCase kCustomWindows{
    "customwindows",
    "TITLE:c\nBPM:130\nOFFSET:-2.5\nSCOREINIT:100\nSCOREDIFF:10\nCOURSE:Hard\nLEVEL:5\n#START\n11111111,\n#END\n",
    "9 F\n240 F\n472 F\n722 J\n954 F\n1384 K\n1566 FJ\n",
    {{false, 10, 30, 50}, chart::kCourseHard},
    {2, 2, 4, 0, 0, 4, 300, 0.0, 80, 240000.0 / 130 * 7 / 8 + 3000},
    "9:0:25 240:1:25 472:2:75 722:3:75 954:4:110 1204:5:5 1435:6:5 1566:7:110",
    "",
    "1/0 1/0 2/0 2/0 3/0 9/0 9/0 3/0"};

// Branches: accuracy 87.5 picks expert (a tempo change on that lane, gogo on master); a
// section on the common lane resets the counts, three roll hits pick expert again, a
// section on the master lane does not reset; two branch points due in one pass: score
// 12400 picks master, then accuracy 100 below 101 picks normal, which wins from 12000 on.
const PlayCase kBranches{
    "branches",
    "TITLE:br\nBPM:120\nSCOREINIT:1000\nSCOREDIFF:0\nCOURSE:Oni\nLEVEL:5\n#START\n1111,\n1111,\n"
    "#BRANCHSTART p,70,90\n#N\n1010,\n#E\n#BPMCHANGE 240\n2020,\n#M\n#GOGOSTART\n3030,\n#GOGOEND\n"
    "#BRANCHEND\n#SECTION\n10050080,\n1,\n#BRANCHSTART r,2,4\n#N\n1,\n#E\n2,\n#M\n#SECTION\n3,\n"
    "#BRANCHEND\n#BRANCHSTART s,5000,10000\n#BRANCHSTART p,101,102\n#N\n1,\n#E\n2,\n#M\n3,\n"
    "#BRANCHEND\n#END\n",
    "0 F\n500 F\n1050 F\n1500 F\n2000 F\n2500 F\n3000 F\n3500 F\n4000 K\n4500 D\n6000 F\n6800 F\n"
    "6900 F\n7000 F\n8000 F\n10000 K\n12000 F\n",
    {},
    {13, 1, 0, 3, 14, 14, 14400, 100.0, 80, 15000},
    "0:0:25 500:1:25 1050:2:75 1500:3:25 2000:4:25 2500:5:25 3000:6:25 3500:7:25 4000:10:25 "
    "4500:11:25 6000:14:25 6800:15:3 6900:15:3 7000:15:3 8000:17:25 10000:19:25 12000:21:25",
    "2000:1>2 8000:2>2 10000:2>3 10000:2>1",
    "1/0 1/0 2/0 1/0 1/0 1/0 1/0 1/0 11/0 11/0 1/0 1/0 11/0 11/0 1/0 10/3 10/0 1/0 11/0 1/0 11/0 "
    "1/0 11/0 11/0"};

INSTANTIATE_TEST_SUITE_P(Charts, WholePlay,
                         ::testing::Values(kWindows, kWindowEdges, kBigNotesAndSweep, kCustomWindows, kBranches),
                         [](const ::testing::TestParamInfo<PlayCase>& i) { return std::string(i.param.name); });

// Rolls and balloons by hand: 25 roll hits in a second (7500), a hit 1 ms after the end only
// finishes the roll, big roll hits in gogo (430 each), a balloon hit 17 ms early and burst
// by its 5th hit (6200), a gogo balloon taking two hits from F+J (360 each) and bursting for
// 6000, a press 18 ms before a balloon doing nothing, a balloon hit twice then left.
TEST(WholePlayRolls, ManualRollsAndBalloons) {
  std::string inputs;
  for (int t = 40; t <= 1000; t += 40) inputs += std::to_string(t) + " F 10\n";
  inputs += "1001 J 5\n2000 F\n2500 K\n3000 F\n3983 F 10\n4100 F 10\n4200 F 10\n4300 F 10\n4400 F 10\n";
  inputs += "6000 FJ\n6100 F\n7982 F\n10000 F\n10100 F\n";
  const play::SimResult r = PlayChart("rolls",
                                      "TITLE:r\nBPM:120\nSCOREINIT:500\nSCOREDIFF:100\nBALLOON:5,3,5,5\n"
                                      "COURSE:Oni\nLEVEL:5\n#START\n5000000080000000,\n#GOGOSTART\n"
                                      "6000000080000000,\n#GOGOEND\n7000000080000000,\n#GOGOSTART\n"
                                      "7000000080000000,\n#GOGOEND\n7000000080000000,\n7000000080000000,\n#END\n",
                                      inputs);
  ExpectTotals(r, {0, 0, 0, 28, 0, 0, 7500 + 3 * 430 + 6200 + 2 * 360 + 6000 + 2 * 300, 0.0, 80, 14000});
  std::string expected;
  for (int t = 40; t <= 1000; t += 40) expected += std::to_string(t) + ":0:3 ";
  // At 1001 the press finishes the roll, passes the spent end marker and is offered to the
  // big roll ahead, which it cannot touch yet.
  expected += "1001:0:3 1001:2:3 2000:2:3 2500:2:4 3000:2:3 3983:4:3 4100:4:3 4200:4:3 4300:4:3 4400:4:3 ";
  expected += "6000:6:3 6000:6:3 6100:6:3 7982:8:3 10000:10:3 10100:10:3";
  EXPECT_EQ(Judgements(r), expected);
  EXPECT_EQ(Notes(r), "10/25 10/0 10/3 10/0 6/5 10/0 6/3 10/0 10/0 10/0 10/2 10/0");
}

// Auto play: all Great, combo 10 earns init + diff, a big don in gogo 1440, a 1000 ms balloon
// of 10 hits hit every 100 ms from its start (each hit when the clock is past the next hit
// time, so the burst comes on the pass after start + 900), a 1000 ms roll drummed 20 times.
TEST(WholePlayAuto, EveryNoteGreatRollsAndBalloonsDrummed) {
  Options o;
  o.autoPlay = true;
  const play::SimResult r = PlayChart("auto",
                                      "TITLE:a\nBPM:120\nSCOREINIT:500\nSCOREDIFF:100\nBALLOON:10\nCOURSE:Oni\n"
                                      "LEVEL:5\n#START\n1111111111110000,\n#GOGOSTART\n3000,\n#GOGOEND\n"
                                      "7080,\n5080,\n1,\n#END\n",
                                      "", o);
  ExpectTotals(r, {14, 0, 0, 20, 14, 14, 9 * 500 + 3 * 600 + 1440 + 9 * 300 + 5000 + 20 * 300 + 600, 100.0, 80,
                   11000});
  std::string expected;
  for (int i = 0; i < 12; ++i) expected += std::to_string(i * 125) + ":" + std::to_string(i) + ":25 ";
  expected += "2000:12:25 4000:13:3 ";
  for (int k = 1; k < 10; ++k) expected += std::to_string(4001 + k * 100) + ":13:3 ";
  expected += "6000:15:3 ";
  for (int k = 1; k < 20; ++k) expected += std::to_string(6001 + k * 50) + ":15:3 ";
  expected += "8000:17:25";
  EXPECT_EQ(Judgements(r), expected);
  EXPECT_EQ(std::vector<int>({r.notes[13].state, r.notes[13].hits, r.notes[15].hits}), std::vector<int>({play::kNoteBurst, 10, 20}));
}

// Notes FastNote cannot get past stay put for the whole play: an ignored record near the
// start, or notes under a negative scroll, which once passed move off to the right and never
// leave (only the last is still short of the right edge when the play ends). The passes must
// still step over everything finished behind them instead of walking it every millisecond.
TEST(SkippingPasses, NotesThatNeverLeaveAreSteppedOver) {
  const int count = kSanitizedBuild ? 500 : 4000;
  for (auto [scroll, autoPlay] : {std::pair{1.0, true}, {1.0, false}, {-1.0, false}}) {
    ChartBuilder b;
    if (scroll > 0) b.Note(chart::kNoteIgnored, 0.0);
    for (int i = 0; i < count; ++i)
      b.Note(i % 2 ? chart::kNoteKat : chart::kNoteDon, 100.0 + i * 50.0, 0, false, 5, 120.0, scroll);
    const play::SimResult r = PlayWith({}, autoPlay);
    EXPECT_EQ(autoPlay ? r.great : r.bad, count);
    EXPECT_EQ(play::Play.fastNote.load(), 0);
    EXPECT_EQ(play::NextNeededNote(0), scroll > 0 ? count + 1 : count - 1) << "scroll " << scroll << " auto " << autoPlay;
  }
}

}  // namespace
