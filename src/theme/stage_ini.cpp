// Reading dancer.ini and chibi.ini: the sets' numbers, bounded as the layout files allow.
#include "theme/stage.h"

#include <cstdlib>
#include <cstring>

#include "platform/ini.h"
#include "theme/text_file.h"
#include "theme/theme_math.h"

namespace theme {

namespace {

// Numbers of the layout files are kept within these bounds.
constexpr int kListValueLimit = 1000000000;
constexpr double kIntervalLimit = 1000000.0;  // beats

// ---- dancer.ini / chibi.ini values

// Runs of decimal digits separated by anything else (there is no sign). Returns the count.
int ParseDigitList(const char* text, int* out, int max) {
  int n = 0;
  const char* p = text;
  while (*p != '\0' && n < max) {
    if (*p >= '0' && *p <= '9') {
      int64_t v = 0;
      while (*p >= '0' && *p <= '9') {
        if (v < kListValueLimit) v = v * 10 + (*p - '0');
        ++p;
      }
      out[n++] = static_cast<int>(v > kListValueLimit ? kListValueLimit : v);
    } else {
      ++p;
    }
  }
  return n;
}

// A 1-based order list, stored 0-based; the count becomes the number of values read.
void ParseOrderList(const char* text, int* order, int* count) {
  int values[kDanceOrderMax];
  int n = ParseDigitList(text, values, kDanceOrderMax);
  for (int i = 0; i < n; ++i) order[i] = values[i] - 1;
  *count = n;
}

double ParseInterval(const char* text) {
  double v = std::strtod(text, nullptr);
  if (std::isnan(v)) return 0.0;
  if (v > kIntervalLimit) return kIntervalLimit;
  if (v < -kIntervalLimit) return -kIntervalLimit;
  return v;
}

// A sort count picks images out of five sorts: at least one, at most five.
int ParseSortCount(const char* text) {
  int v = platform::IniTextToInt(text);
  if (v < 1) return 1;
  if (v > kDancerSorts) return kDancerSorts;
  return v;
}

// The line's content: nothing for a comment, cut at "//".
bool LineContent(const char* line, char (&text)[kStageIniLineBytes + 1]) {
  std::snprintf(text, sizeof text, "%s", line);
  if (text[0] == ';') return false;
  if (char* comment = std::strstr(text, "//")) *comment = '\0';
  return true;
}

// The value after the first of keys found in text; -1 when none is.
int FindKey(const char* text, const char* const* keys, int count, const char** value) {
  for (int i = 0; i < count; ++i) {
    if (const char* at = std::strstr(text, keys[i])) {
      *value = at + std::strlen(keys[i]);
      return i;
    }
  }
  return -1;
}

bool ReadStageIni(const char* path, void (*parse)(const char*, void*), void* set) {
  TextLineReader reader;
  if (!reader.Open(path)) return false;
  char line[kStageIniLineBytes + 1];
  while (reader.ReadLine(line, sizeof line)) parse(line, set);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// dancer.ini / chibi.ini

void ResetDancerSet(DancerSet* set) {
  std::memset(set, 0, sizeof *set);
  set->sort_count = 1;
  set->dance_interval = 4.0;
  set->dance_order_count = 1;
  set->dance_pattern = 1;
  set->appear_interval = 4.0;
  set->appear_order_count = 1;
  for (auto& sort : set->dance_images)
    for (int& h : sort) h = -1;
  for (auto& sort : set->appear_images)
    for (int& h : sort) h = -1;
  for (int& h : set->prop_images) h = -1;
  for (int d = 0; d < kDancerSlots; ++d) set->slot_sort[d] = 0;
}

void ResetChibiSet(ChibiSet* set) {
  std::memset(set, 0, sizeof *set);
  for (int& p : set->x_pattern) p = 1;
  for (int& p : set->y_pattern) p = 1;
  set->sort_count = 1;
  set->interval = 4.0;
  set->order_count = 0;
  for (auto& sort : set->images)
    for (int& h : sort) h = -1;
}

void ParseDancerLine(const char* line, DancerSet* set) {
  static const char* const kKeys[] = {
      "dance_x=",       "dance_y=",        "dance_sort=",      "dance_interval=", "dance_order=",
      "dance_pattern=", "appear_pattern=", "appear_interval=", "appear_order="};
  char text[kStageIniLineBytes + 1];
  if (!LineContent(line, text)) return;
  const char* v = nullptr;
  switch (FindKey(text, kKeys, 9, &v)) {
    case 0: ParseDigitList(v, set->dance_x, kDancerSlots); break;
    case 1: ParseDigitList(v, set->dance_y, kDancerSorts); break;
    case 2: set->sort_count = ParseSortCount(v); break;
    case 3: set->dance_interval = ParseInterval(v); break;
    case 4: ParseOrderList(v, set->dance_order, &set->dance_order_count); break;
    case 5: set->dance_pattern = platform::IniTextToInt(v); break;
    case 6: ParseDigitList(v, set->appear_pattern, kDancerSorts); break;
    case 7: set->appear_interval = ParseInterval(v); break;
    case 8: ParseOrderList(v, set->appear_order, &set->appear_order_count); break;
    default: break;
  }
}

void ParseChibiLine(const char* line, ChibiSet* set) {
  static const char* const kKeys[] = {
      "chibi_x=",           "chibi_y=",     "chibi_sort=",     "chibi_x_pattern=",
      "chibi_y_pattern=",   "chibi_order=", "chibi_interval=", "chibi_appear_patern=",
      "chibi_appear_flame="};
  char text[kStageIniLineBytes + 1];
  if (!LineContent(line, text)) return;
  const char* v = nullptr;
  switch (FindKey(text, kKeys, 9, &v)) {
    case 0: set->chibi_x = platform::IniTextToInt(v); break;
    case 1: set->chibi_y = platform::IniTextToInt(v); break;
    case 2: set->sort_count = ParseSortCount(v); break;
    case 3: ParseDigitList(v, set->x_pattern, kDancerSorts); break;
    case 4: ParseDigitList(v, set->y_pattern, kDancerSorts); break;
    case 5: ParseOrderList(v, set->order, &set->order_count); break;
    case 6: set->interval = ParseInterval(v); break;
    case 7: set->appear_pattern = platform::IniTextToInt(v); break;
    case 8: set->appear_frame = platform::IniTextToInt(v); break;
    default: break;
  }
}

bool ReadDancerIni(const char* path, DancerSet* set) {
  return ReadStageIni(
      path, [](const char* line, void* s) { ParseDancerLine(line, static_cast<DancerSet*>(s)); },
      set);
}

bool ReadChibiIni(const char* path, ChibiSet* set) {
  return ReadStageIni(
      path, [](const char* line, void* s) { ParseChibiLine(line, static_cast<ChibiSet*>(s)); },
      set);
}

}  // namespace theme
