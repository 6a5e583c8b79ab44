// The pieces of JSON our command-line tools print: strings escaped, doubles as the shortest text
// that reads back as the same value.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Appends utf8 as a quoted JSON string (control characters and DEL escaped).
void AppendJsonString(std::string& out, std::string_view utf8);
// Appends v as the shortest decimal text that reads back as the same double; null when v is not
// finite (JSON has no infinities).
void AppendJsonNumber(std::string& out, double v);

}  // namespace platform
