// Song library scan: a folder of 1 000 charts of about 50 KB each, each with its record file,
// listed with identities and records (warm cache); and the course level read of one chart.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "chart/song_identity.h"
#include "library/library_worker.h"
#include "library/record_file.h"
#include "library/song_list.h"

namespace {

constexpr int kCharts = 1000;
constexpr size_t kChartBytes = 50 * 1024;

std::string MakeChart(int n) {
  std::string s = "TITLE:Bench Song " + std::to_string(n) + "\r\nSUBTITLE:--Kodoban\r\nBPM:150\r\nWAVE:song" +
                  std::to_string(n) + ".ogg\r\nOFFSET:-1.5\r\n";
  const char* courses[] = {"Easy", "Normal", "Hard", "Oni"};
  for (int c = 0; c < 4; ++c) {
    s += std::string("COURSE:") + courses[c] + "\r\nLEVEL:" + std::to_string(3 + c * 2) +
         "\r\nBALLOON:10,20\r\nSCOREINIT:400\r\nSCOREDIFF:100\r\n#START\r\n";
    size_t end = kChartBytes * static_cast<size_t>(c + 1) / 4;
    int bar = 0;
    while (s.size() + 40 < end) {
      s += (bar % 16 == 0) ? "#GOGOSTART\r\n" : "";
      s += "1020102010201020,\r\n";
      s += (bar % 16 == 8) ? "#GOGOEND\r\n" : "";
      ++bar;
    }
    s += "#END\r\n";
  }
  return s;
}

void WriteBytes(const std::string& path, const void* data, size_t n) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(data, 1, n, f);
  std::fclose(f);
}

// The game folder: ./Songs with 1 000 charts, ./Files/Save with a record for each.
struct BenchFolder {
  std::string root;
  BenchFolder() {
    char tmpl[] = "/tmp/kodoban-bench-library-XXXXXX";
    root = mkdtemp(tmpl);
    if (chdir(root.c_str()) != 0) std::perror("chdir");
    std::filesystem::create_directories("Songs");
    std::filesystem::create_directories("Files/Save");
    for (int i = 0; i < kCharts; ++i) {
      std::string chart = MakeChart(i);
      std::string path = "Songs/song" + std::to_string(i) + ".tja";
      WriteBytes(path, chart.data(), chart.size());
      char id[33];
      chart::SongIdentity(path.c_str(), id);
      library::SongRecord record{};
      record.bestScore[3] = 1000000 + i;
      record.clearStatus[3] = 2;
      record.playCount[3] = 1;
      uint8_t bytes[library::kRecordFileBytes];
      library::EncodeRecordFile(record, static_cast<uint32_t>(i), bytes);
      char recordPath[library::kPathBytes];
      library::RecordFilePath(id, recordPath);
      WriteBytes(recordPath, bytes, sizeof bytes);
    }
  }
  ~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

void BM_ScanThousandCharts(benchmark::State& state) {
  Folder();
  library::ResetSongList();
  library::CopyTextField(library::BrowseState.currentFolder, library::kPathBytes, "./Songs");
  library::ScanCurrentFolder();  // warm the cache
  for (auto _ : state) {
    library::ScanCurrentFolder();
    benchmark::DoNotOptimize(library::SongList.itemCount);
  }
  // The back item takes one of the 1 000 places: 999 charts are listed.
  if (library::SongList.itemCount != library::kSongListCapacity ||
      library::SongList.items[1].bestScore[3] < 1000000)
    state.SkipWithError("the scan did not list every chart with its record");
}
BENCHMARK(BM_ScanThousandCharts)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_CourseLevelsOfOneChart(benchmark::State& state) {
  Folder();
  uint8_t levels[library::kCourseCount];
  for (auto _ : state) {
    int result = library::ReadCourseLevels("./Songs/song500.tja", levels);
    benchmark::DoNotOptimize(result);
  }
  if (levels[3] != 9) state.SkipWithError("wrong levels");
}
BENCHMARK(BM_CourseLevelsOfOneChart)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
