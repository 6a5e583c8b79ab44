// Rolls and balloons, manual and automatic.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

std::vector<play::SimPress> Drumming(double from, int count, double every, const char* keys = "F") {
  std::vector<play::SimPress> out;
  for (int i = 0; i < count; ++i) out.push_back(Press(from + i * every, keys, every / 2));
  return out;
}

struct RollCase {
  const char* name;
  int type;
  bool gogo;
  int score;
};

class RollScore : public ::testing::TestWithParam<RollCase> {};

TEST_P(RollScore, TwentyFiveHitsInOneSecond) {
  const RollCase& c = GetParam();
  ChartBuilder b;
  b.Note(c.type, 1000.0, 0, c.gogo);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = PlayWith(Drumming(1000.0, 25, 40.0, "J"));
  EXPECT_EQ(r.roll, 25);
  EXPECT_EQ(r.notes[0].hits, 25);
  EXPECT_EQ(r.score, c.score);
  EXPECT_EQ(r.combo, 0);
  EXPECT_EQ(r.maxCombo, 0);
  EXPECT_EQ(r.gauge, 0.0);
  EXPECT_EQ(r.notes[0].state, play::kNoteFinished);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RollScore,
                         ::testing::Values(RollCase{"roll", chart::kNoteRoll, false, 7500},
                                           RollCase{"rollGogo", chart::kNoteRoll, true, 9000},
                                           RollCase{"bigRoll", chart::kNoteBigRoll, false, 9000},
                                           RollCase{"bigRollGogo", chart::kNoteBigRoll, true, 10750}),
                         [](const ::testing::TestParamInfo<RollCase>& i) { return std::string(i.param.name); });

TEST(Roll, KatHitsCountAndBothColoursInOnePollCountTwice) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = PlayWith({Press(1100.0, "K"), Press(1200.0, "FD"), Press(1300.0, "FJ")});
  // F+D: one don and one kat hit; F+J: one don hit (a roll takes one don per poll).
  EXPECT_EQ(r.roll, 4);
}

TEST(Roll, HitAtTheEndCountsOneMillisecondLaterEndsIt) {
  {
    ChartBuilder b;
    b.Note(chart::kNoteRoll, 1000.0);
    b.Note(chart::kNoteRollEnd, 2000.0);
    SimResult r = PlayWith({Press(2000.0, "F")});
    EXPECT_EQ(r.roll, 1);
    EXPECT_EQ(r.score, 300);
  }
  {
    ChartBuilder b;
    b.Note(chart::kNoteRoll, 1000.0);
    b.Note(chart::kNoteRollEnd, 2000.0);
    play::SimResult r;
    play::SimBegin(play::SimOptions{}, {Press(2001.0, "F")}, &r);
    ASSERT_TRUE(play::SimRunUntil(2000.0));
    EXPECT_EQ(play::NoteState(0), play::kNotePending);
    ASSERT_TRUE(play::SimRunUntil(2001.0));
    EXPECT_EQ(play::NoteState(0), play::kNotePassed);
    play::SimFinish(&r);
    EXPECT_EQ(r.roll, 0);
    EXPECT_EQ(r.score, 0);
  }
}

TEST(Roll, HitsBeforeTheStartDoNotCount) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = PlayWith({Press(990.0, "F"), Press(999.0, "J")});
  EXPECT_EQ(r.roll, 0);
}

TEST(Balloon, FiveHitsBurstFor6200) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 5);
  b.Note(chart::kNoteRollEnd, 3000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, Drumming(1000.0, 5, 100.0), &r);
  const int stages[4] = {1, 2, 3, 4};
  for (int hit = 0; hit < 4; ++hit) {
    ASSERT_TRUE(play::SimRunUntil(1000.0 + hit * 100));
    EXPECT_EQ(play::Play.balloonStage.load(), stages[hit]) << "after hit " << hit + 1;
    EXPECT_EQ(play::Play.remainingHits.load(), 4 - hit);
    EXPECT_EQ(play::Play.score.load(), 300 * (hit + 1));
    EXPECT_EQ(play::NoteX(0), play::kLeaveLaneX);
  }
  ASSERT_TRUE(play::SimRunUntil(1400.0));
  EXPECT_EQ(play::NoteState(0), play::kNoteBurst);
  EXPECT_EQ(play::Play.balloonStage.load(), play::kBalloonBurstStage);
  EXPECT_EQ(play::Play.balloonTime.load(), 1400.0);
  play::SimFinish(&r);
  EXPECT_EQ(r.score, 6200);
  EXPECT_EQ(r.roll, 0);  // balloon hits are not roll hits
  EXPECT_EQ(r.combo, 0);
}

TEST(Balloon, GogoBurstAndStageHeldAtSix) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, true, 10);
  b.Note(chart::kNoteRollEnd, 3000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, Drumming(1000.0, 10, 100.0), &r);
  ASSERT_TRUE(play::SimRunUntil(1800.0));  // 9 hits
  EXPECT_EQ(play::Play.balloonStage.load(), 6);
  play::SimFinish(&r);
  play::SimResult full = PlayWith(Drumming(1000.0, 10, 100.0));
  EXPECT_EQ(full.score, 9 * 360 + 6000);
}

