// Small helpers that the stage and the background script share: angles, whole parts of
// layout numbers, the white-with-alpha colour and theme path formatting. Only theme/ includes
// this.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace theme {

constexpr double kDegrees = 0.017453292519943295;  // one degree in radians
constexpr int kThemePathBytes = 512;               // longest theme file path, with its 0
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The whole part of v (towards zero) as a 64-bit integer; NaN is 0 and huge values are held at
// +-9e15, so layout numbers never overflow.
inline int64_t Whole(double v) {
  if (std::isnan(v)) return 0;
  if (v > 9.0e15) return static_cast<int64_t>(9.0e15);
  if (v < -9.0e15) return static_cast<int64_t>(-9.0e15);
  return static_cast<int64_t>(v);
}

// White at alpha (0 .. 255, clamped; below 0 or NaN is clear).
inline uint32_t AlphaColour(double alpha) {
  if (!(alpha > 0.0)) return 0x00FFFFFFu;
  if (alpha >= 255.0) return kWhite;
  return (static_cast<uint32_t>(alpha) << 24) | 0x00FFFFFFu;
}

// Formats a theme path; false (and an empty path) when it would not fit.
template <typename... Args>
bool FormatPath(char (&out)[kThemePathBytes], const char* format, Args... args) {
  int n = std::snprintf(out, sizeof out, format, args...);
  if (n < 0 || n >= kThemePathBytes) {
    out[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace theme
