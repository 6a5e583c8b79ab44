// WAVE files: the chunk walk and what a damaged file gives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/mixer.h"
#include "platform/time.h"
#include "sound/sound.h"
#include "sound_files.h"

using namespace soundtest;

namespace {

class WaveLoad : public SoundFixture {};

struct WaveCase {
    const char* name;
    Bytes file;
    int expectLength;  // -1: the load fails
};

Bytes Data(size_t n) {
    Bytes d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(i * 7 + 1);
    return d;
}

std::vector<WaveCase> WaveCases() {
    std::vector<WaveCase> c;
    const Bytes data = Data(400);
    c.push_back({"Plain", MakeWave(2, 44100, 16, data), 400});
    {
        Bytes ch;
        PutChunk(ch, "LIST", Data(10));
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "data", data);
        c.push_back({"ListChunkFirst", Riff(ch), -1});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "LIST", Data(26));
        PutChunk(ch, "fact", Data(4));
        PutChunk(ch, "data", data);
        c.push_back({"ChunksBetweenFmtAndData", Riff(ch), 400});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "odd ", Data(5));  // padded to 6
        PutChunk(ch, "data", data);
        c.push_back({"OddChunkPadded", Riff(ch), 400});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16, 22));  // a 38-byte fmt chunk
        PutChunk(ch, "data", data);
        c.push_back({"LongFmtChunk", Riff(ch), 400});
    }
    {
        Bytes ch;
        Bytes f = FormatBody(1, 2, 44100, 16);
        f.resize(14);
        PutChunk(ch, "fmt ", f);
        PutChunk(ch, "data", data);
        c.push_back({"ShortFmtChunk", Riff(ch), -1});
    }
    c.push_back({"ZeroChannels", MakeWave(0, 44100, 16, data), -1});
    c.push_back({"ZeroRate", MakeWave(2, 0, 16, data), -1});
    c.push_back({"ZeroBits", MakeWave(2, 44100, 0, data), -1});
    c.push_back({"SevenBits", MakeWave(2, 44100, 7, data), -1});
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(3, 2, 44100, 32));  // IEEE float
        PutChunk(ch, "data", data);
        c.push_back({"FloatFormatTag", Riff(ch), -1});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "data", data, 0xFFFFFFFFll);
        c.push_back({"HugeDataSizeShortened", Riff(ch), 400});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "data", Data(402), 1000);
        c.push_back({"DataPastEndShortenedToFrames", Riff(ch), 400});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "LIST", Data(8), 0xFFFFFFF0ll);
        PutChunk(ch, "data", data);
        c.push_back({"ChunkSizePastEnd", Riff(ch), -1});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "data", Bytes());
        c.push_back({"EmptyData", Riff(ch), -1});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        c.push_back({"NoDataChunk", Riff(ch), -1});
    }
    {
        Bytes ch;
        PutChunk(ch, "fmt ", FormatBody(1, 2, 44100, 16));
        PutChunk(ch, "data", data);
        c.push_back({"NotWaveForm", Riff(ch, "AVI "), -1});
    }
    {
        Bytes f = MakeWave(2, 44100, 16, data);
        f.resize(30);  // inside the fmt chunk
        c.push_back({"CutInFmt", f, -1});
    }
    c.push_back({"Empty", Bytes(), -1});
    c.push_back({"JustRiff", Bytes{'R', 'I', 'F', 'F'}, -1});
    c.push_back({"Id3Tag", Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0}, -1});
    c.push_back({"Mono8Bit", MakeWave(1, 22050, 8, data), 400});
    c.push_back({"Stereo24Bit", MakeWave(2, 48000, 24, Data(402)), 402 - 402 % 6});
    c.push_back({"ThreeBytesForStereo16", MakeWave(2, 44100, 16, Data(3)), -1});
    return c;
}

class WaveCases_ : public WaveLoad, public ::testing::WithParamInterface<WaveCase> {};

TEST_P(WaveCases_, LoadsOrRejects) {
    const WaveCase& wc = GetParam();
    std::string path = WriteTemp(std::string("wave_") + wc.name + ".wav", wc.file);
    int h = sound::LoadSound(path.c_str());
    int m = sound::LoadSoundFromMemory(wc.file.data(), wc.file.size());
    if (wc.expectLength < 0) {
        EXPECT_EQ(h, -1);
        EXPECT_EQ(m, -1);
        EXPECT_EQ(sound::SoundCursor(), 0);
        return;
    }
    ASSERT_GE(h, sound::kSoundHandleBase);
    ASSERT_GE(m, sound::kSoundHandleBase);
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(h, &s), 0);
    EXPECT_EQ(s.length, wc.expectLength);
    ASSERT_EQ(sound::GetSoundInfo(m, &s), 0);
    EXPECT_EQ(s.length, wc.expectLength);
}

INSTANTIATE_TEST_SUITE_P(Chunks, WaveCases_, ::testing::ValuesIn(WaveCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WaveLoad, FormatFieldsComeFromTheFile) {
    Bytes f = MakeWave(1, 22050, 8, Data(100));
    int h = sound::LoadSoundFromMemory(f.data(), f.size());
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(h, &s), 0);
    EXPECT_EQ(s.sampleRate, 22050);
    EXPECT_EQ(s.channels, 1);
    EXPECT_EQ(s.bitsPerSample, 8);
    EXPECT_EQ(s.length, 100);
}

