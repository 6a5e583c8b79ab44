#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/files.h"
#include "support/temp_folder.h"
#include "platform/atomic_file.h"

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::MakeTempFolder("atomic");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { testsupport::RemoveTempFolder(dir_); }
  std::string Read(const std::string& path) { return testsupport::ReadFile(path); }
  int EntryCount() {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir_)) (void)e, ++n;
    return n;
  }
  std::string dir_;
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndKeepsItsPermissions) {
  std::string path = dir_ + "/record.dat";
  ASSERT_TRUE(platform::WriteFileAtomically(path.c_str(), "first and longer", 16, true));
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(platform::WriteFileAtomically(path.c_str(), "second", 6, false));
  EXPECT_EQ(Read(path), "second");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(EntryCount(), 1) << "no temporary file left behind";
}

TEST_F(AtomicFileTest, FailureLeavesWhatStoodThereAndNoTemporaryFile) {
  // A non-empty folder can't be replaced by a file, even by root.
  std::string path = dir_ + "/busy";
  fs::create_directories(path + "/keep");
  EXPECT_FALSE(platform::WriteFileAtomically(path.c_str(), "x", 1, true));
  EXPECT_TRUE(fs::is_directory(path + "/keep"));
  EXPECT_EQ(EntryCount(), 1);
  EXPECT_FALSE(platform::WriteFileAtomically((dir_ + "/missing/folder/f").c_str(), "x", 1, false));
  // A name leaving no room for the temporary file's name.
  EXPECT_FALSE(platform::WriteFileAtomically((dir_ + "/" + std::string(250, 'n')).c_str(), "x", 1, false));
  EXPECT_EQ(EntryCount(), 1);
  // A write that stops half-way, as on a full disk: the old file stands, no temporary stays.
  std::string file = dir_ + "/full.dat";
  ASSERT_TRUE(platform::WriteFileAtomically(file.c_str(), "old", 3, false));
  struct rlimit was;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  struct rlimit small = was;
  small.rlim_cur = 1024;
  auto handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string big(4096, 'x');
  bool wrote = platform::WriteFileAtomically(file.c_str(), big.data(), big.size(), false);
  setrlimit(RLIMIT_FSIZE, &was);
  signal(SIGXFSZ, handler);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(Read(file), "old");
  EXPECT_EQ(EntryCount(), 2);
}

// Two processes (here threads) saving one file at once never mix their bytes: the file always
// holds one writer's whole content.
TEST_F(AtomicFileTest, ConcurrentWritersNeverMixTheirBytes) {
  std::string path = dir_ + "/Config.ini";
  std::string a(4096, 'a'), b(8192, 'b');
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&, t] {
      const std::string& mine = (t % 2) ? a : b;
      for (int i = 0; i < 50; ++i) platform::WriteFileAtomically(path.c_str(), mine.data(), mine.size(), false);
    });
  for (auto& w : writers) w.join();
  std::string got = Read(path);
  EXPECT_TRUE(got == a || got == b);
  EXPECT_EQ(EntryCount(), 1);
}

}  // namespace
