// src/sound/: the sound table, WAV and Ogg Vorbis loading, playback. Includes platform/ and
// sound/ only.
//
// The sound table: every sound of the game, from the song to a single drum hit, is a
// file decoded completely into PCM at load time and kept in one of 1000 slots used as a
// ring. Scenes hold only integer handles (0x10000000 + slot, -1 for none); every
// operation checks the handle and does nothing for an invalid one.
//
// Threads: LoadSound and ReleaseAllSounds run on the resource loader while the other
// threads only wait; the playback functions may be called from any thread. All of them
// work without an audio device (then the mixer follows the time module without output),
// so the play engine and the simulator can run headless.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sound {

constexpr int kSoundSlots = 1000;
constexpr int kSoundHandleBase = 0x10000000;
constexpr int kNoSound = -1;

// One entry of the sound table. length is the size of the PCM data in bytes in the
// file's own format (for Ogg Vorbis: 16-bit, the decoded length).
struct SoundSlot {
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int32_t length = 0;
    int mixerBuffer = -1;  // the mixer buffer playing this slot, -1 when empty
};

// Decodes the file into the slot at the cursor. Returns the handle, or -1.
int LoadSound(const char* path);
// The same from bytes already in memory (the fuzzer, tools).
int LoadSoundFromMemory(const void* data, size_t size);
// Loads `copies` independent sounds of one file, decoding it once; the copies share one
// PCM buffer but each has its own play position. handles[i] receives each handle (or
// -1). Returns the number of copies loaded. LoadSound itself also reuses the decoded PCM
// of a file that another live slot already holds, so plain repeated loads are cheap too.
int LoadSoundCopies(const char* path, int copies, int* handles);

// Starts the sound from its current position; with looping it repeats until stopped.
// priority is accepted for the callers' sake and has no effect. 0, or -1.
int PlaySound(int handle, bool looping = false, uint32_t priority = 0);
// Starts the sound once as if called at the moment ms of the time module, a little in the
// past: a sound due at a known moment lands on that moment's sample (platform::MixerPlayAt).
int PlaySoundAt(int handle, double ms);
// Stops the sound and sets its position back to 0. 0, or -1.
int StopSound(int handle);
// 1 while playing or looping, 0 when stopped, -1 for an invalid handle.
int IsSoundPlaying(int handle);

// Play cursor of any sound in bytes of 16-bit PCM (frame x channels x 2), or -1.
int64_t GetSoundPositionBytes(int handle);
// Seeks any sound to a byte position of 16-bit PCM. 0, or -1.
int SetSoundPositionBytes(int handle, int64_t bytes);
// channels x sample rate x 2 of the sound, or -1: the byte rate the position
// conversions use.
int GetSoundByteRate(int handle);
// Copies the slot's fields (for the play engine and tools). 0, or -1.
int GetSoundInfo(int handle, SoundSlot* out);
// Slots holding a sound: the trace's table use.
int CountSoundsInUse();

// The current song, whose position the two functions below read and set.
void SetCurrentSong(int handle);
int CurrentSong();
// Play position of the current song in ms, -1.0 when the current song is invalid.
double GetSongPositionMs();
// Seeks the current song to ms (truncated to a whole byte position). 0, or -1.
int SetSongPositionMs(double ms);

// Stops and releases every slot; all handles become invalid. The cursor stays.
void ReleaseAllSounds();

// Index of the slot the next load uses (tests).
int SoundCursor();
// Releases everything and puts the cursor back to 0 (tests, start-up).
void SoundReset();

}  // namespace sound
