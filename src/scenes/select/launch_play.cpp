#include "scenes/select/launch_play.h"

#include <cstdio>
#include <cstring>

#include "library/song_files.h"
#include "platform/message_box.h"
#include "shell/launch.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "theme/resource_loader.h"

namespace songselect {

namespace {

constexpr const char* kCourseWords[library::kCourseCount] = {"Easy", "Normal", "Hard", "Oni", "Edit"};

// The course to play: the one asked for when the chart has it, or without --course the
// highest the chart has. -1 when there is none (a course is there when its level is not 0,
// as on the course select).
int ChooseCourse(const uint8_t levels[library::kCourseCount], int asked) {
  if (asked >= 0) return (asked < library::kCourseCount && levels[asked] != 0) ? asked : -1;
  for (int c = library::kCourseCount - 1; c >= 0; --c)
    if (levels[c] != 0) return c;
  return -1;
}

}  // namespace

void StartLaunchedPlay() {
  if (!shell::Launch.pending) return;
  shell::Launch.pending = false;
  const shell::LaunchRequest& r = shell::Launch;
  char text[512];

  uint8_t levels[library::kCourseCount];
  if (library::ReadCourseLevels(r.chartPath, levels) != 0) {
    std::snprintf(text, sizeof text, "譜面ファイルを開けませんでした\n%s", r.chartPath);
    platform::ShowMessageBox(text);
    return;
  }
  const int course = ChooseCourse(levels, r.course);
  if (course < 0) {
    if (r.course >= 0)
      std::snprintf(text, sizeof text, "この譜面には %s のコースがありません\n%s", kCourseWords[r.course],
                    r.chartPath);
    else
      std::snprintf(text, sizeof text, "この譜面には遊べるコースがありません\n%s", r.chartPath);
    platform::ShowMessageBox(text);
    return;
  }

  // As if the chart had been dropped and chosen on the course select.
  static_assert(sizeof theme::LoadChartPath >= sizeof r.chartPath);
  std::memcpy(theme::LoadChartPath, r.chartPath, sizeof r.chartPath);
  theme::LoadCourse = course;
  shell::AutoPlay = r.autoPlay;
  shell::SceneChange(shell::kScenePlay);
}

}  // namespace songselect
