// kodoban-sim: plays one course of a chart on a virtual clock, without a window or a sound
// device, and prints the outcome as JSON.
//
//   kodoban-sim [--course C] [--auto] [--inputs FILE] [--great MS] [--good MS] [--bad MS] CHART.tja
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "chart/chart.h"
#include "platform/file_read.h"
#include "play/sim_runner.h"
#include "shell/config.h"
#include "shell/state.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: kodoban-sim [--course C] [--auto] [--inputs FILE] [--great MS] [--good MS] "
               "[--bad MS] CHART.tja\n"
               "  C: 0-4 or easy, normal, hard, oni, edit (default oni)\n"
               "  FILE: one press per line, \"TIME KEYS [HOLD]\" (PlayClock ms, letters F J D K, ms held)\n");
}

bool ParseInt(const char* s, int* out) {
  if (!s || !*s) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (*end != '\0' || errno != 0 || v < -2147483647L || v > 2147483647L) return false;
  *out = static_cast<int>(v);
  return true;
}

bool ParseCourse(const char* s, int* out) {
  static const char* names[] = {"easy", "normal", "hard", "oni", "edit"};
  for (int i = 0; i < 5; ++i) {
    if (strcasecmp(s, names[i]) == 0) {
      *out = i;
      return true;
    }
  }
  int v = 0;
  if (ParseInt(s, &v) && v >= 0 && v <= 4) {
    *out = v;
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  play::SimOptions options;
  int course = chart::kCourseOni;
  const char* inputsPath = nullptr;
  const char* chartPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kodoban-sim: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (std::strcmp(a, "--auto") == 0) {
      options.autoPlay = true;
    } else if (std::strcmp(a, "--course") == 0) {
      const char* v = value(a);
      if (!v) return 1;
      if (!ParseCourse(v, &course)) {
        std::fprintf(stderr, "kodoban-sim: unknown course \"%s\"\n", v);
        return 1;
      }
    } else if (std::strcmp(a, "--inputs") == 0) {
      inputsPath = value(a);
      if (!inputsPath) return 1;
    } else if (std::strcmp(a, "--great") == 0 || std::strcmp(a, "--good") == 0 || std::strcmp(a, "--bad") == 0) {
      const char* v = value(a);
      if (!v) return 1;
      int ms = 0;
      if (!ParseInt(v, &ms)) {
        std::fprintf(stderr, "kodoban-sim: %s wants whole milliseconds, not \"%s\"\n", a, v);
        return 1;
      }
      (a[2] == 'g' && a[4] == 'e' ? options.great : a[2] == 'g' ? options.good : options.bad) = ms;
    } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      Usage();
      return 0;
    } else if (a[0] == '-' && a[1] != '\0') {
      std::fprintf(stderr, "kodoban-sim: unknown option %s\n", a);
      Usage();
      return 1;
    } else if (!chartPath) {
      chartPath = a;
    } else {
      std::fprintf(stderr, "kodoban-sim: only one chart, please (%s)\n", a);
      return 1;
    }
  }
  if (!chartPath) {
    Usage();
    return 1;
  }

  std::vector<play::SimPress> presses;
  if (inputsPath) {
    // Only a regular file of sane size: a FIFO would block, /dev/zero would never end.
    std::string text;
    errno = 0;
    platform::FileReadStatus status = platform::ReadRegularFile(inputsPath, platform::kSettingsFileCap, &text);
    if (status != platform::FileReadStatus::kOk) {
      const std::string why = status == platform::FileReadStatus::kMissing && errno != 0
                                  ? std::string(std::strerror(errno))
                                  : platform::FileReadStatusText(status, platform::kSettingsFileCap);
      std::fprintf(stderr, "kodoban-sim: cannot read the inputs file %s: %s\n", inputsPath, why.c_str());
      return 1;
    }
    std::string error;
    int bad = play::ParseSimInputs(text, &presses, &error);
    if (bad != 0) {
      std::fprintf(stderr, "kodoban-sim: %s:%d: %s\n", inputsPath, bad, error.c_str());
      return 2;
    }
  }

  shell::ResetShellState();
  shell::ResetConfiguration();
  if (chart::LoadChart(chartPath, course) != 0) {
    std::fprintf(stderr, "kodoban-sim: cannot read the chart %s\n", chartPath);
    return 1;
  }
  chart::PrintLoadWarnings("kodoban-sim", chartPath);

  play::SimResult result;
  play::RunSimulation(options, presses, &result);
  if (result.truncated)
    std::fprintf(stderr, "kodoban-sim: the play was cut off after %lld ms\n", result.passes);
  const std::string json = play::SimResultJson(result);
  const bool written = std::fwrite(json.data(), 1, json.size(), stdout) == json.size();
  if (std::fflush(stdout) != 0 || !written || std::ferror(stdout)) {
    std::fprintf(stderr, "kodoban-sim: cannot write the result: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
