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

// Direct keys count polls while down, and keep their values while the window has no focus.
TEST_F(KeyboardTest, DirectKeysCountPollsWhileDownAndKeepTheirValuesWithoutFocus) {
  auto poll = [](int times) {
    for (int i = 0; i < times; ++i) shell::PollKeyboard(shell::DirectKeys);
  };
  platform::KeyStateSet(shell::kDikF, true, 10.0);
  poll(1);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load(), 1);
  poll(2);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load() * 10 + shell::DirectKeys[shell::kDikJ].load(), 30);
  platform::KeyStateSet(shell::kDikF, false, 20.0);
  platform::KeyStateSet(shell::kDikK, true, 1.0);
  poll(1);
  EXPECT_EQ(shell::DirectKeys[shell::kDikF].load(), 0);
  platform::KeyStateSetFocus(false);
  platform::KeyStateSet(shell::kDikK, false, 2.0);
  poll(1);
  EXPECT_EQ(shell::DirectKeys[shell::kDikK].load(), 1);
  platform::KeyStateSetFocus(true);
  poll(1);
  EXPECT_EQ(shell::DirectKeys[shell::kDikK].load(), 0);
  // The press time is the first sighting, not a repeat's.
  platform::KeyStateSet(shell::kDikD, true, 100.0);
  platform::KeyStateSet(shell::kDikD, true, 130.0);
  EXPECT_EQ(platform::KeyStatePressTime(shell::kDikD), 100.0);
}

TEST(KeyMaps, SdlScancodesMapToTheGameCodes) {
  const int rows[][3] = {{SDL_SCANCODE_F, 0x21, 0x46},      {SDL_SCANCODE_J, 0x24, 0x4A},      {SDL_SCANCODE_D, 0x20, 0x44},
                         {SDL_SCANCODE_K, 0x25, 0x4B},      {SDL_SCANCODE_ESCAPE, 0x01, 0x1B}, {SDL_SCANCODE_RETURN, 0x1C, 0x0D},
                         {SDL_SCANCODE_BACKSPACE, 0x0E, 0x08}, {SDL_SCANCODE_1, 0x02, 0x31},   {SDL_SCANCODE_6, 0x07, 0x36},
                         {SDL_SCANCODE_0, 0x0B, 0x30},      {SDL_SCANCODE_F1, 0x3B, 0x70},     {SDL_SCANCODE_F2, 0x3C, 0x71},
                         {SDL_SCANCODE_F9, 0x43, 0x78},     {SDL_SCANCODE_SPACE, 0x39, 0x20},  {SDL_SCANCODE_UP, 0xC8, 0x26},
                         {SDL_SCANCODE_UNKNOWN, 0, 0}};
  for (const auto& [sdl, dik, vk] : rows) {
    EXPECT_EQ(platform::ScanCodeFromSdl(sdl), dik) << sdl;
    EXPECT_EQ(platform::VirtualKeyFromSdl(sdl), vk) << sdl;
  }
}

}  // namespace
