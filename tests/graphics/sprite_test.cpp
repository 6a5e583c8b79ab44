// Sprite drawing read back from a software renderer: placement and source rectangles,
// transforms, blends, the lane clip and the fills.
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using gfxtest::GraphicsTest;

constexpr uint32_t kBlack = 0xFF000000;

class SpriteTest : public GraphicsTest {
 protected:
  TextureHandle Solid(const char* name, int w, int h, uint32_t argb) {
    TextureHandle t = LoadTexture(gfxtest::WriteSolidPng(name, w, h, argb).c_str());
    EXPECT_NE(t, -1);
    return t;
  }
  // A w x h image whose left half is red and right half blue.
  TextureHandle Halves(int w, int h) {
    TextureHandle t = LoadTexture(
        gfxtest::WritePng("halves.png", w, h, [w](int x, int) {
          return x < w / 2 ? 0xFFFF0000u : 0xFF0000FFu;
        }).c_str());
    EXPECT_NE(t, -1);
    return t;
  }
  // Column x of the image is grey level 10 * x (to tell columns apart).
  TextureHandle Columns(int w, int h) {
    TextureHandle t = LoadTexture(
        gfxtest::WritePng("columns.png", w, h, [](int x, int) {
          uint32_t g = uint32_t(10 * x + 20);
          return 0xFF000000u | g << 16 | g << 8 | g;
        }).c_str());
    EXPECT_NE(t, -1);
    return t;
  }
};

// Where each draw lands: the box of changed pixels for an 8 x 8 white image (a box of -1
// for nothing drawn).
struct PlaceCase {
  const char* name;
  int (*draw)(TextureHandle);
  int x0, y0, x1, y1;
};

class PlacementTest : public SpriteTest, public testing::WithParamInterface<PlaceCase> {};

TEST_P(PlacementTest, DrawsExactlyItsBox) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(c.draw(Solid("place.png", 8, 8, 0xFFFFFFFF)), 0);
  int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
  if (!ChangedBox(kBlack, &x0, &y0, &x1, &y1)) x0 = y0 = x1 = y1 = -1;
  EXPECT_EQ(x0, c.x0);
  EXPECT_EQ(y0, c.y0);
  EXPECT_EQ(x1, c.x1);
  EXPECT_EQ(y1, c.y1);
}

INSTANTIATE_TEST_SUITE_P(
    Draws, PlacementTest,
    testing::Values(
        PlaceCase{"TopLeft", [](TextureHandle t) { return DrawSprite(t, 20, 30); }, 20, 30, 27, 37},
        PlaceCase{"Centred", [](TextureHandle t) { return DrawSpriteCentered(t, 100, 200); }, 96, 196, 103, 203},
        PlaceCase{"ScaledKeepsTopLeft", [](TextureHandle t) { return DrawSpriteScaled(t, 50, 60, 2.0, 3.0); },
                  50, 60, 65, 83},
        PlaceCase{"ScaledCentred",
                  [](TextureHandle t) { return DrawSpriteScaledCentered(t, 200, 200, 0.5, 0.5); }, 198, 198, 201,
                  201},
        PlaceCase{"WholePart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, -1, -1); }, 20, 20, 27, 27},
        PlaceCase{"PartWidthTruncated", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, 3.9, -1); }, 20,
                  20, 22, 27},
        PlaceCase{"PartHeight",
                  [](TextureHandle t) { return DrawSpritePartColor(t, 0xFFFFFFFF, 20, 20, -1, 2); }, 20, 20, 27,
                  21},
        // Centred on the whole image, whatever part is drawn.
        PlaceCase{"PartCentredOnTheWholeImage",
                  [](TextureHandle t) { return DrawSpritePartColorCentered(t, 0xFFFFFFFF, 100, 100, 4, 4); }, 96,
                  96, 99, 99},
        PlaceCase{"NegativePart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, -2, 5); }, -1, -1, -1,
                  -1},
        PlaceCase{"EmptyPart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, 0, 5); }, -1, -1, -1, -1},
        PlaceCase{"WholeWidthCropped", [](TextureHandle t) { return DrawSpriteCropLeft(t, 30, 8, 10); }, -1, -1,
                  -1, -1},
        PlaceCase{"FillRect", [](TextureHandle) { return FillRect(10, 20, 30, 25, 0xFFFF8000); }, 10, 20, 29, 24}),
    [](const auto& info) { return std::string(info.param.name); });

