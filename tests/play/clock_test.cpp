// The play clock, the BeatClock, the song's start and end, and the worker thread.
#include <gtest/gtest.h>

#include <thread>

#include "platform/keystate.h"
#include "platform/time.h"
#include "play_fixture.h"
#include "sound/sound.h"
#include "common/wave_write.h"

using namespace playtest;

namespace {

// The BeatClock follows the current tempo (150, then 60 from 0); each note moves by its own
// tempo and scroll and the player's speed.
TEST(PlayClock, BeatClockAndNotesMoveWithTempoScrollAndSpeed) {
  ChartBuilder b;
  chart::TheChart.bpm = 150.0;
  chart::TheChart.bpmChanges[0].value = 150.0;
  b.Bpm(60.0, 0.0);
  b.Note(chart::kNoteDon, 1000.0, 0, false, 5, 120.0, 1.0);
  b.Note(chart::kNoteDon, 1000.0, 0, false, 5, 200.0, 1.5);
  play::SimOptions o;
  o.scrollSpeed = 2;
  play::SimResult r;
  play::SimBegin(o, {}, &r);
  ASSERT_TRUE(play::SimRunUntil(-1000.0));
  // 2.5 beats a second from the start at -2000, 3600 units a beat, within one tick of 37.5.
  EXPECT_NEAR(play::Play.beatClock.load(), 9000.0, 37.5);
  ASSERT_TRUE(play::SimRunUntil(0.0));
  const double atZero = play::Play.beatClock.load();
  // 1000 ms ahead at BPM 120, speed 2: 500 px right of the mark at 149. Notes far right of
  // the screen keep a position beyond it until they come near.
  EXPECT_DOUBLE_EQ(play::NoteX(0), 649.0);
  EXPECT_GT(play::NoteX(1), 800.0);
  ASSERT_TRUE(play::SimRunUntil(700.0));
  EXPECT_DOUBLE_EQ(play::NoteX(1), 524.0);  // 300 ms ahead at BPM 200, scroll 1.5: 375 px
  ASSERT_TRUE(play::SimRunUntil(1000.0));
  EXPECT_DOUBLE_EQ(play::NoteX(0), 149.0);
  EXPECT_NEAR(play::Play.beatClock.load() - atZero, 3600.0, 15.0);
  EXPECT_EQ(play::Play.currentBpm.load(), 60.0);
  play::SimFinish(&r);
}

// The clock starts two seconds before the first measure, or at a negative OFFSET further
// back; the song starts at OFFSET, SoundDelay later against the notes, which auto play
// ignores. Passes run by hand once a millisecond with a three-second song loaded.
TEST(SongStart, ClockAndSongStartFromTheOffset) {
  const struct {
    double offset;
    int soundDelay;
    bool autoPlay;
    double clockStart, songStartSeen;  // the song is seen started after the pass at its clock
  } cases[] = {{0.0, 0, false, -2000.0, 1.0},        {1250.0, 0, false, -2000.0, 1251.0},
               {-1500.0, 0, false, -2000.0, -1499.0}, {-2000.0, 0, false, -2000.0, -1999.0},
               {-3000.0, 0, false, -3000.0, -2999.0}, {0.0, 50, false, -2000.0, 51.0},
               {0.0, 50, true, -2000.0, 1.0}};
  const std::vector<int16_t> silence(44100 * 3, 0);
  const std::vector<unsigned char> wave = sound::MakePcm16Wave(silence.data(), silence.size(), 1, 44100);
  for (const auto& c : cases) {
    ChartBuilder b;
    chart::TheChart.offsetMs = c.offset;
    b.Note(chart::kNoteDon, 10000.0);
    sound::SoundReset();
    play::Sounds.song = sound::LoadSoundFromMemory(wave.data(), wave.size());
    shell::SceneId.store(shell::kScenePlay);
    shell::LoadKind.store(shell::kScenePlay);
    shell::SoundDelay = c.soundDelay;
    shell::AutoPlay = c.autoPlay;
    platform::TimeUseVirtualClock(0.0, false);
    play::SetKeySource([](std::atomic<int32_t>*) {});
    play::BeginPlay();
    EXPECT_EQ(play::Play.songPlayback.load(), play::kSongWaiting);
    double started = NAN;
    for (int k = 0; k < 5000 && std::isnan(started); ++k) {
      platform::TimeSetVirtualMs(k);
      play::PlayWorkerPass();
      if (play::Play.songPlayback.load() != play::kSongWaiting) started = play::Play.playClock.load();
    }
    EXPECT_EQ(std::pair(play::Play.playStartTime.load(), started), std::pair(c.clockStart, c.songStartSeen)) << c.offset;
    play::SetKeySource(nullptr);
    platform::TimeUseRealClock();
    sound::SoundReset();
    play::ResetPlaySounds();
  }
}

// A song without audio ends three seconds after its last note; a full combo's voice plays
// once a second after it.
TEST(SongEnd, ThreeSecondsAfterTheLastNoteAndTheFullComboVoiceAfterOne) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1234.5);
  b.Note(chart::kNoteDon, 800.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{true}, {}, &r);
  ASSERT_TRUE(play::SimRunUntil(2234.0));
  EXPECT_EQ(play::Play.fullComboVoicePlayed, 0);
  ASSERT_TRUE(play::SimRunUntil(2235.0));
  EXPECT_EQ(play::Play.fullComboVoicePlayed, 1);
  while (play::SimStep()) {
  }
  play::SimFinish(&r);
  EXPECT_EQ(play::Play.songPlayback.load(), play::kSongEnded);
  EXPECT_EQ(r.endClock, 4234.5);
  EXPECT_EQ(r.passes, 6235);  // clocks -2000 .. 4234
}

