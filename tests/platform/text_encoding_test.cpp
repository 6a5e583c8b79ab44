#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, Utf8ValidityShiftJisAndReplacements) {
  EXPECT_TRUE(platform::IsValidUtf8("plain ascii"));
  EXPECT_TRUE(platform::IsValidUtf8("確認"));
  for (const char* broken : {"\x8a\x6d\x94\x46" /* Shift-JIS */, "\xc0\xaf" /* overlong '/' */,
                             "\xed\xa0\x80" /* surrogate */, "\xe3\x81" /* cut short */}) {
    EXPECT_FALSE(platform::IsValidUtf8(broken)) << broken;
  }
  EXPECT_EQ(platform::ToUtf8("\x8a\x6d\x94\x46"), "確認");
  EXPECT_EQ(platform::ToUtf8("\x90\xdd\x92\xe8"), "設定");
  EXPECT_EQ(platform::Utf8ToCp932("設定"), "\x90\xdd\x92\xe8");
  EXPECT_EQ(platform::ToUtf8("already 確認"), "already 確認");
  // Undecodable bytes become replacement characters, a lead byte at the end included.
  EXPECT_EQ(platform::ToUtf8("a\x80" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(platform::ToUtf8("ok\x8a"), "ok\xEF\xBF\xBD");
  EXPECT_EQ(platform::Utf8ToCp932("x\xF0\x9F\x98\x80y"), "x?y");
}

}  // namespace
