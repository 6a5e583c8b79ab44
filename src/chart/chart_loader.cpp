// The chart loader: two passes over a TJA file. The first pass reads the song header and
// counts the digits of every measure of the chosen course's block; the second pass walks the
// same block again and builds the timeline, giving each digit its share of the measure.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "chart/chart.h"
#include "chart/chart_internal.h"
#include "chart/song_identity.h"
#include "chart/tja_text.h"
#include "platform/file_read.h"
#include "shell/config.h"

namespace chart {

namespace {

constexpr double kDefaultBpm = 120.0;
constexpr int kScanStartCourse = kCourseOni;  // a file without COURSE: is one Oni block
constexpr int kScanStartLevel = 1;

bool Contains(const char* line, const char* key) { return std::strstr(line, key) != nullptr; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ---- reset ----------------------------------------------------------------------------------

BarLine UnusedBarLine() {
  BarLine b{};
  b.time = kNeverTime;
  return b;
}

void ResetEventTables(Chart& c) {
  for (int i = 0; i < kEventCapacity; ++i) {
    c.bpmChanges[i] = BpmChange{0.0, kNeverTime, -1, 0};
    c.gogoChanges[i] = GogoChange{false, kNeverTime, -1, 0};
    c.branchPoints[i] = BranchPoint{kConditionNone, 0.0, 0.0, kNeverTime, kNeverTime, 0};
    c.sections[i] = ChartSection{kNeverTime, -1, 0};
  }
  c.bpmChanges[0] = BpmChange{c.bpm, kAlwaysTime, kLaneCommon, 1};
  c.gogoChanges[0] = GogoChange{false, kAlwaysTime, kLaneCommon, 1};
}

// Everything but the level and the note and bar line arrays. The arrays are terminated at
// record 0 and every record written later clears the one after it, so a load touches only
// the records it uses (the note array alone is several megabytes).
void ResetHeaderAndEvents(Chart& c, int course) {
  c.title[0] = '\0';
  c.subtitle[0] = '\0';
  c.offsetMs = 0.0;
  c.demoStartS = 0.0;
  c.bpm = kDefaultBpm;
  c.scoreInit = 0;
  c.scoreDiff = 0;
  c.songVolume = 0;
  c.effectVolume = 0;
  for (int& h : c.balloonHits) h = kDefaultBalloonHits;
  std::memset(c.songIdentity, '0', 32);
  c.songIdentity[32] = '\0';
  c.course = course;
  c.clearThreshold = ClearThreshold(course);
  c.hasBranches = false;
  c.scoreTarget = 0;
  c.totals = ChartTotals{};
  std::memset(c.measureDigits, 0, sizeof c.measureDigits);
  ResetEventTables(c);
  c.notes[0] = ChartNote{};
  c.barLines[0] = UnusedBarLine();
}

// ---- header ---------------------------------------------------------------------------------

struct HeaderScan {
  int course = kScanStartCourse;
  int level = kScanStartLevel;
};

// COURSE: lines name the course anywhere in the line; the first of these found wins.
void ReadCourseWord(const char* line, int& course) {
  static const struct {
    const char* word;
    int course;
  } kWords[] = {{"Edit", 4}, {"Oni", 3}, {"Hard", 2}, {"Normal", 1}, {"Easy", 0},
                {"4", 4},    {"3", 3},   {"2", 2},    {"1", 1},      {"0", 0}};
  for (const auto& w : kWords) {
    if (Contains(line, w.word)) {
      course = w.course;
      return;
    }
  }
}

// BALLOON: the k-th run of digits is the hit count of the k-th balloon.
void ReadBalloonList(const char* value, int* hits) {
  if (*value == '\0') return;
  int k = 0;
  const char* p = value;
  while (*p != '\0' && k < kBalloonCapacity) {
    if (!IsDigit(*p)) {
      ++p;
      continue;
    }
    hits[k++] = ReadInteger(p);
    while (IsDigit(*p)) ++p;
  }
}

// One header key per line, first match in this order. Values are read at the column right
// after the key name counted from the start of the line. False for a WAVE: line, which is not
// looked at any further.
bool ReadHeaderKey(Chart& c, const char* line, size_t length, HeaderScan& scan) {
  if (Contains(line, "TITLE:") && !Contains(line, "SUBTITLE:")) {
    CopyHeaderText(c.title, line + 6);
  } else if (Contains(line, "SUBTITLE:")) {
    // A "--" or "++" before the subtitle is dropped (only the 11th character is looked at).
    bool prefixed = length > 10 && (line[10] == '-' || line[10] == '+');
    CopyHeaderText(c.subtitle, line + (prefixed ? 11 : 9));
  } else if (Contains(line, "WAVE:")) {
    return false;
  } else if (Contains(line, "DEMOSTART:")) {
    c.demoStartS = ReadDecimal(line + 10);
  } else if (Contains(line, "OFFSET:")) {
    double ms = ReadDecimal(line + 7) * 1000.0;
    c.offsetMs = std::isfinite(ms) ? ms : 0.0;
  } else if (Contains(line, "BPM:")) {
    c.bpm = ReadDecimal(line + 4);
  } else if (Contains(line, "SCOREINIT:")) {
    c.scoreInit = ReadInteger(line + 10);
  } else if (Contains(line, "SCOREDIFF:")) {
    c.scoreDiff = ReadInteger(line + 10);
  } else if (Contains(line, "SONGVOL:")) {
    c.songVolume = static_cast<uint8_t>(static_cast<unsigned>(ReadInteger(line + 8)) & 0xFFu);
  } else if (Contains(line, "SEVOL:")) {
    c.effectVolume = static_cast<uint8_t>(static_cast<unsigned>(ReadInteger(line + 6)) & 0xFFu);
  } else if (Contains(line, "BALLOON:")) {
    ReadBalloonList(line + 8, c.balloonHits);
  } else if (Contains(line, "COURSE:")) {
    ReadCourseWord(line, scan.course);
  } else if (Contains(line, "LEVEL:")) {
    scan.level = ReadInteger(line + 6);
  }
  return true;
}

// Reads header lines up to the #START of the chosen course. True when it was found; the reader
// then stands on the first body line.
bool ScanHeader(Chart& c, TjaLineReader& reader, int course) {
  HeaderScan scan;
  while (reader.NextLine()) {
    const char* line = reader.Line();
    if (!ReadHeaderKey(c, line, reader.Length(), scan)) continue;
    if (Contains(line, "COURSE:")) ReadCourseWord(line, scan.course);
    if (Contains(line, "LEVEL:")) scan.level = ReadInteger(line + 6);
    if (Contains(line, "#START") && scan.course == course) {
      c.level = scan.level;
      return true;
    }
  }
  return false;
}

// ---- first pass: digits per measure ----------------------------------------------------------

void CountMeasureDigits(Chart& c, TjaLineReader& reader) {
  int measure = 0;
  while (measure < kBarLineCapacity && reader.NextLine()) {
    const char* line = reader.Line();
    if (line[0] == '#') {
      if (Contains(line, "#END")) return;
      continue;
    }
    for (const char* p = line; *p != '\0'; ++p) {
      if (IsDigit(*p)) {
        ++c.measureDigits[measure];
      } else if (*p == ',') {
        if (c.measureDigits[measure] == 0) c.measureDigits[measure] = 1;
        ++measure;
        break;
      } else if (p[0] == '/' && p[1] == '/') {
        break;
      }
    }
  }
}

// ---- second pass: the timeline ---------------------------------------------------------------

struct TempoState {
  double bpm;
  double scroll;
  bool gogo;
  double numerator;
  double denominator;
};

struct Timeline {
  Chart& c;
  TempoState state;
  TempoState snapshot;     // taken by #BRANCHSTART, restored by #N, #E and #M
  bool haveSnapshot = false;
  int lane = kLaneCommon;
  bool barLinesVisible = true;
  bool branchStartPending = false;
  double tN = 0.0, tE = 0.0, tM = 0.0;  // the three lane clocks
  int measure = 0;
  int slotsSeen = 0;
  int noteCount = 0;
  int lastNoteType = kNoteNone;
  int bpmCount = 1;
  int gogoCount = 1;
  int branchCount = 0;
  int sectionCount = 0;
  int balloonsTaken = 0;

  explicit Timeline(Chart& chart) : c(chart) {
    state = TempoState{chart.bpm, 1.0, false, 4.0, 4.0};
    snapshot = state;
  }

  double Clock() const {
    if (lane == kLaneExpert) return tE;
    if (lane == kLaneMaster) return tM;
    return tN;
  }

  // Moves the clocks of the current lane; the common lane moves all three. A step that would
  // leave the finite range is not taken.
  void AdvanceClocks(double ms) {
    auto step = [ms](double& t) {
      double next = t + ms;
      if (std::isfinite(next)) t = next;
    };
    if (lane == kLaneCommon) {
      step(tN);
      step(tE);
      step(tM);
    } else if (lane == kLaneNormal) {
      step(tN);
    } else if (lane == kLaneExpert) {
      step(tE);
    } else {
      step(tM);
    }
  }

  // A 4/4 measure lasts 240000 / BPM ms, shared equally among its digits. A BPM of 0 or a
  // denominator of 0 would make it endless: such slots take no time instead.
  double SlotLength() const {
    int count = c.measureDigits[measure] > 0 ? c.measureDigits[measure] : 1;
    double ms = (state.numerator / state.denominator) * (15000.0 / state.bpm) * (16.0 / count);
    return std::isfinite(ms) ? ms : 0.0;
  }

  void WriteBarLine() {
    BarLine& b = c.barLines[measure];
    b.time = Clock();
    b.bpm = state.bpm;
    b.scroll = state.scroll;
    b.lane = lane;
    b.live = 0;
    b.visible = barLinesVisible;
    if (branchStartPending) {
      b.branchStart = true;
      branchStartPending = false;
    }
    if (measure + 1 < kBarLineCapacity) c.barLines[measure + 1] = UnusedBarLine();
  }

  void WriteNote(int type) {
    if (noteCount >= kNoteCapacity) {
      LastLoadNotes.notesCut = true;
      return;
    }
    ChartNote& n = c.notes[noteCount];
    n = ChartNote{};
    n.type = type;
    n.lane = lane;
    n.time = Clock();
    n.scroll = state.scroll;
    n.bpm = state.bpm;
    n.gogo = state.gogo;
    if (type == kNoteBalloon) {
      n.balloonHits =
          balloonsTaken < kBalloonCapacity ? c.balloonHits[balloonsTaken] : kDefaultBalloonHits;
      ++balloonsTaken;
    }
    ++noteCount;
    c.notes[noteCount] = ChartNote{};  // keeps the list terminated
    lastNoteType = type;
  }

  void Slot(int digit) {
    double length = SlotLength();
    // A 5, 6, 7, 8 or 9 repeating the last record's type continues it (5555, 77).
    if (digit != 0 && (noteCount == 0 || digit != lastNoteType || digit < kNoteRoll)) {
      WriteNote(digit);
    }
    AdvanceClocks(length);
    ++slotsSeen;
  }

  // Returns false when the measure table is full and the rest of the body is ignored.
  bool NoteLine(const char* line) {
    if (slotsSeen == 0) WriteBarLine();
    for (const char* p = line; *p != '\0'; ++p) {
      if (IsDigit(*p)) {
        Slot(*p - '0');
      } else if (*p == ',') {
        if (slotsSeen == 0) Slot(0);  // a measure without digits lasts one whole measure
        slotsSeen = 0;
        ++measure;
        return measure < kBarLineCapacity;
      } else if (p[0] == '/' && p[1] == '/') {
        break;
      }
    }
    return true;
  }

  // Value scans start at the column right after the command name, counted from column 1.
  static const char* FindFrom(const char* line, size_t column, bool allowMinus) {
    for (const char* p = line + column; *p != '\0'; ++p) {
      if (IsDigit(*p) || (allowMinus && *p == '-')) return p;
    }
    return nullptr;
  }

  void BpmChangeCommand(const char* line) {
    const char* p = FindFrom(line, 10, false);
    if (p == nullptr) return;
    state.bpm = ReadDecimal(p);
    if (bpmCount < kEventCapacity) {
      c.bpmChanges[bpmCount++] = BpmChange{state.bpm, Clock(), lane, 0};
    } else {
      LastLoadNotes.eventsCut = true;
    }
  }

  void ScrollCommand(const char* line) {
    const char* p = FindFrom(line, 7, true);
    if (p != nullptr) state.scroll = ReadDecimal(p);
  }

  void MeasureCommand(const char* line) {
    const char* p = FindFrom(line, 8, false);
    if (p == nullptr) return;
    const char* slash = std::strchr(p, '/');
    if (slash == nullptr) return;
    state.numerator = ReadDecimal(p);
    state.denominator = ReadDecimal(slash + 1);
  }

  void GogoCommand(bool on) {
    if (gogoCount < kEventCapacity) {
      c.gogoChanges[gogoCount++] = GogoChange{on, Clock(), lane, 0};
    } else {
      LastLoadNotes.eventsCut = true;
    }
    state.gogo = on;
  }

  void DelayCommand(const char* line) {
    const char* p = FindFrom(line, 6, true);
    if (p == nullptr) return;
    double ms = ReadDecimal(p) * 1000.0;
    if (std::isfinite(ms)) AdvanceClocks(ms);
  }

  void BranchStartCommand(const char* line) {
    tE = tM = tN;
    lane = kLaneCommon;
    snapshot = state;
    haveSnapshot = true;
    BranchPoint bp{kConditionNone, 0.0, 0.0, tN, 0.0, 0};
    if (measure == 0) {
      // One 4/4 measure before time 0; with a BPM of 0 that is "always".
      double judge = -(240.0 / state.bpm) * 1000.0;
      bp.judge = std::isfinite(judge) ? judge : kAlwaysTime;
    } else {
      bp.judge = c.barLines[measure - 1].time;
    }
    for (const char* p = line + 12; *p != '\0'; ++p) {
      if (*p != 'r' && *p != 'p' && *p != 's') continue;
      bp.condition = *p == 'r' ? kConditionRoll : *p == 'p' ? kConditionAccuracy : kConditionScore;
      const char* first = FindFrom(p + 1, 0, true);
      if (first != nullptr) {
        bp.expert = ReadDecimal(first);
        const char* comma = std::strchr(first + 1, ',');
        if (comma != nullptr) bp.master = ReadDecimal(comma + 1);
      }
      break;
    }
    if (branchCount < kEventCapacity) c.branchPoints[branchCount++] = bp;
    else LastLoadNotes.eventsCut = true;
    c.hasBranches = true;
  }

  void SectionCommand() {
    if (sectionCount < kEventCapacity) c.sections[sectionCount++] = ChartSection{Clock(), lane, 0};
    else LastLoadNotes.eventsCut = true;
  }

  // #N, #E, #M. Before any #BRANCHSTART there is no snapshot and the tempo state stays as it is.
  void LaneCommand(int newLane) {
    lane = newLane;
    if (haveSnapshot) state = snapshot;
    branchStartPending = true;
  }

  void Command(const char* line) {
    if (Contains(line, "#BPMCHANGE")) {
      BpmChangeCommand(line);
    } else if (Contains(line, "#SCROLL")) {
      ScrollCommand(line);
    } else if (Contains(line, "#MEASURE")) {
      MeasureCommand(line);
    } else if (Contains(line, "#GOGOSTART")) {
      GogoCommand(true);
    } else if (Contains(line, "#GOGOEND")) {
      GogoCommand(false);
    } else if (Contains(line, "#DELAY")) {
      DelayCommand(line);
    } else if (Contains(line, "#BRANCHSTART")) {
      BranchStartCommand(line);
    } else if (Contains(line, "#SECTION")) {
      SectionCommand();
    } else if (Contains(line, "#BRANCHEND")) {
      lane = kLaneCommon;
    } else if (Contains(line, "#N")) {
      LaneCommand(kLaneNormal);
    } else if (Contains(line, "#E")) {
      LaneCommand(kLaneExpert);
    } else if (Contains(line, "#M")) {
      LaneCommand(kLaneMaster);
    } else if (Contains(line, "#BARLINEOFF")) {
      barLinesVisible = false;
    } else if (Contains(line, "#BARLINEON")) {
      barLinesVisible = true;
    }
  }

  void Run(TjaLineReader& reader) {
    while (reader.NextLine()) {
      const char* line = reader.Line();
      if (line[0] == '#') {
        if (Contains(line, "#END")) return;
        Command(line);
      } else if (!NoteLine(line)) {
        // The measure table is full: anything but commands and blanks up to #END is lost.
        while (reader.NextLine()) {
          const char* rest = reader.Line();
          if (rest[0] == '#') {
            if (Contains(rest, "#END")) return;
            continue;
          }
          for (const char* p = rest; *p != '\0' && !(p[0] == '/' && p[1] == '/'); ++p) {
            if (IsDigit(*p) || *p == ',') {
              LastLoadNotes.measuresCut = true;
              return;
            }
          }
        }
        return;
      }
    }
  }
};

}  // namespace

// ---- public ---------------------------------------------------------------------------------

Chart TheChart;
ChartLoadNotes LastLoadNotes;

void ResetChart() {
  Chart& c = TheChart;
  for (int i = 0; i < kNoteRecords; ++i) c.notes[i] = ChartNote{};
  for (int i = 0; i < kBarLineCapacity; ++i) c.barLines[i] = UnusedBarLine();
  ResetHeaderAndEvents(c, kCourseOni);
}

void ResetChartCompletely() {
  ResetChart();
  TheChart.level = 0;
}

int ClearThreshold(int course) {
  if (course == kCourseEasy) return 60;
  if (course == kCourseNormal) return 70;
  return 80;
}

int LoadChartFromStream(FILE* file, int course) {
  Chart& c = TheChart;
  ResetHeaderAndEvents(c, course);
  LastLoadNotes = ChartLoadNotes{};

  // The identity covers the file's first 64 KiB, read before any line.
  {
    std::unique_ptr<unsigned char[]> block(new unsigned char[kSongIdentityBlock]);
    size_t got = std::fread(block.get(), 1, kSongIdentityBlock, file);
    if (got > 0) BufferDigest(block.get(), got, c.songIdentity);
    // Old Mac line ends: CR without any LF. Only a LF ends a line here.
    LastLoadNotes.crLineEnds = got > 0 && std::memchr(block.get(), '\r', got) != nullptr &&
                               std::memchr(block.get(), '\n', got) == nullptr;
  }

  TjaLineReader reader(file);
  reader.SeekTo(0);
  if (ScanHeader(c, reader, course)) {
    // The second pass walks exactly the block the first pass counted.
    int64_t bodyStart = reader.Offset();
    CountMeasureDigits(c, reader);
    c.bpmChanges[0].value = c.bpm;
    if (reader.SeekTo(bodyStart)) {
      Timeline timeline(c);
      timeline.Run(reader);
    }
  } else {
    c.bpmChanges[0].value = c.bpm;
  }
  FinishChart();
  return 0;
}

void PrintLoadWarnings(const char* tool, const char* path) {
  const ChartLoadNotes& n = LastLoadNotes;
  if (n.crLineEnds)
    std::fprintf(stderr, "%s: warning: %s: lines end in CR alone; they are read as one long line\n",
                 tool, path);
  if (n.notesCut)
    std::fprintf(stderr, "%s: warning: %s: more than %d notes; the rest are left out\n", tool, path,
                 kNoteCapacity);
  if (n.measuresCut)
    std::fprintf(stderr, "%s: warning: %s: more than %d measures; the rest are left out\n", tool,
                 path, kBarLineCapacity);
  if (n.eventsCut)
    std::fprintf(stderr, "%s: warning: %s: more than %d tempo, gogo, branch or section events of a kind; "
                 "the rest are left out\n", tool, path, kEventCapacity);
}

int LoadChart(const char* path, int course) {
  if (path == nullptr) return -1;
  // Only plain files: a folder has no lines, a FIFO may never open and a device never ends.
  FILE* file = platform::OpenRegularFileStream(path);
  if (file == nullptr) return -1;
  LoadChartFromStream(file, course);
  std::fclose(file);
  if (shell::DebugMode) WriteDebugDumps(".");
  return 0;
}

}  // namespace chart