TEST(Balloon, BothDonKeysCountTwice) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 4);
  b.Note(chart::kNoteRollEnd, 3000.0);
  SimResult r = PlayWith({Press(1000.0, "FJ"), Press(1100.0, "FJ"), Press(1200.0, "K")});
  EXPECT_EQ(r.notes[0].state, play::kNoteBurst);
  EXPECT_EQ(r.notes[0].hits, 4);
  EXPECT_EQ(r.score, 900 + 5000);
}

struct EarlyCase {
  double early;
  int hits;
};
class BalloonEarly : public ::testing::TestWithParam<EarlyCase> {};

TEST_P(BalloonEarly, HitBeforeTheStart) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 5);
  b.Note(chart::kNoteRollEnd, 3000.0);
  SimResult r = PlayWith({Press(1000.0 - GetParam().early, "F")});
  EXPECT_EQ(r.notes[0].hits, GetParam().hits);
}

INSTANTIATE_TEST_SUITE_P(Window, BalloonEarly,
                         ::testing::Values(EarlyCase{15, 1}, EarlyCase{17, 1}, EarlyCase{18, 0}, EarlyCase{20, 0}));

TEST(Balloon, NeverHitEndsWithoutAFailedDisplay) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 5);
  b.Note(chart::kNoteRollEnd, 2000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {}, &r);
  ASSERT_TRUE(play::SimRunUntil(1500.0));
  EXPECT_EQ(play::NoteX(0), play::kJudgeMarkX);  // held on the mark
  ASSERT_TRUE(play::SimRunUntil(2001.0));
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  EXPECT_EQ(play::Play.balloonStage.load(), play::kBalloonIdle);
  ASSERT_TRUE(play::SimRunUntil(2100.0));
  // It scrolls away from the mark at its end's position while its end marker is on screen.
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  EXPECT_DOUBLE_EQ(play::NoteX(0), (2000.0 - 2100.0) / 4.0 + 149.0);
  play::SimFinish(&r);
  EXPECT_EQ(r.notes[0].hits, 0);
  EXPECT_EQ(r.score, 0);
}

TEST(Balloon, HitTwiceThenLeftFails) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 5);
  b.Note(chart::kNoteRollEnd, 2000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {Press(1100.0, "F"), Press(1200.0, "J")}, &r);
  ASSERT_TRUE(play::SimRunUntil(2000.0));
  EXPECT_EQ(play::Play.balloonStage.load(), 2);
  ASSERT_TRUE(play::SimRunUntil(2001.0));
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  EXPECT_EQ(play::Play.balloonStage.load(), play::kBalloonFailedStage);
  EXPECT_EQ(play::Play.balloonTime.load(), 2001.0);
  ASSERT_TRUE(play::SimRunUntil(2002.0));
  EXPECT_EQ(play::NoteState(0), play::kNoteFinished);
  play::SimFinish(&r);
  EXPECT_EQ(r.score, 600);
}

TEST(Balloon, AnEarlierBurstDoesNotHideTheNextBalloon) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 1);
  b.Note(chart::kNoteRollEnd, 1500.0);
  b.Note(chart::kNoteBalloon, 3000.0, 0, false, 5);
  b.Note(chart::kNoteRollEnd, 4000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {Press(1000.0, "F")}, &r);
  ASSERT_TRUE(play::SimRunUntil(3500.0));
  EXPECT_EQ(play::NoteState(0), play::kNoteBurst);
  EXPECT_EQ(play::NoteX(2), play::kJudgeMarkX);
  ASSERT_TRUE(play::SimRunUntil(4001.0));
  EXPECT_EQ(play::NoteState(2), play::kNotePassed);
  EXPECT_EQ(play::Play.balloonStage.load(), play::kBalloonBurstStage);
  play::SimFinish(&r);
}

TEST(Balloon, RequiredHitsBelowOneCountAsOne) {
  for (int required : {0, -3}) {
    ChartBuilder b;
    b.Note(chart::kNoteBalloon, 1000.0, 0, false, required);
    b.Note(chart::kNoteRollEnd, 2000.0);
    SimResult r = PlayWith({Press(1000.0, "F")});
    EXPECT_EQ(r.notes[0].state, play::kNoteBurst);
    EXPECT_EQ(r.score, 5000);
    SimResult a = Auto();
    EXPECT_EQ(a.notes[0].state, play::kNoteBurst);
  }
}

TEST(AutoPlay, BalloonOfTenHitsBurstsNinetyPercentIn) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 10);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = Auto();
  ASSERT_EQ(r.judgements.size(), 10u);
  // One hit every 100 ms from the start; a hit comes on the first pass past its moment.
  EXPECT_EQ(r.judgements[0].clock, 1000.0);
  for (size_t i = 1; i < 10; ++i) EXPECT_EQ(r.judgements[i].clock, 1000.0 + 100.0 * i + 1.0);
  EXPECT_EQ(r.notes[0].state, play::kNoteBurst);
  EXPECT_EQ(r.score, 9 * 300 + 5000);
}

TEST(AutoPlay, RollIsDrummedTwentyTimesASecond) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  b.Note(chart::kNoteDon, 2500.0);
  SimResult r = Auto();
  EXPECT_EQ(r.roll, 20);
  EXPECT_EQ(r.great, 1);
  EXPECT_EQ(r.notes[0].state, play::kNoteFinished);
}

}  // namespace
