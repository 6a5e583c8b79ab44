// The song select scene: browsing the library, the course select, the play options, drag and
// drop and the start of a play.
#pragma once

namespace songselect {

// The main loop calls this once per frame while the scene is SongSelect.
void SongSelectFrame();

}  // namespace songselect
