#include "audio.h"

#include "sound/ogg_encode.h"

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

static void Put16(std::FILE* f, uint16_t v) {
  uint8_t b[2] = {uint8_t(v & 255), uint8_t(v >> 8)};
  std::fwrite(b, 1, 2, f);
}
static void Put32(std::FILE* f, uint32_t v) {
  uint8_t b[4] = {uint8_t(v & 255), uint8_t((v >> 8) & 255), uint8_t((v >> 16) & 255), uint8_t(v >> 24)};
  std::fwrite(b, 1, 4, f);
}

int WriteWav(const std::string& path, const Audio& a) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  uint32_t dataBytes = uint32_t(a.s.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);  // PCM
  Put16(f, uint16_t(a.channels));
  Put32(f, kRate);
  Put32(f, uint32_t(kRate * a.channels * 2));
  Put16(f, uint16_t(a.channels * 2));
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, dataBytes);
  std::vector<uint8_t> buf(a.s.size() * 2);
  for (size_t i = 0; i < a.s.size(); ++i) {
    int v = int(std::lround(std::clamp(a.s[i], -1.0f, 1.0f) * 32767.0f));
    buf[i * 2] = uint8_t(v & 255);
    buf[i * 2 + 1] = uint8_t((v >> 8) & 255);
  }
  std::fwrite(buf.data(), 1, buf.size(), f);
  bool ok = std::ferror(f) == 0;
  if (std::fclose(f) != 0) ok = false;
  return ok ? 0 : -1;
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
