// Digit numbers: the digit rule at its edges, the combo layout and its stretch, drawn.
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;

TEST(NumberDigits, EdgesOfTheDigitRuleAndTheStretch) {
  // (ordinary digits, leading zeros and the stretch at its height are read off the screen below)
  const long long most = 9223372036854775807LL;
  EXPECT_EQ(std::vector<int>({NumberDigit(-907, 1), NumberDigit(most, 19), NumberDigit(most, 40), NumberDigitCount(0),
                              NumberDigitCount(-100), NumberDigitCount(-most - 1)}),
            std::vector<int>({7, 9, 0, 1, 3, 19}));
  // The combo stretch is back to 1 at 150 ms (and for nonsense).
  for (double ms : {0.0, 150.0, 1e9, -5.0, std::nan("")}) EXPECT_DOUBLE_EQ(ComboStretch(ms), 1.0) << ms;
}

class NumberDrawTest : public gfxtest::GraphicsTest {
 protected:
  // Digit d is a 10 x 20 image of grey 20 + 20 d.
  void SetUp() override {
    GraphicsTest::SetUp();
    for (int d = 0; d < 10; ++d)
      digits_[d] = Solid("digit_" + std::to_string(d) + ".png", 10, 20, 0xFF000000u | 0x010101u * uint32_t(20 + 20 * d));
  }
  int DigitAt(int x, int y) { return (gfxtest::R(Pixel(x, y)) - 20) / 20; }
  TextureHandle digits_[10];
};

struct ComboCase {
  int combo, digits;
  int x[5];  // centre x of digit k = 1 .. digits, with the combo centred on x = 300
};
class ComboDrawTest : public NumberDrawTest, public testing::WithParamInterface<ComboCase> {};

// The advance is combo_w (20) below 100, combo_over100_w (32) to 999 and combo_over1000_w (28)
// from 1000; an odd number of digits puts the middle one on x. Below 10 nothing is drawn.
TEST_P(ComboDrawTest, DigitsLandAtTheirCentres) {
  const ComboCase& c = GetParam();
  ComboNumberLayout layout;
  layout.x = 300;
  layout.y = 200;
  EXPECT_EQ(DrawComboNumber(digits_, layout, c.combo, 1000), c.digits);
  const std::string text = std::to_string(c.combo);
  for (int k = 1; k <= c.digits; ++k)
    EXPECT_EQ(DigitAt(c.x[k - 1], 200), text[text.size() - k] - '0') << "digit " << k;
  EXPECT_EQ(CountChanged(0, 0, 640, 480) == 0, c.digits == 0);
}

INSTANTIATE_TEST_SUITE_P(Combo, ComboDrawTest,
                         testing::Values(ComboCase{9, 0, {}}, ComboCase{10, 2, {310, 290}}, ComboCase{99, 2, {310, 290}},
                                         ComboCase{100, 3, {332, 300, 268}}, ComboCase{999, 3, {332, 300, 268}},
                                         ComboCase{1000, 4, {342, 314, 286, 258}},
                                         ComboCase{98765, 5, {356, 328, 300, 272, 244}}));

TEST_F(NumberDrawTest, StretchedComboKeepsItsBottomEdge) {
  ComboNumberLayout layout;
  layout.x = 300;
  layout.y = 200;
  EXPECT_EQ(DrawComboNumber(digits_, layout, 47, 75), 2);  // factor 1.22: 24.4 tall
  gfxtest::Box b = Changed();
  EXPECT_NEAR(b[3], 209, 1) << "bottom edge as unstretched (200 + 10 - 1)";
  EXPECT_NEAR(b[1], 210 - 24.4, 1.0);
  EXPECT_EQ(DigitAt(290, 205) * 10 + DigitAt(310, 205), 47);
}

TEST_F(NumberDrawTest, DigitNumberStepsLeftFromTheOnesWithLeadingZeros) {
  EXPECT_EQ(DrawDigitNumber(digits_, 9051, 6, 500, 100, 12), 6);
  std::string shown;
  for (int x = 452; x <= 500; x += 12) shown += char('0' + DigitAt(x, 100));
  EXPECT_EQ(shown, "09051");
  TextureHandle gaps[10];
  for (TextureHandle& h : gaps) h = -1;
  EXPECT_EQ(DrawDigitNumber(gaps, 42, 2, 100, 100, 10), 0);
}

}  // namespace
