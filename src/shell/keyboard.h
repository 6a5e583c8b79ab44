// The two keyboard views. WindowKeys are counted by the main thread's event pump
// (indexed by Windows virtual-key codes); DirectKeys by the worker threads' PollKeyboard
// (indexed by DirectInput scan codes). A counter is 0 while up and counts frames or polls
// while down, so 1 means newly pressed.
#pragma once
#include <atomic>
#include <cstdint>

namespace shell {

// DirectInput scan codes used by the game.
constexpr int kDikEscape = 0x01;
constexpr int kDikEnter = 0x1C;
constexpr int kDikD = 0x20;
constexpr int kDikF = 0x21;
constexpr int kDikJ = 0x24;
constexpr int kDikK = 0x25;

// Windows virtual-key codes used by the game.
constexpr int kVkBack = 0x08;
constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVk1 = 0x31;
constexpr int kVkD = 0x44;
constexpr int kVkF = 0x46;
constexpr int kVkJ = 0x4A;
constexpr int kVkK = 0x4B;
constexpr int kVkF1 = 0x70;
constexpr int kVkF2 = 0x71;
constexpr int kVkF3 = 0x72;
constexpr int kVkF9 = 0x78;
constexpr int kVkF11 = 0x7A;
constexpr int kVkMenu = 0x12;  // either Alt key

extern int32_t WindowKeys[256];                // main thread only
extern std::atomic<int32_t> DirectKeys[256];   // the running worker thread
extern int32_t MouseLeftCounter;

// Reads the key state into counters: +1 for every key down, 0 for every key up. Leaves the
// counters unchanged while the keyboard can't be acquired (window not in the foreground).
// Writes a "key" trace event for every newly pressed key.
void PollKeyboard(std::atomic<int32_t>* counters);
void PollMouse();

// Window-key update: key-down, key-up and the start of a message pump.
void WindowKeyDown(int virtualKey);
void WindowKeyUp(int virtualKey);
void WindowKeysAdvance();
void ResetKeyboard();

}  // namespace shell
