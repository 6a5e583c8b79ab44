#include "shell/launch.h"

#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace shell {

LaunchRequest Launch;

const char* const kLaunchUsage =
    "usage: Kodoban [--course easy|normal|hard|oni|edit|0..4] [--auto] [CHART.tja]\n"
    "  CHART.tja      play this chart at once (after the result: the song select)\n"
    "  --course C     the course to play (default: the highest course the chart has)\n"
    "  --auto         auto play\n";

namespace {

constexpr const char* kCourseNames[] = {"easy", "normal", "hard", "oni", "edit"};

// The chart path as the game will open it after changing into its own folder.
bool AbsolutePath(const char* path, char out[kLaunchPathBytes]) {
  std::string full;
  if (path[0] == '/') {
    full = path;
  } else {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    full = std::string(cwd) + "/" + path;
  }
  if (full.size() >= static_cast<size_t>(kLaunchPathBytes)) return false;
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

}  // namespace

int ParseLaunchCourse(const char* text) {
  if (text == nullptr) return -1;
  for (int c = 0; c < 5; ++c) {
    if (strcasecmp(text, kCourseNames[c]) == 0) return c;
    if (text[0] == '0' + c && text[1] == '\0') return c;
  }
  return -1;
}

int ParseLaunchArguments(int argc, const char* const* argv, LaunchRequest* out, char* error,
                         size_t errorBytes) {
  LaunchRequest r;
  const char* path = nullptr;
  bool onlyPaths = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i] ? argv[i] : "";
    if (!onlyPaths && (a == "-h" || a == "--help")) return 1;
    if (!onlyPaths && a == "--") {
      onlyPaths = true;
    } else if (!onlyPaths && a == "--auto") {
      r.autoPlay = true;
    } else if (!onlyPaths && (a == "--course" || a.starts_with("--course="))) {
      const char* value = nullptr;
      if (a == "--course") {
        if (i + 1 >= argc) {
          std::snprintf(error, errorBytes, "--course needs a course");
          return -1;
        }
        value = argv[++i];
      } else {
        value = argv[i] + std::strlen("--course=");
      }
      r.course = ParseLaunchCourse(value);
      if (r.course < 0) {
        std::snprintf(error, errorBytes, "unknown course '%s'", value);
        return -1;
      }
    } else if (!onlyPaths && a.size() > 1 && a[0] == '-') {
      std::snprintf(error, errorBytes, "unknown option '%s'", argv[i]);
      return -1;
    } else if (path == nullptr) {
      path = argv[i];
    } else {
      std::snprintf(error, errorBytes, "more than one chart: '%s' and '%s'", path, argv[i]);
      return -1;
    }
  }
  if (path != nullptr) {
    if (path[0] == '\0') {
      std::snprintf(error, errorBytes, "empty chart path");
      return -1;
    }
    if (!AbsolutePath(path, r.chartPath)) {
      std::snprintf(error, errorBytes, "chart path too long (at most %d bytes): '%s'",
                    kLaunchPathBytes - 1, path);
      return -1;
    }
    r.pending = true;
  }
  *out = r;
  return 0;
}

}  // namespace shell
