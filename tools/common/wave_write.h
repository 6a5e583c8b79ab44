// Writing plain 16-bit PCM WAVE files: the canonical 44-byte header ("RIFF", "WAVE", a
// 16-byte "fmt " record, "data") and little-endian samples. For the theme generator, the
// benchmarks and the tests. Depends on nothing else of the sound library, so a tool may
// compile it in on its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sound {

constexpr size_t kWaveHeaderBytes = 44;

// Appends the header of a PCM WAVE file whose data chunk holds `dataBytes` bytes.
void AppendWaveHeader(std::vector<uint8_t>* out, int channels, int rate, int bitsPerSample,
                      uint32_t dataBytes);

// A whole 16-bit PCM WAVE file of interleaved samples.
std::vector<uint8_t> MakePcm16Wave(const int16_t* interleaved, size_t frames, int channels,
                                   int rate);

// The same written to a file. 0, or -1 when the file cannot be written completely.
int WritePcm16WaveFile(const std::string& path, const int16_t* interleaved, size_t frames,
                       int channels, int rate);

}  // namespace sound
