// WAVE files: the chunk walk, what a damaged file gives, the sound table's slots, and the
// shared 16-bit PCM writer (build-time and test code) that makes them.
#include <gtest/gtest.h>

#include "common/wave_write.h"
#include "sound/sound.h"
#include "sound_files.h"
#include "support/files.h"

using namespace soundtest;

namespace {

using WaveLoad = SoundFixture;

Bytes Data(size_t n) {
    Bytes d(n);
    for (size_t i = 0; i < n; ++i) d[i] = uint8_t(i * 7 + 1);
    return d;
}

struct WaveCase {
    const char* name;
    Bytes file;
    int expectLength;  // -1: the load fails
};

Bytes CutTo(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

// One damaged file for each way the reader can refuse one.
const Bytes kFmt = Chunk("fmt ", FormatBody(1, 2, 44100, 16)), kData = Chunk("data", Data(400));
const WaveCase kWaveCases[] = {
    {"Plain", MakeWave(2, 44100, 16, Data(400)), 400},
    {"ChunksBetweenFmtAndData", Riff({kFmt, Chunk("LIST", Data(26)), Chunk("fact", Data(4)), kData}), 400},
    {"OddChunkPadded", Riff({kFmt, Chunk("odd ", Data(5)), kData}), 400},
    {"LongFmtChunk", Riff({Chunk("fmt ", FormatBody(1, 2, 44100, 16, 22)), kData}), 400},
    {"HugeDataSizeShortened", Riff({kFmt, Chunk("data", Data(400), 0xFFFFFFFFll)}), 400},
    {"DataPastEndShortenedToFrames", Riff({kFmt, Chunk("data", Data(402), 1000)}), 400},
    {"Mono8Bit", MakeWave(1, 22050, 8, Data(400)), 400},
    {"Stereo24Bit", MakeWave(2, 48000, 24, Data(402)), 402 - 402 % 6},
    {"TooShort", Bytes{'R', 'I', 'F', 'F'}, -1},
    {"Id3Tag", Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0, 0}, -1},
    {"NotWaveForm", Riff({kFmt, kData}, "AVI "), -1},
    {"ListChunkFirst", Riff({Chunk("LIST", Data(10)), kFmt, kData}), -1},
    {"ShortFmtChunk", Riff({Chunk("fmt ", CutTo(FormatBody(1, 2, 44100, 16), 14)), kData}), -1},
    {"CutInFmt", CutTo(MakeWave(2, 44100, 16, Data(400)), 30), -1},
    {"ChunkSizePastEnd", Riff({kFmt, Chunk("LIST", Data(8), 0xFFFFFFF0ll), kData}), -1},
    {"ZeroChannels", MakeWave(0, 44100, 16, Data(400)), -1},
    {"ZeroRate", MakeWave(2, 0, 16, Data(400)), -1},
    {"FloatFormatTag", Riff({Chunk("fmt ", FormatBody(3, 2, 44100, 32)), kData}), -1},
    {"SevenBits", MakeWave(2, 44100, 7, Data(400)), -1},
    {"ThreeBytesForStereo16", MakeWave(2, 44100, 16, Data(3)), -1},
};

class WaveCases : public WaveLoad, public ::testing::WithParamInterface<WaveCase> {};

TEST_P(WaveCases, LoadsOrRejectsFromFileAndMemory) {
    const WaveCase& wc = GetParam();
    EXPECT_EQ(Length(sound::LoadSound(WriteTemp("wave_case.wav", wc.file).c_str())), wc.expectLength);
    EXPECT_EQ(Length(Load(wc.file)), wc.expectLength);
    EXPECT_EQ(sound::SoundCursor(), wc.expectLength < 0 ? 0 : 2);
}

INSTANTIATE_TEST_SUITE_P(Chunks, WaveCases, ::testing::ValuesIn(kWaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WaveLoad, FormatFieldsComeFromTheFile) {
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(Load(MakeWave(1, 22050, 8, Data(100))), &s), 0);
    EXPECT_EQ(std::vector<int>({s.sampleRate, s.channels, s.bitsPerSample, s.length}), std::vector<int>({22050, 1, 8, 100}));
}

TEST_F(WaveLoad, MissingFileAndDirectoryLeaveTheTableAlone) {
    int first = Load(MakeConstantWave(100, 5));
    ASSERT_EQ(first, sound::kSoundHandleBase);
    EXPECT_EQ(sound::LoadSound("/nonexistent/dir/x.wav"), -1);
    EXPECT_EQ(sound::LoadSound(::testing::TempDir().c_str()), -1);
    EXPECT_EQ(sound::LoadSound(nullptr), -1);
    int none[2] = {7, 7};
    EXPECT_EQ(sound::LoadSoundCopies("/nonexistent.wav", 2, none), 0);
    EXPECT_EQ(none[0] + none[1], -2);
    EXPECT_EQ(sound::SoundCursor(), 1);
    EXPECT_EQ(sound::IsSoundPlaying(first), 0);
}

// The thousand-and-first load reuses slot 0; a failed load there empties it and keeps the
// cursor.
TEST_F(WaveLoad, AFullTableWrapsToSlotZero) {
    Bytes f = MakeConstantWave(100, 5);
    for (int i = 0; i < sound::kSoundSlots; ++i) ASSERT_EQ(Load(f), sound::kSoundHandleBase + i);
    EXPECT_EQ(Load(MakeConstantWave(300, 5)), sound::kSoundHandleBase);
    EXPECT_EQ(Length(sound::kSoundHandleBase), 300 * 4);
    EXPECT_EQ(sound::SoundCursor(), 1);
    for (int i = 1; i < sound::kSoundSlots; ++i) Load(f);
    EXPECT_EQ(sound::LoadSound(WriteTemp("bad_head.wav", Bytes{'I', 'D', '3', 3}).c_str()), -1);
    EXPECT_EQ(sound::SoundCursor(), 0);
    EXPECT_EQ(sound::IsSoundPlaying(sound::kSoundHandleBase), -1);  // freed
    EXPECT_EQ(sound::IsSoundPlaying(sound::kSoundHandleBase + 1), 0);
}

TEST_F(WaveLoad, ReleaseAllInvalidatesHandlesAndKeepsTheCursor) {
    Bytes f = MakeConstantWave(100, 5);
    int a = Load(f), b = Load(f);
    sound::PlaySound(a, true);
    sound::ReleaseAllSounds();
    EXPECT_EQ((std::vector<int>{sound::IsSoundPlaying(a), sound::IsSoundPlaying(b), sound::PlaySound(a)}), std::vector<int>(3, -1));
    EXPECT_EQ(Load(f), sound::kSoundHandleBase + 2);
}

TEST_F(WaveLoad, CopiesOfOneFilePlayIndependentlyAndARewrittenFileIsDecodedAgain) {
    std::string path = WriteTemp("copies.wav", MakeConstantWave(1000, 9));
    int handles[30];
    ASSERT_EQ(sound::LoadSoundCopies(path.c_str(), 30, handles), 30);
    EXPECT_EQ(sound::PlaySound(handles[3]), 0);
    EXPECT_EQ(sound::SetSoundPositionBytes(handles[5], 400), 0);
    for (int i = 0; i < 30; ++i) {
        const int h = handles[i];
        EXPECT_EQ((std::vector<int64_t>{h, sound::IsSoundPlaying(h), sound::GetSoundPositionBytes(h)}),
                  (std::vector<int64_t>{sound::kSoundHandleBase + i, i == 3, i == 5 ? 400 : 0})) << i;
    }
    WriteTemp("copies.wav", MakeConstantWave(2000, 9));
    int more = sound::LoadSound(path.c_str());
    EXPECT_EQ(more, sound::kSoundHandleBase + 30);
    EXPECT_EQ(std::pair(Length(handles[0]), Length(more)), std::pair(4000, 8000));
}

// The writer's header is the chunk builder's, and its file holds the same bytes.
TEST(WaveWrite, HeaderMatchesTheChunkBuilderAndTheFileHoldsTheSameBytes) {
    const std::vector<int16_t> s = {1, -2, 300, -32768, 32767, 0};
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 3, 2, 44100), MakeWave(2, 44100, 16, Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(s.data(), 6, 1, 22050), MakeWave(1, 22050, 16, Pcm16(s)));
    EXPECT_EQ(sound::MakePcm16Wave(nullptr, 10, 2, 44100).size(), sound::kWaveHeaderBytes);
    std::string path = WriteTemp("wave_write_test.wav", {});
    ASSERT_EQ(sound::WritePcm16WaveFile(path, s.data(), 2, 2, 44100), 0);
    const Bytes want = sound::MakePcm16Wave(s.data(), 2, 2, 44100);
    EXPECT_EQ(testsupport::ReadFile(path), std::string(want.begin(), want.end()));
    EXPECT_EQ(sound::WritePcm16WaveFile("/nonexistent-folder/x.wav", s.data(), 2, 2, 44100), -1);
}

}  // namespace
