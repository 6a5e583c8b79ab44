// Ogg Vorbis files: decoded length, content, a zero-filled tail where the decoder falls
// short, and damaged streams; and the shared encoder that makes them (build-time code: the
// theme's sounds, benchmarks, these tests): its end-of-stream page, files that hold what
// memory holds, and failures that come back as -1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>

#include "common/ogg_encode.h"
#include "sound/decode.h"
#include "sound/sound.h"
#include "sound_files.h"
#include "support/files.h"

using namespace soundtest;

namespace {

using OggLoad = SoundFixture;

TEST_F(OggLoad, DecodesToTheStreamLength) {
    const std::tuple<int, int, size_t> rows[] = {{44100, 2, 44100}, {44100, 1, 30000}, {22050, 2, 22050}, {48000, 2, 24000}};
    for (const auto& [rate, channels, frames] : rows) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels");
        Bytes ogg = EncodeOgg(Tone(frames, channels, rate), channels, rate);
        sound::DecodedSound d;
        ASSERT_EQ(sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d), 0);
        EXPECT_EQ(std::vector<int>({d.sampleRate, d.channels, d.bitsPerSample}), std::vector<int>({rate, channels, 16}));
        // the time total times the byte rate, truncated to whole frames; the mix is at 44.1 kHz
        EXPECT_NEAR(d.length, double(frames * channels * 2), channels * 2.0);
        EXPECT_NEAR(double(d.pcm->Frames()), double(frames) * 44100.0 / rate, 2.0);
        // the tone is there, loud in the middle (mono spread to both sides is the mixer's test)
        int peak = 0;
        for (size_t i = d.pcm->samples.size() / 4; i < d.pcm->samples.size() / 2; ++i)
            peak = std::max(peak, std::abs(int(d.pcm->samples[i])));
        EXPECT_NEAR(peak, 16000, 4000);
    }
}

TEST_F(OggLoad, LoadsThroughTheTableFromAFile) {
    int h = sound::LoadSound(WriteTemp("tone.ogg", EncodeOgg(Tone(44100, 2, 44100), 2, 44100)).c_str());
    EXPECT_EQ(Length(h), 176400);
}

TEST_F(OggLoad, ALostPageLeavesASilentTail) {
    const size_t frames = 44100 * 2;
    std::vector<float> samples = Tone(frames, 2, 44100);
    uint32_t seed = 1;
    for (float& v : samples) {  // noise makes many pages
        seed = seed * 1664525u + 1013904223u;
        v += float(seed >> 8) / 16777216.0f * 0.2f - 0.1f;
    }
    Bytes ogg = EncodeOgg(samples, 2, 44100);
    std::vector<size_t> pages = OggPages(ogg);
    ASSERT_GT(pages.size(), 6u);
    // damage one page in the middle: its checksum fails and its audio is lost
    ogg[pages[pages.size() / 2] + 40] ^= 0x5a;
    sound::DecodedSound d;
    ASSERT_EQ(sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d), 0);
    EXPECT_EQ(d.length, int(frames * 4));  // the length the stream claims
    // the delivered audio ends early; the rest stays zero
    const auto& s = d.pcm->samples;
    size_t lastSound = 0;
    for (size_t i = 0; i < s.size(); ++i) lastSound = s[i] ? i : lastSound;
    EXPECT_LT(lastSound, s.size() - 2 * 1024);
    EXPECT_GT(lastSound, s.size() / 2);
}

TEST_F(OggLoad, TruncatedStreamsDecodeWhatIsThereAndGarbageIsRejected) {
    Bytes ogg = EncodeOgg(Tone(44100, 2, 44100), 2, 44100);
    for (size_t cut : {ogg.size() / 2, ogg.size() - 7, size_t{200}, size_t{60}, size_t{4}}) {
        int h = sound::LoadSoundFromMemory(ogg.data(), cut);
        EXPECT_TRUE(h < 0 || (Length(h) > 0 && Length(h) <= 176400)) << cut;
    }
    sound::SoundReset();
    Bytes junk{'O', 'g', 'g', 'S'};
    for (int i = 0; i < 500; ++i) junk.push_back(uint8_t(i * 31));
    EXPECT_EQ(Load(junk), -1);
    EXPECT_EQ(Load(Bytes{'x', 'O', 'g', 'g'}), -1);
    EXPECT_EQ(sound::SoundCursor(), 0);
}

