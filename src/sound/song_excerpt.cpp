// The preview's decoder: a WAVE file is read and converted at once (that is quick); an Ogg
// Vorbis file is decoded from its start point in pieces, handing the first seconds over
// before going on to the end.
#include "sound/song_excerpt.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/file_read.h"
#include "sound/decode.h"

namespace sound {
namespace {

constexpr size_t kExcerptFileCap = size_t{1} << 30;
constexpr int kPieceBytes = 4096;
// An excerpt longer than this (in frames of the file's rate) is cut: ten minutes of music.
constexpr int64_t kMaxExcerptSeconds = 600;

// Linear rise over the first fadeFrames frames of interleaved 16-bit samples.
void FadeIn(int16_t* samples, int64_t frames, int channels, int64_t fadeFrames) {
  int64_t n = std::min(frames, fadeFrames);
  for (int64_t f = 0; f < n; ++f) {
    double gain = static_cast<double>(f) / static_cast<double>(fadeFrames);
    for (int c = 0; c < channels; ++c) {
      int16_t& s = samples[f * channels + c];
      s = static_cast<int16_t>(std::lround(s * gain));
    }
  }
}

int64_t MsToFrames(double ms, int rate) {
  if (!(ms > 0.0)) return 0;
  double f = ms * rate / 1000.0;
  return f > 1e15 ? int64_t{1000000000000000} : static_cast<int64_t>(f);
}

int DecodeWaveExcerpt(const char* path, double startMs, double fadeInMs, const std::atomic<bool>& cancel,
                      const ExcerptDelivery& deliver) {
  std::string bytes;
  if (platform::ReadRegularFile(path, kExcerptFileCap, &bytes) != platform::FileReadStatus::kOk) return -1;
  if (cancel.load(std::memory_order_acquire)) return -1;
  DecodedSound decoded;
  if (DecodeWave(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &decoded) != 0 || !decoded.pcm)
    return -1;
  bytes.clear();
  const platform::MixerPcm& all = *decoded.pcm;
  int64_t start = MsToFrames(startMs, platform::kMixerRate);
  if (start >= all.Frames()) start = 0;
  int64_t frames = std::min(all.Frames() - start, kMaxExcerptSeconds * platform::kMixerRate);
  try {
    auto pcm = std::make_shared<platform::MixerPcm>();
    pcm->samples.assign(all.samples.begin() + start * 2, all.samples.begin() + (start + frames) * 2);
    FadeIn(pcm->samples.data(), frames, 2, MsToFrames(fadeInMs, platform::kMixerRate));
    if (cancel.load(std::memory_order_acquire)) return -1;
    deliver(std::move(pcm), true);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return 0;
}

int DecodeOggExcerpt(std::FILE* file, double startMs, int64_t firstFrames, double fadeInMs,
                     const std::atomic<bool>& cancel, const ExcerptDelivery& deliver) {
  OggVorbis_File vf;
  if (ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
    std::fclose(file);
    return -1;
  }
  int result = -1;
  vorbis_info* info = ov_info(&vf, -1);
  if (OggFormatPlayable(info)) {
    const int channels = info->channels;
    const int rate = static_cast<int>(info->rate);
    const int64_t total = ov_pcm_total(&vf, -1);
    int64_t start = MsToFrames(startMs, rate);
    if (total > 0 && start >= total) start = 0;
    if (start > 0 && ov_pcm_seek(&vf, start) != 0) ov_pcm_seek(&vf, 0);
    const int64_t fadeFrames = MsToFrames(fadeInMs, rate);
    // The first handover, counted in frames of the file's own rate.
    const int64_t firstSourceFrames = std::max<int64_t>(1, firstFrames * rate / platform::kMixerRate);
    const int64_t limitBytes = kMaxExcerptSeconds * rate * channels * 2;
    const int64_t frameBytes = int64_t{channels} * 2;
    try {
      std::vector<uint8_t> raw;
      raw.reserve(static_cast<size_t>(std::min<int64_t>(limitBytes, (firstSourceFrames + rate) * frameBytes)));
      bool firstSent = false;
      bool faded = false;
      uint8_t piece[kPieceBytes];
      while (static_cast<int64_t>(raw.size()) < limitBytes) {
        if (cancel.load(std::memory_order_acquire)) break;
        long got = ReadOggPcm(&vf, piece, kPieceBytes);
        if (got == 0) break;
        raw.insert(raw.end(), piece, piece + got);
        int64_t have = static_cast<int64_t>(raw.size()) / frameBytes;
        if (!faded && have >= fadeFrames) {
          FadeIn(reinterpret_cast<int16_t*>(raw.data()), have, channels, fadeFrames);
          faded = true;
        }
        if (!firstSent && faded && have >= firstSourceFrames) {
          firstSent = true;
          auto first = platform::MixerConvertPcm(raw.data(), static_cast<size_t>(firstSourceFrames * frameBytes),
                                                 rate, channels, 16);
          if (first) deliver(std::move(first), false);
        }
      }
      if (!cancel.load(std::memory_order_acquire)) {
        int64_t have = static_cast<int64_t>(raw.size()) / frameBytes;
        if (!faded) FadeIn(reinterpret_cast<int16_t*>(raw.data()), have, channels, fadeFrames);
        auto whole = platform::MixerConvertPcm(raw.data(), static_cast<size_t>(have * frameBytes), rate, channels, 16);
        if (whole) {
          deliver(std::move(whole), true);
          result = 0;
        }
      }
    } catch (const std::bad_alloc&) {
      result = -1;
    }
  }
  ov_clear(&vf);  // closes the file as well
  return result;
}

}  // namespace

int DecodeSongExcerpt(const char* path, double startMs, int64_t firstFrames, double fadeInMs,
                      const std::atomic<bool>& cancel, const ExcerptDelivery& deliver) {
  if (!path || path[0] == '\0') return -1;
  std::FILE* file = platform::OpenRegularFileStream(path);
  if (!file) return -1;
  char head[5] = {};
  size_t n = std::fread(head, 1, 4, file);
  head[n] = '\0';
  if (std::strstr(head, "RIFF")) {
    std::fclose(file);
    return DecodeWaveExcerpt(path, startMs, fadeInMs, cancel, deliver);
  }
  if (!std::strstr(head, "Ogg") || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return -1;
  }
  return DecodeOggExcerpt(file, startMs, firstFrames, fadeInMs, cancel, deliver);
}

std::shared_ptr<const platform::MixerPcm> FadeOutTail(const platform::MixerPcm& pcm, int64_t from, int64_t frames) {
  if (from < 0 || frames <= 0 || from >= pcm.Frames()) return nullptr;
  int64_t n = std::min(frames, pcm.Frames() - from);
  try {
    auto tail = std::make_shared<platform::MixerPcm>();
    tail->samples.resize(static_cast<size_t>(n) * 2);
    for (int64_t f = 0; f < n; ++f) {
      double gain = 1.0 - static_cast<double>(f + 1) / static_cast<double>(frames);
      for (int c = 0; c < 2; ++c)
        tail->samples[f * 2 + c] = static_cast<int16_t>(std::lround(pcm.samples[(from + f) * 2 + c] * gain));
    }
    return tail;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace sound
