#include <cmath>
#include <string>
#include <vector>

#include "chart_test_util.h"

using namespace charttest;

namespace {

struct TimeCase {
  const char* name;
  const char* body;
  std::vector<double> noteTimes;
  std::vector<double> barTimes;
};

class NoteTimesTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(NoteTimesTest, NotesAndBarLinesAtTheirTimes) {
  const auto& c = LoadBody(GetParam().body);
  const auto& want = GetParam().noteTimes;
  ASSERT_EQ(NoteCount(), static_cast<int>(want.size()));
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(c.notes[i].time, want[i], 1e-9) << i;
  const auto& bars = GetParam().barTimes;
  ASSERT_EQ(BarLineCount(), static_cast<int>(bars.size()));
  for (size_t i = 0; i < bars.size(); ++i) EXPECT_NEAR(c.barLines[i].time, bars[i], 1e-9) << i;
}

// All at BPM 120: a 4/4 measure lasts 2000 ms.
INSTANTIATE_TEST_SUITE_P(
    Timeline, NoteTimesTest,
    ::testing::Values(
        TimeCase{"HalfNotes", "1010,\n1,\n", {0, 1000, 2000}, {0, 2000}},
        TimeCase{"MeasureOverTwoLines", "1\n1,\n", {0, 1000}, {0}},
        TimeCase{"BarLineAtTheFirstRestLine", "2,\n0000\n1000,\n", {0, 3000}, {0, 2000}},
        TimeCase{"LoneCommaIsAWholeRest", ",\n   ,\n1,\n", {4000}, {0, 2000, 4000}},
        TimeCase{"CommandAfterBlankIsANoteLine", " #GOGOSTART\n1,\n", {0}, {0}},
        TimeCase{"Measure34", "#MEASURE 3/4\n1,\n1,\n", {0, 1500}, {0, 1500}},
        TimeCase{"Measure34NoSlash", "#MEASURE 3\n1,\n1,\n", {0, 2000}, {0, 2000}},
        TimeCase{"DelayInCommonLane", "1,\n#DELAY 0.5\n1,\n", {0, 2500}, {0, 2500}},
        TimeCase{"NegativeDelay", "1,\n#DELAY -0.5\n1,\n", {0, 1500}, {0, 1500}},
        TimeCase{"BpmChangeMidMeasure", "11\n#BPMCHANGE 240\n11,\n1,\n", {0, 500, 1000, 1250, 1500},
                 {0, 1500}},
        TimeCase{"CommentsAndCommaEndTheLine", "1 // 1111\n1, 1111\n1,\n", {0, 1000, 2000}, {0, 2000}},
        TimeCase{"OtherCharactersAreSkipped", "1a b0c,\n1,\n", {0, 2000}, {0, 2000}},
        // Any note line read before a measure's first digit (re)writes its bar line.
        TimeCase{"NoLineAfterTheLastComma", "1,\n", {0}, {0}},
        TimeCase{"TrailingBlankLineWritesABarLine", "1,\n\n", {0}, {0, 2000}},
        TimeCase{"CommentLineWritesABarLine", "1,\n// end\n", {0}, {0, 2000}},
        TimeCase{"BlankCommandWritesABarLine", "1,\n #GOGOSTART\n", {0}, {0, 2000}},
        TimeCase{"CommandLineWritesNone", "1,\n#GOGOSTART\n", {0}, {0}},
        TimeCase{"LastMeasureWithoutComma", "1,\n11\n", {0, 2000, 3000}, {0, 2000}}),
    [](const auto& info) { return info.param.name; });

TEST(Timeline, RollContinuation) {
  // 55558, at BPM 120: one roll start at 0 and its end at slot 4 of 5 (400 ms each).
  const auto& c = LoadBody("55558,\n");
  ASSERT_EQ(NoteCount(), 2);
  EXPECT_EQ(c.notes[0].type, 5);
  EXPECT_DOUBLE_EQ(c.notes[0].time, 0);
  EXPECT_EQ(c.notes[1].type, 8);
  EXPECT_DOUBLE_EQ(c.notes[1].time, 1600);
  // A roll carries over a measure: the second 5 writes nothing.
  LoadBody("5000,\n5008,\n");
  ASSERT_EQ(NoteCount(), 2);
  EXPECT_EQ(chart::TheChart.notes[1].type, 8);
  EXPECT_DOUBLE_EQ(chart::TheChart.notes[1].time, 3500);
  // Balloons 77 are one record; small notes always make records.
  LoadBody("77118,\n");
  EXPECT_EQ(NoteCount(), 4);
  LoadBody("1111,\n3333,\n");
  EXPECT_EQ(NoteCount(), 8);
  LoadBody("99,\n");
  EXPECT_EQ(NoteCount(), 1);
}

TEST(Timeline, NoteStateFields) {
  const auto& c = LoadBody(
      "#SCROLL 1.5\n#GOGOSTART\n1,\n#GOGOEND\n#SCROLL .5\n#BPMCHANGE 150\n2,\n#SCROLL -2\n"
      "#BPMCHANGE -90\n7,\n8,\n",
      "BALLOON:17\n");
  ASSERT_EQ(NoteCount(), 4);
  EXPECT_DOUBLE_EQ(c.notes[0].scroll, 1.5);
  EXPECT_TRUE(c.notes[0].gogo);
  EXPECT_DOUBLE_EQ(c.notes[0].bpm, 120);
  EXPECT_FALSE(c.notes[1].gogo);
  EXPECT_DOUBLE_EQ(c.notes[1].scroll, 5);  // the point is skipped, not read
  EXPECT_DOUBLE_EQ(c.notes[1].bpm, 150);
  EXPECT_DOUBLE_EQ(c.notes[2].scroll, -2);
  EXPECT_DOUBLE_EQ(c.notes[2].bpm, 90);  // the sign is not taken
  EXPECT_EQ(c.notes[2].balloonHits, 17);
  EXPECT_EQ(c.notes[0].balloonHits, 0);
  // Tempo and gogo tables: the starting state, then the changes in order.
  EXPECT_DOUBLE_EQ(c.bpmChanges[0].value, 120);
  EXPECT_DOUBLE_EQ(c.bpmChanges[1].time, 2000);
  EXPECT_DOUBLE_EQ(c.bpmChanges[2].value, 90);
  EXPECT_EQ(c.bpmChanges[3].lane, -1);
  EXPECT_TRUE(c.gogoChanges[1].on);
  EXPECT_DOUBLE_EQ(c.gogoChanges[2].time, 2000);
  EXPECT_EQ(c.gogoChanges[3].lane, -1);
}

TEST(Timeline, BarLineVisibilityAndState) {
  const auto& c = LoadBody("1,\n#BARLINEOFF\n#SCROLL 2\n1,\n#BARLINEON\n#BPMCHANGE 60\n1,\n");
  ASSERT_EQ(BarLineCount(), 3);
  EXPECT_TRUE(c.barLines[0].visible);
  EXPECT_FALSE(c.barLines[1].visible);
  EXPECT_DOUBLE_EQ(c.barLines[1].scroll, 2);
  EXPECT_TRUE(c.barLines[2].visible);
  EXPECT_DOUBLE_EQ(c.barLines[2].bpm, 60);
  EXPECT_EQ(c.barLines[2].live, 0);
}

TEST(Timeline, MeasureDigitCounts) {
  const auto& c = LoadBody("1010,\n,\n10\n1000 // 99\n,\n1,\n");
  EXPECT_EQ(c.measureDigits[0], 4);
  EXPECT_EQ(c.measureDigits[1], 1);
  EXPECT_EQ(c.measureDigits[2], 6);
  EXPECT_EQ(c.measureDigits[3], 1);
  EXPECT_EQ(c.measureDigits[4], 0);
  EXPECT_DOUBLE_EQ(c.notes[2].time, 4000);
  EXPECT_DOUBLE_EQ(c.notes[3].time, 4000 + 2 * (16.0 / 6) * 125);
}

TEST(Timeline, LinesAreReadInPiecesOf999Bytes) {
  // 999 blanks fill a piece: the rest of the line is a piece of its own, here a command.
  std::string longLine = std::string(999, ' ') + "#GOGOSTART";
  const auto& c = LoadBody("1,\n" + longLine + "\n1,\n");
  ASSERT_EQ(NoteCount(), 2);
  EXPECT_TRUE(c.notes[1].gogo);
  EXPECT_EQ(BarLineCount(), 2);
  // A command longer than a piece continues as a note line: its digits are slots.
  std::string longCommand = "#SCROLL 2" + std::string(990, ' ') + "11,";
  const auto& d = LoadBody(longCommand + "\n");
  EXPECT_EQ(NoteCount(), 2);
  EXPECT_DOUBLE_EQ(d.notes[0].scroll, 2);
  EXPECT_DOUBLE_EQ(d.notes[1].time, 1000);
}

TEST(Timeline, CrLfAndNulBytes) {
  const auto& c = Load("TITLE:Song\r\nBPM:120\r\n#START\r\n1,\r\n1,\r\n#END\r\n");
  EXPECT_STREQ(c.title, "Song");
  EXPECT_EQ(NoteCount(), 2);
  // A NUL ends the line's text: the digits after it are not seen.
  std::string body = std::string("1\0" "111,\n1,\n", 10);
  LoadBody(body);
  EXPECT_EQ(NoteCount(), 2);
  EXPECT_EQ(chart::TheChart.measureDigits[0], 2);
  EXPECT_DOUBLE_EQ(chart::TheChart.notes[1].time, 1000);
}

TEST(Timeline, EndAndEndOfFile) {
  LoadBody("1,\n#END\n1,\n");
  EXPECT_EQ(NoteCount(), 1);
  Load("#START\n1,\n1,");  // no #END, no final line end
  EXPECT_EQ(NoteCount(), 2);
}

// Values that would make time endless or not a number keep the chart finite.
class FiniteTimeTest : public ::testing::TestWithParam<const char*> {};
TEST_P(FiniteTimeTest, TimesStayFinite) {
  const auto& c = Load(std::string(GetParam()));
  for (int i = 0; i < NoteCount(); ++i) {
    EXPECT_TRUE(std::isfinite(c.notes[i].time)) << i;
    EXPECT_TRUE(std::isfinite(c.notes[i].bpm)) << i;
    EXPECT_TRUE(std::isfinite(c.notes[i].scroll)) << i;
  }
  for (int i = 0; i < BarLineCount(); ++i) EXPECT_TRUE(std::isfinite(c.barLines[i].time));
  for (int i = 0; i < chart::kEventCapacity && c.branchPoints[i].condition != -1; ++i) {
    EXPECT_TRUE(std::isfinite(c.branchPoints[i].judge));
  }
  EXPECT_TRUE(std::isfinite(c.totals.lastNoteMs));
  EXPECT_TRUE(std::isfinite(c.offsetMs));
}
INSTANTIATE_TEST_SUITE_P(
    Timeline, FiniteTimeTest,
    ::testing::Values("BPM:0\n#START\n1111,\n1,\n#END\n",
                      "BPM:-120\n#START\n1111,\n1,\n#END\n",
                      "#START\n#BPMCHANGE 0\n1111,\n#BRANCHSTART p,1,2\n1,\n#END\n",
                      "BPM:0\n#START\n#BRANCHSTART p,1,2\n1,\n#END\n",
                      "#START\n#MEASURE 0/0\n11,\n#MEASURE 4/0\n11,\n1,\n#END\n",
                      "#START\n#BPMCHANGE 1e999\n11,\n#SCROLL nan\n1,\n#DELAY 1e999\n1,\n#END\n",
                      "OFFSET:1e308\nBPM:1e-300\n#START\n#MEASURE 1e300/1\n1111,\n1111,\n#END\n",
                      "#START\n#BPMCHANGE 0.0000000001\n1,1,1,1,\n#DELAY 1e300\n1,\n#END\n"));

TEST(Timeline, BpmZeroSlotsTakeNoTime) {
  const auto& c = Load("BPM:0\n#START\n11,\n#BPMCHANGE 120\n1,\n#END\n");
  ASSERT_EQ(NoteCount(), 3);
  EXPECT_DOUBLE_EQ(c.notes[1].time, 0);
  EXPECT_DOUBLE_EQ(c.notes[2].time, 0);
  EXPECT_DOUBLE_EQ(c.bpm, 0);
}

TEST(Timeline, TablesStopAtCapacity) {
  // 100 000 notes in 1000-digit lines, 20 000 measures, 5000 tempo and gogo changes, 2000
  // sections and branch points, 1200 balloons.
  std::string body;
  for (int i = 0; i < 100; ++i) body += std::string(999, '1') + "\n1,\n";
  const auto& a = LoadBody(body);
  EXPECT_EQ(NoteCount(), chart::kNoteCapacity);
  EXPECT_EQ(a.totals.notes, chart::kNoteCapacity);
  EXPECT_EQ(a.notes[chart::kNoteCapacity].type, 0);

  std::string measures;
  for (int i = 0; i < 20000; ++i) measures += "1,\n";
  const auto& b = LoadBody(measures);
  EXPECT_EQ(BarLineCount(), chart::kBarLineCapacity);
  EXPECT_EQ(NoteCount(), chart::kBarLineCapacity);

  std::string events;
  for (int i = 0; i < 5000; ++i) {
    events += "#BPMCHANGE " + std::to_string(100 + i % 50) + "\n#GOGOSTART\n#SECTION\n";
    if (i < 2000) events += "#BRANCHSTART r,1,2\n";
    events += "7,\n8,\n";
  }
  const auto& e = LoadBody(events);
  EXPECT_NE(e.bpmChanges[999].lane, -1);
  EXPECT_NE(e.gogoChanges[999].lane, -1);
  EXPECT_NE(e.sections[999].lane, -1);
  EXPECT_NE(e.branchPoints[999].condition, -1);
  EXPECT_EQ(NoteCount(), 10000);
  EXPECT_EQ(e.notes[2 * 999].balloonHits, 5);
  EXPECT_EQ(e.notes[2 * 1200].balloonHits, 5);
  (void)b;
}

TEST(Timeline, HugeSingleLine) {
  std::string line(10 * 1024 * 1024, '1');
  line += ",\n";
  const auto& c = LoadBody(line);
  EXPECT_EQ(NoteCount(), chart::kNoteCapacity);
  EXPECT_LE(BarLineCount(), chart::kBarLineCapacity);
  EXPECT_TRUE(std::isfinite(c.totals.lastNoteMs));
}

TEST(Timeline, ReloadReplacesEverything) {
  LoadBody("1111,1111,\n#BPMCHANGE 200\n#GOGOSTART\n#BRANCHSTART p,1,2\n#N\n1,\n#SECTION\n");
  LoadBody("2,\n");
  const auto& c = chart::TheChart;
  EXPECT_EQ(NoteCount(), 1);
  EXPECT_EQ(BarLineCount(), 1);
  EXPECT_EQ(c.bpmChanges[1].lane, -1);
  EXPECT_EQ(c.gogoChanges[1].lane, -1);
  EXPECT_EQ(c.branchPoints[0].condition, -1);
  EXPECT_EQ(c.sections[0].lane, -1);
  EXPECT_FALSE(c.hasBranches);
  EXPECT_FALSE(c.barLines[0].branchStart);
}

}  // namespace
