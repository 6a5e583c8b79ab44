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
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/files.h"

namespace {

std::string BuildDir() {
  const char* b = std::getenv("KODOBAN_BUILD_DIR");
  return b ? b : "..";
}
std::string ThemeDir() { return BuildDir() + "/Files/Theme/Default"; }

bool Exists(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0;
}

using testsupport::ReadFile;

const char* const kCourses[5] = {"easy", "normal", "hard", "oni", "edit"};

// The loader jobs themselves prove that every file they name is there (tests/theme). Here:
// every picture of the theme loads and fits the screen, every sound is 16-bit PCM at 44.1 kHz
// with a data size that matches the file, and the stage sets the loader picks at random are
// both complete.
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
      auto u32 = [&b](size_t at) {
        return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
      };
      EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8), "RIFFWAVEfmt ") << rel;
      EXPECT_EQ(uint8_t(b[20]), 1) << rel << ": PCM";
      EXPECT_EQ(uint8_t(b[34]), 16) << rel << ": 16-bit";
      EXPECT_EQ(u32(24), 44100u) << rel;
      EXPECT_EQ(size_t(u32(40)) + 44, b.size()) << rel;
    }
  }
  EXPECT_GT(pictures, 500);
  EXPECT_GT(sounds, 100);
  for (int n = 1; n <= 2; ++n) {
    const std::string k = std::to_string(n);
    for (const std::string& rel : {"Play/Bg/dancer_" + k + "/dancer_bg.ini", "Play/Bg/upper/bg_" + k + "_p1.png",
                                  "Play/Bg/upper/bg_" + k + "_miss.png", "Play/Bg/upper/bg_" + k + "_clear.png",
                                  "Play/Bg/stage/stage_" + k + ".png", "Play/Bg/fiver/fiver_" + k + "_10.png",
                                  "Play/Dancer/" + k + "/dancer.ini", "Play/Chibi/" + k + "/chibi.ini"})
      EXPECT_TRUE(Exists(ThemeDir() + "/" + rel)) << rel;
  }
}

// ---- pixels and samples ----

struct Pixels {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
};
Pixels LoadPixels(const std::string& rel) {
  Pixels p;
  SDL_Surface* s = IMG_Load((ThemeDir() + "/" + rel).c_str());
  if (!s) return p;
  SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(s);
  if (!c) return p;
  p.w = c->w;
  p.h = c->h;
  p.rgba.resize(size_t(p.w) * p.h * 4);
  for (int y = 0; y < p.h; ++y)
    std::memcpy(&p.rgba[size_t(y) * p.w * 4], static_cast<uint8_t*>(c->pixels) + y * c->pitch, size_t(p.w) * 4);
  SDL_FreeSurface(c);
  return p;
}
// Share of pixels that differ noticeably between two pictures of the same size.
double Difference(const Pixels& a, const Pixels& b) {
  if (a.w != b.w || a.h != b.h || a.rgba.empty()) return -1;
  size_t diff = 0;
  for (size_t i = 0; i < a.rgba.size(); i += 4) {
    int d = 0;
    for (int c = 0; c < 4; ++c) d += std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c]));
    if (d > 24) ++diff;
  }
  return double(diff) / (a.rgba.size() / 4);
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
      Pixels a = LoadPixels(base + "_" + std::to_string(k) + ".png");
      Pixels b = LoadPixels(base + "_" + std::to_string(k + 1) + ".png");
      ASSERT_FALSE(a.rgba.empty()) << base << " " << k;
      double d = Difference(a, b);
      EXPECT_GT(d, 0.002) << base << " frames " << k << " and " << k + 1 << " look the same";
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
  auto centre = [](const Pixels& p) {
    const uint8_t* c = &p.rgba[(size_t(p.h / 2) * p.w + p.w / 2) * 4];
    return std::vector<int>{c[0], c[1], c[2]};
  };
  Pixels don = LoadPixels("Play/Notes/don_1.png"), kat = LoadPixels("Play/Notes/kat_1.png");
  Pixels bigDon = LoadPixels("Play/Notes/don_4.png"), roll = LoadPixels("Play/Notes/roll_1.png");
  ASSERT_GT(don.w, 0);
  EXPECT_GE(opaqueWidth(bigDon), opaqueWidth(don) * 13 / 10);
  auto d = centre(don), k = centre(kat), r = centre(roll);
  EXPECT_GT(d[0], d[2] + 60) << "don is red";
  EXPECT_GT(k[2], k[0] + 60) << "kat is blue";
  EXPECT_GT(r[0], 180);
  EXPECT_GT(r[1], 140) << "roll is yellow";
  EXPECT_LT(r[2], 120);
}

