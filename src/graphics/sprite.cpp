// Sprite drawing. Each draw is complete in itself: it sets the texture's colour and blend,
// queues one copy (or one quad of geometry) on the renderer and leaves no state behind.
//
// Axis-aligned draws go through SDL_RenderCopyF, which every renderer does fastest; rotations
// with a uniform scale through SDL_RenderCopyExF; the rest (sheared rotations, mirrored
// scales, the strip) as a textured quad of SDL_RenderGeometry with exact corners.
#include "graphics/sprite.h"

#include <SDL.h>

#include <cmath>

#include "graphics/canvas_blit.h"
#include "graphics/texture_slot.h"

namespace graphics {

namespace {

enum class Blend { Normal, Additive, Darken };

// Coordinates beyond this are no picture on a 640 x 480 screen, only trouble for the
// rasteriser's integer conversions.
constexpr double kCoordinateLimit = 1.0e6;

bool Usable(double v) { return std::isfinite(v) && std::fabs(v) < kCoordinateLimit; }

SDL_Color ColourOf(uint32_t argb) {
  return SDL_Color{uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
}

// The image with every colour turned to 255 - colour: drawn with the multiplying blend it
// gives destination x (1 - source colour). Fully transparent pixels become white, so they
// leave the screen alone, as the sprite's alpha test always discarded them.
SDL_Texture* InvertedTexture(TextureSlot& s) {
  if (s.inverted) return s.inverted;
  if (s.invertFailed || !GraphicsOnDrawThread()) return nullptr;
  int w = 0, h = 0;
  SDL_Surface* pixels = DecodePngFile(s.path, &w, &h);
  if (pixels && (w != s.width || h != s.height)) {
    SDL_FreeSurface(pixels);
    pixels = nullptr;
  }
  if (!pixels) {
    s.invertFailed = true;
    return nullptr;
  }
  for (int y = 0; y < pixels->h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels->pixels) +
                                            y * pixels->pitch);
    for (int x = 0; x < pixels->w; ++x) {
      uint32_t p = row[x];
      row[x] = (p >> 24) == 0 ? 0xFFFFFFFFu : (p & 0xFF000000u) | (~p & 0x00FFFFFFu);
    }
  }
  s.inverted = CreateTextureFromPixels(pixels);
  SDL_FreeSurface(pixels);
  if (!s.inverted) {
    s.invertFailed = true;
    return nullptr;
  }
  SDL_SetTextureBlendMode(s.inverted, SDL_BLENDMODE_MOD);
  return s.inverted;
}

// Validates the handle and prepares the texture to draw with. nullptr for an invalid handle.
SDL_Texture* PrepareTexture(TextureHandle handle, TextureSlot** slotOut, uint32_t colour,
                            Blend blend) {
  if (!GraphicsRenderer()) return nullptr;
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return nullptr;
  SDL_Texture* t = SlotTexture(*s);
  if (!t) return nullptr;
  if (blend == Blend::Darken) {
    t = InvertedTexture(*s);
    if (!t) return nullptr;
  } else {
    SDL_SetTextureBlendMode(t, blend == Blend::Additive ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
  }
  SDL_Color c = ColourOf(colour);
  SDL_SetTextureColorMod(t, c.r, c.g, c.b);
  SDL_SetTextureAlphaMod(t, c.a);
  *slotOut = s;
  return t;
}

// An opaque image drawn unfaded with the normal blend is a plain copy: same picture, and
// much less work for a software renderer. Only for axis-aligned copies (a turned copy has
// transparent corners).
void SkipBlendIfOpaque(SDL_Texture* t, const TextureSlot& s, uint32_t colour, Blend blend) {
  if (blend == Blend::Normal && s.opaque && (colour >> 24) == 0xFF)
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
}

// The software renderer stretches fastest with filtering (through its vectorised blend) but
// turns images fastest without it, so it switches per draw. Queued draws use the mode at
// the time they run, hence the flush before a switch. Other renderers always filter.
void SoftwareScaleMode(TextureSlot& s, SDL_Texture* t, bool linear) {
  if (!GraphicsIsSoftware() || t != s.texture || s.linear == linear) return;
  SDL_RenderFlush(GraphicsRenderer());
  SDL_SetTextureScaleMode(t, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  s.linear = linear;
}

// Source rectangle in image pixels, destination rectangle on screen (may be mirrored by
// negative sizes).
int CopyRect(TextureSlot& s, SDL_Texture* t, const SDL_Rect& src, double x, double y, double w,
             double h) {
  if (!Usable(x) || !Usable(y) || !Usable(w) || !Usable(h)) return 0;
  if (src.w <= 0 || src.h <= 0 || w == 0 || h == 0) return 0;
  SoftwareScaleMode(s, t, std::fabs(w) != src.w || std::fabs(h) != src.h);
  SDL_Renderer* r = GraphicsRenderer();
  if (w > 0 && h > 0) {
    SDL_FRect dst{float(x), float(y), float(w), float(h)};
    SDL_RenderCopyF(r, t, &src, &dst);
    return 0;
  }
  int flip = SDL_FLIP_NONE;
  if (w < 0) {
    x += w;
    w = -w;
    flip |= SDL_FLIP_HORIZONTAL;
  }
  if (h < 0) {
    y += h;
    h = -h;
    flip |= SDL_FLIP_VERTICAL;
  }
  SDL_FRect dst{float(x), float(y), float(w), float(h)};
  SDL_RenderCopyExF(r, t, &src, &dst, 0.0, nullptr, SDL_RendererFlip(flip));
  return 0;
}

// A textured quad with the image's corner (u, v) (in image pixels) at each screen corner:
// top-left, top-right, bottom-right, bottom-left.
int CopyQuad(SDL_Texture* t, TextureSlot& s, uint32_t colour, const double px[4],
             const double py[4], const double u[4], const double v[4]) {
  for (int i = 0; i < 4; ++i)
    if (!Usable(px[i]) || !Usable(py[i])) return 0;
  SoftwareScaleMode(s, t, false);
  SDL_Color c = ColourOf(colour);
  SDL_SetTextureColorMod(t, 255, 255, 255);
  SDL_SetTextureAlphaMod(t, 255);
  SDL_Vertex vertices[4];
  for (int i = 0; i < 4; ++i) {
    vertices[i].position = SDL_FPoint{float(px[i]), float(py[i])};
    vertices[i].color = c;
    vertices[i].tex_coord = SDL_FPoint{float(u[i] / s.width), float(v[i] / s.height)};
  }
  static const int kIndices[6] = {0, 1, 2, 0, 2, 3};
  SDL_RenderGeometry(GraphicsRenderer(), t, vertices, 4, kIndices, 6);
  return 0;
}

SDL_Rect WholeImage(const TextureSlot& s) { return SDL_Rect{0, 0, s.width, s.height}; }

// The image's pixels for drawing it straight into the canvas: kept from the upload, or decoded
// again from its file on first use (the renderer keeps no pixels that could be read).
const SDL_Surface* DirectSource(TextureSlot& s) {
  if (s.addSource) return s.addSource;
  if (s.addSourceFailed) return nullptr;
  int w = 0, h = 0;
  SDL_Surface* pixels = DecodePngFile(s.path, &w, &h);
  if (pixels && (w != s.width || h != s.height)) {
    SDL_FreeSurface(pixels);
    pixels = nullptr;
  }
  if (!pixels) s.addSourceFailed = true;
  s.addSource = pixels;
  return pixels;
}

// SDL's software blitter has no fast path for additive blending; an unscaled additive draw
// into the canvas is done here instead, with the same arithmetic. False when it can't be
// (the renderer then draws it).
bool AddDirectly(TextureSlot& s, uint32_t colour, double x, double y) {
  if (!Usable(x) || !Usable(y)) return false;
  SDL_Surface* canvas = DirectCanvas();
  if (!canvas) return false;
  const SDL_Surface* image = DirectSource(s);
  if (!image) return false;
  // Where the renderer would put it: the position as a float, truncated.
  AddImageToCanvas(canvas, image, int(float(x)), int(float(y)), colour);
  return true;
}

// Unscaled normal draws of images with transparency, likewise. An opaque image drawn unfaded
// is a plain copy, which SDL does fast: it stays with the renderer.
bool BlendDirectly(TextureSlot& s, uint32_t colour, const SDL_Rect& src, double x, double y) {
  if (s.opaque && colour == 0xFFFFFFFFu) return false;
  if (!Usable(x) || !Usable(y)) return false;
  SDL_Surface* canvas = DirectCanvas();
  if (!canvas) return false;
  const SDL_Surface* image = DirectSource(s);
  if (!image) return false;
  BlendImageToCanvas(canvas, image, src.x, src.y, src.w, src.h, int(float(x)), int(float(y)),
                     colour);
  return true;
}

int DrawTopLeft(TextureHandle handle, uint32_t colour, double x, double y, double sx, double sy,
                Blend blend) {
  TextureSlot* s = nullptr;
  SDL_Texture* t = PrepareTexture(handle, &s, colour, blend);
  if (!t) return -1;
  if (sx == 1.0 && sy == 1.0) {
    if (blend == Blend::Additive && AddDirectly(*s, colour, x, y)) return 0;
    if (blend == Blend::Normal && BlendDirectly(*s, colour, WholeImage(*s), x, y)) return 0;
  }
  SkipBlendIfOpaque(t, *s, colour, blend);
  return CopyRect(*s, t, WholeImage(*s), x, y, sx * s->width, sy * s->height);
}

// The image's centre lands at (x, y); it is turned by the angle about its centre and then
// scaled by (sx, sy) along the screen axes.
int DrawRotScaled(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                  double sy, double angle, Blend blend) {
  TextureSlot* s = nullptr;
  SDL_Texture* t = PrepareTexture(handle, &s, colour, blend);
  if (!t) return -1;
  if (!Usable(angle)) return 0;
  const double w = s->width, h = s->height;
  if (angle == 0.0) {
    if (sx == 1.0 && sy == 1.0) {
      if (blend == Blend::Additive && AddDirectly(*s, colour, x - w * 0.5, y - h * 0.5))
        return 0;
      if (blend == Blend::Normal &&
          BlendDirectly(*s, colour, WholeImage(*s), x - w * 0.5, y - h * 0.5))
        return 0;
    }
    SkipBlendIfOpaque(t, *s, colour, blend);
    return CopyRect(*s, t, WholeImage(*s), x - sx * w * 0.5, y - sy * h * 0.5, sx * w, sy * h);
  }
  if (sx == sy && sx > 0) {
    if (!Usable(x) || !Usable(y) || !Usable(sx * w) || !Usable(sy * h)) return 0;
    SDL_Rect src = WholeImage(*s);
    SDL_FRect dst{float(x - sx * w * 0.5), float(y - sy * h * 0.5), float(sx * w), float(sy * h)};
    SoftwareScaleMode(*s, t, false);
    SDL_RenderCopyExF(GraphicsRenderer(), t, &src, &dst, angle, nullptr, SDL_FLIP_NONE);
    return 0;
  }
  const double radians = angle * kRadiansPerDegree;
  const double c = std::cos(radians), sn = std::sin(radians);
  const double cornerX[4] = {-w * 0.5, w * 0.5, w * 0.5, -w * 0.5};
  const double cornerY[4] = {-h * 0.5, -h * 0.5, h * 0.5, h * 0.5};
  const double u[4] = {0, w, w, 0};
  const double v[4] = {0, 0, h, h};
  double px[4], py[4];
  for (int i = 0; i < 4; ++i) {
    // y points down, so this rotation turns clockwise on screen for a positive angle.
    double rx = cornerX[i] * c - cornerY[i] * sn;
    double ry = cornerX[i] * sn + cornerY[i] * c;
    px[i] = x + sx * rx;
    py[i] = y + sy * ry;
  }
  return CopyQuad(t, *s, colour, px, py, u, v);
}

int DrawPart(TextureHandle handle, uint32_t colour, double x, double y, double w, double h) {
  TextureSlot* s = nullptr;
  SDL_Texture* t = PrepareTexture(handle, &s, colour, Blend::Normal);
  if (!t) return -1;
  SkipBlendIfOpaque(t, *s, colour, Blend::Normal);
  if (!Usable(w) || !Usable(h)) return 0;
  int sw = w == -1.0 ? s->width : int(w);
  int sh = h == -1.0 ? s->height : int(h);
  // The source never reaches past the image: what lies beyond it is not part of the picture.
  if (sw > s->width) sw = s->width;
  if (sh > s->height) sh = s->height;
  if (sw <= 0 || sh <= 0) return 0;
  if (BlendDirectly(*s, colour, SDL_Rect{0, 0, sw, sh}, x, y)) return 0;
  return CopyRect(*s, t, SDL_Rect{0, 0, sw, sh}, x, y, sw, sh);
}

}  // namespace

int DrawSprite(TextureHandle handle, double x, double y) {
  return DrawTopLeft(handle, 0xFFFFFFFF, x, y, 1, 1, Blend::Normal);
}

int DrawSpriteColor(TextureHandle handle, uint32_t colour, double x, double y) {
  return DrawTopLeft(handle, colour, x, y, 1, 1, Blend::Normal);
}

int DrawSpriteAdd(TextureHandle handle, uint32_t colour, double x, double y) {
  return DrawTopLeft(handle, colour, x, y, 1, 1, Blend::Additive);
}

int DrawSpriteDarken(TextureHandle handle, double x, double y) {
  return DrawTopLeft(handle, 0xFFFFFFFF, x, y, 1, 1, Blend::Darken);
}

int DrawSpriteScaled(TextureHandle handle, double x, double y, double sx, double sy) {
  return DrawTopLeft(handle, 0xFFFFFFFF, x, y, sx, sy, Blend::Normal);
}

int DrawSpriteScaledColor(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                          double sy) {
  return DrawTopLeft(handle, colour, x, y, sx, sy, Blend::Normal);
}

int DrawSpriteScaledAdd(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                        double sy) {
  return DrawTopLeft(handle, colour, x, y, sx, sy, Blend::Additive);
}

int DrawSpriteRotated(TextureHandle handle, double x, double y, double angle) {
  return DrawRotScaled(handle, 0xFFFFFFFF, x, y, 1, 1, angle, Blend::Normal);
}

int DrawSpriteRotScaled(TextureHandle handle, uint32_t colour, double x, double y, double sx,
                        double sy, double angle) {
  return DrawRotScaled(handle, colour, x, y, sx, sy, angle, Blend::Normal);
}

int DrawSpriteRotScaledAdd(TextureHandle handle, uint32_t colour, double x, double y,
                           double sx, double sy, double angle) {
  return DrawRotScaled(handle, colour, x, y, sx, sy, angle, Blend::Additive);
}

int DrawSpriteCropLeft(TextureHandle handle, double x, double sourceLeft, double y) {
  TextureSlot* s = nullptr;
  SDL_Texture* t = PrepareTexture(handle, &s, 0xFFFFFFFF, Blend::Normal);
  if (!t) return -1;
  SkipBlendIfOpaque(t, *s, 0xFFFFFFFF, Blend::Normal);
  if (!Usable(sourceLeft)) return 0;
  int left = int(sourceLeft);
  if (left < 0) left = 0;
  if (left >= s->width) return 0;
  if (BlendDirectly(*s, 0xFFFFFFFF, SDL_Rect{left, 0, s->width - left, s->height}, x, y))
    return 0;
  return CopyRect(*s, t, SDL_Rect{left, 0, s->width - left, s->height}, x, y, s->width - left,
                  s->height);
}

int DrawSpriteStrip(TextureHandle handle, double x, double length, double y) {
  TextureSlot* s = nullptr;
  SDL_Texture* t = PrepareTexture(handle, &s, 0xFFFFFFFF, Blend::Normal);
  if (!t) return -1;
  if (!Usable(length)) return 0;
  int width = int(length);
  if (width <= 0) return 0;
  if (GraphicsIsSoftware()) {
    // The software renderer reads only inside the source rectangle: one column, stretched.
    SkipBlendIfOpaque(t, *s, 0xFFFFFFFF, Blend::Normal);
    return CopyRect(*s, t, SDL_Rect{0, 0, 1, s->height}, x, y, width, s->height);
  }
  // The quad samples only the left half of the leftmost column: with edge clamping even a
  // filtering renderer then shows that column alone, never a blend with the one beside it.
  const double u[4] = {0.0, 0.5, 0.5, 0.0};
  const double v[4] = {0, 0, double(s->height), double(s->height)};
  const double px[4] = {x, x + width, x + width, x};
  const double py[4] = {y, y, y + s->height, y + s->height};
  return CopyQuad(t, *s, 0xFFFFFFFF, px, py, u, v);
}

int DrawSpritePart(TextureHandle handle, double x, double y, double w, double h) {
  return DrawPart(handle, 0xFFFFFFFF, x, y, w, h);
}

int DrawSpritePartColor(TextureHandle handle, uint32_t colour, double x, double y, double w,
                        double h) {
  return DrawPart(handle, colour, x, y, w, h);
}

int DrawSpriteCentered(TextureHandle handle, double x, double y) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSprite(handle, x - s->width / 2.0, y - s->height / 2.0);
}

int DrawSpriteCenteredColor(TextureHandle handle, uint32_t colour, double x, double y) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpriteColor(handle, colour, x - s->width / 2.0, y - s->height / 2.0);
}

