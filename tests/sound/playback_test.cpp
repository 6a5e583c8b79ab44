// Playback through the sound table: positions, status, looping, stopping, the song
// position, and the start of a sound within a device buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/mixer.h"
#include "platform/time.h"
#include "platform/trace.h"
#include "sound/sound.h"
#include "sound_files.h"
#include "support/files.h"

using namespace soundtest;

namespace {

class Playback : public SoundFixture {
protected:
    int Load(const Bytes& f) { return sound::LoadSoundFromMemory(f.data(), f.size()); }
};

struct PositionCase {
    int rate;
    int channels;
    double ms;
    int64_t bytes;
    double back;  // the song position read back from those bytes
    int byteRate;
};

class SongPosition : public Playback, public ::testing::WithParamInterface<PositionCase> {};

TEST_P(SongPosition, MillisecondsAndBytesConvert) {
    const PositionCase& pc = GetParam();
    int song = Load(MakeConstantWave(pc.rate * 3, 100, pc.channels, pc.rate));
    ASSERT_GE(song, 0);
    sound::SetCurrentSong(song);
    ASSERT_EQ(sound::SetSongPositionMs(pc.ms), 0);
    EXPECT_EQ(sound::GetSoundPositionBytes(song), pc.bytes);
    ASSERT_EQ(sound::SetSoundPositionBytes(song, pc.bytes), 0);
    EXPECT_NEAR(sound::GetSongPositionMs(), pc.back, 1e-9);
    EXPECT_EQ(sound::GetSoundByteRate(song), pc.byteRate);
}

// Seeks land on whole frames: 0.3 ms of 44.1 kHz stereo is 13.23 frames, 13 of them.
INSTANTIATE_TEST_SUITE_P(Rates, SongPosition,
                         ::testing::Values(PositionCase{44100, 2, 500.0, 88200, 500.0, 176400},
                                           PositionCase{44100, 2, 1000.0, 176400, 1000.0, 176400},
                                           PositionCase{44100, 2, 0.3, 52, 52 / 176.4, 176400},
                                           PositionCase{44100, 1, 500.0, 44100, 500.0, 88200},
                                           PositionCase{22050, 2, 1000.0, 88200, 1000.0, 88200},
                                           PositionCase{22050, 1, 250.0, 11024, 11024 / 44.1, 44100}));

TEST_F(Playback, SeeksOutsideTheSoundAreRefused) {
    int song = Load(MakeConstantWave(44100, 100));
    sound::SetCurrentSong(song);
    EXPECT_EQ(sound::SetSongPositionMs(-5.0), -1);
    EXPECT_EQ(sound::SetSongPositionMs(1000.0), -1);  // one past the last frame
    EXPECT_EQ(sound::SetSongPositionMs(1e300), -1);
    EXPECT_EQ(sound::SetSongPositionMs(999.9), 0);
}

TEST_F(Playback, NoSongMeansMinusOne) {
    EXPECT_EQ(sound::GetSongPositionMs(), -1.0);
    EXPECT_EQ(sound::SetSongPositionMs(10.0), -1);
    sound::SetCurrentSong(sound::kSoundHandleBase + 5);  // an empty slot
    EXPECT_EQ(sound::GetSongPositionMs(), -1.0);
}

TEST_F(Playback, InvalidHandlesDoNothing) {
    for (int h : {-1, 0, sound::kSoundHandleBase - 1, sound::kSoundHandleBase, sound::kSoundHandleBase + 999,
                  sound::kSoundHandleBase + 1000, 0x7fffffff}) {
        EXPECT_EQ(sound::PlaySound(h), -1) << h;
        EXPECT_EQ(sound::PlaySound(h, true, 0xFFFFFFFFu), -1) << h;
        EXPECT_EQ(sound::StopSound(h), -1) << h;
        EXPECT_EQ(sound::IsSoundPlaying(h), -1) << h;
        EXPECT_EQ(sound::GetSoundPositionBytes(h), -1) << h;
        EXPECT_EQ(sound::SetSoundPositionBytes(h, 0), -1) << h;
        EXPECT_EQ(sound::GetSoundByteRate(h), -1) << h;
        sound::SoundSlot s;
        EXPECT_EQ(sound::GetSoundInfo(h, &s), -1) << h;
    }
}

// Without a device the stream follows the clock of the time module.
TEST_F(Playback, WithoutADeviceTheSongFollowsTheClock) {
    int song = Load(MakeConstantWave(44100, 100));  // one second
    sound::SetCurrentSong(song);
    EXPECT_EQ(sound::IsSoundPlaying(song), 0);
    ASSERT_EQ(sound::PlaySound(song, false, 0xFFFFFFFFu), 0);
    EXPECT_EQ(sound::IsSoundPlaying(song), 1);
    EXPECT_EQ(sound::GetSongPositionMs(), 0.0);
    platform::TimeAdvanceVirtualMs(250.0);
    EXPECT_NEAR(sound::GetSongPositionMs(), 250.0, 0.05);
    ASSERT_EQ(sound::SetSongPositionMs(600.0), 0);
    EXPECT_DOUBLE_EQ(sound::GetSongPositionMs(), 600.0);
    platform::TimeAdvanceVirtualMs(300.0);
    EXPECT_NEAR(sound::GetSongPositionMs(), 900.0, 0.05);
    EXPECT_EQ(sound::IsSoundPlaying(song), 1);
    platform::TimeAdvanceVirtualMs(200.0);
    // a one-shot that played to its end is stopped and rewound
    EXPECT_EQ(sound::IsSoundPlaying(song), 0);
    EXPECT_EQ(sound::GetSongPositionMs(), 0.0);
}

TEST_F(Playback, StopRewindsAndPlayStartsFromTheCurrentPosition) {
    int h = Load(MakeConstantWave(44100, 100));
    sound::SetCurrentSong(h);
    sound::PlaySound(h);
    platform::TimeAdvanceVirtualMs(400.0);
    ASSERT_EQ(sound::StopSound(h), 0);
    EXPECT_EQ(sound::IsSoundPlaying(h), 0);
    EXPECT_EQ(sound::GetSoundPositionBytes(h), 0);
    platform::TimeAdvanceVirtualMs(100.0);
    EXPECT_EQ(sound::GetSoundPositionBytes(h), 0);
    // play continues from a seek position
    sound::SetSongPositionMs(200.0);
    sound::PlaySound(h);
    platform::TimeAdvanceVirtualMs(100.0);
    EXPECT_NEAR(sound::GetSongPositionMs(), 300.0, 0.05);
    // playing an already playing sound keeps its position
    sound::PlaySound(h);
    EXPECT_NEAR(sound::GetSongPositionMs(), 300.0, 0.05);
}

TEST_F(Playback, LoopingRepeatsUntilStopped) {
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

// With a device the callback renders; drive it by hand on the virtual clock.
class DevicePlayback : public Playback {
protected:
    void SetUp() override {
        Playback::SetUp();
        platform::MixerOpenManual();
    }
    // Renders one device buffer at the moment it is due (the clock is moved there).
    std::vector<int16_t> RenderBlock() {
        double due = 1000.0 + static_cast<double>(block_) * platform::kMixerDeviceFrames * 1000.0 / 44100.0;
        platform::TimeSetVirtualMs(due);
        std::vector<int16_t> out(platform::kMixerDeviceFrames * 2);
        platform::MixerRender(out.data(), platform::kMixerDeviceFrames);
        ++block_;
        return out;
    }
    int64_t block_ = 0;
};

TEST_F(DevicePlayback, SoundStartsWithinTheBufferAtItsMoment) {
    int h = Load(MakeConstantWave(1000, 1234));
    for (int i = 0; i < 16; ++i) RenderBlock();
    // 2 ms after the 16th block was asked for: stream frame 16 x 256 + 88.2
    double callMs = 1000.0 + 15 * 256 * 1000.0 / 44100.0 + 2.0 + 256 * 1000.0 / 44100.0;
    platform::TimeSetVirtualMs(callMs);
    ASSERT_EQ(sound::PlaySound(h), 0);
    int64_t expected = 16 * 256 + 88 + platform::kMixerLatencyFrames;
    std::vector<int16_t> all;
    while (static_cast<int64_t>(all.size()) / 2 < expected + 600) {
        // the call happened after the 16th block: don't move the clock back
        double due = 1000.0 + static_cast<double>(block_) * 256 * 1000.0 / 44100.0;
        if (due < callMs) due = callMs;
        platform::TimeSetVirtualMs(due);
        std::vector<int16_t> out(512);
        platform::MixerRender(out.data(), 256);
        ++block_;
        all.insert(all.end(), out.begin(), out.end());
    }
    int64_t first = -1;
    for (size_t i = 0; i < all.size(); i += 2) {
        if (all[i] != 0) {
            first = static_cast<int64_t>(i / 2) + 16 * 256;
            break;
        }
    }
    EXPECT_NEAR(static_cast<double>(first), static_cast<double>(expected), 1.0);
    EXPECT_EQ(all[(expected + 2 - 16 * 256) * 2 + 1], 1234);
}

TEST_F(DevicePlayback, PositionIsReadAtTheCommandHorizon) {
    int song = Load(MakeConstantWave(44100, 100));
    sound::SetCurrentSong(song);
    for (int i = 0; i < 16; ++i) RenderBlock();
    sound::PlaySound(song);
    EXPECT_EQ(sound::GetSongPositionMs(), 0.0);
    for (int i = 0; i < 40; ++i) RenderBlock();
    double elapsed = 40 * 256 * 1000.0 / 44100.0;
    EXPECT_NEAR(sound::GetSongPositionMs(), elapsed, 0.1);
    sound::SetSongPositionMs(500.0);
    EXPECT_DOUBLE_EQ(sound::GetSongPositionMs(), 500.0);
    RenderBlock();
    EXPECT_NEAR(sound::GetSongPositionMs(), 500.0 + 256 * 1000.0 / 44100.0, 0.1);
}

TEST_F(DevicePlayback, TwoCopiesSumAndLoopsRepeatInTheOutput) {
    Bytes f = MakeConstantWave(100, 1000);
    int a = Load(f);
    int b = Load(f);
    int loop = Load(MakeWave(2, 44100, 16, Pcm16({1, 1, 2, 2, 3, 3})));
    sound::PlaySound(a);
    sound::PlaySound(b);
    sound::PlaySound(loop, true);
    std::vector<int16_t> all;
    for (int i = 0; i < 8; ++i) {
        auto out = RenderBlock();
        all.insert(all.end(), out.begin(), out.end());
    }
    size_t start = 0;
    while (start < all.size() && all[start] == 0) ++start;
    start /= 2;
    ASSERT_EQ(start, static_cast<size_t>(platform::kMixerLatencyFrames));
    for (size_t i = 0; i < 100; ++i) EXPECT_EQ(all[(start + i) * 2], 2000 + 1 + static_cast<int>(i % 3)) << i;
    for (size_t i = 100; i < 300; ++i) EXPECT_EQ(all[(start + i) * 2], 1 + static_cast<int>(i % 3)) << i;
    EXPECT_EQ(sound::IsSoundPlaying(a), 0);
    EXPECT_EQ(sound::IsSoundPlaying(loop), 1);
}

TEST_F(DevicePlayback, StartTraceNamesTheHandleAndTheStreamSample) {
    std::string path = ::testing::TempDir() + "/sound_trace.jsonl";
    std::remove(path.c_str());
    setenv("KODOBAN_TRACE", path.c_str(), 1);
    platform::TraceReset();
    int h = Load(MakeConstantWave(100, 1));
    for (int i = 0; i < 16; ++i) RenderBlock();
    sound::PlaySound(h);
    unsetenv("KODOBAN_TRACE");
    platform::TraceReset();
    std::string text = testsupport::ReadFile(path);
    EXPECT_NE(text.find("\"ev\":\"sound\""), std::string::npos) << text;
    // the last block was asked for at stream frame 15 x 256, the moment of the call
    std::string want = "\"handle\":" + std::to_string(h) +
                       ",\"sample\":" + std::to_string(15 * 256 + platform::kMixerLatencyFrames);
    EXPECT_NE(text.find(want), std::string::npos) << text;
}

}  // namespace
