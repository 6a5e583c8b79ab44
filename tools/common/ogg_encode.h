// Ogg Vorbis encoding through libvorbisenc, for the theme generator, the benchmarks and the
// tests that need songs of their own. Depends on libvorbisenc/libogg only, so a tool may
// compile it in without the rest of the sound library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sound {

struct OggEncodeSettings {
  int channels = 2;
  int rate = 44100;
  float quality = 0.4f;              // VBR quality, -0.1 .. 1
  int serial = 1;                    // fixed stream serial: the same samples give the same bytes
  const char* encoderTag = nullptr;  // ENCODER comment, none when null
};

// Fills planar[channel][0 .. count) with the frames [first, first + count) of the sound.
using OggFill = std::function<void(float** planar, size_t count, size_t first)>;
// Takes the encoded bytes as they come; false stops the encoding with a failure.
using OggSink = std::function<bool(const uint8_t* data, size_t size)>;

// Encodes `frames` frames asked from `fill` in blocks, handing every page to `sink`.
// 0, or -1 when the settings are refused or the sink fails.
int EncodeOggVorbisStream(const OggEncodeSettings& settings, size_t frames, const OggFill& fill,
                          const OggSink& sink);

// Interleaved float samples (-1 .. 1) into *out (replaced). 0, or -1.
int EncodeOggVorbis(const float* interleaved, size_t frames, int channels, int rate, float quality,
                    int serial, std::vector<uint8_t>* out);

// The same straight into a file; a partly written file is left when it fails. 0, or -1.
int WriteOggVorbisFile(const std::string& path, const OggEncodeSettings& settings, size_t frames,
                       const OggFill& fill);
int WriteOggVorbisFile(const std::string& path, const OggEncodeSettings& settings,
                       const float* interleaved, size_t frames);

}  // namespace sound
