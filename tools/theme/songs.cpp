// The demo songs: each one is a list of sections (tempo, metre, delays, scroll, gogo, bar
// lines) from which both the synthesized music and the charts are written, so the notes sit
// exactly on the music's beats. The note patterns of every course are written by hand below.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <sstream>

#include "gen.h"
#include "synth.h"

namespace themegen {

namespace {

enum Arr { kIntro, kVerse, kChorus, kBreak, kEnding, kWaltz };

struct Section {
  int measures;
  double bpm;
  int num, den;
  double delayMs;  // a held pause before the section
  double scroll;
  bool gogo;
  bool barline;
  Arr arr;
};

// One section of one course: bars cycled over the section's measures, or a branch.
struct Part {
  std::vector<std::string> bars;
  std::string branch;  // "r,8,14" etc.; empty for plain sections
  bool newSection = false;  // write #SECTION before the branch
  std::vector<std::string> n, e, m;
};

struct Course {
  const char* name;  // Easy, Normal, Hard, Oni, Edit
  int level;
  int balloonBase;
  std::vector<Part> parts;  // one per song section
};

struct Chord {
  int root;  // semitones above the key
  bool minor;
};

struct Song {
  const char* folder;  // relative to the game folder
  const char* file;    // base name of .tja and .ogg
  const char* title;
  const char* subtitle;
  double leadIn;       // seconds of music before chart time 0 (OFFSET is its negative)
  double demoStart;
  int key;             // midi note of the key's root (around C4)
  std::vector<Chord> progression;
  int leadTimbre;
  uint32_t seed;
  std::vector<Section> sections;
  std::vector<Course> courses;
};

// ---------------------------------------------------------------- tempo map

struct Timed {
  double chartMs;  // section start on the chart clock
  double beatMs;
};

// Start time of every section on the chart clock (delays included).
std::vector<Timed> SectionTimes(const Song& s) {
  std::vector<Timed> out;
  double t = 0;
  for (const Section& sec : s.sections) {
    t += sec.delayMs;
    double beatMs = 60000.0 / sec.bpm;
    out.push_back({t, beatMs});
    double beatsPerMeasure = 4.0 * sec.num / sec.den;
    t += sec.measures * beatsPerMeasure * beatMs;
  }
  out.push_back({t, 0});
  return out;
}

// ---------------------------------------------------------------- charts

std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.3f", v);
  std::string s = b;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

int CountBalloons(const std::string& text) {
  int n = 0;
  char prev = 0;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    if (c == '7' && prev != '7') ++n;
    if (c != '0') prev = c;
  }
  return n;
}

std::string WriteBars(const std::vector<std::string>& bars, int measures) {
  std::string out;
  for (int i = 0; i < measures; ++i) out += bars.empty() ? std::string(",\n") : bars[i % bars.size()] + ",\n";
  return out;
}

std::string ChartText(const Song& s) {
  std::ostringstream o;
  o << "TITLE:" << s.title << "\n";
  o << "SUBTITLE:--" << s.subtitle << "\n";
  o << "BPM:" << Num(s.sections[0].bpm) << "\n";
  o << "WAVE:" << s.file << ".ogg\n";
  o << "OFFSET:-" << Num(s.leadIn) << "\n";
  o << "DEMOSTART:" << Num(s.demoStart) << "\n";
  o << "SONGVOL:100\nSEVOL:100\n\n";
  for (const Course& c : s.courses) {
    std::ostringstream body;
    const Section* prev = nullptr;
    for (size_t i = 0; i < s.sections.size(); ++i) {
      const Section& sec = s.sections[i];
      const Part& p = c.parts[i];
      if (sec.delayMs > 0) body << "#DELAY " << Num(sec.delayMs / 1000.0) << "\n";
      if (prev && sec.bpm != prev->bpm) body << "#BPMCHANGE " << Num(sec.bpm) << "\n";
      if ((prev && (sec.num != prev->num || sec.den != prev->den)) || (!prev && (sec.num != 4 || sec.den != 4)))
        body << "#MEASURE " << sec.num << "/" << sec.den << "\n";
      if ((prev && sec.scroll != prev->scroll) || (!prev && sec.scroll != 1.0))
        body << "#SCROLL " << Num(sec.scroll) << "\n";
      bool prevBar = prev ? prev->barline : true, prevGogo = prev ? prev->gogo : false;
      if (sec.barline != prevBar) body << (sec.barline ? "#BARLINEON\n" : "#BARLINEOFF\n");
      if (sec.gogo != prevGogo) body << (sec.gogo ? "#GOGOSTART\n" : "#GOGOEND\n");
      if (!p.branch.empty()) {
        if (p.newSection) body << "#SECTION\n";
        body << "#BRANCHSTART " << p.branch << "\n";
        body << "#N\n" << WriteBars(p.n, sec.measures);
        body << "#E\n" << WriteBars(p.e, sec.measures);
        body << "#M\n" << WriteBars(p.m, sec.measures);
        body << "#BRANCHEND\n";
      } else {
        body << WriteBars(p.bars, sec.measures);
      }
      prev = &sec;
    }
    if (prev && prev->gogo) body << "#GOGOEND\n";
    std::string b = body.str();
    o << "COURSE:" << c.name << "\n";
    o << "LEVEL:" << c.level << "\n";
    int balloons = CountBalloons(b);
    if (balloons > 0) {
      o << "BALLOON:";
      for (int k = 0; k < balloons; ++k) o << (k ? "," : "") << c.balloonBase + 3 * k;
      o << "\n";
    }
    o << "SCOREINIT:\nSCOREDIFF:\n\n#START\n" << b << "#END\n\n";
  }
  return o.str();
}

// ---------------------------------------------------------------- music

const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};

