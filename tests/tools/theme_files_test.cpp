// The generated default theme and demo songs: every picture and sound is usable, the stage
// sets are complete, animated sets really move, loops join, and the demo charts load with
// every note on the beat grid of their music.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "support/files.h"
#include "theme/bg_script.h"
#include "theme/stage.h"

namespace {

using testsupport::ReadFile;

std::string BuildDir() { return std::getenv("KODOBAN_BUILD_DIR") ? std::getenv("KODOBAN_BUILD_DIR") : ".."; }
std::string ThemeDir() { return BuildDir() + "/Files/Theme/Default"; }
bool Exists(const std::string& p) { return std::filesystem::exists(p); }
uint32_t U32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

// The loader jobs themselves prove that every file they name is there (tests/theme). Here:
// every picture of the theme loads and fits the screen, every sound is 16-bit PCM at 44.1 kHz
// with a data size that matches the file, and the stage sets the loader picks at random are
// both complete (their other files are read by the picture and script tests below).
TEST(DefaultThemeFiles, EveryPictureLoadsAndEverySoundIs16BitPcm) {
  int pictures = 0, sounds = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(ThemeDir())) {
    const std::string path = entry.path().string(), ext = entry.path().extension().string();
    const std::string rel = path.substr(ThemeDir().size() + 1);
    if (ext == ".png") {
      ++pictures;
      SDL_Surface* s = IMG_Load(path.c_str());
      ASSERT_NE(s, nullptr) << rel << ": " << IMG_GetError();
      EXPECT_TRUE(s->w > 0 && s->h > 0 && s->w <= 960 && s->h <= 480) << rel << " " << s->w << "x" << s->h;
      SDL_FreeSurface(s);
    } else if (ext == ".wav") {
      ++sounds;
      std::string b = ReadFile(path);
      ASSERT_GE(b.size(), 44u) << rel;
      // Header, PCM, 16-bit, 44.1 kHz.
      EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8) + std::to_string(uint8_t(b[20])) + "/" + std::to_string(uint8_t(b[34])) +
                    "/" + std::to_string(U32(b, 24)), "RIFFWAVEfmt 1/16/44100") << rel;
      EXPECT_EQ(size_t(U32(b, 40)) + 44, b.size()) << rel;
    }
  }
  EXPECT_GT(pictures, 500);
  EXPECT_GT(sounds, 100);
  for (const char* set : {"1_miss", "1_clear", "2_miss", "2_clear"})
    EXPECT_TRUE(Exists(ThemeDir() + "/Play/Bg/upper/bg_" + set + ".png")) << set;
}

// ---- pixels and samples ----

struct Pixels {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
  // Share of the pixels for which f(pixel) holds.
  template <class F> double Share(F f) const {
    size_t n = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) n += f(&rgba[i], i);
    return double(n) / (rgba.size() / 4);
  }
};
Pixels LoadPixels(const std::string& rel) {
  Pixels p;
  SDL_Surface* s = IMG_Load((ThemeDir() + "/" + rel).c_str());
  SDL_Surface* c = s ? SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0) : nullptr;
  for (int y = 0; c && y < c->h; ++y) {
    const uint8_t* row = static_cast<uint8_t*>(c->pixels) + y * c->pitch;
    p.rgba.insert(p.rgba.end(), row, row + size_t(c->w) * 4);
  }
  if (c) p.w = c->w, p.h = c->h;
  SDL_FreeSurface(c);
  SDL_FreeSurface(s);
  return p;
}
// Share of pixels that differ noticeably between two pictures of the same size.
double Difference(const Pixels& a, const Pixels& b) {
  if (a.w != b.w || a.h != b.h || a.rgba.empty()) return -1;
  return a.Share([&](const uint8_t* p, size_t i) {
    int d = 0;
    for (int c = 0; c < 4; ++c) d += std::abs(int(p[c]) - int(b.rgba[i + c]));
    return d > 24;
  });
}

std::vector<std::string> Numbered(const std::string& base, int first, int last) {
  std::vector<std::string> names;
  for (int k = first; k <= last; ++k) names.push_back(base + "_" + std::to_string(k) + ".png");
  return names;
}

