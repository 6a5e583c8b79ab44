// The shared 16-bit PCM WAVE writer: the bytes of the canonical header, and files that hold
// the same bytes.
#include "common/wave_write.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sound_files.h"

namespace {

using soundtest::Bytes;

TEST(WaveWrite, HeaderMatchesTheChunkBuilderAndTheFileHoldsTheSameBytes) {
    const std::vector<int16_t> s = {1, -2, 300, -32768, 32767, 0};
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 3, 2, 44100), soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 6, 1, 22050), soundtest::MakeWave(1, 22050, 16, soundtest::Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(nullptr, 10, 2, 44100).size(), sound::kWaveHeaderBytes);
    std::string path = soundtest::WriteTemp("wave_write_test.wav", {});
    ASSERT_EQ(sound::WritePcm16WaveFile(path, s.data(), 2, 2, 44100), 0);
    std::ifstream f(path, std::ios::binary);
    EXPECT_EQ(Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>()), sound::MakePcm16Wave(s.data(), 2, 2, 44100));
    EXPECT_EQ(sound::WritePcm16WaveFile("/nonexistent-folder/x.wav", s.data(), 2, 2, 44100), -1);
}

}  // namespace
