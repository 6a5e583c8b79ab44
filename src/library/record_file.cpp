#include "library/record_file.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chart/song_identity.h"
#include "library/save_data.h"
#include "library/scrambler.h"
#include "platform/time.h"

namespace library {

namespace {

constexpr int kSaltModulus = 255;     // salt bytes are 0 to 254
constexpr uint8_t kMissingByte = 0xFF;  // what a short file yields for its missing part
constexpr uint32_t kStoredCounterMax = 0xFFFF;  // counters are stored as 16 bits

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// A counter that no longer fits in 16 bits is stored as 65535 rather than wrapped: a wrapped
// play count would read back as a first play and overwrite the best score.
void PutCounter(uint8_t* p, int32_t v) {
  uint32_t c = v < 0 ? 0u : (static_cast<uint32_t>(v) > kStoredCounterMax ? kStoredCounterMax
                                                                      : static_cast<uint32_t>(v));
  p[0] = static_cast<uint8_t>(c >> 8);
  p[1] = static_cast<uint8_t>(c);
}

uint32_t GetU32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

int32_t GetCounter(const uint8_t* p) { return (static_cast<int32_t>(p[0]) << 8) | p[1]; }

}  // namespace

void RecordFilePath(const char* identity, char out[kPathBytes]) {
  std::snprintf(out, kPathBytes, "%s/%.32s.dat", kSaveFolder, identity);
}

void EncodeRecordFile(const SongRecord& record, uint32_t seed, uint8_t out[kRecordFileBytes]) {
  std::memset(out, 0, kRecordFileBytes);
  SaveRandom rng;
  rng.Seed(seed);
  for (int i = 0; i < kRecordSaltBytes; ++i) out[i] = static_cast<uint8_t>(rng.Next() % kSaltModulus);
  for (int c = 0; c < kCourseCount; ++c) {
    uint8_t* b = out + kRecordSaltBytes + c * kRecordBlockBytes;
    PutU32(b + 0, static_cast<uint32_t>(record.bestScore[c]));
    b[4] = static_cast<uint8_t>(record.clearStatus[c]);
    PutCounter(b + 5, record.maxCombo[c]);
    PutCounter(b + 7, record.greatCount[c]);
    PutCounter(b + 9, record.goodCount[c]);
    PutCounter(b + 11, record.badCount[c]);
    PutCounter(b + 13, record.rollCount[c]);
    PutCounter(b + 15, record.playCount[c]);
    // bytes 17 to 24 reserved, zero
  }
  char digest[kIdentityBytes];
  chart::BufferDigest(out, kRecordChecksumAt, digest);
  std::memcpy(out + kRecordChecksumAt, digest, kIdentityBytes);
  Scramble(out, kRecordFileBytes);
}

int DecodeRecordFile(const uint8_t bytes[kRecordFileBytes], SongRecord* record) {
  std::memset(record, 0, sizeof *record);
  uint8_t plain[kRecordFileBytes];
  std::memcpy(plain, bytes, kRecordFileBytes);
  Unscramble(plain, kRecordFileBytes);
  char digest[kIdentityBytes];
  if (chart::BufferDigest(plain, kRecordChecksumAt, digest) != 0) return -1;
  // Compared as text: the 32 digits and the terminator.
  if (std::memcmp(plain + kRecordChecksumAt, digest, kIdentityBytes) != 0) return -1;
  for (int c = 0; c < kCourseCount; ++c) {
    const uint8_t* b = plain + kRecordSaltBytes + c * kRecordBlockBytes;
    record->bestScore[c] = static_cast<int32_t>(GetU32(b + 0));
    record->clearStatus[c] = b[4];
    record->maxCombo[c] = GetCounter(b + 5);
    record->greatCount[c] = GetCounter(b + 7);
    record->goodCount[c] = GetCounter(b + 9);
    record->badCount[c] = GetCounter(b + 11);
    record->rollCount[c] = GetCounter(b + 13);
    record->playCount[c] = GetCounter(b + 15);
  }
  return 0;
}

int ReadSongRecord(const char* recordPath, SongRecord* record) {
  std::memset(record, 0, sizeof *record);
  int fd = platform::OpenRegularFile(recordPath);
  if (fd < 0) return -1;
  uint8_t bytes[kRecordFileBytes];
  std::memset(bytes, kMissingByte, sizeof bytes);
  size_t have = 0;
  while (have < sizeof bytes) {
    ssize_t got = read(fd, bytes + have, sizeof bytes - have);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    have += static_cast<size_t>(got);
  }
  close(fd);
  return DecodeRecordFile(bytes, record);
}

int WriteSongRecord(const char* recordPath, const SongRecord& record) {
  uint8_t bytes[kRecordFileBytes];
  EncodeRecordFile(record, platform::TimeGetTimeMs(), bytes);

  // The player's records: a failed write leaves the old record as it was.
  if (!platform::WriteFileAtomically(recordPath, bytes, sizeof bytes, true)) return -1;
  return 0;
}

void ApplyPlayToRecord(const PlayOutcome& play, SongRecord* record) {
  const int c = play.course;
  if (c < 0 || c >= kCourseCount) return;
  // The play count stops at what the file can hold (see PutCounter).
  if (record->playCount[c] < static_cast<int32_t>(kStoredCounterMax)) record->playCount[c] += 1;

  int status = kClearFailed;
  if (play.finalGauge >= play.clearThreshold) status = play.badCount == 0 ? kClearFullCombo : kClearPassed;
  if (status > record->clearStatus[c]) record->clearStatus[c] = status;

  if (play.score > record->bestScore[c] || record->playCount[c] == 1) {
    record->bestScore[c] = play.score;
    record->maxCombo[c] = play.maxCombo;
    record->greatCount[c] = play.greatCount;
    record->goodCount[c] = play.goodCount;
    record->badCount[c] = play.badCount;
    record->rollCount[c] = play.rollCount;
  }
}

int UpdateSongRecordAfterPlay(const char* identity, const PlayOutcome& play) {
  if (play.course < 0 || play.course >= kCourseCount) return -1;
  if (EnsureSaveFolder() != 0) return -1;
  char path[kPathBytes];
  RecordFilePath(identity, path);
  SongRecord record;
  ReadSongRecord(path, &record);
  ApplyPlayToRecord(play, &record);
  return WriteSongRecord(path, record);
}

}  // namespace library
