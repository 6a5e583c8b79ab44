// SaveScrambler: the byte-wise additive stream scrambling of save.dat and the record files,
// driven by the linear congruential generator below. The seed constant never changes:
// files written with one value can be read only with the same value.
#pragma once
#include <cstddef>
#include <cstdint>

namespace library {

constexpr uint32_t kScrambleSeed = 0x4B4F444Fu;  // "KODO"

// state = state x 214013 + 2531011 (mod 2^32); output = (state >> 16) & 0x7FFF.
struct SaveRandom {
  uint32_t state = 0;
  void Seed(uint32_t x) { state = x; }
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
};

void Scramble(uint8_t* bytes, size_t n);
void Unscramble(uint8_t* bytes, size_t n);

}  // namespace library
