// The result presentation as the player hears and steers it, on the virtual clock: the play's
// numbers set by hand, scripted F presses, every sound started recorded with its moment; the
// timeline with its counting, the skip and the leave, the music, and what is recorded (in a
// temporary folder). Then the screen as drawn.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>
#include <vector>

#include "chart/chart.h"
#include "common/wave_write.h"
#include "graphics/graphics_fixture.h"
#include "library/record_file.h"
#include "library/save_data.h"
#include "platform/mixer.h"
#include "platform/time.h"
#include "play/play_record.h"
#include "scenes/result/result_draw.h"
#include "scenes/result/result_scene.h"
#include "scenes/result/result_state.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace resulttest {
namespace {

namespace ra = theme::result_assets;
using result::Result;
constexpr double kSceneStart = 1000.0;  // virtual ms of the first frame
constexpr int kMusicStartMs = 700;      // length of the clear music's start part

std::vector<std::pair<int, double>> g_played;  // handle, result clock
std::atomic<int> g_pressF{0};

int LoadSilence(int ms) {
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
    platform::MixerReset();  // no sound scheduled on an earlier case's clock
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

TEST_F(ResultTest, ScoreOfZeroCompletesAfterOneDigitAndTheTimelineJumpsEightDigitsAhead) {
  Begin(0, 0, 0, 0, 0.0);
  RunUntil(3833);
  EXPECT_EQ(std::make_pair(bool(Result.complete[result::kScore]), Result.timeline.load()), std::make_pair(false, 3833.0));
  RunUntil(3834);
  EXPECT_TRUE(Result.complete[result::kScore]);
  EXPECT_NEAR(Result.timeline, 3834.0 + 8 * result::kStepMs, 1e-6);
}

// Whole presentations: every digit ticks ten times, every number completes once, the timeline
// never goes back, and digits already counted never change.
struct Counting {
  int score, great, good, bad, roll, maxCombo;
};
class ResultCountingTest : public ResultTest, public testing::WithParamInterface<Counting> {};

TEST_P(ResultCountingTest, EveryDigitTicksAndEveryNumberLandsOnItsValue) {
  const Counting c = GetParam();
  Begin(c.score, c.great, c.good, c.bad, 100.0, c.roll, c.maxCombo);
  int digits = 0;
  for (int d : Result.digits) digits += d;
  for (double last = 0.0; last < 25000.0; last = Result.timeline) {
    RunUntil(Result.clock + 1);
    ASSERT_GE(Result.timeline, last);
    int shown = 0;
    const int64_t v = result::ShownNumber(result::kScore, Result.timeline, &shown);
    const int64_t below = int64_t(std::pow(10.0, std::max(0, shown - 1)));
    ASSERT_TRUE(v >= 0 && v < below * 10) << v << " in " << shown << " digits";
    ASSERT_TRUE(shown == 0 || v % below == c.score % below) << v << ": digits already counted changed";
  }
  EXPECT_EQ(Played(ra::CountSound, ra::kCountSoundCopies), 10 * digits);
  EXPECT_EQ(Played(ra::DonSound, ra::kDonSoundCopies), result::kNumberCount) << "every number completed once";
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultCountingTest,
                         testing::Values(Counting{0, 0, 0, 0, 0, 0},  // no notes
                                         Counting{1234560, 612, 40, 3, 77, 500},
                                         Counting{2147483647, 99999, 99999, 99999, 99999, 99999}));

// The centre key skips only from 3300 and leaves only after 24000, once; the clear music's loop
// follows its start part with no gap.
TEST_F(ResultTest, CentreKeySkipsOnlyFrom3300AndLeavesOnlyAfter24000Once) {
  Begin(987654, 500, 20, 1, 90.0, 10, 300);
  RunUntil(3298);
  PressF();  // 3299: too early
  EXPECT_FALSE(Result.skipped);
  RunUntil(5000);
  const double start = FirstPlayed(ra::ClearBgmStart), loop = FirstPlayed(ra::ClearBgmLoop);
  EXPECT_GT(start, result::kMusicMs);
  // At most one worker round before the start part's last sample.
  EXPECT_LE(loop, start + kMusicStartMs);
  EXPECT_GE(loop, start + kMusicStartMs - result::kWorkerRoundMs);
  EXPECT_EQ(sound::IsSoundPlaying(ra::ClearBgmLoop), 1);
  PressF();  // during the count: on to its end at once, every number completed with one sound
  EXPECT_DOUBLE_EQ(Result.timeline, result::kCountEndMs);
  EXPECT_EQ(Played(ra::DonSound, ra::kDonSoundCopies), 1);
  EXPECT_GT(FirstPlayed(ra::NormaClearP1), 0.0);
  PressF();  // the count is over, but leaving waits for 24000
  EXPECT_FALSE(Result.leaving);
  RunUntil(7700);
  EXPECT_DOUBLE_EQ(Result.timeline, result::kCountEndMs + 7700 - 5001) << "on from the count's end since the skip";
  PressF();
  ASSERT_TRUE(Result.leaving);
  const double leftAt = Result.leaveInstant;
  RunUntil(7800);
  PressF();  // a second press while leaving changes nothing
  EXPECT_EQ(Result.leaveInstant, leftAt);
}

// What reaches the record file and the lifetime counters, by auto play and judgement windows.
struct Recording {
  bool autoPlay;
  int great, good, bad;
  bool recorded;
};
class ResultRecordingTest : public ResultTest, public testing::WithParamInterface<Recording> {};

TEST_P(ResultRecordingTest, OnlyPlaysUnderTheDefaultWindowsWithoutAutoPlayAreRecorded) {
  const Recording r = GetParam();
  play::Play.autoPlay = r.autoPlay;
  play::Play.greatWindow = r.great, play::Play.goodWindow = r.good, play::Play.badWindow = r.bad;
  library::GlobalStats.playCount = 7;
  library::GlobalStats.drumCounter = 1000;
  Begin(500000, 300, 20, 5, 85.0, 0, 200);
  result::RecordPlay(chart::TheChart);
  ASSERT_TRUE(result::LeaveResultIfDone({25000, 25000, true, result::kLeaveMs}));
  EXPECT_EQ(shell::SceneId, shell::kSceneSongSelect);

  char path[library::kPathBytes];
  library::RecordFilePath(chart::TheChart.songIdentity, path);
  library::SongRecord rec;
  const int read = library::ReadSongRecord(path, &rec);
  const auto& g = library::GlobalStats;
  EXPECT_EQ(std::make_tuple(read, rec.bestScore[3], g.playCount, g.drumCounter),
            r.recorded ? std::make_tuple(0, 500000, 8, 1320) : std::make_tuple(-1, 0, 7, 1000));
}
INSTANTIATE_TEST_SUITE_P(Windows, ResultRecordingTest,
                         testing::Values(Recording{false, 25, 75, 110, true}, Recording{true, 25, 75, 110, false},
                                         Recording{false, 30, 75, 110, false}, Recording{false, 25, 80, 110, false},
                                         Recording{false, 25, 75, 100, false}, Recording{false, 20, 60, 130, true}));

// A record file that is read-only or a folder: the result goes on and nothing is lost.
class ResultRecordFileTest : public ResultTest, public testing::WithParamInterface<bool> {};

TEST_P(ResultRecordFileTest, AnOddRecordFileNeitherStopsTheResultNorLosesData) {
  const bool folder = GetParam();
  char path[library::kPathBytes];
  library::RecordFilePath(chart::TheChart.songIdentity, path);
  std::filesystem::create_directories(folder ? path : "Files/Save");
  library::SongRecord old{};
  old.playCount[3] = 5, old.bestScore[3] = 900000, old.clearStatus[3] = library::kClearFullCombo;
  ASSERT_TRUE(folder || library::WriteSongRecord(path, old) == 0);
  chmod(path, folder ? 0555 : 0444);
  Begin(400000, 100, 0, 0, 100.0, 0, 100);
  result::RecordPlay(chart::TheChart);
  RunUntil(6000);  // six digits from 3500
  EXPECT_TRUE(Result.complete[result::kScore]);
  library::SongRecord now{};
  const int read = library::ReadSongRecord(path, &now);
  EXPECT_TRUE(!folder || std::filesystem::is_directory(path));
  EXPECT_EQ(std::make_tuple(read, now.playCount[3], now.bestScore[3], int(now.clearStatus[3])),
            folder ? std::make_tuple(-1, 0, 0, 0) : std::make_tuple(0, 6, 900000, int(library::kClearFullCombo)));
}
INSTANTIATE_TEST_SUITE_P(Files, ResultRecordFileTest, testing::Bool());

// The scene as the main loop runs it, with its worker on a thread of its own: the centre key
// once the count is over leaves for the song select, and the worker is gone by then.
TEST_F(ResultTest, WholeSceneOnItsThreadEndsInTheSongSelect) {
  platform::TimeUseVirtualClock(kSceneStart, true);  // the worker's 1 ms rounds move the clock
  result::SetResultKeySource([](std::atomic<int32_t>* keys) {
    keys[shell::kDikF] = Result.timeline > result::kFullComboMs + 100 ? 1 : 0;
  });
  play::Play.score = 300000, play::Play.great = 200, play::Play.gauge = 90.0;
  const double until = platform::TimeMonotonicMs() + 20000;
  for (shell::SceneFrame = 1; shell::SceneId == shell::kSceneResult; ++shell::SceneFrame) {
    result::ResultSceneFrame();
    ASSERT_LT(platform::TimeMonotonicMs(), until) << "the scene never left";
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  EXPECT_EQ(shell::SceneId, shell::kSceneSongSelect);
  EXPECT_TRUE(Result.workerEnded);
}

// ---- the screen as drawn --------------------------------------------------------------------
// The result screen as drawn: which background, message and full-combo picture a play gets,
// and the closing iris with the save picture. The title is 256 bytes valid in no encoding.

constexpr uint32_t kClearBg = 0xFF204060, kFailedBg = 0xFF402020, kClearMsg = 0xFF10E010,
                   kFailedMsg = 0xFFE01010, kFullCombo = 0xFFF0F020, kSave = 0xFF30A0A0;

#define EXPECT_COLOUR(pixel, c) EXPECT_RGB_NEAR(pixel, gfxtest::R(c), gfxtest::G(c), gfxtest::B(c))

class ResultDrawTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    gfxtest::GraphicsTest::SetUp();
    theme::SetDefaultLayouts();
    theme::ResetResultHandles();
    ra::Clear = Solid("clear.png", 640, 480, kClearBg);
    ra::Failed = Solid("failed.png", 640, 480, kFailedBg);
    ra::MessageClear = Solid("mc.png", 60, 40, kClearMsg);
    ra::MessageFailed = Solid("mf.png", 60, 40, kFailedMsg);
    ra::MessageFullcombo = Solid("fc.png", 40, 40, kFullCombo);
    ra::LoadBgEnd = Solid("end.png", 640, 480, 0xFF000000);
    ra::LoadSave = Solid("save.png", 100, 60, kSave);
    ra::TitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 30);
    ra::SubTitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 26);
    graphics::UploadPendingTextures();
    chart::ResetChartCompletely();
    std::memset(chart::TheChart.title, 0xFF, 256);
    for (int i = 0; i < 256; i += 2) std::memcpy(chart::TheChart.subtitle + i, "\x81\x7F", 2);
  }
  void TearDown() override {
    result::ReleaseResultPictures();
    theme::ResetResultHandles();
    gfxtest::GraphicsTest::TearDown();
  }
  void Begin(double gauge, int great, int bad) {
    result::ResultInput in;
    in.gauge = gauge, in.great = great, in.bad = bad;
    result::BeginResult(in);
  }
  void Draw(double t, bool leaving = false, double sinceLeave = 0.0) {
    result::DrawResultScreen({t, t, leaving, sinceLeave});
  }
};

