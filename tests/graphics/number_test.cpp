// Digit numbers: the digit rule, the combo layout of the worked example, and drawing.
#include <cmath>
#include <string>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using gfxtest::GraphicsTest;

TEST(NumberDigits, TakenFromTheLeastSignificant) {
  EXPECT_EQ(NumberDigit(12345, 1), 5);
  EXPECT_EQ(NumberDigit(12345, 2), 4);
  EXPECT_EQ(NumberDigit(12345, 5), 1);
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

struct ComboCase {
  int combo;
  int digits;
  double x[5];  // centre x of digit k = 1 .. digits, with the default layout (x 55)
};

class ComboLayoutTest : public testing::TestWithParam<ComboCase> {};

TEST_P(ComboLayoutTest, DigitCentres) {
  const ComboCase& c = GetParam();
  ComboNumberLayout layout;  // combo_x 55, combo_w 20, over100 32, over1000 28
  ASSERT_EQ(ComboDigitCount(c.combo), c.digits);
  for (int k = 1; k <= c.digits; ++k)
    EXPECT_DOUBLE_EQ(ComboDigitX(layout, c.combo, k), c.x[k - 1]) << "digit " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Combo, ComboLayoutTest,
    testing::Values(ComboCase{9, 0, {}},
                    ComboCase{10, 2, {65, 45}},            // 55 + 20 x (0.5 - (k - 1))
                    ComboCase{99, 2, {65, 45}},
                    ComboCase{100, 3, {87, 55, 23}},       // 55 + 32 x (2 - k)
                    ComboCase{999, 3, {87, 55, 23}},
                    ComboCase{1000, 4, {97, 69, 41, 13}},  // 55 + 28 x (1.5 - (k - 1))
                    ComboCase{10000, 5, {111, 83, 55, 27, -1}},  // 55 + 28 x (2 - (k - 1))
                    ComboCase{99999, 5, {111, 83, 55, 27, -1}}));

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

TEST_F(NumberDrawTest, ComboDigitsLandAtTheirCentres) {
  LoadDigits();
  ComboNumberLayout layout;
  layout.x = 300;
  layout.y = 200;
  EXPECT_EQ(DrawComboNumber(digits_, layout, 123, 1000), 3);
  EXPECT_EQ(DigitAt(332, 200), 3);
  EXPECT_EQ(DigitAt(300, 200), 2);
  EXPECT_EQ(DigitAt(268, 200), 1);
  Clear(0xFF000000);
  EXPECT_EQ(DrawComboNumber(digits_, layout, 5, 0), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, 0xFF000000), 0);
}

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
