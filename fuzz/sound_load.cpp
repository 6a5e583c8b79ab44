// LoadSound from memory on arbitrary bytes: WAVE chunk walks and Ogg Vorbis streams of any
// shape must give -1 or a sound, never a crash or an allocation the bytes cannot justify.
#include <cstddef>
#include <cstdint>

#include "sound/sound.h"

// The libraries are built without coverage instrumentation; compiling the sound layer and
// the mixer into this program gives libFuzzer the coverage of the code under test (the
// archive's copies of these objects are then never linked in).
#include "../src/platform/mixer.cpp"
#include "../src/sound/ogg.cpp"
#include "../src/sound/sound.cpp"
#include "../src/sound/wave.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int h = sound::LoadSoundFromMemory(data, size);
    if (h >= 0) {
        sound::SoundSlot slot;
        sound::GetSoundInfo(h, &slot);
        sound::SetCurrentSong(h);
        sound::PlaySound(h, (size & 1) != 0);
        sound::SetSongPositionMs(10.0);
        sound::GetSongPositionMs();
        sound::IsSoundPlaying(h);
        sound::StopSound(h);
    }
    sound::SoundReset();
    return 0;
}
