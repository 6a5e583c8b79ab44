// Runs a play of the loaded chart on a virtual clock, one worker pass per millisecond, with
// scripted key presses and no sound: the engine behind kodoban-sim, also used by tests and
// benchmarks.
#pragma once
#include <string>
#include <vector>

namespace play {

// Default press length in ms.
constexpr double kSimDefaultHold = 40.0;

// One scripted press: the keys go down on the first pass whose PlayClock >= time and come
// up on the first pass whose PlayClock >= time + hold.
struct SimPress {
  double time = 0.0;
  bool f = false, j = false, d = false, k = false;
  double hold = kSimDefaultHold;
};

struct SimOptions {
  bool autoPlay = false;
  int great = 0, good = 0, bad = 0;  // below 1: the built-in windows
  int scrollSpeed = 1;
};

struct SimJudgement {
  double clock;
  int note;
  int code;
};

struct SimLaneChange {
  double clock;
  int from;
  int to;
};

struct SimNote {
  int state;
  int hits;
};

struct SimResult {
  int great = 0, good = 0, bad = 0, roll = 0, combo = 0, maxCombo = 0, score = 0;
  double gauge = 0.0;
  int clearThreshold = 0;
  double endClock = 0.0;
  long long passes = 0;
  bool truncated = false;  // stopped at the pass limit before the end of the song
  std::vector<SimJudgement> judgements;
  std::vector<SimLaneChange> lanes;
  std::vector<SimNote> notes;
};

// Longest play the simulator runs (4 hours of passes).
constexpr long long kSimMaxPasses = 4LL * 3600 * 1000;

// Parses an inputs file: one press per non-empty line, "TIME KEYS [HOLD]". Returns 0, or the
// 1-based number of the first malformed line (with a description in *error).
int ParseSimInputs(const std::string& text, std::vector<SimPress>* presses, std::string* error);

// Plays chart::TheChart (already loaded) to its end: 3000 ms after its latest note, since
// the simulated song has no audio.
void RunSimulation(const SimOptions& options, const std::vector<SimPress>& presses, SimResult* result);

// The same in steps, for tests: SimBegin starts the play (result collects the judgements
// and lane changes), SimStep runs the next pass (false once the play is over), SimRunUntil
// runs every pass whose clock is <= clock, SimFinish fills in the totals and restores the
// real clock and the default hooks.
void SimBegin(const SimOptions& options, const std::vector<SimPress>& presses, SimResult* result);
bool SimStep();
bool SimRunUntil(double clock);
double SimNextClock();
void SimFinish(SimResult* result);

// The result as one JSON object.
std::string SimResultJson(const SimResult& result);

}  // namespace play
