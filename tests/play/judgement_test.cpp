// Hit judgement on the virtual clock: windows, misses, the sweep, colours and big notes.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

struct WindowCase {
  double offset;  // press time minus note time
  int code;       // the only judgement of the note
  int state;
};
class DonWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(DonWindow, PressAtOffsetGivesJudgement) {
  const WindowCase& w = GetParam();
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  SimResult r = PlayWith({Press(1000.0 + w.offset, "F")});
  EXPECT_EQ(CodesOf(r, 0), std::vector<int>{w.code});
  EXPECT_EQ(r.notes[0].state == play::kNoteGone ? play::kNotePassed : r.notes[0].state, w.state);
}

// The whole play "windows" of conformance_test covers -24, 25, 74, 75, -109, 110 and the miss
// at 111; these are the other sides of each edge.
INSTANTIATE_TEST_SUITE_P(Boundaries, DonWindow,
                         ::testing::Values(WindowCase{24, play::kJudgeGreat, play::kNoteGreat},
                                           WindowCase{-25, play::kJudgeGood, play::kNoteGood},
                                           WindowCase{-74, play::kJudgeGood, play::kNoteGood},
                                           WindowCase{-75, play::kJudgeBad, play::kNoteBad},
                                           WindowCase{109, play::kJudgeBad, play::kNoteBad},
                                           WindowCase{-110, play::kJudgeMiss, play::kNotePassed}));

TEST(Judgement, ConfiguredWindowsBelowOneFallBack) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  play::SimOptions o;
  o.great = 0, o.good = -5, o.bad = 0;
  SimResult r;
  play::RunSimulation(o, {Press(1024.0, "J")}, &r);
  EXPECT_EQ(std::vector<int>({play::Play.greatWindow, play::Play.goodWindow, play::Play.badWindow}), std::vector<int>({25, 75, 110}));
  EXPECT_EQ(r.great, 1);
}

TEST(Judgement, OnePressJudgesOneNoteAndAStrayPressIsBadOnlyForTheEarliestNote) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteDon, 1010.0);
  SimResult r = PlayWith({Press(1005.0, "F")});
  EXPECT_EQ(CodesOf(r, 0), std::vector<int>{play::kJudgeGreat});
  EXPECT_EQ(CodesOf(r, 1), std::vector<int>{play::kJudgeMiss});
  // At 920 the kat is 80 ms away (outside Good), the don 130 ms: the earliest pending note in
  // the Bad window is the kat, so a don press there is not Bad.
  ChartBuilder c;
  c.Note(chart::kNoteKat, 1000.0);
  c.Note(chart::kNoteDon, 1050.0);
  r = PlayWith({Press(920.0, "F"), Press(2000.0, "F")});
  EXPECT_EQ(CodesOf(r, 0), std::vector<int>{play::kJudgeMiss});
  EXPECT_EQ(CodesOf(r, 1), std::vector<int>{play::kJudgeMiss});
}

// First hand 25 ms late (just Good), second 10 ms later: a big Good judged at the second hand.
// (Both hands in one poll, 20 ms and 40 ms apart and a released first hand are in the whole
// play "bignotes" of conformance_test.) Then the effects and the last judgement.
TEST(Judgement, BigGoodAtTheSecondHandAndJudgeEffects) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteBigKat, 2000.0);
  b.Note(chart::kNoteBigDon, 3000.0);
  b.Note(chart::kNoteDon, 4000.0);
  SimResult r = PlayWith({Press(1000.0, "F"), Press(2030.0, "DK"), Press(3025.0, "J", 40), Press(3035.0, "F"), Press(4095.0, "J")});
  EXPECT_EQ(r.notes[2].state, play::kNoteBigGood);
  EXPECT_EQ(CodesOf(r, 2), std::vector<int>{play::kJudgeGood});
  EXPECT_EQ(ClockOf(r, 2, play::kJudgeGood), 3035.0);
  std::vector<int> effects;
  for (int i = 0; i < 4; ++i) effects.push_back(play::Play.effects[i].code.load()), effects.push_back(play::Play.effects[i].show.load());
  EXPECT_EQ(effects, std::vector<int>({play::kEffectDonGreat, 1, play::kEffectBigKatGood, 1, play::kEffectBigDonGood, 1, play::kEffectMiss, 0}));
  EXPECT_EQ(play::Play.lastJudgement.load(), play::kLastBad);
  EXPECT_EQ(play::Play.lastJudgementTime.load(), 4095.0);
  EXPECT_EQ(play::Play.nextEffect.load(), 4);
}

TEST(Judgement, MissedNoteHoldsFastNoteUntilItLeavesTheScreen) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteDon, 1500.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {Press(1500.0, "F")}, &r);
  ASSERT_TRUE(play::SimRunUntil(1600.0));
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  EXPECT_EQ(play::Play.fastNote.load(), 0);
  // x + 100 < 0 at BPM 120: (1000 - c) / 4 + 149 < -100, from c = 1997.
  ASSERT_TRUE(play::SimRunUntil(1996.0));
  EXPECT_EQ(play::NoteState(0), play::kNotePassed);
  ASSERT_TRUE(play::SimRunUntil(1997.0));
  EXPECT_EQ(play::NoteState(0), play::kNoteGone);
  EXPECT_EQ(play::Play.fastNote.load(), 2);
  play::SimFinish(&r);
}

}  // namespace
