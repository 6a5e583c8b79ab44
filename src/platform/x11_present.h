// Presenting for X11 without waiting on the server: the picture goes to the window through
// shared memory on a display connection of its own, and the game only waits when the server
// has not yet taken either of the two previous frames. SDL's own window framebuffer does a
// full round trip to the server on every present, which stalls the frame whenever the server
// is slow to get the processor.
#pragma once

struct SDL_Window;
struct SDL_Surface;

namespace platform {

// Starts presenting into window. False when SDL does not run on X11 or the server has no
// usable shared-memory images (then present through SDL).
bool X11PresenterStart(SDL_Window* window);
void X11PresenterStop();
bool X11PresenterActive();
// Shows a 640 x 480 ARGB8888 picture over the whole client area, or letterboxed in full screen
// (stretched when the client is larger or smaller). -1 when it could not be sent.
int X11PresentPicture(SDL_Surface* picture);

}  // namespace platform
