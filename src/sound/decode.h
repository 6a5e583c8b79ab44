// Decoding of the two sound file kinds into the mixer's PCM. Inside the sound layer only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include <vorbis/vorbisfile.h>

#include "platform/mixer.h"

namespace sound {

// What a decoder hands to the sound table: the file's own format and PCM size in bytes,
// and the PCM converted for the mixer.
struct DecodedSound {
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int32_t length = 0;
    std::shared_ptr<const platform::MixerPcm> pcm;
};

// A RIFF WAVE file with PCM data. 0, or -1.
int DecodeWave(const uint8_t* data, size_t size, DecodedSound* out);
// An Ogg Vorbis file, decoded completely to 16-bit PCM. 0, or -1.
int DecodeOggVorbis(const uint8_t* data, size_t size, DecodedSound* out);

// Whether an Ogg Vorbis stream of this format can be played: a channel at least, and a rate
// the mixer converts from.
bool OggFormatPlayable(const vorbis_info* info);

// Decodes up to bytes bytes of 16-bit PCM into to. A hole or a damaged packet is skipped; the
// bytes written, 0 at the end of the stream or after 64 damaged reads in a row (a stream of
// nothing but holes must not keep a decoder spinning).
long ReadOggPcm(OggVorbis_File* vf, uint8_t* to, int bytes);

// Largest PCM an Ogg Vorbis file may claim per byte of file: a Vorbis packet of a long
// block carries at most 1 024 frames and costs at least about one byte with its share of
// page overhead, so a file claiming more is lying about its length.
constexpr int64_t kMaxOggFramesPerFileByte = 1024;

}  // namespace sound
