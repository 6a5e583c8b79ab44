// Fonts (SDL2_ttf over faces found by fontconfig) and the four ways of drawing text.
//
// Rendered text is kept in a small cache of white textures keyed by font and bytes; the
// colour is applied when drawing, so a title drawn every frame is rasterised once.
#include "graphics/text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "graphics/texture_slot.h"
#include "platform/text_encoding.h"

namespace graphics {

namespace {

struct FontSlot {
  TTF_Font* font;
  int height;
  char face[kFontFaceSize];
  uint32_t generation;  // changes whenever the slot's font changes, so cached text goes stale
};

FontSlot g_fonts[kFontSlotCount];
int g_fontCursor = 0;
uint32_t g_nextGeneration = 1;

// Heights a text line can sensibly have on a 480-pixel screen (and a bit more).
constexpr int kMinFontHeight = 1;
constexpr int kMaxFontHeight = 512;
// Text wider than this is cut: it would be several screens wide and only cost memory.
constexpr int kMaxTextWidth = 4096;
constexpr int kMaxTextHeight = 8192;

// ---- face lookup ---------------------------------------------------------------------------

constexpr FcChar32 kHiraganaA = 0x3042;

struct ResolvedFace {
  std::string request;
  std::string file;
  int index = 0;
};
constexpr int kFaceCacheSize = 16;
ResolvedFace g_faceCache[kFaceCacheSize];
int g_faceCacheNext = 0;

bool CoversJapanese(FcPattern* font) {
  FcCharSet* charset = nullptr;
  return FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) == FcResultMatch &&
         FcCharSetHasChar(charset, kHiraganaA);
}

// The best installed font for a family (empty family: any), preferring Japanese coverage.
bool MatchFont(const std::string& family, std::string* file, int* index, bool needJapanese) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  if (!family.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  bool ok = false;
  FcChar8* path = nullptr;
  if ((!needJapanese || CoversJapanese(match)) &&
      FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    ok = true;
  }
  FcPatternDestroy(match);
  return ok;
}

// Face names come from theme files, in Shift-JIS or UTF-8. A face that is not installed
// ("ＭＳ ゴシック", "メイリオ", anything else) gives an installed Japanese font.
bool ResolveFace(const char* face, std::string* file, int* index) {
  std::string request = face;
  for (const ResolvedFace& r : g_faceCache)
    if (!r.file.empty() && r.request == request) {
      *file = r.file;
      *index = r.index;
      return true;
    }
  static bool fcReady = [] {
    if (FcInit() != FcTrue) return false;
    // fontconfig keeps its configuration until told to let go; do so when the game ends.
    std::atexit(FcFini);
    return true;
  }();
  if (!fcReady) return false;
  std::string family = platform::ToUtf8(request);
  bool found = MatchFont(family, file, index, true) || MatchFont("", file, index, true) ||
               MatchFont("IPAGothic", file, index, true) || MatchFont(family, file, index, false);
  if (!found) return false;
  ResolvedFace& slot = g_faceCache[g_faceCacheNext];
  g_faceCacheNext = (g_faceCacheNext + 1) % kFaceCacheSize;
  slot.request = request;
  slot.file = *file;
  slot.index = *index;
  return true;
}

// Opens the face so that one line of text is `height` pixels tall.
TTF_Font* OpenFont(const char* face, int height) {
  if (!face || height < kMinFontHeight || height > kMaxFontHeight) return nullptr;
  if (!TTF_WasInit() && TTF_Init() != 0) return nullptr;
  std::string file;
  int index = 0;
  if (!ResolveFace(face, &file, &index)) return nullptr;
  TTF_Font* font = TTF_OpenFontIndex(file.c_str(), height, index);
  if (!font) return nullptr;
  int points = height;
  for (int attempt = 0; attempt < 3; ++attempt) {
    int lineHeight = TTF_FontHeight(font);
    if (lineHeight <= 0 || lineHeight == height) break;
    int next = int(double(points) * height / lineHeight + 0.5);
    if (next < 1) next = 1;
    if (next == points) break;
    points = next;
    if (TTF_SetFontSize(font, points) != 0) break;
  }
  return font;
}

void CloseSlotFont(FontSlot& s) {
  if (s.font) TTF_CloseFont(s.font);
  s.font = nullptr;
  s.generation = 0;
}

// ---- text cache ----------------------------------------------------------------------------

struct CachedText {
  uint64_t hash;
  int fontSlot;
  uint32_t generation;
  std::string bytes;
  SDL_Texture* texture;
  int width;
  int height;
  uint64_t lastUse;
};

constexpr int kTextCacheSize = 512;
CachedText g_textCache[kTextCacheSize];
uint64_t g_useCounter = 0;
int g_rasterCount = 0;

uint64_t HashText(int fontSlot, uint32_t generation, std::string_view bytes) {
  uint64_t h = 1469598103934665603ull ^ (uint64_t(fontSlot) << 32 | generation);
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

void FreeCachedText(CachedText& e) {
  DestroyTextureOnDrawThread(e.texture);
  e.texture = nullptr;
  e.bytes.clear();
  e.hash = 0;
  e.fontSlot = -1;
  e.generation = 0;
}

// Cuts UTF-8 so that it is at most maxWidth pixels wide with the font (whole characters).
void CutToWidth(TTF_Font* font, std::string& utf8, int maxWidth) {
  int extent = 0, count = 0;
  if (TTF_MeasureUTF8(font, utf8.c_str(), maxWidth, &extent, &count) != 0) return;
  size_t pos = 0;
  for (int n = 0; n < count && pos < utf8.size(); ++n) {
    ++pos;
    while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80) ++pos;
  }
  if (pos < utf8.size()) utf8.resize(pos);
}

// Rasterises the text (bytes as drawn) in white. nullptr when there is nothing to show.
CachedText* RenderText(int fontSlot, std::string_view bytes) {
  FontSlot& fs = g_fonts[fontSlot];
  uint64_t hash = HashText(fontSlot, fs.generation, bytes);
  CachedText* oldest = &g_textCache[0];
  for (CachedText& e : g_textCache) {
    if (e.texture && e.hash == hash && e.fontSlot == fontSlot && e.generation == fs.generation &&
        e.bytes == bytes) {
      e.lastUse = ++g_useCounter;
      return &e;
    }
    if (!e.texture) {
      if (oldest->texture) oldest = &e;
    } else if (oldest->texture && e.lastUse < oldest->lastUse) {
      oldest = &e;
    }
  }

  std::string utf8 = platform::ToUtf8(bytes);
  std::string clean;
  clean.reserve(utf8.size());
  for (char c : utf8)
    if (c != '\r') clean.push_back(c);
  if (clean.empty()) return nullptr;
  bool multiline = clean.find('\n') != std::string::npos;
  if (multiline) {
    // Every line is cut to the width limit, and lines beyond the height limit are dropped.
    int lineSkip = TTF_FontLineSkip(fs.font);
    int maxLines = lineSkip > 0 ? kMaxTextHeight / lineSkip : 1;
    if (maxLines < 1) maxLines = 1;
    std::string kept;
    size_t start = 0;
    for (int line = 0; line < maxLines && start <= clean.size(); ++line) {
      size_t end = clean.find('\n', start);
      std::string piece = clean.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!piece.empty()) CutToWidth(fs.font, piece, kMaxTextWidth);
      if (line > 0) kept.push_back('\n');
      kept += piece;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    clean.swap(kept);
  } else {
    CutToWidth(fs.font, clean, kMaxTextWidth);
  }
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* surface = multiline
                             ? TTF_RenderUTF8_Blended_Wrapped(fs.font, clean.c_str(), white, 0)
                             : TTF_RenderUTF8_Blended(fs.font, clean.c_str(), white);
  if (!surface) return nullptr;
  ++g_rasterCount;
  SDL_Texture* texture = nullptr;
  if (surface->w <= kMaxTextWidth && surface->h <= kMaxTextHeight)
    texture = SDL_CreateTextureFromSurface(GraphicsRenderer(), surface);
  int w = surface->w, h = surface->h;
  SDL_FreeSurface(surface);
  if (!texture) return nullptr;
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);

