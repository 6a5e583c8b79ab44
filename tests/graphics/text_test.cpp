// Fonts and text: the font ring, face fallback, placement, vertical text, the cache and
// hostile text.
#include <cstring>
#include <string>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using gfxtest::GraphicsTest;

constexpr uint32_t kBlack = 0xFF000000;
// "ＭＳ ゴシック" in Shift-JIS, as a theme file written on Windows holds it.
const char kMsGothicSjis[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

class TextTest : public GraphicsTest {};

TEST_F(TextTest, UnknownAndWindowsFacesFallBackToAJapaneseFont) {
  for (const char* face : {"ＭＳ ゴシック", "メイリオ", kMsGothicSjis, "No Such Face 12345", ""}) {
    FontHandle f = CreateGameFont(face, 20);
    ASSERT_NE(f, -1) << face;
    Clear(kBlack);
    // "あ" in UTF-8 must show glyph pixels, not nothing.
    EXPECT_EQ(DrawTextCentered(320, 240, 0xFFFFFFFF, f, "%s", "あ"), 0);
    EXPECT_GT(CountChanged(300, 220, 340, 260, kBlack), 20) << face;
  }
}

TEST_F(TextTest, FontRingFreesTheOldestOnTheHundredthFont) {
  FontHandle first = CreateGameFont("IPAGothic", 12);
  ASSERT_EQ(first, kFontHandleBase);
  FontHandle last = -1;
  for (int i = 1; i < kFontSlotCount; ++i) {
    EXPECT_TRUE(IsValidFont(first)) << "still alive before font " << i + 1;
    last = CreateGameFont("IPAGothic", 12);
    ASSERT_EQ(last, kFontHandleBase + i);
  }
  EXPECT_EQ(FontCursor(), 0);
  EXPECT_FALSE(IsValidFont(first));
  EXPECT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, first, "gone"), -1);
  EXPECT_TRUE(IsValidFont(last));
  EXPECT_TRUE(IsValidFont(kFontHandleBase + 1));
  // The next font reuses slot 0 and frees slot 1.
  EXPECT_EQ(CreateGameFont("IPAGothic", 12), kFontHandleBase);
  EXPECT_FALSE(IsValidFont(kFontHandleBase + 1));
}

TEST_F(TextTest, FailedFontLeavesTheTableUnchanged) {
  FontHandle f = CreateGameFont("IPAGothic", 16);
  int cursor = FontCursor();
  EXPECT_EQ(CreateGameFont("IPAGothic", 0), -1);
  EXPECT_EQ(CreateGameFont("IPAGothic", -5), -1);
  EXPECT_EQ(CreateGameFont("IPAGothic", 100000), -1);
  EXPECT_EQ(CreateGameFont(nullptr, 16), -1);
  EXPECT_EQ(FontCursor(), cursor);
  EXPECT_TRUE(IsValidFont(f));
}

TEST_F(TextTest, InvalidFontHandlesDrawNothing) {
  CreateGameFont("IPAGothic", 16);
  for (int h : {-1, kFontHandleBase - 1, kFontHandleBase + 1, kFontHandleBase + 100, 0x20000000}) {
    EXPECT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, h, "x"), -1);
    EXPECT_EQ(DrawTextRight(10, 10, 0xFFFFFFFF, h, "x"), -1);
    EXPECT_EQ(DrawTextCentered(10, 10, 0xFFFFFFFF, h, "x"), -1);
    EXPECT_EQ(DrawTextVertical(h, 10, 10, 0xFFFFFFFF, "x"), -1);
  }
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
  ReleaseAllFonts();
  EXPECT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, kFontHandleBase, "x"), -1);
}

TEST_F(TextTest, LineHeightAndHorizontalPlacement) {
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  int w = 0, h = 0;
  ASSERT_EQ(MeasureText(f, "Song", &w, &h), 0);
  EXPECT_NEAR(h, 20, 1) << "the requested height";
  EXPECT_GT(w, 0);
  int x0, y0, x1, y1;
  EXPECT_EQ(DrawTextLeft(100, 200, 0xFFFFFFFF, f, "HHHH"), 0);
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  EXPECT_NEAR(x0, 100, 3);
  EXPECT_NEAR((y0 + y1) / 2.0, 200, 4) << "centred vertically on y";

  Clear(kBlack);
  EXPECT_EQ(DrawTextRight(400, 100, 0xFFFFFFFF, f, "HHHH"), 0);
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  EXPECT_NEAR(x1, 399, 3);
  EXPECT_NEAR((y0 + y1) / 2.0, 100, 4);

  Clear(kBlack);
  EXPECT_EQ(DrawTextCentered(320, 240, 0xFFFFFFFF, f, "%s", "HHHH"), 0);
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  EXPECT_NEAR((x0 + x1) / 2.0, 320, 3);
  EXPECT_NEAR((y0 + y1) / 2.0, 240, 4);
}

