// Internal pieces of the play engine shared by its source files.
#pragma once
#include "play/play_engine.h"

namespace play {

// The drum keys as seen by this pass: DirectKeys counters (0 up, 1 newly pressed, 2+ held).
struct PassKeys {
  int f = 0, j = 0, d = 0, k = 0;
  bool DonPressed() const { return f == 1 || j == 1; }
  bool KatPressed() const { return d == 1 || k == 1; }
  bool BothDon() const { return f == 1 && j == 1; }
  bool BothKat() const { return d == 1 && k == 1; }
};

// Notes further right than this are never drawn (the drawing stops at x = 800, and roll
// bodies at the right edge), so their x need not follow the clock.
constexpr double kDrawHorizonX = 900.0;
// Left of this a note is off the lane whatever it is (a passed note is gone at x < -100; the
// margin covers what is drawn around it).
constexpr double kDrawLeftX = -200.0;

// The worker's view of the chart for one play, computed when the play starts.
struct PlayChartCache {
  // For note i, the earliest clock from which anything can happen to the notes i and after
  // (judgement, auto play, a dead-lane state change, or an x that could be on screen).
  // Notes from an index whose value is above the clock need no visit in a pass.
  double activeFrom[chart::kNoteRecords + 1];
  double rollEnd[chart::kNoteRecords];
  // Links over notes that no pass will ever need again: a note whose state is final, or an
  // ignored record (type 9) already further back than the Bad window. Each entry points at
  // itself (still needed) or further on; NextNeededNote follows and shortens the links.
  // Without them a single such record near the start (FastNote stops at it for good) would
  // make every later pass walk every note behind it.
  int nextNeeded[chart::kNoteRecords + 1];
  bool retireNotes = true;
  // Nothing but its x can happen to a pending note more than this far in the future while
  // a note before it in the pass holds the input (the largest window, or the balloon's
  // early reach, and a margin).
  double reach = 0.0;
  double nextBpmDue = kNeverPast;       // earliest time of an unfired tempo change
  double nextGogoDue = kNeverPast;
  double nextBranchDue = kNeverPast;
  double nextSectionDue = kNeverPast;
};
extern PlayChartCache Cache;

extern PassKeys Keys;

// Steps of the pass.
void ApplyTempoChanges(double c);
void AdvanceBeatClock(double c);
void ApplyGogoChanges(double c);
void EvaluateBranches(double c);
void StartAndCorrectSong(double c);
void PlayDrumSounds(double c);
void RunNotePass(double c);
void RunBadPass(double c);
void AdvanceFastNote();
void StampCombo(double c);
void PlayComboVoices(double c);
void StampGaugeSteps(double c);

// Per-note parts of the note pass.
void JudgeManually(int i, double c);
void PlayNoteAutomatically(int i, double c);
void HandleSecondHand(int i, double c);
void JudgeRoll(int i, int code, double c);
void JudgeBalloon(int i, int code, double c);
void PlayRollAutomatically(int i, double c);
void PlayBalloonAutomatically(int i, double c);

// Sound rings.
void PlayNextDon();
void PlayNextKat();
void PlayNextBurst();
// The same for a sound that belongs to the moment PlayClock read dueClock (a note's time
// for the automatic drummer): it lands on that moment's sample, not on the pass's.
void PlayNextDonAt(double dueClock);
void PlayNextKatAt(double dueClock);
void AutoDrumRollHit(double c);

// The first note at or after i that a pass may still need (i itself when it is).
int NextNeededNote(int i);
// Marks note i as never needed again (a final state, or an ignored record left behind).
void RetireNote(int i);
bool NoteStateIsFinal(int state);

void RecomputeEventDue();
// Tests: visit every note and scan every event list in every pass, as the plain algorithm
// does, instead of skipping what cannot change. Takes effect at the next play start.
void SetExhaustivePasses(bool on);
void ReadDrumKeys();          // the key source into DirectKeys and Keys
bool PlaySceneCurrent();      // the play scene is current and no other scene is being loaded
bool SongValid(int handle);
void SeekSong(int handle, double ms);
void AddBalloonBurstPoints(bool gogo);

}  // namespace play
