#include "scenes/select/launch_play.h"

#include "shell/launch.h"

namespace songselect {

void StartLaunchedPlay() {
  if (!shell::Launch.pending) return;
  shell::Launch.pending = false;
}

}  // namespace songselect
