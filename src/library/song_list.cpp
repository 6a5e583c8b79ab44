#include "library/song_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <system_error>
#include <thread>

#include "chart/song_identity.h"
#include "library/record_file.h"

namespace library {

SongListTable SongList;
BrowseStateTable BrowseState;

namespace {

// Scratch lists of one walk: folder items and song items, each in enumeration order.
SongListItem gFolders[kSongListCapacity];
SongListItem gSongs[kSongListCapacity];
constexpr int kParallelScanMinSongs = 32;
int gFolderCount = 0;
int gSongCount = 0;
SongListItem gBackItem;
bool gHaveBack = false;

bool gListCut = false;  // the last scan stopped at the capacity with more to list
int GatheredCount() { return gFolderCount + gSongCount + (gHaveBack ? 1 : 0); }
bool ListIsFull() { return GatheredCount() >= kSongListCapacity; }

enum class EntryKind { kSkip, kFolder, kFile };

EntryKind KindOf(const char* folder, const struct dirent* e) {
  if (e->d_type == DT_DIR) return EntryKind::kFolder;
  if (e->d_type == DT_REG) return EntryKind::kFile;
  if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) return EntryKind::kFile;
  char joined[kPathBytes];
  if (!JoinPath(folder, e->d_name, joined, sizeof joined)) return EntryKind::kSkip;
  struct stat st;
  if (stat(joined, &st) == 0 && S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  return EntryKind::kFile;  // a dangling link stays a (broken) file, as it appears
}

// Songs found directly in a folder: the text after the last "." (not counting a dot that
// starts the name) is exactly "tja" or "TJA".
bool IsChartFileName(const char* name) {
  const char* dot = std::strrchr(name + (name[0] ? 1 : 0), '.');
  if (dot == nullptr) return false;
  return std::strcmp(dot + 1, "tja") == 0 || std::strcmp(dot + 1, "TJA") == 0;
}

// Songs in a folded folder: the name ends in ".tja" in any letter case.
bool EndsInTjaAnyCase(const char* name) {
  size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* t = name + n - 4;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return t[0] == '.' && lower(t[1]) == 't' && lower(t[2]) == 'j' && lower(t[3]) == 'a';
}

void ClearItem(SongListItem* item) { std::memset(item, 0, sizeof *item); }

// One song item found by the walk: kept with its path and genre; its title, identity and
// record are read afterwards (ReadSongDetails), several songs at a time.
void AddSongItem(const char* path, const char* genreName, uint32_t colour) {
  SongListItem* item = &gSongs[gSongCount];
  ClearItem(item);
  item->kind = kSongEntryItem;
  CopyTextField(item->path, sizeof item->path, path);
  CopyTextField(item->genreName, sizeof item->genreName, genreName);
  item->colour = colour;
  ++gSongCount;
}

// Title, identity and record of one song, from one read of the chart's first 64 KiB.
void ReadSongDetails(SongListItem* item, TextLineReader& reader) {
  char identity[kIdentityBytes];
  std::memset(identity, '0', 32);
  identity[32] = '\0';
  if (reader.Open(item->path) == 0) {
    const uint8_t* head = nullptr;
    size_t n = reader.PeekHead(&head);
    if (n > 0) chart::BufferDigest(head, n, identity);
    ReadSongTitleFrom(reader, item->title);
  }
  char recordPath[kPathBytes];
  RecordFilePath(identity, recordPath);
  SongRecord record;
  ReadSongRecord(recordPath, &record);
  for (int c = 0; c < kCourseCount; ++c) {
    item->clearStatus[c] = record.clearStatus[c];
    item->bestScore[c] = record.bestScore[c];
  }
}

void ReadSongDetailsStrided(int first, int stride) {
  TextLineReader reader(kHeaderLineBytes);
  for (int i = first; i < gSongCount; i += stride) ReadSongDetails(&gSongs[i], reader);
}

// Hashing the charts is most of a scan's work: a long list is shared with a helper thread,
// each taking every other song. Each song's slot is written by one thread only.
void ReadAllSongDetails() {
  std::thread helper;
  if (gSongCount >= kParallelScanMinSongs) {
    try {
      helper = std::thread(ReadSongDetailsStrided, 1, 2);
    } catch (const std::system_error&) {
      // No thread to be had: this one does it all.
    }
  }
  if (helper.joinable()) {
    ReadSongDetailsStrided(0, 2);
    helper.join();
  } else {
    ReadSongDetailsStrided(0, 1);
  }
}

void MakeBackItem(const char* currentFolder) {
  ClearItem(&gBackItem);
  gBackItem.kind = kGenreFolderItem;
  CopyTextField(gBackItem.path, sizeof gBackItem.path, currentFolder);
  CutParentPath(gBackItem.path);
  CopyTextField(gBackItem.title, sizeof gBackItem.title, kBackItemTitle);
  gBackItem.colour = kBackItemColour;
  gHaveBack = true;
}

void AddGenreFolderItem(const char* path, const char* genreIniPath) {
  SongListItem* item = &gFolders[gFolderCount];
  ClearItem(item);
  item->kind = kGenreFolderItem;
  CopyTextField(item->path, sizeof item->path, path);
  item->colour = kGenreColourBase;
  ReadGenreIniFile(genreIniPath, item->genreName, &item->colour);
  CopyTextField(item->title, sizeof item->title, item->genreName);
  ++gFolderCount;
}

// Folded folder read: one song item per *.tja file directly in folder (any letter case), with
// the genre of the folder being listed; the number added.
int ReadFoldedFolder(const char* folder, const char* genreName, uint32_t colour) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return 0;
  int added = 0;
  while (!ListIsFull()) {
    struct dirent* e = readdir(dir);
    if (e == nullptr) break;
    if (!EndsInTjaAnyCase(e->d_name)) continue;
    if (KindOf(folder, e) != EntryKind::kFile) continue;  // sub-folders are not looked into
    char path[kPathBytes];
    if (!JoinPath(folder, e->d_name, path, sizeof path)) continue;  // too long to keep
    AddSongItem(path, genreName, colour);
    ++added;
  }
  // Full: one more chart here would have been listed.
  if (ListIsFull()) {
    while (struct dirent* e = readdir(dir)) {
      if (EndsInTjaAnyCase(e->d_name) && KindOf(folder, e) == EntryKind::kFile) {
        gListCut = true;
        break;
      }
    }
  }
  closedir(dir);
  return added;
}

}  // namespace

