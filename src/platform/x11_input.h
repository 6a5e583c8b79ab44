// Keyboard watcher for X11: a thread with its own display connection that sees every key
// press and release of the game window the moment the X server sends it, and feeds the atomic
// key state. The main thread's pump can't do that while it draws and presents; this is the
// stand-in for the keyboard device that the drum workers poll. Only on X servers with the
// usual evdev key codes; elsewhere the main thread's pump feeds the key state.
#pragma once

struct SDL_Window;

namespace platform {

// Starts watching window. False when SDL does not run on X11 or the server is unsuitable.
bool X11InputStart(SDL_Window* window);
void X11InputStop();
bool X11InputActive();

// Linux evdev key code (X key code - 8) to DirectInput scan code, 0 when the key has none.
int ScanCodeFromEvdev(int evdevCode);

}  // namespace platform
