// Files that aren't files: a FIFO named where the game expects a chart, a settings file, the
// save data, a theme picture, sound or text file never blocks the reader that opens it, and
// the save data's FIFO is neither read nor replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <string>

#include "chart/chart.h"
#include "graphics/texture.h"
#include "library/record_file.h"
#include "library/save_data.h"
#include "library/song_files.h"
#include "platform/file_read.h"
#include "platform/ini.h"
#include "platform/message_box.h"
#include "shell/config.h"
#include "sound/sound.h"
#include "support/temp_folder.h"
#include "theme/layout.h"
#include "theme/text_file.h"

namespace {

// Each reader opens a FIFO of its own and must return within a second.
TEST(HostileFiles, FifoReadersReturnWithinASecond) {
  const std::pair<const char*, std::function<void(const char*)>> readers[] = {
      {"chart", [](const char* p) { EXPECT_EQ(chart::LoadChart(p, chart::kCourseOni), -1); }},
      {"config_ini", [](const char* p) { shell::ReadConfiguration(p); EXPECT_EQ(shell::WindowSize, 640); }},
      {"save_dat", [](const char* p) {
         platform::MessageBoxResetLog();
         EXPECT_EQ(library::LoadGlobalData(p), -1);
         EXPECT_EQ(library::SaveGlobalData(p), -1);
       }},
      {"record", [](const char* p) { library::SongRecord r; EXPECT_EQ(library::ReadSongRecord(p, &r), -1); }},
      {"dispconf_ini", [](const char* p) { theme::ReadPlayLayout(p); }},
      {"picture", [](const char* p) { EXPECT_EQ(graphics::LoadTexture(p), -1); }},
      {"sound", [](const char* p) { EXPECT_EQ(sound::LoadSound(p), -1); }},
      // dancer.ini, chibi.ini, dancer_bg.ini
      {"theme_text", [](const char* p) { EXPECT_FALSE(theme::TextLineReader().Open(p)); }},
      {"genre_ini", [](const char* p) {
         char name[library::kGenreNameBytes] = "";
         uint32_t colour = 0;
         EXPECT_EQ(library::ReadGenreIniFile(p, name, &colour), -1);
       }},
      {"song_title", [](const char* p) {
         char title[library::kTitleBytes];
         library::ReadSongTitle(p, title);
         EXPECT_STREQ(title, "");
       }},
      {"inputs", [](const char* p) {
         std::string text;
         EXPECT_EQ(platform::ReadRegularFile(p, platform::kSettingsFileCap, &text), platform::FileReadStatus::kNotRegular);
       }}};
  testsupport::TempFolder dir("fifo");
  for (const auto& [name, read] : readers) {
    const std::string path = dir.Path() + "/" + name;
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    auto done = std::async(std::launch::async, [&read = read, p = path] { read(p.c_str()); });
    if (done.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
      std::fprintf(stderr, "%s blocked on a FIFO\n", name);
      std::fflush(stderr);
      _exit(1);  // the blocked thread can't be joined
    }
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << name << ": the FIFO was replaced";
  }
}

}  // namespace
