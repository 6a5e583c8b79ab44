#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/events.h"
#include "platform/process.h"
#include "platform/x11_input.h"
#include "support/temp_folder.h"

namespace {

TEST(InstanceLock, SecondHolderIsRefused) {
  testsupport::TempFolder folder("lock");
  const std::string& dir = folder.Path();
  ASSERT_EQ(platform::AcquireInstanceLock(dir), platform::InstanceLock::kAcquired);
  pid_t child = fork();
  if (child == 0) {
    // A separate process: the parent's lock must hold it off.
    platform::ReleaseInstanceLock();  // drops only the child's copy of the descriptor
    _exit(platform::AcquireInstanceLock(dir) == platform::InstanceLock::kHeldByAnother ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  platform::ReleaseInstanceLock();
  // Released: the next start gets it. An unwritable folder falls back and still guards.
  EXPECT_EQ(platform::AcquireInstanceLock(dir), platform::InstanceLock::kAcquired);
  platform::ReleaseInstanceLock();
  EXPECT_NE(platform::AcquireInstanceLock("/nonexistent/kodoban/folder"), platform::InstanceLock::kHeldByAnother);
  platform::ReleaseInstanceLock();
}

TEST(EvdevCodes, MapToTheScanCodesOfTheGame) {
  const int rows[][2] = {{33, 0x21}, {36, 0x24}, {32, 0x20}, {37, 0x25}, {1, 0x01}, {28, 0x1C},
                         {96, 0x9C}, {103, 0xC8}, {0, 0},    {-8, 0},    {5000, 0}};
  for (const auto& r : rows) EXPECT_EQ(platform::ScanCodeFromEvdev(r[0]), r[1]) << r[0];
}

TEST(EventQueue, KeepsOrderAndDropsBeyondCapacity) {
  platform::ResetEvents();
  platform::WindowEvent e{};
  e.kind = platform::EventKind::kKeyDown;
  for (int i = 0; i < 3000; ++i) {
    e.virtualKey = i % 200 + 1;
    platform::PushEventForTest(e);
  }
  int n = 0;
  for (; platform::PopEvent(&e); ++n) EXPECT_EQ(e.virtualKey, n % 200 + 1);
  EXPECT_GT(n, 0);
  EXPECT_LT(n, 3000);
  EXPECT_FALSE(platform::QuitRequested());
  platform::ResetEvents();
}

}  // namespace
