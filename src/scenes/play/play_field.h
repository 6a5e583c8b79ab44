// The play field: every layer of the play screen from the upper background to the score
// popups, back to front, drawn from the play record and the frame's copied values. Drawing
// changes nothing in the play, except the one balloon stage it advances.
#pragma once
#include "scenes/play/play_scene.h"

namespace playscene {

// The theme's background animation script for this frame (before the field).
void RunBackgroundScript(const FrameView& view);
// The field's layers, back to front (the overlays of the scene come after).
void DrawPlayField(const FrameView& view);

}  // namespace playscene
