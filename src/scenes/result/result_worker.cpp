// The result's first-frame figures, the record and counter updates, and the result worker:
// one pass per millisecond that keeps the result clock and the timeline, reads F and J, counts
// the seven numbers with their sounds and plays the music and the voices.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "graphics/number.h"
#include "library/record_file.h"
#include "library/save_data.h"
#include "platform/time.h"
#include "play/play_record.h"
#include "scenes/result/result_state.h"
#include "shell/keyboard.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace result {

ResultState Result;

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
namespace ra = theme::result_assets;

ResultKeySource g_keySource = nullptr;
std::atomic<ResultSoundObserver> g_soundObserver{nullptr};

void PlayResultSound(int handle, bool looping = false) {
  if (ResultSoundObserver observer = g_soundObserver.load(kRelaxed)) observer(handle);
  sound::PlaySound(handle, looping);
}

// A copy of a ring starts from its beginning even when it is still sounding.
void PlayRingSound(const int* ring, int copies, int* cursor) {
  const int handle = ring[*cursor];
  *cursor = (*cursor + 1) % copies;
  sound::StopSound(handle);
  PlayResultSound(handle);
}

bool ResultSceneCurrent() {
  return shell::SceneId.load(std::memory_order_acquire) == shell::kSceneResult &&
         shell::LoadKind.load(std::memory_order_acquire) == shell::kSceneResult;
}

// Time the timeline gains when number i has fewer digits than its slot.
double SavedMs(int i) { return std::max(0, kNumberSlot[i] - Result.digits[i]) * kStepMs; }

double SavedByCompleteNumbers() {
  double saved = 0.0;
  for (int i = 0; i < kNumberCount; ++i)
    if (Result.complete[i].load(kRelaxed)) saved += SavedMs(i);
  return saved;
}

// Milliseconds the sound still has to play, from its play cursor; 0 when it has stopped.
double RemainingMs(int handle) {
  if (sound::IsSoundPlaying(handle) != 1) return 0.0;
  sound::SoundSlot info;
  const int byteRate = sound::GetSoundByteRate(handle);
  if (sound::GetSoundInfo(handle, &info) != 0 || byteRate <= 0 || info.sampleRate <= 0 ||
      info.channels <= 0 || info.bitsPerSample < 8)
    return 0.0;
  const double frames = double(info.length) / (info.channels * (info.bitsPerSample / 8));
  const double lengthMs = frames * 1000.0 / info.sampleRate;
  const double positionMs = double(sound::GetSoundPositionBytes(handle)) * 1000.0 / byteRate;
  return std::max(0.0, lengthMs - positionMs);
}

// The start part of the music once, then its loop part as it ends. The loop is started in the
// last worker round of the start part, so that it follows without a gap.
void RunMusic(double clock) {
  const bool failed = Result.failed != 0;
  const int start = failed ? ra::FailedBgmStart : ra::ClearBgmStart;
  if (!Result.musicStarted.load(kRelaxed)) {
    if (clock <= kMusicMs) return;
    PlayResultSound(start);
    Result.musicStarted.store(1, kRelaxed);
    return;
  }
  if (Result.loopStarted.load(kRelaxed)) return;
  if (RemainingMs(start) <= kWorkerRoundMs) {
    PlayResultSound(failed ? ra::FailedBgmLoop : ra::ClearBgmLoop, true);
    Result.loopStarted.store(1, kRelaxed);
  }
}

// Counts number i at timeline t: a tick sound at each new tenth of a digit step and the
// completion sound after the last digit. Returns the time the timeline gains by its completion.
double CountNumber(int i, double t) {
  if (Result.complete[i].load(kRelaxed)) return 0.0;
  const double start = kNumberStartMs[i];
  if (t < start) return 0.0;
  const int totalTicks = 10 * Result.digits[i];
  const int due = std::min(totalTicks, int(std::floor((t - start) / kTickMs)) + 1);
  if (due > Result.ticksDone[i].load(kRelaxed)) {
    // Ticks that came due together sound once.
    Result.ticksDone[i].store(due, kRelaxed);
    PlayRingSound(ra::CountSound, ra::kCountSoundCopies, &Result.countRing);
  }
  if (t < start + Result.digits[i] * kStepMs) return 0.0;
  Result.complete[i].store(1, kRelaxed);
  PlayRingSound(ra::DonSound, ra::kDonSoundCopies, &Result.donRing);
  return SavedMs(i);
}

