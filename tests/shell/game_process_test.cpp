// Runs the program itself (a copy in a folder of its own) with SDL's dummy video driver.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "library/save_data.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

class GameProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("KODOBAN_BUILD_DIR");
    std::string exe = std::string(build ? build : "..") + "/Kodoban";
    if (access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "no Kodoban program at " << exe;
    dir_ = testsupport::MakeTempFolder("game");
    ASSERT_FALSE(dir_.empty());
    ASSERT_EQ(std::system(("cp '" + exe + "' '" + dir_ + "/Kodoban'").c_str()), 0);
  }
  void TearDown() override {
    for (pid_t p : started_) kill(p, SIGKILL);
    testsupport::RemoveTempFolder(dir_);
  }

  pid_t Start() {
    pid_t pid = fork();
    if (pid == 0) {
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("KODOBAN_HEADLESS", "1", 1);
      unsetenv("KODOBAN_TRACE");
      // Started from another folder: the game must make its own folder the current one.
      if (chdir("/") != 0) _exit(127);
      std::string exe = dir_ + "/Kodoban";
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    started_.push_back(pid);
    return pid;
  }
  int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    std::erase(started_, pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // Waits up to a minute (a loaded machine) for what the running game writes.
  template <class Done> static bool WaitUntil(Done done) {
    for (int i = 0; i < 600 && !done(); ++i) usleep(100000);
    return done();
  }
  std::string Read(const std::string& rel) { return testsupport::ReadFile(dir_ + "/" + rel); }
  int Launches() {
    library::GlobalStats = {};
    library::LoadGlobalData((dir_ + "/Files/Save/save.dat").c_str());
    return library::GlobalStats.launchCount;
  }

  std::string dir_;
  std::vector<pid_t> started_;
};

// What the first start writes is the settings' and save data's own tests (and the install and
// crash-safety runs); here a second start while the first runs leaves at once without counting
// a launch, and the first closes cleanly on the window-close signal.
TEST_F(GameProcess, SecondStartExitsSilentlyWhileTheFirstRuns) {
  pid_t first = Start();
  ASSERT_TRUE(WaitUntil([&] { return Read("Files/Save/save.dat").size() > 0 && Read("Config.ini").size() > 0; }));
  EXPECT_EQ(Wait(Start()), 0);
  EXPECT_EQ(kill(first, 0), 0) << "the first instance keeps running";
  kill(first, SIGTERM);  // the same path as closing the window
  EXPECT_EQ(Wait(first), 0);
  EXPECT_EQ(Launches(), 1);
}

}  // namespace
