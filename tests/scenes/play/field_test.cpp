// The play field drawn on the software renderer with a test theme of solid-colour pictures,
// read back pixel by pixel: which notes, captions and bar lines show, how notes animate, the
// roll body, the soul meter, the layer order, frames of absurd input that must still draw, and
// the scene's transitions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "graphics/graphics_fixture.h"
#include "play/play_record.h"
#include "scenes/play/play_field.h"
#include "scenes/play/play_scene.h"
#include "theme/assets.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"
#include "theme/stage.h"

namespace {

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
  EXPECT_EQ(Pixel(300, NoteY()), 0xFFFF0000u);                         // note over bar line
  EXPECT_EQ(Pixel(500, theme::PlayLayout.note_m_y), 0xFFFFFFFFu);      // bar line over caption
  EXPECT_EQ(Pixel(400, theme::PlayLayout.scroll_field_y), 0xFF202020u);
  EXPECT_EQ(Pixel(130, theme::PlayLayout.taiko_y), 0xFF0000FFu);       // drum over lane
  EXPECT_EQ(Pixel(theme::PlayLayout.score_x, theme::PlayLayout.score_y), 0xFFFF00FFu);
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
  std::vector<int*> v = {&pa::TitleBg, &pa::JudgePoint, &pa::SfieldBg, &pa::SfieldRed, &pa::SfieldBlue,
                         &pa::SfieldYellow, &pa::SfieldHit, &pa::SfieldGogo, &pa::SfieldCourseNormal,
                         &pa::SfieldCourseNormalM, &pa::SfieldCourseExpert, &pa::SfieldCourseExpertM,
                         &pa::SfieldCourseMaster, &pa::SfieldCourseMasterM, &pa::Line, &pa::LineBranch,
                         &pa::GekiM, &pa::SoulEffect, &pa::TaikoP1, &pa::ComboBright, &pa::Flower,
                         &pa::FlowerM, &pa::BurstBalloon, &pa::RollBalloon, &pa::ComboBalloonP1,
                         &pa::LevelupBalloon, &pa::LeveldownBalloon, &pa::JudgeGreat, &pa::JudgeGood,
                         &pa::JudgeBad, &pa::EffectHitRainbow};
  auto add = [&v](int* a, int n) { for (int k = 0; k < n; ++k) v.push_back(a + k); };
  add(pa::Fire, 8); add(pa::Don, 5); add(pa::Kat, 5); add(pa::Roll, 9); add(pa::DonM, 4);
  add(pa::KatM, 3); add(pa::RollM, 3); add(pa::Geki, 4); add(pa::Soul, 22); add(pa::Splash, 50);
  add(pa::TaikoRed, 2); add(pa::TaikoBlue, 2); add(pa::RollNumber, 10); add(pa::ComboNumber, 10);
  add(pa::ComboLNumber, 10); add(pa::ComboBalloonNumber, 10); add(pa::ScoreNumber, 10);
  add(pa::BurstNumber, 10); add(pa::CharaP1, 5); add(pa::CharaP1Gogo, 4); add(pa::CharaP1Miss, 2);
  add(pa::CharaP1Balloon, 5); add(pa::Balloon, 8); add(pa::EffectNote, 2); add(pa::EffectHitRed, 20);
  add(pa::EffectHitBlue, 20); add(pa::Effect, 4); add(pa::Drapery, 3); add(pa::DraperyFlower, 8);
  add(pa::Symbol, 3);
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