// Chord tones (midi) of a chord in the song's key.
std::vector<int> ChordTones(const Song& s, Chord c, int octave) {
  int r = s.key + c.root + 12 * octave;
  return {r, r + (c.minor ? 3 : 4), r + 7};
}

// Snaps a midi note to the major scale of the key.
int Snap(const Song& s, int note) {
  for (int d = 0; d < 12; ++d) {
    int m = ((note - d - s.key) % 12 + 12) % 12;
    for (int k : kMajor)
      if (k == m) return note - d;
  }
  return note;
}

struct MotifNote {
  int slot;    // eighth-note slot within the measure
  int len;     // in eighths
  int degree;  // steps above the chord root on the scale (0 = root)
};

// A four-measure melody motif of the given arrangement, deterministic per song and seed.
std::vector<std::vector<MotifNote>> MakeMotif(uint32_t seed, int slots) {
  static const char* rhythms8[] = {"10101110", "10010010", "11101010", "10101000", "10110110", "10001010"};
  static const char* rhythms6[] = {"100110", "101010", "110100", "100100"};
  Rng rng(seed);
  std::vector<std::vector<MotifNote>> motif(4);
  int degree = 2;
  for (int m = 0; m < 4; ++m) {
    const char* r = slots == 8 ? rhythms8[rng.next() % 6] : rhythms6[rng.next() % 4];
    if (m == 3) r = slots == 8 ? "10001000" : "100000";
    std::vector<int> on;
    for (int i = 0; i < slots; ++i)
      if (r[i] == '1') on.push_back(i);
    for (size_t k = 0; k < on.size(); ++k) {
      int len = (k + 1 < on.size() ? on[k + 1] : slots) - on[k];
      int step = int(rng.next() % 5) - 2;
      degree = std::clamp(degree + step, 0, 7);
      if (on[k] == 0) degree = (degree / 2) * 2;  // strong beat: a chord tone
      motif[m].push_back({on[k], len, degree});
    }
  }
  return motif;
}

int DegreeToMidi(const Song& s, Chord c, int degree, int base) {
  // Walk the scale from the chord root.
  int rootIndex = 0;
  for (int k = 0; k < 7; ++k)
    if (kMajor[k] == ((c.root % 12) + 12) % 12) rootIndex = k;
  int idx = rootIndex + degree;
  int note = s.key + base + kMajor[idx % 7] + 12 * (idx / 7);
  return Snap(s, note);
}

struct Grid {
  std::vector<double> ms;  // audio ms of every twelfth of a beat
};

