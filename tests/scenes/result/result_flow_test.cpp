// The result presentation as the player hears and steers it: the timeline with its counting,
// the skip and the leave, the music, and what is recorded.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <filesystem>
#include <thread>

#include "library/record_file.h"
#include "scenes/result/result_scene.h"
#include "scenes/result/result_draw.h"
#include "support/files.h"
#include "scenes/result/result_fixture.h"

namespace resulttest {
namespace {

using result::Result;
constexpr double kStep = 1000.0 / 3.0;

TEST_F(ResultTest, ScoreOfZeroCompletesAfterOneDigitAndTheTimelineJumpsEightDigitsAhead) {
  SetPlay(0, 0, 0, 0, 0.0);
  Begin();
  RunUntil(3833);
  EXPECT_FALSE(Result.complete[result::kScore].load());
  EXPECT_DOUBLE_EQ(Result.timeline.load(), 3833.0);
  RunUntil(3834);
  EXPECT_TRUE(Result.complete[result::kScore].load());
  EXPECT_NEAR(Result.timeline.load(), 3834.0 + 8 * kStep, 1e-6);
}

// Whole presentations: every digit ticks ten times, every number completes once, the timeline
// never goes back, and each number ends on its own value.
struct Counting {
  int score, great, good, bad, roll, maxCombo;
};
class ResultCountingTest : public ResultTest, public testing::WithParamInterface<Counting> {};

TEST_P(ResultCountingTest, EveryDigitTicksAndEveryNumberLandsOnItsValue) {
  const Counting c = GetParam();
  SetPlay(c.score, c.great, c.good, c.bad, 100.0, c.roll, c.maxCombo);
  Begin();
  double last = 0.0;
  int totalDigits = 0;
  for (int i = 0; i < result::kNumberCount; ++i) totalDigits += Result.digits[i];
  while (Result.timeline.load() < 25000.0) {
    RunUntil(Result.clock.load() + 1);
    ASSERT_GE(Result.timeline.load(), last);
    last = Result.timeline.load();
    int shown = 0;  // a rolling digit never garbles the digits around it
    const int64_t v = result::ShownNumber(result::kScore, last, &shown);
    if (shown > 0) {
      const int64_t below = int64_t(std::pow(10.0, shown - 1));
      ASSERT_TRUE(v >= 0 && v < below * 10) << v << " in " << shown << " digits";
      ASSERT_EQ(v % below, Result.value[result::kScore] % below) << "digits already counted changed";
    }
  }
  EXPECT_EQ(CountPlayed(ra::CountSound, ra::kCountSoundCopies), 10 * totalDigits);
  EXPECT_EQ(CountPlayed(ra::DonSound, ra::kDonSoundCopies), result::kNumberCount);
  for (int i = 0; i < result::kNumberCount; ++i) {
    int shown = 0;
    EXPECT_EQ(result::ShownNumber(i, last, &shown), Result.value[i]) << i;
    EXPECT_EQ(shown, Result.digits[i]) << i;
  }
  EXPECT_EQ(Result.value[result::kScore], c.score);
}
INSTANTIATE_TEST_SUITE_P(Plays, ResultCountingTest,
                         testing::Values(Counting{0, 0, 0, 0, 0, 0},                     // no notes
                                         Counting{1234560, 612, 40, 3, 77, 500},
                                         Counting{2147483647, 99999, 99999, 99999, 99999, 99999}));

TEST_F(ResultTest, CentreKeySkipsOnlyFrom3300AndLeavesOnlyAfter24000Once) {
  SetPlay(987654, 500, 20, 1, 90.0, 10, 300);
  Begin();
  RunUntil(3298);
  PressF();  // 3299: too early
  EXPECT_FALSE(Result.skipped.load());
  EXPECT_EQ(CountPlayed(ra::DonSound, ra::kDonSoundCopies), 0);

  RunUntil(5000);
  PressF();  // during the count: every number shows its value at once
  EXPECT_TRUE(Result.skipped.load());
  EXPECT_DOUBLE_EQ(Result.timeline.load(), result::kCountEndMs);
  for (int i = 0; i < result::kNumberCount; ++i) {
    int shown = 0;
    EXPECT_EQ(result::ShownNumber(i, Result.timeline.load(), &shown), Result.value[i]);
  }
  EXPECT_EQ(CountPlayed(ra::DonSound, ra::kDonSoundCopies), 1);
  EXPECT_NE(FirstPlayed(ra::NormaClearP1), nullptr);

  PressF();  // T 21402: the count is over but leaving is not allowed yet
  EXPECT_FALSE(Result.leaving.load());
  RunUntil(5000 + 2700);
  PressF();
  ASSERT_TRUE(Result.leaving.load());
  const double leftAt = Result.leaveInstant.load();
  RunUntil(Result.clock.load() + 100);
  PressF();  // a second press while leaving changes nothing
  EXPECT_EQ(Result.leaveInstant.load(), leftAt);
}

TEST_F(ResultTest, MusicLoopStartsAsTheStartPartEnds) {
  SetPlay(1000, 10, 0, 0, 100.0);
  Begin();
  RunUntil(3301 + kMusicStartMs + 50);
  const Played* start = FirstPlayed(ra::ClearBgmStart);
  const Played* loop = FirstPlayed(ra::ClearBgmLoop);
  ASSERT_NE(start, nullptr);
  ASSERT_NE(loop, nullptr);
  EXPECT_GT(start->at, result::kMusicMs);
  // No gap: started at most one worker round before the start part's last sample.
  EXPECT_LE(loop->at, start->at + kMusicStartMs);
  EXPECT_GE(loop->at, start->at + kMusicStartMs - result::kWorkerRoundMs);
  EXPECT_EQ(sound::IsSoundPlaying(ra::ClearBgmLoop), 1);
}

// What reaches the record file and the lifetime counters, by auto play and judgement windows.
struct Recording {
  bool autoPlay;
  int greatWindow, goodWindow, badWindow;
  bool recorded;
};
class ResultRecordingTest : public ResultTest, public testing::WithParamInterface<Recording> {};

TEST_P(ResultRecordingTest, OnlyPlaysUnderTheDefaultWindowsWithoutAutoPlayAreRecorded) {
  const Recording r = GetParam();
  SetPlay(500000, 300, 20, 5, 85.0, 0, 200);
  play::Play.autoPlay = r.autoPlay;
  play::Play.greatWindow = r.greatWindow;
  play::Play.goodWindow = r.goodWindow;
  play::Play.badWindow = r.badWindow;
  library::GlobalStats.playCount = 7;
  library::GlobalStats.drumCounter = 1000;

  Begin();
  result::RecordPlay(chart::TheChart);
  Result.leaving = 1;
  Result.leaveInstant = 0.0;
  result::ResultFrameTimes times;
  times.leaving = true;
  times.sinceLeave = result::kLeaveMs;
  ASSERT_TRUE(result::LeaveResultIfDone(times));
  EXPECT_EQ(shell::SceneId.load(), shell::kSceneSongSelect);

  char path[library::kPathBytes];
  library::RecordFilePath(chart::TheChart.songIdentity, path);
  library::SongRecord rec;
  EXPECT_EQ(library::ReadSongRecord(path, &rec), r.recorded ? 0 : -1);
  EXPECT_EQ(rec.bestScore[3], r.recorded ? 500000 : 0);
  EXPECT_EQ(library::GlobalStats.playCount, r.recorded ? 8 : 7);
  EXPECT_EQ(library::GlobalStats.drumCounter, r.recorded ? 1320 : 1000);
}
INSTANTIATE_TEST_SUITE_P(Windows, ResultRecordingTest,
                         testing::Values(Recording{false, 25, 75, 110, true},
                                         Recording{true, 25, 75, 110, false},
                                         Recording{false, 30, 75, 110, false},
                                         Recording{false, 25, 80, 110, false},
                                         Recording{false, 25, 75, 100, false},
                                         Recording{false, 20, 60, 130, true}));

// A record file the update can't use as it is: the result goes on and nothing good is lost.
enum class RecordState { kReadOnlyValid, kDamaged, kDirectory };
class ResultRecordFileTest : public ResultTest, public testing::WithParamInterface<RecordState> {};

TEST_P(ResultRecordFileTest, AnOddRecordFileNeitherStopsTheResultNorLosesData) {
  char path[library::kPathBytes];
  library::RecordFilePath(chart::TheChart.songIdentity, path);
  std::filesystem::create_directories("Files/Save");
  library::SongRecord old{};
  old.playCount[3] = 5;
  old.bestScore[3] = 900000;
  old.clearStatus[3] = library::kClearFullCombo;
  switch (GetParam()) {
    case RecordState::kReadOnlyValid:
      ASSERT_EQ(library::WriteSongRecord(path, old), 0);
      chmod(path, 0444);
      break;
    case RecordState::kDamaged:
      testsupport::WriteFile(path, std::string(100, '\x55'));
      break;
    case RecordState::kDirectory:
      std::filesystem::create_directories(path);
      break;
  }
  SetPlay(400000, 100, 0, 0, 100.0, 0, 100);
  Begin();
  result::RecordPlay(chart::TheChart);
  RunUntil(6000);  // six digits from 3500
  EXPECT_TRUE(Result.complete[result::kScore].load());

  library::SongRecord now;
  if (GetParam() == RecordState::kDirectory) {
    EXPECT_TRUE(std::filesystem::is_directory(path));
    return;
  }
  ASSERT_EQ(library::ReadSongRecord(path, &now), 0);
  if (GetParam() == RecordState::kReadOnlyValid) {
    EXPECT_EQ(now.playCount[3], 6);
    EXPECT_EQ(now.bestScore[3], 900000);
    EXPECT_EQ(now.clearStatus[3], library::kClearFullCombo);
  } else {
    EXPECT_EQ(now.playCount[3], 1);
    EXPECT_EQ(now.bestScore[3], 400000);
  }
}
INSTANTIATE_TEST_SUITE_P(Files, ResultRecordFileTest,
                         testing::Values(RecordState::kReadOnlyValid, RecordState::kDamaged,
                                         RecordState::kDirectory));

}  // namespace
}  // namespace resulttest

