#include "library/song_list.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "library_test_util.h"

namespace {

using library::SongList;
using namespace library_test;
using File = TempSongFolder;

std::set<std::string> SongPaths() {
  std::set<std::string> paths;
  for (int i = SongList.folderCount; i < SongList.itemCount; ++i) paths.insert(SongList.items[i].path);
  return paths;
}

// Path, kind, title, genre name and colour of an item.
std::string Describe(const library::SongListItem* item) {
  if (item == nullptr) return "missing";
  char colour[16];
  std::snprintf(colour, sizeof colour, "%08X", item->colour);
  return std::string(item->path) + (item->kind == library::kGenreFolderItem ? " folder|" : " song|") + item->title +
         "|" + item->genreName + "|" + colour;
}

// Every item in list order; folders and songs (read in directory order) each sorted by path.
std::vector<std::string> Listing() {
  std::vector<std::string> out;
  for (int i = 0; i < SongList.itemCount; ++i) out.push_back(Describe(&SongList.items[i]));
  std::sort(out.begin() + std::min(1, SongList.folderCount), out.begin() + SongList.folderCount);
  std::sort(out.begin() + SongList.folderCount, out.end());
  return out;
}

TEST(FolderScan, BackItemFirstThenGenreFoldersThenSongs) {
  TempSongFolder tmp;
  File::File("Songs/a.tja", File::Chart("Alpha"));
  File::File("Songs/Pop/genre.ini", "[Genre]\nGenreName=Pop\nGenreColor=#ff8000\n");
  File::File("Songs/Pop/p.tja", File::Chart("PopSong"));
  File::File("Songs/z.tja", File::Chart("Zulu"));
  File::File("Songs/Rock/genre.ini", "GenreName=Rock\nGenreColor=FF8000\n");
  Scan("./Songs", 0);
  // Songs inside a genre are listed when it is entered.
  EXPECT_EQ(Listing(), (std::vector<std::string>{". folder|\x82\xe0\x82\xc7\x82\xe9||FFF7BD6B",
                                                 "./Songs/Pop folder|Pop|Pop|FFFF8000", "./Songs/Rock folder|Rock|Rock|FFFF8000",
                                                 "./Songs/a.tja song|Alpha|No Genre|FF303030",
                                                 "./Songs/z.tja song|Zulu|No Genre|FF303030"}));
  EXPECT_EQ(SongList.songCount, 2);
  // Entered at depth 1 the songs take the folder's genre, or an empty name in black without one.
  Scan("./Songs/Pop", 1);
  EXPECT_EQ(Describe(FindItem("./Songs/Pop/p.tja")), "./Songs/Pop/p.tja song|PopSong|Pop|FFFF8000");
  File::File("Plain/b.tja", "TITLE:B\n");
  Scan("Plain", 1);
  EXPECT_EQ(Describe(FindItem("Plain/b.tja")), "Plain/b.tja song|B||FF000000");
}

TEST(FolderScan, SubFolderWithoutGenreIniIsFoldedOneLevelOnly) {
  TempSongFolder tmp;
  File::File("G/genre.ini", "GenreName=Game\nGenreColor=#102030\n");
  for (const char* name : {"one", "two", "three", "Deeper/four"}) {
    File::File(std::string("G/Pack/") + name + ".tja", File::Chart(name));
  }
  File::File("G/Pack/notes.txt", "x");
  Scan("G", 1);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"G folder|\x82\xe0\x82\xc7\x82\xe9||FFF7BD6B",
                                                 "G/Pack/one.tja song|one|Game|FF102030",
                                                 "G/Pack/three.tja song|three|Game|FF102030",
                                                 "G/Pack/two.tja song|two|Game|FF102030"}));
  // The deepest level folds genre folders as well.
  File::File("D/Genre/genre.ini", "GenreName=Deep\n");
  File::File("D/Genre/g.tja", "TITLE:G\n");
  Scan("D", library::kMaxBrowseDepth - 1);
  EXPECT_NE(FindItem("D/Genre"), nullptr);
  Scan("D", library::kMaxBrowseDepth);
  EXPECT_EQ(FindItem("D/Genre"), nullptr);
  EXPECT_NE(FindItem("D/Genre/g.tja"), nullptr);
  EXPECT_EQ(SongList.folderCount, 1);  // only the way back
}

TEST(FolderScan, ExtensionRulesDirectAndFolded) {
  TempSongFolder tmp;
  for (const char* name : {"low.tja", "up.TJA", "mixed.Tja", "long.tjax", "tja", ".tja", "a.b.tja", "noext"})
    File::File(std::string("R/") + name, "TITLE:x\n");
  for (const char* name : {"f1.Tja", "f2.TJA", "f3.tja", "f4.tJa.txt"}) File::File(std::string("R/Fold/") + name, "TITLE:y\n");
  Scan("R", 0);
  EXPECT_EQ(SongPaths(), (std::set<std::string>{"R/low.tja", "R/up.TJA", "R/a.b.tja", "R/Fold/f1.Tja",
                                                "R/Fold/f2.TJA", "R/Fold/f3.tja"}));
}

TEST(FolderScan, ListStopsAtOneThousandItems) {
  TempSongFolder tmp;
  for (int i = 0; i < 1200; ++i) File::File("Big/s" + std::to_string(i) + ".tja", "");
  Scan("Big", 0);
  EXPECT_EQ(SongList.itemCount, 1000);
  // The bound holds inside a folded folder as well.
  for (int i = 0; i < 1100; ++i) File::File("Big2/Pack/s" + std::to_string(i) + ".tja", "");
  Scan("Big2", 0);
  EXPECT_EQ(SongList.itemCount, 1000);
}