  FreeCachedText(*oldest);
  oldest->hash = hash;
  oldest->fontSlot = fontSlot;
  oldest->generation = fs.generation;
  oldest->bytes.assign(bytes.data(), bytes.size());
  oldest->texture = texture;
  oldest->width = w;
  oldest->height = h;
  oldest->lastUse = ++g_useCounter;
  return oldest;
}

// ---- drawing -------------------------------------------------------------------------------

enum class Align { Left, Right, Centre, VerticalLine };

FontSlot* FindFont(FontHandle handle) {
  int64_t index = int64_t(handle) - kFontHandleBase;
  if (index < 0 || index >= kFontSlotCount) return nullptr;
  FontSlot& s = g_fonts[index];
  return s.font ? &s : nullptr;
}

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF); }

// Formats into the 1000-byte text buffer. Text cut at the end of the buffer loses a
// character split by the cut, so that cut UTF-8 stays UTF-8 and cut Shift-JIS does not end
// in a lone lead byte.
void FormatText(char (&buffer)[kTextBufferSize], const char* format, va_list args) {
  buffer[0] = '\0';
  if (!format) return;
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) {
    buffer[0] = '\0';
    return;
  }
  if (n < kTextBufferSize) return;
  const size_t length = std::strlen(buffer);
  auto byte = [&](size_t i) { return static_cast<unsigned char>(buffer[i]); };

  size_t back = length;
  int continuation = 0;
  while (back > 0 && continuation < 3 && (byte(back - 1) & 0xC0) == 0x80) {
    --back;
    ++continuation;
  }
  if (back > 0 && (byte(back - 1) & 0xC0) == 0xC0) {
    unsigned char lead = byte(back - 1);
    int expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    size_t cut = back - 1;
    if (continuation + 1 < expected && platform::IsValidUtf8(std::string_view(buffer, cut))) {
      buffer[cut] = '\0';
      return;
    }
  }
  if (platform::IsValidUtf8(std::string_view(buffer, length))) return;
  size_t pos = 0;
  while (pos < length) {
    if (IsShiftJisLead(byte(pos))) {
      if (pos + 1 == length) {
        buffer[pos] = '\0';
        return;
      }
      pos += 2;
    } else {
      ++pos;
    }
  }
}

