// The shell's per-frame work on the main thread: the application clock, the window keys,
// the mouse, window dragging and cursor hiding, and the message pump. Scenes that wait for
// something run PerFrameUpdate, MessagePump and WaitPumpingMs(1) in their waiting loop.
#pragma once
#include <cstdint>

namespace shell {

// The six window sizes of keys 1 to 6.
struct ClientSize {
  int width, height;
};
constexpr ClientSize kWindowSizeKeys[6] = {{512, 384}, {640, 480}, {800, 600},
                                           {1024, 768}, {1200, 900}, {1440, 1080}};

extern int ClientWidth;
extern int ClientHeight;
extern int WindowLeft;
extern int WindowTop;
extern double ClockBase;  // now at start-up minus the lifetime play seconds

// The hooks the program installs; the shell itself depends on nothing above it.
struct ShellHooks {
  void (*storePlayTime)(int32_t seconds) = nullptr;  // lifetime play seconds of GlobalStats
  void (*presentAgain)() = nullptr;                  // re-present the last frame (window moved)
};
extern ShellHooks Hooks;

// Per-frame update, in order: scene change bookkeeping, lifetime play seconds, SceneFrame,
// AppClock, window-size and full-screen keys, mouse poll (with focus), dragging, cursor hiding.
void PerFrameUpdate();
// Advances the window key counters, then dispatches every pending event. True on quit.
bool MessagePump();
// Sleeps ms milliseconds in 1 ms slices, pumping input in every slice.
void WaitPumpingMs(int ms);

// Sets the client size of the window (position kept); the drawing stays 640 x 480.
void SetClientSize(int width, int height);
// Keys 1 to 6 also leave full screen.
void ApplyWindowSizeKeys();
// F11 or Alt+Enter: full screen on or off, remembered in Config.ini.
void ApplyFullScreenKeys();
void SetFullScreen(bool on);
void UpdateWindowDrag();
void UpdateCursorHiding();
bool CursorShown();

void ResetFrameUpdate();

}  // namespace shell