// Pictures the player must tell apart: each frame of an animation from the next, each digit of
// a number set and each course symbol from every other (the symbols in shape as well).
TEST(DefaultThemePictures, FramesDigitsAndCourseSymbolsLookDistinct) {
  struct Group {
    std::vector<std::string> pictures;
    bool everyPair = false;
    double minDifference = 0.002;
  };
  // The soul set starts with the icon and its glow, the gauge with its four parts.
  std::vector<Group> groups = {
      {Numbered("Play/Chara/chara_p1", 1, 5)}, {Numbered("Play/Chara/chara_p1_gogo", 1, 4)},
      {Numbered("Play/Chara/chara_p1_miss", 1, 2)}, {Numbered("Play/Sfield/fire", 1, 8)},
      {Numbered("Play/Splash/splash", 1, 50)}, {Numbered("Play/Effect/effect_hit_red", 1, 20)},
      {Numbered("Play/Soul/soul", 3, 22)}, {Numbered("Play/Bg/fiver/fiver_1", 1, 10)},
      {Numbered("Result/Soul/fire_p1", 1, 20)}, {Numbered("SongSelect/Chara/chara_p1", 1, 6)},
      {Numbered("Play/Dancer/1/dance_1", 1, 6)}, {Numbered("Play/Chibi/1/chibi_1", 1, 7)},
      {Numbered("Play/Chibi/2/chibi_1", 1, 5)}, {Numbered("Play/Chibi/Soul/chibi_1", 1, 4)},
      {Numbered("Play/Soul/soulgauge_hard_p1", 5, 24)},
      {Numbered("Play/Number/combo", 0, 9), true, 0.05}, {Numbered("SongSelect/Number/score", 0, 9), true, 0.05},
      {Numbered("Result/Number/score", 0, 9), true, 0.05}, {Numbered("Result/Number/score_s", 0, 9), true, 0.05},
      {{"Result/Symbol/easy.png", "Result/Symbol/normal.png", "Result/Symbol/hard.png", "Result/Symbol/oni.png",
        "Result/Symbol/edit.png"}, true, 0.2}};
  for (const Group& g : groups) {
    std::vector<Pixels> p;
    for (const std::string& name : g.pictures) {
      p.push_back(LoadPixels(name));
      ASSERT_FALSE(p.back().rgba.empty()) << name;
      EXPECT_TRUE(!g.everyPair || p.back().Share([](const uint8_t* c, size_t) { return c[3] > 128; }) > 0.08) << name;
      for (size_t j = g.everyPair || p.size() < 2 ? 0 : p.size() - 2; j + 1 < p.size(); ++j)
        EXPECT_GT(Difference(p.back(), p[j]), g.minDifference) << name << " looks like " << g.pictures[j];
    }
  }
  for (size_t i = 1; i < 5; ++i) {
    const Pixels &a = LoadPixels(groups.back().pictures[i]), &b = LoadPixels(groups.back().pictures[i - 1]);
    EXPECT_GT(a.Share([&](const uint8_t* p, size_t at) { return (p[3] > 128) != (b.rgba[at + 3] > 128); }), 0.03) << i;
  }
}

TEST(DefaultThemePictures, BigNotesAreBiggerAndColoursTellNotesApart) {
  auto area = [](const Pixels& p) { return p.w * p.h * p.Share([](const uint8_t* c, size_t) { return c[3] > 128; }); };
  auto centre = [](const Pixels& p) { return &p.rgba[(size_t(p.h / 2) * p.w + p.w / 2) * 4]; };
  Pixels don = LoadPixels("Play/Notes/don_1.png"), kat = LoadPixels("Play/Notes/kat_1.png");
  Pixels bigDon = LoadPixels("Play/Notes/don_4.png"), roll = LoadPixels("Play/Notes/roll_1.png");
  ASSERT_GT(don.w, 0);
  EXPECT_GE(area(bigDon), area(don) * 1.69) << "a third wider, and as much taller";
  const uint8_t *d = centre(don), *k = centre(kat), *r = centre(roll);
  EXPECT_GT(d[0], d[2] + 60) << "don is red";
  EXPECT_GT(k[2], k[0] + 60) << "kat is blue";
  EXPECT_TRUE(r[0] > 180 && r[1] > 140 && r[2] < 120) << "roll is yellow";
}

