// The result screen on the default theme of the build tree (targets: a frame under 3 ms on the
// software path, a worker pass under 50 us, the first frame's work with the record update
// under 5 ms).
//
//   bench_result_frame [benchmark flags]
// The theme is copied from $KODOBAN_BUILD_DIR/Files/Theme/Default (else ../Files/Theme/Default
// next to this program) into /tmp, because loading it writes its layout file back.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "platform/time.h"
#include "scenes/result/result_draw.h"
#include "scenes/result/result_state.h"
#include "software_canvas.h"
#include "shell/config.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace {

namespace fs = std::filesystem;

std::string g_work;  // the copied theme and the game folder of the record writes

bool PrepareTheme() {
  g_work = bench::CopyDefaultTheme("Result", "result");
  if (g_work.empty()) return false;
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s/Theme", g_work.c_str());
  return true;
}

result::ResultInput FullComboPlay() {
  result::ResultInput in;
  in.score = 1234560;
  in.maxCombo = 612;
  in.great = 600;
  in.good = 12;
  in.bad = 0;
  in.roll = 85;
  in.gauge = 100.0;
  in.course = 3;
  return in;
}

struct Canvas : bench::SoftwareCanvas {
  bool Open() {
    if (!SoftwareCanvas::Open()) return false;
    theme::LoadCourse = 3;
    theme::RunResultJob();
    graphics::UploadPendingTextures();
    std::snprintf(chart::TheChart.title, chart::kTitleBytes, "%s", "真夜中のお祭りロングバージョン (Long Version)");
    std::snprintf(chart::TheChart.subtitle, chart::kTitleBytes, "%s", "--作曲者 と 仲間たち");
    return theme::result_assets::Clear >= 0;
  }
  ~Canvas() { result::ReleaseResultPictures(); }
};

// One frame at timeline T = the argument (leaving at 25000 + 300: the iris half closed).
void BM_ResultFrameSoftware(benchmark::State& state) {
  Canvas canvas;
  if (!canvas.Open()) {
    state.SkipWithError("no default theme in the build tree");
    return;
  }
  result::BeginResult(FullComboPlay());
  const double t = double(state.range(0));
  const bool leaving = t > 25000;
  result::ResultFrameTimes times{t, t, leaving, leaving ? t - 25000 : 0.0};
  for (auto _ : state) {
    SDL_SetRenderDrawColor(canvas.renderer, 255, 255, 255, 255);
    SDL_RenderClear(canvas.renderer);
    result::DrawResultScreen(times);
    SDL_RenderFlush(canvas.renderer);
  }
  state.counters["rasterised_texts"] = graphics::TextCacheRasterCount();
}
BENCHMARK(BM_ResultFrameSoftware)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Arg(1000)     // curtain, character dropping in
    ->Arg(5000)     // score counting
    ->Arg(10000)    // gauge full, soul pulsing, rate counting
    ->Arg(21700)    // message, toss
    ->Arg(24800)    // full-combo picture, jumping
    ->Arg(25300);   // leaving

// The worker's passes over a whole presentation on the virtual clock, one per millisecond,
// with every sound it starts.
void BM_ResultWorkerPass(benchmark::State& state) {
  theme::ResetResultHandles();
  sound::SoundReset();
  theme::LoadCourse = 3;
  theme::RunResultJob();  // the sounds (and pictures) of the theme
  platform::TimeUseVirtualClock(0.0, false);
  shell::SceneId.store(shell::kSceneResult);
  shell::LoadKind.store(shell::kSceneResult);
  result::SetResultKeySource([](std::atomic<int32_t>*) {});
  result::BeginResult(FullComboPlay());
  for (auto _ : state) {
    platform::TimeAdvanceVirtualMs(1.0);
    if (result::ResultWorkerPass() != 0) state.SkipWithError("the worker ended");
    if (result::Result.clock.load() > 26000) {
      state.PauseTiming();
      sound::SoundReset();
      theme::RunResultJob();
      result::BeginResult(FullComboPlay());
      state.ResumeTiming();
    }
  }
  result::SetResultKeySource(nullptr);
  platform::TimeUseRealClock();
  shell::SceneId.store(shell::kSceneBoot);
}
BENCHMARK(BM_ResultWorkerPass)->Unit(benchmark::kMicrosecond);

// The first frame's own work: the figures and the record update of a recordable play (read,
// update, write to a temporary file, flush to disk, rename).
void BM_ResultFirstFrame(benchmark::State& state) {
  char here[4096];
  if (!getcwd(here, sizeof here) || chdir(g_work.c_str()) != 0) {
    state.SkipWithError("no work folder");
    return;
  }
  std::snprintf(chart::TheChart.songIdentity, chart::kSongIdentityBytes, "%s",
                "00112233445566778899AABBCCDDEEFF");
  for (auto _ : state) {
    result::BeginResult(FullComboPlay());
    if (result::RecordPlay(chart::TheChart) != 0) state.SkipWithError("the record was not written");
  }
  if (chdir(here) != 0) state.SkipWithError("cannot go back");
}
BENCHMARK(BM_ResultFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!PrepareTheme()) {
    std::fprintf(stderr, "bench_result_frame: no default theme found (set KODOBAN_BUILD_DIR)\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(g_work, ec);
  return 0;
}
