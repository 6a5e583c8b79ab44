// The program's own folder and the one-instance lock.
#pragma once
#include <string>

namespace platform {

constexpr const char* kInstanceLockName = "Kodoban.lock";

// The folder of the running program (from /proc/self/exe), without a trailing '/'.
// Empty when it can't be read.
std::string ProgramFolder();
// Makes folder the current directory. -1 on failure.
int EnterFolder(const std::string& folder);

enum class InstanceLock { kAcquired, kHeldByAnother, kUnavailable };
// Takes an exclusive lock on folder/Kodoban.lock for the life of the process. When the
// folder can't be written the lock is taken on a file in the user's runtime folder named after
// the program folder instead; kUnavailable when neither works (the game then runs unguarded).
InstanceLock AcquireInstanceLock(const std::string& folder);
void ReleaseInstanceLock();

// Ends the process at once with code after flushing the standard streams. Static destructors
// are not run: worker threads that are never waited for may still be using what they own.
[[noreturn]] void QuickExit(int code);

}  // namespace platform
