// The play scene. Its flow on the virtual clock: the worker's passes run on this thread once a
// millisecond and a frame every 8 ms, keys come from a script (play keys by PlayClock, menu
// keys by the pause's elapsed time), and scene changes go through a loader that has nothing
// to load. Then the play field drawn on the software renderer with a test theme of solid-colour
// pictures, read back pixel by pixel: which notes, captions and bar lines show, how notes
// animate, the roll body, the soul meter, the layer order, frames of absurd input that must
// still draw, and the scene's transitions.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "common/wave_write.h"
#include "graphics/graphics.h"
#include "graphics/graphics_fixture.h"
#include "platform/message_box.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "play/play_record.h"
#include "scenes/play/play_field.h"
#include "scenes/play/play_flow.h"
#include "scenes/play/play_scene.h"
#include "scenes/select/launch_play.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/launch.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"
#include "theme/stage.h"

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

// ---- the play field as drawn ------------------------------------------------------------------

namespace pa = theme::play_assets;

constexpr uint32_t kBlack = 0xFF000000u;

// Distinct opaque colours, one per picture a test loads.
uint32_t Shade(int k) { return 0xFF000000u | uint32_t((k * 53 + 40) % 256) << 16 | uint32_t((k * 97 + 20) % 256) << 8 | uint32_t((k * 29 + 70) % 256); }

class FieldTest : public gfxtest::GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    theme::ResetAssetHandles();
    theme::ResetStage();
    theme::ClearBgScript();
    theme::SetDefaultLayouts();
    chart::ResetChartCompletely();
    play::ResetPlayRecord();
    play::Play.scrollSpeed = 1;
    play::Play.noteCount = 0;
  }
  void TearDown() override {
    theme::ResetAssetHandles();
    theme::ResetStage();
    chart::ResetChartCompletely();
    play::ResetPlayRecord();
    GraphicsTest::TearDown();
  }
  // A solid picture; its colour is remembered by handle.
  int Picture(int w, int h, uint32_t argb) { return Solid(std::string("p") + std::to_string(serial_++) + ".png", w, h, argb); }
  // Note k of the chart: a live note of a type at lane position x in a state.
  void Note(int k, int type, double x, int state = play::kNotePending, int label = -1) {
    chart::ChartNote& n = chart::TheChart.notes[k];
    n.type = type, n.label = label, n.bpm = 120, n.scroll = 1;
    play::SetNoteX(k, x);
    play::SetNoteState(k, state);
    play::SetNoteLive(k, 1);
    if (k + 1 > play::Play.noteCount) play::Play.noteCount = k + 1;
  }
  // A bar line standing at lane position x at frame clock t.
  void BarLineAt(int k, double x, double t, bool visible = true, int live = 1) {
    chart::BarLine& b = chart::TheChart.barLines[k];
    b.bpm = 120, b.scroll = 1, b.visible = visible;
    b.time = t + (x - play::kJudgeMarkX) * play::kPixelsPerBpmMs / b.bpm;
    play::SetBarLineLive(k, live);
  }
  void Draw(double t) {
    playscene::FrameView view;
    view.clock = t;
    playscene::DrawPlayField(view);
  }
  int NoteY() const { return theme::PlayLayout.note_y; }

  int serial_ = 0;
};

// ---- which notes show --------------------------------------------------------------------

TEST_F(FieldTest, NotesBeyond800AreNotDrawnAndTheLaneCutsAwayLeftOf110) {
  pa::Don[0] = Picture(400, 40, 0xFFFF0000);
  Note(0, chart::kNoteDon, 801);  // its left edge would be on screen at 601
  Draw(0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);

  Note(0, chart::kNoteDon, 805 - 400);  // centre 405: spans 205 .. 605
  Draw(0);
  EXPECT_EQ(Pixel(300, NoteY()), 0xFFFF0000u);

  Clear(kBlack);
  pa::Don[0] = Picture(40, 40, 0xFFFF0000);
  Note(0, chart::kNoteDon, 105);  // spans 85 .. 125
  Draw(0);
  EXPECT_EQ(std::make_pair(Changed()[0], Changed()[2]), std::make_pair(110, 124)) << "left and right edges";
}

