// The generated default theme and demo songs: every picture and sound is usable, the stage
// sets are complete, animated sets really move, loops join, and the demo charts load with
// kodoban-chart with every note on the beat grid of their music.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"

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
  for (const char* k : {"1", "2"}) {
    for (const char* state : {"_miss.png", "_clear.png"})
      EXPECT_TRUE(Exists(ThemeDir() + "/Play/Bg/upper/bg_" + k + state)) << k << state;
  }
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

TEST(DefaultThemePictures, AnimatedSetsChangeFromFrameToFrame) {
  const std::vector<std::pair<std::string, int>> sets = {
      {"Play/Chara/chara_p1", 5},       {"Play/Chara/chara_p1_gogo", 4}, {"Play/Chara/chara_p1_miss", 2},
      {"Play/Sfield/fire", 8},          {"Play/Splash/splash", 50},      {"Play/Effect/effect_hit_red", 20},
      {"Play/Effect/effect_hit_blue", 20}, {"Play/Soul/soul", 22},       {"Play/Bg/fiver/fiver_1", 10},
      {"Play/Bg/fiver/fiver_2", 10},    {"Result/Soul/fire_p1", 20},     {"SongSelect/Chara/chara_p1", 6},
      {"Play/Dancer/1/dance_1", 6},     {"Play/Dancer/2/dance_2", 6},    {"Play/Chibi/1/chibi_1", 7},
      {"Play/Chibi/2/chibi_1", 5},      {"Play/Chibi/Soul/chibi_1", 4},  {"Play/Soul/soulgauge_hard_p1", 24}};
  for (const auto& [base, n] : sets) {
    // The soul set's first two pictures are the icon and its glow; the gauge's first four
    // are its parts: the animation starts after them.
    int first = base == "Play/Soul/soul" ? 3 : (base.find("soulgauge") != std::string::npos ? 5 : 1);
    for (int k = first; k < n; ++k) {
      Pixels a = LoadPixels(base + "_" + std::to_string(k) + ".png"), b = LoadPixels(base + "_" + std::to_string(k + 1) + ".png");
      ASSERT_FALSE(a.rgba.empty()) << base << " " << k;
      EXPECT_GT(Difference(a, b), 0.002) << base << " frames " << k << " and " << k + 1 << " look the same";
    }
  }
}

TEST(DefaultThemePictures, BigNotesAreBiggerAndColoursTellNotesApart) {
  auto opaqueWidth = [](const Pixels& p) {
    int minX = p.w, maxX = -1;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x)
        if (p.rgba[(size_t(y) * p.w + x) * 4 + 3] > 128) minX = std::min(minX, x), maxX = std::max(maxX, x);
    return maxX - minX + 1;
  };
  auto centre = [](const Pixels& p) { return &p.rgba[(size_t(p.h / 2) * p.w + p.w / 2) * 4]; };
  Pixels don = LoadPixels("Play/Notes/don_1.png"), kat = LoadPixels("Play/Notes/kat_1.png");
  Pixels bigDon = LoadPixels("Play/Notes/don_4.png"), roll = LoadPixels("Play/Notes/roll_1.png");
  ASSERT_GT(don.w, 0);
  EXPECT_GE(opaqueWidth(bigDon), opaqueWidth(don) * 13 / 10);
  const uint8_t *d = centre(don), *k = centre(kat), *r = centre(roll);
  EXPECT_GT(d[0], d[2] + 60) << "don is red";
  EXPECT_GT(k[2], k[0] + 60) << "kat is blue";
  EXPECT_TRUE(r[0] > 180 && r[1] > 140 && r[2] < 120) << "roll is yellow";
}

TEST(DefaultThemePictures, CourseSymbolsDifferInColourAndShape) {
  const char* const courses[5] = {"easy", "normal", "hard", "oni", "edit"};
  std::vector<Pixels> sym;
  for (const char* c : courses) sym.push_back(LoadPixels(std::string("Result/Symbol/") + c + ".png"));
  for (size_t i = 0; i < sym.size(); ++i)
    for (size_t j = i + 1; j < sym.size(); ++j) {
      // Compare the silhouettes (alpha) and the colours separately.
      double shape = sym[i].Share([&](const uint8_t* p, size_t at) { return (p[3] > 128) != (sym[j].rgba[at + 3] > 128); });
      EXPECT_GT(shape, 0.03) << courses[i] << " and " << courses[j] << " share a shape";
      EXPECT_GT(Difference(sym[i], sym[j]), 0.2) << courses[i] << " and " << courses[j] << " look alike";
    }
}

