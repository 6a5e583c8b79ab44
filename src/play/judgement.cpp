// Hit judgement: the note pass, manual judgement of a note with its sweep of earlier notes,
// the second hand of big notes, the Bad pass, auto play, the drum sounds and the single
// judging operation with its JudgeEffect ring.
#include <cmath>
#include <vector>

#include "chart/chart.h"
#include "platform/trace.h"
#include "play/play_internal.h"
#include "sound/sound.h"

namespace play {

PassKeys Keys;

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

JudgeObserver g_judgeObserver = nullptr;

bool IsSmallOrBig(int type) { return type >= chart::kNoteDon && type <= chart::kNoteBigKat; }
bool IsKatColour(int type) { return type == chart::kNoteKat || type == chart::kNoteBigKat; }
bool IsBig(int type) { return type == chart::kNoteBigDon || type == chart::kNoteBigKat; }

void PlayFromRing(const int* ring, int& index) {
  sound::PlaySound(ring[index], false);
  index = (index + 1) % kSoundRing;
}

// The pass runs up to a millisecond after a note fell due; the automatic drummer's sound is
// placed at the moment PlayClock read the note's time, so it sits on the note's sample.
void PlayFromRingAt(const int* ring, int& index, double dueClock) {
  const double moment = Play.clockReference.load(kRelaxed) + (dueClock - Play.clockStart);
  sound::PlaySoundAt(ring[index], moment);
  index = (index + 1) % kSoundRing;
}

void MarkColourUsed(int type) {
  if (IsKatColour(type))
    Play.katUsed = true;
  else
    Play.donUsed = true;
}

// Great or Good (codes 25 and 75) and their single-hand forms (1 and 2) on a small or big note.
void JudgeHit(int i, int type, bool gogo, bool great, bool singleHand, double c) {
  const bool big = IsBig(type);
  const bool kat = IsKatColour(type);
  const bool bothHands = big && !singleHand;
  int state, effect, last;
  double factor;
  if (great) {
    state = bothHands ? kNoteBigGreat : kNoteGreat;
    effect = bothHands ? (kat ? kEffectBigKatGreat : kEffectBigDonGreat) : (kat ? kEffectKatGreat : kEffectDonGreat);
    last = bothHands ? kLastBigGreat : kLastGreat;
    factor = singleHand ? 0.5 : 1.0;
  } else {
    state = bothHands ? kNoteBigGood : kNoteGood;
    effect = bothHands ? (kat ? kEffectBigKatGood : kEffectBigDonGood) : (kat ? kEffectKatGood : kEffectDonGood);
    last = bothHands ? kLastBigGood : kLastGood;
    factor = singleHand ? 0.25 : 0.5;
  }
  SetNoteState(i, state);
  AddEffect(effect);
  Play.lastJudgement.store(last, kRelaxed);
  Play.combo.store(Play.combo.load(kRelaxed) + 1, kRelaxed);
  if (great)
    Play.great.store(Play.great.load(kRelaxed) + 1, kRelaxed);
  else
    Play.good.store(Play.good.load(kRelaxed) + 1, kRelaxed);
  AddScore(type, gogo, factor);
  if (great) {
    GaugeGreatStep();
    Play.sectionGreat.store(Play.sectionGreat.load(kRelaxed) + 1, kRelaxed);
  } else {
    GaugeGoodStep();
    Play.sectionGood.store(Play.sectionGood.load(kRelaxed) + 1, kRelaxed);
  }
  Play.lastHitKind.store(kat ? kHitKatNote : kHitDonNote, kRelaxed);
  Play.lastHitTime.store(c, kRelaxed);
  Play.lastJudgementTime.store(c, kRelaxed);
  // A single-hand result comes in a later pass than the press that earned it.
  if (!singleHand) MarkColourUsed(type);
}

// Bad (110) and Miss (5): both break the combo and count as Bad.
void JudgeFault(int i, int type, bool miss, double c) {
  SetNoteState(i, miss ? kNotePassed : kNoteBad);
  AddEffect(kEffectMiss);
  if (!miss) {
    Play.lastJudgement.store(kLastBad, kRelaxed);
    Play.lastJudgementTime.store(c, kRelaxed);
  }
  ComboBreak();
  Play.bad.store(Play.bad.load(kRelaxed) + 1, kRelaxed);
  Play.sectionBad.store(Play.sectionBad.load(kRelaxed) + 1, kRelaxed);
  GaugeBadStep();
  if (!miss) MarkColourUsed(type);
}

void JudgeNote(int i, int code, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  const int type = note.type;
  switch (code) {
    case kJudgeGreat: JudgeHit(i, type, note.gogo, true, false, c); break;
    case kJudgeGood: JudgeHit(i, type, note.gogo, false, false, c); break;
    case kJudgeSingleGreat: JudgeHit(i, type, note.gogo, true, true, c); break;
    case kJudgeSingleGood: JudgeHit(i, type, note.gogo, false, true, c); break;
    case kJudgeBad: JudgeFault(i, type, false, c); break;
    case kJudgeMiss: JudgeFault(i, type, true, c); break;
    default: break;
  }
}

// A press inside a note's Great or Good window turns every earlier unhit note into a Miss.
void SweepEarlierNotes(int i) {
  const chart::Chart& ch = chart::TheChart;
  const int fast = Play.fastNote.load(kRelaxed);
  // Found forwards over the notes still needed, missed backwards from the note before i.
  thread_local std::vector<int> found;
  found.clear();
  for (int j = NextNeededNote(fast); j < i; j = NextNeededNote(j + 1)) {
    if (NoteState(j) == kNotePending && NoteLive(j) && IsSmallOrBig(ch.notes[j].type)) found.push_back(j);
  }
  for (auto it = found.rbegin(); it != found.rend(); ++it) Judge(*it, kJudgeMiss);
}

// A passed note that stands still or moves right (a scroll or tempo of 0 or below) never
// leaves the left edge: it stays passed for the rest of the play. Once it is still or past
// the right edge, no later pass changes anything about it.
bool NeverLeavesLeft(const chart::ChartNote& note, int speed, double x) {
  const double k = note.scroll * note.bpm / kPixelsPerBpmMs * speed;
  if (k > 0.0) return false;
  return !(k < 0.0) || !(x <= kDrawHorizonX);
}

int RingSide() {
  // The auto-play drum side toggle: 1 right hand, 0 left hand.
  return Play.sideToggle;
}

}  // namespace

