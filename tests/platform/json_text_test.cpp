#include "platform/json_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace {

std::string Str(std::string_view s) {
  std::string out;
  platform::AppendJsonString(out, s);
  return out;
}

std::string Num(double v) {
  std::string out;
  platform::AppendJsonNumber(out, v);
  return out;
}

TEST(JsonText, StringsAndNumbers) {
  EXPECT_EQ(Str("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(Str("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
  EXPECT_EQ(Str(std::string_view("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(Str("太鼓"), "\"太鼓\"") << "UTF-8 passes through";
  // Numbers read back exactly; what is not finite is null.
  for (double v : {0.0, -0.0, 0.1, 1.0 / 3.0, 1e-300, 123456789.125, -2000.0}) {
    EXPECT_EQ(std::strtod(Num(v).c_str(), nullptr), v) << Num(v);
  }
  EXPECT_EQ(Num(250.0), "250");
  EXPECT_EQ(Num(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(Num(std::numeric_limits<double>::quiet_NaN()), "null");
}

}  // namespace
