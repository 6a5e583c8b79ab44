#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "library/save_data.h"
#include "library/scrambler.h"
#include "platform/message_box.h"

namespace {

constexpr const char* kMsgCreating = "セーブデータを作成します";
constexpr const char* kMsgCannotRead = "セーブデータを読み込むことが出来ませんでした";

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
  void Write(const std::string& bytes) {
    library::EnsureFolderOf(path_.c_str());
    testsupport::WriteFile(path_, bytes);
  }
  std::string dir_, path_;
};

TEST(SaveScrambler, FixedVectorAndReversibility) {
  uint8_t bytes[8] = {0, 0, 0, 0, 'a', 'b', 'c', 0xFF};
  library::Scramble(bytes, sizeof bytes);
  // Pins the seed constant: files written with another one could never be read again.
  const uint8_t scrambled[8] = {0x4A, 0x3C, 0x00, 0x00, 0x61, 0x9F, 0xA7, 0x64};
  EXPECT_EQ(std::memcmp(bytes, scrambled, sizeof bytes), 0);
  // The first byte depends on the seed alone: the low byte of the first generator output.
  library::SaveRandom rng;
  rng.Seed(library::kScrambleSeed);
  EXPECT_EQ(bytes[0], static_cast<uint8_t>(rng.Next() & 0xFF));
  // The second is driven by the seed plus the sum of the scrambled bytes so far.
  rng.Seed(library::kScrambleSeed + bytes[0]);
  EXPECT_EQ(bytes[1], static_cast<uint8_t>(rng.Next() & 0xFF));
  library::Unscramble(bytes, sizeof bytes);
  const uint8_t expected[8] = {0, 0, 0, 0, 'a', 'b', 'c', 0xFF};
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
}

TEST_F(SaveDataTest, FirstStartCreatesTheFileAfterOneMessage) {
  EXPECT_EQ(library::LoadGlobalData(path_.c_str()), -1);
  EXPECT_EQ(platform::MessageBoxCount(), 1);
  EXPECT_STREQ(platform::MessageBoxLastText(), kMsgCreating);
  EXPECT_EQ(library::GlobalStats.launchCount, 0);
  EXPECT_EQ(library::GlobalStats.date, library::TodayAsNumber());
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  EXPECT_EQ(Contents().size(), 256u);
  EXPECT_EQ(Contents()[255], '\0');
}

TEST_F(SaveDataTest, RoundTripKeepsEveryCounter) {
  library::GlobalStats = {123456, 42, 7, 2147483647, 3, 20261206};
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  library::GlobalStats = {};
  ASSERT_EQ(library::LoadGlobalData(path_.c_str()), 0);
  EXPECT_EQ(platform::MessageBoxCount(), 0);
  EXPECT_EQ(library::GlobalStats.playTime, 123456);
  EXPECT_EQ(library::GlobalStats.playCount, 42);
  EXPECT_EQ(library::GlobalStats.reserved, 7);
  EXPECT_EQ(library::GlobalStats.drumCounter, 2147483647);
  EXPECT_EQ(library::GlobalStats.launchCount, 3);
  EXPECT_EQ(library::GlobalStats.date, 20261206);
}

TEST_F(SaveDataTest, PlainImageHasTheFieldsAtFixedOffsets) {
  library::GlobalStatsData stats{1, -999999999, 0, 1234567890, 5, 20261206};
  uint8_t image[256];
  library::FormatGlobalData(stats, 99, image);
  library::Unscramble(image, 255);
  std::string text(reinterpret_cast<char*>(image), 69);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(text[i] >= '0' && text[i] <= '9');
  EXPECT_EQ(text.substr(4), "         1/-999999999/         0/1234567890/         5/  20261206");
  EXPECT_EQ(image[69], 0);
  EXPECT_EQ(image[255], 0);
}

TEST_F(SaveDataTest, CountersAreBoundedToTheirFields) {
  library::GlobalStatsData stats{-2147483647 - 1, 0, 0, 0, 0, 0};
  uint8_t image[256];
  library::FormatGlobalData(stats, 1, image);
  library::GlobalStatsData back;
  ASSERT_EQ(library::ParseGlobalData(image, back), 0);
  EXPECT_EQ(back.playTime, library::kCounterMin);
  EXPECT_EQ(library::AddToCounter(2147483600, 1000), 2147483647);
  EXPECT_EQ(library::AddToCounter(5, -3), 2);
}

TEST_F(SaveDataTest, TwoSavesOfTheSameCountersDiffer) {
  library::GlobalStats = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  std::string first = Contents();
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  EXPECT_NE(first, Contents());
}

