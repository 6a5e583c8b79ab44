#include "shell/frame_update.h"

#include <cmath>
#include <cstring>

#include "platform/events.h"
#include "platform/fullscreen.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "platform/video.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/state.h"

namespace shell {

int ClientWidth = 640;
int ClientHeight = 480;
int WindowLeft = 0;
int WindowTop = 0;
double ClockBase = 0.0;
ShellHooks Hooks;

namespace {
int g_lastSeenScene = kSceneBoot;
bool g_dragging = false;
int g_dragOffsetX = 0, g_dragOffsetY = 0;
bool g_cursorShown = true;
bool g_cursorKnown = false;
int g_cursorX = 0, g_cursorY = 0;
double g_lastMoveClock = 0.0;
// The cursor's screen position, read once per frame for dragging and hiding.
int g_mouseX = 0, g_mouseY = 0;

int32_t TruncatedSeconds(double ms) {
  double s = std::trunc(ms / 1000.0);
  if (!(s > -2147483648.0)) return INT32_MIN;
  if (s > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(s);
}
}  // namespace

void PerFrameUpdate() {
  int scene = SceneId.load(std::memory_order_acquire);
  if (scene != g_lastSeenScene) {
    PreviousScene = g_lastSeenScene;
    g_lastSeenScene = scene;
    SceneFrame = 0;
    platform::TraceWrite("scene", "\"scene\":%d,\"previous\":%d", scene, PreviousScene);
  }
  if (Hooks.storePlayTime) Hooks.storePlayTime(TruncatedSeconds(AppClock));
  ++SceneFrame;
  AppClock = platform::TimeNowMs() - ClockBase;
  ApplyWindowSizeKeys();
  ApplyFullScreenKeys();
  if (platform::VideoHasKeyboardFocus()) PollMouse();
  platform::VideoGlobalMouse(&g_mouseX, &g_mouseY);
  UpdateWindowDrag();
  UpdateCursorHiding();
}

bool MessagePump() {
  WindowKeysAdvance();
  platform::PumpEvents();
  bool quit = false;
  platform::WindowEvent e;
  while (platform::PopEvent(&e)) {
    switch (e.kind) {
      case platform::EventKind::kKeyDown:
        WindowKeyDown(e.virtualKey);
        break;
      case platform::EventKind::kKeyUp:
        WindowKeyUp(e.virtualKey);
        break;
      case platform::EventKind::kDropFile: {
        std::strncpy(DroppedFilePath, e.path, sizeof DroppedFilePath - 1);
        DroppedFilePath[sizeof DroppedFilePath - 1] = '\0';
        for (char* p = DroppedFilePath; *p; ++p)
          if (*p == '\\') *p = '/';
        platform::VideoRaiseWindow();
        break;
      }
      case platform::EventKind::kWindowMoved:
        WindowLeft = e.x;
        WindowTop = e.y;
        if (ResourcesReady.load(std::memory_order_acquire) && Hooks.presentAgain) Hooks.presentAgain();
        break;
      case platform::EventKind::kQuit:
        quit = true;
        break;
      default:
        break;
    }
  }
  return quit || platform::QuitRequested();
}

void WaitPumpingMs(int ms) {
  if (ms <= 0) return;
  if (platform::TimeIsVirtual()) {
    for (int i = 0; i < ms; ++i) platform::WaitEventsMs(1);
    return;
  }
  platform::WaitEventsUntilMs(platform::TimeMonotonicMs() + ms);
}

void SetClientSize(int width, int height) {
  ClientWidth = width;
  ClientHeight = height;
  platform::VideoSetClientSize(width, height);
}

void ApplyWindowSizeKeys() {
  int chosen = -1;
  for (int k = 0; k < 6; ++k)
    if (WindowKeys[kVk1 + k] == 1) chosen = k;
  if (chosen < 0) return;
  if (platform::VideoIsFullScreen()) SetFullScreen(false);
  SetClientSize(kWindowSizeKeys[chosen].width, kWindowSizeKeys[chosen].height);
}

void ApplyFullScreenKeys() {
  const bool altEnter = WindowKeys[kVkMenu] >= 1 && WindowKeys[kVkReturn] == 1;
  if (WindowKeys[kVkF11] == 1 || altEnter) SetFullScreen(!platform::VideoIsFullScreen());
}

void SetFullScreen(bool on) {
  if (!platform::VideoSetFullScreen(on)) return;
  if (FullScreen != on) WriteFullScreen(on);
}

void UpdateWindowDrag() {
  // A full-screen window stays where it is.
  if (platform::VideoIsFullScreen()) {
    g_dragging = false;
    return;
  }
  const int cx = g_mouseX, cy = g_mouseY;
  if (MouseLeftCounter == 1) {
    platform::VideoGetWindowPosition(&WindowLeft, &WindowTop);
    int x = cx - WindowLeft, y = cy - WindowTop;
    if (x >= 0 && x <= ClientWidth && y >= 0 && y <= ClientHeight) {
      g_dragging = true;
      g_dragOffsetX = x;
      g_dragOffsetY = y;
    }
  }
  if (MouseLeftCounter == 0) g_dragging = false;
  if (g_dragging && MouseLeftCounter >= 1 && platform::VideoHasKeyboardFocus()) {
    int left = cx - g_dragOffsetX, top = cy - g_dragOffsetY;
    if (left != WindowLeft || top != WindowTop) {
      platform::VideoSetWindowPosition(left, top);
      WindowLeft = left;
      WindowTop = top;
    }
  }
}

void UpdateCursorHiding() {
  if (HideMouseTime < 0) return;
  const int x = g_mouseX, y = g_mouseY;
  if (!g_cursorKnown || x != g_cursorX || y != g_cursorY) {
    g_cursorKnown = true;
    g_cursorX = x;
    g_cursorY = y;
    g_lastMoveClock = AppClock;
  }
  double idle = AppClock - g_lastMoveClock;
  if (idle >= HideMouseTime && g_cursorShown) {
    platform::VideoShowCursor(false);
    g_cursorShown = false;
  } else if (idle < HideMouseTime && !g_cursorShown) {
    platform::VideoShowCursor(true);
    g_cursorShown = true;
  }
}

bool CursorShown() { return g_cursorShown; }

void ResetFrameUpdate() {
  ClientWidth = 640;
  ClientHeight = 480;
  WindowLeft = WindowTop = 0;
  ClockBase = 0.0;
  g_lastSeenScene = kSceneBoot;
  g_dragging = false;
  g_dragOffsetX = g_dragOffsetY = 0;
  g_cursorShown = true;
  g_cursorKnown = false;
  g_cursorX = g_cursorY = 0;
  g_lastMoveClock = 0.0;
  g_mouseX = g_mouseY = 0;
}

}  // namespace shell
