#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool WriteAll(int fd, const unsigned char* p, size_t n) {
  while (n > 0) {
    ssize_t put = write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const char* path, const void* data, size_t size, bool sync) {
  if (!path || !*path || (!data && size > 0)) return false;
  // A unique name, so that two writers of one file never share a temporary file.
  std::string temp = std::string(path) + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat st;
  fchmod(fd, stat(path, &st) == 0 ? (st.st_mode & 07777) : 0644);
  bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size);
  if (ok && sync) ok = fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (ok) ok = std::rename(temp.c_str(), path) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace platform
