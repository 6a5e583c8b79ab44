// Pictures for the default theme are drawn here with our own code: shapes are signed
// distance functions, so every edge is anti-aliased by its exact pixel coverage; text comes
// from an installed font through SDL2_ttf.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace themegen {

struct Color {
  float r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0 .. 1
};

inline Color Rgb(uint32_t hex, float a = 1.0f) {
  return Color{((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, a};
}
inline Color Mix(Color x, Color y, float t) {
  return Color{x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
               x.a + (y.a - x.a) * t};
}
inline Color WithAlpha(Color c, float a) { c.a = a; return c; }
inline Color Lighter(Color c, float t) { return Mix(c, Color{1, 1, 1, c.a}, t); }
inline Color Darker(Color c, float t) { return Mix(c, Color{0, 0, 0, c.a}, t); }
Color Hsv(float h, float s, float v, float a = 1.0f);  // h in turns

// An RGBA picture, premultiplied floats.
struct Image {
  int w = 0, h = 0;
  std::vector<float> px;
  Image() = default;
  Image(int width, int height) : w(width), h(height), px(size_t(width) * height * 4, 0.0f) {}
  float* at(int x, int y) { return &px[(size_t(y) * w + x) * 4]; }
  const float* at(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
  // Blends a straight-alpha colour over pixel (x, y) with the given coverage.
  void blend(int x, int y, Color c, float coverage) {
    float a = c.a * coverage;
    if (a <= 0.0f) return;
    float* p = at(x, y);
    float k = 1.0f - a;
    p[0] = c.r * a + p[0] * k;
    p[1] = c.g * a + p[1] * k;
    p[2] = c.b * a + p[2] * k;
    p[3] = a + p[3] * k;
  }
};

// ---- signed distances (negative inside), in pixels ----
inline float Len(float x, float y) { return std::sqrt(x * x + y * y); }
inline float SdCircle(float x, float y, float cx, float cy, float r) { return Len(x - cx, y - cy) - r; }
float SdEllipse(float x, float y, float cx, float cy, float rx, float ry);
float SdRoundRect(float x, float y, float x0, float y0, float x1, float y1, float radius);
float SdSegment(float x, float y, float ax, float ay, float bx, float by, float radius);
struct Pt { float x, y; };
float SdPolygon(float x, float y, const std::vector<Pt>& poly);
std::vector<Pt> StarPoints(float cx, float cy, float outer, float inner, int points, float turn = 0);
std::vector<Pt> RegularPolygon(float cx, float cy, float r, int sides, float turn = 0);

// Fills the pixels of the box (x0, y0)-(x1, y1) where sdf(x, y) < 0 with paint(x, y),
// anti-aliased by coverage clamp(0.5 - d).
template <class Sdf, class Paint>
void FillSdf(Image& img, Sdf sdf, Paint paint, float bx0 = -1e9f, float by0 = -1e9f,
             float bx1 = 1e9f, float by1 = 1e9f) {
  int x0 = std::max(0, int(std::floor(bx0)) - 1), y0 = std::max(0, int(std::floor(by0)) - 1);
  int x1 = std::min(img.w, int(std::ceil(bx1)) + 2), y1 = std::min(img.h, int(std::ceil(by1)) + 2);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float d = sdf(px, py);
      float cov = 0.5f - d;
      if (cov <= 0.0f) continue;
      if (cov > 1.0f) cov = 1.0f;
      img.blend(x, y, paint(px, py), cov);
    }
}
template <class Sdf>
void FillSdfColor(Image& img, Sdf sdf, Color c, float bx0 = -1e9f, float by0 = -1e9f,
                  float bx1 = 1e9f, float by1 = 1e9f) {
  FillSdf(img, sdf, [c](float, float) { return c; }, bx0, by0, bx1, by1);
}
// A shape with a dark outline grown outwards by `width` pixels.
template <class Sdf, class Paint>
void OutlinedSdf(Image& img, Sdf sdf, Paint paint, Color outline, float width,
                 float bx0 = -1e9f, float by0 = -1e9f, float bx1 = 1e9f, float by1 = 1e9f) {
  FillSdfColor(img, [&](float x, float y) { return sdf(x, y) - width; }, outline,
               bx0 - width, by0 - width, bx1 + width, by1 + width);
  FillSdf(img, sdf, paint, bx0, by0, bx1, by1);
}

// Paints
struct VGrad {
  Color top, bottom;
  float y0, y1;
  Color operator()(float, float y) const {
    float t = (y - y0) / (y1 - y0);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return Mix(top, bottom, t);
  }
};
struct RadialGrad {
  Color inner, outer;
  float cx, cy, r;
  Color operator()(float x, float y) const {
    float t = Len(x - cx, y - cy) / r;
    t = t > 1 ? 1 : t;
    return Mix(inner, outer, t);
  }
};

// ---- compositing ----
void Clear(Image& img, Color c);
void Blit(Image& dst, const Image& src, float x, float y, float alpha = 1.0f);
// Bilinear scaled and rotated draw, centred on (cx, cy); angle in degrees.
void BlitTransformed(Image& dst, const Image& src, float cx, float cy, float sx, float sy,
                     float angleDeg, float alpha = 1.0f);
Image Scaled(const Image& src, int w, int h);
Image Tinted(const Image& src, Color tint);  // multiplies colours
void Glow(Image& img, float cx, float cy, float r, Color c);  // soft radial light

// ---- text ----
enum class Font { Sans, SansBold, Japanese };
// Draws UTF-8 text centred on (cx, cy) (align -1: left edge at cx, 1: right edge at cx).
void Text(Image& img, const std::string& utf8, Font font, int size, float cx, float cy, Color fill,
          Color outline = Color{}, int outlineWidth = 0, int align = 0);
// The text's size in pixels.
void TextSize(const std::string& utf8, Font font, int size, int* w, int* h);
bool TextInit();
void TextShutdown();

// Deterministic hash noise in 0 .. 1.
float Hash2(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed);

// Writes a PNG; returns -1 on failure.
int SavePng(const Image& img, const std::string& path);

}  // namespace themegen
