// Writes chart text to a temporary file and loads it; reads fields of the loaded tables.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "chart/chart.h"
#include "shell/config.h"
#include "support/files.h"

namespace charttest {

using D = std::vector<double>;
using I = std::vector<int>;

inline std::string TempPath(const std::string& name) {
  return "/tmp/kodoban_chart_test_" + std::to_string(getpid()) + "_" + name;
}

inline std::string WriteFile(const std::string& name, const std::string& bytes) {
  testsupport::WriteFile(TempPath(name), bytes);
  return TempPath(name);
}
using testsupport::ReadFile;

// Loads text as a chart for course; fails the test when the load fails.
inline const chart::Chart& Load(const std::string& text, int course = chart::kCourseOni) {
  shell::DebugMode = false;
  std::string path = WriteFile("load.tja", text);
  EXPECT_EQ(chart::LoadChart(path.c_str(), course), 0);
  std::remove(path.c_str());
  return chart::TheChart;
}

// A body wrapped in a minimal Oni block at BPM 120 (a 4/4 measure lasts 2000 ms).
inline const chart::Chart& LoadBody(const std::string& body, const std::string& header = "") {
  return Load("BPM:120\n" + header + "COURSE:Oni\nLEVEL:5\n#START\n" + body + "#END\n");
}

// One field of every note (or bar line) of the loaded chart, in order.
template <class T> std::vector<T> Notes(T chart::ChartNote::*field) {
  std::vector<T> v;
  for (int i = 0; i < chart::kNoteCapacity && chart::TheChart.notes[i].type != 0; ++i)
    v.push_back(chart::TheChart.notes[i].*field);
  return v;
}
template <class T> std::vector<T> Bars(T chart::BarLine::*field) {
  std::vector<T> v;
  for (int i = 0; i < chart::kBarLineCapacity && chart::TheChart.barLines[i].time != chart::kNeverTime; ++i)
    v.push_back(chart::TheChart.barLines[i].*field);
  return v;
}
// text, count times over.
inline std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

inline int NoteCount() { return static_cast<int>(Notes(&chart::ChartNote::type).size()); }
inline int BarLineCount() { return static_cast<int>(Bars(&chart::BarLine::time).size()); }

}  // namespace charttest
