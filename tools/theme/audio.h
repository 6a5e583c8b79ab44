// Sound synthesis for the default theme and the demo songs, and the two writers:
// 16-bit PCM WAV by hand, Ogg Vorbis through libvorbisenc.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace themegen {

constexpr int kRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

// A mono or stereo float buffer at kRate, samples in -1 .. 1.
struct Audio {
  int channels = 1;
  std::vector<float> s;  // interleaved
  Audio() = default;
  Audio(int ch, double seconds) : channels(ch), s(size_t(seconds * kRate) * ch, 0.0f) {}
  size_t frames() const { return s.size() / channels; }
  // Adds a mono sample at frame i, panned (-1 left .. 1 right) on stereo buffers.
  void add(size_t i, float v, float pan = 0.0f) {
    if (i >= frames()) return;
    if (channels == 1) {
      s[i] += v;
    } else {
      float l = std::sqrt(0.5f * (1.0f - pan)), r = std::sqrt(0.5f * (1.0f + pan));
      s[i * 2] += v * l;
      s[i * 2 + 1] += v * r;
    }
  }
};

// Deterministic noise source.
struct Rng {
  uint32_t state;
  explicit Rng(uint32_t seed) : state(seed ? seed : 1) {}
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  float uniform() { return (next() & 0xFFFFFF) / float(0xFFFFFF); }  // 0 .. 1
  float noise() { return uniform() * 2.0f - 1.0f; }                  // -1 .. 1
};

// Scales the buffer so that its peak is `peak`.
void Normalize(Audio& a, float peak);
// Gentle soft clipping for mixes.
void SoftClip(Audio& a, float drive);
// Short fades at both ends to avoid clicks.
void FadeEdges(Audio& a, double inMs, double outMs);

int WriteWav(const std::string& path, const Audio& a);
// Encodes to Ogg Vorbis (VBR quality -0.1 .. 1); -1 on failure.
int WriteOgg(const std::string& path, const Audio& a, float quality);

inline double MidiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

}  // namespace themegen
