#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "support/files.h"
#include "support/temp_folder.h"
#include "platform/ini.h"

namespace {

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("ini");
    ASSERT_FALSE(dir_.empty());
    path_ = dir_ + "/test.ini";
  }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }

  void Write(const std::string& bytes) { testsupport::WriteFile(path_, bytes); }
  std::string Contents() { return testsupport::ReadFile(path_); }
  std::string Read(const char* section, const char* key, const char* def = "DEF") {
    char buf[256];
    platform::IniReadString(section, key, def, buf, sizeof buf, path_.c_str());
    return buf;
  }

  std::string dir_, path_;
};

struct ReadCase {
  const char* name;
  const char* file;
  const char* section;
  const char* key;
  const char* expected;
};

class IniReadCases : public IniTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadCases, ReadsLikeThePrivateProfileFunctions) {
  Write(GetParam().file);
  EXPECT_EQ(Read(GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Semantics, IniReadCases,
    ::testing::Values(
        ReadCase{"Plain", "[a]\nk=v\n", "a", "k", "v"},
        ReadCase{"Crlf", "[a]\r\nk=v\r\n", "a", "k", "v"},
        ReadCase{"NoFinalNewline", "[a]\r\nk=last", "a", "k", "last"},
        ReadCase{"SectionCaseInsensitive", "[Sec]\nk=v\n", "sEC", "k", "v"},
        ReadCase{"KeyCaseInsensitive", "[a]\nWindowSize=800\n", "a", "windowsize", "800"},
        ReadCase{"BlanksTrimmed", "[a]\n  k \t=  two words \t\n", "a", "k", "two words"},
        ReadCase{"QuotesDropped", "[a]\nk=\" spaced \"\n", "a", "k", " spaced "},
        ReadCase{"LoneQuoteKept", "[a]\nk=\"open\n", "a", "k", "\"open"},
        ReadCase{"FirstDuplicateWins", "[a]\nk=first\nk=second\n", "a", "k", "first"},
        ReadCase{"OtherSectionIgnored", "[b]\nk=no\n[a]\nj=1\n", "a", "k", "DEF"},
        ReadCase{"MissingSection", "k=v\n", "a", "k", "DEF"},
        ReadCase{"EmptyValue", "[a]\nk=\n", "a", "k", ""},
        ReadCase{"EqualsInValue", "[a]\nk=x=y\n", "a", "k", "x=y"},
        ReadCase{"ShiftJisSection", "[\x90\xdd\x92\xe8]\r\nSkin=Mine\r\n", "\x90\xdd\x92\xe8", "Skin", "Mine"},
        ReadCase{"BinaryJunkAround", "\x01\xff\xfe junk\n[a]\n\x80\x81=\x82\nk=v\n\x7f\x00zz", "a", "k", "v"},
        ReadCase{"SpacesInsideBrackets", "[ a ]\nk=v\n", "a", "k", "v"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, OverlongValueIsCutToTheBuffer) {
  Write("[a]\nk=" + std::string(5000, 'x') + "\n");
  char buf[10];
  EXPECT_EQ(platform::IniReadString("a", "k", "", buf, sizeof buf, path_.c_str()), 9);
  EXPECT_EQ(std::string(buf), std::string(9, 'x'));
}

TEST_F(IniTest, IntegerReadTakesLeadingDigitsOnlyAndSaturates) {
  EXPECT_EQ(Read("a", "k", "fallback"), "fallback");  // no file at all
  Write("[a]\nsize=800px\nneg= -5\nword=abc\nempty=\n");
  EXPECT_EQ(platform::IniReadInt("a", "size", 1, path_.c_str()), 800);
  EXPECT_EQ(platform::IniReadInt("a", "neg", 1, path_.c_str()), -5);
  EXPECT_EQ(platform::IniReadInt("a", "word", 1, path_.c_str()), 0);
  EXPECT_EQ(platform::IniReadInt("a", "missing", 7, path_.c_str()), 7);
  EXPECT_EQ(platform::IniTextToInt("  +42abc"), 42);
  EXPECT_EQ(platform::IniTextToInt("-"), 0);
  EXPECT_EQ(platform::IniTextToInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(platform::IniTextToInt("-99999999999999999999"), -2147483647 - 1);
}

struct WriteCase {
  const char* name;
  std::string before;  // "" : no file
  const char* value;
  std::string after;
};

class IniWriteCases : public IniTest, public ::testing::WithParamInterface<WriteCase> {};

// Writes k=value into section a: only the bytes of that value change.
TEST_P(IniWriteCases, ChangesOnlyTheValue) {
  if (!GetParam().before.empty()) Write(GetParam().before);
  ASSERT_TRUE(platform::IniWriteString("a", "k", GetParam().value, path_.c_str()));
  EXPECT_EQ(Contents(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Semantics, IniWriteCases,
    ::testing::Values(
        WriteCase{"CreatesFileAndSection", "", "v", "[a]\r\nk=v\r\n"},
        WriteCase{"ReplacesOnlyTheFirstMatch", "; comment \xff\n[A]\nK = old\nk=dup\n[b]\nk=other\n",
                  "new", "; comment \xff\n[A]\nK =new\nk=dup\n[b]\nk=other\n"},
        WriteCase{"SameValueKeepsEveryByte", "[a]\r\nk = \"v\"  \r\nx=1", "v", "[a]\r\nk = \"v\"  \r\nx=1"},
        WriteCase{"AddsKeyAtTheEndOfItsSection", "[a]\nx=1\n\n[b]\ny=2\n", "v", "[a]\nx=1\nk=v\n\n[b]\ny=2\n"},
        WriteCase{"AfterALastLineWithoutNewline", "[a]\r\nx=1", "v", "[a]\r\nx=1\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterALastLineWithoutNewline", "[b]\ny=2", "v", "[b]\ny=2\n[a]\nk=v\n"},
        WriteCase{"KeepsBinaryJunkAndNulBytes", std::string("[a]\n\x00\x01\x02\n\xfe\xff=\x80\nk=1\n", 17),
                  "2", std::string("[a]\n\x00\x01\x02\n\xfe\xff=\x80\nk=2\n", 17)},
        // A value can't plant lines of its own.
        WriteCase{"ValueStaysOnItsLine", "", "v\r\n[b]\r\nx=planted", "[a]\r\nk=v\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniTest, WriteIntoUnwritableFolderFailsAndKeepsNothingHalfWritten) {
  std::string missing = dir_ + "/no/such/folder/x.ini";
  EXPECT_FALSE(platform::IniWriteString("a", "k", "v", missing.c_str()));
}

}  // namespace
