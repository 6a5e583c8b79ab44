#include "shell/scene_change.h"

#include "platform/process.h"
#include "shell/frame_update.h"
#include "shell/state.h"

namespace shell {

SceneChangeHooks LoaderHooks;

void RunLoadJob(int target) {
  ScenePhase.store(kScenePhaseLoading, std::memory_order_release);
  LoadKind.store(target, std::memory_order_release);
  if (LoaderHooks.endFrame) LoaderHooks.endFrame();
  if (LoaderHooks.startLoader) {
    LoaderHooks.startLoader();
  } else {
    // Without a loader there is nothing to wait for.
    ScenePhase.store(kScenePhaseLoaded, std::memory_order_release);
  }
  while (ScenePhase.load(std::memory_order_acquire) != kScenePhaseLoaded) {
    PerFrameUpdate();
    if (MessagePump()) {
      if (LoaderHooks.exitProgram) LoaderHooks.exitProgram();
      platform::QuickExit(0);
    }
    WaitPumpingMs(1);
  }
  if (LoaderHooks.afterLoad) LoaderHooks.afterLoad();
}

void SceneChange(int target, bool drawOwnPicture) {
  if (!drawOwnPicture && LoaderHooks.fillLoadingScreen) LoaderHooks.fillLoadingScreen();
  RunLoadJob(target);
  SceneId.store(target, std::memory_order_release);
}

}  // namespace shell
