#include "library/scrambler.h"

namespace library {

void Scramble(uint8_t* bytes, size_t n) {
  SaveRandom rng;
  rng.Seed(kScrambleSeed);
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<uint8_t>(bytes[i] + (rng.Next() & 0xFF));
    sum += bytes[i];
    rng.Seed(kScrambleSeed + sum);
  }
}

void Unscramble(uint8_t* bytes, size_t n) {
  SaveRandom rng;
  rng.Seed(kScrambleSeed);
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) {
    uint8_t c = bytes[i];
    bytes[i] = static_cast<uint8_t>(c - (rng.Next() & 0xFF));
    sum += c;
    rng.Seed(kScrambleSeed + sum);
  }
}

}  // namespace library
