// The texture table: loading, handles, capacity, bad files, release and device recovery.
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "graphics/graphics.h"
#include "graphics_fixture.h"
#include "shell/config.h"

namespace {

using namespace graphics;
using gfxtest::GraphicsTest;

class TextureTableTest : public GraphicsTest {};

TEST_F(TextureTableTest, LoadsTakeSlotsInTurnWithTheFilesOwnSizes) {
  std::string path = gfxtest::WriteSolidPng("size_37x11.png", 37, 11, 0xFFFF0000);
  TextureHandle h = LoadTexture(path.c_str());
  EXPECT_EQ(h, kTextureHandleBase);
  EXPECT_EQ(GetTextureWidth(h), 37);
  EXPECT_EQ(GetTextureHeight(h), 11);
  EXPECT_EQ(LoadTexture(path.c_str()), kTextureHandleBase + 1) << "the same file twice: two slots";
}

struct BadHandle {
  const char* name;
  int handle;
};

class InvalidHandleTest : public GraphicsTest, public testing::WithParamInterface<BadHandle> {};

TEST_P(InvalidHandleTest, DrawsNothingAndReturnsMinusOne) {
  // Fill slot 0 so that only the handle itself is wrong.
  std::string path = gfxtest::WriteSolidPng("valid.png", 8, 8, 0xFFFFFFFF);
  ASSERT_EQ(LoadTexture(path.c_str()), kTextureHandleBase);
  int h = GetParam().handle;
  EXPECT_EQ(GetTextureWidth(h), -1);
  EXPECT_EQ(GetTextureHeight(h), -1);
  EXPECT_EQ(DrawSprite(h, 10, 10), -1);
  EXPECT_EQ(DrawSpriteColor(h, 0xFFFFFFFF, 10, 10), -1);
  EXPECT_EQ(DrawSpriteAdd(h, 0xFFFFFFFF, 10, 10), -1);
  EXPECT_EQ(DrawSpriteDarken(h, 10, 10), -1);
  EXPECT_EQ(DrawSpriteScaled(h, 10, 10, 2, 2), -1);
  EXPECT_EQ(DrawSpriteRotated(h, 10, 10, 30), -1);
  EXPECT_EQ(DrawSpriteRotScaledAdd(h, 0xFFFFFFFF, 10, 10, 2, 1, 30), -1);
  EXPECT_EQ(DrawSpriteCropLeft(h, 10, 1, 10), -1);
  EXPECT_EQ(DrawSpriteStrip(h, 10, 30, 10), -1);
  EXPECT_EQ(DrawSpritePart(h, 10, 10, -1, -1), -1);
  EXPECT_EQ(DrawSpriteCentered(h, 10, 10), -1);
  EXPECT_EQ(DrawSpriteScaledAddCentered(h, 0xFFFFFFFF, 10, 10, 1, 1), -1);
  EXPECT_EQ(DrawSpritePartColorCentered(h, 0xFFFFFFFF, 10, 10, 4, 4), -1);
  EXPECT_EQ(DrawSpriteLaneClipped(h, 300, 10), -1);
  EXPECT_EQ(CountChanged(0, 0, 64, 64, 0xFF000000), 0);
}

INSTANTIATE_TEST_SUITE_P(Handles, InvalidHandleTest,
                         testing::Values(BadHandle{"BelowBase", kTextureHandleBase - 1},
                                         BadHandle{"PastLastSlot", kTextureHandleBase + 10000},
                                         BadHandle{"EmptySlot", kTextureHandleBase + 1},
                                         BadHandle{"LastSlotEmpty", kTextureHandleBase + 9999},
                                         BadHandle{"None", -1}, BadHandle{"Zero", 0},
                                         BadHandle{"FontRange", 0x30000000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadFile {
  const char* name;
  std::string bytes;
};

std::string PngHeader(uint32_t w, uint32_t h) {
  std::string s("\x89PNG\r\n\x1a\n", 8);
  s += std::string("\0\0\0\x0dIHDR", 8);
  for (uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char((v >> shift) & 0xFF));
  s += std::string("\x08\x06\0\0\0", 5);
  s += std::string("\0\0\0\0", 4);  // CRC (wrong, never reached)
  return s;
}

class BadFileTest : public GraphicsTest, public testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, LoadGivesMinusOneAndLeavesTheTableAlone) {
  std::string path = gfxtest::TestDir() + "/bad_" + GetParam().name + ".png";
  gfxtest::WriteBytes(path, GetParam().bytes);
  int cursor = TextureCursor();
  EXPECT_EQ(LoadTexture(path.c_str()), -1);
  EXPECT_EQ(TextureCursor(), cursor);
  EXPECT_FALSE(IsValidTexture(kTextureHandleBase + cursor));
  // The slot is still free for the next good image.
  std::string good = gfxtest::WriteSolidPng("after_bad.png", 2, 2, 0xFFFFFFFF);
  EXPECT_EQ(LoadTexture(good.c_str()), kTextureHandleBase + cursor);
}

std::string TruncatedPng() {
  std::string path = gfxtest::WritePng("to_truncate.png", 64, 64, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4);
  });
  FILE* f = std::fopen(path.c_str(), "rb");
  std::string bytes(4096, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  return bytes.substr(0, bytes.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    testing::Values(BadFile{"Empty", ""}, BadFile{"Text", "this is not an image\n"},
                    BadFile{"Bitmap", std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14)},
                    BadFile{"SignatureOnly", std::string("\x89PNG\r\n\x1a\n", 8)},
                    BadFile{"HugeDimensions", PngHeader(100000, 100000)},
                    BadFile{"HugeWidth", PngHeader(1u << 31, 1)},
                    BadFile{"ZeroSize", PngHeader(0, 16)},
                    BadFile{"HeaderWithoutData", PngHeader(16, 16)},
                    BadFile{"Truncated", TruncatedPng()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextureTableTest, MissingDirectoryAndOverlongPathsGiveMinusOne) {
  EXPECT_EQ(LoadTexture(nullptr), -1);
  EXPECT_EQ(LoadTexture(""), -1);
  EXPECT_EQ(LoadTexture((gfxtest::TestDir() + "/no_such_file.png").c_str()), -1);
  EXPECT_EQ(LoadTexture(gfxtest::TestDir().c_str()), -1);
  std::string longPath(5000, 'a');
  EXPECT_EQ(LoadTexture(longPath.c_str()), -1);
  EXPECT_EQ(TextureCursor(), 0);
}

TEST_F(TextureTableTest, ReleaseInvalidatesHandlesAndTheCursorCarriesOn) {
  std::string path = gfxtest::WriteSolidPng("release.png", 4, 4, 0xFFFFFFFF);
  TextureHandle a = LoadTexture(path.c_str());
  TextureHandle b = LoadTexture(path.c_str());
  ReleaseAllTextures();
  EXPECT_EQ(DrawSprite(a, 0, 0), -1);
  EXPECT_EQ(GetTextureWidth(b), -1);
  EXPECT_EQ(TextureCursor(), 2);
  EXPECT_EQ(LoadTexture(path.c_str()), kTextureHandleBase + 2);
  EXPECT_EQ(ReloadTexture(0), -1) << "a released slot has no path any more";
}

TEST_F(TextureTableTest, FullTableRefusesTheNextImageKeepsEveryOtherAndWraps) {
  std::string tiny = gfxtest::WriteSolidPng("tiny.png", 1, 1, 0xFFFFFFFF);
  std::string marked = gfxtest::WriteSolidPng("marked.png", 5, 3, 0xFFFFFFFF);
  for (int i = 0; i < kTextureSlotCount; ++i) {
    TextureHandle h = LoadTexture(i == 1234 ? marked.c_str() : tiny.c_str());
    ASSERT_EQ(h, kTextureHandleBase + i);
  }
  EXPECT_EQ(TextureCursor(), 0);
  EXPECT_EQ(LoadTexture(tiny.c_str()), -1);
  EXPECT_EQ(GetTextureWidth(kTextureHandleBase + 1234), 5);
  EXPECT_EQ(GetTextureHeight(kTextureHandleBase + 1234), 3);
  EXPECT_EQ(GetTextureWidth(kTextureHandleBase), 1);
  EXPECT_EQ(DrawSprite(kTextureHandleBase + 9999, 0, 0), 0);
  ReleaseAllTextures();
  EXPECT_EQ(LoadTexture(tiny.c_str()), kTextureHandleBase) << "the cursor wrapped to slot 0";
}

TEST_F(TextureTableTest, LoadNumberedImagesUsesTheThemeFolder) {
  std::string theme = gfxtest::TestDir() + "/theme";
  std::filesystem::create_directories(theme + "/Play/Number");
  for (int d = 0; d < 10; ++d)
    if (d != 7)
      gfxtest::WriteSolidPng("theme/Play/Number/combo_" + std::to_string(d) + ".png", 10 + d, 12,
                             0xFFFFFFFF);
  std::snprintf(shell::ThemeDir, sizeof shell::ThemeDir, "%s", theme.c_str());
  TextureHandle digits[10];
  EXPECT_EQ(LoadNumberedImages(10, 0, digits, "Play/Number/combo"), 9);
  for (int d = 0; d < 10; ++d) {
    if (d == 7) {
      EXPECT_EQ(digits[d], -1);
    } else {
      EXPECT_EQ(GetTextureWidth(digits[d]), 10 + d) << d;
    }
  }
  TextureHandle two[2];
  EXPECT_EQ(LoadNumberedImages(2, 8, two, "Play/Number/combo"), 2);
  EXPECT_EQ(GetTextureWidth(two[1]), 19);
  std::string longBase(400, 'x');
  EXPECT_EQ(LoadNumberedImages(2, 0, two, longBase.c_str()), 0);
  EXPECT_EQ(two[0], -1);
}

TEST_F(TextureTableTest, DeviceRecoveryKeepsHandlesAndPictures) {
  std::string path = gfxtest::WriteSolidPng("recover.png", 6, 6, 0xFF3366CC);
  TextureHandle h = LoadTexture(path.c_str());
  FontHandle f = CreateGameFont("ＭＳ ゴシック", 16);
  ASSERT_NE(f, -1);
  ReleaseDeviceTextures();
  EXPECT_EQ(DrawSprite(h, 0, 0), -1) << "nothing to draw while the device is lost";
  EXPECT_EQ(DrawTextLeft(100, 100, 0xFFFFFFFF, f, "lost"), -1);
  RecoverDevice();
  EXPECT_EQ(GetTextureWidth(h), 6);
  EXPECT_EQ(DrawSprite(h, 20, 20), 0);
  EXPECT_RGB_NEAR(Pixel(22, 22), 0x33, 0x66, 0xCC);
  EXPECT_TRUE(IsValidFont(f));
  EXPECT_EQ(DrawTextLeft(100, 100, 0xFFFFFFFF, f, "back"), 0);
  EXPECT_GT(CountChanged(90, 80, 200, 120, 0xFF000000), 0);
}

TEST_F(TextureTableTest, RecoveryOntoANewRenderer) {
  std::string path = gfxtest::WriteSolidPng("new_renderer.png", 6, 6, 0xFFCC3366);
  TextureHandle h = LoadTexture(path.c_str());
  FontHandle f = CreateGameFont("IPAGothic", 16);
  ASSERT_EQ(DrawTextLeft(10, 10, 0xFFFFFFFF, f, "cached"), 0);
  ReleaseDeviceTextures();
  SDL_DestroyRenderer(renderer_);
  renderer_ = SDL_CreateSoftwareRenderer(screen_);
  ASSERT_NE(renderer_, nullptr);
  GraphicsInit(renderer_);
  RecoverDevice();
  Clear(0xFF000000);
  EXPECT_EQ(DrawSprite(h, 30, 30), 0);
  EXPECT_RGB_NEAR(Pixel(32, 32), 0xCC, 0x33, 0x66);
  EXPECT_EQ(DrawTextLeft(100, 100, 0xFFFFFFFF, f, "cached"), 0);
  EXPECT_GT(CountChanged(90, 80, 200, 120, 0xFF000000), 0);
}

TEST_F(TextureTableTest, ReloadTextureRefusesFilledAndEmptySlots) {
  std::string path = gfxtest::WriteSolidPng("reload.png", 3, 3, 0xFFFFFFFF);
  ASSERT_EQ(LoadTexture(path.c_str()), kTextureHandleBase);
  EXPECT_EQ(ReloadTexture(0), -1);
  EXPECT_EQ(ReloadTexture(1), -1);
  EXPECT_EQ(ReloadTexture(-1), -1);
  EXPECT_EQ(ReloadTexture(kTextureSlotCount), -1);
}

// The resource loader decodes images on its own thread while the main thread waits; the
// main thread then draws them.
TEST_F(TextureTableTest, LoaderThreadImagesDrawOnTheMainThread) {
  std::string path = gfxtest::WriteSolidPng("threaded.png", 8, 8, 0xFF10E020);
  TextureHandle handles[20];
  std::thread loader([&] {
    for (TextureHandle& h : handles) h = LoadTexture(path.c_str());
  });
  loader.join();
  for (TextureHandle h : handles) ASSERT_NE(h, -1);
  EXPECT_EQ(GetTextureWidth(handles[19]), 8);
  UploadPendingTextures();
  EXPECT_EQ(DrawSprite(handles[3], 40, 40), 0);
  EXPECT_RGB_NEAR(Pixel(44, 44), 0x10, 0xE0, 0x20);
  EXPECT_EQ(DrawSprite(handles[19], 60, 40), 0) << "uploaded at its first draw as well";
}

}  // namespace

namespace {

// The loader releases every texture when the song select assets load again; the renderer's
// textures it let go are destroyed on the drawing thread, and the pictures of the next load
// draw as usual.
TEST_F(TextureTableTest, LoaderThreadReleaseLeavesRendererWorkToTheDrawingThread) {
  std::string first = gfxtest::WriteSolidPng("before_release.png", 8, 8, 0xFFE02010);
  std::string second = gfxtest::WriteSolidPng("after_release.png", 8, 8, 0xFF1020E0);
  TextureHandle old = LoadTexture(first.c_str());
  ASSERT_NE(old, -1);
  ASSERT_EQ(DrawSprite(old, 10, 10), 0);
  TextureHandle fresh = -1;
  std::thread loader([&] {
    ReleaseAllTextures();
    fresh = LoadTexture(second.c_str());
  });
  loader.join();
  EXPECT_EQ(GetTextureWidth(old), -1) << "released";
  UploadPendingTextures();
  ASSERT_NE(fresh, -1);
  EXPECT_EQ(DrawSprite(fresh, 40, 40), 0);
  EXPECT_RGB_NEAR(Pixel(44, 44), 0x10, 0x20, 0xE0);
}

}  // namespace
