// The play screen's stage decorations: the scrolling upper background, the stage strip, the
// fiver figures at a full gauge, the dancers who join as the gauge rises, and the chibi
// figures that run across after hits. One numbered set of each kind is picked at random at
// every play load. The drawing functions take the play's time bases as plain inputs.
#pragma once
#include <cstdint>

#include "shell/play_effects.h"

namespace theme {

constexpr int kDancerSlots = 5;
constexpr int kDancerSorts = 5;
constexpr int kDancerFrames = 100;
constexpr int kDanceOrderMax = 200;
constexpr int kStageIniLineBytes = 999;
constexpr int kFiverFrames = 10;
constexpr int kPropImages = 5;
constexpr int kEffectRingSize = shell::kEffectRing;
// Numbered sets are counted up to this many (a folder of a thousand sets is already absurd).
constexpr int kMaxNumberedSets = 1000;

// Gauge moods of the play.
enum StageMood : int { kMoodNormal = 0, kMoodMiss = 1, kMoodClear = 2, kMoodFull = 3 };

struct DancerSet {
  int dance_x[kDancerSlots];
  int dance_y[kDancerSorts];
  int sort_count;
  double dance_interval;  // beats
  int dance_order[kDanceOrderMax];  // 0-based frame numbers
  int dance_order_count;
  int dance_pattern;
  int appear_pattern[kDancerSorts];
  double appear_interval;  // beats
  int appear_order[kDanceOrderMax];
  int appear_order_count;
  int dance_images[kDancerSorts][kDancerFrames];
  int appear_images[kDancerSorts][kDancerFrames];
  int slot_sort[kDancerSlots];
  int prop_images[kPropImages];
  int has_prop;
};

struct ChibiSet {
  int chibi_x, chibi_y;
  int x_pattern[kDancerSorts];
  int y_pattern[kDancerSorts];
  int sort_count;
  double interval;  // beats
  int order[kDanceOrderMax];  // 0-based frame numbers
  int order_count;
  int appear_pattern;
  int appear_frame;  // 1-based frame number
  int images[kDancerSorts][kDancerFrames];
};

// The loaded sets.
extern int UpperBgNormal, UpperBgMiss, UpperBgClear, UpperBgGogo;
extern int StageImage;
extern int FiverImages[kFiverFrames];
extern int FiverFrameCount;
extern DancerSet Dancers;
extern ChibiSet Chibi[2];  // 0: the numbered set, 1: the soul set (misses)
extern int FiverState;     // 0 hidden, 1 moving, 2 up

// One record of the play's hit effect ring, as the chibi need it.
struct StageEffect {
  int code;     // 1 .. 8 drum hits, 99 bad or miss
  double time;  // play clock ms when created
  double beat;  // beat time when created
};

// The play's time bases for one frame.
struct StageClock {
  double now = 0.0;         // play clock, ms
  double play_start = 0.0;  // play clock at which play started
  double beat = 0.0;        // beat time (3600 per beat)
  double gauge = 0.0;       // soul gauge 0 .. 100
  int clear_threshold = 0;
  const double* gauge_step_beat = nullptr;  // [101] beat time the whole gauge last rose to k
  int mood = kMoodNormal;
  int previous_mood = kMoodNormal;
  double miss_mood_time = 1000000000.0;   // last after-a-miss mood event
  double clear_mood_time = 1000000000.0;  // clear mood began
  bool gogo = false;
  const StageEffect* effects = nullptr;  // [kEffectRingSize]
  int effect_next = 0;                   // index of the oldest record
};

// Numbered sets: how many exist from 1 up to the first missing one, and the random pick
// (1 .. count, 0 when count is 0) from the generator the loader seeded.
int CountNumberedSets(bool (*exists)(const char* path), const char* pattern,
                      const char* themeDir);
int PickNumberedSet(int count);

// Loading (the play job, on the loader thread).
void LoadStageDecorations();  // background script, upper background, stage, fiver
void LoadDancers();
void LoadChibi();
// Every handle -1, the sets at their defaults, the fiver hidden.
void ResetStage();
void ResetFiver();

// dancer.ini and chibi.ini. Each returns false when the file cannot be opened.
void ResetDancerSet(DancerSet* set);
void ResetChibiSet(ChibiSet* set);
bool ReadDancerIni(const char* path, DancerSet* set);
bool ReadChibiIni(const char* path, ChibiSet* set);
void ParseDancerLine(const char* line, DancerSet* set);
void ParseChibiLine(const char* line, ChibiSet* set);

// Per-frame drawing.
void DrawUpperBackground(const StageClock& clock);
void DrawStage();
void DrawFiver(const StageClock& clock);
void DrawDancers(const StageClock& clock);
void DrawChibi(const StageClock& clock);

// The arithmetic behind the drawing, for tests.
// Upper background scroll in pixels for elapsed ms, picture width and speed (px/s).
double UpperBackgroundScroll(double elapsed, int width, int speed);
// Gauge threshold of dancer slot d.
int DancerSlotThreshold(int clearThreshold, int slot);
// Frame number (0-based) of the dance cycle at beat time b; -1 when there is none.
int DanceFrame(const DancerSet& set, double beat);
// The fiver's y for this frame and its next state; false when nothing is drawn.
bool StepFiver(int* state, double beat, bool full, int height, double* y);
// A chibi's position and image index (0-based) at t beat units after its hit; false when gone.
struct ChibiPose {
  double x, y;
  int frame;  // 0-based image index
};
bool ChibiPoseAt(const ChibiSet& set, int sort, double t, ChibiPose* pose);

}  // namespace theme
