// The atomic keyboard state fed by the main thread's event pump and read by PollKeyboard on
// the worker threads. Indexed by DirectInput scan codes (F 0x21, J 0x24, D 0x20, K 0x25,
// Esc 0x01, Enter 0x1C, ...). Each key keeps whether it is down and the CLOCK_MONOTONIC time
// (ms) at which the pump saw its last press.
#pragma once

namespace platform {

constexpr int kKeyStateCount = 256;

// The keyboard's own presses and releases.
void KeyStateSet(int scanCode, bool down, double seenMs);
// Several sources can hold one key (the keyboard and drum controllers): the key is down while
// any of them holds it, and its press time is when the first of them pressed it.
constexpr int kKeySourceKeyboard = 0;
constexpr int kKeySourceCount = 32;
void KeyStateSetFrom(int source, int scanCode, bool down, double seenMs);
bool KeyStateIsDown(int scanCode);
double KeyStatePressTime(int scanCode);
// The keyboard counts as acquired only while the window has the input focus (or always in
// tests and tools, which set it).
void KeyStateSetFocus(bool focused);
bool KeyStateHasFocus();
void KeyStateReset();

// SDL scancode to DirectInput scan code (0 when the key has none).
int ScanCodeFromSdl(int sdlScancode);
// SDL keycode/scancode to Windows virtual-key code (0 when the key has none).
int VirtualKeyFromSdl(int sdlScancode);

}  // namespace platform
