// The resource loader thread and its three jobs.
#include "theme/resource_loader.h"

#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "graphics/text.h"
#include "graphics/texture.h"
#include "library/save_data.h"
#include "library/song_files.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "shell/config.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/stage.h"

namespace theme {

char LoadChartPath[kLoadChartPathBytes];
int LoadCourse;

namespace {

constexpr int kLoaderDone = 9;
// The song select's fixed font: "メイリオ", 20 pixels.
constexpr const char* kFixedFontFace = "\x83\x81\x83\x43\x83\x8a\x83\x49";
constexpr int kFixedFontHeight = 20;

void DispconfPath(char (&out)[600]) { FormatDispconfPath(shell::ThemeDir, out, sizeof out); }

}  // namespace

void SeedLoadRandom() {
  // The time in whole milliseconds, truncated to an unsigned integer.
  double ms = platform::TimeNowMs();
  std::srand(static_cast<unsigned>(static_cast<uint64_t>(ms < 0.0 ? 0.0 : ms)));
}

void RunSongSelectJob() {
  library::SaveGlobalData();
  // The only job that releases: the assets of every earlier scene end here, and with them
  // every handle, so that no scene draws a new image through an old handle.
  graphics::ReleaseAllTextures();
  sound::ReleaseAllSounds();
  graphics::ReleaseAllFonts();
  ResetAssetHandles();
  ResetStage();

  LoadSongSelectAssets();
  char path[600];
  DispconfPath(path);
  ReadSongSelectLayout(path);
  select_assets::FixedFont = graphics::CreateGameFont(kFixedFontFace, kFixedFontHeight);
  select_assets::TitleFont =
      graphics::CreateGameFont(SongSelectLayout.title_font, SongSelectLayout.title_size);
  // The play's song and pictures released above leave their pages with the allocator's
  // per-thread pools, which keep them; handing the free pages back keeps the game's size
  // level from song to song instead of rising by tens of megabytes.
  malloc_trim(0);
}

void RunPlayJob() {
  // The song decodes on a thread of its own while the images load: a long Ogg song is the
  // largest single item of the job. The sound table is touched by that thread alone until
  // it has ended, and the play sounds follow it into the table in the usual order.
  char wave[library::kPathBytes];
  library::ReadWavePath(LoadChartPath, wave);
  int song = -1;
  std::thread songLoader([&wave, &song] { song = wave[0] != '\0' ? sound::LoadSound(wave) : -1; });

  LoadStageDecorations();
  LoadPlayImages();
  LoadDancers();
  LoadChibi();
  LoadPlayCourseImages(LoadCourse);

  songLoader.join();
  play_assets::Song = song;
  sound::SetCurrentSong(song);
  LoadPlaySounds();

  char path[600];
  DispconfPath(path);
  ReadPlayLayout(path);
  play_assets::TitleFont = graphics::CreateGameFont(PlayLayout.title_font, PlayLayout.title_size);
}

void RunResultJob() {
  LoadResultAssets(LoadCourse);
  char path[600];
  DispconfPath(path);
  ReadResultLayout(path);
  result_assets::TitleFont =
      graphics::CreateGameFont(ResultLayout.title_font, ResultLayout.title_size);
  result_assets::SubTitleFont =
      graphics::CreateGameFont(ResultLayout.title_font, ResultLayout.sub_title_size);
}

int CalibrationFont = -1;

void RunCalibrateJob() {
  LoadPlayImages();
  LoadPlaySounds();
  char path[600];
  DispconfPath(path);
  ReadPlayLayout(path);
  CalibrationFont = graphics::CreateGameFont(kFixedFontFace, kFixedFontHeight);
}

int ResourceLoader(void*) {
  shell::ResourcesReady.store(0, std::memory_order_release);
  SeedLoadRandom();
  switch (shell::LoadKind.load(std::memory_order_acquire)) {
    case shell::kSceneSongSelect: RunSongSelectJob(); break;
    case shell::kScenePlay: RunPlayJob(); break;
    case shell::kSceneResult: RunResultJob(); break;
    case shell::kSceneCalibrate: RunCalibrateJob(); break;
    default: break;
  }
  // The tables' use after each load, for soak runs: it must come back to the same level.
  platform::TraceWrite("tables", "\"load\":%d,\"textures\":%d,\"sounds\":%d,\"fonts\":%d",
                       shell::LoadKind.load(std::memory_order_acquire), graphics::CountTexturesInUse(),
                       sound::CountSoundsInUse(), graphics::CountFontsInUse());
  shell::ResourcesReady.store(1, std::memory_order_release);
  shell::ScenePhase.store(kLoaderDone, std::memory_order_release);
  return 0;
}

void StartResourceLoader() {
  // Cleared here as well, so that the main loop cannot draw in the moment before the
  // thread has started.
  shell::ResourcesReady.store(0, std::memory_order_release);
  std::thread(ResourceLoader, nullptr).detach();
}

void ResetResourceLoader() {
  LoadChartPath[0] = '\0';
  LoadCourse = 0;
  ResetAssetHandles();
  ResetStage();
  ResetLayouts();
}

}  // namespace theme