struct Outcome {
  double gauge;
  int great, bad;
  uint32_t background, message;
  bool fullCombo;
};
class ResultPicturesTest : public ResultDrawTest, public testing::WithParamInterface<Outcome> {};

TEST_P(ResultPicturesTest, BackgroundMessageAndFullComboFollowThePlay) {
  const Outcome o = GetParam();
  const theme::ResultLayoutData& L = theme::ResultLayout;
  Begin(o.gauge, o.great, o.bad);
  Draw(22000);
  EXPECT_COLOUR(Pixel(5, 470), o.background);
  EXPECT_COLOUR(Pixel(L.message_p1_x, L.message_p1_y), o.message);
  Draw(25000);  // the message is gone, the full-combo picture has settled
  EXPECT_COLOUR(Pixel(L.fullcombo_p1_x, L.fullcombo_p1_y), o.fullCombo ? kFullCombo : o.background);
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultPicturesTest,
                         testing::Values(Outcome{100.0, 50, 1, kClearBg, kClearMsg, false},  // one Bad
                                         Outcome{100.0, 50, 0, kClearBg, kClearMsg, true},
                                         Outcome{40.0, 5, 9, kFailedBg, kFailedMsg, false},
                                         Outcome{0.0, 0, 0, kFailedBg, kFailedMsg, false}));  // no notes

TEST_F(ResultDrawTest, LeavingClosesTheScreenAndRaisesTheSavePicture) {
  Begin(100.0, 10, 0);
  const uint32_t fill = shell::kDefaultLoadingColour;
  Draw(24500, true, 300);  // the iris is closing: the edges are covered, the middle not yet
  EXPECT_COLOUR(Pixel(2, 2), fill);
  EXPECT_COLOUR(Pixel(320, 240), 0xFF000000u);
  Draw(25000, true, result::kLeaveMs);
  EXPECT_COLOUR(Pixel(320, 240), fill);
  EXPECT_COLOUR(Pixel(40, 285), kSave);
  EXPECT_COLOUR(Pixel(40, 277), fill);
}

}  // namespace
}  // namespace resulttest
