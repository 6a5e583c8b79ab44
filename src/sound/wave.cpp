// RIFF WAVE loading: the chunk walk of the multimedia file functions, over the file's bytes.
//
// The RIFF chunk must be of form WAVE; its first sub-chunk must be "fmt "; the chunks
// after it are skipped until "data". Chunks are padded to an even size. A data chunk that
// claims more than the file holds gives a shortened sound.
#include <algorithm>
#include <climits>
#include <cstring>

#include "sound/decode.h"

namespace sound {
namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr uint32_t kMinFormatBytes = 16;  // the PCM fields up to bits per sample
constexpr uint32_t kFormatRecordBytes = 18;  // with the extra-size field
constexpr uint16_t kFormatPcm = 1;

uint32_t ReadU32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
bool IsId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// The PCM format record as the file gives it.
struct PcmFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// Offset just past a chunk whose header starts at `at`, with the pad byte of odd sizes.
uint64_t ChunkEnd(uint64_t at, uint32_t size) { return at + kChunkHeaderBytes + size + (size & 1u); }

}  // namespace

int DecodeWave(const uint8_t* data, size_t size, DecodedSound* out) {
    if (!data || !out || size < 12) return -1;
    // the RIFF chunk, of form WAVE
    if (!IsId(data, "RIFF") || !IsId(data + 8, "WAVE")) return -1;
    uint64_t at = 12;

    // the first sub-chunk, whatever its id, must be "fmt "
    if (at + kChunkHeaderBytes > size) return -1;
    if (!IsId(data + at, "fmt ")) return -1;
    uint32_t fmtSize = ReadU32(data + at + 4);
    if (fmtSize < kMinFormatBytes) return -1;
    // only the record's fields are read; a longer chunk's surplus is skipped
    uint32_t readBytes = std::min(fmtSize, kFormatRecordBytes);
    if (at + kChunkHeaderBytes + readBytes > size) return -1;
    const uint8_t* f = data + at + kChunkHeaderBytes;
    PcmFormat fmt;
    fmt.formatTag = ReadU16(f);
    fmt.channels = ReadU16(f + 2);
    fmt.samplesPerSec = ReadU32(f + 4);
    fmt.avgBytesPerSec = ReadU32(f + 8);
    fmt.blockAlign = ReadU16(f + 12);
    fmt.bitsPerSample = ReadU16(f + 14);
    if (readBytes >= kFormatRecordBytes) fmt.extraSize = ReadU16(f + 16);
    at = ChunkEnd(at, fmtSize);

    // the chunks up to "data"
    uint32_t dataSize = 0;
    for (;;) {
        if (at + kChunkHeaderBytes > size) return -1;
        uint32_t chunkSize = ReadU32(data + at + 4);
        if (IsId(data + at, "data")) {
            dataSize = chunkSize;
            break;
        }
        at = ChunkEnd(at, chunkSize);
    }
    uint64_t dataStart = at + kChunkHeaderBytes;

    // A buffer can only be made of plain PCM in a format a sound card plays.
    if (fmt.formatTag != kFormatPcm || fmt.channels == 0 || fmt.samplesPerSec == 0 ||
        fmt.samplesPerSec > INT32_MAX) {
        return -1;
    }
    if (fmt.bitsPerSample != 8 && fmt.bitsPerSample != 16 && fmt.bitsPerSample != 24 && fmt.bitsPerSample != 32) {
        return -1;
    }
    uint64_t frameBytes = static_cast<uint64_t>(fmt.channels) * (fmt.bitsPerSample / 8);
    uint64_t length = std::min<uint64_t>(dataSize, size - dataStart);
    length -= length % frameBytes;
    if (length > INT32_MAX) length = INT32_MAX - INT32_MAX % frameBytes;
    if (length == 0) return -1;

    auto pcm = platform::MixerConvertPcm(data + dataStart, static_cast<size_t>(length),
                                         static_cast<int>(fmt.samplesPerSec), fmt.channels, fmt.bitsPerSample);
    if (!pcm) return -1;
    out->sampleRate = static_cast<int32_t>(fmt.samplesPerSec);
    out->channels = fmt.channels;
    out->bitsPerSample = fmt.bitsPerSample;
    out->length = static_cast<int32_t>(length);
    out->pcm = std::move(pcm);
    return 0;
}

}  // namespace sound
