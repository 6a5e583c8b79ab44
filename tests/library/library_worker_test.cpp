#include "library/library_worker.h"

#include <thread>

#include "library_test_util.h"
#include "platform/time.h"
#include "shell/state.h"

namespace {

using library::LevelsStatus;
using library::LibraryRequest;
using library::ListReady;
using library_test::TempSongFolder;
using Five = std::array<int, 5>;
using Answered = std::pair<int, Five>;  // the levels' status and the levels

void EnterFolder(const char* folder, int depth, int previousDepth) {
  library::CopyTextField(library::BrowseState.currentFolder, library::kPathBytes, folder);
  library::BrowseState.depth = static_cast<uint8_t>(depth);
  library::BrowseState.previousDepth = previousDepth;
  ListReady.store(0, std::memory_order_release);
  LevelsStatus.store(library::kLevelsPending, std::memory_order_release);
  LibraryRequest.store(library::kRequestFullScan, std::memory_order_release);
}

// Asks for the levels of the item at index.
void AskLevels(int index) {
  library::CursorAtDepth(0) = index;
  LevelsStatus.store(0, std::memory_order_release);
  LibraryRequest.store(library::kRequestLevelsOnly, std::memory_order_release);
}

Five Levels() {
  Five out{};
  for (int i = 0; i < 5; ++i) out[i] = library::CourseLevels[i].load();
  return out;
}

int IndexOf(const std::string& path) {
  return static_cast<int>(library_test::FindItem(path) - library::SongList.items);
}

class LibraryRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    library::ResetSongList();
    library::ResetLibraryWorker();
    TempSongFolder::File("Lib/Pop/genre.ini", "GenreName=Pop\n");
    TempSongFolder::File("Lib/Pop/p.tja", "COURSE:Easy\nLEVEL:3\n#START\n");
    TempSongFolder::File("Lib/a.tja", "COURSE:Hard\nLEVEL:7\n#START\nCOURSE:Oni\n#START\n");
    TempSongFolder::File("Lib/b.tja", "LEVEL:5\n#START\n");
  }
  TempSongFolder tmp_;
};

Answered Answer() { return {LevelsStatus.load(std::memory_order_acquire), Levels()}; }

// Entering a folder lists it and reads the levels of item 1; a levels-only request reads the
// item under the cursor. Folders and places past the list are unreadable. A course without a
// LEVEL: line takes the one before; a file without COURSE: lines is Oni. (Coming back up to the
// parent's cursor is the song select's test.)
TEST_F(LibraryRequests, LevelsFollowTheItemUnderTheCursor) {
  EnterFolder("Lib", 0, -1);
  EXPECT_EQ(library::RunLibraryRequest(), library::kRequestFullScan);
  EXPECT_EQ(LibraryRequest.load(), 0);
  ASSERT_EQ(library::SongList.itemCount, 4);
  EXPECT_EQ(Answer(), (Answered{library::kLevelsUnreadable, Five{}}));  // item 1 is the Pop folder
  AskLevels(IndexOf("Lib/a.tja"));
  EXPECT_EQ(library::RunLibraryRequest(), library::kRequestLevelsOnly);
  EXPECT_EQ(Answer(), (Answered{library::kLevelsRead, Five{0, 0, 7, 7, 0}}));
  AskLevels(99);
  library::RunLibraryRequest();
  EXPECT_EQ(LevelsStatus.load(), library::kLevelsUnreadable);
  EXPECT_EQ(library::RunLibraryRequest(), 0);  // no request: nothing happens
  EnterFolder("Lib/Pop", 1, 0);  // p.tja at index 1
  library::RunLibraryRequest();
  ASSERT_EQ(library::SongList.itemCount, 2);
  EXPECT_EQ(Answer(), (Answered{library::kLevelsRead, Five{3, 0, 0, 0, 0}}));
}

// Waits for the worker. Not a timing assertion: the bound only keeps a broken worker from
// hanging the suite.
template <class Done> bool WaitFor(Done done) {
  for (int i = 0; i < 60000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

TEST_F(LibraryRequests, LibraryWorkerThreadAnswersAndEndsWithTheScene) {
  platform::TimeUseRealClock();
  shell::SceneId.store(shell::kSceneSongSelect, std::memory_order_release);
  shell::LoadKind.store(4, std::memory_order_release);
  library::StartLibraryWorker();
  auto answered = [] { return LibraryRequest.load(std::memory_order_acquire) == 0; };
  EnterFolder("Lib", 0, -1);
  ASSERT_TRUE(WaitFor(answered));
  EXPECT_EQ(ListReady.load(std::memory_order_acquire), 1);
  EXPECT_EQ(library::SongList.itemCount, 4);
  AskLevels(IndexOf("Lib/b.tja"));
  ASSERT_TRUE(WaitFor(answered));
  EXPECT_EQ(Answer(), (Answered{library::kLevelsRead, Five{0, 0, 0, 5, 0}}));
  // Starting again replaces the worker rather than adding a second one.
  library::StartLibraryWorker();
  EXPECT_TRUE(library::LibraryWorkerRunning());
  // The scene moves on: the worker ends by itself.
  shell::SceneId.store(shell::kScenePlay, std::memory_order_release);
  EXPECT_TRUE(WaitFor([] { return !library::LibraryWorkerRunning(); }));
  library::StopLibraryWorker();
  shell::ResetShellState();
}

}  // namespace
