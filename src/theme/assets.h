// The handles of every theme image, sound and font, grouped by the scene whose job loads them.
// A handle is -1 when its file was missing (or before its job ran). The song select job
// releases everything; the play and result jobs add to what is loaded.
#pragma once

#include <span>

namespace theme {

constexpr int kCourseCount = 5;  // Easy, Normal, Hard, Oni, Edit

namespace select_assets {
constexpr int kMenuSoundCopies = 10;
extern int DonSound[kMenuSoundCopies], KatSound[kMenuSoundCopies],
    CancelSound[kMenuSoundCopies];
// SongSelect/Bg
extern int Bg, MessageSongSelect;
// SongSelect/Icon
extern int AutoIcon, SpeedIcon[3];  // x2, x3, x4
// SongSelect/Level
extern int LevelSymbol[kCourseCount], LevelPanel, Level[3];
extern int LevelStatusNew, LevelStatusFailed, LevelStatusClear, LevelStatusFullcombo;
// SongSelect/Load and Result/Load/save.png
extern int LoadBgEnd[kCourseCount], LoadBgStart, LoadSave;
// SongSelect/Course
extern int CourseStatusNew, CourseStatusFailed, CourseStatusClear, CourseStatusFullcombo;
extern int CourseSymbol[kCourseCount];
extern int MenuChange, MenuOption, MenuRecord, MenuBack, Cursor, CoursePanel, MenuPanel;
// SongSelect/Chara: chara_p1_1..6, chara_p2_1..6
extern int CharaP1[6], CharaP2[6];
// SongSelect/Score: <course>_board.png
extern int ScoreBoard[kCourseCount];
// SongSelect/Number: score_0..10
extern int ScoreNumber[11];
// SongSelect/Status
extern int StatusNew, StatusFailed, StatusClear[kCourseCount], StatusFullcombo[kCourseCount];
// Fonts: the fixed 20-pixel font and the title font.
extern int FixedFont, TitleFont;
}  // namespace select_assets

namespace play_assets {
constexpr int kDrumSoundCopies = 30;
constexpr int kComboVoices = 100;  // entry 0: combo 50; entry k: combo 100 x k
constexpr int kPauseKatCopies = 5;
// The song of the chosen chart (also the sound layer's current song).
extern int Song;
// Play/Sound
extern int DonSound[kDrumSoundCopies], KatSound[kDrumSoundCopies], GekiSound[kDrumSoundCopies];
extern int ComboVoice[kComboVoices];
extern int FullcomboVoiceP1, FullcomboVoiceP2;
extern int PauseDon, PauseKat[kPauseKatCopies], PauseCancel;
// Play/Sfield
extern int TitleBg, JudgePoint, SfieldBg, SfieldRed, SfieldBlue, SfieldYellow, SfieldHit,
    SfieldGogo;
extern int SfieldCourseNormal, SfieldCourseNormalM, SfieldCourseExpert, SfieldCourseExpertM,
    SfieldCourseMaster, SfieldCourseMasterM;
extern int Fire[8], Line, LineBranch;
// Play/Notes
extern int Don[5], Kat[5], Roll[9], DonM[4], KatM[3], RollM[3], GekiM, Geki[4];
// Play/Soul
extern int SoulEffect, Soul[22];
// Play/Splash
extern int Splash[50];
// Play/Taiko
extern int TaikoP1, TaikoRed[2], TaikoBlue[2], ComboBright, Flower, FlowerM;
// Play/Number
extern int RollNumber[10], ComboNumber[10], ComboLNumber[10], ComboBalloonNumber[10],
    ScoreNumber[10], BurstNumber[10];
// Play/Balloon
extern int BurstBalloon, RollBalloon, ComboBalloonP1, LevelupBalloon, LeveldownBalloon;
// Play/Chara
extern int CharaP1[5], CharaP1Gogo[4], CharaP1Miss[2], CharaP1Balloon[5], Balloon[8];
// Play/Judgement
extern int JudgeGreat, JudgeGood, JudgeBad;
// Play/Effect
extern int EffectNote[2], EffectHitRainbow, EffectHitRed[20], EffectHitBlue[20], Effect[4];
// Play/Load
extern int LoadBgEnd;
// Play/Drapery
extern int Drapery[3], DraperyFlower[8];
// Play/Pause
extern int PauseBg, PausePanel, PausePanelM, PauseChara, PauseCursor[2];
// By course: Play/Bg/symbol/<course>_1..3 and the soul gauge set.
extern int Symbol[3];
extern int SoulGauge[24];
extern int SoulGaugeFrames;  // gauge images loaded, minus 4
// Font
extern int TitleFont;
}  // namespace play_assets

namespace result_assets {
constexpr int kCountSoundCopies = 30;
constexpr int kDonSoundCopies = 4;
// Result/Sound
extern int AnnouncementVoiceP1, AnnouncementVoiceP2, ClearBgmStart, ClearBgmLoop,
    FailedBgmStart, FailedBgmLoop;
extern int CountSound[kCountSoundCopies], DonSound[kDonSoundCopies];
extern int NormaClearP1, NormaFailedP1, FullcomboP1;
// Result/Bg
extern int Clear, Failed, Turn, BoardP1, BoardP2;
// Result/Load
extern int LoadBgStart, LoadBgEnd, LoadSave;
// Result/Number
extern int ScoreNumber[11], ScoreSNumber[10];
// Result/Soul
extern int Soul, SoulEffectP1, SoulEffectP2, FireP1[20];
// Result/Chara
extern int CharaP1[3], CharaP1Failed[4], ClearBright, Toss[4][4];
// Result/Message
extern int MessageClear, MessageFailed, MessageFullcombo;
// By course: Result/Symbol, Result/Course, Result/Soul/soulgauge_<course>(_p1).png
extern int SymbolP1, SymbolP2, Course, SoulGauge, SoulGaugeP1;
// Fonts
extern int TitleFont, SubTitleFont;
}  // namespace result_assets

// One picture of the theme, or a numbered set of them ("<rel>_<first>.png" onwards).
struct PictureSet {
  int* handles;
  int count;
  int first;  // -1: one picture, rel is its file
  const char* rel;
};
// The play's pictures (all but the course's symbol and gauge sets), in the order they load.
std::span<const PictureSet> PlayPictures();

// Every handle of the three groups to -1 (start-up, and when the song select job releases).
void ResetAssetHandles();
void ResetSongSelectHandles();
void ResetPlayHandles();
void ResetResultHandles();

// The three jobs' loading steps (on the loader thread).
void LoadSongSelectAssets();
void LoadPlaySounds();
void LoadPlayImages();
void LoadPlayCourseImages(int course);
void LoadResultAssets(int course);

}  // namespace theme
