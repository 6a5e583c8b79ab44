// Shared pieces of the play field drawing: the frame's values every layer reads, the fade and
// pulse helpers, and the two halves of the layer list (the lane side and the status side).
#pragma once
#include <cstdint>

#include "play/play_record.h"
#include "scenes/play/play_scene.h"

namespace playscene::field {

// Everything a layer reads, taken once at the top of the field so that every layer of a frame
// sees the same moment even while the worker goes on writing the record.
struct FieldFrame {
  const FrameView* view = nullptr;
  double t = 0.0;  // frame clock, ms
  double beat = 0.0;
  int combo = 0;
  int score = 0;
  double gauge = 0.0;
  int clearThreshold = 80;
  int gogo = 0;
  double gogoTime = play::kNeverPast;
  int balloonStage = 0;
  double balloonTime = play::kNeverPast;
  int remainingHits = 0;
  int bad = 0;
  double latestNoteTime = 0.0;
};

constexpr double kMarkX = play::kJudgeMarkX;
constexpr double kPi = 3.14159265358979323846;

// Opaque white at a given alpha (clamped to 0..255, NaN counts as 0).
uint32_t White(double alpha);
// The colour's RGB at a given alpha.
uint32_t Tinted(uint32_t rgb, double alpha);
// 255 while d is in [0, hold), falling to 0 over [hold, hold + fade); 0 outside.
double HoldThenFade(double d, double hold, double fade);
// Rising over [0, in), full to `hold`, falling to 0 by `out`; 0 outside [0, out).
double FadeInHoldOut(double d, double in, double hold, double out);
// sin of an angle in degrees.
double SinDeg(double degrees);
// A non-negative remainder of truncated operands (m <= 0 gives 0); safe for any double.
double WholeMod(double v, double m);
// Width and height of an image (0 for a missing one).
int ImageW(int handle);
int ImageH(int handle);
// The scale to draw a picture at: its own size when it is larger than the screen, since
// scaling a picture costs a copy of all of it on the software path.
double Fit(int handle, double scale);
// The time since a combo count was reached (kNever when it was not).
double SinceCombo(const FieldFrame& f, int count);

// Layers 1 to 16: the upper screen and the lane with its notes.
void DrawBackLayers(const FieldFrame& f);
void DrawLaneLayers(const FieldFrame& f);
// Layers 17 to 31: drum, combo, effects, gauge, balloons, curtain and score.
void DrawStatusLayers(const FieldFrame& f);
// The chibi of the stage set (layer 23).
void DrawChibiLayer(const FieldFrame& f);
// The soul gauge clamped to 0..100 (anything not a number reads as empty).
double GaugeValue();

// The note image of a note type at animation frame fr (0, 1 or 2); -1 for none.
int NoteImage(int type, int fr);
// The notes' animation frame for a combo at frame clock t.
int NoteFrame(int combo, double t);

// The balloon's own animation after it burst or failed lasts this long; afterwards the
// character is back at its place.
constexpr double kBalloonEndAnimationMs = 700.0;

}  // namespace playscene::field
