#include "scenes/select/select_scene.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "chart/song_identity.h"
#include "library/library_worker.h"
#include "library/record_file.h"
#include "library/song_list.h"
#include "platform/json_text.h"
#include "platform/message_box.h"
#include "platform/trace.h"
#include "platform/video.h"
#include "scenes/select/launch_play.h"
#include "scenes/select/play_start.h"
#include "scenes/select/preview.h"
#include "scenes/select/select_timing.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/scene_change.h"
#include "shell/state.h"
#include "sound/sound.h"
#include "theme/assets.h"
#include "theme/resource_loader.h"

namespace songselect {

SelectSceneState Select;

namespace {

using library::SongList;

constexpr int kHighestScrollSpeed = 4;

// The library request the scene wants posted. A request is posted only while the worker is
// idle (its request word 0): a request written while the worker finishes another would be
// wiped by the worker's own "done", and the levels it reports would belong to the old item.
int g_wantedRequest = library::kRequestNone;
// The scene's own browse state. The worker reads library::BrowseState while it handles a
// request, so the scene moves its cursor here and hands the worker a copy with each request,
// written only while the worker is idle.
library::BrowseStateTable g_browse = {};
bool g_listArrived = false;  // the list of the current phase 1 has been taken
bool g_openCalibration = false;  // F3 was pressed: the timing calibration opens after this frame
int g_soundRing[3] = {0, 0, 0};

enum MenuSound { kDon, kKat, kCancel };

void PlayMenuSound(MenuSound which) {
  const int* copies = which == kDon   ? theme::select_assets::DonSound
                      : which == kKat ? theme::select_assets::KatSound
                                      : theme::select_assets::CancelSound;
  int& ring = g_soundRing[which];
  sound::PlaySound(copies[ring]);
  ring = (ring + 1) % theme::select_assets::kMenuSoundCopies;
}

bool Pressed(int virtualKey) { return shell::WindowKeys[virtualKey] == 1; }
bool DrumFacePressed() { return Pressed(shell::kVkF) || Pressed(shell::kVkJ); }
bool BackPressed() { return Pressed(shell::kVkBack) || Pressed(shell::kVkEscape); }

void SetPhase(int phase, double now) {
  Select.phase = phase;
  Select.phaseStart = now;
  if (phase == kPhaseListEntering) g_listArrived = false;
}

void WantRequest(int request) {
  // A full scan stands over a levels read: the scan reads levels itself.
  if (g_wantedRequest == library::kRequestFullScan) return;
  g_wantedRequest = request;
}

void PostWantedRequest() {
  if (g_wantedRequest == library::kRequestNone) return;
  if (library::LibraryRequest.load(std::memory_order_acquire) != library::kRequestNone) return;
  library::BrowseState = g_browse;
  if (g_wantedRequest == library::kRequestFullScan)
    library::ListReady.store(0, std::memory_order_release);
  library::LevelsStatus.store(library::kLevelsPending, std::memory_order_release);
  library::LibraryRequest.store(g_wantedRequest, std::memory_order_release);
  g_wantedRequest = library::kRequestNone;
}

void RequestLevels() {
  library::LevelsStatus.store(library::kLevelsPending, std::memory_order_release);
  WantRequest(library::kRequestLevelsOnly);
}

void RequestFullScan() {
  library::ListReady.store(0, std::memory_order_release);
  library::LevelsStatus.store(library::kLevelsPending, std::memory_order_release);
  g_wantedRequest = library::kRequestFullScan;
}

void RestartFromStartupLoad() {
  // The start-up load reloads the select assets and enters the scene again with a full scan.
  shell::SceneId.store(shell::kSceneStartupLoad, std::memory_order_release);
}

// Moves the list one place: dir -1 after K (on to the next item), +1 after D.
void MoveList(int dir, double now) {
  int count = ItemCount();
  double elapsed = now - Select.slideInstant;
  if (CursorOnSong() && elapsed > kBarOpenDelayMs) {
    // The open song bar closes first, as long as it had been opening.
    Select.slideInstant = now + std::min(elapsed - kBarOpenDelayMs, kBarOpenMs);
  } else {
    Select.slideInstant = now;
  }
  Select.scrollDirection = dir;
  int& cursor = CursorRef();
  cursor = dir < 0 ? (cursor + 1) % count : (cursor - 1 + count) % count;
  PlayMenuSound(kKat);
  RequestLevels();
}

void LeaveForFolder(const char* folder, int newDepth, double now) {
  char path[library::kPathBytes];
  std::snprintf(path, sizeof path, "%s", folder);
  std::snprintf(g_browse.currentFolder, sizeof g_browse.currentFolder, "%s", path);
  g_browse.previousDepth = g_browse.depth;
  g_browse.depth = uint8_t(newDepth);
  SetPhase(kPhaseListLeaving, now);
}

void OpenItemUnderCursor(double now) {
  int cursor = CursorRef();
  const library::SongListItem& item = SongList.items[cursor];
  if (item.kind == library::kGenreFolderItem) {
    int depth = g_browse.depth;
    if (cursor == 0) {
      PlayMenuSound(kCancel);
      if (depth == 0) {
        RestartFromStartupLoad();
        return;
      }
      LeaveForFolder(item.path, depth - 1, now);
    } else {
      if (depth >= library::kMaxBrowseDepth) return;  // the cursor table ends here
      PlayMenuSound(kDon);
      LeaveForFolder(item.path, depth + 1, now);
    }
    return;
  }
  if (!LevelsReady()) {
    platform::ShowMessageBox(kMsgLevelsNotRead);
    return;
  }
  PlayMenuSound(kDon);
  std::snprintf(Select.chosenChartPath, sizeof Select.chosenChartPath, "%s", item.path);
  Select.dropped = false;
  SetPhase(kPhaseCourseSelect, now);
}

void GoBackUp(double now) {
  PlayMenuSound(kCancel);
  int depth = g_browse.depth;
  if (depth == 0) {
    RestartFromStartupLoad();
    return;
  }
  if (ItemCount() > 0 && SongList.items[0].kind == library::kGenreFolderItem) {
    LeaveForFolder(SongList.items[0].path, depth - 1, now);
  } else {
    // No back item (the folder vanished or can't be read): its parent is the way back.
    char parent[library::kPathBytes];
    std::snprintf(parent, sizeof parent, "%s", g_browse.currentFolder);
    library::CutParentPath(parent);
    LeaveForFolder(parent, depth - 1, now);
  }
}

void TakeDroppedFile(double now) {
  char path[library::kPathBytes];
  std::snprintf(path, sizeof path, "%s", shell::DroppedFilePath);
  shell::DroppedFilePath[0] = '\0';
  if (!IsDroppableChartPath(path)) {
    platform::ShowMessageBox(kMsgNotSupported);
    return;
  }
  // Read here on the main thread into the scene's own copy: the worker may be writing
  // CourseLevels for the item under the cursor at this very moment.
  uint8_t levels[library::kCourseCount];
  if (library::ReadCourseLevels(path, levels) != 0) {
    platform::ShowMessageBox(kMsgLevelsNotRead);
    return;
  }
  std::memcpy(Select.droppedLevels, levels, sizeof levels);
  // A chart played before shows its marks wherever it was dropped from.
  char identity[library::kIdentityBytes], recordPath[library::kPathBytes];
  chart::SongIdentity(path, identity);
  library::RecordFilePath(identity, recordPath);
  library::SongRecord record;
  library::ReadSongRecord(recordPath, &record);
  std::memcpy(Select.droppedClearStatus, record.clearStatus, sizeof record.clearStatus);
  library::ReadSongTitle(path, Select.droppedTitle);
  if (Select.droppedTitle[0] == '\0') {
    const char* name = std::strrchr(path, '/');
    library::CopyTextField(Select.droppedTitle, sizeof Select.droppedTitle, name ? name + 1 : path);
  }
  std::snprintf(Select.chosenChartPath, sizeof Select.chosenChartPath, "%s", path);
  Select.dropped = true;
  PlayMenuSound(kDon);
  SetPhase(kPhaseCourseSelect, now);
}

void Browse(double now) {
  Select.courseCursor = kStartCoursePlace;
  Select.courseDirection = 0;
  int count = ItemCount();
  if (Pressed(shell::kVkK)) {
    if (count > 0) MoveList(-1, now);
  } else if (Pressed(shell::kVkD)) {
    if (count > 0) MoveList(+1, now);
  } else if (DrumFacePressed()) {
    if (count > 0) OpenItemUnderCursor(now);
  } else if (shell::DroppedFilePath[0] != '\0') {
    TakeDroppedFile(now);
  } else if (BackPressed()) {
    GoBackUp(now);
  } else if (Pressed(shell::kVkF3)) {
    PlayMenuSound(kDon);
    g_openCalibration = true;
  }
}

void EnterList(double now) {
  if (!ListReadyNow()) {
    Select.phaseStart = now;  // the bars wait below the screen
    return;
  }
  if (!g_listArrived) {
    g_listArrived = true;
    int count = ItemCount();
    g_browse.shownDepth = g_browse.depth;
    int& cursor = CursorRef();
    if (g_browse.previousDepth < g_browse.depth) {
      cursor = count > 1 ? 1 : 0;
    } else if (cursor < 0 || cursor >= count) {
      cursor = 0;  // the folder holds fewer items than when the cursor was left here
      RequestLevels();
    }
    Select.scrollDirection = 0;
    Select.slideInstant = kLongAgo;  // a song under the cursor enters already open
  }
  if (now - Select.phaseStart >= kListSettledMs) SetPhase(kPhaseBrowse, now);
}

void LeaveList(double now) {
  if (now - Select.phaseStart < kListGoneMs) return;
  RequestFullScan();
  SetPhase(kPhaseListEntering, now);
}

void ChooseCourse(double now) {
  if (BackPressed()) {
    PlayMenuSound(kCancel);
    Select.dropped = false;
    RequestLevels();
    g_browse.previousDepth = g_browse.depth;
    SetPhase(kPhaseListEntering, now);
    return;
  }
  if (Pressed(shell::kVkD)) {
    PlayMenuSound(kKat);
    Select.courseCursor = (Select.courseCursor + 1) % kCoursePlaces;
    Select.courseDirection = 0;
  } else if (Pressed(shell::kVkK)) {
    PlayMenuSound(kKat);
    Select.courseCursor = (Select.courseCursor + kCoursePlaces - 1) % kCoursePlaces;
    Select.courseDirection = 1;
  }
  uint8_t levels[library::kCourseCount];
  ChosenLevels(levels);
  Select.courseCursor = SearchCoursePlace(Select.courseCursor, Select.courseDirection, levels);
  if (!DrumFacePressed()) return;
  if (Select.courseCursor < library::kCourseCount) {
    PlayMenuSound(kDon);
    Select.chosenCourse = Select.courseCursor;
    g_browse.previousDepth = g_browse.depth;
    SetPhase(kPhaseStartingPlay, now);
  } else if (Select.courseCursor == kPlaceBack) {
    PlayMenuSound(kCancel);
    Select.dropped = false;
    g_browse.previousDepth = g_browse.depth;
    SetPhase(kPhaseListEntering, now);
  }
}

// Drops are offered only while the player browses; a path left from another phase is old.
void SyncDropAcceptance() {
  bool accept = Select.phase == kPhaseBrowse;
  if (accept != Select.dropAccepted) {
    Select.dropAccepted = accept;
    platform::VideoAcceptDroppedFiles(accept);
  }
  if (!accept) shell::DroppedFilePath[0] = '\0';
}

// The trace's view of the scene (for scripted players): one "select" event whenever the
// phase, the folder depth, the cursor, the course cursor, the readiness of the levels or the
// auto play option change.
void TraceSelectState() {
  if (!platform::TraceEnabled()) return;
  static int last[6] = {-1, -1, -1, -1, -1, -1};
  int count = ItemCount();
  int cursor = count > 0 ? ShownCursor() : -1;
  int now[6] = {Select.phase, g_browse.depth, cursor, Select.courseCursor, LevelsReady() ? 1 : 0,
                shell::AutoPlay ? 1 : 0};
  if (std::equal(now, now + 6, last)) return;
  std::copy(now, now + 6, last);
  std::string item = "null";
  if (cursor >= 0) {
    const library::SongListItem& it = SongList.items[cursor];
    item.clear();
    platform::AppendJsonString(item, it.path);
    char marks[160];
    std::snprintf(marks, sizeof marks, ",\"kind\":%d,\"clear\":[%d,%d,%d,%d,%d],\"best\":[%d,%d,%d,%d,%d]",
                  it.kind, it.clearStatus[0], it.clearStatus[1], it.clearStatus[2], it.clearStatus[3],
                  it.clearStatus[4], it.bestScore[0], it.bestScore[1], it.bestScore[2], it.bestScore[3],
                  it.bestScore[4]);
    item += marks;
  }
  platform::TraceWrite("select", "\"phase\":%d,\"depth\":%d,\"cursor\":%d,\"course\":%d,\"levels\":%d,\"auto\":%d,\"count\":%d,\"item\":%s",
                       now[0], now[1], now[2], now[3], now[4], now[5], count, item.c_str());
}

// The song under the open bar plays while the player browses; anything else silences it.
void UpdateSongPreview(double now) {
  bool browsing = shell::SceneId.load(std::memory_order_acquire) == shell::kSceneSongSelect &&
                  Select.phase == kPhaseBrowse && CursorOnSong();
  const char* chart = browsing ? SongList.items[ShownCursor()].path : nullptr;
  UpdatePreview(now, chart, Select.slideInstant + kBarOpenDelayMs + kBarOpenMs);
}

}  // namespace

library::BrowseStateTable& SceneBrowse() { return g_browse; }

int32_t& CursorAt(int depth) {
  return g_browse.cursor[std::clamp(depth, 0, library::kCursorSlots - 1)];
}

int ShownCursor() {
  int count = ItemCount();
  int cursor = CursorAt(g_browse.shownDepth);
  return cursor >= 0 && cursor < count ? cursor : 0;
}

int ItemCount() {
  if (library::ListReady.load(std::memory_order_acquire) != 1) return 0;
  return std::clamp<int>(SongList.itemCount, 0, library::kSongListCapacity);
}

bool ListReadyNow() {
  return g_wantedRequest != library::kRequestFullScan &&
         library::ListReady.load(std::memory_order_acquire) == 1;
}

int& CursorRef() {
  int32_t& cursor = CursorAt(g_browse.depth);
  int count = ItemCount();
  if (count > 0 && (cursor < 0 || cursor >= count)) cursor = 0;
  return cursor;
}

bool CursorOnSong() {
  int count = ItemCount();
  if (count == 0) return false;
  int cursor = ShownCursor();
  if (cursor < 0 || cursor >= count) return false;
  return SongList.items[cursor].kind == library::kSongEntryItem;
}

bool LevelsReady() {
  return g_wantedRequest == library::kRequestNone &&
         library::LibraryRequest.load(std::memory_order_acquire) == library::kRequestNone &&
         library::LevelsStatus.load(std::memory_order_acquire) == library::kLevelsRead;
}

void ChosenLevels(uint8_t levels[library::kCourseCount]) {
  for (int c = 0; c < library::kCourseCount; ++c) {
    if (Select.dropped)
      levels[c] = Select.droppedLevels[c];
    else
      levels[c] = LevelsReady() ? library::CourseLevels[c].load(std::memory_order_relaxed) : 0;
  }
}

int SearchCoursePlace(int place, int direction, const unsigned char levels[library::kCourseCount]) {
  place = ((place % kCoursePlaces) + kCoursePlaces) % kCoursePlaces;
  for (int step = 0; step < kCoursePlaces; ++step) {
    if (place == kPlaceBack) return place;
    if (place < library::kCourseCount && levels[place] != 0) return place;
    place = direction == 0 ? (place + 1) % kCoursePlaces : (place + kCoursePlaces - 1) % kCoursePlaces;
  }
  return kPlaceBack;
}

bool IsDroppableChartPath(const char* path) {
  const char* dot = std::strrchr(path, '.');
  return dot != nullptr && std::strstr(dot + 1, "tja") != nullptr;
}

void EnterSongSelect(double now) {
  library::StartLibraryWorker();
  g_wantedRequest = library::kRequestNone;
  library::LibraryRequest.store(library::kRequestNone, std::memory_order_release);
  library::LevelsStatus.store(library::kLevelsPending, std::memory_order_release);
  Select.scrollDirection = 0;
  Select.slideInstant = kLongAgo;
  Select.dropped = false;
  Select.droppedTitle[0] = '\0';
  Select.sceneStart = now;
  Select.enteredFrom = shell::PreviousScene;
  Select.dropAccepted = true;  // so that the first sync switches drops off
  SetPhase(kPhaseListEntering, now);

  bool backFromPlay = (Select.enteredFrom == shell::kScenePlay ||
                       Select.enteredFrom == shell::kSceneResult ||
                       Select.enteredFrom == shell::kSceneCalibrate) &&
                      library::ListReady.load(std::memory_order_acquire) == 1 &&
                      g_browse.currentFolder[0] != '\0';
  if (!backFromPlay) {
    std::snprintf(g_browse.currentFolder, sizeof g_browse.currentFolder, "%s",
                  shell::ScoreRoot);
    g_browse.depth = 0;
    g_browse.previousDepth = -1;
    g_browse.shownDepth = 0;
    Select.courseCursor = kStartCoursePlace;
    RequestFullScan();
  } else {
    // The list is still valid; the song just played gets its new marks at once.
    g_browse.previousDepth = g_browse.depth;
    library::RereadSongRecordOfItem(CursorAt(g_browse.depth));
    RequestLevels();
  }
  PostWantedRequest();
}

void UpdateSongSelect(double now) {
  if (Pressed(shell::kVkF1)) shell::AutoPlay = !shell::AutoPlay;
  if (Pressed(shell::kVkF2)) {
    int speed = std::clamp(shell::ScrollSpeed, 1, kHighestScrollSpeed);
    shell::ScrollSpeed = speed % kHighestScrollSpeed + 1;
  }
  switch (Select.phase) {
    case kPhaseBrowse:
      Browse(now);
      break;
    case kPhaseListEntering:
      EnterList(now);
      break;
    case kPhaseListLeaving:
      LeaveList(now);
      break;
    case kPhaseCourseSelect:
      ChooseCourse(now);
      break;
    default:
      break;  // starting the play: only the options respond
  }
  PostWantedRequest();
  SyncDropAcceptance();
  TraceSelectState();
  UpdateSongPreview(now);
}

void SongSelectFrame() {
  double now = shell::AppClock;
  if (shell::SceneFrame == 1) {
    // A play asked for on the command line starts on the first entry.
    StartLaunchedPlay();
    if (shell::SceneId.load(std::memory_order_acquire) != shell::kSceneSongSelect) return;
    EnterSongSelect(now);
  }
  UpdateSongSelect(now);
  DrawSongSelect(now);
  if (g_openCalibration) {
    g_openCalibration = false;
    UpdatePreview(now, nullptr, 0.0);
    platform::VideoAcceptDroppedFiles(false);
    shell::SceneChange(shell::kSceneCalibrate);
    return;
  }
  if (Select.phase == kPhaseStartingPlay && now - Select.phaseStart >= kIrisClosedMs &&
      shell::SceneId.load(std::memory_order_acquire) == shell::kSceneSongSelect) {
    platform::VideoAcceptDroppedFiles(false);
    // The preview has faded out behind the iris; the play doesn't carry its decoded song.
    ResetPreview();
    HandOverToPlay(Select.chosenChartPath, Select.chosenCourse);
  }
}

void ResetSongSelect() {
  Select = SelectSceneState{};
  g_browse = library::BrowseStateTable{};
  g_wantedRequest = library::kRequestNone;
  g_listArrived = false;
  g_openCalibration = false;
  for (int& ring : g_soundRing) ring = 0;
  ResetPreview();
}

}  // namespace songselect
