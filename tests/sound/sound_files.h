// Builders for the sound files the tests load: RIFF WAVE files chunk by chunk, and Ogg
// Vorbis files encoded from samples we make ourselves; and the sound tests' common fixture.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "sound/ogg_encode.h"
#include "sound/sound.h"

namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}
inline void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, v & 0xffff);
    PutU16(b, v >> 16);
}
inline void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

// One chunk: id, size field (the real size unless given), contents, pad byte when odd.
inline void PutChunk(Bytes& b, const char* id, const Bytes& body, int64_t sizeField = -1, bool pad = true) {
    PutId(b, id);
    PutU32(b, sizeField >= 0 ? static_cast<uint32_t>(sizeField) : static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) b.push_back(0);
}

inline Bytes FormatBody(int tag, int channels, int rate, int bits, int extraBytes = 0) {
    Bytes f;
    PutU16(f, tag);
    PutU16(f, channels);
    PutU32(f, rate);
    int align = channels * bits / 8;
    PutU32(f, align * rate);
    PutU16(f, align);
    PutU16(f, bits);
    if (extraBytes >= 2) {
        PutU16(f, extraBytes - 2);
        for (int i = 2; i < extraBytes; ++i) f.push_back(0xAB);
    }
    return f;
}

// 16-bit samples as little-endian bytes.
inline Bytes Pcm16(const std::vector<int16_t>& s) {
    Bytes b;
    for (int16_t v : s) PutU16(b, static_cast<uint16_t>(v));
    return b;
}

// RIFF "WAVE" around the given chunks (already encoded).
inline Bytes Riff(const Bytes& chunks, const char* form = "WAVE") {
    Bytes b;
    PutId(b, "RIFF");
    PutU32(b, static_cast<uint32_t>(chunks.size() + 4));
    PutId(b, form);
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

// A plain PCM WAVE file.
inline Bytes MakeWave(int channels, int rate, int bits, const Bytes& data) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", FormatBody(1, channels, rate, bits));
    PutChunk(chunks, "data", data);
    return Riff(chunks);
}

// A 44 100 Hz stereo 16-bit WAVE of `frames` frames, every sample = value.
inline Bytes MakeConstantWave(int frames, int16_t value, int channels = 2, int rate = 44100) {
    return MakeWave(channels, rate, 16, Pcm16(std::vector<int16_t>(static_cast<size_t>(frames) * channels, value)));
}

// Encodes interleaved float samples (-1 .. 1) as Ogg Vorbis at the given quality.
inline Bytes EncodeOgg(const std::vector<float>& interleaved, int channels, int rate, float quality = 0.4f) {
    Bytes out;
    if (sound::EncodeOggVorbis(interleaved.data(), interleaved.size() / channels, channels, rate, quality, 1234,
                               &out) != 0)
        out.clear();
    return out;
}

// A sine tone of `frames` frames.
inline std::vector<float> Tone(size_t frames, int channels, int rate, double hz = 440.0, float amp = 0.5f) {
    std::vector<float> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s[i * channels + c] = amp * static_cast<float>(std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate));
    return s;
}

// Offsets of the Ogg pages in a file ("OggS" capture patterns).
inline std::vector<size_t> OggPages(const Bytes& b) {
    std::vector<size_t> at;
    for (size_t i = 0; i + 4 <= b.size(); ++i)
        if (std::memcmp(&b[i], "OggS", 4) == 0) at.push_back(i);
    return at;
}

// Sound tests run on the virtual clock with the mixer and the sound table fresh.
class SoundFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TimeUseVirtualClock(1000.0, false);
        platform::MixerReset();
        sound::SoundReset();
    }
    void TearDown() override {
        sound::SoundReset();
        platform::MixerReset();
        platform::TimeUseRealClock();
    }
};

inline std::string WriteTemp(const std::string& name, const Bytes& b) {
    std::string dir = ::testing::TempDir();
    std::string path = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
}

}  // namespace soundtest
