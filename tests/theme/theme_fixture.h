// Small fixtures for the theme tests: files, PNG images and WAV sounds written by the tests
// themselves into the temporary folders of support/temp_folder.h.
#pragma once
#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/wave_write.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace theme_test {

using testsupport::ReadFile;
using testsupport::WriteFile;

// A w x h PNG filled with one ARGB colour.
inline bool WritePng(const std::string& path, int w, int h, uint32_t argb) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return false;
  SDL_FillRect(s, nullptr, argb);
  bool ok = IMG_SavePNG(s, path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

// A short 16-bit stereo 44.1 kHz WAV of silence.
inline void WriteWav(const std::string& path, int frames = 441) {
  std::vector<int16_t> silence(size_t(frames) * 2, 0);
  std::vector<uint8_t> b = sound::MakePcm16Wave(silence.data(), size_t(frames), 2, 44100);
  WriteFile(path, std::string(b.begin(), b.end()));
}

}  // namespace theme_test
