#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }
  int EntryCount() { return static_cast<int>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator())); }
  bool Write(const std::string& name, const std::string& bytes, bool sync = false) {
    return platform::WriteFileAtomically((dir_ + "/" + name).c_str(), bytes.data(), bytes.size(), sync);
  }
  std::string dir_ = testsupport::MakeTempFolder("atomic");
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndKeepsItsPermissions) {
  std::string path = dir_ + "/record.dat";
  ASSERT_TRUE(Write("record.dat", "first and longer", true));
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(Write("record.dat", "second"));
  EXPECT_EQ(testsupport::ReadFile(path), "second");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(EntryCount(), 1) << "no temporary file left behind";
}

TEST_F(AtomicFileTest, FailureLeavesWhatStoodThereAndNoTemporaryFile) {
  // A non-empty folder can't be replaced by a file, even by root; a missing folder; a name
  // leaving no room for the temporary file's name.
  fs::create_directories(dir_ + "/busy/keep");
  EXPECT_FALSE(Write("busy", "x", true));
  EXPECT_TRUE(fs::is_directory(dir_ + "/busy/keep"));
  EXPECT_FALSE(Write("missing/folder/f", "x"));
  EXPECT_FALSE(Write(std::string(250, 'n'), "x"));
  EXPECT_EQ(EntryCount(), 1);
  // A write that stops half-way, as on a full disk: the old file stands, no temporary stays.
  ASSERT_TRUE(Write("full.dat", "old"));
  struct rlimit was, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  small = was;
  small.rlim_cur = 1024;
  auto handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool wrote = Write("full.dat", std::string(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &was);
  signal(SIGXFSZ, handler);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(testsupport::ReadFile(dir_ + "/full.dat"), "old");
  EXPECT_EQ(EntryCount(), 2);
}

// Two processes (here threads) saving one file at once never mix their bytes: the file always
// holds one writer's whole content.
TEST_F(AtomicFileTest, ConcurrentWritersNeverMixTheirBytes) {
  std::string a(4096, 'a'), b(8192, 'b');
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) Write("Config.ini", t % 2 ? a : b);
    });
  for (auto& w : writers) w.join();
  std::string got = testsupport::ReadFile(dir_ + "/Config.ini");
  EXPECT_TRUE(got == a || got == b);
  EXPECT_EQ(EntryCount(), 1);
}

}  // namespace
