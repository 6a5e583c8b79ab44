#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/time.h"

namespace platform {

namespace {
std::mutex g_traceMutex;
FILE* g_traceFile = nullptr;
bool g_traceChecked = false;

FILE* TraceFileLocked() {
  if (!g_traceChecked) {
    g_traceChecked = true;
    const char* path = std::getenv("KODOBAN_TRACE");
    if (path && *path) g_traceFile = std::fopen(path, "a");
  }
  return g_traceFile;
}

void TraceWriteV(const char* ev, double t, const char* fields, va_list ap) {
  std::lock_guard<std::mutex> lock(g_traceMutex);
  FILE* f = TraceFileLocked();
  if (!f) return;
  char body[1024];
  body[0] = '\0';
  if (fields) std::vsnprintf(body, sizeof body, fields, ap);
  std::fprintf(f, "{\"ev\":\"%s\",\"t\":%.3f%s%s}\n", ev, t, body[0] ? "," : "", body);
  std::fflush(f);
}
}  // namespace

bool TraceEnabled() {
  std::lock_guard<std::mutex> lock(g_traceMutex);
  return TraceFileLocked() != nullptr;
}

void TraceWrite(const char* ev, const char* fields, ...) {
  if (!TraceEnabled()) return;
  va_list ap;
  va_start(ap, fields);
  TraceWriteV(ev, TimeMonotonicMs(), fields, ap);
  va_end(ap);
}

void TraceWriteAt(const char* ev, double t, const char* fields, ...) {
  if (!TraceEnabled()) return;
  va_list ap;
  va_start(ap, fields);
  TraceWriteV(ev, t, fields, ap);
  va_end(ap);
}

void TraceReset() {
  std::lock_guard<std::mutex> lock(g_traceMutex);
  if (g_traceFile) std::fclose(g_traceFile);
  g_traceFile = nullptr;
  g_traceChecked = false;
}

}  // namespace platform
