// The resource loader: runs one LoadJob on its own thread (LoadKind 4 song select,
// 5 play, 6 result). TEMPORARY placeholder until the theme loader lands: it loads nothing.
#pragma once

namespace theme {

// Starts the loader thread for the job in shell::LoadKind. It clears ResourcesReady, does the
// job, sets ResourcesReady and sets ScenePhase = 9 as its very last action.
void StartResourceLoader();

}  // namespace theme
