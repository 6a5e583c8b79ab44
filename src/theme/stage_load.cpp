// Loading the stage decorations: one numbered set of each kind picked at random at every play
// load, and the pictures of the chosen sets.
#include "theme/stage.h"

#include <cstdlib>

#include "graphics/texture.h"
#include "shell/config.h"
#include "theme/bg_script.h"
#include "theme/text_file.h"
#include "theme/theme_math.h"

namespace theme {

namespace {

int LoadThemeImage(const char* path) { return path[0] != '\0' ? graphics::LoadTexture(path) : -1; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Set selection

int CountNumberedSets(bool (*exists)(const char* path), const char* pattern, const char* themeDir) {
  char path[kThemePathBytes];
  int n = 0;
  while (n < kMaxNumberedSets && FormatPath(path, pattern, themeDir, n + 1) && exists(path)) ++n;
  return n;
}

int PickNumberedSet(int count) {
  if (count < 1) return 0;
  return std::rand() % count + 1;
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
  char path[kThemePathBytes];
  ResetFiver();

  // The scripted background.
  int n = PickNumberedSet(CountNumberedSets(DirectoryExists, "%s/Play/Bg/dancer_%d", dir));
  if (n > 0 && FormatPath(path, "%s/Play/Bg/dancer_%d", dir, n))
    LoadBgScript(path);
  else
    ClearBgScript();

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
  char path[kThemePathBytes];
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
    Dancers.slot_sort[d] =
        Dancers.dance_pattern == 1 ? std::rand() % Dancers.sort_count : d % Dancers.sort_count;
  Dancers.has_prop = FormatPath(path, "%s/Play/Dancer/%d/shakushi", dir, n) &&
                     graphics::LoadNumberedImages(kPropImages, 1, Dancers.prop_images, path) > 0;
}

void LoadChibi() {
  const char* dir = shell::ThemeDir;
  char path[kThemePathBytes];
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

}  // namespace theme
