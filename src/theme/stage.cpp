// Stage decorations: set selection, dancer.ini and chibi.ini, and the per-frame animation of
// the upper background, stage, fiver figures, dancers and chibi.
#include "theme/stage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "platform/ini.h"
#include "shell/config.h"
#include "theme/bg_script.h"
#include "theme/layout.h"
#include "theme/text_file.h"

namespace theme {

int UpperBgNormal = -1, UpperBgMiss = -1, UpperBgClear = -1, UpperBgGogo = -1;
int StageImage = -1;
int FiverImages[kFiverFrames] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int FiverFrameCount = 0;
DancerSet Dancers;
ChibiSet Chibi[2];
int FiverState = 0;

namespace {

constexpr double kDegrees = 0.017453292519943295;
constexpr double kBeat = 3600.0;  // beat-time units per beat
constexpr double kScreenRight = 640.0;
constexpr int kPathBytes = 512;
// Numbers of the layout files are kept within these bounds.
constexpr int kListValueLimit = 1000000000;
constexpr double kIntervalLimit = 1000000.0;  // beats
constexpr int kGaugeMax = 100;

int64_t Whole(double v) {
  if (std::isnan(v)) return 0;
  if (v > 9.0e15) return static_cast<int64_t>(9.0e15);
  if (v < -9.0e15) return static_cast<int64_t>(-9.0e15);
  return static_cast<int64_t>(v);
}

uint32_t AlphaColour(double alpha) {
  if (!(alpha > 0.0)) return 0x00FFFFFFu;
  if (alpha >= 255.0) return 0xFFFFFFFFu;
  return (static_cast<uint32_t>(alpha) << 24) | 0x00FFFFFFu;
}

// Formats a theme path; false (and an empty path) when it would not fit.
template <typename... Args>
bool FormatPath(char (&out)[kPathBytes], const char* format, Args... args) {
  int n = std::snprintf(out, sizeof out, format, args...);
  if (n < 0 || n >= kPathBytes) {
    out[0] = '\0';
    return false;
  }
  return true;
}

int LoadThemeImage(const char* path) { return path[0] != '\0' ? graphics::LoadTexture(path) : -1; }

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

int ImageAt(const int (&images)[kDancerFrames], int frame) {
  return frame >= 0 && frame < kDancerFrames ? images[frame] : -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Set selection

int CountNumberedSets(bool (*exists)(const char* path), const char* pattern,
                      const char* themeDir) {
  char path[kPathBytes];
  int n = 0;
  while (n < kMaxNumberedSets && FormatPath(path, pattern, themeDir, n + 1) && exists(path)) ++n;
  return n;
}

int PickNumberedSet(int count) {
  if (count < 1) return 0;
  return std::rand() % count + 1;
}

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
  static const char* const kKeys[] = {"dance_x=",       "dance_y=",       "dance_sort=",
                                      "dance_interval=", "dance_order=",   "dance_pattern=",
                                      "appear_pattern=", "appear_interval=", "appear_order="};
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
  static const char* const kKeys[] = {"chibi_x=",        "chibi_y=",           "chibi_sort=",
                                      "chibi_x_pattern=", "chibi_y_pattern=",   "chibi_order=",
                                      "chibi_interval=", "chibi_appear_patern=",
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

// ---------------------------------------------------------------------------------------
// Loading

void ResetFiver() { FiverState = 0; }

void ResetStage() {
  UpperBgNormal = UpperBgMiss = UpperBgClear = UpperBgGogo = -1;
  StageImage = -1;
  for (int& h : FiverImages) h = -1;
  FiverFrameCount = 0;
  ResetDancerSet(&Dancers);
  ResetChibiSet(&Chibi[0]);
  ResetChibiSet(&Chibi[1]);
  ResetFiver();
  ClearBgScript();
}

void LoadStageDecorations() {
  const char* dir = shell::ThemeDir;
  char path[kPathBytes];
  ResetFiver();

  // The scripted background.
  int n = PickNumberedSet(CountNumberedSets(DirectoryExists, "%s/Play/Bg/dancer_%d", dir));
  if (n > 0 && FormatPath(path, "%s/Play/Bg/dancer_%d", dir, n)) LoadBgScript(path);
  else ClearBgScript();

  // The upper background (the gogo picture only with a set).
  UpperBgNormal = UpperBgMiss = UpperBgClear = UpperBgGogo = -1;
  n = PickNumberedSet(CountNumberedSets(FileExists, "%s/Play/Bg/upper/bg_%d_p1.png", dir));
  if (n > 0) {
    FormatPath(path, "%s/Play/Bg/upper/bg_%d_p1.png", dir, n);
    UpperBgNormal = LoadThemeImage(path);
    FormatPath(path, "%s/Play/Bg/upper/bg_%d_miss.png", dir, n);
    UpperBgMiss = LoadThemeImage(path);
    FormatPath(path, "%s/Play/Bg/upper/bg_%d_clear.png", dir, n);
    UpperBgClear = LoadThemeImage(path);
    FormatPath(path, "%s/Play/Bg/upper/bg_gogo_p1.png", dir);
    UpperBgGogo = LoadThemeImage(path);
  }

  StageImage = -1;
  n = PickNumberedSet(CountNumberedSets(FileExists, "%s/Play/Bg/stage/stage_%d.png", dir));
  if (n > 0 && FormatPath(path, "%s/Play/Bg/stage/stage_%d.png", dir, n))
    StageImage = LoadThemeImage(path);

  for (int& h : FiverImages) h = -1;
  FiverFrameCount = 0;
  n = PickNumberedSet(CountNumberedSets(FileExists, "%s/Play/Bg/fiver/fiver_%d_1.png", dir));
  if (n > 0 && FormatPath(path, "%s/Play/Bg/fiver/fiver_%d", dir, n))
    FiverFrameCount = graphics::LoadNumberedImages(kFiverFrames, 1, FiverImages, path);
}

void LoadDancers() {
  const char* dir = shell::ThemeDir;
  char path[kPathBytes];
  ResetDancerSet(&Dancers);
  int n = PickNumberedSet(CountNumberedSets(DirectoryExists, "%s/Play/Dancer/%d", dir));
  if (n == 0) n = 1;
  if (!FormatPath(path, "%s/Play/Dancer/%d/dancer.ini", dir, n)) return;
  if (!ReadDancerIni(path, &Dancers)) return;
  for (int s = 0; s < kDancerSorts; ++s)
    for (int f = 0; f < kDancerFrames; ++f) {
      FormatPath(path, "%s/Play/Dancer/%d/dance_%d_%d.png", dir, n, s + 1, f + 1);
      Dancers.dance_images[s][f] = LoadThemeImage(path);
    }
  for (int s = 0; s < kDancerSorts; ++s)
    for (int f = 0; f < kDancerFrames; ++f) {
      FormatPath(path, "%s/Play/Dancer/%d/appear_%d_%d.png", dir, n, s + 1, f + 1);
      Dancers.appear_images[s][f] = LoadThemeImage(path);
    }
  // Pattern 1 gives each slot a random sort; otherwise slot d takes sort d, wrapped into the
  // sorts the set has, so that a set of fewer than five sorts still fills every slot.
  for (int d = 0; d < kDancerSlots; ++d)
    Dancers.slot_sort[d] = Dancers.dance_pattern == 1 ? std::rand() % Dancers.sort_count
                                                      : d % Dancers.sort_count;
  Dancers.has_prop = FormatPath(path, "%s/Play/Dancer/%d/shakushi", dir, n) &&
                     graphics::LoadNumberedImages(kPropImages, 1, Dancers.prop_images, path) > 0;
}

void LoadChibi() {
  const char* dir = shell::ThemeDir;
  char path[kPathBytes];
  ResetChibiSet(&Chibi[0]);
  ResetChibiSet(&Chibi[1]);
  int n = PickNumberedSet(CountNumberedSets(DirectoryExists, "%s/Play/Chibi/%d", dir));
  if (n == 0) n = 1;
  // A missing file ends the loading: a missing numbered set leaves the soul set empty too.
  if (!FormatPath(path, "%s/Play/Chibi/%d/chibi.ini", dir, n) || !ReadChibiIni(path, &Chibi[0]))
    return;
  for (int s = 0; s < kDancerSorts; ++s)
    for (int f = 0; f < kDancerFrames; ++f) {
      FormatPath(path, "%s/Play/Chibi/%d/chibi_%d_%d.png", dir, n, s + 1, f + 1);
      Chibi[0].images[s][f] = LoadThemeImage(path);
    }
  if (!FormatPath(path, "%s/Play/Chibi/Soul/chibi.ini", dir) || !ReadChibiIni(path, &Chibi[1]))
    return;
  for (int s = 0; s < kDancerSorts; ++s)
    for (int f = 0; f < kDancerFrames; ++f) {
      FormatPath(path, "%s/Play/Chibi/Soul/chibi_%d_%d.png", dir, s + 1, f + 1);
      Chibi[1].images[s][f] = LoadThemeImage(path);
    }
}

// ---------------------------------------------------------------------------------------
// Upper background and stage

double UpperBackgroundScroll(double elapsed, int width, int speed) {
  if (speed == 0 || width <= 0) return 0.0;
  int64_t wrap = Whole(static_cast<double>(width) * 1000.0 / speed);
  if (wrap == 0) return 0.0;
  return static_cast<double>(Whole(elapsed) % wrap) / (1000.0 / speed);
}

void DrawUpperBackground(const StageClock& c) {
  int w = graphics::GetTextureWidth(UpperBgNormal);
  if (w > 0) {
    double s = UpperBackgroundScroll(c.now - c.play_start, w, PlayLayout.bg_scroll_speed);
    double d2 = c.now - c.clear_mood_time;
    double d1 = c.now - c.miss_mood_time;
    bool clearMood = c.mood == kMoodClear || c.mood == kMoodFull;
    for (int k = 0; static_cast<double>(k - 1) * w < kScreenRight; ++k) {
      double x = static_cast<double>(w) * k - s - k * (w - s) / w;
      if (graphics::DrawSprite(UpperBgNormal, x, 0.0) != 0) break;
      if (d2 >= 100.0) graphics::DrawSprite(UpperBgClear, x, 0.0);
      else if (clearMood && d2 >= 0.0)
        graphics::DrawSpriteColor(UpperBgClear, AlphaColour(255.0 * d2 / 100.0), x, 0.0);
      if (c.mood == kMoodMiss && d1 >= 100.0) graphics::DrawSprite(UpperBgMiss, x, 0.0);
      else if (c.mood == kMoodMiss && d1 >= 0.0)
        graphics::DrawSpriteColor(UpperBgMiss, AlphaColour(255.0 * d1 / 100.0), x, 0.0);
      if (d1 < 100.0 && d1 >= 0.0 && c.previous_mood == kMoodMiss)
        graphics::DrawSpriteColor(UpperBgMiss, AlphaColour(255.0 - 2.55 * d1), x, 0.0);
    }
  }
  if (c.gogo) graphics::DrawSpriteDarken(UpperBgGogo, 0.0, 0.0);
}

void DrawStage() {
  int h = graphics::GetTextureHeight(StageImage);
  if (h < 0) return;
  graphics::DrawSprite(StageImage, 0.0, PlayLayout.stage_y - h / 2);
}

// ---------------------------------------------------------------------------------------
// Fiver figures

bool StepFiver(int* state, double beat, bool full, int h, double* y) {
  double a = static_cast<double>(Whole(beat) % 3600) / 20.0;
  double sa = std::sin(a * kDegrees);
  double up = 526.0 - std::trunc(46.0 * sa) - h;  // the bouncing position
  if (full) {
    switch (*state) {
      case 0:
        if (a > 110.0 && a < 180.0) *state = 1;
        return false;
      case 1:
        if (a <= 90.0) {
          *y = 480.0 - std::trunc(sa * h);
          if (a >= 70.0) *state = 2;
          return true;
        }
        if (a <= 110.0) {
          *y = up;
          *state = 2;
          return true;
        }
        return false;
      case 2: *y = up; return true;
      default: return false;
    }
  }
  switch (*state) {
    case 2:
      *y = up;
      if (a <= 90.0) *state = 1;
      return true;
    case 1:
      if (a <= 90.0) {
        *y = up;
        return true;
      }
      if (a <= 180.0) {
        *y = 530.0 - std::trunc(sa * (h + 50));
        if (a >= 175.0 || *y > 479.0) *state = 0;
        return true;
      }
      return false;
    default: return false;
  }
}

void DrawFiver(const StageClock& c) {
  if (FiverFrameCount <= 0) return;
  int64_t frame = static_cast<int64_t>(
      std::floor(static_cast<double>(Whole(c.beat) % 7200) / 7200.0 * FiverFrameCount));
  if (frame < 0 || frame >= FiverFrameCount || frame >= kFiverFrames) frame = 0;
  int image = FiverImages[frame];
  int h = graphics::GetTextureHeight(image);
  double y;
  if (StepFiver(&FiverState, c.beat, c.gauge >= 100.0, h < 0 ? 0 : h, &y))
    graphics::DrawSprite(image, 0.0, y);
}

// ---------------------------------------------------------------------------------------
// Dancers

int DancerSlotThreshold(int clearThreshold, int slot) {
  double g = std::floor(static_cast<double>(clearThreshold) * slot * 0.25);
  if (g > kGaugeMax) return kGaugeMax + 1;  // beyond any gauge: never drawn
  if (g < 0.0) return 0;
  return static_cast<int>(g);
}

namespace {

int OrderIndex(int count, double progress) {
  if (count <= 0) return 0;
  double i = std::floor(count * progress);
  if (!(i >= 0.0)) return 0;
  if (i >= count) return count - 1;
  return static_cast<int>(i);
}

// The ladle of slot 2 follows the dancer's frame: frames 1 to 4 bob with the beat, frame 5
// holds it 6 px up, frames 6 to 9 sway it sideways; its picture cycles with the frame.
void DrawProp(int frame, double x, double y, double beat, uint32_t colour) {
  int f = frame + 1;
  if (f < 1) return;
  int image = Dancers.prop_images[(f - 1) % kPropImages];
  double phase = static_cast<double>(Whole(beat) % 3600) / kBeat;  // 0 .. 1 over a beat
  double dx = 0.0, dy = 0.0;
  if (f <= 4) dy = -4.0 * std::fabs(std::sin(phase * 180.0 * kDegrees));
  else if (f == 5) dy = -6.0;
  else if (f <= 9) dx = 4.0 * std::sin(phase * 360.0 * kDegrees);
  graphics::DrawSpriteCenteredColor(image, colour, x + dx, y + dy);
}

}  // namespace

int DanceFrame(const DancerSet& set, double beat) {
  int64_t period = Whole(set.dance_interval * kBeat);
  double progress = 0.0;
  if (period > 0)
    progress = static_cast<double>(Whole(beat) % period) / (set.dance_interval * kBeat);
  int i = OrderIndex(set.dance_order_count, progress);
  return i < kDanceOrderMax ? set.dance_order[i] : -1;
}

void DrawDancers(const StageClock& c) {
  const DancerSet& set = Dancers;
  for (int d = 0; d < kDancerSlots; ++d) {
    int g = DancerSlotThreshold(c.clear_threshold, d);
    if (c.gauge < g || g > kGaugeMax) continue;
    double since = c.gauge_step_beat != nullptr ? c.gauge_step_beat[g] : 0.0;
    int s = set.slot_sort[d];
    if (s < 0 || s >= kDancerSorts) continue;
    double x = set.dance_x[d];
    double y = set.dance_y[s];
    double entrance = set.appear_interval * kBeat;
    if (static_cast<double>(Whole(entrance)) + since > c.beat) {
      double p = (c.beat - since) / entrance;
      if (!(p >= 0.0)) continue;
      int i = OrderIndex(set.appear_order_count, p);
      int frame = set.appear_order[i];
      int image = ImageAt(set.appear_images[s], frame);
      if (set.appear_pattern[s] == 0) {
        graphics::DrawSpriteCentered(image, x, y);
      } else if (set.appear_pattern[s] == 1) {
        double jy = y;
        if (p < 0.4) jy = y + 180.0 - 250.0 * std::sin(90.0 * kDegrees * p / 0.4);
        else if (p < 0.7) jy = y - 70.0 + 70.0 * std::sin(90.0 * kDegrees * (p - 0.4) / 0.3);
        graphics::DrawSpriteCentered(image, x, jy);
        if (d == 2 && set.has_prop && p >= 0.5) {
          double fade = (p - 0.5) * 2550.0;
          double lift = p < 0.6 ? -6.0 * (p - 0.5) / 0.1 : -6.0;
          DrawProp(4, x, jy + lift + 6.0, c.beat, AlphaColour(fade));
        }
      }
      continue;
    }
    int frame = DanceFrame(set, c.beat);
    graphics::DrawSpriteCentered(ImageAt(set.dance_images[s], frame), x, y);
    if (d == 2 && set.has_prop) DrawProp(frame, x, y, c.beat, 0xFFFFFFFFu);
  }
}

// ---------------------------------------------------------------------------------------
// Chibi

bool ChibiPoseAt(const ChibiSet& set, int sort, double t, ChibiPose* pose) {
  double cx = set.chibi_x, cy = set.chibi_y;
  if (sort < 0 || sort >= kDancerSorts) sort = 0;
  if (t < 1800.0) {  // the half-beat entrance
    int f = set.appear_frame;
    if (set.appear_pattern == 0) {
      pose->x = cx + t / 18.0;
      pose->y = cy;
      f = t < 600.0 ? 1 : t < 1200.0 ? 2 : 3;
    } else if (set.appear_pattern == 1) {
      pose->x = cx + t / 18.0;
      pose->y = cy - 35.0 * std::sin(t / 10.0 * kDegrees);
    } else {
      pose->x = cx;
      pose->y = cy;
    }
    pose->frame = f - 1;
    return true;
  }
  if (t >= 21600.0) return false;  // six beats: gone
  int64_t period = Whole(set.interval * kBeat);
  int64_t i = 0;
  if (period > 0 && set.order_count > 0) i = (Whole(t) % period) * set.order_count / period;
  if (i < 0 || i >= kDanceOrderMax) i = 0;
  pose->frame = set.order[i];
  pose->x = cx + 100.0 + (t - 1800.0) / 27.0;
  if (set.x_pattern[sort] == 2) pose->x += 18.0 * std::sin(t / 20.0 * kDegrees);
  switch (set.y_pattern[sort]) {
    case 0:
      pose->y = t < 5900.0 ? cy - 16.0 * std::sin((t - 2300.0) / 20.0 * kDegrees)
                           : cy + 19.0 * std::sin((t - 5900.0) / 15.0 * kDegrees);
      break;
    case 2: pose->y = cy + 9.0 * std::sin(t / 10.0 * kDegrees); break;
    default: pose->y = cy; break;
  }
  return true;
}

void DrawChibi(const StageClock& c) {
  if (c.effects == nullptr) return;
  for (int k = 0; k < kEffectRingSize; ++k) {
    int at = c.effect_next + k;
    at = ((at % kEffectRingSize) + kEffectRingSize) % kEffectRingSize;
    const StageEffect& e = c.effects[at];
    const ChibiSet* set;
    if (e.code >= shell::kEffectDonGreat && e.code <= shell::kEffectBigKatGood) set = &Chibi[0];
    else if (e.code == shell::kEffectMiss) set = &Chibi[1];
    else continue;
    int sorts = set->sort_count < 1 ? 1 : set->sort_count > kDancerSorts ? kDancerSorts
                                                                         : set->sort_count;
    int sort = static_cast<int>(std::llabs(Whole(e.time)) % sorts);
    ChibiPose pose;
    if (!ChibiPoseAt(*set, sort, c.beat - e.beat, &pose)) continue;
    int image = ImageAt(set->images[sort], pose.frame);
    int w = graphics::GetTextureWidth(image);
    if (w < 0 || pose.x - w / 2.0 > kScreenRight) continue;
    graphics::DrawSpriteCentered(image, pose.x, pose.y);
  }
}

}  // namespace theme
