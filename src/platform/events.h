// The event pump. SDL delivers input only where the main thread pumps, so the pump is cheap
// and is called at least once per millisecond while the main thread waits: each key press or
// release updates the atomic key state at once (with the moment it was seen), and every event
// the game's window procedure handles is queued for the shell's once-a-frame dispatch.
#pragma once

namespace platform {

enum class EventKind {
  kKeyDown,      // virtualKey (repeat set for auto-repeat)
  kKeyUp,        // virtualKey
  kDropFile,     // path: the first file of a drop
  kWindowMoved,  // x, y
  kFocusGained,
  kFocusLost,
  kRenderReset,  // the render targets or the whole device were lost
  kQuit,
};

constexpr int kDropPathSize = 260;

struct WindowEvent {
  EventKind kind;
  int virtualKey;
  bool repeat;
  int x, y;
  char path[kDropPathSize];
};

// Reads everything SDL has pending into the key state and the event queue. Returns the
// number of events read.
int PumpEvents();
// Reads only the drum controllers' and pads' pending input: cheap enough to call in the
// middle of a frame, between drawing and presenting, so a drum hit waits less for the pump.
int PumpPadEvents();
// Waits up to ms milliseconds, waking at once when input arrives, and pumps. On a virtual
// clock (tests) this is a plain sleep of the clock plus a pump.
void WaitEventsMs(int ms);
// Waits until the CLOCK_MONOTONIC time deadlineMs, pumping at least once a millisecond, and
// wakes at the deadline itself rather than at the next whole millisecond. On a virtual clock
// it sleeps the clock in 1 ms steps, pumping after each.
void WaitEventsUntilMs(double deadlineMs);
// Takes the oldest queued event; false when the queue is empty.
bool PopEvent(WindowEvent* out);
// A quit request (window closed, SIGTERM) stays set until reset, even when the queue was full.
bool QuitRequested();
void RequestQuit();

// Tests: push an event as if the pump had read it.
void PushEventForTest(const WindowEvent& e);
void ResetEvents();

// The key state time source: CLOCK_MONOTONIC milliseconds when the pump saw the event.
double EventSeenMs();

}  // namespace platform
