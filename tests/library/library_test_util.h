// Song folders built in a temporary directory for the library tests. The test process works
// inside the directory, so record files land in its own ./Files/Save.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "chart/song_identity.h"
#include "library/record_file.h"
#include "library/song_list.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace library_test {

class TempSongFolder {
 public:
  TempSongFolder() : root_(testsupport::MakeTempFolder("library")) {
    char cwd[4096];
    oldCwd_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    if (root_.empty() || chdir(root_.c_str()) != 0) std::perror("chdir");
  }
  ~TempSongFolder() {
    if (chdir(oldCwd_.c_str()) != 0) std::perror("chdir");
    if (!root_.empty()) testsupport::RemoveTempFolder(root_);
  }
  TempSongFolder(const TempSongFolder&) = delete;
  TempSongFolder& operator=(const TempSongFolder&) = delete;

  // Paths are relative to the temporary directory (the current directory).
  static void Dir(const std::string& path) { std::filesystem::create_directories(path); }
  static void File(const std::string& path, const std::string& bytes) { testsupport::WriteFile(path, bytes); }
  static std::string Read(const std::string& path) { return testsupport::ReadFile(path); }
  static std::string Chart(const std::string& title, const std::string& extra = "") {
    return "TITLE:" + title + "\r\nSUBTITLE:--sub\r\nBPM:120\r\nWAVE:" + title +
           ".ogg\r\n" + extra + "COURSE:Oni\r\nLEVEL:8\r\n#START\r\n1111,\r\n#END\r\n";
  }

 private:
  std::string root_;
  std::string oldCwd_;
};

// Lists folder at depth as the song select does.
inline void Scan(const std::string& folder, int depth) {
  library::ResetSongList();
  library::CopyTextField(library::BrowseState.currentFolder, library::kPathBytes, folder);
  library::BrowseState.depth = static_cast<uint8_t>(depth);
  library::ScanCurrentFolder();
}

inline const library::SongListItem* FindItem(const std::string& path) {
  for (int i = 0; i < library::SongList.itemCount; ++i)
    if (path == library::SongList.items[i].path) return &library::SongList.items[i];
  return nullptr;
}

// Stores a play of the chart at path as the game does after a play.
inline void RecordPlay(const std::string& path, int course, int score, double gauge, int bad = 0) {
  char id[33];
  ASSERT_EQ(chart::SongIdentity(path.c_str(), id), 0);
  library::PlayOutcome play{};
  play.course = course, play.score = score, play.finalGauge = gauge, play.clearThreshold = 80, play.badCount = bad;
  ASSERT_EQ(library::UpdateSongRecordAfterPlay(id, play), 0);
}

}  // namespace library_test
