// Fonts and text. Fonts live in a ring of 100 slots (handle 0x30000000 + slot); creating a
// font always frees the slot after it, so at most 99 fonts live at once and the 100th
// creation frees the oldest. Face names are matched through fontconfig; faces that are not
// installed ("ＭＳ ゴシック", "メイリオ", ...) fall back to an installed Japanese font.
//
// Text is formatted printf-style into 1000 bytes (longer text is cut). The bytes are
// Shift-JIS unless they form valid UTF-8. Always pass user text (titles, genres) through a
// "%s" format: a title containing '%' is not a format. Rendered text is cached, so text that
// does not change is not rasterised again every frame.
#pragma once
#include <cstdint>

namespace graphics {

using FontHandle = int;

constexpr int kFontSlotCount = 100;
constexpr int kFontHandleBase = 0x30000000;
constexpr int kFontFaceSize = 260;
constexpr int kTextBufferSize = 1000;

// height: the character cell height in pixels (one line of text).
FontHandle CreateGameFont(const char* face, int height);
void ReleaseAllFonts();
// Empties the font table, resets the cursor and drops the text cache (start-up and tests).
void ResetFontTable();
bool IsValidFont(FontHandle handle);
int GetFontHeight(FontHandle handle);
int FontCursor();

#if defined(__GNUC__)
#define KB_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KB_PRINTF_FORMAT(fmt, args)
#endif

// Left edge at x, centred vertically on y.
int DrawTextLeft(double x, double y, uint32_t colour, FontHandle font, const char* format, ...)
    KB_PRINTF_FORMAT(5, 6);
// Right edge at x, centred vertically on y.
int DrawTextRight(double x, double y, uint32_t colour, FontHandle font, const char* format,
                  ...) KB_PRINTF_FORMAT(5, 6);
// Centred on (x, y).
int DrawTextCentered(double x, double y, uint32_t colour, FontHandle font, const char* format,
                     ...) KB_PRINTF_FORMAT(5, 6);
// One character per line downwards from y (line k's top at y + k x font height), each
// centred on x. A Shift-JIS lead byte (0x81-0x9F, 0xE0-0xEF) starts a two-byte character;
// UTF-8 text goes one code point per line.
int DrawTextVertical(FontHandle font, double x, double y, uint32_t colour, const char* format,
                     ...) KB_PRINTF_FORMAT(5, 6);

// The text as the drawing operations format it: at most 999 bytes, never ending in a
// character cut in two.
void FormatDrawText(char (&buffer)[kTextBufferSize], const char* format, ...)
    KB_PRINTF_FORMAT(2, 3);

// How many lines DrawTextVertical gives the text (bytes as drawn, after formatting).
int CountVerticalTextLines(const char* text);
// Width and height in pixels of the text as drawn with the font; -1 for an invalid font.
int MeasureText(FontHandle font, const char* text, int* width, int* height);

// Text cache statistics, for tests and benchmarks.
int TextCacheRasterCount();  // how many times text was rasterised since the last reset
// Font slots holding an open font: the trace's table use.
int CountFontsInUse();
void DropTextCache();

// Device loss: frees the fonts' renderer objects (the text cache) and re-opens every font
// that has a face name, in place.
void ReleaseDeviceFonts();
void RecoverFonts();

}  // namespace graphics
