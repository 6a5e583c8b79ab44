// The calibration scene on the main thread: entry, the keys that end it, and the drawing with
// the theme's lane, don notes, judgement mark and judgement texts.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/graphics.h"
#include "platform/mixer.h"
#include "platform/time.h"
#include "play/play_record.h"
#include "scenes/calibrate/calibrate.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace calibrate {
namespace {

namespace pa = theme::play_assets;
constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr uint32_t kBackground = 0xFF20232Cu;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;
constexpr uint32_t kDimText = 0xFFB8BCC8u;
constexpr uint32_t kLateColour = 0xFFFF8A5Cu;
constexpr uint32_t kEarlyColour = 0xFF6CB8FFu;
constexpr double kFarRightX = 800.0;
constexpr double kJudgementShownMs = 400.0;
// The scale of the press marks under the lane: +-100 ms across 400 pixels.
constexpr double kScaleCentreX = 320.0;
constexpr double kScaleY = 330.0;
constexpr double kScaleHalfWidth = 200.0;
constexpr double kScaleRangeMs = 100.0;

bool Pressed(int vk) { return shell::WindowKeys[vk] == 1; }

uint32_t White(double alpha) {
  alpha = std::clamp(alpha, 0.0, 255.0);
  return (uint32_t(alpha) << 24) | 0x00FFFFFFu;
}

int JudgementImage(double error) {
  const double e = std::fabs(error);
  const int great = shell::JudgeGreat > 0 ? shell::JudgeGreat : 25;
  const int good = shell::JudgeGood > 0 ? shell::JudgeGood : 75;
  if (e <= great) return pa::JudgeGreat;
  if (e <= good) return pa::JudgeGood;
  return pa::JudgeBad;
}

void DrawLane(double c) {
  const theme::PlayLayoutData& l = theme::PlayLayout;
  const int bg = pa::SfieldBg;
  graphics::DrawSprite(bg, graphics::kLaneClipX, l.scroll_field_y - graphics::GetTextureHeight(bg) / 2.0);
  graphics::DrawSpriteAddCentered(pa::JudgePoint, 0xFFFFFFFF, play::kJudgeMarkX, l.note_y);
  for (int n = kBeatNotes - 1; n >= 0; --n) {
    if (Run.noteHit[n].load(kRelaxed)) continue;
    const double x = play::LanePosition(n * kBeatMs, c, 1.0, kBeatBpm, 1);
    if (x > kFarRightX) continue;
    graphics::DrawSpriteLaneClipped(pa::Don[0], x, l.note_y);
  }
}

void DrawLastJudgement(double c) {
  const int n = Run.pressCount.load(std::memory_order_acquire);
  if (n == 0) return;
  const double error = Run.error[n - 1].load(kRelaxed);
  const double pressedAt = Run.noteOfPress[n - 1].load(kRelaxed) * kBeatMs + error;
  const double d = c - pressedAt;
  if (!(d >= 0.0) || d >= kJudgementShownMs) return;
  const double alpha = d < 300.0 ? 255.0 : 255.0 * (1.0 - (d - 300.0) / 100.0);
  const theme::PlayLayoutData& l = theme::PlayLayout;
  graphics::DrawSpriteCenteredColor(JudgementImage(error), White(alpha), play::kJudgeMarkX, l.note_y - 50);
}

// Every counted press as a mark on a scale from 100 ms early to 100 ms late; the median as a
// taller mark.
void DrawPressScale(bool haveMedian, double median) {
  const double left = kScaleCentreX - kScaleHalfWidth, right = kScaleCentreX + kScaleHalfWidth;
  graphics::FillRect(left, kScaleY - 1, right, kScaleY + 1, kDimText);
  graphics::FillRect(kScaleCentreX - 1, kScaleY - 10, kScaleCentreX + 1, kScaleY + 10, kTextColour);
  const int font = theme::CalibrationFont;
  graphics::DrawTextRight(left - 8, kScaleY, kEarlyColour, font, "早い early");
  graphics::DrawTextLeft(right + 8, kScaleY, kLateColour, font, "late 遅い");
  const int n = std::min(Run.pressCount.load(std::memory_order_acquire), kPressCapacity);
  for (int i = std::max(0, n - kMedianPresses); i < n; ++i) {
    const double e = std::clamp(Run.error[i].load(kRelaxed), -kScaleRangeMs, kScaleRangeMs);
    const double x = kScaleCentreX + e / kScaleRangeMs * kScaleHalfWidth;
    graphics::FillRect(x - 1, kScaleY - 6, x + 1, kScaleY + 6, e < 0 ? kEarlyColour : kLateColour);
  }
  if (haveMedian) {
    const double x = kScaleCentreX + std::clamp(median, -kScaleRangeMs, kScaleRangeMs) / kScaleRangeMs * kScaleHalfWidth;
    graphics::FillRect(x - 2, kScaleY - 16, x + 2, kScaleY + 16, 0xFFFFE45Cu);
  }
}

void DrawTexts(bool haveMedian, double median) {
  const int font = theme::CalibrationFont;
  graphics::DrawTextCentered(320, 28, kTextColour, font, "タイミング調整  Timing calibration");
  graphics::DrawTextCentered(320, 56, kDimText, font, "クリックに合わせて F / J を叩いてね");
  graphics::DrawTextCentered(320, 80, kDimText, font, "drum F / J along with the clicks");
  const int n = Run.pressCount.load(std::memory_order_acquire);
  graphics::DrawTextCentered(320, 270, kDimText, font, "叩いた数 hits: %d / %d", std::min(n, kMedianPresses),
                             kMedianPresses);
  if (haveMedian) {
    const long m = std::lround(median);
    graphics::DrawTextCentered(320, 380, m > 0 ? kLateColour : m < 0 ? kEarlyColour : kTextColour, font,
                               "ずれ (中央値) median: %+ld ms  %s", m,
                               m > 0 ? "(late 遅め)" : m < 0 ? "(early 早め)" : "(on time ぴったり)");
    graphics::DrawTextCentered(320, 410, kTextColour, font, "SoundDelay: %d ms  ->  %d ms", shell::SoundDelay,
                               ProposedSoundDelay(static_cast<int>(Run.musicStart), median));
  }
  if (Run.finished.load(std::memory_order_acquire)) {
    if (n >= kFewestPresses)
      graphics::DrawTextCentered(320, 450, 0xFFFFE45Cu, font, "F / J: 保存して戻る save   Esc: 保存せずに戻る leave");
    else
      graphics::DrawTextCentered(320, 450, 0xFFFFE45Cu, font, "F / J: もう一度 again   Esc: 戻る leave");
  } else {
    graphics::DrawTextCentered(320, 450, kDimText, font, "Esc: 保存せずに戻る leave without saving");
  }
}

void StopClicks() {
  if (Run.clickBuffer >= 0) platform::MixerStop(Run.clickBuffer);
}

}  // namespace

