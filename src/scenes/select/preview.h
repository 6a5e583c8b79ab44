// The song preview of the song select: once the bar under the cursor has opened, its song
// plays from the chart's DEMOSTART: (0 when absent), fading in; a move, leaving the browse
// phase or leaving the scene fades it out. A worker thread decodes the song (the first
// seconds first), so no frame ever waits for a decode; a missing or broken song stays silent.
#pragma once
#include <cstdint>

namespace songselect {

constexpr double kPreviewFadeInMs = 300.0;
constexpr double kPreviewFadeOutMs = 150.0;
// The cursor rests this long on a song before its decode is asked for, so that a quick run
// through the list decodes nothing.
constexpr double kPreviewRestMs = 100.0;
// The first piece of a long song handed over before the rest is decoded.
constexpr double kPreviewFirstPieceMs = 8000.0;

// Once per frame. chartPath: the chart whose song should play (nullptr for none); openAt:
// the AppClock at which its bar has opened. The decode is asked for from openAt - 600 ms on
// (the cursor has then rested 100 ms), and the song starts at openAt or as soon as its first
// piece has been decoded after that.
void UpdatePreview(double now, const char* chartPath, double openAt);

// What is playing, for tests and the trace.
struct PreviewStatus {
  bool playing = false;    // a preview is audible (not counting fading tails)
  int buffer = -1;         // its mixer buffer
  bool whole = false;      // it plays the whole rest of the song (not only the first piece)
  int fadingTails = 0;     // tails still fading out
  const char* chart = "";  // the chart it belongs to
};
PreviewStatus PreviewNow();

// Stops everything at once, waits for the worker to end and forgets all (tests, start-up).
void ResetPreview();

}  // namespace songselect
