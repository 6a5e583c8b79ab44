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

TEST(Roll, KatHitsCountAndBothColoursInOnePollCountTwice) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = PlayWith({Press(1100.0, "K"), Press(1200.0, "FD"), Press(1300.0, "FJ")});
  // F+D: one don and one kat hit; F+J: one don hit (a roll takes one don per poll).
  EXPECT_EQ(r.roll, 4);
}

TEST(Roll, HitsBeforeTheStartDoNotCount) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  SimResult r = PlayWith({Press(990.0, "F"), Press(999.0, "J")});
  EXPECT_EQ(r.roll, 0);
}

// The balloon's picture steps up a stage per hit and holds at six; the burst and the score
// of a burst are in the whole play "rolls" of conformance_test.
TEST(Balloon, StagesFollowTheHitsAndHoldAtSix) {
  ChartBuilder b;
  b.Note(chart::kNoteBalloon, 1000.0, 0, false, 10);
  b.Note(chart::kNoteRollEnd, 3000.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, Drumming(1000.0, 10, 100.0), &r);
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

// 15 ms early counts and 20 ms early does not in the whole play "rolls" of conformance_test.
INSTANTIATE_TEST_SUITE_P(Window, BalloonEarly, ::testing::Values(EarlyCase{17, 1}, EarlyCase{18, 0}));

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

}  // namespace
