// src/chart/: TJA reading and finishing, no graphics and no sound. Includes only platform/,
// shell/ and chart/.
//
// The one loaded course of a TJA song: header fields, the flat note array with absolute times,
// one bar line per measure and the event tables (tempo, gogo, branch points, sections).
// Process-wide, replaced by every LoadChart and read by the play engine.
//
// Tables mark unused records with sentinels instead of keeping counts: a note of type 0 ends
// the note list, an unused bar line has time 1e9, unused tempo/gogo changes and sections have
// lane -1, an unused branch point has condition -1.
#pragma once
#include <cstdint>

namespace chart {

// Capacities of the fixed tables.
constexpr int kNoteCapacity = 65535;          // notes; the array has one more record (type 0)
constexpr int kNoteRecords = kNoteCapacity + 1;
constexpr int kBarLineCapacity = 10000;       // measures (bar lines and digit counts)
constexpr int kEventCapacity = 1000;          // records of each event table
constexpr int kBalloonCapacity = 1000;        // entries of the balloon hit list
constexpr int kDefaultBalloonHits = 5;        // hits of a balloon without a BALLOON: entry
constexpr int kTitleBytes = 257;              // 256 bytes of text and a terminator
constexpr int kSongIdentityBytes = 33;        // 32 hex digits and a terminator

// Times meaning "never".
constexpr double kNeverTime = 1000000000.0;
constexpr double kAlwaysTime = -1000000000.0;

enum NoteType : int {
  kNoteNone = 0,      // ends the note list
  kNoteDon = 1,
  kNoteKat = 2,
  kNoteBigDon = 3,
  kNoteBigKat = 4,
  kNoteRoll = 5,
  kNoteBigRoll = 6,
  kNoteBalloon = 7,
  kNoteRollEnd = 8,   // end of a roll or balloon: the roll ends at the record after its start
  kNoteIgnored = 9,   // kept in the list, skipped by the play engine
};

// Caption drawn under a note.
enum NoteLabel : int {
  kLabelNone = -1,        // end of roll or balloon
  kLabelDon = 0,
  kLabelDonRunMiddle = 1, // middle of three dons a sixteenth apart
  kLabelDonAccent = 2,    // followed by a long gap, or at the edge of a fast run
  kLabelKat = 3,
  kLabelKatAccent = 4,
  kLabelBigDon = 5,
  kLabelBigKat = 6,
  kLabelRoll = 7,
  kLabelBigRoll = 8,
  kLabelBalloon = 10,
};

enum BranchLaneValue : int {
  kLaneCommon = 0,  // outside branch sections, or after #BRANCHEND
  kLaneNormal = 1,  // #N
  kLaneExpert = 2,  // #E
  kLaneMaster = 3,  // #M
};

enum BranchConditionValue : int {
  kConditionNone = -1,
  kConditionRoll = 1,      // r: roll hits
  kConditionAccuracy = 2,  // p: accuracy
  kConditionScore = 3,     // s: score
};

enum CourseValue : int {
  kCourseEasy = 0,
  kCourseNormal = 1,
  kCourseHard = 2,
  kCourseOni = 3,
  kCourseEdit = 4,
};

struct ChartNote {
  int type;          // NoteType; 0 = end of list
  int label;         // NoteLabel, set when the chart is finished
  int lane;          // BranchLane the note belongs to
  double time;       // ms from the chart start, when the note is to be hit
  double scroll;     // #SCROLL in force when the note was read
  double bpm;        // BPM in force when the note was read
  bool gogo;         // gogo time was on when the note was read
  int balloonHits;   // hits to burst a balloon (type 7 only, else 0)
  // Run-time fields, owned by the play engine; zero after loading.
  int state;         // NoteState
  double x;          // lane position of the note's centre, pixels
  int hitsDone;      // roll and balloon hits so far
  int live;          // nonzero when the note belongs to the lane being played
};

struct BarLine {
  double time;       // start of the measure, ms; 1e9 = unused record
  double bpm;        // BPM at the measure's start
  double scroll;     // scroll at the measure's start
  int lane;          // BranchLane of the measure
  int live;          // run-time: the bar line belongs to the lane being played (0 after loading)
  bool branchStart;  // first measure written after #N, #E or #M
  bool visible;      // drawn (#BARLINEON / #BARLINEOFF)
};

struct BpmChange {
  double value;      // new BPM
  double time;       // ms; record 0 at -1e9, unused records at 1e9
  int lane;          // BranchLane; -1 = unused record
  uint8_t fired;     // run-time applied flag; set for record 0 by the load, clear for the rest
};

struct GogoChange {
  bool on;
  double time;       // ms; record 0 (off) at -1e9, unused records at 1e9
  int lane;          // BranchLane; -1 = unused record
  uint8_t fired;     // run-time applied flag; set for record 0 by the load, clear for the rest
};

struct BranchPoint {
  int condition;     // BranchCondition; -1 = unused record (or no condition letter)
  double expert;     // expert threshold: first number of #BRANCHSTART
  double master;     // master threshold: second number
  double start;      // ms on the normal lane's clock where the branch begins
  double judge;      // ms: start of the measure before the one holding the command
  uint8_t fired;     // run-time flag of the branch selection; clear after loading
};

struct ChartSection {
  double time;       // ms
  int lane;          // BranchLane; -1 = unused record
  uint8_t fired;     // run-time flag of the branch selection; clear after loading
};

struct ChartTotals {
  int notes;         // records before the first of type 0
  int normal;        // types 1-4 in lanes 0 and 1
  int expert;        // types 1-4 in lanes 0 and 2
  int master;        // types 1-4 in lanes 0 and 3
  int most;          // largest of the three lane counts (the full-combo length)
  double lastNoteMs; // latest time of any record (0 when none or all negative)
};

struct Chart {
  // Header (every load resets these to their defaults, except level).
  char title[kTitleBytes];        // bytes as in the file (Shift-JIS or UTF-8), NUL-terminated
  char subtitle[kTitleBytes];
  double offsetMs;                // OFFSET: x 1000, applied by the play clock
  double demoStartS;              // DEMOSTART:, seconds
  double bpm;                     // BPM: (initial tempo), 120 by default
  int scoreInit;                  // SCOREINIT:, replaced by the automatic parameters when unusable
  int scoreDiff;                  // SCOREDIFF:, likewise
  uint8_t songVolume;             // SONGVOL:, low 8 bits
  uint8_t effectVolume;           // SEVOL:, low 8 bits
  int balloonHits[kBalloonCapacity];  // BALLOON: list, every entry 5 by default
  int level;                      // LEVEL: of the chosen block; kept from the previous load when absent
  char songIdentity[kSongIdentityBytes];  // MD5 of the file's first 64 KiB, 32 upper-case hex digits
  int clearThreshold;             // percent: 60 Easy, 70 Normal, 80 Hard, Oni and Edit
  int course;                     // Course the chart was loaded for

