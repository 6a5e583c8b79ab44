// Hit judgement on the virtual clock: windows, misses, the sweep, colours and big notes.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;
using play::SimResult;

namespace {

struct WindowCase {
  double offset;     // press time minus note time
  int expectedCode;  // first judgement of the note (0: none before its Miss)
  int expectedState;
};

class DonWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(DonWindow, PressAtOffsetGivesJudgement) {
  const WindowCase& w = GetParam();
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  SimResult r = PlayWith({Press(1000.0 + w.offset, "F")});
  std::vector<int> codes = CodesOf(r, 0);
  ASSERT_FALSE(codes.empty());
  if (w.expectedCode == 0)
    EXPECT_EQ(codes.front(), play::kJudgeMiss);
  else
    EXPECT_EQ(codes.front(), w.expectedCode);
  EXPECT_EQ(codes.size(), 1u);
  EXPECT_EQ(r.notes[0].state == play::kNoteGone ? play::kNotePassed : r.notes[0].state, w.expectedState);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, DonWindow,
    ::testing::Values(WindowCase{0, play::kJudgeGreat, play::kNoteGreat},
                      WindowCase{-24, play::kJudgeGreat, play::kNoteGreat},
                      WindowCase{24, play::kJudgeGreat, play::kNoteGreat},
                      WindowCase{-25, play::kJudgeGood, play::kNoteGood},
                      WindowCase{25, play::kJudgeGood, play::kNoteGood},
                      WindowCase{74, play::kJudgeGood, play::kNoteGood},
                      WindowCase{-74, play::kJudgeGood, play::kNoteGood},
                      WindowCase{75, play::kJudgeBad, play::kNoteBad},
                      WindowCase{-75, play::kJudgeBad, play::kNoteBad},
                      WindowCase{109, play::kJudgeBad, play::kNoteBad},
                      WindowCase{-109, play::kJudgeBad, play::kNoteBad},
                      WindowCase{110, 0, play::kNotePassed},
                      WindowCase{-110, 0, play::kNotePassed},
                      WindowCase{111, 0, play::kNotePassed}));

TEST(Judgement, UnhitNoteIsMissedOnlyPastTheBadWindow) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  SimResult r = PlayWith({});
  ASSERT_EQ(r.judgements.size(), 1u);
  EXPECT_EQ(r.judgements[0].code, play::kJudgeMiss);
  EXPECT_EQ(r.judgements[0].clock, 1111.0);  // 110 ms past is not yet a Miss
  EXPECT_EQ(r.bad, 1);
  EXPECT_EQ(r.combo, 0);
}

TEST(Judgement, ConfiguredWindowsBelowOneFallBack) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  play::SimOptions o;
  o.great = 0;
  o.good = -5;
  o.bad = 0;
  SimResult r;
  play::RunSimulation(o, {Press(1024.0, "J")}, &r);
  EXPECT_EQ(play::Play.greatWindow, 25);
  EXPECT_EQ(play::Play.goodWindow, 75);
  EXPECT_EQ(play::Play.badWindow, 110);
  EXPECT_EQ(r.great, 1);
}

TEST(Judgement, HittingALaterNoteSweepsEarlierOnes) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteKat, 1050.0);
  b.Note(chart::kNoteDon, 1100.0);
  SimResult r = PlayWith({Press(1100.0, "J")});
  ASSERT_EQ(r.judgements.size(), 3u);
  // At 1100 the first note is only 100 ms late. The press falls in the kat's Good window,
  // which sweeps the first note; the hit on the third then sweeps the kat.
  EXPECT_EQ(r.judgements[0].note, 0);
  EXPECT_EQ(r.judgements[0].code, play::kJudgeMiss);
  EXPECT_EQ(r.judgements[1].note, 1);
  EXPECT_EQ(r.judgements[1].code, play::kJudgeMiss);
  EXPECT_EQ(r.judgements[2].note, 2);
  EXPECT_EQ(r.judgements[2].code, play::kJudgeGreat);
  for (const auto& j : r.judgements) EXPECT_EQ(j.clock, 1100.0);
}

