// Sprite drawing on the 640 x 480 screen. Positions are screen pixels (x right, y down);
// colours are ARGB and multiply the image (0xFFFFFFFF draws it unchanged, lower alpha fades
// it). Angles are degrees; a positive angle turns the image clockwise on screen.
// Every textured draw returns 0 when it drew and -1 for an invalid handle.
//
// Blends: normal is straight alpha; additive is destination + source x source alpha;
// darken is destination x (1 - source colour): white parts of the image turn the screen
// black, black parts leave it alone.
#pragma once
#include <cstdint>

#include "graphics/texture.h"

namespace graphics {

// Objects scrolling along the note lane vanish under the judgement area left of this x.
constexpr double kLaneClipX = 110.0;
constexpr double kScreenWidth = 640.0;
constexpr double kScreenHeight = 480.0;
constexpr double kRadiansPerDegree = 0.017453292519;

int DrawSprite(TextureHandle handle, double x, double y);
int DrawSpriteColor(TextureHandle handle, uint32_t colour, double x, double y);
int DrawSpriteAdd(TextureHandle handle, uint32_t colour, double x, double y);
int DrawSpriteDarken(TextureHandle handle, double x, double y);
// Scaled about the top-left corner, which stays at (x, y).
int DrawSpriteScaled(TextureHandle handle, double x, double y, double sx, double sy);
int DrawSpriteScaledColor(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                          double sy);
int DrawSpriteScaledAdd(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                        double sy);
// Rotated about the image centre, which lands at (x, y).
int DrawSpriteRotated(TextureHandle handle, double x, double y, double angle);
// Rotated about its centre, then scaled by (sx, sy) on screen; the centre lands at (x, y).
// (With sx != sy a rotated image is sheared, as the sprite transform always did.)
int DrawSpriteRotScaled(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                        double sy, double angle);
int DrawSpriteRotScaledAdd(TextureHandle handle, uint32_t colour, double x, double y,
                           double sx, double sy, double angle);
// The image from column sourceLeft (truncated) to its right edge, top-left at (x, y).
int DrawSpriteCropLeft(TextureHandle handle, double x, double sourceLeft, double y);
// A strip `length` pixels wide (truncated) and as tall as the image, filled with the image's
// leftmost column: the body of something of variable length.
int DrawSpriteStrip(TextureHandle handle, double x, double length, double y);
// Source rectangle (0, 0)-(w, h); w or h of exactly -1 means the image's own size.
int DrawSpritePart(TextureHandle handle, double x, double y, double w, double h);
int DrawSpritePartColor(TextureHandle handle, uint32_t colour, double x, double y, double w,
                        double h);
// Centre placement: the image's centre lands at (x, y).
int DrawSpriteCentered(TextureHandle handle, double x, double y);
int DrawSpriteCenteredColor(TextureHandle handle, uint32_t colour, double x, double y);
int DrawSpriteAddCentered(TextureHandle handle, uint32_t colour, double x, double y);
int DrawSpriteScaledCentered(TextureHandle handle, double x, double y, double sx, double sy);
int DrawSpriteScaledColorCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                  double sx, double sy);
int DrawSpriteScaledAddCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                double sx, double sy);
// Offsets by half the whole image, not by half of (w, h).
int DrawSpritePartColorCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                double w, double h);
// Additive when additive == 1, normal otherwise.
int DrawSpriteColorBlend(TextureHandle handle, uint32_t colour, double x, double y,
                         int additive);
int DrawSpriteRotScaledBlend(TextureHandle handle, uint32_t colour, double x, double y,
                             double sx, double sy, double angle, int additive);
// Centre at (x, y) with everything left of screen x = 110 cut away. Returns 0 when the image
// lies wholly left of the cut (nothing drawn), -1 when it lies wholly right of the screen
// (nothing drawn) or the handle is invalid.
int DrawSpriteLaneClipped(TextureHandle handle, double x, double y);

// Untextured, straight alpha.
int FillTriangle(double x1, double y1, double x2, double y2, double x3, double y3,
                 uint32_t colour);
int FillRect(double x1, double y1, double x2, double y2, uint32_t colour);

}  // namespace graphics
