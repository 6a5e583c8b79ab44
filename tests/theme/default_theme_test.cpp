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
  template <typename T>
  void Expect(const char* name, const T& handles) {
    const int* h = reinterpret_cast<const int*>(&handles);
    for (size_t i = 0; i < sizeof handles / sizeof(int); ++i)
      if (h[i] == -1) missing_.push_back(std::string(name) + "[" + std::to_string(i) + "]");
  }
  std::string Missing() {
    std::string s;
    for (const std::string& m : missing_) s += m + " ";
    return s;
  }
  std::string oldCwd_, dir_;
  std::vector<std::string> missing_;
};

#define EXPECT_LOADED(x) Expect(#x, x)

TEST_F(DefaultThemeLoaderTest, SongSelectJobFindsEveryFile) {
  RunJob(shell::kSceneSongSelect);
  using namespace theme::select_assets;
  EXPECT_LOADED(DonSound), EXPECT_LOADED(KatSound), EXPECT_LOADED(CancelSound);
  EXPECT_LOADED(Bg), EXPECT_LOADED(MessageSongSelect), EXPECT_LOADED(AutoIcon);
  EXPECT_LOADED(SpeedIcon), EXPECT_LOADED(LevelSymbol), EXPECT_LOADED(LevelPanel);
  EXPECT_LOADED(Level), EXPECT_LOADED(LevelStatusNew), EXPECT_LOADED(LevelStatusFailed);
  EXPECT_LOADED(LevelStatusClear), EXPECT_LOADED(LevelStatusFullcombo);
  EXPECT_LOADED(LoadBgEnd), EXPECT_LOADED(LoadBgStart), EXPECT_LOADED(LoadSave);
  EXPECT_LOADED(CourseStatusNew), EXPECT_LOADED(CourseStatusFailed);
  EXPECT_LOADED(CourseStatusClear), EXPECT_LOADED(CourseStatusFullcombo);
  EXPECT_LOADED(CourseSymbol), EXPECT_LOADED(MenuChange), EXPECT_LOADED(MenuOption);
  EXPECT_LOADED(MenuRecord), EXPECT_LOADED(MenuBack), EXPECT_LOADED(Cursor);
  EXPECT_LOADED(CoursePanel), EXPECT_LOADED(MenuPanel), EXPECT_LOADED(CharaP1);
  EXPECT_LOADED(CharaP2), EXPECT_LOADED(ScoreBoard), EXPECT_LOADED(ScoreNumber);
  EXPECT_LOADED(StatusNew), EXPECT_LOADED(StatusFailed), EXPECT_LOADED(StatusClear);
  EXPECT_LOADED(StatusFullcombo), EXPECT_LOADED(FixedFont), EXPECT_LOADED(TitleFont);
  EXPECT_TRUE(missing_.empty()) << Missing();
}