void SetJudgeObserver(JudgeObserver observer) { g_judgeObserver = observer; }

void PlayNextDon() { PlayFromRing(Sounds.don, Play.donRing); }
void PlayNextKat() { PlayFromRing(Sounds.kat, Play.katRing); }
void PlayNextBurst() { PlayFromRing(Sounds.burst, Play.burstRing); }
void PlayNextDonAt(double dueClock) { PlayFromRingAt(Sounds.don, Play.donRing, dueClock); }
void PlayNextKatAt(double dueClock) { PlayFromRingAt(Sounds.kat, Play.katRing, dueClock); }

void AddEffect(int code) {
  const double c = Play.playClock.load(kRelaxed);
  const int idx = Play.nextEffect.load(kRelaxed);
  JudgeEffect& e = Play.effects[idx];
  bool show = true;
  if (code == kEffectMiss) show = false;
  if (code >= kEffectDonRoll && code <= kEffectKatBigRoll && c - Play.lastShownEffectTime < kRollEffectGapMs)
    show = false;
  if (show) Play.lastShownEffectTime = c;
  e.time.store(c, kRelaxed);
  e.code.store(code, kRelaxed);
  e.beat.store(Play.beatClock.load(kRelaxed), kRelaxed);
  e.show.store(show ? 1 : 0, kRelaxed);
  Play.nextEffect.store((idx + 1) % kEffectRing, kRelaxed);
}

