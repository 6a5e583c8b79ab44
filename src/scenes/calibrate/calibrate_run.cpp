// The calibration run: the play's clock (a lead-in, then the notes), the click track started
// and corrected as a play's song is, and a worker that polls the drum keys every millisecond
// and matches each don press to the nearest note.
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "platform/mixer.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "play/play_internal.h"
#include "scenes/calibrate/calibrate.h"
#include "shell/config.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"

namespace calibrate {

CalibrationRun Run;

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr double kFramesPerMs = platform::kMixerRate / 1000.0;
// The click: a short tone with a quick decay, higher on the first beat of each bar.
constexpr double kClickMs = 30.0;
constexpr double kClickHz = 1320.0;
constexpr double kBarClickHz = 1760.0;
constexpr double kClickAmplitude = 0.6 * 32767.0;
constexpr double kClickDecayMs = 6.0;
// The song's two seek corrections, as in a play: once its cursor has reached 10 ms, again at 1 s.
constexpr double kFirstCorrectionMs = 10.0;
constexpr double kSecondCorrectionMs = 1000.0;
enum ClickState { kClicksWaiting = 0, kClicksStarted = 1, kClicksFirstCorrection = 2, kClicksSecondCorrection = 3 };

std::atomic<int> g_generation{0};
int g_donRing = 0, g_katRing = 0;

std::shared_ptr<const platform::MixerPcm> MakeClickTrack() {
  auto pcm = std::make_shared<platform::MixerPcm>();
  const int64_t frames = static_cast<int64_t>((kBeatNotes * kBeatMs + kBeatMs) * kFramesPerMs);
  pcm->samples.assign(static_cast<size_t>(frames) * 2, 0);
  const int64_t clickFrames = static_cast<int64_t>(kClickMs * kFramesPerMs);
  for (int n = 0; n < kBeatNotes; ++n) {
    const int64_t at = static_cast<int64_t>(std::llround(n * kBeatMs * kFramesPerMs));
    const double hz = n % 4 == 0 ? kBarClickHz : kClickHz;
    for (int64_t i = 0; i < clickFrames && at + i < frames; ++i) {
      const double ms = i / kFramesPerMs;
      const double v = kClickAmplitude * std::exp(-ms / kClickDecayMs) * std::sin(2.0 * M_PI * hz * ms / 1000.0);
      const auto s = static_cast<int16_t>(std::lround(v));
      pcm->samples[static_cast<size_t>(at + i) * 2] = s;
      pcm->samples[static_cast<size_t>(at + i) * 2 + 1] = s;
    }
  }
  return pcm;
}

void SeekClicks(double ms) {
  if (!(ms >= 0.0)) ms = 0.0;
  platform::MixerSetPosition(Run.clickBuffer, static_cast<int64_t>(std::llround(ms * kFramesPerMs)));
}

// The song steps of a play's worker pass, for the click track.
void StartAndCorrectClicks(double c) {
  if (Run.clickBuffer < 0) return;
  const double e = c - Run.musicStart;
  if (Run.clickState == kClicksWaiting && e > 0.0) {
    platform::MixerPlay(Run.clickBuffer, false);
    SeekClicks(e);
    Run.clickState = kClicksStarted;
  }
  if (Run.clickState == kClicksStarted || Run.clickState == kClicksFirstCorrection) {
    const int64_t cursor = platform::MixerGetPosition(Run.clickBuffer);
    const double threshold = Run.clickState == kClicksStarted ? kFirstCorrectionMs : kSecondCorrectionMs;
    if (cursor >= 0 && cursor / kFramesPerMs >= threshold) {
      // Where the clicks should be right now: absorbs the device's start-up latency.
      SeekClicks(platform::TimeNowMs() - Run.clockReference - kLeadInMs - Run.musicStart);
      ++Run.clickState;
    }
  }
}

void PlayFromRing(const int* copies, int& ring) {
  sound::PlaySound(copies[ring]);
  ring = (ring + 1) % theme::play_assets::kDrumSoundCopies;
}

void RecordPress(double c) {
  const double nearest = std::round(c / kBeatMs);
  if (!(nearest >= 0.0 && nearest < kBeatNotes)) return;
  const int note = static_cast<int>(nearest);
  const double error = c - note * kBeatMs;
  if (std::fabs(error) > kMatchWindowMs) return;
  if (Run.noteHit[note].load(kRelaxed)) return;  // a second press on a note counts once
  const int n = Run.pressCount.load(kRelaxed);
  if (n >= kPressCapacity) return;
  Run.error[n].store(error, kRelaxed);
  Run.noteOfPress[n].store(note, kRelaxed);
  Run.noteHit[note].store(1, kRelaxed);
  Run.pressCount.store(n + 1, std::memory_order_release);
  platform::TraceWrite("calpress", "\"note\":%d,\"error\":%.3f", note, error);
}

bool SceneCurrent() {
  return shell::SceneId.load(std::memory_order_acquire) == shell::kSceneCalibrate &&
         shell::LoadKind.load(std::memory_order_acquire) == shell::kSceneCalibrate;
}

void WorkerMain(int generation) {
  if (!platform::TimeIsVirtual()) {
    // Presses are timed by the pass that sees them, as in a play: the same priority.
    sched_param param{};
    param.sched_priority = 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  }
  while (g_generation.load(std::memory_order_acquire) == generation && CalibrationWorkerPass() == 0)
    platform::TimeSleepMs(1);
  Run.workerEnded.store(1, std::memory_order_release);
}

void StopWorker() {
  g_generation.fetch_add(1, std::memory_order_acq_rel);
  // The worker ends within a pass; on a virtual clock that nobody advances its sleep would not
  // return, so the wait is bounded.
  for (int i = 0; i < 2000 && !Run.workerEnded.load(std::memory_order_acquire); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ReleaseClicks() {
  if (Run.clickBuffer >= 0) platform::MixerReleaseBuffer(Run.clickBuffer);
  Run.clickBuffer = -1;
}

void ClearRun() {
  Run.clock.store(-kLeadInMs, kRelaxed);
  Run.pressCount.store(0, kRelaxed);
  for (auto& e : Run.error) e.store(0.0, kRelaxed);
  for (auto& n : Run.noteOfPress) n.store(-1, kRelaxed);
  for (auto& h : Run.noteHit) h.store(0, kRelaxed);
  Run.finished.store(false, kRelaxed);
  Run.clickState = kClicksWaiting;
}

}  // namespace

int CalibrationWorkerPass() {
  if (!SceneCurrent()) return -1;
  const double c = platform::TimeNowMs() - Run.clockReference - kLeadInMs;
  Run.clock.store(c, kRelaxed);
  StartAndCorrectClicks(c);
  play::ReadDrumKeys();
  if (play::Keys.DonPressed()) {
    PlayFromRing(theme::play_assets::DonSound, g_donRing);
    RecordPress(c);
  }
  if (play::Keys.KatPressed()) PlayFromRing(theme::play_assets::KatSound, g_katRing);
  if (c > (kBeatNotes - 1) * kBeatMs + kEndAfterLastNoteMs) Run.finished.store(true, std::memory_order_release);
  return 0;
}

void StartCalibrationRun(double now, bool startWorker) {
  StopWorker();
  ReleaseClicks();
  ClearRun();
  Run.clockReference = now;
  Run.musicStart = std::clamp(shell::SoundDelay, -kDelayLimitMs, kDelayLimitMs);
  Run.clickBuffer = platform::MixerCreateBuffer(MakeClickTrack());
  // Benchmarks map the notes to the trace's clock with this: note n is due at
  // reference + lead-in + n x beat, and its click sounds musicStart ms later.
  platform::TraceWrite("calibration", "\"reference\":%.3f,\"leadin\":%.1f,\"beat\":%.1f,\"musicstart\":%.1f", now,
                       kLeadInMs, kBeatMs, Run.musicStart);
  if (!startWorker) return;
  Run.workerEnded.store(0, std::memory_order_release);
  std::thread(WorkerMain, g_generation.load(std::memory_order_acquire)).detach();
}

bool MedianError(double* median) {
  const int n = std::min(Run.pressCount.load(std::memory_order_acquire), kPressCapacity);
  if (n == 0) return false;
  double last[kMedianPresses];
  const int k = std::min(n, kMedianPresses);
  for (int i = 0; i < k; ++i) last[i] = Run.error[n - k + i].load(kRelaxed);
  std::sort(last, last + k);
  *median = k % 2 ? last[k / 2] : (last[k / 2 - 1] + last[k / 2]) / 2.0;
  return true;
}

int ProposedSoundDelay(int currentDelay, double median) {
  const double v = std::round(static_cast<double>(currentDelay) - median);
  return static_cast<int>(std::clamp(v, static_cast<double>(-kDelayLimitMs), static_cast<double>(kDelayLimitMs)));
}

void ResetCalibration() {
  StopWorker();
  ReleaseClicks();
  ClearRun();
  Run.clockReference = 0.0;
  Run.musicStart = 0.0;
  g_donRing = g_katRing = 0;
}

}  // namespace calibrate
