#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "platform/events.h"
#include "shell/frame_update.h"
#include "shell/scene_change.h"
#include "shell/state.h"

namespace {

std::atomic<int> g_fills{0}, g_frames{0}, g_loaderKind{-1};

// The loader's side of the hand-shake, on its own thread as in the game.
void StartTestLoader() {
  std::thread([] {
    shell::ResourcesReady.store(0, std::memory_order_release);
    g_loaderKind.store(shell::LoadKind.load(std::memory_order_acquire));
    shell::ResourcesReady.store(1, std::memory_order_release);
    shell::ScenePhase.store(shell::kScenePhaseLoaded, std::memory_order_release);
  }).detach();
}

class SceneChangeLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::ResetShellState();
    shell::ResetFrameUpdate();
    platform::ResetEvents();
    g_fills = 0;
    g_frames = 0;
    g_loaderKind = -1;
    shell::LoaderHooks = shell::SceneChangeHooks{};
    shell::LoaderHooks.fillLoadingScreen = [] { ++g_fills; };
    shell::LoaderHooks.endFrame = [] { ++g_frames; };
    shell::LoaderHooks.startLoader = StartTestLoader;
  }
  void TearDown() override {
    shell::LoaderHooks = shell::SceneChangeHooks{};
    platform::ResetEvents();
  }
};

TEST_F(SceneChangeLoader, HandsOverThroughTheLoaderThread) {
  shell::SceneId.store(shell::kSceneSongSelect);
  shell::SceneChange(shell::kScenePlay);
  // The scene, what the loader was asked for, the phase, the resources, the loading fills and
  // frames: the fill is presented before the loader starts.
  EXPECT_EQ((std::vector<int>{shell::SceneId.load(), g_loaderKind.load(), shell::ScenePhase.load(),
                              shell::ResourcesReady.load(), g_fills.load(), g_frames.load()}),
            (std::vector<int>{shell::kScenePlay, shell::kScenePlay, shell::kScenePhaseLoaded, 1, 1, 1}));
  // A scene with its own hand-over picture skips the fill.
  shell::SceneChange(shell::kSceneResult, true);
  EXPECT_EQ(g_fills.load(), 1);
  EXPECT_EQ(shell::SceneId.load(), shell::kSceneResult);
}

std::string g_markerPath;
void ExitWritingMarker() {
  testsupport::WriteFile(g_markerPath, "saved");
  std::_Exit(0);
}
void NeverFinishingLoader() {}

TEST_F(SceneChangeLoader, WindowClosedDuringTheLoadStillSavesAndExits) {
  testsupport::TempFolder folder("scene");
  ASSERT_FALSE(folder.Path().empty());
  g_markerPath = folder.Path() + "/saved";
  shell::LoaderHooks.startLoader = NeverFinishingLoader;
  shell::LoaderHooks.exitProgram = ExitWritingMarker;
  EXPECT_EXIT(
      {
        platform::RequestQuit();
        shell::SceneChange(shell::kScenePlay);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(access(g_markerPath.c_str(), F_OK), 0) << "the exit path ran its save";
}

}  // namespace
