// GlobalStats: the lifetime counters kept in ./Files/Save/save.dat, a 256-byte text record
// padded with random bytes and scrambled by the SaveScrambler.
#pragma once
#include <cstdint>

namespace library {

struct GlobalStatsData {
  int32_t playTime = 0;     // seconds the game has run, over all runs
  int32_t playCount = 0;    // recorded plays
  int32_t reserved = 0;     // kept as read, written back unchanged
  int32_t drumCounter = 0;  // notes hit (great + good)
  int32_t launchCount = 0;  // program starts
  int32_t date = 0;         // yyyymmdd
};

extern GlobalStatsData GlobalStats;

constexpr const char* kSaveFolder = "./Files/Save";
constexpr const char* kSaveDataPath = "./Files/Save/save.dat";
constexpr int kSaveDataBytes = 256;
// Every counter is kept within what its 10-character field can hold.
constexpr int32_t kCounterMin = -999999999;
constexpr int32_t kCounterMax = 2147483647;

// Creates ./Files/Save (and each missing parent) when it is no directory. -1 when it can't.
int EnsureSaveFolder();
// Creates every missing folder of path up to its last '/' (the record files use it too).
int EnsureFolderOf(const char* path);

// Reads save.dat into GlobalStats; a missing or unreadable file leaves the counters at 0 and
// shows its message. Returns -1 in those cases.
int LoadGlobalData(const char* path = kSaveDataPath);
// Writes GlobalStats to save.dat through a temporary file renamed over the old one.
// Shows the save message and returns -1 when that fails.
int SaveGlobalData(const char* path = kSaveDataPath);

// The 256-byte file image of stats (before and after scrambling), seeded with seed.
void FormatGlobalData(const GlobalStatsData& stats, uint32_t seed, uint8_t out[kSaveDataBytes]);
// Parses an unscrambled image; -1 when it has fewer than five "/" separators.
int ParseGlobalData(uint8_t image[kSaveDataBytes], GlobalStatsData& stats);

// The per-frame play-time update of the main thread; the loader thread may be saving meanwhile.
void StorePlayTime(int32_t seconds);

// counter + amount, kept within the counter bounds.
int32_t AddToCounter(int32_t counter, int64_t amount);
// Today's local date as yyyymmdd.
int32_t TodayAsNumber();
void ResetGlobalData();

// A temporary of save.dat or of a record file older than this was left by a killed write.
constexpr int kStaleTemporarySeconds = 60;
// Start-up: removes such temporaries ("save.dat.XXXXXX", "<identity>.dat.XXXXXX") from the
// save folder; fresher ones may belong to a write in progress and stay. Returns the count.
int RemoveStaleSaveTemporaries(const char* folder = kSaveFolder);

}  // namespace library
