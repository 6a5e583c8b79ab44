// The texture table. A slot holds an image either as a renderer texture (made on the drawing
// thread) or, when it was loaded on the loader thread, as decoded pixels waiting to become a
// texture at the next draw. Either way the slot counts as filled and its handle is valid.
#include "graphics/texture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "graphics/texture_slot.h"
#include "graphics/text.h"
#include "platform/file_read.h"
#include "platform/video.h"

namespace graphics {

TextureSlot g_textures[kTextureSlotCount];

namespace {

int g_cursor = 0;
SDL_Renderer* g_renderer = nullptr;
std::thread::id g_drawThread;
int g_maxTextureWidth = 0;  // 0: no limit reported
int g_maxTextureHeight = 0;
bool g_softwareRenderer = false;
SDL_Surface* g_canvas = nullptr;

// A theme image is at most a few screens large; a header claiming more is broken or hostile,
// and is refused before a single pixel is decoded.
constexpr uint32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImagePixels = 16ull * 1024 * 1024;

uint32_t ReadBigEndian32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Deflate's best case codes a run of 258 bytes in two bits: no PNG's pixel data shrinks by more
// than this factor.
constexpr uint64_t kDeflateBestRatio = 1032;

// Checks the PNG signature and the IHDR chunk of a file's bytes. 0 with the size, or -1. A
// header whose size the file's bytes could not hold even at deflate's best is refused here,
// before a pixel buffer of that size is made for a decode that must fail.
int ReadPngSize(const std::string& bytes, int* width, int* height) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 29) return -1;
  const unsigned char* header = reinterpret_cast<const unsigned char*>(bytes.data());
  if (std::memcmp(header, kSignature, 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0 ||
      ReadBigEndian32(header + 8) != 13)
    return -1;
  uint32_t w = ReadBigEndian32(header + 16);
  uint32_t h = ReadBigEndian32(header + 20);
  if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide ||
      uint64_t(w) * h > kMaxImagePixels)
    return -1;
  const unsigned depth = header[24];
  const unsigned colourType = header[25];
  unsigned channels = 0;
  switch (colourType) {
    case 0: channels = 1; break;  // grey
    case 2: channels = 3; break;  // RGB
    case 3: channels = 1; break;  // palette
    case 4: channels = 2; break;  // grey and alpha
    case 6: channels = 4; break;  // RGBA
    default: return -1;
  }
  if (depth == 0 || depth > 16) return -1;
  const uint64_t rowBytes = 1 + (uint64_t(w) * channels * depth + 7) / 8;  // filter byte first
  const uint64_t leastData = rowBytes * h / kDeflateBestRatio;
  if (uint64_t(bytes.size()) < leastData) return -1;
  *width = int(w);
  *height = int(h);
  return 0;
}

bool OnDrawThread() { return g_renderer && std::this_thread::get_id() == g_drawThread; }

std::mutex g_deferredMutex;
std::vector<SDL_Texture*> g_deferredTextures;

void FreeSlotObjects(TextureSlot& s) {
  DestroyTextureOnDrawThread(s.texture);
  DestroyTextureOnDrawThread(s.inverted);
  if (s.pixels) SDL_FreeSurface(s.pixels);
  if (s.addSource) SDL_FreeSurface(s.addSource);
  s.addSource = nullptr;
  s.addSourceFailed = false;
  s.texture = nullptr;
  s.inverted = nullptr;
  s.pixels = nullptr;
  s.uploadFailed = false;
  s.invertFailed = false;
  s.opaque = false;
  s.linear = false;
  s.width = 0;
  s.height = 0;
}

void ClearSlot(TextureSlot& s) {
  FreeSlotObjects(s);
  s.path[0] = '\0';
}

}  // namespace

void DestroyTextureOnDrawThread(SDL_Texture* texture) {
  if (!texture) return;
  if (std::this_thread::get_id() == g_drawThread) {
    SDL_DestroyTexture(texture);
    return;
  }
  std::lock_guard<std::mutex> lock(g_deferredMutex);
  g_deferredTextures.push_back(texture);
}

void DestroyDeferredTextures() {
  std::vector<SDL_Texture*> doomed;
  {
    std::lock_guard<std::mutex> lock(g_deferredMutex);
    doomed.swap(g_deferredTextures);
  }
  for (SDL_Texture* t : doomed) SDL_DestroyTexture(t);
}

