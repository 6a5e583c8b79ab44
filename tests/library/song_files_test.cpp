#include "library/song_files.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "chart/chart.h"
#include "library_test_util.h"

namespace {

using library_test::TempSongFolder;

TEST(TitleRead, TitleOfTheChart) {
  TempSongFolder tmp;
  TempSongFolder::Dir("folder.tja");
  const std::pair<std::string, std::string> rows[] = {
      {"SUBTITLE:--Composer\nTITLE:Real Song\nTITLE:Second\n", "Real Song"},  // first TITLE: only
      {"TITLE:Crlf Song\r\nWAVE:a.ogg\r\n", "Crlf Song"},
      {"BPM:120\nSUBTITLE:only a subtitle\n", ""},
      {"", ""},
      {" TITLE:Foo\n", ":Foo"},  // the value comes from the fixed column after the key
      {"TITLE:\x82\xa0\x82\xa2\n", "\x82\xa0\x82\xa2"},
      {"TITLE:Last", "Last"},
      // Long lines are read in pieces: cut to one, and a key beyond the first piece is seen.
      {"TITLE:" + std::string(5000, 'A') + "\n", std::string(library::kHeaderLineBytes - 6, 'A')},
      {std::string(255, 'x') + "TITLE:Piece\n", "Piece"}};
  char title[library::kTitleBytes];
  for (const auto& [content, want] : rows) {
    TempSongFolder::File("t.tja", content);
    std::memset(title, 'x', sizeof title);
    library::ReadSongTitle("t.tja", title);
    EXPECT_EQ(std::string(title), want) << content.substr(0, 40);
  }
  for (const char* unreadable : {"missing.tja", "folder.tja"}) {
    library::ReadSongTitle(unreadable, title);
    EXPECT_STREQ(title, "") << unreadable;
  }
}

// A course without a LEVEL: line taking the one before, and a file without COURSE: lines being
// Oni, are shown by the library request tests; a byte order mark by the BOM chart test.
TEST(CourseLevelRead, Levels) {
  TempSongFolder tmp;
  std::string junk;  // binary junk, then a NUL: text after it is no part of its line
  for (int i = 0; i < 20000; ++i) junk.push_back(static_cast<char>((i * 7919) & 0xFF));
  junk += std::string("\0COURSE:Hard\n", 13) + "LEVEL:4\n#START\n";
  const std::pair<std::string, std::vector<int>> rows[] = {
      {"#START\n#END\n", {0, 0, 0, 1, 0}},  // no LEVEL: line is one
      {"COURSE:Easy\r\nLEVEL:2\r\n#START\r\nCOURSE:1\r\nLEVEL:4\r\n#START\r\nCOURSE:Hard\r\nLEVEL:6\r\n"
       "#START\r\nCOURSE:3\r\nLEVEL:9\r\n#START\r\nCOURSE:Edit\r\nLEVEL:10\r\n#START P1\r\n", {2, 4, 6, 9, 10}},
      {"COURSE:Hard\nCOURSE:oni\nLEVEL:3\n#START\n", {0, 0, 3, 0, 0}},  // a lower-case word leaves the course
      {"COURSE:10\nLEVEL:3\n#START\n", {0, 3, 0, 0, 0}},                 // the digit 1 first
      {"LEVEL:300\n#START\n", {0, 0, 0, 44, 0}},                         // kept as a byte
      {"LEVEL:x\n#START\n", {0, 0, 0, 0, 0}},
      {"LEVEL:99999999999999999999999\n#START\n", {0, 0, 0, 255, 0}},
      {"", {0, 0, 0, 0, 0}},
      {junk, {0, 0, 0, 4, 0}}};
  uint8_t levels[5];
  for (const auto& [content, want] : rows) {
    TempSongFolder::File("c.tja", content);
    std::memset(levels, 9, sizeof levels);
    EXPECT_EQ(library::ReadCourseLevels("c.tja", levels), 0);
    EXPECT_EQ(std::vector<int>(levels, levels + 5), want) << content.substr(0, 40);
  }
  TempSongFolder::Dir("genre");
  for (const char* unreadable : {"none.tja", "genre"}) {
    std::memset(levels, 9, sizeof levels);
    EXPECT_EQ(library::ReadCourseLevels(unreadable, levels), -1);
    EXPECT_EQ(std::vector<int>(levels, levels + 5), std::vector<int>(5, 0));
  }
}

TEST(GenreIniRead, NameAndColour) {
  TempSongFolder tmp;
  const std::tuple<const char*, const char*, uint32_t> rows[] = {
      {"[Genre]\r\nGenreName=Pops\r\nGenreColor=#ff8000\r\n", "Pops", 0xFFFF8000},
      {"GenreName=Anime\nGenreColor=FF8000\n", "Anime", 0xFFFF8000},
      {"GenreName=One\nGenreName=Two\n", "Two", 0xFF000000},
      {"GenreColor=#00000g\n", "", 0xFEFFFFFF},  // no colour digits count as minus one
      {"GenreColor=\n", "", 0xFF000000},
      {"GenreName=\x83\x51\x81\x5B\x83\x80\n", "\x83\x51\x81\x5B\x83\x80", 0xFF000000}};
  char name[library::kGenreNameBytes];
  uint32_t colour;
  for (const auto& [ini, wantName, wantColour] : rows) {
    TempSongFolder::File("genre.ini", ini);
    name[0] = 0;
    colour = 0xFF000000;
    EXPECT_EQ(library::ReadGenreIniFile("genre.ini", name, &colour), 0);
    EXPECT_STREQ(name, wantName);
    EXPECT_EQ(colour, wantColour) << ini;
  }
  // Binary junk and long names stay in bounds.
  std::string junk = "GenreName=" + std::string(400, 'N') + "\n";
  for (int i = 0; i < 100000; ++i) junk.push_back(static_cast<char>((i * 131) & 0xFF));
  TempSongFolder::File("genre.ini", junk);
  EXPECT_EQ(library::ReadGenreIniFile("genre.ini", name, &colour), 0);
  EXPECT_LT(std::strlen(name), static_cast<size_t>(library::kGenreNameBytes));
  EXPECT_EQ(library::ReadGenreIniFile("missing.ini", name, &colour), -1);
}

TEST(WavePathRead, JoinsChartFolderAndValue) {
  TempSongFolder tmp;
  const std::string longFolder(100, 'd');
  TempSongFolder::File("Songs/Pop/a.tja", "TITLE:A\r\nWAVE:a song.ogg\r\nWAVE:second.ogg\r\n");
  TempSongFolder::File("b.tja", "TITLE:B\n");
  TempSongFolder::File("c.tja", "WAVE:c.wav\n");
  TempSongFolder::File(longFolder + "/d.tja", "WAVE:" + std::string(200, 'w') + ".ogg\n");
  // A chart named without a folder lies in the current one; a joined path too long for the
  // field is left empty, never cut.
  const std::pair<std::string, const char*> rows[] = {
      {"Songs/Pop/a.tja", "Songs/Pop/a song.ogg"}, {"b.tja", ""}, {"missing.tja", ""},
      {"c.tja", "./c.wav"}, {longFolder + "/d.tja", ""}};
  char wave[library::kPathBytes];
  for (const auto& [chart, want] : rows) {
    library::ReadWavePath(chart.c_str(), wave);
    EXPECT_STREQ(wave, want) << chart;
  }
}

TEST(PathHelpers, ParentAndLookup) {
  const char* parents[][2] = {{"./Songs/Pop", "./Songs"}, {".", "."},        {"Songs/", "Songs"},
                              {"a\\b", "a\\b"},          {"a\\\\b", "a\\"}, {"/abs", ""}};
  char out[library::kPathBytes];
  for (auto& p : parents) {
    library::CopyTextField(out, sizeof out, p[0]);
    library::CutParentPath(out);
    EXPECT_STREQ(out, p[1]) << p[0];
  }
  // Joining and finding genre.ini show in every folder scan; a genre.ini that is a folder does not.
  TempSongFolder tmp;
  TempSongFolder::Dir("h/genre.ini");
  EXPECT_FALSE(library::FindFileInFolder("h", "genre.ini", out));
}

// A chart saved as UTF-8 with a byte order mark: the game's chart reader and the library agree
// on its title, and its first key is read whichever key it is.
TEST(BomChart, GameAndLibraryReadTheSameTitleAndBpm) {
  TempSongFolder tmp;
  const std::string bom = "\xEF\xBB\xBF", body = "COURSE:Oni\nLEVEL:4\n#START\n1,\n#END\n";
  TempSongFolder::File("title_first.tja", bom + "TITLE:Song\nBPM:150\nWAVE:a.ogg\n" + body);
  TempSongFolder::File("bpm_first.tja", bom + "BPM:150\nTITLE:Song\nWAVE:a.ogg\n" + body);
  library_test::Scan(".", 0);
  EXPECT_EQ(library::SongList.songCount, 2);
  for (int i = library::SongList.folderCount; i < library::SongList.itemCount; ++i) {
    const library::SongListItem& item = library::SongList.items[i];
    SCOPED_TRACE(item.path);
    ASSERT_EQ(chart::LoadChart(item.path, chart::kCourseOni), 0);
    uint8_t levels[library::kCourseCount];
    ASSERT_EQ(library::ReadCourseLevels(item.path, levels), 0);
    // The title as listed and as played, the BPM, and the level as played and as listed.
    EXPECT_EQ(std::tuple(std::string(item.title), std::string(chart::TheChart.title), chart::TheChart.bpm,
                         chart::TheChart.level, int(levels[chart::kCourseOni])),
              std::tuple(std::string("Song"), std::string("Song"), 150.0, 4, 4));
  }
}

}  // namespace
