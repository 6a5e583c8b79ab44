// The PlayWorker: one pass per millisecond while the play scene is current.
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <thread>

#include "chart/chart.h"
#include "platform/time.h"
#include "play/play_internal.h"
#include "shell/keyboard.h"
#include "shell/state.h"

namespace play {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

KeySource g_keySource = nullptr;
PauseMenu g_pauseMenu = RunPauseMenu;

}  // namespace

void SetKeySource(KeySource source) { g_keySource = source; }
void SetPauseMenu(PauseMenu menu) { g_pauseMenu = menu; }
void RestoreDefaultPauseMenu() { g_pauseMenu = RunPauseMenu; }

void ReadDrumKeys() {
  if (g_keySource)
    g_keySource(shell::DirectKeys);
  else
    shell::PollKeyboard(shell::DirectKeys);
  Keys.f = shell::DirectKeys[shell::kDikF].load(kRelaxed);
  Keys.j = shell::DirectKeys[shell::kDikJ].load(kRelaxed);
  Keys.d = shell::DirectKeys[shell::kDikD].load(kRelaxed);
  Keys.k = shell::DirectKeys[shell::kDikK].load(kRelaxed);
}

bool PlaySceneCurrent() {
  return shell::SceneId.load(std::memory_order_acquire) == shell::kScenePlay &&
         shell::LoadKind.load(std::memory_order_acquire) == shell::kScenePlay;
}

int PlayWorkerPass() {
  if (!PlaySceneCurrent()) return -1;

  const double c = PlayClockNow();
  Play.playClock.store(c, kRelaxed);

  ApplyTempoChanges(c);
  AdvanceBeatClock(c);
  ApplyGogoChanges(c);
  if (chart::TheChart.hasBranches) EvaluateBranches(c);
  StartAndCorrectSong(c);

  ReadDrumKeys();
  Play.donUsed = false;
  Play.katUsed = false;
  Play.frontier = false;

  if (!Play.autoPlay) PlayDrumSounds(c);

  const bool pauseKey = shell::DirectKeys[shell::kDikEnter].load(kRelaxed) == 1 ||
                        shell::DirectKeys[shell::kDikEscape].load(kRelaxed) == 1;
  const bool deviceLost = shell::DeviceLost.load(std::memory_order_acquire) ||
                          Play.pauseRequested.exchange(0, std::memory_order_acq_rel) != 0;
  if (g_pauseMenu && (pauseKey || deviceLost)) {
    // The menu runs in place of the rest of the pass.
    return g_pauseMenu() == -1 ? -1 : 0;
  }

  RunNotePass(c);
  if (!Play.autoPlay) RunBadPass(c);
  AdvanceFastNote();
  StampCombo(c);
  PlayComboVoices(c);
  StampGaugeSteps(c);
  const int combo = Play.combo.load(kRelaxed);
  if (combo > Play.maxCombo.load(kRelaxed)) Play.maxCombo.store(combo, kRelaxed);
  return 0;
}

int PlayWorkerMain() {
  Play.workerEnded.store(0, std::memory_order_release);
  // A hit is judged on the first pass after the key is seen, so every late wake-up of this
  // thread is a late judgement. Where the system allows it the worker runs at a real-time
  // priority one above the main loop's, so that a frame being drawn never holds a pass back
  // (a pass is short and sleeps a millisecond). Not on a virtual clock, whose sleeps may not
  // sleep at all.
  if (!platform::TimeIsVirtual()) {
    sched_param param{};
    param.sched_priority = 2;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  }
  while (PlayWorkerPass() == 0) platform::TimeSleepMs(1);
  Play.workerEnded.store(1, std::memory_order_release);
  return 0;
}

void StartPlayWorker() {
  Play.workerEnded.store(0, std::memory_order_release);
  std::thread(PlayWorkerMain).detach();
}

}  // namespace play
