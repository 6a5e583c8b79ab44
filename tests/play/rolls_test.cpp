// Rolls and balloons, manual and automatic.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

// F+D: one don and one kat hit; F+J: one don hit (a roll takes one don per poll); hits before
// the start do not count.
TEST(Roll, KatHitsCountAndBothColoursInOnePollCountTwice) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  EXPECT_EQ(PlayWith({Press(990.0, "F"), Press(999.0, "J"), Press(1100.0, "K"), Press(1200.0, "FD"), Press(1300.0, "FJ")}).roll, 4);
}

// The balloon's picture steps up a stage per hit and holds at six; the burst and the score
// of a burst are in the whole play "rolls" of conformance_test.
TEST(Balloon, StagesFollowTheHitsAndHoldAtSix) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 10);
  b.Note(chart::kNoteRollEnd, 3000.0);
  std::vector<play::SimPress> drumming;
  for (int i = 0; i < 10; ++i) drumming.push_back(Press(1000.0 + i * 100, "F", 50));
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, drumming, &r);
  for (int hit = 1; hit <= 9; ++hit) {
    ASSERT_TRUE(play::SimRunUntil(900.0 + hit * 100));
    EXPECT_EQ(play::Play.balloonStage.load(), hit < 6 ? hit : 6) << "after hit " << hit;
    EXPECT_EQ(play::Play.remainingHits.load(), 10 - hit);
    EXPECT_EQ(play::NoteX(0), play::kLeaveLaneX);
  }
  ASSERT_TRUE(play::SimRunUntil(1900.0));
  EXPECT_EQ(play::NoteState(0), play::kNoteBurst);
  EXPECT_EQ(play::Play.balloonStage.load(), play::kBalloonBurstStage);
  EXPECT_EQ(play::Play.balloonTime.load(), 1900.0);
  play::SimFinish(&r);
  EXPECT_EQ(r.roll, 0);  // balloon hits are not roll hits
}

// 17 ms early counts, 18 ms does not (15 and 20 are in the whole play "rolls").
TEST(Balloon, HitBeforeTheStart) {
  for (auto [early, hits] : {std::pair{17.0, 1}, {18.0, 0}}) {
    ChartBuilder b;
    b.Note(chart::kNoteBalloon, 1000.0, 0, false, 5);
    b.Note(chart::kNoteRollEnd, 3000.0);
    EXPECT_EQ(PlayWith({Press(1000.0 - early, "F")}).notes[0].hits, hits) << early;
  }
}

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
  // It scrolls away from the mark at its end's position while its end marker is on screen.
  ASSERT_TRUE(play::SimRunUntil(2100.0));
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  EXPECT_DOUBLE_EQ(play::NoteX(0), (2000.0 - 2100.0) / 4.0 + 149.0);
  play::SimFinish(&r);
  EXPECT_EQ(r.notes[0].hits + r.score, 0);
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
    EXPECT_EQ(Auto().notes[0].state, play::kNoteBurst);
  }
}

}  // namespace