TEST_F(TextTest, ColourAppliesToTheGlyphs) {
  FontHandle f = CreateGameFont("IPAGothic", 32);
  EXPECT_EQ(DrawTextLeft(10, 100, 0xFFFF0000, f, "%s", "■"), 0);
  int x0, y0, x1, y1;
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  uint32_t p = Pixel((x0 + x1) / 2, (y0 + y1) / 2);
  EXPECT_RGB_NEAR(p, 255, 0, 0);
  Clear(kBlack);
  EXPECT_EQ(DrawTextLeft(10, 100, 0x00FFFFFF, f, "invisible"), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

struct VerticalCase {
  const char* name;
  std::string text;
  int lines;
};

class VerticalTextTest : public TextTest, public testing::WithParamInterface<VerticalCase> {};

TEST_P(VerticalTextTest, OneLinePerCharacter) {
  const VerticalCase& c = GetParam();
  EXPECT_EQ(CountVerticalTextLines(c.text.c_str()), c.lines);
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  EXPECT_EQ(DrawTextVertical(f, 320, 40, 0xFFFFFFFF, "%s", c.text.c_str()), 0);
  // Nothing is drawn below the last line.
  EXPECT_EQ(CountChanged(0, 40 + 20 * c.lines + 2, 640, 480, kBlack), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VerticalTextTest,
    testing::Values(
        VerticalCase{"Ascii", "ABC", 3},
        VerticalCase{"ShiftJisMixed", "A\x82\xa0\x82\xa2" "B", 4},        // A あ い B
        VerticalCase{"ShiftJisHighLead", "\xe0\x40x", 2},                  // lead 0xE0
        VerticalCase{"HalfWidthKana", "\xb1\xb2", 2},                      // ｱｲ: one byte each
        VerticalCase{"Utf8Mixed", "Aあい\xF0\x9F\x8E\xB5" "B", 5},         // A あ い 🎵 B
        VerticalCase{"LoneLeadAtEnd", "AB\x82", 3},
        VerticalCase{"InvalidBytes", "\xff\xfe\x80\x81", 4},              // ff, fe, 80, (81 alone)
        VerticalCase{"Empty", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, VerticalLinesStackAtTheFontHeight) {
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  EXPECT_EQ(DrawTextVertical(f, 200, 100, 0xFFFFFFFF, "I\x82\xa0I"), 0);
  // Three bands, each 20 pixels tall, each centred on x = 200.
  for (int line = 0; line < 3; ++line) {
    int top = 100 + 20 * line;
    EXPECT_GT(CountChanged(180, top, 220, top + 20, kBlack), 0) << "line " << line;
  }
  EXPECT_EQ(CountChanged(0, 0, 180, 480, kBlack), 0);
  EXPECT_EQ(CountChanged(221, 0, 640, 480, kBlack), 0);
}

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
  FontHandle g = CreateGameFont("ＭＳ ゴシック", 30);
  ASSERT_NE(g, -1);
  DrawTextLeft(10, 20, 0xFFFFFFFF, g, "Title %d", 7);
  EXPECT_EQ(TextCacheRasterCount() - before, 3);
}

// prefix followed by n copies of piece.
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
  EXPECT_EQ(std::strlen(buffer), GetParam().kept);
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
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 20);
  std::string longText(5000, 'W');
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", longText.c_str()), 0);
  EXPECT_EQ(DrawTextCentered(320, 200, 0xFFFFFFFF, f, longText.c_str(), 1, 2, 3), 0);
  std::string longJapanese;
  for (int i = 0; i < 2000; ++i) longJapanese += "あ";  // cut inside a character at 999 bytes
  EXPECT_EQ(DrawTextRight(600, 300, 0xFFFFFFFF, f, "%s", longJapanese.c_str()), 0);
  EXPECT_EQ(DrawTextVertical(f, 320, 0, 0xFFFFFFFF, "%s", longJapanese.c_str()), 0);
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", "\x82"), 0);
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", "\xff\xfe\xfd\x80\x81"), 0);
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", "line one\r\nline two"), 0);
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", ""), 0);
  EXPECT_EQ(DrawTextLeft(1e300, -1e300, 0xFFFFFFFF, f, "%s", "far away"), 0);
  EXPECT_EQ(DrawTextVertical(f, std::nan(""), 0, 0xFFFFFFFF, "%s", "nan"), 0);
  std::string manyLines;
  for (int i = 0; i < 400; ++i) manyLines += "WW\n";
  EXPECT_EQ(DrawTextLeft(0, 100, 0xFFFFFFFF, f, "%s", manyLines.c_str()), 0);
  FontHandle huge = CreateGameFont("IPAGothic", 400);
  ASSERT_NE(huge, -1);
  EXPECT_EQ(DrawTextLeft(0, 240, 0xFFFFFFFF, huge, "%s", longText.c_str()), 0);
  std::string wideLines = longText.substr(0, 300) + "\n" + longText.substr(0, 300) + "\n";
  EXPECT_EQ(DrawTextLeft(0, 240, 0xFFFFFFFF, huge, "%s", wideLines.c_str()), 0);
  EXPECT_EQ(DrawTextLeft(0, 240, 0xFFFFFFFF, huge, "%s", manyLines.c_str()), 0);
}

}  // namespace
