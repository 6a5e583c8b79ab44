// A play asked for on the command line: `Kodoban [--course C] [--auto] [CHART.tja]`. The
// program fills it before start-up; the song select takes it on its first entry and starts
// that play as if the chart had been dropped and chosen.
#pragma once
#include <cstdio>

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

// The usage text of the program's arguments.
extern const char* const kLaunchUsage;

// A course named on the command line: easy, normal, hard, oni, edit (any case) or 0..4.
// -1 for anything else.
int ParseLaunchCourse(const char* text);

// Reads the program's arguments into out. A chart path is made absolute against the current
// folder (the game later changes into its own folder). Returns 0, or -1 with a one-line
// reason in error (the caller prints it with the usage and exits with status 2). Without a
// chart path the request stays not pending; --course or --auto alone are allowed and
// ignored. -h or --help: returns 1 (print the usage, exit 0).
int ParseLaunchArguments(int argc, const char* const* argv, LaunchRequest* out, char* error,
                         size_t errorBytes);

}  // namespace shell