void ScanCurrentFolder() {
  const char* current = BrowseState.currentFolder;
  const int depth = BrowseState.depth;

  // 1. The genre of the folder being listed.
  char genreName[kGenreNameBytes] = "";
  uint32_t colour = kGenreColourBase;
  if (depth == 0) {
    CopyTextField(genreName, sizeof genreName, kRootGenreName);
    colour = kRootGenreColour;
  } else {
    char iniPath[kPathBytes];
    if (FindFileInFolder(current, kGenreIniName, iniPath)) ReadGenreIniFile(iniPath, genreName, &colour);
  }

  // 2. Clear the list.
  std::memset(&SongList, 0, sizeof SongList);
  gFolderCount = gSongCount = 0;
  gHaveBack = false;
  gListCut = false;

  // 3 to 7. The walk.
  DIR* dir = opendir(current);
  if (dir != nullptr) {
    while (!ListIsFull()) {
      struct dirent* e = readdir(dir);
      if (e == nullptr) break;
      const char* name = e->d_name;
      EntryKind kind = KindOf(current, e);
      if (kind == EntryKind::kFolder) {
        if (std::strcmp(name, ".") == 0) continue;
        if (std::strcmp(name, "..") == 0) {
          if (!gHaveBack) MakeBackItem(current);
          continue;
        }
        char path[kPathBytes];
        if (!JoinPath(current, name, path, sizeof path)) continue;  // too long to keep
        char iniPath[kPathBytes];
        bool isGenre = depth < kMaxBrowseDepth && FindFileInFolder(path, kGenreIniName, iniPath);
        if (isGenre) {
          AddGenreFolderItem(path, iniPath);
        } else {
          ReadFoldedFolder(path, genreName, colour);
        }
      } else if (kind == EntryKind::kFile && IsChartFileName(name)) {
        char path[kPathBytes];
        if (!JoinPath(current, name, path, sizeof path)) continue;  // too long to keep
        AddSongItem(path, genreName, colour);
      }
    }
    // Full: a further folder or chart would have been listed (or folded in).
    while (ListIsFull() && !gListCut) {
      struct dirent* e = readdir(dir);
      if (e == nullptr) break;
      EntryKind kind = KindOf(current, e);
      if ((kind == EntryKind::kFolder && std::strcmp(e->d_name, ".") != 0 &&
           std::strcmp(e->d_name, "..") != 0) ||
          (kind == EntryKind::kFile && IsChartFileName(e->d_name)))
        gListCut = true;
    }
    closedir(dir);
  }

  // The select scene takes item 0 of a sub-folder's list for the way back. A listing that
  // didn't yield ".." (or a sub-folder that can't be read) still gets one.
  if (!gHaveBack && (dir != nullptr || depth > 0)) {
    if (ListIsFull()) {
      if (gSongCount > 0) --gSongCount; else --gFolderCount;
      gListCut = true;
    }
    MakeBackItem(current);
  }

  // 8. Identities and records of the songs, then folder items first (the back item leading), then songs.
  ReadAllSongDetails();
  int n = 0;
  if (gHaveBack) SongList.items[n++] = gBackItem;
  for (int i = 0; i < gFolderCount; ++i) SongList.items[n++] = gFolders[i];
  for (int i = 0; i < gSongCount; ++i) SongList.items[n++] = gSongs[i];
  // 9. The counts.
  SongList.folderCount = gFolderCount + (gHaveBack ? 1 : 0);
  SongList.songCount = gSongCount;
  SongList.itemCount = n;
}

int RereadSongRecordOfItem(int index) {
  if (index < 0 || index >= SongList.itemCount || SongList.items[index].kind != kSongEntryItem) return -1;
  TextLineReader reader(kHeaderLineBytes);
  char title[kTitleBytes];
  CopyTextField(title, sizeof title, SongList.items[index].title);
  ReadSongDetails(&SongList.items[index], reader);
  // The title stays as listed; only the marks are new.
  CopyTextField(SongList.items[index].title, kTitleBytes, title);
  return 0;
}

bool LastScanWasCut() { return gListCut; }

int32_t& CursorAtDepth(int depth) {
  if (depth < 0) depth = 0;
  if (depth >= kCursorSlots) depth = kCursorSlots - 1;
  return BrowseState.cursor[depth];
}

void ResetSongList() {
  std::memset(&SongList, 0, sizeof SongList);
  std::memset(&BrowseState, 0, sizeof BrowseState);
  BrowseState.previousDepth = -1;
  gFolderCount = gSongCount = 0;
  gHaveBack = false;
}

}  // namespace library
