#include "chart/song_identity.h"

#include <openssl/evp.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_read.h"

namespace chart {

namespace {

void WriteZeroDigits(char out[33]) {
  std::memset(out, '0', 32);
  out[32] = '\0';
}

void WriteHexDigits(const unsigned char digest[16], char out[33]) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < 16; ++i) {
    out[i * 2] = kHex[digest[i] >> 4];
    out[i * 2 + 1] = kHex[digest[i] & 15];
  }
  out[32] = '\0';
}

}  // namespace

int BufferDigest(const void* data, size_t size, char out[33]) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  bool ok = ctx != nullptr && EVP_DigestInit_ex(ctx, EVP_md5(), nullptr) == 1 &&
            EVP_DigestUpdate(ctx, data, size) == 1 &&
            EVP_DigestFinal_ex(ctx, digest, &length) == 1 && length == 16;
  EVP_MD_CTX_free(ctx);
  if (!ok) {
    WriteZeroDigits(out);
    return -1;
  }
  WriteHexDigits(digest, out);
  return 0;
}

int SongIdentity(const char* path, char out[33]) {
  WriteZeroDigits(out);
  if (path == nullptr) return -1;
  FILE* f = platform::OpenRegularFileStream(path);
  if (f == nullptr) return -1;
  std::vector<unsigned char> block(kSongIdentityBlock);
  size_t got = std::fread(block.data(), 1, block.size(), f);
  std::fclose(f);
  if (got == 0) return -1;
  return BufferDigest(block.data(), got, out);
}

}  // namespace chart