TEST_F(OggLoad, AnAbsurdClaimedLengthIsCappedByTheFileSize) {
    Bytes ogg = EncodeOgg(Tone(4410, 2, 44100), 2, 44100);
    // make the last page claim a granule position of about six hours, with its checksum
    // mended the way Ogg computes it
    size_t last = OggPages(ogg).back();
    for (int i = 0; i < 8; ++i) ogg[last + 6 + i] = uint8_t((int64_t{44100} * 3600 * 6) >> (8 * i));
    ogg[last + 22] = ogg[last + 23] = ogg[last + 24] = ogg[last + 25] = 0;
    uint32_t crc = 0;
    for (size_t i = last; i < ogg.size(); ++i) {
        crc ^= uint32_t(ogg[i]) << 24;
        for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i) ogg[last + 22 + i] = uint8_t(crc >> (8 * i));
    sound::DecodedSound d;
    EXPECT_TRUE(sound::DecodeOggVorbis(ogg.data(), ogg.size(), &d) != 0 ||
                double(d.length) <= double(ogg.size()) * sound::kMaxOggFramesPerFileByte * 4.0);
}

TEST(OggEncode, OnlyTheLastPageCarriesTheEndFlagEvenWithNoFrames) {
    std::vector<float> s = Tone(20000, 1, 22050);
    for (size_t frames : {20000, 0}) {
        Bytes ogg;
        ASSERT_EQ(sound::EncodeOggVorbis(frames ? s.data() : nullptr, frames, 1, 22050, 0.4f, 7, &ogg), 0);
        std::vector<size_t> pages = OggPages(ogg);
        ASSERT_GE(pages.size(), frames ? 3u : 2u);
        // Header type byte of a page: 0x04 marks the end of the stream.
        for (size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(ogg[pages[i] + 5] & 0x04, i + 1 == pages.size() ? 4 : 0) << i;
    }
}

TEST(OggEncode, RefusedSettingsAndFailingSinksReportFailure) {
    std::vector<float> s = Tone(5000, 2, 44100);
    Bytes out;
    EXPECT_EQ(sound::EncodeOggVorbis(s.data(), 1000, 0, 44100, 0.4f, 1, &out), -1);
    EXPECT_EQ(sound::EncodeOggVorbis(nullptr, 1000, 2, 44100, 0.4f, 1, &out), -1);
    sound::OggEncodeSettings settings;
    int calls = 0;
    auto fill = [&s](float** planar, size_t count, size_t first) {
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < 2; ++c) planar[c][i] = s[(first + i) * 2 + c];
    };
    EXPECT_EQ(sound::EncodeOggVorbisStream(settings, 1000, fill, [&calls](const uint8_t*, size_t) { return ++calls < 3; }), -1);
    EXPECT_EQ(calls, 3);  // stops at the first failed write
    EXPECT_EQ(sound::WriteOggVorbisFile("/nonexistent-folder/x.ogg", settings, s.data(), 5000), -1);
    // A file holds the same bytes as memory.
    settings.quality = 0.2f;
    settings.serial = 99;
    ASSERT_EQ(sound::EncodeOggVorbis(s.data(), 5000, 2, 44100, 0.2f, 99, &out), 0);
    std::string path = WriteTemp("ogg_encode_test.ogg", {});
    ASSERT_EQ(sound::WriteOggVorbisFile(path, settings, s.data(), 5000), 0);
    EXPECT_EQ(testsupport::ReadFile(path), std::string(out.begin(), out.end()));
    std::remove(path.c_str());
}

}  // namespace
