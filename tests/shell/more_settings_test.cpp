// The settings section added after the original eight keys: full screen and the joystick
// buttons of the drum controllers.
#include <gtest/gtest.h>

#include <string>

#include "platform/controller.h"
#include "shell/config.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

class MoreSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("more");
    path_ = dir_ + "/Config.ini";
    shell::ResetConfiguration();
  }
  void TearDown() override {
    shell::ResetConfiguration();
    testsupport::RemoveTempFolder(dir_);
  }
  std::string dir_, path_;
};

const std::string kMoreSection = "[\x8a\x67\x92\xa3\x90\xdd\x92\xe8]\r\n";

TEST_F(MoreSettings, FirstRunListsThemAfterTheOriginalSection) {
  shell::ReadConfiguration(path_.c_str());
  const std::string file = testsupport::ReadFile(path_);
  const size_t at = file.find(kMoreSection);
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(at, file.find("JudgeBad=0"));
  EXPECT_EQ(file.substr(at + kMoreSection.size()),
            "FullScreen=0\r\nJoyLeftRim=4,6\r\nJoyLeftFace=0\r\nJoyRightFace=1\r\nJoyRightRim=5,7\r\n"
            "JoyBack=8\r\nJoyStart=9\r\nJoystickOnly=0\r\n");
}

TEST_F(MoreSettings, JoystickButtonsAndFullScreenAreReadAndRemembered) {
  testsupport::WriteFile(path_, kMoreSection + "JoyRightRim=2, 300, 63\r\nJoystickOnly=1\r\n");
  shell::ReadConfiguration(path_.c_str());
  const platform::JoystickButtons& rim = platform::JoystickMap.input[platform::kPadRightRim];
  ASSERT_EQ(rim.count, 2);  // 300 is beyond any button
  EXPECT_EQ(rim.button[0], 2);
  EXPECT_EQ(rim.button[1], 63);
  EXPECT_TRUE(platform::JoystickMap.joystickOnly);
  EXPECT_FALSE(shell::FullScreen);
  shell::WriteFullScreen(true);
  shell::ResetConfiguration();
  shell::ReadConfiguration(path_.c_str());
  EXPECT_TRUE(shell::FullScreen);
}

}  // namespace
