// Builders for the sound files the tests load: RIFF WAVE files chunk by chunk, and Ogg
// Vorbis files encoded from samples we make ourselves; and the sound tests' common fixture.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "common/ogg_encode.h"
#include "sound/sound.h"

namespace soundtest {

using Bytes = std::vector<uint8_t>;

// Little-endian field of `width` bytes.
inline void Put(Bytes& b, uint32_t v, int width) {
    for (int i = 0; i < width; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// One chunk: id, size field (the real size unless given), contents, pad byte when odd.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t sizeField = -1) {
    Bytes b(id, id + 4);
    Put(b, uint32_t(sizeField >= 0 ? sizeField : int64_t(body.size())), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
    return b;
}

// A "fmt " body, with extraBytes of extension (its size field included) when asked.
inline Bytes FormatBody(int tag, int channels, int rate, int bits, int extraBytes = 0) {
    Bytes f;
    int align = channels * bits / 8;
    for (auto [v, w] : {std::pair{tag, 2}, {channels, 2}, {rate, 4}, {align * rate, 4}, {align, 2}, {bits, 2}})
        Put(f, uint32_t(v), w);
    if (extraBytes >= 2) Put(f, uint32_t(extraBytes - 2), 2), f.resize(f.size() + extraBytes - 2, 0xAB);
    return f;
}

// 16-bit samples as little-endian bytes.
inline Bytes Pcm16(const std::vector<int16_t>& s) {
    Bytes b;
    for (int16_t v : s) Put(b, uint16_t(v), 2);
    return b;
}

// RIFF "WAVE" (or another form) around the given chunks.
inline Bytes Riff(std::initializer_list<Bytes> chunks, const char* form = "WAVE") {
    Bytes body(form, form + 4);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b{'R', 'I', 'F', 'F'};
    Put(b, uint32_t(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A plain PCM WAVE file.
inline Bytes MakeWave(int channels, int rate, int bits, const Bytes& data) {
    return Riff({Chunk("fmt ", FormatBody(1, channels, rate, bits)), Chunk("data", data)});
}

// A 16-bit WAVE of `frames` frames, every sample = value.
inline Bytes MakeConstantWave(int frames, int16_t value, int channels = 2, int rate = 44100) {
    return MakeWave(channels, rate, 16, Pcm16(std::vector<int16_t>(size_t(frames) * channels, value)));
}

// Encodes interleaved float samples (-1 .. 1) as Ogg Vorbis at the given quality.
inline Bytes EncodeOgg(const std::vector<float>& interleaved, int channels, int rate, float quality = 0.4f) {
    Bytes out;
    if (sound::EncodeOggVorbis(interleaved.data(), interleaved.size() / channels, channels, rate, quality, 1234, &out))
        out.clear();
    return out;
}

// A sine tone of `frames` frames.
inline std::vector<float> Tone(size_t frames, int channels, int rate, double hz = 440.0, float amp = 0.5f) {
    std::vector<float> s(frames * channels);
    for (size_t i = 0; i < s.size(); ++i) s[i] = amp * float(std::sin(2.0 * M_PI * hz * double(i / channels) / rate));
    return s;
}

// Offsets of the Ogg pages in a file ("OggS" capture patterns).
inline std::vector<size_t> OggPages(const Bytes& b) {
    std::vector<size_t> at;
    for (size_t i = 0; i + 4 <= b.size(); ++i)
        if (std::memcmp(&b[i], "OggS", 4) == 0) at.push_back(i);
    return at;
}

// CTest runs each case in its own process at the same time: the pid keeps their files apart.
inline std::string WriteTemp(const std::string& name, const Bytes& b) {
    std::string dir = ::testing::TempDir();
    std::string path = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
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
    int Load(const Bytes& f) { return sound::LoadSoundFromMemory(f.data(), f.size()); }
    int Length(int handle) {
        sound::SoundSlot s;
        return sound::GetSoundInfo(handle, &s) == 0 ? s.length : -1;
    }
};

}  // namespace soundtest
