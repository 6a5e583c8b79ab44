#include "synth.h"

#include <algorithm>

namespace themegen {

namespace {
// Writes one note's samples: gains and pan are worked out once per note, not per sample.
struct Out {
  Audio& a;
  size_t at, n;
  float gl, gr;
  bool wrap;
  Out(Audio& audio, size_t start, const NoteOpts& o) : a(audio), at(start), n(audio.frames()), wrap(o.wrap) {
    if (a.channels == 1) {
      gl = gr = o.gain;
    } else {
      gl = o.gain * std::sqrt(0.5f * (1.0f - o.pan));
      gr = o.gain * std::sqrt(0.5f * (1.0f + o.pan));
    }
  }
  void operator()(size_t i, float v) {
    size_t k = at + i;
    if (k >= n) {
      if (!wrap || n == 0) return;
      k %= n;
    }
    if (a.channels == 1) {
      a.s[k] += v * gl;
    } else {
      a.s[k * 2] += v * gl;
      a.s[k * 2 + 1] += v * gr;
    }
  }
};
inline size_t Frames(double sec) { return size_t(sec * kRate); }

// One-pole low-pass state.
struct LowPass {
  float y = 0, k;
  explicit LowPass(float cutoffHz) : k(1.0f - std::exp(float(-kTwoPi * cutoffHz / kRate))) {}
  float operator()(float x) { return y += k * (x - y); }
};

// Attack-decay-sustain-release envelope over a note of `dur` seconds (release after it).
inline float Adsr(double t, double dur, double atk, double dec, double sus, double rel) {
  if (t < atk) return float(t / atk);
  if (t < atk + dec) return float(1.0 - (1.0 - sus) * (t - atk) / dec);
  if (t < dur) return float(sus);
  double r = (t - dur) / rel;
  return r >= 1 ? 0.0f : float(sus * (1.0 - r));
}

// Table sine: the synthesis calls it millions of times.
struct SineTable {
  static constexpr int kSize = 4096;
  float v[kSize + 1];
  SineTable() {
    for (int i = 0; i <= kSize; ++i) v[i] = float(std::sin(kTwoPi * i / kSize));
  }
};
const SineTable gSine;
// Sine of a phase given in radians.
inline float FSin(double ph) {
  double t = ph / kTwoPi;
  t -= std::floor(t);
  double x = t * SineTable::kSize;
  int i = int(x);
  float f = float(x - i);
  return gSine.v[i] + (gSine.v[i + 1] - gSine.v[i]) * f;
}
// Saw with polyBLEP edges; phase in radians, dt = phase step in turns.
inline float Saw(double ph, double dt) {
  double t = ph / kTwoPi;
  t -= std::floor(t);
  double v = 2.0 * t - 1.0;
  if (t < dt) {
    double x = t / dt;
    v -= x + x - x * x - 1.0;
  } else if (t > 1.0 - dt) {
    double x = (t - 1.0) / dt;
    v -= x * x + x + x + 1.0;
  }
  return float(v) * 0.5f;
}
}  // namespace

void AddDon(Audio& a, size_t at, NoteOpts o, float pitch) {
  Out out(a, at, o);
  size_t n = Frames(0.42);
  double ph = 0, ph2 = 0;
  LowPass lp(500);
  Rng rng(7);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    double f = (62.0 + 70.0 * std::exp(-t * 28.0)) * pitch;
    ph += kTwoPi * f / kRate;
    ph2 += kTwoPi * f * 2.02 / kRate;
    float body = FSin(ph) * float(std::exp(-t * 7.5));
    float over = FSin(ph2) * 0.25f * float(std::exp(-t * 22.0));
    float thump = lp(rng.noise()) * 2.2f * float(std::exp(-t * 60.0));
    float atk = t < 0.002 ? float(t / 0.002) : 1.0f;
    out(i, (body + over + thump) * atk);
  }
}

void AddKat(Audio& a, size_t at, NoteOpts o, float pitch) {
  Out out(a, at, o);
  size_t n = Frames(0.14);
  Rng rng(11);
  LowPass lp(5200), lp2(1600);
  double ph = 0, ph2 = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    ph += kTwoPi * 1250.0 * pitch / kRate;
    ph2 += kTwoPi * 2630.0 * pitch / kRate;
    float nz = rng.noise();
    float band = lp(nz) - lp2(nz);  // crude band-pass around 2-4 kHz
    float env = float(std::exp(-t * 48.0));
    float click = float(std::exp(-t * 400.0));
    float v = band * 1.3f * env + FSin(ph) * 0.45f * env + FSin(ph2) * 0.25f * click;
    float atk = t < 0.0008 ? float(t / 0.0008) : 1.0f;
    out(i, v * atk);
  }
}

void AddKick(Audio& a, size_t at, NoteOpts o) {
  Out out(a, at, o);
  size_t n = Frames(0.3);
  double ph = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    ph += kTwoPi * (48.0 + 110.0 * std::exp(-t * 35.0)) / kRate;
    float env = float(std::exp(-t * 9.0));
    float atk = t < 0.001 ? float(t / 0.001) : 1.0f;
    out(i, FSin(ph) * env * atk);
  }
}

void AddSnare(Audio& a, size_t at, NoteOpts o, uint32_t seed) {
  Out out(a, at, o);
  size_t n = Frames(0.22);
  Rng rng(seed);
  LowPass lp(7000), hp(900);
  double ph = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    ph += kTwoPi * 185.0 / kRate;
    float nz = rng.noise();
    float band = lp(nz) - hp(nz);
    float v = band * float(std::exp(-t * 18.0)) + FSin(ph) * 0.5f * float(std::exp(-t * 30.0));
    float atk = t < 0.001 ? float(t / 0.001) : 1.0f;
    out(i, v * atk);
  }
}

