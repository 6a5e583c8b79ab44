// The song preview: a worker thread that decodes, and the main thread's per-frame rules of
// when a preview starts, hands over from its first piece to the whole song, and fades out.
//
// Hand-over with the worker, without locks: the worker state word says who may touch the
// job fields. The scene writes the request (and clears the results) only while the worker is
// absent or idle; the worker writes each result once per job and then publishes the job
// number in its ready word (release), which the scene reads (acquire) before it takes the
// result. A job the scene no longer wants is cancelled and ignored; the next one is posted
// once the worker is idle again.
#include "scenes/select/preview.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>

#include "chart/tja_text.h"
#include "library/song_files.h"
#include "platform/mixer.h"
#include "platform/trace.h"
#include "scenes/select/select_timing.h"
#include "shell/state.h"
#include "sound/song_excerpt.h"

namespace songselect {
namespace {

enum WorkerState : int { kWorkerAbsent = 0, kWorkerIdle = 1, kWorkerRequested = 2, kWorkerBusy = 3 };

constexpr int kMaxRetired = 16;
constexpr double kRetireSettleMs = 50.0;  // a stopped buffer is released after its stop has played
constexpr size_t kDemoStartColumn = 10;    // "DEMOSTART:" is read from this column on

// Shared with the worker (see the hand-over rules above).
std::atomic<int> g_worker{kWorkerAbsent};
std::atomic<bool> g_cancel{false};
std::atomic<bool> g_quit{false};
std::atomic<int> g_firstReady{0};
std::atomic<int> g_wholeReady{0};
std::atomic<int> g_failed{0};
char g_requestChart[library::kPathBytes] = {};
int g_requestJob = 0;
std::shared_ptr<const platform::MixerPcm> g_firstPcm;
std::shared_ptr<const platform::MixerPcm> g_wholePcm;

// The main thread's own state.
struct Current {
  char chart[library::kPathBytes] = {};  // the chart the preview is for; empty for none
  int job = 0;                           // its decode job, 0 while not asked for
  bool failed = false;
  std::shared_ptr<const platform::MixerPcm> first, whole;
  int buffer = -1;
  std::shared_ptr<const platform::MixerPcm> playingPcm;
  bool playingWhole = false;
};
Current g_cur;
int g_nextJob = 1;

struct Retired {
  int buffer;
  double since;
  bool tail;  // a fading tail (else a stopped preview buffer)
};
Retired g_retired[kMaxRetired];
int g_retiredCount = 0;

// The DEMOSTART: of a chart in ms (the last one before the first #START); 0 when absent,
// negative or unreadable.
double ReadDemoStartMs(const char* chartPath) {
  library::TextLineReader reader(library::kHeaderLineBytes);
  if (reader.Open(chartPath) != 0) return 0.0;
  double seconds = 0.0;
  std::string_view line;
  while (reader.NextLine(&line)) {
    if (line.find("#START") != std::string_view::npos) break;
    if (line.find("DEMOSTART:") == std::string_view::npos) continue;
    char value[library::kHeaderLineBytes + 1];
    library::CopyTextField(value, sizeof value, library::LineValueFrom(line, kDemoStartColumn));
    seconds = chart::ReadDecimal(value);
  }
  return seconds > 0.0 && seconds < 1e6 ? seconds * 1000.0 : 0.0;
}

void RunJob(int job, const char* chartPath) {
  char wave[library::kPathBytes];
  library::ReadWavePath(chartPath, wave);
  double startMs = ReadDemoStartMs(chartPath);
  int64_t firstFrames = static_cast<int64_t>(kPreviewFirstPieceMs * platform::kMixerRate / 1000.0);
  int result = sound::DecodeSongExcerpt(
      wave, startMs, firstFrames, kPreviewFadeInMs, g_cancel,
      [job](std::shared_ptr<const platform::MixerPcm> pcm, bool whole) {
        if (whole) {
          g_wholePcm = std::move(pcm);
          g_wholeReady.store(job, std::memory_order_release);
        } else {
          g_firstPcm = std::move(pcm);
          g_firstReady.store(job, std::memory_order_release);
        }
      });
  if (result != 0) g_failed.store(job, std::memory_order_release);
}

void PreviewWorker() {
  for (;;) {
    int state = g_worker.load(std::memory_order_acquire);
    if (state == kWorkerRequested) {
      g_worker.store(kWorkerBusy, std::memory_order_release);
      RunJob(g_requestJob, g_requestChart);
      g_worker.store(kWorkerIdle, std::memory_order_release);
      continue;
    }
    if (g_quit.load(std::memory_order_acquire) ||
        shell::SceneId.load(std::memory_order_acquire) != shell::kSceneSongSelect) {
      int expected = kWorkerIdle;
      if (g_worker.compare_exchange_strong(expected, kWorkerAbsent, std::memory_order_acq_rel)) return;
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Posts the job when the worker is absent or idle; false while it is still busy.
bool PostJob(int job, const char* chartPath) {
  int state = g_worker.load(std::memory_order_acquire);
  if (state != kWorkerAbsent && state != kWorkerIdle) return false;
  std::snprintf(g_requestChart, sizeof g_requestChart, "%s", chartPath);
  g_requestJob = job;
  g_firstPcm = nullptr;
  g_wholePcm = nullptr;
  g_cancel.store(false, std::memory_order_release);
  int expected = kWorkerIdle;
  if (g_worker.compare_exchange_strong(expected, kWorkerRequested, std::memory_order_acq_rel)) return true;
  if (expected != kWorkerAbsent) return false;
  g_worker.store(kWorkerRequested, std::memory_order_release);
  std::thread(PreviewWorker).detach();
  return true;
}

void Retire(int buffer, double now, bool tail) {
  if (buffer < 0) return;
  if (g_retiredCount == kMaxRetired) {
    platform::MixerReleaseBuffer(g_retired[0].buffer);
    std::copy(g_retired + 1, g_retired + kMaxRetired, g_retired);
    --g_retiredCount;
  }
  g_retired[g_retiredCount++] = Retired{buffer, now, tail};
}

void ReleaseFinished(double now) {
  int kept = 0;
  for (int i = 0; i < g_retiredCount; ++i) {
    const Retired& r = g_retired[i];
    if (now - r.since >= kRetireSettleMs && platform::MixerGetStatus(r.buffer) <= 0) {
      platform::MixerReleaseBuffer(r.buffer);
    } else {
      g_retired[kept++] = r;
    }
  }
  g_retiredCount = kept;
}

// Replaces the playing preview by a copy of its next 150 ms fading to silence.
void FadeOut(double now) {
  if (g_cur.buffer < 0) return;
  int64_t pos = platform::MixerGetPosition(g_cur.buffer);
  bool audible = platform::MixerGetStatus(g_cur.buffer) > 0;
  platform::MixerStop(g_cur.buffer);
  if (audible && pos >= 0 && g_cur.playingPcm) {
    int64_t frames = static_cast<int64_t>(kPreviewFadeOutMs * platform::kMixerRate / 1000.0);
    int tail = platform::MixerCreateBuffer(sound::FadeOutTail(*g_cur.playingPcm, pos, frames));
    if (tail >= 0) {
      platform::MixerPlay(tail, false);
      Retire(tail, now, true);
    }
  }
  Retire(g_cur.buffer, now, false);
  platform::TraceWrite("preview", "\"op\":\"stop\",\"buffer\":%d", g_cur.buffer);
  g_cur.buffer = -1;
  g_cur.playingPcm = nullptr;
}

void Forget(const char* chartPath) {
  if (g_cur.job != 0 && g_worker.load(std::memory_order_acquire) != kWorkerIdle)
    g_cancel.store(true, std::memory_order_release);
  g_cur = Current{};
  if (chartPath) std::snprintf(g_cur.chart, sizeof g_cur.chart, "%s", chartPath);
}

void TakeResults() {
  if (g_cur.job == 0 || g_cur.failed) return;
  if (!g_cur.whole && g_wholeReady.load(std::memory_order_acquire) == g_cur.job) g_cur.whole = g_wholePcm;
  if (!g_cur.whole && !g_cur.first && g_firstReady.load(std::memory_order_acquire) == g_cur.job)
    g_cur.first = g_firstPcm;
  if (!g_cur.whole && g_failed.load(std::memory_order_acquire) == g_cur.job) g_cur.failed = true;
}

void Start(const std::shared_ptr<const platform::MixerPcm>& pcm, bool whole, int64_t at) {
  int buffer = platform::MixerCreateBuffer(pcm);
  if (buffer < 0) return;
  if (at > 0) platform::MixerSetPosition(buffer, at);
  platform::MixerPlay(buffer, whole);  // the whole song loops back to the preview's start
  g_cur.buffer = buffer;
  g_cur.playingPcm = pcm;
  g_cur.playingWhole = whole;
  platform::TraceWrite("preview", "\"op\":\"%s\",\"buffer\":%d", at > 0 ? "continue" : "start", buffer);
}

}  // namespace

void UpdatePreview(double now, const char* chartPath, double openAt) {
  ReleaseFinished(now);
  if (chartPath && chartPath[0] == '\0') chartPath = nullptr;
  bool same = chartPath ? std::strcmp(chartPath, g_cur.chart) == 0 : g_cur.chart[0] == '\0';
  if (!same) {
    FadeOut(now);
    Forget(chartPath);
  }
  if (!chartPath) return;
  if (g_cur.job == 0 && now >= openAt - (kBarOpenDelayMs + kBarOpenMs - kPreviewRestMs)) {
    if (PostJob(g_nextJob, chartPath)) g_cur.job = g_nextJob++;
  }
  TakeResults();
  if (g_cur.buffer < 0) {
    // Not started yet, or its first piece ran out before the rest was decoded.
    if (now < openAt) return;
    if (g_cur.whole) {
      int64_t at = g_cur.playingPcm ? std::min(g_cur.playingPcm->Frames(), g_cur.whole->Frames() - 1) : 0;
      if (!g_cur.playingPcm) Start(g_cur.whole, true, 0);
      else Start(g_cur.whole, true, at);
    } else if (g_cur.first && !g_cur.playingPcm) {
      Start(g_cur.first, false, 0);
    }
    return;
  }
  if (!g_cur.playingWhole) {
    if (platform::MixerGetStatus(g_cur.buffer) <= 0) {
      // The first piece has played out; the whole song continues from its end when it comes.
      Retire(g_cur.buffer, now, false);
      g_cur.buffer = -1;
      return;
    }
    if (g_cur.whole) {
      // Hand over from the first piece to the whole song at the same sample.
      int64_t pos = platform::MixerGetPosition(g_cur.buffer);
      platform::MixerStop(g_cur.buffer);
      Retire(g_cur.buffer, now, false);
      g_cur.buffer = -1;
      Start(g_cur.whole, true, std::clamp<int64_t>(pos, 0, g_cur.whole->Frames() - 1));
    }
  }
}

PreviewStatus PreviewNow() {
  PreviewStatus s;
  s.playing = g_cur.buffer >= 0 && platform::MixerGetStatus(g_cur.buffer) > 0;
  s.buffer = g_cur.buffer;
  s.whole = g_cur.playingWhole && g_cur.buffer >= 0;
  for (int i = 0; i < g_retiredCount; ++i)
    if (g_retired[i].tail && platform::MixerGetStatus(g_retired[i].buffer) > 0) ++s.fadingTails;
  s.chart = g_cur.chart;
  return s;
}

void ResetPreview() {
  g_cancel.store(true, std::memory_order_release);
  g_quit.store(true, std::memory_order_release);
  for (int i = 0; i < 5000 && g_worker.load(std::memory_order_acquire) != kWorkerAbsent; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  g_quit.store(false, std::memory_order_release);
  if (g_cur.buffer >= 0) platform::MixerReleaseBuffer(g_cur.buffer);
  for (int i = 0; i < g_retiredCount; ++i) platform::MixerReleaseBuffer(g_retired[i].buffer);
  g_retiredCount = 0;
  g_cur = Current{};
  g_firstPcm = nullptr;
  g_wholePcm = nullptr;
  g_firstReady.store(0);
  g_wholeReady.store(0);
  g_failed.store(0);
}

}  // namespace songselect
