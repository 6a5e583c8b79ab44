// The play record: every value of a running play, shared by the PlayWorker (the only writer,
// except for one balloon display stage) and the play scene's drawing (a reader). Values the
// drawing reads are atomics; the worker stores them relaxed, the few hand-over values
// (worker-ended flag, song playback state) with release.
//
// The chart's run-time note fields (state, x, hits done, live flag) and the bar lines' live
// flags stay in chart::TheChart; read and write them only through the accessors below, which
// make every access atomic.
#pragma once
#include <atomic>
#include <cstdint>

#include "chart/chart.h"
#include "shell/play_effects.h"

namespace play {

// ---- constants of the play -------------------------------------------------------------
constexpr double kNever = 1000000000.0;
constexpr double kNeverPast = -1000000000.0;
constexpr double kJudgeMarkX = 149.0;        // x of a note that is due
constexpr double kLeaveLaneX = -100.0;       // x of a balloon taken off the lane
constexpr double kOffLeftMargin = 100.0;     // a passed note is gone once x + 100 < 0
constexpr double kPixelsPerBpmMs = 480.0;    // x = (t - c) * scroll * BPM / 480 * speed + 149
constexpr double kLeadInMs = 2000.0;         // a play starts at least 2 s before chart time 0
constexpr double kSilentTailMs = 3000.0;     // a song without audio ends 3 s after its last note
constexpr double kBeatTickMs = 4.17;         // BeatClock steps while more than this has passed
constexpr double kBeatTickStepMs = 4.166666666666667;
constexpr double kBeatUnitsPerTickPerBpm = 0.25;  // 240 ticks a second, 3600 units a beat
constexpr double kFirstCorrectionMs = 10.0;  // song cursor at which the first seek correction runs
constexpr double kSecondCorrectionMs = 1000.0;

constexpr int kDefaultGreatWindow = 25;
constexpr int kDefaultGoodWindow = 75;
constexpr int kDefaultBadWindow = 110;
constexpr double kSecondHandMs = 34.0;        // a big note waits this long for its second hand
constexpr double kBalloonEarlyMs = 17.0;      // a balloon takes hits this long before its start
constexpr double kAutoRollIntervalMs = 50.0;  // auto play drums a roll 20 times a second
constexpr double kRollEffectGapMs = 33.33;    // roll hit effects shown at most this often

constexpr int kSoundRing = 30;
constexpr int kPauseSoundRing = 5;
constexpr int kPauseMenuItems = 4;          // continue, replay, song select, title
constexpr double kPauseLockOutMs = 600.0;   // no pause in the first 600 ms of a play
constexpr int kPauseIgnoreInputMs = 500;    // the menu takes no input for its first 500 ms
constexpr int kPauseRoundMs = 10;
constexpr int kPauseChoiceWaitMs = 1000;    // a leaving choice closes the screen for 1 s
constexpr int kPauseResumeWaitMs = 300;     // the menu fades out before the play goes on
using shell::kEffectRing;
constexpr int kPopupRing = 256;
constexpr double kPopupShowMs = 500.0;
constexpr int kComboStampCount = 65536;
constexpr int kComboVoiceCount = 100;
constexpr int kGaugeStepCount = 101;
constexpr double kGaugeMax = 100.0;
constexpr double kGaugeGreat = 130.0;
constexpr double kGaugeGood = 65.0;
constexpr double kGaugeBad = 260.0;
constexpr double kFullComboVoiceDelayMs = 1000.0;
constexpr int kMaxBalloonStage = 6;

// NoteState
enum NoteStateValue : int {
  kNotePending = 0,
  kNoteGreat = 1,      // small note, or big note hit with one hand
  kNoteGood = 2,
  kNoteBad = 3,
  kNotePassed = 4,     // missed, or a roll/balloon whose span is over; drawn while it scrolls away
  kNoteWaiting = 5,    // big note waiting for its second hand
  kNoteBurst = 6,      // balloon burst
  kNoteBigGreat = 7,
  kNoteBigGood = 8,
  kNoteGone = 9,       // scrolled off the left edge
  kNoteFinished = 10,  // roll or balloon finished and gone
  kNoteDead = 11,      // came due on a lane that is not played
};

// JudgeCode handed to Judge
enum JudgeCodeValue : int {
  kJudgeTick = 0,
  kJudgeSingleGreat = 1,
  kJudgeSingleGood = 2,
  kJudgeRollDon = 3,
  kJudgeRollKat = 4,
  kJudgeMiss = 5,
  kJudgeGreat = 25,
  kJudgeGood = 75,
  kJudgeBad = 110,
};

using enum shell::EffectCodeValue;
using shell::EffectCodeValue;

// SongPlayback
enum SongPlaybackValue : int {
  kSongWaiting = 0,
  kSongStarted = 1,
  kSongFirstCorrection = 2,
  kSongSecondCorrection = 3,
  kSongEnded = 9,
};

// Last hit kind
enum HitKindValue : int {
  kHitNone = 0,
  kHitDonPress = 1,
  kHitKatPress = 2,
  kHitDonNote = 3,
  kHitKatNote = 4,
  kHitRoll = 5,
};

// Last judgement
enum LastJudgementValue : int {
  kLastNone = 0,
  kLastGreat = 1,
  kLastGood = 2,
  kLastBigGreat = 3,
  kLastBigGood = 4,
  kLastBad = 5,
};

// GaugeMood
enum GaugeMoodValue : int {
  kMoodNormal = 0,
  kMoodMiss = 1,
  kMoodCleared = 2,
  kMoodFull = 3,
};

// BalloonStage
enum BalloonStageValue : int {
  kBalloonIdle = 0,
  kBalloonBurstStage = 9,
  kBalloonFailedStage = 10,
};

// Drum sides, the index of the drum-side hit times.
enum DrumSide : int { kLeftDon = 0, kRightDon = 1, kLeftKat = 2, kRightKat = 3 };

// First-hand keys of a waiting big note (their ASCII codes).
constexpr int kKeyCodeJ = 74;
constexpr int kKeyCodeF = 70;
constexpr int kKeyCodeK = 75;
constexpr int kKeyCodeD = 68;

struct JudgeEffect {
  std::atomic<double> time{0.0};
  std::atomic<int32_t> code{0};
  std::atomic<double> beat{0.0};
  std::atomic<uint8_t> show{0};
  std::atomic<int32_t> randomOffset{0};  // each slot's own animation offset
};

struct ScorePopup {
  std::atomic<int32_t> score{0};
  std::atomic<double> until{kNeverPast};
};

struct ComboStamp {
  std::atomic<int32_t> set{0};
  std::atomic<double> time{kNeverPast};
};

// Sound handles the play uses; the play scene fills them from the loaded theme before the
// play starts. Every handle may be -1: the play then runs silent.
struct PlaySoundHandles {
  int song;
  int don[kSoundRing];
  int kat[kSoundRing];
  int burst[kSoundRing];
  int comboVoice[kComboVoiceCount];  // 0: 50, i >= 1: i x 100
  int fullComboVoice;
  int pauseKat[kPauseSoundRing];  // cursor moves
  int pauseDon;                   // choose
  int pauseCancel;                // cancel
};

// ---- the record --------------------------------------------------------------------------
struct PlayRecord {
  // Clock
  std::atomic<double> clockReference{0.0};  // time-module ms at which PlayClock was clockStart
  double clockStart = -kLeadInMs;           // PlayClock at the clock reference
  std::atomic<double> playClock{0.0};
  double offset = 0.0;                      // OFFSET in ms
  double musicStart = 0.0;                  // SoundDelay, or 0 in auto play
  std::atomic<int32_t> songPlayback{kSongWaiting};
  std::atomic<double> endTime{0.0};
  bool endTimeSet = false;
  std::atomic<double> currentBpm{120.0};
  std::atomic<double> beatClock{0.0};
  double tickReference = 0.0;
  std::atomic<int32_t> gogo{0};
  std::atomic<double> lastGogoTime{kNeverPast};
  int scrollSpeed = 1;
  std::atomic<double> playStartTime{0.0};
  std::atomic<int32_t> fastNote{0};
  int noteCount = 0;                        // note records before the first of type 0
  double latestNoteTime = 0.0;

