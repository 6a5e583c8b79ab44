#include "shell/frame_limiter.h"

#include <algorithm>

#include "platform/time.h"
#include "shell/frame_update.h"
#include "shell/state.h"

namespace shell {

FrameLimiterState FrameLimiter;

void FrameLimiterSetTarget(int fps) {
  FrameLimiter.targetFps = std::clamp(fps, 1, kMaxFps);
  FrameLimiter.index = 0;
}

void PaceFrame() {
  FrameLimiterState& f = FrameLimiter;
  const int n = f.targetFps;
  // Milliseconds since frame 0 of the batch, safe across the 32-bit timer wrap.
  auto sinceBatchStart = [&] { return static_cast<double>(static_cast<uint32_t>(platform::TimeGetTimeMs() - f.batchStartMs)); };
  if (f.index != 0) {
    double target = (1000.0 / n) * f.index;
    int wait = static_cast<int>(target - sinceBatchStart());
    if (wait > 0) WaitPumpingMs(wait);
  } else if (f.batchStarted) {
    int wait = static_cast<int>(1000.0 - sinceBatchStart());
    if (wait > 0) WaitPumpingMs(wait);
  }
  uint32_t now = platform::TimeGetTimeMs();
  // The very first frame has no previous one: its duration is 0, not the time since boot.
  if (!f.batchStarted && f.index == 0) f.previousFrameMs = now;
  f.durations[f.index] = static_cast<int>(now - f.previousFrameMs);
  f.previousFrameMs = now;
  if (f.index == 0) {
    f.batchStartMs = now;
    f.batchStarted = true;
  }
  if (f.index == n - 1) {
    long long sum = 0;
    for (int i = 0; i < n; ++i) sum += f.durations[i];
    f.averageMs = static_cast<double>(sum) / n;
    MeasuredFps = f.averageMs > 0.0 ? 1000.0 / f.averageMs : 0.0;
  }
  f.index = (f.index + 1) % n;
}

void ResetFrameLimiter() { FrameLimiter = FrameLimiterState{}; }

}  // namespace shell