TEST_F(DefaultThemeLoaderTest, PlayJobFindsEveryFileOfEachCourse) {
  for (int course = 0; course < theme::kCourseCount; ++course) {
    theme::LoadCourse = course;
    RunJob(shell::kSceneSongSelect);  // releases the previous play's assets
    RunJob(shell::kScenePlay);
    using namespace theme::play_assets;
    EXPECT_LOADED(DonSound), EXPECT_LOADED(KatSound), EXPECT_LOADED(GekiSound);
    EXPECT_LOADED(ComboVoice), EXPECT_LOADED(FullcomboVoiceP1), EXPECT_LOADED(FullcomboVoiceP2);
    EXPECT_LOADED(PauseDon), EXPECT_LOADED(PauseKat), EXPECT_LOADED(PauseCancel);
    EXPECT_LOADED(TitleBg), EXPECT_LOADED(JudgePoint), EXPECT_LOADED(SfieldBg);
    EXPECT_LOADED(SfieldRed), EXPECT_LOADED(SfieldBlue), EXPECT_LOADED(SfieldYellow);
    EXPECT_LOADED(SfieldHit), EXPECT_LOADED(SfieldGogo), EXPECT_LOADED(SfieldCourseNormal);
    EXPECT_LOADED(SfieldCourseNormalM), EXPECT_LOADED(SfieldCourseExpert);
    EXPECT_LOADED(SfieldCourseExpertM), EXPECT_LOADED(SfieldCourseMaster);
    EXPECT_LOADED(SfieldCourseMasterM), EXPECT_LOADED(Fire), EXPECT_LOADED(Line);
    EXPECT_LOADED(LineBranch), EXPECT_LOADED(Don), EXPECT_LOADED(Kat), EXPECT_LOADED(Roll);
    EXPECT_LOADED(DonM), EXPECT_LOADED(KatM), EXPECT_LOADED(RollM), EXPECT_LOADED(GekiM);
    EXPECT_LOADED(Geki), EXPECT_LOADED(SoulEffect), EXPECT_LOADED(Soul), EXPECT_LOADED(Splash);
    EXPECT_LOADED(TaikoP1), EXPECT_LOADED(TaikoRed), EXPECT_LOADED(TaikoBlue);
    EXPECT_LOADED(ComboBright), EXPECT_LOADED(Flower), EXPECT_LOADED(FlowerM);
    EXPECT_LOADED(RollNumber), EXPECT_LOADED(ComboNumber), EXPECT_LOADED(ComboLNumber);
    EXPECT_LOADED(ComboBalloonNumber), EXPECT_LOADED(ScoreNumber), EXPECT_LOADED(BurstNumber);
    EXPECT_LOADED(BurstBalloon), EXPECT_LOADED(RollBalloon), EXPECT_LOADED(ComboBalloonP1);
    EXPECT_LOADED(LevelupBalloon), EXPECT_LOADED(LeveldownBalloon), EXPECT_LOADED(CharaP1);
    EXPECT_LOADED(CharaP1Gogo), EXPECT_LOADED(CharaP1Miss), EXPECT_LOADED(CharaP1Balloon);
    EXPECT_LOADED(Balloon), EXPECT_LOADED(JudgeGreat), EXPECT_LOADED(JudgeGood);
    EXPECT_LOADED(JudgeBad), EXPECT_LOADED(EffectNote), EXPECT_LOADED(EffectHitRainbow);
    EXPECT_LOADED(EffectHitRed), EXPECT_LOADED(EffectHitBlue), EXPECT_LOADED(Effect);
    EXPECT_LOADED(LoadBgEnd), EXPECT_LOADED(Drapery), EXPECT_LOADED(DraperyFlower);
    EXPECT_LOADED(PauseBg), EXPECT_LOADED(PausePanel), EXPECT_LOADED(PausePanelM);
    EXPECT_LOADED(PauseChara), EXPECT_LOADED(PauseCursor), EXPECT_LOADED(Symbol);
    EXPECT_LOADED(SoulGauge), EXPECT_LOADED(TitleFont);
    EXPECT_EQ(SoulGaugeFrames, 20);
    // The stage: one set of each kind, with its script, dancers and both chibi sets.
    EXPECT_LOADED(theme::UpperBgNormal), EXPECT_LOADED(theme::UpperBgMiss);
    EXPECT_LOADED(theme::UpperBgClear), EXPECT_LOADED(theme::UpperBgGogo);
    EXPECT_LOADED(theme::StageImage);
    EXPECT_GT(theme::FiverFrameCount, 0);
    EXPECT_GT(theme::BgNormalList.count, 0);
    for (int i = 0; i < theme::BgNormalList.count; ++i)
      EXPECT_LOADED(theme::BgNormalList.layers[i].image);
    for (int i = 0; i < theme::BgClearList.count; ++i)
      EXPECT_LOADED(theme::BgClearList.layers[i].image);
    for (int d = 0; d < theme::kDancerSlots; ++d) {
      int s = theme::Dancers.slot_sort[d];
      int frame = theme::DanceFrame(theme::Dancers, 0);
      ASSERT_GE(frame, 0);
      EXPECT_LOADED(theme::Dancers.dance_images[s][frame]);
    }
    EXPECT_NE(theme::Chibi[0].images[0][0], -1);
    EXPECT_NE(theme::Chibi[1].images[0][0], -1);
    EXPECT_TRUE(missing_.empty()) << "course " << course << ": " << Missing();
    missing_.clear();
  }
}

TEST_F(DefaultThemeLoaderTest, ResultJobFindsEveryFile) {
  theme::LoadCourse = 2;
  RunJob(shell::kSceneResult);
  using namespace theme::result_assets;
  EXPECT_LOADED(AnnouncementVoiceP1), EXPECT_LOADED(AnnouncementVoiceP2);
  EXPECT_LOADED(ClearBgmStart), EXPECT_LOADED(ClearBgmLoop), EXPECT_LOADED(FailedBgmStart);
  EXPECT_LOADED(FailedBgmLoop), EXPECT_LOADED(CountSound), EXPECT_LOADED(DonSound);
  EXPECT_LOADED(NormaClearP1), EXPECT_LOADED(NormaFailedP1), EXPECT_LOADED(FullcomboP1);
  EXPECT_LOADED(Clear), EXPECT_LOADED(Failed), EXPECT_LOADED(Turn), EXPECT_LOADED(BoardP1);
  EXPECT_LOADED(BoardP2), EXPECT_LOADED(LoadBgStart), EXPECT_LOADED(LoadBgEnd);
  EXPECT_LOADED(LoadSave), EXPECT_LOADED(ScoreNumber), EXPECT_LOADED(ScoreSNumber);
  EXPECT_LOADED(Soul), EXPECT_LOADED(SoulEffectP1), EXPECT_LOADED(SoulEffectP2);
  EXPECT_LOADED(FireP1), EXPECT_LOADED(CharaP1), EXPECT_LOADED(CharaP1Failed);
  EXPECT_LOADED(ClearBright), EXPECT_LOADED(Toss), EXPECT_LOADED(MessageClear);
  EXPECT_LOADED(MessageFailed), EXPECT_LOADED(MessageFullcombo), EXPECT_LOADED(SymbolP1);
  EXPECT_LOADED(SymbolP2), EXPECT_LOADED(Course), EXPECT_LOADED(SoulGauge);
  EXPECT_LOADED(SoulGaugeP1), EXPECT_LOADED(TitleFont), EXPECT_LOADED(SubTitleFont);
  EXPECT_TRUE(missing_.empty()) << Missing();
}

}  // namespace
