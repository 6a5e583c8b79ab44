#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_folder.h"
#include "platform/events.h"
#include "platform/process.h"
#include "platform/x11_input.h"

namespace {

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  std::string folder = platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back() == '/', folder == "/");
  EXPECT_EQ(access((folder + "/test_platform").c_str(), X_OK), 0);
}

TEST(InstanceLock, SecondHolderIsRefused) {
  testsupport::TempFolder folder("lock");
  ASSERT_FALSE(folder.Path().empty());
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
  // Released: the next start gets it.
  EXPECT_EQ(platform::AcquireInstanceLock(dir), platform::InstanceLock::kAcquired);
  platform::ReleaseInstanceLock();
}

TEST(InstanceLock, UnwritableFolderFallsBackAndStillGuards) {
  std::string missing = "/nonexistent/kodoban/folder";
  auto r = platform::AcquireInstanceLock(missing);
  EXPECT_NE(r, platform::InstanceLock::kHeldByAnother);
  platform::ReleaseInstanceLock();
}

struct EvdevCase {
  int evdev, dik;
};
class EvdevCodes : public ::testing::TestWithParam<EvdevCase> {};
TEST_P(EvdevCodes, MapToTheScanCodesOfTheGame) {
  EXPECT_EQ(platform::ScanCodeFromEvdev(GetParam().evdev), GetParam().dik);
}
INSTANTIATE_TEST_SUITE_P(Keys, EvdevCodes,
                         ::testing::Values(EvdevCase{33, 0x21}, EvdevCase{36, 0x24},
                                           EvdevCase{32, 0x20}, EvdevCase{37, 0x25},
                                           EvdevCase{1, 0x01}, EvdevCase{28, 0x1C},
                                           EvdevCase{96, 0x9C}, EvdevCase{103, 0xC8},
                                           EvdevCase{0, 0}, EvdevCase{-8, 0}, EvdevCase{5000, 0}));

TEST(EventQueue, KeepsOrderAndDropsBeyondCapacity) {
  platform::ResetEvents();
  for (int i = 0; i < 3000; ++i) {
    platform::WindowEvent e{};
    e.kind = platform::EventKind::kKeyDown;
    e.virtualKey = i % 200 + 1;
    platform::PushEventForTest(e);
  }
  platform::WindowEvent e{};
  int n = 0;
  while (platform::PopEvent(&e)) {
    EXPECT_EQ(e.virtualKey, n % 200 + 1);
    ++n;
  }
  EXPECT_GT(n, 0);
  EXPECT_LT(n, 3000);
  EXPECT_FALSE(platform::QuitRequested());
  platform::ResetEvents();
}

}  // namespace
