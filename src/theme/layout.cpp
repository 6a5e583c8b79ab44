// dispconf.ini: the key tables of the three scenes, read in table order with their defaults
// and written back through the INI layer.
#include "theme/layout.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/ini.h"

namespace theme {

const char kSectionSongSelect[] = "\x91\x49\x8b\xc8";                  // 選曲
const char kSectionPlay[] = "\x89\x89\x91\x74";                        // 演奏
const char kSectionResult[] = "\x90\xac\x90\xd1\x94\xad\x95\x5c";     // 成績発表

SongSelectLayoutData SongSelectLayout;
PlayLayoutData PlayLayout;
ResultLayoutData ResultLayout;

namespace {

// Font face defaults are "ＭＳ ゴシック" in Shift-JIS.
const LayoutKey kSongSelectKeys[] = {
    {"bg_scroll_speed", "20", LayoutKind::kInt, offsetof(SongSelectLayoutData, bg_scroll_speed)},
    {"auto_icon_x", "20", LayoutKind::kInt, offsetof(SongSelectLayoutData, auto_icon_x)},
    {"auto_icon_y", "331", LayoutKind::kInt, offsetof(SongSelectLayoutData, auto_icon_y)},
    {"scrollspeed_icon_x", "170", LayoutKind::kInt, offsetof(SongSelectLayoutData, scrollspeed_icon_x)},
    {"scrollspeed_icon_y", "331", LayoutKind::kInt, offsetof(SongSelectLayoutData, scrollspeed_icon_y)},
    {"character_p1_x", "61", LayoutKind::kInt, offsetof(SongSelectLayoutData, character_p1_x)},
    {"character_p1_y", "308", LayoutKind::kInt, offsetof(SongSelectLayoutData, character_p1_y)},
    {"easy_score_board_x", "110", LayoutKind::kInt, offsetof(SongSelectLayoutData, easy_score_board_x)},
    {"easy_score_board_y", "100", LayoutKind::kInt, offsetof(SongSelectLayoutData, easy_score_board_y)},
    {"easy_score_num_x", "110", LayoutKind::kInt, offsetof(SongSelectLayoutData, easy_score_num_x)},
    {"easy_score_num_y", "100", LayoutKind::kInt, offsetof(SongSelectLayoutData, easy_score_num_y)},
    {"normal_score_board_x", "110", LayoutKind::kInt, offsetof(SongSelectLayoutData, normal_score_board_x)},
    {"normal_score_board_y", "240", LayoutKind::kInt, offsetof(SongSelectLayoutData, normal_score_board_y)},
    {"normal_score_num_x", "110", LayoutKind::kInt, offsetof(SongSelectLayoutData, normal_score_num_x)},
    {"normal_score_num_y", "240", LayoutKind::kInt, offsetof(SongSelectLayoutData, normal_score_num_y)},
    {"hard_score_board_x", "530", LayoutKind::kInt, offsetof(SongSelectLayoutData, hard_score_board_x)},
    {"hard_score_board_y", "100", LayoutKind::kInt, offsetof(SongSelectLayoutData, hard_score_board_y)},
    {"hard_score_num_x", "530", LayoutKind::kInt, offsetof(SongSelectLayoutData, hard_score_num_x)},
    {"hard_score_num_y", "100", LayoutKind::kInt, offsetof(SongSelectLayoutData, hard_score_num_y)},
    {"oni_score_board_x", "530", LayoutKind::kInt, offsetof(SongSelectLayoutData, oni_score_board_x)},
    {"oni_score_board_y", "240", LayoutKind::kInt, offsetof(SongSelectLayoutData, oni_score_board_y)},
    {"oni_score_num_x", "530", LayoutKind::kInt, offsetof(SongSelectLayoutData, oni_score_num_x)},
    {"oni_score_num_y", "240", LayoutKind::kInt, offsetof(SongSelectLayoutData, oni_score_num_y)},
    {"edit_score_board_x", "320", LayoutKind::kInt, offsetof(SongSelectLayoutData, edit_score_board_x)},
    {"edit_score_board_y", "380", LayoutKind::kInt, offsetof(SongSelectLayoutData, edit_score_board_y)},
    {"edit_score_num_x", "320", LayoutKind::kInt, offsetof(SongSelectLayoutData, edit_score_num_x)},
    {"edit_score_num_y", "380", LayoutKind::kInt, offsetof(SongSelectLayoutData, edit_score_num_y)},
    {"score_num_w", "17", LayoutKind::kInt, offsetof(SongSelectLayoutData, score_num_w)},
    {"cursor_panel_color", "FFDE29", LayoutKind::kColour, offsetof(SongSelectLayoutData, cursor_panel_color)},
    {"load_bg_color", "FA4928", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_bg_color)},
    {"load_easy_bg_color", "FF2703", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_easy_bg_color)},
    {"load_normal_bg_color", "8CB753", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_normal_bg_color)},
    {"load_hard_bg_color", "334130", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_hard_bg_color)},
    {"load_oni_bg_color", "DB1885", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_oni_bg_color)},
    {"load_edit_bg_color", "DB1885", LayoutKind::kColour, offsetof(SongSelectLayoutData, load_edit_bg_color)},
    {"title_font", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", LayoutKind::kFont, offsetof(SongSelectLayoutData, title_font)},
    {"title_size", "24", LayoutKind::kInt, offsetof(SongSelectLayoutData, title_size)},
};

