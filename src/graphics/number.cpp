// Numbers from digit images, and the play screen's combo as the worked case of the rule.
#include "graphics/number.h"

#include <cmath>

#include "graphics/sprite.h"

namespace graphics {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

int NumberDigit(long long value, int k) {
  if (k < 1 || k > 19) return 0;
  unsigned long long magnitude =
      value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  for (int i = 1; i < k; ++i) magnitude /= 10;
  return int(magnitude % 10);
}

int NumberDigitCount(long long value) {
  unsigned long long magnitude =
      value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  int count = 1;
  while (magnitude >= 10) {
    magnitude /= 10;
    ++count;
  }
  return count;
}

int DrawDigitNumber(const TextureHandle digits[10], long long value, int digitCount,
                    double onesX, double y, double advance, uint32_t colour, double scaleY) {
  if (!digits) return 0;
  int drawn = 0;
  for (int k = 1; k <= digitCount && k <= 19; ++k) {
    TextureHandle h = digits[NumberDigit(value, k)];
    int height = GetTextureHeight(h);
    if (height < 0) continue;
    // Stretched digits grow upwards: the bottom edge stays where it was.
    double centreY = y - (scaleY - 1.0) * height / 2.0;
    if (DrawSpriteScaledColorCentered(h, colour, onesX - advance * (k - 1), centreY, 1.0,
                                      scaleY) == 0)
      ++drawn;
  }
  return drawn;
}

int ComboDigitCount(int combo) {
  if (combo < kComboShownFrom) return 0;
  if (combo < 100) return 2;
  if (combo < 1000) return 3;
  if (combo < 10000) return 4;
  return 5;
}

double ComboDigitX(const ComboNumberLayout& layout, int combo, int k) {
  if (combo < 100) return layout.x + layout.w * (0.5 - (k - 1));
  if (combo < 1000) return layout.x + layout.over100W * (2 - k);
  if (combo < 10000) return layout.x + layout.over1000W * (1.5 - (k - 1));
  return layout.x + layout.over1000W * (2 - (k - 1));
}

double ComboStretch(double msSinceChange) {
  if (!(msSinceChange >= 0.0) || msSinceChange >= kComboStretchMs) return 1.0;
  return 1.0 + kComboStretchMax * std::sin(kPi * msSinceChange / kComboStretchMs);
}

int DrawComboNumber(const TextureHandle digits[10], const ComboNumberLayout& layout, int combo,
                    double msSinceChange) {
  if (!digits) return 0;
  int count = ComboDigitCount(combo);
  double stretch = ComboStretch(msSinceChange);
  int drawn = 0;
  for (int k = 1; k <= count; ++k) {
    TextureHandle h = digits[NumberDigit(combo, k)];
    int height = GetTextureHeight(h);
    if (height < 0) continue;
    double centreY = layout.y - (stretch - 1.0) * height / 2.0;
    if (DrawSpriteScaledCentered(h, ComboDigitX(layout, combo, k), centreY, 1.0, stretch) == 0)
      ++drawn;
  }
  return drawn;
}

}  // namespace graphics
