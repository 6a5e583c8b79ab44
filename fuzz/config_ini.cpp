// Settings files of any content: reading every key and writing them back must neither crash
// nor lose a byte that isn't the value written.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/ini.h"
#include "shell/config.h"

// Compiled in for coverage; the archive's copies of these objects are then never linked in.
#include "../src/platform/ini.cpp"
#include "../src/shell/config.cpp"

namespace {
std::string FilePath() {
  // In memory where the system has it: every run rewrites the file several times.
  static std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                            "/kodoban_fuzz_ini_" + std::to_string(getpid()) + ".ini";
  return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FilePath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  shell::ReadConfiguration(path.c_str());
  char buf[64];
  platform::IniReadString("a", "k", "d", buf, sizeof buf, path.c_str());
  platform::IniReadInt("\x90\xdd\x92\xe8", "WindowSize", 640, path.c_str());
  platform::IniWriteString("a", "k", "value", path.c_str());
  platform::IniReadString("a", "k", "d", buf, sizeof buf, path.c_str());
  if (std::string(buf) != "value") __builtin_trap();
  std::remove(path.c_str());
  return 0;
}