TEST(DefaultThemePictures, CourseSymbolsDifferInColourAndShape) {
  std::vector<Pixels> sym;
  for (const char* c : kCourses) sym.push_back(LoadPixels(std::string("Result/Symbol/") + c + ".png"));
  for (size_t i = 0; i < sym.size(); ++i)
    for (size_t j = i + 1; j < sym.size(); ++j) {
      // Compare the silhouettes (alpha) and the colours separately.
      Pixels ai = sym[i], aj = sym[j];
      size_t shape = 0;
      for (size_t p = 3; p < ai.rgba.size(); p += 4)
        if ((ai.rgba[p] > 128) != (aj.rgba[p] > 128)) ++shape;
      EXPECT_GT(double(shape) / (ai.rgba.size() / 4), 0.03) << kCourses[i] << " and " << kCourses[j] << " share a shape";
      EXPECT_GT(Difference(ai, aj), 0.2) << kCourses[i] << " and " << kCourses[j] << " look alike";
    }
}

// Backgrounds must show a picture, not one flat fill.
TEST(DefaultThemePictures, BackgroundsShowMoreThanAFlatFill) {
  for (const char* rel : {"Result/Bg/clear.png", "Result/Bg/failed.png", "SongSelect/Bg/bg.png",
                          "SongSelect/Load/bg_start.png", "Play/Bg/dancer_1/field.png", "Play/Bg/dancer_2/town.png",
                          "Play/Bg/upper/bg_1_p1.png", "Play/Bg/upper/bg_2_p1.png", "Play/Load/bg_end.png",
                          "Result/Load/bg_end.png", "Play/Bg/stage/stage_1.png", "Play/Bg/stage/stage_2.png"}) {
    Pixels p = LoadPixels(rel);
    ASSERT_FALSE(p.rgba.empty()) << rel;
    double sum = 0, sum2 = 0;
    size_t n = p.rgba.size() / 4;
    for (size_t i = 0; i < n; ++i) {
      double l = 0.3 * p.rgba[i * 4] + 0.59 * p.rgba[i * 4 + 1] + 0.11 * p.rgba[i * 4 + 2];
      sum += l;
      sum2 += l * l;
    }
    double mean = sum / n, sd = std::sqrt(std::max(0.0, sum2 / n - mean * mean));
    EXPECT_GT(sd, 12.0) << rel << " is nearly one flat colour";
    // Full-screen pictures are opaque.
    size_t clear = 0;
    for (size_t i = 0; i < n; ++i) clear += p.rgba[i * 4 + 3] < 250;
    EXPECT_LT(double(clear) / n, 0.01) << rel;
  }
}

// Every digit of every number set is drawn, and no two digits of a set look alike.
TEST(DefaultThemePictures, EveryNumberSetHasTenDistinctDigits) {
  for (const char* base : {"Play/Number/combo", "Play/Number/combo_l", "Play/Number/combo_balloon", "Play/Number/roll",
                           "Play/Number/burst", "Play/Number/score", "SongSelect/Number/score", "Result/Number/score",
                           "Result/Number/score_s"}) {
    std::vector<Pixels> d;
    for (int k = 0; k <= 9; ++k) d.push_back(LoadPixels(std::string(base) + "_" + std::to_string(k) + ".png"));
    for (int i = 0; i <= 9; ++i) {
      ASSERT_FALSE(d[i].rgba.empty()) << base << " " << i;
      size_t ink = 0;
      for (size_t p = 3; p < d[i].rgba.size(); p += 4) ink += d[i].rgba[p] > 128;
      EXPECT_GT(double(ink) / (d[i].rgba.size() / 4), 0.08) << base << " digit " << i << " is hardly drawn";
      for (int j = 0; j < i; ++j) EXPECT_GT(Difference(d[i], d[j]), 0.05) << base << ": " << i << " looks like " << j;
    }
  }
}

struct Wav {
  int channels = 0;
  std::vector<int16_t> s;
};
Wav LoadWav(const std::string& rel) {
  Wav w;
  std::string b = ReadFile(ThemeDir() + "/" + rel);
  if (b.size() < 44) return w;
  w.channels = uint8_t(b[22]);
  size_t n = (b.size() - 44) / 2;
  w.s.resize(n);
  std::memcpy(w.s.data(), b.data() + 44, n * 2);
  return w;
}

