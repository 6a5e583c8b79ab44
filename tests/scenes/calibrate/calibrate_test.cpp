// The timing calibration with scripted presses on the virtual clock: the clicks sound at the
// note times, the live median over the last 24 presses, the sound delay stored at the end
// (and not on Escape), and a run with too few presses starting over.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "scenes/calibrate/calibrate.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/state.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

calibrate::CalibrationRun& TheRun = calibrate::Run;
constexpr double kStart = 50000.0;

// The scripted player: pressAt[n] is the moment of the press for note n (NaN for none).
std::vector<double> g_pressAt;
size_t g_next = 0;

void ScriptedKeys(std::atomic<int32_t>* counters) {
  const double now = platform::TimeNowMs();
  bool down = false;
  while (g_next < g_pressAt.size() && (std::isnan(g_pressAt[g_next]) || g_pressAt[g_next] <= now)) {
    down = down || !std::isnan(g_pressAt[g_next]);
    ++g_next;
  }
  counters[shell::kDikF].store(down ? 1 : 0);
}

class CalibrationThread : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::TimeUseVirtualClock(kStart, false);
    platform::MixerReset();
    shell::ResetConfiguration();
    shell::ResetKeyboard();
    testsupport::WriteFile(dir_ + "/Config.ini", "");
    shell::ReadConfiguration((dir_ + "/Config.ini").c_str());
    shell::SceneId.store(shell::kSceneCalibrate);
    shell::LoadKind.store(shell::kSceneCalibrate);
    play::SetKeySource(ScriptedKeys);
  }
  void TearDown() override {
    calibrate::ResetCalibration();
    play::SetKeySource(nullptr);
    shell::ResetConfiguration();
    platform::MixerReset();
    platform::TimeUseRealClock();
    shell::SceneId.store(shell::kSceneBoot);
    shell::LoadKind.store(0);
  }
  // A whole run, one worker pass per millisecond; errors[n] is how late note n is pressed.
  void Play(const std::vector<double>& errors) {
    calibrate::StartCalibrationRun(kStart, false);
    g_pressAt.clear();
    g_next = 0;
    for (size_t n = 0; n < errors.size(); ++n)
      g_pressAt.push_back(kStart + calibrate::kLeadInMs + n * calibrate::kBeatMs + errors[n]);
    const double end = calibrate::kLeadInMs + calibrate::kBeatNotes * calibrate::kBeatMs + 600.0;
    for (double t = kStart; t <= kStart + end; t += 1.0) {
      platform::TimeSetVirtualMs(t);
      ASSERT_EQ(calibrate::CalibrationWorkerPass(), 0);
      // The clicks run on the mixer as a play's song: click n is at its note's time.
      if (t >= kStart + calibrate::kLeadInMs + 1200.0 && std::fmod(t - kStart, calibrate::kBeatMs) == 0.0) {
        const double expected = (t - kStart - calibrate::kLeadInMs - TheRun.musicStart) * 44.1;
        ASSERT_NEAR(platform::MixerGetPosition(TheRun.clickBuffer), expected, 1.0);
      }
    }
  }
  std::string ConfigText() { return testsupport::ReadFile(dir_ + "/Config.ini"); }
  testsupport::TempFolder folder_{"calibrate"};
  const std::string dir_ = folder_.Path();
};

struct MedianCase {
  const char* name;
  double firstEight;  // error of the first 8 notes
  double rest;        // error of the other 24
  double median;
};

class CalibrationThreadMedian : public CalibrationThread, public ::testing::WithParamInterface<MedianCase> {};

TEST_P(CalibrationThreadMedian, OverTheLastTwentyFourPresses) {
  const MedianCase& c = GetParam();
  std::vector<double> errors(calibrate::kBeatNotes, c.rest);
  for (int n = 0; n < 8; ++n) errors[n] = c.firstEight;
  Play(errors);
  double median = 1e9;
  ASSERT_TRUE(calibrate::MedianError(&median));
  EXPECT_NEAR(median, c.median, 1.0);
}
INSTANTIATE_TEST_SUITE_P(
    Presses, CalibrationThreadMedian,
    ::testing::Values(MedianCase{"perfect", 0, 0, 0}, MedianCase{"late", 30, 30, 30},
                      MedianCase{"early", -45, -45, -45}, MedianCase{"settling", 120, 12, 12}),
    [](const auto& info) { return std::string(info.param.name); });

// F/J at the end stores the delay that puts the player on time; Escape stores nothing.
TEST_F(CalibrationThread, EndStoresTheSoundDelayOnlyOnFJ) {
  shell::SoundDelay = 10;  // the clicks sound 10 ms after their notes, as a play's song would
  Play(std::vector<double>(calibrate::kBeatNotes, 40.0));  // 30 ms late against the clicks
  EXPECT_TRUE(TheRun.finished.load());
  shell::WindowKeys[shell::kVkEscape] = 1;
  EXPECT_EQ(calibrate::UpdateCalibration(), shell::kSceneSongSelect);
  EXPECT_EQ(ConfigText().find("SoundDelay=-30"), std::string::npos);
  shell::WindowKeys[shell::kVkEscape] = 0;
  shell::WindowKeys[shell::kVkJ] = 1;
  EXPECT_EQ(calibrate::UpdateCalibration(), shell::kSceneSongSelect);
  EXPECT_EQ(shell::SoundDelay, -30);
  EXPECT_NE(ConfigText().find("SoundDelay=-30\r\nJudgeGreat"), std::string::npos) << ConfigText();
}

TEST_F(CalibrationThread, TooFewPressesStartOver) {
  Play(std::vector<double>(5, 0.0));
  shell::LoadKind.store(0);  // the new run's worker ends at once: this test looks at the start only
  shell::WindowKeys[shell::kVkF] = 1;
  const int next = calibrate::UpdateCalibration();
  EXPECT_EQ(std::make_tuple(next, TheRun.pressCount.load(), TheRun.finished.load()), std::make_tuple(-1, 0, false));
  EXPECT_EQ(ConfigText().find("SoundDelay=5"), std::string::npos);
}

}  // namespace
