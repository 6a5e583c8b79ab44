// Digit numbers: the digit rule at its edges, the combo layout and its stretch, drawn.
#include <cmath>
#include <string>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using gfxtest::GraphicsTest;

TEST(NumberDigits, EdgesOfTheDigitRule) {
  // (ordinary digits are read off the screen in DigitNumberStepsLeftFromTheOnes)
  EXPECT_EQ(NumberDigit(12345, 6), 0);
  EXPECT_EQ(NumberDigit(7, 0), 0);
  EXPECT_EQ(NumberDigit(-907, 1), 7);
  EXPECT_EQ(NumberDigit(9223372036854775807LL, 19), 9);
  EXPECT_EQ(NumberDigit(9223372036854775807LL, 40), 0);
  EXPECT_EQ(NumberDigitCount(0), 1);
  EXPECT_EQ(NumberDigitCount(9), 1);
  EXPECT_EQ(NumberDigitCount(10), 2);
  EXPECT_EQ(NumberDigitCount(99999), 5);
  EXPECT_EQ(NumberDigitCount(-100), 3);
  EXPECT_EQ(NumberDigitCount(-9223372036854775807LL - 1), 19);
}

TEST(ComboStretch, RisesAndFallsWithinAHundredAndFiftyMs) {
  EXPECT_DOUBLE_EQ(ComboStretch(0), 1.0);
  EXPECT_NEAR(ComboStretch(75), 1.22, 1e-9);
  EXPECT_GT(ComboStretch(30), 1.0);
  EXPECT_LT(ComboStretch(30), 1.22);
  EXPECT_DOUBLE_EQ(ComboStretch(150), 1.0);
  EXPECT_DOUBLE_EQ(ComboStretch(1e9), 1.0);
  EXPECT_DOUBLE_EQ(ComboStretch(-5), 1.0);
  EXPECT_DOUBLE_EQ(ComboStretch(std::nan("")), 1.0);
}

class NumberDrawTest : public GraphicsTest {
 protected:
  void LoadDigits() {
    // Digit d is a 10 x 20 image of grey 20 + 20 d.
    for (int d = 0; d < 10; ++d) {
      uint32_t g = uint32_t(20 + 20 * d);
      digits_[d] = LoadTexture(gfxtest::WriteSolidPng("digit_" + std::to_string(d) + ".png", 10,
                                                      20, 0xFF000000u | g << 16 | g << 8 | g)
                                   .c_str());
      ASSERT_NE(digits_[d], -1);
    }
  }
  int DigitAt(int x, int y) { return (gfxtest::R(Pixel(x, y)) - 20) / 20; }
  TextureHandle digits_[10];
};

struct ComboCase {
  int combo;
  int digits;
  int x[5];  // centre x of digit k = 1 .. digits, with the combo centred on x = 300
};

class ComboDrawTest : public NumberDrawTest, public testing::WithParamInterface<ComboCase> {};

// The advance is combo_w (20) below 100, combo_over100_w (32) to 999 and combo_over1000_w (28)
// from 1000; an odd number of digits puts the middle one on x.
TEST_P(ComboDrawTest, DigitsLandAtTheirCentres) {
  const ComboCase& c = GetParam();
  LoadDigits();
  ComboNumberLayout layout;
  layout.x = 300;
  layout.y = 200;
  EXPECT_EQ(DrawComboNumber(digits_, layout, c.combo, 1000), c.digits);
  const std::string text = std::to_string(c.combo);
  for (int k = 1; k <= c.digits; ++k)
    EXPECT_EQ(DigitAt(c.x[k - 1], 200), text[text.size() - k] - '0') << "digit " << k;
  if (c.digits == 0) {
    EXPECT_EQ(CountChanged(0, 0, 640, 480, 0xFF000000), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Combo, ComboDrawTest,
    testing::Values(ComboCase{9, 0, {}}, ComboCase{10, 2, {310, 290}}, ComboCase{98, 2, {310, 290}},
                    ComboCase{100, 3, {332, 300, 268}}, ComboCase{987, 3, {332, 300, 268}},
                    ComboCase{1000, 4, {342, 314, 286, 258}}, ComboCase{9876, 4, {342, 314, 286, 258}},
                    ComboCase{10000, 5, {356, 328, 300, 272, 244}},
                    ComboCase{98765, 5, {356, 328, 300, 272, 244}}));

TEST_F(NumberDrawTest, StretchedComboKeepsItsBottomEdge) {
  LoadDigits();
  ComboNumberLayout layout;
  layout.x = 300;
  layout.y = 200;
  EXPECT_EQ(DrawComboNumber(digits_, layout, 47, 75), 2);  // factor 1.22: 24.4 tall
  int x0, y0, x1, y1;
  ASSERT_TRUE(ChangedBox(0xFF000000, &x0, &y0, &x1, &y1));
  EXPECT_NEAR(y1, 209, 1) << "bottom edge as unstretched (200 + 10 - 1)";
  EXPECT_NEAR(y0, 210 - 24.4, 1.0);
  EXPECT_EQ(DigitAt(310, 205), 7);
  EXPECT_EQ(DigitAt(290, 205), 4);
}

TEST_F(NumberDrawTest, DigitNumberStepsLeftFromTheOnes) {
  LoadDigits();
  EXPECT_EQ(DrawDigitNumber(digits_, 9051, 6, 500, 100, 12), 6);
  EXPECT_EQ(DigitAt(500, 100), 1);
  EXPECT_EQ(DigitAt(488, 100), 5);
  EXPECT_EQ(DigitAt(476, 100), 0);
  EXPECT_EQ(DigitAt(464, 100), 9);
  EXPECT_EQ(DigitAt(452, 100), 0) << "leading zeros when more digits are asked for";
  TextureHandle gaps[10];
  for (TextureHandle& h : gaps) h = -1;
  EXPECT_EQ(DrawDigitNumber(gaps, 42, 2, 100, 100, 10), 0);
}

}  // namespace
