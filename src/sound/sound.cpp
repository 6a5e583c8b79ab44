// The sound table: 1000 slots used as a ring, each holding one mixer buffer over the
// decoded PCM of a file, and the playback operations on them.
#include "sound/sound.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/file_read.h"
#include "platform/mixer.h"
#include "platform/trace.h"
#include "sound/decode.h"

namespace sound {
namespace {

constexpr int kBytesPerSample = 2;  // the position conversions count 16-bit samples

SoundSlot gSlots[kSoundSlots];
int gCursor = 0;
std::atomic<int> gCurrentSong{kNoSound};

// Decoded PCM of files that live slots still hold, so that copies of one file are decoded
// once. An entry lives as long as some slot holds its PCM.
struct DecodedFile {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    int32_t sampleRate, channels, bitsPerSample, length;
    std::weak_ptr<const platform::MixerPcm> pcm;
};
std::vector<DecodedFile> gDecodedFiles;

SoundSlot* SlotOf(int handle) {
    int index = handle - kSoundHandleBase;
    if (index < 0 || index >= kSoundSlots) return nullptr;
    SoundSlot* slot = &gSlots[index];
    return slot->mixerBuffer >= 0 ? slot : nullptr;
}

void FreeSlot(SoundSlot& slot) {
    if (slot.mixerBuffer >= 0) {
        if (platform::MixerGetStatus(slot.mixerBuffer) > 0) {
            platform::MixerStop(slot.mixerBuffer);
            platform::MixerSetPosition(slot.mixerBuffer, 0);
        }
        platform::MixerReleaseBuffer(slot.mixerBuffer);
    }
    slot = SoundSlot{};
}

// Puts decoded PCM into the slot at the cursor and advances the cursor.
int FillCursorSlot(const DecodedSound& decoded) {
    int buffer = platform::MixerCreateBuffer(decoded.pcm);
    if (buffer < 0) return -1;
    int index = gCursor;
    SoundSlot& slot = gSlots[index];
    slot.sampleRate = decoded.sampleRate;
    slot.channels = decoded.channels;
    slot.bitsPerSample = decoded.bitsPerSample;
    slot.length = decoded.length;
    slot.mixerBuffer = buffer;
    gCursor = (gCursor + 1) % kSoundSlots;
    return kSoundHandleBase + index;
}

enum FileKind { kKindNone, kKindWave, kKindOgg };

// The first four bytes as a zero-terminated text: "RIFF" anywhere in it is WAVE, else
// "Ogg" anywhere is Ogg Vorbis.
FileKind SniffKind(const uint8_t* head, size_t n) {
    char text[5] = {0, 0, 0, 0, 0};
    if (head && n > 0) std::memcpy(text, head, n < 4 ? n : 4);
    if (std::strstr(text, "RIFF")) return kKindWave;
    if (std::strstr(text, "Ogg")) return kKindOgg;
    return kKindNone;
}

int Decode(FileKind kind, const uint8_t* data, size_t size, DecodedSound* out) {
    if (kind == kKindWave) return DecodeWave(data, size, out);
    if (kind == kKindOgg) return DecodeOggVorbis(data, size, out);
    return -1;
}

bool SameFile(const DecodedFile& e, const struct stat& st) {
    return e.device == st.st_dev && e.inode == st.st_ino && e.size == st.st_size &&
           e.modified.tv_sec == st.st_mtim.tv_sec && e.modified.tv_nsec == st.st_mtim.tv_nsec;
}

// Reads up to `size` bytes of the file from offset 0.
bool ReadWhole(int fd, off_t size, std::vector<uint8_t>* out) {
    try {
        out->resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t done = 0;
    while (done < out->size()) {
        ssize_t n = pread(fd, out->data() + done, out->size() - done, static_cast<off_t>(done));
        if (n < 0) return false;
        if (n == 0) break;  // the file shrank meanwhile
        done += static_cast<size_t>(n);
    }
    out->resize(done);
    return true;
}

}  // namespace

int LoadSound(const char* path) {
    if (!path || !*path) return -1;
    // Never blocks: a FIFO named like a sound is refused like a missing file.
    int fd = platform::OpenRegularFile(path);
    if (fd < 0) return -1;
    struct stat st;
    // RIFF sizes are 32-bit: a larger file is no sound file the game can play.
    constexpr off_t kSoundFileCap = off_t{0xFFFFFFFF};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kSoundFileCap) {
        close(fd);
        return -1;
    }
    uint8_t head[4] = {0, 0, 0, 0};
    ssize_t headBytes = pread(fd, head, sizeof head, 0);
    if (headBytes < 0) headBytes = 0;

    FreeSlot(gSlots[gCursor]);
    FileKind kind = SniffKind(head, static_cast<size_t>(headBytes));
    if (kind == kKindNone) {
        close(fd);
        return -1;
    }

    // a file that a live slot already holds is not decoded again
    std::erase_if(gDecodedFiles, [](const DecodedFile& e) { return e.pcm.expired(); });
    for (const DecodedFile& e : gDecodedFiles) {
        if (!SameFile(e, st)) continue;
        DecodedSound decoded;
        decoded.pcm = e.pcm.lock();
        if (!decoded.pcm) break;
        decoded.sampleRate = e.sampleRate;
        decoded.channels = e.channels;
        decoded.bitsPerSample = e.bitsPerSample;
        decoded.length = e.length;
        close(fd);
        return FillCursorSlot(decoded);
    }