TEST(DefaultThemeSounds, DrumHitsAreShortLoudAndDistinct) {
  Wav don = LoadWav("Play/Sound/don.wav"), kat = LoadWav("Play/Sound/kat.wav");
  ASSERT_GT(don.s.size(), 0u);
  ASSERT_GT(kat.s.size(), 0u);
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
  EXPECT_GT(peak(don), 16000);
  EXPECT_GT(peak(kat), 16000);
  // At high density a hit must not ring on: both are over within half a second.
  EXPECT_LT(don.s.size() / don.channels, 44100u / 2);
  EXPECT_LT(kat.s.size() / kat.channels, 44100u / 4);
  EXPECT_GT(crossings(kat, 4410), 4 * crossings(don, 4410)) << "the rim hit is brighter than the face hit";
  // No click at the start: the first sample is near silence.
  EXPECT_LT(std::abs(int(don.s[0])), 2000);
  EXPECT_LT(std::abs(int(kat.s[0])), 2000);
}

TEST(DefaultThemeSounds, LoopsJoinSeamlessly) {
  for (const char* rel : {"Result/Sound/clear_bgm_loop.wav", "Result/Sound/failed_bgm_loop.wav"}) {
    Wav w = LoadWav(rel);
    ASSERT_GT(w.s.size(), 4u) << rel;
    int ch = w.channels;
    size_t frames = w.s.size() / ch;
    for (int c = 0; c < ch; ++c) {
      int last = w.s[(frames - 1) * ch + c], first = w.s[c];
      // The step across the join is no larger than steps inside the loop.
      int maxStep = 0;
      for (size_t i = 1; i < frames; ++i)
        maxStep = std::max(maxStep, std::abs(int(w.s[i * ch + c]) - int(w.s[(i - 1) * ch + c])));
      EXPECT_LE(std::abs(last - first), maxStep) << rel;
      EXPECT_LT(std::abs(last - first), 6000) << rel;
    }
  }
}

TEST(DefaultThemeSounds, HundredsOfTheComboVoiceDifferOnlyInPitch) {
  Wav a = LoadWav("Play/Sound/combo_voice_100_p1.wav"), b = LoadWav("Play/Sound/combo_voice_200_p1.wav");
  ASSERT_FALSE(a.s.empty());
  EXPECT_EQ(a.s.size(), b.s.size());
  EXPECT_NE(a.s, b.s);
}

// ---- layout files ----

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  std::string l;
  while (std::getline(ss, l)) out.push_back(l);
  return out;
}

TEST(DefaultThemeStages, ScriptsUseAppearMotionAndClearLayersWithExistingImages) {
  std::set<std::string> commandsSeen;
  for (int n = 1; n <= 2; ++n) {
    std::string dir = ThemeDir() + "/Play/Bg/dancer_" + std::to_string(n);
    std::string text = ReadFile(dir + "/dancer_bg.ini");
    ASSERT_FALSE(text.empty());
    int normal = 0, clear = 0, appear = 0, motion = 0;
    for (const std::string& l : Lines(text)) {
      if (l.empty() || l[0] != '#') continue;
      std::string cmd = l.substr(0, l.find('('));
      commandsSeen.insert(cmd);
      if (cmd == "#BG_NAME" || cmd == "#CLEAR_BG_NAME") {
        (cmd == "#BG_NAME" ? normal : clear)++;
        size_t a = l.find('('), b = l.find(')');
        ASSERT_NE(b, std::string::npos) << l;
        std::string name = l.substr(a + 1, b - a - 1);
        EXPECT_TRUE(Exists(dir + "/" + name)) << name;
      }
      if (cmd.rfind("#APPEAR_", 0) == 0) ++appear;
      if (cmd == "#ROTATE" || cmd == "#BLINK" || cmd.find("#MOVE_") == 0 || cmd == "#FLAME_CHANGE" || cmd == "#BLINK_WAIT") ++motion;
      EXPECT_LT(l.size(), 255u);
    }
    EXPECT_GT(normal, 0);
    EXPECT_GT(clear, 0) << "a clear list";
    EXPECT_GT(appear, 0);
    EXPECT_GT(motion, 0);
  }
  // Between them the two scripts show off a good part of the commands.
  EXPECT_GE(commandsSeen.size(), 25u);
}

std::map<std::string, std::string> IniKeys(const std::string& text) {
  std::map<std::string, std::string> kv;
  for (const std::string& l : Lines(text)) {
    if (l.empty() || l[0] == ';') continue;
    size_t eq = l.find('=');
    if (eq != std::string::npos) kv[l.substr(0, eq)] = l.substr(eq + 1);
  }
  return kv;
}
std::vector<int> Ints(const std::string& s) {
  std::vector<int> v;
  int cur = -1;
  for (char c : s + ",") {
    if (c >= '0' && c <= '9') cur = (cur < 0 ? 0 : cur * 10) + (c - '0');
    else if (cur >= 0) v.push_back(cur), cur = -1;
  }
  return v;
}

