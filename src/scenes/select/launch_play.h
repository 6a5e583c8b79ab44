// The play asked for on the command line (shell::Launch): the song select starts it on its
// first entry as if the chart had been dropped and chosen.
#pragma once

namespace songselect {

// When a launch request is pending: takes it (clears it), checks the chart and the course and
// hands over to the play scene through the loader. A chart that can't be opened or lacks the
// course gives a message and leaves the player on the song select. Does nothing otherwise.
void StartLaunchedPlay();

}  // namespace songselect
