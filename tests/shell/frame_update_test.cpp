#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/events.h"
#include "platform/time.h"
#include "shell/config.h"
#include "shell/frame_update.h"
#include "shell/keyboard.h"
#include "shell/state.h"

namespace {

int32_t g_storedSeconds = -1;
void StoreSeconds(int32_t s) { g_storedSeconds = s; }

class FrameUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::TimeUseVirtualClock(100000.0, true);
    shell::ResetShellState();
    shell::ResetKeyboard();
    shell::ResetFrameUpdate();
    shell::ResetConfiguration();
    platform::ResetEvents();
    shell::Hooks = shell::ShellHooks{};
    g_storedSeconds = -1;
  }
  void TearDown() override {
    platform::TimeUseRealClock();
    platform::ResetEvents();
    shell::Hooks = shell::ShellHooks{};
  }
  static platform::WindowEvent Key(platform::EventKind kind, int vk) {
    platform::WindowEvent e{};
    e.kind = kind;
    e.virtualKey = vk;
    return e;
  }
};

TEST_F(FrameUpdateTest, WindowSizeKeysSetTheClientSizeOfTheLastKey) {
  // Digits pressed in the same frame, how long they have been down, the client size.
  const std::tuple<std::vector<int>, int, int, int> rows[] = {
      {{1}, 1, 512, 384},   {{2}, 1, 640, 480},  {{3}, 1, 800, 600},     {{4}, 1, 1024, 768},
      {{5}, 1, 1200, 900},  {{6}, 1, 1440, 1080}, {{1, 6}, 1, 1440, 1080}, {{}, 1, 640, 480},
      {{3}, 2, 640, 480}};  // held: no resizing again
  for (const auto& [keys, frames, width, height] : rows) {
    shell::ResetKeyboard();
    shell::ResetFrameUpdate();
    for (int k : keys) shell::WindowKeys[shell::kVk1 + k - 1] = frames;
    shell::ApplyWindowSizeKeys();
    EXPECT_EQ(shell::ClientWidth * 10000 + shell::ClientHeight, width * 10000 + height) << keys.size() << " " << frames;
  }
}

TEST_F(FrameUpdateTest, SceneChangeRestartsSceneFrameAndRemembersThePrevious) {
  shell::PerFrameUpdate();
  shell::PerFrameUpdate();
  EXPECT_EQ(shell::SceneFrame, 2);
  shell::SceneId.store(shell::kSceneSongSelect);
  shell::PerFrameUpdate();
  EXPECT_EQ(shell::SceneFrame, 1);
  EXPECT_EQ(shell::PreviousScene, shell::kSceneBoot);
}

TEST_F(FrameUpdateTest, AppClockContinuesTheLifetimePlayTime) {
  shell::Hooks.storePlayTime = StoreSeconds;
  shell::ClockBase = 100000.0 - 7000.0 * 1000.0;  // 7000 s played before
  shell::PerFrameUpdate();
  EXPECT_DOUBLE_EQ(shell::AppClock, 7000000.0);
  platform::TimeAdvanceVirtualMs(2500.0);
  shell::PerFrameUpdate();
  // The seconds stored come from the previous frame's clock.
  EXPECT_EQ(g_storedSeconds, 7000);
  shell::PerFrameUpdate();
  EXPECT_EQ(g_storedSeconds, 7002);
}

TEST_F(FrameUpdateTest, CursorHidingFollowsHideMouseTime) {
  // Shown after a frame, ms without mouse motion and another frame?
  auto shownAfter = [](int hideMouseTime, double ms) {
    shell::ResetFrameUpdate();
    shell::HideMouseTime = hideMouseTime;
    shell::PerFrameUpdate();
    platform::TimeAdvanceVirtualMs(ms);
    shell::PerFrameUpdate();
    return shell::CursorShown();
  };
  EXPECT_TRUE(shownAfter(-1, 100000.0));
  EXPECT_FALSE(shownAfter(0, 0.0)) << "0 hides the cursor even while it moves";
  EXPECT_TRUE(shownAfter(3000, 2999.0));
  EXPECT_FALSE(shownAfter(3000, 3000.0));
}

// One frame of the main loop: the scene reads the counters, then the pump advances them and
// dispatches the frame's key messages. A window key reads 1 on its first frame only.
TEST_F(FrameUpdateTest, PumpAdvancesCountersBeforeDispatching) {
  // One frame with these key messages; the key's count after it.
  auto pump = [](std::initializer_list<platform::EventKind> kinds, int vk) {
    for (platform::EventKind kind : kinds) platform::PushEventForTest(Key(kind, vk));
    shell::MessagePump();
    return shell::WindowKeys[vk];
  };
  const auto down = platform::EventKind::kKeyDown, up = platform::EventKind::kKeyUp;
  // Pressed, repeated, held without a repeat, released, still released; then pressed and
  // released within one frame's messages, which never reads 1.
  EXPECT_EQ((std::vector<int>{pump({down}, shell::kVkF), pump({down}, shell::kVkF), pump({}, shell::kVkF),
                              pump({up}, shell::kVkF), pump({}, shell::kVkF), pump({down, up}, shell::kVkJ)}),
            (std::vector<int>{1, 2, 3, 0, 0, 0}));
}

TEST_F(FrameUpdateTest, DroppedFileKeepsForwardSlashesAndQuitIsSeenThroughAFullQueue) {
  platform::WindowEvent e{};
  e.kind = platform::EventKind::kDropFile;
  std::strcpy(e.path, "C:\\songs\\a.tja");
  platform::PushEventForTest(e);
  EXPECT_FALSE(shell::MessagePump());
  EXPECT_STREQ(shell::DroppedFilePath, "C:/songs/a.tja");
  for (int i = 0; i < 5000; ++i) platform::PushEventForTest(Key(platform::EventKind::kKeyDown, 0x41));
  e.kind = platform::EventKind::kQuit;
  platform::PushEventForTest(e);
  EXPECT_TRUE(shell::MessagePump());
  // Waiting while pumping advances the virtual clock in millisecond slices.
  double before = platform::TimeNowMs();
  shell::WaitPumpingMs(7);
  EXPECT_DOUBLE_EQ(platform::TimeNowMs() - before, 7.0);
}

}  // namespace
