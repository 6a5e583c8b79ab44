// The shared Ogg Vorbis encoder (build-time code: the theme's sounds, benchmarks, these tests).
// Every Ogg loader test decodes what it makes; here the end-of-stream page, files that hold
// what memory holds, and failures that come back as -1.
#include "common/ogg_encode.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "sound_files.h"
#include "support/files.h"

namespace {

using soundtest::Bytes;

TEST(OggEncode, OnlyTheLastPageCarriesTheEndFlagEvenWithNoFrames) {
    std::vector<float> s = soundtest::Tone(20000, 1, 22050);
    for (size_t frames : {20000, 0}) {
        Bytes ogg;
        ASSERT_EQ(sound::EncodeOggVorbis(frames ? s.data() : nullptr, frames, 1, 22050, 0.4f, 7, &ogg), 0);
        std::vector<size_t> pages = soundtest::OggPages(ogg);
        ASSERT_GE(pages.size(), frames ? 3u : 2u);
        // Header type byte of a page: 0x04 marks the end of the stream.
        for (size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(ogg[pages[i] + 5] & 0x04, i + 1 == pages.size() ? 4 : 0) << i;
    }
}

TEST(OggEncode, RefusedSettingsAndFailingSinksReportFailure) {
    std::vector<float> s = soundtest::Tone(5000, 2, 44100);
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
    std::string path = soundtest::WriteTemp("ogg_encode_test.ogg", {});
    ASSERT_EQ(sound::WriteOggVorbisFile(path, settings, s.data(), 5000), 0);
    EXPECT_EQ(testsupport::ReadFile(path), std::string(out.begin(), out.end()));
    std::remove(path.c_str());
}

}  // namespace