  // Branches
  std::atomic<int32_t> currentLane{0};
  std::atomic<int32_t> laneBefore{0};
  std::atomic<double> lastEvaluationTime{kNeverPast};
  std::atomic<int32_t> sectionGreat{0};
  std::atomic<int32_t> sectionGood{0};
  std::atomic<int32_t> sectionBad{0};
  std::atomic<int32_t> sectionRoll{0};

  // Judgement
  int greatWindow = kDefaultGreatWindow;
  int goodWindow = kDefaultGoodWindow;
  int badWindow = kDefaultBadWindow;
  bool autoPlay = false;
  bool donUsed = false;
  bool katUsed = false;
  bool frontier = false;
  double firstHandTime = 0.0;
  int firstHandKey = 0;
  bool bigNoteWaiting = false;
  int sideToggle = 1;
  int donRing = 0;
  int katRing = 0;
  int burstRing = 0;
  std::atomic<double> drumHitTime[4];
  std::atomic<int32_t> lastHitKind{kHitNone};
  std::atomic<double> lastHitTime{kNeverPast};
  std::atomic<int32_t> lastJudgement{kLastNone};
  std::atomic<double> lastJudgementTime{0.0};
  JudgeEffect effects[kEffectRing];
  std::atomic<int32_t> nextEffect{0};
  double lastShownEffectTime = kNeverPast;

