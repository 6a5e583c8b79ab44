// The play field on the default theme of the build tree, drawn on the game's software path
// (SDL's software renderer over an in-memory 640 x 480 canvas, as under Xvfb). Target: the
// busiest frame under 4 ms (median).
//
//   bench_play_frame [benchmark flags]
// On a busy machine run it as the game's main loop runs, at the lowest real-time priority
// (chrt -f 1 bench_play_frame ...), or the wall time mostly measures the wait for a core.
//   bench_play_frame --film CHART.tja COURSE OUTDIR FROM TO STEP
// The second form draws the field of an auto play of a chart on the virtual clock into PNG
// files, one for each PlayClock value FROM, FROM + STEP, ... TO (ms), for looking at motion
// frame by frame. With KODOBAN_FILM_IDLE=1 nobody plays: every note is missed.
// BM_PlayFrame/0 is an ordinary mid-song frame: combo 40, half a gauge, a few effects, 25
// notes and 8 bar lines on the lane. BM_PlayFrame/1 is the busiest moment we can build: gogo
// begun half a second ago (fire, gogo lane, the splash still running), combo 365 (flower,
// sparkles), 20 live hit effects with their flying notes and splash trails, a balloon burst
// rainbow, a full soul gauge with its animation, five dancers and the fiver, chibi, a
// scripted background of some fifty layers with the clear list entering over the normal one,
// a roll counter, score popups, and 150 notes (with a roll) and 40 bar lines on the lane.
// BM_PlayFrame/2 is the same in the first 120 ms of the gogo (the fire swelling, the gogo
// lane growing) during a branch change (the lane backgrounds cross-fading): every transient
// of the field at once, which no chart holds for more than a few frames.
// The theme is copied from $KODOBAN_BUILD_DIR/Files/Theme/Default (else ../Files/Theme/Default
// next to this program) into /tmp, because loading it writes its layout file back.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "play/play_record.h"
#include "play/sim_runner.h"
#include "scenes/play/play_field.h"
#include "software_canvas.h"
#include "shell/config.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"
#include "theme/stage.h"

