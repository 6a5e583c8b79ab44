#include "library/song_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "chart/song_identity.h"
#include "library/record_file.h"
#include "library_test_util.h"

namespace {

using library::SongList;
using library_test::TempSongFolder;

void Scan(const std::string& folder, int depth) {
  library::ResetSongList();
  library::CopyTextField(library::BrowseState.currentFolder, library::kPathBytes, folder);
  library::BrowseState.depth = static_cast<uint8_t>(depth);
  library::ScanCurrentFolder();
}

std::set<std::string> SongPaths() {
  std::set<std::string> paths;
  for (int i = SongList.folderCount; i < SongList.itemCount; ++i) paths.insert(SongList.items[i].path);
  return paths;
}

const library::SongListItem* FindItem(const std::string& path) {
  for (int i = 0; i < SongList.itemCount; ++i)
    if (path == SongList.items[i].path) return &SongList.items[i];
  return nullptr;
}

// Stores a play of the chart at path as the game does after a play.
void RecordPlay(const std::string& path, int course, int score, double gauge, int bad = 0) {
  char id[33];
  ASSERT_EQ(chart::SongIdentity(path.c_str(), id), 0);
  library::PlayOutcome play{};
  play.course = course;
  play.score = score;
  play.finalGauge = gauge;
  play.clearThreshold = 80;
  play.badCount = bad;
  ASSERT_EQ(library::UpdateSongRecordAfterPlay(id, play), 0);
}

TEST(FolderScan, BackItemFirstThenGenreFoldersThenSongs) {
  TempSongFolder tmp;
  TempSongFolder::File("Songs/a.tja", TempSongFolder::Chart("Alpha"));
  TempSongFolder::File("Songs/Pop/genre.ini", "[Genre]\nGenreName=Pop\nGenreColor=#ff8000\n");
  TempSongFolder::File("Songs/Pop/p.tja", TempSongFolder::Chart("PopSong"));
  TempSongFolder::File("Songs/z.tja", TempSongFolder::Chart("Zulu"));
  TempSongFolder::File("Songs/Rock/genre.ini", "GenreName=Rock\nGenreColor=FF8000\n");
  Scan("./Songs", 0);

  ASSERT_EQ(SongList.itemCount, 5);
  EXPECT_EQ(SongList.folderCount, 3);
  EXPECT_EQ(SongList.songCount, 2);
  const auto& back = SongList.items[0];
  EXPECT_EQ(back.kind, library::kGenreFolderItem);
  EXPECT_STREQ(back.title, "\x82\xe0\x82\xc7\x82\xe9");
  EXPECT_STREQ(back.path, ".");
  EXPECT_EQ(back.colour, 0xFFF7BD6Bu);
  EXPECT_STREQ(back.genreName, "");
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(SongList.items[i].kind, library::kGenreFolderItem);
    EXPECT_EQ(SongList.items[i].colour, 0xFFFF8000u);
    EXPECT_STREQ(SongList.items[i].title, SongList.items[i].genreName);
  }
  for (int i = 3; i < 5; ++i) {
    EXPECT_EQ(SongList.items[i].kind, library::kSongEntryItem);
    EXPECT_STREQ(SongList.items[i].genreName, "No Genre");
    EXPECT_EQ(SongList.items[i].colour, 0xFF303030u);
  }
  EXPECT_STREQ(FindItem("./Songs/a.tja")->title, "Alpha");
  EXPECT_STREQ(FindItem("./Songs/Pop")->title, "Pop");
  EXPECT_EQ(FindItem("./Songs/Pop/p.tja"), nullptr);  // inside a genre: listed when entered
}

TEST(FolderScan, SubFolderWithoutGenreIniIsFoldedOneLevelOnly) {
  TempSongFolder tmp;
  TempSongFolder::File("G/genre.ini", "GenreName=Game\nGenreColor=#102030\n");
  TempSongFolder::File("G/Pack/one.tja", TempSongFolder::Chart("One"));
  TempSongFolder::File("G/Pack/two.tja", TempSongFolder::Chart("Two"));
  TempSongFolder::File("G/Pack/three.tja", TempSongFolder::Chart("Three"));
  TempSongFolder::File("G/Pack/Deeper/four.tja", TempSongFolder::Chart("Four"));
  TempSongFolder::File("G/Pack/notes.txt", "x");
  Scan("G", 1);
  ASSERT_EQ(SongList.itemCount, 4);
  EXPECT_EQ(SongList.folderCount, 1);
  EXPECT_EQ(SongPaths(), (std::set<std::string>{"G/Pack/one.tja", "G/Pack/two.tja", "G/Pack/three.tja"}));
  const auto* one = FindItem("G/Pack/one.tja");
  ASSERT_NE(one, nullptr);
  EXPECT_STREQ(one->title, "One");
  EXPECT_STREQ(one->genreName, "Game");
  EXPECT_EQ(one->colour, 0xFF102030u);
}