TEST(Judgement, PressInsideAnOtherColourWindowStillSweeps) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteKat, 1080.0);
  SimResult r = PlayWith({Press(1080.0, "F")});
  // The don press falls in the kat's Great window: the earlier don is swept, the kat stays.
  ASSERT_GE(r.judgements.size(), 1u);
  EXPECT_EQ(r.judgements[0].note, 0);
  EXPECT_EQ(r.judgements[0].code, play::kJudgeMiss);
  EXPECT_EQ(r.judgements[0].clock, 1080.0);
  EXPECT_EQ(CodesOf(r, 1), std::vector<int>{play::kJudgeMiss});
  EXPECT_EQ(ClockOf(r, 1, play::kJudgeMiss), 1191.0);
}

TEST(Judgement, WrongColourDoesNothing) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  SimResult r = PlayWith({Press(1000.0, "D"), Press(1050.0, "K")});
  ASSERT_EQ(r.judgements.size(), 1u);
  EXPECT_EQ(r.judgements[0].code, play::kJudgeMiss);
  EXPECT_EQ(r.bad, 1);
}

TEST(Judgement, StrayPressIsBadOnlyForTheEarliestNoteOfItsColour) {
  ChartBuilder b;
  b.Note(chart::kNoteKat, 1000.0);
  b.Note(chart::kNoteDon, 1050.0);
  // At 920 the kat is 80 ms away (outside Good), the don 130 ms: the earliest pending note in
  // the Bad window is the kat, so a don press there is not Bad.
  SimResult r = PlayWith({Press(920.0, "F"), Press(2000.0, "F")});
  EXPECT_TRUE(CodesOf(r, 0) == std::vector<int>{play::kJudgeMiss});
  ChartBuilder b2;
  b2.Note(chart::kNoteDon, 1000.0);
  SimResult r2 = PlayWith({Press(920.0, "J")});
  EXPECT_EQ(CodesOf(r2, 0), std::vector<int>{play::kJudgeBad});
  EXPECT_EQ(r2.notes[0].state, play::kNoteBad);
}

TEST(Judgement, OnePressJudgesOneNote) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteDon, 1010.0);
  SimResult r = PlayWith({Press(1005.0, "F")});
  EXPECT_EQ(CodesOf(r, 0), std::vector<int>{play::kJudgeGreat});
  EXPECT_EQ(CodesOf(r, 1), std::vector<int>{play::kJudgeMiss});
}

TEST(Judgement, BothHandsInOnePollGiveABigGreat) {
  ChartBuilder b;
  b.Note(chart::kNoteBigDon, 1000.0);
  SimResult r = PlayWith({Press(1010.0, "FJ")});
  EXPECT_EQ(r.notes[0].state, play::kNoteBigGreat);
  EXPECT_EQ(r.score, 2000);  // 1000 x 2.0
  EXPECT_EQ(r.great, 1);
}

struct SecondHandCase {
  const char* name;
  std::vector<play::SimPress> presses;
  int state;
  double judgedAt;
  int code;
};

class SecondHand : public ::testing::TestWithParam<SecondHandCase> {};

TEST_P(SecondHand, Result) {
  const SecondHandCase& c = GetParam();
  ChartBuilder b;
  b.Note(chart::kNoteBigDon, 1000.0);
  SimResult r = PlayWith(c.presses);
  EXPECT_EQ(r.notes[0].state, c.state);
  ASSERT_EQ(r.judgements.size(), 1u);
  EXPECT_EQ(r.judgements[0].code, c.code);
  EXPECT_EQ(r.judgements[0].clock, c.judgedAt);
}