struct BadFile {
  const char* name;
  int size;
  bool scrambledSlashesMissing;
};

class SaveDataBadFiles : public SaveDataTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(SaveDataBadFiles, ReportUnreadableAndKeepCountersAtZero) {
  std::string bytes(GetParam().size, 'x');
  if (GetParam().scrambledSlashesMissing) {
    uint8_t image[256];
    std::memset(image, ' ', sizeof image);
    std::memcpy(image, "1234         1/         2/         3", 36);  // only two "/"
    image[80] = 0;
    image[255] = 0;
    library::Scramble(image, 255);
    bytes.assign(reinterpret_cast<char*>(image), 256);
  }
  Write(bytes);
  library::GlobalStats.launchCount = 77;
  EXPECT_EQ(library::LoadGlobalData(path_.c_str()), -1);
  EXPECT_STREQ(platform::MessageBoxLastText(), kMsgCannotRead);
  EXPECT_EQ(library::GlobalStats.launchCount, 0);
  EXPECT_EQ(library::GlobalStats.playTime, 0);
}

INSTANTIATE_TEST_SUITE_P(Damaged, SaveDataBadFiles,
                         ::testing::Values(BadFile{"Empty", 0, false}, BadFile{"Short", 255, false},
                                           BadFile{"TooFewSlashes", 256, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveDataTest, CorruptedByteNeverCrashes) {
  library::GlobalStats = {10, 20, 30, 40, 50, 20260101};
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  std::string good = Contents();
  for (int i = 0; i < 256; ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x5A);
    Write(bad);
    library::LoadGlobalData(path_.c_str());  // either fails at the "/" count or reads other numbers
  }
  SUCCEED();
}

TEST_F(SaveDataTest, FailedSaveReportsAndLeavesNoTemporaryFile) {
  // A non-empty folder in the way of the save makes the final rename fail, even for root.
  library::EnsureFolderOf(path_.c_str());
  ASSERT_EQ(mkdir(path_.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((path_ + "/keep").c_str(), 0700), 0);
  library::GlobalStats = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(library::SaveGlobalData(path_.c_str()), -1);
  EXPECT_STREQ(platform::MessageBoxLastText(), "セーブデータを保存することが出来ませんでした");
  struct stat st;
  EXPECT_EQ(stat((path_ + "/keep").c_str(), &st), 0) << "what stood there is untouched";
  int leftovers = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_ + "/Files/Save"))
    if (e.path().filename().string() != "save.dat") ++leftovers;
  EXPECT_EQ(leftovers, 0);
}

TEST_F(SaveDataTest, SecondSaveReplacesTheFirstWhole) {
  library::GlobalStats = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  library::GlobalStats = {7, 8, 9, 10, 11, 12};
  ASSERT_EQ(library::SaveGlobalData(path_.c_str()), 0);
  library::GlobalStats = {};
  library::LoadGlobalData(path_.c_str());
  EXPECT_EQ(library::GlobalStats.playCount, 8);
  EXPECT_EQ(library::GlobalStats.date, 12);
}

// A kill between the temporary write and the rename leaves "save.dat.XXXXXX" (or a record's
// temporary) behind: start-up removes ours once they are a minute old, keeps fresh ones (a
// write may be under way) and never touches other files.
TEST_F(SaveDataTest, StartUpRemovesOnlyOurStaleTemporaries) {
  const std::string folder = dir_ + "/Files/Save";
  const std::string record = std::string(32, 'A') + ".dat";
  const std::string names[] = {"save.dat.a1B2c3", record + ".Zz9yX8", "save.dat.q7W8e9",
                               "notes.txt.a1B2c3", "save.dat"};
  library::EnsureFolderOf(path_.c_str());
  for (const std::string& n : names) testsupport::WriteFile(folder + "/" + n, "x");
  const time_t old = time(nullptr) - 2 * library::kStaleTemporarySeconds;
  for (const std::string& n : {names[0], names[1], names[3], names[4]}) {
    struct timespec times[2] = {{old, 0}, {old, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (folder + "/" + n).c_str(), times, 0), 0);
  }
  EXPECT_EQ(library::RemoveStaleSaveTemporaries(folder.c_str()), 2);
  auto exists = [&](const std::string& n) { return access((folder + "/" + n).c_str(), F_OK) == 0; };
  EXPECT_FALSE(exists(names[0]));
  EXPECT_FALSE(exists(names[1]));
  EXPECT_TRUE(exists(names[2]));  // fresh
  EXPECT_TRUE(exists(names[3]));  // not ours
  EXPECT_TRUE(exists(names[4]));
}

}  // namespace
