// The resource loader: the LoadJob hand-shake and the three jobs on small fixture themes and
// on the default theme of the build tree.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "library/save_data.h"
#include "platform/time.h"
#include "shell/config.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"
#include "theme/stage.h"
#include "theme_fixture.h"

namespace {

using theme_test::WriteFile;
using theme_test::WriteWav;

class ResourceLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    oldCwd_ = cwd;
    dir_ = testsupport::MakeTempFolder("theme-loader");
    ASSERT_EQ(chdir(dir_.c_str()), 0);  // save.dat goes to ./Files/Save of this folder
    theme_ = dir_ + "/Files/Theme/Fixture";
    std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", theme_.c_str());
    ResetTables();
    shell::ResetShellState();
    library::ResetGlobalData();
  }
  void TearDown() override {
    ResetTables();
    shell::ResetConfiguration();
    EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
    testsupport::RemoveTempFolder(dir_);
  }
  static void ResetTables() {
    theme::ResetResourceLoader();
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    sound::SoundReset();
  }
  void Png(const std::string& rel) { theme_test::WriteSolidPng(theme_ + "/" + rel, 8, 8, 0xFF808080u); }
  void Wav(const std::string& rel) { WriteWav(theme_ + "/" + rel); }
  // Runs one job through the thread and waits for its last step.
  void RunJob(int kind) {
    shell::LoadKind.store(kind);
    shell::ScenePhase.store(2);
    theme::StartResourceLoader();
    WaitForLoader();
  }
  void WaitForLoader() {
    while (shell::ScenePhase.load(std::memory_order_acquire) != 9) platform::TimeSleepMs(1);
  }
  std::string oldCwd_, dir_, theme_;
};

TEST_F(ResourceLoaderTest, HandshakeHoldsResourcesReadyClearWhileTheJobRuns) {
  // The background is a pipe: the job skips it like a missing file instead of waiting on it.
  Png("SongSelect/Bg/message_songselect.png");
  std::string fifo = theme_ + "/SongSelect/Bg/bg.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  shell::LoadKind.store(shell::kSceneSongSelect);
  shell::ScenePhase.store(2);
  theme::StartResourceLoader();
  EXPECT_EQ(shell::ResourcesReady.load(), 0);
  // Drawing is allowed again before the scene may go on: whoever sees phase 9 sees ready.
  WaitForLoader();
  EXPECT_EQ(shell::ResourcesReady.load(std::memory_order_acquire), 1);
  EXPECT_EQ(theme::select_assets::Bg, -1);
}

TEST_F(ResourceLoaderTest, PlayJobLoadsTheSongOfTheChart) {
  WriteFile(dir_ + "/songs/a/song.tja", "TITLE:x\r\nWAVE:song.wav\r\n#START\r\n");
  WriteWav(dir_ + "/songs/a/song.wav", 4410);
  std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s", (dir_ + "/songs/a/song.tja").c_str());
  RunJob(shell::kScenePlay);
  ASSERT_NE(theme::play_assets::Song, -1);
  EXPECT_EQ(sound::CurrentSong(), theme::play_assets::Song);
  EXPECT_NEAR(sound::GetSongPositionMs(), 0.0, 1e-9);
}

TEST_F(ResourceLoaderTest, OtherKindsOnlyCompleteTheHandshake) {
  Png("SongSelect/Bg/bg.png");
  RunJob(1);
  EXPECT_EQ(shell::ResourcesReady.load(), 1);
  EXPECT_EQ(theme::select_assets::Bg, -1);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/Files/Save/save.dat"));
}

// '+' for each loaded handle, '-' for each -1.
std::string Loaded(std::initializer_list<int> handles) {
  std::string marks;
  for (int h : handles) marks += h == -1 ? '-' : '+';
  return marks;
}

