// Drawing of the song select, back to front: background, list, clear marks, song panel,
// course select, best scores, lower band, option icons, statistics, character, irises.
#include <algorithm>
#include <cmath>

#include "graphics/graphics.h"
#include "library/library_worker.h"
#include "library/record_file.h"
#include "library/save_data.h"
#include "library/song_list.h"
#include "scenes/select/play_start.h"
#include "scenes/select/select_scene.h"
#include "scenes/select/select_timing.h"
#include "shell/state.h"
#include "theme/assets.h"
#include "theme/layout.h"
#include "theme/resource_loader.h"

namespace songselect {

namespace {

namespace sa = theme::select_assets;
using library::SongList;

constexpr double kPi = 3.14159265358979;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

// Bevel edges of a bar.
constexpr double kBevel = 3.0;
constexpr double kHighlightFactor = 1.6;
constexpr double kShadeFactor = 0.7;
constexpr double kTitleInset = 10.0;   // the title's first line below the bar top
constexpr double kClearMarkAbove = 12.0;

// Song panel: five columns, Easy on the right.
constexpr double kLevelColumnX[5] = {360, 320, 280, 240, 200};
constexpr double kLevelPanelY = 265.0;
constexpr double kLevelSymbolY = 184.0;
constexpr double kLevelMarkTopY = 218.0;  // level 10
constexpr double kLevelMarkStep = 13.0;
constexpr double kLevelStatusY = 352.0;
constexpr int kLevelMarks = 10;

// Course select.
constexpr double kCourseX[5] = {505, 450, 395, 340, 285};
constexpr double kMenuX[4] = {210, 160, 110, 60};  // change, option, record, back
constexpr double kCoursePanelX = 395.0, kMenuPanelX = 135.0, kPanelY = 202.0;
constexpr double kCourseSymbolY = 110.0, kCourseStatusY = 160.0, kCourseLevelY = 190.0;
constexpr double kMenuEntryY = 215.0;
constexpr double kSmallCourseScale = 0.75;

// Best scores: the digits end this far right of the theme's number position, inside the board.
constexpr double kScoreDigitsRightOfKey = 70.0;

// Lower band and statistics.
constexpr double kBandTop = 390.0, kPanelTop = 394.0;
constexpr uint32_t kLeftPanelColour = 0xFFB9321D, kRightPanelColour = 0xFF4A8E90;
constexpr double kStatsRight = 640.0;
constexpr double kStatsY[4] = {410, 425, 440, 455};

// Character: six pictures, and the distance it steps aside during the transitions.
constexpr double kCharaFrameMs = 120.0;
constexpr double kCharaAside = 160.0;
constexpr double kCharaSlideMs = 300.0;

constexpr double kSaveSlideMs = 400.0;
constexpr double kBannerY = 8.0;

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

uint32_t WithAlpha(uint32_t colour, double alpha) {
  return (uint32_t(Clamp01(alpha) * double(colour >> 24) + 0.5) << 24) | (colour & 0xFFFFFFu);
}

uint32_t ScaleColour(uint32_t colour, double factor) {
  auto channel = [&](int shift) {
    double v = double((colour >> shift) & 0xFF) * factor;
    return uint32_t(std::min(v, 255.0)) << shift;
  };
  return (colour & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

// One bar of the list as drawn this frame.
struct Bar {
  bool shown = false;
  double centreX = 0, top = kBarTop, width = kBarWidth, height = kBarHeight;
  int item = 0;
};

int ItemAtPlace(int cursor, int place, int count) {
  return ((cursor - kCursorPlace + place) % count + count) % count;
}

bool IsSong(int item) { return SongList.items[item].kind == library::kSongEntryItem; }

// How far the bar at place is open (0 closed, 1 open) in the browse animation.
double BrowseOpening(int place, double now, int count, int cursor) {
  double elapsed = now - Select.slideInstant;
  if (place == kCursorPlace && IsSong(ItemAtPlace(cursor, place, count)))
    return Clamp01((elapsed - kBarOpenDelayMs) / kBarOpenMs);
  // A bar that closes before the move: the old cursor's bar, still a place away.
  if (elapsed < 0 && place == kCursorPlace + Select.scrollDirection &&
      IsSong(ItemAtPlace(cursor, place, count)))
    return Clamp01(-elapsed / kBarOpenMs);
  return 0.0;
}

// The list's placement for this frame.
void PlaceBars(double now, Bar bars[kBarPlaces]) {
  int count = ItemCount();
  if (count == 0) return;
  if (Select.phase == kPhaseListEntering && !ListReadyNow()) return;
  int cursor = ShownCursor();
  if (cursor < 0 || cursor >= count) cursor = 0;
  double t = now - Select.phaseStart;
  bool courseSelect = Select.phase == kPhaseCourseSelect || Select.phase == kPhaseStartingPlay;
  if (Select.phase == kPhaseStartingPlay) t = 1e9;  // the course select has fully opened

  // Browse glide and opening.
  double glide = -Select.scrollDirection * kBarSpacing *
                 (1.0 - Clamp01((now - Select.slideInstant) / kGlideMs));
  int openPlace = -1;
  double open = 0.0;
  for (int place = 0; place < kBarPlaces; ++place) {
    double o = BrowseOpening(place, now, count, cursor);
    if (o > 0.0) {
      openPlace = place;
      open = o;
    }
  }
  if (Select.phase == kPhaseListEntering || courseSelect) {
    glide = 0.0;
    bool song = IsSong(cursor) || (courseSelect && Select.dropped);
    openPlace = song || courseSelect ? kCursorPlace : -1;
    open = openPlace >= 0 ? 1.0 : 0.0;
  }

  for (int place = 0; place < kBarPlaces; ++place) {
    Bar& bar = bars[place];
    bar.shown = true;
    bar.item = ItemAtPlace(cursor, place, count);
    bar.centreX = kBarCentreX + (place - kCursorPlace) * kBarSpacing + glide;
    if (openPlace >= 0) {
      if (place < openPlace) bar.centreX -= kNeighbourShift * open;
      if (place > openPlace) bar.centreX += kNeighbourShift * open;
      if (place == openPlace) bar.width = kBarWidth + (kBarOpenWidth - kBarWidth) * open;
    }
    double u = t - kBarStaggerMs * place;
    if (Select.phase == kPhaseListEntering) {
      double below;
      if (u < 0) {
        below = kRiseFromBelow;
      } else if (u < kRiseMs) {
        below = kRiseFromBelow - kRiseSpeed * u;
      } else if (u < kSettleMs) {
        // From 24 px above its place down into it, dipping once below it.
        double s = (u - kRiseMs) / (kSettleMs - kRiseMs);
        double over = kRiseSpeed * kRiseMs - kRiseFromBelow;
        below = -over * std::cos(s * kPi * 1.5) * (1.0 - s) +
                kBounce * 0.3 * std::sin(s * kPi) * s;
      } else {
        below = 0.0;
      }
      bar.top += below;
    } else if (Select.phase == kPhaseListLeaving) {
      if (u >= kSettleMs) {
        bar.shown = false;
      } else if (u >= kHopMs) {
        bar.top += kRiseSpeed * (u - kHopMs);
      } else if (u >= 0) {
        bar.top -= kBounce * std::sin(kPi * u / kHopMs);
      }
    } else if (courseSelect) {
      if (place != kCursorPlace) {
        int ring = std::min(place, kBarPlaces - 1 - place);
        double start = kSideBarStepMs * ring;
        double k = (t - start) / kSideBarLeaveMs;
        if (k >= 1.0) {
          bar.shown = false;
        } else if (k > 0.0) {
          bar.centreX += (place < kCursorPlace ? -1 : 1) * kSideBarLeaveDistance * k;
        }
      } else {
        double rise = Clamp01((t - kCentreRiseFromMs) / (kCentreRiseToMs - kCentreRiseFromMs));
        bar.top -= kCentreRise * rise;
        bar.height += kCentreRise * rise;
        double widen = Clamp01((t - kCentreRiseToMs) / (kCentreWidenToMs - kCentreRiseToMs));
        bar.width = kBarOpenWidth + (kCourseWideWidth - kBarOpenWidth) * widen;
      }
    }
  }
}

void DrawBackground(double now) {
  int tile = sa::Bg;
  int w = graphics::GetTextureWidth(tile);
  if (w <= 0) return;
  double offset = std::fmod(theme::SongSelectLayout.bg_scroll_speed * (now - Select.sceneStart) / 1000.0, w);
  if (offset < 0) offset += w;
  for (double x = -offset; x < graphics::kScreenWidth; x += w) graphics::DrawSprite(tile, std::floor(x), 0);
}

void DrawBarBox(const Bar& bar, uint32_t colour) {
  colour |= 0xFF000000u;
  double l = bar.centreX - bar.width / 2, r = bar.centreX + bar.width / 2;
  double t = bar.top, b = bar.top + bar.height;
  graphics::FillRect(l, t, r, b, colour);
  uint32_t light = ScaleColour(colour, kHighlightFactor), shade = ScaleColour(colour, kShadeFactor);
  graphics::FillRect(l, t, r, t + kBevel, light);
  graphics::FillRect(l, t + kBevel, l + kBevel, b, light);
  graphics::FillRect(l + kBevel, b - kBevel, r, b, shade);
  graphics::FillRect(r - kBevel, t + kBevel, r, b - kBevel, shade);
}

const char* BarTitle(const Bar& bar, int place) {
  if (place == kCursorPlace && Select.dropped &&
      (Select.phase == kPhaseCourseSelect || Select.phase == kPhaseStartingPlay))
    return Select.droppedTitle;
  return SongList.items[bar.item].title;
}

void DrawBarTitle(const Bar& bar, int place) {
  // An open bar keeps its title along its right edge, clear of the song and course panels.
  double x = bar.centreX + (bar.width - kBarWidth) / 2;
  graphics::DrawTextVertical(sa::TitleFont, x, bar.top + kTitleInset, kWhite, "%s", BarTitle(bar, place));
}

int ClearMarkOf(const library::SongListItem& item) {
  for (int c = library::kCourseCount - 1; c >= 0; --c) {
    if (item.clearStatus[c] == library::kClearFullCombo) return sa::StatusFullcombo[c];
    if (item.clearStatus[c] == library::kClearPassed) return sa::StatusClear[c];
  }
  for (int c = 0; c < library::kCourseCount; ++c)
    if (item.clearStatus[c] == library::kClearFailed) return sa::StatusFailed;
  return sa::StatusNew;
}

void DrawList(const Bar bars[kBarPlaces]) {
  // Outer bars first so that an open bar's neighbours pass under it.
  const int order[kBarPlaces] = {0, 8, 1, 7, 2, 6, 3, 5, 4};
  for (int place : order) {
    const Bar& bar = bars[place];
    if (!bar.shown) continue;
    DrawBarBox(bar, SongList.items[bar.item].colour);
    DrawBarTitle(bar, place);
  }
  for (int place : order) {
    const Bar& bar = bars[place];
    if (!bar.shown || !IsSong(bar.item)) continue;
    if (place == kCursorPlace && Select.phase >= kPhaseCourseSelect) continue;
    graphics::DrawSpriteCentered(ClearMarkOf(SongList.items[bar.item]), bar.centreX,
                                 bar.top - kClearMarkAbove);
  }
}

// How strongly the song panel shows this frame (0 hidden).
double SongPanelAlpha(double now, const Bar bars[kBarPlaces]) {
  bool song = CursorOnSong() || Select.dropped;
  if (!song || !bars[kCursorPlace].shown) return 0.0;
  double t = now - Select.phaseStart;
  switch (Select.phase) {
    case kPhaseBrowse: {
      double openEnd = Select.slideInstant + kBarOpenDelayMs + kBarOpenMs;
      return Clamp01((now - (openEnd - kSongPanelFadeMs)) / kSongPanelFadeMs);
    }
    case kPhaseListEntering:
      return 1.0;
    case kPhaseCourseSelect:
      return 1.0 - Clamp01((t - kCentreRiseToMs) / (kCentreWidenToMs - kCentreRiseToMs));
    default:
      return 0.0;
  }
}

int CourseStatus(int course) {
  if (Select.dropped) return Select.droppedClearStatus[course];
  if (!CursorOnSong()) return 0;
  int cursor = ShownCursor();
  return SongList.items[cursor].clearStatus[course];
}

void DrawSongPanel(double alpha, double dy) {
  if (alpha <= 0.0) return;
  uint8_t levels[library::kCourseCount];
  ChosenLevels(levels);
  const int levelStatus[4] = {sa::LevelStatusNew, sa::LevelStatusFailed, sa::LevelStatusClear,
                              sa::LevelStatusFullcombo};
  for (int c = 0; c < library::kCourseCount; ++c) {
    double x = kLevelColumnX[c];
    uint32_t colour = WithAlpha(kWhite, levels[c] ? alpha : alpha * 0.5);
    graphics::DrawSpriteCenteredColor(sa::LevelPanel, colour, x, kLevelPanelY + dy);
    graphics::DrawSpriteCenteredColor(sa::LevelSymbol[c], colour, x, kLevelSymbolY + dy);
    if (levels[c]) {
      int status = std::clamp(CourseStatus(c), 0, 3);
      graphics::DrawSpriteCenteredColor(levelStatus[status], colour, x, kLevelStatusY + dy);
    }
    for (int k = 0; k < kLevelMarks; ++k) {
      int number = kLevelMarks - k;  // the top mark stands for level 10
      int mark = levels[c] > kLevelMarks ? sa::Level[2] : levels[c] >= number ? sa::Level[1] : sa::Level[0];
      graphics::DrawSpriteCenteredColor(mark, colour, x, kLevelMarkTopY + kLevelMarkStep * k + dy);
    }
  }
}

double CoursePlaceX(int place) {
  if (place < library::kCourseCount) return kCourseX[place];
  return kMenuX[std::clamp(place - library::kCourseCount, 0, 3)];
}

void DrawCourseSelect(double now) {
  double t = Select.phase == kPhaseStartingPlay ? 1e9 : now - Select.phaseStart;
  if (t < kCoursePanelFromMs) return;
  double menuAlpha = Clamp01((t - kCoursePanelFromMs) / kCourseMenuFadeMs);
  uint8_t levels[library::kCourseCount];
  ChosenLevels(levels);
  graphics::DrawSpriteCentered(sa::CoursePanel, kCoursePanelX, kPanelY);
  graphics::DrawSpriteCenteredColor(sa::MenuPanel, WithAlpha(kWhite, menuAlpha), kMenuPanelX, kPanelY);
  const int courseStatus[4] = {sa::CourseStatusNew, sa::CourseStatusFailed, sa::CourseStatusClear,
                               sa::CourseStatusFullcombo};
  for (int c = 0; c < library::kCourseCount; ++c) {
    double scale = c == Select.courseCursor ? 1.0 : kSmallCourseScale;
    uint32_t colour = levels[c] ? kWhite : WithAlpha(kWhite, 0.5);
    graphics::DrawSpriteScaledColorCentered(sa::CourseSymbol[c], colour, kCourseX[c], kCourseSymbolY, scale, scale);
    int status = std::clamp(CourseStatus(c), 0, 3);
    graphics::DrawSpriteScaledColorCentered(courseStatus[status], colour, kCourseX[c], kCourseStatusY, scale, scale);
    if (levels[c])
      graphics::DrawTextCentered(kCourseX[c], kCourseLevelY, 0xFF5A2A1A, sa::FixedFont, "★%d", levels[c]);
  }
  const int menu[4] = {sa::MenuChange, sa::MenuOption, sa::MenuRecord, sa::MenuBack};
  for (int m = 0; m < 4; ++m)
    graphics::DrawSpriteCenteredColor(menu[m], WithAlpha(kWhite, menuAlpha), kMenuX[m], kMenuEntryY);
  graphics::DrawSpriteCentered(sa::Cursor, CoursePlaceX(Select.courseCursor), kPanelY);
}

void DrawBestScores(double alpha) {
  if (alpha <= 0.0 || Select.phase != kPhaseBrowse || !CursorOnSong()) return;
  const theme::SongSelectLayoutData& l = theme::SongSelectLayout;
  const int board[5][4] = {
      {l.easy_score_board_x, l.easy_score_board_y, l.easy_score_num_x, l.easy_score_num_y},
      {l.normal_score_board_x, l.normal_score_board_y, l.normal_score_num_x, l.normal_score_num_y},
      {l.hard_score_board_x, l.hard_score_board_y, l.hard_score_num_x, l.hard_score_num_y},
      {l.oni_score_board_x, l.oni_score_board_y, l.oni_score_num_x, l.oni_score_num_y},
      {l.edit_score_board_x, l.edit_score_board_y, l.edit_score_num_x, l.edit_score_num_y}};
  int cursor = ShownCursor();
  const library::SongListItem& item = SongList.items[cursor];
  uint32_t colour = WithAlpha(kWhite, alpha);
  double advance = l.score_num_w;
  for (int c = 0; c < library::kCourseCount; ++c) {
    graphics::DrawSpriteCenteredColor(sa::ScoreBoard[c], colour, board[c][0], board[c][1]);
    long long score = std::max(item.bestScore[c], 0);
    double onesX = board[c][2] + kScoreDigitsRightOfKey - advance / 2;
    graphics::DrawDigitNumber(sa::ScoreNumber, score, graphics::NumberDigitCount(score), onesX,
                              board[c][3], advance, colour);
  }
}

void DrawLowerBand() {
  graphics::FillRect(0, kBandTop, graphics::kScreenWidth, graphics::kScreenHeight, kBlack);
  graphics::FillRect(0, kPanelTop, 318, graphics::kScreenHeight, kLeftPanelColour);
  graphics::FillRect(322, kPanelTop, graphics::kScreenWidth, graphics::kScreenHeight, kRightPanelColour);
}

void DrawOptionIcons() {
  const theme::SongSelectLayoutData& l = theme::SongSelectLayout;
  if (shell::AutoPlay) graphics::DrawSprite(sa::AutoIcon, l.auto_icon_x, l.auto_icon_y);
  if (shell::ScrollSpeed >= 2 && shell::ScrollSpeed <= 4)
    graphics::DrawSprite(sa::SpeedIcon[shell::ScrollSpeed - 2], l.scrollspeed_icon_x, l.scrollspeed_icon_y);
}

void DrawStatistics() {
  const library::GlobalStatsData& g = library::GlobalStats;
  graphics::DrawTextRight(kStatsRight, kStatsY[0], kBlack, sa::FixedFont, "起動回数:%d", g.launchCount);
  graphics::DrawTextRight(kStatsRight, kStatsY[1], kBlack, sa::FixedFont, "プレイ時間:%d", g.playTime);
  graphics::DrawTextRight(kStatsRight, kStatsY[2], kBlack, sa::FixedFont, "演奏回数:%d", g.playCount);
  graphics::DrawTextRight(kStatsRight, kStatsY[3], kBlack, sa::FixedFont, "太鼓カウンター:%d", g.drumCounter);
}

// How far the character has stepped aside (0 in place, 1 fully aside).
double CharacterAside(double now) {
  double t = now - Select.phaseStart;
  switch (Select.phase) {
    case kPhaseListLeaving:
      return Clamp01(t / kCharaSlideMs);
    case kPhaseListEntering:
      if (!ListReadyNow()) return 1.0;
      return 1.0 - Clamp01((t - kListSettledMs + kCharaSlideMs) / kCharaSlideMs);
    case kPhaseCourseSelect:
    case kPhaseStartingPlay:
      return Select.phase == kPhaseStartingPlay ? 1.0 : Clamp01(t / kCharaSlideMs);
    default:
      return 0.0;
  }
}

void DrawCharacter(double now) {
  const theme::SongSelectLayoutData& l = theme::SongSelectLayout;
  int frame = int(std::fmod(std::max(now - Select.sceneStart, 0.0) / kCharaFrameMs, 6.0));
  double aside = CharacterAside(now);
  // Eased so that it slips away quickly and comes back gently.
  double x = l.character_p1_x - kCharaAside * (1.0 - (1.0 - aside) * (1.0 - aside));
  graphics::DrawSprite(sa::CharaP1[std::clamp(frame, 0, 5)], x, l.character_p1_y);
}

void DrawEntryAnimation(double now) {
  double t = now - Select.sceneStart;
  if (Select.enteredFrom == shell::kScenePlay) {
    DrawOpeningIris(theme::LoadCourse, t);
  } else if (Select.enteredFrom == shell::kSceneResult && t >= 0 && t < kSaveSlideMs) {
    graphics::DrawSprite(sa::LoadSave, 36, 280 + t / 1.5);
  }
}

}  // namespace

void DrawSongSelect(double now) {
  Bar bars[kBarPlaces];
  PlaceBars(now, bars);
  DrawBackground(now);
  if (Select.phase <= kPhaseListLeaving) graphics::DrawSprite(sa::MessageSongSelect, 0, kBannerY);
  DrawList(bars);
  double panelAlpha = SongPanelAlpha(now, bars);
  double panelDy = Select.phase == kPhaseListEntering ? bars[kCursorPlace].top - kBarTop : 0.0;
  if (Select.phase == kPhaseBrowse || Select.phase == kPhaseListEntering || Select.phase == kPhaseCourseSelect)
    DrawSongPanel(panelAlpha, panelDy);
  if (Select.phase >= kPhaseCourseSelect) DrawCourseSelect(now);
  DrawBestScores(panelAlpha);
  DrawLowerBand();
  DrawOptionIcons();
  DrawStatistics();
  DrawCharacter(now);
  if (Select.phase == kPhaseStartingPlay) DrawClosingIris(Select.chosenCourse, now - Select.phaseStart);
  DrawEntryAnimation(now);
}

}  // namespace songselect
