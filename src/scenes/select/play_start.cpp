#include "scenes/select/play_start.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/graphics.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace songselect {

namespace {

constexpr double kScreenCentreX = 320.0;
constexpr double kScreenCentreY = 240.0;
constexpr double kIrisStartScale = 1.25;
constexpr double kIrisMsPerScale = 480.0;  // the image shrinks (or grows) by 1 in 480 ms
constexpr double kIrisFadeMs = 100.0;

int ClampCourse(int course) { return std::clamp(course, 0, theme::kCourseCount - 1); }

uint32_t WithAlpha(uint32_t colour, double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  return (uint32_t(alpha * 255.0 + 0.5) << 24) | (colour & 0x00FFFFFFu);
}

// The course's image scaled about the screen centre, and the course colour around it.
void DrawIris(int course, double scale, double alpha) {
  course = ClampCourse(course);
  uint32_t fill = WithAlpha(CourseLoadingColour(course), alpha);
  int image = theme::select_assets::LoadBgEnd[course];
  double w = graphics::GetTextureWidth(image) * scale;
  double h = graphics::GetTextureHeight(image) * scale;
  if (!graphics::IsValidTexture(image) || w <= 0.0 || h <= 0.0) {
    graphics::FillRect(0, 0, graphics::kScreenWidth, graphics::kScreenHeight, fill);
    return;
  }
  graphics::DrawSpriteScaledColorCentered(image, WithAlpha(0xFFFFFF, alpha), kScreenCentreX,
                                          kScreenCentreY, scale, scale);
  // The bands go on top and reach a pixel into the image (whose rim is in the course's colour
  // anyway), so that no filtered edge of the scaled picture shows as a seam.
  double left = std::ceil(kScreenCentreX - w / 2) + 1, right = std::floor(kScreenCentreX + w / 2) - 1;
  double top = std::ceil(kScreenCentreY - h / 2) + 1, bottom = std::floor(kScreenCentreY + h / 2) - 1;
  if (right <= left || bottom <= top) {
    graphics::FillRect(0, 0, graphics::kScreenWidth, graphics::kScreenHeight, fill);
    return;
  }
  if (top > 0) graphics::FillRect(0, 0, graphics::kScreenWidth, top, fill);
  if (bottom < graphics::kScreenHeight)
    graphics::FillRect(0, bottom, graphics::kScreenWidth, graphics::kScreenHeight, fill);
  double bandTop = std::max(top, 0.0), bandBottom = std::min(bottom, graphics::kScreenHeight);
  if (left > 0) graphics::FillRect(0, bandTop, left, bandBottom, fill);
  if (right < graphics::kScreenWidth)
    graphics::FillRect(right, bandTop, graphics::kScreenWidth, bandBottom, fill);
}

}  // namespace

unsigned CourseLoadingColour(int course) {
  const theme::SongSelectLayoutData& l = theme::SongSelectLayout;
  const uint32_t colours[theme::kCourseCount] = {l.load_easy_bg_color, l.load_normal_bg_color,
                                                 l.load_hard_bg_color, l.load_oni_bg_color,
                                                 l.load_edit_bg_color};
  return colours[ClampCourse(course)] | 0xFF000000u;
}

void DrawClosingIris(int course, double t) {
  if (t < kIrisHoldMs) return;
  if (t >= kIrisClosedMs) {
    graphics::FillRect(0, 0, graphics::kScreenWidth, graphics::kScreenHeight,
                       CourseLoadingColour(course));
    return;
  }
  double scale = kIrisStartScale - (t - kIrisHoldMs) / kIrisMsPerScale;
  DrawIris(course, scale, (t - kIrisHoldMs) / kIrisFadeMs);
}

void DrawOpeningIris(int course, double t) {
  constexpr double kOpenMs = 600.0, kFadeFromMs = 500.0;
  if (t < 0.0 || t >= kOpenMs) return;
  double alpha = t < kFadeFromMs ? 1.0 : 1.0 - (t - kFadeFromMs) / (kOpenMs - kFadeFromMs);
  DrawIris(course, t / kIrisMsPerScale, alpha);
}

void HandOverToPlay(const char* chartPath, int course) {
  std::snprintf(theme::LoadChartPath, sizeof theme::LoadChartPath, "%s", chartPath);
  theme::LoadCourse = ClampCourse(course);
  shell::SceneChange(shell::kScenePlay, true);
}

}  // namespace songselect
