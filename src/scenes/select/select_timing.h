// The song select's animation timings and the list geometry they move.
#pragma once

namespace songselect {

constexpr double kLongAgo = -1000000000.0;

// Browse: a move glides the bars one place; a song under the cursor opens after a pause.
constexpr double kGlideMs = 100.0;
constexpr double kBarOpenDelayMs = 500.0;
constexpr double kBarOpenMs = 200.0;
constexpr double kSongPanelFadeMs = 40.0;  // the last part of the opening

// The list at rest: nine bars, place 4 under the cursor.
constexpr int kBarPlaces = 9;
constexpr int kCursorPlace = 4;
constexpr double kBarCentreX = 319.5;
constexpr double kBarSpacing = 90.0;
constexpr double kBarWidth = 70.0;
constexpr double kBarOpenWidth = 310.0;
constexpr double kBarHeight = 316.0;
constexpr double kBarTop = 64.0;
constexpr double kNeighbourShift = 120.0;  // the bars beside an open bar move this far out

// Entering and leaving: bar i starts 50 x i ms after the phase start.
constexpr double kBarStaggerMs = 50.0;
constexpr double kRiseFromBelow = 410.0;
constexpr double kRiseSpeed = 1.24;  // px per ms, rising and falling
constexpr double kRiseMs = 350.0;
constexpr double kSettleMs = 500.0;
constexpr double kBounce = 30.0;
constexpr double kHopMs = 150.0;
constexpr double kListSettledMs = 900.0;  // bar 8 has settled
constexpr double kListGoneMs = 900.0;     // bar 8 is gone

// Course select opening.
constexpr double kSideBarStepMs = 100.0;
constexpr double kSideBarLeaveMs = 300.0;
constexpr double kSideBarLeaveDistance = 200.0;
constexpr double kCentreRiseFromMs = 300.0;
constexpr double kCentreRiseToMs = 400.0;
constexpr double kCentreRise = 40.0;
constexpr double kCentreWidenToMs = 600.0;
constexpr double kCourseWideWidth = 602.0;
constexpr double kCoursePanelFromMs = 600.0;
constexpr double kCourseMenuFadeMs = 200.0;

}  // namespace songselect