void AddHat(Audio& a, size_t at, NoteOpts o, uint32_t seed, bool open) {
  Out out(a, at, o);
  size_t n = Frames(open ? 0.25 : 0.06);
  Rng rng(seed);
  LowPass hp(6000);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    float nz = rng.noise();
    float v = (nz - hp(nz)) * float(std::exp(-t * (open ? 14.0 : 70.0)));
    out(i, v);
  }
}

void AddClap(Audio& a, size_t at, NoteOpts o, uint32_t seed) {
  Out out(a, at, o);
  size_t n = Frames(0.2);
  Rng rng(seed);
  LowPass lp(4000), hp(1000);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    float nz = rng.noise();
    float band = lp(nz) - hp(nz);
    double tt = std::fmod(t, 0.011);
    float env = t < 0.033 ? float(std::exp(-tt * 250.0)) : float(std::exp(-(t - 0.033) * 22.0));
    out(i, band * env * 1.4f);
  }
}

void AddBass(Audio& a, size_t at, double midi, double dur, NoteOpts o) {
  Out out(a, at, o);
  size_t n = Frames(dur + 0.08);
  double f = MidiHz(midi), ph = 0;
  LowPass lp(900);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    ph += kTwoPi * f / kRate;
    float env = Adsr(t, dur, 0.004, 0.12, 0.7, 0.06);
    float v = FSin(ph) * 0.8f + Saw(ph, f / kRate) * 0.5f;
    out(i, lp(v) * env);
  }
}

void AddLead(Audio& a, size_t at, double midi, double dur, NoteOpts o, int timbre) {
  Out out(a, at, o);
  size_t n = Frames(dur + 0.15);
  double f = MidiHz(midi), ph = 0;
  LowPass lp(timbre == 1 ? 2600.0f : 3800.0f);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    double vib = t > 0.15 ? 1.0 + 0.004 * FSin(kTwoPi * 5.5 * t) : 1.0;
    ph += kTwoPi * f * vib / kRate;
    float env = Adsr(t, dur, 0.008, 0.1, 0.65, 0.12);
    float v;
    if (timbre == 1) {  // flute-like
      v = FSin(ph) + 0.25f * FSin(2 * ph) + 0.1f * FSin(3 * ph);
    } else if (timbre == 2) {  // square-ish chip lead
      double dt = f * vib / kRate;
      v = (Saw(ph, dt) - Saw(ph + kTwoPi * 0.5, dt)) * 0.8f;
    } else {
      v = Saw(ph, f * vib / kRate);
    }
    out(i, lp(v) * env);
  }
}

void AddPad(Audio& a, size_t at, double midi, double dur, NoteOpts o) {
  Out out(a, at, o);
  size_t n = Frames(dur + 0.3);
  double f = MidiHz(midi), p1 = 0, p2 = 0;
  LowPass lp(1400);
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    p1 += kTwoPi * f * 1.003 / kRate;
    p2 += kTwoPi * f * 0.997 / kRate;
    float env = Adsr(t, dur, 0.08, 0.2, 0.8, 0.3);
    out(i, lp(Saw(p1, f / kRate) + Saw(p2, f / kRate)) * 0.5f * env);
  }
}

void AddBell(Audio& a, size_t at, double midi, double dur, NoteOpts o) {
  Out out(a, at, o);
  size_t n = Frames(dur);
  double f = MidiHz(midi);
  float e1 = 1, e2 = 1, e3 = 1;
  const float d1 = float(std::exp(-4.0 / kRate)), d2 = float(std::exp(-9.0 / kRate)), d3 = float(std::exp(-16.0 / kRate));
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    float v = FSin(kTwoPi * f * t) * e1 + 0.5f * FSin(kTwoPi * f * 2.76 * t) * e2 +
              0.25f * FSin(kTwoPi * f * 5.4 * t) * e3;
    e1 *= d1;
    e2 *= d2;
    e3 *= d3;
    float atk = t < 0.002 ? float(t / 0.002) : 1.0f;
    float tail = t > dur - 0.02 ? float((dur - t) / 0.02) : 1.0f;
    out(i, v * atk * tail);
  }
}

void AddBrass(Audio& a, size_t at, double midi, double dur, NoteOpts o) {
  Out out(a, at, o);
  size_t n = Frames(dur + 0.12);
  double f = MidiHz(midi), ph = 0;
  float y = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    ph += kTwoPi * f / kRate;
    float env = Adsr(t, dur, 0.03, 0.1, 0.8, 0.1);
    // The filter opens with the envelope: the brassy "blat".
    float x = float(kTwoPi * (600.0 + 3000.0 * env) / kRate);
    float k = x - 0.5f * x * x;
    y += k * (Saw(ph, f / kRate) - y);
    out(i, y * env);
  }
}

void AddNoiseSweep(Audio& a, size_t at, double dur, NoteOpts o, bool up, uint32_t seed) {
  Out out(a, at, o);
  size_t n = Frames(dur);
  Rng rng(seed);
  float y = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate, p = t / dur;
    double cut = up ? 300.0 + 6000.0 * p * p : 6300.0 - 6000.0 * p;
    float x = float(kTwoPi * cut / kRate);
    float k = x - 0.5f * x * x;
    y += k * (rng.noise() - y);
    float env = float(up ? p : 1.0 - p);
    out(i, y * env);
  }
}

}  // namespace themegen
