#include <cmath>

#include "chart_test_util.h"

using namespace charttest;
using chart::BarLine;
using chart::ChartNote;

namespace {

// The times of the notes and bar lines; all at BPM 120, where a 4/4 measure lasts 2000 ms.
TEST(Timeline, NotesAndBarLinesAtTheirTimes) {
  const struct {
    const char* name;
    std::string body;
    D noteTimes, barTimes;
  } cases[] = {
      {"MeasureOverTwoLines", "1\n1,\n", {0, 1000}, {0}},
      {"BarLineAtTheFirstRestLine", "2,\n0000\n1000,\n", {0, 3000}, {0, 2000}},
      {"LoneCommaIsAWholeRest", ",\n   ,\n1,\n", {4000}, {0, 2000, 4000}},
      {"CommandAfterBlankIsANoteLine", " #GOGOSTART\n1,\n", {0}, {0}},
      {"Measure34", "#MEASURE 3/4\n1,\n1,\n", {0, 1500}, {0, 1500}},
      {"Measure34NoSlash", "#MEASURE 3\n1,\n1,\n", {0, 2000}, {0, 2000}},
      {"DelayInCommonLane", "1,\n#DELAY 0.5\n1,\n", {0, 2500}, {0, 2500}},
      {"NegativeDelay", "1,\n#DELAY -0.5\n1,\n", {0, 1500}, {0, 1500}},
      {"BpmChangeMidMeasure", "11\n#BPMCHANGE 240\n11,\n1,\n", {0, 500, 1000, 1250, 1500}, {0, 1500}},
      {"CommentsAndCommaEndTheLine", "1 // 1111\n1, 1111\n1,\n", {0, 1000, 2000}, {0, 2000}},
      {"OtherCharactersAreSkipped", "1a b0c,\n1,\n", {0, 2000}, {0, 2000}},
      // Any note line read before a measure's first digit (re)writes its bar line.
      {"NoLineAfterTheLastComma", "1,\n", {0}, {0}},
      {"TrailingBlankLineWritesABarLine", "1,\n\n", {0}, {0, 2000}},
      {"BlankCommandWritesABarLine", "1,\n #GOGOSTART\n", {0}, {0, 2000}},
      {"CommandLineWritesNone", "1,\n#GOGOSTART\n", {0}, {0}},
      {"LastMeasureWithoutComma", "1,\n11\n", {0, 2000, 3000}, {0, 2000}},
      {"EndStopsTheBody", "1,\n#END\n1,\n", {0}, {0}},
      // A NUL ends the line's text: the digits after it are not seen.
      {"NulEndsTheLine", std::string("1\0" "111,\n1,\n", 10), {0, 1000}, {0}}};
  for (const auto& c : cases) {
    LoadBody(c.body);
    EXPECT_EQ(Notes(&ChartNote::time), c.noteTimes) << c.name;
    EXPECT_EQ(Bars(&BarLine::time), c.barTimes) << c.name;
  }
}

TEST(Timeline, RollsAndBalloonsAreOneRecord) {
  const std::pair<const char*, I> rows[] = {{"55558,\n", {5, 8}}, {"5000,\n5008,\n", {5, 8}},
      {"77118,\n", {7, 1, 1, 8}}, {"99,\n", {9}}, {"1111,\n3333,\n", {1, 1, 1, 1, 3, 3, 3, 3}}};
  for (auto& [body, types] : rows) {
    LoadBody(body);
    EXPECT_EQ(Notes(&ChartNote::type), types) << body;
  }
  EXPECT_EQ(Notes(&ChartNote::time), (D{0, 500, 1000, 1500, 2000, 2500, 3000, 3500}));
  // 707: the second 7 repeats the last record's type and continues the balloon. The list is
  // used up in order; a balloon past its end takes 5 hits.
  LoadBody("707,\n8,\n7,\n8,\n7008,\n", "BALLOON:4,9\n");
  EXPECT_EQ(Notes(&ChartNote::balloonHits), (I{4, 0, 9, 0, 5, 0}));
  EXPECT_DOUBLE_EQ(chart::TheChart.notes[1].time, 2000);
}

TEST(Timeline, NoteAndBarLineState) {
  const auto& c = LoadBody(
      "#SCROLL 1.5\n#GOGOSTART\n1,\n#GOGOEND\n#SCROLL .5\n#BPMCHANGE 150\n2,\n#SCROLL -2\n"
      "#BPMCHANGE -90\n7,\n8,\n");
  EXPECT_EQ(Notes(&ChartNote::scroll), (D{1.5, 5, -2, -2}));  // the point is skipped, not read
  EXPECT_EQ(Notes(&ChartNote::bpm), (D{120, 150, 90, 90}));   // the sign is not taken
  EXPECT_EQ(Notes(&ChartNote::gogo), (std::vector<bool>{1, 0, 0, 0}));
  // Tempo and gogo tables: the starting state, then the changes in order.
  EXPECT_EQ((D{c.bpmChanges[0].value, c.bpmChanges[1].time, c.bpmChanges[2].value, double(c.gogoChanges[1].on),
               c.gogoChanges[2].time, double(c.bpmChanges[3].lane), double(c.gogoChanges[3].lane)}),
            (D{120, 2000, 90, 1, 2000, -1, -1}));
  LoadBody("1,\n#BARLINEOFF\n#SCROLL 2\n1,\n#BARLINEON\n#BPMCHANGE 60\n1,\n");
  EXPECT_EQ(Bars(&BarLine::visible), (std::vector<bool>{1, 0, 1}));
  EXPECT_EQ(Bars(&BarLine::scroll), (D{1, 2, 2}));
  EXPECT_EQ(Bars(&BarLine::bpm), (D{120, 120, 60}));
  EXPECT_EQ(Bars(&BarLine::live), (I{0, 0, 0}));
}

TEST(Timeline, LinesAreReadInPiecesOf999BytesAndCrLf) {
  // 999 blanks fill a piece: the rest of the line is a piece of its own, here a command.
  const auto& c = LoadBody("1,\n" + std::string(999, ' ') + "#GOGOSTART\n1,\n");
  EXPECT_EQ((I{c.notes[0].gogo, c.notes[1].gogo, BarLineCount()}), (I{0, 1, 2}));
  // A command longer than a piece continues as a note line: its digits are slots.
  LoadBody("#SCROLL 2" + std::string(990, ' ') + "11,\n");
  EXPECT_EQ(Notes(&ChartNote::time), (D{0, 1000}));
  EXPECT_DOUBLE_EQ(c.notes[0].scroll, 2);
  Load("TITLE:Song\r\nBPM:120\r\n#START\r\n1,\r\n1,\r\n#END\r\n");
  EXPECT_EQ(std::string(c.title) + std::to_string(NoteCount()), "Song2");
  Load("#START\n1,\n1,");  // no #END, no final line end
  EXPECT_EQ(NoteCount(), 2);
  // 998 digits and a comma fill a piece; the LF left over reads as an empty note line, which
  // writes the bar line of the next measure although no digit follows (999 slots summed).
  LoadBody(std::string(998, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 2);
  EXPECT_NEAR(c.barLines[1].time, 2000, 1e-6);
  // One byte shorter: the LF ends the piece and there is no extra line.
  LoadBody(std::string(997, '0') + ",\n");
  EXPECT_EQ(BarLineCount(), 1);
  // "BPM:" ends the first piece; its value column lies in that piece, which holds no number
  // there, so the BPM reads as 0. The "200" is a line of its own.
  Load(std::string(995, 'x') + "BPM:200\n#START\n#END\n");
  EXPECT_EQ((D{c.bpm, c.bpmChanges[0].value}), (D{0, 0}));
}

// Values that would make time endless or not a number keep the chart finite.
TEST(Timeline, TimesStayFinite) {
  for (const char* text : {"BPM:0\n#START\n#BRANCHSTART p,1,2\n1,\n#END\n",
                           "#START\n#BPMCHANGE 0\n1111,\n#BRANCHSTART p,1,2\n1,\n#END\n",
                           "#START\n#MEASURE 0/0\n11,\n#MEASURE 4/0\n11,\n1,\n#END\n",
                           "#START\n#BPMCHANGE 1e999\n11,\n#SCROLL nan\n1,\n#DELAY 1e999\n1,\n#END\n",
                           "OFFSET:1e308\nBPM:1e-300\n#START\n#MEASURE 1e300/1\n1111,\n1111,\n#END\n",
                           "#START\n#BPMCHANGE 0.0000000001\n1,1,1,1,\n#DELAY 1e300\n1,\n#END\n"}) {
    const auto& c = Load(text);
    for (int i = 0; i < NoteCount(); ++i) {
      EXPECT_TRUE(std::isfinite(c.notes[i].time + c.notes[i].bpm + c.notes[i].scroll)) << text << i;
    }
    for (int i = 0; i < BarLineCount(); ++i) EXPECT_TRUE(std::isfinite(c.barLines[i].time)) << text;
    for (int i = 0; i < chart::kEventCapacity && c.branchPoints[i].condition != -1; ++i) {
      EXPECT_TRUE(std::isfinite(c.branchPoints[i].judge)) << text;
    }
    EXPECT_TRUE(std::isfinite(c.totals.lastNoteMs + c.offsetMs)) << text;
  }
}

TEST(Timeline, BpmZeroSlotsTakeNoTime) {
  EXPECT_DOUBLE_EQ(Load("BPM:0\n#START\n11,\n#BPMCHANGE 120\n1,\n#END\n").bpm, 0);
  EXPECT_EQ(Notes(&ChartNote::time), (D{0, 0, 0}));
}

TEST(Timeline, TablesStopAtCapacity) {
  // 100 000 notes in 1000-digit lines, 20 000 measures, 5000 tempo and gogo changes, 2000
  // sections and branch points, 1200 balloons.
  const auto& c = LoadBody(Repeat(std::string(999, '1') + "\n1,\n", 100));
  EXPECT_EQ((I{NoteCount(), c.totals.notes, c.notes[chart::kNoteCapacity].type}),
            (I{chart::kNoteCapacity, chart::kNoteCapacity, 0}));
  LoadBody(Repeat("1,\n", 20000));
  EXPECT_EQ((I{BarLineCount(), NoteCount()}), (I{chart::kBarLineCapacity, chart::kBarLineCapacity}));
  std::string events;
  for (int i = 0; i < 5000; ++i) {
    events += "#BPMCHANGE " + std::to_string(100 + i % 50) + "\n#GOGOSTART\n#SECTION\n";
    if (i < 2000) events += "#BRANCHSTART r,1,2\n";
    events += "7,\n8,\n";
  }
  LoadBody(events);
  EXPECT_EQ((I{c.bpmChanges[999].lane, c.gogoChanges[999].lane, c.sections[999].lane, c.branchPoints[999].condition != -1}),
            (I{0, 0, 0, 1}));
  EXPECT_EQ((I{NoteCount(), c.notes[2 * 999].balloonHits, c.notes[2 * 1200].balloonHits}), (I{10000, 5, 5}));
  // One line of ten million digits.
  LoadBody(std::string(10 * 1024 * 1024, '1') + ",\n");
  EXPECT_EQ((I{NoteCount(), BarLineCount()}), (I{chart::kNoteCapacity, 1}));
  EXPECT_TRUE(std::isfinite(c.totals.lastNoteMs));
}

TEST(Timeline, ReloadReplacesEverything) {
  LoadBody("1111,1111,\n#BPMCHANGE 200\n#GOGOSTART\n#BRANCHSTART p,1,2\n#N\n1,\n#SECTION\n");
  const auto& c = LoadBody("2,\n");
  EXPECT_EQ((I{NoteCount(), BarLineCount(), c.bpmChanges[1].lane, c.gogoChanges[1].lane, c.branchPoints[0].condition,
               c.sections[0].lane, c.hasBranches, c.barLines[0].branchStart}),
            (I{1, 1, -1, -1, -1, -1, 0, 0}));
}

}  // namespace
