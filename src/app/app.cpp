#include "app/app.h"

#include <SDL.h>
#include <malloc.h>
#include <sched.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/graphics.h"
#include "library/save_data.h"
#include "platform/controller.h"
#include "platform/events.h"
#include "platform/fullscreen.h"
#include "platform/keystate.h"
#include "platform/message_box.h"
#include "platform/mixer.h"
#include "platform/process.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "platform/video.h"
#include "scenes/calibrate/calibrate.h"
#include "scenes/play/play_scene.h"
#include "scenes/result/result_scene.h"
#include "scenes/select/select_scene.h"
#include "shell/config.h"
#include "shell/frame_limiter.h"
#include "shell/frame_update.h"
#include "shell/keyboard.h"
#include "shell/launch.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace app {

namespace {
constexpr const char* kWindowTitle = "Kodoban";
constexpr const char* kMsgWindowFailed = "ウィンドウの生成に失敗しました";
constexpr const char* kMsgDeviceFailed = "DirectXの初期化に失敗しました";

bool g_tornDown = false;
// The drum keys seen while no worker polls them (song select): traced for the input benchmark.
std::atomic<int32_t> g_traceProbeKeys[256];

void PresentAgain() {
  if (platform::VideoRenderer() && !platform::VideoDeviceResetPending()) platform::VideoPresent();
}

void StorePlayTime(int32_t seconds) { library::StorePlayTime(seconds); }

[[noreturn]] void FailStartUp(const char* message) {
  platform::ShowMessageBox(message);
  platform::VideoShutdown();
  platform::QuickExit(0);
}

void ProbeKeysForTrace() {
  // With KODOBAN_TRACE set, presses are traced even where no worker thread polls the keyboard,
  // so the input benchmark can measure when a press is seen on the song select.
  int scene = shell::SceneId.load(std::memory_order_acquire);
  if (scene == shell::kScenePlay || scene == shell::kSceneResult || scene == shell::kSceneCalibrate)
    return;
  if (platform::TraceEnabled()) shell::PollKeyboard(g_traceProbeKeys);
}

// Main-thread work once the loader is done. Textures decoded by the loader become renderer
// textures now, not during the next scene's first frames. The frame pacing starts a new batch:
// the time spent waiting for the loader is not made up by running the new scene's first
// frames back to back.
void AfterLoad() {
  graphics::UploadPendingTextures();
  shell::FrameLimiter.index = 0;
  shell::FrameLimiter.batchStarted = false;
}

void RunStartupLoad() {
  if (shell::SceneFrame != 1) return;
  FillLoadingScreen();
  shell::RunLoadJob(shell::kSceneSongSelect);
  shell::SceneId.store(shell::kSceneSongSelect, std::memory_order_release);
}

void DispatchScene() {
  switch (shell::SceneId.load(std::memory_order_acquire)) {
    case shell::kSceneBoot:
      shell::SceneId.store(shell::kSceneStartupLoad, std::memory_order_release);
      break;
    case shell::kSceneStartupLoad: RunStartupLoad(); break;
    case shell::kSceneSongSelect: songselect::SongSelectFrame(); break;
    case shell::kScenePlay: playscene::PlaySceneFrame(); break;
    case shell::kSceneResult: result::ResultSceneFrame(); break;
    case shell::kSceneCalibrate: calibrate::CalibrateSceneFrame(); break;
    default: break;
  }
}
}  // namespace

void FillLoadingScreen() {
  SDL_Renderer* r = platform::VideoRenderer();
  if (!r) return;
  uint32_t colour = theme::SongSelectLayout.load_bg_color;
  if (colour == 0) colour = shell::kDefaultLoadingColour;
  SDL_SetRenderTarget(r, platform::VideoTarget());
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, 0xFF);
  SDL_Rect all{0, 0, platform::kScreenWidth, platform::kScreenHeight};
  SDL_RenderFillRect(r, &all);
}

int ParseCommandLine(int argc, const char* const* argv) {
  char error[512] = {};
  const int r = shell::ParseLaunchArguments(argc, argv, &shell::Launch, error, sizeof error);
  if (r == 1) {
    std::fputs(shell::kLaunchUsage, stdout);
    return 1;
  }
  if (r != 0) {
    std::fprintf(stderr, "Kodoban: %s\n%s", error, shell::kLaunchUsage);
    return -1;
  }
  return 0;
}

int RecoverDevice() {
  shell::DeviceLost.store(true, std::memory_order_release);
  // A play does not run on unseen: the worker opens the pause menu.
  playscene::NoteDeviceReset();
  graphics::ReleaseDeviceTextures();
  if (platform::VideoRecreateTarget() != 0) {
    platform::RequestQuit();
    return -1;
  }
  graphics::RecoverDevice();
  shell::DeviceLost.store(false, std::memory_order_release);
  return 0;
}

void EndFrame() {
  if (!shell::ResourcesReady.load(std::memory_order_acquire)) return;
  double start = platform::TimeMonotonicMs();
  if (platform::VideoPresent() != 0) {
    RecoverDevice();
    return;
  }
  double end = platform::TimeMonotonicMs();
  platform::TraceWriteAt("frame", end, "\"present_ms\":%.3f", end - start);
}

