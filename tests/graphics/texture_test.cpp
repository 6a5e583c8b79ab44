// The texture table: loading, handles, capacity, bad files, release and device recovery.
#include <string>
#include <thread>
#include <vector>

#include "graphics/graphics.h"
#include "graphics_fixture.h"
#include "support/files.h"

namespace {

using namespace graphics;
using TextureTableTest = gfxtest::GraphicsTest;

TEST_F(TextureTableTest, LoadsTakeSlotsInTurnAndReleaseInvalidatesThem) {
  std::string path = gfxtest::WriteSolidPng("size_37x11.png", 37, 11, 0xFFFF0000);
  TextureHandle a = LoadTexture(path.c_str());
  EXPECT_EQ(a, kTextureHandleBase);
  EXPECT_EQ(std::pair(GetTextureWidth(a), GetTextureHeight(a)), std::pair(37, 11));
  EXPECT_EQ(LoadTexture(path.c_str()), kTextureHandleBase + 1) << "the same file twice: two slots";
  ReleaseAllTextures();
  EXPECT_EQ(DrawSprite(a, 0, 0), -1);
  EXPECT_EQ(GetTextureWidth(kTextureHandleBase + 1), -1);
  EXPECT_EQ(LoadTexture(path.c_str()), kTextureHandleBase + 2) << "the cursor carries on";
  EXPECT_EQ(ReloadTexture(0), -1) << "a released slot has no path any more";
  EXPECT_EQ(ReloadTexture(2), -1) << "nor does a filled slot reload";
  for (int slot : {-1, kTextureSlotCount}) EXPECT_EQ(ReloadTexture(slot), -1);
}

class InvalidHandleTest : public TextureTableTest, public testing::WithParamInterface<int> {};

TEST_P(InvalidHandleTest, DrawsNothingAndReturnsMinusOne) {
  // Fill slot 0 so that only the handle itself is wrong.
  ASSERT_EQ(Solid("valid.png", 8, 8, 0xFFFFFFFF), kTextureHandleBase);
  int h = GetParam();
  // One call for each way a draw finds its slot.
  EXPECT_EQ(std::vector<int>({GetTextureWidth(h), GetTextureHeight(h), DrawSprite(h, 10, 10), DrawSpriteDarken(h, 10, 10),
                              DrawSpriteRotScaledAdd(h, 0xFFFFFFFF, 10, 10, 2, 1, 30), DrawSpriteCropLeft(h, 10, 1, 10),
                              DrawSpriteStrip(h, 10, 30, 10), DrawSpritePart(h, 10, 10, -1, -1), DrawSpriteCentered(h, 10, 10),
                              DrawSpriteScaledAddCentered(h, 0xFFFFFFFF, 10, 10, 1, 1),
                              DrawSpritePartColorCentered(h, 0xFFFFFFFF, 10, 10, 4, 4), DrawSpriteLaneClipped(h, 300, 10)}),
            std::vector<int>(12, -1));
  EXPECT_EQ(CountChanged(0, 0, 64, 64), 0);
}

// Below the base, past the last slot, an empty slot (and the last one), a font's handle.
INSTANTIATE_TEST_SUITE_P(Handles, InvalidHandleTest,
                         testing::Values(-1, kTextureHandleBase - 1, kTextureHandleBase + 10000,
                                         kTextureHandleBase + 1, kTextureHandleBase + 9999, 0x30000000));

std::string PngHeader(uint32_t w, uint32_t h) {
  std::string s("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char((v >> shift) & 0xFF));
  return s + std::string("\x08\x06\0\0\0\0\0\0\0", 9);  // CRC wrong, never reached
}

std::string TruncatedPng() {
  std::string bytes = testsupport::ReadFile(gfxtest::WritePng("to_truncate.png", 64, 64, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4);
  }));
  return bytes.substr(0, bytes.size() / 2);
}

class BadFileTest : public TextureTableTest, public testing::WithParamInterface<std::string> {};

TEST_P(BadFileTest, LoadGivesMinusOneAndLeavesTheSlotFree) {
  std::string path = gfxtest::TestDir() + "/bad.png";
  testsupport::WriteFile(path, GetParam());
  EXPECT_EQ(LoadTexture(path.c_str()), -1);
  EXPECT_EQ(TextureCursor(), 0);
  EXPECT_EQ(Solid("after_bad.png", 2, 2, 0xFFFFFFFF), kTextureHandleBase);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest,
                         testing::Values("", "this is not an image\n", std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14),
                                         PngHeader(100000, 100000), PngHeader(1u << 31, 1), PngHeader(0, 16),
                                         PngHeader(16, 16), TruncatedPng()));

TEST_F(TextureTableTest, MissingDirectoryAndOverlongPathsGiveMinusOne) {
  for (const std::string& path : {std::string(), gfxtest::TestDir() + "/no_such_file.png", gfxtest::TestDir(), std::string(5000, 'a')})
    EXPECT_EQ(LoadTexture(path.c_str()), -1) << path;
  EXPECT_EQ(LoadTexture(nullptr), -1);
  EXPECT_EQ(TextureCursor(), 0);
}

