#include "common/wave_write.h"

#include <cstdio>

namespace sound {

namespace {

constexpr uint32_t kPcmFormatBytes = 16;
constexpr uint16_t kFormatPcm = 1;

void PutU16(std::vector<uint8_t>* b, uint32_t v) {
  b->push_back(static_cast<uint8_t>(v & 0xff));
  b->push_back(static_cast<uint8_t>((v >> 8) & 0xff));
}
void PutU32(std::vector<uint8_t>* b, uint32_t v) {
  PutU16(b, v & 0xffff);
  PutU16(b, v >> 16);
}
void PutId(std::vector<uint8_t>* b, const char* id) { b->insert(b->end(), id, id + 4); }

}  // namespace

void AppendWaveHeader(std::vector<uint8_t>* out, int channels, int rate, int bitsPerSample,
                      uint32_t dataBytes) {
  const uint32_t align = static_cast<uint32_t>(channels * bitsPerSample / 8);
  PutId(out, "RIFF");
  PutU32(out, static_cast<uint32_t>(kWaveHeaderBytes - 8) + dataBytes);
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  PutU32(out, kPcmFormatBytes);
  PutU16(out, kFormatPcm);
  PutU16(out, static_cast<uint32_t>(channels));
  PutU32(out, static_cast<uint32_t>(rate));
  PutU32(out, align * static_cast<uint32_t>(rate));
  PutU16(out, align);
  PutU16(out, static_cast<uint32_t>(bitsPerSample));
  PutId(out, "data");
  PutU32(out, dataBytes);
}

std::vector<uint8_t> MakePcm16Wave(const int16_t* interleaved, size_t frames, int channels,
                                   int rate) {
  if (channels < 1 || !interleaved) frames = 0;
  const size_t samples = frames * static_cast<size_t>(channels);
  std::vector<uint8_t> b;
  b.reserve(kWaveHeaderBytes + samples * 2);
  AppendWaveHeader(&b, channels, rate, 16, static_cast<uint32_t>(samples * 2));
  for (size_t i = 0; i < samples; ++i) PutU16(&b, static_cast<uint16_t>(interleaved[i]));
  return b;
}

int WritePcm16WaveFile(const std::string& path, const int16_t* interleaved, size_t frames,
                       int channels, int rate) {
  std::vector<uint8_t> b = MakePcm16Wave(interleaved, frames, channels, rate);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  if (std::fclose(f) != 0) ok = false;
  return ok ? 0 : -1;
}

}  // namespace sound
