// src/theme/: the resource loader, theme layout, stage decorations and background script.
// Includes platform/, shell/, chart/, graphics/, sound/, library/ and theme/; never play/ or
// the scenes.
//
// The resource loader: runs one LoadJob on its own thread while the scene that asked for it
// waits (LoadKind 4 song select, 5 play, 6 result; any other value loads nothing).
#pragma once

namespace theme {

constexpr int kLoadChartPathBytes = 260;

// What the play and result jobs load for: the chosen chart and course, set by the song select
// before it starts the play load.
extern char LoadChartPath[kLoadChartPathBytes];
extern int LoadCourse;

// Starts the loader thread for the job in shell::LoadKind. ResourcesReady is cleared before
// this returns; the thread sets it again and then sets ScenePhase = 9 as its very last action.
void StartResourceLoader();
// The thread routine (the parameter is unused). Returns 0.
int ResourceLoader(void* unused);

// The jobs themselves, on the calling thread (the loader, tests, benchmarks).
void RunSongSelectJob();
void RunPlayJob();
void RunResultJob();
// The timing calibration (LoadKind 7): the play's lane, notes, judgement images and drum
// sounds, the play layout and a font of its own.
void RunCalibrateJob();
extern int CalibrationFont;

// Seeds the process's random generator from the clock, as each load does.
void SeedLoadRandom();

// Empty chart path, course 0, every asset handle -1, layouts and stage cleared.
void ResetResourceLoader();

}  // namespace theme
