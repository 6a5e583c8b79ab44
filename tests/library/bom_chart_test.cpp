// A chart saved as UTF-8 with a byte order mark: the game's chart reader and the library agree
// on its title, and its first key is read whichever key it is.
#include <string>
#include <tuple>

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
