// save.dat images of any content, scrambled or plain: the parse must stay inside the record.
#include <cstdint>
#include <cstring>

#include "library/save_data.h"
#include "library/scrambler.h"

// Compiled in for coverage; the archive's copies of these objects are then never linked in.
#include "../src/library/save_data.cpp"
#include "../src/library/scrambler.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t image[library::kSaveDataBytes] = {};
  std::memcpy(image, data, size < sizeof image ? size : sizeof image);
  library::GlobalStatsData stats;
  library::ParseGlobalData(image, stats);
  // The same bytes as plain text, scrambled the way the game writes them.
  std::memset(image, 0, sizeof image);
  std::memcpy(image, data, size < sizeof image - 1 ? size : sizeof image - 1);
  library::Scramble(image, library::kSaveDataBytes - 1);
  if (library::ParseGlobalData(image, stats) == 0) {
    if (stats.playTime < library::kCounterMin || stats.date < library::kCounterMin) __builtin_trap();
  }
  return 0;
}
