// Feeds arbitrary bytes to the chart loader as a TJA file. The first byte picks the course.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "chart/chart.h"
#include "chart/chart_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int course = data[0] % 5;
  std::vector<uint8_t> text(data + 1, data + size);
  text.push_back(0);  // fmemopen wants a non-empty buffer; the stream length is size - 1
  FILE* f = fmemopen(text.data(), text.size() - 1 > 0 ? text.size() - 1 : 1, "rb");
  if (f == nullptr) return 0;
  chart::LoadChartFromStream(f, course);
  std::fclose(f);
  const chart::Chart& c = chart::TheChart;
  // Walk every list the way its readers do and re-run the score simulation.
  volatile double sink = 0;
  for (int i = 0; i < chart::kNoteCapacity && c.notes[i].type != 0; ++i) sink = sink + c.notes[i].time;
  for (int i = 0; i < chart::kBarLineCapacity && c.barLines[i].time != chart::kNeverTime; ++i) {
    sink = sink + c.barLines[i].time;
  }
  sink = sink + chart::SimulateMaxScore(c.scoreInit, c.scoreDiff);
  return 0;
}
