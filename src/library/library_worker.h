// The LibraryWorker: a thread started by the song select on every entry, which lists the
// current folder and reads course levels on request, so that the select screen keeps
// animating while files are read.
//
// Hand-over: the select scene writes its data (BrowseState), sets LevelsStatus to 0 (and
// ListReady to 0 for a full scan) and then posts LibraryRequest with release order. The
// worker acquires the request, writes the SongList and CourseLevels, and then publishes
// ListReady, LevelsStatus and finally the request word 0, each with release order; the scene
// acquires them before reading the data.
#pragma once
#include <atomic>
#include <cstdint>

#include "library/song_files.h"

namespace library {

enum LibraryRequestValue : int {
  kRequestNone = 0,
  kRequestFullScan = 1,    // list the current folder, then read levels
  kRequestLevelsOnly = 3,  // read the levels of the item under the cursor
};

enum LevelsStatusValue : int {
  kLevelsPending = 0,
  kLevelsRead = 1,
  kLevelsUnreadable = 2,  // the chart file could not be opened (or the item is a folder)
};

extern std::atomic<int32_t> LibraryRequest;
extern std::atomic<int32_t> ListReady;
extern std::atomic<int32_t> LevelsStatus;
// The levels of one chart: the song under the cursor or a dropped chart. Each value is atomic
// so that drawing may read them at any time; they are consistent once LevelsStatus is 1.
extern std::atomic<uint8_t> CourseLevels[kCourseCount];

// Stores levels into CourseLevels (used by the worker and for a dropped chart).
void PublishCourseLevels(const uint8_t levels[kCourseCount]);

// One pass of the worker loop without the sleep: handles the pending request, if any.
// Returns the request that was handled (0 for none).
int RunLibraryRequest();

// Starts the worker (a previous one is told to end and joined first). The worker ends by
// itself when the scene is no longer the song select or the loader's target changes.
void StartLibraryWorker();
// Tells the running worker to end and waits for it (shutdown, tests).
void StopLibraryWorker();
// True while a worker thread runs its loop.
bool LibraryWorkerRunning();

// Hand-over words to their start values, levels to 0.
void ResetLibraryWorker();

}  // namespace library
