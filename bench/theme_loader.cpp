// The resource loader's jobs on the default theme of the build tree: the play job with a
// 3-minute Ogg Vorbis song (target under 1.0 s) and the song select job that follows a play
// (target under 0.3 s). The song is synthesized and encoded here once and kept in /tmp.
//
//   bench_theme_loader [--theme DIR] [benchmark flags]
// The theme defaults to $KODOBAN_BUILD_DIR/Files/Theme/Default, else ../Files/Theme/Default
// next to this program.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "shell/config.h"
#include "common/ogg_encode.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"
#include "software_canvas.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSongSeconds = 180;
const char* const kSongFolder = "/tmp/kodoban-bench-theme-song";

// A plain drum-and-chord loop at 150 BPM: enough spectral content to make the decoder work.
void Synthesize(float** out, long frames, long at) {
  for (long i = 0; i < frames; ++i) {
    double t = double(at + i) / kRate;
    double beat = std::fmod(t * 2.5, 1.0);
    double kick = std::exp(-beat * 18.0) * std::sin(2 * M_PI * 55.0 * t * (1.0 + 2.0 * std::exp(-beat * 30.0)));
    double chord = 0.12 * (std::sin(2 * M_PI * 220.0 * t) + std::sin(2 * M_PI * 277.2 * t) +
                           std::sin(2 * M_PI * 329.6 * t));
    double hat = (std::rand() / double(RAND_MAX) - 0.5) * 0.2 * std::exp(-std::fmod(t * 5.0, 1.0) * 40.0);
    out[0][i] = float(0.5 * kick + chord + hat);
    out[1][i] = float(0.5 * kick + chord - hat);
  }
}

bool EncodeSong(const std::string& path) {
  sound::OggEncodeSettings settings;
  settings.channels = 2;
  settings.rate = kRate;
  settings.quality = 0.5f;
  settings.serial = 1;
  return sound::WriteOggVorbisFile(path, settings, size_t(kRate) * kSongSeconds,
                                   [](float** planar, size_t count, size_t first) {
                                     Synthesize(planar, long(count), long(first));
                                   }) == 0;
}

std::string g_theme;

bool Prepare() {
  std::filesystem::create_directories(kSongFolder);
  std::string song = std::string(kSongFolder) + "/song.ogg";
  std::string stamp = song + ".done";
  if (!std::filesystem::exists(stamp)) {
    if (!EncodeSong(song)) return false;
    std::FILE* s = std::fopen(stamp.c_str(), "w");
    if (s) std::fclose(s);
  }
  std::FILE* c = std::fopen((std::string(kSongFolder) + "/song.tja").c_str(), "w");
  if (!c) return false;
  std::fputs("TITLE:Benchmark\nBPM:150\nWAVE:song.ogg\nCOURSE:Oni\nLEVEL:8\n#START\n1111,\n#END\n", c);
  std::fclose(c);
  std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s/song.tja", kSongFolder);
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", g_theme.c_str());
  theme::LoadCourse = 3;
  return true;
}

// How many images and sounds a job added to the tables.
void CountLoaded(benchmark::State& state, int textureCursor, int soundCursor) {
  int images = graphics::TextureCursor() - textureCursor;
  int sounds = sound::SoundCursor() - soundCursor;
  state.counters["images"] = images < 0 ? images + graphics::kTextureSlotCount : images;
  state.counters["sounds"] = sounds < 0 ? sounds + sound::kSoundSlots : sounds;
}

void BM_PlayJob(benchmark::State& state) {
  int textures = 0, sounds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    theme::RunSongSelectJob();
    textures = graphics::TextureCursor();
    sounds = sound::SoundCursor();
    state.ResumeTiming();
    theme::RunPlayJob();
  }
  CountLoaded(state, textures, sounds);
  if (theme::play_assets::Song < 0) state.SkipWithError("the song did not load");
}

// The same job without a song: the theme's images and sounds alone.
void BM_PlayJobWithoutSong(benchmark::State& state) {
  char chart[theme::kLoadChartPathBytes];
  std::memcpy(chart, theme::LoadChartPath, sizeof chart);
  theme::LoadChartPath[0] = '\0';
  for (auto _ : state) {
    state.PauseTiming();
    theme::RunSongSelectJob();
    state.ResumeTiming();
    theme::RunPlayJob();
  }
  std::memcpy(theme::LoadChartPath, chart, sizeof chart);
}

// The song alone: one 3-minute Ogg Vorbis file decoded into the sound table.
void BM_SongDecode(benchmark::State& state) {
  char wave[600];
  std::snprintf(wave, sizeof wave, "%s/song.ogg", kSongFolder);
  for (auto _ : state) {
    state.PauseTiming();
    sound::ReleaseAllSounds();
    state.ResumeTiming();
    if (sound::LoadSound(wave) < 0) state.SkipWithError("the song did not load");
  }
}

void BM_SongSelectJob(benchmark::State& state) {
  int textures = 0, sounds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    theme::RunPlayJob();
    textures = graphics::TextureCursor();
    sounds = sound::SoundCursor();
    state.ResumeTiming();
    theme::RunSongSelectJob();
  }
  CountLoaded(state, textures, sounds);
}

}  // namespace

int main(int argc, char** argv) {
  g_theme = bench::DefaultThemeFolder().string();
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--theme") == 0 && i + 1 < argc) {
      g_theme = argv[++i];
      continue;
    }
    args.push_back(argv[i]);
  }
  if (!Prepare()) {
    std::fprintf(stderr, "cannot prepare the benchmark song in %s\n", kSongFolder);
    return 1;
  }
  // The jobs write save.dat to ./Files/Save: keep that out of the caller's folder.
  std::filesystem::create_directories(std::string(kSongFolder) + "/run");
  if (chdir((std::string(kSongFolder) + "/run").c_str()) != 0) return 1;
  std::printf("theme: %s\n", g_theme.c_str());
  benchmark::RegisterBenchmark("PlayJob/DefaultTheme/Ogg3min", BM_PlayJob)
      ->Iterations(5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
  benchmark::RegisterBenchmark("PlayJob/DefaultTheme/NoSong", BM_PlayJobWithoutSong)
      ->Iterations(5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
  benchmark::RegisterBenchmark("SongDecode/Ogg3min", BM_SongDecode)
      ->Iterations(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
  benchmark::RegisterBenchmark("SongSelectJob/AfterPlay", BM_SongSelectJob)
      ->Iterations(5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
  int n = int(args.size());
  benchmark::Initialize(&n, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