// Draws one piece of text. rectLeft/rectRight/rectTop/rectBottom are the truncated rectangle.
int DrawPiece(FontSlot& fs, int fontSlot, std::string_view bytes, uint32_t colour, Align align,
              int a, int b) {
  if (bytes.empty() || (colour >> 24) == 0) return 0;
  CachedText* text = RenderText(fontSlot, bytes);
  if (!text) return 0;
  (void)fs;
  int left = 0, top = 0;
  switch (align) {
    case Align::Left:  // a = x, b = 2y
      left = a;
      top = (b - text->height) / 2;
      break;
    case Align::Right:  // a = x, b = 2y
      left = a - text->width;
      top = (b - text->height) / 2;
      break;
    case Align::Centre:  // a = 2x, b = 2y
      left = (a - text->width) / 2;
      top = (b - text->height) / 2;
      break;
    case Align::VerticalLine:  // a = 2x, b = top of the line
      left = (a - text->width) / 2;
      top = b;
      break;
  }
  SDL_SetTextureColorMod(text->texture, uint8_t(colour >> 16), uint8_t(colour >> 8),
                         uint8_t(colour));
  SDL_SetTextureAlphaMod(text->texture, uint8_t(colour >> 24));
  SDL_Rect dst{left, top, text->width, text->height};
  SDL_RenderCopy(GraphicsRenderer(), text->texture, nullptr, &dst);
  return 0;
}

// Truncates a screen coordinate; values far off screen are pinned so the integer
// arithmetic of placement never overflows.
int ScreenInt(double v) {
  if (!(v > -1.0e6)) return -1000000;
  if (v > 1.0e6) return 1000000;
  return int(v);
}

int DrawTextCommon(FontHandle font, double x, double y, uint32_t colour, Align align,
                   const char* format, va_list args) {
  FontSlot* fs = FindFont(font);
  if (!fs) return -1;
  if (!GraphicsRenderer() || !GraphicsOnDrawThread()) return -1;
  char buffer[kTextBufferSize];
  FormatText(buffer, format, args);
  int slot = int(fs - g_fonts);
  std::string_view text(buffer);
  switch (align) {
    case Align::Left:
    case Align::Right:
      return DrawPiece(*fs, slot, text, colour, align, ScreenInt(x), ScreenInt(2 * y));
    case Align::Centre:
      return DrawPiece(*fs, slot, text, colour, align, ScreenInt(2 * x), ScreenInt(2 * y));
    case Align::VerticalLine:
      break;
  }
  bool utf8 = platform::IsValidUtf8(text);
  size_t pos = 0;
  for (int line = 0; pos < text.size(); ++line) {
    size_t length = 1;
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (utf8) {
      while (pos + length < text.size() &&
             (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80)
        ++length;
    } else if (IsShiftJisLead(lead)) {
      // A lead byte at the very end pairs with the terminator: it is drawn alone.
      if (pos + 1 < text.size()) length = 2;
    }
    DrawPiece(*fs, slot, text.substr(pos, length), colour, Align::VerticalLine, ScreenInt(2 * x),
              ScreenInt(y + double(line) * fs->height));
    pos += length;
  }
  return 0;
}

}  // namespace

