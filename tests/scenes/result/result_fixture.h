// The result presentation on the virtual clock: the play's numbers set by hand, scripted F
// presses, every sound started recorded with its moment, files written in a temporary folder.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart.h"
#include "library/save_data.h"
#include "platform/time.h"
#include "play/play_record.h"
#include "scenes/result/result_state.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "common/wave_write.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace resulttest {

namespace ra = theme::result_assets;
using result::Result;
constexpr double kSceneStart = 1000.0;  // virtual ms of the first frame
constexpr int kMusicStartMs = 700;      // length of the clear music's start part

inline std::vector<std::pair<int, double>> g_played;  // handle, result clock
inline std::atomic<int> g_pressF{0};

inline int LoadSilence(int ms) {
  std::vector<int16_t> pcm(size_t(ms) * 441 / 10 * 2, 0);
  std::vector<uint8_t> wav = sound::MakePcm16Wave(pcm.data(), pcm.size() / 2, 2, 44100);
  return sound::LoadSoundFromMemory(wav.data(), wav.size());
}

class ResultTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
    ASSERT_EQ(chdir(folder_.Path().c_str()), 0);  // records go to ./Files/Save
    platform::TimeUseVirtualClock(kSceneStart, false);
    shell::ResetShellState();
    shell::SceneId = shell::kSceneResult;
    shell::LoadKind = shell::kSceneResult;
    shell::LoaderHooks = shell::SceneChangeHooks{};
    play::ResetPlayRecord();
    chart::ResetChartCompletely();
    std::snprintf(chart::TheChart.songIdentity, chart::kSongIdentityBytes, "0123456789ABCDEF0123456789ABCDEF");
    theme::LoadCourse = 3;
    library::ResetGlobalData();
    sound::SoundReset();
    theme::ResetResultHandles();
    for (int* h : {&ra::NormaClearP1, &ra::NormaFailedP1, &ra::ClearBgmLoop, &ra::FullcomboP1}) *h = LoadSilence(50);
    ra::ClearBgmStart = LoadSilence(kMusicStartMs);
    for (int& h : ra::CountSound) h = LoadSilence(20);
    for (int& h : ra::DonSound) h = LoadSilence(20);
    g_played.clear();
    g_pressF = 0;
    result::SetResultKeySource([](std::atomic<int32_t>* keys) {
      keys[shell::kDikF] = g_pressF.exchange(0);
      keys[shell::kDikJ] = 0;
    });
    result::SetResultSoundObserver([](int h) { g_played.push_back({h, platform::TimeNowMs() - kSceneStart}); });
  }
  void TearDown() override {
    result::SetResultKeySource(nullptr);
    result::SetResultSoundObserver(nullptr);
    sound::SoundReset();
    platform::TimeUseRealClock();
    EXPECT_EQ(chdir(oldDir_), 0);
  }

  // A play as the play scene leaves it, then the result's first frame.
  void Begin(int score, int great, int good, int bad, double gauge, int roll = 0, int maxCombo = 0) {
    play::PlayRecord& p = play::Play;
    p.score = score, p.great = great, p.good = good, p.bad = bad, p.roll = roll;
    p.maxCombo = maxCombo, p.gauge = gauge, p.clearThreshold = 80;
    result::BeginResult(result::ReadPlayOutcome());
  }
  // Worker rounds of 1 ms until the result clock reaches ms.
  void RunUntil(double ms) {
    while (platform::TimeNowMs() - kSceneStart < ms) {
      platform::TimeAdvanceVirtualMs(1.0);
      ASSERT_EQ(result::ResultWorkerPass(), 0);
    }
  }
  void PressF() {
    g_pressF = 1;
    RunUntil(Result.clock.load() + 1);
  }
  static int Played(const int* handles, int n) {
    int c = 0;
    for (auto& [h, at] : g_played) c += std::count(handles, handles + n, h);
    return c;
  }
  static double FirstPlayed(int handle) {
    for (auto& [h, at] : g_played)
      if (h == handle) return at;
    return -1.0;
  }

  testsupport::TempFolder folder_{"result"};
  char oldDir_[4096] = {};
};

}  // namespace resulttest
