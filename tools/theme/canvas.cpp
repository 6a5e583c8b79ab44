#include "canvas.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <map>
#include <mutex>

namespace themegen {

Color Hsv(float h, float s, float v, float a) {
  h = h - std::floor(h);
  float f = h * 6.0f;
  int i = int(f) % 6;
  float q = f - std::floor(f);
  float p0 = v * (1 - s), p1 = v * (1 - s * q), p2 = v * (1 - s * (1 - q));
  switch (i) {
    case 0: return {v, p2, p0, a};
    case 1: return {p1, v, p0, a};
    case 2: return {p0, v, p2, a};
    case 3: return {p0, p1, v, a};
    case 4: return {p2, p0, v, a};
    default: return {v, p0, p1, a};
  }
}

float SdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
  // Scaled-circle approximation, corrected by the gradient length: good enough for AA.
  float dx = (x - cx) / rx, dy = (y - cy) / ry;
  float k0 = Len(dx, dy);
  float k1 = Len(dx / rx, dy / ry);
  if (k1 < 1e-6f) return -std::min(rx, ry);
  return k0 * (k0 - 1.0f) / k1;
}

float SdRoundRect(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
  float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return Len(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float radius) {
  float px = x - ax, py = y - ay, vx = bx - ax, vy = by - ay;
  float vv = vx * vx + vy * vy;
  float h = vv > 0 ? std::clamp((px * vx + py * vy) / vv, 0.0f, 1.0f) : 0.0f;
  return Len(px - vx * h, py - vy * h) - radius;
}

float SdPolygon(float x, float y, const std::vector<Pt>& v) {
  size_t n = v.size();
  if (n < 3) return 1e9f;
  float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
  float s = 1.0f;
  for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
    float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
    float wx = x - v[i].x, wy = y - v[i].y;
    float ee = ex * ex + ey * ey;
    float t = ee > 0 ? std::clamp((wx * ex + wy * ey) / ee, 0.0f, 1.0f) : 0.0f;
    float bx = wx - ex * t, by = wy - ey * t;
    d = std::min(d, bx * bx + by * by);
    bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

std::vector<Pt> StarPoints(float cx, float cy, float outer, float inner, int points, float turn) {
  std::vector<Pt> p;
  for (int i = 0; i < points * 2; ++i) {
    float a = (turn + i / float(points * 2)) * 6.2831853f - 1.5707963f;
    float r = (i % 2) ? inner : outer;
    p.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
  }
  return p;
}

std::vector<Pt> RegularPolygon(float cx, float cy, float r, int sides, float turn) {
  std::vector<Pt> p;
  for (int i = 0; i < sides; ++i) {
    float a = (turn + i / float(sides)) * 6.2831853f - 1.5707963f;
    p.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
  }
  return p;
}

void Clear(Image& img, Color c) {
  for (size_t i = 0; i < img.px.size(); i += 4) {
    img.px[i] = c.r * c.a;
    img.px[i + 1] = c.g * c.a;
    img.px[i + 2] = c.b * c.a;
    img.px[i + 3] = c.a;
  }
}

static void BlendPremul(float* d, const float* s, float alpha) {
  float a = s[3] * alpha;
  if (a <= 0.0f) return;
  float k = 1.0f - a;
  d[0] = s[0] * alpha + d[0] * k;
  d[1] = s[1] * alpha + d[1] * k;
  d[2] = s[2] * alpha + d[2] * k;
  d[3] = a + d[3] * k;
}

void Blit(Image& dst, const Image& src, float x, float y, float alpha) {
  int ox = int(std::lround(x)), oy = int(std::lround(y));
  for (int j = 0; j < src.h; ++j) {
    int dy = oy + j;
    if (dy < 0 || dy >= dst.h) continue;
    for (int i = 0; i < src.w; ++i) {
      int dx = ox + i;
      if (dx < 0 || dx >= dst.w) continue;
      BlendPremul(dst.at(dx, dy), src.at(i, j), alpha);
    }
  }
}

static void Sample(const Image& s, float x, float y, float out[4]) {
  x -= 0.5f;
  y -= 0.5f;
  int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  float fx = x - x0, fy = y - y0;
  out[0] = out[1] = out[2] = out[3] = 0;
  for (int k = 0; k < 4; ++k) {
    int xi = x0 + (k & 1), yi = y0 + (k >> 1);
    if (xi < 0 || yi < 0 || xi >= s.w || yi >= s.h) continue;
    float wgt = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
    const float* p = s.at(xi, yi);
    for (int c = 0; c < 4; ++c) out[c] += p[c] * wgt;
  }
}

void BlitTransformed(Image& dst, const Image& src, float cx, float cy, float sx, float sy,
                     float angleDeg, float alpha) {
  if (sx <= 0 || sy <= 0) return;
  float a = angleDeg * 0.017453292f, ca = std::cos(a), sa = std::sin(a);
  float hw = src.w * 0.5f * sx, hh = src.h * 0.5f * sy;
  float rad = Len(hw, hh) + 2;
  int x0 = std::max(0, int(cx - rad)), x1 = std::min(dst.w, int(cx + rad) + 1);
  int y0 = std::max(0, int(cy - rad)), y1 = std::min(dst.h, int(cy + rad) + 1);
  // Supersample 2 x 2 when shrinking so that small copies stay smooth.
  int ss = (sx < 0.75f || sy < 0.75f) ? 2 : 1;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float acc[4] = {0, 0, 0, 0};
      for (int sj = 0; sj < ss; ++sj)
        for (int si = 0; si < ss; ++si) {
          float px = x + (si + 0.5f) / ss - cx, py = y + (sj + 0.5f) / ss - cy;
          float ux = (px * ca + py * sa) / sx + src.w * 0.5f;
          float uy = (-px * sa + py * ca) / sy + src.h * 0.5f;
          float v[4];
          Sample(src, ux, uy, v);
          for (int c = 0; c < 4; ++c) acc[c] += v[c];
        }
      float n = float(ss * ss);
      for (float& c : acc) c /= n;
      BlendPremul(dst.at(x, y), acc, alpha);
    }
}

Image Scaled(const Image& src, int w, int h) {
  Image out(w, h);
  BlitTransformed(out, src, w * 0.5f, h * 0.5f, float(w) / src.w, float(h) / src.h, 0);
  return out;
}

Image Tinted(const Image& src, Color t) {
  Image out = src;
  for (size_t i = 0; i < out.px.size(); i += 4) {
    out.px[i] *= t.r;
    out.px[i + 1] *= t.g;
    out.px[i + 2] *= t.b;
  }
  return out;
}

void Glow(Image& img, float cx, float cy, float r, Color c) {
  int x0 = std::max(0, int(cx - r)), x1 = std::min(img.w, int(cx + r) + 1);
  int y0 = std::max(0, int(cy - r)), y1 = std::min(img.h, int(cy + r) + 1);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float d = Len(x + 0.5f - cx, y + 0.5f - cy) / r;
      if (d >= 1) continue;
      float k = (1 - d) * (1 - d);
      img.blend(x, y, c, k);
    }
}

