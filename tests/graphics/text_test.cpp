// Fonts and text: the font ring, face fallback, placement, vertical text, the cache and
// hostile text.
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using TextTest = gfxtest::GraphicsTest;

TEST_F(TextTest, UnknownAndWindowsFacesFallBackToAJapaneseFont) {
  // "ＭＳ ゴシック" in Shift-JIS, as a theme file written on Windows holds it, among others.
  for (const char* face : {"ＭＳ ゴシック", "メイリオ", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e",
                           "No Such Face 12345", ""}) {
    FontHandle f = CreateGameFont(face, 20);
    ASSERT_NE(f, -1) << face;
    Clear(0xFF000000);
    // "あ" in UTF-8 must show glyph pixels, not nothing.
    EXPECT_EQ(DrawTextCentered(320, 240, 0xFFFFFFFF, f, "%s", "あ"), 0);
    EXPECT_GT(CountChanged(300, 220, 340, 260), 20) << face;
  }
}

TEST_F(TextTest, FontRingFreesTheOldestOnTheHundredthFontAndFailuresChangeNothing) {
  FontHandle first = CreateGameFont("IPAGothic", 12);
  ASSERT_EQ(first, kFontHandleBase);
  for (int size : {0, -5, 100000}) EXPECT_EQ(CreateGameFont("IPAGothic", size), -1);
  EXPECT_EQ(CreateGameFont(nullptr, 16), -1);
  for (int i = 1; i < kFontSlotCount; ++i) {
    EXPECT_TRUE(IsValidFont(first)) << "still alive before font " << i + 1;
    ASSERT_EQ(CreateGameFont("IPAGothic", 12), kFontHandleBase + i);
  }
  EXPECT_FALSE(IsValidFont(first));
  EXPECT_TRUE(IsValidFont(kFontHandleBase + kFontSlotCount - 1));
  // The next font reuses slot 0 and frees slot 1.
  EXPECT_EQ(CreateGameFont("IPAGothic", 12), kFontHandleBase);
  EXPECT_FALSE(IsValidFont(kFontHandleBase + 1));
}

TEST_F(TextTest, InvalidFontHandlesDrawNothing) {
  CreateGameFont("IPAGothic", 16);
  for (int h : {-1, kFontHandleBase - 1, kFontHandleBase + 1, kFontHandleBase + 100, 0x20000000})
    EXPECT_EQ(std::vector<int>({DrawTextLeft(10, 10, 0xFFFFFFFF, h, "x"), DrawTextRight(10, 10, 0xFFFFFFFF, h, "x"),
                                DrawTextCentered(10, 10, 0xFFFFFFFF, h, "x"), DrawTextVertical(h, 10, 10, 0xFFFFFFFF, "x")}),
              std::vector<int>(4, -1)) << h;
  EXPECT_EQ(CountChanged(0, 0, 640, 480), 0);
  ReleaseAllFonts();
  EXPECT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, kFontHandleBase, "x"), -1);
}

TEST_F(TextTest, PlacementHeightAndColour) {
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  int w = 0, h = 0;
  ASSERT_EQ(MeasureText(f, "Song", &w, &h), 0);
  EXPECT_NEAR(h, 20, 1) << "the requested height";
  EXPECT_GT(w, 0);
  // Left, right and centred on x (the box's left, right or middle); centred vertically on y.
  using Draw = int (*)(double, double, uint32_t, FontHandle, const char*, ...);
  for (auto [draw, x, side] : {std::tuple<Draw, double, char>{DrawTextLeft, 100, 'L'}, {DrawTextRight, 400, 'R'},
                               {DrawTextCentered, 320, 'C'}}) {
    Clear(0xFF000000);
    EXPECT_EQ(draw(x, 200, 0xFFFFFFFF, f, "HHHH"), 0);
    gfxtest::Box b = Changed();
    EXPECT_NEAR(side == 'L' ? b[0] : side == 'R' ? b[2] + 1 : (b[0] + b[2]) / 2.0, x, 3) << side;
    EXPECT_NEAR((b[1] + b[3]) / 2.0, 200, 4) << side;
  }
  // The colour applies to the glyphs; an invisible colour draws nothing.
  Clear(0xFF000000);
  EXPECT_EQ(DrawTextLeft(10, 100, 0xFFFF0000, CreateGameFont("IPAGothic", 32), "%s", "■"), 0);
  gfxtest::Box b = Changed();
  EXPECT_RGB_NEAR(Pixel((b[0] + b[2]) / 2, (b[1] + b[3]) / 2), 255, 0, 0);
  Clear(0xFF000000);
  EXPECT_EQ(DrawTextLeft(10, 100, 0x00FFFFFF, f, "invisible"), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480), 0);
}

struct VerticalCase {
  const char* name;
  std::string text;
  int lines;
};
class VerticalTextTest : public TextTest, public testing::WithParamInterface<VerticalCase> {};

