// The result scene: counting the play's results with their sounds and music, the record and
// lifetime counters, and the way back to the song select.
#pragma once

namespace result {

// The main loop calls this once per frame while the scene is Result.
void ResultSceneFrame();

}  // namespace result
