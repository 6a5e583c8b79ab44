// The worker skips notes and events that cannot change in a pass. On random charts (ignored
// records, passed notes that never leave under a negative scroll or a scroll or tempo of 0)
// and random presses its outcome must be exactly that of visiting everything in every pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "play_fixture.h"

using namespace playtest;

namespace {

void RandomChart(std::mt19937& rng) {
  ChartBuilder b;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  chart::TheChart.scoreInit = 100 * pick(20);
  chart::TheChart.scoreDiff = 10 * pick(20);
  chart::TheChart.offsetMs = pick(4) == 0 ? -2500.0 : 0.0;
  double t = unit(rng) * 500.0;
  const int notes = 20 + pick(120);
  bool gogo = false;
  for (int i = 0; i < notes && b.notes < chart::kNoteCapacity - 1; ++i) {
    const int lane = pick(5) == 0 ? 1 + pick(3) : 0;
    double bpm = pick(6) == 0 ? (pick(4) == 0 ? 0.0 : 60.0 + pick(240)) : 120.0;
    double scroll = pick(10) == 0 ? (pick(3) == 0 ? -1.0 : 0.5 * pick(4)) : 1.0;
    if (pick(15) == 0) gogo = !gogo;
    const int kind = pick(12);
    if (kind < 8) {
      b.Note(1 + pick(4), t, lane, gogo, 5, bpm, scroll);
    } else if (kind < 11) {
      const int type = 5 + pick(3);
      b.Note(type, t, lane, gogo, pick(8) - 1, bpm, scroll);
      t += 100.0 + unit(rng) * 900.0;
      if (pick(8) != 0) b.Note(chart::kNoteRollEnd, t, lane, gogo, 5, bpm, scroll);
    } else {
      b.Note(chart::kNoteIgnored, t, lane);
    }
    // Mostly forward, sometimes back (another branch lane, a negative #DELAY).
    t += pick(8) == 0 ? -unit(rng) * 800.0 : 20.0 + unit(rng) * 300.0;
  }
  for (int i = 0; i < pick(6); ++i) b.Bpm(60.0 + pick(200), unit(rng) * t, pick(4));
  for (int i = 0; i < pick(6); ++i) b.Gogo(pick(2) == 0, unit(rng) * t, pick(4));
  for (int i = 0; i < pick(4); ++i) {
    const double start = unit(rng) * t;
    b.Branch(1 + pick(3), pick(80), 40 + pick(80), start, start - 500.0);
  }
  for (int i = 0; i < pick(4); ++i) b.Section(unit(rng) * t, pick(4));
  for (int i = 0; i < 20; ++i) b.Bar(i * 1000.0, pick(4));
}

std::vector<play::SimPress> RandomPresses(std::mt19937& rng, double until) {
  std::vector<play::SimPress> out;
  const char* keys[] = {"F", "J", "D", "K", "FJ", "DK", "FD", "FJDK"};
  double t = -100.0;
  while (t < until) {
    t += 5.0 + (rng() % 200);
    out.push_back(Press(t, keys[rng() % 8], 5.0 + rng() % 60));
  }
  return out;
}

std::string Play(const std::vector<play::SimPress>& presses, const play::SimOptions& o, bool exhaustive) {
  play::SetExhaustivePasses(exhaustive);
  play::SimResult r;
  play::RunSimulation(o, presses, &r);
  play::SetExhaustivePasses(false);
  return play::SimResultJson(r);
}

TEST(SkippingPasses, SameOutcomeAsVisitingEverything) {
  long judged = 0;
  const unsigned seeds = kSanitizedBuild ? 15 : 60;
  for (unsigned seed = 1; seed <= seeds; ++seed) {
    std::mt19937 rng(seed);
    RandomChart(rng);
    double last = 1000.0;
    for (int i = 0; chart::TheChart.notes[i].type != 0; ++i) last = std::max(last, chart::TheChart.notes[i].time);
    std::vector<play::SimPress> presses = RandomPresses(rng, last + 500.0);
    const play::SimOptions o{seed % 5 == 0, seed % 3 == 0 ? 60 : 0, seed % 4 == 0 ? 40 : 0, seed % 7 == 0 ? 300 : 0};
    // The chart's run-time fields are reset by each play start, so one chart serves both.
    const std::string skipping = Play(presses, o, false);
    const std::string exhaustive = Play(presses, o, true);
    ASSERT_EQ(skipping, exhaustive) << "seed " << seed;
    judged += std::count(skipping.begin(), skipping.end(), '{');
  }
  EXPECT_GT(judged, static_cast<long>(seeds) * 50);
}

}  // namespace