void Skip(double clock) {
  Result.skipOffset.store(kCountEndMs - clock, kRelaxed);
  Result.skipped.store(1, kRelaxed);
  for (int i = 0; i < kNumberCount; ++i) {
    Result.ticksDone[i].store(10 * Result.digits[i], kRelaxed);
    Result.complete[i].store(1, kRelaxed);
  }
  PlayRingSound(ra::DonSound, ra::kDonSoundCopies, &Result.donRing);
}

int ResultWorkerMain() {
  while (ResultWorkerPass() == 0) platform::TimeSleepMs(kWorkerRoundMs);
  Result.workerEnded.store(1, std::memory_order_release);
  return 0;
}

}  // namespace

// ---- first frame ---------------------------------------------------------------------------

ResultInput ReadPlayOutcome() {
  const play::PlayRecord& p = play::Play;
  ResultInput in;
  in.score = p.score.load(kRelaxed);
  in.maxCombo = p.maxCombo.load(kRelaxed);
  in.great = p.great.load(kRelaxed);
  in.good = p.good.load(kRelaxed);
  in.bad = p.bad.load(kRelaxed);
  in.roll = p.roll.load(kRelaxed);
  in.gauge = p.gauge.load(kRelaxed);
  in.clearThreshold = p.clearThreshold;
  in.course = std::clamp(theme::LoadCourse, 0, theme::kCourseCount - 1);
  in.autoPlay = p.autoPlay;
  in.greatWindow = p.greatWindow;
  in.goodWindow = p.goodWindow;
  in.badWindow = p.badWindow;
  return in;
}

double HitRate(int32_t great, int32_t good, int32_t bad) {
  const double hit = double(great) + double(good);
  const double all = hit + double(bad);
  return all > 0.0 ? hit / all * 100.0 : 0.0;
}

bool IsRecordable(const ResultInput& in) {
  return !in.autoPlay && in.greatWindow <= kRecordGreatMax && in.goodWindow <= kRecordGoodMax &&
         in.badWindow >= kRecordBadMin;
}

void BeginResult(const ResultInput& in) {
  ResetResultState();
  Result.input = in;
  Result.hitRate = HitRate(in.great, in.good, in.bad);
  Result.failed = in.gauge < in.clearThreshold ? 1 : 0;
  Result.recordable = IsRecordable(in);
  Result.fullCombo = in.bad == 0 && Result.hitRate >= 100.0;
  const int32_t shown[kNumberCount] = {in.score, in.maxCombo, int32_t(Result.hitRate), in.great,
                                       in.good,  in.bad,      in.roll};
  for (int i = 0; i < kNumberCount; ++i) {
    Result.value[i] = std::max<int32_t>(0, shown[i]);
    Result.digits[i] = graphics::NumberDigitCount(Result.value[i]);
  }
  Result.sceneStart = platform::TimeNowMs();
}

int RecordPlay(const chart::Chart& chart) {
  if (!Result.recordable) return -1;
  // Only a real identity names a record file.
  const char* id = chart.songIdentity;
  if (strnlen(id, chart::kSongIdentityBytes) != chart::kSongIdentityBytes - 1) return -1;
  const ResultInput& in = Result.input;
  library::PlayOutcome outcome{in.course, in.score, in.maxCombo, in.great, in.good,
                               in.bad,    in.roll,  in.gauge,    in.clearThreshold};
  return library::UpdateSongRecordAfterPlay(id, outcome);
}

void CountPlayInGlobalStats() {
  if (!Result.recordable) return;
  library::GlobalStatsData& g = library::GlobalStats;
  g.playCount = library::AddToCounter(g.playCount, 1);
  g.drumCounter =
      library::AddToCounter(g.drumCounter, int64_t(Result.input.great) + Result.input.good);
}

// ---- worker --------------------------------------------------------------------------------