TEST(PlayWorkerThread, RunsOnItsOwnThreadAndEndsWithTheScene) {
  ChartBuilder b;
  for (int i = 0; i < 200; ++i) b.Note(1 + i % 4, 10.0 * i);
  b.Note(chart::kNoteRoll, 2100.0);
  b.Note(chart::kNoteRollEnd, 2300.0);
  shell::SceneId.store(shell::kScenePlay);
  shell::LoadKind.store(shell::kScenePlay);
  shell::AutoPlay = true;
  platform::KeyStateReset();
  shell::ResetKeyboard();
  platform::TimeUseVirtualClock(0.0, true);  // every Sleep(1) of the worker advances the clock
  play::BeginPlay();
  play::StartPlayWorker();
  // The drawing side: read what the worker leaves while it runs.
  int seenCombo = 0;
  while (play::Play.playClock.load() < 3000.0) {
    seenCombo = std::max(seenCombo, play::Play.combo.load());
    for (int i = 0; i < 200; i += 50) (void)play::NoteState(i), (void)play::NoteX(i);
    (void)play::Play.effects[play::Play.nextEffect.load()].time.load();
    std::this_thread::yield();
  }
  shell::SceneId.store(shell::kSceneResult, std::memory_order_release);
  while (play::Play.workerEnded.load(std::memory_order_acquire) == 0) std::this_thread::yield();
  platform::TimeUseRealClock();
  EXPECT_EQ(play::Play.great.load(), 200);
  EXPECT_EQ(play::Play.maxCombo.load(), 200);
  EXPECT_GT(play::Play.roll.load(), 0);
  EXPECT_LE(seenCombo, 200);
}

// Keys for the pause tests: drum keys by PlayClock, menu keys by the pause elapsed time; each
// goes down for one poll once its time has come.
struct TimedKey {
  int code;
  bool duringPause;
  double at;
  bool done = false;
};
std::vector<TimedKey> g_timedKeys;

void TimedKeySource(std::atomic<int32_t>* counters) {
  const bool paused = play::Play.paused.load() != 0;
  const double t = paused ? play::Play.pauseElapsed.load() : play::PlayClockNow();
  for (int code : {shell::kDikF, shell::kDikJ, shell::kDikD, shell::kDikK, shell::kDikEnter, shell::kDikEscape}) {
    bool down = false;
    for (TimedKey& k : g_timedKeys)
      if (k.code == code && !k.done && k.duringPause == paused && t >= k.at) down = k.done = true;
    counters[code].store(down ? counters[code].load() + 1 : 0);
  }
}

// Runs the worker loop on this thread on an auto-advancing virtual clock until the play
// clock reaches `until` or the worker ends; returns the worker's last result.
int RunWorkerUntil(double until) {
  int result = 0;
  while (result == 0 && play::Play.playClock.load() < until) {
    result = play::PlayWorkerPass();
    platform::TimeSleepMs(1);
  }
  return result;
}

void BeginPausePlay() {
  shell::SceneId.store(shell::kScenePlay);
  shell::LoadKind.store(shell::kScenePlay);
  shell::ResetKeyboard();
  platform::TimeUseVirtualClock(0.0, true);
  play::SetKeySource(TimedKeySource);
  play::RestoreDefaultPauseMenu();
  play::BeginPlay();
}

void EndPausePlay() {
  play::SetKeySource(nullptr);
  platform::TimeUseRealClock();
  g_timedKeys.clear();
}

// Escape in the first 600 ms is refused; Enter opens the menu. The cursor moves down twice and
// up once, and Enter resumes where the clock was paused.
TEST(PauseMenu, ResumeContinuesOnThePausedClock) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  g_timedKeys = {{shell::kDikEscape, false, -1500}, {shell::kDikEnter, false, -500}, {shell::kDikK, true, 600},
                 {shell::kDikK, true, 700},         {shell::kDikD, true, 800},      {shell::kDikEnter, true, 900},
                 {shell::kDikF, false, 1000}};
  BeginPausePlay();
  ASSERT_EQ(RunWorkerUntil(-1000.0), 0);
  ASSERT_EQ(play::Play.pauseElapsed.load(), play::kNever);
  EXPECT_EQ(RunWorkerUntil(-400.0), 0);
  EXPECT_EQ(std::pair(play::Play.paused.load(), play::Play.pauseCursor.load()), std::pair(0, 1));
  EXPECT_GE(play::Play.pauseElapsed.load(), 1200.0);  // the key at 900, then 300 ms of fade-out
  // The pause took about 1.2 s of the time module but none of the PlayClock.
  EXPECT_NEAR(platform::TimeNowMs(), 1600.0 + 1250.0, 50.0);
  EXPECT_EQ(RunWorkerUntil(1200.0), 0);
  EXPECT_EQ(play::Play.great.load(), 1);
  EndPausePlay();
}

TEST(PauseMenu, LeavesWhenTheSceneChanges) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  g_timedKeys = {{shell::kDikEscape, false, 0}};
  BeginPausePlay();
  play::SetPauseMenu([] {
    shell::SceneId.store(shell::kSceneSongSelect);
    return play::RunPauseMenu();
  });
  EXPECT_EQ(RunWorkerUntil(5000.0), -1);
  play::RestoreDefaultPauseMenu();
  EndPausePlay();
}

}  // namespace
