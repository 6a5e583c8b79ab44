// KODOBAN_TRACE=FILE appends one JSON object per line to FILE, for benchmarks and checks.
#pragma once

namespace platform {

// True when KODOBAN_TRACE names a file (read once, on first use).
bool TraceEnabled();
// Writes {"ev":"<ev>","t":<CLOCK_MONOTONIC ms>,<fields>}; fields is a printf format for the
// rest of the object without braces, e.g. "\"code\":%d". fields may be nullptr.
void TraceWrite(const char* ev, const char* fields, ...) __attribute__((format(printf, 2, 3)));
// The same with an explicit t (for events whose moment was seen earlier than written).
void TraceWriteAt(const char* ev, double t, const char* fields, ...) __attribute__((format(printf, 3, 4)));
// Closes the file and reads KODOBAN_TRACE again on next use (tests).
void TraceReset();

}  // namespace platform
