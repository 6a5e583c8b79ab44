// The play scene's own layers over the field: the pause menu, the debug read-out, the
// end-of-song slide and the course-coloured opening (and, run backwards, the closing after a
// leaving choice of the pause menu).
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/chart.h"
#include "graphics/graphics.h"
#include "platform/trace.h"
#include "play/play_engine.h"
#include "play/play_record.h"
#include "scenes/play/play_scene.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/layout.h"

namespace playscene {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr double kPi = 3.14159265358979323846;
constexpr double kScreenW = 640.0;
constexpr double kScreenH = 480.0;
constexpr double kCentreX = 320.0;
constexpr double kCentreY = 240.0;

// The opening: the course's closing image grows from the centre (scale d / 480) and fades
// out from 500 to 600 ms.
constexpr double kOpeningMs = 600.0;
constexpr double kOpeningScaleMs = 480.0;
constexpr double kOpeningFadeFromMs = 500.0;

// Pause menu timings (ms of the pause elapsed time).
constexpr double kPauseBgFadeMs = 150.0;
constexpr double kPausePanelFadeMs = 400.0;
constexpr double kPausePanelGrowMs = 450.0;
constexpr double kPausePanelStartScale = 0.3;
constexpr double kPauseCharaFrom = 400.0;
constexpr double kPauseCharaFadeMs = 50.0;
constexpr double kPauseCursorFrom = 400.0;
constexpr double kPauseCursorBlinkMs = 800.0;
constexpr double kPauseItemTopY = 219.0;  // the first item's centre; the others 80 px apart
constexpr double kPauseItemPitch = 80.0;
constexpr double kPauseCharaX = 505.0;   // the mascot peeks over the panel's upper right
constexpr double kPauseCharaY = 165.0;
// After a choice (or a cancel): the cursor goes within 50 ms, the rest from 50 to 200 ms; a
// leaving choice then closes the screen from 300 to 900 ms.
constexpr double kMenuCursorFadeMs = 50.0;
constexpr double kMenuFadeFromMs = 50.0;
constexpr double kMenuFadeMs = 150.0;
constexpr double kCloseFromMs = 300.0;
constexpr double kClosedAtMs = 900.0;

// The end-of-song slide rises 0.96 px a millisecond.
constexpr double kEndSlidePxPerMs = 0.96;
constexpr double kEndSlideMs = 1000.0;

// Debug read-out.
constexpr int kSoundDiffEveryFrames = 60;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

double g_soundDiff = 0.0;
int g_maxScore = 0;

uint32_t WithAlpha(uint32_t rgb, double alpha) {
  const double a = std::clamp(alpha, 0.0, 1.0);
  return (static_cast<uint32_t>(std::lround(a * 255.0)) << 24) | (rgb & 0x00FFFFFFu);
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

uint32_t CourseColour(int course) {
  const theme::SongSelectLayoutData& l = theme::SongSelectLayout;
  const uint32_t colours[theme::kCourseCount] = {l.load_easy_bg_color, l.load_normal_bg_color,
                                                 l.load_hard_bg_color, l.load_oni_bg_color,
                                                 l.load_edit_bg_color};
  return colours[std::clamp(course, 0, theme::kCourseCount - 1)];
}

// The opening figure at t ms: the course image centred and scaled t / 480, the screen around
// it in the course colour, all fading out from 500 to 600 ms.
void DrawIris(double t) {
  if (t < 0.0 || t >= kOpeningMs) return;
  const int course = PlayCourse();
  const double alpha = t < kOpeningFadeFromMs ? 1.0 : 1.0 - (t - kOpeningFadeFromMs) / (kOpeningMs - kOpeningFadeFromMs);
  const uint32_t colour = WithAlpha(CourseColour(course), alpha);
  const int image = theme::select_assets::LoadBgEnd[course];
  const double s = t / kOpeningScaleMs;
  const double w = std::max(0, graphics::GetTextureWidth(image)) * s;
  const double h = std::max(0, graphics::GetTextureHeight(image)) * s;
  const double left = kCentreX - w / 2, right = kCentreX + w / 2;
  const double top = kCentreY - h / 2, bottom = kCentreY + h / 2;
  if (w > 0.0 && h > 0.0)
    graphics::DrawSpriteScaledColorCentered(image, WithAlpha(0xFFFFFF, alpha), kCentreX, kCentreY, s, s);
  if (top > 0.0) graphics::FillRect(0, 0, kScreenW, top, colour);
  if (bottom < kScreenH) graphics::FillRect(0, std::max(0.0, bottom), kScreenW, kScreenH, colour);
  const double bandTop = std::max(0.0, top), bandBottom = std::min(kScreenH, bottom);
  if (bandBottom > bandTop) {
    if (left > 0.0) graphics::FillRect(0, bandTop, left, bandBottom, colour);
    if (right < kScreenW) graphics::FillRect(right, bandTop, kScreenW, bandBottom, colour);
  }
}

int ItemHeight(int cursor) {
  const theme::PlayLayoutData& l = theme::PlayLayout;
  const int heights[play::kPauseMenuItems] = {l.pause_menu_cancel_h, l.pause_menu_replay_h,
                                              l.pause_menu_back_songselect_h, l.pause_menu_back_title_h};
  return heights[std::clamp(cursor, 0, play::kPauseMenuItems - 1)];
}

// The frame around the item under the cursor: cursor_2 as its top and bottom edges,
// cursor_1 repeated down between them, the item's layout height in all.
void DrawCursorFrame(int cursor, double alpha) {
  namespace pa = theme::play_assets;
  const int side = pa::PauseCursor[0], edge = pa::PauseCursor[1];
  const double height = ItemHeight(cursor);
  const int sideH = graphics::GetTextureHeight(side), edgeH = graphics::GetTextureHeight(edge);
  const int w = std::max(graphics::GetTextureWidth(side), graphics::GetTextureWidth(edge));
  if (w <= 0 || height <= 0) return;
  const double x = kCentreX - w / 2.0;
  const double top = kPauseItemTopY + kPauseItemPitch * cursor - height / 2.0;
  const double bottom = top + height;
  const uint32_t colour = WithAlpha(0xFFFFFF, alpha);
  if (sideH > 0) {
    const double from = top + std::max(0, edgeH), to = bottom - std::max(0, edgeH);
    for (double y = from; y < to; y += sideH)
      graphics::DrawSpritePartColor(side, colour, x, y, -1, std::min<double>(sideH, to - y));
  }
  if (edgeH > 0) {
    graphics::DrawSpriteColor(edge, colour, x, top);
    graphics::DrawSpriteColor(edge, colour, x, bottom - edgeH);
  }
}

// The menu's layers at p ms of the pause; fade multiplies everything but the cursor, which
// has its own.
void DrawPauseMenu(double p, double fade, double cursorFade) {
  namespace pa = theme::play_assets;
  const double panelAlpha = Clamp01(p / kPausePanelFadeMs) * fade;
  const double scale = kPausePanelStartScale + (1.0 - kPausePanelStartScale) * Clamp01(p / kPausePanelGrowMs);
  graphics::DrawSpriteColor(pa::PauseBg, WithAlpha(0xFFFFFF, Clamp01(p / kPauseBgFadeMs) * fade), 0, 0);
  graphics::DrawSpriteScaledColorCentered(pa::PausePanel, WithAlpha(0xFFFFFF, panelAlpha), kCentreX,
                                          kCentreY, scale, scale);
  if (p >= kPauseCharaFrom) {
    const double a = Clamp01((p - kPauseCharaFrom) / kPauseCharaFadeMs) * fade;
    graphics::DrawSpriteCenteredColor(pa::PauseChara, WithAlpha(0xFFFFFF, a), kPauseCharaX, kPauseCharaY);
  }
  if (p >= kPauseCursorFrom && cursorFade > 0.0) {
    const double blink = 0.7 + 0.3 * std::sin(2.0 * kPi * (p - kPauseCursorFrom) / kPauseCursorBlinkMs);
    DrawCursorFrame(play::Play.pauseCursor.load(kRelaxed), blink * cursorFade);
  }
  graphics::DrawSpriteScaledColorCentered(pa::PausePanelM, WithAlpha(0xFFFFFF, panelAlpha), kCentreX,
                                          kCentreY, scale, scale);
}

void DrawShadowedLine(double y, const char* text) {
  const int font = theme::select_assets::FixedFont;
  graphics::DrawTextLeft(1, y + 1, kBlack, font, "%s", text);
  graphics::DrawTextLeft(0, y, kWhite, font, "%s", text);
}

}  // namespace

void DrawOpening(double d) { DrawIris(d); }

bool DrawPauseOverlay() {
  const play::PlayRecord& r = play::Play;
  const double p = r.pauseElapsed.load(kRelaxed);
  if (p >= play::kNever) return false;  // no pause yet in this play
  const bool paused = r.paused.load(std::memory_order_acquire) != 0;
  const double choice = r.choiceTime.load(kRelaxed);
  const double d = p - choice;
  if (paused && d < 0.0) {
    DrawPauseMenu(p, 1.0, 1.0);
    return false;
  }
  if (d < 0.0) return false;
  // A choice was made (or the menu was cancelled): the menu fades out.
  if (d < kCloseFromMs) {
    const double fade = 1.0 - Clamp01((d - kMenuFadeFromMs) / kMenuFadeMs);
    DrawPauseMenu(p, fade, 1.0 - Clamp01(d / kMenuCursorFadeMs));
  }
  // Resuming: nothing more. Leaving: the screen closes with the opening run backwards.
  if (!paused || r.pauseCursor.load(kRelaxed) == 0) return false;
  if (d < kClosedAtMs) {
    DrawIris(kClosedAtMs - d);
    return false;
  }
  graphics::FillRect(0, 0, kScreenW, kScreenH, WithAlpha(CourseColour(PlayCourse()), 1.0));
  return true;
}

void DrawEndSlide(double d) {
  const int image = theme::play_assets::LoadBgEnd;
  const int h = graphics::GetTextureHeight(image);
  if (h <= 0) return;
  // It rises over the field; an image no taller than the screen stops once it covers it,
  // so the hand-over to the results shows it rather than the field.
  const double y = std::max(kScreenH - kEndSlidePxPerMs * std::min(d, kEndSlideMs), kScreenH - h);
  graphics::DrawSprite(image, 0, y);
}

void PrepareDebugOverlay() {
  g_maxScore = chart::SimulateMaxScore(chart::TheChart.scoreInit, chart::TheChart.scoreDiff);
  g_soundDiff = 0.0;
}

double SoundDifference() { return g_soundDiff; }

void DrawDebugOverlay(int sceneFrame) {
  const play::PlayRecord& r = play::Play;
  if (sceneFrame % kSoundDiffEveryFrames == 0) {
    const bool paused = r.paused.load(kRelaxed) != 0;
    const double clock = paused ? r.playClock.load(kRelaxed) : play::PlayClockNow();
    g_soundDiff = (clock - r.offset) - sound::GetSongPositionMs() - r.musicStart;
    platform::TraceWrite("sounddiff", "\"diff\":%.3f,\"clock\":%.3f,\"song\":%d,\"paused\":%d", g_soundDiff, clock,
                         r.songPlayback.load(kRelaxed), paused ? 1 : 0);
  }
  char line[graphics::kTextBufferSize];
  graphics::FormatDrawText(line, "Fps:%.2f", shell::MeasuredFps);
  DrawShadowedLine(265, line);
  graphics::FormatDrawText(line, "PlayTime:%10.2f PlayBpmTime:%10.2f", r.playClock.load(kRelaxed),
                           r.beatClock.load(kRelaxed));
  DrawShadowedLine(280, line);
  graphics::FormatDrawText(line, "BPM:%8.2f", r.currentBpm.load(kRelaxed));
  DrawShadowedLine(295, line);
  graphics::FormatDrawText(line, "良:%4d 可:%4d 不可:%4d 連打:%4d", r.great.load(kRelaxed), r.good.load(kRelaxed),
                           r.bad.load(kRelaxed), r.roll.load(kRelaxed));
  DrawShadowedLine(310, line);
  graphics::FormatDrawText(line, "GOGO:%s State:%d", r.gogo.load(kRelaxed) ? "true " : "false",
                           r.mood.load(kRelaxed));
  DrawShadowedLine(325, line);
  graphics::FormatDrawText(line, "SoundDiff:%2.0f", g_soundDiff);
  DrawShadowedLine(340, line);
  graphics::FormatDrawText(line, "FastNote:%5d LastNote:%5d", r.fastNote.load(kRelaxed), r.noteCount);
  DrawShadowedLine(355, line);
  graphics::FormatDrawText(line, "Score:%10d ScoreInit:%5d ScoreDiff:%5d", g_maxScore, chart::TheChart.scoreInit,
                           chart::TheChart.scoreDiff);
  DrawShadowedLine(370, line);
  DrawShadowedLine(440, "譜面分岐");
  graphics::FormatDrawText(line, "CourseTime:%10.2f Course:%d LastCourse:%d",
                           r.playClock.load(kRelaxed) - r.lastEvaluationTime.load(kRelaxed),
                           r.currentLane.load(kRelaxed), r.laneBefore.load(kRelaxed));
  DrawShadowedLine(455, line);
  graphics::FormatDrawText(line, "良:%4d 可:%4d 不可:%4d 連打:%4d", r.sectionGreat.load(kRelaxed),
                           r.sectionGood.load(kRelaxed), r.sectionBad.load(kRelaxed), r.sectionRoll.load(kRelaxed));
  DrawShadowedLine(470, line);
}

}  // namespace playscene
