// kodoban-save-reader: prints what the game would read from save files, one JSON object per
// file, for the end-to-end scripts. save.dat gives the lifetime counters, any other file is
// read as a song record. A file the game would not accept prints "ok":false and the program
// ends with 1.
//
//   kodoban-save-reader FILE...
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "library/record_file.h"
#include "library/save_data.h"
#include "platform/json_text.h"

namespace {

std::string Array(const int32_t (&v)[library::kCourseCount]) {
  char text[64];
  std::snprintf(text, sizeof text, "[%d,%d,%d,%d,%d]", v[0], v[1], v[2], v[3], v[4]);
  return text;
}

bool PrintOne(const char* path) {
  struct stat st {};
  long long size = stat(path, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
  std::string out = "{\"file\":";
  platform::AppendJsonString(out, path);
  char sizeText[32];
  std::snprintf(sizeText, sizeof sizeText, ",\"size\":%lld", size);
  out += sizeText;
  const char* slash = std::strrchr(path, '/');
  bool ok = false;
  if (std::strcmp(slash ? slash + 1 : path, "save.dat") == 0) {
    ok = size == library::kSaveDataBytes && library::LoadGlobalData(path) == 0;
    const library::GlobalStatsData& g = library::GlobalStats;
    char text[200];
    std::snprintf(text, sizeof text,
                  ",\"play_time\":%d,\"play_count\":%d,\"reserved\":%d,\"drum_counter\":%d,"
                  "\"launch_count\":%d,\"date\":%d",
                  g.playTime, g.playCount, g.reserved, g.drumCounter, g.launchCount, g.date);
    out += text;
  } else {
    library::SongRecord r;
    ok = size == library::kRecordFileBytes && library::ReadSongRecord(path, &r) == 0;
    out += ",\"best\":" + Array(r.bestScore) + ",\"clear\":" + Array(r.clearStatus) +
           ",\"max_combo\":" + Array(r.maxCombo) + ",\"great\":" + Array(r.greatCount) +
           ",\"good\":" + Array(r.goodCount) + ",\"bad\":" + Array(r.badCount) +
           ",\"roll\":" + Array(r.rollCount) + ",\"plays\":" + Array(r.playCount);
  }
  out += std::string(",\"ok\":") + (ok ? "true" : "false") + "}";
  std::puts(out.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kodoban-save-reader FILE...\n");
    return 2;
  }
  bool all = true;
  for (int i = 1; i < argc; ++i) all = PrintOne(argv[i]) && all;
  return all ? 0 : 1;
}
