// Play engine benchmarks: one worker pass over a 65 535-note chart in the middle of the
// song, and kodoban-sim's whole run of a 3-minute chart in auto play.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "chart/chart.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "play/sim_runner.h"
#include "shell/config.h"
#include "shell/state.h"

namespace {

// A full note table: `spacingMs` apart, types cycling through don, kat, big don, big kat,
// with a roll every 64 notes, at BPM 120 and scroll 1.
void BuildChart(double spacingMs, int count) {
  shell::ResetShellState();
  shell::ResetConfiguration();
  chart::ResetChartCompletely();
  chart::Chart& c = chart::TheChart;
  c.bpm = 120.0;
  c.bpmChanges[0] = {120.0, chart::kAlwaysTime, 0, 1};
  c.gogoChanges[0] = {false, chart::kAlwaysTime, 0, 1};
  c.scoreInit = 1000;
  c.scoreDiff = 100;
  c.clearThreshold = 80;
  for (int i = 0; i < count; ++i) {
    chart::ChartNote& n = c.notes[i];
    n = chart::ChartNote{};
    const int slot = i % 64;
    n.type = slot == 62 ? chart::kNoteRoll : slot == 63 ? chart::kNoteRollEnd : 1 + i % 4;
    n.time = spacingMs * i;
    n.bpm = 120.0;
    n.scroll = 1.0;
    n.lane = 0;
  }
}

// Plays up to the middle of the chart, then times single passes there.
void PassMidSong(benchmark::State& state, double spacingMs, bool autoPlay) {
  const int count = chart::kNoteCapacity;
  BuildChart(spacingMs, count);
  play::SimOptions o;
  o.autoPlay = autoPlay;
  play::SimResult r;
  std::vector<play::SimPress> presses;
  const double mid = spacingMs * count / 2;
  play::SimBegin(o, presses, &r);
  play::SimRunUntil(mid);
  // Keep the clock on one moment so every timed pass does the same work.
  for (auto _ : state) {
    play::PlayWorkerPass();
  }
  state.counters["visited_from"] = play::Play.fastNote.load();
  play::SimFinish(&r);
}

void BM_PassMidSongManual16th(benchmark::State& state) { PassMidSong(state, 125.0, false); }
void BM_PassMidSongAuto16th(benchmark::State& state) { PassMidSong(state, 125.0, true); }
// 65 535 notes in three minutes: one every 2.75 ms.
void BM_PassMidSongManualDensest(benchmark::State& state) { PassMidSong(state, 180000.0 / 65535, false); }
void BM_PassMidSongAutoDensest(benchmark::State& state) { PassMidSong(state, 180000.0 / 65535, true); }

// kodoban-sim on a 3-minute chart (16th notes at BPM 120 with rolls) in auto play.
void BM_SimThreeMinutesAuto(benchmark::State& state) {
  const double spacing = 125.0;
  const int count = static_cast<int>(180000.0 / spacing);
  for (auto _ : state) {
    state.PauseTiming();
    BuildChart(spacing, count);
    state.ResumeTiming();
    play::SimOptions o;
    o.autoPlay = true;
    play::SimResult r;
    play::RunSimulation(o, {}, &r);
    benchmark::DoNotOptimize(r.score);
  }
}

BENCHMARK(BM_PassMidSongManual16th)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PassMidSongAuto16th)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PassMidSongManualDensest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PassMidSongAutoDensest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SimThreeMinutesAuto)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
