// Line reading for the theme's text files (dancer.ini, chibi.ini, dancer_bg.ini): a line ends
// at LF, a CR before the LF belongs to the line break, and a line longer than the caller's
// buffer is cut there (the rest of it is skipped, never read as a line of its own).
#pragma once
#include <cstdio>

namespace theme {

class TextLineReader {
 public:
  TextLineReader() = default;
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;
  ~TextLineReader() { Close(); }

  bool Open(const char* path);
  void Close();
  // The next line into out (at most size - 1 bytes and a terminator). False at the end.
  bool ReadLine(char* out, int size);

 private:
  std::FILE* file_ = nullptr;
};

// True when path names an existing regular file / directory.
bool FileExists(const char* path);
bool DirectoryExists(const char* path);

}  // namespace theme
