// Ogg Vorbis files: decoded length, content, a zero-filled tail where the decoder falls
// short, and damaged streams.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/mixer.h"
#include "platform/time.h"
#include "sound/decode.h"
#include "sound/sound.h"
#include "sound_files.h"

using namespace soundtest;

namespace {

class OggLoad : public SoundFixture {};

struct OggCase {
    int rate;
    int channels;
    size_t frames;
};

class OggFormats : public OggLoad, public ::testing::WithParamInterface<OggCase> {};

TEST_P(OggFormats, DecodesToTheStreamLength) {
    const OggCase& oc = GetParam();
    Bytes ogg = EncodeOgg(Tone(oc.frames, oc.channels, oc.rate), oc.channels, oc.rate);
    ASSERT_FALSE(ogg.empty());
    sound::DecodedSound d;
    ASSERT_EQ(sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d), 0);
    EXPECT_EQ(d.sampleRate, oc.rate);
    EXPECT_EQ(d.channels, oc.channels);
    EXPECT_EQ(d.bitsPerSample, 16);
    // the time total times the byte rate, truncated to whole frames
    EXPECT_NEAR(d.length, static_cast<double>(oc.frames * oc.channels * 2), oc.channels * 2.0);
    ASSERT_TRUE(d.pcm);
    double expectFrames = static_cast<double>(oc.frames) * 44100.0 / oc.rate;
    EXPECT_NEAR(static_cast<double>(d.pcm->Frames()), expectFrames, 2.0);
    // the tone is there: loud in the middle, left and right alike for mono
    int peak = 0;
    for (size_t i = d.pcm->samples.size() / 4; i < d.pcm->samples.size() / 2; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(d.pcm->samples[i])));
    EXPECT_GT(peak, 12000);
    EXPECT_LT(peak, 20000);
    if (oc.channels == 1) {
        for (size_t i = 0; i < d.pcm->samples.size(); i += 2) ASSERT_EQ(d.pcm->samples[i], d.pcm->samples[i + 1]);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, OggFormats,
                         ::testing::Values(OggCase{44100, 2, 44100}, OggCase{44100, 1, 30000},
                                           OggCase{22050, 2, 22050}, OggCase{48000, 2, 24000}));

TEST_F(OggLoad, LoadsThroughTheTableFromAFile) {
    Bytes ogg = EncodeOgg(Tone(44100, 2, 44100), 2, 44100);
    std::string path = WriteTemp("tone.ogg", ogg);
    int h = sound::LoadSound(path.c_str());
    ASSERT_EQ(h, sound::kSoundHandleBase);
    sound::SoundSlot s;
    ASSERT_EQ(sound::GetSoundInfo(h, &s), 0);
    EXPECT_EQ(s.length, 176400);
    sound::SetCurrentSong(h);
    EXPECT_EQ(sound::SetSongPositionMs(500.0), 0);
    EXPECT_EQ(sound::GetSoundPositionBytes(h), 88200);
}

TEST_F(OggLoad, ALostPageLeavesASilentTail) {
    const size_t frames = 44100 * 2;
    std::vector<float> samples = Tone(frames, 2, 44100);
    uint32_t seed = 1;
    for (float& v : samples) {  // noise makes many pages
        seed = seed * 1664525u + 1013904223u;
        v += static_cast<float>(seed >> 8) / 16777216.0f * 0.2f - 0.1f;
    }
    Bytes ogg = EncodeOgg(samples, 2, 44100);
    std::vector<size_t> pages = OggPages(ogg);
    ASSERT_GT(pages.size(), 6u);
    // damage one page in the middle: its checksum fails and its audio is lost
    size_t victim = pages[pages.size() / 2];
    ogg[victim + 40] ^= 0x5a;
    ogg[victim + 41] ^= 0x5a;
    sound::DecodedSound d;
    ASSERT_EQ(sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d), 0);
    EXPECT_EQ(d.length, static_cast<int>(frames * 4));  // the length the stream claims
    const auto& s = d.pcm->samples;
    // the delivered audio ends early; the rest stays zero
    size_t lastSound = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != 0) lastSound = i;
    EXPECT_LT(lastSound, s.size() - 2 * 1024);
    EXPECT_GT(lastSound, s.size() / 2);
}

TEST_F(OggLoad, ATruncatedStreamDecodesWhatIsThere) {
    Bytes ogg = EncodeOgg(Tone(44100, 2, 44100), 2, 44100);
    for (size_t cut : {ogg.size() / 2, ogg.size() - 7, size_t{200}, size_t{60}, size_t{4}}) {
        Bytes part(ogg.begin(), ogg.begin() + static_cast<long>(cut));
        int h = sound::LoadSoundFromMemory(part.data(), part.size());
        if (h >= 0) {
            sound::SoundSlot s;
            ASSERT_EQ(sound::GetSoundInfo(h, &s), 0);
            EXPECT_GT(s.length, 0);
            EXPECT_LE(s.length, 176400);
        }
    }
}

TEST_F(OggLoad, GarbageAfterTheCapturePatternIsRejected) {
    Bytes junk{'O', 'g', 'g', 'S'};
    for (int i = 0; i < 500; ++i) junk.push_back(static_cast<uint8_t>(i * 31));
    EXPECT_EQ(sound::LoadSoundFromMemory(junk.data(), junk.size()), -1);
    Bytes shortOgg{'x', 'O', 'g', 'g'};
    EXPECT_EQ(sound::LoadSoundFromMemory(shortOgg.data(), shortOgg.size()), -1);
    EXPECT_EQ(sound::SoundCursor(), 0);
}

TEST_F(OggLoad, AnAbsurdClaimedLengthIsCappedByTheFileSize) {
    Bytes ogg = EncodeOgg(Tone(4410, 2, 44100), 2, 44100);
    std::vector<size_t> pages = OggPages(ogg);
    // make the last page claim a granule position of about six hours
    size_t last = pages.back();
    int64_t granule = int64_t{44100} * 3600 * 6;
    for (int i = 0; i < 8; ++i) ogg[last + 6 + i] = static_cast<uint8_t>(granule >> (8 * i));
    // the page checksum no longer matches, so fix it the way Ogg computes it
    ogg[last + 22] = ogg[last + 23] = ogg[last + 24] = ogg[last + 25] = 0;
    uint32_t crc = 0;
    size_t pageEnd = ogg.size();
    for (size_t i = last; i < pageEnd; ++i) {
        crc ^= static_cast<uint32_t>(ogg[i]) << 24;
        for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) ogg[last + 22 + i] = static_cast<uint8_t>(crc >> (8 * i));
    sound::DecodedSound d;
    if (sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d) == 0) {
        EXPECT_LE(static_cast<double>(d.length),
                  static_cast<double>(ogg.size()) * sound::kMaxOggFramesPerFileByte * 4.0);
    }
}

}  // namespace
