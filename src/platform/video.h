// src/platform/: the stand-ins for the system services (window and renderer, events, key state,
// sound device, files, INI, time, trace) over SDL2 and system libraries. Knows nothing of the
// game: includes only platform/ headers.
//
// The one window and its renderer. Everything is drawn into a 640 x 480 target texture that
// is stretched to the window's client area on present, whatever the window size.
#pragma once

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;

namespace platform {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// Larger client sizes are clamped to this: beyond any display, and a software framebuffer of
// that size would already take 200 MB.
constexpr int kMaxClientSize = 8192;

// Initialises SDL video and creates the window (not resizable) with the given client size at
// the system's default position. -1 on failure.
int VideoCreateWindow(const char* title, int clientWidth, int clientHeight);
// Creates the renderer (accelerated, else software) and the 640 x 480 target. -1 on failure.
int VideoCreateRenderer();
void VideoDestroyRenderer();
void VideoDestroyWindow();
// Shuts SDL video down after the window and renderer are gone.
void VideoShutdown();

SDL_Window* VideoWindow();
SDL_Renderer* VideoRenderer();
// The 640 x 480 texture every frame is drawn into; nullptr when the renderer draws into the
// canvas instead (then the renderer's default target is the 640 x 480 picture).
SDL_Texture* VideoTarget();
// The software path's 640 x 480 ARGB8888 picture the renderer draws into, or nullptr.
SDL_Surface* VideoCanvas();
bool VideoIsSoftware();

// Makes the 640 x 480 target current and clears it to opaque white.
void VideoBeginFrame();
// Stretches the target over the client area and presents it. -1 when the device was reset
// or lost since the last present (the caller then runs its device recovery).
int VideoPresent();
// Re-creates the 640 x 480 target after a render reset. -1 when that is impossible.
int VideoRecreateTarget();
// The pump reports render resets here.
void VideoNoteDeviceReset(bool wholeDevice);
bool VideoDeviceResetPending();

// Sets the client size (position kept). Sizes below 1 give a 1-pixel client area.
void VideoSetClientSize(int width, int height);
void VideoGetClientSize(int* width, int* height);
// The size the window system is asked for: 1 .. kMaxClientSize.
int VideoClampClientSize(int size);
void VideoGetWindowPosition(int* left, int* top);
void VideoSetWindowPosition(int left, int top);
void VideoRaiseWindow();
bool VideoHasKeyboardFocus();
// Whether files dropped onto the window are reported (the song select switches it).
void VideoAcceptDroppedFiles(bool accept);

// Global (screen) mouse position and whether the left button is down.
bool VideoGlobalMouse(int* x, int* y);
void VideoShowCursor(bool shown);

}  // namespace platform