FontHandle CreateGameFont(const char* face, int height) {
  if (!face) return -1;
  TTF_Font* font = OpenFont(face, height);
  if (!font) return -1;
  FontSlot& s = g_fonts[g_fontCursor];
  CloseSlotFont(s);
  s.font = font;
  s.height = height;
  std::snprintf(s.face, sizeof s.face, "%s", face);
  s.generation = g_nextGeneration++;
  int slot = g_fontCursor;
  g_fontCursor = (g_fontCursor + 1) % kFontSlotCount;
  // The ring keeps the next slot free: the oldest font goes now.
  FontSlot& next = g_fonts[g_fontCursor];
  CloseSlotFont(next);
  next.height = 0;
  next.face[0] = '\0';
  return kFontHandleBase + slot;
}

void ReleaseAllFonts() {
  for (FontSlot& s : g_fonts) {
    CloseSlotFont(s);
    s.height = 0;
    s.face[0] = '\0';
  }
  DropTextCache();
}

void ResetFontTable() {
  ReleaseAllFonts();
  g_fontCursor = 0;
  g_rasterCount = 0;
}

bool IsValidFont(FontHandle handle) { return FindFont(handle) != nullptr; }

int GetFontHeight(FontHandle handle) {
  FontSlot* s = FindFont(handle);
  return s ? s->height : -1;
}

int FontCursor() { return g_fontCursor; }

int DrawTextLeft(double x, double y, uint32_t colour, FontHandle font, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int r = DrawTextCommon(font, x, y, colour, Align::Left, format, args);
  va_end(args);
  return r;
}

int DrawTextRight(double x, double y, uint32_t colour, FontHandle font, const char* format,
                  ...) {
  va_list args;
  va_start(args, format);
  int r = DrawTextCommon(font, x, y, colour, Align::Right, format, args);
  va_end(args);
  return r;
}

int DrawTextCentered(double x, double y, uint32_t colour, FontHandle font, const char* format,
                     ...) {
  va_list args;
  va_start(args, format);
  int r = DrawTextCommon(font, x, y, colour, Align::Centre, format, args);
  va_end(args);
  return r;
}

int DrawTextVertical(FontHandle font, double x, double y, uint32_t colour, const char* format,
                     ...) {
  va_list args;
  va_start(args, format);
  int r = DrawTextCommon(font, x, y, colour, Align::VerticalLine, format, args);
  va_end(args);
  return r;
}

int CountVerticalTextLines(const char* text) {
  if (!text) return 0;
  std::string_view bytes(text);
  bool utf8 = platform::IsValidUtf8(bytes);
  int lines = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[pos]);
    size_t length = 1;
    if (utf8) {
      while (pos + length < bytes.size() &&
             (static_cast<unsigned char>(bytes[pos + length]) & 0xC0) == 0x80)
        ++length;
    } else if (IsShiftJisLead(lead) &&
               pos + 1 < bytes.size()) {
      length = 2;
    }
    pos += length;
    ++lines;
  }
  return lines;
}

int MeasureText(FontHandle font, const char* text, int* width, int* height) {
  FontSlot* fs = FindFont(font);
  if (!fs || !text) return -1;
  std::string utf8 = platform::ToUtf8(text);
  int w = 0, h = 0;
  if (!utf8.empty() && TTF_SizeUTF8(fs->font, utf8.c_str(), &w, &h) != 0) return -1;
  if (utf8.empty()) h = TTF_FontHeight(fs->font);
  if (width) *width = w;
  if (height) *height = h;
  return 0;
}

void FormatDrawText(char (&buffer)[kTextBufferSize], const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatText(buffer, format, args);
  va_end(args);
}

int TextCacheRasterCount() { return g_rasterCount; }

int CountFontsInUse() {
  int n = 0;
  for (const FontSlot& s : g_fonts) n += s.font != nullptr ? 1 : 0;
  return n;
}

void DropTextCache() {
  for (CachedText& e : g_textCache) FreeCachedText(e);
}

void ReleaseDeviceFonts() {
  DropTextCache();
  for (FontSlot& s : g_fonts) CloseSlotFont(s);
}

void RecoverFonts() {
  for (FontSlot& s : g_fonts) {
    if (s.font || s.face[0] == '\0') continue;
    s.font = OpenFont(s.face, s.height);
    if (s.font) s.generation = g_nextGeneration++;
  }
}

}  // namespace graphics
