// Feeds arbitrary bytes to the image loader as a file (header checks, PNG decoding, the
// texture table) and to the text splitting used by vertical text.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kodoban_fuzz_image_" + std::to_string(getpid()) + ".png";
  static char removeAtExit[128];
  if (!removeAtExit[0]) {
    std::snprintf(removeAtExit, sizeof removeAtExit, "%s", path.c_str());
    std::atexit([] { std::remove(removeAtExit); });
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  graphics::TextureHandle h = graphics::LoadTexture(path.c_str());
  if (h != -1) {
    int w = graphics::GetTextureWidth(h);
    int ht = graphics::GetTextureHeight(h);
    if (w <= 0 || ht <= 0) __builtin_trap();
  }
  graphics::ReleaseAllTextures();

  std::string text(reinterpret_cast<const char*>(data), size);
  int lines = graphics::CountVerticalTextLines(text.c_str());
  if (lines < 0 || size_t(lines) > text.size()) __builtin_trap();
  return 0;
}