const LayoutKey kPlayKeys[] = {
    {"scroll_field_y", "168", LayoutKind::kInt, offsetof(PlayLayoutData, scroll_field_y)},
    {"note_y", "156", LayoutKind::kInt, offsetof(PlayLayoutData, note_y)},
    {"note_m_y", "207", LayoutKind::kInt, offsetof(PlayLayoutData, note_m_y)},
    {"note_bound", "30", LayoutKind::kInt, offsetof(PlayLayoutData, note_bound)},
    {"combo_x", "55", LayoutKind::kInt, offsetof(PlayLayoutData, combo_x)},
    {"combo_y", "158", LayoutKind::kInt, offsetof(PlayLayoutData, combo_y)},
    {"combo_w", "20", LayoutKind::kInt, offsetof(PlayLayoutData, combo_w)},
    {"combo_over100_w", "32", LayoutKind::kInt, offsetof(PlayLayoutData, combo_over100_w)},
    {"combo_over1000_w", "28", LayoutKind::kInt, offsetof(PlayLayoutData, combo_over1000_w)},
    {"taiko_x", "55", LayoutKind::kInt, offsetof(PlayLayoutData, taiko_x)},
    {"taiko_y", "168", LayoutKind::kInt, offsetof(PlayLayoutData, taiko_y)},
    {"soul_x", "590", LayoutKind::kInt, offsetof(PlayLayoutData, soul_x)},
    {"soul_y", "40", LayoutKind::kInt, offsetof(PlayLayoutData, soul_y)},
    {"soul_effect_color", "FF3200", LayoutKind::kColour, offsetof(PlayLayoutData, soul_effect_color)},
    {"soulgauge_x", "416", LayoutKind::kInt, offsetof(PlayLayoutData, soulgauge_x)},
    {"soulgauge_y", "42", LayoutKind::kInt, offsetof(PlayLayoutData, soulgauge_y)},
    {"soulgauge_meter_x", "416", LayoutKind::kInt, offsetof(PlayLayoutData, soulgauge_meter_x)},
    {"soulgauge_meter_y", "42", LayoutKind::kInt, offsetof(PlayLayoutData, soulgauge_meter_y)},
    {"soulgauge_meter_grow", "6", LayoutKind::kInt, offsetof(PlayLayoutData, soulgauge_meter_grow)},
    {"symbol_x", "226", LayoutKind::kInt, offsetof(PlayLayoutData, symbol_x)},
    {"symbol_y", "64", LayoutKind::kInt, offsetof(PlayLayoutData, symbol_y)},
    {"character_x", "86", LayoutKind::kInt, offsetof(PlayLayoutData, character_x)},
    {"character_y", "62", LayoutKind::kInt, offsetof(PlayLayoutData, character_y)},
    {"character_balloon_x", "125", LayoutKind::kInt, offsetof(PlayLayoutData, character_balloon_x)},
    {"character_balloon_y", "129", LayoutKind::kInt, offsetof(PlayLayoutData, character_balloon_y)},
    {"balloon_x", "247", LayoutKind::kInt, offsetof(PlayLayoutData, balloon_x)},
    {"balloon_y", "150", LayoutKind::kInt, offsetof(PlayLayoutData, balloon_y)},
    {"balloon_hit_x", "249", LayoutKind::kInt, offsetof(PlayLayoutData, balloon_hit_x)},
    {"balloon_hit_y", "159", LayoutKind::kInt, offsetof(PlayLayoutData, balloon_hit_y)},
    {"burst_balloon_x", "214", LayoutKind::kInt, offsetof(PlayLayoutData, burst_balloon_x)},
    {"burst_balloon_y", "54", LayoutKind::kInt, offsetof(PlayLayoutData, burst_balloon_y)},
    {"burst_balloon_num_x", "232", LayoutKind::kInt, offsetof(PlayLayoutData, burst_balloon_num_x)},
    {"burst_balloon_num_y", "48", LayoutKind::kInt, offsetof(PlayLayoutData, burst_balloon_num_y)},
    {"burst_balloon_num_w", "24", LayoutKind::kInt, offsetof(PlayLayoutData, burst_balloon_num_w)},
    {"effect_note_color", "FFE010", LayoutKind::kColour, offsetof(PlayLayoutData, effect_note_color)},
    {"effect_hit_rainbow_x", "366", LayoutKind::kInt, offsetof(PlayLayoutData, effect_hit_rainbow_x)},
    {"effect_hit_rainbow_y", "72", LayoutKind::kInt, offsetof(PlayLayoutData, effect_hit_rainbow_y)},
    {"bg_scroll_speed", "44", LayoutKind::kInt, offsetof(PlayLayoutData, bg_scroll_speed)},
    {"song_title_y", "236", LayoutKind::kInt, offsetof(PlayLayoutData, song_title_y)},
    {"stage_y", "456", LayoutKind::kInt, offsetof(PlayLayoutData, stage_y)},
    {"combo_balloon_x", "278", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_x)},
    {"combo_balloon_y", "83", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_y)},
    {"combo_balloon_num_x", "292", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_num_x)},
    {"combo_balloon_num_y", "79", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_num_y)},
    {"combo_balloon_num_w", "32", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_num_w)},
    {"combo_balloon_num_over1000_w", "26", LayoutKind::kInt, offsetof(PlayLayoutData, combo_balloon_num_over1000_w)},
    {"roll_balloon_x", "245", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_x)},
    {"roll_balloon_y", "31", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_y)},
    {"roll_balloon_num_x", "232", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_num_x)},
    {"roll_balloon_num_y", "30", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_num_y)},
    {"roll_balloon_num_w", "28", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_num_w)},
    {"roll_balloon_num_over100_x", "238", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_num_over100_x)},
    {"roll_balloon_num_over100_w", "26", LayoutKind::kInt, offsetof(PlayLayoutData, roll_balloon_num_over100_w)},
    {"branch_balloon_x", "278", LayoutKind::kInt, offsetof(PlayLayoutData, branch_balloon_x)},
    {"branch_balloon_y", "83", LayoutKind::kInt, offsetof(PlayLayoutData, branch_balloon_y)},
    {"score_x", "605", LayoutKind::kInt, offsetof(PlayLayoutData, score_x)},
    {"score_y", "97", LayoutKind::kInt, offsetof(PlayLayoutData, score_y)},
    {"score_w", "20", LayoutKind::kInt, offsetof(PlayLayoutData, score_w)},
    {"score_color", "FF653A", LayoutKind::kColour, offsetof(PlayLayoutData, score_color)},
    {"pause_menu_cancel_h", "118", LayoutKind::kInt, offsetof(PlayLayoutData, pause_menu_cancel_h)},
    {"pause_menu_replay_h", "182", LayoutKind::kInt, offsetof(PlayLayoutData, pause_menu_replay_h)},
    {"pause_menu_back_songselect_h", "140", LayoutKind::kInt, offsetof(PlayLayoutData, pause_menu_back_songselect_h)},
    {"pause_menu_back_title_h", "158", LayoutKind::kInt, offsetof(PlayLayoutData, pause_menu_back_title_h)},
    {"title_font", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", LayoutKind::kFont, offsetof(PlayLayoutData, title_font)},
    {"title_size", "24", LayoutKind::kInt, offsetof(PlayLayoutData, title_size)},
};