int DrawSpriteAddCentered(TextureHandle handle, uint32_t colour, double x, double y) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpriteAdd(handle, colour, x - s->width / 2.0, y - s->height / 2.0);
}

int DrawSpriteScaledCentered(TextureHandle handle, double x, double y, double sx, double sy) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpriteScaled(handle, x - sx * s->width / 2.0, y - sy * s->height / 2.0, sx, sy);
}

int DrawSpriteScaledColorCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                  double sx, double sy) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpriteScaledColor(handle, colour, x - sx * s->width / 2.0,
                               y - sy * s->height / 2.0, sx, sy);
}

int DrawSpriteScaledAddCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                double sx, double sy) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpriteScaledAdd(handle, colour, x - sx * s->width / 2.0,
                             y - sy * s->height / 2.0, sx, sy);
}

int DrawSpritePartColorCentered(TextureHandle handle, uint32_t colour, double x, double y,
                                double w, double h) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  return DrawSpritePartColor(handle, colour, x - s->width / 2.0, y - s->height / 2.0, w, h);
}

int DrawSpriteColorBlend(TextureHandle handle, uint32_t colour, double x, double y,
                         int additive) {
  return additive == 1 ? DrawSpriteAdd(handle, colour, x, y)
                       : DrawSpriteColor(handle, colour, x, y);
}

