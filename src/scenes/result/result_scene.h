// src/scenes/result/: the result scene. Includes the layers below (play/, theme/, graphics/,
// sound/, library/, chart/, shell/, platform/), no other scene.
//
// The result scene: counting the play's results with their sounds and music, the record and
// lifetime counters, and the way back to the song select.
#pragma once

namespace result {

struct ResultFrameTimes;

// The main loop calls this once per frame while the scene is Result.
void ResultSceneFrame();

// First frame: the play's figures, the record update of a recordable play, the worker start.
void EnterResult();
// When the leave has run its 800 ms: the lifetime counters of a recordable play, the worker's
// end and the hand-over to the song select through the loader. True when it left.
bool LeaveResultIfDone(const ResultFrameTimes& times);

}  // namespace result