namespace resulttest {
namespace {

// The scene as the main loop runs it, with its worker on a thread of its own: the centre key
// once the count is over leaves for the song select, and the worker is gone by then.
void PressWhenCountIsOver(std::atomic<int32_t>* counters) {
  const bool over = result::Result.timeline.load() > result::kFullComboMs + 100;
  counters[shell::kDikF].store(over ? 1 : 0);
  counters[shell::kDikJ].store(0);
}

TEST_F(ResultTest, WholeSceneOnItsThreadEndsInTheSongSelect) {
  platform::TimeUseVirtualClock(kSceneStart, true);  // the worker's 1 ms rounds move the clock
  result::SetResultKeySource(PressWhenCountIsOver);
  SetPlay(300000, 200, 10, 2, 90.0, 5, 150);
  library::GlobalStats.playCount = 1;
  const double until = platform::TimeMonotonicMs() + 20000;
  for (shell::SceneFrame = 1; shell::SceneId.load() == shell::kSceneResult; ++shell::SceneFrame) {
    result::ResultSceneFrame();
    ASSERT_LT(platform::TimeMonotonicMs(), until) << "the scene never left";
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  EXPECT_EQ(shell::SceneId.load(), shell::kSceneSongSelect);
  EXPECT_TRUE(Result.workerEnded.load());
  EXPECT_EQ(library::GlobalStats.playCount, 2);
}

}  // namespace
}  // namespace resulttest