// Backgrounds must show a picture, not one flat fill; full-screen pictures are opaque.
TEST(DefaultThemePictures, BackgroundsShowMoreThanAFlatFill) {
  for (const char* rel : {"Result/Bg/clear.png", "Result/Bg/failed.png", "SongSelect/Bg/bg.png",
                          "SongSelect/Load/bg_start.png", "Play/Bg/dancer_1/field.png", "Play/Bg/dancer_2/town.png",
                          "Play/Bg/upper/bg_1_p1.png", "Play/Bg/upper/bg_2_p1.png", "Play/Load/bg_end.png",
                          "Result/Load/bg_end.png", "Play/Bg/stage/stage_1.png", "Play/Bg/stage/stage_2.png"}) {
    Pixels p = LoadPixels(rel);
    ASSERT_FALSE(p.rgba.empty()) << rel;
    double sum = 0, sum2 = 0;
    p.Share([&](const uint8_t* c, size_t) {
      double l = 0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2];
      return sum += l, sum2 += l * l, false;
    });
    const double n = p.rgba.size() / 4, mean = sum / n;
    EXPECT_GT(std::sqrt(std::max(0.0, sum2 / n - mean * mean)), 12.0) << rel << " is nearly one flat colour";
    EXPECT_LT(p.Share([](const uint8_t* c, size_t) { return c[3] < 250; }), 0.01) << rel;
  }
}

