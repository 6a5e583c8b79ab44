// The resource loader: the LoadJob hand-shake and the three jobs on small fixture themes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

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
using theme_test::WritePng;
using theme_test::WriteWav;

constexpr uint32_t kGrey = 0xFF808080u;

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
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    sound::SoundReset();
    theme::ResetResourceLoader();
    shell::ResetShellState();
    library::ResetGlobalData();
  }
  void TearDown() override {
    theme::ResetResourceLoader();
    graphics::ResetTextureTable();
    graphics::ResetFontTable();
    sound::SoundReset();
    shell::ResetConfiguration();
    EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
    testsupport::RemoveTempFolder(dir_);
  }
  void Png(const std::string& rel) { ASSERT_TRUE(WritePng(theme_ + "/" + rel, 8, 8, kGrey)); }
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
  for (;;) {
    int phase = shell::ScenePhase.load(std::memory_order_acquire);
    int ready = shell::ResourcesReady.load(std::memory_order_acquire);
    if (phase == 9) {
      EXPECT_EQ(ready, 1);
      break;
    }
    platform::TimeSleepMs(1);
  }
  EXPECT_EQ(theme::select_assets::Bg, -1);
}

TEST_F(ResourceLoaderTest, PlayJobLoadsTheSongOfTheChart) {
  WriteFile(dir_ + "/songs/a/song.tja", "TITLE:x\r\nWAVE:song.wav\r\n#START\r\n");
  WriteWav(dir_ + "/songs/a/song.wav", 4410);
  std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s",
                (dir_ + "/songs/a/song.tja").c_str());
  RunJob(shell::kScenePlay);
  EXPECT_EQ(shell::ResourcesReady.load(), 1);
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

TEST_F(ResourceLoaderTest, SongSelectJobSavesLoadsAndCompletesTheLayout) {
  Png("SongSelect/Bg/bg.png");
  Png("SongSelect/Chara/chara_p2_6.png");
  Png("SongSelect/Number/score_10.png");
  Png("SongSelect/Status/oni_fullcombo.png");
  Png("Result/Load/save.png");
  Wav("SongSelect/Sound/don.wav");
  WriteFile(theme_ + "/dispconf.ini", "");
  RunJob(shell::kSceneSongSelect);
  namespace a = theme::select_assets;
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/Files/Save/save.dat"));
  EXPECT_NE(a::Bg, -1);
  EXPECT_EQ(a::MessageSongSelect, -1);
  EXPECT_NE(a::CharaP2[5], -1);
  EXPECT_EQ(a::CharaP2[4], -1);
  EXPECT_NE(a::ScoreNumber[10], -1);
  EXPECT_NE(a::StatusFullcombo[3], -1);
  EXPECT_NE(a::LoadSave, -1);
  for (int h : a::DonSound) EXPECT_NE(h, -1);
  for (int i = 1; i < a::kMenuSoundCopies; ++i) EXPECT_NE(a::DonSound[i], a::DonSound[0]);
  EXPECT_EQ(a::KatSound[0], -1);
  EXPECT_EQ(theme::SongSelectLayout.load_bg_color, 0xFFFA4928u);
  std::string conf = theme_test::ReadFile(theme_ + "/dispconf.ini");
  EXPECT_NE(conf.find("edit_score_num_y=380"), std::string::npos);
  EXPECT_EQ(conf.find("stage_y"), std::string::npos);  // only its own section
}

