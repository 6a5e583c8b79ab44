// The song select as the player drives it: scripted window keys frame by frame on the scene's
// own clock, the library requests answered in step, drops through DroppedFilePath; and its
// song preview with the real decode worker.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "chart/song_identity.h"
#include "graphics/graphics_fixture.h"
#include "library/library_worker.h"
#include "library/record_file.h"
#include "library/song_list.h"
#include "platform/message_box.h"
#include "platform/mixer.h"
#include "platform/time.h"
#include "scenes/select/preview.h"
#include "scenes/select/select_scene.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound_files.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace {

namespace fs = std::filesystem;
using songselect::Select;
using testsupport::WriteFile;

std::string Chart(const std::string& title, const std::vector<std::pair<const char*, int>>& courses) {
  std::string text = "TITLE:" + title + "\nBPM:120\n";
  for (auto& [name, level] : courses)
    text += std::string("COURSE:") + name + "\nLEVEL:" + std::to_string(level) + "\n#START\n1111,\n#END\n";
  return text;
}

void Genre(const fs::path& folder, const char* name, const char* colour) {
  WriteFile(folder / "genre.ini", std::string("GenreName=") + name + "\nGenreColor=" + colour + "\n");
}

// Over a plain test, or over the software canvas for the drawing tests.
template <class Base>
class SongSelectOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    root_ = testsupport::MakeTempFolder("select");
    ASSERT_FALSE(root_.empty());
    oldDir_ = fs::current_path();
    fs::current_path(root_);  // record files go to ./Files/Save here
    shell::ResetShellState();
    shell::ResetKeyboard();
    shell::ResetConfiguration();
    library::ResetSongList();
    library::ResetLibraryWorker();
    songselect::ResetSongSelect();
    platform::MessageBoxResetLog();
    // No worker thread stays: the test answers each request in step with the frames.
    shell::LoadKind.store(0);
    shell::SceneId.store(shell::kSceneSongSelect);
    std::snprintf(shell::ScoreRoot, sizeof shell::ScoreRoot, "%s/songs", root_.c_str());
  }
  void TearDown() override {
    library::StopLibraryWorker();
    fs::current_path(oldDir_);
    testsupport::RemoveTempFolder(root_);
    Base::TearDown();
  }

  fs::path Songs() const { return fs::path(root_) / "songs"; }

  // One frame of 1/120 s: the scene's logic, then the worker's answer.
  void Frame() {
    now_ += 1000.0 / 120.0;
    shell::AppClock = now_;
    songselect::UpdateSongSelect(now_);
    library::RunLibraryRequest();
  }
  void Frames(double ms) {
    for (double end = now_ + ms; now_ < end;) Frame();
  }
  void Press(int key) {
    shell::WindowKeys[key] = 1;
    Frame();
    shell::WindowKeys[key] = 0;
  }
  void Enter(int from = shell::kSceneStartupLoad) {
    shell::PreviousScene = from;
    shell::AppClock = now_;
    songselect::EnterSongSelect(now_);
    library::RunLibraryRequest();
    SettleInBrowse();
  }
  void SettleInBrowse() {
    for (int i = 0; i < 400 && Select.phase != songselect::kPhaseBrowse; ++i) Frame();
    ASSERT_EQ(Select.phase, songselect::kPhaseBrowse);
  }
  int Cursor() const { return songselect::CursorAt(songselect::SceneBrowse().depth); }
  const char* TitleUnderCursor() const { return library::SongList.items[Cursor()].title; }
  // Moves with K until the item under the cursor has this title.
  void BrowseTo(const char* title) {
    for (int i = 0; i <= library::SongList.itemCount; ++i) {
      if (std::strcmp(TitleUnderCursor(), title) == 0) return;
      Press(shell::kVkK);
    }
    FAIL() << "no item " << title;
  }
  // Browses to the song, waits for its levels and opens its course select.
  void OpenCourseSelect(const char* title) {
    BrowseTo(title);
    Frames(50);
    Press(shell::kVkF);
    Frame();
  }
  void Drop(const std::string& path) {
    std::snprintf(shell::DroppedFilePath, sizeof shell::DroppedFilePath, "%s", path.c_str());
    Frame();
  }

  std::string root_;
  fs::path oldDir_;
  double now_ = 100000.0;
};
using SongSelect = SongSelectOn<::testing::Test>;