// Backgrounds must show a picture, not one flat fill; full-screen pictures are opaque.
TEST(DefaultThemePictures, BackgroundsShowMoreThanAFlatFill) {
  for (const char* rel : {"Result/Bg/clear.png", "Result/Bg/failed.png", "SongSelect/Bg/bg.png",
                          "SongSelect/Load/bg_start.png", "Play/Bg/dancer_1/field.png", "Play/Bg/dancer_2/town.png",
                          "Play/Bg/upper/bg_1_p1.png", "Play/Bg/upper/bg_2_p1.png", "Play/Load/bg_end.png",
                          "Result/Load/bg_end.png", "Play/Bg/stage/stage_1.png", "Play/Bg/stage/stage_2.png"}) {
    Pixels p = LoadPixels(rel);
    ASSERT_FALSE(p.rgba.empty()) << rel;
    // A twentieth of the picture at least is noticeably unlike its corner.
    const uint8_t* k = p.rgba.data();
    auto unlike = [k](const uint8_t* c, size_t) {
      return std::abs(c[0] - k[0]) + std::abs(c[1] - k[1]) + std::abs(c[2] - k[2]) > 36;
    };
    EXPECT_GT(p.Share(unlike), 0.05) << rel << " is nearly one flat colour";
    EXPECT_LT(p.Share([](const uint8_t* c, size_t) { return c[3] < 250; }), 0.01) << rel;
  }
}

struct Wav {
  int channels = 0;
  std::vector<int16_t> s;
};
Wav LoadWav(const std::string& rel) {
  std::string b = ReadFile(ThemeDir() + "/" + rel);
  if (b.size() < 44) return {};
  Wav w{uint8_t(b[22]), std::vector<int16_t>((b.size() - 44) / 2)};
  std::copy_n(b.data() + 44, w.s.size() * 2, reinterpret_cast<char*>(w.s.data()));
  return w;
}

TEST(DefaultThemeSounds, DrumHitsAreShortLoudAndDistinct) {
  Wav don = LoadWav("Play/Sound/don.wav"), kat = LoadWav("Play/Sound/kat.wav");
  ASSERT_TRUE(!don.s.empty() && !kat.s.empty());
  auto peak = [](const Wav& w) {
    return std::abs(*std::max_element(w.s.begin(), w.s.end(), [](int a, int b) { return std::abs(a) < std::abs(b); }));
  };
  // Zero crossings per second tell low from bright.
  auto crossings = [](const Wav& w, size_t frames) {
    int n = 0;
    for (size_t i = 1; i < std::min(frames, w.s.size()); ++i) n += (w.s[i - 1] < 0) != (w.s[i] < 0);
    return n;
  };
  EXPECT_GT(std::min(peak(don), peak(kat)), 16000);
  // At high density a hit must not ring on: both are over within half a second.
  EXPECT_LT(don.s.size() / don.channels, 44100u / 2);
  EXPECT_LT(kat.s.size() / kat.channels, 44100u / 4);
  EXPECT_GT(crossings(kat, 4410), 4 * crossings(don, 4410)) << "the rim hit is brighter than the face hit";
  // No click at the start: the first sample is near silence.
  EXPECT_LT(std::max(std::abs(int(don.s[0])), std::abs(int(kat.s[0]))), 2000);
  // The hundreds of the combo voice differ only in pitch.
  Wav a = LoadWav("Play/Sound/combo_voice_100_p1.wav"), b = LoadWav("Play/Sound/combo_voice_200_p1.wav");
  ASSERT_FALSE(a.s.empty());
  EXPECT_EQ(a.s.size(), b.s.size());
  EXPECT_NE(a.s, b.s);
}

TEST(DefaultThemeSounds, LoopsJoinSeamlessly) {
  for (const char* rel : {"Result/Sound/clear_bgm_loop.wav", "Result/Sound/failed_bgm_loop.wav"}) {
    Wav w = LoadWav(rel);
    ASSERT_GT(w.s.size(), 4u) << rel;
    const int ch = w.channels;
    const size_t frames = w.s.size() / ch;
    for (int c = 0; c < ch; ++c) {
      // The step across the join is no larger than steps inside the loop.
      int maxStep = 0, join = std::abs(int(w.s[(frames - 1) * ch + c]) - int(w.s[c]));
      for (size_t i = 1; i < frames; ++i) maxStep = std::max(maxStep, std::abs(int(w.s[i * ch + c]) - int(w.s[(i - 1) * ch + c])));
      EXPECT_LE(join, maxStep) << rel;
      EXPECT_LT(join, 6000) << rel;
    }
  }
}

// ---- layout files ----

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  for (std::string l; std::getline(ss, l);) out.push_back(l);
  return out;
}

