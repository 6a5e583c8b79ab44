#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/save_data.h"
#include "library/scrambler.h"
#include "platform/message_box.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

constexpr const char* kMsgCreating = "セーブデータを作成します";
constexpr const char* kMsgCannotRead = "セーブデータを読み込むことが出来ませんでした";

std::vector<int> Fields(const library::GlobalStatsData& s) {
  return {s.playTime, s.playCount, s.reserved, s.drumCounter, s.launchCount, s.date};
}

class SaveDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("save");
    ASSERT_FALSE(dir_.empty());
    path_ = dir_ + "/Files/Save/save.dat";
    library::ResetGlobalData();
    platform::MessageBoxResetLog();
  }
  void TearDown() override {
    testsupport::RemoveTempFolder(dir_);
    library::ResetGlobalData();
  }
  std::string Contents() { return testsupport::ReadFile(path_); }
  int Save(const library::GlobalStatsData& stats) {
    library::GlobalStats = stats;
    return library::SaveGlobalData(path_.c_str());
  }
  std::string dir_, path_;
};

// Pins the seed constant: files written with another one could never be read again.
TEST(SaveScrambler, FixedVectorAndReversibility) {
  const std::vector<uint8_t> plain = {0, 0, 0, 0, 'a', 'b', 'c', 0xFF};
  std::vector<uint8_t> bytes = plain;
  library::Scramble(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x4A, 0x3C, 0x00, 0x00, 0x61, 0x9F, 0xA7, 0x64}));
  library::Unscramble(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, plain);
}

TEST_F(SaveDataTest, FirstStartCreatesTheFileAfterOneMessage) {
  EXPECT_EQ(library::LoadGlobalData(path_.c_str()), -1);
  EXPECT_EQ(std::pair(platform::MessageBoxCount(), std::string(platform::MessageBoxLastText())),
            std::pair(1, std::string(kMsgCreating)));
  EXPECT_EQ(Fields(library::GlobalStats), (std::vector<int>{0, 0, 0, 0, 0, library::TodayAsNumber()}));
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  EXPECT_EQ(Contents().size(), 256u);
}

TEST_F(SaveDataTest, SavesReplaceEachOtherWholeAndKeepEveryCounter) {
  ASSERT_EQ(Save({1, 2, 3, 4, 5, 6}), 0);
  std::string first = Contents();
  ASSERT_EQ(Save({1, 2, 3, 4, 5, 6}), 0);
  EXPECT_NE(first, Contents());  // each save has its own salt
  ASSERT_EQ(Save({123456, 42, 7, 2147483647, 3, 20261206}), 0);
  library::GlobalStats = {};
  ASSERT_EQ(library::LoadGlobalData(path_.c_str()), 0);
  EXPECT_EQ(platform::MessageBoxCount(), 0);
  EXPECT_EQ(Fields(library::GlobalStats), (std::vector<int>{123456, 42, 7, 2147483647, 3, 20261206}));
}

TEST_F(SaveDataTest, PlainImageHasTheFieldsAtFixedOffsetsAndBoundedCounters) {
  uint8_t image[256];
  library::FormatGlobalData({1, -999999999, 0, 1234567890, 5, 20261206}, 99, image);
  library::Unscramble(image, 255);
  std::string text(reinterpret_cast<char*>(image), 69);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(text[i] >= '0' && text[i] <= '9');
  EXPECT_EQ(text.substr(4), "         1/-999999999/         0/1234567890/         5/  20261206");
  EXPECT_EQ(image[69] + image[255], 0);
  library::FormatGlobalData({-2147483647 - 1, 0, 0, 0, 0, 0}, 1, image);
  library::GlobalStatsData back;
  ASSERT_EQ(library::ParseGlobalData(image, back), 0);
  EXPECT_EQ(back.playTime, library::kCounterMin);
  EXPECT_EQ(library::AddToCounter(2147483600, 1000), 2147483647);
}

TEST_F(SaveDataTest, DamagedFilesReportUnreadableAndKeepCountersAtZero) {
  uint8_t image[256];
  std::memset(image, ' ', sizeof image);
  std::memcpy(image, "1234         1/         2/         3", 36);  // only two "/"
  image[80] = image[255] = 0;
  library::Scramble(image, 255);
  for (const std::string& bytes : {std::string(), std::string(255, 'x'),
                                   std::string(reinterpret_cast<char*>(image), 256)}) {
    testsupport::WriteFile(path_, bytes);
    library::GlobalStats.launchCount = 77;
    EXPECT_EQ(library::LoadGlobalData(path_.c_str()), -1) << bytes.size();
    EXPECT_STREQ(platform::MessageBoxLastText(), kMsgCannotRead);
    EXPECT_EQ(Fields(library::GlobalStats), (std::vector<int>{0, 0, 0, 0, 0, library::TodayAsNumber()}));
  }
  // Any one byte changed either fails at the "/" count or reads other numbers, never crashes.
  ASSERT_EQ(Save({10, 20, 30, 40, 50, 20260101}), 0);
  std::string good = Contents();
  for (int i = 0; i < 256; ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x5A);
    testsupport::WriteFile(path_, bad);
    library::LoadGlobalData(path_.c_str());
  }
}

TEST_F(SaveDataTest, FailedSaveReportsAndLeavesWhatStoodThere) {
  // A non-empty folder in the way of the save makes the final rename fail, even for root. (That
  // no temporary file stays is the atomic writer's own test.)
  std::filesystem::create_directories(path_ + "/keep");
  EXPECT_EQ(Save({1, 2, 3, 4, 5, 6}), -1);
  EXPECT_STREQ(platform::MessageBoxLastText(), "セーブデータを保存することが出来ませんでした");
  EXPECT_TRUE(std::filesystem::is_directory(path_ + "/keep")) << "what stood there is untouched";
}

// A kill between the temporary write and the rename leaves "save.dat.XXXXXX" (or a record's
// temporary) behind: start-up removes ours once they are a minute old, keeps fresh ones (a
// write may be under way) and never touches other files.
TEST_F(SaveDataTest, StartUpRemovesOnlyOurStaleTemporaries) {
  const std::string folder = dir_ + "/Files/Save";
  // Name, stale, kept.
  const std::tuple<std::string, bool, bool> files[] = {
      {"save.dat.a1B2c3", true, false}, {std::string(32, 'A') + ".dat.Zz9yX8", true, false},
      {"save.dat.q7W8e9", false, true}, {"notes.txt.a1B2c3", true, true}, {"save.dat", true, true}};
  const time_t old = time(nullptr) - 2 * library::kStaleTemporarySeconds;
  for (const auto& [name, stale, kept] : files) {
    testsupport::WriteFile(folder + "/" + name, "x");
    struct timespec times[2] = {{old, 0}, {old, 0}};
    EXPECT_EQ(stale ? utimensat(AT_FDCWD, (folder + "/" + name).c_str(), times, 0) : 0, 0);
  }
  EXPECT_EQ(library::RemoveStaleSaveTemporaries(folder.c_str()), 2);
  for (const auto& [name, stale, kept] : files) {
    EXPECT_EQ(access((folder + "/" + name).c_str(), F_OK) == 0, kept) << name;
  }
}

}  // namespace