namespace {

namespace fs = std::filesystem;

std::string g_work;

bool PrepareTheme() {
  g_work = bench::CopyDefaultTheme("Play", "play");
  if (g_work.empty()) return false;
  std::error_code ec;
  // One background set, its script grown to some fifty layers of drifting and blinking
  // pictures, so that the pick is always the heavy one.
  const fs::path bg = g_work + "/Theme/Play/Bg";
  for (int n = 2; fs::exists(bg / ("dancer_" + std::to_string(n)), ec); ++n)
    fs::remove_all(bg / ("dancer_" + std::to_string(n)), ec);
  std::ifstream in(bg / "dancer_1/dancer_bg.ini");
  std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string extra;
  for (int k = 0; k < 34; ++k) {
    extra += k % 2 ? "#BG_NAME(twinkle.png)\n" : "#BG_NAME(cloud.png)\n";
    extra += "#POINT(" + std::to_string(k * 19 % 640) + "," + std::to_string(230 + k * 7 % 120) + ")\n";
    extra += k % 2 ? "#ADD\n#BLINK(0,255,1200)\n" : "#MOVE_X_LOOP(-160,640,24000)\n";
    extra += "#MOVE_OFFSET(" + std::to_string(k * 700) + ")\n";
  }
  // Normal layers go before the clear list's first name.
  const size_t clear = script.find("#CLEAR_BG_NAME");
  script.insert(clear == std::string::npos ? script.size() : clear, extra);
  std::ofstream(bg / "dancer_1/dancer_bg.ini") << script;
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s/Theme", g_work.c_str());
  return true;
}

struct Canvas : bench::SoftwareCanvas {
  bool Open() {
    if (!SoftwareCanvas::Open()) return false;
    theme::LoadCourse = 3;
    theme::LoadChartPath[0] = '\0';
    theme::SeedLoadRandom();
    theme::RunPlayJob();
    graphics::UploadPendingTextures();
    return theme::play_assets::SfieldBg >= 0;
  }
};

// The play record of a moment at frame clock t.
void BuildMoment(int kind, double t, double beat) {
  const bool busy = kind >= 1;
  using play::Play;
  chart::ResetChart();
  play::ResetPlayRecord();
  std::snprintf(chart::TheChart.title, chart::kTitleBytes, "%s", "夜祭りのテーマ Night Festival");
  chart::TheChart.hasBranches = busy;
  Play.scrollSpeed = 1;
  Play.clearThreshold = 80;
  Play.gaugeNotes = 600;
  Play.latestNoteTime = t + 60000;
  const int notes = busy ? 150 : 25;
  static const int kTypes[8] = {1, 2, 1, 1, 3, 2, 4, 1};
  int k = 0;
  for (; k < notes; ++k) {
    chart::ChartNote& n = chart::TheChart.notes[k];
    n.type = kTypes[k % 8];
    n.label = n.type == 1 ? 0 : n.type == 2 ? 3 : n.type == 3 ? 5 : 6;
    n.bpm = 150;
    n.scroll = 1;
    play::SetNoteLive(k, 1);
    play::SetNoteState(k, k < 4 ? play::kNotePassed : play::kNotePending);
    play::SetNoteX(k, 120 + k * (busy ? 3.4 : 20));
  }
  if (busy) {  // a roll running from mid-lane past the right edge
    for (int j = k; j < k + 2; ++j) {
      chart::ChartNote& n = chart::TheChart.notes[j];
      n.type = j == k ? chart::kNoteRoll : chart::kNoteRollEnd;
      n.label = j == k ? chart::kLabelRoll : chart::kLabelNone;
      n.bpm = 150;
      n.scroll = 1;
      play::SetNoteLive(j, 1);
    }
    play::SetNoteX(k, 400);
    play::SetNoteX(k + 1, 900);
    k += 2;
  }
  Play.noteCount = k;
  const int lines = busy ? 40 : 8;
  for (int j = 0; j < lines; ++j) {
    chart::BarLine& b = chart::TheChart.barLines[j];
    b.bpm = 150;
    b.scroll = 1;
    b.time = t + (120 + j * (busy ? 13 : 64) - play::kJudgeMarkX) * play::kPixelsPerBpmMs / b.bpm;
    b.visible = true;
    b.branchStart = j == 3;
    play::SetBarLineLive(j, 1);
  }

  const int combo = busy ? 365 : 40;
  Play.combo.store(combo);
  for (int c = 1; c <= combo; ++c) {
    Play.comboStamps[c].set.store(1);
    Play.comboStamps[c].time.store(t - (combo - c) * 60.0 - (busy ? 20 : 200));
  }
  Play.score.store(busy ? 1234560 : 182340);
  for (int p = 0; p < play::kPopupRing; ++p) {
    Play.popups[p].score.store(p * 1570);
    Play.popups[p].until.store(p < (busy ? 6 : 1) ? t + 500 - p * 60 : play::kNeverPast);
  }
  Play.nextPopup.store(busy ? 6 : 1);
  const double gauge = busy ? 100.0 : 50.0;
  Play.gauge.store(gauge);
  Play.mood.store(busy ? play::kMoodFull : play::kMoodNormal);
  for (int g = 0; g <= int(gauge); ++g) {
    Play.gaugeStepClock[g].store(t - 20000 + g * 30);
    Play.gaugeStepBeat[g].store(beat - 400000 + g * 100);
  }
  if (busy) Play.gaugeStepClock[80].store(t - 500);  // the clear list still coming in
  Play.gogo.store(busy ? 1 : 0);
  Play.lastGogoTime.store(kind == 2 ? t - 120 : kind == 1 ? t - 500 : play::kNeverPast);
  const int effects = busy ? 20 : 3;
  static const int kCodes[10] = {1, 5, 2, 6, 3, 7, 9, 13, 4, 8};
  for (int e = 0; e < effects; ++e) {
    Play.effects[e].code.store(kCodes[e % 10]);
    Play.effects[e].time.store(t - e * 16.0);
    Play.effects[e].beat.store(beat - e * 200.0);
    Play.effects[e].show.store(1);
  }
  Play.nextEffect.store(effects);
  Play.lastHitKind.store(play::kHitDonNote);
  Play.lastHitTime.store(t - 30);
  Play.lastJudgement.store(busy ? play::kLastBigGreat : play::kLastGreat);
  Play.lastJudgementTime.store(t - 30);
  for (int s = 0; s < 4; ++s) Play.drumHitTime[s].store(t - 40 - s * 30);
  if (busy) {
    Play.rollCountDisplay.store(87);
    Play.rollCountTime.store(t - 60);
    Play.currentLane.store(3);
    Play.laneBefore.store(kind == 2 ? 2 : 3);
    Play.lastEvaluationTime.store(t - 200);
  }
}

void BM_PlayFrame(benchmark::State& state) {
  Canvas canvas;
  if (!canvas.Open()) {
    state.SkipWithError("no default theme in the build tree");
    return;
  }
  const int kind = int(state.range(0));
  const bool busy = kind >= 1;
  const double t = 61000.0, beat = 61000.0 * 150 / 60000 * 3600;
  BuildMoment(kind, t, beat);
  playscene::FrameView view;
  view.clock = t;
  view.playStart = 0;
  view.beatClock = beat;
  view.mood = busy ? play::kMoodFull : play::kMoodNormal;
  view.clearedTime = t - 20000;
  view.fullTime = t - 3000;
  for (auto _ : state) {
    SDL_SetRenderDrawColor(canvas.renderer, 0, 0, 0, 255);
    SDL_RenderClear(canvas.renderer);
    playscene::RunBackgroundScript(view);
    playscene::DrawPlayField(view);
    SDL_RenderFlush(canvas.renderer);
  }
  if (const char* shot = std::getenv("KODOBAN_BENCH_SHOT")) {
    const std::string path = std::string(shot) + "_" + std::to_string(kind) + ".bmp";
    SDL_SaveBMP(canvas.screen, path.c_str());
  }
  state.counters["rasterised_texts"] = graphics::TextCacheRasterCount();
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(0)->Arg(1)->Arg(2);

// The frame view the play scene takes at the top of a frame.
playscene::FrameView ViewOfPlay() {
  constexpr auto r = std::memory_order_relaxed;
  const play::PlayRecord& p = play::Play;
  playscene::FrameView v;
  v.clock = p.playClock.load(r);
  v.playStart = p.playStartTime.load(r);
  v.beatClock = p.beatClock.load(r);
  v.mood = p.mood.load(r);
  v.previousMood = p.previousMood.load(r);
  v.enteredNormalTime = p.enteredNormalTime.load(r);
  v.lastMissMoodTime = p.lastMissMoodTime.load(r);
  v.clearedTime = p.clearedTime.load(r);
  v.fullTime = p.fullTime.load(r);
  return v;
}

int Film(char** argv) {
  Canvas canvas;
  if (!canvas.Open()) return 1;
  if (chart::LoadChart(argv[2], std::atoi(argv[3])) != 0) {
    std::fprintf(stderr, "bench_play_frame: cannot read %s\n", argv[2]);
    return 1;
  }
  const std::string dir = argv[4];
  const double from = std::atof(argv[5]), to = std::atof(argv[6]), step = std::atof(argv[7]);
  play::SimOptions options;
  options.autoPlay = std::getenv("KODOBAN_FILM_IDLE") == nullptr;
  play::SimResult result;
  play::SimBegin(options, {}, &result);
  for (double c = from; step > 0 && c <= to; c += step) {
    play::SimRunUntil(c);
    SDL_SetRenderDrawColor(canvas.renderer, 0, 0, 0, 255);
    SDL_RenderClear(canvas.renderer);
    const playscene::FrameView view = ViewOfPlay();
    playscene::RunBackgroundScript(view);
    playscene::DrawPlayField(view);
    SDL_RenderFlush(canvas.renderer);
    char path[600];
    std::snprintf(path, sizeof path, "%s/%07.0f.png", dir.c_str(), c);
    IMG_SavePNG(canvas.screen, path);
  }
  play::SimFinish(&result);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!PrepareTheme()) {
    std::fprintf(stderr, "bench_play_frame: no default theme found (set KODOBAN_BUILD_DIR)\n");
    return 1;
  }
  if (argc == 8 && std::string(argv[1]) == "--film") {
    const int r = Film(argv);
    std::error_code ec;
    fs::remove_all(g_work, ec);
    return r;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(g_work, ec);
  return 0;
}
