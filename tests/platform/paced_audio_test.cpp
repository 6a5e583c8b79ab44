// The paced output (KODOBAN_PACED_AUDIO): the stream written at the clock's own rate, with
// each sound beginning on the stream frame its start promised.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"

namespace {

TEST(MixerPacedOutput, WritesTheStreamAtTheClockRateWithEachSoundOnItsPromisedFrame) {
    platform::TimeUseRealClock();
    platform::MixerReset();
    const std::string path = testing::TempDir() + "kodoban_paced_output.raw";
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

    std::vector<int16_t> stream;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int16_t buf[4096];
        size_t got;
        while ((got = std::fread(buf, sizeof(int16_t), 4096, f)) > 0) stream.insert(stream.end(), buf, buf + got);
        std::fclose(f);
    }
    std::remove(path.c_str());
    const int64_t frames = static_cast<int64_t>(stream.size() / 2);
    EXPECT_EQ(frames, platform::MixerRenderedFrames());
    // one buffer per deadline from the opening to the closing, give or take the last ones
    EXPECT_NEAR(static_cast<double>(frames), (closed - opened) * 44.1, 3.0 * platform::kMixerDeviceFrames);
    int64_t onset = -1;
    for (int64_t k = 0; k < frames && onset < 0; ++k) {
        if (stream[static_cast<size_t>(k) * 2] != 0) onset = k;
    }
    EXPECT_EQ(onset, promised);
    platform::MixerReset();
}

}  // namespace
