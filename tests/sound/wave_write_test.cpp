// The shared 16-bit PCM WAVE writer: the bytes of the canonical header, and files the WAVE
// loader reads back as written.
#include "sound/wave_write.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "sound_files.h"

namespace {

using soundtest::Bytes;

TEST(WaveWrite, HeaderMatchesTheChunkBuilder) {
    const std::vector<int16_t> s = {1, -2, 300, -32768, 32767, 0};
    // Stereo and mono over the same samples, against the chunk-by-chunk builder.
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 3, 2, 44100), soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 6, 1, 22050), soundtest::MakeWave(1, 22050, 16, soundtest::Pcm16(s)));
    Bytes empty = sound::MakePcm16Wave(nullptr, 0, 2, 44100);
    EXPECT_EQ(empty.size(), sound::kWaveHeaderBytes);
    EXPECT_EQ(sound::MakePcm16Wave(nullptr, 10, 2, 44100).size(), sound::kWaveHeaderBytes);
}

TEST(WaveWrite, FileHoldsTheSameBytesAndUnwritablePathFails) {
    const std::vector<int16_t> s = {5, 6, 7, 8};
    std::string path = soundtest::WriteTemp("wave_write_test.wav", {});
    ASSERT_EQ(sound::WritePcm16WaveFile(path, s.data(), 2, 2, 44100), 0);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes file(100);
    file.resize(std::fread(file.data(), 1, file.size(), f));
    std::fclose(f);
    std::remove(path.c_str());
    EXPECT_EQ(file, sound::MakePcm16Wave(s.data(), 2, 2, 44100));
    EXPECT_EQ(sound::WritePcm16WaveFile("/nonexistent-folder/x.wav", s.data(), 2, 2, 44100), -1);
}

}  // namespace
