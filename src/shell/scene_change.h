// SceneChange: every scene hand-over passes through the resource loader. The scene that ends
// has drawn its last frame; the loading screen is shown, the loader runs on its own thread and
// the main thread only pumps input until the loader reports ScenePhase 9.
#pragma once

namespace shell {

constexpr int kScenePhaseLoading = 2;
constexpr int kScenePhaseLoaded = 9;
constexpr unsigned kDefaultLoadingColour = 0xFFFA4928u;

// What the program provides; the shell itself knows neither the loader nor the drawing.
struct SceneChangeHooks {
  void (*fillLoadingScreen)() = nullptr;  // cover 640 x 480 in the theme's loading colour
  void (*endFrame)() = nullptr;           // end the frame and present it
  void (*startLoader)() = nullptr;        // start the resource-loader thread
  void (*exitProgram)() = nullptr;  // save, release everything, exit 0
  void (*afterLoad)() = nullptr;     // main-thread work once the loader is done
};
extern SceneChangeHooks LoaderHooks;

// Hands over to target through the loader. With drawOwnPicture the scene has drawn its own
// hand-over picture and the loading fill is skipped. Returns once SceneId is target; a window
// closed meanwhile ends the program from inside (after saving).
void SceneChange(int target, bool drawOwnPicture = false);
// Starts the loader for target and waits (per-frame update, pump, 1 ms) until it is done.
void RunLoadJob(int target);

}  // namespace shell
