#include "audio.h"

#include "common/ogg_encode.h"
#include "common/wave_write.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace themegen {

void Normalize(Audio& a, float peak) {
  float m = 0;
  for (float v : a.s) m = std::max(m, std::fabs(v));
  if (m <= 0) return;
  float k = peak / m;
  for (float& v : a.s) v *= k;
}

void SoftClip(Audio& a, float drive) {
  float norm = std::tanh(drive);
  for (float& v : a.s) v = std::tanh(v * drive) / norm;
}

void FadeEdges(Audio& a, double inMs, double outMs) {
  size_t n = a.frames();
  size_t fi = std::min(n, size_t(inMs * kRate / 1000)), fo = std::min(n, size_t(outMs * kRate / 1000));
  for (size_t i = 0; i < fi; ++i)
    for (int c = 0; c < a.channels; ++c) a.s[i * a.channels + c] *= float(i) / fi;
  for (size_t i = 0; i < fo; ++i)
    for (int c = 0; c < a.channels; ++c) a.s[(n - 1 - i) * a.channels + c] *= float(i) / fo;
}

int WriteWav(const std::string& path, const Audio& a) {
  std::vector<int16_t> pcm(a.s.size());
  for (size_t i = 0; i < a.s.size(); ++i) pcm[i] = int16_t(std::lround(std::clamp(a.s[i], -1.0f, 1.0f) * 32767.0f));
  return sound::WritePcm16WaveFile(path, pcm.data(), a.frames(), a.channels, kRate);
}

int WriteOgg(const std::string& path, const Audio& a, float quality) {
  sound::OggEncodeSettings settings;
  settings.channels = a.channels;
  settings.rate = kRate;
  settings.quality = quality;
  settings.serial = 0x4B4F444F;  // fixed serial: deterministic output
  settings.encoderTag = "kodoban-themegen";
  return sound::WriteOggVorbisFile(path, settings, a.s.data(), a.frames());
}

}  // namespace themegen
