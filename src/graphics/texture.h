// The texture table: every theme image lives in one of 10000 slots and scenes hold only an
// integer handle (0x20000000 + slot). A handle that is out of range or names an empty slot
// is refused by every operation (-1, nothing drawn).
//
// graphics does not own the window: the shell hands it the SDL_Renderer to draw with
// (GraphicsInit) and the drawing goes into whatever target is current on that renderer.
//
// Threads: the resource loader calls LoadTexture / LoadNumberedImages / ReleaseAllTextures
// while the main thread waits; only the main thread draws. Images loaded on another thread
// are decoded there and become renderer textures on the main thread (at the first draw, or
// earlier through UploadPendingTextures), so no renderer call ever leaves the main thread.
#pragma once
#include <cstdint>

struct SDL_Renderer;
struct SDL_Surface;

namespace graphics {

using TextureHandle = int;

constexpr int kTextureSlotCount = 10000;
constexpr int kTextureHandleBase = 0x20000000;
constexpr int kTexturePathSize = 260;

// Sets the renderer every draw uses, and marks the calling thread as the drawing thread.
// Passing nullptr detaches the renderer (draws then return -1).
void GraphicsInit(SDL_Renderer* renderer);
SDL_Renderer* GraphicsRenderer();
// The surface a software renderer draws into (its default target), so that draws SDL's
// blitters are slow at can write its pixels directly. GraphicsInit takes the game window's
// canvas by itself; tests and tools that make their own software renderer over a surface pass
// it here. nullptr turns direct drawing off.
void GraphicsSetCanvas(SDL_Surface* canvas);
// Releases every texture and font and forgets the renderer (shutdown and tests).
void GraphicsShutdown();
// Empties the texture table and resets the cursor to 0 (start-up and tests).
void ResetTextureTable();

// Loads a PNG into the next free slot. -1 when the file is missing, not a PNG, broken,
// claims absurd dimensions, or when every slot is taken (no texture is ever overwritten).
TextureHandle LoadTexture(const char* path);
// Re-creates a slot's texture from its kept path. -1 if the path is empty, the slot already
// has a texture, or the image cannot be loaded.
int ReloadTexture(int slot);
// Frees every slot, empties its path; the cursor is kept.
void ReleaseAllTextures();
int GetTextureWidth(TextureHandle handle);
int GetTextureHeight(TextureHandle handle);
// Loads "<baseName>_<firstNumber + i>.png" (baseName a full path without the number) for i = 0 .. count-1 into
// handles[i] (-1 for a missing one). Returns how many loaded.
int LoadNumberedImages(int count, int firstNumber, TextureHandle* handles, const char* baseName);

// Device loss: ReleaseDeviceTextures frees every renderer texture and font but keeps paths,
// font faces and heights (handles are refused meanwhile); RecoverDevice reloads every slot
// from its path and re-opens every font, in place, so handles stay valid. When the renderer
// itself is replaced: ReleaseDeviceTextures, destroy the old renderer, GraphicsInit(new),
// RecoverDevice. Likewise GraphicsShutdown comes before SDL_DestroyRenderer.
void ReleaseDeviceTextures();
void RecoverDevice();
// Creates the renderer textures of images decoded on the loader thread. Main thread only;
// draws do it on demand too.
void UploadPendingTextures();

// For tests: the slot the next load starts searching at.
int TextureCursor();
// Slots holding an image (loaded, waiting for upload or kept for a reload): the trace's table use.
int CountTexturesInUse();
// True when the handle names a slot holding an image.
bool IsValidTexture(TextureHandle handle);

}  // namespace graphics
