// The play scene: the first frame of a play, the per-frame order (debug toggle, frame clock,
// background script, play field, pause and debug overlays, end-of-song slide, opening iris)
// and the scene's exits. The engine in play/ runs the play; this folder only draws it and
// moves between scenes.
#pragma once

namespace playscene {

// The values the drawing reads for one frame, copied from the play record at the top of the
// frame so that every layer of a frame sees the same moment.
struct FrameView {
  double clock = 0.0;      // PlayClock at the top of the frame
  double playStart = 0.0;  // PlayClock when the play started
  double beatClock = 0.0;
  int mood = 0;
  int previousMood = 0;
  double enteredNormalTime = 0.0;
  double lastMissMoodTime = 0.0;
  double clearedTime = 0.0;
  double fullTime = 0.0;
};

// The main loop calls this once per frame while the scene is Play.
void PlaySceneFrame();

}  // namespace playscene