int DrawSpriteRotScaledBlend(TextureHandle handle, uint32_t colour, double x, double y,
                             double sx, double sy, double angle, int additive) {
  return additive == 1 ? DrawSpriteRotScaledAdd(handle, colour, x, y, sx, sy, angle)
                       : DrawSpriteRotScaled(handle, colour, x, y, sx, sy, angle);
}

int DrawSpriteLaneClipped(TextureHandle handle, double x, double y) {
  TextureSlot* s = FindTextureSlot(handle);
  if (!s) return -1;
  const double halfW = s->width * 0.5, halfH = s->height * 0.5;
  if (x + halfW < kLaneClipX) return 0;
  if (x - halfW > kScreenWidth) return -1;
  if (x - halfW > kLaneClipX) return DrawSprite(handle, x - halfW, y - halfH);
  return DrawSpriteCropLeft(handle, kLaneClipX, kLaneClipX - (x - halfW), y - halfH);
}

int FillTriangle(double x1, double y1, double x2, double y2, double x3, double y3,
                 uint32_t colour) {
  SDL_Renderer* r = GraphicsRenderer();
  if (!r) return -1;
  if (!Usable(x1) || !Usable(y1) || !Usable(x2) || !Usable(y2) || !Usable(x3) || !Usable(y3))
    return 0;
  SDL_Color c = ColourOf(colour);
  SDL_Vertex v[3] = {
      {SDL_FPoint{float(x1), float(y1)}, c, SDL_FPoint{0, 0}},
      {SDL_FPoint{float(x2), float(y2)}, c, SDL_FPoint{0, 0}},
      {SDL_FPoint{float(x3), float(y3)}, c, SDL_FPoint{0, 0}},
  };
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
  return SDL_RenderGeometry(r, nullptr, v, 3, nullptr, 0) == 0 ? 0 : -1;
}

int FillRect(double x1, double y1, double x2, double y2, uint32_t colour) {
  SDL_Renderer* r = GraphicsRenderer();
  if (!r) return -1;
  if (!Usable(x1) || !Usable(y1) || !Usable(x2) || !Usable(y2)) return 0;
  // The two triangles (x1,y1),(x2,y1),(x1,y2) and (x1,y2),(x2,y1),(x2,y2) cover exactly the
  // rectangle; filling it in one go also keeps a translucent colour from doubling up along
  // the shared diagonal.
  SDL_Color c = ColourOf(colour);
  uint8_t oldR, oldG, oldB, oldA;
  SDL_GetRenderDrawColor(r, &oldR, &oldG, &oldB, &oldA);
  SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a);
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
  SDL_FRect rect{float(std::fmin(x1, x2)), float(std::fmin(y1, y2)), float(std::fabs(x2 - x1)),
                 float(std::fabs(y2 - y1))};
  int result = 0;
  if (rect.w > 0 && rect.h > 0) result = SDL_RenderFillRectF(r, &rect) == 0 ? 0 : -1;
  SDL_SetRenderDrawColor(r, oldR, oldG, oldB, oldA);
  return result;
}

}  // namespace graphics
