// Start of a play and the timekeeping steps of the worker pass: the PlayClock, tempo and
// gogo events, the BeatClock, the song's start, its two seek corrections and its end.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "chart/chart.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "play/play_internal.h"
#include "shell/config.h"
#include "shell/state.h"
#include "sound/sound.h"

namespace play {

PlayChartCache Cache;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool g_exhaustive = false;

int FindNoteCount() {
  const chart::Chart& ch = chart::TheChart;
  int n = 0;
  while (n < chart::kNoteCapacity && ch.notes[n].type != chart::kNoteNone) ++n;
  return n;
}

void ResetChartRunTimeFields() {
  chart::Chart& ch = chart::TheChart;
  for (int i = 0; i < chart::kNoteRecords; ++i) {
    SetNoteState(i, kNotePending);
    SetNoteX(i, 0.0);
    SetNoteHits(i, 0);
    int lane = ch.notes[i].lane;
    SetNoteLive(i, (lane == chart::kLaneCommon || lane == chart::kLaneNormal) ? 1 : 0);
  }
  for (int i = 0; i < chart::kBarLineCapacity; ++i) {
    int lane = ch.barLines[i].lane;
    SetBarLineLive(i, (lane == chart::kLaneCommon || lane == chart::kLaneNormal) ? 1 : 0);
  }
  for (int i = 0; i < chart::kEventCapacity; ++i) {
    ch.bpmChanges[i].fired = (i == 0) ? 1 : 0;
    ch.gogoChanges[i].fired = (i == 0) ? 1 : 0;
    ch.branchPoints[i].fired = 0;
    ch.sections[i].fired = 0;
  }
}

// The note totals the play needs: the latest time of any record (0 when none or all are
// negative) and N, the largest of the three lanes' counts of small and big notes.
void CountNotes() {
  const chart::Chart& ch = chart::TheChart;
  double latest = 0.0;
  int normal = 0, expert = 0, master = 0;
  for (int i = 0; i < Play.noteCount; ++i) {
    const chart::ChartNote& n = ch.notes[i];
    if (n.time > latest) latest = n.time;
    if (n.type < chart::kNoteDon || n.type > chart::kNoteBigKat) continue;
    switch (n.lane) {
      case chart::kLaneCommon: ++normal; ++expert; ++master; break;
      case chart::kLaneNormal: ++normal; break;
      case chart::kLaneExpert: ++expert; break;
      case chart::kLaneMaster: ++master; break;
      default: break;
    }
  }
  Play.latestNoteTime = latest;
  Play.gaugeNotes = std::max(normal, std::max(expert, master));
}

void PrepareNoteCache(double c0) {
  const chart::Chart& ch = chart::TheChart;
  const int n = Play.noteCount;
  const double reach =
      std::max({static_cast<double>(Play.greatWindow), static_cast<double>(Play.goodWindow),
                static_cast<double>(Play.badWindow), kBalloonEarlyMs}) + 2.0;
  const double horizon = kDrawHorizonX - kJudgeMarkX;
  Cache.reach = reach;
  for (int i = 0; i < n; ++i) {
    const chart::ChartNote& note = ch.notes[i];
    const double t = note.time;
    double from;
    if (std::isnan(t)) {
      from = -kInfinity;
    } else {
      from = t - reach;
      if (note.type >= chart::kNoteDon && note.type <= chart::kNoteRollEnd) {
        double k = note.scroll * note.bpm / kPixelsPerBpmMs * Play.scrollSpeed;
        if (k > 0.0 && std::isfinite(k))
          from = std::min(from, t - horizon / k - 1.0);
        else if (k < 0.0 && std::isfinite(k))
          // A negative scroll brings the note in from the left edge.
          from = std::min(from, t - (kJudgeMarkX - kDrawLeftX) / -k - 1.0);
        else if (k != 0.0)
          from = -kInfinity;
        // k == 0: the note stands on the judgement mark from the start; its x never moves.
        if (std::isnan(from)) from = -kInfinity;
      }
    }
    Cache.activeFrom[i] = from;
    // The span of a roll or balloon ends at the next record; without one it ends at once.
    Cache.rollEnd[i] = (i + 1 < n) ? ch.notes[i + 1].time : t;
    SetNoteX(i, LanePosition(t, c0, note.scroll, note.bpm, Play.scrollSpeed));
  }
  for (int i = 0; i <= chart::kNoteRecords; ++i) Cache.nextNeeded[i] = i;
  Cache.retireNotes = !g_exhaustive;
  if (g_exhaustive) {
    for (int i = 0; i < n; ++i) Cache.activeFrom[i] = -kInfinity;
    Cache.reach = kInfinity;
  }
  Cache.activeFrom[n] = kInfinity;
  for (int i = n - 1; i >= 0; --i) Cache.activeFrom[i] = std::min(Cache.activeFrom[i], Cache.activeFrom[i + 1]);
  for (int i = n + 1; i <= chart::kNoteRecords; ++i) Cache.activeFrom[i] = kInfinity;
}

}  // namespace

