// The theme folder layout: which file each handle comes from, in the order the jobs load them.
#include "theme/assets.h"

#include <algorithm>
#include <cstdio>

#include "graphics/text.h"
#include "graphics/texture.h"
#include "shell/config.h"
#include "sound/sound.h"

namespace theme {

namespace select_assets {
int DonSound[kMenuSoundCopies], KatSound[kMenuSoundCopies], CancelSound[kMenuSoundCopies];
int Bg, MessageSongSelect;
int AutoIcon, SpeedIcon[3];
int LevelSymbol[kCourseCount], LevelPanel, Level[3];
int LevelStatusNew, LevelStatusFailed, LevelStatusClear, LevelStatusFullcombo;
int LoadBgEnd[kCourseCount], LoadBgStart, LoadSave;
int CourseStatusNew, CourseStatusFailed, CourseStatusClear, CourseStatusFullcombo;
int CourseSymbol[kCourseCount];
int MenuChange, MenuOption, MenuRecord, MenuBack, Cursor, CoursePanel, MenuPanel;
int CharaP1[6], CharaP2[6];
int ScoreBoard[kCourseCount];
int ScoreNumber[11];
int StatusNew, StatusFailed, StatusClear[kCourseCount], StatusFullcombo[kCourseCount];
int FixedFont, TitleFont;
}  // namespace select_assets

namespace play_assets {
int Song;
int DonSound[kDrumSoundCopies], KatSound[kDrumSoundCopies], GekiSound[kDrumSoundCopies];
int ComboVoice[kComboVoices];
int FullcomboVoiceP1, FullcomboVoiceP2;
int PauseDon, PauseKat[kPauseKatCopies], PauseCancel;
int TitleBg, JudgePoint, SfieldBg, SfieldRed, SfieldBlue, SfieldYellow, SfieldHit, SfieldGogo;
int SfieldCourseNormal, SfieldCourseNormalM, SfieldCourseExpert, SfieldCourseExpertM,
    SfieldCourseMaster, SfieldCourseMasterM;
int Fire[8], Line, LineBranch;
int Don[5], Kat[5], Roll[9], DonM[4], KatM[3], RollM[3], GekiM, Geki[4];
int SoulEffect, Soul[22];
int Splash[50];
int TaikoP1, TaikoRed[2], TaikoBlue[2], ComboBright, Flower, FlowerM;
int RollNumber[10], ComboNumber[10], ComboLNumber[10], ComboBalloonNumber[10], ScoreNumber[10],
    BurstNumber[10];
int BurstBalloon, RollBalloon, ComboBalloonP1, LevelupBalloon, LeveldownBalloon;
int CharaP1[5], CharaP1Gogo[4], CharaP1Miss[2], CharaP1Balloon[5], Balloon[8];
int JudgeGreat, JudgeGood, JudgeBad;
int EffectNote[2], EffectHitRainbow, EffectHitRed[20], EffectHitBlue[20], Effect[4];
int LoadBgEnd;
int Drapery[3], DraperyFlower[8];
int PauseBg, PausePanel, PausePanelM, PauseChara, PauseCursor[2];
int Symbol[3];
int SoulGauge[24];
int SoulGaugeFrames;
int TitleFont;
}  // namespace play_assets

namespace result_assets {
int AnnouncementVoiceP1, AnnouncementVoiceP2, ClearBgmStart, ClearBgmLoop, FailedBgmStart,
    FailedBgmLoop;
int CountSound[kCountSoundCopies], DonSound[kDonSoundCopies];
int NormaClearP1, NormaFailedP1, FullcomboP1;
int Clear, Failed, Turn, BoardP1, BoardP2;
int LoadBgStart, LoadBgEnd, LoadSave;
int ScoreNumber[11], ScoreSNumber[10];
int Soul, SoulEffectP1, SoulEffectP2, FireP1[20];
int CharaP1[3], CharaP1Failed[4], ClearBright, Toss[4][4];
int MessageClear, MessageFailed, MessageFullcombo;
int SymbolP1, SymbolP2, Course, SoulGauge, SoulGaugeP1;
int TitleFont, SubTitleFont;
}  // namespace result_assets

namespace {

constexpr int kPathBytes = 512;
const char* const kCourseNames[kCourseCount] = {"easy", "normal", "hard", "oni", "edit"};
// The soul gauge sets: Hard, Oni and Edit share the hard set.
const char* const kGaugeNames[kCourseCount] = {"easy", "normal", "hard", "hard", "hard"};

template <int N>
void Fill(int (&handles)[N]) {
  for (int& h : handles) h = -1;
}
template <int N, int M>
void Fill(int (&handles)[N][M]) {
  for (auto& row : handles) Fill(row);
}

int CourseIndex(int course) { return course >= 0 && course < kCourseCount ? course : 0; }

// ThemeDir + "/" + rel; false when it does not fit.
bool ThemePath(char (&out)[kPathBytes], const char* rel) {
  int n = std::snprintf(out, sizeof out, "%s/%s", shell::ThemeDir, rel);
  return n > 0 && n < kPathBytes;
}

void Image(int* handle, const char* rel) {
  char path[kPathBytes];
  *handle = ThemePath(path, rel) ? graphics::LoadTexture(path) : -1;
}

// rel is a printf format with the values that follow.
template <typename... Args>
void ImageF(int* handle, const char* format, Args... args) {
  char rel[kPathBytes];
  int n = std::snprintf(rel, sizeof rel, format, args...);
  if (n <= 0 || n >= kPathBytes) {
    *handle = -1;
    return;
  }
  Image(handle, rel);
}

int Images(int* handles, int count, int first, const char* base) {
  char path[kPathBytes];
  return ThemePath(path, base) ? graphics::LoadNumberedImages(count, first, handles, path) : 0;
}
template <int N>
int Images(int (&handles)[N], int first, const char* base) {
  return Images(handles, N, first, base);
}

// base is a printf format with the values that follow.
template <int N, typename... Args>
int ImagesF(int (&handles)[N], int first, const char* format, Args... args) {
  char base[kPathBytes];
  int n = std::snprintf(base, sizeof base, format, args...);
  if (n <= 0 || n >= kPathBytes) {
    for (int& h : handles) h = -1;
    return 0;
  }
  return Images(handles, first, base);
}

int Sound(const char* rel) {
  char path[kPathBytes];
  return ThemePath(path, rel) ? sound::LoadSound(path) : -1;
}

// n independent copies of one sound; the file is decoded once and the copies share it.
template <int N>
void Sounds(int (&handles)[N], const char* rel) {
  Fill(handles);
  char path[kPathBytes];
  if (ThemePath(path, rel)) sound::LoadSoundCopies(path, N, handles);
}

constexpr PictureSet One(int& handle, const char* rel) { return {&handle, 1, -1, rel}; }
template <int N>
constexpr PictureSet Set(int (&handles)[N], int first, const char* base) {
  return {handles, N, first, base};
}

}  // namespace

std::span<const PictureSet> PlayPictures() {
  using namespace play_assets;
  static const PictureSet kPictures[] = {
      One(TitleBg, "Play/Sfield/title_bg.png"),
      One(JudgePoint, "Play/Sfield/judge_point.png"),
      One(SfieldBg, "Play/Sfield/sfield_bg.png"),
      One(SfieldRed, "Play/Sfield/sfield_red.png"),
      One(SfieldBlue, "Play/Sfield/sfield_blue.png"),
      One(SfieldYellow, "Play/Sfield/sfield_yellow.png"),
      One(SfieldHit, "Play/Sfield/sfield_hit.png"),
      One(SfieldGogo, "Play/Sfield/sfield_gogo.png"),
      One(SfieldCourseNormal, "Play/Sfield/sfield_course_normal.png"),
      One(SfieldCourseNormalM, "Play/Sfield/sfield_course_normal_m.png"),
      One(SfieldCourseExpert, "Play/Sfield/sfield_course_expert.png"),
      One(SfieldCourseExpertM, "Play/Sfield/sfield_course_expert_m.png"),
      One(SfieldCourseMaster, "Play/Sfield/sfield_course_master.png"),
      One(SfieldCourseMasterM, "Play/Sfield/sfield_course_master_m.png"),
      Set(Fire, 1, "Play/Sfield/fire"),
      One(Line, "Play/Sfield/line.png"),
      One(LineBranch, "Play/Sfield/line_branch.png"),
      Set(Don, 1, "Play/Notes/don"),
      Set(Kat, 1, "Play/Notes/kat"),
      Set(Roll, 1, "Play/Notes/roll"),
      Set(DonM, 1, "Play/Notes/don_m"),
      Set(KatM, 1, "Play/Notes/kat_m"),
      Set(RollM, 1, "Play/Notes/roll_m"),
      One(GekiM, "Play/Notes/geki_m.png"),
      Set(Geki, 1, "Play/Notes/geki"),
      One(SoulEffect, "Play/Soul/soul_effect.png"),
      Set(Soul, 1, "Play/Soul/soul"),
      Set(Splash, 1, "Play/Splash/splash"),
      One(TaikoP1, "Play/Taiko/taiko_p1.png"),
      Set(TaikoRed, 1, "Play/Taiko/taiko_red"),
      Set(TaikoBlue, 1, "Play/Taiko/taiko_blue"),
      One(ComboBright, "Play/Taiko/combo_bright.png"),
      One(Flower, "Play/Taiko/flower.png"),
      One(FlowerM, "Play/Taiko/flower_m.png"),
      Set(RollNumber, 0, "Play/Number/roll"),
      Set(ComboNumber, 0, "Play/Number/combo"),
      Set(ComboLNumber, 0, "Play/Number/combo_l"),
      Set(ComboBalloonNumber, 0, "Play/Number/combo_balloon"),
      Set(ScoreNumber, 0, "Play/Number/score"),
      Set(BurstNumber, 0, "Play/Number/burst"),
      One(BurstBalloon, "Play/Balloon/burst_balloon.png"),
      One(RollBalloon, "Play/Balloon/roll_balloon.png"),
      One(ComboBalloonP1, "Play/Balloon/combo_balloon_p1.png"),
      One(LevelupBalloon, "Play/Balloon/levelup_balloon.png"),
      One(LeveldownBalloon, "Play/Balloon/leveldown_balloon.png"),
      Set(CharaP1, 1, "Play/Chara/chara_p1"),
      Set(CharaP1Gogo, 1, "Play/Chara/chara_p1_gogo"),
      Set(CharaP1Miss, 1, "Play/Chara/chara_p1_miss"),
      Set(CharaP1Balloon, 1, "Play/Chara/chara_p1_balloon"),
      Set(Balloon, 1, "Play/Chara/balloon"),
      One(JudgeGreat, "Play/Judgement/judge_great.png"),
      One(JudgeGood, "Play/Judgement/judge_good.png"),
      One(JudgeBad, "Play/Judgement/judge_bad.png"),
      Set(EffectNote, 1, "Play/Effect/effect_note"),
      One(EffectHitRainbow, "Play/Effect/effect_hit_rainbow.png"),
      Set(EffectHitRed, 1, "Play/Effect/effect_hit_red"),
      Set(EffectHitBlue, 1, "Play/Effect/effect_hit_blue"),
      Set(Effect, 1, "Play/Effect/effect"),
      One(LoadBgEnd, "Play/Load/bg_end.png"),
      Set(Drapery, 1, "Play/Drapery/drapery"),
      Set(DraperyFlower, 1, "Play/Drapery/flower"),
      One(PauseBg, "Play/Pause/bg.png"),
      One(PausePanel, "Play/Pause/panel.png"),
      One(PausePanelM, "Play/Pause/panel_m.png"),
      One(PauseChara, "Play/Pause/chara.png"),
      Set(PauseCursor, 1, "Play/Pause/cursor"),
  };
  return kPictures;
}

void ResetSongSelectHandles() {
  using namespace select_assets;
  Fill(DonSound), Fill(KatSound), Fill(CancelSound);
  Bg = MessageSongSelect = -1;
  AutoIcon = -1, Fill(SpeedIcon);
  Fill(LevelSymbol), LevelPanel = -1, Fill(Level);
  LevelStatusNew = LevelStatusFailed = LevelStatusClear = LevelStatusFullcombo = -1;
  Fill(LoadBgEnd), LoadBgStart = LoadSave = -1;
  CourseStatusNew = CourseStatusFailed = CourseStatusClear = CourseStatusFullcombo = -1;
  Fill(CourseSymbol);
  MenuChange = MenuOption = MenuRecord = MenuBack = Cursor = CoursePanel = MenuPanel = -1;
  Fill(CharaP1), Fill(CharaP2), Fill(ScoreBoard), Fill(ScoreNumber);
  StatusNew = StatusFailed = -1, Fill(StatusClear), Fill(StatusFullcombo);
  FixedFont = TitleFont = -1;
}

void ResetPlayHandles() {
  using namespace play_assets;
  Song = -1;
  Fill(DonSound), Fill(KatSound), Fill(GekiSound), Fill(ComboVoice);
  FullcomboVoiceP1 = FullcomboVoiceP2 = PauseDon = PauseCancel = -1, Fill(PauseKat);
  for (const PictureSet& set : PlayPictures()) std::fill_n(set.handles, set.count, -1);
  Fill(Symbol), Fill(SoulGauge), SoulGaugeFrames = 0;
  TitleFont = -1;
}

void ResetResultHandles() {
  using namespace result_assets;
  AnnouncementVoiceP1 = AnnouncementVoiceP2 = ClearBgmStart = ClearBgmLoop = FailedBgmStart =
      FailedBgmLoop = -1;
  Fill(CountSound), Fill(DonSound);
  NormaClearP1 = NormaFailedP1 = FullcomboP1 = -1;
  Clear = Failed = Turn = BoardP1 = BoardP2 = -1;
  LoadBgStart = LoadBgEnd = LoadSave = -1;
  Fill(ScoreNumber), Fill(ScoreSNumber);
  Soul = SoulEffectP1 = SoulEffectP2 = -1, Fill(FireP1);
  Fill(CharaP1), Fill(CharaP1Failed), ClearBright = -1, Fill(Toss);
  MessageClear = MessageFailed = MessageFullcombo = -1;
  SymbolP1 = SymbolP2 = Course = SoulGauge = SoulGaugeP1 = -1;
  TitleFont = SubTitleFont = -1;
}

void ResetAssetHandles() {
  ResetSongSelectHandles();
  ResetPlayHandles();
  ResetResultHandles();
}

namespace {
// Handles start at -1, before any job has run.
struct AssetHandleInit {
  AssetHandleInit() { ResetAssetHandles(); }
} gAssetHandleInit;
}  // namespace

void LoadSongSelectAssets() {
  using namespace select_assets;
  Sounds(DonSound, "SongSelect/Sound/don.wav");
  Sounds(KatSound, "SongSelect/Sound/kat.wav");
  Sounds(CancelSound, "SongSelect/Sound/cancel.wav");

  Image(&Bg, "SongSelect/Bg/bg.png");
  Image(&MessageSongSelect, "SongSelect/Bg/message_songselect.png");

  Image(&AutoIcon, "SongSelect/Icon/auto.png");
  for (int i = 0; i < 3; ++i) ImageF(&SpeedIcon[i], "SongSelect/Icon/x%d.png", i + 2);

  for (int c = 0; c < kCourseCount; ++c)
    ImageF(&LevelSymbol[c], "SongSelect/Level/symbol_%s.png", kCourseNames[c]);
  Image(&LevelPanel, "SongSelect/Level/level_panel.png");
  for (int i = 0; i < 3; ++i) ImageF(&Level[i], "SongSelect/Level/level_%d.png", i + 1);
  Image(&LevelStatusNew, "SongSelect/Level/status_new.png");
  Image(&LevelStatusFailed, "SongSelect/Level/status_failed.png");
  Image(&LevelStatusClear, "SongSelect/Level/status_clear.png");
  Image(&LevelStatusFullcombo, "SongSelect/Level/status_fullcombo.png");

  for (int c = 0; c < kCourseCount; ++c)
    ImageF(&LoadBgEnd[c], "SongSelect/Load/bg_end_%s.png", kCourseNames[c]);
  Image(&LoadBgStart, "SongSelect/Load/bg_start.png");
  Image(&LoadSave, "Result/Load/save.png");

  Image(&CourseStatusNew, "SongSelect/Course/status_new.png");
  Image(&CourseStatusFailed, "SongSelect/Course/status_failed.png");
  Image(&CourseStatusClear, "SongSelect/Course/status_clear.png");
  Image(&CourseStatusFullcombo, "SongSelect/Course/status_fullcombo.png");
  for (int c = 0; c < kCourseCount; ++c)
    ImageF(&CourseSymbol[c], "SongSelect/Course/symbol_%s.png", kCourseNames[c]);
  Image(&MenuChange, "SongSelect/Course/menu_change.png");
  Image(&MenuOption, "SongSelect/Course/menu_option.png");
  Image(&MenuRecord, "SongSelect/Course/menu_record.png");
  Image(&MenuBack, "SongSelect/Course/menu_back.png");
  Image(&Cursor, "SongSelect/Course/cursor.png");
  Image(&CoursePanel, "SongSelect/Course/course_panel.png");
  Image(&MenuPanel, "SongSelect/Course/menu_panel.png");

  Images(CharaP1, 1, "SongSelect/Chara/chara_p1");
  Images(CharaP2, 1, "SongSelect/Chara/chara_p2");

  for (int c = 0; c < kCourseCount; ++c)
    ImageF(&ScoreBoard[c], "SongSelect/Score/%s_board.png", kCourseNames[c]);
  Images(ScoreNumber, 0, "SongSelect/Number/score");

  Image(&StatusNew, "SongSelect/Status/new.png");
  Image(&StatusFailed, "SongSelect/Status/failed.png");
  for (int c = 0; c < kCourseCount; ++c) {
    ImageF(&StatusClear[c], "SongSelect/Status/%s_clear.png", kCourseNames[c]);
    ImageF(&StatusFullcombo[c], "SongSelect/Status/%s_fullcombo.png", kCourseNames[c]);
  }
}

void LoadPlaySounds() {
  using namespace play_assets;
  // 30 rounds of don, kat, geki: each file is decoded once, the copies share its sound data.
  Fill(DonSound), Fill(KatSound), Fill(GekiSound);
  for (int i = 0; i < kDrumSoundCopies; ++i) {
    DonSound[i] = Sound("Play/Sound/don.wav");
    KatSound[i] = Sound("Play/Sound/kat.wav");
    GekiSound[i] = Sound("Play/Sound/geki.wav");
  }
  ComboVoice[0] = Sound("Play/Sound/combo_voice_50_p1.wav");
  for (int k = 1; k < kComboVoices; ++k) {
    char rel[kPathBytes];
    std::snprintf(rel, sizeof rel, "%s_%d_p%d.wav", "Play/Sound/combo_voice", 100 * k, 1);
    ComboVoice[k] = Sound(rel);
  }
  FullcomboVoiceP1 = Sound("Play/Sound/combo_voice_fullcombo_p1.wav");
  FullcomboVoiceP2 = Sound("Play/Sound/combo_voice_fullcombo_p2.wav");
  PauseDon = Sound("Play/Sound/pause_don.wav");
  Sounds(PauseKat, "Play/Sound/pause_kat.wav");
  PauseCancel = Sound("Play/Sound/pause_cancel.wav");
}

void LoadPlayImages() {
  for (const PictureSet& set : PlayPictures()) {
    if (set.first < 0)
      Image(set.handles, set.rel);
    else
      Images(set.handles, set.count, set.first, set.rel);
  }
}

void LoadPlayCourseImages(int course) {
  using namespace play_assets;
  int c = CourseIndex(course);
  char base[64];
  std::snprintf(base, sizeof base, "Play/Bg/symbol/%s", kCourseNames[c]);
  Images(Symbol, 1, base);
  std::snprintf(base, sizeof base, "Play/Soul/soulgauge_%s_p1", kGaugeNames[c]);
  SoulGaugeFrames = Images(SoulGauge, 1, base) - 4;
}

void LoadResultAssets(int course) {
  using namespace result_assets;
  AnnouncementVoiceP1 = Sound("Result/Sound/announcement_voice_p1.wav");
  AnnouncementVoiceP2 = Sound("Result/Sound/announcement_voice_p2.wav");
  ClearBgmStart = Sound("Result/Sound/clear_bgm_start.wav");
  ClearBgmLoop = Sound("Result/Sound/clear_bgm_loop.wav");
  FailedBgmStart = Sound("Result/Sound/failed_bgm_start.wav");
  FailedBgmLoop = Sound("Result/Sound/failed_bgm_loop.wav");
  Sounds(CountSound, "Result/Sound/count.wav");
  Sounds(DonSound, "Result/Sound/don.wav");
  NormaClearP1 = Sound("Result/Sound/norma_clear_p1.wav");
  NormaFailedP1 = Sound("Result/Sound/norma_failed_p1.wav");
  FullcomboP1 = Sound("Result/Sound/fullcombo_p1.wav");

  Image(&Clear, "Result/Bg/clear.png");
  Image(&Failed, "Result/Bg/failed.png");
  Image(&Turn, "Result/Bg/turn.png");
  Image(&BoardP1, "Result/Bg/board_p1.png");
  Image(&BoardP2, "Result/Bg/board_p2.png");

  Image(&LoadBgStart, "Result/Load/bg_start.png");
  Image(&LoadBgEnd, "Result/Load/bg_end.png");
  Image(&LoadSave, "Result/Load/save.png");

  Images(ScoreNumber, 0, "Result/Number/score");
  Images(ScoreSNumber, 0, "Result/Number/score_s");

  Image(&Soul, "Result/Soul/soul.png");
  Image(&SoulEffectP1, "Result/Soul/soul_effect_p1.png");
  Image(&SoulEffectP2, "Result/Soul/soul_effect_p2.png");
  Images(FireP1, 1, "Result/Soul/fire_p1");

  Images(CharaP1, 1, "Result/Chara/chara_p1");
  Images(CharaP1Failed, 1, "Result/Chara/chara_p1_failed");
  Image(&ClearBright, "Result/Chara/clear_bright.png");
  for (int i = 0; i < 4; ++i) {
    ImagesF(Toss[i], 1, "Result/Chara/toss_%d", i + 1);
  }

  Image(&MessageClear, "Result/Message/clear.png");
  Image(&MessageFailed, "Result/Message/failed.png");
  Image(&MessageFullcombo, "Result/Message/fullcombo.png");

  int c = CourseIndex(course);
  ImageF(&SymbolP1, "Result/Symbol/%s.png", kCourseNames[c]);
  ImageF(&Course, "Result/Course/%s.png", kCourseNames[c]);
  ImageF(&SoulGauge, "Result/Soul/soulgauge_%s.png", kGaugeNames[c]);
  ImageF(&SoulGaugeP1, "Result/Soul/soulgauge_%s_p1.png", kGaugeNames[c]);
  SymbolP2 = SymbolP1;
}

}  // namespace theme
