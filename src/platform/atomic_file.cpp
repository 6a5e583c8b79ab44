#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
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
  // A FIFO, device or folder standing where the file should be is the player's business: it
  // is never replaced by a file.
  struct stat existing;
  if (stat(path, &existing) == 0 && !S_ISREG(existing.st_mode)) return false;
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

int RemoveStaleTemporaries(const char* folder, int64_t olderThanSeconds,
                           bool (*isOurs)(std::string_view fileName)) {
  if (!folder || !*folder || !isOurs) return 0;
  DIR* dir = opendir(folder);
  if (!dir) return 0;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  int removed = 0;
  while (dirent* e = readdir(dir)) {
    std::string_view name(e->d_name);
    // mkstemp's suffix: "." and six letters or digits after the file's own name.
    if (name.size() < 8 || name[name.size() - 7] != '.') continue;
    bool suffix = true;
    for (size_t i = name.size() - 6; i < name.size(); ++i) {
      char c = name[i];
      suffix = suffix && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    }
    if (!suffix || !isOurs(name.substr(0, name.size() - 7))) continue;
    std::string path = std::string(folder) + "/" + std::string(name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - static_cast<int64_t>(st.st_mtime) <= olderThanSeconds) continue;
    if (unlink(path.c_str()) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

}  // namespace platform