bool SongValid(int handle) { return sound::GetSoundByteRate(handle) > 0; }

void SeekSong(int handle, double ms) {
  int rate = sound::GetSoundByteRate(handle);
  if (rate <= 0) return;
  double bytes = std::round(ms * rate / 1000.0);
  if (!(bytes >= 0.0)) bytes = 0.0;
  if (bytes > 9.0e15) bytes = 9.0e15;
  sound::SetSoundPositionBytes(handle, static_cast<int64_t>(bytes));
}

void SetExhaustivePasses(bool on) { g_exhaustive = on; }

int NextNeededNote(int i) {
  if (i < 0) i = 0;
  if (i > chart::kNoteRecords) return chart::kNoteRecords;
  int root = i;
  while (Cache.nextNeeded[root] != root) root = Cache.nextNeeded[root];
  while (Cache.nextNeeded[i] != root) {
    const int next = Cache.nextNeeded[i];
    Cache.nextNeeded[i] = root;
    i = next;
  }
  return root;
}

void RetireNote(int i) {
  if (Cache.retireNotes && i >= 0 && i < chart::kNoteRecords) Cache.nextNeeded[i] = i + 1;
}

bool NoteStateIsFinal(int state) {
  switch (state) {
    case kNoteGreat:
    case kNoteGood:
    case kNoteBad:
    case kNoteBurst:
    case kNoteBigGreat:
    case kNoteBigGood:
    case kNoteGone:
    case kNoteFinished:
    case kNoteDead: return true;
    default: return false;
  }
}

void RecomputeEventDue() {
  if (g_exhaustive) {
    Cache.nextBpmDue = Cache.nextGogoDue = Cache.nextBranchDue = Cache.nextSectionDue = -kInfinity;
    return;
  }
  const chart::Chart& ch = chart::TheChart;
  double due = kInfinity;
  for (int i = 0; i < chart::kEventCapacity && ch.bpmChanges[i].lane != -1; ++i)
    if (!ch.bpmChanges[i].fired && ch.bpmChanges[i].time < due) due = ch.bpmChanges[i].time;
  Cache.nextBpmDue = due;
  due = kInfinity;
  for (int i = 1; i < chart::kEventCapacity && ch.gogoChanges[i].lane != -1; ++i)
    if (!ch.gogoChanges[i].fired && ch.gogoChanges[i].time < due) due = ch.gogoChanges[i].time;
  Cache.nextGogoDue = due;
  due = kInfinity;
  for (int i = 0; i < chart::kEventCapacity && ch.branchPoints[i].condition != chart::kConditionNone; ++i)
    if (!ch.branchPoints[i].fired && ch.branchPoints[i].judge < due) due = ch.branchPoints[i].judge;
  Cache.nextBranchDue = due;
  due = kInfinity;
  for (int i = 0; i < chart::kEventCapacity && ch.sections[i].lane != -1; ++i)
    if (!ch.sections[i].fired && ch.sections[i].time < due) due = ch.sections[i].time;
  Cache.nextSectionDue = due;
}

