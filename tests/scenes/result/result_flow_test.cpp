// The result presentation as the player hears and steers it: the timeline with its counting,
// the skip and the leave, the music, and what is recorded.
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "library/record_file.h"
#include "scenes/result/result_draw.h"
#include "scenes/result/result_fixture.h"
#include "scenes/result/result_scene.h"
#include "support/files.h"

namespace resulttest {
namespace {

TEST_F(ResultTest, ScoreOfZeroCompletesAfterOneDigitAndTheTimelineJumpsEightDigitsAhead) {
  Begin(0, 0, 0, 0, 0.0);
  RunUntil(3833);
  EXPECT_FALSE(Result.complete[result::kScore]);
  EXPECT_DOUBLE_EQ(Result.timeline, 3833.0);
  RunUntil(3834);
  EXPECT_TRUE(Result.complete[result::kScore]);
  EXPECT_NEAR(Result.timeline, 3834.0 + 8 * result::kStepMs, 1e-6);
}

// Whole presentations: every digit ticks ten times, every number completes once, the timeline
// never goes back, digits already counted never change, and each number ends on its value.
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
    if (shown > 0) {
      ASSERT_EQ(v % below, c.score % below) << "digits already counted changed";
    }
  }
  EXPECT_EQ(Played(ra::CountSound, ra::kCountSoundCopies), 10 * digits);
  EXPECT_EQ(Played(ra::DonSound, ra::kDonSoundCopies), result::kNumberCount);
  for (int i = 0; i < result::kNumberCount; ++i) {
    int shown = 0;
    EXPECT_EQ(result::ShownNumber(i, Result.timeline, &shown), Result.value[i]) << i;
  }
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultCountingTest,
                         testing::Values(Counting{0, 0, 0, 0, 0, 0},  // no notes
                                         Counting{1234560, 612, 40, 3, 77, 500},
                                         Counting{2147483647, 99999, 99999, 99999, 99999, 99999}));

TEST_F(ResultTest, CentreKeySkipsOnlyFrom3300AndLeavesOnlyAfter24000Once) {
  Begin(987654, 500, 20, 1, 90.0, 10, 300);
  RunUntil(3298);
  PressF();  // 3299: too early
  EXPECT_FALSE(Result.skipped);
  RunUntil(5000);
  PressF();  // during the count: every number shows its value at once
  EXPECT_DOUBLE_EQ(Result.timeline, result::kCountEndMs);
  for (int i = 0; i < result::kNumberCount; ++i) {
    int shown = 0;
    EXPECT_EQ(result::ShownNumber(i, Result.timeline, &shown), Result.value[i]);
  }
  EXPECT_EQ(Played(ra::DonSound, ra::kDonSoundCopies), 1);
  EXPECT_GT(FirstPlayed(ra::NormaClearP1), 0.0);
  PressF();  // the count is over, but leaving waits for 24000
  EXPECT_FALSE(Result.leaving);
  RunUntil(7700);
  PressF();
  ASSERT_TRUE(Result.leaving);
  const double leftAt = Result.leaveInstant;
  RunUntil(7800);
  PressF();  // a second press while leaving changes nothing
  EXPECT_EQ(Result.leaveInstant, leftAt);
}

TEST_F(ResultTest, MusicLoopStartsAsTheStartPartEnds) {
  Begin(1000, 10, 0, 0, 100.0);
  RunUntil(result::kMusicMs + kMusicStartMs + 50);
  const double start = FirstPlayed(ra::ClearBgmStart), loop = FirstPlayed(ra::ClearBgmLoop);
  EXPECT_GT(start, result::kMusicMs);
  // No gap: the loop starts at most one worker round before the start part's last sample.
  EXPECT_LE(loop, start + kMusicStartMs);
  EXPECT_GE(loop, start + kMusicStartMs - result::kWorkerRoundMs);
  EXPECT_EQ(sound::IsSoundPlaying(ra::ClearBgmLoop), 1);
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
  EXPECT_EQ(library::ReadSongRecord(path, &rec), r.recorded ? 0 : -1);
  EXPECT_EQ(rec.bestScore[3], r.recorded ? 500000 : 0);
  EXPECT_EQ(library::GlobalStats.playCount, r.recorded ? 8 : 7);
  EXPECT_EQ(library::GlobalStats.drumCounter, r.recorded ? 1320 : 1000);
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
  if (!folder) {
    ASSERT_EQ(library::WriteSongRecord(path, old), 0);
  }
  chmod(path, folder ? 0555 : 0444);
  Begin(400000, 100, 0, 0, 100.0, 0, 100);
  result::RecordPlay(chart::TheChart);
  RunUntil(6000);  // six digits from 3500
  EXPECT_TRUE(Result.complete[result::kScore]);
  library::SongRecord now;
  if (folder) {
    EXPECT_TRUE(std::filesystem::is_directory(path));
  } else {
    ASSERT_EQ(library::ReadSongRecord(path, &now), 0);
    EXPECT_EQ(now.playCount[3], 6);
    EXPECT_EQ(now.bestScore[3], 900000);
    EXPECT_EQ(now.clearStatus[3], library::kClearFullCombo);
  }
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
  library::GlobalStats.playCount = 1;
  const double until = platform::TimeMonotonicMs() + 20000;
  for (shell::SceneFrame = 1; shell::SceneId == shell::kSceneResult; ++shell::SceneFrame) {
    result::ResultSceneFrame();
    ASSERT_LT(platform::TimeMonotonicMs(), until) << "the scene never left";
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  EXPECT_EQ(shell::SceneId, shell::kSceneSongSelect);
  EXPECT_TRUE(Result.workerEnded);
  EXPECT_EQ(library::GlobalStats.playCount, 2);
}

}  // namespace
}  // namespace resulttest