const LayoutKey kResultKeys[] = {
    {"character_p1_x", "98", LayoutKind::kInt, offsetof(ResultLayoutData, character_p1_x)},
    {"character_p1_y", "162", LayoutKind::kInt, offsetof(ResultLayoutData, character_p1_y)},
    {"title_font", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", LayoutKind::kFont, offsetof(ResultLayoutData, title_font)},
    {"title_size", "30", LayoutKind::kInt, offsetof(ResultLayoutData, title_size)},
    {"title_x", "320", LayoutKind::kInt, offsetof(ResultLayoutData, title_x)},
    {"title_y", "130", LayoutKind::kInt, offsetof(ResultLayoutData, title_y)},
    {"sub_title_size", "26", LayoutKind::kInt, offsetof(ResultLayoutData, sub_title_size)},
    {"sub_title_x", "320", LayoutKind::kInt, offsetof(ResultLayoutData, sub_title_x)},
    {"sub_title_y", "170", LayoutKind::kInt, offsetof(ResultLayoutData, sub_title_y)},
    {"turn_p1_x", "170", LayoutKind::kInt, offsetof(ResultLayoutData, turn_p1_x)},
    {"turn_p1_y", "326", LayoutKind::kInt, offsetof(ResultLayoutData, turn_p1_y)},
    {"turn_p2_x", "470", LayoutKind::kInt, offsetof(ResultLayoutData, turn_p2_x)},
    {"turn_p2_y", "326", LayoutKind::kInt, offsetof(ResultLayoutData, turn_p2_y)},
    {"symbol_p1_x", "50", LayoutKind::kInt, offsetof(ResultLayoutData, symbol_p1_x)},
    {"symbol_p1_y", "128", LayoutKind::kInt, offsetof(ResultLayoutData, symbol_p1_y)},
    {"symbol_p2_x", "590", LayoutKind::kInt, offsetof(ResultLayoutData, symbol_p2_x)},
    {"symbol_p2_y", "128", LayoutKind::kInt, offsetof(ResultLayoutData, symbol_p2_y)},
    {"course_x", "320", LayoutKind::kInt, offsetof(ResultLayoutData, course_x)},
    {"course_y", "76", LayoutKind::kInt, offsetof(ResultLayoutData, course_y)},
    {"board_p1_x", "172", LayoutKind::kInt, offsetof(ResultLayoutData, board_p1_x)},
    {"board_p1_y", "326", LayoutKind::kInt, offsetof(ResultLayoutData, board_p1_y)},
    {"soulgauge_p1_x", "42", LayoutKind::kInt, offsetof(ResultLayoutData, soulgauge_p1_x)},
    {"soulgauge_p1_y", "270", LayoutKind::kInt, offsetof(ResultLayoutData, soulgauge_p1_y)},
    {"soulgauge_meter_p1_x", "48", LayoutKind::kInt, offsetof(ResultLayoutData, soulgauge_meter_p1_x)},
    {"soulgauge_meter_p1_y", "280", LayoutKind::kInt, offsetof(ResultLayoutData, soulgauge_meter_p1_y)},
    {"soul_p1_x", "280", LayoutKind::kInt, offsetof(ResultLayoutData, soul_p1_x)},
    {"soul_p1_y", "290", LayoutKind::kInt, offsetof(ResultLayoutData, soul_p1_y)},
    {"score_p1_x", "280", LayoutKind::kInt, offsetof(ResultLayoutData, score_p1_x)},
    {"score_p1_y", "246", LayoutKind::kInt, offsetof(ResultLayoutData, score_p1_y)},
    {"score_w", "32", LayoutKind::kInt, offsetof(ResultLayoutData, score_w)},
    {"score_s_w", "16", LayoutKind::kInt, offsetof(ResultLayoutData, score_s_w)},
    {"maxcombo_p1_x", "130", LayoutKind::kInt, offsetof(ResultLayoutData, maxcombo_p1_x)},
    {"maxcombo_p1_y", "370", LayoutKind::kInt, offsetof(ResultLayoutData, maxcombo_p1_y)},
    {"rate_p1_x", "130", LayoutKind::kInt, offsetof(ResultLayoutData, rate_p1_x)},
    {"rate_p1_y", "444", LayoutKind::kInt, offsetof(ResultLayoutData, rate_p1_y)},
    {"great_p1_x", "294", LayoutKind::kInt, offsetof(ResultLayoutData, great_p1_x)},
    {"great_p1_y", "378", LayoutKind::kInt, offsetof(ResultLayoutData, great_p1_y)},
    {"good_p1_x", "294", LayoutKind::kInt, offsetof(ResultLayoutData, good_p1_x)},
    {"good_p1_y", "402", LayoutKind::kInt, offsetof(ResultLayoutData, good_p1_y)},
    {"bad_p1_x", "294", LayoutKind::kInt, offsetof(ResultLayoutData, bad_p1_x)},
    {"bad_p1_y", "426", LayoutKind::kInt, offsetof(ResultLayoutData, bad_p1_y)},
    {"roll_p1_x", "294", LayoutKind::kInt, offsetof(ResultLayoutData, roll_p1_x)},
    {"roll_p1_y", "450", LayoutKind::kInt, offsetof(ResultLayoutData, roll_p1_y)},
    {"message_p1_x", "168", LayoutKind::kInt, offsetof(ResultLayoutData, message_p1_x)},
    {"message_p1_y", "294", LayoutKind::kInt, offsetof(ResultLayoutData, message_p1_y)},
    {"fullcombo_p1_x", "52", LayoutKind::kInt, offsetof(ResultLayoutData, fullcombo_p1_x)},
    {"fullcombo_p1_y", "372", LayoutKind::kInt, offsetof(ResultLayoutData, fullcombo_p1_y)},
};

// Stores one converted value into its field.
void StoreLayoutValue(void* layout, const LayoutKey& k, const char* text) {
  char* field = static_cast<char*>(layout) + k.offset;
  switch (k.kind) {
    case LayoutKind::kInt: {
      int v = LayoutTextToInt(text);
      std::memcpy(field, &v, sizeof v);
      break;
    }
    case LayoutKind::kColour: {
      uint32_t c = LayoutTextToColour(text);
      std::memcpy(field, &c, sizeof c);
      break;
    }
    case LayoutKind::kFont: {
      size_t n = strnlen(text, kLayoutTextSize - 1);
      std::memcpy(field, text, n);
      field[n] = '\0';
      break;
    }
  }
}

void ReadLayoutSection(const char* section, const LayoutKey* keys, int count, void* layout,
                       const char* path) {
  char text[kLayoutNumberSize];
  for (int i = 0; i < count; ++i) {
    const LayoutKey& k = keys[i];
    int size = k.kind == LayoutKind::kInt ? kLayoutNumberSize : kLayoutTextSize;
    // Writing back completes the file with every key; a theme folder that does not exist
    // simply cannot be written, and the defaults stay in effect. A value longer than the
    // game holds stays in the file whole.
    platform::IniReadAndWriteBack(section, k.key, k.def, text, size, path);
    StoreLayoutValue(layout, k, text);
  }
}

void DefaultLayoutSection(const LayoutKey* keys, int count, void* layout) {
  for (int i = 0; i < count; ++i) StoreLayoutValue(layout, keys[i], keys[i].def);
}

}  // namespace

