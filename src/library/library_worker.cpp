#include "library/library_worker.h"

#include <thread>

#include "library/song_list.h"
#include "platform/time.h"
#include "shell/state.h"

namespace library {

std::atomic<int32_t> LibraryRequest{kRequestNone};
std::atomic<int32_t> ListReady{0};
std::atomic<int32_t> LevelsStatus{kLevelsPending};
std::atomic<uint8_t> CourseLevels[kCourseCount];

namespace {

constexpr int kWorkerSleepMs = 10;

// Never destroyed: a process that ends through exit() while the worker runs must not abort on a
// joinable thread object.
std::thread& gWorker = *new std::thread;
// Each start gets a new generation; a worker whose generation is no longer current ends, so a
// quick leave and re-entry of the select scene never leaves two workers running.
std::atomic<uint32_t> gGeneration{0};
std::atomic<bool> gRunning{false};

// Reads the levels of one list item into CourseLevels; the LevelsStatus it earns.
int ReadLevelsOfItem(int index) {
  uint8_t levels[kCourseCount] = {0, 0, 0, 0, 0};
  int result = -1;
  if (index >= 0 && index < SongList.itemCount) result = ReadCourseLevels(SongList.items[index].path, levels);
  PublishCourseLevels(levels);
  return result == 0 ? kLevelsRead : kLevelsUnreadable;
}

bool SelectSceneStillWantsUs(uint32_t generation) {
  return shell::SceneId.load(std::memory_order_acquire) == shell::kSceneSongSelect &&
         shell::LoadKind.load(std::memory_order_acquire) == shell::kSceneSongSelect &&
         gGeneration.load(std::memory_order_acquire) == generation;
}

void LibraryWorkerLoop(uint32_t generation) {
  while (SelectSceneStillWantsUs(generation)) {
    RunLibraryRequest();
    platform::TimeSleepMs(kWorkerSleepMs);
  }
  gRunning.store(false, std::memory_order_release);
}

}  // namespace

void PublishCourseLevels(const uint8_t levels[kCourseCount]) {
  for (int i = 0; i < kCourseCount; ++i) CourseLevels[i].store(levels[i], std::memory_order_relaxed);
}

int RunLibraryRequest() {
  int request = LibraryRequest.load(std::memory_order_acquire);
  if (request == kRequestFullScan) {
    ScanCurrentFolder();
    // Coming up a level the remembered cursor of this depth stands; entering a folder the
    // cursor goes to the first entry after the back item.
    int index;
    if (BrowseState.previousDepth > BrowseState.depth) {
      index = CursorAtDepth(BrowseState.depth);
    } else {
      index = SongList.itemCount > 1 ? 1 : 0;
    }
    int status = ReadLevelsOfItem(index);
    ListReady.store(1, std::memory_order_release);
    LevelsStatus.store(status, std::memory_order_release);
    LibraryRequest.store(kRequestNone, std::memory_order_release);
  } else if (request == kRequestLevelsOnly) {
    int status = ReadLevelsOfItem(CursorAtDepth(BrowseState.depth));
    LevelsStatus.store(status, std::memory_order_release);
    LibraryRequest.store(kRequestNone, std::memory_order_release);
  } else if (request != kRequestNone) {
    // An unknown request is dropped rather than left to block the next one.
    LibraryRequest.store(kRequestNone, std::memory_order_release);
  }
  return request;
}

void StartLibraryWorker() {
  StopLibraryWorker();
  uint32_t generation = gGeneration.load(std::memory_order_relaxed) + 1;
  gGeneration.store(generation, std::memory_order_release);
  gRunning.store(true, std::memory_order_release);
  gWorker = std::thread(LibraryWorkerLoop, generation);
}

void StopLibraryWorker() {
  gGeneration.fetch_add(1, std::memory_order_acq_rel);
  if (gWorker.joinable()) gWorker.join();
}

bool LibraryWorkerRunning() { return gRunning.load(std::memory_order_acquire); }

void ResetLibraryWorker() {
  LibraryRequest.store(kRequestNone, std::memory_order_release);
  ListReady.store(0, std::memory_order_release);
  LevelsStatus.store(kLevelsPending, std::memory_order_release);
  for (auto& level : CourseLevels) level.store(0, std::memory_order_relaxed);
}

}  // namespace library