void Judge(int note, int code) {
  if (note < 0 || note >= Play.noteCount) return;
  const double c = Play.playClock.load(kRelaxed);
  if (code != kJudgeTick) {
    Play.frontier = false;
    if (g_judgeObserver) g_judgeObserver(c, note, code);
    platform::TraceWrite("judge", "\"clock\":%.3f,\"note\":%d,\"code\":%d", c, note, code);
  }
  const chart::ChartNote& n = chart::TheChart.notes[note];
  switch (n.type) {
    case chart::kNoteDon:
    case chart::kNoteKat:
    case chart::kNoteBigDon:
    case chart::kNoteBigKat: JudgeNote(note, code, c); break;
    case chart::kNoteRoll:
    case chart::kNoteBigRoll: JudgeRoll(note, code, c); break;
    case chart::kNoteBalloon: JudgeBalloon(note, code, c); break;
    case chart::kNoteRollEnd:
      if (n.time <= c) SetNoteState(note, kNotePassed);
      break;
    default: break;
  }
}

void PlayDrumSounds(double c) {
  if (Keys.DonPressed()) {
    Play.lastHitKind.store(kHitDonPress, kRelaxed);
    Play.lastHitTime.store(c, kRelaxed);
    if (Keys.j == 1) {
      PlayNextDon();
      Play.drumHitTime[kRightDon].store(c, kRelaxed);
    }
    if (Keys.f == 1) {
      PlayNextDon();
      Play.drumHitTime[kLeftDon].store(c, kRelaxed);
    }
  }
  if (Keys.KatPressed()) {
    Play.lastHitKind.store(kHitKatPress, kRelaxed);
    Play.lastHitTime.store(c, kRelaxed);
    if (Keys.k == 1) {
      PlayNextKat();
      Play.drumHitTime[kRightKat].store(c, kRelaxed);
    }
    if (Keys.d == 1) {
      PlayNextKat();
      Play.drumHitTime[kLeftKat].store(c, kRelaxed);
    }
  }
}

void JudgeManually(int i, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  const int type = note.type;
  const double t = note.time;
  const double great = Play.greatWindow, good = Play.goodWindow, bad = Play.badWindow;

  if (c - t > bad && IsSmallOrBig(type)) {
    Judge(i, kJudgeMiss);
    return;
  }
  if (Play.frontier) {
    if (type >= chart::kNoteRoll) Judge(i, kJudgeTick);
    return;
  }
  // The first note not yet past its Great window: later notes take no input unless a
  // judgement clears the flag again.
  if (c < t + great) Play.frontier = true;
  const double a = std::fabs(t - c);

  if (Keys.DonPressed() && !Play.donUsed) {
    if (a < great || a < good) {
      const bool inGreat = a < great;
      SweepEarlierNotes(i);
      if (type == chart::kNoteDon) {
        Judge(i, inGreat ? kJudgeGreat : kJudgeGood);
      } else if (type == chart::kNoteBigDon) {
        if (Keys.BothDon()) {
          Judge(i, inGreat ? kJudgeGreat : kJudgeGood);
        } else if (!Play.bigNoteWaiting) {
          SetNoteState(i, kNoteWaiting);
          Play.firstHandTime = c;
          Play.firstHandKey = (Keys.j == 1) ? kKeyCodeJ : kKeyCodeF;
          Play.bigNoteWaiting = true;
          Play.donUsed = true;
        }
      }
    }
    if (type == chart::kNoteRoll || type == chart::kNoteBigRoll) {
      Judge(i, kJudgeRollDon);
    } else if (type == chart::kNoteBalloon) {
      Judge(i, kJudgeRollDon);
      if (NoteState(i) == kNotePending && Keys.BothDon()) Judge(i, kJudgeRollDon);
    }
  }

  if (Keys.KatPressed() && !Play.katUsed) {
    if (a < great || a < good) {
      const bool inGreat = a < great;
      SweepEarlierNotes(i);
      if (type == chart::kNoteKat) {
        Judge(i, inGreat ? kJudgeGreat : kJudgeGood);
      } else if (type == chart::kNoteBigKat) {
        if (Keys.BothKat()) {
          Judge(i, inGreat ? kJudgeGreat : kJudgeGood);
        } else if (!Play.bigNoteWaiting) {
          SetNoteState(i, kNoteWaiting);
          Play.firstHandTime = c;
          Play.firstHandKey = (Keys.k == 1) ? kKeyCodeK : kKeyCodeD;
          Play.bigNoteWaiting = true;
          Play.katUsed = true;
        }
      }
    }
    if (type == chart::kNoteRoll || type == chart::kNoteBigRoll) Judge(i, kJudgeRollKat);
  }

  if (type >= chart::kNoteRoll) Judge(i, kJudgeTick);
}

