// Builds charts by hand and plays them on the virtual clock with scripted presses.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "play/play_engine.h"
#include "play/play_internal.h"
#include "play/play_record.h"
#include "play/sim_runner.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/state.h"

namespace playtest {

// Sanitized builds run the heaviest cases smaller: the point there is memory and thread
// safety.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KODOBAN_TEST_SANITIZED
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(KODOBAN_TEST_SANITIZED)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif

struct ChartBuilder {
  int notes = 0, bpms = 1, gogos = 1, branches = 0, sections = 0, bars = 0;

  ChartBuilder() {
    shell::ResetShellState();
    shell::ResetConfiguration();
    chart::ResetChartCompletely();
    chart::Chart& c = chart::TheChart;
    c.bpm = 120.0;
    c.bpmChanges[0] = {120.0, chart::kAlwaysTime, 0, 1};
    c.gogoChanges[0] = {false, chart::kAlwaysTime, 0, 1};
    c.scoreInit = 1000;
    c.scoreDiff = 100;
    c.clearThreshold = 80;
    c.offsetMs = 0.0;
    play::ResetPlayRecord();
    play::ResetPlaySounds();
  }
  int Note(int type, double t, int lane = 0, bool gogo = false, int balloonHits = 5, double bpm = 120.0,
           double scroll = 1.0) {
    chart::TheChart.notes[notes] = chart::ChartNote{};
    chart::ChartNote& n = chart::TheChart.notes[notes];
    n.type = type, n.lane = lane, n.time = t, n.bpm = bpm, n.scroll = scroll, n.gogo = gogo;
    n.balloonHits = type == chart::kNoteBalloon ? balloonHits : 0;
    return notes++;
  }
  void Bpm(double value, double t, int lane = 0) { chart::TheChart.bpmChanges[bpms++] = {value, t, lane, 0}; }
  void Gogo(bool on, double t, int lane = 0) { chart::TheChart.gogoChanges[gogos++] = {on, t, lane, 0}; }
  void Branch(int condition, double expert, double master, double start, double judge) {
    chart::TheChart.branchPoints[branches++] = {condition, expert, master, start, judge, 0};
    chart::TheChart.hasBranches = true;
  }
  void Section(double t, int lane = 0) { chart::TheChart.sections[sections++] = {t, lane, 0}; }
  void Bar(double t, int lane = 0) {
    chart::BarLine& b = chart::TheChart.barLines[bars++];
    b.time = t, b.bpm = 120.0, b.scroll = 1.0, b.lane = lane, b.visible = true;
  }
};

inline play::SimPress Press(double t, const char* keys, double hold = 40.0) {
  play::SimPress p;
  p.time = t, p.hold = hold;
  const std::string k = keys;
  p.f = k.find('F') != k.npos, p.j = k.find('J') != k.npos, p.d = k.find('D') != k.npos, p.k = k.find('K') != k.npos;
  return p;
}

inline play::SimResult PlayWith(const std::vector<play::SimPress>& presses, bool autoPlay = false) {
  play::SimOptions o;
  o.autoPlay = autoPlay;
  play::SimResult r;
  play::RunSimulation(o, presses, &r);
  return r;
}

inline play::SimResult Auto() { return PlayWith({}, true); }

// Writes a TJA file to the temporary folder, named by this process so that cases running at
// once never share one; returns its path.
inline std::string WriteTja(const std::string& name, const std::string& text) {
  const std::string path = std::string(::testing::TempDir()) + "play_" + std::to_string(getpid()) + "_" + name + ".tja";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Reads the chart file with the chart loader and plays it as kodoban-sim does.
inline play::SimResult PlayTja(const std::string& path, const play::SimOptions& o,
                               const std::vector<play::SimPress>& presses, int course = chart::kCourseOni) {
  ChartBuilder reset;
  EXPECT_EQ(chart::LoadChart(path.c_str(), course), 0) << path;
  play::SimResult r;
  play::RunSimulation(o, presses, &r);
  return r;
}

// The items of a play's outcome, each formatted by its fields and joined with spaces.
template <class T, class... F> std::string Join(const std::vector<T>& items, const char* format, F T::*... fields) {
  std::string out;
  char b[64];
  for (const T& i : items) out += std::string(b, std::snprintf(b, sizeof b, format, i.*fields...));
  return out.substr(out.empty() ? 0 : 1);
}
// "clock:note:code" of every judgement, "clock:from>to" of every lane change, "state/hits" of
// every note record.
inline std::string Judgements(const play::SimResult& r) {
  using J = play::SimJudgement;
  return Join(r.judgements, " %g:%d:%d", &J::clock, &J::note, &J::code);
}
inline std::string Lanes(const play::SimResult& r) {
  using L = play::SimLaneChange;
  return Join(r.lanes, " %g:%d>%d", &L::clock, &L::from, &L::to);
}
inline std::string Notes(const play::SimResult& r) {
  return Join(r.notes, " %d/%d", &play::SimNote::state, &play::SimNote::hits);
}

}  // namespace playtest