  bool hasBranches;               // set by the first #BRANCHSTART
  int scoreTarget;                // ScoreTarget of course and level

  ChartNote notes[kNoteRecords];
  BarLine barLines[kBarLineCapacity];
  BpmChange bpmChanges[kEventCapacity];
  GogoChange gogoChanges[kEventCapacity];
  BranchPoint branchPoints[kEventCapacity];
  ChartSection sections[kEventCapacity];
  int measureDigits[kBarLineCapacity];  // digit count of each measure (first pass)

  ChartTotals totals;
};

// The one process-wide chart.
extern Chart TheChart;

// What the last load had to leave out or read oddly, for the tools' warnings. The chart itself
// is what the game plays either way.
struct ChartLoadNotes {
  bool notesCut = false;     // notes past kNoteCapacity were dropped
  bool measuresCut = false;  // measures past kBarLineCapacity were dropped
  bool eventsCut = false;    // BPM, gogo, branch or section records past kEventCapacity
  bool crLineEnds = false;   // lines end in CR alone: the loader reads them as one long line
};
extern ChartLoadNotes LastLoadNotes;
// The tools' one-line warnings on stderr ("TOOL: PATH: ...") for each of LastLoadNotes.
void PrintLoadWarnings(const char* tool, const char* path);

// Loads the block of `course` (0 Easy .. 4 Edit) from the TJA file at path and finishes it
// (labels, totals, automatic score parameters, debug dumps when shell::DebugMode is on).
// Returns 0, or -1 when the file can't be opened; TheChart is then left as it was.
int LoadChart(const char* path, int course);

// Puts TheChart into its freshly-reset state (defaults, empty tables). Level is kept.
void ResetChart();
// Also zeroes the level (tests).
void ResetChartCompletely();

// Score of a perfect play of the master lane with the given parameters.
int SimulateMaxScore(int scoreInit, int scoreDiff);
// Pass mark of the soul gauge in percent for a course.
int ClearThreshold(int course);
// Total score the automatic parameters aim at.
int ScoreTarget(int course, int level);

// Writes branch_info.txt (only when the chart has branches) and note_info.txt into dir
// ("." for the current directory). Files that can't be created are skipped; 0 when every
// file was written, -1 otherwise.
int WriteDebugDumps(const char* dir);

}  // namespace chart