TEST(FolderScan, ExtensionRulesDirectAndFolded) {
  TempSongFolder tmp;
  for (const char* name : {"low.tja", "up.TJA", "mixed.Tja", "long.tjax", "tja", ".tja", "a.b.tja",
                           "noext"})
    TempSongFolder::File(std::string("R/") + name, "TITLE:x\n");
  for (const char* name : {"f1.Tja", "f2.TJA", "f3.tja", "f4.tJa.txt"})
    TempSongFolder::File(std::string("R/Fold/") + name, "TITLE:y\n");
  Scan("R", 0);
  EXPECT_EQ(SongPaths(), (std::set<std::string>{"R/low.tja", "R/up.TJA", "R/a.b.tja",
                                                "R/Fold/f1.Tja", "R/Fold/f2.TJA",
                                                "R/Fold/f3.tja"}));
}

TEST(FolderScan, ListStopsAtOneThousandItems) {
  TempSongFolder tmp;
  for (int i = 0; i < 1200; ++i) TempSongFolder::File("Big/s" + std::to_string(i) + ".tja", "");
  Scan("Big", 0);
  EXPECT_EQ(SongList.itemCount, 1000);
  EXPECT_EQ(SongList.folderCount + SongList.songCount, 1000);
  EXPECT_EQ(SongList.items[0].kind, library::kGenreFolderItem);

  // The bound holds inside a folded folder as well.
  for (int i = 0; i < 1100; ++i) TempSongFolder::File("Big2/Pack/s" + std::to_string(i) + ".tja", "");
  Scan("Big2", 0);
  EXPECT_EQ(SongList.itemCount, 1000);
}

TEST(FolderScan, GenreOfTheListedFolder) {
  TempSongFolder tmp;
  TempSongFolder::File("Anime/genre.ini", "GenreName=Anime\r\nGenreColor=FF8000\r\n");
  TempSongFolder::File("Anime/a.tja", "TITLE:A\n");
  Scan("Anime", 1);
  ASSERT_EQ(SongList.songCount, 1);
  EXPECT_STREQ(SongList.items[1].genreName, "Anime");
  EXPECT_EQ(SongList.items[1].colour, 0xFFFF8000u);
  // A folder entered at depth 1 without a genre.ini: empty name, black.
  TempSongFolder::File("Plain/b.tja", "TITLE:B\n");
  Scan("Plain", 1);
  ASSERT_EQ(SongList.songCount, 1);
  EXPECT_STREQ(SongList.items[1].genreName, "");
  EXPECT_EQ(SongList.items[1].colour, 0xFF000000u);
}

TEST(FolderScan, RecordsAreCopiedAndCopiesOfAChartShareOne) {
  TempSongFolder tmp;
  std::string chart = TempSongFolder::Chart("Shared");
  TempSongFolder::File("S/one/genre.ini", "");
  TempSongFolder::File("S/x.tja", chart);
  TempSongFolder::File("S/Copy/x-copy.tja", chart);
  // Equal in the first 64 KiB, different later: the same song as far as records go.
  std::string big = chart + std::string(70000, ';');
  TempSongFolder::File("S/big1.tja", big + "A");
  TempSongFolder::File("S/big2.tja", big + "B");

  RecordPlay("S/x.tja", 3, 777777, 100);
  RecordPlay("S/big1.tja", 0, 5, 0);

  Scan("S", 1);
  for (const char* path : {"S/x.tja", "S/Copy/x-copy.tja"}) {
    const auto* item = FindItem(path);
    ASSERT_NE(item, nullptr) << path;
    EXPECT_EQ(item->bestScore[3], 777777) << path;
    EXPECT_EQ(item->clearStatus[3], 3) << path;
    EXPECT_EQ(item->clearStatus[0], 0) << path;
  }
  for (const char* path : {"S/big1.tja", "S/big2.tja"}) {
    const auto* item = FindItem(path);
    ASSERT_NE(item, nullptr) << path;
    EXPECT_EQ(item->bestScore[0], 5) << path;
    EXPECT_EQ(item->clearStatus[0], 1) << path;
  }
  // The folder item has no record.
  const auto* folder = FindItem("S/one");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->bestScore[3], 0);
}

TEST(FolderScan, DeepestDepthFoldsGenreFolders) {
  TempSongFolder tmp;
  TempSongFolder::File("D/Genre/genre.ini", "GenreName=Deep\n");
  TempSongFolder::File("D/Genre/g.tja", "TITLE:G\n");
  Scan("D", library::kMaxBrowseDepth - 1);
  EXPECT_NE(FindItem("D/Genre"), nullptr);
  Scan("D", library::kMaxBrowseDepth);
  EXPECT_EQ(FindItem("D/Genre"), nullptr);
  EXPECT_NE(FindItem("D/Genre/g.tja"), nullptr);
  EXPECT_EQ(SongList.folderCount, 1);  // only the way back
}

TEST(FolderScan, OverlongPathsAreLeftOutWithoutHarm) {
  TempSongFolder tmp;
  std::string folder = "L/" + std::string(200, 'f');
  TempSongFolder::File(folder + "/short.tja", "TITLE:S\n");
  TempSongFolder::File(folder + "/" + std::string(80, 'n') + ".tja", "TITLE:N\n");
  TempSongFolder::File(folder + "/" + std::string(60, 'p') + "/x.tja", "TITLE:P\n");
  Scan(folder, 1);
  EXPECT_EQ(SongPaths(), (std::set<std::string>{folder + "/short.tja"}));
  for (int i = 0; i < SongList.itemCount; ++i) EXPECT_LT(std::strlen(SongList.items[i].path), 260u);
}

