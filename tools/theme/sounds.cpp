// The theme's sound effects and jingles, all synthesized.
#include <cstdio>

#include "gen.h"
#include "synth.h"

namespace themegen {

namespace {

size_t At(double sec) { return size_t(sec * kRate); }

Audio Don(float pitch = 1.0f) {
  Audio a(1, 0.45);
  AddDon(a, 0, {0.9f}, pitch);
  Normalize(a, 0.9f);
  return a;
}

Audio Kat(float pitch = 1.0f) {
  Audio a(1, 0.15);
  AddKat(a, 0, {0.9f}, pitch);
  Normalize(a, 0.8f);
  return a;
}

Audio Blips(const std::vector<double>& notes, double step, double len, float gain, bool bell) {
  Audio a(1, step * notes.size() + len + 0.1);
  for (size_t i = 0; i < notes.size(); ++i) {
    if (bell) AddBell(a, At(step * i), notes[i], len, {0.5f});
    else AddLead(a, At(step * i), notes[i], len * 0.6, {0.4f}, 2);
  }
  Normalize(a, gain);
  FadeEdges(a, 1, 20);
  return a;
}

// A short cheer: a bright rising chime over a breathy "hey" of filtered noise.
Audio Cheer(double pitch, uint32_t seed) {
  Audio a(1, 0.9);
  double base = 72 + pitch;
  AddBell(a, 0, base, 0.7, {0.45f});
  AddBell(a, At(0.07), base + 4, 0.7, {0.4f});
  AddBell(a, At(0.14), base + 7, 0.75, {0.4f});
  AddBell(a, At(0.21), base + 12, 0.65, {0.35f});
  // Vowel-ish noise: two resonances sweeping like a shout.
  Rng rng(seed);
  float y1 = 0, y2 = 0, z1 = 0, z2 = 0;
  for (size_t i = 0; i < At(0.45); ++i) {
    double t = double(i) / kRate;
    double f1 = 700 * std::pow(2.0, pitch / 12.0), f2 = 1800 * std::pow(2.0, pitch / 12.0);
    float n = rng.noise();
    // Two-pole resonators.
    auto res = [](float x, float& a1, float& a2, double f, double r) {
      double w = kTwoPi * f / kRate;
      float c1 = float(2 * r * std::cos(w)), c2 = float(-r * r);
      float y = x + c1 * a1 + c2 * a2;
      a2 = a1;
      a1 = y;
      return y;
    };
    float v = res(n, y1, y2, f1, 0.985) * 0.02f + res(n, z1, z2, f2, 0.98) * 0.015f;
    float env = t < 0.03 ? float(t / 0.03) : float(std::exp(-(t - 0.03) * 7.0));
    a.add(i, v * env);
  }
  Normalize(a, 0.85f);
  FadeEdges(a, 1, 60);
  return a;
}

// A jingle from (start beat, midi, beats) notes at the given tempo; optional seamless loop.
struct Tone {
  double beat, midi, len;
};
Audio Jingle(const std::vector<Tone>& lead, const std::vector<Tone>& bass, double bpm, double beats,
             bool loop, int drums, uint32_t seed) {
  double spb = 60.0 / bpm;
  Audio a(2, beats * spb + (loop ? 0.0 : 1.2));
  NoteOpts lo{0.32f, 0.15f, loop}, bo{0.45f, -0.1f, loop};
  for (const Tone& t : lead) AddBrass(a, At(t.beat * spb), t.midi, t.len * spb * 0.9, lo);
  for (const Tone& t : lead) AddBell(a, At(t.beat * spb), t.midi + 12, 0.4, {0.08f, 0.4f, loop});
  for (const Tone& t : bass) AddBass(a, At(t.beat * spb), t.midi, t.len * spb * 0.9, bo);
  for (int b = 0; b < int(beats) && drums; ++b) {
    AddKick(a, At(b * spb), {0.5f, 0, loop});
    if (b % 2 == 1) AddSnare(a, At(b * spb), {0.3f, 0, loop}, seed + b);
    AddHat(a, At((b + 0.5) * spb), {0.12f, 0.3f, loop}, seed + 100 + b);
  }
  SoftClip(a, 1.2f);
  Normalize(a, 0.8f);
  if (!loop) FadeEdges(a, 2, 300);
  return a;
}

}  // namespace

void GenerateThemeSounds() {
  // Drum hits. The song select uses a slightly lighter pair.
  SaveSound(Don(), "Play/Sound/don.wav");
  SaveSound(Kat(), "Play/Sound/kat.wav");
  SaveSound(Don(1.12f), "SongSelect/Sound/don.wav");
  SaveSound(Kat(1.1f), "SongSelect/Sound/kat.wav");
  SaveSound(Blips({76, 69}, 0.06, 0.12, 0.7f, false), "SongSelect/Sound/cancel.wav");

  // Balloon burst: a pop and a sparkle.
  {
    Audio a(1, 0.6);
    AddNoiseSweep(a, 0, 0.05, {0.9f}, false, 5);
    AddKat(a, 0, {0.6f}, 0.8f);
    AddBell(a, At(0.03), 88, 0.5, {0.3f});
    AddBell(a, At(0.08), 95, 0.45, {0.25f});
    Normalize(a, 0.85f);
    FadeEdges(a, 0.5, 40);
    SaveSound(a, "Play/Sound/geki.wav");
  }

  // Combo voices: one cheer, raised a little for every hundred (cycling over an octave).
  SaveSound(Cheer(-3, 50), "Play/Sound/combo_voice_50_p1.wav");
  for (int n = 100; n <= 9900; n += 100) {
    int k = n / 100;
    char name[96];
    std::snprintf(name, sizeof name, "%s_%d_p%d.wav", "Play/Sound/combo_voice", n, 1);
    SaveSound(Cheer((k - 1) % 8, 100), name);
  }
  {
    Audio a = Blips({72, 76, 79, 84, 88, 91, 96}, 0.07, 0.8, 0.85f, true);
    SaveSound(a, "Play/Sound/combo_voice_fullcombo_p1.wav");
    SaveSound(Blips({74, 78, 81, 86, 90, 93, 98}, 0.07, 0.8, 0.85f, true),
              "Play/Sound/combo_voice_fullcombo_p2.wav");
  }
  SaveSound(Don(1.25f), "Play/Sound/pause_don.wav");
  SaveSound(Kat(1.2f), "Play/Sound/pause_kat.wav");
  SaveSound(Blips({72, 65}, 0.07, 0.14, 0.7f, false), "Play/Sound/pause_cancel.wav");

  // Result.
  SaveSound(Blips({79, 84, 88}, 0.11, 0.6, 0.8f, true), "Result/Sound/announcement_voice_p1.wav");
  SaveSound(Blips({81, 86, 90}, 0.11, 0.6, 0.8f, true), "Result/Sound/announcement_voice_p2.wav");
  {
    Audio a(1, 0.05);
    AddBell(a, 0, 96, 0.045, {0.5f});
    Normalize(a, 0.5f);
    SaveSound(a, "Result/Sound/count.wav");
  }
  SaveSound(Don(1.05f), "Result/Sound/don.wav");

  // Clear music: a bright fanfare, then a two-bar loop in C major at 132 BPM.
  SaveSound(Jingle({{0, 72, 0.5}, {0.5, 76, 0.5}, {1, 79, 1}, {2, 84, 2}},
                   {{0, 48, 1}, {1, 43, 1}, {2, 48, 2}}, 132, 4, false, 1, 10),
            "Result/Sound/clear_bgm_start.wav");
  SaveSound(Jingle({{0, 76, 1}, {1, 79, 1}, {2, 81, 0.5}, {2.5, 79, 0.5}, {3, 76, 1},
                    {4, 77, 1}, {5, 76, 0.5}, {5.5, 74, 0.5}, {6, 72, 2}},
                   {{0, 48, 1}, {1, 55, 1}, {2, 45, 1}, {3, 52, 1}, {4, 41, 1}, {5, 48, 1}, {6, 43, 1}, {7, 47, 1}},
                   132, 8, true, 1, 20),
            "Result/Sound/clear_bgm_loop.wav");
  // Failed music: gentler, in A minor at 96 BPM.
  SaveSound(Jingle({{0, 69, 1}, {1, 67, 1}, {2, 64, 2}}, {{0, 45, 2}, {2, 40, 2}}, 96, 4, false, 0, 30),
            "Result/Sound/failed_bgm_start.wav");
  SaveSound(Jingle({{0, 64, 1}, {1, 67, 1}, {2, 69, 2}, {4, 67, 1}, {5, 64, 1}, {6, 62, 2}},
                   {{0, 45, 2}, {2, 41, 2}, {4, 43, 2}, {6, 40, 2}}, 96, 8, true, 0, 40),
            "Result/Sound/failed_bgm_loop.wav");
  SaveSound(Jingle({{0, 79, 0.5}, {0.5, 84, 1.5}}, {{0, 48, 2}}, 140, 2, false, 0, 50),
            "Result/Sound/norma_clear_p1.wav");
  SaveSound(Jingle({{0, 67, 0.75}, {1, 66, 0.75}, {2, 65, 2}}, {{0, 43, 1}, {1, 42, 1}, {2, 41, 2}}, 110, 4, false, 0, 60),
            "Result/Sound/norma_failed_p1.wav");
  SaveSound(Blips({84, 88, 91, 96, 100, 103, 108}, 0.05, 0.9, 0.85f, true), "Result/Sound/fullcombo_p1.wav");
}

}  // namespace themegen
