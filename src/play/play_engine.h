// src/play/: the play engine on its clock, with no drawing. Includes platform/, shell/,
// chart/, sound/ and play/; the play scene in scenes/play/ draws what it records.
//
// The play engine: the start of a play, the PlayWorker and its pass (clock, tempo and gogo
// events, branches, song start and end, keys, drum sounds, note pass, Bad pass, FastNote,
// combo and gauge bookkeeping), and the single judging operation.
//
// The pass can be run step by step (one call per millisecond on a virtual clock, as tests
// and kodoban-sim do) or on the worker thread that the game starts.
#pragma once
#include <atomic>
#include <cstdint>

#include "play/play_record.h"

namespace play {

// ---- start of a play -------------------------------------------------------------------
// Everything the first frame of a play does after the chart is read, except starting the
// thread: resets the play fields and the chart's run-time fields, sets the live flags, takes
// the judgement windows from the configuration and starts the clock and the song state.
// Reads shell::AutoPlay, shell::ScrollSpeed, shell::SoundDelay, the shell's judgement
// windows and Sounds.song.
void BeginPlay();

// The pieces of BeginPlay, for tests.
void ResetPlayFields();
void SetJudgementWindows(int great, int good, int bad);  // values below 1 take the defaults
void StartPlayClock();

// Creates the PlayWorker thread (detached). It ends by itself when the scene or the scene
// being loaded is no longer the play scene, or when the pause menu says so, and then sets
// Play.workerEnded to 1.
void StartPlayWorker();
// The thread's routine (exposed for tests that run it on their own thread).
int PlayWorkerMain();

// One pass of the worker. Returns 0 to go on, -1 when the worker has to end.
int PlayWorkerPass();

// ---- hooks ---------------------------------------------------------------------------------
// Where the worker reads the drum keys from; the default is shell::PollKeyboard. Tools and
// tests may give their own source that fills the counters (0 up, 1 newly pressed, 2+ held).
using KeySource = void (*)(std::atomic<int32_t>* counters);
void SetKeySource(KeySource source);  // nullptr restores the default

// The pause menu, run by the worker in place of the rest of its pass when Enter or Escape
// is pressed or the graphics device is lost. Returns -1 to end the worker, anything else to
// go on. The default is RunPauseMenu; nullptr switches the pause off (kodoban-sim).
using PauseMenu = int (*)();
void SetPauseMenu(PauseMenu menu);
void RestoreDefaultPauseMenu();

// The worker's side of the pause menu: stops the song, takes the cursor keys (K down, D up,
// F or J choose, Enter or Escape cancel), resumes the play on the exact paused clock, or
// returns -1 after a choice of replay, song select or title (Play.pauseCursor tells which;
// the play scene then leaves). Refused (returns 0 at once) in the first 600 ms of a play and
// after the song has ended.
int RunPauseMenu();

// Observers for tools and tests: every Judge call with a code other than 0, and every
// branch evaluation. nullptr to stop observing.
using JudgeObserver = void (*)(double clock, int note, int code);
using LaneObserver = void (*)(double clock, int from, int to);
void SetJudgeObserver(JudgeObserver observer);
void SetLaneObserver(LaneObserver observer);

// ---- the judging operation and the rules it calls -------------------------------------
// Judge(note, JudgeCode) at the current PlayClock.
void Judge(int note, int code);
// Appends a JudgeEffect record.
void AddEffect(int code);
// Add score(kind, gogo byte, factor).
void AddScore(int kind, bool gogo, double factor);
void ComboBreak();
void GaugeGreatStep();
void GaugeGoodStep();
void GaugeBadStep();

// End of a roll or balloon: the time of the next note record (its own time when it is the
// last record). Required hits of a balloon, never below 1.
double RollEndTime(int note);
int BalloonRequiredHits(int note);

// Helpers for the pause menu: clock values of the time module.
double PlayClockNow();            // PlayClock computed from the time module now
void ShiftClockReference(double ms);  // moves the clock so PlayClock continues after a pause
// Restarts the song after a pause at the paused clock; the corrections then run again.
void RestartSongAfterPause();

}  // namespace play
