// The play scene's flow on the virtual clock: the worker's passes run on this thread once a
// millisecond and a frame every 8 ms, keys come from a script (play keys by PlayClock, menu
// keys by the pause's elapsed time), and scene changes go through a loader that has nothing
// to load.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "chart/chart.h"
#include "platform/message_box.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "play/play_record.h"
#include "scenes/play/play_flow.h"
#include "scenes/play/play_scene.h"
#include "scenes/select/launch_play.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/launch.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "common/wave_write.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace {

using play::Play;

struct ScriptKey {
  int code;
  bool inPause;  // at is the pause's elapsed time, else the PlayClock
  double at;
  bool done = false;
};
std::vector<ScriptKey> g_script;
bool g_workerRunning = false;

void ScriptKeySource(std::atomic<int32_t>* keys) {
  const bool paused = Play.paused.load() != 0;
  const double t = paused ? Play.pauseElapsed.load() : play::PlayClockNow();
  for (int code : {shell::kDikF, shell::kDikJ, shell::kDikD, shell::kDikK, shell::kDikEnter, shell::kDikEscape}) {
    bool down = false;
    for (ScriptKey& k : g_script)
      if (k.code == code && !k.done && k.inPause == paused && t >= k.at) down = k.done = true;
    keys[code].store(down ? keys[code].load() + 1 : 0);
  }
}

void StartTestWorker() {
  Play.workerEnded.store(0);
  g_workerRunning = true;
}

constexpr const char* kOneNote = "TITLE:one\nBPM:120\nCOURSE:Oni\nLEVEL:3\n#START\n1,\n#END\n";

class PlayFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    ASSERT_EQ(getcwd(oldCwd_, sizeof oldCwd_), oldCwd_);
    ASSERT_EQ(chdir(dir_.c_str()), 0);  // debug dumps of the chart reader land here
    shell::ResetShellState();
    shell::ResetConfiguration();
    shell::ResetKeyboard();
    shell::LoaderHooks = {};
    chart::ResetChartCompletely();
    play::ResetPlayRecord();
    play::ResetPlaySounds();
    theme::ResetResourceLoader();
    sound::SoundReset();
    platform::MessageBoxResetLog();
    platform::TimeUseVirtualClock(1000.0, true);
    play::SetKeySource(ScriptKeySource);
    play::RestoreDefaultPauseMenu();
    playscene::SetWorkerStarter(StartTestWorker);
    g_script.clear();
    g_workerRunning = false;
  }
  void TearDown() override {
    playscene::SetWorkerStarter(nullptr);
    play::SetKeySource(nullptr);
    platform::TimeUseRealClock();
    sound::SoundReset();
    shell::Launch = {};
    shell::DebugMode = false;
    g_script.clear();
    if (chdir(oldCwd_) != 0) ADD_FAILURE() << "cannot return to " << oldCwd_;
  }

  std::string Write(const char* name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    testsupport::WriteFile(path, text);
    return path;
  }
  // A silent stereo song of `seconds` as the loader would leave it.
  void LoadSong(double seconds) {
    std::vector<int16_t> pcm(static_cast<size_t>(seconds * 44100) * 2, 0);
    std::vector<uint8_t> wave = sound::MakePcm16Wave(pcm.data(), pcm.size() / 2, 2, 44100);
    const int song = sound::LoadSoundFromMemory(wave.data(), wave.size());
    ASSERT_NE(song, -1);
    theme::play_assets::Song = song;
    sound::SetCurrentSong(song);
  }
  void EnterPlay(const std::string& chartText, int course = 3) {
    const std::string path = Write("song.tja", chartText);
    std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s", path.c_str());
    theme::LoadCourse = course;
    shell::SceneId.store(shell::kScenePlay);
    shell::LoadKind.store(shell::kScenePlay);
    lastScene_ = shell::kScenePlay;
    shell::SceneFrame = 0;
  }
  // One millisecond of the game: a worker pass, and every 8th millisecond a frame.
  void Tick() {
    if (g_workerRunning && play::PlayWorkerPass() == -1) {
      g_workerRunning = false;
      Play.workerEnded.store(1);
    }
    if (++ms_ % 8 == 0) Frame();
    platform::TimeSleepMs(1);
  }
  void Frame() {
    const int scene = shell::SceneId.load();
    if (scene != lastScene_) {
      lastScene_ = scene;
      shell::SceneFrame = 0;
    }
    ++shell::SceneFrame;
    if (scene == shell::kScenePlay) playscene::PlaySceneFrame();
    shell::WindowKeys[shell::kVkF9] = 0;
    if (shell::SceneId.load() != scene) {
      switchClock_ = Play.playClock.load();
      workerEndedAtSwitch_ = Play.workerEnded.load() != 0;
    }
  }
  // Runs until the PlayClock reaches `clock` or the scene is no longer the play (at most
  // `limit` ms of the game).
  void RunUntilClock(double clock, int limit = 60000) {
    for (int i = 0; i < limit && shell::SceneId.load() == shell::kScenePlay; ++i) {
      if (Play.playClock.load() >= clock && shell::SceneFrame > 0) return;
      Tick();
    }
  }
  void RunUntilScene(int scene, int limit = 60000) {
    for (int i = 0; i < limit && shell::SceneId.load() != scene; ++i) Tick();
  }
  // The pause menu runs within one pass of the worker (its waits advance the virtual clock),
  // so one call takes the play through the whole menu.
  void RunThroughPause(int limit = 60000) {
    for (int i = 0; i < limit && Play.pauseElapsed.load() >= play::kNever; ++i) Tick();
  }
  // After a replay was chosen: on to the first frame of the new play.
  void RunUntilFirstFrame(int limit = 3000) {
    Tick();
    for (int i = 0; i < limit && shell::SceneFrame != 1; ++i) Tick();
  }

  testsupport::TempFolder folder_{"flow"};
  const std::string dir_ = folder_.Path();
  char oldCwd_[4096] = {};
  int lastScene_ = shell::kScenePlay;
  long ms_ = 0;
  double switchClock_ = 0.0;
  bool workerEndedAtSwitch_ = false;
};