void HandleSecondHand(int i, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  const double f = Play.firstHandTime;
  const int key = Play.firstHandKey;
  bool single = false, both = false;
  if (c - f >= kSecondHandMs) {
    single = true;
  } else if (note.type == chart::kNoteBigDon) {
    const int first = (key == kKeyCodeJ) ? Keys.j : Keys.f;
    const int second = (key == kKeyCodeJ) ? Keys.f : Keys.j;
    if (first == 0)
      single = true;
    else if (second == 1)
      both = true;
  } else {
    const int first = (key == kKeyCodeK) ? Keys.k : Keys.d;
    const int second = (key == kKeyCodeK) ? Keys.d : Keys.k;
    if (first == 0)
      single = true;
    else if (second == 1)
      both = true;
  }
  if (!single && !both) return;
  // The first hand's timing decides the judgement; the second only decides single or both.
  const double a = std::fabs(note.time - f);
  if (a < Play.greatWindow)
    Judge(i, both ? kJudgeGreat : kJudgeSingleGreat);
  else if (a < Play.goodWindow)
    Judge(i, both ? kJudgeGood : kJudgeSingleGood);
  Play.firstHandTime = 0.0;
  Play.bigNoteWaiting = false;
}

void PlayNoteAutomatically(int i, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  if (!(note.time <= c)) return;
  switch (note.type) {
    case chart::kNoteDon:
    case chart::kNoteKat: {
      const bool kat = note.type == chart::kNoteKat;
      const int side = RingSide();
      Play.sideToggle ^= 1;
      Play.drumHitTime[kat ? (side ? kRightKat : kLeftKat) : (side ? kRightDon : kLeftDon)].store(c, kRelaxed);
      if (kat)
        PlayNextKatAt(note.time);
      else
        PlayNextDonAt(note.time);
      Judge(i, kJudgeGreat);
      break;
    }
    case chart::kNoteBigDon:
    case chart::kNoteBigKat: {
      const bool kat = note.type == chart::kNoteBigKat;
      Play.drumHitTime[kat ? kLeftKat : kLeftDon].store(c, kRelaxed);
      Play.drumHitTime[kat ? kRightKat : kRightDon].store(c, kRelaxed);
      if (kat) {
        PlayNextKatAt(note.time);
        PlayNextKatAt(note.time);
      } else {
        PlayNextDonAt(note.time);
        PlayNextDonAt(note.time);
      }
      Judge(i, kJudgeGreat);
      break;
    }
    case chart::kNoteRoll:
    case chart::kNoteBigRoll: PlayRollAutomatically(i, c); break;
    case chart::kNoteBalloon: PlayBalloonAutomatically(i, c); break;
    case chart::kNoteRollEnd: SetNoteState(i, kNotePassed); break;
    default: break;
  }
}

// A hit of the automatic drummer on a roll or balloon: the side toggles with every hit.
void AutoDrumRollHit(double c) {
  Play.sideToggle ^= 1;
  Play.drumHitTime[Play.sideToggle ? kRightDon : kLeftDon].store(c, kRelaxed);
  PlayNextDon();
}

