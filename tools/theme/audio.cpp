#include "audio.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace themegen {

void Normalize(Audio& a, float peak) {
  float m = 0;
  for (float v : a.s) m = std::max(m, std::fabs(v));
  if (m <= 0) return;
  float k = peak / m;
  for (float& v : a.s) v *= k;
}

void SoftClip(Audio& a, float drive) {
  float norm = std::tanh(drive);
  for (float& v : a.s) v = std::tanh(v * drive) / norm;
}

void FadeEdges(Audio& a, double inMs, double outMs) {
  size_t n = a.frames();
  size_t fi = std::min(n, size_t(inMs * kRate / 1000)), fo = std::min(n, size_t(outMs * kRate / 1000));
  for (size_t i = 0; i < fi; ++i)
    for (int c = 0; c < a.channels; ++c) a.s[i * a.channels + c] *= float(i) / fi;
  for (size_t i = 0; i < fo; ++i)
    for (int c = 0; c < a.channels; ++c) a.s[(n - 1 - i) * a.channels + c] *= float(i) / fo;
}

static void Put16(std::FILE* f, uint16_t v) {
  uint8_t b[2] = {uint8_t(v & 255), uint8_t(v >> 8)};
  std::fwrite(b, 1, 2, f);
}
static void Put32(std::FILE* f, uint32_t v) {
  uint8_t b[4] = {uint8_t(v & 255), uint8_t((v >> 8) & 255), uint8_t((v >> 16) & 255), uint8_t(v >> 24)};
  std::fwrite(b, 1, 4, f);
}

int WriteWav(const std::string& path, const Audio& a) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  uint32_t dataBytes = uint32_t(a.s.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);  // PCM
  Put16(f, uint16_t(a.channels));
  Put32(f, kRate);
  Put32(f, uint32_t(kRate * a.channels * 2));
  Put16(f, uint16_t(a.channels * 2));
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, dataBytes);
  std::vector<uint8_t> buf(a.s.size() * 2);
  for (size_t i = 0; i < a.s.size(); ++i) {
    int v = int(std::lround(std::clamp(a.s[i], -1.0f, 1.0f) * 32767.0f));
    buf[i * 2] = uint8_t(v & 255);
    buf[i * 2 + 1] = uint8_t((v >> 8) & 255);
  }
  std::fwrite(buf.data(), 1, buf.size(), f);
  bool ok = std::ferror(f) == 0;
  if (std::fclose(f) != 0) ok = false;
  return ok ? 0 : -1;
}

int WriteOgg(const std::string& path, const Audio& a, float quality) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, a.channels, kRate, quality) != 0) {
    vorbis_info_clear(&vi);
    std::fclose(f);
    return -1;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "kodoban-themegen");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x4B4F444F);  // fixed serial: deterministic output
  ogg_packet hdr, hdrComm, hdrCode;
  vorbis_analysis_headerout(&vd, &vc, &hdr, &hdrComm, &hdrCode);
  ogg_stream_packetin(&os, &hdr);
  ogg_stream_packetin(&os, &hdrComm);
  ogg_stream_packetin(&os, &hdrCode);
  ogg_page og;
  bool ok = true;
  while (ogg_stream_flush(&os, &og) != 0) {
    ok &= std::fwrite(og.header, 1, og.header_len, f) == size_t(og.header_len);
    ok &= std::fwrite(og.body, 1, og.body_len, f) == size_t(og.body_len);
  }
  const size_t chunk = 4096;
  size_t frames = a.frames(), pos = 0;
  bool eos = false;
  while (!eos) {
    size_t n = std::min(chunk, frames - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buf = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < a.channels; ++c) buf[c][i] = a.s[(pos + i) * a.channels + c];
      vorbis_analysis_wrote(&vd, int(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (!eos && ogg_stream_pageout(&os, &og) != 0) {
          ok &= std::fwrite(og.header, 1, og.header_len, f) == size_t(og.header_len);
          ok &= std::fwrite(og.body, 1, og.body_len, f) == size_t(og.body_len);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      // Flush whatever the stream still holds.
      while (ogg_stream_flush(&os, &og) != 0) {
        ok &= std::fwrite(og.header, 1, og.header_len, f) == size_t(og.header_len);
        ok &= std::fwrite(og.body, 1, og.body_len, f) == size_t(og.body_len);
      }
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  if (std::fclose(f) != 0) ok = false;
  return ok ? 0 : -1;
}

}  // namespace themegen