void EnterCalibration(double now) { StartCalibrationRun(now); }

int UpdateCalibration() {
  if (Pressed(shell::kVkEscape) || Pressed(shell::kVkBack)) {
    StopClicks();
    return shell::kSceneSongSelect;
  }
  if (!Run.finished.load(std::memory_order_acquire)) return -1;
  if (!(Pressed(shell::kVkF) || Pressed(shell::kVkJ))) return -1;
  double median = 0.0;
  if (Run.pressCount.load(std::memory_order_acquire) >= kFewestPresses && MedianError(&median)) {
    // From the delay the clicks were played with (the setting, kept within +-1 s).
    shell::WriteSoundDelay(ProposedSoundDelay(static_cast<int>(Run.musicStart), median));
    StopClicks();
    return shell::kSceneSongSelect;
  }
  StartCalibrationRun(platform::TimeNowMs());  // too few hits to tell: once more
  return -1;
}

void DrawCalibration(double) {
  const double c = Run.clock.load(kRelaxed);
  graphics::FillRect(0, 0, graphics::kScreenWidth, graphics::kScreenHeight, kBackground);
  DrawLane(c);
  DrawLastJudgement(c);
  double median = 0.0;
  const bool haveMedian = MedianError(&median);
  DrawPressScale(haveMedian, median);
  DrawTexts(haveMedian, median);
}

void CalibrateSceneFrame() {
  if (shell::SceneFrame == 1) EnterCalibration(platform::TimeNowMs());
  const int target = UpdateCalibration();
  DrawCalibration(shell::AppClock);
  if (target >= 0) shell::SceneChange(target);
}

}  // namespace calibrate
