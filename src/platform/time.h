// The one time module. Every "now" of the game comes from here, so that tests and
// tools can run the game's threads on a virtual clock.
#pragma once
#include <cstdint>

namespace platform {

// Milliseconds of CLOCK_MONOTONIC, or of the virtual clock when one is in use.
double TimeNowMs();
// The multimedia-timer view of TimeNowMs(): whole milliseconds as unsigned 32 bits.
uint32_t TimeGetTimeMs();
// Milliseconds of CLOCK_MONOTONIC, always real (trace stamps, benchmarks).
double TimeMonotonicMs();
// Sleeps ms milliseconds of the clock in use. On a virtual clock in auto-advance mode the
// sleep advances the clock itself; otherwise it waits until another thread has advanced it.
void TimeSleepMs(int ms);

// Virtual clock for tests and tools.
void TimeUseVirtualClock(double startMs, bool autoAdvance);
void TimeUseRealClock();
bool TimeIsVirtual();
void TimeSetVirtualMs(double ms);
void TimeAdvanceVirtualMs(double ms);

}  // namespace platform
