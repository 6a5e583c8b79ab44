#include <gtest/gtest.h>

#include <vector>

#include "platform/time.h"
#include "shell/frame_limiter.h"
#include "shell/state.h"

namespace {

class FrameLimiterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::TimeUseVirtualClock(5000.0, true);
    shell::ResetFrameLimiter();
    shell::ResetShellState();
    shell::FrameLimiterSetTarget(shell::kTargetFps);
  }
  void TearDown() override { platform::TimeUseRealClock(); }

  // Runs frames, each doing `workMs` of work first; returns the time each frame was let go.
  std::vector<uint32_t> Run(int frames, double workMs = 0.0) {
    std::vector<uint32_t> t;
    for (int i = 0; i < frames; ++i) {
      platform::TimeAdvanceVirtualMs(workMs);
      shell::PaceFrame();
      t.push_back(platform::TimeGetTimeMs());
    }
    return t;
  }
};

// The first batch starts without waiting; each later one a full second after the previous.
TEST_F(FrameLimiterTest, FramesFollowTheBatchSchedule) {
  auto t = Run(360);
  for (int batch = 0; batch < 3; ++batch)
    for (int i = 0; i < 120; ++i)
      ASSERT_EQ(t[batch * 120 + i], 5000u + 1000u * batch + (1000u * i) / 120u)
          << "batch " << batch << " frame " << i;
  EXPECT_NEAR(shell::MeasuredFps, 120.0, 0.5);
}

TEST_F(FrameLimiterTest, SlowFramesDoNotWaitAndTheNextBatchRealigns) {
  // 20 ms of work per frame: no frame waits, the batch takes 2.4 s, and the next batch's
  // frame 0 starts at once (its second is already over).
  auto t = Run(121, 20.0);
  EXPECT_EQ(t[1] - t[0], 20u);
  EXPECT_EQ(t[120] - t[119], 20u);
  EXPECT_NEAR(shell::MeasuredFps, 50.0, 0.5);
}

TEST_F(FrameLimiterTest, ScheduleSurvivesTheTimerWrap) {
  platform::TimeSetVirtualMs(4294967296.0 - 500.0);
  shell::ResetFrameLimiter();
  auto t = Run(121);
  EXPECT_EQ(static_cast<uint32_t>(t[120] - t[0]), 1000u);
  EXPECT_EQ(static_cast<uint32_t>(t[60] - t[0]), 500u);
}

}  // namespace
