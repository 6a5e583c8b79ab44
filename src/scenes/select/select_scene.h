// src/scenes/select/: the song select scene. Includes the layers below (theme/, graphics/,
// sound/, library/, chart/, shell/, platform/), no other scene.
//
// The song select scene: browsing the library, the course select, the play options, drag and
// drop and the start of a play.
#pragma once

#include <cstdint>

#include "library/song_files.h"
#include "library/song_list.h"

namespace songselect {

// The scene's sub-states.
enum SelectPhase : int {
  kPhaseBrowse = 0,
  kPhaseListEntering = 1,
  kPhaseListLeaving = 2,
  kPhaseCourseSelect = 3,
  kPhaseStartingPlay = 4,
};

// The course cursor's ring of nine places.
constexpr int kCoursePlaces = 9;
constexpr int kPlaceBack = 8;  // 5 change, 6 option and 7 record are never selectable
constexpr int kStartCoursePlace = 3;  // Oni

// Messages of the scene, shown in a message box.
constexpr const char* kMsgLevelsNotRead = "コースが読み込まれていません";
constexpr const char* kMsgNotSupported = "このファイルには対応していません";

struct SelectSceneState {
  int phase = kPhaseListEntering;
  double phaseStart = 0.0;     // AppClock of the last phase change
  double sceneStart = 0.0;     // AppClock of the scene's first frame
  int enteredFrom = 0;         // the scene before this entry (entry animations)
  int courseCursor = kStartCoursePlace;
  int courseDirection = 0;     // 0 after D (ahead), 1 after K (back)
  int scrollDirection = 0;     // -1 after K, +1 after D, 0 at rest
  double slideInstant = -1e9;  // when the bars start gliding to their new places
  bool dropped = false;        // the course select runs for a dropped chart
  char droppedTitle[library::kTitleBytes] = {};
  unsigned char droppedLevels[library::kCourseCount] = {};  // read when it was dropped
  int droppedClearStatus[library::kCourseCount] = {};      // from the chart's own record
  char chosenChartPath[library::kPathBytes] = {};
  int chosenCourse = 0;
  bool dropAccepted = false;   // what the window was last told
};
extern SelectSceneState Select;

// The main loop calls this once per frame while the scene is SongSelect.
void SongSelectFrame();

// The parts of one frame (tests drive them on their own): the entry work of the first frame,
// the options and the phase logic at AppClock now, and the drawing.
void EnterSongSelect(double now);
void UpdateSongSelect(double now);
void DrawSongSelect(double now);

// The course cursor moved on from place in direction (0 ahead, 1 back) until it stands on a
// course with a level or on back; levels[course] of the five courses.
int SearchCoursePlace(int place, int direction, const unsigned char levels[library::kCourseCount]);

// Whether the text after the last "." of path names a chart ("tja" in lower case within it).
bool IsDroppableChartPath(const char* path);

// What the phases and the drawing share: the items of a ready list (0 while a list is built),
// the cursor of the current depth (kept within the list), whether the item under the shown
// cursor is a song, whether the levels of the item under the cursor are read, and the levels
// of the chart the course select offers (a dropped chart's own).
// The scene's browse state (current folder, depth, a cursor per depth); the library worker
// gets a copy of it with every request.
library::BrowseStateTable& SceneBrowse();
int32_t& CursorAt(int depth);
int ShownCursor();  // the cursor the list is drawn round, kept within the list
int ItemCount();
bool ListReadyNow();
int& CursorRef();
bool CursorOnSong();
bool LevelsReady();
void ChosenLevels(uint8_t levels[library::kCourseCount]);

void ResetSongSelect();

}  // namespace songselect
