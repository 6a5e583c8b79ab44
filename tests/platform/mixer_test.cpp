// The mixer by itself: PCM conversion, mixing arithmetic, command timing within a block,
// and commands from other threads while the callback renders.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"

namespace {

using platform::MixerPcm;

class Mixer : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TimeUseVirtualClock(5000.0, false);
        platform::MixerReset();
        platform::MixerOpenManual();
    }
    void TearDown() override {
        platform::MixerReset();
        platform::TimeUseRealClock();
    }
    static std::shared_ptr<const MixerPcm> Constant(int frames, int16_t left, int16_t right) {
        auto p = std::make_shared<MixerPcm>();
        for (int i = 0; i < frames; ++i) {
            p->samples.push_back(left);
            p->samples.push_back(right);
        }
        return p;
    }
    std::vector<int16_t> Render(int frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        platform::MixerRender(out.data(), frames);
        return out;
    }
};

TEST_F(Mixer, ConvertsEightBitUnsignedMono) {
    const uint8_t data[] = {0, 128, 255, 64};
    auto p = platform::MixerConvertPcm(data, sizeof data, 44100, 1, 8);
    ASSERT_TRUE(p);
    std::vector<int16_t> want = {-32768, -32768, 0, 0, 32512, 32512, -16384, -16384};
    EXPECT_EQ(p->samples, want);
}

TEST_F(Mixer, ConvertsWideSamplesAndKeepsTheFirstTwoChannels) {
    // 24-bit, three channels: the top 16 bits of the first two channels
    const uint8_t data[] = {0x11, 0x34, 0x12, 0x22, 0xcd, 0xab, 0x33, 0x00, 0x7f};
    auto p = platform::MixerConvertPcm(data, sizeof data, 44100, 3, 24);
    ASSERT_TRUE(p);
    ASSERT_EQ(p->samples.size(), 2u);
    EXPECT_EQ(p->samples[0], 0x1234);
    EXPECT_EQ(p->samples[1], static_cast<int16_t>(0xabcd));
    const uint8_t data32[] = {1, 2, 0x00, 0x80, 1, 2, 0xff, 0x7f};
    p = platform::MixerConvertPcm(data32, sizeof data32, 44100, 2, 32);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->samples[0], -32768);
    EXPECT_EQ(p->samples[1], 32767);
}

struct RateCase {
    int rate;
    int inFrames;
    int outFrames;
};
class MixerRates : public Mixer, public ::testing::WithParamInterface<RateCase> {};

TEST_P(MixerRates, ResamplesToTheMixRateLinearly) {
    const RateCase& rc = GetParam();
    std::vector<uint8_t> data;
    for (int i = 0; i < rc.inFrames; ++i) {  // a ramp, the same on both channels
        int16_t v = static_cast<int16_t>(i * 10);
        for (int c = 0; c < 2; ++c) {
            data.push_back(static_cast<uint8_t>(v & 0xff));
            data.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
        }
    }
    auto p = platform::MixerConvertPcm(data.data(), data.size(), rc.rate, 2, 16);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Frames(), rc.outFrames);
    for (int64_t j = 0; j < p->Frames(); ++j) {
        double src = static_cast<double>(j) * rc.rate / 44100.0;
        ASSERT_NEAR(p->samples[j * 2], src * 10.0, 1.01) << j;
        ASSERT_EQ(p->samples[j * 2], p->samples[j * 2 + 1]);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, MixerRates,
                         ::testing::Values(RateCase{44100, 100, 100}, RateCase{22050, 100, 199},
                                           RateCase{48000, 480, 441}, RateCase{11025, 10, 37},
                                           RateCase{96000, 960, 441}));