TEST_F(ResourceLoaderTest, PlayJobLoadsSoundsStageAndCourseImages) {
  Wav("Play/Sound/don.wav");
  Wav("Play/Sound/kat.wav");
  Wav("Play/Sound/combo_voice_50_p1.wav");
  Wav("Play/Sound/combo_voice_100_p1.wav");
  Wav("Play/Sound/combo_voice_9900_p1.wav");
  Wav("Play/Sound/pause_kat.wav");
  Png("Play/Notes/geki_m.png");
  Png("Play/Splash/splash_50.png");
  Png("Play/Bg/upper/bg_1_p1.png");
  Png("Play/Bg/upper/bg_gogo_p1.png");
  Png("Play/Bg/stage/stage_1.png");
  Png("Play/Bg/fiver/fiver_1_1.png");
  Png("Play/Bg/fiver/fiver_1_2.png");
  Png("Play/Bg/dancer_1/layer.png");
  WriteFile(theme_ + "/Play/Bg/dancer_1/dancer_bg.ini", "#BG_NAME(layer.png)\n#POINT(1,2)\n");
  WriteFile(theme_ + "/Play/Dancer/1/dancer.ini", "dance_sort=2\ndance_order=1,2\n");
  Png("Play/Dancer/1/dance_2_100.png");
  Png("Play/Dancer/1/shakushi_3.png");
  // No chibi.ini in the numbered set: the soul set stays empty as well.
  WriteFile(theme_ + "/Play/Chibi/Soul/chibi.ini", "chibi_x=5\n");
  Png("Play/Chibi/Soul/chibi_1_1.png");
  for (int i = 1; i <= 6; ++i) Png("Play/Soul/soulgauge_hard_p1_" + std::to_string(i) + ".png");
  Png("Play/Bg/symbol/oni_2.png");
  theme::LoadCourse = 3;
  RunJob(shell::kScenePlay);

  namespace a = theme::play_assets;
  EXPECT_EQ(a::Song, -1);  // no chart chosen: no song
  for (int i = 0; i < a::kDrumSoundCopies; ++i) {
    EXPECT_NE(a::DonSound[i], -1);
    EXPECT_NE(a::KatSound[i], -1);
    EXPECT_EQ(a::GekiSound[i], -1);
  }
  EXPECT_EQ(a::KatSound[0], a::DonSound[0] + 1);  // loaded as rounds of don, kat, geki
  EXPECT_NE(a::ComboVoice[0], -1);
  EXPECT_NE(a::ComboVoice[1], -1);
  EXPECT_EQ(a::ComboVoice[2], -1);
  EXPECT_NE(a::ComboVoice[99], -1);
  for (int h : a::PauseKat) EXPECT_NE(h, -1);
  EXPECT_NE(a::GekiM, -1);
  EXPECT_NE(a::Splash[49], -1);
  EXPECT_NE(a::Symbol[1], -1);
  EXPECT_EQ(a::Symbol[0], -1);
  EXPECT_EQ(a::SoulGaugeFrames, 2);  // Oni uses the hard gauge set: 6 images, minus 4
  EXPECT_NE(theme::UpperBgNormal, -1);
  EXPECT_NE(theme::UpperBgGogo, -1);
  EXPECT_EQ(theme::UpperBgMiss, -1);
  EXPECT_NE(theme::StageImage, -1);
  EXPECT_EQ(theme::FiverFrameCount, 2);
  ASSERT_EQ(theme::BgNormalList.count, 1);
  EXPECT_NE(theme::BgNormalList.layers[0].image, -1);
  EXPECT_EQ(theme::Dancers.sort_count, 2);
  EXPECT_NE(theme::Dancers.dance_images[1][99], -1);
  for (int s : theme::Dancers.slot_sort) EXPECT_TRUE(s == 0 || s == 1);
  EXPECT_TRUE(theme::Dancers.has_prop);
  EXPECT_NE(theme::Dancers.prop_images[2], -1);
  EXPECT_EQ(theme::Chibi[1].images[0][0], -1);
  EXPECT_EQ(theme::Chibi[1].chibi_x, 0);
  EXPECT_EQ(theme::PlayLayout.stage_y, 456);
  EXPECT_NE(a::TitleFont, -1);
}

TEST_F(ResourceLoaderTest, DancerSlotsTakeTheirSortsInTurnWithoutTheRandomPattern) {
  WriteFile(theme_ + "/Play/Dancer/1/dancer.ini", "dance_sort=2\ndance_pattern=0\n");
  RunJob(shell::kScenePlay);
  const int expected[theme::kDancerSlots] = {0, 1, 0, 1, 0};
  for (int d = 0; d < theme::kDancerSlots; ++d) EXPECT_EQ(theme::Dancers.slot_sort[d], expected[d]);
  EXPECT_FALSE(theme::Dancers.has_prop);
}

TEST_F(ResourceLoaderTest, ResultKeepsPlayImagesAndSongSelectReleasesThem) {
  Png("Play/Notes/don_1.png");
  Png("Result/Symbol/edit.png");
  Png("Result/Soul/soulgauge_hard.png");
  Wav("Result/Sound/count.wav");
  Png("SongSelect/Bg/bg.png");
  RunJob(shell::kScenePlay);
  int don = theme::play_assets::Don[0];
  ASSERT_NE(don, -1);
  theme::LoadCourse = 4;
  RunJob(shell::kSceneResult);
  namespace r = theme::result_assets;
  EXPECT_TRUE(graphics::IsValidTexture(don));
  EXPECT_NE(r::SymbolP1, -1);
  EXPECT_EQ(r::SymbolP2, r::SymbolP1);
  EXPECT_NE(r::SoulGauge, -1);
  for (int h : r::CountSound) EXPECT_NE(h, -1);
  EXPECT_EQ(theme::ResultLayout.title_size, 30);
  EXPECT_NE(r::TitleFont, -1);
  EXPECT_NE(r::SubTitleFont, -1);

  int count = r::CountSound[0];
  RunJob(shell::kSceneSongSelect);
  EXPECT_FALSE(graphics::IsValidTexture(don));
  EXPECT_EQ(theme::play_assets::Don[0], -1);
  EXPECT_EQ(r::SymbolP1, -1);
  EXPECT_EQ(sound::IsSoundPlaying(count), -1);
  EXPECT_NE(theme::select_assets::Bg, -1);
  EXPECT_EQ(graphics::DrawSprite(don, 0, 0), -1);
}

TEST_F(ResourceLoaderTest, ThemeFolderThatDoesNotExist) {
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", (dir_ + "/Files/Theme/None").c_str());
  for (int kind : {shell::kSceneSongSelect, shell::kScenePlay, shell::kSceneResult}) RunJob(kind);
  EXPECT_EQ(theme::select_assets::Bg, -1);
  EXPECT_EQ(theme::play_assets::DonSound[0], -1);
  EXPECT_EQ(theme::play_assets::SoulGaugeFrames, -4);
  EXPECT_EQ(theme::result_assets::Clear, -1);
  EXPECT_EQ(theme::StageImage, -1);
  EXPECT_EQ(theme::BgNormalList.count, 0);
  EXPECT_EQ(theme::PlayLayout.bg_scroll_speed, 44);
  EXPECT_EQ(theme::SongSelectLayout.bg_scroll_speed, 20);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/Files/Theme/None"));
}

}  // namespace
