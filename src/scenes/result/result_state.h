// The result presentation's state and its worker: the numbers of the play read on the first
// frame, the result clock and the timeline T, the counting of the seven numbers with their
// tick and completion sounds, the skip, the music and the voices, and the leave request.
//
// The worker is the only writer of the clock, T, the completion and tick marks, the played-once
// flags, the skip offset and the leaving flag; the main thread reads them to draw and to leave.
// Every shared value is atomic. The worker pass can be run step by step on a virtual clock
// (tests, benchmarks) or on the thread the scene starts.
#pragma once
#include <atomic>
#include <cstdint>

#include "chart/chart.h"

namespace result {

// ---- the presentation's landmarks (ms) -----------------------------------------------------
constexpr double kStepMs = 1000.0 / 3.0;    // one digit of a number counts for 333 1/3 ms
constexpr double kTickMs = kStepMs / 10.0;  // ten ticks per digit
constexpr double kAnnouncementMs = 850.0;
constexpr double kCurtainStartMs = 3250.0;
constexpr double kCurtainEndMs = 3650.0;
constexpr double kCurtainTravel = 960.0;
constexpr double kMusicMs = 3300.0;
constexpr double kSkipFromMs = 3300.0;      // result clock from which F or J skips
constexpr double kCountEndMs = 21400.0;     // end of the count: message, threshold voice
constexpr double kFullComboMs = 24000.0;    // full-combo picture and voice; keys now leave
constexpr double kGaugeStartMs = 7500.0;
constexpr double kGaugeFillMs = 1700.0;     // the gauge fills until 9200
constexpr double kSoulMs = 9200.0;
constexpr double kSoulFlashEndMs = 9450.0;
constexpr double kSoulPulseMs = 800.0;
constexpr double kMessageEndMs = 24050.0;
constexpr double kIrisMs = 600.0;           // closing iris after the leave
constexpr double kSaveSlideMs = 200.0;      // then the save picture slides up
constexpr double kLeaveMs = 800.0;          // the song select load starts here
constexpr int kWorkerRoundMs = 1;

// The judgement windows no more lenient than these are recorded.
constexpr int kRecordGreatMax = 25;
constexpr int kRecordGoodMax = 75;
constexpr int kRecordBadMin = 110;

// The seven numbers, in the order they are presented.
enum NumberIndex : int {
  kScore = 0,
  kMaxCombo = 1,
  kHitRate = 2,
  kGreat = 3,
  kGood = 4,
  kBad = 5,
  kRoll = 6,
  kNumberCount = 7,
};
constexpr double kNumberStartMs[kNumberCount] = {3500, 7500, 9800, 11800, 14200, 16600, 19000};
constexpr int kNumberSlot[kNumberCount] = {9, 5, 3, 5, 5, 5, 5};

// What the result shows, taken from the play record on the first frame.
struct ResultInput {
  int32_t score = 0, maxCombo = 0, great = 0, good = 0, bad = 0, roll = 0;
  double gauge = 0.0;       // 0 to 100
  int clearThreshold = 80;  // percent
  int course = 0;           // 0 Easy .. 4 Edit
  bool autoPlay = false;
  int greatWindow = 25, goodWindow = 75, badWindow = 110;
};

struct ResultState {
  // First frame (main thread, before the worker starts).
  ResultInput input;
  double hitRate = 0.0;       // percent
  int failed = 0;             // the gauge ended below the clear threshold
  bool recordable = false;
  bool fullCombo = false;     // no Bad and a hit rate of 100
  int32_t value[kNumberCount] = {};  // the shown values (hit rate as its integer part)
  int digits[kNumberCount] = {};     // 1 for 0, else the decimal digits
  double sceneStart = 0.0;    // time-module ms of the first frame

  // Worker (atomics: the main thread reads them).
  std::atomic<double> clock{0.0};       // result clock
  std::atomic<double> timeline{0.0};    // T
  std::atomic<double> skipOffset{0.0};
  std::atomic<int> skipped{0};
  std::atomic<int> complete[kNumberCount] = {};
  std::atomic<int> ticksDone[kNumberCount] = {};  // ticks sounded (or skipped) so far
  std::atomic<int> announcementPlayed{0}, musicStarted{0}, loopStarted{0},
      thresholdPlayed{0}, fullComboPlayed{0};
  std::atomic<int> leaving{0};
  std::atomic<double> leaveInstant{0.0};  // result clock of the leaving press
  int countRing = 0, donRing = 0;         // worker only

  // Worker life.
  std::atomic<int> stopRequested{0};
  std::atomic<int> workerEnded{1};
};

extern ResultState Result;

// ---- first frame -------------------------------------------------------------------------------
// The play's numbers as the play left them (play::Play, chart::TheChart, theme::LoadCourse).
ResultInput ReadPlayOutcome();
// Hit rate (great + good) / (great + good + bad) x 100; 0 when all three are 0.
double HitRate(int32_t great, int32_t good, int32_t bad);
// Auto play off and windows no more lenient than the defaults.
bool IsRecordable(const ResultInput& in);
// Resets the state and computes the hit rate, the failed flag and the shown numbers; the clock
// starts now. Does not touch any file.
void BeginResult(const ResultInput& in);
// The record update of a recordable play (the song's record file, written atomically).
// Returns 0 when written, -1 when skipped or failed.
int RecordPlay(const chart::Chart& chart);
// On leaving a recordable play: play count + 1, drum counter + great + good.
void CountPlayInGlobalStats();

// ---- worker ------------------------------------------------------------------------------------
// One pass at the time module's now. Returns 0 to go on, -1 when the worker has to end (the
// scene or the scene being loaded is no longer the result, or a stop was requested).
int ResultWorkerPass();
// Starts the worker thread (detached); it sets workerEnded when it returns.
void StartResultWorker();
// Asks the worker to end and waits (at most maxWaitMs of the real clock) until it has.
void StopResultWorker(int maxWaitMs);

// Where the worker reads F and J from; the default is shell::PollKeyboard. nullptr restores it.
using ResultKeySource = void (*)(std::atomic<int32_t>* counters);
void SetResultKeySource(ResultKeySource source);

// Every sound the presentation starts passes here (tests observe them). nullptr to stop.
using ResultSoundObserver = void (*)(int handle);
void SetResultSoundObserver(ResultSoundObserver observer);

// The value of number i that is shown at timeline t: the digits reached so far (from the ones
// place leftwards), with the digit being counted rolling. *shownDigits receives how many digits
// are drawn (0 before the number starts).
int64_t ShownNumber(int i, double t, int* shownDigits);

void ResetResultState();

}  // namespace result
