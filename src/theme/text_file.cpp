#include "theme/text_file.h"

#include <sys/stat.h>

#include "platform/file_read.h"

namespace theme {

bool TextLineReader::Open(const char* path) {
  Close();
  // Only regular files: a FIFO named dancer.ini must not hang the loader.
  file_ = platform::OpenRegularFileStream(path);
  return file_ != nullptr;
}

void TextLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool TextLineReader::ReadLine(char* out, int size) {
  if (file_ == nullptr || size < 1) return false;
  int n = 0;
  int c = std::fgetc(file_);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::fgetc(file_))
    if (n < size - 1) out[n++] = static_cast<char>(c);
  if (n > 0 && out[n - 1] == '\r') --n;
  out[n] = '\0';
  return true;
}

bool FileExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace theme
