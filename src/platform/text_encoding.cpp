#include "platform/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace platform {

namespace {

// iconv descriptors are not thread-safe: one per thread and direction, kept for the thread's
// life (opening one costs far more than a short conversion).
struct Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  Converter(const char* to, const char* from) { cd = iconv_open(to, from); }
  ~Converter() {
    if (Valid()) iconv_close(cd);
  }
  bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

Converter& FromCp932() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}
Converter& ToCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

constexpr const char kReplacementUtf8[] = "\xEF\xBF\xBD";

// Converts all of `input`, appending to *out. Where iconv stops at a sequence it cannot
// convert, `replace(rest, out)` appends a stand-in and returns how many bytes of `rest` to
// step over (at least one is, so the loop always ends).
template <typename Replace>
void ConvertAll(Converter& conv, std::string_view input, std::string* out, Replace replace) {
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buf[1024];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(conv.cd, &in, &inLeft, &o, &oLeft);
    out->append(buf, static_cast<size_t>(o - buf));
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    size_t skip = std::clamp<size_t>(replace(std::string_view(in, inLeft), out), 1, inLeft);
    in += skip;
    inLeft -= skip;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  }
}

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t c = b(i);
  if (c < 0x80) return 1;
  size_t n;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if (n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
  if (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
  return n;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    size_t n = Utf8SequenceLength(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string ToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  Converter& conv = FromCp932();
  std::string out;
  if (!conv.Valid()) {
    // No CP932 table in this C library: keep ASCII, mark the rest.
    for (char c : bytes) {
      if (static_cast<uint8_t>(c) < 0x80) out += c;
      else out += kReplacementUtf8;
    }
    return out;
  }
  out.reserve(bytes.size() * 3 / 2 + 8);
  ConvertAll(conv, bytes, &out, [](std::string_view, std::string* o) {
    // A byte that doesn't start a CP932 character (or a lead byte at the very end).
    *o += kReplacementUtf8;
    return size_t{1};
  });
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  Converter& conv = ToCp932();
  std::string out;
  if (!conv.Valid()) {
    for (char c : utf8) out += static_cast<uint8_t>(c) < 0x80 ? c : '?';
    return out;
  }
  out.reserve(utf8.size());
  ConvertAll(conv, utf8, &out, [](std::string_view rest, std::string* o) {
    // A character without a CP932 form, or a broken UTF-8 sequence: one '?' for it.
    *o += '?';
    return Utf8SequenceLength(rest, 0);
  });
  return out;
}

}  // namespace platform
