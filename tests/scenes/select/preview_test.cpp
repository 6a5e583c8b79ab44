// The song preview's rules on the virtual clock: when it starts, what silences it, the hand-over
// from the first piece to the whole song, quiet failure, and quick browsing. The decode worker
// is a real thread; the scene's clock stands still while the test waits for it.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "scenes/select/preview.h"
#include "shell/state.h"
#include "sound/sound_files.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

using songselect::PreviewNow;
using songselect::UpdatePreview;

class PreviewThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    platform::TimeUseVirtualClock(10000.0, false);
    platform::MixerReset();
    shell::SceneId.store(shell::kSceneSongSelect);
    // Three seconds of a steady level; DEMOSTART: puts the preview one second in.
    std::vector<int16_t> s(44100 * 3 * 2, 3000);
    Write("song.wav", soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
    Write("tone.ogg", soundtest::EncodeOgg(soundtest::Tone(44100 * 12, 2, 44100), 2, 44100));
    Write("broken.ogg", soundtest::Bytes{'O', 'g', 'g', 'S', 0, 0, 0, 0});
  }
  void TearDown() override {
    songselect::ResetPreview();
    platform::MixerReset();
    platform::TimeUseRealClock();
    shell::SceneId.store(shell::kSceneBoot);
  }
  void Write(const std::string& name, const soundtest::Bytes& b) {
    testsupport::WriteFile(dir_ + "/" + name, std::string(b.begin(), b.end()));
  }
  // A chart whose song is `wave` ("" for no WAVE: line).
  std::string Chart(const std::string& name, const std::string& wave, const char* demoStart = "1") {
    const std::string path = dir_ + "/" + name + ".tja";
    testsupport::WriteFile(path, "TITLE:" + name + "\n" + (wave.empty() ? "" : "WAVE:" + wave + "\n") + "DEMOSTART:" +
                                     demoStart + "\nCOURSE:Oni\nLEVEL:5\n#START\n1,\n#END\n");
    return path;
  }
  // One frame at virtual time t.
  void Frame(double t, const std::string& chart, double openAt) {
    platform::TimeSetVirtualMs(t);
    UpdatePreview(t, chart.empty() ? nullptr : chart.c_str(), openAt);
  }
  // Frames at a standing clock until the preview plays (or 5 s of real time).
  bool WaitPlaying(double t, const std::string& chart, double openAt) {
    for (int i = 0; i < 5000; ++i) {
      Frame(t, chart, openAt);
      if (PreviewNow().playing) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  void Idle(double t, const std::string& chart, double openAt, int ms) {
    for (int i = 0; i < ms; ++i) {
      Frame(t, chart, openAt);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  testsupport::TempFolder folder_{"preview"};
  const std::string dir_ = folder_.Path();
};

TEST_F(PreviewThread, StartsWhenTheBarHasOpenedFromTheDemoStart) {
  std::string a = Chart("a", "song.wav");
  Idle(10600.0, a, 10700.0, 300);  // decoded by now, but the bar is still opening
  EXPECT_FALSE(PreviewNow().playing);
  ASSERT_TRUE(WaitPlaying(10700.0, a, 10700.0));
  int buffer = PreviewNow().buffer;
  EXPECT_EQ(platform::MixerBufferFrames(buffer), 44100 * 2);  // from DEMOSTART:1 to the end
  Frame(10800.0, a, 10700.0);
  EXPECT_EQ(platform::MixerGetPosition(buffer), 4410) << "from its start, on the clock";
}

class PreviewThreadSilenced : public PreviewThread, public ::testing::WithParamInterface<bool> {};

// A move to another song, or leaving the browse phase (no chart): the preview is replaced by a
// fading tail at once, and that is over within 150 ms.
TEST_P(PreviewThreadSilenced, FadesOutWithin150Ms) {
  std::string a = Chart("a", "song.wav"), b = Chart("b", "song.wav");
  ASSERT_TRUE(WaitPlaying(10700.0, a, 10700.0));
  std::string next = GetParam() ? b : "";
  for (auto [t, tails] : {std::pair{11000.0, 1}, {11149.0, 1}, {11151.0, 0}}) {
    Frame(t, next, 11700.0);
    EXPECT_EQ(std::make_pair(PreviewNow().playing, PreviewNow().fadingTails), std::make_pair(false, tails)) << t;
  }
}
INSTANTIATE_TEST_SUITE_P(MoveOrLeave, PreviewThreadSilenced, ::testing::Bool());

TEST_F(PreviewThread, LongSongKeepsItsPlaceFromFirstPieceToWhole) {
  std::string t = Chart("t", "tone.ogg", "0");
  ASSERT_TRUE(WaitPlaying(10700.0, t, 10700.0));
  Frame(13700.0, t, 10700.0);  // three seconds on
  for (int i = 0; i < 5000 && !PreviewNow().whole; ++i) {
    Frame(13700.0, t, 10700.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(PreviewNow().whole);
  EXPECT_TRUE(PreviewNow().playing);
  EXPECT_EQ(platform::MixerGetPosition(PreviewNow().buffer), 44100 * 3);
}

class PreviewThreadFailure : public PreviewThread, public ::testing::WithParamInterface<const char*> {};

TEST_P(PreviewThreadFailure, StaysSilent) {
  std::string c = Chart("c", GetParam());
  Idle(10700.0, c, 10700.0, 300);
  EXPECT_FALSE(PreviewNow().playing);
  EXPECT_EQ(PreviewNow().fadingTails, 0);
}
INSTANTIATE_TEST_SUITE_P(MissingOrBroken, PreviewThreadFailure, ::testing::Values("", "missing.ogg", "broken.ogg"));

// Fifty songs, one move every 60 ms: nothing plays before the player rests, never two at once,
// and the song rested on plays.
TEST_F(PreviewThread, QuickBrowsingPlaysOnlyTheSongRestedOn) {
  std::vector<std::string> charts;
  for (int i = 0; i < 50; ++i) {
    charts.push_back(Chart(std::to_string(i), i % 2 ? "song.wav" : "tone.ogg"));
  }
  double t = 10000.0;
  for (const std::string& c : charts) {
    double slide = t;
    for (; t < slide + 60.0; t += 8.0) {
      Frame(t, c, slide + 700.0);
      EXPECT_FALSE(PreviewNow().playing);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  double slide = t - 60.0;
  ASSERT_TRUE(WaitPlaying(slide + 700.0, charts.back(), slide + 700.0));
  EXPECT_STREQ(PreviewNow().chart, charts.back().c_str());
}

}  // namespace
