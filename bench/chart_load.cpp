// Chart loading: a generated Oni chart filling the whole note table (dense sixteenths with
// tempo changes, gogo ranges, rolls and balloons, no SCOREINIT, so the automatic score
// parameters run) and a typical 800-note chart.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "chart/chart.h"
#include "shell/config.h"

namespace {

// Writes a chart of about `notes` notes; returns its path.
std::string WriteGeneratedChart(const char* name, int notes, int level) {
  std::string text = "TITLE:Generated\nSUBTITLE:--bench\nBPM:160\nOFFSET:-1.5\n";
  text += "BALLOON:";
  for (int i = 0; i < 400; ++i) text += std::to_string(5 + i % 20) + ",";
  text += "\nCOURSE:Oni\nLEVEL:" + std::to_string(level) + "\n#START\n";
  int written = 0;
  int measure = 0;
  while (written < notes) {
    if (measure % 8 == 0) text += "#BPMCHANGE " + std::to_string(140 + measure % 60) + "\n";
    if (measure % 32 == 4) text += "#GOGOSTART\n";
    if (measure % 32 == 20) text += "#GOGOEND\n";
    if (measure % 16 == 10) {
      text += "5000000000000008,\n";  // roll
      written += 2;
    } else if (measure % 16 == 14) {
      text += "7000000000000008,\n";  // balloon
      written += 2;
    } else {
      text += "1211121112121122,\n";
      written += 16;
    }
    ++measure;
  }
  text += "#END\n";
  std::string path = "/tmp/kodoban_bench_" + std::to_string(getpid()) + "_" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return path;
}

void LoadAndCheck(benchmark::State& state, const std::string& path, int expectNotes) {
  shell::DebugMode = false;
  for (auto _ : state) {
    if (chart::LoadChart(path.c_str(), chart::kCourseOni) != 0) {
      state.SkipWithError("chart did not load");
      break;
    }
    benchmark::DoNotOptimize(chart::TheChart.scoreInit);
  }
  if (chart::TheChart.totals.notes < expectNotes) state.SkipWithError("too few notes");
  state.counters["notes"] = chart::TheChart.totals.notes;
  state.counters["score_init"] = chart::TheChart.scoreInit;
  state.counters["score_diff"] = chart::TheChart.scoreDiff;
}

void BM_LoadFullChart(benchmark::State& state) {
  static const std::string path = WriteGeneratedChart("full.tja", 70000, 10);
  LoadAndCheck(state, path, chart::kNoteCapacity);
}
BENCHMARK(BM_LoadFullChart)->Unit(benchmark::kMillisecond);

void BM_LoadTypicalChart(benchmark::State& state) {
  static const std::string path = WriteGeneratedChart("typical.tja", 800, 9);
  LoadAndCheck(state, path, 780);
}
BENCHMARK(BM_LoadTypicalChart)->Unit(benchmark::kMicrosecond);

void BM_SimulateMaxScoreFull(benchmark::State& state) {
  static const std::string path = WriteGeneratedChart("full.tja", 70000, 10);
  chart::LoadChart(path.c_str(), chart::kCourseOni);
  for (auto _ : state) benchmark::DoNotOptimize(chart::SimulateMaxScore(100, 20));
}
BENCHMARK(BM_SimulateMaxScoreFull)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(("/tmp/kodoban_bench_" + std::to_string(getpid()) + "_full.tja").c_str());
  std::remove(("/tmp/kodoban_bench_" + std::to_string(getpid()) + "_typical.tja").c_str());
  return 0;
}
