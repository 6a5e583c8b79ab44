// kodoban-chart [--course C] [--debug-dumps DIR] CHART.tja
//
// Loads one course of a chart exactly as the play scene does and prints what was read as one
// JSON object on stdout, for chart authors and for checking the loader.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <strings.h>

#include "chart/chart.h"
#include "platform/json_text.h"
#include "platform/text_encoding.h"
#include "shell/config.h"

namespace {

void Usage() {
  std::fputs("usage: kodoban-chart [--course C] [--debug-dumps DIR] CHART.tja\n"
             "  C: 0-4 or Easy, Normal, Hard, Oni, Edit (default Oni)\n",
             stderr);
}

int ParseCourse(const char* text) {
  static const char* const kNames[] = {"Easy", "Normal", "Hard", "Oni", "Edit"};
  for (int i = 0; i < 5; ++i) {
    if (strcasecmp(text, kNames[i]) == 0) return i;
  }
  if (text[0] >= '0' && text[0] <= '4' && text[1] == '\0') return text[0] - '0';
  return -1;
}

class JsonWriter {
 public:
  explicit JsonWriter(FILE* out) : out_(out) {}

  void Text(const char* bytes) {
    std::string s;
    platform::AppendJsonString(s, platform::ToUtf8(std::string_view(bytes, std::strlen(bytes))));
    std::fputs(s.c_str(), out_);
  }

  // Shortest text that reads back as the same double.
  void Number(double v) {
    std::string s;
    platform::AppendJsonNumber(s, v);
    std::fputs(s.c_str(), out_);
  }
  void Int(long long v) { std::fprintf(out_, "%lld", v); }
  void Bool(bool v) { std::fputs(v ? "true" : "false", out_); }
  void Raw(const char* s) { std::fputs(s, out_); }
  void Key(const char* k, bool first = false) {
    if (!first) std::fputc(',', out_);
    std::fprintf(out_, "\"%s\":", k);
  }

