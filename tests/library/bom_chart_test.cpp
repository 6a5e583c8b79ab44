// A chart saved as UTF-8 with a byte order mark: the game's chart reader and the library agree
// on its title, and its first key is read whichever key it is.
#include "chart/chart.h"
#include "library_test_util.h"

namespace {

using namespace library_test;

TEST(BomChart, GameAndLibraryReadTheSameTitleAndBpm) {
  TempSongFolder tmp;
  const std::string bom = "\xEF\xBB\xBF", body = "COURSE:Oni\nLEVEL:4\n#START\n1,\n#END\n";
  TempSongFolder::File("title_first.tja", bom + "TITLE:Song\nBPM:150\nWAVE:a.ogg\n" + body);
  TempSongFolder::File("bpm_first.tja", bom + "BPM:150\nTITLE:Song\nWAVE:a.ogg\n" + body);
  Scan(".", 0);
  EXPECT_EQ(library::SongList.songCount, 2);
  for (int i = library::SongList.folderCount; i < library::SongList.itemCount; ++i) {
    const library::SongListItem& item = library::SongList.items[i];
    SCOPED_TRACE(item.path);
    EXPECT_STREQ(item.title, "Song");
    ASSERT_EQ(chart::LoadChart(item.path, chart::kCourseOni), 0);
    EXPECT_STREQ(chart::TheChart.title, item.title);
    EXPECT_EQ(chart::TheChart.bpm, 150.0);
    EXPECT_EQ(chart::TheChart.level, 4);
    uint8_t levels[library::kCourseCount];
    ASSERT_EQ(library::ReadCourseLevels(item.path, levels), 0);
    EXPECT_EQ(levels[chart::kCourseOni], 4);
  }
}

}  // namespace
