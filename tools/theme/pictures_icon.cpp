// The program's icon (kodoban.png beside the program, 256 x 256): a big drum-face note on a
// rounded sunburst tile, with two drumsticks crossed behind it. The desktop entry shows it.
#include "art.h"
#include "gen.h"

namespace themegen {

void DrawIcon() {
  using namespace pal;
  constexpr int kSize = 256;
  Image icon(kSize, kSize);
  // The tile: warm gold fading to orange, with light rays from the note's centre.
  Image tile(kSize, kSize);
  FillSdf(tile, [](float x, float y) { return SdRoundRect(x, y, 8, 8, 248, 248, 44); },
          VGrad{Rgb(0xFFD45C), Rgb(0xF58A1F), 8, 248});
  Image rays(kSize, kSize);
  Rays(rays, 128, 136, 14, WithAlpha(kWhite, 0.22f));
  // The rays stay inside the tile.
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      float inside = SdRoundRect(x + 0.5f, y + 0.5f, 8, 8, 248, 248, 44) < 0 ? 1.0f : 0.0f;
      float* r = rays.at(x, y);
      r[3] *= inside;
    }
  Blit(tile, rays, 0, 0);
  OutlinedSdf(icon, [](float x, float y) { return SdRoundRect(x, y, 8, 8, 248, 248, 44); },
              [&tile](float x, float y) {
                const float* p = tile.at(std::min(kSize - 1, int(x)), std::min(kSize - 1, int(y)));
                return Color{p[0], p[1], p[2], 1.0f};
              },
              kInk, 5);
  // Two sticks crossed behind the note.
  auto stick = [&icon](float ax, float ay, float bx, float by) {
    OutlinedSdf(icon, [=](float x, float y) { return SdSegment(x, y, ax, ay, bx, by, 9); },
                VGrad{Rgb(0xF6E2B8), Rgb(0xC9955A), 30, 230}, kInk, 4);
  };
  stick(52, 40, 196, 214);
  stick(204, 40, 60, 214);
  DrawNote(icon, 128, 136, 78, kDon);
  Sparkle(icon, 206, 58, 16, kWhite);
  if (SavePng(icon, GameDir() + "/kodoban.png") != 0) CountFailure(GameDir() + "/kodoban.png");
}

}  // namespace themegen