 private:
  FILE* out_;
};

void PrintChart(JsonWriter& w) {
  using namespace chart;
  const Chart& c = TheChart;
  w.Raw("{");
  w.Key("title", true); w.Text(c.title);
  w.Key("subtitle"); w.Text(c.subtitle);
  w.Key("offset_ms"); w.Number(c.offsetMs);
  w.Key("demo_start_s"); w.Number(c.demoStartS);
  w.Key("bpm"); w.Number(c.bpm);
  w.Key("score_init"); w.Int(c.scoreInit);
  w.Key("score_diff"); w.Int(c.scoreDiff);
  w.Key("song_volume"); w.Int(c.songVolume);
  w.Key("effect_volume"); w.Int(c.effectVolume);
  w.Key("level"); w.Int(c.level);
  w.Key("course"); w.Int(c.course);
  w.Key("clear_threshold"); w.Int(c.clearThreshold);
  w.Key("song_identity"); w.Text(c.songIdentity);
  w.Key("has_branches"); w.Bool(c.hasBranches);
  w.Key("score_target"); w.Int(c.scoreTarget);
  w.Key("max_score"); w.Int(SimulateMaxScore(c.scoreInit, c.scoreDiff));

  w.Key("totals"); w.Raw("{");
  w.Key("notes", true); w.Int(c.totals.notes);
  w.Key("normal"); w.Int(c.totals.normal);
  w.Key("expert"); w.Int(c.totals.expert);
  w.Key("master"); w.Int(c.totals.master);
  w.Key("most"); w.Int(c.totals.most);
  w.Key("last_note_ms"); w.Number(c.totals.lastNoteMs);
  w.Raw("}");

  w.Key("notes"); w.Raw("[");
  for (int i = 0; i < kNoteCapacity && c.notes[i].type != kNoteNone; ++i) {
    const ChartNote& n = c.notes[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("type", true); w.Int(n.type);
    w.Key("label"); w.Int(n.label);
    w.Key("lane"); w.Int(n.lane);
    w.Key("time"); w.Number(n.time);
    w.Key("scroll"); w.Number(n.scroll);
    w.Key("bpm"); w.Number(n.bpm);
    w.Key("gogo"); w.Bool(n.gogo);
    w.Key("balloon_hits"); w.Int(n.balloonHits);
    w.Raw("}");
  }
  w.Raw("]");

  w.Key("bar_lines"); w.Raw("[");
  for (int i = 0; i < kBarLineCapacity && c.barLines[i].time != kNeverTime; ++i) {
    const BarLine& b = c.barLines[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("time", true); w.Number(b.time);
    w.Key("bpm"); w.Number(b.bpm);
    w.Key("scroll"); w.Number(b.scroll);
    w.Key("lane"); w.Int(b.lane);
    w.Key("branch_start"); w.Bool(b.branchStart);
    w.Key("visible"); w.Bool(b.visible);
    w.Raw("}");
  }
  w.Raw("]");

  w.Key("bpm_changes"); w.Raw("[");
  for (int i = 0; i < kEventCapacity && c.bpmChanges[i].lane != -1; ++i) {
    const BpmChange& b = c.bpmChanges[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("value", true); w.Number(b.value);
    w.Key("time"); w.Number(b.time);
    w.Key("lane"); w.Int(b.lane);
    w.Raw("}");
  }
  w.Raw("]");

  w.Key("gogo_changes"); w.Raw("[");
  for (int i = 0; i < kEventCapacity && c.gogoChanges[i].lane != -1; ++i) {
    const GogoChange& g = c.gogoChanges[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("on", true); w.Bool(g.on);
    w.Key("time"); w.Number(g.time);
    w.Key("lane"); w.Int(g.lane);
    w.Raw("}");
  }
  w.Raw("]");

  w.Key("branch_points"); w.Raw("[");
  for (int i = 0; i < kEventCapacity && c.branchPoints[i].condition != kConditionNone; ++i) {
    const BranchPoint& b = c.branchPoints[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("condition", true); w.Int(b.condition);
    w.Key("expert"); w.Number(b.expert);
    w.Key("master"); w.Number(b.master);
    w.Key("start"); w.Number(b.start);
    w.Key("judge"); w.Number(b.judge);
    w.Raw("}");
  }
  w.Raw("]");

  w.Key("sections"); w.Raw("[");
  for (int i = 0; i < kEventCapacity && c.sections[i].lane != -1; ++i) {
    const ChartSection& s = c.sections[i];
    if (i > 0) w.Raw(",");
    w.Raw("\n{");
    w.Key("time", true); w.Number(s.time);
    w.Key("lane"); w.Int(s.lane);
    w.Raw("}");
  }
  w.Raw("]");
  w.Raw("}\n");
}

}  // namespace

int main(int argc, char** argv) {
  int course = chart::kCourseOni;
  const char* dumpDir = nullptr;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--course" && i + 1 < argc) {
      course = ParseCourse(argv[++i]);
      if (course < 0) {
        std::fprintf(stderr, "kodoban-chart: unknown course '%s'\n", argv[i]);
        Usage();
        return 2;
      }
    } else if (a == "--debug-dumps" && i + 1 < argc) {
      dumpDir = argv[++i];
    } else if (a == "-h" || a == "--help") {
      Usage();
      return 0;
    } else if (a.size() > 1 && a[0] == '-' && path == nullptr && a != "--") {
      std::fprintf(stderr, "kodoban-chart: unknown option '%s'\n", argv[i]);
      Usage();
      return 2;
    } else if (path == nullptr) {
      if (a == "--" && i + 1 < argc) ++i;
      path = argv[i];
    } else {
      Usage();
      return 2;
    }
  }
  if (path == nullptr) {
    Usage();
    return 2;
  }

  // Dumps go only where asked, never into the current folder as a side effect.
  shell::DebugMode = false;
  errno = 0;
  if (chart::LoadChart(path, course) != 0) {
    int err = errno;
    std::fprintf(stderr, "kodoban-chart: cannot open chart '%s': %s\n", path,
                 err != 0 ? std::strerror(err) : "not a regular file");
    return 1;
  }
  chart::PrintLoadWarnings("kodoban-chart", path);
  if (dumpDir != nullptr && chart::WriteDebugDumps(dumpDir) != 0) {
    std::fprintf(stderr, "kodoban-chart: cannot write the debug dumps into '%s': %s\n", dumpDir,
                 std::strerror(errno));
    return 1;
  }

  JsonWriter w(stdout);
  PrintChart(w);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kodoban-chart: cannot write the chart: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
