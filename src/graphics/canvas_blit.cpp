#include "graphics/canvas_blit.h"

#include <SDL.h>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace graphics {

namespace {

struct Modulation {
  uint32_t r, g, b, a;
};

// x / 255 rounded down, for x up to 255 x 255.
inline uint32_t Div255(uint32_t x) { return ((x + 1) * 257) >> 16; }

inline uint32_t AddPixel(uint32_t d, uint32_t s, const Modulation& m) {
  const uint32_t a = Div255((s >> 24) * m.a);
  if (a == 0) return d;
  const uint32_t r = Div255(Div255(((s >> 16) & 0xFF) * m.r) * a);
  const uint32_t g = Div255(Div255(((s >> 8) & 0xFF) * m.g) * a);
  const uint32_t b = Div255(Div255((s & 0xFF) * m.b) * a);
  const uint32_t dr = std::min<uint32_t>(255, ((d >> 16) & 0xFF) + r);
  const uint32_t dg = std::min<uint32_t>(255, ((d >> 8) & 0xFF) + g);
  const uint32_t db = std::min<uint32_t>(255, (d & 0xFF) + b);
  return (d & 0xFF000000u) | (dr << 16) | (dg << 8) | db;
}

#if defined(__SSE2__)
// Two pixels widened to 16-bit channels, times the modulation, over 255.
inline __m128i ModulateHalf(__m128i pixels, __m128i mod, __m128i one, __m128i k257) {
  __m128i t = _mm_mullo_epi16(pixels, mod);
  t = _mm_mulhi_epu16(_mm_add_epi16(t, one), k257);
  const __m128i alpha =
      _mm_shufflehi_epi16(_mm_shufflelo_epi16(t, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  t = _mm_mullo_epi16(t, alpha);
  return _mm_mulhi_epu16(_mm_add_epi16(t, one), k257);
}
#endif

inline uint32_t BlendPixel(uint32_t d, uint32_t s, const Modulation& m) {
  const uint32_t a = Div255((s >> 24) * m.a);
  if (a == 0) return d;
  const uint32_t r = Div255(Div255(((s >> 16) & 0xFF) * m.r) * a);
  const uint32_t g = Div255(Div255(((s >> 8) & 0xFF) * m.g) * a);
  const uint32_t b = Div255(Div255((s & 0xFF) * m.b) * a);
  const uint32_t keep = 255 - a;
  const uint32_t da = a + Div255((d >> 24) * keep);
  const uint32_t dr = r + Div255(((d >> 16) & 0xFF) * keep);
  const uint32_t dg = g + Div255(((d >> 8) & 0xFF) * keep);
  const uint32_t db = b + Div255((d & 0xFF) * keep);
  return (da << 24) | (dr << 16) | (dg << 8) | db;
}

#if defined(__SSE2__)
// Two pixels' worth of the normal blend in 16-bit channels.
inline __m128i BlendHalf(__m128i src, __m128i dst, __m128i mod, __m128i one, __m128i k257,
                         __m128i alphaLane, __m128i all255) {
  __m128i t = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(src, mod), one), k257);
  const __m128i alpha =
      _mm_shufflehi_epi16(_mm_shufflelo_epi16(t, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
  // Colours times alpha; the alpha lane keeps the alpha itself.
  t = _mm_mullo_epi16(t, _mm_or_si128(alpha, alphaLane));
  t = _mm_mulhi_epu16(_mm_add_epi16(t, one), k257);
  __m128i d = _mm_mullo_epi16(dst, _mm_sub_epi16(all255, alpha));
  d = _mm_mulhi_epu16(_mm_add_epi16(d, one), k257);
  return _mm_add_epi16(t, d);
}
#endif

void BlendRow(uint32_t* dst, const uint32_t* src, int count, const Modulation& m) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i k257 = _mm_set1_epi16(257);
  const __m128i all255 = _mm_set1_epi16(255);
  const __m128i alphaLane = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
  const __m128i mod = _mm_set_epi16(short(m.a), short(m.r), short(m.g), short(m.b), short(m.a),
                                    short(m.r), short(m.g), short(m.b));
  const bool plain = m.r == 255 && m.g == 255 && m.b == 255 && m.a == 255;
  const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i alphas = _mm_and_si128(s, alphaMask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, zero)) == 0xFFFF) continue;
    __m128i* d = reinterpret_cast<__m128i*>(dst + i);
    if (plain && _mm_movemask_epi8(_mm_cmpeq_epi32(alphas, alphaMask)) == 0xFFFF) {
      _mm_storeu_si128(d, s);
      continue;
    }
    const __m128i dv = _mm_loadu_si128(d);
    const __m128i lo = BlendHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(dv, zero), mod,
                                 one, k257, alphaLane, all255);
    const __m128i hi = BlendHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(dv, zero), mod,
                                 one, k257, alphaLane, all255);
    _mm_storeu_si128(d, _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < count; ++i) dst[i] = BlendPixel(dst[i], src[i], m);
}

