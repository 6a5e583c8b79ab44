// Rolls and balloons, manual and automatic.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;

namespace {

// F+D: one don and one kat hit; F+J: one don hit (a roll takes one don per poll); hits before
// the start do not count.
TEST(Roll, KatHitsCountAndBothColoursInOnePollCountTwice) {
  ChartBuilder b;
  b.Note(chart::kNoteRoll, 1000.0);
  b.Note(chart::kNoteRollEnd, 2000.0);
  EXPECT_EQ(PlayWith({Press(990.0, "F"), Press(999.0, "J"), Press(1100.0, "K"), Press(1200.0, "FD"), Press(1300.0, "FJ")}).roll, 4);
}

// The balloon's picture: held on the mark while left alone, then passed and scrolling away
// from the mark at its end's position while its end marker is on screen; a burst stays shown
// while a later balloon is left alone; one hit twice then left shows as failed for a pass;
// while hit, off the lane and a stage up per hit, holding at six until the burst.
TEST(Balloon, LeftAloneBurstFailedAndHitStages) {
  ChartBuilder b;
  for (auto [start, end, hits] : {std::tuple{1000.0, 2000.0, 5}, {3000.0, 3500.0, 1}, {5000.0, 6000.0, 5},
                                  {8000.0, 9000.0, 5}, {11000.0, 13000.0, 10}}) {
    b.Note(chart::kNoteBalloon, start, 0, false, hits);
    b.Note(chart::kNoteRollEnd, end);
  }
  std::vector<play::SimPress> presses = {Press(3000.0, "F"), Press(8100.0, "F"), Press(8200.0, "J")};
  for (int i = 0; i < 10; ++i) presses.push_back(Press(11000.0 + i * 100, "F", 50));
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, presses, &r);
  using V = std::vector<double>;
  auto at = [](double clock, int note) {  // state, x and balloon stage
    EXPECT_TRUE(play::SimRunUntil(clock));
    return V({double(play::NoteState(note)), play::NoteX(note), double(play::Play.balloonStage.load())});
  };
  EXPECT_EQ(at(1500.0, 0), (V{play::kNotePending, play::kJudgeMarkX, play::kBalloonIdle}));
  EXPECT_EQ(at(2001.0, 0), (V{play::kNotePassed, play::kJudgeMarkX, play::kBalloonIdle}));
  EXPECT_EQ(at(2100.0, 0), (V{play::kNotePassed, (2000.0 - 2100.0) / 4.0 + 149.0, play::kBalloonIdle}));
  EXPECT_EQ(at(5500.0, 4), (V{play::kNotePending, play::kJudgeMarkX, play::kBalloonBurstStage}));
  EXPECT_EQ(at(6001.0, 4)[2], play::kBalloonBurstStage);
  EXPECT_EQ(at(9000.0, 6)[2], 2);
  EXPECT_EQ(at(9001.0, 6), (V{play::kNotePassed, play::kLeaveLaneX, play::kBalloonFailedStage}));
  EXPECT_EQ(play::Play.balloonTime.load(), 9001.0);
  EXPECT_EQ(at(9002.0, 6)[0], play::kNoteFinished);
  for (int hit = 1; hit <= 9; ++hit) {
    EXPECT_EQ(at(10900.0 + hit * 100, 8), (V{play::kNotePending, play::kLeaveLaneX, hit < 6 ? hit : 6.0})) << hit;
    EXPECT_EQ(play::Play.remainingHits.load(), 10 - hit);
  }
  EXPECT_EQ(at(11900.0, 8), (V{play::kNoteBurst, play::kLeaveLaneX, play::kBalloonBurstStage}));
  EXPECT_EQ(play::Play.balloonTime.load(), 11900.0);
  while (play::SimStep()) {
  }
  play::SimFinish(&r);
  EXPECT_EQ(Notes(r), "10/0 10/0 6/1 10/0 10/0 10/0 10/2 10/0 6/10 10/0");
  EXPECT_EQ(std::pair(r.score, r.roll), std::pair(5000 + 2 * 300 + 9 * 300 + 5000, 0));  // balloon hits are not roll hits
}

}  // namespace