TEST(FolderScan, MissingFolderAndOddEntries) {
  TempSongFolder tmp;
  Scan("nowhere", 0);
  EXPECT_EQ(SongList.itemCount, 0);
  Scan("nowhere/deeper", 2);
  ASSERT_EQ(SongList.itemCount, 1);  // the way back stays open
  EXPECT_STREQ(SongList.items[0].path, "nowhere");

  TempSongFolder::File("O/genre.ini", "GenreName=O\n");
  TempSongFolder::File("O/\x82\xa0\xff\xfe.tja", "TITLE:\xff\xfe\x82\n");
  ASSERT_EQ(symlink(".", "O/loop"), 0);       // a loop back to itself
  ASSERT_EQ(symlink("self", "O/self"), 0);    // a link to nothing that resolves
  ASSERT_EQ(symlink("gone.tja", "O/dangling.tja"), 0);
  ASSERT_EQ(mkfifo("O/pipe.tja", 0644), 0);
  Scan("O", 1);
  const auto* odd = FindItem("O/\x82\xa0\xff\xfe.tja");
  ASSERT_NE(odd, nullptr);
  EXPECT_STREQ(odd->title, "\xff\xfe\x82");
  EXPECT_NE(FindItem("O/loop"), nullptr);  // a genre folder (it holds genre.ini); entering it is bounded by depth
  EXPECT_NE(FindItem("O/dangling.tja"), nullptr);
  const auto* pipe = FindItem("O/pipe.tja");
  ASSERT_NE(pipe, nullptr);
  EXPECT_STREQ(pipe->title, "");
}

// A 100 MB chart of NUL bytes (junk genre.ini files are the genre reader's own test).
TEST(FolderScan, HugeChart) {
  TempSongFolder tmp;
  TempSongFolder::File("H/genre.ini", "");
  int fd = open("H/huge.tja", O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 100 * 1024 * 1024), 0);
  close(fd);
  Scan("H", 1);
  ASSERT_NE(FindItem("H/huge.tja"), nullptr);
  EXPECT_STREQ(FindItem("H/huge.tja")->title, "");
  uint8_t levels[5];
  EXPECT_EQ(library::ReadCourseLevels("H/huge.tja", levels), 0);
  for (uint8_t l : levels) EXPECT_EQ(l, 0);
}

TEST(FolderScan, RecordOfOneItemIsRereadAfterAPlay) {
  TempSongFolder tmp;
  TempSongFolder::File("P/genre.ini", "");
  TempSongFolder::File("P/played.tja", TempSongFolder::Chart("Played"));
  Scan("P", 1);
  ASSERT_EQ(SongList.itemCount, 2);
  EXPECT_EQ(SongList.items[1].clearStatus[2], 0);
  RecordPlay("P/played.tja", 2, 4242, 95, 1);
  EXPECT_EQ(library::RereadSongRecordOfItem(1), 0);
  EXPECT_EQ(SongList.items[1].clearStatus[2], 2);
  EXPECT_EQ(SongList.items[1].bestScore[2], 4242);
  EXPECT_STREQ(SongList.items[1].title, "Played");
  EXPECT_EQ(library::RereadSongRecordOfItem(0), -1);  // the back item
  EXPECT_EQ(library::RereadSongRecordOfItem(2), -1);
}

TEST(FolderScan, CursorSlotsAreBounded) {
  library::ResetSongList();
  library::CursorAtDepth(42) = 7;
  EXPECT_EQ(library::BrowseState.cursor[library::kCursorSlots - 1], 7);
  library::CursorAtDepth(-3) = 2;
  EXPECT_EQ(library::BrowseState.cursor[0], 2);
}

}  // namespace

namespace {

// A long list is read by two threads; every item must hold its own chart's title and record.
TEST(FolderScanThread, LongListItemsHoldTheirOwnTitlesAndRecords) {
  TempSongFolder tmp;
  for (int i = 0; i < 120; ++i) {
    std::string path = "Long/s" + std::to_string(i) + ".tja";
    TempSongFolder::File(path, TempSongFolder::Chart("Song " + std::to_string(i)));
    if (i % 3 == 0) RecordPlay(path, 3, 1000 + i, 0);
  }
  Scan("Long", 1);
  ASSERT_EQ(SongList.songCount, 120);
  for (int i = 0; i < 120; ++i) {
    const auto* item = FindItem("Long/s" + std::to_string(i) + ".tja");
    ASSERT_NE(item, nullptr) << i;
    EXPECT_EQ(std::string(item->title), "Song " + std::to_string(i));
    EXPECT_EQ(item->bestScore[3], i % 3 == 0 ? 1000 + i : 0) << i;
    EXPECT_EQ(item->clearStatus[3], i % 3 == 0 ? 1 : 0) << i;
  }
}

}  // namespace
