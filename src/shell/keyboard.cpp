#include "shell/keyboard.h"

#include <SDL.h>

#include "platform/keystate.h"
#include "platform/trace.h"

namespace shell {

int32_t WindowKeys[256] = {};
std::atomic<int32_t> DirectKeys[256];
int32_t MouseLeftCounter = 0;

namespace {
bool InRange(int code) { return code >= 0 && code < 256; }

int32_t Grow(int32_t v) { return v < INT32_MAX ? v + 1 : v; }
}  // namespace

void PollKeyboard(std::atomic<int32_t>* counters) {
  if (!counters) return;
  // Without the focus the keyboard can't be acquired: the counters keep their last values.
  if (!platform::KeyStateHasFocus()) return;
  for (int code = 0; code < 256; ++code) {
    if (platform::KeyStateIsDown(code)) {
      int32_t v = Grow(counters[code].load(std::memory_order_relaxed));
      counters[code].store(v, std::memory_order_relaxed);
      if (v == 1) platform::TraceWriteAt("key", platform::KeyStatePressTime(code), "\"code\":%d", code);
    } else {
      counters[code].store(0, std::memory_order_relaxed);
    }
  }
}

void PollMouse() {
  int x = 0, y = 0;
  Uint32 buttons = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetGlobalMouseState(&x, &y) : 0;
  if (buttons & SDL_BUTTON(SDL_BUTTON_LEFT))
    MouseLeftCounter = Grow(MouseLeftCounter);
  else
    MouseLeftCounter = 0;
}

void WindowKeyDown(int virtualKey) {
  if (!InRange(virtualKey) || virtualKey == 0) return;
  if (WindowKeys[virtualKey] == 0) WindowKeys[virtualKey] = 1;
}

void WindowKeyUp(int virtualKey) {
  if (!InRange(virtualKey) || virtualKey == 0) return;
  WindowKeys[virtualKey] = 0;
}

void WindowKeysAdvance() {
  for (int32_t& k : WindowKeys)
    if (k >= 1) k = Grow(k);
}

void ResetKeyboard() {
  for (int32_t& k : WindowKeys) k = 0;
  for (auto& k : DirectKeys) k.store(0, std::memory_order_relaxed);
  MouseLeftCounter = 0;
}

}  // namespace shell
