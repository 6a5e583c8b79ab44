#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "platform/ini.h"
#include "shell/config.h"

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("cfg");
    ASSERT_FALSE(dir_.empty());
    path_ = dir_ + "/Config.ini";
    shell::ResetConfiguration();
  }
  void TearDown() override {
    testsupport::RemoveTempFolder(dir_);
    shell::ResetConfiguration();
  }
  void Write(const std::string& bytes) { testsupport::WriteFile(path_, bytes); }
  std::string Contents() { return testsupport::ReadFile(path_); }
  std::string dir_, path_;
};

const std::string kSection = "[\x90\xdd\x92\xe8]\r\n";

TEST_F(ConfigTest, FirstRunCreatesTheEightKeysInOrder) {
  shell::ReadConfiguration(path_.c_str());
  const std::string eight = kSection +
                            "ScoreRoot=.\r\nSkin=Default\r\nWindowSize=640\r\nHideMouseTime=-1\r\n"
                            "SoundDelay=0\r\nJudgeGreat=0\r\nJudgeGood=0\r\nJudgeBad=0\r\n";
  EXPECT_EQ(Contents().substr(0, eight.size()), eight);  // later sections follow them
  EXPECT_STREQ(shell::ThemeDir, "./Files/Theme/Default");
  EXPECT_EQ(shell::WindowSize, 640);
  EXPECT_EQ(shell::HideMouseTime, -1);
  EXPECT_FALSE(shell::DebugMode);
}

TEST_F(ConfigTest, ValuesAreConvertedAndWrittenBackUnchanged) {
  const std::string original = kSection +
                               "WindowSize=800px\r\nJudgeGood=-5\r\nSkin=My\\Theme\r\nDebugMode=2\r\n";
  Write(original);
  shell::ReadConfiguration(path_.c_str());
  EXPECT_EQ(shell::WindowSize, 800);
  EXPECT_EQ(shell::WindowHeightForWidth(shell::WindowSize), 600);
  EXPECT_EQ(shell::JudgeGood, -5);
  EXPECT_STREQ(shell::Skin, "My\\Theme");
  EXPECT_STREQ(shell::ThemeDir, "./Files/Theme/My/Theme");
  EXPECT_TRUE(shell::DebugMode);
  std::string now = Contents();
  EXPECT_EQ(now.substr(0, original.size()), original) << "existing lines must stay as they were";
  EXPECT_NE(now.find("ScoreRoot=.\r\n"), std::string::npos);
}

TEST_F(ConfigTest, OverlongSkinFallsBackToTheDefaultTheme) {
  Write(kSection + "Skin=" + std::string(250, 's') + "\r\n");
  shell::ReadConfiguration(path_.c_str());
  EXPECT_EQ(std::string(shell::Skin), std::string(250, 's'));
  EXPECT_STREQ(shell::ThemeDir, "./Files/Theme/Default");
}

// A value the game holds only in part (a 300-byte path, a NUL inside) stays in the file whole
// through a start and its write-back; values beside it are still completed.
TEST_F(ConfigTest, ValuesLongerThanHeldSurviveTheWriteBackByteForByte) {
  const std::string longRoot = "/music/" + std::string(293, 'r');
  const std::string file = kSection + "ScoreRoot=" + longRoot + "\r\nSkin=My" + std::string(1, '\0') +
                           "Theme\r\nWindowSize=8192\r\n";
  Write(file);
  shell::ReadConfiguration(path_.c_str());
  EXPECT_EQ(std::string(shell::ScoreRoot), longRoot.substr(0, 256));
  EXPECT_STREQ(shell::Skin, "My");
  EXPECT_EQ(shell::WindowSize, 8192);
  const std::string after = Contents();
  EXPECT_EQ(after.substr(0, file.size()), file);
  EXPECT_NE(after.find("JudgeBad=0"), std::string::npos);
}

TEST_F(ConfigTest, UnwritableFileIsStillRead) {
  // A file whose name leaves no room for the temporary file's: every write fails, even for
  // root, while the file itself reads fine.
  path_ = path_.substr(0, path_.rfind('/') + 1) + std::string(250, 'c');
  Write(kSection + "WindowSize=1024\r\n");
  shell::ReadConfiguration(path_.c_str());
  EXPECT_EQ(shell::WindowSize, 1024);
  EXPECT_EQ(Contents(), kSection + "WindowSize=1024\r\n");
}

struct HeightCase {
  int width, height;
};
class WindowHeight : public ::testing::TestWithParam<HeightCase> {};
TEST_P(WindowHeight, IsThreeQuartersTruncated) {
  EXPECT_EQ(shell::WindowHeightForWidth(GetParam().width), GetParam().height);
}
INSTANTIATE_TEST_SUITE_P(Arithmetic, WindowHeight,
                         ::testing::Values(HeightCase{640, 480}, HeightCase{1000, 750},
                                           HeightCase{641, 480}, HeightCase{0, 0},
                                           HeightCase{-5, -3}, HeightCase{2147483647, 1610612735}));

}  // namespace