TEST_F(TextureTableTest, FullTableRefusesTheNextImageKeepsEveryOtherAndWraps) {
  std::string tiny = gfxtest::WriteSolidPng("tiny.png", 1, 1, 0xFFFFFFFF);
  std::string marked = gfxtest::WriteSolidPng("marked.png", 5, 3, 0xFFFFFFFF);
  for (int i = 0; i < kTextureSlotCount; ++i)
    ASSERT_EQ(LoadTexture(i == 1234 ? marked.c_str() : tiny.c_str()), kTextureHandleBase + i);
  EXPECT_EQ(TextureCursor(), 0);
  EXPECT_EQ(LoadTexture(tiny.c_str()), -1);
  EXPECT_EQ(std::pair(GetTextureWidth(kTextureHandleBase + 1234), GetTextureHeight(kTextureHandleBase + 1234)), std::pair(5, 3));
  EXPECT_EQ(GetTextureWidth(kTextureHandleBase), 1);
  EXPECT_EQ(DrawSprite(kTextureHandleBase + 9999, 0, 0), 0);
  ReleaseAllTextures();
  EXPECT_EQ(LoadTexture(tiny.c_str()), kTextureHandleBase) << "the cursor wrapped to slot 0";
}

TEST_F(TextureTableTest, LoadNumberedImagesLoadsEachNumberOfAFullPath) {
  std::string theme = gfxtest::TestDir() + "/theme";
  for (int d = 0; d < 10; ++d)
    if (d != 7) gfxtest::WriteSolidPng("theme/Play/Number/combo_" + std::to_string(d) + ".png", 10 + d, 12, 0xFFFFFFFF);
  TextureHandle digits[10];
  EXPECT_EQ(LoadNumberedImages(10, 0, digits, (theme + "/Play/Number/combo").c_str()), 9);
  for (int d = 0; d < 10; ++d) EXPECT_EQ(GetTextureWidth(digits[d]), d == 7 ? -1 : 10 + d) << d;
  EXPECT_EQ(digits[7], -1);
  TextureHandle two[2];
  EXPECT_EQ(LoadNumberedImages(2, 8, two, (theme + "/Play/Number/combo").c_str()), 2);
  EXPECT_EQ(GetTextureWidth(two[1]), 19);
  EXPECT_EQ(LoadNumberedImages(2, 0, two, std::string(400, 'x').c_str()), 0);
  EXPECT_EQ(two[0], -1);
}

// Lost device, and recovery onto the same renderer or a new one: handles and pictures stay.
TEST_F(TextureTableTest, DeviceRecoveryKeepsHandlesAndPictures) {
  TextureHandle h = Solid("recover.png", 6, 6, 0xFF3366CC);
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 16);
  ASSERT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, f, "cached"), 0);
  for (bool newRenderer : {false, true}) {
    ReleaseDeviceTextures();
    EXPECT_EQ(DrawSprite(h, 0, 0), -1) << "nothing to draw while the device is lost";
    EXPECT_EQ(DrawTextLeft(100, 100, 0xFFFFFFFF, f, "lost"), -1);
    if (newRenderer) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = SDL_CreateSoftwareRenderer(screen_);
      GraphicsInit(renderer_);
    }
    RecoverDevice();
    Clear(0xFF000000);
    EXPECT_EQ(DrawSprite(h, 20, 20), 0);
    EXPECT_RGB_NEAR(Pixel(22, 22), 0x33, 0x66, 0xCC);
    EXPECT_EQ(DrawTextLeft(100, 100, 0xFFFFFFFF, f, "cached"), 0);
    EXPECT_GT(CountChanged(90, 80, 200, 120), 0);
  }
}

// The resource loader decodes images on its own thread while the main thread waits; the
// main thread then draws them. When it releases every texture (the song select loading
// again), the renderer's textures are destroyed on the drawing thread.
TEST_F(TextureTableTest, LoaderThreadImagesAndReleasesLeaveRendererWorkToTheDrawingThread) {
  std::string path = gfxtest::WriteSolidPng("threaded.png", 8, 8, 0xFF10E020);
  TextureHandle old = Solid("before_release.png", 8, 8, 0xFFE02010);
  ASSERT_EQ(DrawSprite(old, 10, 10), 0);
  TextureHandle handles[20];
  std::thread loader([&] {
    ReleaseAllTextures();
    for (TextureHandle& h : handles) h = LoadTexture(path.c_str());
  });
  loader.join();
  EXPECT_EQ(GetTextureWidth(old), -1) << "released";
  for (TextureHandle h : handles) ASSERT_NE(h, -1);
  EXPECT_EQ(GetTextureWidth(handles[19]), 8);
  UploadPendingTextures();
  EXPECT_EQ(DrawSprite(handles[3], 40, 40), 0);
  EXPECT_RGB_NEAR(Pixel(44, 44), 0x10, 0xE0, 0x20);
  EXPECT_EQ(DrawSprite(handles[19], 60, 40), 0);
}

}  // namespace
