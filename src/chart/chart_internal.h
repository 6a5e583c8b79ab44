// Shared between the loader and the finishing steps of the chart module.
#pragma once
#include <cstdio>

namespace chart {

// Loads from an open stream (the loader's own entry, also used by the fuzzer). The stream
// must be seekable. Never fails once the stream is open; returns 0.
int LoadChartFromStream(FILE* file, int course);

// Labels, totals, score target and automatic score parameters of the freshly read chart.
void FinishChart();
void LabelNotes();
void CountTotals();
void SettleScoreParameters();

// Title and subtitle are cut to 256 bytes without splitting a character.
void CopyHeaderText(char* field, const char* text);

}  // namespace chart