TEST_F(ResourceLoaderTest, SongSelectJobSavesLoadsAndCompletesTheLayout) {
  for (const char* png : {"SongSelect/Bg/bg.png", "SongSelect/Chara/chara_p2_6.png", "SongSelect/Number/score_10.png",
                          "SongSelect/Status/oni_fullcombo.png", "Result/Load/save.png"})
    Png(png);
  Wav("SongSelect/Sound/don.wav");
  WriteFile(theme_ + "/dispconf.ini", "");
  RunJob(shell::kSceneSongSelect);
  namespace a = theme::select_assets;
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/Files/Save/save.dat"));
  // Numbered pictures count from 1; the Oni status is the fourth course's.
  EXPECT_EQ(Loaded({a::Bg, a::MessageSongSelect, a::CharaP2[5], a::CharaP2[4], a::ScoreNumber[10], a::StatusFullcombo[3],
                    a::LoadSave, a::KatSound[0]}),
            "+-+-+++-");
  // The menu sound is loaded as copies of its own.
  for (int i = 0; i < a::kMenuSoundCopies; ++i) EXPECT_TRUE(a::DonSound[i] != -1 && (i == 0 || a::DonSound[i] != a::DonSound[0]));
  EXPECT_EQ(theme::SongSelectLayout.load_bg_color, 0xFFFA4928u);
  std::string conf = theme_test::ReadFile(theme_ + "/dispconf.ini");
  EXPECT_NE(conf.find("edit_score_num_y=380"), std::string::npos);
  EXPECT_EQ(conf.find("stage_y"), std::string::npos);  // only its own section
}

TEST_F(ResourceLoaderTest, PlayJobLoadsSoundsStageAndCourseImages) {
  for (const char* wav : {"don", "kat", "combo_voice_50_p1", "combo_voice_100_p1", "combo_voice_9900_p1", "pause_kat"})
    Wav(std::string("Play/Sound/") + wav + ".wav");
  for (const char* png : {"Notes/geki_m", "Splash/splash_50", "Bg/upper/bg_1_p1", "Bg/upper/bg_gogo_p1", "Bg/stage/stage_1",
                          "Bg/fiver/fiver_1_1", "Bg/fiver/fiver_1_2", "Bg/dancer_1/layer", "Dancer/1/dance_2_100",
                          "Dancer/1/shakushi_3", "Chibi/Soul/chibi_1_1", "Bg/symbol/oni_2"})
    Png(std::string("Play/") + png + ".png");
  WriteFile(theme_ + "/Play/Bg/dancer_1/dancer_bg.ini", "#BG_NAME(layer.png)\n#POINT(1,2)\n");
  WriteFile(theme_ + "/Play/Dancer/1/dancer.ini", "dance_sort=2\ndance_order=1,2\n");
  // No chibi.ini in the numbered set: the soul set stays empty as well.
  WriteFile(theme_ + "/Play/Chibi/Soul/chibi.ini", "chibi_x=5\n");
  for (int i = 1; i <= 6; ++i) Png("Play/Soul/soulgauge_hard_p1_" + std::to_string(i) + ".png");
  theme::LoadCourse = 3;
  RunJob(shell::kScenePlay);

  namespace a = theme::play_assets;
  // No chart chosen: no song. Combo voices every 50 combos (100 files); the course symbol.
  EXPECT_EQ(Loaded({a::Song, a::ComboVoice[0], a::ComboVoice[1], a::ComboVoice[2], a::ComboVoice[99], a::GekiM,
                    a::Splash[49], a::Symbol[1], a::Symbol[0], a::TitleFont}),
            "-++-++++-+");
  for (int i = 0; i < a::kDrumSoundCopies; ++i) EXPECT_EQ(Loaded({a::DonSound[i], a::KatSound[i], a::GekiSound[i]}), "++-") << i;
  EXPECT_EQ(a::KatSound[0], a::DonSound[0] + 1);  // loaded as rounds of don, kat, geki
  for (int h : a::PauseKat) EXPECT_NE(h, -1);
  EXPECT_EQ(a::SoulGaugeFrames, 2);  // Oni uses the hard gauge set: 6 images, minus 4
  // The stage.
  EXPECT_EQ(Loaded({theme::UpperBgNormal, theme::UpperBgGogo, theme::UpperBgMiss, theme::StageImage,
                    theme::BgNormalList.layers[0].image, theme::Dancers.dance_images[1][99], theme::Dancers.prop_images[2],
                    theme::Chibi[1].images[0][0]}),
            "++-++++-");
  EXPECT_EQ(std::vector<int>({theme::FiverFrameCount, theme::BgNormalList.count, theme::Dancers.sort_count,
                              theme::Chibi[1].chibi_x, theme::PlayLayout.stage_y}),
            std::vector<int>({2, 1, 2, 0, 456}));
  for (int s : theme::Dancers.slot_sort) EXPECT_TRUE(s == 0 || s == 1);
  EXPECT_TRUE(theme::Dancers.has_prop);
}