  // PlayStats
  std::atomic<int32_t> great{0};
  std::atomic<int32_t> good{0};
  std::atomic<int32_t> bad{0};
  std::atomic<int32_t> roll{0};
  std::atomic<int32_t> combo{0};
  std::atomic<int32_t> maxCombo{0};
  std::atomic<int32_t> score{0};
  int scoreInit = 0;
  int scoreDiff = 0;

  // Soul gauge
  std::atomic<double> gauge{0.0};
  int gaugeNotes = 0;                     // N: the full-combo length
  int clearThreshold = 80;
  std::atomic<int32_t> mood{kMoodNormal};
  std::atomic<int32_t> previousMood{kMoodNormal};
  std::atomic<double> enteredNormalTime{kNeverPast};
  std::atomic<double> lastMissMoodTime{kNever};
  std::atomic<double> clearedTime{kNever};
  std::atomic<double> fullTime{kNever};
  std::atomic<double> gaugeStepClock[kGaugeStepCount];
  std::atomic<double> gaugeStepBeat[kGaugeStepCount];
  int gaugeWholePart = 0;

  ScorePopup popups[kPopupRing];
  std::atomic<uint8_t> nextPopup{0};
  ComboStamp comboStamps[kComboStampCount];
  int comboStamped = 0;                   // stamps 1..comboStamped are set
  int comboVoicePlayed[kComboVoiceCount] = {};
  int fullComboVoicePlayed = 0;

  // Rolls and balloons
  std::atomic<int32_t> rollCountDisplay{0};
  std::atomic<double> rollCountTime{kNeverPast};
  std::atomic<int32_t> balloonStage{kBalloonIdle};  // also advanced 1 -> 2 by the drawing
  std::atomic<double> balloonTime{kNeverPast};
  std::atomic<int32_t> remainingHits{0};
  double nextAutoHitTime = kNeverPast;

  // Worker and pause
  std::atomic<int32_t> workerEnded{1};
  std::atomic<int32_t> paused{0};
  std::atomic<double> pauseElapsed{kNever};
  double clockAtPause = 0.0;
  std::atomic<int32_t> pauseCursor{0};
  std::atomic<double> choiceTime{kNever};  // also set by a cancel, so the menu can fade out
  int pauseKatRing = 0;
  // Set by the main thread when the renderer lost its device during a play: the worker opens
  // the pause menu on its next pass, so the play does not run on unseen.
  std::atomic<int32_t> pauseRequested{0};
};

extern PlayRecord Play;
extern PlaySoundHandles Sounds;

// Every field back to its value before any play (tests). Sound handles become -1.
void ResetPlayRecord();
void ResetPlaySounds();

// ---- atomic access to the chart's run-time fields ----------------------------------------
inline int NoteState(int i) {
  return std::atomic_ref<int>(chart::TheChart.notes[i].state).load(std::memory_order_relaxed);
}
inline void SetNoteState(int i, int v) {
  std::atomic_ref<int>(chart::TheChart.notes[i].state).store(v, std::memory_order_relaxed);
}
inline double NoteX(int i) {
  return std::atomic_ref<double>(chart::TheChart.notes[i].x).load(std::memory_order_relaxed);
}
inline void SetNoteX(int i, double v) {
  std::atomic_ref<double>(chart::TheChart.notes[i].x).store(v, std::memory_order_relaxed);
}
inline int NoteHits(int i) {
  return std::atomic_ref<int>(chart::TheChart.notes[i].hitsDone).load(std::memory_order_relaxed);
}
inline void SetNoteHits(int i, int v) {
  std::atomic_ref<int>(chart::TheChart.notes[i].hitsDone).store(v, std::memory_order_relaxed);
}
inline int NoteLive(int i) {
  return std::atomic_ref<int>(chart::TheChart.notes[i].live).load(std::memory_order_relaxed);
}
inline void SetNoteLive(int i, int v) {
  std::atomic_ref<int>(chart::TheChart.notes[i].live).store(v, std::memory_order_relaxed);
}
inline int BarLineLive(int i) {
  return std::atomic_ref<int>(chart::TheChart.barLines[i].live).load(std::memory_order_relaxed);
}
inline void SetBarLineLive(int i, int v) {
  std::atomic_ref<int>(chart::TheChart.barLines[i].live).store(v, std::memory_order_relaxed);
}

// Lane position of a note or bar line at clock c: the judgement mark is x = 149.
inline double LanePosition(double t, double c, double scroll, double bpm, int scrollSpeed) {
  return (t - c) * scroll * bpm / kPixelsPerBpmMs * scrollSpeed + kJudgeMarkX;
}

}  // namespace play