// Every digit of every number set is drawn, and no two digits of a set look alike.
TEST(DefaultThemePictures, EveryNumberSetHasTenDistinctDigits) {
  for (const char* base : {"Play/Number/combo", "Play/Number/combo_l", "Play/Number/combo_balloon", "Play/Number/roll",
                           "Play/Number/burst", "Play/Number/score", "SongSelect/Number/score", "Result/Number/score",
                           "Result/Number/score_s"}) {
    std::vector<Pixels> d;
    for (int i = 0; i <= 9; ++i) {
      d.push_back(LoadPixels(std::string(base) + "_" + std::to_string(i) + ".png"));
      ASSERT_FALSE(d[i].rgba.empty()) << base << " " << i;
      EXPECT_GT(d[i].Share([](const uint8_t* p, size_t) { return p[3] > 128; }), 0.08) << base << " digit " << i << " is hardly drawn";
      for (int j = 0; j < i; ++j) EXPECT_GT(Difference(d[i], d[j]), 0.05) << base << ": " << i << " looks like " << j;
    }
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
    int m = 0;
    for (int16_t v : w.s) m = std::max(m, std::abs(int(v)));
    return m;
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

TEST(DefaultThemeStages, ScriptsUseAppearMotionAndClearLayersWithExistingImages) {
  std::set<std::string> commandsSeen;
  for (const std::string n : {"1", "2"}) {
    std::string dir = ThemeDir() + "/Play/Bg/dancer_" + n, text = ReadFile(dir + "/dancer_bg.ini");
    ASSERT_FALSE(text.empty());
    std::map<std::string, int> kinds;  // normal and clear layers, appearing and moving commands
    for (const std::string& l : Lines(text)) {
      if (l.empty() || l[0] != '#') continue;
      const std::string cmd = l.substr(0, l.find('('));
      commandsSeen.insert(cmd);
      if (cmd == "#BG_NAME" || cmd == "#CLEAR_BG_NAME") {
        ++kinds[cmd];
        size_t a = l.find('('), b = l.find(')');
        ASSERT_NE(b, std::string::npos) << l;
        EXPECT_TRUE(Exists(dir + "/" + l.substr(a + 1, b - a - 1))) << l;
      }
      if (cmd.rfind("#APPEAR_", 0) == 0) ++kinds["appear"];
      if (cmd == "#ROTATE" || cmd == "#BLINK" || cmd.find("#MOVE_") == 0 || cmd == "#FLAME_CHANGE" || cmd == "#BLINK_WAIT") ++kinds["motion"];
      EXPECT_LT(l.size(), 255u);
    }
    for (const char* kind : {"#BG_NAME", "#CLEAR_BG_NAME", "appear", "motion"}) EXPECT_GT(kinds[kind], 0) << n << " " << kind;
  }
  // Between them the two scripts show off a good part of the commands.
  EXPECT_GE(commandsSeen.size(), 25u);
}

std::map<std::string, std::string> IniKeys(const std::string& text) {
  std::map<std::string, std::string> kv;
  for (const std::string& l : Lines(text))
    if (!l.empty() && l[0] != ';' && l.find('=') != std::string::npos) kv[l.substr(0, l.find('='))] = l.substr(l.find('=') + 1);
  return kv;
}
std::vector<int> Ints(const std::string& s) {
  std::vector<int> v;
  std::regex number("[0-9]+");
  for (auto it = std::sregex_iterator(s.begin(), s.end(), number); it != std::sregex_iterator(); ++it) v.push_back(std::stoi(it->str()));
  return v;
}

TEST(DefaultThemeStages, DancerAndChibiSetsHaveEveryFrameTheirOrdersName) {
  for (const std::string n : {"1", "2"}) {
    std::string dir = ThemeDir() + "/Play/Dancer/" + n;
    auto kv = IniKeys(ReadFile(dir + "/dancer.ini"));
    int sorts = std::atoi(kv["dance_sort"].c_str());
    ASSERT_GE(sorts, 1);
    EXPECT_EQ(Ints(kv["dance_x"]).size(), 5u);
    EXPECT_GE(Ints(kv["dance_y"]).size(), size_t(sorts)) << "a height for every kind of dancer";
    // Without the random pattern slot d dances with kind d: all five slots need a kind.
    EXPECT_TRUE(kv["dance_pattern"] == "1" || sorts >= 5) << "set " << n;
    for (int s = 1; s <= sorts; ++s) {
      for (const char* order : {"dance", "appear"}) {
        for (int f : Ints(kv[std::string(order) + "_order"]))
          EXPECT_TRUE(Exists(dir + "/" + order + "_" + std::to_string(s) + "_" + std::to_string(f) + ".png"));
      }
    }
  }
  for (const char* set : {"1", "2", "Soul"}) {
    std::string dir = ThemeDir() + "/Play/Chibi/" + set;
    auto kv = IniKeys(ReadFile(dir + "/chibi.ini"));
    int sorts = std::atoi(kv["chibi_sort"].c_str());
    ASSERT_GE(sorts, 1) << set;
    std::vector<int> frames = Ints(kv["chibi_order"]);
    frames.push_back(std::atoi(kv["chibi_appear_flame"].c_str()));
    if (kv["chibi_appear_patern"] == "0") frames.insert(frames.end(), {1, 2, 3});
    for (int s = 1; s <= sorts; ++s)
      for (int f : frames) EXPECT_TRUE(Exists(dir + "/chibi_" + std::to_string(s) + "_" + std::to_string(f) + ".png")) << set << " " << f;
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

TEST(DemoSongs, FourInAGenreFolderAndOneFolded) {
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
  // What the tool's JSON below does not show: the commands that only move or mark time.
  for (const char* cmd : {"#MEASURE 3/4", "#DELAY ", "#BARLINEON", "#SECTION", "#N\n", "#E\n", "#M\n", "#BRANCHEND", "OFFSET:-"})
    EXPECT_NE(all.find(cmd), std::string::npos) << cmd;
}

// Runs kodoban-chart.
std::string ChartJson(const std::string& chart, const std::string& course) {
  std::string out, tool = BuildDir() + "/kodoban-chart";
  std::string cmd = "'" + tool + "' --course " + course + " '" + chart + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  char buf[65536];
  for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  if (p) pclose(p);
  return out;
}

// The objects of one top-level array of the tool's JSON, each as a key -> number map.
std::vector<std::map<std::string, double>> JsonArray(const std::string& json, const std::string& key) {
  std::vector<std::map<std::string, double>> out;
  const size_t k = json.find("\"" + key + "\""), open = json.find('[', k);
  if (k == std::string::npos) return out;
  const std::string body = json.substr(open, json.find(']', open) - open);
  for (size_t pos = 0, end; (pos = body.find('{', pos)) != std::string::npos; pos = end) {
    end = body.find('}', pos);
    auto& m = out.emplace_back();
    std::stringstream fields(body.substr(pos + 1, end - pos - 1));
    for (std::string f; std::getline(fields, f, ',');) {
      const size_t c = f.find(':'), q = f.find('"');
      const std::string v = f.substr(c + 1);
      if (c != std::string::npos) m[f.substr(q + 1, f.find('"', q + 1) - q - 1)] = v == "true" ? 1 : v == "false" ? 0 : std::atof(v.c_str());
    }
  }
  return out;
}

TEST(DemoSongs, ChartsLoadAndEveryNoteFallsOnTheBeatGrid) {
  std::vector<Demo> demos = Demos();
  ASSERT_FALSE(demos.empty());
  if (!Exists(BuildDir() + "/kodoban-chart")) GTEST_SKIP() << "kodoban-chart is not built";
  std::set<int> types, conditions, levels;
  std::set<std::string> courses;
  bool branches = false, tempoChange = false, gogo = false, hiddenBar = false, scroll = false, balloonHits = false;
  for (const Demo& d : demos) {
    std::string tja = ReadFile(d.chart);
    for (const char* c : {"Easy", "Normal", "Hard", "Oni", "Edit"}) {
      if (tja.find(std::string("COURSE:") + c + "\n") == std::string::npos) continue;
      std::string json = ChartJson(d.chart, c);
      ASSERT_NE(json.find("\"offset_ms\":"), std::string::npos) << d.chart << " " << c;
      courses.insert(c);
      double offset = std::atof(json.c_str() + json.find("\"offset_ms\":") + 12);
      EXPECT_DOUBLE_EQ(offset, d.offsetMs);
      levels.insert(std::atoi(json.c_str() + json.find("\"level\":") + 8));
      auto notes = JsonArray(json, "notes");
      EXPECT_GT(notes.size(), 20u) << d.chart << " " << c;
      for (auto& n : notes) {
        types.insert(int(n["type"]));
        scroll = scroll || n["scroll"] != 1.0;
        balloonHits = balloonHits || (int(n["type"]) == 7 && n["balloon_hits"] > 5);
        // On the music's clock the note plays at time - OFFSET; it must sit on a twelfth of a beat.
        double t = n["time"] - offset;
        auto it = std::lower_bound(d.grid.begin(), d.grid.end(), t - 0.6);
        ASSERT_TRUE(it != d.grid.end() && std::fabs(*it - t) < 0.6)
            << d.chart << " " << c << ": note at " << n["time"] << " ms is off the beat grid";
        EXPECT_LT(t, d.lengthMs - 1000);
      }
      for (auto& b : JsonArray(json, "branch_points")) conditions.insert(int(b["condition"])), branches = true;
      tempoChange = tempoChange || JsonArray(json, "bpm_changes").size() > 1;
      gogo = gogo || JsonArray(json, "gogo_changes").size() > 1;
      for (auto& b : JsonArray(json, "bar_lines")) hiddenBar = hiddenBar || b["visible"] == 0;
    }
  }
  for (int t = 1; t <= 8; ++t) EXPECT_TRUE(types.count(t)) << "note type " << t;
  EXPECT_EQ(conditions, (std::set<int>{1, 2, 3}));
  EXPECT_EQ((std::vector<bool>{branches, tempoChange, gogo, hiddenBar, scroll, balloonHits}), std::vector<bool>(6, true))
      << "branches, tempo change, gogo, hidden bar line, scroll, balloon hits";
  EXPECT_EQ(courses.size(), 5u);
  EXPECT_GE(levels.size(), 6u);
}

}  // namespace