TEST_F(Mixer, RefusesFormatsItCannotPlay) {
    const uint8_t data[16] = {};
    EXPECT_FALSE(platform::MixerConvertPcm(data, sizeof data, 0, 2, 16));
    EXPECT_FALSE(platform::MixerConvertPcm(data, sizeof data, 99, 2, 16));
    EXPECT_FALSE(platform::MixerConvertPcm(data, sizeof data, 44100, 0, 16));
    EXPECT_FALSE(platform::MixerConvertPcm(data, sizeof data, 44100, 2, 12));
    EXPECT_FALSE(platform::MixerConvertPcm(data, 3, 44100, 2, 16));
    EXPECT_FALSE(platform::MixerConvertPcm(nullptr, 16, 44100, 2, 16));
    EXPECT_FALSE(platform::MixerCreateBuffer(nullptr) >= 0);
}

TEST_F(Mixer, VoicesSumAndSaturateInsteadOfWrapping) {
    int a = platform::MixerCreateBuffer(Constant(2000, 20000, -20000));
    int b = platform::MixerCreateBuffer(Constant(2000, 20000, -20000));
    int c = platform::MixerCreateBuffer(Constant(2000, -5000, 5000));
    platform::MixerPlay(a, false);
    platform::MixerPlay(b, false);
    auto out = Render(1024);
    int64_t at = platform::kMixerLatencyFrames;
    EXPECT_EQ(out[at * 2 - 2], 0);
    EXPECT_EQ(out[at * 2], 32767);
    EXPECT_EQ(out[at * 2 + 1], -32768);
    platform::MixerStop(b);
    platform::MixerPlay(c, false);
    out = Render(1024);
    // b stopped and c started at the same frame: 20000 - 5000
    bool seen = false;
    for (size_t i = 0; i < out.size(); i += 2) {
        if (out[i] == 15000 && out[i + 1] == -15000) seen = true;
        ASSERT_TRUE(out[i] == 32767 || out[i] == 15000) << i;
    }
    EXPECT_TRUE(seen);
}

TEST_F(Mixer, BuffersRunOutAndComeBack) {
    auto pcm = Constant(10, 1, 1);
    std::vector<int> ids;
    for (int i = 0; i < platform::kMixerBuffers; ++i) ids.push_back(platform::MixerCreateBuffer(pcm));
    EXPECT_EQ(platform::MixerCreateBuffer(pcm), -1);
    platform::MixerReleaseBuffer(ids[7]);
    EXPECT_EQ(platform::MixerCreateBuffer(pcm), 7);
    EXPECT_EQ(platform::MixerGetStatus(-1), -1);
    EXPECT_EQ(platform::MixerGetStatus(platform::kMixerBuffers), -1);
}

TEST_F(Mixer, ReleasedWhilePlayingIsSilentAtOnce) {
    int a = platform::MixerCreateBuffer(Constant(5000, 300, 300));
    platform::MixerPlay(a, true);
    Render(1024);
    platform::MixerReleaseBuffer(a);
    auto out = Render(256);
    for (int16_t v : out) ASSERT_EQ(v, 0);
    EXPECT_EQ(platform::MixerPlay(a, false), -1);
}

TEST_F(Mixer, StatusAndPositionAgreeWithTheCommands) {
    int a = platform::MixerCreateBuffer(Constant(1000, 1, 1));
    EXPECT_EQ(platform::MixerGetStatus(a), 0);
    platform::MixerPlay(a, true);
    EXPECT_EQ(platform::MixerGetStatus(a), platform::kMixerPlaying | platform::kMixerLooping);
    EXPECT_EQ(platform::MixerSetPosition(a, 999), 0);
    EXPECT_EQ(platform::MixerSetPosition(a, 1000), -1);
    EXPECT_EQ(platform::MixerGetPosition(a), 999);
    platform::MixerStop(a);
    EXPECT_EQ(platform::MixerGetStatus(a), 0);
    EXPECT_EQ(platform::MixerGetPosition(a), 999);
    EXPECT_EQ(platform::MixerBufferFrames(a), 1000);
}