TEST_F(WaveLoad, MissingFileAndDirectoryLeaveTheTableAlone) {
    Bytes f = MakeConstantWave(100, 5);
    int first = sound::LoadSoundFromMemory(f.data(), f.size());
    ASSERT_EQ(first, sound::kSoundHandleBase);
    EXPECT_EQ(sound::LoadSound("/nonexistent/dir/x.wav"), -1);
    EXPECT_EQ(sound::LoadSound(::testing::TempDir().c_str()), -1);
    EXPECT_EQ(sound::LoadSound(nullptr), -1);
    EXPECT_EQ(sound::LoadSound(""), -1);
    EXPECT_EQ(sound::LoadSound(std::string(5000, 'a').c_str()), -1);
    int none[2] = {7, 7};
    EXPECT_EQ(sound::LoadSoundCopies("/nonexistent.wav", 2, none), 0);
    EXPECT_EQ(none[0], -1);
    EXPECT_EQ(none[1], -1);
    EXPECT_EQ(sound::SoundCursor(), 1);
    EXPECT_EQ(sound::IsSoundPlaying(first), 0);
}

TEST_F(WaveLoad, FailedLoadEmptiesTheCursorSlotAndKeepsTheCursor) {
    Bytes f = MakeConstantWave(100, 5);
    for (int i = 0; i < sound::kSoundSlots; ++i) sound::LoadSoundFromMemory(f.data(), f.size());
    ASSERT_EQ(sound::SoundCursor(), 0);
    ASSERT_EQ(sound::IsSoundPlaying(sound::kSoundHandleBase), 0);  // slot 0 holds a sound
    std::string bad = WriteTemp("bad_head.wav", Bytes{'I', 'D', '3', 3});
    EXPECT_EQ(sound::LoadSound(bad.c_str()), -1);
    EXPECT_EQ(sound::SoundCursor(), 0);
    EXPECT_EQ(sound::IsSoundPlaying(sound::kSoundHandleBase), -1);  // freed
    EXPECT_EQ(sound::IsSoundPlaying(sound::kSoundHandleBase + 1), 0);
}

TEST_F(WaveLoad, TheThousandAndFirstLoadReusesSlotZero) {
    Bytes f = MakeConstantWave(100, 5);
    int first = sound::LoadSoundFromMemory(f.data(), f.size());
    for (int i = 1; i < sound::kSoundSlots; ++i) {
        ASSERT_EQ(sound::LoadSoundFromMemory(f.data(), f.size()), sound::kSoundHandleBase + i);
    }
    Bytes g = MakeConstantWave(300, 5);
    int last = sound::LoadSoundFromMemory(g.data(), g.size());
    EXPECT_EQ(last, first);
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(first, &s), 0);
    EXPECT_EQ(s.length, 300 * 4);
    EXPECT_EQ(sound::SoundCursor(), 1);
}

TEST_F(WaveLoad, ReleaseAllInvalidatesHandlesAndKeepsTheCursor) {
    Bytes f = MakeConstantWave(100, 5);
    int a = sound::LoadSoundFromMemory(f.data(), f.size());
    int b = sound::LoadSoundFromMemory(f.data(), f.size());
    sound::PlaySound(a, true);
    sound::ReleaseAllSounds();
    EXPECT_EQ(sound::IsSoundPlaying(a), -1);
    EXPECT_EQ(sound::IsSoundPlaying(b), -1);
    EXPECT_EQ(sound::PlaySound(a), -1);
    EXPECT_EQ(sound::SoundCursor(), 2);
    EXPECT_EQ(sound::LoadSoundFromMemory(f.data(), f.size()), sound::kSoundHandleBase + 2);
}

TEST_F(WaveLoad, CopiesOfOneFilePlayIndependently) {
    std::string path = WriteTemp("copies.wav", MakeConstantWave(1000, 9));
    int handles[30];
    ASSERT_EQ(sound::LoadSoundCopies(path.c_str(), 30, handles), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(handles[i], sound::kSoundHandleBase + i);
    // a plain load of the same file after them
    int more = sound::LoadSound(path.c_str());
    EXPECT_EQ(more, sound::kSoundHandleBase + 30);
    EXPECT_EQ(sound::PlaySound(handles[3]), 0);
    EXPECT_EQ(sound::SetSoundPositionBytes(handles[5], 400), 0);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(sound::IsSoundPlaying(handles[i]), i == 3 ? 1 : 0) << i;
        EXPECT_EQ(sound::GetSoundPositionBytes(handles[i]), i == 5 ? 400 : 0) << i;
    }
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(more, &s), 0);
    EXPECT_EQ(s.length, 4000);
}

TEST_F(WaveLoad, ARewrittenFileIsDecodedAgain) {
    std::string path = WriteTemp("rewritten.wav", MakeConstantWave(1000, 9));
    int a = sound::LoadSound(path.c_str());
    WriteTemp("rewritten.wav", MakeConstantWave(2000, 9));
    int b = sound::LoadSound(path.c_str());
    sound::SoundSlot sa, sb;
    ASSERT_EQ(sound::GetSoundInfo(a, &sa), 0);
    ASSERT_EQ(sound::GetSoundInfo(b, &sb), 0);
    EXPECT_EQ(sa.length, 4000);
    EXPECT_EQ(sb.length, 8000);
}

}  // namespace
