// A play asked for on the command line: `Kodoban [--course C] [--auto] [CHART.tja]`. The
// program fills it before start-up; the song select takes it on its first entry and starts
// that play as if the chart had been dropped and chosen.
#pragma once

namespace shell {

constexpr int kLaunchPathBytes = 260;
constexpr int kLaunchHighestCourse = -1;  // no --course: the highest course the chart has

struct LaunchRequest {
  bool pending = false;
  char chartPath[kLaunchPathBytes] = {};
  int course = kLaunchHighestCourse;  // 0 Easy .. 4 Edit
  bool autoPlay = false;
};
extern LaunchRequest Launch;

}  // namespace shell
