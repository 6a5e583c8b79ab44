// Drawing of the result screen from the worker's timeline, layer by layer in the screen's
// order: background, turning lights, course marks and board, the counting numbers, the soul
// gauge, the message, the full-combo picture, the title, the opening curtain, the character and,
// when leaving, the closing iris with the save picture.
#pragma once

namespace result {

// The moments one frame is drawn at.
struct ResultFrameTimes {
  double timeline = 0.0;  // T
  double clock = 0.0;     // the result clock
  bool leaving = false;
  double sinceLeave = 0.0;  // ms since the leaving press
};

// The moments of this frame, read once from the worker's values.
ResultFrameTimes CurrentFrameTimes();
// Draws the whole screen for the given moments (the title and subtitle of chart::TheChart).
void DrawResultScreen(const ResultFrameTimes& times);

// The pictures the screen made for itself (the outlined title on the software path); the scene
// lets them go when it ends, before the renderer could.
void ReleaseResultPictures();

}  // namespace result