// --- browsing -------------------------------------------------------------------------------

// The cursor wraps round at both ends; a folder opens on its first entry after the back item
// (an empty one on the back item, which wraps onto itself), and coming back up restores the
// parent's cursor.
TEST_F(SongSelect, TheCursorWrapsAndComingBackUpRestoresTheParentsCursor) {
  Genre(Songs() / "Empty", "Empty", "#808080");
  Genre(Songs() / "Pop", "Pop", "#FF8000");
  WriteFile(Songs() / "Pop" / "a.tja", Chart("A", {{"Oni", 5}}));
  WriteFile(Songs() / "x.tja", Chart("X", {{"Oni", 5}}));
  Enter();
  const int count = library::SongList.itemCount;
  ASSERT_EQ(count, 4);  // back item, two folders and a song
  songselect::CursorAt(0) = count - 1;
  Press(shell::kVkK);
  EXPECT_EQ(Cursor(), 0);
  Press(shell::kVkD);
  EXPECT_EQ(Cursor(), count - 1);
  BrowseTo("Pop");
  const int popAt = Cursor();
  ASSERT_GT(popAt, 1) << "not where a fresh list starts";
  Press(shell::kVkJ);
  SettleInBrowse();
  EXPECT_STREQ(TitleUnderCursor(), "A") << "the folder's first entry after the back item";
  Press(shell::kVkEscape);
  SettleInBrowse();
  EXPECT_EQ(Cursor(), popAt);
  BrowseTo("Empty");
  Press(shell::kVkF);
  SettleInBrowse();
  ASSERT_EQ(library::SongList.itemCount, 1);
  EXPECT_EQ(Cursor(), 0);
  Press(shell::kVkK);
  EXPECT_EQ(Cursor(), 0);
}

// A missing score root: an empty screen that ignores moves, where F2 still cycles the scroll speed.
TEST_F(SongSelect, AMissingScoreRootShowsAnEmptyScreenThatIgnoresMovesButNotOptions) {
  Enter();
  EXPECT_EQ(library::SongList.itemCount, 0);
  for (int key : {shell::kVkK, shell::kVkD, shell::kVkF, shell::kVkJ}) Press(key);
  EXPECT_EQ(Select.phase, songselect::kPhaseBrowse);
  EXPECT_EQ(platform::MessageBoxCount(), 0);
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    Press(shell::kVkF2);
    seen.push_back(shell::ScrollSpeed);
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 1, 2}));
}

TEST_F(SongSelect, ASongWhoseChartVanishedCanBeBrowsedButNotOpened) {
  WriteFile(Songs() / "gone.tja", Chart("Gone", {{"Oni", 5}}));
  Enter();
  BrowseTo("Gone");
  fs::remove(Songs() / "gone.tja");
  Press(shell::kVkD);
  Press(shell::kVkK);  // the levels are read again, from a file no longer there
  Frames(50);
  Press(shell::kVkF);
  EXPECT_EQ(Select.phase, songselect::kPhaseBrowse);
  EXPECT_STREQ(platform::MessageBoxLastText(), songselect::kMsgLevelsNotRead);
}

TEST_F(SongSelect, WithTheLibraryWorkerTheLevelsShownAfterQuickMovesAreThoseUnderTheCursor) {
  // The real worker thread this time, answering whenever it gets round to it.
  for (int i = 1; i <= 6; ++i) {
    const std::string name = std::to_string(i) + ".tja";
    WriteFile(Songs() / name, Chart(name, {{"Oni", i}}));
  }
  shell::LoadKind.store(4);
  shell::PreviousScene = shell::kSceneStartupLoad;
  songselect::EnterSongSelect(now_);
  auto frameAndWait = [&](int key) {
    if (key) shell::WindowKeys[key] = 1;
    now_ += 1000.0 / 120.0;
    shell::AppClock = now_;
    songselect::UpdateSongSelect(now_);
    shell::WindowKeys[key] = 0;
    usleep(1000);
  };
  for (int i = 0; i < 3000 && Select.phase != songselect::kPhaseBrowse; ++i) frameAndWait(0);
  ASSERT_EQ(Select.phase, songselect::kPhaseBrowse);
  for (int i = 0; i < 40; ++i) frameAndWait(i % 3 ? shell::kVkK : shell::kVkD);
  for (int i = 0; i < 3000 && !songselect::LevelsReady(); ++i) frameAndWait(0);
  ASSERT_TRUE(songselect::LevelsReady());
  const char* title = TitleUnderCursor();
  EXPECT_EQ(library::CourseLevels[3].load(), title[0] - '0') << title;
  shell::SceneId.store(shell::kSceneBoot);  // the worker ends by itself
}

