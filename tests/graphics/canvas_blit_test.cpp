// Draws that write the canvas directly give exactly the pixels SDL's software renderer gives
// for the same draw, wherever it lands and whatever its colour.
#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;

class CanvasBlitTest : public gfxtest::GraphicsTest {
 protected:
  // Every alpha from 0 to 255 appears, with random colours, on a 37 x 23 image (odd sizes
  // leave row ends for the scalar loop).
  TextureHandle NoisyImage() {
    std::mt19937 rng(1234);
    return LoadTexture(gfxtest::WritePng("noise.png", 37, 23, [&rng](int x, int y) {
                         uint32_t alpha = x == 0 ? 0 : x == 1 ? 255 : uint32_t(y * 37 + x) % 256;
                         return alpha << 24 | (rng() & 0x00FFFFFFu);
                       }).c_str());
  }
  std::vector<uint32_t> DrawOnNoise(const std::function<void()>& draw) {
    std::mt19937 rng(99);
    auto* p = static_cast<uint32_t*>(screen_->pixels);
    for (int i = 0; i < screen_->w * screen_->h; ++i) p[i] = 0xFF000000u | (rng() & 0x00FFFFFFu);
    draw();
    SDL_RenderFlush(renderer_);
    return std::vector<uint32_t>(p, p + screen_->w * screen_->h);
  }
  // The same draws once through the renderer and once directly; the pictures must agree,
  // exactly or within `tolerance` steps in each colour channel.
  void ExpectSameAsRenderer(const std::function<void()>& draw, int tolerance = 0) {
    GraphicsSetCanvas(nullptr);
    std::vector<uint32_t> byRenderer = DrawOnNoise(draw);
    GraphicsSetCanvas(screen_);
    std::vector<uint32_t> direct = DrawOnNoise(draw);
    int differing = 0;
    for (size_t i = 0; i < direct.size(); ++i) {
      bool same = true;
      for (int shift : {0, 8, 16})
        same &= std::abs(int(direct[i] >> shift & 0xFF) - int(byRenderer[i] >> shift & 0xFF)) <= tolerance;
      if (!same && ++differing <= 5)
        ADD_FAILURE() << "pixel (" << i % 640 << ", " << i / 640 << "): direct " << std::hex
                      << direct[i] << ", renderer " << byRenderer[i];
    }
    EXPECT_EQ(differing, 0);
  }
};

// SDL blends unfaded images with a quicker approximation (a shift by 8 for each division by
// 255, which drifts dark, most where draws overlap); the direct draw divides exactly, as an
// accelerated renderer does. The two agree within a few steps.
constexpr int kBlendTolerance = 6;

struct Place {
  uint32_t colour;
  double x, y;
};
class CanvasPlaceTest : public CanvasBlitTest, public testing::WithParamInterface<Place> {};

// Twice over the same place: the second draw lands on the first (and additive saturates).
TEST_P(CanvasPlaceTest, AdditiveAndNormalBlendsMatchTheRenderer) {
  TextureHandle t = NoisyImage();
  const Place c = GetParam();
  ExpectSameAsRenderer([&] {
    EXPECT_EQ(DrawSpriteAdd(t, c.colour, c.x, c.y), 0);
    EXPECT_EQ(DrawSpriteAdd(t, c.colour, c.x + 5, c.y + 3), 0);
  });
  ExpectSameAsRenderer([&] {
    EXPECT_EQ(DrawSpriteColor(t, c.colour, c.x, c.y), 0);
    EXPECT_EQ(DrawSpriteColor(t, c.colour, c.x + 5, c.y + 3), 0);
  }, kBlendTolerance);
}

// Opaque, translucent, invisible and black colours; whole, fractional and partly or wholly
// off-screen places.
INSTANTIATE_TEST_SUITE_P(ColoursAndPlaces, CanvasPlaceTest,
                         testing::Values(Place{0xFFFFFFFF, 100, 100}, Place{0xC0FFFFFF, 100.7, 50.2},
                                         Place{0x80FF8040, 3, 7}, Place{0x00FFFFFF, 10, 10},
                                         Place{0xFF000000, 10, 10}, Place{0x7F123456, -10.5, -4.25},
                                         Place{0xFFFFFFFF, 620, 470}, Place{0xE0A0C0FF, -36.9, 200},
                                         Place{0xFFFFFFFF, 639.9, 479.9}, Place{0xFFFFFFFF, -37, -23}));