// ---- text ----
namespace {
std::mutex gTextMutex;
std::map<std::pair<int, int>, TTF_Font*> gFonts;
std::string gFontPath[3];

std::string FindFont(const char* pattern, const char* fallback) {
  std::string path = fallback;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  if (!pat) return path;
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
      path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return path;
}

TTF_Font* GetFont(Font f, int size) {
  auto key = std::make_pair(int(f), size);
  auto it = gFonts.find(key);
  if (it != gFonts.end()) return it->second;
  TTF_Font* font = TTF_OpenFont(gFontPath[int(f)].c_str(), size);
  if (!font) std::fprintf(stderr, "themegen: cannot open font %s: %s\n", gFontPath[int(f)].c_str(), TTF_GetError());
  gFonts[key] = font;
  return font;
}

void Composite(Image& img, SDL_Surface* s, int ox, int oy, Color c) {
  SDL_Surface* conv = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0);
  if (!conv) return;
  SDL_LockSurface(conv);
  for (int y = 0; y < conv->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(conv->pixels) + y * conv->pitch;
    for (int x = 0; x < conv->w; ++x) {
      int dx = ox + x, dy = oy + y;
      if (dx < 0 || dy < 0 || dx >= img.w || dy >= img.h) continue;
      float a = row[x * 4 + 3] / 255.0f;
      if (a > 0) img.blend(dx, dy, c, a);
    }
  }
  SDL_UnlockSurface(conv);
  SDL_FreeSurface(conv);
}
}  // namespace

