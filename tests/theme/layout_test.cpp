// dispconf.ini: keys in order with their defaults, written back, and the value conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "theme/layout.h"
#include "theme_fixture.h"

namespace {

using testsupport::MakeTempFolder;
using theme_test::ReadFile;
using testsupport::RemoveTempFolder;
using theme_test::WriteFile;

class DispconfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempFolder("theme-dispconf");
    path_ = dir_ + "/dispconf.ini";
    theme::ResetLayouts();
  }
  void TearDown() override { RemoveTempFolder(dir_); }
  std::string dir_, path_;
};

struct SectionCase {
  const char* name;
  void (*read)(const char*);
  const theme::LayoutKey* (*keys)(int*);
  const char* section;
  int count;
};

class DispconfSectionTest : public DispconfTest,
                            public ::testing::WithParamInterface<SectionCase> {};

TEST_P(DispconfSectionTest, FirstLoadWritesEveryKeyInOrderSecondChangesNothing) {
  const SectionCase& c = GetParam();
  WriteFile(path_, "");
  c.read(path_.c_str());
  std::string first = ReadFile(path_);
  int n = 0;
  const theme::LayoutKey* keys = c.keys(&n);
  ASSERT_EQ(n, c.count);
  EXPECT_NE(first.find(std::string("[") + c.section + "]"), std::string::npos);
  size_t at = 0;
  for (int i = 0; i < n; ++i) {
    std::string line = std::string(keys[i].key) + "=" + keys[i].def;
    size_t found = first.find("\n" + line, at);
    if (found == std::string::npos && i == 0) found = first.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found + 1;
  }
  c.read(path_.c_str());
  EXPECT_EQ(ReadFile(path_), first);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, DispconfSectionTest,
    ::testing::Values(
        SectionCase{"SongSelect", theme::ReadSongSelectLayout, theme::SongSelectLayoutKeys,
                    theme::kSectionSongSelect, 29 + 7 + 1},
        SectionCase{"Play", theme::ReadPlayLayout, theme::PlayLayoutKeys, theme::kSectionPlay,
                    61 + 3 + 1},
        SectionCase{"Result", theme::ReadResultLayout, theme::ResultLayoutKeys,
                    theme::kSectionResult, 46 + 1}),
    [](const ::testing::TestParamInfo<SectionCase>& i) { return std::string(i.param.name); });

// The key tables' own defaults are written and read in FirstLoadWritesEveryKeyInOrder...; here
// keys of the same name in different sections keep their own defaults.
TEST_F(DispconfTest, SameNamedKeysOfEachSectionKeepTheirOwnDefaults) {
  theme::ReadSongSelectLayout(path_.c_str());
  theme::ReadPlayLayout(path_.c_str());
  theme::ReadResultLayout(path_.c_str());
  EXPECT_EQ(theme::SongSelectLayout.bg_scroll_speed, 20);
  EXPECT_EQ(theme::PlayLayout.bg_scroll_speed, 44);
  EXPECT_EQ(theme::SongSelectLayout.title_size, 24);
  EXPECT_EQ(theme::ResultLayout.title_size, 30);
  // The font names are Shift-JIS bytes, as a theme written on Windows holds them.
  EXPECT_STREQ(theme::ResultLayout.title_font, "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
}

TEST_F(DispconfTest, ValuesOfTheFileAreReadAndKeptAsWritten) {
  WriteFile(path_, std::string("[") + theme::kSectionPlay +
                       "]\r\nnote_y=12abc\r\nscore_color=80FF00\r\ntitle_font=Sans Bold\r\n");
  theme::ReadPlayLayout(path_.c_str());
  EXPECT_EQ(theme::PlayLayout.note_y, 12);
  EXPECT_EQ(theme::PlayLayout.score_color, 0xFF80FF00u);
  EXPECT_STREQ(theme::PlayLayout.title_font, "Sans Bold");
  EXPECT_EQ(theme::PlayLayout.note_m_y, 207);  // missing key: default
  EXPECT_NE(ReadFile(path_).find("note_y=12abc"), std::string::npos);
}

TEST_F(DispconfTest, ThemeFolderThatDoesNotExistGivesDefaultsAndNoFile) {
  std::string missing = dir_ + "/no/such/theme/dispconf.ini";
  theme::ReadResultLayout(missing.c_str());
  EXPECT_EQ(theme::ResultLayout.title_size, 30);
  EXPECT_EQ(theme::ResultLayout.score_w, 32);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DispconfTest, HugeFileAndOverlongValues) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "junk_line_" + std::to_string(i) + "=" + std::string(40, 'x') + "\n";
  text += std::string("[") + theme::kSectionPlay + "]\n";
  text += "note_y=" + std::string(5000, '9') + "\n";
  text += "title_font=" + std::string(3000, 'F') + "\n";
  text += "score_color=" + std::string(3000, 'A') + "\n";
  WriteFile(path_, text);
  theme::ReadPlayLayout(path_.c_str());
  EXPECT_EQ(theme::PlayLayout.note_y, INT_MAX);
  EXPECT_EQ(std::strlen(theme::PlayLayout.title_font), size_t(theme::kLayoutTextSize - 1));
  EXPECT_EQ(theme::PlayLayout.score_color, 0xFFAAAAAAu);
  EXPECT_EQ(theme::PlayLayout.combo_x, 55);
}

struct IntCase {
  const char* text;
  int value;
};
class LayoutIntTest : public ::testing::TestWithParam<IntCase> {};
TEST_P(LayoutIntTest, LeadingDecimalNumber) {
  EXPECT_EQ(theme::LayoutTextToInt(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(Conversions, LayoutIntTest,
                         ::testing::Values(IntCase{"12abc", 12}, IntCase{"zz", 0},
                                           IntCase{"", 0}, IntCase{"  -7x", -7},
                                           IntCase{"+44", 44}, IntCase{"0x10", 0},
                                           IntCase{"99999999999999", INT_MAX},
                                           IntCase{"-99999999999999", INT_MIN}));

struct ColourCase {
  const char* text;
  uint32_t value;
};
class LayoutColourTest : public ::testing::TestWithParam<ColourCase> {};
TEST_P(LayoutColourTest, LeadingHexDigitsMadeOpaque) {
  EXPECT_EQ(theme::LayoutTextToColour(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Conversions, LayoutColourTest,
    ::testing::Values(ColourCase{"80FF00", 0xFF80FF00u}, ColourCase{"FFDE29", 0xFFFFDE29u},
                      ColourCase{"ffde29", 0xFFFFDE29u}, ColourCase{"zz", 0xFF000000u},
                      ColourCase{"", 0xFF000000u}, ColourCase{"12G", 0xFF000012u},
                      // Never a transparent or wrapped alpha from an overlong value.
                      ColourCase{"7F123456", 0xFF123456u},
                      ColourCase{"FFFFFFFFFFFFFFFFFFFF", 0xFFFFFFFFu}));

}  // namespace
