// The song select on the software path: one frame with an open song panel (target under 3 ms),
// one browse step in a folder of 1 000 songs (logic, levels read, drawing), and the full scan
// that has to finish before the bars of a 1 000-song folder can rise (target under 150 ms).
// The theme defaults to $KODOBAN_BUILD_DIR/Files/Theme/Default, else ../Files/Theme/Default
// beside this program; --theme DIR picks another.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "library/library_worker.h"
#include "library/song_list.h"
#include "scenes/select/select_scene.h"
#include "software_canvas.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/state.h"
#include "theme/resource_loader.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkFolder = "/tmp/kodoban-bench-select";
constexpr int kSongs = 999;  // with the back item: a full list of 1 000
std::string g_theme;
double g_now = 100000.0;

void WriteText(const fs::path& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// A genre folder of 999 charts with three to five courses each.
bool PrepareSongs() {
  fs::path genre = fs::path(kWorkFolder) / "songs" / "Many";
  std::error_code ec;
  fs::create_directories(genre, ec);
  WriteText(genre / "genre.ini", "GenreName=Many\nGenreColor=#3080C0\n");
  for (int i = 0; i < kSongs; ++i) {
    char name[32], text[400];
    std::snprintf(name, sizeof name, "song%03d.tja", i);
    std::snprintf(text, sizeof text,
                  "TITLE:Benchmark Song %d ベンチマーク\nBPM:150\nWAVE:song.ogg\n"
                  "COURSE:Normal\nLEVEL:%d\n#START\n1111,\n#END\nCOURSE:Hard\nLEVEL:%d\n#START\n1111,\n#END\n"
                  "COURSE:Oni\nLEVEL:%d\n#START\n1111,\n#END\n",
                  i, 1 + i % 7, 2 + i % 8, 3 + i % 8);
    WriteText(genre / name, text);
  }
  return fs::exists(genre / "song000.tja");
}

// The scene's logic for one frame at 120 fps, the worker's answer in step.
void Step() {
  g_now += 1000.0 / 120.0;
  shell::AppClock = g_now;
  songselect::UpdateSongSelect(g_now);
  library::RunLibraryRequest();
}

void Press(int key) {
  shell::WindowKeys[key] = 1;
  Step();
  shell::WindowKeys[key] = 0;
}

void SettleInBrowse() {
  for (int i = 0; i < 1000 && songselect::Select.phase != songselect::kPhaseBrowse; ++i) Step();
}

// The song select entered with a full scan of the benchmark root and the genre folder open.
void EnterThousandSongFolder() {
  shell::SceneId.store(shell::kSceneSongSelect);
  shell::LoadKind.store(0);  // no worker thread: the benchmark answers the requests itself
  std::snprintf(shell::ScoreRoot, sizeof shell::ScoreRoot, "%s/songs", kWorkFolder);
  shell::PreviousScene = shell::kSceneStartupLoad;
  library::ResetSongList();
  library::ResetLibraryWorker();
  songselect::ResetSongSelect();
  songselect::EnterSongSelect(g_now);
  library::RunLibraryRequest();
  SettleInBrowse();
  while (std::strcmp(library::SongList.items[songselect::CursorAt(0)].title, "Many") != 0) Press(shell::kVkK);
  Press(shell::kVkF);
  SettleInBrowse();
}

struct SelectCanvas : bench::SoftwareCanvas {
  SelectCanvas() {
    Open();
    std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", g_theme.c_str());
    theme::RunSongSelectJob();
  }
  void Frame() {
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderClear(renderer);
    songselect::DrawSongSelect(g_now);
    SDL_RenderFlush(renderer);
  }
};

void BM_SelectFrameWithSongPanel(benchmark::State& state) {
  SelectCanvas canvas;
  EnterThousandSongFolder();
  for (int i = 0; i < 120; ++i) Step();  // the bar under the cursor opens, the panel shows
  for (auto _ : state) {
    g_now += 1000.0 / 120.0;  // the background scrolls and the character moves
    canvas.Frame();
  }
}

void BM_BrowseStepInThousandSongs(benchmark::State& state) {
  SelectCanvas canvas;
  EnterThousandSongFolder();
  int frame = 0;
  for (auto _ : state) {
    // D held on auto-repeat: a move every fourth frame, the bars gliding in between.
    if (frame++ % 4 == 0) {
      Press(shell::kVkD);
    } else {
      Step();
    }
    canvas.Frame();
  }
}

void BM_FullScanOfThousandSongs(benchmark::State& state) {
  EnterThousandSongFolder();
  for (auto _ : state) {
    library::ListReady.store(0);
    library::LibraryRequest.store(library::kRequestFullScan);
    library::RunLibraryRequest();
  }
  state.counters["items"] = library::SongList.itemCount;
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
  if (!PrepareSongs()) {
    std::fprintf(stderr, "cannot write the benchmark songs to %s\n", kWorkFolder);
    return 1;
  }
  // The select job writes save.dat to ./Files/Save: keep that out of the caller's folder.
  std::error_code ec;
  fs::create_directories(std::string(kWorkFolder) + "/run", ec);
  if (chdir((std::string(kWorkFolder) + "/run").c_str()) != 0) return 1;
  setenv("KODOBAN_HEADLESS", "1", 0);
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  std::printf("theme: %s\n", g_theme.c_str());
  benchmark::RegisterBenchmark("SelectFrame/SongPanelOpen/Software", BM_SelectFrameWithSongPanel)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("SelectFrame/BrowseThousandSongs/Software", BM_BrowseStepInThousandSongs)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LibraryScan/ThousandSongFolder", BM_FullScanOfThousandSongs)
      ->Unit(benchmark::kMillisecond)->UseRealTime();
  int n = int(args.size());
  benchmark::Initialize(&n, args.data());
  benchmark::RunSpecifiedBenchmarks();
  SDL_Quit();
  return 0;
}
