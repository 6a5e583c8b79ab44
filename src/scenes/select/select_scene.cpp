#include "scenes/select/select_scene.h"

#include "scenes/select/launch_play.h"
#include "shell/state.h"

namespace songselect {

void SongSelectFrame() {
  // A play asked for on the command line starts on the first entry.
  if (shell::SceneFrame == 1) StartLaunchedPlay();
}

}  // namespace songselect
