#include "library/song_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "library_test_util.h"

namespace {

using library_test::TempSongFolder;

struct TitleCase {
  const char* name;
  std::string content;
  std::string title;
};

class TitleRead : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TitleRead, TitleOfTheChart) {
  TempSongFolder tmp;
  TempSongFolder::File("t.tja", GetParam().content);
  char title[library::kTitleBytes];
  std::memset(title, 'x', sizeof title);
  library::ReadSongTitle("t.tja", title);
  EXPECT_EQ(std::string(title), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TitleRead,
    ::testing::Values(
        TitleCase{"FirstTitleSubtitleSkipped", "SUBTITLE:--Composer\nTITLE:Real Song\nTITLE:Second\n", "Real Song"},
        TitleCase{"Crlf", "TITLE:Crlf Song\r\nWAVE:a.ogg\r\n", "Crlf Song"},
        TitleCase{"OnlySubtitle", "BPM:120\nSUBTITLE:only a subtitle\n", ""},
        TitleCase{"EmptyFile", "", ""},
        // The value comes from the fixed column after the key.
        TitleCase{"FixedColumn", " TITLE:Foo\n", ":Foo"},
        TitleCase{"ShiftJisKept", "TITLE:\x82\xa0\x82\xa2\n", "\x82\xa0\x82\xa2"},
        TitleCase{"NoFinalLineBreak", "TITLE:Last", "Last"},
        // Long lines are read in pieces: cut to one, and a key beyond the first piece is seen.
        TitleCase{"LongTitleIsCut", "TITLE:" + std::string(5000, 'A') + "\n",
                  std::string(library::kHeaderLineBytes - 6, 'A')},
        TitleCase{"KeyInALaterPiece", std::string(255, 'x') + "TITLE:Piece\n", "Piece"}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return info.param.name; });

TEST(TitleRead, MissingFileAndFolderGiveEmptyTitle) {
  TempSongFolder tmp;
  char title[library::kTitleBytes] = "junk";
  library::ReadSongTitle("missing.tja", title);
  EXPECT_STREQ(title, "");
  TempSongFolder::Dir("folder.tja");
  library::ReadSongTitle("folder.tja", title);
  EXPECT_STREQ(title, "");
}

struct LevelCase {
  const char* name;
  const char* chart;
  int result;
  uint8_t levels[5];
};

class CourseLevelRead : public ::testing::TestWithParam<LevelCase> {};

TEST_P(CourseLevelRead, Levels) {
  TempSongFolder tmp;
  const LevelCase& c = GetParam();
  TempSongFolder::File("c.tja", c.chart);
  uint8_t levels[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(library::ReadCourseLevels("c.tja", levels), c.result);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(levels[i], c.levels[i]) << "course " << i;
}

// A course without a LEVEL: line taking the one before, and a file without COURSE: lines being
// Oni, are shown by the library request tests; a byte order mark by the BOM chart test.
INSTANTIATE_TEST_SUITE_P(
    Examples, CourseLevelRead,
    ::testing::Values(
        LevelCase{"NoLevelLineIsOne", "#START\n#END\n", 0, {0, 0, 0, 1, 0}},
        LevelCase{"AllFiveByWordAndDigit",
                  "COURSE:Easy\r\nLEVEL:2\r\n#START\r\nCOURSE:1\r\nLEVEL:4\r\n#START\r\n"
                  "COURSE:Hard\r\nLEVEL:6\r\n#START\r\nCOURSE:3\r\nLEVEL:9\r\n#START\r\n"
                  "COURSE:Edit\r\nLEVEL:10\r\n#START P1\r\n",
                  0, {2, 4, 6, 9, 10}},
        LevelCase{"LowerCaseWordLeavesCourse", "COURSE:Hard\nCOURSE:oni\nLEVEL:3\n#START\n", 0,
                  {0, 0, 3, 0, 0}},
        LevelCase{"TenIsNormalDigitOneFirst", "COURSE:10\nLEVEL:3\n#START\n", 0, {0, 3, 0, 0, 0}},
        LevelCase{"LevelKeptAsByte", "LEVEL:300\n#START\n", 0, {0, 0, 0, 44, 0}},
        LevelCase{"LevelWithoutDigitsIsZero", "LEVEL:x\n#START\n", 0, {0, 0, 0, 0, 0}},
        LevelCase{"HugeLevelSaturates", "LEVEL:99999999999999999999999\n#START\n", 0,
                  {0, 0, 0, 255, 0}},
        LevelCase{"EmptyFile", "", 0, {0, 0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<LevelCase>& info) { return info.param.name; });

TEST(CourseLevelRead, UnreadableGivesMinusOneAndZeros) {
  TempSongFolder tmp;
  uint8_t levels[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(library::ReadCourseLevels("none.tja", levels), -1);
  for (uint8_t l : levels) EXPECT_EQ(l, 0);
  TempSongFolder::Dir("genre");
  EXPECT_EQ(library::ReadCourseLevels("genre", levels), -1);
}

TEST(CourseLevelRead, BinaryJunkWithNulBytes) {
  TempSongFolder tmp;
  std::string junk;
  for (int i = 0; i < 20000; ++i) junk.push_back(static_cast<char>((i * 7919) & 0xFF));
  junk += std::string("\0COURSE:Hard\n", 13) + "LEVEL:4\n#START\n";
  TempSongFolder::File("junk.tja", junk);
  uint8_t levels[5];
  EXPECT_EQ(library::ReadCourseLevels("junk.tja", levels), 0);
  // Text after a NUL byte is no part of its line, so COURSE:Hard is not seen.
  EXPECT_EQ(levels[3], 4);
}

struct GenreCase {
  const char* name;
  const char* ini;
  const char* genreName;
  uint32_t colour;
};

class GenreIniRead : public ::testing::TestWithParam<GenreCase> {};

TEST_P(GenreIniRead, NameAndColour) {
  TempSongFolder tmp;
  TempSongFolder::File("genre.ini", GetParam().ini);
  char name[library::kGenreNameBytes] = "";
  uint32_t colour = 0xFF000000;
  EXPECT_EQ(library::ReadGenreIniFile("genre.ini", name, &colour), 0);
  EXPECT_STREQ(name, GetParam().genreName);
  EXPECT_EQ(colour, GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GenreIniRead,
    ::testing::Values(
        GenreCase{"HashLowerCase", "[Genre]\r\nGenreName=Pops\r\nGenreColor=#ff8000\r\n", "Pops",
                  0xFFFF8000},
        GenreCase{"UpperCaseNoHash", "GenreName=Anime\nGenreColor=FF8000\n", "Anime", 0xFFFF8000},
        GenreCase{"LastNameWins", "GenreName=One\nGenreName=Two\n", "Two", 0xFF000000},
        GenreCase{"NoColourDigitsCountMinusOne", "GenreColor=#00000g\n", "", 0xFEFFFFFF},
        GenreCase{"ShortColourLine", "GenreColor=\n", "", 0xFF000000},
        GenreCase{"ShiftJisName", "GenreName=\x83\x51\x81\x5B\x83\x80\n", "\x83\x51\x81\x5B\x83\x80",
                  0xFF000000}),
    [](const ::testing::TestParamInfo<GenreCase>& info) { return info.param.name; });

TEST(GenreIniRead, BinaryJunkAndLongNamesStayInBounds) {
  TempSongFolder tmp;
  std::string junk = "GenreName=" + std::string(400, 'N') + "\n";
  for (int i = 0; i < 100000; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  TempSongFolder::File("genre.ini", junk);
  char name[library::kGenreNameBytes];
  uint32_t colour = 0xFF000000;
  EXPECT_EQ(library::ReadGenreIniFile("genre.ini", name, &colour), 0);
  EXPECT_LT(std::strlen(name), static_cast<size_t>(library::kGenreNameBytes));
  EXPECT_EQ(library::ReadGenreIniFile("missing.ini", name, &colour), -1);
}

TEST(WavePathRead, JoinsChartFolderAndValue) {
  TempSongFolder tmp;
  TempSongFolder::File("Songs/Pop/a.tja", "TITLE:A\r\nWAVE:a song.ogg\r\nWAVE:second.ogg\r\n");
  char wave[library::kPathBytes];
  library::ReadWavePath("Songs/Pop/a.tja", wave);
  EXPECT_STREQ(wave, "Songs/Pop/a song.ogg");
  TempSongFolder::File("b.tja", "TITLE:B\n");
  library::ReadWavePath("b.tja", wave);
  EXPECT_STREQ(wave, "");
  library::ReadWavePath("missing.tja", wave);
  EXPECT_STREQ(wave, "");
  // A chart named without a folder lies in the current one.
  TempSongFolder::File("c.tja", "WAVE:c.wav\n");
  library::ReadWavePath("c.tja", wave);
  EXPECT_STREQ(wave, "./c.wav");
  // A joined path too long for the field is left empty, never cut.
  std::string folder(100, 'd');
  TempSongFolder::File(folder + "/d.tja", "WAVE:" + std::string(200, 'w') + ".ogg\n");
  library::ReadWavePath((folder + "/d.tja").c_str(), wave);
  EXPECT_STREQ(wave, "");
}

struct ParentCase {
  const char* in;
  const char* out;
};

class ParentPath : public ::testing::TestWithParam<ParentCase> {};

TEST_P(ParentPath, CutsLastComponent) {
  char path[library::kPathBytes];
  library::CopyTextField(path, sizeof path, GetParam().in);
  library::CutParentPath(path);
  EXPECT_STREQ(path, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Paths, ParentPath,
                         ::testing::Values(ParentCase{"./Songs/Pop", "./Songs"},
                                           ParentCase{".", "."},
                                           ParentCase{"Songs/", "Songs"},
                                           ParentCase{"a\\b", "a\\b"},
                                           ParentCase{"a\\\\b", "a\\"},
                                           ParentCase{"/abs", ""}));

TEST(PathHelpers, JoinRefusesWhatDoesNotFitAndLookupNeedsAFile) {
  TempSongFolder tmp;
  char out[library::kPathBytes];
  EXPECT_TRUE(library::JoinPath("a", "b", out, sizeof out));
  EXPECT_STREQ(out, "a/b");
  std::string longName(300, 'n');
  EXPECT_FALSE(library::JoinPath("a", longName.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");

  TempSongFolder::File("g/genre.ini", "GenreName=G\n");
  TempSongFolder::Dir("h/genre.ini");
  EXPECT_TRUE(library::FindFileInFolder("g", "genre.ini", out));
  EXPECT_STREQ(out, "g/genre.ini");
  EXPECT_FALSE(library::FindFileInFolder("h", "genre.ini", out));
  EXPECT_FALSE(library::FindFileInFolder("none", "genre.ini", out));
}

}  // namespace
