#include "platform/ini.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/files.h"
#include "support/temp_folder.h"

namespace {

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }
  std::string Read(const char* section, const char* key, const char* def = "DEF") {
    char buf[256];
    platform::IniReadString(section, key, def, buf, sizeof buf, path_.c_str());
    return buf;
  }
  std::string dir_ = testsupport::MakeTempFolder("ini"), path_ = dir_ + "/test.ini";
};

TEST_F(IniTest, ReadsLikeThePrivateProfileFunctions) {
  // File, section, key, value read.
  const std::tuple<std::string, const char*, const char*, const char*> rows[] = {
      {"[a]\nk=v\n", "a", "k", "v"},
      {"[a]\r\nk=v\r\n", "a", "k", "v"},
      {"[a]\r\nk=last", "a", "k", "last"},  // no final newline
      {"[Sec]\nk=v\n", "sEC", "k", "v"},
      {"[a]\nWindowSize=800\n", "a", "windowsize", "800"},
      {"[a]\n  k \t=  two words \t\n", "a", "k", "two words"},
      {"[a]\nk=\" spaced \"\n", "a", "k", " spaced "},
      {"[a]\nk=\"open\n", "a", "k", "\"open"},
      {"[a]\nk=first\nk=second\n", "a", "k", "first"},
      {"[b]\nk=no\n[a]\nj=1\n", "a", "k", "DEF"},
      {"k=v\n", "a", "k", "DEF"},
      {"[a]\nk=\n", "a", "k", ""},
      {"[a]\nk=x=y\n", "a", "k", "x=y"},
      {"[\x90\xdd\x92\xe8]\r\nSkin=Mine\r\n", "\x90\xdd\x92\xe8", "Skin", "Mine"},
      {"\x01\xff\xfe junk\n[a]\n\x80\x81=\x82\nk=v\n\x7f\x00zz", "a", "k", "v"},
      {"[ a ]\nk=v\n", "a", "k", "v"}};
  for (const auto& [file, section, key, value] : rows) {
    testsupport::WriteFile(path_, file);
    EXPECT_EQ(Read(section, key), value) << file;
  }
  // An overlong value is cut to the buffer.
  testsupport::WriteFile(path_, "[a]\nk=" + std::string(5000, 'x') + "\n");
  char buf[10];
  EXPECT_EQ(platform::IniReadString("a", "k", "", buf, sizeof buf, path_.c_str()), 9);
  EXPECT_EQ(std::string(buf), std::string(9, 'x'));
}

TEST_F(IniTest, IntegerReadTakesLeadingDigitsOnlyAndSaturates) {
  EXPECT_EQ(Read("a", "k", "fallback"), "fallback");  // no file at all
  testsupport::WriteFile(path_, "[a]\nsize=800px\nneg= -5\nword=abc\nempty=\n");
  auto readInt = [this](const char* key) { return platform::IniReadInt("a", key, 7, path_.c_str()); };
  EXPECT_EQ((std::vector<int>{readInt("size"), readInt("neg"), readInt("word"), readInt("missing")}),
            (std::vector<int>{800, -5, 0, 7}));
  const std::pair<const char*, int> texts[] = {
      {"  +42abc", 42}, {"-", 0}, {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
  for (const auto& [text, value] : texts) EXPECT_EQ(platform::IniTextToInt(text), value) << text;
}

// Writes k=value into section a: only the bytes of that value change.
TEST_F(IniTest, WriteChangesOnlyTheValue) {
  // Before ("" : no file), value, after.
  const std::tuple<std::string, const char*, std::string> rows[] = {
      {"", "v", "[a]\r\nk=v\r\n"},
      {"; comment \xff\n[A]\nK = old\nk=dup\n[b]\nk=other\n", "new",
       "; comment \xff\n[A]\nK =new\nk=dup\n[b]\nk=other\n"},  // only the first match
      {"[a]\r\nk = \"v\"  \r\nx=1", "v", "[a]\r\nk = \"v\"  \r\nx=1"},  // same value: every byte kept
      {"[a]\nx=1\n\n[b]\ny=2\n", "v", "[a]\nx=1\nk=v\n\n[b]\ny=2\n"},  // at the end of its section
      {"[a]\r\nx=1", "v", "[a]\r\nx=1\r\nk=v\r\n"},
      {"[b]\ny=2", "v", "[b]\ny=2\n[a]\nk=v\n"},
      {std::string("[a]\n\x00\x01\x02\n\xfe\xff=\x80\nk=1\n", 17), "2",
       std::string("[a]\n\x00\x01\x02\n\xfe\xff=\x80\nk=2\n", 17)},
      {"", "v\r\n[b]\r\nx=planted", "[a]\r\nk=v\r\n"}};  // a value can't plant lines of its own
  for (const auto& [before, value, after] : rows) {
    std::remove(path_.c_str());
    if (!before.empty()) testsupport::WriteFile(path_, before);
    ASSERT_TRUE(platform::IniWriteString("a", "k", value, path_.c_str()));
    EXPECT_EQ(testsupport::ReadFile(path_), after) << before;
  }
  EXPECT_FALSE(platform::IniWriteString("a", "k", "v", (dir_ + "/no/such/folder/x.ini").c_str()));
}

}  // namespace