// Turns and mirrors of a 40 x 20 image, red on the left half and blue on the right, read at
// a few points: 'R' red, 'B' blue, '.' nothing.
struct Probe {
  int x, y;
  char colour;
};
struct TurnCase {
  const char* name;
  int (*draw)(TextureHandle);
  std::vector<Probe> probes;
};

class TurnTest : public SpriteTest, public testing::WithParamInterface<TurnCase> {};

TEST_P(TurnTest, HalvesLandWhereTheyShould) {
  EXPECT_EQ(GetParam().draw(Halves(40, 20)), 0);
  for (const Probe& p : GetParam().probes) {
    const uint32_t px = Pixel(p.x, p.y);
    if (p.colour == 'R') {
      EXPECT_RGB_NEAR(px, 255, 0, 0);
    } else if (p.colour == 'B') {
      EXPECT_RGB_NEAR(px, 0, 0, 255);
    } else {
      EXPECT_EQ(gfxtest::R(px) | gfxtest::B(px), 0);
    }
    if (HasFailure()) FAIL() << "at (" << p.x << ", " << p.y << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Draws, TurnTest,
    testing::Values(
        // Clockwise by a quarter turn about the centre: the red half on top, 40 tall, 20 wide.
        TurnCase{"QuarterTurn", [](TextureHandle t) { return DrawSpriteRotated(t, 300, 200, 90); },
                 {{300, 190, 'R'}, {300, 210, 'B'}, {300, 225, '.'}, {285, 200, '.'}}},
        TurnCase{"QuarterTurnBack", [](TextureHandle t) { return DrawSpriteRotated(t, 300, 200, -90); },
                 {{300, 190, 'B'}, {300, 210, 'R'}}},
        // Turned upright first, then stretched twice as wide along the screen: 40 x 40.
        TurnCase{"TurnThenScale",
                 [](TextureHandle t) { return DrawSpriteRotScaled(t, 0xFFFFFFFF, 300, 200, 2.0, 1.0, 90); },
                 {{300, 185, 'R'}, {300, 215, 'B'}, {283, 210, 'B'}, {317, 190, 'R'}, {300, 225, '.'},
                  {276, 200, '.'}}},
        TurnCase{"HalfTurnDoubled",
                 [](TextureHandle t) { return DrawSpriteRotScaled(t, 0xFFFFFFFF, 300, 200, 2.0, 2.0, 180); },
                 {{330, 200, 'R'}, {270, 200, 'B'}, {290, 215, 'B'}, {300, 225, '.'}}},
        // A negative scale mirrors about the top-left corner: the image extends left of x.
        TurnCase{"Mirrored", [](TextureHandle t) { return DrawSpriteScaled(t, 100, 100, -1, 1); },
                 {{62, 105, 'B'}, {98, 105, 'R'}, {101, 105, '.'}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpriteTest, AdditiveAddsSourceTimesItsAlpha) {
  Clear(0xFF643214);  // (100, 50, 20)
  TextureHandle t = Solid("add.png", 8, 8, 0x803264C8);  // (50, 100, 200) at alpha 128
  EXPECT_EQ(DrawSpriteAdd(t, 0xFFFFFFFF, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 125, 100, 120);
  // Saturates rather than wrapping.
  TextureHandle white = Solid("add_white.png", 8, 8, 0xFFFFFFFF);
  EXPECT_EQ(DrawSpriteAddCentered(white, 0xFFFFFFFF, 34, 14), 0);
  EXPECT_RGB_NEAR(Pixel(34, 14), 255, 255, 255);
  // The colour's alpha scales what is added.
  EXPECT_EQ(DrawSpriteColorBlend(t, 0x80FFFFFF, 50, 10, 1), 0);
  EXPECT_RGB_NEAR(Pixel(52, 12), 112, 75, 70);
}

TEST_F(SpriteTest, DarkenMultipliesByOneMinusTheSourceColour) {
  Clear(0xFFC86432);  // (200, 100, 50)
  TextureHandle t = LoadTexture(gfxtest::WritePng("darken.png", 8, 8, [](int x, int) {
                                  return x < 4 ? 0xFFFF0080u : 0x00FFFFFFu;
                                }).c_str());
  ASSERT_NE(t, -1);
  EXPECT_EQ(DrawSpriteDarken(t, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(11, 12), 0, 100, 25);
  // Fully transparent pixels leave the screen alone, whatever colour they carry.
  EXPECT_RGB_NEAR(Pixel(16, 12), 200, 100, 50);
}

TEST_F(SpriteTest, ColourMultipliesTheImage) {
  Clear(kBlack);
  TextureHandle t = Solid("tint.png", 8, 8, 0xFFFFFFFF);
  EXPECT_EQ(DrawSpriteColor(t, 0xFF80FF40, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 128, 255, 64);
  EXPECT_EQ(DrawSpriteColor(t, 0x80FFFFFF, 30, 10), 0);
  EXPECT_RGB_NEAR(Pixel(32, 12), 128, 128, 128);
  EXPECT_EQ(DrawSpriteScaledColor(t, 0xFF0000FF, 50, 10, 2, 2), 0);
  EXPECT_RGB_NEAR(Pixel(60, 20), 0, 0, 255);
  EXPECT_EQ(DrawSpriteRotScaled(t, 0xFF00FF00, 100, 100, 1, 2, 45), 0);
  EXPECT_RGB_NEAR(Pixel(100, 100), 0, 255, 0);
}

TEST_F(SpriteTest, StraightAlphaBlendsOverTheScreen) {
  Clear(0xFF0000FF);
  TextureHandle t = Solid("half_red.png", 8, 8, 0x80FF0000);
  EXPECT_EQ(DrawSprite(t, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 128, 0, 127);
}

TEST_F(SpriteTest, StripFillsWithTheLeftmostColumn) {
  TextureHandle t = LoadTexture(gfxtest::WritePng("strip.png", 4, 8, [](int x, int) {
                                  return x == 0 ? 0xFF00FF00u : 0xFFFF0000u;
                                }).c_str());
  ASSERT_NE(t, -1);
  EXPECT_EQ(DrawSpriteStrip(t, 10, 50.9, 20), 0);
  int x0, y0, x1, y1;
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  EXPECT_EQ(x0, 10);
  EXPECT_EQ(x1, 59) << "the length is truncated to 50";
  EXPECT_EQ(y0, 20);
  EXPECT_EQ(y1, 27);
  for (int x = 10; x < 60; ++x) EXPECT_RGB_NEAR(Pixel(x, 24), 0, 255, 0);
  Clear(kBlack);
  EXPECT_EQ(DrawSpriteStrip(t, 10, 0.5, 20), 0);
  EXPECT_EQ(CountChanged(0, 0, 100, 100, kBlack), 0);
}

TEST_F(SpriteTest, CropLeftCutsColumnsFromTheLeft) {
  TextureHandle t = Columns(10, 4);
  EXPECT_EQ(DrawSpriteCropLeft(t, 30, 0, 10), 0);
  EXPECT_RGB_NEAR(Pixel(30, 11), 20, 20, 20);
  EXPECT_RGB_NEAR(Pixel(39, 11), 110, 110, 110);
  Clear(kBlack);
  EXPECT_EQ(DrawSpriteCropLeft(t, 30, 3.7, 10), 0);
  int x0, y0, x1, y1;
  ASSERT_TRUE(ChangedBox(kBlack, &x0, &y0, &x1, &y1));
  EXPECT_EQ(x0, 30);
  EXPECT_EQ(x1, 36);
  EXPECT_RGB_NEAR(Pixel(30, 11), 50, 50, 50);
  Clear(kBlack);
  EXPECT_EQ(DrawSpriteCropLeft(t, 30, 10, 10), 0);
  EXPECT_EQ(CountChanged(0, 0, 100, 100, kBlack), 0);
}

struct LaneCase {
  const char* name;
  double x;       // centre of a 20-pixel-wide image
  int result;
  int visibleFrom;  // first screen column drawn, -1 for nothing
};

class LaneClipTest : public SpriteTest, public testing::WithParamInterface<LaneCase> {};

TEST_P(LaneClipTest, CutsUnderTheJudgementArea) {
  TextureHandle t = Columns(20, 6);
  const LaneCase& c = GetParam();
  EXPECT_EQ(DrawSpriteLaneClipped(t, c.x, 100), c.result);
  int x0, y0, x1, y1;
  bool any = ChangedBox(kBlack, &x0, &y0, &x1, &y1);
  if (c.visibleFrom < 0) {
    EXPECT_FALSE(any);
  } else {
    ASSERT_TRUE(any);
    EXPECT_EQ(x0, c.visibleFrom);
    EXPECT_EQ(y0, 97);
    // The column shown at screen x is the image's own column there.
    int column = x0 - int(c.x - 10);
    EXPECT_RGB_NEAR(Pixel(x0, 100), 10 * column + 20, 10 * column + 20, 10 * column + 20);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lane, LaneClipTest,
    testing::Values(LaneCase{"RightEdgeOnTheCut", 100, 0, -1},
                    LaneCase{"OnePixelFurtherLeft", 99, 0, -1},
                    LaneCase{"StraddlingTheCut", 115, 0, 110},
                    LaneCase{"LeftEdgeOnTheCut", 120, 0, 110},
                    LaneCase{"ClearOfTheCut", 200, 0, 190},
                    LaneCase{"LeftEdgeAtScreenEnd", 650, 0, -1},
                    LaneCase{"PastTheScreen", 651, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpriteTest, FillRectCoversExactlyItsRectangle) {
  EXPECT_EQ(FillRect(10, 20, 30, 25, 0xFFFF8000), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 20 * 5);
  Clear(kBlack);
  // Corners given the other way round, translucent: one even coat, no seam on the diagonal.
  EXPECT_EQ(FillRect(60, 50, 40, 30, 0x80FFFFFF), 0);
  for (int y = 30; y < 50; ++y)
    for (int x = 40; x < 60; ++x) ASSERT_EQ(Pixel(x, y), Pixel(40, 30)) << x << "," << y;
  EXPECT_RGB_NEAR(Pixel(45, 35), 128, 128, 128);
  // The whole screen, as the scene hand-over does.
  EXPECT_EQ(FillRect(0, 0, 640, 480, 0xFF102030), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, 0xFF102030), 0);
}

TEST_F(SpriteTest, FillTriangleIsUntexturedAndSolid) {
  EXPECT_EQ(FillTriangle(100, 100, 200, 100, 100, 200, 0xFF00FF00), 0);
  EXPECT_RGB_NEAR(Pixel(110, 110), 0, 255, 0);
  EXPECT_RGB_NEAR(Pixel(190, 190), 0, 0, 0);
}

TEST_F(SpriteTest, AbsurdCoordinatesDrawNothingAndDoNotCrash) {
  TextureHandle t = Solid("absurd.png", 8, 8, 0xFFFFFFFF);
  const double nan = std::nan("");
  const double inf = 1.0 / 0.0;
  EXPECT_EQ(DrawSprite(t, nan, 10), 0);
  EXPECT_EQ(DrawSprite(t, 10, inf), 0);
  EXPECT_EQ(DrawSpriteScaled(t, 10, 10, 1e30, 1), 0);
  EXPECT_EQ(DrawSpriteScaled(t, 10, 10, 0, 0), 0);
  EXPECT_EQ(DrawSpriteRotScaled(t, 0xFFFFFFFF, 10, 10, 1, 2, nan), 0);
  EXPECT_EQ(DrawSpriteStrip(t, 10, 1e12, 10), 0);
  EXPECT_EQ(DrawSpriteCropLeft(t, 10, -1e300, 10), 0);
  EXPECT_EQ(FillRect(nan, 0, 10, 10, 0xFFFFFFFF), 0);
  EXPECT_EQ(FillTriangle(0, 0, inf, 0, 0, 10, 0xFFFFFFFF), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, kBlack), 0);
}

}  // namespace
