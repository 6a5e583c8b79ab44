// Small fixtures for the theme tests: files, PNG images and WAV sounds written by the tests
// themselves into the temporary folders of support/temp_folder.h.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/wave_write.h"
#include "graphics/graphics_fixture.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace theme_test {

using testsupport::ReadFile;
using testsupport::WriteFile;

using gfxtest::WriteSolidPng;

// A short 16-bit stereo 44.1 kHz WAV of silence.
inline void WriteWav(const std::string& path, int frames = 441) {
  std::vector<int16_t> silence(size_t(frames) * 2, 0);
  std::vector<uint8_t> b = sound::MakePcm16Wave(silence.data(), size_t(frames), 2, 44100);
  WriteFile(path, std::string(b.begin(), b.end()));
}

}  // namespace theme_test
