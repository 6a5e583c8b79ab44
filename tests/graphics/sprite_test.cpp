// Sprite drawing read back from a software renderer: placement and source rectangles,
// transforms, blends, the lane clip and the fills.
#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"

namespace {

using namespace graphics;
using gfxtest::Box;

constexpr uint32_t kBlack = 0xFF000000;

class SpriteTest : public gfxtest::GraphicsTest {
 protected:
  // Column x of the image is grey level 10 * x + 20 (to tell columns apart).
  TextureHandle Columns(int w, int h) {
    return LoadTexture(gfxtest::WritePng("columns.png", w, h, [](int x, int) {
                         return 0xFF000000u | 0x010101u * uint32_t(10 * x + 20);
                       }).c_str());
  }
};

// Where each draw of an 8 x 8 white image lands: the box of changed pixels.
struct PlaceCase {
  const char* name;
  int (*draw)(TextureHandle);
  Box box;
};
class PlacementTest : public SpriteTest, public testing::WithParamInterface<PlaceCase> {};

TEST_P(PlacementTest, DrawsExactlyItsBox) {
  EXPECT_EQ(GetParam().draw(Solid("place.png", 8, 8, 0xFFFFFFFF)), 0);
  EXPECT_EQ(Changed(), GetParam().box);
}

constexpr Box kNothing{-1, -1, -1, -1};
INSTANTIATE_TEST_SUITE_P(
    Draws, PlacementTest,
    testing::Values(
        PlaceCase{"TopLeft", [](TextureHandle t) { return DrawSprite(t, 20, 30); }, {20, 30, 27, 37}},
        PlaceCase{"Centred", [](TextureHandle t) { return DrawSpriteCentered(t, 100, 200); }, {96, 196, 103, 203}},
        PlaceCase{"ScaledKeepsTopLeft", [](TextureHandle t) { return DrawSpriteScaled(t, 50, 60, 2.0, 3.0); }, {50, 60, 65, 83}},
        PlaceCase{"ScaledCentred", [](TextureHandle t) { return DrawSpriteScaledCentered(t, 200, 200, 0.5, 0.5); }, {198, 198, 201, 201}},
        PlaceCase{"WholePart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, -1, -1); }, {20, 20, 27, 27}},
        PlaceCase{"PartWidthTruncated", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, 3.9, -1); }, {20, 20, 22, 27}},
        PlaceCase{"PartHeight", [](TextureHandle t) { return DrawSpritePartColor(t, 0xFFFFFFFF, 20, 20, -1, 2); }, {20, 20, 27, 21}},
        // Centred on the whole image, whatever part is drawn.
        PlaceCase{"PartCentredOnTheWholeImage", [](TextureHandle t) { return DrawSpritePartColorCentered(t, 0xFFFFFFFF, 100, 100, 4, 4); }, {96, 96, 99, 99}},
        PlaceCase{"NegativePart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, -2, 5); }, kNothing},
        PlaceCase{"EmptyPart", [](TextureHandle t) { return DrawSpritePart(t, 20, 20, 0, 5); }, kNothing},
        PlaceCase{"WholeWidthCropped", [](TextureHandle t) { return DrawSpriteCropLeft(t, 30, 8, 10); }, kNothing},
        PlaceCase{"CropTruncated", [](TextureHandle t) { return DrawSpriteCropLeft(t, 30, 3.7, 10); }, {30, 10, 34, 17}},
        PlaceCase{"StripLengthTruncated", [](TextureHandle t) { return DrawSpriteStrip(t, 10, 50.9, 20); }, {10, 20, 59, 27}},
        PlaceCase{"StripUnderAPixel", [](TextureHandle t) { return DrawSpriteStrip(t, 10, 0.5, 20); }, kNothing},
        PlaceCase{"FillRect", [](TextureHandle) { return FillRect(10, 20, 30, 25, 0xFFFF8000); }, {10, 20, 29, 24}},
        // Corners given the other way round.
        PlaceCase{"FillRectReversed", [](TextureHandle) { return FillRect(60, 50, 40, 30, 0xFFFF8000); }, {40, 30, 59, 49}}),
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
  EXPECT_EQ(GetParam().draw(LoadTexture(gfxtest::WritePng("halves.png", 40, 20, [](int x, int) {
                                          return x < 20 ? 0xFFFF0000u : 0xFF0000FFu;
                                        }).c_str())),
            0);
  for (const Probe& p : GetParam().probes) {
    const uint32_t px = Pixel(p.x, p.y);
    EXPECT_EQ(gfxtest::R(px) > 128 ? 'R' : gfxtest::B(px) > 128 ? 'B' : '.', p.colour) << p.x << "," << p.y;
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
        TurnCase{"TurnThenScale", [](TextureHandle t) { return DrawSpriteRotScaled(t, 0xFFFFFFFF, 300, 200, 2.0, 1.0, 90); },
                 {{300, 185, 'R'}, {300, 215, 'B'}, {283, 210, 'B'}, {317, 190, 'R'}, {300, 225, '.'}, {276, 200, '.'}}},
        TurnCase{"HalfTurnDoubled", [](TextureHandle t) { return DrawSpriteRotScaled(t, 0xFFFFFFFF, 300, 200, 2.0, 2.0, 180); },
                 {{330, 200, 'R'}, {270, 200, 'B'}, {290, 215, 'B'}, {300, 225, '.'}}},
        // A negative scale mirrors about the top-left corner: the image extends left of x.
        TurnCase{"Mirrored", [](TextureHandle t) { return DrawSpriteScaled(t, 100, 100, -1, 1); },
                 {{62, 105, 'B'}, {98, 105, 'R'}, {101, 105, '.'}}}),
    [](const auto& info) { return std::string(info.param.name); });

// (the canvas tests hold every other colour and alpha of these draws to the renderer's pixels)
TEST_F(SpriteTest, BlendModes) {
  // Additive adds source times its alpha.
  Clear(0xFF643214);                                     // (100, 50, 20)
  TextureHandle t = Solid("add.png", 8, 8, 0x803264C8);  // (50, 100, 200) at alpha 128
  EXPECT_EQ(DrawSpriteAdd(t, 0xFFFFFFFF, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 125, 100, 120);
  // Darken multiplies by one minus the source colour; transparent pixels leave the screen
  // alone, whatever colour they carry.
  Clear(0xFFC86432);  // (200, 100, 50)
  EXPECT_EQ(DrawSpriteDarken(LoadTexture(gfxtest::WritePng("darken.png", 8, 8, [](int x, int) {
                                           return x < 4 ? 0xFFFF0080u : 0x00FFFFFFu;
                                         }).c_str()),
                             10, 10),
            0);
  EXPECT_RGB_NEAR(Pixel(11, 12), 0, 100, 25);
  EXPECT_RGB_NEAR(Pixel(16, 12), 200, 100, 50);
  // A colour multiplies the image; straight alpha blends over the screen.
  Clear(0xFF0000FF);
  EXPECT_EQ(DrawSprite(Solid("half_red.png", 8, 8, 0x80FF0000), 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 128, 0, 127);
  Clear(kBlack);
  TextureHandle white = Solid("white.png", 8, 8, 0xFFFFFFFF);
  EXPECT_EQ(DrawSpriteColor(white, 0xFF80FF40, 10, 10), 0);
  EXPECT_RGB_NEAR(Pixel(12, 12), 128, 255, 64);
  EXPECT_EQ(DrawSpriteRotScaled(white, 0xFF00FF00, 100, 100, 1, 2, 45), 0);
  EXPECT_RGB_NEAR(Pixel(100, 100), 0, 255, 0);
  // A translucent fill is one even coat, with no seam on the diagonal; triangles are solid.
  Clear(kBlack);
  EXPECT_EQ(FillRect(60, 50, 40, 30, 0x80FFFFFF), 0);
  EXPECT_EQ(CountChanged(40, 30, 60, 50, Pixel(40, 30)), 0);
  EXPECT_RGB_NEAR(Pixel(45, 35), 128, 128, 128);
  EXPECT_EQ(FillTriangle(100, 100, 200, 100, 100, 200, 0xFF00FF00), 0);
  EXPECT_RGB_NEAR(Pixel(110, 110), 0, 255, 0);
  EXPECT_RGB_NEAR(Pixel(190, 190), 0, 0, 0);
}

TEST_F(SpriteTest, StripFillsWithTheLeftmostColumnAndCropLeftStartsAtItsColumn) {
  EXPECT_EQ(DrawSpriteStrip(LoadTexture(gfxtest::WritePng("strip.png", 4, 8, [](int x, int) {
                                          return x == 0 ? 0xFF00FF00u : 0xFFFF0000u;
                                        }).c_str()),
                            10, 50.9, 20),
            0);
  EXPECT_EQ(CountChanged(10, 20, 60, 28, 0xFF00FF00), 0);
  EXPECT_EQ(DrawSpriteCropLeft(Columns(10, 4), 30, 3.7, 10), 0);
  EXPECT_RGB_NEAR(Pixel(30, 11), 50, 50, 50);
}

struct LaneCase {
  const char* name;
  double x;  // centre of a 20-pixel-wide image
  int result;
  int visibleFrom;  // first screen column drawn, -1 for nothing
};
class LaneClipTest : public SpriteTest, public testing::WithParamInterface<LaneCase> {};

TEST_P(LaneClipTest, CutsUnderTheJudgementArea) {
  const LaneCase& c = GetParam();
  EXPECT_EQ(DrawSpriteLaneClipped(Columns(20, 6), c.x, 100), c.result);
  Box b = Changed();
  EXPECT_EQ(b[0], c.visibleFrom);
  if (c.visibleFrom < 0) return;
  EXPECT_EQ(b[1], 97);
  // The column shown at screen x is the image's own column there.
  EXPECT_NEAR(gfxtest::R(Pixel(b[0], 100)), 10 * (b[0] - int(c.x - 10)) + 20, 2);
}

INSTANTIATE_TEST_SUITE_P(Lane, LaneClipTest,
                         testing::Values(LaneCase{"RightEdgeOnTheCut", 100, 0, -1},
                                         LaneCase{"OnePixelFurtherLeft", 99, 0, -1},
                                         LaneCase{"StraddlingTheCut", 115, 0, 110},
                                         LaneCase{"LeftEdgeOnTheCut", 120, 0, 110},
                                         LaneCase{"ClearOfTheCut", 200, 0, 190},
                                         LaneCase{"LeftEdgeAtScreenEnd", 650, 0, -1},
                                         LaneCase{"PastTheScreen", 651, -1, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpriteTest, AbsurdCoordinatesDrawNothingAndDoNotCrash) {
  TextureHandle t = Solid("absurd.png", 8, 8, 0xFFFFFFFF);
  const double nan = std::nan(""), inf = 1.0 / 0.0;
  EXPECT_EQ(std::vector<int>({DrawSprite(t, nan, 10), DrawSprite(t, 10, inf), DrawSpriteScaled(t, 10, 10, 1e30, 1),
                              DrawSpriteScaled(t, 10, 10, 0, 0), DrawSpriteRotScaled(t, 0xFFFFFFFF, 10, 10, 1, 2, nan),
                              DrawSpriteStrip(t, 10, 1e12, 10), DrawSpriteCropLeft(t, 10, -1e300, 10),
                              FillRect(nan, 0, 10, 10, 0xFFFFFFFF), FillTriangle(0, 0, inf, 0, 0, 10, 0xFFFFFFFF)}),
            std::vector<int>(9, 0));
  EXPECT_EQ(CountChanged(0, 0, 640, 480), 0);
  // The whole screen, as the scene hand-over does.
  EXPECT_EQ(FillRect(0, 0, 640, 480, 0xFF102030), 0);
  EXPECT_EQ(CountChanged(0, 0, 640, 480, 0xFF102030), 0);
}

}  // namespace
