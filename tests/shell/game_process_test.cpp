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

TEST_F(GameProcess, FirstRunWritesSettingsAndSaveAndSecondStartExitsSilently) {
  pid_t first = Start();
  ASSERT_TRUE(WaitUntil([&] { return Read("Files/Save/save.dat").size() > 0 && Read("Config.ini").size() > 0; }));
  pid_t second = Start();
  EXPECT_EQ(Wait(second), 0);
  EXPECT_EQ(kill(first, 0), 0) << "the first instance keeps running";
  kill(first, SIGTERM);  // the same path as closing the window
  EXPECT_EQ(Wait(first), 0);
  const std::string eight =
      "[\x90\xdd\x92\xe8]\r\nScoreRoot=.\r\nSkin=Default\r\nWindowSize=640\r\n"
      "HideMouseTime=-1\r\nSoundDelay=0\r\nJudgeGreat=0\r\nJudgeGood=0\r\nJudgeBad=0\r\n";
  EXPECT_EQ(Read("Config.ini").substr(0, eight.size()), eight);  // later sections follow them
  EXPECT_EQ(Read("Files/Save/save.dat").size(), 256u);
  EXPECT_EQ(Launches(), 1);
  // A second run counts another launch.
  pid_t again = Start();
  WaitUntil([&] { return Launches() >= 2; });
  kill(again, SIGTERM);
  EXPECT_EQ(Wait(again), 0);
  EXPECT_EQ(Launches(), 2);
}

}  // namespace