void ResetPlayFields() {
  constexpr auto r = std::memory_order_relaxed;
  ResetPlayRecord();
  const chart::Chart& ch = chart::TheChart;
  ResetChartRunTimeFields();
  Play.noteCount = FindNoteCount();
  CountNotes();
  Play.scoreInit = ch.scoreInit;
  Play.scoreDiff = ch.scoreDiff;
  Play.clearThreshold = ch.clearThreshold;
  // The chart read zeroes the stamps; a combo break later marks them with the "never" time.
  for (int i = 0; i < kGaugeStepCount; ++i) Play.gaugeStepClock[i].store(0.0, r);
  for (auto& s : Play.comboStamps) s.time.store(0.0, r);
  for (auto& e : Play.effects) e.randomOffset.store(std::rand() % 1000000000, r);
  const int lane = ch.hasBranches ? chart::kLaneNormal : chart::kLaneCommon;
  Play.currentLane.store(lane, r);
  Play.laneBefore.store(lane, r);
  Play.autoPlay = shell::AutoPlay;
  Play.scrollSpeed = std::clamp(shell::ScrollSpeed, 1, 4);
}

void SetJudgementWindows(int great, int good, int bad) {
  Play.greatWindow = great < 1 ? kDefaultGreatWindow : great;
  Play.goodWindow = good < 1 ? kDefaultGoodWindow : good;
  Play.badWindow = bad < 1 ? kDefaultBadWindow : bad;
}

void StartPlayClock() {
  constexpr auto r = std::memory_order_relaxed;
  const chart::Chart& ch = chart::TheChart;
  Play.offset = ch.offsetMs;
  Play.musicStart = Play.autoPlay ? 0.0 : static_cast<double>(shell::SoundDelay);
  const double now = platform::TimeNowMs();
  // PlayClock = now - reference + start: the same clock as now - (now0 + OFFSET + 2000) +
  // OFFSET, kept in this form so that whole milliseconds stay whole.
  Play.clockStart = (Play.offset <= -kLeadInMs) ? Play.offset : -kLeadInMs;
  Play.clockReference.store(now, r);
  // Scripted players map chart times to the trace's clock with this: PlayClock c falls at
  // reference + (c - start), until a pause moves the reference.
  platform::TraceWrite("playclock", "\"reference\":%.3f,\"start\":%.3f", now, Play.clockStart);
  const double c0 = Play.clockStart;
  Play.playClock.store(c0, r);
  if (!SongValid(Sounds.song)) {
    Play.songPlayback.store(kSongEnded, std::memory_order_release);
    Play.endTime.store(Play.latestNoteTime + kSilentTailMs, r);
    Play.endTimeSet = true;
  } else {
    Play.songPlayback.store(kSongWaiting, std::memory_order_release);
    Play.endTimeSet = false;
  }
  double bpm = ch.bpm;
  if (ch.bpmChanges[0].lane != -1) bpm = ch.bpmChanges[0].value;
  Play.currentBpm.store(bpm, r);
  Play.beatClock.store(0.0, r);
  Play.tickReference = c0;
  Play.playStartTime.store(c0, r);
  PrepareNoteCache(c0);
  RecomputeEventDue();
}

void BeginPlay() {
  ResetPlayFields();
  SetJudgementWindows(shell::JudgeGreat, shell::JudgeGood, shell::JudgeBad);
  StartPlayClock();
}

double PlayClockNow() {
  return (platform::TimeNowMs() - Play.clockReference.load(std::memory_order_relaxed)) + Play.clockStart;
}

void ShiftClockReference(double ms) {
  Play.clockReference.store(Play.clockReference.load(std::memory_order_relaxed) + ms, std::memory_order_relaxed);
}

void RestartSongAfterPause() {
  // A song that has not started yet starts by itself; a play without audio has no song.
  if (Play.songPlayback.load(std::memory_order_relaxed) == kSongWaiting || !SongValid(Sounds.song)) return;
  const int h = Sounds.song;
  sound::PlaySound(h, false);
  SeekSong(h, Play.clockAtPause - Play.offset - Play.musicStart);
  Play.songPlayback.store(kSongStarted, std::memory_order_release);
}