SDL_Surface* DecodePngFile(const char* path, int* width, int* height, bool* opaque) {
  int w = 0, h = 0;
  std::string bytes;
  if (platform::ReadRegularFile(path, platform::kPictureFileCap, &bytes) != platform::FileReadStatus::kOk)
    return nullptr;
  if (ReadPngSize(bytes, &w, &h) != 0) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return nullptr;
  SDL_Surface* decoded = IMG_LoadTyped_RW(rw, 1, "PNG");
  if (!decoded) return nullptr;
  if (decoded->w != w || decoded->h != h) {
    SDL_FreeSurface(decoded);
    return nullptr;
  }
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(decoded);
  if (!argb) return nullptr;
  if (opaque) {
    bool all = true;
    for (int y = 0; y < h && all; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(
          static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
      for (int x = 0; x < w; ++x)
        if ((row[x] >> 24) != 0xFF) {
          all = false;
          break;
        }
    }
    *opaque = all;
  }
  *width = w;
  *height = h;
  return argb;
}

SDL_Texture* CreateTextureFromPixels(SDL_Surface* pixels) {
  if (!g_renderer || !pixels) return nullptr;
  if ((g_maxTextureWidth > 0 && pixels->w > g_maxTextureWidth) ||
      (g_maxTextureHeight > 0 && pixels->h > g_maxTextureHeight))
    return nullptr;
  SDL_Texture* t = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STATIC, pixels->w, pixels->h);
  if (!t) return nullptr;
  if (SDL_UpdateTexture(t, nullptr, pixels->pixels, pixels->pitch) != 0) {
    SDL_DestroyTexture(t);
    return nullptr;
  }
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  // Scaled and turned images are filtered, as the sprites always were; the software
  // renderer samples the nearest pixel, which costs it far less.
  SDL_SetTextureScaleMode(t, g_softwareRenderer ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  return t;
}

// Makes the renderer texture of a slot whose pixels came from the loader thread.
SDL_Texture* SlotTexture(TextureSlot& s) {
  if (s.texture) return s.texture;
  if (!s.pixels || s.uploadFailed || !OnDrawThread()) return nullptr;
  s.texture = CreateTextureFromPixels(s.pixels);
  s.linear = !g_softwareRenderer;
  if (!s.texture) {
    s.uploadFailed = true;
    return nullptr;
  }
  // Drawing straight into the canvas needs the pixels of images with transparency: keep them
  // rather than decode the file again at the first draw.
  if (g_canvas && !s.opaque && !s.addSource)
    s.addSource = s.pixels;
  else
    SDL_FreeSurface(s.pixels);
  s.pixels = nullptr;
  return s.texture;
}

TextureSlot* FindTextureSlot(TextureHandle handle) {
  int64_t index = int64_t(handle) - kTextureHandleBase;
  if (index < 0 || index >= kTextureSlotCount) return nullptr;
  TextureSlot& s = g_textures[index];
  if (!s.texture && !s.pixels) return nullptr;
  return &s;
}

SDL_Renderer* GraphicsRenderer() { return g_renderer; }
bool GraphicsOnDrawThread() { return OnDrawThread(); }
bool GraphicsIsSoftware() { return g_softwareRenderer; }

void GraphicsSetCanvas(SDL_Surface* canvas) {
  g_canvas = canvas && canvas->format->BytesPerPixel == 4 &&
                     canvas->format->Rmask == 0x00FF0000u && canvas->format->Gmask == 0x0000FF00u &&
                     canvas->format->Bmask == 0x000000FFu && !SDL_MUSTLOCK(canvas)
                 ? canvas
                 : nullptr;
}

SDL_Surface* DirectCanvas() {
  if (!g_canvas || !g_renderer || !g_softwareRenderer || !OnDrawThread()) return nullptr;
  if (SDL_GetRenderTarget(g_renderer) != nullptr || SDL_RenderIsClipEnabled(g_renderer))
    return nullptr;
  float scaleX = 0, scaleY = 0;
  SDL_RenderGetScale(g_renderer, &scaleX, &scaleY);
  if (scaleX != 1.0f || scaleY != 1.0f) return nullptr;
  SDL_Rect view;
  SDL_RenderGetViewport(g_renderer, &view);
  if (view.x != 0 || view.y != 0 || view.w != g_canvas->w || view.h != g_canvas->h) return nullptr;
  SDL_RenderFlush(g_renderer);
  return g_canvas;
}

void GraphicsInit(SDL_Renderer* renderer) {
  g_renderer = renderer;
  g_drawThread = std::this_thread::get_id();
  g_maxTextureWidth = 0;
  g_maxTextureHeight = 0;
  g_softwareRenderer = false;
  GraphicsSetCanvas(renderer && renderer == platform::VideoRenderer() ? platform::VideoCanvas()
                                                                      : nullptr);
  if (renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
      g_maxTextureWidth = info.max_texture_width;
      g_maxTextureHeight = info.max_texture_height;
      g_softwareRenderer = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    }
  }
  IMG_Init(IMG_INIT_PNG);
}

