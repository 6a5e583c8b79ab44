// The play field, back to front: the upper screen (background, title, course symbol,
// character, stage, gogo splash) and the lane (lane pictures, gogo lane, hit flash, fire, mark,
// glow, captions, bar lines, notes). The status side (drum to score) is in field_status.cpp.
#include "scenes/play/play_field.h"

#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "play/play_record.h"
#include "scenes/play/field_internal.h"
#include "theme/assets.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/stage.h"

namespace playscene {

namespace field {

namespace pa = theme::play_assets;
using play::Play;
constexpr auto kRelaxed = std::memory_order_relaxed;

// ---- helpers ---------------------------------------------------------------------------------

uint32_t Tinted(uint32_t rgb, double alpha) {
  if (!(alpha > 0.0)) return rgb & 0xFFFFFFu;
  const uint32_t a = alpha >= 255.0 ? 255u : uint32_t(alpha);
  return a << 24 | (rgb & 0xFFFFFFu);
}

uint32_t White(double alpha) { return Tinted(0xFFFFFFu, alpha); }

double HoldThenFade(double d, double hold, double fade) {
  if (!(d >= 0.0) || d >= hold + fade) return 0.0;
  if (d < hold) return 255.0;
  return 255.0 * (1.0 - (d - hold) / fade);
}

double FadeInHoldOut(double d, double in, double hold, double out) {
  if (!(d >= 0.0) || d >= out) return 0.0;
  if (d < in) return 255.0 * d / in;
  if (d < hold) return 255.0;
  return 255.0 * (1.0 - (d - hold) / (out - hold));
}

double SinDeg(double degrees) { return std::sin(degrees * kPi / 180.0); }

double WholeMod(double v, double m) {
  m = std::trunc(m);
  if (!(m > 0.0) || !std::isfinite(v)) return 0.0;
  double r = std::fmod(std::trunc(v), m);
  if (r < 0.0) r += m;
  return r;
}

double GaugeValue() {
  const double g = Play.gauge.load(kRelaxed);
  return std::isfinite(g) ? std::clamp(g, 0.0, play::kGaugeMax) : 0.0;
}

int ImageW(int handle) { return std::max(0, graphics::GetTextureWidth(handle)); }
int ImageH(int handle) { return std::max(0, graphics::GetTextureHeight(handle)); }

double Fit(int handle, double scale) {
  return ImageW(handle) > graphics::kScreenWidth || ImageH(handle) > graphics::kScreenHeight ? 1.0 : scale;
}

double SinceCombo(const FieldFrame& f, int count) {
  if (count < 1 || count >= play::kComboStampCount) return play::kNever;
  const play::ComboStamp& s = Play.comboStamps[count];
  if (!s.set.load(kRelaxed)) return play::kNever;
  return f.t - s.time.load(kRelaxed);
}

int NoteFrame(int combo, double t) {
  if (combo < 50) return 0;
  if (combo < 150) return int(WholeMod(t, 380.0) / 190.0);
  if (combo < 300) return int(WholeMod(t, 200.0) / 100.0);
  return int(WholeMod(t, 200.0) / 100.0) * 2;
}

int NoteImage(int type, int fr) {
  fr = std::clamp(fr, 0, 2);
  const int big = fr == 0 ? 0 : 1;  // the big pictures have two frames: f = 2 shows the second
  switch (type) {
    case chart::kNoteDon: return pa::Don[fr];
    case chart::kNoteKat: return pa::Kat[fr];
    case chart::kNoteBigDon: return pa::Don[3 + big];
    case chart::kNoteBigKat: return pa::Kat[3 + big];
    case chart::kNoteRoll: return pa::Roll[fr];
    case chart::kNoteBigRoll: return pa::Roll[5 + big];
    case chart::kNoteBalloon: return pa::Geki[fr];
    default: return -1;
  }
}

namespace {

const theme::PlayLayoutData& L() { return theme::PlayLayout; }

// Roll pictures: body and end of a roll (5) and a big roll (6).
int RollBody(int type) { return type == chart::kNoteBigRoll ? pa::Roll[7] : pa::Roll[3]; }
int RollEnd(int type) { return type == chart::kNoteBigRoll ? pa::Roll[8] : pa::Roll[4]; }

int LabelImage(int label) {
  switch (label) {
    case chart::kLabelDon: return pa::DonM[0];
    case chart::kLabelDonRunMiddle: return pa::DonM[1];
    case chart::kLabelDonAccent: return pa::DonM[2];
    case chart::kLabelKat: return pa::KatM[0];
    case chart::kLabelKatAccent: return pa::KatM[1];
    case chart::kLabelBigDon: return pa::DonM[3];
    case chart::kLabelBigKat: return pa::KatM[2];
    case chart::kLabelRoll: return pa::RollM[0];
    case chart::kLabelBigRoll: return pa::RollM[1];
    case chart::kLabelBalloon: return pa::GekiM;
    default: return -1;
  }
}

// A note a layer of the lane shows: live, and waiting for its hit or scrolling away missed.
bool NoteShown(int i) {
  if (!play::NoteLive(i)) return false;
  const int s = play::NoteState(i);
  return s == play::kNotePending || s == play::kNotePassed;
}

// The note records the lane walks: FastNote up to the last record.
void NoteRange(int* first, int* last) {
  const int n = std::clamp(Play.noteCount, 0, chart::kNoteCapacity);
  *first = std::clamp(int(Play.fastNote.load(kRelaxed)), 0, n);
  *last = n - 1;
}

// Objects farther right than this are not drawn at all (the lane clip would hide them).
constexpr double kFarRightX = 800.0;
constexpr double kLaneLeft = graphics::kLaneClipX;
constexpr double kScreenW = graphics::kScreenWidth;
constexpr double kScreenH = graphics::kScreenHeight;

// ---- layers 1 to 6 -----------------------------------------------------------------------

theme::StageClock StageTimes(const FieldFrame& f, double* stepBeat, theme::StageEffect* effects) {
  theme::StageClock c;
  c.now = f.t;
  c.play_start = f.view->playStart;
  c.beat = f.beat;
  c.gauge = f.gauge;
  c.clear_threshold = f.clearThreshold;
  for (int k = 0; k < play::kGaugeStepCount; ++k) stepBeat[k] = Play.gaugeStepBeat[k].load(kRelaxed);
  c.gauge_step_beat = stepBeat;
  c.mood = f.view->mood;
  c.previous_mood = f.view->previousMood;
  c.miss_mood_time = f.view->lastMissMoodTime;
  c.clear_mood_time = f.view->clearedTime;
  c.gogo = f.gogo != 0;
  for (int k = 0; k < theme::kEffectRingSize && k < play::kEffectRing; ++k) {
    effects[k].code = Play.effects[k].code.load(kRelaxed);
    effects[k].time = Play.effects[k].time.load(kRelaxed);
    effects[k].beat = Play.effects[k].beat.load(kRelaxed);
  }
  c.effects = effects;
  c.effect_next = std::clamp(int(Play.nextEffect.load(kRelaxed)), 0, theme::kEffectRingSize - 1);
  return c;
}

void DrawTitleBand() {
  const double y = L().song_title_y;
  graphics::DrawSprite(pa::TitleBg, 0, y - ImageH(pa::TitleBg) / 2.0);
  if (pa::TitleFont != -1 && chart::TheChart.title[0] != '\0')
    graphics::DrawTextRight(610, y, 0xFFFFFFFF, pa::TitleFont, "%s", chart::TheChart.title);
}

void DrawCourseSymbol(const FieldFrame& f) {
  graphics::DrawSpriteCentered(pa::Symbol[0], L().symbol_x, L().symbol_y);
  const int kind = Play.lastHitKind.load(kRelaxed);
  if (kind != play::kHitDonNote && kind != play::kHitKatNote && kind != play::kHitRoll) return;
  const double d = f.t - Play.lastHitTime.load(kRelaxed);
  const double a2 = FadeInHoldOut(d, 20, 150, 200);
  if (a2 > 0) graphics::DrawSpriteCenteredColor(pa::Symbol[1], White(a2), L().symbol_x, L().symbol_y);
  const double a3 = FadeInHoldOut(d - 20, 20, 100, 130);
  if (a3 > 0) graphics::DrawSpriteCenteredColor(pa::Symbol[2], White(a3), L().symbol_x, L().symbol_y);
}

// The character's picture and lift for this frame.
void CharacterPose(const FieldFrame& f, int* image, double* lift) {
  *lift = 0.0;
  if (f.gogo) {
    const double p = WholeMod(f.beat, 7200);
    *image = pa::CharaP1Gogo[p < 3000 ? 0 : p < 3600 ? 1 : p < 6600 ? 2 : 3];
    return;
  }
  if (f.view->mood == play::kMoodMiss) {
    *image = pa::CharaP1Miss[WholeMod(f.beat, 3600) < 1800 ? 0 : 1];
    return;
  }
  if (f.combo >= 10) {
    // A hop in the 440 ms after each round ten of the combo, leaving the ground at 100 ms.
    const double d = SinceCombo(f, f.combo / 10 * 10);
    if (d >= 100 && d < 440) {
      *image = pa::CharaP1[4];
      *lift = 20.0 * SinDeg(180.0 * (d - 100) / 340.0);
      return;
    }
  }
  const double p = WholeMod(f.beat, 14400);
  if (p < 10800)
    *image = pa::CharaP1[int(p / 1800) % 2];
  else
    *image = pa::CharaP1[p < 12600 ? 2 : 3];
}

void DrawCharacter(const FieldFrame& f) {
  // While a balloon is in play (and during its short ending) layer 29 shows the character.
  if (f.balloonStage != play::kBalloonIdle) {
    const bool ending = f.balloonStage == play::kBalloonBurstStage ||
                        f.balloonStage == play::kBalloonFailedStage;
    if (!ending || f.t - f.balloonTime < kBalloonEndAnimationMs) return;
  }
  int image = -1;
  double lift = 0.0;
  CharacterPose(f, &image, &lift);
  graphics::DrawSpriteCentered(image, L().character_x, L().character_y - lift);
}

void DrawGogoSplash(const FieldFrame& f) {
  if (!f.gogo) return;
  const double d = std::trunc(f.t - f.gogoTime);
  if (!(d >= 0 && d < 1000)) return;
  int loaded = 0;
  for (int h : pa::Splash) loaded += h != -1;
  const int index = int(d / 1000.0 * loaded);
  if (index >= 50) return;
  const int image = pa::Splash[index];
  if (image == -1) return;
  static constexpr double kX[6] = {50, 155, 260, 380, 485, 590};
  static constexpr double kDy[6] = {7, 5, 0, 0, 5, 7};
  static constexpr double kAngle[6] = {10, 5, 0, 0, -5, -10};
  const double half = ImageH(image) / 2.0;
  // Turning a picture costs a copy of all of it on the software path; one larger than the
  // screen (no splash ever is) is drawn upright so that it can't stall the frame.
  const bool upright = ImageW(image) > kScreenW || half * 2 > kScreenH;
  for (int k = 0; k < 6; ++k)
    graphics::DrawSpriteRotScaled(image, 0xFFFFFFFF, kX[k], kScreenH - half + kDy[k], 1, 1,
                                  upright ? 0.0 : kAngle[k]);
}

// ---- layers 7 to 13 ----------------------------------------------------------------------

// Left edge at the lane's start, centred on y.
void DrawOnLane(int image, uint32_t colour, double y) {
  graphics::DrawSpriteColor(image, colour, kLaneLeft, y - ImageH(image) / 2.0);
}

int LaneBackground(int lane) {
  switch (lane) {
    case chart::kLaneNormal: return pa::SfieldCourseNormal;
    case chart::kLaneExpert: return pa::SfieldCourseExpert;
    case chart::kLaneMaster: return pa::SfieldCourseMaster;
    default: return -1;
  }
}

int LaneTag(int lane) {
  switch (lane) {
    case chart::kLaneNormal: return pa::SfieldCourseNormalM;
    case chart::kLaneExpert: return pa::SfieldCourseExpertM;
    case chart::kLaneMaster: return pa::SfieldCourseMasterM;
    default: return -1;
  }
}

// Smooth start and end for the fades the lane chooses itself.
double Smooth(double u) {
  u = std::clamp(u, 0.0, 1.0);
  return u * u * (3.0 - 2.0 * u);
}

void DrawBranchLane(const FieldFrame& f) {
  if (!chart::TheChart.hasBranches) return;
  const double y = L().note_y;
  const int lane = Play.currentLane.load(kRelaxed);
  const int before = Play.laneBefore.load(kRelaxed);
  const double d = f.t - Play.lastEvaluationTime.load(kRelaxed);
  const bool changing = lane != before && d >= 0 && d < 1000;
  double alpha = 255.0;
  if (changing && d < 333) {
    DrawOnLane(LaneBackground(before), 0xFFFFFFFF, y);
    alpha = 255.0 * Smooth(d / 333.0);
  }
  DrawOnLane(LaneBackground(lane), White(alpha), y);
  const int tag = LaneTag(lane);
  const double hop = changing && d < 120 ? 8.0 * SinDeg(180.0 * d / 120.0) : 0.0;
  graphics::DrawSprite(tag, kScreenW - ImageW(tag), y - ImageH(tag) / 2.0 - hop);
}

void DrawGogoLane(const FieldFrame& f) {
  if (!f.gogo) return;
  const int image = pa::SfieldGogo;
  const double h = ImageH(image), y = L().note_y;
  double d = f.t - f.gogoTime;
  if (!(d >= 0)) d = 1000;  // a change stamped ahead of the clock shows the lane at rest
  double alpha = 255.0, height = 1.0;
  if (d < 50) {
    alpha = d / 50.0 * 255.0;
    height = 0.2;
  } else if (d < 150) {
    height = (d - 50) / 100.0 * 0.8 + 0.2;
  }
  height = Fit(image, height);
  graphics::DrawSpriteScaledColor(image, White(alpha), kLaneLeft, y - h * height / 2.0, 1.0, height);
  if (d < 150)
    graphics::DrawSpriteScaledColor(image, White(255.0 * (1.0 - d / 150.0)), kLaneLeft,
                                    y - h * height / 2.0, 1.0, height);
}

void DrawHitFlash(const FieldFrame& f) {
  const double alpha = HoldThenFade(f.t - Play.lastHitTime.load(kRelaxed), 130, 70);
  if (alpha <= 0) return;
  const uint32_t c = White(alpha);
  const double y = L().note_y;
  switch (Play.lastHitKind.load(kRelaxed)) {
    case play::kHitDonPress: DrawOnLane(pa::SfieldRed, c, y); break;
    case play::kHitKatPress: DrawOnLane(pa::SfieldBlue, c, y); break;
    case play::kHitDonNote:
      DrawOnLane(pa::SfieldRed, c, y);
      DrawOnLane(pa::SfieldHit, c, y);
      break;
    case play::kHitKatNote:
      DrawOnLane(pa::SfieldBlue, c, y);
      DrawOnLane(pa::SfieldHit, c, y);
      break;
    case play::kHitRoll: DrawOnLane(pa::SfieldYellow, c, y); break;
    default: break;
  }
}

void DrawGogoFire(const FieldFrame& f) {
  if (!f.gogo) return;
  // Eight pictures, 40 ms each, a flame that flickers five times a second.
  const int image = pa::Fire[int(WholeMod(f.t, 320.0) / 40.0) % 8];
  const double d = f.t - f.gogoTime;
  double scale = 1.0, alpha = 255.0;
  if (d >= 0 && d < 300) {
    // Bursts out to two and a half times its size, then settles.
    scale = 1.0 + 1.5 * SinDeg(180.0 * d / 300.0);
    alpha = std::min(255.0, d / 50.0 * 255.0);
  }
  scale = Fit(image, scale);
  graphics::DrawSpriteScaledAddCentered(image, White(alpha), kMarkX, L().note_y, scale, scale);
}

void DrawHitGlow(const FieldFrame& f) {
  const int last = Play.lastJudgement.load(kRelaxed);
  if (last < play::kLastGreat || last > play::kLastBigGood) return;
  const double alpha = HoldThenFade(f.t - Play.lastJudgementTime.load(kRelaxed), 80, 120);
  if (alpha <= 0) return;
  const bool big = last == play::kLastBigGreat || last == play::kLastBigGood;
  const bool great = last == play::kLastGreat || last == play::kLastBigGreat;
  graphics::DrawSpriteCenteredColor(pa::EffectNote[big ? 1 : 0],
                                    Tinted(great ? L().effect_note_color : 0xFFFFFFu, alpha),
                                    kMarkX, L().note_y);
}

// ---- layers 14 to 16 ---------------------------------------------------------------------

// The roll's end record (the one after its start), or -1.
int RollEndRecord(int i, int last) {
  if (i + 1 > last) return -1;
  return chart::TheChart.notes[i + 1].type == chart::kNoteRollEnd ? i + 1 : -1;
}

void DrawRollCaption(int i, int last, double x, double labelW) {
  const int piece = pa::RollM[2];
  const int end = RollEndRecord(i, last);
  const double pw = ImageW(piece);
  if (end < 0 || pw < 4) return;
  const double stop = std::min(play::NoteX(end) - 24.0, kScreenW + pw);
  const double step = pw - 3.0;
  double left = x + labelW / 2.0 - 3.0;
  // Pieces wholly left of the lane are cut away anyway: start at the first one that shows.
  if (left + pw < kLaneLeft) left += std::ceil((kLaneLeft - pw - left) / step) * step;
  const double y = L().note_m_y;
  for (int k = 0; k < 4096 && left + pw <= stop; ++k, left += step)
    graphics::DrawSpriteLaneClipped(piece, left + pw / 2.0, y);
}

void DrawCaptions(const FieldFrame&) {
  int first, last;
  NoteRange(&first, &last);
  const double y = L().note_m_y;
  for (int i = last; i >= first; --i) {
    if (!NoteShown(i)) continue;
    const double x = play::NoteX(i);
    if (!(x <= kFarRightX)) continue;
    const chart::ChartNote& n = chart::TheChart.notes[i];
    const int image = LabelImage(n.label);
    if (n.type == chart::kNoteRoll || n.type == chart::kNoteBigRoll)
      DrawRollCaption(i, last, x, ImageW(image));
    graphics::DrawSpriteLaneClipped(image, x, y);
  }
}

void DrawBarLines(const FieldFrame& f) {
  const double y = L().note_y;
  const int speed = Play.scrollSpeed;
  for (int i = 0; i < chart::kBarLineCapacity; ++i) {
    const chart::BarLine& b = chart::TheChart.barLines[i];
    if (b.time >= chart::kNeverTime) break;
    if (!b.visible || !play::BarLineLive(i)) continue;
    const double x = play::LanePosition(b.time, f.t, b.scroll, b.bpm, speed);
    if (!(x > kLaneLeft - 50 && x <= kFarRightX)) continue;
    graphics::DrawSpriteLaneClipped(b.branchStart ? pa::LineBranch : pa::Line, x, y);
  }
}

void DrawRollBody(int i, int last, int type, double x) {
  const int end = RollEndRecord(i, last);
  if (end < 0) return;
  const double limit = kScreenW + ImageW(pa::Roll[8]) / 2.0;
  const double a = std::min(std::max(x, kLaneLeft), limit);
  const double b = std::min(std::max(play::NoteX(end), kLaneLeft), limit);
  const double length = b - a - ImageW(RollEnd(type)) / 2.0 + 3.0;
  if (!(length > 0)) return;
  const int body = RollBody(type);
  graphics::DrawSpriteStrip(body, a, length, L().note_y - ImageH(body) / 2.0);
}

void DrawNotes(const FieldFrame& f) {
  int first, last;
  NoteRange(&first, &last);
  const int fr = NoteFrame(f.combo, f.t);
  const double y = L().note_y;
  for (int i = last; i >= first; --i) {
    if (!NoteShown(i)) continue;
    const double x = play::NoteX(i);
    if (!(x <= kFarRightX)) continue;
    const int type = chart::TheChart.notes[i].type;
    switch (type) {
      case chart::kNoteRoll:
      case chart::kNoteBigRoll:
        DrawRollBody(i, last, type, x);
        graphics::DrawSpriteLaneClipped(NoteImage(type, fr), x, y);
        break;
      case chart::kNoteRollEnd: {
        const int closes = i > 0 ? chart::TheChart.notes[i - 1].type : 0;
        if (closes == chart::kNoteRoll || closes == chart::kNoteBigRoll)
          graphics::DrawSpriteLaneClipped(RollEnd(closes), x, y);
        break;
      }
      case chart::kNoteBalloon: {
        const int head = NoteImage(type, fr);
        const int tail = pa::Geki[3];
        graphics::DrawSpriteLaneClipped(tail, x + ImageW(head) / 2.0 + ImageW(tail) / 2.0 - 2.0, y);
        graphics::DrawSpriteLaneClipped(head, x, y);
        break;
      }
      default: graphics::DrawSpriteLaneClipped(NoteImage(type, fr), x, y); break;
    }
  }
}

}  // namespace

void DrawBackLayers(const FieldFrame& f) {
  double stepBeat[play::kGaugeStepCount];
  theme::StageEffect effects[theme::kEffectRingSize];
  const theme::StageClock stage = StageTimes(f, stepBeat, effects);
  theme::DrawUpperBackground(stage);  // 1
  DrawTitleBand();                    // 2
  DrawCourseSymbol(f);                // 3
  DrawCharacter(f);                   // 4
  theme::DrawStage();                 // 5
  theme::DrawDancers(stage);
  theme::DrawFiver(stage);
  DrawGogoSplash(f);                  // 6
}

void DrawLaneLayers(const FieldFrame& f) {
  DrawOnLane(pa::SfieldBg, 0xFFFFFFFF, L().scroll_field_y);  // 7
  DrawBranchLane(f);                                         // 8
  DrawGogoLane(f);                                           // 9
  DrawHitFlash(f);                                           // 10
  DrawGogoFire(f);                                           // 11
  graphics::DrawSpriteAddCentered(pa::JudgePoint, 0xFFFFFFFF, kMarkX, L().note_y);  // 12
  DrawHitGlow(f);                                            // 13
  DrawCaptions(f);                                           // 14
  DrawBarLines(f);                                           // 15
  DrawNotes(f);                                              // 16
}

// The chibi run in front of the gauge (layer 23); they need the same stage clock.
void DrawChibiLayer(const FieldFrame& f) {
  double stepBeat[play::kGaugeStepCount];
  theme::StageEffect effects[theme::kEffectRingSize];
  theme::DrawChibi(StageTimes(f, stepBeat, effects));
}

}  // namespace field

void RunBackgroundScript(const FrameView& view) {
  const int threshold = std::clamp(play::Play.clearThreshold, 1, 100);
  theme::BgScriptClock c;
  c.now = view.clock;
  c.play_start = view.playStart;
  c.clear_threshold = threshold;
  c.gauge = field::GaugeValue();
  c.threshold_time = play::Play.gaugeStepClock[threshold].load(field::kRelaxed);
  c.below_threshold_time = play::Play.gaugeStepClock[threshold - 1].load(field::kRelaxed);
  theme::DrawBgScript(c);
}

void DrawPlayField(const FrameView& view) {
  field::FieldFrame f;
  f.view = &view;
  f.t = view.clock;
  f.beat = view.beatClock;
  f.combo = std::max(0, int(play::Play.combo.load(field::kRelaxed)));
  f.score = play::Play.score.load(field::kRelaxed);
  f.gauge = field::GaugeValue();
  f.clearThreshold = play::Play.clearThreshold;
  f.gogo = play::Play.gogo.load(field::kRelaxed);
  f.gogoTime = play::Play.lastGogoTime.load(field::kRelaxed);
  f.balloonStage = play::Play.balloonStage.load(field::kRelaxed);
  f.balloonTime = play::Play.balloonTime.load(field::kRelaxed);
  f.remainingHits = play::Play.remainingHits.load(field::kRelaxed);
  f.bad = play::Play.bad.load(field::kRelaxed);
  f.latestNoteTime = play::Play.latestNoteTime;
  field::DrawBackLayers(f);
  field::DrawLaneLayers(f);
  field::DrawStatusLayers(f);
}

}  // namespace playscene
