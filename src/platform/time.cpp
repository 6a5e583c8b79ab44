#include "platform/time.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <time.h>

namespace platform {

namespace {
std::atomic<bool> g_virtual{false};
std::atomic<bool> g_autoAdvance{false};
std::atomic<double> g_virtualMs{0.0};
}  // namespace

double TimeMonotonicMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1.0e6;
}

double TimeNowMs() {
  if (g_virtual.load(std::memory_order_acquire)) return g_virtualMs.load(std::memory_order_acquire);
  return TimeMonotonicMs();
}

uint32_t TimeGetTimeMs() {
  double now = TimeNowMs();
  if (!std::isfinite(now)) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(std::floor(now))));
}

void TimeSleepMs(int ms) {
  if (ms <= 0) {
    if (!g_virtual.load(std::memory_order_acquire)) std::this_thread::yield();
    return;
  }
  if (!g_virtual.load(std::memory_order_acquire)) {
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(ms) * 1000));
    return;
  }
  if (g_autoAdvance.load(std::memory_order_acquire)) {
    TimeAdvanceVirtualMs(ms);
    return;
  }
  double target = g_virtualMs.load(std::memory_order_acquire) + ms;
  while (g_virtual.load(std::memory_order_acquire) && g_virtualMs.load(std::memory_order_acquire) < target)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
}

void TimeUseVirtualClock(double startMs, bool autoAdvance) {
  g_virtualMs.store(startMs, std::memory_order_release);
  g_autoAdvance.store(autoAdvance, std::memory_order_release);
  g_virtual.store(true, std::memory_order_release);
}

void TimeUseRealClock() { g_virtual.store(false, std::memory_order_release); }

bool TimeIsVirtual() { return g_virtual.load(std::memory_order_acquire); }

void TimeSetVirtualMs(double ms) { g_virtualMs.store(ms, std::memory_order_release); }

void TimeAdvanceVirtualMs(double ms) {
  double cur = g_virtualMs.load(std::memory_order_acquire);
  while (!g_virtualMs.compare_exchange_weak(cur, cur + ms, std::memory_order_acq_rel)) {
  }
}

}  // namespace platform
