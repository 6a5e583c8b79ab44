// src/library/: library scan, song identity, record files and the global save data. Includes
// platform/, shell/, chart/ and library/; no graphics, no sound.
//
// The song library as the song select sees it: one folder at a time, listed anew into the
// SongList every time a folder is entered. Folder items (the back item first, then genre
// folders) come before song items, each group in the file system's enumeration order.
#pragma once
#include <cstdint>

#include "library/song_files.h"

namespace library {

constexpr int kSongListCapacity = 1000;  // folder and song items together
constexpr int kCursorSlots = 10;         // one remembered cursor per depth
// The deepest depth the player can reach: at this depth genre folders are folded into the
// list like folders without a genre.ini, so no deeper folder can be entered.
constexpr int kMaxBrowseDepth = kCursorSlots - 1;

constexpr uint32_t kRootGenreColour = 0xFF303030;
constexpr uint32_t kGenreColourBase = 0xFF000000;
constexpr uint32_t kBackItemColour = 0xFFF7BD6B;
constexpr const char* kRootGenreName = "No Genre";
constexpr const char* kBackItemTitle = "\x82\xe0\x82\xc7\x82\xe9";  // "もどる" in Shift-JIS
constexpr const char* kGenreIniName = "genre.ini";

enum SongItemKind : uint8_t {
  kGenreFolderItem = 0,  // a GenreFolder, or the back item
  kSongEntryItem = 1,    // a SongEntry
};

struct SongListItem {
  uint8_t kind;
  char path[kPathBytes];
  char title[kTitleBytes];
  char genreName[kGenreNameBytes];
  uint32_t colour;  // ARGB of the item's bar
  int32_t clearStatus[kCourseCount];
  int32_t bestScore[kCourseCount];
};

struct SongListTable {
  SongListItem items[kSongListCapacity];
  int32_t folderCount;
  int32_t songCount;
  int32_t itemCount;  // what the select scene wraps its cursor on
};

struct BrowseStateTable {
  char currentFolder[kPathBytes];
  uint8_t depth;  // 0 = the root
  int32_t cursor[kCursorSlots];
  int32_t previousDepth;  // -1 on first entry
  int32_t shownDepth;
};

// Shared between the select scene and the LibraryWorker under the hand-over words of
// library_worker.h: the worker writes the list only while the list-ready flag is 0.
extern SongListTable SongList;
extern BrowseStateTable BrowseState;

// Folder scan: lists BrowseState.currentFolder into the SongList, with the identities and
// records of its songs.
void ScanCurrentFolder();
// True when the last scan stopped at kSongListCapacity items with more in the folder (the
// rest is not listed, as in the game).
bool LastScanWasCut();

// Re-reads the record of one song item into its clear statuses and best scores (the select
// scene does this for the song just played, so its new marks show without a rescan).
// -1 when index is no song item of the list.
int RereadSongRecordOfItem(int index);

// The cursor slot of a depth, bounded to the table.
int32_t& CursorAtDepth(int depth);

// Empties the list and the browse state (tests, start-up).
void ResetSongList();

}  // namespace library
