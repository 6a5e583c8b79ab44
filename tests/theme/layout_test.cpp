// dispconf.ini: keys in order with their defaults, written back, and the value conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "theme/layout.h"
#include "theme_fixture.h"

namespace {

using theme_test::ReadFile;
using theme_test::WriteFile;

class DispconfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("theme-dispconf");
    path_ = dir_ + "/dispconf.ini";
    theme::ResetLayouts();
  }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }
  std::string dir_, path_;
};

struct SectionCase {
  const char* name;
  void (*read)(const char*);
  const theme::LayoutKey* (*keys)(int*);
  const char* section;
  int count;
};
class DispconfSectionTest : public DispconfTest, public ::testing::WithParamInterface<SectionCase> {};

TEST_P(DispconfSectionTest, FirstLoadWritesEveryKeyInOrderSecondChangesNothing) {
  const SectionCase& c = GetParam();
  WriteFile(path_, "");
  c.read(path_.c_str());
  const std::string first = ReadFile(path_);
  int n = 0;
  const theme::LayoutKey* keys = c.keys(&n);
  ASSERT_EQ(n, c.count);
  EXPECT_NE(first.find(std::string("[") + c.section + "]"), std::string::npos);
  size_t at = 0;
  for (int i = 0; i < n; ++i) {
    std::string line = std::string(keys[i].key) + "=" + keys[i].def;
    size_t found = first.find((i ? "\n" : "") + line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found + 1;
  }
  c.read(path_.c_str());
  EXPECT_EQ(ReadFile(path_), first);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, DispconfSectionTest,
    ::testing::Values(SectionCase{"SongSelect", theme::ReadSongSelectLayout, theme::SongSelectLayoutKeys, theme::kSectionSongSelect, 29 + 7 + 1},
                      SectionCase{"Play", theme::ReadPlayLayout, theme::PlayLayoutKeys, theme::kSectionPlay, 61 + 3 + 1},
                      SectionCase{"Result", theme::ReadResultLayout, theme::ResultLayoutKeys, theme::kSectionResult, 46 + 1}),
    [](const ::testing::TestParamInfo<SectionCase>& i) { return std::string(i.param.name); });

// Keys of the same name in different sections keep their own defaults; a theme folder that
// does not exist gives the defaults and no file.
TEST_F(DispconfTest, SameNamedKeysOfEachSectionKeepTheirOwnDefaults) {
  std::string missing = dir_ + "/no/such/theme/dispconf.ini";
  theme::ReadSongSelectLayout(path_.c_str());
  theme::ReadPlayLayout(path_.c_str());
  theme::ReadResultLayout(missing.c_str());
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(std::vector<int>({theme::SongSelectLayout.bg_scroll_speed, theme::PlayLayout.bg_scroll_speed,
                              theme::SongSelectLayout.title_size, theme::ResultLayout.title_size, theme::ResultLayout.score_w}),
            std::vector<int>({20, 44, 24, 30, 32}));
  // The font names are Shift-JIS bytes, as a theme written on Windows holds them.
  EXPECT_STREQ(theme::ResultLayout.title_font, "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
}

TEST_F(DispconfTest, ValuesOfTheFileAreReadAndKeptAsWritten) {
  WriteFile(path_, std::string("[") + theme::kSectionPlay + "]\r\nnote_y=12abc\r\nscore_color=80FF00\r\ntitle_font=Sans Bold\r\n");
  theme::ReadPlayLayout(path_.c_str());
  EXPECT_EQ(theme::PlayLayout.note_y, 12);
  EXPECT_EQ(theme::PlayLayout.score_color, 0xFF80FF00u);
  EXPECT_STREQ(theme::PlayLayout.title_font, "Sans Bold");
  EXPECT_EQ(theme::PlayLayout.note_m_y, 207);  // missing key: default
  EXPECT_NE(ReadFile(path_).find("note_y=12abc"), std::string::npos);
  // A huge file and overlong values.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "junk_line_" + std::to_string(i) + "=" + std::string(40, 'x') + "\n";
  WriteFile(path_, text + "[" + theme::kSectionPlay + "]\nnote_y=" + std::string(5000, '9') + "\ntitle_font=" +
                       std::string(3000, 'F') + "\nscore_color=" + std::string(3000, 'A') + "\n");
  theme::ResetLayouts();
  theme::ReadPlayLayout(path_.c_str());
  EXPECT_EQ(theme::PlayLayout.note_y, INT_MAX);
  EXPECT_EQ(std::strlen(theme::PlayLayout.title_font), size_t(theme::kLayoutTextSize - 1));
  EXPECT_EQ(theme::PlayLayout.score_color, 0xFFAAAAAAu);
  EXPECT_EQ(theme::PlayLayout.combo_x, 55);
}

TEST(LayoutConversionTest, LeadingNumbersAndOpaqueColours) {
  const std::pair<const char*, int> ints[] = {{"12abc", 12}, {"zz", 0}, {"", 0}, {"  -7x", -7}, {"+44", 44},
                                              {"0x10", 0}, {"99999999999999", INT_MAX}, {"-99999999999999", INT_MIN}};
  for (auto [text, value] : ints) EXPECT_EQ(theme::LayoutTextToInt(text), value) << text;
  // Leading hex digits made opaque: never a transparent or wrapped alpha from an overlong value.
  const std::pair<const char*, uint32_t> colours[] = {
      {"80FF00", 0xFF80FF00u}, {"ffde29", 0xFFFFDE29u}, {"zz", 0xFF000000u}, {"", 0xFF000000u},
      {"12G", 0xFF000012u},    {"7F123456", 0xFF123456u}, {"FFFFFFFFFFFFFFFFFFFF", 0xFFFFFFFFu}};
  for (auto [text, value] : colours) EXPECT_EQ(theme::LayoutTextToColour(text), value) << text;
}

}  // namespace