int ResultWorkerPass() {
  if (Result.stopRequested.load(std::memory_order_acquire) || !ResultSceneCurrent()) return -1;

  const double clock = platform::TimeNowMs() - Result.sceneStart;
  Result.clock.store(clock, kRelaxed);

  if (g_keySource)
    g_keySource(shell::DirectKeys);
  else
    shell::PollKeyboard(shell::DirectKeys);
  const bool centre = shell::DirectKeys[shell::kDikF].load(kRelaxed) == 1 ||
                      shell::DirectKeys[shell::kDikJ].load(kRelaxed) == 1;

  double t = Result.skipped.load(kRelaxed) ? clock + Result.skipOffset.load(kRelaxed)
                                           : clock + SavedByCompleteNumbers();
  if (centre && clock >= kSkipFromMs && t < kCountEndMs && !Result.skipped.load(kRelaxed)) {
    Skip(clock);
    t = kCountEndMs;
  }
  if (centre && t > kFullComboMs && !Result.leaving.load(kRelaxed)) {
    Result.leaveInstant.store(clock, kRelaxed);
    Result.leaving.store(1, std::memory_order_release);
  }

  if (clock > kAnnouncementMs && !Result.announcementPlayed.load(kRelaxed)) {
    PlayResultSound(ra::AnnouncementVoiceP1);
    Result.announcementPlayed.store(1, kRelaxed);
  }
  RunMusic(clock);

  for (int i = 0; i < kNumberCount; ++i) t += CountNumber(i, t);
  Result.timeline.store(t, kRelaxed);

  if (t >= kCountEndMs && !Result.thresholdPlayed.load(kRelaxed)) {
    PlayResultSound(Result.failed ? ra::NormaFailedP1 : ra::NormaClearP1);
    Result.thresholdPlayed.store(1, kRelaxed);
  }
  if (t >= kFullComboMs && Result.fullCombo && !Result.fullComboPlayed.load(kRelaxed)) {
    PlayResultSound(ra::FullcomboP1);
    Result.fullComboPlayed.store(1, kRelaxed);
  }
  return 0;
}

void StartResultWorker() {
  Result.stopRequested.store(0, std::memory_order_release);
  Result.workerEnded.store(0, std::memory_order_release);
  std::thread(ResultWorkerMain).detach();
}

void StopResultWorker(int maxWaitMs) {
  Result.stopRequested.store(1, std::memory_order_release);
  const double until = platform::TimeMonotonicMs() + maxWaitMs;
  while (!Result.workerEnded.load(std::memory_order_acquire) &&
         platform::TimeMonotonicMs() < until)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void SetResultKeySource(ResultKeySource source) { g_keySource = source; }
void SetResultSoundObserver(ResultSoundObserver observer) { g_soundObserver.store(observer); }

int64_t ShownNumber(int i, double t, int* shownDigits) {
  const int d = Result.digits[i];
  const int32_t v = Result.value[i];
  const double start = kNumberStartMs[i];
  if (Result.complete[i].load(kRelaxed)) {
    *shownDigits = d;
    return v;
  }
  if (t < start) {
    *shownDigits = 0;
    return 0;
  }
  const int k = int(std::floor((t - start) / kStepMs));
  if (k >= d) {
    *shownDigits = d;
    return v;
  }
  *shownDigits = k + 1;
  int64_t place = 1;
  for (int n = 0; n < k; ++n) place *= 10;
  const int64_t reached = v % place;
  // The digit being counted runs once through all ten values and lands on its own.
  const int tick = std::clamp(int(std::floor((t - start - k * kStepMs) / kTickMs)), 0, 9);
  const int own = int((v / place) % 10);
  const int rolling = (own + tick + 1) % 10;
  return rolling * place + reached;
}

void ResetResultState() {
  ResultState& r = Result;
  r.input = ResultInput{};
  r.hitRate = 0.0;
  r.failed = 0;
  r.recordable = false;
  r.fullCombo = false;
  for (int i = 0; i < kNumberCount; ++i) {
    r.value[i] = 0;
    r.digits[i] = 1;
    r.complete[i].store(0, kRelaxed);
    r.ticksDone[i].store(0, kRelaxed);
  }
  r.sceneStart = 0.0;
  r.clock.store(0.0, kRelaxed);
  r.timeline.store(0.0, kRelaxed);
  r.skipOffset.store(0.0, kRelaxed);
  r.skipped.store(0, kRelaxed);
  r.announcementPlayed.store(0, kRelaxed);
  r.musicStarted.store(0, kRelaxed);
  r.loopStarted.store(0, kRelaxed);
  r.thresholdPlayed.store(0, kRelaxed);
  r.fullComboPlayed.store(0, kRelaxed);
  r.leaving.store(0, kRelaxed);
  r.leaveInstant.store(0.0, kRelaxed);
  r.countRing = 0;
  r.donRing = 0;
  r.stopRequested.store(0, kRelaxed);
}

}  // namespace result
