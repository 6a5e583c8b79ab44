#include <cstring>

#include "chart/song_identity.h"
#include "chart_test_util.h"

using namespace charttest;

namespace {

const char kEmptyBody[] = "\n#START\n#END\n";

TEST(Header, TitleRules) {
  // "title|subtitle": a subtitle drops a prefix of two signs; an empty title; later lines
  // replace earlier ones and a SUBTITLE line is not a title; the value sits at a fixed column
  // (a leading blank shifts the key, not the column); bytes are kept as they are (Shift-JIS);
  // keys after the chosen #START are body lines.
  const char* rows[][2] = {{"SUBTITLE:--Foo", "|Foo"}, {"SUBTITLE:++Foo", "|Foo"},   {"SUBTITLE:Foo", "|Foo"},
                           {"SUBTITLE:-Foo", "|-Foo"}, {"SUBTITLE:+-Foo", "|Foo"},   {"SUBTITLE:-", "|-"},
                           {"TITLE:", "|"},            {"TITLE:One\nTITLE:Two\nSUBTITLE:Three", "Two|Three"},
                           {" TITLE:Foo", ":Foo|"},    {"TITLE:\x83\x65\x83X\x83g", "\x83\x65\x83X\x83g|"},
                           {"TITLE:A\n#START\nTITLE:B\n#END", "A|"}, {"SUBTITLE:", "|"}};
  for (auto& [text, expected] : rows) {
    const auto& c = Load(std::string(text) + kEmptyBody);
    EXPECT_EQ(std::string(c.title) + "|" + c.subtitle, expected) << text;
  }
  // A WAVE: line is skipped entirely.
  EXPECT_EQ(Load("WAVE:COURSE:Edit #START.ogg\nTITLE:x\n#START\n1,\n#END\n").totals.notes, 1);
  // Long titles are cut at a character boundary: 255 ASCII bytes then a two-byte Shift-JIS
  // character that does not fit; 85 three-byte UTF-8 characters fill 255 bytes.
  EXPECT_EQ(std::strlen(Load("TITLE:" + std::string(300, 'a') + kEmptyBody).title), 256u);
  EXPECT_EQ(std::string(Load("TITLE:" + std::string(255, 'b') + "\x83\x65" + "tail" + kEmptyBody).title),
            std::string(255, 'b'));
  EXPECT_EQ(std::strlen(Load("SUBTITLE:" + Repeat("\xE3\x81\x82", 90) + kEmptyBody).subtitle), 255u);
}

TEST(Header, NumbersAndDefaults) {
  const auto& c = Load("OFFSET:-1.25\nDEMOSTART:12.5 // comment\nBPM: 148.5\nSCOREINIT:1000\n"
                       "SONGVOL:300\nSEVOL:-1\n#START\n#END\n");
  EXPECT_EQ((D{c.offsetMs, c.demoStartS, c.bpm}), (D{-1250, 12.5, 148.5}));
  EXPECT_EQ((I{c.songVolume, c.effectVolume}), (I{300 & 0xFF, 255}));
  // A file without the keys gets the defaults, whatever the previous song had.
  Load("#START\n#END\n");  // 10: the automatic SCOREINIT of an empty chart
  EXPECT_EQ((D{c.offsetMs, c.bpm, double(c.scoreInit), double(c.songVolume)}), (D{0, 120, 10, 0}));
  // Decimal numbers: the longest number prefix, nothing for what strtod would take beyond it.
  const std::pair<const char*, double> numbers[] = {
      {"1.5", 1.5}, {"  -2", -2.0}, {".5x", 0.5}, {"1e-3", 0.001}, {"3e", 3.0}, {"abc", 0.0},
      {"nan", 0.0}, {"inf", 0.0},   {"1e999", 0.0}, {"0x10", 0.0}, {"+7", 7.0}, {"-0", 0.0}};
  for (auto& [text, value] : numbers) {
    EXPECT_DOUBLE_EQ(Load(std::string("OFFSET:") + text + kEmptyBody).offsetMs, value * 1000.0) << text;
  }
}

TEST(Header, BalloonList) {
  const auto& c = Load("BALLOON:12, 8,,30\n#START\n#END\n");
  EXPECT_EQ((I{c.balloonHits[0], c.balloonHits[1], c.balloonHits[2], c.balloonHits[3]}), (I{12, 8, 30, 5}));
  // A later list overwrites only the entries it has; an empty value changes nothing.
  Load("BALLOON:12,8,30\nBALLOON:7\nBALLOON:\n#START\n#END\n");
  EXPECT_EQ((I{c.balloonHits[0], c.balloonHits[1]}), (I{7, 8}));
  // A list longer than a 999-byte piece: the rest of the line is not a BALLOON: line.
  Load("BALLOON:" + Repeat("9,", 1200) + kEmptyBody);
  EXPECT_EQ((I{c.balloonHits[495], c.balloonHits[496]}), (I{9, 5}));
}

TEST(Header, BlockLoadsOnlyForItsCourse) {
  // The course whose block the line opens ("COURSE:oni" and no line leave it at Oni).
  const std::pair<const char*, int> rows[] = {
      {"COURSE:Easy", 0}, {"COURSE:Normal", 1}, {"COURSE:Hard", 2}, {"COURSE:Oni", 3},
      {"COURSE:Edit", 4}, {"COURSE:oni", 3},    {"COURSE:10", 1},   {"COURSE:2", 2},
      {"COURSE:Hard 4", 2}, {"", 3}};
  for (auto& [line, course] : rows)
    for (int c = 0; c < 5; ++c)
      EXPECT_EQ(Load(std::string(line) + "\nLEVEL:4\n#START\n1,\n#END\n", c).totals.notes, c == course) << line << c;
  // Clear threshold and course of each.
  for (int course = 0; course < 5; ++course) {
    const auto& c = Load("COURSE:" + std::to_string(course) + kEmptyBody, course);
    EXPECT_EQ((I{c.clearThreshold, c.course}), (I{course == 0 ? 60 : course == 1 ? 70 : 80, course}));
  }
}

TEST(Header, LevelComesFromTheLastLinesBeforeTheChosenStart) {
  std::string text =
      "COURSE:Easy\nLEVEL:3\n#START\n1,\n#END\nCOURSE:Normal\n#START\n2,\n#END\n"
      "COURSE:Hard\nLEVEL:7\n#START P1\n3,\n#END\n";
  EXPECT_EQ((I{Load(text, 0).level, Load(text, 1).level, Load(text, 2).level}), (I{3, 3, 7}));
  EXPECT_EQ(chart::TheChart.notes[0].type, 3);  // "#START P1" opens the block too
  // A missing course keeps the previous level and leaves the chart empty.
  const auto& c = Load(text, 4);
  EXPECT_EQ((I{c.level, c.totals.notes, BarLineCount(), c.bpmChanges[1].lane}), (I{7, 0, 0, -1}));
  // Both passes read the same block: the first #START comes before any COURSE: line (an Oni
  // block); the Hard block follows.
  Load("#START\n1111,\n#END\nCOURSE:Hard\nLEVEL:6\n#START\n20,\n#END\n", chart::kCourseHard);
  EXPECT_EQ((I{c.totals.notes, c.notes[0].type, c.level, c.measureDigits[0]}), (I{1, 2, 6, 2}));
}

TEST(Header, UnopenableFileLeavesTheChartAlone) {
  Load("TITLE:Kept\n#START\n1,\n#END\n");
  // A missing file, a folder and an endless device are no charts.
  for (const char* path : {"/nonexistent/dir/song.tja", "/tmp", "/dev/zero"}) EXPECT_EQ(chart::LoadChart(path, 3), -1) << path;
  EXPECT_EQ(std::string(chart::TheChart.title) + std::to_string(chart::TheChart.totals.notes), "Kept1");
}

TEST(SongIdentity, DigestOfTheFile) {
  char id[33];
  const std::string abc = WriteFile("abc.tja", "abc"), empty = WriteFile("empty.tja", "");
  const std::string zeros(32, '0'), abcDigest = "900150983CD24FB0D6963F7D28E17F72";
  for (auto [path, result, digest] : {std::tuple{abc, 0, abcDigest}, {empty, -1, zeros}, {"/nonexistent.tja", -1, zeros}}) {
    EXPECT_EQ(chart::SongIdentity(path.c_str(), id), result);
    EXPECT_EQ(id, digest);
  }
  // The loader keeps the same identity with the chart. (That bytes after the first 64 KiB
  // don't count is shown where it matters, by the library: two such charts share records.)
  chart::LoadChart(abc.c_str(), 3);
  EXPECT_EQ(chart::TheChart.songIdentity, abcDigest);
  chart::BufferDigest("", 0, id);
  EXPECT_STREQ(id, "D41D8CD98F00B204E9800998ECF8427E");
  for (const auto& p : {abc, empty}) std::remove(p.c_str());
}

}  // namespace
