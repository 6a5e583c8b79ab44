// Keyboard watcher for X11: a thread with its own display connection that sees every key
// press and release of the game window the moment the X server sends it, and feeds the atomic
// key state. The main thread's pump can't do that while it draws and presents; this is the
// stand-in for the keyboard device that the drum workers poll. Only on X servers with the
// usual evdev key codes; elsewhere the main thread's pump feeds the key state.
#pragma once

struct SDL_Window;
struct SDL_Surface;

namespace platform {

// Starts watching window. False when SDL does not run on X11 or the server is unsuitable.
bool X11InputStart(SDL_Window* window);
void X11InputStop();
bool X11InputActive();

// Presenting for X11 without waiting on the server: the picture goes to the window through
// shared memory on a display connection of its own, and the game only waits when the server
// has not yet taken either of the two previous frames. SDL's own window framebuffer does a
// full round trip to the server on every present, which stalls the frame whenever the server
// is slow to get the processor.
// Starts presenting into window. False when SDL does not run on X11 or the server has no
// usable shared-memory images (then present through SDL).
bool X11PresenterStart(SDL_Window* window);
void X11PresenterStop();
bool X11PresenterActive();
// Shows a 640 x 480 ARGB8888 picture over the whole client area (stretched when the client is
// larger or smaller). -1 when it could not be sent.
int X11PresentPicture(SDL_Surface* picture);

// Linux evdev key code (X key code - 8) to DirectInput scan code, 0 when the key has none.
int ScanCodeFromEvdev(int evdevCode);

}  // namespace platform
