// Config.ini: the original eight keys, the section added after them (full screen and the
// joystick buttons of the drum controllers), and F11 / Alt+Enter remembering full screen.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/controller.h"
#include "platform/fullscreen.h"
#include "platform/ini.h"
#include "shell/config.h"
#include "shell/frame_update.h"
#include "shell/keyboard.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

const std::string kSection = "[\x90\xdd\x92\xe8]\r\n", kMoreSection = "[\x8a\x67\x92\xa3\x90\xdd\x92\xe8]\r\n";

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    shell::ResetConfiguration();
    shell::ResetKeyboard();
  }
  void TearDown() override {
    platform::VideoSetFullScreen(false);
    shell::ResetKeyboard();
    shell::ResetFrameUpdate();
    shell::ResetConfiguration();
    testsupport::RemoveTempFolder(dir_);
  }
  // Writes the file (when given) and reads the settings from it.
  void Read(const std::string& bytes = "") {
    if (!bytes.empty()) testsupport::WriteFile(path_, bytes);
    shell::ReadConfiguration(path_.c_str());
  }
  std::string Contents() { return testsupport::ReadFile(path_); }
  // WindowSize, HideMouseTime, JudgeGood, DebugMode, Skin and the theme folder as held.
  using Held = std::tuple<int, int, int, bool, std::string, std::string>;
  static Held Settings() {
    return {shell::WindowSize, shell::HideMouseTime, shell::JudgeGood, shell::DebugMode, shell::Skin, shell::ThemeDir};
  }
  std::string dir_ = testsupport::MakeTempFolder("cfg"), path_ = dir_ + "/Config.ini";
};

TEST_F(ConfigTest, FirstRunCreatesTheEightKeysInOrderThenTheMoreSettings) {
  Read();
  const std::string eight = kSection + "ScoreRoot=.\r\nSkin=Default\r\nWindowSize=640\r\nHideMouseTime=-1\r\n"
                                       "SoundDelay=0\r\nJudgeGreat=0\r\nJudgeGood=0\r\nJudgeBad=0\r\n";
  EXPECT_EQ(Contents(), eight + kMoreSection +
                            "FullScreen=0\r\nJoyLeftRim=4,6\r\nJoyLeftFace=0\r\nJoyRightFace=1\r\nJoyRightRim=5,7\r\n"
                            "JoyBack=8\r\nJoyStart=9\r\nJoystickOnly=0\r\n");
  EXPECT_EQ(Settings(), Held(640, -1, 0, false, "Default", "./Files/Theme/Default"));
}

TEST_F(ConfigTest, ValuesAreConvertedAndWrittenBackUnchanged) {
  const std::string original = kSection + "WindowSize=800px\r\nJudgeGood=-5\r\nSkin=My\\Theme\r\nDebugMode=2\r\n";
  Read(original);
  EXPECT_EQ(Settings(), Held(800, -1, -5, true, "My\\Theme", "./Files/Theme/My/Theme"));
  EXPECT_EQ(Contents().substr(0, original.size()), original) << "existing lines must stay as they were";
  EXPECT_NE(Contents().find("ScoreRoot=.\r\n"), std::string::npos);
  // An overlong skin falls back to the default theme.
  Read(kSection + "Skin=" + std::string(250, 's') + "\r\n");
  EXPECT_EQ(std::string(shell::Skin), std::string(250, 's'));
  EXPECT_STREQ(shell::ThemeDir, "./Files/Theme/Default");
  // The height is three quarters of the width, truncated.
  const int heights[][2] = {{640, 480}, {800, 600}, {1000, 750}, {641, 480}, {0, 0}, {-5, -3}, {2147483647, 1610612735}};
  for (const auto& h : heights) EXPECT_EQ(shell::WindowHeightForWidth(h[0]), h[1]) << h[0];
}

// A value the game holds only in part (a 300-byte path, a NUL inside) stays in the file whole
// through a start and its write-back; values beside it are still completed.
TEST_F(ConfigTest, ValuesLongerThanHeldSurviveTheWriteBackByteForByte) {
  const std::string longRoot = "/music/" + std::string(293, 'r');
  const std::string file = kSection + "ScoreRoot=" + longRoot + "\r\nSkin=My" + std::string(1, '\0') +
                           "Theme\r\nWindowSize=8192\r\n";
  Read(file);
  EXPECT_EQ(std::tuple(std::string(shell::ScoreRoot), std::string(shell::Skin), shell::WindowSize),
            std::tuple(longRoot.substr(0, 256), std::string("My"), 8192));
  EXPECT_EQ(Contents().substr(0, file.size()), file);
  EXPECT_NE(Contents().find("JudgeBad=0"), std::string::npos);
  // A file whose name leaves no room for the temporary file's: every write fails, even for
  // root, while the file itself reads fine.
  path_ = dir_ + "/" + std::string(250, 'c');
  Read(kSection + "WindowSize=1024\r\n");
  EXPECT_EQ(shell::WindowSize, 1024);
  EXPECT_EQ(Contents(), kSection + "WindowSize=1024\r\n");
}

TEST_F(ConfigTest, JoystickButtonsAreRead) {
  Read(kMoreSection + "JoyRightRim=2, 300, 63\r\nJoystickOnly=1\r\n");
  const platform::JoystickButtons& rim = platform::JoystickMap.input[platform::kPadRightRim];
  ASSERT_EQ(rim.count, 2);  // 300 is beyond any button
  EXPECT_EQ(rim.button[0] * 100 + rim.button[1], 263);
  EXPECT_TRUE(platform::JoystickMap.joystickOnly);
}

// F11 and Alt+Enter switch full screen and the choice is remembered; the window-size keys
// leave it.
TEST_F(ConfigTest, FullScreenToggleIsRememberedAndSizeKeysLeaveIt) {
  Read();
  auto frame = [](int virtualKey, bool alt = false) {  // one frame with the key newly pressed
    shell::ResetKeyboard();
    if (alt) shell::WindowKeys[shell::kVkMenu] = 2;
    shell::WindowKeyDown(virtualKey);
    shell::ApplyWindowSizeKeys();
    shell::ApplyFullScreenKeys();
  };
  auto remembered = [&] { return platform::IniReadInt("\x8a\x67\x92\xa3\x90\xdd\x92\xe8", "FullScreen", -1, path_.c_str()); };
  frame(shell::kVkF11);
  EXPECT_TRUE(platform::VideoIsFullScreen());
  EXPECT_EQ(remembered(), 1);
  shell::ResetConfiguration();
  Read();  // the next start reads it back
  EXPECT_TRUE(shell::FullScreen);
  frame(shell::kVkReturn, /*alt=*/true);
  EXPECT_FALSE(platform::VideoIsFullScreen());
  EXPECT_EQ(remembered(), 0);
  frame(shell::kVkReturn);  // Enter alone is no toggle
  EXPECT_FALSE(platform::VideoIsFullScreen());
  frame(shell::kVkF11);
  frame(shell::kVk1 + 2);  // key 3
  EXPECT_FALSE(platform::VideoIsFullScreen());
  EXPECT_EQ(remembered(), 0);
  EXPECT_EQ(shell::ClientWidth * 10000 + shell::ClientHeight, 800 * 10000 + 600);
}

}  // namespace
