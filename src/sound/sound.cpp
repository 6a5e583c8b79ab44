// Placeholder bodies; the sound table and loaders follow.
#include "sound/sound.h"

#include <atomic>

namespace sound {

static std::atomic<int> gCurrentSong{-1};

int LoadSound(const char*) { return -1; }
int LoadSoundFromMemory(const void*, size_t) { return -1; }
int LoadSoundCopies(const char*, int copies, int* handles) {
    for (int i = 0; handles && i < copies; ++i) handles[i] = -1;
    return 0;
}
int PlaySound(int, bool, uint32_t) { return -1; }
int StopSound(int) { return -1; }
int IsSoundPlaying(int) { return -1; }
int64_t GetSoundPositionBytes(int) { return -1; }
int SetSoundPositionBytes(int, int64_t) { return -1; }
int GetSoundByteRate(int) { return -1; }
int GetSoundInfo(int, SoundSlot*) { return -1; }
void SetCurrentSong(int handle) { gCurrentSong.store(handle, std::memory_order_release); }
int CurrentSong() { return gCurrentSong.load(std::memory_order_acquire); }
double GetSongPositionMs() { return -1.0; }
int SetSongPositionMs(double) { return -1; }
void ReleaseAllSounds() {}
int SoundCursor() { return 0; }
void SoundReset() { gCurrentSong.store(-1); }

}  // namespace sound
