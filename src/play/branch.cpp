// Branch selection: at each branch point the player's section counts (or the score) pick
// the lane that is played from the branch start on; #SECTION resets the counts.
#include "chart/chart.h"
#include "play/play_internal.h"

namespace play {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
LaneObserver g_laneObserver = nullptr;

double MeasureBranchValue(int condition) {
  switch (condition) {
    case chart::kConditionRoll: return Play.sectionRoll.load(kRelaxed);
    case chart::kConditionAccuracy: {
      const int great = Play.sectionGreat.load(kRelaxed);
      const int good = Play.sectionGood.load(kRelaxed);
      const int n = great + good + Play.sectionBad.load(kRelaxed);
      if (n == 0) return 0.0;
      return (good * 0.5 + great) / n * 100;
    }
    case chart::kConditionScore: return Play.score.load(kRelaxed);
    default: return 0.0;
  }
}

// From the branch start on, notes and bar lines of the branch lanes are live exactly when
// they belong to the chosen lane; a measure already running keeps its flags.
void ApplyLane(double start, int lane) {
  const chart::Chart& ch = chart::TheChart;
  for (int i = 0; i < Play.noteCount; ++i) {
    const chart::ChartNote& n = ch.notes[i];
    if (n.time >= start && n.lane != chart::kLaneCommon) SetNoteLive(i, n.lane == lane ? 1 : 0);
  }
  for (int i = 0; i < chart::kBarLineCapacity; ++i) {
    const chart::BarLine& b = ch.barLines[i];
    if (!(b.time < chart::kNeverTime)) break;
    if (b.time >= start && b.lane != chart::kLaneCommon) SetBarLineLive(i, b.lane == lane ? 1 : 0);
  }
}

void ResetSections(double c) {
  if (c < Cache.nextSectionDue) return;
  chart::Chart& ch = chart::TheChart;
  const int lane = Play.currentLane.load(kRelaxed);
  for (int i = 0; i < chart::kEventCapacity; ++i) {
    chart::ChartSection& s = ch.sections[i];
    if (s.lane == -1) break;
    if (s.fired || !(s.time <= c)) continue;
    if (s.lane == lane || s.lane == chart::kLaneCommon) {
      Play.sectionGreat.store(0, kRelaxed);
      Play.sectionGood.store(0, kRelaxed);
      Play.sectionBad.store(0, kRelaxed);
      Play.sectionRoll.store(0, kRelaxed);
    }
    s.fired = 1;
  }
  RecomputeEventDue();
}

}  // namespace

void SetLaneObserver(LaneObserver observer) { g_laneObserver = observer; }

void EvaluateBranches(double c) {
  if (c >= Cache.nextBranchDue) {
    chart::Chart& ch = chart::TheChart;
    const int current = Play.currentLane.load(kRelaxed);
    int chosenLast = current;
    for (int i = 0; i < chart::kEventCapacity; ++i) {
      chart::BranchPoint& bp = ch.branchPoints[i];
      if (bp.condition == chart::kConditionNone) break;
      if (bp.fired || !(bp.judge <= c)) continue;
      bp.fired = 1;
      Play.lastEvaluationTime.store(bp.judge, kRelaxed);
      Play.laneBefore.store(current, kRelaxed);
      int chosen = current;
      if (bp.condition == chart::kConditionRoll || bp.condition == chart::kConditionAccuracy ||
          bp.condition == chart::kConditionScore) {
        const double v = MeasureBranchValue(bp.condition);
        if (v >= bp.master)
          chosen = chart::kLaneMaster;
        else if (v >= bp.expert)
          chosen = chart::kLaneExpert;
        else
          chosen = chart::kLaneNormal;
        ApplyLane(bp.start, chosen);
        chosenLast = chosen;
      }
      if (g_laneObserver) g_laneObserver(c, current, chosen);
    }
    // The lane changes once every branch point due in this pass has been evaluated.
    Play.currentLane.store(chosenLast, kRelaxed);
    RecomputeEventDue();
  }
  ResetSections(c);
}

}  // namespace play