Audio RenderMusic(const Song& s, Grid* grid) {
  std::vector<Timed> times = SectionTimes(s);
  double total = s.leadIn + times.back().chartMs / 1000.0 + 2.5;
  Audio a(2, total);
  uint32_t seed = s.seed;
  auto at = [&](double chartMs) { return size_t((chartMs / 1000.0 + s.leadIn) * kRate); };

  auto motifVerse = MakeMotif(seed + 1, 8), motifChorus = MakeMotif(seed + 2, 8), motifWaltz = MakeMotif(seed + 3, 6);

  // Lead-in: a soft swell into the first beat.
  AddNoiseSweep(a, 0, s.leadIn, {0.12f, 0.0f}, true, seed);
  AddPad(a, 0, s.key - 12 + s.progression[0].root, s.leadIn * 0.8, {0.06f});

  int measureIndex = 0;
  for (size_t si = 0; si < s.sections.size(); ++si) {
    const Section& sec = s.sections[si];
    double beatMs = times[si].beatMs;
    double beatsPerMeasure = 4.0 * sec.num / sec.den;
    double start = times[si].chartMs;
    if (sec.delayMs > 0) {
      // The pause: hold the last chord and let a cymbal swell into the next section.
      double from = start - sec.delayMs;
      Chord c = s.progression[(measureIndex + s.progression.size() - 1) % s.progression.size()];
      for (int t : ChordTones(s, c, 0)) AddPad(a, at(from), t, sec.delayMs / 1000.0, {0.07f, 0.0f});
      AddBass(a, at(from), s.key - 24 + c.root, sec.delayMs / 1000.0, {0.3f});
      AddNoiseSweep(a, at(from), sec.delayMs / 1000.0, {0.15f, 0.0f}, true, seed + 7);
    }
    int slots = int(beatsPerMeasure * 2 + 0.5);  // eighth slots per measure
    for (int m = 0; m < sec.measures; ++m, ++measureIndex) {
      double ms0 = start + m * beatsPerMeasure * beatMs;
      Chord c = s.progression[measureIndex % s.progression.size()];
      double measureSec = beatsPerMeasure * beatMs / 1000.0;
      int beats = int(beatsPerMeasure + 0.5);
      // Grid of the measure.
      for (int k = 0; k < beats * 12; ++k) grid->ms.push_back(s.leadIn * 1000.0 + ms0 + k * beatMs / 12.0);
      // Pad chord.
      float padGain = sec.arr == kBreak ? 0.09f : (sec.arr == kIntro ? 0.07f : 0.05f);
      for (int t : ChordTones(s, c, 0)) AddPad(a, at(ms0), t, measureSec * 0.95, {padGain, 0.2f});
      // Drums and bass, by arrangement.
      for (int b = 0; b < beats; ++b) {
        double bt = ms0 + b * beatMs;
        uint32_t hs = seed * 131 + measureIndex * 17 + b;
        bool last = (si + 1 == s.sections.size()) && m == sec.measures - 1;
        switch (sec.arr) {
          case kIntro:
            if (b == 0) AddKick(a, at(bt), {0.5f});
            AddHat(a, at(bt), {0.1f, 0.3f}, hs);
            if (b == 0) AddBass(a, at(bt), s.key - 24 + c.root, measureSec * 0.9, {0.3f});
            break;
          case kVerse:
            if (b % 2 == 0) AddKick(a, at(bt), {0.6f});
            if (b % 2 == 1) AddSnare(a, at(bt), {0.35f}, hs);
            AddHat(a, at(bt), {0.12f, 0.3f}, hs);
            AddHat(a, at(bt + beatMs / 2), {0.08f, 0.3f}, hs + 1);
            AddBass(a, at(bt), s.key - 24 + c.root + (b == 2 ? 7 : 0), beatMs / 1000.0 * 0.8, {0.35f});
            break;
          case kChorus:
            AddKick(a, at(bt), {0.65f});
            if (b % 2 == 1) {
              AddSnare(a, at(bt), {0.35f}, hs);
              AddClap(a, at(bt), {0.18f, -0.2f}, hs + 5);
            }
            AddHat(a, at(bt + beatMs / 2), {0.14f, 0.3f}, hs + 2, true);
            AddBass(a, at(bt), s.key - 24 + c.root, beatMs / 2000.0 * 0.9, {0.35f});
            AddBass(a, at(bt + beatMs / 2), s.key - 12 + c.root, beatMs / 2000.0 * 0.9, {0.28f});
            break;
          case kBreak:
            if (b == 0) AddKick(a, at(bt), {0.45f});
            if (b == 0) AddBass(a, at(bt), s.key - 24 + c.root, measureSec * 0.9, {0.35f});
            AddHat(a, at(bt + beatMs / 2), {0.06f, -0.3f}, hs);
            break;
          case kWaltz:
            if (b == 0) AddKick(a, at(bt), {0.5f});
            else AddSnare(a, at(bt), {0.16f}, hs);
            AddBass(a, at(bt), s.key - 24 + c.root + (b == 0 ? 0 : 7), beatMs / 1000.0 * 0.7, {0.3f});
            break;
          case kEnding:
            if (b == 0) {
              AddKick(a, at(bt), {0.7f});
              AddHat(a, at(bt), {0.2f}, hs, true);
              AddBass(a, at(bt), s.key - 24 + c.root, last ? 1.8 : measureSec * 0.9, {0.4f});
            } else if (!last) {
              AddKick(a, at(bt), {0.5f});
            }
            break;
        }
      }
      // Melody.
      if (sec.arr == kVerse || sec.arr == kChorus || sec.arr == kWaltz) {
        const auto& motif = sec.arr == kWaltz ? motifWaltz : (sec.arr == kChorus ? motifChorus : motifVerse);
        const auto& bar = motif[m % 4];
        double eighth = beatMs / 2.0;
        int base = sec.arr == kChorus ? 12 : 12;
        for (const MotifNote& n : bar) {
          if (n.slot >= slots) continue;
          int midi = DegreeToMidi(s, c, n.degree, base);
          float g = sec.arr == kChorus ? 0.2f : 0.16f;
          AddLead(a, at(ms0 + n.slot * eighth), midi, n.len * eighth / 1000.0 * 0.92, {g, 0.1f}, s.leadTimbre);
          if (sec.arr == kChorus) AddBell(a, at(ms0 + n.slot * eighth), midi + 12, 0.35, {0.05f, -0.3f});
        }
      }
    }
  }
  // Ending: final chord ringing out.
  {
    double endMs = times.back().chartMs;
    Chord c = s.progression[0];
    for (int t : ChordTones(s, c, 0)) AddPad(a, at(endMs), t, 1.5, {0.08f});
    AddBell(a, at(endMs), s.key + 12, 2.0, {0.12f});
    AddKick(a, at(endMs), {0.6f});
    grid->ms.push_back(s.leadIn * 1000.0 + endMs);
  }
  SoftClip(a, 1.3f);
  Normalize(a, 0.85f);
  FadeEdges(a, 5, 400);
  return a;
}

