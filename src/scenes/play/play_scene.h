// src/scenes/play/: the play scene's flow and the play field's drawing. Includes the layers
// below (play/, theme/, graphics/, sound/, library/, chart/, shell/, platform/), no other scene.
//
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

// The renderer lost its device: during a play the worker opens the pause menu.
void NoteDeviceReset();

// ---- the scene's own layers (play_overlays.cpp), drawn after the field ----
// Course of the play (0 Easy .. 4 Edit) for the course-coloured transitions.
int PlayCourse();
// The pause menu from the worker's fields; also the closing of the screen after a leaving
// choice. Returns true once the screen is fully closed (filled in the course colour).
bool DrawPauseOverlay();
// Every 60th frame (sceneFrame) the sound difference is measured again.
void DrawDebugOverlay(int sceneFrame);
// The end-of-song slide at d ms after the song's end.
void DrawEndSlide(double d);
// The opening iris at d ms after the play started (nothing from 600 ms on).
void DrawOpening(double d);
// Values the debug overlay shows that change only with the chart (set at the play's start).
void PrepareDebugOverlay();
// The last measured sound difference (ms): song position against PlayClock.
double SoundDifference();

}  // namespace playscene