// The scripts as the game reads them: normal and clear layers, appearing and moving, every
// picture there, and between the two a good part of what the script language can do.
TEST(DefaultThemeStages, ScriptsUseAppearMotionAndClearLayersWithExistingImages) {
  std::set<int> appears, motions;
  for (const std::string n : {"1", "2"}) {
    auto found = [](const char* path) { return Exists(path) ? 1 : -1; };
    theme::LoadBgScriptWith((ThemeDir() + "/Play/Bg/dancer_" + n).c_str(), found);
    EXPECT_TRUE(theme::BgNormalList.count > 0 && theme::BgClearList.count > 0) << n;
    std::set<int> seen[2];
    for (const theme::BgLayerList* list : {&theme::BgNormalList, &theme::BgClearList})
      for (const theme::BgLayer& l : std::vector(list->layers, list->layers + list->count)) {
        EXPECT_EQ(l.image, 1) << n;
        seen[0].insert(l.appear_code), seen[1].insert(l.motion_code);
      }
    EXPECT_TRUE(seen[0].size() > 1 && seen[1].size() > 1) << n;
    appears.insert(seen[0].begin(), seen[0].end()), motions.insert(seen[1].begin(), seen[1].end());
  }
  EXPECT_GE(appears.size() + motions.size(), 24u);
}

// The sets as the game reads them: every frame an order names is there, for every kind.
TEST(DefaultThemeStages, DancerAndChibiSetsHaveEveryFrameTheirOrdersName) {
  auto exists = [](const std::string& dir, const char* kind, int sort, int frame) {
    return Exists(dir + "/" + kind + "_" + std::to_string(sort) + "_" + std::to_string(frame) + ".png");
  };
  for (const std::string n : {"1", "2"}) {
    const std::string dir = ThemeDir() + "/Play/Dancer/" + n;
    theme::DancerSet d;
    theme::ResetDancerSet(&d);
    ASSERT_TRUE(theme::ReadDancerIni((dir + "/dancer.ini").c_str(), &d));
    // Placed in every slot and at a height for every kind; without the random pattern slot d
    // dances with kind d, so all five slots need a kind.
    EXPECT_TRUE(d.dance_x[4] > 0 && d.dance_y[d.sort_count - 1] > 0 && (d.dance_pattern == 1 || d.sort_count >= 5)) << n;
    for (int s = 1; s <= d.sort_count; ++s) {
      for (int i = 0; i < d.dance_order_count; ++i) EXPECT_TRUE(exists(dir, "dance", s, d.dance_order[i] + 1)) << n;
      for (int i = 0; i < d.appear_order_count; ++i) EXPECT_TRUE(exists(dir, "appear", s, d.appear_order[i] + 1)) << n;
    }
  }
  for (const std::string set : {"1", "2", "Soul"}) {
    const std::string dir = ThemeDir() + "/Play/Chibi/" + set;
    theme::ChibiSet c;
    theme::ResetChibiSet(&c);
    ASSERT_TRUE(theme::ReadChibiIni((dir + "/chibi.ini").c_str(), &c)) << set;
    // The walk's frames, the one it appears with and, with pattern 0, the entrance's three.
    std::vector<int> frames = {c.appear_frame};
    for (int i = 0; i < c.order_count; ++i) frames.push_back(c.order[i] + 1);
    if (c.appear_pattern == 0) frames.insert(frames.end(), {1, 2, 3});
    for (int s = 1; s <= c.sort_count; ++s)
      for (int f : frames) EXPECT_TRUE(exists(dir, "chibi", s, f)) << set << " " << f;
  }
}

// ---- demo songs ----

struct Demo {
  std::string chart;
  double offsetMs = 0, lengthMs = 0;
  std::vector<double> grid;
};
std::vector<Demo> Demos() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(BuildDir() + "/themegen/beatgrid", ec))
    if (e.path().extension() == ".txt") names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  std::vector<Demo> out;
  for (const std::string& n : names) {
    Demo& demo = out.emplace_back();
    for (const std::string& l : Lines(ReadFile(n))) {
      if (l.rfind("chart ", 0) == 0) demo.chart = BuildDir() + "/" + l.substr(6);
      else if (l.rfind("offset_ms ", 0) == 0) demo.offsetMs = std::atof(l.c_str() + 10);
      else if (l.rfind("length_ms ", 0) == 0) demo.lengthMs = std::atof(l.c_str() + 10);
      else if (!l.empty()) demo.grid.push_back(std::atof(l.c_str()));
    }
  }
  return out;
}

