// Stage decorations' animation: the per-frame drawing of the upper background, stage, fiver
// figures, dancers and chibi from the play's time bases.
#include "theme/stage.h"

#include <cmath>
#include <cstdlib>

#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "theme/layout.h"
#include "theme/theme_math.h"

namespace theme {

int UpperBgNormal = -1, UpperBgMiss = -1, UpperBgClear = -1, UpperBgGogo = -1;
int StageImage = -1;
int FiverImages[kFiverFrames] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int FiverFrameCount = 0;
DancerSet Dancers;
ChibiSet Chibi[2];
int FiverState = 0;

namespace {

constexpr double kBeat = 3600.0;  // beat-time units per beat
constexpr int64_t kBeatUnits = 3600;
constexpr int64_t kFiverCycleUnits = 2 * kBeatUnits;  // the fiver figures loop every two beats
constexpr double kMoodFadeMs = 100.0;  // a mood picture fades in (and the miss one out) this long
constexpr double kOpaque = 255.0;
constexpr double kScreenRight = 640.0;
constexpr int kGaugeMax = 100;

int ImageAt(const int (&images)[kDancerFrames], int frame) {
  return frame >= 0 && frame < kDancerFrames ? images[frame] : -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Upper background and stage

double UpperBackgroundScroll(double elapsed, int width, int speed) {
  if (speed == 0 || width <= 0) return 0.0;
  int64_t wrap = Whole(static_cast<double>(width) * 1000.0 / speed);
  if (wrap == 0) return 0.0;
  return static_cast<double>(Whole(elapsed) % wrap) / (1000.0 / speed);
}

void DrawUpperBackground(const StageClock& c) {
  int w = graphics::GetTextureWidth(UpperBgNormal);
  if (w > 0) {
    double s = UpperBackgroundScroll(c.now - c.play_start, w, PlayLayout.bg_scroll_speed);
    double d2 = c.now - c.clear_mood_time;
    double d1 = c.now - c.miss_mood_time;
    bool clearMood = c.mood == kMoodClear || c.mood == kMoodFull;
    for (int k = 0; static_cast<double>(k - 1) * w < kScreenRight; ++k) {
      double x = static_cast<double>(w) * k - s - k * (w - s) / w;
      if (graphics::DrawSprite(UpperBgNormal, x, 0.0) != 0) break;
      if (d2 >= kMoodFadeMs)
        graphics::DrawSprite(UpperBgClear, x, 0.0);
      else if (clearMood && d2 >= 0.0)
        graphics::DrawSpriteColor(UpperBgClear, AlphaColour(kOpaque * d2 / kMoodFadeMs), x, 0.0);
      if (c.mood == kMoodMiss && d1 >= kMoodFadeMs)
        graphics::DrawSprite(UpperBgMiss, x, 0.0);
      else if (c.mood == kMoodMiss && d1 >= 0.0)
        graphics::DrawSpriteColor(UpperBgMiss, AlphaColour(kOpaque * d1 / kMoodFadeMs), x, 0.0);
      if (d1 < kMoodFadeMs && d1 >= 0.0 && c.previous_mood == kMoodMiss)
        graphics::DrawSpriteColor(UpperBgMiss, AlphaColour(255.0 - 2.55 * d1), x, 0.0);
    }
  }
  if (c.gogo) graphics::DrawSpriteDarken(UpperBgGogo, 0.0, 0.0);
}

void DrawStage() {
  int h = graphics::GetTextureHeight(StageImage);
  if (h < 0) return;
  graphics::DrawSprite(StageImage, 0.0, PlayLayout.stage_y - h / 2);
}

// ---------------------------------------------------------------------------------------
// Fiver figures

bool StepFiver(int* state, double beat, bool full, int h, double* y) {
  double a = static_cast<double>(Whole(beat) % kBeatUnits) / 20.0;
  double sa = std::sin(a * kDegrees);
  double up = 526.0 - std::trunc(46.0 * sa) - h;  // the bouncing position
  if (full) {
    switch (*state) {
      case 0:
        if (a > 110.0 && a < 180.0) *state = 1;
        return false;
      case 1:
        if (a <= 90.0) {
          *y = 480.0 - std::trunc(sa * h);
          if (a >= 70.0) *state = 2;
          return true;
        }
        if (a <= 110.0) {
          *y = up;
          *state = 2;
          return true;
        }
        return false;
      case 2: *y = up; return true;
      default: return false;
    }
  }
  switch (*state) {
    case 2:
      *y = up;
      if (a <= 90.0) *state = 1;
      return true;
    case 1:
      if (a <= 90.0) {
        *y = up;
        return true;
      }
      if (a <= 180.0) {
        *y = 530.0 - std::trunc(sa * (h + 50));
        if (a >= 175.0 || *y > 479.0) *state = 0;
        return true;
      }
      return false;
    default: return false;
  }
}

void DrawFiver(const StageClock& c) {
  if (FiverFrameCount <= 0) return;
  int64_t frame = static_cast<int64_t>(std::floor(
      static_cast<double>(Whole(c.beat) % kFiverCycleUnits) / kFiverCycleUnits * FiverFrameCount));
  if (frame < 0 || frame >= FiverFrameCount || frame >= kFiverFrames) frame = 0;
  int image = FiverImages[frame];
  int h = graphics::GetTextureHeight(image);
  double y;
  if (StepFiver(&FiverState, c.beat, c.gauge >= 100.0, h < 0 ? 0 : h, &y))
    graphics::DrawSprite(image, 0.0, y);
}

// ---------------------------------------------------------------------------------------
// Dancers

int DancerSlotThreshold(int clearThreshold, int slot) {
  double g = std::floor(static_cast<double>(clearThreshold) * slot * 0.25);
  if (g > kGaugeMax) return kGaugeMax + 1;  // beyond any gauge: never drawn
  if (g < 0.0) return 0;
  return static_cast<int>(g);
}

namespace {

int OrderIndex(int count, double progress) {
  if (count <= 0) return 0;
  double i = std::floor(count * progress);
  if (!(i >= 0.0)) return 0;
  if (i >= count) return count - 1;
  return static_cast<int>(i);
}

// The ladle of slot 2 follows the dancer's frame: frames 1 to 4 bob with the beat, frame 5
// holds it 6 px up, frames 6 to 9 sway it sideways; its picture cycles with the frame.
void DrawProp(int frame, double x, double y, double beat, uint32_t colour) {
  int f = frame + 1;
  if (f < 1) return;
  int image = Dancers.prop_images[(f - 1) % kPropImages];
  double phase = static_cast<double>(Whole(beat) % kBeatUnits) / kBeat;  // 0 .. 1 over a beat
  double dx = 0.0, dy = 0.0;
  if (f <= 4)
    dy = -4.0 * std::fabs(std::sin(phase * 180.0 * kDegrees));
  else if (f == 5)
    dy = -6.0;
  else if (f <= 9)
    dx = 4.0 * std::sin(phase * 360.0 * kDegrees);
  graphics::DrawSpriteCenteredColor(image, colour, x + dx, y + dy);
}

}  // namespace

int DanceFrame(const DancerSet& set, double beat) {
  int64_t period = Whole(set.dance_interval * kBeat);
  double progress = 0.0;
  if (period > 0)
    progress = static_cast<double>(Whole(beat) % period) / (set.dance_interval * kBeat);
  int i = OrderIndex(set.dance_order_count, progress);
  return i < kDanceOrderMax ? set.dance_order[i] : -1;
}

void DrawDancers(const StageClock& c) {
  const DancerSet& set = Dancers;
  for (int d = 0; d < kDancerSlots; ++d) {
    int g = DancerSlotThreshold(c.clear_threshold, d);
    if (c.gauge < g || g > kGaugeMax) continue;
    double since = c.gauge_step_beat != nullptr ? c.gauge_step_beat[g] : 0.0;
    int s = set.slot_sort[d];
    if (s < 0 || s >= kDancerSorts) continue;
    double x = set.dance_x[d];
    double y = set.dance_y[s];
    double entrance = set.appear_interval * kBeat;
    if (static_cast<double>(Whole(entrance)) + since > c.beat) {
      double p = (c.beat - since) / entrance;
      if (!(p >= 0.0)) continue;
      int i = OrderIndex(set.appear_order_count, p);
      int frame = set.appear_order[i];
      int image = ImageAt(set.appear_images[s], frame);
      if (set.appear_pattern[s] == 0) {
        graphics::DrawSpriteCentered(image, x, y);
      } else if (set.appear_pattern[s] == 1) {
        double jy = y;
        if (p < 0.4)
          jy = y + 180.0 - 250.0 * std::sin(90.0 * kDegrees * p / 0.4);
        else if (p < 0.7)
          jy = y - 70.0 + 70.0 * std::sin(90.0 * kDegrees * (p - 0.4) / 0.3);
        graphics::DrawSpriteCentered(image, x, jy);
        if (d == 2 && set.has_prop && p >= 0.5) {
          double fade = (p - 0.5) * 2550.0;
          double lift = p < 0.6 ? -6.0 * (p - 0.5) / 0.1 : -6.0;
          DrawProp(4, x, jy + lift + 6.0, c.beat, AlphaColour(fade));
        }
      }
      continue;
    }
    int frame = DanceFrame(set, c.beat);
    graphics::DrawSpriteCentered(ImageAt(set.dance_images[s], frame), x, y);
    if (d == 2 && set.has_prop) DrawProp(frame, x, y, c.beat, 0xFFFFFFFFu);
  }
}

// ---------------------------------------------------------------------------------------
// Chibi

bool ChibiPoseAt(const ChibiSet& set, int sort, double t, ChibiPose* pose) {
  double cx = set.chibi_x, cy = set.chibi_y;
  if (sort < 0 || sort >= kDancerSorts) sort = 0;
  if (t < 1800.0) {  // the half-beat entrance
    int f = set.appear_frame;
    if (set.appear_pattern == 0) {
      pose->x = cx + t / 18.0;
      pose->y = cy;
      f = t < 600.0 ? 1 : t < 1200.0 ? 2 : 3;
    } else if (set.appear_pattern == 1) {
      pose->x = cx + t / 18.0;
      pose->y = cy - 35.0 * std::sin(t / 10.0 * kDegrees);
    } else {
      pose->x = cx;
      pose->y = cy;
    }
    pose->frame = f - 1;
    return true;
  }
  if (t >= 21600.0) return false;  // six beats: gone
  int64_t period = Whole(set.interval * kBeat);
  int64_t i = 0;
  if (period > 0 && set.order_count > 0) i = (Whole(t) % period) * set.order_count / period;
  if (i < 0 || i >= kDanceOrderMax) i = 0;
  pose->frame = set.order[i];
  pose->x = cx + 100.0 + (t - 1800.0) / 27.0;
  if (set.x_pattern[sort] == 2) pose->x += 18.0 * std::sin(t / 20.0 * kDegrees);
  switch (set.y_pattern[sort]) {
    case 0:
      pose->y = t < 5900.0 ? cy - 16.0 * std::sin((t - 2300.0) / 20.0 * kDegrees)
                           : cy + 19.0 * std::sin((t - 5900.0) / 15.0 * kDegrees);
      break;
    case 2: pose->y = cy + 9.0 * std::sin(t / 10.0 * kDegrees); break;
    default: pose->y = cy; break;
  }
  return true;
}

void DrawChibi(const StageClock& c) {
  if (c.effects == nullptr) return;
  for (int k = 0; k < kEffectRingSize; ++k) {
    int at = c.effect_next + k;
    at = ((at % kEffectRingSize) + kEffectRingSize) % kEffectRingSize;
    const StageEffect& e = c.effects[at];
    const ChibiSet* set;
    if (e.code >= shell::kEffectDonGreat && e.code <= shell::kEffectBigKatGood)
      set = &Chibi[0];
    else if (e.code == shell::kEffectMiss)
      set = &Chibi[1];
    else
      continue;
    int sorts = set->sort_count < 1              ? 1
                : set->sort_count > kDancerSorts ? kDancerSorts
                                                 : set->sort_count;
    int sort = static_cast<int>(std::llabs(Whole(e.time)) % sorts);
    ChibiPose pose;
    if (!ChibiPoseAt(*set, sort, c.beat - e.beat, &pose)) continue;
    int image = ImageAt(set->images[sort], pose.frame);
    int w = graphics::GetTextureWidth(image);
    if (w < 0 || pose.x - w / 2.0 > kScreenRight) continue;
    graphics::DrawSpriteCentered(image, pose.x, pose.y);
  }
}

}  // namespace theme
