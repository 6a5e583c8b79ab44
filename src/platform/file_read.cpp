#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

int OpenRegularFile(const char* path, FileReadStatus* status) {
  FileReadStatus dummy;
  FileReadStatus& s = status ? *status : dummy;
  s = FileReadStatus::kMissing;
  if (path == nullptr || path[0] == '\0') return -1;
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENXIO || errno == EISDIR) s = FileReadStatus::kNotRegular;
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int saved = errno;
    close(fd);
    s = FileReadStatus::kNotRegular;
    errno = saved;
    return -1;
  }
  // Plain blocking reads from here on (a regular file never waits long).
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  s = FileReadStatus::kOk;
  return fd;
}

std::FILE* OpenRegularFileStream(const char* path, FileReadStatus* status) {
  int fd = OpenRegularFile(path, status);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) {
    close(fd);
    if (status) *status = FileReadStatus::kReadError;
  }
  return f;
}

std::FILE* CreateRegularFileStream(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  // A FIFO without a reader fails at once instead of waiting for one.
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return nullptr;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) close(fd);
  return f;
}

FileReadStatus ReadRegularFile(const char* path, size_t cap, std::string* out) {
  out->clear();
  FileReadStatus status;
  int fd = OpenRegularFile(path, &status);
  if (fd < 0) return status;
  struct stat st;
  if (fstat(fd, &st) == 0 && st.st_size > 0 && static_cast<unsigned long long>(st.st_size) > cap) {
    close(fd);
    return FileReadStatus::kTooLarge;
  }
  // The size is only a hint (the file may grow meanwhile): the cap is checked while reading.
  char buf[65536];
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      out->clear();
      return FileReadStatus::kReadError;
    }
    if (got == 0) break;
    if (out->size() + static_cast<size_t>(got) > cap) {
      close(fd);
      out->clear();
      return FileReadStatus::kTooLarge;
    }
    out->append(buf, static_cast<size_t>(got));
  }
  close(fd);
  return FileReadStatus::kOk;
}

bool PathIsNonRegular(const char* path) {
  struct stat st;
  return path != nullptr && path[0] != '\0' && stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

std::string FileReadStatusText(FileReadStatus status, size_t cap) {
  switch (status) {
    case FileReadStatus::kOk:
      return "read";
    case FileReadStatus::kMissing:
      return "no such readable file";
    case FileReadStatus::kNotRegular:
      return "not a regular file";
    case FileReadStatus::kTooLarge:
      if (cap >= 1024u * 1024u) return "larger than " + std::to_string(cap / (1024u * 1024u)) + " MB";
      return "larger than " + std::to_string(cap) + " bytes";
    case FileReadStatus::kReadError:
      break;
  }
  return "read error";
}

}  // namespace platform