// Clips a width x height block placed at (x, y) to the canvas, moving the source corner along.
bool ClipToCanvas(const SDL_Surface* canvas, int* srcX, int* srcY, int* width, int* height,
                  int* x, int* y) {
  if (*x < 0) {
    *srcX -= *x;
    *width += *x;
    *x = 0;
  }
  if (*y < 0) {
    *srcY -= *y;
    *height += *y;
    *y = 0;
  }
  *width = std::min(*width, canvas->w - *x);
  *height = std::min(*height, canvas->h - *y);
  return *width > 0 && *height > 0;
}

void AddRow(uint32_t* dst, const uint32_t* src, int count, const Modulation& m) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i k257 = _mm_set1_epi16(257);
  const __m128i mod = _mm_set_epi16(short(m.a), short(m.r), short(m.g), short(m.b), short(m.a),
                                    short(m.r), short(m.g), short(m.b));
  // The canvas's alpha byte gets nothing added.
  const __m128i colourOnly = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    // Fully transparent stretches are common around glows: skip them.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(s, 24), zero)) == 0xFFFF) continue;
    const __m128i lo = ModulateHalf(_mm_unpacklo_epi8(s, zero), mod, one, k257);
    const __m128i hi = ModulateHalf(_mm_unpackhi_epi8(s, zero), mod, one, k257);
    const __m128i add = _mm_and_si128(_mm_packus_epi16(lo, hi), colourOnly);
    __m128i* d = reinterpret_cast<__m128i*>(dst + i);
    _mm_storeu_si128(d, _mm_adds_epu8(_mm_loadu_si128(d), add));
  }
#endif
  for (; i < count; ++i) dst[i] = AddPixel(dst[i], src[i], m);
}

}  // namespace

void AddImageToCanvas(SDL_Surface* canvas, const SDL_Surface* image, int x, int y,
                      uint32_t colour) {
  if (!canvas || !image) return;
  int srcX = 0, srcY = 0, w = image->w, h = image->h;
  if (x < 0) {
    srcX = -x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    srcY = -y;
    h += y;
    y = 0;
  }
  w = std::min(w, canvas->w - x);
  h = std::min(h, canvas->h - y);
  if (w <= 0 || h <= 0) return;
  const Modulation m{(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, colour >> 24};
  for (int row = 0; row < h; ++row) {
    auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(canvas->pixels) +
                                            size_t(y + row) * canvas->pitch) + x;
    const auto* src = reinterpret_cast<const uint32_t*>(
                          static_cast<const uint8_t*>(image->pixels) +
                          size_t(srcY + row) * image->pitch) + srcX;
    AddRow(dst, src, w, m);
  }
}

void BlendImageToCanvas(SDL_Surface* canvas, const SDL_Surface* image, int srcX, int srcY,
                        int width, int height, int x, int y, uint32_t colour) {
  if (!canvas || !image) return;
  // The source rectangle stays inside the image.
  if (srcX < 0 || srcY < 0 || width <= 0 || height <= 0 || srcX >= image->w || srcY >= image->h)
    return;
  width = std::min(width, image->w - srcX);
  height = std::min(height, image->h - srcY);
  if (!ClipToCanvas(canvas, &srcX, &srcY, &width, &height, &x, &y)) return;
  const Modulation m{(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, colour >> 24};
  for (int row = 0; row < height; ++row) {
    auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(canvas->pixels) +
                                            size_t(y + row) * canvas->pitch) + x;
    const auto* src = reinterpret_cast<const uint32_t*>(
                          static_cast<const uint8_t*>(image->pixels) +
                          size_t(srcY + row) * image->pitch) + srcX;
    BlendRow(dst, src, width, m);
  }
}

}  // namespace graphics
