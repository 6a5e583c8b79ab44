// Pixel loops that draw straight into a software canvas where SDL's generic blitters are slow.
// Both surfaces are 32-bit with ARGB8888's colour layout; the results are exactly those of
// SDL's software renderer for the same draw.
#pragma once
#include <cstdint>

struct SDL_Surface;

namespace graphics {

// Additive draw of a whole image with its top-left corner at (x, y), clipped to the canvas:
// every colour channel gets source x colour x (source alpha x colour alpha), saturating at
// 255, each product rounded down to whole steps of 1/255 as SDL does. The canvas keeps its
// alpha.
void AddImageToCanvas(SDL_Surface* canvas, const SDL_Surface* image, int x, int y,
                      uint32_t colour);

// Normal (straight alpha) draw of the source rectangle of an image with its top-left corner at
// (x, y), clipped to the canvas: the source colour times the colour, its alpha times the
// colour's alpha, blended as source x alpha + destination x (1 - alpha). Fully transparent
// pixels leave the canvas alone and fully opaque ones replace it.
void BlendImageToCanvas(SDL_Surface* canvas, const SDL_Surface* image, int srcX, int srcY,
                        int width, int height, int x, int y, uint32_t colour);

}  // namespace graphics