bool TextInit() {
  if (TTF_Init() != 0) return false;
  FcInit();
  gFontPath[int(Font::Sans)] = FindFont("DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  gFontPath[int(Font::SansBold)] =
      FindFont("DejaVu Sans:bold", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  gFontPath[int(Font::Japanese)] = FindFont("IPAGothic:lang=ja", "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf");
  return true;
}

void TextShutdown() {
  std::lock_guard<std::mutex> lock(gTextMutex);
  for (auto& kv : gFonts)
    if (kv.second) TTF_CloseFont(kv.second);
  gFonts.clear();
  TTF_Quit();
}

void TextSize(const std::string& utf8, Font font, int size, int* w, int* h) {
  std::lock_guard<std::mutex> lock(gTextMutex);
  *w = *h = 0;
  TTF_Font* f = GetFont(font, size);
  if (f) TTF_SizeUTF8(f, utf8.c_str(), w, h);
}

void Text(Image& img, const std::string& utf8, Font font, int size, float cx, float cy, Color fill,
          Color outline, int outlineWidth, int align) {
  std::lock_guard<std::mutex> lock(gTextMutex);
  TTF_Font* f = GetFont(font, size);
  if (!f || utf8.empty()) return;
  SDL_Color white{255, 255, 255, 255};
  SDL_Surface* body = TTF_RenderUTF8_Blended(f, utf8.c_str(), white);
  if (!body) return;
  int x = align < 0 ? int(cx) : (align > 0 ? int(cx) - body->w : int(std::lround(cx - body->w * 0.5f)));
  int y = int(std::lround(cy - body->h * 0.5f));
  if (outlineWidth > 0 && outline.a > 0) {
    TTF_SetFontOutline(f, outlineWidth);
    SDL_Surface* edge = TTF_RenderUTF8_Blended(f, utf8.c_str(), white);
    TTF_SetFontOutline(f, 0);
    if (edge) {
      Composite(img, edge, x - outlineWidth, y - outlineWidth, outline);
      SDL_FreeSurface(edge);
    }
  }
  Composite(img, body, x, y, fill);
  SDL_FreeSurface(body);
}

float Hash2(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / float(0xFFFFFF);
}

float ValueNoise(float x, float y, uint32_t seed) {
  int xi = int(std::floor(x)), yi = int(std::floor(y));
  float fx = x - xi, fy = y - yi;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float a = Hash2(xi, yi, seed), b = Hash2(xi + 1, yi, seed);
  float c = Hash2(xi, yi + 1, seed), d = Hash2(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

int SavePng(const Image& img, const std::string& path) {
  std::vector<uint8_t> buf(size_t(img.w) * img.h * 4);
  for (size_t i = 0; i < size_t(img.w) * img.h; ++i) {
    const float* p = &img.px[i * 4];
    float a = std::clamp(p[3], 0.0f, 1.0f);
    for (int c = 0; c < 3; ++c) {
      float v = a > 0 ? p[c] / a : 0.0f;
      buf[i * 4 + c] = uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    }
    buf[i * 4 + 3] = uint8_t(std::lround(a * 255.0f));
  }
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(buf.data(), img.w, img.h, 32, img.w * 4,
                                                      SDL_PIXELFORMAT_RGBA32);
  if (!s) return -1;
  int rc = IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
  return rc == 0 ? 0 : -1;
}

}  // namespace themegen