// --- course select --------------------------------------------------------------------------

struct CourseCase {
  const char* name;
  std::vector<std::pair<const char*, int>> courses;
  std::vector<int> keys;
  int expectedPlace;
};

class CourseCursor : public SongSelect, public ::testing::WithParamInterface<CourseCase> {};

TEST_P(CourseCursor, StandsOnAPresentCourseOrBack) {
  const CourseCase& c = GetParam();
  WriteFile(Songs() / "song.tja", Chart("Song", c.courses));
  Enter();
  OpenCourseSelect("Song");
  ASSERT_EQ(Select.phase, songselect::kPhaseCourseSelect);
  for (int key : c.keys) Press(key);
  EXPECT_EQ(Select.courseCursor, c.expectedPlace);
}

const std::vector<std::pair<const char*, int>> kAllFive = {
    {"Easy", 1}, {"Normal", 2}, {"Hard", 3}, {"Oni", 4}, {"Edit", 5}};

INSTANTIATE_TEST_SUITE_P(
    Search, CourseCursor,
    ::testing::Values(
        CourseCase{"EasyOnlyOpensOnBack", {{"Easy", 2}}, {}, songselect::kPlaceBack},
        CourseCase{"EasyToOniOpensOnOni", {{"Easy", 1}, {"Normal", 2}, {"Hard", 3}, {"Oni", 4}}, {}, 3},
        CourseCase{"HardAndEditOpensOnEdit", {{"Hard", 3}, {"Edit", 9}}, {}, 4},
        CourseCase{"DMovesTowardsEdit", kAllFive, {shell::kVkD}, 4},
        CourseCase{"DPastEditSkipsTheMenuToBack", kAllFive, {shell::kVkD, shell::kVkD}, songselect::kPlaceBack},
        CourseCase{"KOnEasyGoesToBack", kAllFive, {shell::kVkK, shell::kVkK, shell::kVkK, shell::kVkK}, songselect::kPlaceBack},
        CourseCase{"KSkipsAbsentCourses", {{"Easy", 1}, {"Oni", 4}}, {shell::kVkK}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SongSelect, ThePlayStartsThroughTheLoaderOnceTheIrisHasClosed) {
  WriteFile(Songs() / "song.tja", Chart("Song", {{"Hard", 3}, {"Oni", 7}}));
  Enter();
  OpenCourseSelect("Song");
  Press(shell::kVkK);  // Hard
  Press(shell::kVkJ);
  ASSERT_EQ(Select.phase, songselect::kPhaseStartingPlay);
  // Whole frames as the main loop runs them, through a loader with nothing to load: nothing is
  // handed over before the iris has closed at 1100 ms.
  for (int i = 0; i < 200 && shell::SceneId.load() == shell::kSceneSongSelect; ++i) {
    now_ += 1000.0 / 120.0;
    shell::AppClock = now_;
    shell::SceneFrame = 2;
    songselect::SongSelectFrame();
  }
  EXPECT_GE(now_ - Select.phaseStart, 1100.0);
  EXPECT_EQ(std::make_tuple(shell::SceneId.load(), shell::LoadKind.load(), theme::LoadCourse),
            std::make_tuple(shell::kScenePlay, shell::kScenePlay, 2));
  EXPECT_EQ(fs::path(theme::LoadChartPath), Songs() / "song.tja");
}

TEST_F(SongSelect, LeavingTheRootReloadsThroughTheStartUpLoad) {
  WriteFile(Songs() / "a.tja", Chart("A", {{"Oni", 1}}));
  for (int key : {shell::kVkF, shell::kVkEscape, shell::kVkBack}) {  // F on the back item, Esc, Backspace
    shell::SceneId.store(shell::kSceneSongSelect);
    Enter();
    songselect::CursorAt(0) = 0;
    Press(key);
    EXPECT_EQ(shell::SceneId.load(), shell::kSceneStartupLoad) << key;
  }
}

// --- drag and drop --------------------------------------------------------------------------

// Drops that are no chart (a folder, an upper-case ".TJA", a file that is gone) leave the browse
// running with a message; a chart dropped from elsewhere opens its course select with its own
// levels and record, and a drop during the course select is thrown away, not kept for later.
TEST_F(SongSelect, DroppedFilesOpenOnlyAsChartsAndOnlyFromTheBrowse) {
  const std::string dropped = root_ + "/elsewhere/dropped.tja";
  fs::create_directories(fs::path(root_) / "folder.tja");
  WriteFile(root_ + "/LOUD.TJA", Chart("Loud", {{"Oni", 8}}));
  WriteFile(Songs() / "a.tja", Chart("Listed", {{"Easy", 1}}));
  WriteFile(dropped, Chart("Dropped", {{"Edit", 10}}));
  char identity[33];
  ASSERT_EQ(chart::SongIdentity(dropped.c_str(), identity), 0);
  library::PlayOutcome failed{4, 1000, 1, 1, 0, 5, 0, 10.0, 80};
  ASSERT_EQ(library::UpdateSongRecordAfterPlay(identity, failed), 0);
  Enter();
  for (std::string path : {root_ + "/folder.tja", root_ + "/LOUD.TJA", root_ + "/missing.tja"}) {
    Drop(path);
    EXPECT_EQ(Select.phase, songselect::kPhaseBrowse) << path;
  }
  EXPECT_EQ(platform::MessageBoxCount(), 3);
  Drop(dropped);
  ASSERT_EQ(Select.phase, songselect::kPhaseCourseSelect);
  EXPECT_STREQ(Select.droppedTitle, "Dropped");
  EXPECT_EQ(Select.droppedClearStatus[4], library::kClearFailed) << "its own record, not the list's";
  Frame();
  EXPECT_EQ(Select.courseCursor, 4);
  Drop(dropped);
  Press(shell::kVkEscape);
  SettleInBrowse();
  Frame();
  EXPECT_EQ(Select.phase, songselect::kPhaseBrowse);
}

// --- back from a play -----------------------------------------------------------------------

// Back from a result the list is not scanned again (a new chart does not show up), the cursor
// stays, and the played song shows its new mark.
TEST_F(SongSelect, AfterAResultThePlayedSongShowsItsNewMarkWithoutARescan) {
  WriteFile(Songs() / "a.tja", Chart("A", {{"Oni", 5}}));
  WriteFile(Songs() / "b.tja", Chart("B", {{"Oni", 5}}));
  Enter();
  BrowseTo("B");
  const int at = Cursor(), count = library::SongList.itemCount;
  char identity[33];
  ASSERT_EQ(chart::SongIdentity((Songs() / "b.tja").c_str(), identity), 0);
  library::PlayOutcome play{3, 456780, 10, 10, 0, 0, 0, 100.0, 80};
  ASSERT_EQ(library::UpdateSongRecordAfterPlay(identity, play), 0);
  WriteFile(Songs() / "c.tja", Chart("C", {{"Oni", 5}}));
  shell::SceneId.store(shell::kSceneSongSelect);
  Enter(shell::kSceneResult);
  EXPECT_EQ(std::make_tuple(library::SongList.itemCount, Cursor(), library::SongList.items[at].clearStatus[3]),
            std::make_tuple(count, at, int(library::kClearFullCombo)));
}

// --- drawing --------------------------------------------------------------------------------

class SongSelectDrawing : public SongSelectOn<gfxtest::GraphicsTest> {
 protected:
  void SetUp() override {
    SongSelectOn::SetUp();
    theme::ResetAssetHandles();
    theme::select_assets::TitleFont = graphics::CreateGameFont("メイリオ", 24);
    theme::select_assets::FixedFont = graphics::CreateGameFont("メイリオ", 20);
  }
  void Draw() {
    Clear(0xFFFFFFFF);
    songselect::DrawSongSelect(now_);
  }
};

TEST_F(SongSelectDrawing, NinePlacesRepeatAShortListRoundTheCursor) {
  Genre(Songs() / "Red", "Red", "#C00000");
  Genre(Songs() / "Blue", "Blue", "#0000C0");
  Enter();
  ASSERT_EQ(library::SongList.itemCount, 3);
  Frames(200);
  Draw();
  int cursor = Cursor();
  for (int place = 1; place < 8; ++place) {  // places 0 and 8 lie just off the screen
    int item = ((cursor - 4 + place) % 3 + 3) % 3;
    int x = int(319.5 + (place - 4) * 90) + 20;  // beside the title, inside the bevel
    EXPECT_EQ(Pixel(x, 360), library::SongList.items[item].colour | 0xFF000000u) << "place " << place;
  }
}

TEST_F(SongSelectDrawing, HostileTitlesAndAFullListDrawInEveryPhase) {
  // A 256-byte title of lead bytes with no trail: valid in neither encoding.
  WriteFile(Songs() / "long.tja",
            std::string("TITLE:").append(256, '\x82').append("\nCOURSE:Oni\nLEVEL:12\n#START\n1,\n#END\n"));
  WriteFile(Songs() / "bad.tja", std::string("TITLE:\xff\xfe\xc3\x28\xe0\x80%s%n\n#START\n1,\n#END\n"));
  WriteFile(Songs() / "sjis.tja", std::string("TITLE:\x91\xbe\x8c\xdb\n#START\n1,\n#END\n"));
  // 996 more in a folded folder: with the back item the list is full at 1000.
  for (int i = 0; i < 996; ++i) WriteFile(Songs() / "many" / (std::to_string(i) + ".tja"), "");
  Enter();
  ASSERT_EQ(library::SongList.itemCount, 1000);
  for (const char* name : {"long.tja", "bad.tja", "sjis.tja"}) {
    int at = -1;
    for (int i = 0; i < library::SongList.itemCount; ++i)
      if (fs::path(library::SongList.items[i].path).filename() == name) at = i;
    ASSERT_GE(at, 0) << name;
    songselect::CursorAt(0) = at;
    Press(shell::kVkD);
    Press(shell::kVkK);
    Frames(800);  // the bar opens, the panel and the best scores show
    Draw();
  }
  Press(shell::kVkF);  // the course select of the last one, through its opening
  for (int i = 0; i < 10; ++i) {
    Frames(100);
    Draw();
  }
  Press(shell::kVkJ);
  Frames(600);
  Draw();
  EXPECT_GE(Select.phase, songselect::kPhaseBrowse);
}

// ---- the preview ----------------------------------------------------------------------------
// The song preview's rules on the virtual clock: when it starts, what silences it, the hand-over
// from the first piece to the whole song, quiet failure, and quick browsing. The decode worker
// is a real thread; the scene's clock stands still while the test waits for it.

using songselect::PreviewNow;
using songselect::UpdatePreview;

class PreviewThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    platform::TimeUseVirtualClock(10000.0, false);
    platform::MixerReset();
    shell::SceneId.store(shell::kSceneSongSelect);
    // Three seconds of a steady level; DEMOSTART: puts the preview one second in.
    std::vector<int16_t> s(44100 * 3 * 2, 3000);
    Write("song.wav", soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
    Write("tone.ogg", soundtest::EncodeOgg(soundtest::Tone(44100 * 12, 2, 44100), 2, 44100));
    Write("broken.ogg", soundtest::Bytes{'O', 'g', 'g', 'S', 0, 0, 0, 0});
  }
  void TearDown() override {
    songselect::ResetPreview();
    platform::MixerReset();
    platform::TimeUseRealClock();
    shell::SceneId.store(shell::kSceneBoot);
  }
  void Write(const std::string& name, const soundtest::Bytes& b) {
    testsupport::WriteFile(dir_ + "/" + name, std::string(b.begin(), b.end()));
  }
  // A chart whose song is `wave` ("" for no WAVE: line).
  std::string Chart(const std::string& name, const std::string& wave, const char* demoStart = "1") {
    const std::string path = dir_ + "/" + name + ".tja";
    testsupport::WriteFile(path, "TITLE:" + name + "\n" + (wave.empty() ? "" : "WAVE:" + wave + "\n") + "DEMOSTART:" +
                                     demoStart + "\nCOURSE:Oni\nLEVEL:5\n#START\n1,\n#END\n");
    return path;
  }
  // One frame at virtual time t.
  void Frame(double t, const std::string& chart, double openAt) {
    platform::TimeSetVirtualMs(t);
    UpdatePreview(t, chart.empty() ? nullptr : chart.c_str(), openAt);
  }
  // Frames at a standing clock until the preview plays (or 5 s of real time).
  bool WaitPlaying(double t, const std::string& chart, double openAt) {
    for (int i = 0; i < 5000; ++i) {
      Frame(t, chart, openAt);
      if (PreviewNow().playing) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  void Idle(double t, const std::string& chart, double openAt, int ms) {
    for (int i = 0; i < ms; ++i) {
      Frame(t, chart, openAt);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  testsupport::TempFolder folder_{"preview"};
  const std::string dir_ = folder_.Path();
};

TEST_F(PreviewThread, StartsWhenTheBarHasOpenedFromTheDemoStart) {
  std::string a = Chart("a", "song.wav");
  Idle(10600.0, a, 10700.0, 300);  // decoded by now, but the bar is still opening
  EXPECT_FALSE(PreviewNow().playing);
  ASSERT_TRUE(WaitPlaying(10700.0, a, 10700.0));
  int buffer = PreviewNow().buffer;
  EXPECT_EQ(platform::MixerBufferFrames(buffer), 44100 * 2);  // from DEMOSTART:1 to the end
  Frame(10800.0, a, 10700.0);
  EXPECT_EQ(platform::MixerGetPosition(buffer), 4410) << "from its start, on the clock";
}

class PreviewThreadSilenced : public PreviewThread, public ::testing::WithParamInterface<bool> {};

// A move to another song, or leaving the browse phase (no chart): the preview is replaced by a
// fading tail at once, and that is over within 150 ms.
TEST_P(PreviewThreadSilenced, FadesOutWithin150Ms) {
  std::string a = Chart("a", "song.wav"), b = Chart("b", "song.wav");
  ASSERT_TRUE(WaitPlaying(10700.0, a, 10700.0));
  std::string next = GetParam() ? b : "";
  for (auto [t, tails] : {std::pair{11000.0, 1}, {11149.0, 1}, {11151.0, 0}}) {
    Frame(t, next, 11700.0);
    EXPECT_EQ(std::make_pair(PreviewNow().playing, PreviewNow().fadingTails), std::make_pair(false, tails)) << t;
  }
}
INSTANTIATE_TEST_SUITE_P(MoveOrLeave, PreviewThreadSilenced, ::testing::Bool());

TEST_F(PreviewThread, LongSongKeepsItsPlaceFromFirstPieceToWhole) {
  std::string t = Chart("t", "tone.ogg", "0");
  ASSERT_TRUE(WaitPlaying(10700.0, t, 10700.0));
  Frame(13700.0, t, 10700.0);  // three seconds on
  for (int i = 0; i < 5000 && !PreviewNow().whole; ++i) {
    Frame(13700.0, t, 10700.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(PreviewNow().whole);
  EXPECT_TRUE(PreviewNow().playing);
  EXPECT_EQ(platform::MixerGetPosition(PreviewNow().buffer), 44100 * 3);
}

class PreviewThreadFailure : public PreviewThread, public ::testing::WithParamInterface<const char*> {};

TEST_P(PreviewThreadFailure, StaysSilent) {
  std::string c = Chart("c", GetParam());
  Idle(10700.0, c, 10700.0, 300);
  EXPECT_FALSE(PreviewNow().playing);
  EXPECT_EQ(PreviewNow().fadingTails, 0);
}
INSTANTIATE_TEST_SUITE_P(MissingOrBroken, PreviewThreadFailure, ::testing::Values("", "missing.ogg", "broken.ogg"));

// Fifty songs, one move every 60 ms: nothing plays before the player rests, never two at once,
// and the song rested on plays.
TEST_F(PreviewThread, QuickBrowsingPlaysOnlyTheSongRestedOn) {
  std::vector<std::string> charts;
  for (int i = 0; i < 50; ++i) {
    charts.push_back(Chart(std::to_string(i), i % 2 ? "song.wav" : "tone.ogg"));
  }
  double t = 10000.0;
  for (const std::string& c : charts) {
    double slide = t;
    for (; t < slide + 60.0; t += 8.0) {
      Frame(t, c, slide + 700.0);
      EXPECT_FALSE(PreviewNow().playing);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  double slide = t - 60.0;
  ASSERT_TRUE(WaitPlaying(slide + 700.0, charts.back(), slide + 700.0));
  EXPECT_STREQ(PreviewNow().chart, charts.back().c_str());
}

}  // namespace
