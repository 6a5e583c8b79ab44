// The result presentation on the virtual clock: the play's numbers set by hand, scripted F
// presses, every sound the presentation starts recorded with its moment, and files written in
// a temporary game folder.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
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
#include "sound/wave_write.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace resulttest {

namespace ra = theme::result_assets;
constexpr double kSceneStart = 1000.0;  // virtual ms of the first frame

struct Played {
  int handle;
  double at;  // result clock
};
inline std::vector<Played> g_played;
inline std::atomic<int> g_pressF{0};

inline void RecordSound(int handle) {
  g_played.push_back({handle, platform::TimeNowMs() - kSceneStart});
}
inline void ScriptedKeys(std::atomic<int32_t>* counters) {
  counters[shell::kDikF].store(g_pressF.exchange(0) ? 1 : 0);
  counters[shell::kDikJ].store(0);
}

// A silent 16-bit stereo sound of the given length.
inline int LoadSilence(int ms) {
  const size_t frames = size_t(ms) * 441 / 10;
  std::vector<int16_t> pcm(frames * 2, 0);
  std::vector<uint8_t> wav = sound::MakePcm16Wave(pcm.data(), frames, 2, 44100);
  return sound::LoadSoundFromMemory(wav.data(), wav.size());
}

class ResultTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::MakeTempFolder("result");
    ASSERT_FALSE(folder_.empty());
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    oldDir_ = here;
    ASSERT_EQ(chdir(folder_.c_str()), 0);

    platform::TimeUseVirtualClock(kSceneStart, false);
    shell::ResetShellState();
    shell::SceneId.store(shell::kSceneResult);
    shell::LoadKind.store(shell::kSceneResult);
    shell::LoaderHooks = shell::SceneChangeHooks{};
    play::ResetPlayRecord();
    chart::ResetChartCompletely();
    std::snprintf(chart::TheChart.songIdentity, chart::kSongIdentityBytes, "%s",
                  "0123456789ABCDEF0123456789ABCDEF");
    theme::LoadCourse = 3;
    library::ResetGlobalData();
    result::ResetResultState();

    sound::SoundReset();
    theme::ResetResultHandles();
    for (int* h : {&ra::AnnouncementVoiceP1, &ra::NormaClearP1, &ra::NormaFailedP1, &ra::FullcomboP1,
                   &ra::ClearBgmLoop, &ra::FailedBgmLoop, &ra::FailedBgmStart})
      *h = LoadSilence(50);
    ra::ClearBgmStart = LoadSilence(kMusicStartMs);
    for (int& h : ra::CountSound) h = LoadSilence(20);
    for (int& h : ra::DonSound) h = LoadSilence(20);

    g_played.clear();
    g_pressF = 0;
    result::SetResultKeySource(ScriptedKeys);
    result::SetResultSoundObserver(RecordSound);
  }
  void TearDown() override {
    result::SetResultKeySource(nullptr);
    result::SetResultSoundObserver(nullptr);
    sound::SoundReset();
    platform::TimeUseRealClock();
    if (!oldDir_.empty()) {
      EXPECT_EQ(chdir(oldDir_.c_str()), 0);
    }
    testsupport::RemoveTempFolder(folder_);
  }

  // A play as the play scene leaves it.
  void SetPlay(int score, int great, int good, int bad, double gauge, int roll = 0, int maxCombo = 0) {
    play::PlayRecord& p = play::Play;
    p.score = score;
    p.great = great;
    p.good = good;
    p.bad = bad;
    p.roll = roll;
    p.maxCombo = maxCombo;
    p.gauge = gauge;
    p.clearThreshold = 80;
  }

  // The first frame, then worker rounds of 1 ms until the result clock reaches ms.
  void Begin() { result::BeginResult(result::ReadPlayOutcome()); }
  void RunUntil(double ms) {
    while (platform::TimeNowMs() - kSceneStart < ms) {
      platform::TimeAdvanceVirtualMs(1.0);
      ASSERT_EQ(result::ResultWorkerPass(), 0);
    }
  }
  void PressF() {
    g_pressF = 1;
    platform::TimeAdvanceVirtualMs(1.0);
    result::ResultWorkerPass();
  }
  int CountPlayed(const int* handles, int n) const {
    int c = 0;
    for (const Played& p : g_played)
      for (int i = 0; i < n; ++i) c += p.handle == handles[i];
    return c;
  }
  const Played* FirstPlayed(int handle) const {
    for (const Played& p : g_played)
      if (p.handle == handle) return &p;
    return nullptr;
  }

  static constexpr int kMusicStartMs = 700;
  std::string folder_, oldDir_;
};

}  // namespace resulttest
