#include "shell/state.h"

namespace shell {

std::atomic<int> SceneId{kSceneBoot};
int PreviousScene = kSceneBoot;
int SceneFrame = 0;
double AppClock = 0.0;
char DroppedFilePath[260] = {};
std::atomic<bool> DeviceLost{false};
int PlayerCount = 1;
double MeasuredFps = 0.0;

std::atomic<int> LoadKind{0};
std::atomic<int> ScenePhase{0};
std::atomic<int> ResourcesReady{1};

bool AutoPlay = false;
int ScrollSpeed = 1;

void ResetShellState() {
  SceneId.store(kSceneBoot, std::memory_order_release);
  PreviousScene = kSceneBoot;
  SceneFrame = 0;
  AppClock = 0.0;
  DroppedFilePath[0] = '\0';
  DeviceLost.store(false);
  PlayerCount = 1;
  MeasuredFps = 0.0;
  LoadKind.store(0);
  ScenePhase.store(0);
  ResourcesReady.store(1);
  AutoPlay = false;
  ScrollSpeed = 1;
}

}  // namespace shell