// ---- the end of the song ----------------------------------------------------------------

class SongEnd : public PlayFlow, public ::testing::WithParamInterface<bool> {};

TEST_P(SongEnd, EscapeAfterTheEndDoesNothingAndTheResultsFollowASecondLater) {
  const bool withSong = GetParam();
  if (withSong) LoadSong(1.5);  // the song stops at 1500; without one the play ends 3 s after the note at 0
  const double end = withSong ? 1500.0 : 3000.0;
  shell::AutoPlay = true;
  EnterPlay(kOneNote);
  g_script = {{shell::kDikEscape, false, end + 200.0}};
  RunUntilScene(shell::kSceneResult);
  ASSERT_EQ(shell::SceneId.load(), shell::kSceneResult);
  EXPECT_EQ(Play.pauseElapsed.load(), play::kNever) << "no pause after the end";
  EXPECT_NEAR(Play.endTime.load(), end, 2.0);
  EXPECT_NEAR(switchClock_, end + 1010.0, 10.0);
  EXPECT_TRUE(workerEndedAtSwitch_) << "the worker stopped before the loader for the results started";
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutAudio, SongEnd, ::testing::Bool());

// ---- pause and continue -------------------------------------------------------------------

TEST_F(PlayFlow, PausingBeforeTheSongStartsKeepsItsStartOnTheChart) {
  LoadSong(8.0);
  shell::SoundDelay = 3000;  // the song starts at chart time 3000
  EnterPlay(kOneNote);
  g_script = {{shell::kDikEscape, false, 0.0}, {shell::kDikF, true, 700.0}};  // continue
  double startedAt = -1.0;
  for (int i = 0; i < 20000 && Play.playClock.load() < 5000.0; ++i) {
    Tick();
    if (startedAt < 0 && Play.songPlayback.load() != play::kSongWaiting) startedAt = Play.playClock.load();
  }
  EXPECT_GT(Play.pauseElapsed.load(), 1000.0) << "the pause happened";
  EXPECT_NEAR(startedAt, 3000.0, 1.5);
  EXPECT_NEAR(sound::GetSongPositionMs(), play::PlayClockNow() - 3000.0, 1.5);
}

// ---- the pause menu's exits, on ordinary and odd charts ----------------------------------

struct ExitCase {
  const char* name;
  const char* chart;
};

std::string ManyNotes() {
  std::string t = "TITLE:many\nBPM:240\nCOURSE:Oni\nLEVEL:10\n#START\n";
  for (int m = 0; m < 65535 / 64 + 1; ++m) t += std::string(64, '1') + ",\n";
  return t + "#END\n";
}

const ExitCase kExitCharts[] = {
    {"ordinary", kOneNote},
    {"no_notes", "TITLE:empty\nBPM:120\nCOURSE:Oni\nLEVEL:3\n#START\n#END\n"},
    {"no_course_block", "TITLE:none\nBPM:120\n"},
    {"only_balloons", "TITLE:b\nBPM:120\nBALLOON:3,3\nCOURSE:Oni\nLEVEL:3\n#START\n7008,7008,\n#END\n"},
    {"65535_notes", nullptr},
};