void ApplyTempoChanges(double c) {
  if (c < Cache.nextBpmDue) return;
  chart::Chart& ch = chart::TheChart;
  const int lane = Play.currentLane.load(std::memory_order_relaxed);
  for (int i = 0; i < chart::kEventCapacity; ++i) {
    chart::BpmChange& b = ch.bpmChanges[i];
    if (b.lane == -1) break;
    if (b.fired || !(b.time <= c)) continue;
    b.fired = 1;
    // A change on a lane that is not played is spent without effect.
    if (b.lane == lane || b.lane == chart::kLaneCommon) Play.currentBpm.store(b.value, std::memory_order_relaxed);
  }
  RecomputeEventDue();
}

void AdvanceBeatClock(double c) {
  const double bpm = Play.currentBpm.load(std::memory_order_relaxed);
  double beat = Play.beatClock.load(std::memory_order_relaxed);
  double ref = Play.tickReference;
  while (c - ref > kBeatTickMs) {
    beat += bpm * kBeatUnitsPerTickPerBpm;
    ref += kBeatTickStepMs;
  }
  Play.tickReference = ref;
  Play.beatClock.store(beat, std::memory_order_relaxed);
}

void ApplyGogoChanges(double c) {
  if (c < Cache.nextGogoDue) return;
  chart::Chart& ch = chart::TheChart;
  const int lane = Play.currentLane.load(std::memory_order_relaxed);
  for (int i = 1; i < chart::kEventCapacity; ++i) {
    chart::GogoChange& g = ch.gogoChanges[i];
    if (g.lane == -1) break;
    if (g.fired || !(g.time <= c)) continue;
    g.fired = 1;
    if ((g.lane == lane || g.lane == chart::kLaneCommon) &&
        g.time > Play.lastGogoTime.load(std::memory_order_relaxed)) {
      Play.gogo.store(g.on ? 1 : 0, std::memory_order_relaxed);
      Play.lastGogoTime.store(g.time, std::memory_order_relaxed);
    }
  }
  RecomputeEventDue();
}

void StartAndCorrectSong(double c) {
  const int h = Sounds.song;
  int state = Play.songPlayback.load(std::memory_order_relaxed);
  if (state == kSongWaiting && c - Play.offset - Play.musicStart > 0.0) {
    sound::PlaySound(h, false);
    SeekSong(h, c - Play.offset - Play.musicStart);
    state = kSongStarted;
    Play.songPlayback.store(state, std::memory_order_release);
  }
  if (state == kSongStarted || state == kSongFirstCorrection) {
    const int64_t cursor = sound::GetSoundPositionBytes(h);
    const int rate = sound::GetSoundByteRate(h);
    if (cursor >= 0 && rate > 0) {
      const double ms = static_cast<double>(static_cast<uint32_t>(cursor)) * 1000.0 / rate;
      const double threshold = (state == kSongStarted) ? kFirstCorrectionMs : kSecondCorrectionMs;
      if (ms >= threshold) {
        // Seek to where the song should be right now: this absorbs the device's start-up
        // latency.
        SeekSong(h, PlayClockNow() - Play.offset - Play.musicStart);
        state = (state == kSongStarted) ? kSongFirstCorrection : kSongSecondCorrection;
        Play.songPlayback.store(state, std::memory_order_release);
      }
    }
  }
  if (state != kSongWaiting) {
    // A buffer that stopped, or one that is no longer valid, ends the song.
    if (sound::IsSoundPlaying(h) != 1) {
      if (state != kSongEnded) Play.songPlayback.store(kSongEnded, std::memory_order_release);
      if (!Play.endTimeSet) {
        Play.endTime.store(Play.playClock.load(std::memory_order_relaxed), std::memory_order_relaxed);
        Play.endTimeSet = true;
      }
    }
  }
}

void AdvanceFastNote() {
  int f = Play.fastNote.load(std::memory_order_relaxed);
  while (f < chart::kNoteRecords) {
    const int s = NoteState(f);
    if (s == kNotePending || s == kNotePassed || s == kNoteWaiting) break;
    ++f;
  }
  Play.fastNote.store(f, std::memory_order_relaxed);
}

}  // namespace play
