#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include "platform/keystate.h"
#include "shell/keyboard.h"

namespace {

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::ResetKeyboard();
    platform::KeyStateReset();
  }
  void TearDown() override { SetUp(); }
};

// How window keys count frames is shown through the message pump (frame_update_test).
TEST_F(KeyboardTest, OutOfRangeKeysAreIgnored) {
  shell::WindowKeyDown(-1);
  shell::WindowKeyDown(256);
  shell::WindowKeyUp(100000);
  for (int32_t k : shell::WindowKeys) EXPECT_EQ(k, 0);
}

TEST_F(KeyboardTest, DirectKeysCountPollsWhileDown) {
  platform::KeyStateSet(shell::kDikF, true, 10.0);
  shell::PollKeyboard(shell::DirectKeys);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load(), 1);
  shell::PollKeyboard(shell::DirectKeys);
  shell::PollKeyboard(shell::DirectKeys);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load(), 3);
  EXPECT_EQ(shell::DirectKeys[shell::kDikJ].load(), 0);
  platform::KeyStateSet(shell::kDikF, false, 20.0);
  shell::PollKeyboard(shell::DirectKeys);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load(), 0);
}

TEST_F(KeyboardTest, DirectKeysKeepTheirValuesWithoutFocus) {
  platform::KeyStateSet(shell::kDikK, true, 1.0);
  shell::PollKeyboard(shell::DirectKeys);
  platform::KeyStateSetFocus(false);
  platform::KeyStateSet(shell::kDikK, false, 2.0);
  shell::PollKeyboard(shell::DirectKeys);
  EXPECT_EQ(shell::DirectKeys[shell::kDikK].load(), 1);
  platform::KeyStateSetFocus(true);
  shell::PollKeyboard(shell::DirectKeys);
  EXPECT_EQ(shell::DirectKeys[shell::kDikK].load(), 0);
}

TEST_F(KeyboardTest, PressTimeIsTheFirstSightingNotTheRepeat) {
  platform::KeyStateSet(shell::kDikD, true, 100.0);
  platform::KeyStateSet(shell::kDikD, true, 130.0);
  EXPECT_EQ(platform::KeyStatePressTime(shell::kDikD), 100.0);
  platform::KeyStateSet(shell::kDikD, false, 140.0);
  platform::KeyStateSet(shell::kDikD, true, 150.0);
  EXPECT_EQ(platform::KeyStatePressTime(shell::kDikD), 150.0);
}

struct KeyMapCase {
  int sdl, dik, vk;
};
class KeyMaps : public ::testing::TestWithParam<KeyMapCase> {};
TEST_P(KeyMaps, SdlScancodesMapToTheGameCodes) {
  EXPECT_EQ(platform::ScanCodeFromSdl(GetParam().sdl), GetParam().dik);
  EXPECT_EQ(platform::VirtualKeyFromSdl(GetParam().sdl), GetParam().vk);
}
INSTANTIATE_TEST_SUITE_P(
    GameKeys, KeyMaps,
    ::testing::Values(KeyMapCase{SDL_SCANCODE_F, 0x21, 0x46}, KeyMapCase{SDL_SCANCODE_J, 0x24, 0x4A},
                      KeyMapCase{SDL_SCANCODE_D, 0x20, 0x44}, KeyMapCase{SDL_SCANCODE_K, 0x25, 0x4B},
                      KeyMapCase{SDL_SCANCODE_ESCAPE, 0x01, 0x1B},
                      KeyMapCase{SDL_SCANCODE_RETURN, 0x1C, 0x0D},
                      KeyMapCase{SDL_SCANCODE_BACKSPACE, 0x0E, 0x08},
                      KeyMapCase{SDL_SCANCODE_1, 0x02, 0x31}, KeyMapCase{SDL_SCANCODE_6, 0x07, 0x36},
                      KeyMapCase{SDL_SCANCODE_0, 0x0B, 0x30}, KeyMapCase{SDL_SCANCODE_F1, 0x3B, 0x70},
                      KeyMapCase{SDL_SCANCODE_F2, 0x3C, 0x71}, KeyMapCase{SDL_SCANCODE_F9, 0x43, 0x78},
                      KeyMapCase{SDL_SCANCODE_SPACE, 0x39, 0x20},
                      KeyMapCase{SDL_SCANCODE_UP, 0xC8, 0x26}, KeyMapCase{SDL_SCANCODE_UNKNOWN, 0, 0}));

}  // namespace
