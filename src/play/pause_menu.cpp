// The worker's side of the pause menu: it runs in place of the worker's pass, stops the
// song, moves the cursor and either resumes the play on the exact paused clock or ends the
// worker so that the play scene can leave. The scene draws the menu from the fields set
// here (paused flag, pause elapsed time, cursor, choice time).
#include "platform/time.h"
#include "platform/trace.h"
#include "play/play_internal.h"
#include "shell/keyboard.h"
#include "sound/sound.h"

namespace play {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

double UpdatePauseElapsed() {
  const double elapsed = PlayClockNow() - Play.clockAtPause;
  Play.pauseElapsed.store(elapsed, kRelaxed);
  return elapsed;
}

bool Pressed(int scanCode) { return shell::DirectKeys[scanCode].load(kRelaxed) == 1; }

void PlayPauseKat() {
  sound::PlaySound(Sounds.pauseKat[Play.pauseKatRing], false);
  Play.pauseKatRing = (Play.pauseKatRing + 1) % kPauseSoundRing;
}

// Waits (at most `waits` sleeps of 1 ms) until the pause elapsed time reaches `until`.
void WaitForElapsed(double until, int waits) {
  for (int i = 0; i < waits && UpdatePauseElapsed() < until; ++i) platform::TimeSleepMs(1);
  UpdatePauseElapsed();
}

// The menu's items, as the "pause" trace events name them.
constexpr const char* kItemNames[kPauseMenuItems] = {"continue", "replay", "songselect", "title"};

void TracePauseClose(const char* item) {
  platform::TraceWrite("pause", "\"what\":\"close\",\"item\":\"%s\",\"clock\":%.3f,\"elapsed\":%.3f", item,
                       Play.clockAtPause, Play.pauseElapsed.load(kRelaxed));
}

int Resume(double keyElapsed) {
  Play.paused.store(0, kRelaxed);
  WaitForElapsed(keyElapsed + kPauseResumeWaitMs, kPauseResumeWaitMs);
  // The clock goes on from where it stopped: the pause does not count as play time.
  ShiftClockReference(PlayClockNow() - Play.clockAtPause);
  Play.playClock.store(PlayClockNow(), kRelaxed);
  RestartSongAfterPause();
  return 0;
}

}  // namespace

int RunPauseMenu() {
  const double c = Play.playClock.load(kRelaxed);
  // A song that has stopped is over; a play without audio is over at its end time (its song
  // state says "ended" from the start), so the slide to the results is never held up there.
  const bool ended = Play.songPlayback.load(kRelaxed) == kSongEnded;
  const bool songOver = ended && (SongValid(Sounds.song) || c >= Play.endTime.load(kRelaxed));
  if (songOver || c - Play.playStartTime.load(kRelaxed) < kPauseLockOutMs) return 0;

  Play.pauseElapsed.store(0.0, kRelaxed);
  Play.pauseCursor.store(0, kRelaxed);
  Play.choiceTime.store(kNever, kRelaxed);
  Play.clockAtPause = c;
  Play.paused.store(1, std::memory_order_release);
  sound::StopSound(Sounds.song);
  sound::SetSoundPositionBytes(Sounds.song, 0);
  platform::TraceWrite("pause", "\"what\":\"open\",\"clock\":%.3f", c);

  WaitForElapsed(kPauseIgnoreInputMs, kPauseIgnoreInputMs);
  for (;;) {
    if (!PlaySceneCurrent()) {
      TracePauseClose("scene");
      return -1;
    }
    ReadDrumKeys();
    const double elapsed = UpdatePauseElapsed();
    int cursor = Play.pauseCursor.load(kRelaxed);
    if (Pressed(shell::kDikK)) {
      PlayPauseKat();
      Play.pauseCursor.store((cursor + 1) % kPauseMenuItems, kRelaxed);
    } else if (Pressed(shell::kDikD)) {
      PlayPauseKat();
      Play.pauseCursor.store((cursor + kPauseMenuItems - 1) % kPauseMenuItems, kRelaxed);
    } else if (Pressed(shell::kDikEnter) || Pressed(shell::kDikEscape)) {
      sound::PlaySound(Sounds.pauseCancel, false);
      Play.choiceTime.store(elapsed, kRelaxed);
      TracePauseClose("cancel");
      return Resume(elapsed);
    } else if (Pressed(shell::kDikF) || Pressed(shell::kDikJ)) {
      sound::PlaySound(Sounds.pauseDon, false);
      Play.choiceTime.store(elapsed, kRelaxed);
      TracePauseClose(kItemNames[cursor]);
      if (cursor == 0) return Resume(elapsed);
      // Replay, song select or title: the screen closes, then the worker ends.
      WaitForElapsed(elapsed + kPauseChoiceWaitMs, kPauseChoiceWaitMs);
      return -1;
    }
    platform::TimeSleepMs(kPauseRoundMs);
  }
}

}  // namespace play
