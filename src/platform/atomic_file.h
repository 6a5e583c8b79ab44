// Writing a whole file so that a crash, a full disk or a second writer never leaves a damaged
// file where a good one was: the bytes go to a fresh temporary file in the same folder, which
// is then renamed over the old one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// True when path now holds exactly the given bytes. On failure the old file (if any) stands and
// no temporary file is left behind. sync flushes the data to the disk before the rename (for the
// player's records). A new file is readable and writable by its owner and readable by others;
// a replaced file keeps its permissions. Anything but a regular file at path (a FIFO, a device,
// a folder) is left alone and the write fails.
bool WriteFileAtomically(const char* path, const void* data, size_t size, bool sync);

// The temporaries WriteFileAtomically leaves when killed between the write and the rename:
// "<file name>.XXXXXX" with six letters or digits. Removes from folder those regular files
// whose file name passes isOurs and which were last changed more than olderThanSeconds ago
// (a fresh one may belong to a write in progress). Returns how many were removed.
int RemoveStaleTemporaries(const char* folder, int64_t olderThanSeconds,
                           bool (*isOurs)(std::string_view fileName));

}  // namespace platform
