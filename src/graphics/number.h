// Numbers drawn from digit images: a number style is a set of ten digit pictures loaded with
// LoadNumberedImages from 0, so element d shows digit d (some sets carry an eleventh picture
// for a separator or blank). Digits are taken from the least significant one: digit k
// (k = 1 for the ones) steps left of the ones by the style's advance per digit and is drawn
// centred, so positions name digit centres.
#pragma once
#include <cstdint>

#include "graphics/texture.h"

namespace graphics {

// floor(value / 10^(k-1)) mod 10 for k >= 1; 0 for k < 1 or past the value's digits.
int NumberDigit(long long value, int k);
// Digits in the value (at least 1; negatives count their magnitude).
int NumberDigitCount(long long value);

// Draws `digitCount` digits of value, digit k centred at (onesX - advance x (k - 1), y),
// with DrawSpriteScaledColorCentered at scale (1, scaleY). When scaleY != 1 the bottom edge
// stays put: each centre is raised by (scaleY - 1) x image height / 2. Returns the number of
// digits drawn (a digit whose handle is invalid is skipped).
int DrawDigitNumber(const TextureHandle digits[10], long long value, int digitCount,
                    double onesX, double y, double advance, uint32_t colour = 0xFFFFFFFF,
                    double scaleY = 1.0);

// The play screen's combo: shown from 10 to 99999, centred on x.
struct ComboNumberLayout {
  double x = 55;            // combo_x
  double y = 158;           // combo_y
  double w = 20;            // combo_w: advance below 100
  double over100W = 32;     // combo_over100_w: 100 to 999
  double over1000W = 28;    // combo_over1000_w: 1000 and more
};
constexpr int kComboShownFrom = 10;
constexpr int kComboShownUpTo = 99999;
constexpr double kComboStretchMs = 150.0;
constexpr double kComboStretchMax = 0.22;

// Digits shown for a combo: 0 below 10, then 2, 3, 4 or 5 (values above 99999 show their
// last five digits).
int ComboDigitCount(int combo);
// Centre x of digit k (1 = ones) of the combo.
double ComboDigitX(const ComboNumberLayout& layout, int combo, int k);
// Vertical stretch msSinceChange after the combo changed: 1 + 0.22 x sin(pi x t / 150)
// within 150 ms, 1 otherwise.
double ComboStretch(double msSinceChange);
// Draws the combo (nothing below 10); returns the number of digits drawn.
int DrawComboNumber(const TextureHandle digits[10], const ComboNumberLayout& layout, int combo,
                    double msSinceChange);

}  // namespace graphics
