// Inside the graphics layer: the texture table's slots and the helpers the drawing code uses.
#pragma once
#include "graphics/texture.h"

struct SDL_Surface;
struct SDL_Texture;

namespace graphics {

struct TextureSlot {
  SDL_Texture* texture;   // the image on the renderer; made on the drawing thread
  SDL_Texture* inverted;  // 255 - colour, for darken draws; made on first use
  SDL_Surface* pixels;    // decoded on the loader thread, waiting to become `texture`
  SDL_Surface* addSource; // the image's pixels for draws straight into the canvas
  bool uploadFailed;      // the renderer refused the image; draws give -1
  bool invertFailed;
  bool addSourceFailed;
  bool linear;            // the texture's current scale mode is filtering
  bool opaque;            // every pixel has alpha 255: plain draws can skip blending
  int width;              // the image file's own size
  int height;
  char path[kTexturePathSize];  // kept to re-create the texture after a device reset
};

extern TextureSlot g_textures[kTextureSlotCount];

// The slot of a valid handle, or nullptr.
TextureSlot* FindTextureSlot(TextureHandle handle);
// The slot's renderer texture, created now if its pixels are waiting; nullptr if there is
// none (not on the drawing thread, or the renderer refused it).
SDL_Texture* SlotTexture(TextureSlot& slot);
// A PNG decoded to ARGB8888, after its header passed the size checks; nullptr otherwise.
SDL_Surface* DecodePngFile(const char* path, int* width, int* height, bool* opaque = nullptr);
SDL_Texture* CreateTextureFromPixels(SDL_Surface* pixels);
bool GraphicsOnDrawThread();
// Destroys a renderer texture. Renderer objects belong to the drawing thread: a texture let go
// on another thread (the resource loader releasing everything) waits until the drawing thread
// next uploads or shuts down.
void DestroyTextureOnDrawThread(SDL_Texture* texture);
void DestroyDeferredTextures();
// True when the renderer is SDL's software renderer.
bool GraphicsIsSoftware();
// The ARGB8888 canvas the renderer draws into when its own target is current and nothing
// (clip, viewport, scale) stands between a draw and its pixels; nullptr otherwise. Pending
// renderer work is flushed first, so pixels written now land in drawing order.
SDL_Surface* DirectCanvas();

}  // namespace graphics
