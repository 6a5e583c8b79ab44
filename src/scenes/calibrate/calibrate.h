// src/scenes/calibrate/: the timing calibration scene. Includes the layers below (play/,
// theme/, graphics/, sound/, shell/, platform/), no other scene.
//
// The timing calibration scene (F3 on the song select): a steady beat of 32 don notes at
// 120 BPM with a click, on the play's clock and through the mixer as a play's song is. The
// player drums along; the median of (press time - note time) over the last 24 presses is
// shown live, and F/J at the end stores the sound delay that puts this player on time in a
// play. Escape leaves without storing anything.
#pragma once
#include <atomic>
#include <cstdint>

namespace calibrate {

constexpr int kBeatNotes = 32;
constexpr double kBeatMs = 500.0;          // 120 BPM
constexpr double kBeatBpm = 120.0;
constexpr double kLeadInMs = 2000.0;       // the clock starts this long before the first note
constexpr int kMedianPresses = 24;         // the median is over the last this many presses
constexpr int kFewestPresses = 8;          // fewer than this at the end store nothing
constexpr double kMatchWindowMs = kBeatMs / 2.0;  // a press belongs to the nearest note within this
constexpr double kEndAfterLastNoteMs = 1000.0;
constexpr int kPressCapacity = 64;         // presses kept per run; more are not recorded
constexpr int kDelayLimitMs = 1000;        // a stored delay is kept within +-this

// The run, written by the calibration worker and read by the scene's drawing.
struct CalibrationRun {
  std::atomic<double> clock{-kLeadInMs};  // the play clock of the worker's last pass
  std::atomic<int> pressCount{0};
  std::atomic<double> error[kPressCapacity];      // press time - note time, ms
  std::atomic<int> noteOfPress[kPressCapacity];
  std::atomic<uint8_t> noteHit[kBeatNotes];
  std::atomic<bool> finished{false};    // the last note is a second behind
  std::atomic<int> workerEnded{1};
  double clockReference = 0.0;          // time-module ms at which the clock read -kLeadInMs
  double musicStart = 0.0;              // the sound delay the clicks were played with
  int clickBuffer = -1;                 // the click track's mixer buffer
  int clickState = 0;                   // 0 waiting, 1 started, 2 and 3 after the corrections
};
extern CalibrationRun Run;

// The main loop calls this once per frame while the scene is Calibrate.
void CalibrateSceneFrame();

// Starts a run at time-module moment now: the clock, the click track and (unless a test
// drives the passes itself) the worker.
void StartCalibrationRun(double now, bool startWorker = true);
// One worker pass at the current time (tests drive it on the virtual clock). -1 once the
// scene is no longer current.
int CalibrationWorkerPass();
// Median of the last kMedianPresses errors (all when fewer); false when there are none.
bool MedianError(double* median);
// The sound delay to store for a median error: the current one less the error, rounded to
// whole ms and kept within +-kDelayLimitMs.
int ProposedSoundDelay(int currentDelay, double median);

// The scene's per-frame parts: entry, keys (returns the scene to change to, or -1) and drawing.
void EnterCalibration(double now);
int UpdateCalibration();
void DrawCalibration(double now);

// Stops the worker and forgets the run (tests).
void ResetCalibration();

}  // namespace calibrate
