// A song's identity: the MD5 of the first 64 KiB of its chart file as 32 upper-case hex
// digits. Records follow a song by its content, whatever its folder is called.
#pragma once
#include <cstddef>

namespace chart {

constexpr int kSongIdentityBlock = 65536;  // bytes of the file that take part in the digest

// Writes the 32 digits and a terminator into out (33 bytes). A file that can't be opened or is
// empty, or a failing hash, gives 32 '0' digits. Returns 0, or -1 in those cases.
int SongIdentity(const char* path, char out[33]);

// MD5 of size bytes as 32 upper-case hex digits and a terminator (the record checksum).
// Returns 0, or -1 (all '0' digits) when the hash fails.
int BufferDigest(const void* data, size_t size, char out[33]);

}  // namespace chart
