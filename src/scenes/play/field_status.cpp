// The play field's status side, back to front: drum, combo flower, number and sparkles, hit
// effects, soul gauge and soul, chibi, judgement text, flying notes, roll counter, combo and
// branch balloons, the balloon in play, the full-combo curtain and the score with its popups.
#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "play/play_record.h"
#include "scenes/play/field_internal.h"
#include "theme/assets.h"
#include "theme/layout.h"

namespace playscene::field {

namespace {

namespace pa = theme::play_assets;
using play::Play;
constexpr auto kRelaxed = std::memory_order_relaxed;

const theme::PlayLayoutData& L() { return theme::PlayLayout; }

// ---- layer 17: drum ----------------------------------------------------------------------

void DrawDrum(const FieldFrame& f) {
  const double x = L().taiko_x, y = L().taiko_y;
  graphics::DrawSpriteCentered(pa::TaikoP1, x, y);
  const int halves[4] = {pa::TaikoRed[0], pa::TaikoRed[1], pa::TaikoBlue[0], pa::TaikoBlue[1]};
  for (int side = 0; side < 4; ++side) {
    const double alpha = HoldThenFade(f.t - Play.drumHitTime[side].load(kRelaxed), 100, 100);
    if (alpha > 0) graphics::DrawSpriteCenteredColor(halves[side], White(alpha), x, y);
  }
}

// ---- layers 18 to 20: combo --------------------------------------------------------------

void DrawComboFlower(const FieldFrame& f) {
  if (f.combo < 100) return;
  const double d = SinceCombo(f, f.combo / 100 * 100);
  const double x = L().combo_x, y = L().combo_y;
  if (!(d >= 0) || d >= 4770) return;
  if (d < 170) {
    const double s = 1.0833 * SinDeg(d * 0.6588);
    graphics::DrawSpriteScaledCentered(pa::Flower, x, y, Fit(pa::Flower, s), Fit(pa::Flower, s));
    graphics::DrawSpriteScaledCentered(pa::FlowerM, x, y, Fit(pa::FlowerM, s), Fit(pa::FlowerM, s));
    return;
  }
  const double flowerAlpha = d < 4670 ? 255.0 : 255.0 - (d - 4670) * 2.55;
  graphics::DrawSpriteCenteredColor(pa::Flower, White(flowerAlpha), x, y);
  if (d < 2070) {
    const double a = d < 1970 ? 255.0 : 255.0 - (d - 1970) * 2.55;
    graphics::DrawSpriteCenteredColor(pa::FlowerM, White(a), x, y);
  }
}

void DrawComboNumber(const FieldFrame& f) {
  if (f.combo < graphics::kComboShownFrom) return;
  graphics::ComboNumberLayout layout;
  layout.x = L().combo_x;
  layout.y = L().combo_y;
  layout.w = L().combo_w;
  layout.over100W = L().combo_over100_w;
  layout.over1000W = L().combo_over1000_w;
  const int* digits = f.combo < 100 ? pa::ComboNumber : pa::ComboLNumber;
  // Digit pictures larger than the screen are not stretched (see Fit).
  const bool oversized = ImageW(digits[0]) > graphics::kScreenWidth || ImageH(digits[0]) > graphics::kScreenHeight;
  const double since = oversized ? play::kNever : SinceCombo(f, f.combo);
  graphics::DrawComboNumber(digits, layout, f.combo, since);
}

void DrawComboSparkles(const FieldFrame& f) {
  if (f.combo < 100) return;
  struct Sparkle { double start, dx, dy; };
  static constexpr Sparkle kSparkles[8] = {{0, -40, 30},   {30, -30, -15}, {100, 0, -20},
                                           {100, 30, -20}, {160, 10, 16},  {160, 40, 16},
                                           {250, -8, 14},  {180, -38, -20}};
  const double p = WholeMod(f.t, 500);
  for (const Sparkle& s : kSparkles) {
    const double u = p - s.start;
    if (u < 0 || u >= 250) continue;
    const double scale = Fit(pa::ComboBright, 1.0 - u / 375.0);
    graphics::DrawSpriteScaledAddCentered(pa::ComboBright, White(255.0 * (1.0 - u / 250.0)),
                                          L().combo_x + s.dx, L().combo_y + s.dy - u / 250.0 * 20.0,
                                          scale, scale);
  }
}

// ---- layer 21: hit effects ---------------------------------------------------------------

void DrawHitEffect(int code, double d, double y) {
  if (code == play::kEffectBigDonGreat || code == play::kEffectBigKatGreat) {
    // The big Great burst: a ring that spreads out, a star that flickers and fades, and a
    // second flash as the ring goes. (Only the ring is scaled: scaled additive drawing is the
    // dear kind on the software path.)
    if (d >= 350) return;
    const double ring = Fit(pa::Effect[0], std::max(1.0 / 3.0, d / 200.0));
    graphics::DrawSpriteScaledAddCentered(pa::Effect[0], White(HoldThenFade(d, 200, 150)), kMarkX, y,
                                          ring, ring);
    const double flicker = 0.8 + 0.2 * std::cos(kPi * 2.0 * d / 60.0);
    graphics::DrawSpriteAddCentered(pa::Effect[2], White(HoldThenFade(d, 120, 180) * flicker), kMarkX, y);
    if (d >= 200)
      graphics::DrawSpriteAddCentered(pa::Effect[0], White(HoldThenFade(d - 200, 0, 150)), kMarkX, y);
    return;
  }
  int image;
  switch (code) {
    case play::kEffectDonGreat:
    case play::kEffectKatGreat: image = pa::Effect[0]; break;
    case play::kEffectDonGood:
    case play::kEffectKatGood: image = pa::Effect[1]; break;
    case play::kEffectBigDonGood:
    case play::kEffectBigKatGood: image = pa::Effect[3]; break;
    default: return;
  }
  const double alpha = HoldThenFade(d, 100, 50);
  if (alpha <= 0) return;
  const double scale = Fit(image, std::min(1.0, (d / 1.5 + 16.67) / 50.0));
  graphics::DrawSpriteScaledAddCentered(image, White(alpha), kMarkX, y, scale, scale);
}

void DrawHitEffects(const FieldFrame& f) {
  const double y = L().note_y;
  const int next = std::clamp(int(Play.nextEffect.load(kRelaxed)), 0, play::kEffectRing - 1);
  // Oldest first, so the newest burst is on top.
  for (int k = 0; k < play::kEffectRing; ++k) {
    const play::JudgeEffect& e = Play.effects[(next + k) % play::kEffectRing];
    const int code = e.code.load(kRelaxed);
    if (code < play::kEffectDonGreat || code > play::kEffectBigKatGood) continue;
    const double d = f.t - e.time.load(kRelaxed);
    if (d >= 0 && d < 1000) DrawHitEffect(code, d, y);
  }
}

// ---- layer 22: soul gauge and soul -------------------------------------------------------

void DrawSoulGauge(const FieldFrame& f) {
  const double gx = L().soulgauge_x, gy = L().soulgauge_y;
  const double mx = L().soulgauge_meter_x, my = L().soulgauge_meter_y;
  graphics::DrawSprite(pa::SoulGauge[0], gx, gy);
  const int meter = pa::SoulGauge[2];
  const double grow = std::max(1, L().soulgauge_meter_grow);
  const double cut = std::trunc(ImageW(meter) / grow * f.gauge / 100.0) * grow;
  if (cut > 0) {
    graphics::DrawSpritePart(meter, mx, my, cut, -1);
    if (f.gauge >= f.clearThreshold) {
      const double p = WholeMod(f.t, 600);
      const double a = p < 50 ? p / 50.0 * 255.0 : p < 100 ? (100.0 - p) / 50.0 * 255.0 : 0.0;
      if (a > 0) graphics::DrawSpritePartColor(pa::SoulGauge[3], White(a), mx, my, cut, -1);
    }
    const int frames = std::clamp(pa::SoulGaugeFrames, 0, 20);
    if (f.gauge >= play::kGaugeMax && frames > 0) {
      const int k = int(WholeMod(f.t, 66.0 * frames) / 66.0);
      graphics::DrawSpritePart(pa::SoulGauge[4 + std::min(k, frames - 1)], mx, my, cut, -1);
    }
  }
  graphics::DrawSprite(pa::SoulGauge[1], gx, gy);

  const double sx = L().soul_x, sy = L().soul_y;
  const bool full = f.gauge >= play::kGaugeMax;
  if (full) graphics::DrawSpriteCentered(pa::Soul[2 + int(WholeMod(f.t, 66.0 * 20) / 66.0) % 20], sx, sy);
  graphics::DrawSpriteCentered(pa::Soul[0], sx, sy);
  if (full)
    graphics::DrawSpriteCenteredColor(pa::Soul[1], White(160.0 + 95.0 * SinDeg(f.t * 0.45)), sx, sy);
}

// ---- layer 24: judgement text ------------------------------------------------------------

void DrawJudgementText(const FieldFrame& f) {
  int image;
  switch (Play.lastJudgement.load(kRelaxed)) {
    case play::kLastGreat:
    case play::kLastBigGreat: image = pa::JudgeGreat; break;
    case play::kLastGood:
    case play::kLastBigGood: image = pa::JudgeGood; break;
    case play::kLastBad: image = pa::JudgeBad; break;
    default: return;
  }
  const double d = f.t - Play.lastJudgementTime.load(kRelaxed);
  if (!(d >= 0) || d >= 400) return;
  double alpha = d < 300 ? std::min(255.0, d * 6.375) : 255.0 * (1.0 - (d - 300) / 100.0);
  const double rise = d < 80 ? 12.0 * (1.0 - d / 80.0) : 0.0;
  graphics::DrawSpriteCenteredColor(image, White(alpha), kMarkX, L().note_y - 50 + rise);
}

// ---- layer 25: flying notes --------------------------------------------------------------

constexpr double kFlightMs = 330.0;

int FlyingImage(int code) {
  switch (code) {
    case play::kEffectDonGreat:
    case play::kEffectDonGood:
    case play::kEffectDonRoll: return pa::Don[1];
    case play::kEffectKatGreat:
    case play::kEffectKatGood:
    case play::kEffectKatRoll: return pa::Kat[1];
    case play::kEffectBigDonGreat:
    case play::kEffectBigDonGood:
    case play::kEffectDonBigRoll:
    case play::kEffectBalloonBurst: return pa::Don[3];
    case play::kEffectBigKatGreat:
    case play::kEffectBigKatGood:
    case play::kEffectKatBigRoll: return pa::Kat[3];
    default: return -1;
  }
}

// Where a flying note is u (0..1) of the way: x moves evenly, y follows a sine arc bowed up
// by note_bound.
void FlightPoint(double u, double* x, double* y) {
  u = std::clamp(u, 0.0, 1.0);
  *x = kMarkX + (L().soul_x - kMarkX) * u;
  *y = L().note_y + (L().soul_y - L().note_y) * SinDeg(90.0 * u) - L().note_bound * SinDeg(180.0 * u);
}

void DrawSplashTrail(const int* set, double d) {
  // Eight splashes dropped along the path, one every 50 ms, each playing its twenty pictures
  // over 250 ms where it was dropped.
  for (int j = 0; j < 8; ++j) {
    const double age = d - 50.0 * j;
    if (age < 0 || age >= 250) continue;
    double x, y;
    FlightPoint(50.0 * j / kFlightMs, &x, &y);
    graphics::DrawSpriteAddCentered(set[std::min(19, int(age / 250.0 * 20))], 0xFFFFFFFF, x, y);
  }
}

void DrawRainbow(double d) {
  const int image = pa::EffectHitRainbow;
  const double w = ImageW(image), h = ImageH(image);
  if (w <= 0 || d < 300 || d >= 1000) return;
  const double left = L().effect_hit_rainbow_x - w / 2.0, top = L().effect_hit_rainbow_y - h / 2.0;
  if (d < 500) {  // revealed from the left
    const double shown = std::trunc(w * (d - 300) / 200.0);
    if (shown >= 1) graphics::DrawSpritePart(image, left, top, shown, -1);
  } else if (d < 800) {
    graphics::DrawSprite(image, left, top);
  } else {  // and wiped away from the left the same way
    const double cut = std::trunc(w * (d - 800) / 200.0);
    if (cut < w) graphics::DrawSpriteCropLeft(image, left + cut, cut, top);
  }
}

void DrawFlyingNotes(const FieldFrame& f) {
  const int next = std::clamp(int(Play.nextEffect.load(kRelaxed)), 0, play::kEffectRing - 1);
  for (int k = 0; k < play::kEffectRing; ++k) {
    const play::JudgeEffect& e = Play.effects[(next + k) % play::kEffectRing];
    if (!e.show.load(kRelaxed)) continue;
    const int code = e.code.load(kRelaxed);
    const int image = FlyingImage(code);
    if (image == -1 && code != play::kEffectBalloonBurst) continue;
    const double d = f.t - e.time.load(kRelaxed);
    if (!(d >= 0) || d >= 1000) continue;
    if (code == play::kEffectBalloonBurst) DrawRainbow(d);
    if (code == play::kEffectBigDonGreat || code == play::kEffectBigDonGood ||
        code == play::kEffectBalloonBurst)
      DrawSplashTrail(pa::EffectHitRed, d);
    if (code == play::kEffectBigKatGreat || code == play::kEffectBigKatGood)
      DrawSplashTrail(pa::EffectHitBlue, d);
    if (d < kFlightMs) {
      double x, y;
      FlightPoint(d / kFlightMs, &x, &y);
      graphics::DrawSpriteCentered(image, x, y);
    } else if (d < kFlightMs + 200) {
      graphics::DrawSpriteAddCentered(pa::SoulEffect,
                                      Tinted(L().soul_effect_color, HoldThenFade(d - kFlightMs, 40, 160)),
                                      L().soul_x, L().soul_y);
    }
  }
}

// ---- layers 26 to 28: balloons of the status -----------------------------------------------

void DrawRollCounter(const FieldFrame& f) {
  const double d = f.t - Play.rollCountTime.load(kRelaxed);
  if (!(d >= 0) || d >= 1550) return;
  const double alpha = HoldThenFade(d, 1400, 150);
  graphics::DrawSpriteCenteredColor(pa::RollBalloon, White(alpha), L().roll_balloon_x, L().roll_balloon_y);
  const long long count = std::max(0, int(Play.rollCountDisplay.load(kRelaxed)));
  const bool wide = count >= 100;
  graphics::DrawDigitNumber(pa::RollNumber, count, graphics::NumberDigitCount(count),
                            wide ? L().roll_balloon_num_over100_x : L().roll_balloon_num_x,
                            L().roll_balloon_num_y,
                            wide ? L().roll_balloon_num_over100_w : L().roll_balloon_num_w,
                            White(alpha), Fit(pa::RollNumber[0], graphics::ComboStretch(d)));
}

void DrawComboBalloon(const FieldFrame& f) {
  if (f.combo < 10) return;
  const double d = SinceCombo(f, f.combo / 10 * 10);
  if (!(d >= 0) || d >= 830) return;
  const double alpha = d < 50 ? d / 50.0 * 255.0 : HoldThenFade(d, 730, 100);
  const double pop =
      Fit(pa::ComboBalloonP1, d >= 50 && d < 200 ? 1.0 + 0.12 * SinDeg(180.0 * (d - 50) / 150.0) : 1.0);
  graphics::DrawSpriteScaledColorCentered(pa::ComboBalloonP1, White(alpha), L().combo_balloon_x,
                                          L().combo_balloon_y, pop, pop);
  // The balloon celebrates the round count it appeared for, not the hits that follow.
  const int reached = f.combo / 10 * 10;
  graphics::DrawDigitNumber(pa::ComboBalloonNumber, reached, graphics::NumberDigitCount(reached),
                            L().combo_balloon_num_x, L().combo_balloon_num_y,
                            reached < 1000 ? L().combo_balloon_num_w : L().combo_balloon_num_over1000_w,
                            White(alpha));
}

void DrawBranchBalloon(const FieldFrame& f) {
  const int lane = Play.currentLane.load(kRelaxed), before = Play.laneBefore.load(kRelaxed);
  if (lane == before) return;
  const double d = f.t - Play.lastEvaluationTime.load(kRelaxed);
  if (!(d >= 0) || d >= 1000) return;
  graphics::DrawSpriteCenteredColor(lane > before ? pa::LevelupBalloon : pa::LeveldownBalloon,
                                    White(FadeInHoldOut(d, 50, 900, 1000)), L().branch_balloon_x,
                                    L().branch_balloon_y);
}

// ---- layer 29: the balloon in play -------------------------------------------------------

void DrawBalloonInPlay(const FieldFrame& f) {
  int stage = f.balloonStage;
  const double d = f.t - f.balloonTime;
  if (stage >= 1 && stage <= 8) {
    // The first hit's pose is held for 50 ms, then the balloon has its first swell.
    if (stage == 1 && d >= 50) {
      int expected = 1;
      if (Play.balloonStage.compare_exchange_strong(expected, 2, kRelaxed)) stage = 2;
    }
    const bool hitPose = d >= 50 && d < 200;
    graphics::DrawSpriteCentered(pa::CharaP1Balloon[hitPose ? 1 : 0], L().character_balloon_x,
                                 L().character_balloon_y);
    const int picture = std::min(7, stage - 1 + (d >= 140 ? 1 : 0));
    graphics::DrawSpriteCentered(pa::Balloon[picture], hitPose ? L().balloon_hit_x : L().balloon_x,
                                 hitPose ? L().balloon_hit_y : L().balloon_y);
    graphics::DrawSpriteCentered(pa::BurstBalloon, L().burst_balloon_x, L().burst_balloon_y);
    const long long left = std::max(0, f.remainingHits);
    graphics::DrawDigitNumber(pa::BurstNumber, left, graphics::NumberDigitCount(left),
                              L().burst_balloon_num_x, L().burst_balloon_num_y, L().burst_balloon_num_w,
                              0xFFFFFFFF, Fit(pa::BurstNumber[0], graphics::ComboStretch(d)));
    return;
  }
  if (!(d >= 0) || d >= kBalloonEndAnimationMs) return;
  const double cx = L().character_balloon_x, cy = L().character_balloon_y;
  if (stage == play::kBalloonBurstStage) {
    // Burst: the character throws up its arms while the last picture blows apart.
    graphics::DrawSpriteCentered(pa::CharaP1Balloon[d < 150 ? 2 : 3], cx, cy);
    if (d < 300) {
      const double s = Fit(pa::Balloon[7], 1.0 + 0.6 * d / 300.0);
      graphics::DrawSpriteScaledColorCentered(pa::Balloon[7], White(HoldThenFade(d, 100, 200)),
                                              L().balloon_x, L().balloon_y, s, s);
    }
  } else if (stage == play::kBalloonFailedStage) {
    // Failed: the character droops and the balloon floats away, fading.
    graphics::DrawSpriteCentered(pa::CharaP1Balloon[4], cx, cy);
    graphics::DrawSpriteCenteredColor(pa::Balloon[6], White(HoldThenFade(d, 300, 400)), L().balloon_x,
                                      L().balloon_y - d * 0.12);
  }
}

// ---- layer 30: full-combo curtain --------------------------------------------------------

void DrawCurtain(const FieldFrame& f) {
  if (f.bad != 0 || Play.gaugeNotes <= 0) return;
  const double d = f.t - (f.latestNoteTime + play::kFullComboVoiceDelayMs);
  if (!(d >= 800)) return;
  // The curtain drops in 400 ms, overshoots and swings back to rest by 1500 ms.
  const double u = std::min(1.0, (d - 800) / 700.0);
  for (int k = 0; k < 3; ++k) {
    const double h = ImageH(pa::Drapery[k]);
    double y = 0.0;
    if (u < 4.0 / 7.0) {
      const double v = u * 7.0 / 4.0;
      y = -h * (1.0 - v * v);
    } else if (u < 1.0) {
      const double v = (u - 4.0 / 7.0) * 7.0 / 3.0;
      y = 12.0 * SinDeg(180.0 * v) * (1.0 - v);
    }
    graphics::DrawSprite(pa::Drapery[k], 0, y);
  }
  static constexpr double kFlowers[8][2] = {{230, 190}, {260, 124}, {318, 185}, {358, 122},
                                            {400, 192}, {450, 120}, {492, 192}, {538, 130}};
  for (int j = 0; j < 8; ++j) {
    const double a = d - 1500.0 - 33.33 * j;
    if (a < 0) break;
    const double s = Fit(pa::DraperyFlower[j], a < 80 ? 1.0 + 0.3 * SinDeg(180.0 * a / 80.0) : 1.0);
    graphics::DrawSpriteScaledCentered(pa::DraperyFlower[j], kFlowers[j][0], kFlowers[j][1], s, s);
  }
}

// ---- layer 31: score and popups ----------------------------------------------------------

void DrawScore(const FieldFrame& f) {
  const long long score = std::max(0, f.score);
  const int latest = (Play.nextPopup.load(kRelaxed) + play::kPopupRing - 1) % play::kPopupRing;
  const play::ScorePopup& p = Play.popups[latest];
  const double since = f.t - (p.until.load(kRelaxed) - play::kPopupShowMs);
  const long long before = Play.popups[(latest + play::kPopupRing - 1) % play::kPopupRing].score.load(kRelaxed);
  const bool bouncing = since >= 0 && since < 120 && p.score.load(kRelaxed) == score;
  const double lift = bouncing ? 6.0 * SinDeg(180.0 * since / 120.0) : 0.0;
  const int digits = graphics::NumberDigitCount(score);
  for (int k = 1; k <= digits; ++k) {
    const int digit = graphics::NumberDigit(score, k);
    const bool changed = bouncing && (k > graphics::NumberDigitCount(before) ||
                                      graphics::NumberDigit(before, k) != digit);
    graphics::DrawDigitNumber(pa::ScoreNumber, digit, 1, L().score_x - (k - 1) * double(L().score_w),
                              L().score_y - (changed ? lift : 0.0), 0);
  }
}

void DrawScorePopups(const FieldFrame& f) {
  const double y0 = L().score_y - 30.0;
  for (int k = 0; k < play::kPopupRing; ++k) {
    const play::ScorePopup& p = Play.popups[k];
    const double until = p.until.load(kRelaxed);
    if (!(until > f.t)) continue;
    const double d = f.t - (until - play::kPopupShowMs);
    if (!(d >= 0)) continue;
    const long long points =
        (long long)p.score.load(kRelaxed) -
        Play.popups[(k + play::kPopupRing - 1) % play::kPopupRing].score.load(kRelaxed);
    if (points <= 0) continue;
    const int digits = graphics::NumberDigitCount(points);
    const double fadeIn = std::min(255.0, d / 50.0 * 255.0);
    for (int j = 0; j < digits; ++j) {  // j = 0 is the leftmost digit, the first to drop
      const int place = digits - j;
      const double drop = d - 250.0 - 40.0 * j;
      if (drop >= 100) continue;
      double y = y0, alpha = fadeIn;
      if (drop >= 0) {
        const double u = drop / 100.0;
        y = y0 + 30.0 * u * u;
        alpha = 255.0 * (1.0 - u);
      }
      graphics::DrawDigitNumber(pa::ScoreNumber, graphics::NumberDigit(points, place), 1,
                                L().score_x - (place - 1) * double(L().score_w), y, 0,
                                Tinted(L().score_color, alpha));
    }
  }
}

}  // namespace

void DrawStatusLayers(const FieldFrame& f) {
  DrawDrum(f);            // 17
  DrawComboFlower(f);     // 18
  DrawComboNumber(f);     // 19
  DrawComboSparkles(f);   // 20
  DrawHitEffects(f);      // 21
  DrawSoulGauge(f);       // 22
  DrawChibiLayer(f);      // 23
  DrawJudgementText(f);   // 24
  DrawFlyingNotes(f);     // 25
  DrawRollCounter(f);     // 26
  DrawComboBalloon(f);    // 27
  DrawBranchBalloon(f);   // 28
  DrawBalloonInPlay(f);   // 29
  DrawCurtain(f);         // 30
  DrawScore(f);           // 31
  DrawScorePopups(f);
}

}  // namespace playscene::field
