// Per-song record files: "./Files/Save/<SongIdentity>.dat", 174 scrambled bytes holding the
// best results of each course, with a salt and an MD5 checksum so that a damaged or edited
// file reads as an empty record.
#pragma once
#include <cstddef>
#include <cstdint>

#include "library/song_files.h"

namespace library {

constexpr int kRecordFileBytes = 174;
constexpr int kRecordSaltBytes = 16;
constexpr int kRecordBlockBytes = 25;
constexpr int kRecordChecksumAt = 141;  // the checksum covers bytes 0 to 140
constexpr int kIdentityBytes = 33;      // 32 hex digits and a terminator

// ClearStatus: only ever raised.
enum ClearStatusValue : int {
  kClearNone = 0,  // never played, shown as new
  kClearFailed = 1,
  kClearPassed = 2,
  kClearFullCombo = 3,
};

struct SongRecord {
  int32_t bestScore[kCourseCount];
  int32_t clearStatus[kCourseCount];
  int32_t maxCombo[kCourseCount];
  int32_t greatCount[kCourseCount];
  int32_t goodCount[kCourseCount];
  int32_t badCount[kCourseCount];
  int32_t rollCount[kCourseCount];
  int32_t playCount[kCourseCount];
};

// The numbers of one finished play that a record keeps.
struct PlayOutcome {
  int course;  // 0 Easy ... 4 Edit
  int32_t score;
  int32_t maxCombo;
  int32_t greatCount;
  int32_t goodCount;
  int32_t badCount;
  int32_t rollCount;
  double finalGauge;   // 0 to 100
  int clearThreshold;  // percent, from the chart's course
};

// "./Files/Save/<identity>.dat" into out (the save folder of save_data.h).
void RecordFilePath(const char* identity, char out[kPathBytes]);

// The 174 plain bytes of a record (salt drawn from a generator seeded with seed), scrambled.
void EncodeRecordFile(const SongRecord& record, uint32_t seed, uint8_t out[kRecordFileBytes]);
// Unscrambles and checks bytes; the record is all zero unless the checksum matches.
// Returns 0 for a valid record, -1 otherwise.
int DecodeRecordFile(const uint8_t bytes[kRecordFileBytes], SongRecord* record);

// Record read: always yields a record; all zero unless the file exists and passes the checksum.
// Returns 0 when a valid record was read, -1 otherwise.
int ReadSongRecord(const char* recordPath, SongRecord* record);
// Record write: to a temporary file in the same folder, flushed, then renamed over the old
// record, so a crash or a full disk never leaves a damaged record where a good one was.
// Returns -1 (the old record untouched) when any step fails.
int WriteSongRecord(const char* recordPath, const SongRecord& record);

// The update rules of one play applied to a record in memory.
void ApplyPlayToRecord(const PlayOutcome& play, SongRecord* record);
// Record update after a play: makes sure the save folder exists, reads the song's record,
// applies the play and writes it back. A record that can't be written is silently skipped
// (-1); 0 when the new record is on disk.
int UpdateSongRecordAfterPlay(const char* identity, const PlayOutcome& play);

}  // namespace library
