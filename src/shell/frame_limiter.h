// FrameLimiter: paces the main loop to 120 frames per second in batches of 120. Frame i of a
// batch waits until i x (1000 / 120) ms after the batch's frame 0; frame 0 of a new batch
// waits until a full second after the previous batch began (the first batch does not wait).
#pragma once
#include <cstdint>

namespace shell {

constexpr int kTargetFps = 120;
constexpr int kMaxFps = 1000;

struct FrameLimiterState {
  int targetFps = kTargetFps;
  int index = 0;                // frame within the current batch
  bool batchStarted = false;
  uint32_t batchStartMs = 0;    // multimedia-timer time of frame 0 of the batch
  uint32_t previousFrameMs = 0;
  int durations[kMaxFps] = {};  // the last batch's frame durations (ms)
  double averageMs = 0.0;
};

extern FrameLimiterState FrameLimiter;

// N frames per second (1 to 1000; other values are clamped).
void FrameLimiterSetTarget(int fps);
// Waits (pumping input every millisecond) until the current frame's time has come.
void PaceFrame();
void ResetFrameLimiter();

}  // namespace shell
