#include "platform/events.h"

#include <SDL.h>

#include <errno.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "platform/controller.h"
#include "platform/keystate.h"
#include "platform/time.h"
#include "platform/video.h"
#include "platform/x11_input.h"

namespace platform {

namespace {
// One frame never brings this many events; when it does, the newest are dropped (key state
// is updated regardless, and a quit is kept in its own flag).
constexpr int kEventQueueSize = 1024;

WindowEvent g_queue[kEventQueueSize];
int g_head = 0;
int g_count = 0;
std::atomic<bool> g_quit{false};
bool g_dropStarted = false;  // the next dropped file is the first of its drop

void Push(const WindowEvent& e) {
  if (g_count >= kEventQueueSize) return;
  g_queue[(g_head + g_count) % kEventQueueSize] = e;
  ++g_count;
}

WindowEvent Make(EventKind kind) {
  WindowEvent e;
  std::memset(&e, 0, sizeof e);
  e.kind = kind;
  return e;
}

// A pad's drum press or release, for the window keys.
void PushPadKey(int virtualKey, bool down) {
  WindowEvent e = Make(down ? EventKind::kKeyDown : EventKind::kKeyUp);
  e.virtualKey = virtualKey;
  Push(e);
}

bool IsPadEvent(Uint32 type) { return type >= SDL_JOYAXISMOTION && type < SDL_FINGERDOWN; }

void Translate(const SDL_Event& ev) {
  if (IsPadEvent(ev.type) && ControllerHandleEvent(ev, EventSeenMs(), PushPadKey)) return;
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      bool down = ev.type == SDL_KEYDOWN;
      int dik = ScanCodeFromSdl(ev.key.keysym.scancode);
      // The X11 keyboard watcher, when it runs, has already seen this key.
      if (dik && !X11InputActive()) KeyStateSet(dik, down, EventSeenMs());
      WindowEvent e = Make(down ? EventKind::kKeyDown : EventKind::kKeyUp);
      e.virtualKey = VirtualKeyFromSdl(ev.key.keysym.scancode);
      e.repeat = ev.key.repeat != 0;
      if (e.virtualKey) Push(e);
      break;
    }
    case SDL_QUIT:
      g_quit.store(true, std::memory_order_release);
      Push(Make(EventKind::kQuit));
      break;
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_MOVED: {
          WindowEvent e = Make(EventKind::kWindowMoved);
          e.x = ev.window.data1;
          e.y = ev.window.data2;
          Push(e);
          break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          KeyStateSetFocus(true);
          Push(Make(EventKind::kFocusGained));
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          KeyStateSetFocus(false);
          Push(Make(EventKind::kFocusLost));
          break;
        case SDL_WINDOWEVENT_CLOSE:
          g_quit.store(true, std::memory_order_release);
          Push(Make(EventKind::kQuit));
          break;
        default:
          break;
      }
      break;
    case SDL_DROPBEGIN:
      g_dropStarted = true;
      break;
    case SDL_DROPFILE:
      if (ev.drop.file) {
        if (g_dropStarted) {
          WindowEvent e = Make(EventKind::kDropFile);
          std::strncpy(e.path, ev.drop.file, kDropPathSize - 1);
          e.path[kDropPathSize - 1] = '\0';
          Push(e);
        }
        g_dropStarted = false;
        SDL_free(ev.drop.file);
      }
      break;
    case SDL_DROPTEXT:
      if (ev.drop.file) SDL_free(ev.drop.file);
      break;
    case SDL_DROPCOMPLETE:
      g_dropStarted = false;
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      VideoNoteDeviceReset(ev.type == SDL_RENDER_DEVICE_RESET);
      Push(Make(EventKind::kRenderReset));
      break;
    default:
      break;
  }
}

// Sleeps until the CLOCK_MONOTONIC time ms (absolute: no drift from the time spent before).
void SleepUntilMs(double ms) {
  timespec ts;
  double seconds = std::floor(ms / 1000.0);
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>((ms - seconds * 1000.0) * 1.0e6);
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  if (ts.tv_nsec < 0) ts.tv_nsec = 0;
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

void DrainSdl(int* n) {
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    Translate(ev);
    ++*n;
  }
  ControllerAfterPump(EventSeenMs(), PushPadKey);
}
}  // namespace

double EventSeenMs() { return TimeMonotonicMs(); }

int PumpPadEvents() {
  if (!SDL_WasInit(SDL_INIT_JOYSTICK) || !SDL_WasInit(SDL_INIT_EVENTS)) return 0;
  SDL_JoystickUpdate();
  SDL_Event ev;
  int n = 0;
  while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1) == 1) {
    Translate(ev);
    ++n;
  }
  ControllerAfterPump(EventSeenMs(), PushPadKey);
  return n;
}

int PumpEvents() {
  int n = 0;
  if (SDL_WasInit(SDL_INIT_EVENTS)) DrainSdl(&n);
  return n;
}

void WaitEventsMs(int ms) {
  if (ms <= 0) {
    PumpEvents();
    return;
  }
  if (TimeIsVirtual() || !SDL_WasInit(SDL_INIT_EVENTS)) {
    TimeSleepMs(ms);
    PumpEvents();
    return;
  }
  // Wakes as soon as the display connection has input, so a key is seen well within the ms.
  SDL_Event ev;
  int n = 0;
  if (SDL_WaitEventTimeout(&ev, ms)) {
    Translate(ev);
    ++n;
  }
  DrainSdl(&n);
}

void WaitEventsUntilMs(double deadlineMs) {
  if (TimeIsVirtual() || !SDL_WasInit(SDL_INIT_EVENTS)) {
    while (TimeNowMs() < deadlineMs) WaitEventsMs(1);
    return;
  }
  // The kernel may otherwise round each wake-up up by its default slack of 50 us.
  static bool slackSet = false;
  if (!slackSet) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    slackSet = true;
  }
  for (;;) {
    const double now = TimeMonotonicMs();
    const double left = deadlineMs - now;
    if (left <= 0.0) break;
    if (left >= 2.0 && !X11InputActive()) {
      // Without the keyboard watcher the pump itself sees the keys: wake on input.
      WaitEventsMs(1);
      continue;
    }
    if (ControllerOpenCount() > 0 && left > 0.5) {
      // A drum controller has no watcher thread of its own: its input is read twice as often.
      SleepUntilMs(now + 0.5);
      PumpPadEvents();
      const double half = TimeMonotonicMs();
      SleepUntilMs(std::min(half + 0.5, deadlineMs));
    } else {
      SleepUntilMs(std::min(now + 1.0, deadlineMs));
    }
    PumpEvents();
  }
}

bool PopEvent(WindowEvent* out) {
  if (g_count == 0 || !out) return false;
  *out = g_queue[g_head];
  g_head = (g_head + 1) % kEventQueueSize;
  --g_count;
  return true;
}

bool QuitRequested() { return g_quit.load(std::memory_order_acquire); }

void RequestQuit() { g_quit.store(true, std::memory_order_release); }

void PushEventForTest(const WindowEvent& e) {
  if (e.kind == EventKind::kQuit) g_quit.store(true, std::memory_order_release);
  Push(e);
}

void ResetEvents() {
  g_head = 0;
  g_count = 0;
  g_quit.store(false, std::memory_order_release);
  g_dropStarted = false;
}

}  // namespace platform
