#include "common/ogg_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace sound {

namespace {

// Frames handed to the encoder at a time. The generated demo songs are byte-compared across
// builds, so this stays as it is.
constexpr size_t kEncodeBlockFrames = 4096;

OggFill InterleavedFill(const float* interleaved, int channels) {
  return [interleaved, channels](float** planar, size_t count, size_t first) {
    for (size_t i = 0; i < count; ++i)
      for (int c = 0; c < channels; ++c) planar[c][i] = interleaved[(first + i) * channels + c];
  };
}

}  // namespace

int EncodeOggVorbisStream(const OggEncodeSettings& settings, size_t frames, const OggFill& fill,
                          const OggSink& sink) {
  if (settings.channels < 1 || settings.rate < 1 || !fill || !sink) return -1;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, settings.channels, settings.rate, settings.quality) != 0) {
    vorbis_info_clear(&vi);
    return -1;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  if (settings.encoderTag) vorbis_comment_add_tag(&vc, "ENCODER", settings.encoderTag);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, settings.serial);

  bool ok = true;
  auto putPage = [&](const ogg_page& p) {
    if (!ok) return;
    ok = sink(p.header, static_cast<size_t>(p.header_len)) &&
         sink(p.body, static_cast<size_t>(p.body_len));
  };
  ogg_packet header, comments, codebook;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebook);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebook);
  ogg_page og;
  while (ogg_stream_flush(&os, &og) != 0) putPage(og);

  // An empty write marks the end of the stream; the last page then carries the end flag.
  bool eos = false;
  for (size_t at = 0; ok && !eos;) {
    size_t n = at < frames ? std::min(kEncodeBlockFrames, frames - at) : 0;
    if (n) {
      fill(vorbis_analysis_buffer(&vd, static_cast<int>(n)), n, at);
      at += n;
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    while (ok && vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (ok && vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ok && !eos && ogg_stream_pageout(&os, &og) != 0) {
          putPage(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n == 0) {
      if (!eos)
        while (ogg_stream_flush(&os, &og) != 0) putPage(og);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return ok ? 0 : -1;
}

int EncodeOggVorbis(const float* interleaved, size_t frames, int channels, int rate, float quality,
                    int serial, std::vector<uint8_t>* out) {
  if (!out || (frames && !interleaved)) return -1;
  out->clear();
  OggEncodeSettings settings;
  settings.channels = channels;
  settings.rate = rate;
  settings.quality = quality;
  settings.serial = serial;
  return EncodeOggVorbisStream(settings, frames, InterleavedFill(interleaved, channels),
                               [out](const uint8_t* data, size_t size) {
                                 out->insert(out->end(), data, data + size);
                                 return true;
                               });
}

int WriteOggVorbisFile(const std::string& path, const OggEncodeSettings& settings, size_t frames,
                       const OggFill& fill) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  int rc = EncodeOggVorbisStream(settings, frames, fill, [f](const uint8_t* data, size_t size) {
    return std::fwrite(data, 1, size, f) == size;
  });
  if (std::fclose(f) != 0) rc = -1;
  return rc;
}

int WriteOggVorbisFile(const std::string& path, const OggEncodeSettings& settings,
                       const float* interleaved, size_t frames) {
  if (frames && !interleaved) return -1;
  return WriteOggVorbisFile(path, settings, frames,
                            InterleavedFill(interleaved, settings.channels));
}

}  // namespace sound
