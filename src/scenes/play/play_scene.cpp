// The play scene's flow: the first frame of a play, the per-frame order of the layers, and
// the ways out (the results at the end of the song; replay, song select and title from the
// pause menu). The PlayWorker plays; this file only starts it, draws what it leaves and moves
// between scenes once it has stopped.
#include "scenes/play/play_scene.h"

#include <cstdio>
#include <cstdlib>

#include "chart/chart.h"
#include "platform/message_box.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "play/play_record.h"
#include "scenes/play/play_field.h"
#include "scenes/play/play_flow.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace playscene {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr auto kAcquire = std::memory_order_acquire;
constexpr double kEndSlideMs = 1000.0;  // the slide runs 1 s, then the results load

enum PauseItem : int { kItemContinue = 0, kItemReplay = 1, kItemSongSelect = 2, kItemTitle = 3 };

WorkerStarter g_startWorker = play::StartPlayWorker;
bool g_resultRequested = false;  // the worker was told to stop for the results

// The play's sounds are the ones the loader put into the table for this scene.
void TakeLoadedSounds() {
  namespace pa = theme::play_assets;
  play::Sounds.song = pa::Song;
  for (int i = 0; i < play::kSoundRing; ++i) {
    play::Sounds.don[i] = pa::DonSound[i];
    play::Sounds.kat[i] = pa::KatSound[i];
    play::Sounds.burst[i] = pa::GekiSound[i];
  }
  for (int i = 0; i < play::kComboVoiceCount; ++i) play::Sounds.comboVoice[i] = pa::ComboVoice[i];
  play::Sounds.fullComboVoice = pa::FullcomboVoiceP1;
  for (int i = 0; i < play::kPauseSoundRing; ++i) play::Sounds.pauseKat[i] = pa::PauseKat[i];
  play::Sounds.pauseDon = pa::PauseDon;
  play::Sounds.pauseCancel = pa::PauseCancel;
}

static_assert(play::kSoundRing == theme::play_assets::kDrumSoundCopies);
static_assert(play::kComboVoiceCount == theme::play_assets::kComboVoices);
static_assert(play::kPauseSoundRing == theme::play_assets::kPauseKatCopies);

// The first frame of a play (also after a replay). -1 when the chart can't be read: the
// scene has then already left for the song select.
int StartPlay() {
  std::srand(static_cast<unsigned>(static_cast<int64_t>(platform::TimeNowMs())));
  g_resultRequested = false;
  if (chart::LoadChart(theme::LoadChartPath, theme::LoadCourse) != 0) {
    // The chart went away since it was chosen. The reader left the previous chart in place:
    // never play its leftovers.
    char text[400];
    std::snprintf(text, sizeof text, "譜面ファイルを開けませんでした\n%s", theme::LoadChartPath);
    platform::ShowMessageBox(text);
    shell::SceneChange(shell::kSceneSongSelect);
    return -1;
  }
  TakeLoadedSounds();
  play::BeginPlay();  // play fields, live flags, judgement windows, clock and song state
  PrepareDebugOverlay();
  g_startWorker();
  return 0;
}

FrameView CopyFrameView() {
  const play::PlayRecord& p = play::Play;
  FrameView v;
  v.clock = p.playClock.load(kRelaxed);
  v.playStart = p.playStartTime.load(kRelaxed);
  v.beatClock = p.beatClock.load(kRelaxed);
  v.mood = p.mood.load(kRelaxed);
  v.previousMood = p.previousMood.load(kRelaxed);
  v.enteredNormalTime = p.enteredNormalTime.load(kRelaxed);
  v.lastMissMoodTime = p.lastMissMoodTime.load(kRelaxed);
  v.clearedTime = p.clearedTime.load(kRelaxed);
  v.fullTime = p.fullTime.load(kRelaxed);
  return v;
}

bool WorkerEnded() { return play::Play.workerEnded.load(kAcquire) != 0; }

// After a leaving choice in the pause menu, once the worker has stopped and the screen is
// closed: the replay starts over on the next frame, the others load their scene.
void LeaveThroughPauseMenu(int item) {
  switch (item) {
    case kItemReplay:
      // The next frame is a first frame again: the chart is read again; the loaded sounds
      // and images stay.
      shell::SceneFrame = 0;
      break;
    case kItemSongSelect:
      shell::SceneChange(shell::kSceneSongSelect, true);
      break;
    case kItemTitle:
      shell::SceneChange(shell::kSceneStartupLoad, true);
      break;
    default:
      break;
  }
}

// The end of the song: the slide, then the results. The worker is stopped before the loader
// starts, because the loader fills the sound table that the worker's sounds play from.
void RunEndOfSong(double clock) {
  if (play::Play.songPlayback.load(kAcquire) != play::kSongEnded) return;
  const double d = clock - play::Play.endTime.load(kRelaxed);
  if (d < 0.0) return;
  DrawEndSlide(d);
  if (d < kEndSlideMs) return;
  if (!g_resultRequested) {
    // The scene being loaded is no longer the play: the worker ends within its next pass.
    g_resultRequested = true;
    shell::LoadKind.store(shell::kSceneResult, std::memory_order_release);
  }
  if (!WorkerEnded()) return;  // stops within a millisecond; look again next frame
  g_resultRequested = false;
  shell::SceneChange(shell::kSceneResult, true);
}

}  // namespace

void SetWorkerStarter(WorkerStarter starter) {
  g_startWorker = starter ? starter : play::StartPlayWorker;
}

void NoteDeviceReset() {
  if (shell::SceneId.load(kAcquire) == shell::kScenePlay)
    play::Play.pauseRequested.store(1, std::memory_order_release);
}

int PlayCourse() {
  const int c = theme::LoadCourse;
  return (c >= 0 && c < theme::kCourseCount) ? c : 0;
}

void PlaySceneFrame() {
  if (shell::SceneFrame == 1 && StartPlay() != 0) return;

  // 1. F9 shows or hides the debug overlay; the setting carries into the next play.
  if (shell::WindowKeys[shell::kVkF9] == 1) shell::DebugMode = !shell::DebugMode;

  // 2. One moment for every layer of this frame.
  const FrameView view = CopyFrameView();

  // 3, 4. The theme's background script and the play field.
  RunBackgroundScript(view);
  DrawPlayField(view);

  // 5, 6. The pause menu and the debug read-out.
  const bool closed = DrawPauseOverlay();
  if (shell::DebugMode) DrawDebugOverlay(shell::SceneFrame);

  // 7. The end of the song.
  RunEndOfSong(view.clock);
  if (shell::SceneId.load(kAcquire) != shell::kScenePlay) return;

  // 8. The opening.
  DrawOpening(view.clock - view.playStart);

  // A leaving choice of the pause menu, once the worker has ended and the screen is closed.
  const play::PlayRecord& p = play::Play;
  const int item = p.pauseCursor.load(kRelaxed);
  if (p.paused.load(kAcquire) != 0 && p.choiceTime.load(kRelaxed) < play::kNever &&
      item != kItemContinue && closed && WorkerEnded())
    LeaveThroughPauseMenu(item);
}

}  // namespace playscene
