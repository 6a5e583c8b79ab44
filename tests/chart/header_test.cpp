#include <cstring>
#include <string>

#include "chart/song_identity.h"
#include "chart_test_util.h"

using namespace charttest;

namespace {

struct SubtitleCase {
  const char* line;
  const char* subtitle;
};

class SubtitleTest : public ::testing::TestWithParam<SubtitleCase> {};

TEST_P(SubtitleTest, PrefixOfTwoSignsIsDropped) {
  const auto& c = Load(std::string(GetParam().line) + "\n#START\n#END\n");
  EXPECT_STREQ(c.subtitle, GetParam().subtitle);
}

INSTANTIATE_TEST_SUITE_P(Header, SubtitleTest,
                         ::testing::Values(SubtitleCase{"SUBTITLE:--Foo", "Foo"},
                                           SubtitleCase{"SUBTITLE:++Foo", "Foo"},
                                           SubtitleCase{"SUBTITLE:Foo", "Foo"},
                                           SubtitleCase{"SUBTITLE:-Foo", "-Foo"},
                                           SubtitleCase{"SUBTITLE:+-Foo", "Foo"},
                                           SubtitleCase{"SUBTITLE:", ""},
                                           SubtitleCase{"SUBTITLE:-", "-"}));

TEST(Header, TitleRules) {
  // Empty title, later lines replace earlier ones, a SUBTITLE line is not a title.
  EXPECT_STREQ(Load("TITLE:\n#START\n#END\n").title, "");
  EXPECT_STREQ(Load("TITLE:One\nTITLE:Two\nSUBTITLE:Three\n#START\n#END\n").title, "Two");
  // The value sits at a fixed column: a leading blank shifts the key, not the column.
  EXPECT_STREQ(Load(" TITLE:Foo\n#START\n#END\n").title, ":Foo");
  // Bytes are kept as they are (Shift-JIS).
  EXPECT_STREQ(Load("TITLE:\x83\x65\x83X\x83g\n#START\n#END\n").title, "\x83\x65\x83X\x83g");
  // Keys after the chosen #START are body lines.
  EXPECT_STREQ(Load("TITLE:A\n#START\nTITLE:B\n#END\n").title, "A");
}

TEST(Header, LongTitlesAreCutAtACharacterBoundary) {
  std::string ascii(300, 'a');
  EXPECT_EQ(std::strlen(Load("TITLE:" + ascii + "\n#START\n#END\n").title), 256u);
  // 255 ASCII bytes then a two-byte Shift-JIS character: the character does not fit.
  std::string sjis = std::string(255, 'b') + "\x83\x65" + "tail";
  EXPECT_EQ(std::string(Load("TITLE:" + sjis + "\n#START\n#END\n").title), std::string(255, 'b'));
  // UTF-8: 85 three-byte characters fill 255 bytes, the 86th does not fit.
  std::string utf8;
  for (int i = 0; i < 90; ++i) utf8 += "\xE3\x81\x82";
  EXPECT_EQ(std::strlen(Load("SUBTITLE:" + utf8 + "\n#START\n#END\n").subtitle), 255u);
}

TEST(Header, NumbersAndDefaults) {
  const auto& c = Load(
      "OFFSET:-1.25\nDEMOSTART:12.5 // comment\nBPM: 148.5\nSCOREINIT:1000\nSONGVOL:300\n"
      "SEVOL:-1\n#START\n#END\n");
  EXPECT_DOUBLE_EQ(c.offsetMs, -1250.0);
  EXPECT_DOUBLE_EQ(c.demoStartS, 12.5);
  EXPECT_DOUBLE_EQ(c.bpm, 148.5);
  EXPECT_EQ(c.songVolume, 300 & 0xFF);
  EXPECT_EQ(c.effectVolume, 255);
  // A file without the keys gets the defaults, whatever the previous song had.
  const auto& d = Load("#START\n#END\n");
  EXPECT_DOUBLE_EQ(d.offsetMs, 0.0);
  EXPECT_DOUBLE_EQ(d.bpm, 120.0);
  EXPECT_EQ(d.scoreInit, 10);  // automatic parameters of an empty chart
  EXPECT_EQ(d.songVolume, 0);
  EXPECT_STREQ(d.title, "");
}

struct NumberCase {
  const char* text;
  double value;
};
class DecimalTest : public ::testing::TestWithParam<NumberCase> {};
TEST_P(DecimalTest, OffsetReadsTheNumberPrefix) {
  const auto& c = Load(std::string("OFFSET:") + GetParam().text + "\n#START\n#END\n");
  EXPECT_DOUBLE_EQ(c.offsetMs, GetParam().value * 1000.0);
}
INSTANTIATE_TEST_SUITE_P(Header, DecimalTest,
                         ::testing::Values(NumberCase{"1.5", 1.5}, NumberCase{"  -2", -2.0},
                                           NumberCase{".5x", 0.5}, NumberCase{"1e-3", 0.001},
                                           NumberCase{"3e", 3.0}, NumberCase{"abc", 0.0},
                                           NumberCase{"nan", 0.0}, NumberCase{"inf", 0.0},
                                           NumberCase{"1e999", 0.0}, NumberCase{"0x10", 0.0},
                                           NumberCase{"+7", 7.0}, NumberCase{"-0", 0.0}));

TEST(Header, BalloonList) {
  const auto& c = Load("BALLOON:12, 8,,30\n#START\n#END\n");
  EXPECT_EQ(c.balloonHits[0], 12);
  EXPECT_EQ(c.balloonHits[1], 8);
  EXPECT_EQ(c.balloonHits[2], 30);
  EXPECT_EQ(c.balloonHits[3], 5);
  // A later list overwrites only the entries it has; an empty value changes nothing.
  const auto& d = Load("BALLOON:12,8,30\nBALLOON:7\nBALLOON:\n#START\n#END\n");
  EXPECT_EQ(d.balloonHits[0], 7);
  EXPECT_EQ(d.balloonHits[1], 8);
  // A list longer than a 999-byte piece: the rest of the line is not a BALLOON: line.
  std::string many = "BALLOON:";
  for (int i = 0; i < 1200; ++i) many += "9,";
  const auto& e = Load(many + "\n#START\n#END\n");
  EXPECT_EQ(e.balloonHits[495], 9);
  EXPECT_EQ(e.balloonHits[496], 5);
}

struct CourseCase {
  const char* line;
  int course;  // the course whose block this is; -1: the line leaves the course at Oni
};
class CourseWordTest : public ::testing::TestWithParam<CourseCase> {};
TEST_P(CourseWordTest, BlockLoadsOnlyForItsCourse) {
  std::string text = std::string(GetParam().line) + "\nLEVEL:4\n#START\n1,\n#END\n";
  int expected = GetParam().course < 0 ? chart::kCourseOni : GetParam().course;
  for (int course = 0; course < 5; ++course) {
    const auto& c = Load(text, course);
    EXPECT_EQ(c.totals.notes, course == expected ? 1 : 0) << "course " << course;
  }
}
INSTANTIATE_TEST_SUITE_P(Header, CourseWordTest,
                         ::testing::Values(CourseCase{"COURSE:Easy", 0}, CourseCase{"COURSE:Normal", 1},
                                           CourseCase{"COURSE:Hard", 2}, CourseCase{"COURSE:Oni", 3},
                                           CourseCase{"COURSE:Edit", 4}, CourseCase{"COURSE:oni", -1},
                                           CourseCase{"COURSE:10", 1}, CourseCase{"COURSE:2", 2},
                                           CourseCase{"COURSE:Hard 4", 2}, CourseCase{"", -1}));

TEST(Header, LevelComesFromTheLastLinesBeforeTheChosenStart) {
  std::string text =
      "COURSE:Easy\nLEVEL:3\n#START\n1,\n#END\n"
      "COURSE:Normal\n#START\n2,\n#END\n"
      "COURSE:Hard\nLEVEL:7\n#START P1\n3,\n#END\n";
  EXPECT_EQ(Load(text, 0).level, 3);
  EXPECT_EQ(Load(text, 1).level, 3);  // no LEVEL: of its own
  EXPECT_EQ(Load(text, 2).level, 7);
  EXPECT_EQ(chart::TheChart.notes[0].type, 3);  // "#START P1" opens the block too
  // A missing course keeps the previous level and leaves the chart empty.
  const auto& c = Load(text, 4);
  EXPECT_EQ(c.level, 7);
  EXPECT_EQ(c.totals.notes, 0);
  EXPECT_EQ(BarLineCount(), 0);
  EXPECT_EQ(c.bpmChanges[1].lane, -1);
}

TEST(Header, BothPassesReadTheSameBlock) {
  // The first #START comes before any COURSE: line (an Oni block); the Hard block follows.
  std::string text = "#START\n1111,\n#END\nCOURSE:Hard\nLEVEL:6\n#START\n20,\n#END\n";
  const auto& c = Load(text, chart::kCourseHard);
  ASSERT_EQ(c.totals.notes, 1);
  EXPECT_EQ(c.notes[0].type, 2);
  EXPECT_EQ(c.level, 6);
  EXPECT_EQ(c.measureDigits[0], 2);
}

TEST(Header, WaveLineIsSkippedEntirely) {
  const auto& c = Load("WAVE:COURSE:Edit #START.ogg\nTITLE:x\n#START\n1,\n#END\n");
  EXPECT_EQ(c.totals.notes, 1);  // still the Oni block
}

TEST(Header, ClearThresholdAndCourse) {
  for (int course = 0; course < 5; ++course) {
    const auto& c = Load("COURSE:" + std::to_string(course) + "\n#START\n#END\n", course);
    EXPECT_EQ(c.clearThreshold, course == 0 ? 60 : course == 1 ? 70 : 80);
    EXPECT_EQ(c.course, course);
  }
}

TEST(Header, UnopenableFileLeavesTheChartAlone) {
  Load("TITLE:Kept\n#START\n1,\n#END\n");
  EXPECT_EQ(chart::LoadChart("/nonexistent/dir/song.tja", 3), -1);
  EXPECT_EQ(chart::LoadChart("/tmp", 3), -1);  // a folder is not a chart
  EXPECT_EQ(chart::LoadChart("/dev/zero", 3), -1);  // nor is an endless device
  EXPECT_STREQ(chart::TheChart.title, "Kept");
  EXPECT_EQ(chart::TheChart.totals.notes, 1);
}

TEST(SongIdentity, DigestOfTheFile) {
  char id[33];
  std::string abc = WriteFile("abc.tja", "abc");
  EXPECT_EQ(chart::SongIdentity(abc.c_str(), id), 0);
  EXPECT_STREQ(id, "900150983CD24FB0D6963F7D28E17F72");
  std::string empty = WriteFile("empty.tja", "");
  EXPECT_EQ(chart::SongIdentity(empty.c_str(), id), -1);
  EXPECT_STREQ(id, "00000000000000000000000000000000");
  EXPECT_EQ(chart::SongIdentity("/nonexistent.tja", id), -1);
  EXPECT_STREQ(id, "00000000000000000000000000000000");
  // That bytes after the first 64 KiB don't count is shown where it matters, by the library:
  // two such charts share their records.
  // The loader keeps the same identity with the chart.
  chart::LoadChart(abc.c_str(), 3);
  EXPECT_STREQ(chart::TheChart.songIdentity, "900150983CD24FB0D6963F7D28E17F72");
  char digest[33];
  chart::BufferDigest("", 0, digest);
  EXPECT_STREQ(digest, "D41D8CD98F00B204E9800998ECF8427E");
  for (const auto& p : {abc, empty}) std::remove(p.c_str());
}

}  // namespace
