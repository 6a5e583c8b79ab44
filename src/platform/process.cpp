#include "platform/process.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {
int g_lockFd = -1;

InstanceLock LockFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return InstanceLock::kUnavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    close(fd);
    return err == EWOULDBLOCK ? InstanceLock::kHeldByAnother : InstanceLock::kUnavailable;
  }
  g_lockFd = fd;
  return InstanceLock::kAcquired;
}
}  // namespace

std::string ProgramFolder() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return std::string();
  buf[n] = '\0';
  std::string path(buf);
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int EnterFolder(const std::string& folder) {
  if (folder.empty()) return -1;
  return chdir(folder.c_str()) == 0 ? 0 : -1;
}

InstanceLock AcquireInstanceLock(const std::string& folder) {
  if (g_lockFd >= 0) return InstanceLock::kAcquired;
  InstanceLock r = LockFile(folder + "/" + kInstanceLockName);
  if (r != InstanceLock::kUnavailable) return r;
  // A read-only program folder: lock a file named after the folder somewhere writable.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = (runtime && *runtime) ? runtime : "/tmp";
  char name[96];
  std::snprintf(name, sizeof name, "/kodoban-%u-%zx.lock", static_cast<unsigned>(getuid()),
                std::hash<std::string>{}(folder));
  return LockFile(base + name);
}

void ReleaseInstanceLock() {
  if (g_lockFd >= 0) close(g_lockFd);
  g_lockFd = -1;
}

void QuickExit(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace platform
