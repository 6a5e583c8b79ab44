// The shared 16-bit PCM WAVE writer (build-time and test code): the bytes of the canonical
// header, and files that hold the same bytes.
#include "common/wave_write.h"

#include <gtest/gtest.h>

#include "sound_files.h"
#include "support/files.h"

namespace {

using soundtest::Bytes;

TEST(WaveWrite, HeaderMatchesTheChunkBuilderAndTheFileHoldsTheSameBytes) {
    const std::vector<int16_t> s = {1, -2, 300, -32768, 32767, 0};
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 3, 2, 44100), soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 6, 1, 22050), soundtest::MakeWave(1, 22050, 16, soundtest::Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(nullptr, 10, 2, 44100).size(), sound::kWaveHeaderBytes);
    std::string path = soundtest::WriteTemp("wave_write_test.wav", {});
    ASSERT_EQ(sound::WritePcm16WaveFile(path, s.data(), 2, 2, 44100), 0);
    const Bytes want = sound::MakePcm16Wave(s.data(), 2, 2, 44100);
    EXPECT_EQ(testsupport::ReadFile(path), std::string(want.begin(), want.end()));
    EXPECT_EQ(sound::WritePcm16WaveFile("/nonexistent-folder/x.wav", s.data(), 2, 2, 44100), -1);
}

}  // namespace