void GraphicsShutdown() {
  for (TextureSlot& s : g_textures) ClearSlot(s);
  ReleaseAllFonts();
  DropTextCache();
  DestroyDeferredTextures();
  g_renderer = nullptr;
  g_canvas = nullptr;
}

void ResetTextureTable() {
  for (TextureSlot& s : g_textures) ClearSlot(s);
  g_cursor = 0;
}

// Decodes the image of a slot's path; on the drawing thread it becomes a texture at once.
static int FillSlot(TextureSlot& s) {
  int w = 0, h = 0;
  bool opaque = false;
  SDL_Surface* pixels = DecodePngFile(s.path, &w, &h, &opaque);
  if (!pixels) return -1;
  s.pixels = pixels;
  s.opaque = opaque;
  s.width = w;
  s.height = h;
  if (OnDrawThread() && !SlotTexture(s)) {
    FreeSlotObjects(s);
    return -1;
  }
  return 0;
}

TextureHandle LoadTexture(const char* path) {
  if (!path) return -1;
  size_t length = std::strlen(path);
  // The path is kept to re-create the texture after a device reset; one that does not fit
  // the slot would later reload a different file, so it is refused.
  if (length == 0 || length >= size_t(kTexturePathSize)) return -1;

  int tries = 0;
  while (tries < kTextureSlotCount &&
         (g_textures[g_cursor].texture || g_textures[g_cursor].pixels)) {
    g_cursor = (g_cursor + 1) % kTextureSlotCount;
    ++tries;
  }
  if (tries == kTextureSlotCount) return -1;  // every slot is taken; none is overwritten

  TextureSlot& s = g_textures[g_cursor];
  ClearSlot(s);
  std::memcpy(s.path, path, length + 1);
  if (FillSlot(s) != 0) {
    ClearSlot(s);
    return -1;
  }
  int slot = g_cursor;
  g_cursor = (g_cursor + 1) % kTextureSlotCount;
  return kTextureHandleBase + slot;
}

int ReloadTexture(int slot) {
  if (slot < 0 || slot >= kTextureSlotCount) return -1;
  TextureSlot& s = g_textures[slot];
  if (s.path[0] == '\0' || s.texture || s.pixels) return -1;
  FreeSlotObjects(s);
  return FillSlot(s);
}

void ReleaseAllTextures() {
  for (TextureSlot& s : g_textures) ClearSlot(s);
}

int GetTextureWidth(TextureHandle handle) {
  TextureSlot* s = FindTextureSlot(handle);
  return s ? s->width : -1;
}

int GetTextureHeight(TextureHandle handle) {
  TextureSlot* s = FindTextureSlot(handle);
  return s ? s->height : -1;
}

int LoadNumberedImages(int count, int firstNumber, TextureHandle* handles, const char* baseName) {
  if (!handles || !baseName || count <= 0) return 0;
  int loaded = 0;
  for (int i = 0; i < count; ++i) {
    char path[kTexturePathSize + 1];
    int n = std::snprintf(path, sizeof path, "%s_%d.png", baseName, firstNumber + i);
    handles[i] = (n > 0 && n < kTexturePathSize) ? LoadTexture(path) : -1;
    if (handles[i] != -1) ++loaded;
  }
  return loaded;
}

void ReleaseDeviceTextures() {
  for (TextureSlot& s : g_textures) FreeSlotObjects(s);
  ReleaseDeviceFonts();
}

void RecoverDevice() {
  ReleaseDeviceTextures();
  for (int i = 0; i < kTextureSlotCount; ++i) ReloadTexture(i);
  RecoverFonts();
}

void UploadPendingTextures() {
  if (!OnDrawThread()) return;
  DestroyDeferredTextures();
  for (TextureSlot& s : g_textures)
    if (s.pixels && !s.texture) SlotTexture(s);
}

int TextureCursor() { return g_cursor; }

int CountTexturesInUse() {
  int n = 0;
  for (const TextureSlot& s : g_textures) n += (s.path[0] != '\0' || s.texture || s.pixels) ? 1 : 0;
  return n;
}

bool IsValidTexture(TextureHandle handle) { return FindTextureSlot(handle) != nullptr; }

}  // namespace graphics
