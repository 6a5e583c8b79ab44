// Writing a whole file so that a crash, a full disk or a second writer never leaves a damaged
// file where a good one was: the bytes go to a fresh temporary file in the same folder, which
// is then renamed over the old one.
#pragma once
#include <cstddef>

namespace platform {

// True when path now holds exactly the given bytes. On failure the old file (if any) stands and
// no temporary file is left behind. sync flushes the data to the disk before the rename (for the
// player's records). A new file is readable and writable by its owner and readable by others;
// a replaced file keeps its permissions.
bool WriteFileAtomically(const char* path, const void* data, size_t size, bool sync);

}  // namespace platform