TEST(DefaultThemeStages, DancerAndChibiSetsHaveEveryFrameTheirOrdersName) {
  for (int n = 1; n <= 2; ++n) {
    std::string dir = ThemeDir() + "/Play/Dancer/" + std::to_string(n);
    auto kv = IniKeys(ReadFile(dir + "/dancer.ini"));
    int sorts = std::atoi(kv["dance_sort"].c_str());
    ASSERT_GE(sorts, 1);
    EXPECT_EQ(Ints(kv["dance_x"]).size(), 5u);
    EXPECT_GE(Ints(kv["dance_y"]).size(), size_t(sorts)) << "a height for every kind of dancer";
    // Without the random pattern slot d dances with kind d: all five slots need a kind.
    if (kv["dance_pattern"] != "1") {
      EXPECT_GE(sorts, 5) << "set " << n;
    }
    for (int s = 1; s <= sorts; ++s) {
      for (int f : Ints(kv["dance_order"])) EXPECT_TRUE(Exists(dir + "/dance_" + std::to_string(s) + "_" + std::to_string(f) + ".png"));
      for (int f : Ints(kv["appear_order"])) EXPECT_TRUE(Exists(dir + "/appear_" + std::to_string(s) + "_" + std::to_string(f) + ".png"));
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
  std::vector<Demo> out;
  std::string dir = BuildDir() + "/themegen/beatgrid";
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n.size() > 4 && n.substr(n.size() - 4) == ".txt") names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    Demo demo;
    for (const std::string& l : Lines(ReadFile(dir + "/" + n))) {
      if (l.rfind("chart ", 0) == 0) demo.chart = BuildDir() + "/" + l.substr(6);
      else if (l.rfind("offset_ms ", 0) == 0) demo.offsetMs = std::atof(l.c_str() + 10);
      else if (l.rfind("length_ms ", 0) == 0) demo.lengthMs = std::atof(l.c_str() + 10);
      else if (!l.empty()) demo.grid.push_back(std::atof(l.c_str()));
    }
    out.push_back(demo);
  }
  return out;
}

TEST(DemoSongs, FourInAGenreFolderAndOneFolded) {
  std::vector<Demo> demos = Demos();
  ASSERT_GE(demos.size(), 5u);
  int inGenre = 0, folded = 0;
  for (const Demo& d : demos) {
    ASSERT_TRUE(Exists(d.chart)) << d.chart;
    std::string tja = ReadFile(d.chart);
    size_t w = tja.find("WAVE:");
    ASSERT_NE(w, std::string::npos);
    std::string wave = tja.substr(w + 5, tja.find('\n', w) - w - 5);
    std::string folder = d.chart.substr(0, d.chart.rfind('/'));
    std::string ogg = folder + "/" + wave;
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(ogg.c_str(), &vf), 0) << ogg;
    double secs = ov_time_total(&vf, -1);
    ov_clear(&vf);
    EXPECT_GE(secs, 60.0) << ogg;
    EXPECT_LE(secs, 150.0) << ogg;
    EXPECT_NEAR(secs * 1000.0, d.lengthMs, 50.0);
    // A genre folder holds genre.ini directly; a song folder inside it is folded in.
    std::string parent = folder.substr(0, folder.rfind('/'));
    if (Exists(parent + "/genre.ini")) {
      ++inGenre;
      std::string ini = ReadFile(parent + "/genre.ini");
      EXPECT_NE(ini.find("GenreName="), std::string::npos);
      EXPECT_NE(ini.find("GenreColor="), std::string::npos);
    } else if (!Exists(folder + "/genre.ini")) {
      ++folded;
    }
  }
  EXPECT_GE(inGenre, 4);
  EXPECT_GE(folded, 1);
}