// ---------------------------------------------------------------- the songs

Section S(int measures, double bpm, Arr arr, bool gogo = false, double scroll = 1.0, int num = 4, int den = 4,
          double delayMs = 0, bool barline = true) {
  return Section{measures, bpm, num, den, delayMs, scroll, gogo, barline, arr};
}
Part P(std::vector<std::string> bars) {
  Part p;
  p.bars = std::move(bars);
  return p;
}
Part B(const char* cond, std::vector<std::string> n, std::vector<std::string> e, std::vector<std::string> m,
       bool newSection = false) {
  Part p;
  p.branch = cond;
  p.n = std::move(n);
  p.e = std::move(e);
  p.m = std::move(m);
  p.newSection = newSection;
  return p;
}
const std::vector<std::string> kRest = {"0"};

std::vector<Song> Songs() {
  std::vector<Song> songs;

  // 1. A bright march at one steady tempo: gogo choruses, rolls and balloons.
  {
    Song s{"Kodoban Demo/sunrise_parade", "sunrise_parade", "Sunrise Parade", "Kodoban Originals",
           1.5, 16.0, 60, {{0, false}, {5, false}, {9, true}, {7, false}}, 0, 101, {}, {}};
    s.sections = {S(4, 128, kIntro), S(8, 128, kVerse), S(8, 128, kChorus, true), S(4, 128, kBreak),
                  S(4, 128, kVerse), S(8, 128, kChorus, true), S(2, 128, kEnding)};
    s.courses = {
        {"Easy", 2, 5,
         {P({"0", "0", "0", "1000100010001000"}), P({"1000100010000000", "1000100020000000"}),
          P({"1000100010001000", "3000000030000000"}),
          P({"7000000000000000", "0000000800000000", "5000000000000000", "0000000080000000"}),
          P({"1000100010000000", "2000200010000000"}), P({"1000100020002000", "3000000030000000"}),
          P({"3000000000000000", "0"})}},
        {"Normal", 4, 8,
         {P({"0", "0", "0", "1000100010101000"}), P({"1000101010002000", "1000100020202000"}),
          P({"1010201010102000", "1010201030003000"}),
          P({"7000000000000000", "0000000800000000", "6000000000000000", "0000000080000000"}),
          P({"1000101020002000", "1010200010102000"}), P({"1010201010102000", "1010201030004000"}),
          P({"3000000000000000", "0"})}},
        {"Hard", 6, 12,
         {P({"0", "0", "1000100010001000", "1010101010101110"}),
          P({"1011201010112010", "1010201110102220", "1011201010102010", "1010201110203000"}),
          P({"1011201110112010", "1011201120203030", "1011201010112020", "1021102110203040"}),
          P({"7000000000000000", "0000000800000000", "6000000000000000", "0000000000008000"}),
          P({"1011201010112010", "1120112010203000"}),
          P({"1011201110112020", "1021102110203040", "1011201110112010", "1120112030004000"}),
          P({"3000300030000000", "0"})}},
        {"Oni", 8, 16,
         {P({"0", "0", "1010101010101010", "1110111011101111"}),
          P({"1011201110112011", "1022102210221122", "1011201120112011", "1022102211202220"}),
          P({"1021102110211122", "1122112211223344", "1021102110221021", "1121112111203040"}),
          P({"7000000000000000", "0000008000000000", "6000000000000000", "0000000000008000"}),
          P({"1011201110112011", "2211221122112211", "1011201110222010", "1121102110203000"}),
          P({"1121112111211122", "1122112211221134", "1021102111211022", "1122112233443030"}),
          P({"3030303030000000", "0"})}},
    };
    songs.push_back(std::move(s));
  }

  // 2. Tempo and metre changes: a calm verse, a waltz without bar lines at a slower scroll,
  //    then a quicker chorus.
  {
    Song s{"Kodoban Demo/clockwork_garden", "clockwork_garden", "Clockwork Garden", "Kodoban Originals",
           2.0, 20.0, 62, {{0, false}, {9, true}, {5, false}, {7, false}}, 1, 202, {}, {}};
    s.sections = {S(4, 112, kIntro), S(8, 112, kVerse), S(8, 112, kWaltz, false, 0.75, 3, 4, 0, false),
                  S(8, 144, kChorus, true, 1.25), S(4, 144, kBreak, false, 1.0), S(8, 144, kChorus, true, 1.5),
                  S(2, 144, kEnding)};
    const std::vector<std::string> waltzEasy = {"100000100000", "100000000000"};
    s.courses = {
        {"Easy", 3, 5,
         {P({"0", "0", "0", "1000000010000000"}), P({"1000100010000000", "2000200010000000"}),
          P(waltzEasy), P({"1000100010001000", "3000000040000000"}),
          P({"5000000000000000", "0000000000000000", "0000000080000000", "0"}),
          P({"1000100020002000", "3000000030000000"}), P({"3000000000000000", "0"})}},
        {"Normal", 5, 8,
         {P({"0", "0", "0", "1000100010001000"}), P({"1000101020002000", "1000100020202000"}),
          P({"100000200000", "100010002000", "100000100000", "300000000000"}),
          P({"1010201010102000", "1010201030004000"}),
          P({"6000000000000000", "0000000000000000", "0000000080000000", "0"}),
          P({"1010201010102020", "1010201030003000"}), P({"3000000000000000", "0"})}},
        {"Hard", 7, 12,
         {P({"0", "0", "1000100010001000", "1010101010101000"}), P({"1011201010112010", "1010201110102220"}),
          P({"100020002000", "101020002000", "100010102000", "300000400000"}),
          P({"1011201110112010", "1011201120203030"}),
          P({"7000000000000000", "0000000008000000", "6000000000000000", "0000000080000000"}),
          P({"1011201110112020", "1021102110203040"}), P({"3000300030000000", "0"})}},
        {"Oni", 9, 18,
         {P({"0", "0", "1010101010101010", "1110111011101110"}), P({"1011201110112011", "1022102210221122"}),
          P({"102010201020", "112010201120", "101020202020", "300040003000"}),
          P({"1021102110211122", "1122112211223344"}),
          P({"7000000000000000", "0000000008000000", "6000000000000000", "0000000000008000"}),
          P({"1121112111211122", "1122112211221134"}), P({"3030303040000000", "0"})}},
        {"Edit", 10, 24,
         {P({"0", "0", "1111111111111111", "2222222222222222"}), P({"1121122112211122", "2211221122112211"}),
          P({"112211221122", "121212121212", "112211221122", "303030404040"}),
          P({"1121112111211122", "1122112211223344"}),
          P({"7000000000000000", "0000000008000000", "6000000000000000", "0000000000008000"}),
          P({"1122112211221122", "2211221122113434"}), P({"3434343430000000", "0"})}},
    };
    songs.push_back(std::move(s));
  }

  // 3. A festival tune with branching paths and a held pause before the last chorus.
  {
    Song s{"Kodoban Demo/lantern_festival", "lantern_festival", "Lantern Festival", "Kodoban Originals",
           1.8, 24.0, 57, {{0, false}, {9, true}, {5, false}, {7, false}}, 1, 303, {}, {}};
    s.sections = {S(4, 150, kIntro), S(4, 150, kBreak), S(8, 150, kVerse), S(8, 150, kChorus, true),
                  S(4, 150, kVerse), S(8, 150, kChorus, true, 1.0, 4, 4, 1600.0), S(2, 150, kEnding)};
    const std::vector<std::string> nV = {"1000100010001000", "1000200010002000"};
    const std::vector<std::string> eV = {"1010201010102000", "1010201020102000"};
    const std::vector<std::string> mV = {"1011201110112010", "1021102110211020"};
    const std::vector<std::string> nC = {"1000100020002000", "3000000030000000"};
    const std::vector<std::string> eC = {"1010201010102020", "1010201030003000"};
    const std::vector<std::string> mC = {"1011201110112022", "1122112211223030"};
    s.courses = {
        {"Normal", 5, 8,
         {P({"0", "0", "0", "1000100010001000"}),
          P({"1000000010000000", "1000000020000000", "5000000000000000", "0000000080000000"}),
          B("s,42000,60000", nV, eV, mV, true), B("s,108000,150000", nC, eC, mC),
          P({"1000100020002000", "7000000000000008"}), B("s,190000,260000", nC, eC, mC, true),
          P({"3000000000000000", "0"})}},
        {"Hard", 7, 12,
         {P({"0", "0", "1000100010001000", "1010101010101000"}),
          P({"1010101000000000", "2020202000000000", "5000000000000000", "0000000000008000"}),
          B("p,60,85", eV, mV, {"1011201110112011", "1021102110211122"}, true),
          B("p,65,88", eC, mC, {"1121112111211122", "1122112211223344"}),
          P({"1011201010112010", "7000000000000008"}),
          B("p,70,90", eC, mC, {"1121112111211122", "1122112211223344"}, true),
          P({"3000300030000000", "0"})}},
        {"Oni", 9, 16,
         {P({"0", "0", "1010101010101010", "1111111111111111"}),
          P({"1011101110000000", "2022202220000000", "5000000000000000", "0000000000008000"}),
          B("r,10,20", mV, {"1011201110112011", "1022102210221122"}, {"1121112111211122", "2211221122112211"},
            true),
          B("p,75,92", {"1021102110211122", "1122112211223344"}, {"1121112111211122", "1122112211223344"},
            {"1122112211221122", "2211221122113434"}),
          P({"1011201110112011", "7000000000000008"}),
          B("p,80,95", {"1021102110211122", "1122112211223344"}, {"1121112111211122", "1122112211223344"},
            {"1122112211221122", "2211221122113434"}, true),
          P({"3030303030000000", "0"})}},
    };
    songs.push_back(std::move(s));
  }

  // 4. A fast chip tune with scroll changes and big rolls.
  {
    Song s{"Kodoban Demo/pixel_rain", "pixel_rain", "Pixel Rain", "Kodoban Originals",
           1.0, 18.0, 64, {{9, true}, {5, false}, {7, false}, {4, true}}, 2, 404, {}, {}};
    s.sections = {S(4, 172, kIntro), S(8, 172, kVerse, false, 1.0), S(8, 172, kChorus, true, 1.5),
                  S(4, 172, kBreak, false, 0.8), S(8, 172, kVerse, false, 1.2), S(12, 172, kChorus, true, 1.5),
                  S(2, 172, kEnding)};
    s.courses = {
        {"Easy", 4, 6,
         {P({"0", "0", "0", "1000100010001000"}), P({"1000100010000000", "2000200020000000"}),
          P({"1000100010001000", "3000000040000000"}),
          P({"6000000000000000", "0000000000000000", "0000000080000000", "0"}),
          P({"1000100020002000", "1000100010000000"}), P({"1000100020002000", "3000000030000000"}),
          P({"3000000000000000", "0"})}},
        {"Oni", 10, 20,
         {P({"0", "0", "1010101010101010", "1111222211112222"}),
          P({"1011201110112011", "1022102210221122", "1011201110221020", "1122112210203000"}),
          P({"1121112111211122", "1122112211223344", "1121112111221120", "2211221122113030"}),
          P({"6000000000000000", "0000000008000000", "7000000000000000", "0000000000008000"}),
          P({"1011201110112011", "2211221122112211"}), P({"1122112211221122", "2211221122113434"}),
          P({"3434343430000000", "0"})}},
    };
    songs.push_back(std::move(s));
  }

  // 5. A short, gentle piece in a folder without genre.ini (it is folded into the root list).
  {
    Song s{"Bonus Track", "morning_stroll", "Morning Stroll", "Kodoban Originals",
           1.2, 12.0, 65, {{0, false}, {7, false}, {9, true}, {5, false}}, 1, 505, {}, {}};
    s.sections = {S(2, 104, kIntro), S(8, 104, kVerse), S(8, 104, kChorus, true), S(6, 104, kVerse),
                  S(2, 104, kEnding)};
    s.courses = {
        {"Easy", 1, 5,
         {P({"0", "1000000010000000"}), P({"1000000010000000", "1000000020000000"}),
          P({"1000100010000000", "3000000000000000"}), P({"1000000010000000", "7000000000000008"}),
          P({"3000000000000000", "0"})}},
        {"Normal", 3, 8,
         {P({"0", "1000100010000000"}), P({"1000100010002000", "1000200010002000"}),
          P({"1010200010102000", "3000000040000000"}), P({"1000100020002000", "7000000000000008"}),
          P({"3000000000000000", "0"})}},
    };
    songs.push_back(std::move(s));
  }
  return songs;
}

}  // namespace

