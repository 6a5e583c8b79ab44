// Hit judgement on the virtual clock where the whole plays of conformance_test do not reach:
// close notes, stray presses, the sweep, the effects, and a missed note leaving the screen.
#include <gtest/gtest.h>

#include "play_fixture.h"

using namespace playtest;

namespace {

// Hand-built charts and their judgements: one press judges one note; a stray press is Bad
// only for the earliest pending note (at 920 the kat is 80 ms away, outside Good, the don
// 130 ms: a don press there is nothing); a type-9 record is never judged but, while within
// the Bad window, is still the earliest pending note of the Bad pass; the sweep runs back
// from the note before the one hit, so the later of two passed-over notes is missed first.
TEST(Judgement, CloseNotesStrayPressesAndTheSweep) {
  using chart::kNoteDon, chart::kNoteKat, chart::kNoteIgnored;
  const struct {
    std::vector<std::pair<int, double>> notes;
    double press;
    const char* judgements;
  } cases[] = {{{{kNoteDon, 1000}, {kNoteDon, 1010}}, 1005, "1005:0:25 1121:1:5"},
               {{{kNoteKat, 1000}, {kNoteDon, 1050}}, 920, "1111:0:5 1161:1:5"},
               {{{kNoteIgnored, 0}, {kNoteDon, 20}}, 100, "131:1:5"},
               {{{kNoteIgnored, -200}, {kNoteDon, 20}}, 100, "100:1:110"},
               {{{kNoteDon, 100}, {kNoteKat, 105}, {kNoteDon, 190}}, 190, "190:1:5 190:0:5 190:2:25"}};
  for (const auto& c : cases) {
    ChartBuilder b;
    for (auto [type, time] : c.notes) b.Note(type, time);
    EXPECT_EQ(Judgements(PlayWith({Press(c.press, "F")})), c.judgements);
  }
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
  play::SimResult r = PlayWith({Press(1000.0, "F"), Press(2030.0, "DK"), Press(3025.0, "J", 40), Press(3035.0, "F"), Press(4095.0, "J")});
  EXPECT_EQ(Judgements(r), "1000:0:25 2030:1:75 3035:2:75 4095:3:110");
  EXPECT_EQ(r.notes[2].state, play::kNoteBigGood);
  std::vector<int> effects;
  for (int i = 0; i < 4; ++i) effects.push_back(play::Play.effects[i].code.load()), effects.push_back(play::Play.effects[i].show.load());
  EXPECT_EQ(effects, std::vector<int>({play::kEffectDonGreat, 1, play::kEffectBigKatGood, 1, play::kEffectBigDonGood, 1, play::kEffectMiss, 0}));
  EXPECT_EQ(play::Play.lastJudgement.load(), play::kLastBad);
  EXPECT_EQ(play::Play.lastJudgementTime.load(), 4095.0);
  EXPECT_EQ(play::Play.nextEffect.load(), 4);
}

// A missed note holds FastNote until it leaves the screen: x + 100 < 0 at BPM 120,
// (1000 - c) / 4 + 149 < -100, from c = 1997.
TEST(Judgement, MissedNoteHoldsFastNoteUntilItLeavesTheScreen) {
  ChartBuilder b;
  b.Note(chart::kNoteDon, 1000.0);
  b.Note(chart::kNoteDon, 1500.0);
  play::SimResult r;
  play::SimBegin(play::SimOptions{}, {Press(1500.0, "F")}, &r);
  for (auto [clock, state, fastNote] : {std::tuple{1996.0, int(play::kNotePassed), 0}, {1997.0, int(play::kNoteGone), 2}}) {
    ASSERT_TRUE(play::SimRunUntil(clock));
    EXPECT_EQ(std::pair(play::NoteState(0), play::Play.fastNote.load()), std::pair(state, fastNote)) << clock;
  }
  play::SimFinish(&r);
}

}  // namespace