// Runs kodoban-chart; empty when the tool is not built.
std::string ChartJson(const std::string& chart, const std::string& course) {
  std::string tool = BuildDir() + "/kodoban-chart";
  if (!Exists(tool)) return "";
  std::string cmd = "'" + tool + "' --course " + course + " '" + chart + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "";
  std::string out;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// The objects of one top-level array of the tool's JSON, each as a key -> number map.
std::vector<std::map<std::string, double>> JsonArray(const std::string& json, const std::string& key) {
  std::vector<std::map<std::string, double>> out;
  size_t k = json.find("\"" + key + "\"");
  if (k == std::string::npos) return out;
  size_t open = json.find('[', k), close = json.find(']', open);
  std::string body = json.substr(open + 1, close - open - 1);
  size_t pos = 0;
  while ((pos = body.find('{', pos)) != std::string::npos) {
    size_t end = body.find('}', pos);
    std::string obj = body.substr(pos + 1, end - pos - 1);
    std::map<std::string, double> m;
    std::stringstream ss(obj);
    std::string field;
    while (std::getline(ss, field, ',')) {
      size_t c = field.find(':');
      if (c == std::string::npos) continue;
      std::string name = field.substr(field.find('"') + 1);
      name = name.substr(0, name.find('"'));
      std::string v = field.substr(c + 1);
      m[name] = v == "true" ? 1 : (v == "false" ? 0 : std::atof(v.c_str()));
    }
    out.push_back(m);
    pos = end;
  }
  return out;
}

TEST(DemoSongs, ChartsLoadAndEveryNoteFallsOnTheBeatGrid) {
  std::vector<Demo> demos = Demos();
  ASSERT_FALSE(demos.empty());
  if (!Exists(BuildDir() + "/kodoban-chart")) GTEST_SKIP() << "kodoban-chart is not built";
  std::set<int> types, conditions;
  std::set<std::string> courses;
  bool branches = false, tempoChange = false, gogo = false, hiddenBar = false, scroll = false, balloonHits = false;
  std::set<int> levels;
  for (const Demo& d : demos) {
    std::string tja = ReadFile(d.chart);
    for (const char* c : {"Easy", "Normal", "Hard", "Oni", "Edit"}) {
      if (tja.find(std::string("COURSE:") + c + "\n") == std::string::npos) continue;
      std::string json = ChartJson(d.chart, c);
      ASSERT_FALSE(json.empty()) << d.chart << " " << c;
      courses.insert(c);
      ASSERT_NE(json.find("\"offset_ms\":"), std::string::npos);
      double offset = std::atof(json.c_str() + json.find("\"offset_ms\":") + 12);
      EXPECT_DOUBLE_EQ(offset, d.offsetMs);
      levels.insert(std::atoi(json.c_str() + json.find("\"level\":") + 8));
      auto notes = JsonArray(json, "notes");
      EXPECT_GT(notes.size(), 20u) << d.chart << " " << c;
      for (auto& n : notes) {
        types.insert(int(n["type"]));
        if (n["scroll"] != 1.0) scroll = true;
        if (int(n["type"]) == 7 && n["balloon_hits"] > 5) balloonHits = true;
        // On the music's clock the note plays at time - OFFSET; it must sit on a twelfth of a beat.
        double t = n["time"] - offset;
        auto it = std::lower_bound(d.grid.begin(), d.grid.end(), t - 0.6);
        ASSERT_TRUE(it != d.grid.end() && std::fabs(*it - t) < 0.6)
            << d.chart << " " << c << ": note at " << n["time"] << " ms is off the beat grid";
        EXPECT_LT(t, d.lengthMs - 1000);
      }
      for (auto& b : JsonArray(json, "branch_points")) conditions.insert(int(b["condition"])), branches = true;
      if (JsonArray(json, "bpm_changes").size() > 1) tempoChange = true;
      if (JsonArray(json, "gogo_changes").size() > 1) gogo = true;
      for (auto& b : JsonArray(json, "bar_lines"))
        if (b["visible"] == 0) hiddenBar = true;
    }
  }
  for (int t = 1; t <= 8; ++t) EXPECT_TRUE(types.count(t)) << "note type " << t;
  EXPECT_EQ(conditions, (std::set<int>{1, 2, 3}));
  EXPECT_TRUE(branches);
  EXPECT_TRUE(tempoChange);
  EXPECT_TRUE(gogo);
  EXPECT_TRUE(hiddenBar);
  EXPECT_TRUE(scroll);
  EXPECT_TRUE(balloonHits);
  EXPECT_EQ(courses.size(), 5u);
  EXPECT_GE(levels.size(), 6u);
}

TEST(DemoSongs, ChartsUseMeasureDelayAndOffsetCommands) {
  std::string all;
  for (const Demo& d : Demos()) all += ReadFile(d.chart);
  for (const char* cmd : {"#MEASURE 3/4", "#DELAY ", "#SCROLL ", "#BARLINEOFF", "#BARLINEON", "#SECTION", "#N\n", "#E\n",
                          "#M\n", "#BRANCHEND", "#GOGOSTART", "#BPMCHANGE", "BALLOON:", "OFFSET:-"})
    EXPECT_NE(all.find(cmd), std::string::npos) << cmd;
}

}  // namespace