TEST_F(ResourceLoaderTest, DancerSlotsTakeTheirSortsInTurnWithoutTheRandomPattern) {
  WriteFile(theme_ + "/Play/Dancer/1/dancer.ini", "dance_sort=2\ndance_pattern=0\n");
  RunJob(shell::kScenePlay);
  EXPECT_EQ(std::vector<int>(theme::Dancers.slot_sort, theme::Dancers.slot_sort + theme::kDancerSlots),
            std::vector<int>({0, 1, 0, 1, 0}));
  EXPECT_FALSE(theme::Dancers.has_prop);
}

TEST_F(ResourceLoaderTest, ResultKeepsPlayImagesAndSongSelectReleasesThem) {
  for (const char* png : {"Play/Notes/don_1.png", "Result/Symbol/edit.png", "Result/Soul/soulgauge_hard.png", "SongSelect/Bg/bg.png"})
    Png(png);
  Wav("Result/Sound/count.wav");
  RunJob(shell::kScenePlay);
  int don = theme::play_assets::Don[0];
  ASSERT_NE(don, -1);
  theme::LoadCourse = 4;
  RunJob(shell::kSceneResult);
  namespace r = theme::result_assets;
  EXPECT_TRUE(graphics::IsValidTexture(don));
  EXPECT_EQ(Loaded({r::SymbolP1, r::SoulGauge, r::TitleFont, r::SubTitleFont}), "++++");
  EXPECT_EQ(r::SymbolP2, r::SymbolP1);
  for (int h : r::CountSound) EXPECT_NE(h, -1);
  EXPECT_EQ(theme::ResultLayout.title_size, 30);
  int count = r::CountSound[0];
  RunJob(shell::kSceneSongSelect);
  EXPECT_FALSE(graphics::IsValidTexture(don));
  EXPECT_EQ(sound::IsSoundPlaying(count), -1);
  EXPECT_EQ(Loaded({theme::play_assets::Don[0], r::SymbolP1, theme::select_assets::Bg}), "--+");
}

TEST_F(ResourceLoaderTest, ThemeFolderThatDoesNotExist) {
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", (dir_ + "/Files/Theme/None").c_str());
  for (int kind : {shell::kSceneSongSelect, shell::kScenePlay, shell::kSceneResult}) RunJob(kind);
  EXPECT_EQ(Loaded({theme::select_assets::Bg, theme::play_assets::DonSound[0], theme::result_assets::Clear, theme::StageImage}), "----");
  EXPECT_EQ(std::pair(theme::play_assets::SoulGaugeFrames, theme::BgNormalList.count), std::pair(-4, 0));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/Files/Theme/None"));
}

// The jobs on the default theme of the build tree: every file of the layout is there. The jobs
// write dispconf.ini back: the theme is this test's own folder, whose picture and sound folders
// are links to the build's, so that tests running side by side never write the same file.
class DefaultThemeLoaderTest : public ResourceLoaderTest {
 protected:
  void SetUp() override {
    ResourceLoaderTest::SetUp();
    const char* build = std::getenv("KODOBAN_BUILD_DIR");
    const std::filesystem::path theme = std::string(build ? build : "..") + "/Files/Theme/Default";
    if (!std::filesystem::is_directory(theme / "Play/Bg")) GTEST_SKIP() << "no default theme in the build tree";
    std::filesystem::create_directories(theme_);
    for (const auto& entry : std::filesystem::directory_iterator(theme)) {
      std::filesystem::path to = theme_ / entry.path().filename();
      if (entry.path().filename() == "dispconf.ini")
        std::filesystem::copy_file(entry.path(), to);
      else
        std::filesystem::create_symlink(entry.path(), to);
    }
  }
  // Every int of each handle (or array of handles) is a loaded handle, not -1.
  template <typename... T>
  void Expect(const char* names, const T&... handles) {
    int k = 0;
    auto one = [&](const auto& handle) {
      const int* h = reinterpret_cast<const int*>(&handle);
      for (size_t i = 0; i < sizeof handle / sizeof(int); ++i)
        if (h[i] == -1) missing_.push_back(std::string(names) + " #" + std::to_string(k) + "[" + std::to_string(i) + "]");
      ++k;
    };
    (one(handles), ...);
  }
  std::vector<std::string> missing_;
};

#define EXPECT_LOADED(...) Expect(#__VA_ARGS__, __VA_ARGS__)