TEST(DemoSongs, FourInAGenreFolderOneFoldedAndEveryNoteOnTheBeatGrid) {
  std::vector<Demo> demos = Demos();
  ASSERT_GE(demos.size(), 5u);
  int inGenre = 0, folded = 0;
  std::string all;
  for (const Demo& d : demos) {
    ASSERT_TRUE(Exists(d.chart)) << d.chart;
    std::string tja = ReadFile(d.chart), folder = d.chart.substr(0, d.chart.rfind('/'));
    all += tja;
    size_t w = tja.find("WAVE:");
    ASSERT_NE(w, std::string::npos);
    std::string ogg = folder + "/" + tja.substr(w + 5, tja.find('\n', w) - w - 5);
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(ogg.c_str(), &vf), 0) << ogg;
    double secs = ov_time_total(&vf, -1);
    ov_clear(&vf);
    EXPECT_TRUE(secs >= 60.0 && secs <= 150.0) << ogg << " " << secs;
    EXPECT_NEAR(secs * 1000.0, d.lengthMs, 50.0);
    // A genre folder holds genre.ini directly; a song folder inside it is folded in.
    std::string parent = folder.substr(0, folder.rfind('/')), ini = ReadFile(parent + "/genre.ini");
    if (Exists(parent + "/genre.ini")) {
      ++inGenre;
      EXPECT_TRUE(ini.find("GenreName=") != std::string::npos && ini.find("GenreColor=") != std::string::npos) << ini;
    } else {
      folded += !Exists(folder + "/genre.ini");
    }
  }
  EXPECT_GE(inGenre, 4);
  EXPECT_GE(folded, 1);
  // What the loaded charts below do not show: the commands that only move or mark time.
  for (const char* cmd : {"#MEASURE 3/4", "#DELAY ", "#BARLINEON", "#SECTION", "#N\n", "#E\n", "#M\n", "#BRANCHEND", "OFFSET:-"})
    EXPECT_NE(all.find(cmd), std::string::npos) << cmd;
  // Every course loads, with its notes on the music's beat grid and every kind of note and event.
  const chart::Chart& c = chart::TheChart;
  std::set<int> types, conditions, levels, courses;
  bool tempoChange = false, gogo = false, hiddenBar = false, scroll = false, balloonHits = false;
  for (const Demo& d : demos) {
    std::string tja = ReadFile(d.chart);
    for (int course = 0; course < 5; ++course) {
      const char* name = std::array{"Easy", "Normal", "Hard", "Oni", "Edit"}[course];
      if (tja.find(std::string("COURSE:") + name + "\n") == std::string::npos) continue;
      chart::ResetChartCompletely();
      ASSERT_EQ(chart::LoadChart(d.chart.c_str(), course), 0) << d.chart;
      courses.insert(course);
      EXPECT_DOUBLE_EQ(c.offsetMs, d.offsetMs);
      levels.insert(c.level);
      EXPECT_GT(c.totals.notes, 20) << d.chart << " " << name;
      for (const chart::ChartNote* n = c.notes; n->type != chart::kNoteNone; ++n) {
        types.insert(n->type);
        scroll = scroll || n->scroll != 1.0;
        balloonHits = balloonHits || (n->type == chart::kNoteBalloon && n->balloonHits > 5);
        // On the music's clock the note plays at time - OFFSET; it must sit on a twelfth of a beat.
        double t = n->time - c.offsetMs;
        auto it = std::lower_bound(d.grid.begin(), d.grid.end(), t - 0.6);
        ASSERT_TRUE(it != d.grid.end() && std::fabs(*it - t) < 0.6)
            << d.chart << " " << name << ": note at " << n->time << " ms is off the beat grid";
        EXPECT_LT(t, d.lengthMs - 1000);
      }
      for (const chart::BranchPoint& b : c.branchPoints) conditions.insert(b.condition);
      tempoChange = tempoChange || c.bpmChanges[1].lane != -1;
      gogo = gogo || c.gogoChanges[1].lane != -1;
      for (const chart::BarLine& b : c.barLines) hiddenBar = hiddenBar || (b.time != chart::kNeverTime && !b.visible);
    }
  }
  for (int t = 1; t <= 8; ++t) EXPECT_TRUE(types.count(t)) << "note type " << t;
  EXPECT_EQ(conditions, (std::set<int>{-1, 1, 2, 3}));
  EXPECT_EQ((std::vector<bool>{tempoChange, gogo, hiddenBar, scroll, balloonHits}), std::vector<bool>(5, true))
      << "tempo change, gogo, hidden bar line, scroll, balloon hits";
  EXPECT_EQ(courses.size(), 5u);
  EXPECT_GE(levels.size(), 6u);
}

}  // namespace
