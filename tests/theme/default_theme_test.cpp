// The three jobs on the default theme of the build tree: every file of the layout is there.
#include <gtest/gtest.h>
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

class DefaultThemeLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The build tree: from the environment, else the folder above this program's own.
    const char* build = std::getenv("KODOBAN_BUILD_DIR");
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string root = build ? std::string(build) : ec ? "" : self.parent_path().parent_path().string();
    std::string theme = root.empty() ? "" : root + "/Files/Theme/Default";
    if (theme.empty() || !std::filesystem::is_directory(theme + "/Play/Bg"))
      GTEST_SKIP() << "no default theme pictures in the build tree";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    oldCwd_ = cwd;
    dir_ = testsupport::MakeTempFolder("theme-default");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    // The jobs write dispconf.ini back: they get a theme folder of their own whose picture and
    // sound folders are links to the build's default theme, so that tests running side by side
    // never write the same file.
    std::string overlay = dir_ + "/Default";
    std::filesystem::create_directories(overlay);
    for (const auto& entry : std::filesystem::directory_iterator(theme)) {
      std::filesystem::path to = overlay / entry.path().filename();
      if (entry.path().filename() == "dispconf.ini")
        std::filesystem::copy_file(entry.path(), to);
      else
        std::filesystem::create_symlink(entry.path(), to);
    }
    std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", overlay.c_str());
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    sound::SoundReset();
    theme::ResetResourceLoader();
    shell::ResetShellState();
  }
  void TearDown() override {
    if (dir_.empty()) return;
    theme::ResetResourceLoader();
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    sound::SoundReset();
    shell::ResetConfiguration();
    EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
    testsupport::RemoveTempFolder(dir_);
  }
  void RunJob(int kind) {
    shell::LoadKind.store(kind);
    shell::ScenePhase.store(2);
    theme::StartResourceLoader();
    while (shell::ScenePhase.load(std::memory_order_acquire) != 9) platform::TimeSleepMs(1);
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
  std::string oldCwd_, dir_;
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
    EXPECT_LOADED(PauseDon, PauseKat, PauseCancel, TitleBg, JudgePoint, SfieldBg, SfieldRed);
    EXPECT_LOADED(SfieldBlue, SfieldYellow, SfieldHit, SfieldGogo, SfieldCourseNormal);
    EXPECT_LOADED(SfieldCourseNormalM, SfieldCourseExpert, SfieldCourseExpertM, SfieldCourseMaster);
    EXPECT_LOADED(SfieldCourseMasterM, Fire, Line, LineBranch, Don, Kat, Roll, DonM, KatM, RollM);
    EXPECT_LOADED(GekiM, Geki, SoulEffect, Soul, Splash, TaikoP1, TaikoRed, TaikoBlue, ComboBright);
    EXPECT_LOADED(Flower, FlowerM, RollNumber, ComboNumber, ComboLNumber, ComboBalloonNumber);
    EXPECT_LOADED(ScoreNumber, BurstNumber, BurstBalloon, RollBalloon, ComboBalloonP1);
    EXPECT_LOADED(LevelupBalloon, LeveldownBalloon, CharaP1, CharaP1Gogo, CharaP1Miss);
    EXPECT_LOADED(CharaP1Balloon, Balloon, JudgeGreat, JudgeGood, JudgeBad, EffectNote);
    EXPECT_LOADED(EffectHitRainbow, EffectHitRed, EffectHitBlue, Effect, LoadBgEnd, Drapery);
    EXPECT_LOADED(DraperyFlower, PauseBg, PausePanel, PausePanelM, PauseChara, PauseCursor, Symbol);
    EXPECT_LOADED(SoulGauge, TitleFont);
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