// Commands from several threads while the callback renders on this one.
TEST_F(Mixer, MixerThreadsPlayWhileTheCallbackRenders) {
    std::vector<int> ids;
    for (int i = 0; i < 8; ++i) ids.push_back(platform::MixerCreateBuffer(Constant(300, 10, 10)));
    std::atomic<bool> stop{false};
    std::vector<std::thread> players;
    for (int t = 0; t < 3; ++t) {
        players.emplace_back([&, t] {
            int n = 0;
            while (!stop.load(std::memory_order_acquire)) {
                int id = ids[(n++ + t) % ids.size()];
                platform::MixerPlay(id, false);
                platform::MixerGetPosition(id);
                if (n % 7 == 0) platform::MixerStop(id);
                if (n % 11 == 0) platform::MixerSetPosition(id, n % 300);
                std::this_thread::yield();
            }
        });
    }
    int64_t peakAbs = 0;
    for (int i = 0; i < 400; ++i) {
        platform::TimeAdvanceVirtualMs(256 * 1000.0 / 44100.0);
        auto out = Render(256);
        for (int16_t v : out) peakAbs = std::max<int64_t>(peakAbs, v < 0 ? -v : v);
    }
    stop.store(true, std::memory_order_release);
    for (auto& th : players) th.join();
    EXPECT_LE(peakAbs, 80);  // never more than the eight voices at once
    EXPECT_EQ(platform::MixerRenderedFrames(), 400 * 256);
}

// Sets an environment variable for the scope of a test.
class EnvSetting {
public:
    EnvSetting(const char* name, const std::string& value) : name_(name) {
        const char* was = std::getenv(name);
        had_ = was != nullptr;
        if (had_) saved_ = was;
        setenv(name, value.c_str(), 1);
    }
    ~EnvSetting() {
        if (had_) {
            setenv(name_, saved_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string saved_;
};

// SDL's dummy driver keeps no time: the mixer stays on the clock (what a song does on the
// clock is the sound module's test).
TEST(MixerDevice, TheDummyDriverLeavesTheStreamOnTheClock) {
    EnvSetting driver("SDL_AUDIODRIVER", "dummy");
    platform::TimeUseVirtualClock(0.0, false);
    platform::MixerReset();
    EXPECT_EQ(platform::MixerOpen(), 0);
    EXPECT_FALSE(platform::MixerHasDevice());
    auto p = std::make_shared<MixerPcm>();
    p->samples.assign(44100 * 2, 1);
    int a = platform::MixerCreateBuffer(p);
    platform::MixerPlay(a, false);
    platform::TimeAdvanceVirtualMs(100.0);
    EXPECT_EQ(platform::MixerGetPosition(a), 4410);
    platform::MixerReset();
    platform::TimeUseRealClock();
}

// The disk driver is a device that writes the stream to a file.
TEST(MixerDevice, TheDiskDriverWritesTheMixedStream) {
    std::string file = ::testing::TempDir() + "/mixer_disk_driver.raw";
    EnvSetting driver("SDL_AUDIODRIVER", "disk");
    EnvSetting output("SDL_DISKAUDIOFILE", file);
    platform::MixerReset();
    ASSERT_EQ(platform::MixerOpen(), 0);
    EXPECT_TRUE(platform::MixerHasDevice());
    auto p = std::make_shared<MixerPcm>();
    p->samples.assign(2000, 77);
    int a = platform::MixerCreateBuffer(p);
    EXPECT_EQ(platform::MixerPlay(a, true), 0);
    EXPECT_EQ(platform::MixerGetStatus(a), platform::kMixerPlaying | platform::kMixerLooping);
    for (int i = 0; i < 20000 && platform::MixerRenderedFrames() < 4 * platform::kMixerLatencyFrames; ++i) {
        platform::TimeSleepMs(1);
    }
    platform::MixerClose();
    EXPECT_FALSE(platform::MixerHasDevice());
    // closing keeps the buffers and their state
    EXPECT_EQ(platform::MixerGetStatus(a), platform::kMixerPlaying | platform::kMixerLooping);
    platform::MixerReset();
    FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<int16_t> s(1 << 16);
    size_t got = std::fread(s.data(), 2, s.size(), f);
    std::fclose(f);
    std::remove(file.c_str());
    size_t loud = 0;
    for (size_t i = 0; i < got; ++i) loud += s[i] == 77;
    EXPECT_GE(loud, 2u * platform::kMixerLatencyFrames);
}

}  // namespace
