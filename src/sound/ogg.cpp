// Ogg Vorbis loading with vorbisfile: the whole stream is decoded at load time into a
// zero-filled buffer of the length the stream claims, so that anything the decoder does
// not deliver stays silent.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "sound/decode.h"

namespace sound {
namespace {

constexpr int kDecodeRequestBytes = 4096;
constexpr int kMaxDecodeErrorsInRow = 64;
constexpr int kMinRate = 100;
constexpr int kMaxRate = 200000;

// vorbisfile reads the file's bytes from memory.
struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t at;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
    auto* m = static_cast<MemoryFile*>(source);
    if (size == 0) return 0;
    size_t want = size * count;
    size_t left = m->size - m->at;
    size_t n = std::min(want, left) / size * size;
    std::memcpy(ptr, m->data + m->at, n);
    m->at += n;
    return n / size;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemoryFile*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->at)
                                                                     : static_cast<ogg_int64_t>(m->size);
    ogg_int64_t to = base + offset;
    if (to < 0 || to > static_cast<ogg_int64_t>(m->size)) return -1;
    m->at = static_cast<size_t>(to);
    return 0;
}

long MemTell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->at); }

// Fills one region of n bytes: zeroes first, then requests of at most 4 096 bytes at the
// region start plus what was delivered, until the stream ends or the region is full; the write
// position never moves backwards.
void DecodeRegion(OggVorbis_File* vf, uint8_t* region, int64_t n) {
    std::memset(region, 0, static_cast<size_t>(n));
    int64_t filled = 0;
    while (filled < n) {
        long got = ReadOggPcm(vf, region + filled, static_cast<int>(std::min<int64_t>(kDecodeRequestBytes, n - filled)));
        if (got == 0) break;
        filled += got;
    }
}

}  // namespace

bool OggFormatPlayable(const vorbis_info* info) {
    return info && info->channels >= 1 && info->rate >= kMinRate && info->rate <= kMaxRate;
}

long ReadOggPcm(OggVorbis_File* vf, uint8_t* to, int bytes) {
    int bitstream = 0;
    for (int errorsInRow = 0; errorsInRow < kMaxDecodeErrorsInRow;) {
        long got = ov_read(vf, reinterpret_cast<char*>(to), bytes, 0, 2, 1, &bitstream);
        if (got >= 0) return std::min<long>(got, bytes);
        ++errorsInRow;
    }
    return 0;
}

int DecodeOggVorbis(const uint8_t* data, size_t size, DecodedSound* out) {
    if (!data || !out || size == 0) return -1;
    MemoryFile file{data, size, 0};
    ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) != 0) return -1;

    int result = -1;
    vorbis_info* info = ov_info(&vf, -1);
    if (OggFormatPlayable(info)) {
        const int channels = info->channels;
        const int rate = static_cast<int>(info->rate);
        const int64_t blockAlign = int64_t{channels} * 16 / 8;
        const int64_t avgBytesPerSec = blockAlign * rate;
        double seconds = ov_time_total(&vf, -1);
        double claimed = seconds * static_cast<double>(avgBytesPerSec);
        if (std::isfinite(claimed) && claimed >= 1.0) {
            // never more than a 32-bit length, nor more than the file's size can hold
            // (counted in frames of the mixer's rate, which a low rate multiplies)
            double maxFrames = static_cast<double>(size) * kMaxOggFramesPerFileByte *
                               std::min(1.0, static_cast<double>(rate) / platform::kMixerRate);
            double limit = std::min<double>(INT32_MAX, maxFrames * static_cast<double>(blockAlign));
            int64_t length = static_cast<int64_t>(std::min(claimed, limit));
            length -= length % blockAlign;
            if (length > 0) {
                try {
                    if (channels == 2 && rate == platform::kMixerRate) {
                        // already the mixer's format: decode straight into its PCM
                        auto pcm = std::make_shared<platform::MixerPcm>();
                        pcm->samples.resize(static_cast<size_t>(length / 2));
                        DecodeRegion(&vf, reinterpret_cast<uint8_t*>(pcm->samples.data()), length);
                        out->pcm = std::move(pcm);
                    } else {
                        std::vector<uint8_t> raw(static_cast<size_t>(length));
                        DecodeRegion(&vf, raw.data(), length);
                        out->pcm = platform::MixerConvertPcm(raw.data(), raw.size(), rate, channels, 16);
                    }
                } catch (const std::bad_alloc&) {
                    out->pcm = nullptr;
                }
                if (out->pcm) {
                    out->sampleRate = rate;
                    out->channels = channels;
                    out->bitsPerSample = 16;
                    out->length = static_cast<int32_t>(length);
                    result = 0;
                }
            }
        }
    }
    ov_clear(&vf);
    return result;
}

}  // namespace sound
