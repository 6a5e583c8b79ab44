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

// A balloon left alone is held on the mark, then passes and scrolls away from the mark at its
// end's position while its end marker is on screen; a burst stays shown while a later
// balloon is left alone; a balloon hit twice then left shows as failed for a pass.
TEST(Balloon, LeftAloneBurstAndFailedStages) {
  ChartBuilder b;
  for (auto [start, end, hits] : {std::tuple{1000.0, 2000.0, 5}, {3000.0, 3500.0, 1}, {5000.0, 6000.0, 5}, {8000.0, 9000.0, 5}}) {
    b.Note(chart::kNoteBalloon, start, 0, false, hits);
    b.Note(chart::kNoteRollEnd, end);
  }
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {Press(3000.0, "F"), Press(8100.0, "F"), Press(8200.0, "J")}, &r);
  auto at = [](double clock, int note) {
    EXPECT_TRUE(play::SimRunUntil(clock));
    return std::vector<double>({double(play::NoteState(note)), play::NoteX(note), double(play::Play.balloonStage.load())});
  };
  using V = std::vector<double>;
  EXPECT_EQ(at(1500.0, 0), (V{play::kNotePending, play::kJudgeMarkX, play::kBalloonIdle}));
  EXPECT_EQ(at(2001.0, 0), (V{play::kNotePassed, play::kJudgeMarkX, play::kBalloonIdle}));
  EXPECT_EQ(at(2100.0, 0), (V{play::kNotePassed, (2000.0 - 2100.0) / 4.0 + 149.0, play::kBalloonIdle}));
  EXPECT_EQ(at(5500.0, 4), (V{play::kNotePending, play::kJudgeMarkX, play::kBalloonBurstStage}));
  EXPECT_EQ(at(6001.0, 4)[2], play::kBalloonBurstStage);
  EXPECT_EQ(at(9000.0, 6)[2], 2);
  EXPECT_EQ(at(9001.0, 6), (V{play::kNotePassed, play::kLeaveLaneX, play::kBalloonFailedStage}));
  EXPECT_EQ(play::Play.balloonTime.load(), 9001.0);
  EXPECT_EQ(at(9002.0, 6)[0], play::kNoteFinished);
  play::SimFinish(&r);
  EXPECT_EQ(std::vector<int>({r.notes[0].hits, r.notes[2].hits, r.notes[4].hits, r.notes[6].hits, r.score}),
            std::vector<int>({0, 1, 0, 2, 5000 + 2 * 300}));
}

}  // namespace