void StartUp() {
  // Every scene change starts new threads (loader, workers, the preview's decoder), and each
  // new thread may get an allocator pool of its own that keeps its freed pages; two pools are
  // plenty for a game whose threads allocate little once a scene runs.
  mallopt(M_ARENA_MAX, 2);
  // 1-2: title, keys, time source, drop path.
  shell::ResetShellState();
  shell::ResetKeyboard();
  platform::KeyStateReset();
  platform::ResetEvents();
  shell::ResetFrameUpdate();
  shell::DroppedFilePath[0] = '\0';

  // 3: one instance only, the window, the program's folder.
  std::string folder = platform::ProgramFolder();
  if (folder.empty()) FailStartUp(kMsgWindowFailed);
  if (platform::AcquireInstanceLock(folder) == platform::InstanceLock::kHeldByAnother)
    platform::QuickExit(0);
  if (platform::VideoCreateWindow(kWindowTitle, platform::kScreenWidth, platform::kScreenHeight) !=
      0)
    FailStartUp(kMsgWindowFailed);
  platform::VideoGetWindowPosition(&shell::WindowLeft, &shell::WindowTop);
  if (platform::EnterFolder(folder) != 0) FailStartUp(kMsgWindowFailed);

  // 4: empty sound, texture and font tables.
  sound::SoundReset();
  graphics::ResetTextureTable();
  graphics::ResetFontTable();

  // 5: the renderer and its 640 x 480 target.
  if (platform::VideoCreateRenderer() != 0) FailStartUp(kMsgDeviceFailed);
  graphics::GraphicsInit(platform::VideoRenderer());

  // 6: the sound device: 44 100 Hz, stereo, 16-bit. A machine without a usable audio device
  // still plays (silently, the mixer keeps its clock) rather than refusing to start.
  if (platform::MixerOpen() != 0)
    std::fprintf(stderr, "Kodoban: no audio device (%s); playing without sound\n", SDL_GetError());

  // 7: the keyboard and mouse are the key state fed by the event pump; drum controllers and
  // game pads feed it too, each opened by the pump when SDL reports it plugged in.
  platform::KeyStateSetFocus(true);
  platform::ControllerStart();

  // 8: run state, global save data, configuration.
  library::RemoveStaleSaveTemporaries();  // left by a kill between a write and its rename
  library::LoadGlobalData();
  shell::SceneId.store(shell::kSceneBoot, std::memory_order_release);
  shell::PreviousScene = shell::kSceneBoot;
  shell::SceneFrame = 0;
  shell::AutoPlay = false;
  library::GlobalStats.launchCount = library::AddToCounter(library::GlobalStats.launchCount, 1);
  shell::ScrollSpeed = 1;
  shell::PlayerCount = 1;
  double now = platform::TimeNowMs();
  shell::ClockBase = now - static_cast<double>(library::GlobalStats.playTime) * 1000.0;
  shell::AppClock = now - shell::ClockBase;
  shell::ReadConfiguration("./Config.ini");
  shell::SetClientSize(shell::WindowSize, shell::WindowHeightForWidth(shell::WindowSize));
  if (shell::FullScreen) platform::VideoSetFullScreen(true);

  // 9: 120 frames per second.
  shell::FrameLimiterSetTarget(shell::kTargetFps);

  shell::Hooks.storePlayTime = StorePlayTime;
  shell::Hooks.presentAgain = PresentAgain;
  shell::LoaderHooks.fillLoadingScreen = FillLoadingScreen;
  shell::LoaderHooks.endFrame = EndFrame;
  shell::LoaderHooks.startLoader = theme::StartResourceLoader;
  shell::LoaderHooks.exitProgram = ExitProgram;
  shell::LoaderHooks.afterLoad = AfterLoad;
}

// The loop sleeps in the frame limiter every frame; on a busy machine an ordinary thread then
// often wakes, draws and presents a few milliseconds late. Where the system allows it, the
// loop runs at the lowest real-time priority, as the keyboard watcher does (the kernel still
// keeps a share of every second for everything else). Threads the scenes start (loaders,
// workers) begin at the ordinary priority, not this one.
void RaiseLoopPriority() {
  sched_param param{};
  param.sched_priority = 1;
  sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param);
}

void RunMainLoop() {
  RaiseLoopPriority();
  for (;;) {
    shell::PerFrameUpdate();
    ProbeKeysForTrace();
    bool ready = shell::ResourcesReady.load(std::memory_order_acquire) != 0;
    if (ready && platform::VideoRenderer()) platform::VideoBeginFrame();
    DispatchScene();
    platform::PumpPadEvents();  // a drum hit during the drawing is seen before the present
    EndFrame();
    shell::PaceFrame();
    if (shell::MessagePump()) break;
  }
}

void Teardown() {
  if (g_tornDown) return;
  g_tornDown = true;
  shell::SceneId.store(shell::kSceneExiting, std::memory_order_release);
  library::SaveGlobalData();
  sound::ReleaseAllSounds();
  graphics::GraphicsShutdown();
  graphics::ReleaseAllFonts();
  platform::MixerClose();
  platform::ControllerStop();
  platform::VideoShutdown();
  platform::ReleaseInstanceLock();
}

void ExitProgram() {
  Teardown();
  platform::QuickExit(0);
}

int RunGame() {
  StartUp();
  RunMainLoop();
  Teardown();
  // Worker threads are not waited for: end the process without running static destructors
  // under their feet.
  platform::QuickExit(0);
}

}  // namespace app
