// Full screen: the window becomes borderless and covers its display, and the 640 x 480
// picture keeps its 4:3 shape in the middle with black bars beside or above and below it.
// In a window the picture fills the client area as before.
#pragma once
#include <SDL_rect.h>

struct SDL_Surface;

namespace platform {

// Switches the window to or from full screen. Leaving it gives the window back its client
// size. False when the window system refused (nothing changed then).
bool VideoSetFullScreen(bool on);
bool VideoIsFullScreen();

// The largest 4:3 area centred in width x height (whole pixels, the bars split evenly with
// the odd pixel on the right or bottom).
SDL_Rect LetterboxArea(int width, int height);
// Where the picture goes in a client area of width x height: letterboxed in full screen,
// the whole area otherwise.
SDL_Rect PictureArea(int width, int height);
// Paints black what of surface lies outside area (the bars).
void FillBars(SDL_Surface* surface, const SDL_Rect& area);

}  // namespace platform
