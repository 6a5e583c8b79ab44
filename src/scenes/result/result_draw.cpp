// The result screen, drawn every frame from the worker's timeline T (the presentation) and the
// result clock (things that keep moving whatever the skip did: the turning lights, the leave).
#include "scenes/result/result_draw.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "scenes/result/result_state.h"
#include "shell/scene_change.h"
#include "theme/assets.h"
#include "theme/layout.h"

namespace result {

namespace {

namespace ra = theme::result_assets;
using namespace graphics;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTurnPeriodMs = 3000.0;
constexpr double kDropInMs = 1650.0;
constexpr double kSettleMs = 1950.0;
constexpr double kDropScale = 1.4;
constexpr double kTossCatchMs = 22050.0;
constexpr double kJumpFromMs = 22400.0;
constexpr double kJumpCycleMs = 750.0;
constexpr double kJumpAirMs = 600.0;
constexpr double kJumpHeight = 80.0;
constexpr double kTossHeight = 90.0;
constexpr double kFullComboFadeMs = 600.0;
constexpr double kFullComboBounceEndMs = 1100.0;
constexpr int kOutline = 3;  // the title's outline: the border of a 7 x 7 square

uint32_t WithAlpha(double alpha, uint32_t rgb = 0xFFFFFF) {
  const int a = int(std::clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
  return uint32_t(a) << 24 | (rgb & 0xFFFFFF);
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// The message swells from 0.8 to 1.2 over its first 100 ms and settles to 1.0 by 21600.
double MessageScale(double t) {
  const double d = t - kCountEndMs;
  if (d < 100.0) return 0.8 + 0.4 * Clamp01(d / 100.0);
  if (d < 200.0) return 1.2 - 0.2 * (d - 100.0) / 100.0;
  return 1.0;
}

// It fades in over 100 ms and out from 23600 to 24050.
double MessageAlpha(double t) {
  const double fadeOutFrom = kMessageEndMs - 450.0;
  if (t >= fadeOutFrom) return Clamp01(1.0 - (t - fadeOutFrom) / 450.0);
  return Clamp01((t - kCountEndMs) / 100.0);
}

// Fraction of the meter shown: it fills to the gauge from 7500 to 9200.
double GaugeFill(double gauge, double t) {
  const double g = std::clamp(gauge, 0.0, 100.0) / 100.0;
  return g * Clamp01((t - kGaugeStartMs) / kGaugeFillMs);
}

void DrawBackground(double clock) {
  const theme::ResultLayoutData& L = theme::ResultLayout;
  DrawSprite(Result.failed ? ra::Failed : ra::Clear, 0, 0);
  const double angle = std::fmod(std::max(0.0, clock), kTurnPeriodMs) / kTurnPeriodMs * 360.0;
  DrawSpriteRotated(ra::Turn, L.turn_p1_x, L.turn_p1_y, angle);
  DrawSpriteRotated(ra::Turn, L.turn_p2_x, L.turn_p2_y, angle);
  DrawSpriteCentered(ra::SymbolP1, L.symbol_p1_x, L.symbol_p1_y);
  DrawSpriteCentered(ra::SymbolP2, L.symbol_p2_x, L.symbol_p2_y);
  DrawSpriteCentered(ra::Course, L.course_x, L.course_y);
  DrawSpriteCentered(ra::BoardP1, L.board_p1_x, L.board_p1_y);
}

void DrawNumbers(double t) {
  const theme::ResultLayoutData& L = theme::ResultLayout;
  struct Place {
    int x, y;
  };
  const Place at[kNumberCount] = {{L.score_p1_x, L.score_p1_y},   {L.maxcombo_p1_x, L.maxcombo_p1_y},
                                  {L.rate_p1_x, L.rate_p1_y},     {L.great_p1_x, L.great_p1_y},
                                  {L.good_p1_x, L.good_p1_y},     {L.bad_p1_x, L.bad_p1_y},
                                  {L.roll_p1_x, L.roll_p1_y}};
  for (int i = 0; i < kNumberCount; ++i) {
    int shown = 0;
    const int64_t v = ShownNumber(i, t, &shown);
    if (shown == 0) continue;
    const bool big = i == kScore;
    DrawDigitNumber(big ? ra::ScoreNumber : ra::ScoreSNumber, v, shown, at[i].x, at[i].y,
                    big ? L.score_w : L.score_s_w);
  }
}

void DrawSoulGauge(double t) {
  if (t < kGaugeStartMs) return;
  const theme::ResultLayoutData& L = theme::ResultLayout;
  const double gauge = Result.input.gauge;
  DrawSprite(ra::SoulGauge, L.soulgauge_p1_x, L.soulgauge_p1_y);
  const double width = std::floor(GetTextureWidth(ra::SoulGaugeP1) * GaugeFill(gauge, t));
  if (width >= 1.0)
    DrawSpritePart(ra::SoulGaugeP1, L.soulgauge_meter_p1_x, L.soulgauge_meter_p1_y, width, -1);
  if (gauge < 100.0 || t < kSoulMs) return;
  // The soul lights up: a flash as it appears, then a slow pulse.
  const double d = t - kSoulMs;
  if (t < kSoulFlashEndMs) {
    const double f = d / (kSoulFlashEndMs - kSoulMs);
    DrawSpriteScaledAddCentered(ra::SoulEffectP1, WithAlpha(1.0 - f), L.soul_p1_x, L.soul_p1_y,
                                1.0 + f, 1.0 + f);
    DrawSpriteScaledCentered(ra::Soul, L.soul_p1_x, L.soul_p1_y, 1.3 - 0.3 * f, 1.3 - 0.3 * f);
    return;
  }
  const double wave = std::sin(2.0 * kPi * (t - kSoulFlashEndMs) / kSoulPulseMs);
  DrawSpriteScaledAddCentered(ra::SoulEffectP1, WithAlpha(0.45 + 0.35 * wave), L.soul_p1_x,
                              L.soul_p1_y, 1.0, 1.0);
  const double s = 1.0 + 0.05 * wave;
  DrawSpriteScaledCentered(ra::Soul, L.soul_p1_x, L.soul_p1_y, s, s);
}

void DrawMessage(double t) {
  if (t < kCountEndMs || t >= kMessageEndMs) return;
  const theme::ResultLayoutData& L = theme::ResultLayout;
  const double s = MessageScale(t);
  DrawSpriteScaledColorCentered(Result.failed ? ra::MessageFailed : ra::MessageClear,
                                WithAlpha(MessageAlpha(t)), L.message_p1_x, L.message_p1_y, s, s);
}

void DrawFullCombo(double t) {
  if (!Result.fullCombo || t < kFullComboMs) return;
  const theme::ResultLayoutData& L = theme::ResultLayout;
  const double d = t - kFullComboMs;
  double s = 1.0;
  if (d < kFullComboFadeMs) {
    const double f = d / kFullComboFadeMs;
    s = 1.6 - 0.6 * (1.0 - (1.0 - f) * (1.0 - f));
  } else if (d < kFullComboBounceEndMs) {
    const double f = (d - kFullComboFadeMs) / (kFullComboBounceEndMs - kFullComboFadeMs);
    s = 1.0 + 0.12 * std::sin(kPi * f) * (1.0 - f);
  }
  DrawSpriteScaledColorCentered(ra::MessageFullcombo, WithAlpha(d / kFullComboFadeMs),
                                L.fullcombo_p1_x, L.fullcombo_p1_y, s, s);
}

// White text with a black outline: the text at the 24 offsets of a 7 x 7 square's border,
// then in white on top.
void DrawOutlinedTextDirect(double x, double y, FontHandle font, const char* text) {
  for (int dy = -kOutline; dy <= kOutline; ++dy)
    for (int dx = -kOutline; dx <= kOutline; ++dx)
      if (std::max(std::abs(dx), std::abs(dy)) == kOutline)
        DrawTextCentered(x + dx, y + dy, 0xFF000000, font, "%s", text);
  DrawTextCentered(x, y, 0xFFFFFFFF, font, "%s", text);
}

// SDL's software renderer blends text slowly, and 25 copies of a title a frame would take
// most of the frame. There the outlined text is drawn once into a picture of its own, which
// each frame then copies as one piece. Accelerated renderers draw the copies directly (and
// a lost device never leaves a stale picture behind).
struct OutlinedPicture {
  SDL_Texture* texture = nullptr;
  FontHandle font = -1;
  std::string text;
  int width = 0, height = 0;  // the text's own box; the picture is 2 x 3 px larger
};
OutlinedPicture g_titlePictures[2];

bool SoftwareRenderer(SDL_Renderer* r) {
  SDL_RendererInfo info;
  return SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) &&
         (info.flags & SDL_RENDERER_TARGETTEXTURE);
}

void DropPicture(OutlinedPicture& p) {
  if (p.texture) SDL_DestroyTexture(p.texture);
  p = OutlinedPicture{};
}

bool MakePicture(OutlinedPicture& p, SDL_Renderer* r, FontHandle font, const char* text) {
  DropPicture(p);
  int w = 0, h = 0;
  if (MeasureText(font, text, &w, &h) != 0 || w <= 0 || h <= 0) return false;
  const int pw = w + 2 * kOutline, ph = h + 2 * kOutline;
  p.texture = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, pw, ph);
  if (!p.texture) return false;
  SDL_Texture* screen = SDL_GetRenderTarget(r);
  if (SDL_SetRenderTarget(r, p.texture) != 0) {
    DropPicture(p);
    return false;
  }
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 0);
  SDL_RenderClear(r);
  DrawOutlinedTextDirect(pw / 2.0, ph / 2.0, font, text);
  SDL_SetRenderTarget(r, screen);
  SDL_SetTextureBlendMode(p.texture, SDL_BLENDMODE_BLEND);
  p.font = font;
  p.text = text;
  p.width = w;
  p.height = h;
  return true;
}

int ScreenInt(double v) { return int(std::clamp(v, -1.0e6, 1.0e6)); }

void DrawOutlinedText(int which, double x, double y, FontHandle font, const char* text) {
  if (!text[0] || !IsValidFont(font)) return;
  SDL_Renderer* r = GraphicsRenderer();
  OutlinedPicture& p = g_titlePictures[which];
  if (!r || !SoftwareRenderer(r) ||
      ((!p.texture || p.font != font || p.text != text) && !MakePicture(p, r, font, text))) {
    DrawOutlinedTextDirect(x, y, font, text);
    return;
  }
  // Placed as the text itself would be: centred on (x, y) with 2x and 2y truncated.
  SDL_Rect dst{(ScreenInt(2 * x) - p.width) / 2 - kOutline, (ScreenInt(2 * y) - p.height) / 2 - kOutline,
               p.width + 2 * kOutline, p.height + 2 * kOutline};
  SDL_RenderCopy(r, p.texture, nullptr, &dst);
}

void DrawTitles() {
  const theme::ResultLayoutData& L = theme::ResultLayout;
  DrawOutlinedText(0, L.title_x, L.title_y, ra::TitleFont, chart::TheChart.title);
  DrawOutlinedText(1, L.sub_title_x, L.sub_title_y, ra::SubTitleFont, chart::TheChart.subtitle);
}

void DrawCurtain(double t) {
  if (t >= kCurtainEndMs) return;
  const double slide = t < kCurtainStartMs ? 0.0 : (t - kCurtainStartMs) / (kCurtainEndMs - kCurtainStartMs);
  DrawSprite(ra::LoadBgStart, -kCurtainTravel * slide, 0);
}

// The character: drops in, then (cleared) tosses two items and jumps, or (failed) hangs its
// head once the message shows.
void DrawCharacter(double t) {
  const theme::ResultLayoutData& L = theme::ResultLayout;
  const double x = L.character_p1_x;
  double y = L.character_p1_y;
  double scale = 1.0;
  if (t < kDropInMs) {
    const double f = Clamp01(t / kDropInMs);
    scale = kDropScale - (kDropScale - 1.0) * f * f;
  } else if (t < kSettleMs) {
    const double f = (t - kDropInMs) / (kSettleMs - kDropInMs);
    scale = 1.0 - 0.06 * std::sin(kPi * f);
  }
  const double alpha = Clamp01(t / 300.0);

  if (Result.failed) {
    // Frames 1 and 2 sway slowly; from the message on, 3 and 4.
    const int base = t < kCountEndMs ? 0 : 2;
    const int frame = base + int(std::fmod(std::max(0.0, t), 1000.0) / 500.0);
    DrawSpriteScaledColorCentered(ra::CharaP1Failed[frame], WithAlpha(alpha), x, y, scale, scale);
    return;
  }

  int frame = int(std::fmod(std::max(0.0, t), 800.0) / 400.0);  // 1 and 2 in turn
  if (t >= kCountEndMs) {
    const double glow = 0.6 + 0.4 * std::sin(2.0 * kPi * (t - kCountEndMs) / 1600.0);
    DrawSpriteAddCentered(ra::ClearBright, WithAlpha(glow), x, y);
  }
  if (t >= kJumpFromMs) {
    const double p = std::fmod(t - kJumpFromMs, kJumpCycleMs);
    if (p < kJumpAirMs) {
      y -= kJumpHeight * std::sin(kPi * p / kJumpAirMs);
      frame = 2;
    } else {
      frame = 0;
    }
  } else if (t >= kCountEndMs && t < kTossCatchMs) {
    frame = 2;  // arms up while the items fly
  }
  DrawSpriteScaledColorCentered(ra::CharaP1[frame], WithAlpha(alpha), x, y, scale, scale);

  if (t >= kCountEndMs && t < kTossCatchMs) {
    const double f = (t - kCountEndMs) / (kTossCatchMs - kCountEndMs);
    const double rise = 4.0 * kTossHeight * f * (1.0 - f);
    const int spin = int((t - kCountEndMs) / 80.0) % 4;
    const int item = Result.input.course % 2 * 2;
    DrawSpriteCentered(ra::Toss[item][spin], x - 34.0 * std::sin(kPi * f), y - 30.0 - rise);
    DrawSpriteCentered(ra::Toss[item + 1][(spin + 2) % 4], x + 34.0 * std::sin(kPi * f),
                       y - 30.0 - rise * 0.85);
  }
}

void DrawLeaving(double d) {
  uint32_t colour = theme::SongSelectLayout.load_bg_color;
  if (colour == 0) colour = shell::kDefaultLoadingColour;
  const double alpha = Clamp01(d / 100.0);
  const uint32_t fill = WithAlpha(alpha, colour);
  const double s = std::max(0.0, 1.25 - d / 480.0);
  const double w = GetTextureWidth(ra::LoadBgEnd) * s, h = GetTextureHeight(ra::LoadBgEnd) * s;
  if (s > 0.0 && w > 0.0 && h > 0.0) {
    // The fill reaches one pixel under the picture's edges, so no seam shows between them.
    const double x0 = std::floor(320.0 - w / 2) + 1, y0 = std::floor(240.0 - h / 2) + 1,
                 x1 = std::ceil(320.0 + w / 2) - 1, y1 = std::ceil(240.0 + h / 2) - 1;
    if (y0 > 0) FillRect(0, 0, kScreenWidth, y0, fill);
    if (y1 < kScreenHeight) FillRect(0, y1, kScreenWidth, kScreenHeight, fill);
    if (x0 > 0) FillRect(0, std::max(0.0, y0), x0, std::min(kScreenHeight, y1), fill);
    if (x1 < kScreenWidth) FillRect(x1, std::max(0.0, y0), kScreenWidth, std::min(kScreenHeight, y1), fill);
    DrawSpriteScaledColorCentered(ra::LoadBgEnd, WithAlpha(alpha), 320, 240, s, s);
  } else {
    FillRect(0, 0, kScreenWidth, kScreenHeight, fill);
  }
  if (d >= kIrisMs) {
    const double top = std::max(kScreenHeight - (d - kIrisMs), 280.0);
    DrawSprite(ra::LoadSave, 36, top);
  }
}

}  // namespace

void ReleaseResultPictures() {
  for (OutlinedPicture& p : g_titlePictures) DropPicture(p);
}

ResultFrameTimes CurrentFrameTimes() {
  ResultFrameTimes f;
  f.timeline = Result.timeline.load(std::memory_order_relaxed);
  f.clock = Result.clock.load(std::memory_order_relaxed);
  f.leaving = Result.leaving.load(std::memory_order_acquire) != 0;
  if (f.leaving) f.sinceLeave = std::max(0.0, f.clock - Result.leaveInstant.load(std::memory_order_relaxed));
  return f;
}

void DrawResultScreen(const ResultFrameTimes& times) {
  const double t = times.timeline;
  // Once the iris has closed, the opaque fill hides everything below it.
  if (times.leaving && times.sinceLeave >= kIrisMs) {
    DrawLeaving(times.sinceLeave);
    return;
  }
  DrawBackground(times.clock);
  DrawNumbers(t);
  DrawSoulGauge(t);
  DrawMessage(t);
  DrawFullCombo(t);
  DrawTitles();
  DrawCurtain(t);
  DrawCharacter(t);
  if (times.leaving) DrawLeaving(times.sinceLeave);
}

}  // namespace result
