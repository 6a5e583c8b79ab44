/* CLOCK_MONOTONIC in milliseconds, and sleeping by it, for the small C programs that press keys
 * and buttons for the benchmarks and the scripted player (the game's trace uses the same clock). */
#pragma once
#include <time.h>

static inline double NowMs(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1.0e6;
}

/* Sleeps for ms milliseconds; returns at once when ms is not positive. */
static inline void SleepMs(double ms) {
  if (ms <= 0) return;
  struct timespec ts;
  ts.tv_sec = (time_t)(ms / 1000.0);
  ts.tv_nsec = (long)((ms - ts.tv_sec * 1000.0) * 1.0e6);
  nanosleep(&ts, NULL);
}
