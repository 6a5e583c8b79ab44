// Steady sound timing: the paced output (KODOBAN_PACED_AUDIO) writes the stream at the
// clock's own rate with each sound on the stream frame its start promised, and a start due
// at a moment just past lands on that moment's frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "support/files.h"

namespace {

// The first frame where the channel of an interleaved stereo stream sounds, or -1.
int64_t Onset(const std::vector<int16_t>& stream, int channel) {
    for (size_t k = static_cast<size_t>(channel); k < stream.size(); k += 2)
        if (stream[k] != 0) return static_cast<int64_t>(k / 2);
    return -1;
}

TEST(MixerPacedOutput, WritesTheStreamAtTheClockRateWithEachSoundOnItsPromisedFrame) {
    platform::TimeUseRealClock();
    platform::MixerReset();
    // Named by the process: the same case may run at once from another build.
    const std::string path = testing::TempDir() + "/kodoban_paced_output_" + std::to_string(getpid()) + ".raw";
    setenv("KODOBAN_PACED_AUDIO", path.c_str(), 1);
    const double opened = platform::TimeNowMs();
    ASSERT_EQ(platform::MixerOpen(), 0);
    unsetenv("KODOBAN_PACED_AUDIO");
    EXPECT_TRUE(platform::MixerHasDevice());

    auto click = std::make_shared<platform::MixerPcm>();
    click->samples.assign(64, 12000);
    const int id = platform::MixerCreateBuffer(click);
    platform::TimeSleepMs(60);
    int64_t promised = -1;
    ASSERT_EQ(platform::MixerPlay(id, false, &promised), 0);
    platform::TimeSleepMs(100);
    platform::MixerClose();
    const double closed = platform::TimeNowMs();

    const std::string bytes = testsupport::ReadFile(path);
    std::remove(path.c_str());
    std::vector<int16_t> stream(bytes.size() / 2);
    std::memcpy(stream.data(), bytes.data(), stream.size() * 2);
    const int64_t frames = static_cast<int64_t>(stream.size() / 2);
    EXPECT_EQ(frames, platform::MixerRenderedFrames());
    // one buffer per deadline from the opening to the closing, give or take the last ones
    EXPECT_NEAR(static_cast<double>(frames), (closed - opened) * 44.1, 3.0 * platform::kMixerDeviceFrames);
    EXPECT_EQ(Onset(stream, 0), promised);
    platform::MixerReset();
}

TEST(MixerPlayAt, AStartDueAMomentAgoLandsOnThatMomentsFrame) {
    platform::TimeUseVirtualClock(1000.0, false);
    platform::MixerReset();
    platform::MixerOpenManual();
    auto left = std::make_shared<platform::MixerPcm>();
    auto right = std::make_shared<platform::MixerPcm>();
    for (int i = 0; i < 64; ++i) {
        left->samples.insert(left->samples.end(), {1000, 0});
        right->samples.insert(right->samples.end(), {0, 1000});
    }
    const int due = platform::MixerCreateBuffer(left);
    const int now = platform::MixerCreateBuffer(right);
    std::vector<int16_t> out;
    auto render = [&](int blocks) {
        for (int b = 0; b < blocks; ++b) {
            std::vector<int16_t> block(static_cast<size_t>(platform::kMixerDeviceFrames) * 2);
            platform::MixerRender(block.data(), platform::kMixerDeviceFrames);
            out.insert(out.end(), block.begin(), block.end());
            platform::TimeAdvanceVirtualMs(platform::kMixerDeviceFrames / 44.1);
        }
    };
    render(12);  // the stream clock settles
    platform::TimeAdvanceVirtualMs(2.0);
    const double moment = platform::TimeNowMs() - 1.0;
    int64_t dueFrame = -1, nowFrame = -1;
    ASSERT_EQ(platform::MixerPlayAt(due, false, moment, &dueFrame), 0);
    ASSERT_EQ(platform::MixerPlay(now, false, &nowFrame), 0);
    EXPECT_NEAR(static_cast<double>(dueFrame),
                platform::MixerStreamFrameAt(moment) + platform::kMixerLatencyFrames, 1.0);
    EXPECT_NEAR(static_cast<double>(nowFrame - dueFrame), 44.1, 1.0);
    render(6);
    EXPECT_EQ(std::pair(Onset(out, 0), Onset(out, 1)), std::pair(dueFrame, nowFrame));
    platform::MixerReset();
    platform::TimeUseRealClock();
}

}  // namespace
