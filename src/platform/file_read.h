// Opening and reading the files the game reads. Every reader goes through here, so that no
// file can hang the game or eat its memory: a FIFO, a device or a folder named where a file
// is expected never blocks (the open is non-blocking and anything but a regular file is
// refused), and a whole-file read stops at a size that fits the kind of file.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

enum class FileReadStatus {
  kOk,
  kMissing,     // no such file, or it can't be opened
  kNotRegular,  // a folder, FIFO, socket or device
  kTooLarge,    // larger than the cap of its kind
  kReadError,
};

// Caps of the whole-file reads.
constexpr size_t kSettingsFileCap = 16u * 1024u * 1024u;  // INI files, key lists, inputs
constexpr size_t kPictureFileCap = 64u * 1024u * 1024u;   // theme pictures

// A read-only descriptor of a regular file (close it with close()), or -1 with the reason in
// *status (when status is given). Never blocks.
int OpenRegularFile(const char* path, FileReadStatus* status = nullptr);
// The same as a stdio stream opened "rb"; nullptr when it can't be had.
std::FILE* OpenRegularFileStream(const char* path, FileReadStatus* status = nullptr);
// A stream opened "wb" on a new or truncated regular file; nullptr (nothing blocks, nothing is
// written) when path names a FIFO, a device or a folder, or can't be created.
std::FILE* CreateRegularFileStream(const char* path);
// Reads the whole regular file into *out (cleared first). kTooLarge, with *out empty, when it
// holds more than cap bytes.
FileReadStatus ReadRegularFile(const char* path, size_t cap, std::string* out);
// True when path exists and is something other than a regular file (such a file is never
// read and never replaced).
bool PathIsNonRegular(const char* path);
// A short English phrase for messages: "not a regular file", "larger than 16 MB", ...
std::string FileReadStatusText(FileReadStatus status, size_t cap = 0);

}  // namespace platform
