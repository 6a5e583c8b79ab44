// Playback through the sound table: positions, status, looping, stopping, the song
// position, and the start of a sound within a device buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "sound/sound.h"
#include "sound_files.h"
#include "support/files.h"

using namespace soundtest;

namespace {

using Playback = SoundFixture;

// Seeks land on whole frames: 0.3 ms of 44.1 kHz stereo is 13.23 frames, 13 of them.
TEST_F(Playback, SongPositionMillisecondsAndBytesConvert) {
    // Rate, channels, the position set, the bytes that gives, the position read back from them.
    const std::tuple<int, int, double, int64_t, double> rows[] = {
        {44100, 2, 500.0, 88200, 500.0},   {44100, 2, 0.3, 52, 52 / 176.4},        {44100, 1, 500.0, 44100, 500.0},
        {22050, 2, 1000.0, 88200, 1000.0}, {22050, 1, 250.0, 11024, 11024 / 44.1}};
    for (const auto& [rate, channels, ms, bytes, back] : rows) {
        int song = Load(MakeConstantWave(rate * 3, 100, channels, rate));
        sound::SetCurrentSong(song);
        ASSERT_EQ(sound::SetSongPositionMs(ms), 0);
        EXPECT_EQ(sound::GetSoundPositionBytes(song), bytes) << rate << " " << channels << " " << ms;
        ASSERT_EQ(sound::SetSoundPositionBytes(song, bytes), 0);
        EXPECT_NEAR(sound::GetSongPositionMs(), back, 1e-9) << rate << " " << channels << " " << ms;
    }
}

TEST_F(Playback, BadSeeksNoSongAndInvalidHandlesAreRefused) {
    EXPECT_EQ(sound::GetSongPositionMs(), -1.0);
    EXPECT_EQ(sound::SetSongPositionMs(10.0), -1);
    sound::SetCurrentSong(sound::kSoundHandleBase + 5);  // an empty slot
    EXPECT_EQ(sound::GetSongPositionMs(), -1.0);
    sound::SetCurrentSong(Load(MakeConstantWave(44100, 100)));
    for (double ms : {-5.0, 1000.0, 1e300}) EXPECT_EQ(sound::SetSongPositionMs(ms), -1) << ms;  // 1000: one past the end
    EXPECT_EQ(sound::SetSongPositionMs(999.9), 0);
    // Below the base, an empty slot, past the last slot.
    for (int h : {-1, sound::kSoundHandleBase + 999, sound::kSoundHandleBase + 1000}) {
        sound::SoundSlot s;
        const std::vector<int64_t> got = {sound::PlaySound(h), sound::PlaySound(h, true, 0xFFFFFFFFu), sound::StopSound(h),
                                          sound::IsSoundPlaying(h), sound::GetSoundPositionBytes(h),
                                          sound::SetSoundPositionBytes(h, 0), sound::GetSoundByteRate(h),
                                          sound::GetSoundInfo(h, &s)};
        EXPECT_EQ(got, std::vector<int64_t>(8, -1)) << h;
    }
}

// Without a device the stream follows the clock of the time module (a play's song following
// its clock is the play flow's test): seeks, replays, the end and a stop.
TEST_F(Playback, WithoutADeviceTheSongFollowsTheClock) {
    int song = Load(MakeConstantWave(44100, 100));  // one second
    sound::SetCurrentSong(song);
    ASSERT_EQ(sound::PlaySound(song, false, 0xFFFFFFFFu), 0);
    EXPECT_EQ(sound::IsSoundPlaying(song), 1);
    ASSERT_EQ(sound::SetSongPositionMs(600.0), 0);
    platform::TimeAdvanceVirtualMs(300.0);
    EXPECT_NEAR(sound::GetSongPositionMs(), 900.0, 0.05);
    // playing an already playing sound keeps its position
    sound::PlaySound(song);
    EXPECT_NEAR(sound::GetSongPositionMs(), 900.0, 0.05);
    // a one-shot that played to its end is stopped and rewound
    platform::TimeAdvanceVirtualMs(200.0);
    EXPECT_EQ(sound::IsSoundPlaying(song), 0);
    EXPECT_EQ(sound::GetSongPositionMs(), 0.0);
    // stop rewinds, and the clock no longer moves it
    sound::PlaySound(song);
    platform::TimeAdvanceVirtualMs(400.0);
    ASSERT_EQ(sound::StopSound(song), 0);
    platform::TimeAdvanceVirtualMs(100.0);
    EXPECT_EQ(sound::IsSoundPlaying(song), 0);
    EXPECT_EQ(sound::GetSoundPositionBytes(song), 0);
}

TEST_F(Playback, LoopingRepeatsUntilPlayedOnceMore) {
    int h = Load(MakeConstantWave(4410, 100));  // 100 ms
    sound::SetCurrentSong(h);
    ASSERT_EQ(sound::PlaySound(h, true), 0);
    platform::TimeAdvanceVirtualMs(1050.0);
    EXPECT_EQ(sound::IsSoundPlaying(h), 1);
    EXPECT_NEAR(sound::GetSongPositionMs(), 50.0, 0.05);
    // playing it again once takes the looping flag away: it ends at its end
    sound::PlaySound(h, false);
    platform::TimeAdvanceVirtualMs(40.0);
    EXPECT_EQ(sound::IsSoundPlaying(h), 1);
    platform::TimeAdvanceVirtualMs(20.0);
    EXPECT_EQ(sound::IsSoundPlaying(h), 0);
}

// With a device the callback renders; drive it by hand on the virtual clock, one 256-frame
// buffer at the moment it is due (never moving the clock back).
class DevicePlayback : public Playback {
protected:
    void SetUp() override {
        Playback::SetUp();
        platform::MixerOpenManual();
    }
    std::vector<int16_t> Render(int blocks) {
        std::vector<int16_t> all(size_t(blocks) * 512);
        for (int i = 0; i < blocks; ++i, ++block_) {
            platform::TimeSetVirtualMs(std::max(platform::TimeNowMs(), 1000.0 + double(block_) * 256 * 1000.0 / 44100.0));
            platform::MixerRender(all.data() + i * 512, 256);
        }
        return all;
    }
    int64_t block_ = 0;
};

TEST_F(DevicePlayback, PositionIsReadAtTheCommandHorizon) {
    int song = Load(MakeConstantWave(44100, 100));
    sound::SetCurrentSong(song);
    Render(16);
    sound::PlaySound(song);
    EXPECT_EQ(sound::GetSongPositionMs(), 0.0);
    Render(40);
    EXPECT_NEAR(sound::GetSongPositionMs(), 40 * 256 * 1000.0 / 44100.0, 0.1);
    sound::SetSongPositionMs(500.0);
    EXPECT_DOUBLE_EQ(sound::GetSongPositionMs(), 500.0);
    Render(1);
    EXPECT_NEAR(sound::GetSongPositionMs(), 500.0 + 256 * 1000.0 / 44100.0, 0.1);
}

TEST_F(DevicePlayback, TwoCopiesSumAndLoopsRepeatInTheOutput) {
    Bytes f = MakeConstantWave(100, 1000);
    int a = Load(f), b = Load(f), loop = Load(MakeWave(2, 44100, 16, Pcm16({1, 1, 2, 2, 3, 3})));
    sound::PlaySound(a);
    sound::PlaySound(b);
    sound::PlaySound(loop, true);
    std::vector<int16_t> all = Render(8);
    size_t start = 0;
    while (start < all.size() && all[start] == 0) ++start;
    ASSERT_EQ(start / 2, size_t(platform::kMixerLatencyFrames));
    for (size_t i = 0; i < 300; ++i) EXPECT_EQ(all[start + i * 2], (i < 100 ? 2001 : 1) + int(i % 3)) << i;
    EXPECT_EQ(sound::IsSoundPlaying(a), 0);
    EXPECT_EQ(sound::IsSoundPlaying(loop), 1);
}

// A start 2 ms after the 16th block was asked for lands on stream frame 16 x 256 + 88.2 plus
// the latency; the trace the timing benchmarks read names the handle and that frame.
TEST_F(DevicePlayback, SoundStartsWithinTheBufferAtItsMomentAndTheTraceSaysWhere) {
    const std::string path = WriteTemp("sound_trace.jsonl", {});
    setenv("KODOBAN_TRACE", path.c_str(), 1);
    platform::TraceReset();
    int h = Load(MakeConstantWave(1000, 1234));
    Render(16);
    platform::TimeSetVirtualMs(1000.0 + 16 * 256 * 1000.0 / 44100.0 + 2.0);
    ASSERT_EQ(sound::PlaySound(h), 0);
    unsetenv("KODOBAN_TRACE");
    platform::TraceReset();
    const int64_t expected = 16 * 256 + 88 + platform::kMixerLatencyFrames;
    std::vector<int16_t> all = Render(int(expected + 600 - 16 * 256) / 256 + 1);
    size_t first = 0;
    while (first < all.size() && all[first] == 0) ++first;
    const int64_t onset = int64_t(first / 2) + 16 * 256;
    EXPECT_NEAR(double(onset), double(expected), 1.0);
    EXPECT_EQ(all[(expected + 2 - 16 * 256) * 2 + 1], 1234);
    const std::string text = testsupport::ReadFile(path);
    EXPECT_NE(text.find("\"ev\":\"sound\","), std::string::npos) << text;
    EXPECT_NE(text.find("\"handle\":" + std::to_string(h) + ",\"sample\":" + std::to_string(onset)), std::string::npos) << text;
}

}  // namespace
