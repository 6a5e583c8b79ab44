// TEMPORARY placeholder loader: only the hand-shake and the global save data.
#include "theme/resource_loader.h"

#include <thread>

#include "library/save_data.h"
#include "shell/state.h"

namespace theme {

void StartResourceLoader() {
  std::thread([] {
    shell::ResourcesReady.store(0, std::memory_order_release);
    if (shell::LoadKind.load(std::memory_order_acquire) == shell::kSceneSongSelect)
      library::SaveGlobalData();
    shell::ResourcesReady.store(1, std::memory_order_release);
    shell::ScenePhase.store(9, std::memory_order_release);
  }).detach();
}

}  // namespace theme