namespace {
constexpr const char* kBomChartFile = "morning_stroll";
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";
}  // namespace

void GenerateSongs(int part, int parts) {
  const std::string& root = GameDir();
  if (part == 0) SaveFile(root + "/Kodoban Demo/genre.ini", "GenreName=Kodoban Originals\nGenreColor=#E8743B\n");
  std::vector<Song> songs = Songs();
  for (size_t i = 0; i < songs.size(); ++i) {
    if (int(i % parts) != part) continue;
    const Song& s = songs[i];
    std::string dir = root + "/" + s.folder;
    // One chart is saved as UTF-8 with a byte order mark, as many chart editors save them:
    // the game and the library must read its first line (TITLE:) all the same.
    const bool bom = std::string(s.file) == kBomChartFile;
    SaveFile(dir + "/" + s.file + ".tja", (bom ? std::string(kUtf8Bom) : std::string()) + ChartText(s));
    Grid grid;
    auto t0 = std::chrono::steady_clock::now();
    Audio music = RenderMusic(s, &grid);
    auto t1 = std::chrono::steady_clock::now();
    if (WriteOgg(dir + "/" + s.file + ".ogg", music, 0.25f) != 0) CountFailure(dir + "/" + s.file + ".ogg");
    auto t2 = std::chrono::steady_clock::now();
    if (std::getenv("KODOBAN_THEMEGEN_TIMES"))
      std::fprintf(stderr, "%s: synth %.2f s, vorbis %.2f s\n", s.file,
                   std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count());
    // The beat grid (every twelfth of a beat, in ms of the audio) for the checks.
    std::ostringstream g;
    g << "chart " << s.folder << "/" << s.file << ".tja\n";
    g << "offset_ms " << Num(-s.leadIn * 1000.0) << "\n";
    g << "length_ms " << Num(music.frames() * 1000.0 / kRate) << "\n";
    for (double v : grid.ms) g << Num(v) << "\n";
    SaveFile(root + "/themegen/beatgrid/" + s.file + ".txt", g.str());
  }
}

}  // namespace themegen