void RunNotePass(double c) {
  const chart::Chart& ch = chart::TheChart;
  const int n = Play.noteCount;
  const int speed = Play.scrollSpeed;
  const bool autoPlay = Play.autoPlay;
  const double good = Play.goodWindow;
  const double bad = Play.badWindow;
  for (int i = NextNeededNote(Play.fastNote.load(kRelaxed)); i < n; i = NextNeededNote(i + 1)) {
    // From here on no note can be judged, change state or be on screen in this pass.
    if (Cache.activeFrom[i] > c && (autoPlay || Play.frontier)) break;
    const chart::ChartNote& note = ch.notes[i];
    const int type = note.type;
    if (type == chart::kNoteNone || type == chart::kNoteIgnored) {
      // Skipped here; only the Bad pass looks at it, and only while it is within the window.
      if (!(note.time > c - bad)) RetireNote(i);
      continue;
    }
    if (NoteStateIsFinal(NoteState(i))) {
      RetireNote(i);
      continue;
    }
    switch (NoteState(i)) {
      case kNotePending:
        SetNoteX(i, LanePosition(note.time, c, note.scroll, note.bpm, speed));
        // A note still far off while the input is held by an earlier one: only its x moves.
        if (note.time > c + Cache.reach && (autoPlay || Play.frontier)) break;
        if (!NoteLive(i)) {
          if (note.time <= c + good) SetNoteState(i, kNoteDead);
          break;
        }
        if (autoPlay)
          PlayNoteAutomatically(i, c);
        else
          JudgeManually(i, c);
        break;
      case kNotePassed: {
        const bool nextDone = (i + 1 >= n) || (NoteState(i + 1) != kNotePending && NoteState(i + 1) != kNotePassed);
        if (type == chart::kNoteBalloon) {
          // A passed balloon scrolls away from the mark at the position of its end.
          if (i + 1 < n) {
            const chart::ChartNote& end = ch.notes[i + 1];
            SetNoteX(i, LanePosition(end.time, c, end.scroll, end.bpm, speed));
          } else {
            SetNoteX(i, LanePosition(note.time, c, note.scroll, note.bpm, speed));
          }
          // One that was hit left the lane with the character: it is gone at once.
          if (NoteHits(i) > 0 || nextDone) SetNoteState(i, kNoteFinished);
          break;
        }
        const double x = LanePosition(note.time, c, note.scroll, note.bpm, speed);
        SetNoteX(i, x);
        if (type <= chart::kNoteBigKat || type == chart::kNoteRollEnd) {
          if (x + kOffLeftMargin < 0.0)
            SetNoteState(i, type == chart::kNoteRollEnd ? kNoteFinished : kNoteGone);
          else if (NeverLeavesLeft(note, speed, x))
            RetireNote(i);
        } else if (nextDone) {
          SetNoteState(i, kNoteFinished);
        }
        break;
      }
      case kNoteWaiting:
        SetNoteX(i, LanePosition(note.time, c, note.scroll, note.bpm, speed));
        HandleSecondHand(i, c);
        break;
      default: break;
    }
  }
}

void RunBadPass(double c) {
  Play.frontier = false;
  const bool don = Keys.DonPressed() && !Play.donUsed;
  const bool kat = Keys.KatPressed() && !Play.katUsed;
  if (!don && !kat) return;
  const chart::Chart& ch = chart::TheChart;
  const int n = Play.noteCount;
  const double bad = Play.badWindow;
  for (int i = NextNeededNote(Play.fastNote.load(kRelaxed)); i < n; i = NextNeededNote(i + 1)) {
    if (Cache.activeFrom[i] > c) break;
    if (NoteState(i) != kNotePending || !NoteLive(i)) continue;
    const chart::ChartNote& note = ch.notes[i];
    if (!(std::fabs(note.time - c) < bad)) continue;
    // The earliest pending note within the Bad window takes a stray press of its colour.
    if (don && (note.type == chart::kNoteDon || note.type == chart::kNoteBigDon))
      Judge(i, kJudgeBad);
    else if (kat && (note.type == chart::kNoteKat || note.type == chart::kNoteBigKat))
      Judge(i, kJudgeBad);
    break;
  }
}

}  // namespace play