TEST_F(DefaultThemeLoaderTest, SongSelectJobFindsEveryFile) {
  RunJob(shell::kSceneSongSelect);
  using namespace theme::select_assets;
  EXPECT_LOADED(DonSound, KatSound, CancelSound, Bg, MessageSongSelect, AutoIcon, SpeedIcon);
  EXPECT_LOADED(LevelSymbol, LevelPanel, Level, LevelStatusNew, LevelStatusFailed);
  EXPECT_LOADED(LevelStatusClear, LevelStatusFullcombo, LoadBgEnd, LoadBgStart, LoadSave);
  EXPECT_LOADED(CourseStatusNew, CourseStatusFailed, CourseStatusClear, CourseStatusFullcombo);
  EXPECT_LOADED(CourseSymbol, MenuChange, MenuOption, MenuRecord, MenuBack, Cursor, CoursePanel);
  EXPECT_LOADED(MenuPanel, CharaP1, CharaP2, ScoreBoard, ScoreNumber, StatusNew, StatusFailed);
  EXPECT_LOADED(StatusClear, StatusFullcombo, FixedFont, TitleFont);
  EXPECT_EQ(missing_, std::vector<std::string>());
}

TEST_F(DefaultThemeLoaderTest, PlayJobFindsEveryFileOfEachCourse) {
  for (int course = 0; course < theme::kCourseCount; ++course) {
    theme::LoadCourse = course;
    RunJob(shell::kSceneSongSelect);  // releases the previous play's assets
    RunJob(shell::kScenePlay);
    using namespace theme::play_assets;
    EXPECT_LOADED(DonSound, KatSound, GekiSound, ComboVoice, FullcomboVoiceP1, FullcomboVoiceP2);
    EXPECT_LOADED(PauseDon, PauseKat, PauseCancel, Symbol, SoulGauge, TitleFont);
    for (const theme::PictureSet& set : theme::PlayPictures())
      for (int k = 0; k < set.count; ++k)
        if (set.handles[k] == -1) missing_.push_back(std::string(set.rel) + " #" + std::to_string(k));
    EXPECT_EQ(SoulGaugeFrames, 20);
    // The stage: one set of each kind, with its script, dancers and both chibi sets.
    using namespace theme;
    EXPECT_LOADED(UpperBgNormal, UpperBgMiss, UpperBgClear, UpperBgGogo, StageImage);
    EXPECT_LOADED(Chibi[0].images[0][0], Chibi[1].images[0][0]);
    EXPECT_GT(FiverFrameCount, 0);
    EXPECT_GT(BgNormalList.count, 0);
    for (int i = 0; i < BgNormalList.count; ++i) EXPECT_LOADED(BgNormalList.layers[i].image);
    for (int i = 0; i < BgClearList.count; ++i) EXPECT_LOADED(BgClearList.layers[i].image);
    ASSERT_GE(DanceFrame(Dancers, 0), 0);
    for (int d = 0; d < kDancerSlots; ++d) EXPECT_LOADED(Dancers.dance_images[Dancers.slot_sort[d]][DanceFrame(Dancers, 0)]);
    EXPECT_EQ(missing_, std::vector<std::string>()) << "course " << course;
    missing_.clear();
  }
}

TEST_F(DefaultThemeLoaderTest, ResultJobFindsEveryFile) {
  theme::LoadCourse = 2;
  RunJob(shell::kSceneResult);
  using namespace theme::result_assets;
  EXPECT_LOADED(AnnouncementVoiceP1, AnnouncementVoiceP2, ClearBgmStart, ClearBgmLoop);
  EXPECT_LOADED(FailedBgmStart, FailedBgmLoop, CountSound, DonSound, NormaClearP1, NormaFailedP1);
  EXPECT_LOADED(FullcomboP1, Clear, Failed, Turn, BoardP1, BoardP2, LoadBgStart, LoadBgEnd);
  EXPECT_LOADED(LoadSave, ScoreNumber, ScoreSNumber, Soul, SoulEffectP1, SoulEffectP2, FireP1);
  EXPECT_LOADED(CharaP1, CharaP1Failed, ClearBright, Toss, MessageClear, MessageFailed);
  EXPECT_LOADED(MessageFullcombo, SymbolP1, SymbolP2, Course, SoulGauge, SoulGaugeP1, TitleFont);
  EXPECT_LOADED(SubTitleFont);
  EXPECT_EQ(missing_, std::vector<std::string>());
}

}  // namespace
