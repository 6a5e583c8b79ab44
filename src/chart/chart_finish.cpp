// Finishing a freshly read chart: note captions from the rhythm around each note, totals, the
// score target and the automatic score parameters; and the debug dumps.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "chart/chart.h"
#include "chart/chart_internal.h"
#include "platform/file_read.h"
#include "platform/text_encoding.h"

namespace chart {

namespace {

constexpr int kHeaderTextMax = kTitleBytes - 1;

// Gap limits of the captions, in milliseconds x BPM (a sixteenth is 15000, an eighth 30000).
constexpr double kLongGap = 30100.0;       // more than an eighth
constexpr double kWideGap = 20900.0;       // clearly more than a sixteenth
constexpr double kSixteenthMax = 15100.0;  // at most a sixteenth
constexpr double kSixteenthMin = 14900.0;
constexpr double kEighthMin = 29900.0;

constexpr double kGogoFactor = 1.2;
constexpr int kComboSteps = 10;          // the base grows by diff every 10 combo, up to 100
constexpr int kFullComboBonusCombo = 100;
constexpr double kRollPerMs = 3.0;
constexpr double kBigRollPerMs = 3.6;
constexpr double kBalloonFastHitMs = 20.0;
constexpr int kBalloonHitScore = 300;
constexpr int kBalloonBurstScore = 4700;

constexpr int kScoreStep = 10;
constexpr int kMaxSearchRounds = 100000;  // safety bound; with the runs taken at once a search ends in a few rounds

// A product converted to int by truncation (saturating), then cut down to a multiple of 10.
int64_t Round10(double x) {
  int64_t v;
  if (std::isnan(x)) {
    v = 0;
  } else if (x >= static_cast<double>(INT_MAX)) {
    v = INT_MAX;
  } else if (x <= static_cast<double>(INT_MIN)) {
    v = INT_MIN;
  } else {
    v = static_cast<int64_t>(x);
  }
  return v / 10 * 10;
}

int ClampToInt(int64_t v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

bool CountsForMaster(const ChartNote& n) { return n.lane != kLaneNormal && n.lane != kLaneExpert; }

// Score of a roll or balloon record i (independent of the score parameters).
int64_t SpanScore(const ChartNote* notes, int count, int i, double m) {
  const ChartNote& n = notes[i];
  if (i + 1 >= count) return 0;
  double d = notes[i + 1].time - n.time;
  if (n.type == kNoteRoll) return Round10(d * kRollPerMs * m);
  if (n.type == kNoteBigRoll) return Round10(d * kBigRollPerMs * m);
  // Balloon: hits faster than one per 20 ms can't all be drummed, so the span pays like a roll.
  int h = n.balloonHits;
  bool tooFast = h != 0 ? d / h < kBalloonFastHitMs : d < 0.0;  // d / 0 is +-inf or NaN
  if (tooFast) return Round10(d * kRollPerMs * m);
  return Round10((static_cast<double>(h) * kBalloonHitScore + kBalloonBurstScore) * m);
}

int64_t ComboBase(int64_t init, int64_t diff, int64_t combo) {
  return combo >= kFullComboBonusCombo ? init + kComboSteps * diff : init + (combo / 10) * diff;
}

int64_t HitScore(int64_t base, double m, bool big) {
  return big ? Round10(static_cast<double>(base) * m * 2.0) : Round10(static_cast<double>(base) * m);
}

// SimulateMaxScore reduced for the parameter search: notes of the same combo step, gogo and
// size score the same, so the chart collapses into at most 44 groups and a constant.
struct ScoreModel {
  struct Group {
    int64_t count;
    int step;      // combo step: the base is init + step x diff
    double gogo;   // 1.0 or 1.2
    bool big;
  };
  Group groups[(kComboSteps + 1) * 4];
  int groupCount = 0;
  int64_t constant = 0;
  int64_t hitNotes = 0;

  void Build() {
    int64_t counts[kComboSteps + 1][2][2] = {};
    const Chart& c = TheChart;
    int count = c.totals.notes;
    int64_t combo = 0;
    for (int i = 0; i < count; ++i) {
      const ChartNote& n = c.notes[i];
      if (!CountsForMaster(n)) continue;
      double m = n.gogo ? kGogoFactor : 1.0;
      if (n.type >= kNoteDon && n.type <= kNoteBigKat) {
        int step = combo >= kFullComboBonusCombo ? kComboSteps : static_cast<int>(combo / 10);
        counts[step][n.gogo ? 1 : 0][n.type >= kNoteBigDon ? 1 : 0]++;
        ++combo;
        ++hitNotes;
      } else if (n.type >= kNoteRoll && n.type <= kNoteBalloon) {
        constant += SpanScore(c.notes, count, i, m);
      }
    }
    for (int step = 0; step <= kComboSteps; ++step) {
      for (int g = 0; g < 2; ++g) {
        for (int big = 0; big < 2; ++big) {
          if (counts[step][g][big] == 0) continue;
          groups[groupCount++] =
              Group{counts[step][g][big], step, g ? kGogoFactor : 1.0, big != 0};
        }
      }
    }
  }

  int Simulate(int64_t init, int64_t diff) const {
    int64_t total = constant;
    for (int i = 0; i < groupCount; ++i) {
      const Group& g = groups[i];
      total += g.count * HitScore(init + g.step * diff, g.gogo, g.big);
    }
    return ClampToInt(total);
  }
};

bool IsShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

// ---- header text ----------------------------------------------------------------------------

void CopyHeaderText(char* field, const char* text) {
  size_t length = std::strlen(text);
  size_t cut = length;
  if (cut > static_cast<size_t>(kHeaderTextMax)) {
    // Too long for the field: keep whole characters only, in whichever encoding the text is.
    cut = kHeaderTextMax;
    if (platform::IsValidUtf8(std::string_view(text, length))) {
      while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    } else {
      size_t i = 0;
      while (i < cut) {
        size_t width = IsShiftJisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > cut) break;
        i += width;
      }
      cut = i;
    }
  }
  std::memcpy(field, text, cut);
  field[cut] = '\0';
}

// ---- captions -------------------------------------------------------------------------------

void LabelNotes() {
  Chart& c = TheChart;
  ChartNote* notes = c.notes;
  int count = 0;
  while (count < kNoteCapacity && notes[count].type != kNoteNone) ++count;
  auto nextTime = [&](int j) {
    return j < kNoteRecords && notes[j].type != kNoteNone ? notes[j].time : kNeverTime;
  };
  for (int i = 0; i < count; ++i) {
    ChartNote& n = notes[i];
    double t = n.time;
    double b = n.bpm;
    double tP1 = i >= 1 ? notes[i - 1].time : kAlwaysTime;
    double tP2 = i >= 2 ? notes[i - 2].time : kAlwaysTime;
    double tN1 = nextTime(i + 1);
    double tN2 = nextTime(i + 2);
    double dn = (tN1 - t) * b;
    double dn2 = (tN2 - tN1) * b;
    double dp = (t - tP1) * b;
    double dpp = (tP1 - tP2) * b;
    switch (n.type) {
      case kNoteDon: {
        n.label = kLabelDon;
        if (dn > kLongGap) n.label = kLabelDonAccent;
        if (dn >= kWideGap) {
          if (dn2 <= kSixteenthMax) n.label = kLabelDonAccent;
          if (dp <= kSixteenthMax) n.label = kLabelDonAccent;
        }
        bool prevDon = i >= 1 && notes[i - 1].type == kNoteDon;
        bool nextDon = i + 1 < kNoteRecords && notes[i + 1].type == kNoteDon;
        if (dp >= kSixteenthMin && dp <= kSixteenthMax && dn >= kSixteenthMin &&
            dn <= kSixteenthMax && dn2 >= kEighthMin && dpp >= kEighthMin && prevDon && nextDon) {
          n.label = kLabelDonRunMiddle;
        }
        break;
      }
      case kNoteKat:
        n.label = kLabelKat;
        if (dn > kLongGap) n.label = kLabelKatAccent;
        if (dn >= kWideGap) {
          if (dn2 <= kSixteenthMax) n.label = kLabelKatAccent;
          if (dp <= kSixteenthMax) n.label = kLabelKatAccent;
        }
        break;
      case kNoteBigDon: n.label = kLabelBigDon; break;
      case kNoteBigKat: n.label = kLabelBigKat; break;
      case kNoteRoll: n.label = kLabelRoll; break;
      case kNoteBigRoll: n.label = kLabelBigRoll; break;
      case kNoteBalloon: n.label = kLabelBalloon; break;
      case kNoteRollEnd: n.label = kLabelNone; break;
      default: break;  // type 9 keeps label 0
    }
  }
}

// ---- totals and score -----------------------------------------------------------------------

void CountTotals() {
  Chart& c = TheChart;
  ChartTotals t{};
  int i = 0;
  for (; i < kNoteCapacity && c.notes[i].type != kNoteNone; ++i) {
    const ChartNote& n = c.notes[i];
    if (n.time > t.lastNoteMs) t.lastNoteMs = n.time;
    if (n.type < kNoteDon || n.type > kNoteBigKat) continue;
    if (n.lane == kLaneCommon) {
      ++t.normal, ++t.expert, ++t.master;
    } else if (n.lane == kLaneNormal) {
      ++t.normal;
    } else if (n.lane == kLaneExpert) {
      ++t.expert;
    } else if (n.lane == kLaneMaster) {
      ++t.master;
    }
  }
  t.notes = i;
  t.most = t.normal;
  if (t.expert > t.most) t.most = t.expert;
  if (t.master > t.most) t.most = t.master;
  c.totals = t;
}

int ScoreTarget(int course, int level) {
  int64_t l = level;
  int64_t target;
  if (course == kCourseEasy) {
    target = (l + 14) * 20000;
  } else if (course == kCourseNormal) {
    target = (l + 7) * 50000;
  } else if (course == kCourseHard) {
    target = (l + 10) * 50000;
  } else {
    target = l < 10 ? (l + 13) * 50000 : (l + 2) * 100000;
  }
  return ClampToInt(target);
}

int SimulateMaxScore(int scoreInit, int scoreDiff) {
  const Chart& c = TheChart;
  int count = c.totals.notes;
  int64_t total = 0;
  int64_t combo = 0;
  for (int i = 0; i < count; ++i) {
    const ChartNote& n = c.notes[i];
    if (!CountsForMaster(n)) continue;
    double m = n.gogo ? kGogoFactor : 1.0;
    int64_t base = ComboBase(scoreInit, scoreDiff, combo);
    switch (n.type) {
      case kNoteDon:
      case kNoteKat:
        total += HitScore(base, m, false);
        ++combo;
        break;
      case kNoteBigDon:
      case kNoteBigKat:
        total += HitScore(base, m, true);
        ++combo;
        break;
      case kNoteRoll:
      case kNoteBigRoll:
      case kNoteBalloon:
        total += SpanScore(c.notes, count, i, m);
        break;
      default:
        break;
    }
  }
  return ClampToInt(total);
}

namespace {

// Far below the target every test of a search round passes, so the round adds 40 to init and
// 10 to diff. The perfect-play score only grows with init and diff, so the k rounds ahead are
// all of that kind exactly when the score after them is still below the target: the largest
// such k is found by doubling and halving. Returns -1 when no number of rounds reaches the
// target (the score stops growing, e.g. rolls running backwards outweigh the hits).
constexpr int64_t kPlainRoundInit = 4 * kScoreStep;
constexpr int64_t kPlainRoundDiff = kScoreStep;
constexpr int64_t kMaxPlainRounds = int64_t{1} << 40;

int64_t PlainRoundsAhead(const ScoreModel& model, int64_t init, int64_t diff, int64_t target) {
  auto below = [&](int64_t k) {
    return model.Simulate(init + kPlainRoundInit * k, diff + kPlainRoundDiff * k) < target;
  };
  if (!below(1)) return 0;
  int64_t lo = 1;  // below the target after lo rounds
  int64_t hi = 2;
  while (below(hi)) {
    lo = hi;
    hi *= 2;
    if (hi > kMaxPlainRounds) return -1;
  }
  while (hi - lo > 1) {  // below after lo rounds, at or above the target after hi
    int64_t mid = lo + (hi - lo) / 2;
    if (below(mid)) lo = mid;
    else hi = mid;
  }
  return lo;
}

}  // namespace

// Finds SCOREINIT and SCOREDIFF whose perfect play just reaches the target, round by round;
// runs of rounds far from the target are taken at once, so high levels on charts with few
// notes end at the same values without thousands of rounds. A chart whose score can't reach
// the target (no don or kat on the master lane) keeps 10 and 10.
void SettleScoreParameters() {
  Chart& c = TheChart;
  ScoreModel model;
  model.Build();
  const int64_t target = c.scoreTarget;
  int64_t init = kScoreStep;
  int64_t diff = kScoreStep;
  if (model.Simulate(init, diff) < target) {
    bool reached = false;
    for (int round = 0; model.hitNotes > 0 && round < kMaxSearchRounds; ++round) {
      int64_t ahead = PlainRoundsAhead(model, init, diff, target);
      if (ahead < 0) break;
      init += kPlainRoundInit * ahead;
      diff += kPlainRoundDiff * ahead;
      init += kScoreStep;
      for (int k = 0; k < 3; ++k) {
        if (model.Simulate(init + kScoreStep, diff) < target) init += kScoreStep;
      }
      if (model.Simulate(init, diff + kScoreStep) < target) diff += kScoreStep;
      if (model.Simulate(init, diff) >= target) {
        reached = true;
        break;
      }
    }
    if (!reached) init = diff = kScoreStep;
  }
  c.scoreInit = ClampToInt(init);
  c.scoreDiff = ClampToInt(diff);
}

void FinishChart() {
  Chart& c = TheChart;
  LabelNotes();
  CountTotals();
  c.scoreTarget = ScoreTarget(c.course, c.level);
  if ((c.scoreInit <= 0 && c.scoreDiff <= 0) || c.scoreInit < 0 || c.scoreDiff < 0) {
    SettleScoreParameters();
  }
}

// ---- debug dumps ----------------------------------------------------------------------------

namespace {

// Shift-JIS headers of the dumps.
const char kBranchHeader[] =
    "   \x8E\x9E\x8A\xD4   \x83^\x83" "C\x83v  \x92l1      \x92l2\n";  // 時間 タイプ 値1 値2
const char kSectionHeader[] = "\n\n   \x8E\x9E\x8A\xD4   \x83R\x81[\x83X\n";  // 時間 コース
const char kNoteHeader[] =
    "   \x8E\x9E\x8A\xD4    \x8E\xED\x97\xDE \x83R\x81[\x83X BPM   SCROLL GOGO "
    "\x91\xC5\x90\x94\n";  // 時間 種類 コース BPM SCROLL GOGO 打数
constexpr int kNoteHeaderEvery = 50;

std::string DumpPath(const char* dir, const char* name) {
  std::string path = dir != nullptr && dir[0] != '\0' ? dir : ".";
  if (path.back() != '/') path += '/';
  return path + name;
}

}  // namespace

int WriteDebugDumps(const char* dir) {
  const Chart& c = TheChart;
  bool ok = true;
  if (c.hasBranches) {
    if (FILE* f = platform::CreateRegularFileStream(DumpPath(dir, "branch_info.txt").c_str())) {
      std::fputs(kBranchHeader, f);
      for (int i = 0; i < kEventCapacity && c.branchPoints[i].condition != kConditionNone; ++i) {
        const BranchPoint& b = c.branchPoints[i];
        std::fprintf(f, "%9.2f %3d %8.2f %8.2f\n", b.start, b.condition, b.expert, b.master);
      }
      std::fputs(kSectionHeader, f);
      for (int i = 0; i < kEventCapacity && c.sections[i].lane != -1; ++i) {
        std::fprintf(f, "%9.2f %3d\n", c.sections[i].time, c.sections[i].lane);
      }
      ok = std::ferror(f) == 0 && ok;
      ok = std::fclose(f) == 0 && ok;
    } else {
      ok = false;
    }
  }
  if (FILE* f = platform::CreateRegularFileStream(DumpPath(dir, "note_info.txt").c_str())) {
    for (int i = 0; i < c.totals.notes; ++i) {
      if (i % kNoteHeaderEvery == 0) std::fputs(kNoteHeader, f);
      const ChartNote& n = c.notes[i];
      std::fprintf(f, "%9.2f %3d %5d %8.2f %5.2f %3d %4d\n", n.time, n.type, n.lane, n.bpm,
                   n.scroll, n.gogo ? 1 : 0, n.balloonHits);
    }
    ok = std::ferror(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
  } else {
    ok = false;
  }
  return ok ? 0 : -1;
}

}  // namespace chart