    std::vector<uint8_t> bytes;
    bool read = ReadWhole(fd, st.st_size, &bytes);
    close(fd);
    DecodedSound decoded;
    if (!read || Decode(kind, bytes.data(), bytes.size(), &decoded) != 0) return -1;
    bytes = std::vector<uint8_t>();  // the file's bytes go before the slot is filled
    int handle = FillCursorSlot(decoded);
    if (handle >= 0) {
        gDecodedFiles.push_back(DecodedFile{st.st_dev, st.st_ino, st.st_size, st.st_mtim, decoded.sampleRate,
                                            decoded.channels, decoded.bitsPerSample, decoded.length, decoded.pcm});
    }
    return handle;
}

int LoadSoundFromMemory(const void* data, size_t size) {
    if (!data && size) return -1;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    FreeSlot(gSlots[gCursor]);
    FileKind kind = SniffKind(bytes, size);
    DecodedSound decoded;
    if (Decode(kind, bytes, size, &decoded) != 0) return -1;
    return FillCursorSlot(decoded);
}

int LoadSoundCopies(const char* path, int copies, int* handles) {
    int loaded = 0;
    for (int i = 0; i < copies; ++i) {
        int h = LoadSound(path);
        if (handles) handles[i] = h;
        if (h >= 0) ++loaded;
    }
    return loaded;
}

int PlaySound(int handle, bool looping, uint32_t /*priority*/) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    int64_t startFrame = 0;
    if (platform::MixerPlay(slot->mixerBuffer, looping, &startFrame) != 0) return -1;
    platform::TraceWrite("sound", "\"handle\":%d,\"sample\":%lld,\"loop\":%d", handle,
                         static_cast<long long>(startFrame), looping ? 1 : 0);
    return 0;
}

int PlaySoundAt(int handle, double ms) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    int64_t startFrame = 0;
    if (platform::MixerPlayAt(slot->mixerBuffer, false, ms, &startFrame) != 0) return -1;
    platform::TraceWrite("sound", "\"handle\":%d,\"sample\":%lld,\"loop\":0", handle,
                         static_cast<long long>(startFrame));
    return 0;
}

int StopSound(int handle) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    platform::MixerStop(slot->mixerBuffer);
    platform::MixerSetPosition(slot->mixerBuffer, 0);
    return 0;
}

int IsSoundPlaying(int handle) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    int status = platform::MixerGetStatus(slot->mixerBuffer);
    if (status < 0) return -1;
    return (status & (platform::kMixerPlaying | platform::kMixerLooping)) ? 1 : 0;
}

int64_t GetSoundPositionBytes(int handle) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    int64_t mixFrame = platform::MixerGetPosition(slot->mixerBuffer);
    if (mixFrame < 0) return -1;
    int64_t frame = slot->sampleRate == platform::kMixerRate ? mixFrame
                                                              : mixFrame * slot->sampleRate / platform::kMixerRate;
    return frame * slot->channels * kBytesPerSample;
}

int SetSoundPositionBytes(int handle, int64_t bytes) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot || bytes < 0) return -1;
    int64_t frame = bytes / (int64_t{slot->channels} * kBytesPerSample);
    int64_t mixFrame = slot->sampleRate == platform::kMixerRate ? frame
                                                                 : frame * platform::kMixerRate / slot->sampleRate;
    return platform::MixerSetPosition(slot->mixerBuffer, mixFrame);
}

int GetSoundByteRate(int handle) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot) return -1;
    return slot->channels * slot->sampleRate * kBytesPerSample;
}

int CountSoundsInUse() {
    int n = 0;
    for (const SoundSlot& s : gSlots) n += s.mixerBuffer >= 0 ? 1 : 0;
    return n;
}

int GetSoundInfo(int handle, SoundSlot* out) {
    SoundSlot* slot = SlotOf(handle);
    if (!slot || !out) return -1;
    *out = *slot;
    return 0;
}

void SetCurrentSong(int handle) { gCurrentSong.store(handle, std::memory_order_release); }
int CurrentSong() { return gCurrentSong.load(std::memory_order_acquire); }

double GetSongPositionMs() {
    int song = CurrentSong();
    int64_t bytes = GetSoundPositionBytes(song);
    int byteRate = GetSoundByteRate(song);
    if (bytes < 0 || byteRate <= 0) return -1.0;
    return static_cast<double>(bytes) * 1000.0 / byteRate;
}

int SetSongPositionMs(double ms) {
    int song = CurrentSong();
    int byteRate = GetSoundByteRate(song);
    if (byteRate <= 0) return -1;
    double bytes = static_cast<double>(byteRate) * ms / 1000.0;
    if (!(bytes >= 0.0) || bytes > 9.0e15) return -1;
    return SetSoundPositionBytes(song, static_cast<int64_t>(bytes));
}

void ReleaseAllSounds() {
    for (SoundSlot& slot : gSlots) FreeSlot(slot);
    gDecodedFiles.clear();
}

int SoundCursor() { return gCursor; }

void SoundReset() {
    ReleaseAllSounds();
    gCursor = 0;
    gCurrentSong.store(kNoSound, std::memory_order_release);
}

}  // namespace sound