class PauseExit : public PlayFlow, public ::testing::WithParamInterface<std::tuple<ExitCase, int>> {};

TEST_P(PauseExit, EveryItemOfTheMenuWorks) {
  const auto& [c, item] = GetParam();
  EnterPlay(c.chart ? c.chart : ManyNotes());
  g_script = {{shell::kDikEscape, false, -1000.0}, {shell::kDikJ, true, 700.0}};
  for (int k = 0; k < item; ++k) g_script.push_back({shell::kDikK, true, 600.0 + 20.0 * k});
  RunThroughPause();
  ASSERT_GT(Play.pauseElapsed.load(), 0.0);
  const int expected[] = {shell::kScenePlay, shell::kScenePlay, shell::kSceneSongSelect, shell::kSceneStartupLoad};
  if (item == 0) {  // continue: the play goes on
    RunUntilClock(0.0);
    EXPECT_TRUE(Play.paused.load() == 0 && Play.playClock.load() >= 0.0);
  } else if (item == 1) {  // replay: a first frame again, out of the pause
    RunUntilFirstFrame();
    EXPECT_EQ(std::make_tuple(shell::SceneFrame, Play.paused.load(), Play.pauseElapsed.load()),
              std::make_tuple(1, 0, play::kNever));
  } else {
    RunUntilScene(expected[item], 5000);
    EXPECT_TRUE(workerEndedAtSwitch_);
  }
  EXPECT_EQ(shell::SceneId.load(), expected[item]);
}

