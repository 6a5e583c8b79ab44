// Starting a play from the song select: the closing iris in the course's colour and the
// hand-over to the play scene through the loader. The command-line launch can use the same.
#pragma once

namespace songselect {

// The closing iris lasts this long after its start; the screen is then covered.
constexpr double kIrisHoldMs = 500.0;
constexpr double kIrisClosedMs = 1100.0;

// The loading colour of a course (theme keys load_<course>_bg_color).
unsigned CourseLoadingColour(int course);

// Draws the closing iris of course at t ms after the play was started: nothing before
// 500 ms, then the course's closing image shrinking to nothing at 1100 ms with the screen
// around it in the course's colour (fading in from 500 to 600 ms).
void DrawClosingIris(int course, double t);
// The opening iris after a quit play, t ms after the song select was entered (600 ms).
void DrawOpeningIris(int course, double t);

// Hands the chart and course to the play job and changes to the play scene through the
// loader (the caller has drawn the covered screen; AutoPlay and ScrollSpeed are already set).
// A window closed during the wait saves and ends the program.
void HandOverToPlay(const char* chartPath, int course);

}  // namespace songselect