const LayoutKey* SongSelectLayoutKeys(int* count) {
  *count = static_cast<int>(sizeof kSongSelectKeys / sizeof kSongSelectKeys[0]);
  return kSongSelectKeys;
}
const LayoutKey* PlayLayoutKeys(int* count) {
  *count = static_cast<int>(sizeof kPlayKeys / sizeof kPlayKeys[0]);
  return kPlayKeys;
}
const LayoutKey* ResultLayoutKeys(int* count) {
  *count = static_cast<int>(sizeof kResultKeys / sizeof kResultKeys[0]);
  return kResultKeys;
}

void ReadSongSelectLayout(const char* path) {
  int n;
  const LayoutKey* k = SongSelectLayoutKeys(&n);
  ReadLayoutSection(kSectionSongSelect, k, n, &SongSelectLayout, path);
}
void ReadPlayLayout(const char* path) {
  int n;
  const LayoutKey* k = PlayLayoutKeys(&n);
  ReadLayoutSection(kSectionPlay, k, n, &PlayLayout, path);
}
void ReadResultLayout(const char* path) {
  int n;
  const LayoutKey* k = ResultLayoutKeys(&n);
  ReadLayoutSection(kSectionResult, k, n, &ResultLayout, path);
}

void SetDefaultLayouts() {
  int n;
  const LayoutKey* k = SongSelectLayoutKeys(&n);
  DefaultLayoutSection(k, n, &SongSelectLayout);
  k = PlayLayoutKeys(&n);
  DefaultLayoutSection(k, n, &PlayLayout);
  k = ResultLayoutKeys(&n);
  DefaultLayoutSection(k, n, &ResultLayout);
}

void ResetLayouts() {
  SongSelectLayout = SongSelectLayoutData{};
  PlayLayout = PlayLayoutData{};
  ResultLayout = ResultLayoutData{};
}

int LayoutTextToInt(const char* text) { return platform::IniTextToInt(text); }

uint32_t LayoutTextToColour(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  uint32_t v = 0;
  for (;; ++p) {
    int d;
    if (*p >= '0' && *p <= '9') d = *p - '0';
    else if (*p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
    else if (*p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
    else break;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  // The value is red-green-blue; alpha is always opaque. An overlong value keeps its last six
  // digits rather than carrying into (and wrapping) the alpha byte.
  return 0xFF000000u | (v & 0x00FFFFFFu);
}

void FormatDispconfPath(const char* themeDir, char* out, int outSize) {
  std::snprintf(out, static_cast<size_t>(outSize), "%s/dispconf.ini", themeDir);
}

}  // namespace theme
