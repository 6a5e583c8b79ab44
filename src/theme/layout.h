// The theme's layout file, dispconf.ini: one value per key for each of the three scenes.
// The values are plain globals that the scenes read; each section is (re)read when the
// resource loader loads its scene, and every key read is written back so that the file lists
// every key after the first load.
#pragma once
#include <cstdint>

namespace theme {

// Section names as Shift-JIS bytes: "選曲", "演奏", "成績発表".
extern const char kSectionSongSelect[];
extern const char kSectionPlay[];
extern const char kSectionResult[];

constexpr int kLayoutTextSize = 260;     // colour and font name buffers
constexpr int kLayoutNumberSize = 1000;  // integer buffers

// Key names are the file's own, so that a value can be found from the file.
struct SongSelectLayoutData {
  int bg_scroll_speed, auto_icon_x, auto_icon_y, scrollspeed_icon_x, scrollspeed_icon_y;
  int character_p1_x, character_p1_y;
  int easy_score_board_x, easy_score_board_y, easy_score_num_x, easy_score_num_y;
  int normal_score_board_x, normal_score_board_y, normal_score_num_x, normal_score_num_y;
  int hard_score_board_x, hard_score_board_y, hard_score_num_x, hard_score_num_y;
  int oni_score_board_x, oni_score_board_y, oni_score_num_x, oni_score_num_y;
  int edit_score_board_x, edit_score_board_y, edit_score_num_x, edit_score_num_y;
  int score_num_w;
  uint32_t cursor_panel_color, load_bg_color, load_easy_bg_color, load_normal_bg_color,
      load_hard_bg_color, load_oni_bg_color, load_edit_bg_color;
  char title_font[kLayoutTextSize];
  int title_size;
};

struct PlayLayoutData {
  int scroll_field_y, note_y, note_m_y, note_bound;
  int combo_x, combo_y, combo_w, combo_over100_w, combo_over1000_w;
  int taiko_x, taiko_y, soul_x, soul_y;
  uint32_t soul_effect_color;
  int soulgauge_x, soulgauge_y, soulgauge_meter_x, soulgauge_meter_y, soulgauge_meter_grow;
  int symbol_x, symbol_y, character_x, character_y, character_balloon_x, character_balloon_y;
  int balloon_x, balloon_y, balloon_hit_x, balloon_hit_y;
  int burst_balloon_x, burst_balloon_y, burst_balloon_num_x, burst_balloon_num_y,
      burst_balloon_num_w;
  uint32_t effect_note_color;
  int effect_hit_rainbow_x, effect_hit_rainbow_y;
  int bg_scroll_speed, song_title_y, stage_y;
  int combo_balloon_x, combo_balloon_y, combo_balloon_num_x, combo_balloon_num_y,
      combo_balloon_num_w, combo_balloon_num_over1000_w;
  int roll_balloon_x, roll_balloon_y, roll_balloon_num_x, roll_balloon_num_y, roll_balloon_num_w,
      roll_balloon_num_over100_x, roll_balloon_num_over100_w;
  int branch_balloon_x, branch_balloon_y;
  int score_x, score_y, score_w;
  uint32_t score_color;
  int pause_menu_cancel_h, pause_menu_replay_h, pause_menu_back_songselect_h,
      pause_menu_back_title_h;
  char title_font[kLayoutTextSize];
  int title_size;
};

struct ResultLayoutData {
  int character_p1_x, character_p1_y;
  char title_font[kLayoutTextSize];
  int title_size, title_x, title_y;
  int sub_title_size, sub_title_x, sub_title_y;
  int turn_p1_x, turn_p1_y, turn_p2_x, turn_p2_y;
  int symbol_p1_x, symbol_p1_y, symbol_p2_x, symbol_p2_y;
  int course_x, course_y, board_p1_x, board_p1_y;
  int soulgauge_p1_x, soulgauge_p1_y, soulgauge_meter_p1_x, soulgauge_meter_p1_y;
  int soul_p1_x, soul_p1_y, score_p1_x, score_p1_y, score_w, score_s_w;
  int maxcombo_p1_x, maxcombo_p1_y, rate_p1_x, rate_p1_y;
  int great_p1_x, great_p1_y, good_p1_x, good_p1_y, bad_p1_x, bad_p1_y, roll_p1_x, roll_p1_y;
  int message_p1_x, message_p1_y, fullcombo_p1_x, fullcombo_p1_y;
};

// The values in effect. Before the first read every field is 0 (colours black, fonts empty).
extern SongSelectLayoutData SongSelectLayout;
extern PlayLayoutData PlayLayout;
extern ResultLayoutData ResultLayout;

// Key table entries, in the order the keys are read and written.
enum class LayoutKind { kInt, kColour, kFont };
struct LayoutKey {
  const char* key;
  const char* def;  // default text, as written into the file
  LayoutKind kind;
  int offset;       // byte offset of the field in its layout struct
};
// The tables of the three sections; count receives the number of entries.
const LayoutKey* SongSelectLayoutKeys(int* count);
const LayoutKey* PlayLayoutKeys(int* count);
const LayoutKey* ResultLayoutKeys(int* count);

// Reads one section of path (ThemeDir + "/dispconf.ini"), writing each value back.
void ReadSongSelectLayout(const char* path);
void ReadPlayLayout(const char* path);
void ReadResultLayout(const char* path);
// Every value to its default without touching any file (tests, tools).
void SetDefaultLayouts();
// Every value to 0 / empty, as at program start.
void ResetLayouts();

// Conversions of the file's text: the leading decimal number (0 without one) and an opaque
// colour from the leading hex digits (RRGGBB; 0 without digits, then alpha 0xFF).
int LayoutTextToInt(const char* text);
uint32_t LayoutTextToColour(const char* text);

// "<dir>/dispconf.ini" into out (cut to outSize).
void FormatDispconfPath(const char* themeDir, char* out, int outSize);

}  // namespace theme