// One line per character, each the font's height, centred on x; nothing below the last.
TEST_P(VerticalTextTest, OneLinePerCharacter) {
  const VerticalCase& c = GetParam();
  EXPECT_EQ(CountVerticalTextLines(c.text.c_str()), c.lines);
  EXPECT_EQ(DrawTextVertical(CreateGameFont("ＭＳ ゴシック", 20), 320, 40, 0xFFFFFFFF, "%s", c.text.c_str()), 0);
  EXPECT_EQ(CountChanged(0, 40 + 20 * c.lines + 2, 640, 480), 0);
  EXPECT_EQ(CountChanged(0, 0, 300, 480) + CountChanged(341, 0, 640, 480), 0);
  for (int line = 0; c.text == "I\x82\xa0I" && line < 3; ++line) EXPECT_GT(CountChanged(300, 40 + 20 * line, 340, 60 + 20 * line), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VerticalTextTest,
    testing::Values(VerticalCase{"Ascii", "ABC", 3},
                    VerticalCase{"ShiftJisBands", "I\x82\xa0I", 3},                // I あ I
                    VerticalCase{"ShiftJisMixed", "A\x82\xa0\x82\xa2" "B", 4},     // A あ い B
                    VerticalCase{"ShiftJisHighLead", "\xe0\x40x", 2},               // lead 0xE0
                    VerticalCase{"HalfWidthKana", "\xb1\xb2", 2},                   // ｱｲ: one byte each
                    VerticalCase{"Utf8Mixed", "Aあい\xF0\x9F\x8E\xB5" "B", 5},      // A あ い 🎵 B
                    VerticalCase{"LoneLeadAtEnd", "AB\x82", 3},
                    VerticalCase{"InvalidBytes", "\xff\xfe\x80\x81", 4},           // ff, fe, 80, (81 alone)
                    VerticalCase{"Empty", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, SameTextEveryFrameIsRasterisedOnce) {
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  int before = TextCacheRasterCount();
  for (int frame = 0; frame < 50; ++frame) {
    DrawTextLeft(10, 20, 0xFFFFFFFF, f, "Title %d", 7);
    DrawTextRight(600, 20, 0xFF00FF00, f, "Title %d", 7);  // other colour, same picture
  }
  EXPECT_EQ(TextCacheRasterCount() - before, 1);
  DrawTextLeft(10, 60, 0xFFFFFFFF, f, "Title %d", 8);
  EXPECT_EQ(TextCacheRasterCount() - before, 2);
  // A new font in the same slot never shows the old font's pictures.
  ReleaseAllFonts();
  DrawTextLeft(10, 20, 0xFFFFFFFF, CreateGameFont("ＭＳ ゴシック", 30), "Title %d", 7);
  EXPECT_EQ(TextCacheRasterCount() - before, 3);
}

std::string Repeat(const std::string& piece, int n, const char* prefix = "") {
  std::string s = prefix;
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

struct CutCase {
  const char* name;
  std::string text;
  size_t kept;
};
class TextCutTest : public testing::TestWithParam<CutCase> {};

TEST_P(TextCutTest, LongTextIsCutOnACharacterBoundary) {
  char buffer[kTextBufferSize];
  FormatDrawText(buffer, "%s", GetParam().text.c_str());
  EXPECT_EQ(std::string(buffer), GetParam().text.substr(0, GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextCutTest,
    testing::Values(CutCase{"Short", "Don", 3}, CutCase{"Ascii", std::string(5000, 'a'), 999},
                    CutCase{"Utf8EndsWhole", Repeat("あ", 400), 999},
                    CutCase{"Utf8SplitLast", Repeat("あ", 400, "a"), 997},
                    CutCase{"Utf8FourByte", Repeat("\xF0\x9F\x8E\xB5", 300, "ab"), 998},
                    CutCase{"ShiftJisEndsWhole", Repeat("\x82\xa0", 600, "A"), 999},
                    CutCase{"ShiftJisLoneLead", Repeat("\x82\xa0", 600), 998},
                    CutCase{"ShiftJisHalfWidthKana", Repeat("\xb1", 1200), 999}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, HostileTextDoesNotCrash) {
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20), huge = CreateGameFont("IPAGothic", 400);
  const std::string longText(5000, 'W'), longJapanese = Repeat("あ", 2000), manyLines = Repeat("WW\n", 400);
  EXPECT_EQ(std::vector<int>({DrawTextCentered(320, 200, 0xFFFFFFFF, f, longText.c_str(), 1, 2, 3),
                              DrawTextRight(600, 300, 0xFFFFFFFF, f, "%s", longJapanese.c_str()),
                              DrawTextVertical(f, 320, 0, 0xFFFFFFFF, "%s", longJapanese.c_str()),
                              DrawTextVertical(f, std::nan(""), 0, 0xFFFFFFFF, "%s", "nan"),
                              DrawTextLeft(1e300, -1e300, 0xFFFFFFFF, f, "%s", "far away")}),
            std::vector<int>(5, 0));
  for (const std::string& text : {std::string("\x82"), std::string("\xff\xfe\xfd\x80\x81"), std::string("a\r\nb"),
                                  std::string(), manyLines, longText, longText.substr(0, 300) + "\n" + longText.substr(0, 300)})
    EXPECT_EQ(std::pair(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", text.c_str()),
                        DrawTextLeft(0, 240, 0xFFFFFFFF, huge, "%s", text.c_str())), std::pair(0, 0));
}

}  // namespace
