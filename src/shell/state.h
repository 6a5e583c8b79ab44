// src/shell/: settings, keyboard, scene state, frame limiter and the codes shared between
// layers: the low layer every subsystem reads. Includes only platform/ and shell/.
//
// The shell's process-wide run state: the scene, the application clock, the loader
// hand-shake and the play options chosen on the song select.
#pragma once
#include <atomic>
#include <cstdint>

namespace shell {

enum SceneIdValue : int {
  kSceneBoot = 0,
  kSceneStartupLoad = 1,
  kSceneSongSelect = 4,
  kScenePlay = 5,
  kSceneResult = 6,
  kSceneCalibrate = 7,  // the timing calibration (F3 on the song select)
  kSceneExiting = 9,
};

// Written by the main thread, polled by the workers to know when to end.
extern std::atomic<int> SceneId;
extern int PreviousScene;
extern int SceneFrame;
extern double AppClock;
extern char DroppedFilePath[260];
extern std::atomic<bool> DeviceLost;
extern int PlayerCount;
extern double MeasuredFps;

// LoadJob hand-shake with the resource loader: the scene sets LoadKind and ScenePhase = 2 and
// starts the loader; the loader clears ResourcesReady, loads, sets it again and sets
// ScenePhase = 9 as its very last action.
extern std::atomic<int> LoadKind;
extern std::atomic<int> ScenePhase;
extern std::atomic<int> ResourcesReady;

// Play options chosen on the song select, reset at start-up.
extern bool AutoPlay;
extern int ScrollSpeed;  // 1 to 4

void ResetShellState();

}  // namespace shell