TEST(FolderScan, RecordsAreCopiedAndRereadAndCopiesOfAChartShareOne) {
  TempSongFolder tmp;
  std::string chart = File::Chart("Shared");
  File::File("S/one/genre.ini", "");
  File::File("S/x.tja", chart);
  File::File("S/Copy/x-copy.tja", chart);
  // Equal in the first 64 KiB, different later: the same song as far as records go.
  std::string big = chart + std::string(70000, ';');
  File::File("S/big1.tja", big + "A");
  File::File("S/big2.tja", big + "B");
  RecordPlay("S/x.tja", 3, 777777, 100);
  RecordPlay("S/big1.tja", 0, 5, 0);
  Scan("S", 1);
  for (const char* path : {"S/x.tja", "S/Copy/x-copy.tja", "S/big1.tja", "S/big2.tja"}) {
    const auto* item = FindItem(path);
    ASSERT_NE(item, nullptr) << path;
    bool x = path[2] != 'b';
    EXPECT_EQ((std::vector<int>{item->bestScore[3], item->clearStatus[3], item->bestScore[0], item->clearStatus[0]}),
              (x ? std::vector<int>{777777, 3, 0, 0} : std::vector<int>{0, 0, 5, 1})) << path;
  }
  EXPECT_EQ(FindItem("S/one")->bestScore[3], 0);  // the folder item has no record
  // Rereading one item after a play is the song select's test; here only places with no record.
  EXPECT_EQ(library::RereadSongRecordOfItem(0), -1);  // the back item
  EXPECT_EQ(library::RereadSongRecordOfItem(SongList.itemCount), -1);
}

TEST(FolderScan, OverlongPathsMissingFoldersAndOddEntries) {
  TempSongFolder tmp;
  std::string folder = "L/" + std::string(200, 'f');
  File::File(folder + "/short.tja", "TITLE:S\n");
  File::File(folder + "/" + std::string(80, 'n') + ".tja", "TITLE:N\n");
  File::File(folder + "/" + std::string(60, 'p') + "/x.tja", "TITLE:P\n");
  Scan(folder, 1);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"L folder|\x82\xe0\x82\xc7\x82\xe9||FFF7BD6B",
                                                 folder + "/short.tja song|S||FF000000"}));
  Scan("nowhere/deeper", 2);
  ASSERT_EQ(SongList.itemCount, 1);  // the way back stays open
  EXPECT_STREQ(SongList.items[0].path, "nowhere");
  File::File("O/genre.ini", "GenreName=O\n");
  File::File("O/\x82\xa0\xff\xfe.tja", "TITLE:\xff\xfe\x82\n");
  ASSERT_EQ(symlink(".", "O/loop"), 0);     // a loop back to itself
  ASSERT_EQ(symlink("self", "O/self"), 0);  // a link to nothing that resolves
  ASSERT_EQ(symlink("gone.tja", "O/dangling.tja"), 0);
  ASSERT_EQ(mkfifo("O/pipe.tja", 0644), 0);
  // A 100 MB chart of NUL bytes (junk genre.ini files are the genre reader's own test).
  int fd = open("O/huge.tja", O_CREAT | O_WRONLY, 0644);
  ASSERT_TRUE(fd >= 0 && ftruncate(fd, 100 * 1024 * 1024) == 0);
  close(fd);
  Scan("O", 1);
  // The loop is a genre folder (it holds genre.ini), entered only as deep as depth allows; the
  // link that never resolves is left out, the dangling one, the pipe and the huge chart listed.
  EXPECT_EQ(Listing(), (std::vector<std::string>{"O folder|\x82\xe0\x82\xc7\x82\xe9||FFF7BD6B",
                                                 "O/loop folder|O|O|FF000000", "O/dangling.tja song||O|FF000000",
                                                 "O/huge.tja song||O|FF000000", "O/pipe.tja song||O|FF000000",
                                                 "O/\x82\xa0\xff\xfe.tja song|\xff\xfe\x82|O|FF000000"}));
  uint8_t levels[5];
  EXPECT_EQ(library::ReadCourseLevels("O/huge.tja", levels), 0);
  EXPECT_EQ(std::vector<int>(levels, levels + 5), std::vector<int>(5, 0));
}

TEST(FolderScan, CursorSlotsAreBounded) {
  library::ResetSongList();
  library::CursorAtDepth(42) = 7;
  EXPECT_EQ(library::BrowseState.cursor[library::kCursorSlots - 1], 7);
  library::CursorAtDepth(-3) = 2;
  EXPECT_EQ(library::BrowseState.cursor[0], 2);
}

// A long list is read by two threads; every item must hold its own chart's title and record.
TEST(FolderScanThread, LongListItemsHoldTheirOwnTitlesAndRecords) {
  TempSongFolder tmp;
  for (int i = 0; i < 120; ++i) {
    std::string path = "Long/s" + std::to_string(i) + ".tja";
    File::File(path, File::Chart("Song " + std::to_string(i)));
    if (i % 3 == 0) RecordPlay(path, 3, 1000 + i, 0);
  }
  Scan("Long", 1);
  ASSERT_EQ(SongList.songCount, 120);
  for (int i = 0; i < 120; ++i) {
    const auto* item = FindItem("Long/s" + std::to_string(i) + ".tja");
    ASSERT_NE(item, nullptr) << i;
    EXPECT_EQ(std::string(item->title), "Song " + std::to_string(i));
    EXPECT_EQ((std::vector<int>{item->bestScore[3], item->clearStatus[3]}),
              (i % 3 == 0 ? std::vector<int>{1000 + i, 1} : std::vector<int>{0, 0})) << i;
  }
}

}  // namespace