INSTANTIATE_TEST_SUITE_P(
    BigDon, SecondHand,
    ::testing::Values(
        // F first, J 20 ms later while F is held: both hands, judged by the F timing.
        SecondHandCase{"second20", {Press(1000.0, "F", 40), Press(1020.0, "J")}, play::kNoteBigGreat, 1020.0,
                       play::kJudgeGreat},
        // J 40 ms later: the wait is over at 34 ms, a single-hand Great.
        SecondHandCase{"second40", {Press(1000.0, "F", 60), Press(1040.0, "J")}, play::kNoteGreat, 1034.0,
                       play::kJudgeSingleGreat},
        // The first hand released at 10 ms: the single-hand result at once.
        SecondHandCase{"released", {Press(1000.0, "F", 10), Press(1020.0, "J")}, play::kNoteGreat, 1010.0,
                       play::kJudgeSingleGreat},
        // First hand 30 ms late (Good), second 10 ms later: big Good.
        SecondHandCase{"lateGood", {Press(1030.0, "J", 40), Press(1040.0, "F")}, play::kNoteBigGood, 1040.0,
                       play::kJudgeGood}),
    [](const ::testing::TestParamInfo<SecondHandCase>& i) { return std::string(i.param.name); });

TEST(Judgement, SingleHandBigGreatScoresLikeASmallGreat) {
  ChartBuilder b;
  b.Note(chart::kNoteBigKat, 1000.0);
  SimResult r = PlayWith({Press(1000.0, "K", 100)});
  EXPECT_EQ(r.notes[0].state, play::kNoteGreat);
  EXPECT_EQ(r.score, 1000);
  EXPECT_EQ(ClockOf(r, 0, play::kJudgeSingleGreat), 1034.0);
}

TEST(Judgement, JudgeEffectsAndLastJudgement) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteBigKat, 2000.0);
  b.Note(chart::kNoteDon, 3000.0);
  PlayWith({Press(1000.0, "F"), Press(2030.0, "DK"), Press(3095.0, "J")});
  EXPECT_EQ(play::Play.effects[0].code.load(), play::kEffectDonGreat);
  EXPECT_EQ(play::Play.effects[1].code.load(), play::kEffectBigKatGood);
  EXPECT_EQ(play::Play.effects[2].code.load(), play::kEffectMiss);
  EXPECT_EQ(play::Play.effects[2].show.load(), 0);
  EXPECT_EQ(play::Play.effects[1].show.load(), 1);
  EXPECT_EQ(play::Play.lastJudgement.load(), play::kLastBad);
  EXPECT_EQ(play::Play.lastJudgementTime.load(), 3095.0);
  EXPECT_EQ(play::Play.nextEffect.load(), 3);
}

TEST(AutoPlay, EveryNoteIsGreatAndBigNotesAreBigGreats) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 0.0);
  b.Note(chart::kNoteKat, 250.0);
  b.Note(chart::kNoteBigDon, 500.0);
  b.Note(chart::kNoteBigKat, 750.0);
  b.Note(chart::kNoteDon, 760.5);
  SimResult r = Auto();
  EXPECT_EQ(r.great, 5);
  EXPECT_EQ(r.good + r.bad, 0);
  EXPECT_EQ(r.maxCombo, 5);
  EXPECT_EQ(r.notes[2].state, play::kNoteBigGreat);
  EXPECT_EQ(r.notes[3].state, play::kNoteBigGreat);
  EXPECT_EQ(r.notes[0].state, play::kNoteGreat);
  EXPECT_EQ(ClockOf(r, 4, play::kJudgeGreat), 761.0);
}

TEST(Judgement, DeadNotesAreNeverJudged) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0, chart::kLaneExpert);
  b.Note(chart::kNoteDon, 1000.0, chart::kLaneNormal);
  b.Branch(chart::kConditionAccuracy, 101, 102, 500, 400);
  SimResult r = PlayWith({Press(1000.0, "F")});
  EXPECT_EQ(r.notes[0].state, play::kNoteDead);
  EXPECT_EQ(r.notes[1].state, play::kNoteGreat);
  EXPECT_TRUE(CodesOf(r, 0).empty());
}

TEST(Judgement, MissedNoteHoldsFastNoteUntilItLeavesTheScreen) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteDon, 1500.0);
  play::SimOptions o;
  play::SimResult r;
  play::SimBegin(o, {Press(1500.0, "F")}, &r);
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
