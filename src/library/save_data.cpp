#include "library/save_data.h"

#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "library/scrambler.h"
#include "platform/file_read.h"
#include "platform/message_box.h"
#include "platform/time.h"

namespace library {

GlobalStatsData GlobalStats;

namespace {
constexpr const char* kMsgCreating = "セーブデータを作成します";
constexpr const char* kMsgCannotRead = "セーブデータを読み込むことが出来ませんでした";
constexpr const char* kMsgCannotSave = "セーブデータを保存することが出来ませんでした";

constexpr int kScrambledBytes = 255;  // the last byte stays a plain zero
constexpr int kFieldOffsets[6] = {4, 15, 26, 37, 48, 59};
constexpr int kSeparatorsNeeded = 5;

// Keeps successive saves within one millisecond apart: their salt must still differ.
uint32_t g_saveSerial = 0;

int32_t Bounded(int64_t v) {
  if (v < kCounterMin) return kCounterMin;
  if (v > kCounterMax) return kCounterMax;
  return static_cast<int32_t>(v);
}

bool IsDirectory(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// atoi over the bytes [p, end): leading blanks, a sign, digits; bounded to the counter range.
int32_t ReadField(const uint8_t* p, const uint8_t* end) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  int64_t v = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    if (v < 100000000000LL) v = v * 10 + (*p - '0');
    ++p;
  }
  return Bounded(negative ? -v : v);
}
}  // namespace

int EnsureFolderOf(const char* path) {
  if (!path) return -1;
  std::string p(path);
  for (size_t i = 1; i < p.size(); ++i) {
    if (p[i] != '/') continue;
    std::string prefix = p.substr(0, i);
    if (prefix == "." || prefix == ".." || IsDirectory(prefix.c_str())) continue;
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return -1;
  }
  return 0;
}

int EnsureSaveFolder() {
  std::string withSlash = std::string(kSaveFolder) + "/";
  if (EnsureFolderOf(withSlash.c_str()) != 0) return -1;
  return IsDirectory(kSaveFolder) ? 0 : -1;
}

void StorePlayTime(int32_t seconds) {
  std::atomic_ref<int32_t>(GlobalStats.playTime).store(Bounded(seconds), std::memory_order_relaxed);
}

int32_t AddToCounter(int32_t counter, int64_t amount) {
  return Bounded(static_cast<int64_t>(counter) + amount);
}

int32_t TodayAsNumber() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

void FormatGlobalData(const GlobalStatsData& stats, uint32_t seed, uint8_t out[kSaveDataBytes]) {
  SaveRandom rng;
  rng.Seed(seed);
  for (int i = 0; i < kSaveDataBytes; ++i) out[i] = static_cast<uint8_t>((rng.Next() % 255 + 48) % 256);
  out[kSaveDataBytes - 1] = 0;
  int d0 = rng.Next() % 10, d1 = rng.Next() % 10, d2 = rng.Next() % 10, d3 = rng.Next() % 10;
  char text[96];
  std::snprintf(text, sizeof text, "%d%d%d%d%10d/%10d/%10d/%10d/%10d/%10d", d0, d1, d2, d3,
                Bounded(stats.playTime), Bounded(stats.playCount), Bounded(stats.reserved),
                Bounded(stats.drumCounter), Bounded(stats.launchCount), Bounded(stats.date));
  std::memcpy(out, text, std::strlen(text) + 1);
  Scramble(out, kScrambledBytes);
}

int ParseGlobalData(uint8_t image[kSaveDataBytes], GlobalStatsData& stats) {
  Unscramble(image, kScrambledBytes);
  int textEnd = 0;
  while (textEnd < kScrambledBytes && image[textEnd] != 0) ++textEnd;
  int separators = 0;
  for (int i = 0; i < textEnd; ++i) {
    if (image[i] == '/') {
      image[i] = 0;
      ++separators;
    }
  }
  if (separators < kSeparatorsNeeded) return -1;
  // Each field ends at its own zero byte or at the end of the text, never beyond the record.
  int32_t v[6];
  for (int f = 0; f < 6; ++f) {
    const uint8_t* p = image + kFieldOffsets[f];
    const uint8_t* end = p;
    while (end < image + kSaveDataBytes && *end != 0) ++end;
    v[f] = ReadField(p, end);
  }
  stats.playTime = v[0];
  stats.playCount = v[1];
  stats.reserved = v[2];
  stats.drumCounter = v[3];
  stats.launchCount = v[4];
  stats.date = v[5];
  return 0;
}

int LoadGlobalData(const char* path) {
  GlobalStats = GlobalStatsData{};
  GlobalStats.date = TodayAsNumber();
  platform::FileReadStatus status;
  FILE* f = platform::OpenRegularFileStream(path, &status);
  if (!f) {
    // Something that is no file (a FIFO, a folder) is neither read nor replaced.
    platform::ShowMessageBox(status == platform::FileReadStatus::kNotRegular ? kMsgCannotRead
                                                                            : kMsgCreating);
    return -1;
  }
  uint8_t image[kSaveDataBytes];
  size_t got = std::fread(image, 1, sizeof image, f);
  std::fclose(f);
  if (got < sizeof image) {
    platform::ShowMessageBox(kMsgCannotRead);
    return -1;
  }
  GlobalStatsData read = GlobalStats;
  if (ParseGlobalData(image, read) != 0) {
    platform::ShowMessageBox(kMsgCannotRead);
    return -1;
  }
  GlobalStats = read;
  return 0;
}

int SaveGlobalData(const char* path) {
  if (std::strcmp(path, kSaveDataPath) == 0) EnsureSaveFolder();
  else EnsureFolderOf(path);
  uint8_t image[kSaveDataBytes];
  uint32_t seed = platform::TimeGetTimeMs() + (g_saveSerial++ * 7919u);
  GlobalStatsData snapshot;
  snapshot.playTime = std::atomic_ref<int32_t>(GlobalStats.playTime).load(std::memory_order_relaxed);
  snapshot.playCount = GlobalStats.playCount;
  snapshot.reserved = GlobalStats.reserved;
  snapshot.drumCounter = GlobalStats.drumCounter;
  snapshot.launchCount = GlobalStats.launchCount;
  snapshot.date = GlobalStats.date;
  FormatGlobalData(snapshot, seed, image);

  // A crash while saving must never destroy the previous save.
  if (!platform::WriteFileAtomically(path, image, sizeof image, true)) {
    platform::ShowMessageBox(kMsgCannotSave);
    return -1;
  }
  return 0;
}

namespace {
// save.dat and the record files "<32 hex digits>.dat".
bool IsSaveFileName(std::string_view name) {
  if (name == "save.dat") return true;
  if (name.size() != 36 || name.substr(32) != ".dat") return false;
  for (size_t i = 0; i < 32; ++i) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}
}  // namespace

int RemoveStaleSaveTemporaries(const char* folder) {
  return platform::RemoveStaleTemporaries(folder, kStaleTemporarySeconds, IsSaveFileName);
}

void ResetGlobalData() {
  GlobalStats = GlobalStatsData{};
  g_saveSerial = 0;
}

}  // namespace library