TEST_F(CanvasBlitTest, EveryOtherDirectDrawMatchesTheRenderer) {
  TextureHandle t = NoisyImage();
  TextureHandle solid = Solid("opaque.png", 30, 30, 0xFF336699);
  // Parts, crops, the lane clip, centring; opaque images and normal draws between the rest.
  ExpectSameAsRenderer([&] {
    EXPECT_EQ(DrawSpritePart(t, 10, 10, 20, 9), 0);
    EXPECT_EQ(DrawSpritePartColor(t, 0x80FF80FF, 60.5, 10, -1, 15), 0);
    EXPECT_EQ(DrawSpritePart(t, -5, 300, 100, 100), 0);
    EXPECT_EQ(DrawSpriteCropLeft(t, 110, 7, 190), 0);
    for (int i = 0; i < 12; ++i) DrawSpriteLaneClipped(t, 95 + i * 7.3, 240);
    EXPECT_EQ(DrawSpriteCentered(t, 320.5, 240.5), 0);
    EXPECT_EQ(DrawSpriteRotScaled(t, 0xFFFFFFFF, 400, 100, 1, 1, 0), 0);
    DrawSprite(t, 100, 100);
    DrawSprite(solid, 110, 105);
    DrawSpriteColor(solid, 0x80FFFFFF, 120, 110);
    DrawSpriteAdd(t, 0xFFFFFFFF, 115, 100);
    DrawSpriteScaled(t, 100, 130, 2.0, 2.0);
    DrawSprite(t, 105, 135);
  }, kBlendTolerance);
  // Centred additive draws, and draws queued in the renderer before and after direct ones.
  ExpectSameAsRenderer([&] {
    EXPECT_EQ(DrawSpriteAddCentered(t, 0xC0FFD080, 320.3, 240.6), 0);
    EXPECT_EQ(DrawSpriteRotScaledAdd(t, 0xFFFFFFFF, 100, 100, 1, 1, 0), 0);
    EXPECT_EQ(DrawSpriteColorBlend(t, 0x80FFFFFF, 200.5, 20, 1), 0);
    DrawSprite(solid, 490, 90);
    DrawSpriteAdd(t, 0xFFFFFFFF, 500, 100);
    FillRect(510, 100, 520, 140, 0x80FF0000);
    DrawSpriteAdd(t, 0xFFFFFFFF, 505, 95);
  });
}

TEST_F(CanvasBlitTest, ClipRectsAndOtherTargetsGoThroughTheRenderer) {
  TextureHandle t = NoisyImage();
  ExpectSameAsRenderer([&] {
    SDL_Rect clip{0, 0, 110, 110};
    SDL_RenderSetClipRect(renderer_, &clip);
    DrawSpriteAdd(t, 0xFFFFFFFF, 100, 100);
    SDL_RenderSetClipRect(renderer_, nullptr);
  });
  // Nothing lands on the canvas while another target is current.
  SDL_Texture* target =
      SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 64, 64);
  Clear(0xFF000000);
  SDL_SetRenderTarget(renderer_, target);
  DrawSpriteAdd(t, 0xFFFFFFFF, 0, 0);
  SDL_SetRenderTarget(renderer_, nullptr);
  EXPECT_EQ(CountChanged(0, 0, 64, 64), 0);
  SDL_DestroyTexture(target);
}

TEST_F(CanvasBlitTest, AnImageWhoseFileVanishedStillDrawsThroughTheRenderer) {
  std::string path = gfxtest::WriteSolidPng("vanishing.png", 8, 8, 0xFF102030);
  TextureHandle t = LoadTexture(path.c_str());
  std::remove(path.c_str());
  EXPECT_EQ(DrawSpriteAdd(t, 0xFFFFFFFF, 10, 10), 0);
  EXPECT_EQ(Pixel(12, 12) & 0xFFFFFF, 0x102030u);
}

}  // namespace
