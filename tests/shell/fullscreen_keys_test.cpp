// F11 and Alt+Enter switch full screen and the choice is remembered; the window-size keys
// leave it.
#include <gtest/gtest.h>

#include <string>

#include "platform/fullscreen.h"
#include "platform/ini.h"
#include "shell/config.h"
#include "shell/frame_update.h"
#include "shell/keyboard.h"
#include "support/temp_folder.h"

namespace {

class FullScreenKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("fullscreen");
    ASSERT_FALSE(dir_.empty());
    path_ = dir_ + "/Config.ini";
    shell::ResetConfiguration();
    shell::ReadConfiguration(path_.c_str());
    shell::ResetKeyboard();
  }
  void TearDown() override {
    platform::VideoSetFullScreen(false);
    shell::ResetKeyboard();
    shell::ResetFrameUpdate();
    shell::ResetConfiguration();
    testsupport::RemoveTempFolder(dir_);
  }
  // One frame with the given keys newly pressed (and Alt held when asked).
  void Frame(int virtualKey, bool alt = false) {
    shell::ResetKeyboard();
    if (alt) shell::WindowKeys[shell::kVkMenu] = 2;
    shell::WindowKeyDown(virtualKey);
    shell::ApplyWindowSizeKeys();
    shell::ApplyFullScreenKeys();
  }
  int Remembered() {
    return platform::IniReadInt("\x8a\x67\x92\xa3\x90\xdd\x92\xe8", "FullScreen", -1, path_.c_str());
  }
  std::string dir_, path_;
};

TEST_F(FullScreenKeys, ToggleIsRememberedAndSizeKeysLeaveIt) {
  Frame(shell::kVkF11);
  EXPECT_TRUE(platform::VideoIsFullScreen());
  EXPECT_EQ(Remembered(), 1);
  Frame(shell::kVkReturn, /*alt=*/true);
  EXPECT_FALSE(platform::VideoIsFullScreen());
  EXPECT_EQ(Remembered(), 0);
  Frame(shell::kVkReturn);  // Enter alone is no toggle
  EXPECT_FALSE(platform::VideoIsFullScreen());
  Frame(shell::kVkF11);
  Frame(shell::kVk1 + 2);  // key 3
  EXPECT_FALSE(platform::VideoIsFullScreen());
  EXPECT_EQ(Remembered(), 0);
  EXPECT_EQ(shell::ClientWidth, 800);
  EXPECT_EQ(shell::ClientHeight, 600);
}

}  // namespace
