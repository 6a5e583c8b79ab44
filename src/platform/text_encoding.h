// Text is kept as the bytes read (Shift-JIS in charts and theme files). It is converted to
// UTF-8 only to be drawn or printed.
#pragma once
#include <string>
#include <string_view>

namespace platform {

bool IsValidUtf8(std::string_view bytes);
// Bytes that are valid UTF-8 come back unchanged; anything else is decoded as CP932, with
// bytes that don't decode replaced by U+FFFD.
std::string ToUtf8(std::string_view bytes);
// UTF-8 to CP932 bytes (characters without a CP932 form become '?').
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace platform