std::string PauseExitName(const ::testing::TestParamInfo<std::tuple<ExitCase, int>>& info) {
  static const char* const kItems[] = {"continue", "replay", "songselect", "title"};
  return std::string(std::get<0>(info.param).name) + "_" + kItems[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Charts, PauseExit, ::testing::Combine(::testing::ValuesIn(kExitCharts), ::testing::Range(0, 4)),
                         PauseExitName);

TEST_F(PlayFlow, ALostDeviceOpensThePauseMenu) {
  EnterPlay(kOneNote);
  RunUntilClock(-1000.0);
  playscene::NoteDeviceReset();
  g_script = {{shell::kDikF, true, 600.0}};  // continue
  Tick();
  EXPECT_GT(Play.pauseElapsed.load(), 600.0) << "the worker went into the menu";
  EXPECT_EQ(Play.paused.load(), 0);
}

// ---- replay and the debug switch -----------------------------------------------------------

constexpr const char* kBranching =
    "TITLE:first\nBPM:120\nCOURSE:Oni\nLEVEL:5\n#START\n1111,\n#BRANCHSTART p,0,0\n"
    "#N\n1111,\n#E\n3333,\n#M\n2222,\n#BRANCHEND\n1111,\n#END\n";

// F9 in a play turns the debug mode on; a replay reads the chart again (with the debug dumps),
// starts from zero and keeps the debug mode.
TEST_F(PlayFlow, ReplayReadsTheChartAgainStartsFromZeroAndKeepsTheDebugMode) {
  shell::AutoPlay = true;
  EnterPlay(kBranching);
  g_script = {{shell::kDikEscape, false, 3500.0}, {shell::kDikK, true, 600.0}, {shell::kDikJ, true, 700.0}};
  RunUntilClock(3400.0);
  ASSERT_GT(Play.score.load(), 0);
  ASSERT_EQ(Play.currentLane.load(), chart::kLaneMaster) << "the branch took the master lane";
  shell::WindowKeys[shell::kVkF9] = 1;
  Frame();
  EXPECT_TRUE(shell::DebugMode);
  Write("song.tja", std::string(kBranching).replace(6, 5, "again"));
  RunThroughPause();
  RunUntilFirstFrame();
  ASSERT_EQ(shell::SceneFrame, 1);
  EXPECT_STREQ(chart::TheChart.title, "again");
  EXPECT_EQ(std::make_tuple(Play.score.load(), Play.great.load(), Play.combo.load(), Play.gauge.load()),
            std::make_tuple(0, 0, 0, 0.0));
  EXPECT_EQ(Play.currentLane.load(), chart::kLaneNormal);
  EXPECT_LT(Play.playClock.load(), -1900.0);
  EXPECT_TRUE(shell::DebugMode);
  EXPECT_FALSE(testsupport::ReadFile(dir_ + "/note_info.txt").empty()) << "the new play's chart reader saw it";
}

// ---- a chart that is gone by the time the play starts ---------------------------------------

TEST_F(PlayFlow, AChartThatCannotBeOpenedGoesBackToTheSongSelect) {
  EnterPlay(kBranching);
  RunUntilClock(-1000.0);  // a play that leaves a chart in memory
  shell::SceneId.store(shell::kSceneResult);
  for (int i = 0; i < 20; ++i) Tick();  // the worker ends, a frame sees the other scene
  ASSERT_FALSE(g_workerRunning);
  std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s/gone.tja", dir_.c_str());
  play::ResetPlayRecord();
  shell::SceneId.store(shell::kScenePlay);
  shell::LoadKind.store(shell::kScenePlay);
  RunUntilScene(shell::kSceneSongSelect, 100);
  EXPECT_EQ(shell::SceneId.load(), shell::kSceneSongSelect);
  EXPECT_FALSE(g_workerRunning) << "no play of the previous chart";
  EXPECT_EQ(platform::MessageBoxCount(), 1);
}

// ---- the command line -------------------------------------------------------------------

struct ArgsCase {
  std::vector<const char*> args;
  int result;
  bool pending = false;
  int course = -1;
  bool autoPlay = false;
};

class LaunchArguments : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(LaunchArguments, AreReadOrRefused) {
  const ArgsCase& c = GetParam();
  std::vector<const char*> argv = {"Kodoban"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  shell::LaunchRequest r;
  char error[256] = {};
  EXPECT_EQ(shell::ParseLaunchArguments(static_cast<int>(argv.size()), argv.data(), &r, error, sizeof error), c.result);
  EXPECT_TRUE(c.result != -1 || error[0] != '\0') << "a refusal says why";
  if (c.result != 0) return;
  EXPECT_EQ(std::make_tuple(r.pending, r.course, r.autoPlay), std::make_tuple(c.pending, c.course, c.autoPlay));
  EXPECT_TRUE(!r.pending || r.chartPath[0] == '/') << "made absolute before the game changes folder";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchArguments,
    ::testing::Values(ArgsCase{{}, 0, false, -1, false}, ArgsCase{{"a.tja"}, 0, true, -1, false},
                      ArgsCase{{"--auto", "--course", "hard", "a.tja"}, 0, true, 2, true},
                      ArgsCase{{"--course=EDIT", "a.tja"}, 0, true, 4, false},
                      ArgsCase{{"--course", "0", "--", "-odd.tja"}, 0, true, 0, false},
                      ArgsCase{{"--course", "5", "a.tja"}, -1}, ArgsCase{{"--course"}, -1},
                      ArgsCase{{"--fast", "a.tja"}, -1}, ArgsCase{{"a.tja", "b.tja"}, -1},
                      ArgsCase{{"--help"}, 1}));

class LaunchedPlay : public PlayFlow {};

// The highest course, or the one asked for; a course the chart lacks, or a chart that cannot
// be opened, stays on the song select with a message.
TEST_F(LaunchedPlay, TakesTheHighestCourseOrTheOneAskedFor) {
  const std::string path = Write("two.tja", "TITLE:two\nBPM:120\nCOURSE:Easy\nLEVEL:2\n#START\n1,\n#END\n"
                                            "COURSE:Hard\nLEVEL:6\n#START\n1,\n#END\n");
  const struct {
    int asked, scene, course;
    std::string path;
  } cases[] = {{-1, shell::kScenePlay, 2, path}, {0, shell::kScenePlay, 0, path}, {3, shell::kSceneSongSelect, -1, path},
               {-1, shell::kSceneSongSelect, -1, dir_ + "/missing.tja"}};
  for (const auto& c : cases) {
    shell::SceneId.store(shell::kSceneSongSelect);
    theme::LoadCourse = -1;
    platform::MessageBoxResetLog();
    shell::Launch = {.pending = true, .course = c.asked, .autoPlay = true};
    std::snprintf(shell::Launch.chartPath, sizeof shell::Launch.chartPath, "%s", c.path.c_str());
    songselect::StartLaunchedPlay();
    EXPECT_FALSE(shell::Launch.pending);
    EXPECT_EQ(shell::SceneId.load(), c.scene) << "asked " << c.asked << " of " << c.path;
    EXPECT_EQ(platform::MessageBoxCount(), c.course < 0 ? 1 : 0);
    EXPECT_EQ(theme::LoadCourse, c.course);
    EXPECT_TRUE(c.course < 0 || (shell::AutoPlay && std::string(theme::LoadChartPath) == path));
  }
}

}  // namespace