// A note (and its caption) shows while pending or passed, and only while live; a bar line shows
// while visible and live.
struct StateCase { int state, live; bool shown; };
class NoteStateTest : public FieldTest, public testing::WithParamInterface<StateCase> {};

TEST_P(NoteStateTest, MissedNotesScrollOnAndJudgedOrDeadOnesVanishAtOnce) {
  pa::Don[0] = Picture(40, 40, 0xFFFF0000);
  pa::DonM[0] = Picture(20, 10, 0xFF00FF00);
  Note(0, chart::kNoteDon, 130, GetParam().state, chart::kLabelDon);
  play::SetNoteLive(0, GetParam().live);
  Draw(0);
  EXPECT_EQ(Pixel(130, NoteY()) == 0xFFFF0000u, GetParam().shown);
  EXPECT_EQ(Pixel(130, theme::PlayLayout.note_m_y) == 0xFF00FF00u, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(States, NoteStateTest,
                         testing::Values(StateCase{play::kNotePending, 1, true}, StateCase{play::kNotePassed, 1, true},
                                         StateCase{play::kNoteGood, 1, false}, StateCase{play::kNoteWaiting, 1, false},
                                         StateCase{play::kNoteDead, 1, false}, StateCase{play::kNotePending, 0, false}));

class BarLineTest : public FieldTest, public testing::WithParamInterface<std::pair<bool, int>> {};

TEST_P(BarLineTest, BarLineOffOrDeadHidesTheLineAtItsPlace) {
  const auto [visible, live] = GetParam();
  pa::Line = Picture(4, 60, 0xFFFFFFFF);
  pa::LineBranch = Picture(4, 60, 0xFFFFFF00);
  BarLineAt(0, 300, 2000, visible, live);
  BarLineAt(1, 420, 2000, true);
  chart::TheChart.barLines[1].branchStart = true;
  Draw(2000);
  EXPECT_EQ(Pixel(300, NoteY()) == 0xFFFFFFFFu, visible && live);
  EXPECT_EQ(Pixel(420, NoteY()), 0xFFFFFF00u);  // the first line after a branch start
}

INSTANTIATE_TEST_SUITE_P(VisibleAndLive, BarLineTest,
                         testing::Values(std::pair{true, 1}, std::pair{false, 1}, std::pair{true, 0}));

// ---- note animation ----------------------------------------------------------------------

struct FrameCase { int type, combo; double t; int picture; };
class NoteFrameTest : public FieldTest, public testing::WithParamInterface<FrameCase> {};

TEST_P(NoteFrameTest, NotesBounceFromCombo50AndShowTheThirdFrameFrom300) {
  const FrameCase c = GetParam();
  for (int k = 0; k < 5; ++k) pa::Don[k] = Picture(40, 40, Shade(k));
  play::Play.combo.store(c.combo);
  Note(0, c.type, 300);
  Draw(c.t);
  EXPECT_EQ(Pixel(300, NoteY()), Shade(c.picture)) << "combo " << c.combo << " t " << c.t;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, NoteFrameTest,
    testing::Values(FrameCase{chart::kNoteDon, 49, 200, 0}, FrameCase{chart::kNoteDon, 50, 100, 0},
                    FrameCase{chart::kNoteDon, 50, 200, 1}, FrameCase{chart::kNoteDon, 50, 390, 0},
                    FrameCase{chart::kNoteDon, 150, 150, 1}, FrameCase{chart::kNoteDon, 300, 50, 0},
                    FrameCase{chart::kNoteDon, 300, 150, 2}, FrameCase{chart::kNoteBigDon, 300, 50, 3},
                    FrameCase{chart::kNoteBigDon, 300, 150, 4}));

// ---- rolls -------------------------------------------------------------------------------

TEST_F(FieldTest, APassedRollKeepsItsBodyFromTheLaneStartToItsEnd) {
  pa::Roll[0] = Picture(40, 40, 0xFFFF8000);
  pa::Roll[3] = Picture(8, 30, 0xFFFFFF00);
  pa::Roll[4] = Picture(20, 30, 0xFF00FFFF);
  Note(0, chart::kNoteRoll, 40, play::kNotePassed);
  Note(1, chart::kNoteRollEnd, 400);
  Draw(0);
  // Nothing left of the lane start, the body, the end cap, nothing after.
  std::vector<uint32_t> row;
  for (int x : {109, 111, 380, 405, 415}) row.push_back(Pixel(x, NoteY()));
  EXPECT_EQ(row, std::vector<uint32_t>({kBlack, 0xFFFFFF00u, 0xFFFFFF00u, 0xFF00FFFFu, kBlack}));
}

// ---- soul gauge --------------------------------------------------------------------------

struct MeterCase { double gauge; int width; };
class MeterTest : public FieldTest, public testing::WithParamInterface<MeterCase> {};

TEST_P(MeterTest, TheSoulMeterGrowsInWholeSteps) {
  pa::SoulGauge[2] = Picture(100, 10, 0xFFFF0000);
  theme::PlayLayout.soulgauge_meter_grow = 6;
  play::Play.clearThreshold = 101;
  play::Play.gauge.store(GetParam().gauge);
  Draw(0);
  const int x = theme::PlayLayout.soulgauge_meter_x, y = theme::PlayLayout.soulgauge_meter_y + 5;
  EXPECT_EQ(CountChanged(x - 10, y, x + 120, y + 1, kBlack), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Gauge, MeterTest,
                         testing::Values(MeterCase{5, 0}, MeterCase{6, 6}, MeterCase{50, 48}, MeterCase{250, 96},
                                         MeterCase{-3, 0}, MeterCase{NAN, 0}));

// ---- layer order -------------------------------------------------------------------------

TEST_F(FieldTest, LaterLayersCoverEarlierOnes) {
  pa::SfieldBg = Picture(530, 100, 0xFF202020);       // 7
  pa::DonM[0] = Picture(20, 10, 0xFF00FF00);          // 14
  pa::Line = Picture(4, 120, 0xFFFFFFFF);             // 15: reaches down over the captions
  pa::Don[0] = Picture(40, 40, 0xFFFF0000);           // 16
  pa::TaikoP1 = Picture(200, 60, 0xFF0000FF);         // 17: reaches over the lane start
  pa::ScoreNumber[5] = Picture(30, 30, 0xFFFF00FF);   // 31
  pa::SoulGauge[0] = Picture(300, 80, 0xFF808000);    // 22, under the score
  Note(0, chart::kNoteDon, 300, play::kNotePending, chart::kLabelDon);
  BarLineAt(0, 300, 0);
  Note(1, chart::kNoteDon, 500, play::kNotePending, chart::kLabelDon);
  BarLineAt(1, 500, 0);
  play::Play.score.store(5);
  Draw(0);
  const theme::PlayLayoutData& L = theme::PlayLayout;
  // Note over bar line, bar line over caption, the field, drum over lane, score over gauge.
  const std::vector<uint32_t> seen = {Pixel(300, NoteY()), Pixel(500, L.note_m_y), Pixel(400, L.scroll_field_y),
                                      Pixel(130, L.taiko_y), Pixel(L.score_x, L.score_y)};
  EXPECT_EQ(seen, (std::vector<uint32_t>{0xFFFF0000u, 0xFFFFFFFFu, 0xFF202020u, 0xFF0000FFu, 0xFFFF00FFu}));
}

// ---- the one play value the drawing moves ------------------------------------------------

TEST_F(FieldTest, TheFirstBalloonStageMovesOnFiftyMillisecondsAfterTheHit) {
  play::Play.balloonStage.store(1);
  play::Play.balloonTime.store(1000);
  std::vector<int> stages;
  for (double t : {1030, 1060, 1100}) Draw(t), stages.push_back(play::Play.balloonStage.load());
  EXPECT_EQ(stages, std::vector<int>({1, 2, 2}));
}

// ---- absurd input ------------------------------------------------------------------------

// Every play picture handle the field may draw.
std::vector<int*> EveryPlayPicture() {
  std::vector<int*> v;
  for (const theme::PictureSet& set : theme::PlayPictures())
    for (int k = 0; k < set.count; ++k) v.push_back(set.handles + k);
  for (int& h : pa::Symbol) v.push_back(&h);
  return v;
}

// A busy play: gogo just started, a long combo, a full gauge, effects of every code, a roll
// counter, a balloon in play, popups and the curtain, with the given values pushed to extremes.
void FillBusyPlay(double t, int combo, int score, double gauge, int roll) {
  using play::Play;
  Play.combo = combo, Play.score = score, Play.gauge = gauge, Play.gaugeNotes = 10;
  Play.gogo = 1, Play.lastGogoTime = t - 100;
  Play.rollCountDisplay = roll, Play.rollCountTime = t - 20, Play.remainingHits = roll;
  Play.balloonStage = 3, Play.balloonTime = t - 60;
  Play.lastHitKind = play::kHitDonNote, Play.lastHitTime = t - 10;
  Play.lastJudgement = play::kLastBigGreat, Play.lastJudgementTime = t - 10;
  for (auto& hit : Play.drumHitTime) hit = t - 50;
  for (int k = 0; k < play::kEffectRing; ++k) {
    play::JudgeEffect& e = Play.effects[k];
    e.code = k % 14 == 0 ? 99 : k % 14, e.time = t - k * 9, e.show = 1;
  }
  for (int k = 0; k < play::kPopupRing; ++k) Play.popups[k].score = k * 977, Play.popups[k].until = t + 500 - k * 3;
  for (int k = 1; k <= std::min(combo, play::kComboStampCount - 1); k += std::max(1, combo / 50))
    Play.comboStamps[k].set = 1, Play.comboStamps[k].time = t - 30;
  Play.currentLane = 3, Play.laneBefore = 1, Play.lastEvaluationTime = t - 60;
  Play.latestNoteTime = t - 2500;
  chart::TheChart.hasBranches = true;
}

struct AbsurdCase {
  const char* name;
  int w, h;        // every picture this size (0: all missing)
  int position;    // every layout position this value
  int combo, score;
  double gauge;
  int roll;
  int gaugeImages;  // soul gauge pictures loaded from the front (negative: a gap at 3)
};
class AbsurdTest : public FieldTest, public testing::WithParamInterface<AbsurdCase> {};

TEST_P(AbsurdTest, TheFrameStillDraws) {
  const AbsurdCase c = GetParam();
  const int picture = c.w > 0 ? Picture(c.w, c.h, 0xFF40C040) : -1;
  for (int* h : EveryPlayPicture()) *h = picture;
  const int gauge = c.gaugeImages < 0 ? -c.gaugeImages : c.gaugeImages;
  for (int k = 0; k < gauge && k < 24; ++k) pa::SoulGauge[k] = picture;
  if (c.gaugeImages < 0) pa::SoulGauge[3] = -1;
  pa::SoulGaugeFrames = gauge - 4;
  pa::TitleFont = graphics::CreateGameFont("ＭＳ ゴシック", 20);
  std::snprintf(chart::TheChart.title, sizeof chart::TheChart.title, "%s", "100% 題名 %s%n");
  if (c.position != 0) {
    int count = 0;
    const theme::LayoutKey* keys = theme::PlayLayoutKeys(&count);
    for (int k = 0; k < count; ++k)
      if (keys[k].kind == theme::LayoutKind::kInt)
        *reinterpret_cast<int*>(reinterpret_cast<char*>(&theme::PlayLayout) + keys[k].offset) = c.position;
  }
  for (int k = 0; k < 150; ++k) {
    Note(k, 1 + k % 8, 100 + k * 5, k % 2 ? play::kNotePending : play::kNotePassed, k % 11 - 1);
    BarLineAt(k, 100 + k * 5, 0);
  }
  const double times[] = {0, 480, 1500, 4000, 1e9, -1e9};
  // A screen-sized picture in every layer is slow on the software path: two frames will do.
  const int frames = c.w > 640 ? 2 : 6;
  for (int k = 0; k < frames; ++k) {
    FillBusyPlay(times[k], c.combo, c.score, c.gauge, c.roll);
    Draw(times[k]);
  }
  SUCCEED() << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, AbsurdTest,
    testing::Values(AbsurdCase{"missing", 0, 0, 0, 65535, INT_MAX, 100, 99999, 0},
                    AbsurdCase{"tiny", 1, 1, 0, 65535, INT_MAX, 150, 99999, 24},
                    AbsurdCase{"huge", 4000, 4000, 0, 300, 123456, 100, 50, 24},
                    AbsurdCase{"far", 30, 30, 2000000000, 65535, INT_MAX, -20, 99999, 3},
                    AbsurdCase{"negative", 30, 30, -2000000000, 1000, -5, NAN, -7, -8},
                    AbsurdCase{"fewGaugePictures", 30, 30, 0, 99, 0, 100, 0, 2}),
    [](const testing::TestParamInfo<AbsurdCase>& i) { return std::string(i.param.name); });

// ---- the scene's own transitions: the opening iris, the closing of the screen after a leaving
// pause-menu choice, and the slide that hands over to the results ----------------------------

constexpr uint32_t kOniColour = 0xFF20C040u, kIrisImage = 0xFFE0E0E0u, kSlideImage = 0xFF3060F0u;

class Transitions : public FieldTest {
 protected:
  void SetUp() override {
    FieldTest::SetUp();
    theme::ResetResourceLoader();
    theme::LoadCourse = 3;
    theme::SongSelectLayout.load_oni_bg_color = kOniColour & 0xFFFFFF;
    theme::select_assets::LoadBgEnd[3] = Picture(640, 480, kIrisImage);
    theme::play_assets::LoadBgEnd = Picture(640, 480, kSlideImage);
  }
  void TearDown() override {
    theme::ResetResourceLoader();
    FieldTest::TearDown();
  }
  void ExpectPixel(int x, int y, uint32_t colour) {
    SCOPED_TRACE(::testing::Message() << "at " << x << "," << y);
    EXPECT_RGB_NEAR(Pixel(x, y), int(gfxtest::R(colour)), int(gfxtest::G(colour)), int(gfxtest::B(colour)));
  }
};

TEST_F(Transitions, TheOpeningGrowsFromTheCourseColourAndIsGoneAt600Ms) {
  playscene::DrawOpening(0.0);
  ExpectPixel(320, 240, kOniColour);
  ExpectPixel(5, 5, kOniColour);
  Clear(kBlack);
  playscene::DrawOpening(300.0);  // the image at 5/8 of its size, the colour around it
  ExpectPixel(320, 240, kIrisImage);
  ExpectPixel(5, 5, kOniColour);
  ExpectPixel(635, 240, kOniColour);
  Clear(kBlack);
  playscene::DrawOpening(600.0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

TEST_F(Transitions, ALeavingChoiceClosesTheScreenAndAResumeDoesNot) {
  play::Play.pauseCursor.store(2);  // back to the song select
  play::Play.paused.store(1);
  play::Play.choiceTime.store(800.0);
  play::Play.pauseElapsed.store(800.0 + 950.0);
  EXPECT_TRUE(playscene::DrawPauseOverlay());
  ExpectPixel(320, 240, kOniColour);
  ExpectPixel(639, 479, kOniColour);

  Clear(kBlack);
  play::Play.pauseCursor.store(0);  // continue: the menu fades out and that is all
  play::Play.paused.store(0);
  play::Play.pauseElapsed.store(800.0 + 400.0);
  EXPECT_FALSE(playscene::DrawPauseOverlay());
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

TEST_F(Transitions, TheEndSlideRisesAndCoversTheScreenForTheHandOver) {
  playscene::DrawEndSlide(250.0);  // its top edge at 480 - 240
  ExpectPixel(320, 200, kBlack);
  ExpectPixel(320, 300, kSlideImage);
  Clear(kBlack);
  playscene::DrawEndSlide(1000.0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kSlideImage), 0);
}

}  // namespace
