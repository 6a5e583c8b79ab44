// Rolls, big rolls and balloons: their part of the judging operation and their auto play.
// None of them moves the combo or the soul gauge.
#include <algorithm>

#include "chart/chart.h"
#include "play/play_internal.h"

namespace play {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}  // namespace

double RollEndTime(int note) {
  if (note < 0 || note >= Play.noteCount) return 0.0;
  return Cache.rollEnd[note];
}

int BalloonRequiredHits(int note) {
  if (note < 0 || note >= chart::kNoteRecords) return 1;
  // A chart may ask for 0 or fewer hits; the balloon then bursts on its first hit.
  return std::max(1, chart::TheChart.notes[note].balloonHits);
}

void JudgeRoll(int i, int code, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  const double t = note.time;
  const double e = Cache.rollEnd[i];
  if (code == kJudgeTick) {
    if (t <= c && c > e) SetNoteState(i, kNotePassed);
    return;
  }
  if (code != kJudgeRollDon && code != kJudgeRollKat) return;
  if (c < t) return;
  if (c > e) {
    SetNoteState(i, kNotePassed);
    return;
  }
  const bool big = note.type == chart::kNoteBigRoll;
  const bool don = code == kJudgeRollDon;
  Play.roll.store(Play.roll.load(kRelaxed) + 1, kRelaxed);
  Play.sectionRoll.store(Play.sectionRoll.load(kRelaxed) + 1, kRelaxed);
  AddEffect(big ? (don ? kEffectDonBigRoll : kEffectKatBigRoll) : (don ? kEffectDonRoll : kEffectKatRoll));
  const int hits = NoteHits(i) + 1;
  SetNoteHits(i, hits);
  Play.rollCountDisplay.store(hits, kRelaxed);
  Play.rollCountTime.store(c, kRelaxed);
  Play.lastHitKind.store(kHitRoll, kRelaxed);
  Play.lastHitTime.store(c, kRelaxed);
  if (don)
    Play.donUsed = true;
  else
    Play.katUsed = true;
  AddScore(note.type, note.gogo, 1.0);
}

void JudgeBalloon(int i, int code, double c) {
  const chart::ChartNote& note = chart::TheChart.notes[i];
  const double t = note.time;
  const double e = Cache.rollEnd[i];
  if (code == kJudgeTick) {
    if (c < t) return;
    // Held on the judgement mark until its first hit; after that it is drawn beside the
    // character. (Whether this balloon was hit is its own hit count: the stage may still
    // show an earlier balloon.)
    const bool hit = NoteHits(i) > 0;
    SetNoteX(i, hit ? kLeaveLaneX : kJudgeMarkX);
    if (c > e) {
      SetNoteState(i, kNotePassed);
      if (hit) {
        Play.balloonTime.store(c, kRelaxed);
        Play.balloonStage.store(kBalloonFailedStage, kRelaxed);
      }
    }
    return;
  }
  if (code != kJudgeRollDon) return;  // balloons take no kat hits
  if (c + kBalloonEarlyMs < t) return;
  SetNoteX(i, kLeaveLaneX);
  if (c > e) {
    SetNoteState(i, kNotePassed);
    Play.balloonTime.store(c, kRelaxed);
    Play.balloonStage.store(kBalloonFailedStage, kRelaxed);
    return;
  }
  const int hits = NoteHits(i) + 1;
  SetNoteHits(i, hits);
  Play.lastHitTime.store(c, kRelaxed);
  Play.lastHitKind.store(kHitDonPress, kRelaxed);
  Play.donUsed = true;
  const int required = BalloonRequiredHits(i);
  if (hits >= required) {
    // The bursting hit earns only the bonus.
    PlayNextBurst();
    SetNoteState(i, kNoteBurst);
    AddEffect(kEffectBalloonBurst);
    AddBalloonBurstPoints(note.gogo);
    Play.balloonTime.store(c, kRelaxed);
    Play.balloonStage.store(kBalloonBurstStage, kRelaxed);
    return;
  }
  AddScore(chart::kNoteBalloon, note.gogo, 1.0);
  Play.balloonTime.store(c, kRelaxed);
  Play.remainingHits.store(required - hits, kRelaxed);
  int stage = Play.balloonStage.load(kRelaxed);
  if (hits == 1)
    stage = 1;
  else if (stage >= 1 && stage < kMaxBalloonStage)
    stage = stage + 1;
  else
    stage = kMaxBalloonStage;
  Play.balloonStage.store(stage, kRelaxed);
}

void PlayRollAutomatically(int i, double c) {
  const double t = chart::TheChart.notes[i].time;
  if (c > Cache.rollEnd[i]) {
    SetNoteState(i, kNotePassed);
    return;
  }
  if (Play.nextAutoHitTime < c) {
    AutoDrumRollHit(c);
    Play.nextAutoHitTime = (NoteHits(i) == 0 ? t : Play.nextAutoHitTime) + kAutoRollIntervalMs;
    Judge(i, kJudgeRollDon);
  }
}

void PlayBalloonAutomatically(int i, double c) {
  const double t = chart::TheChart.notes[i].time;
  const double e = Cache.rollEnd[i];
  if (c > e) {
    Judge(i, kJudgeTick);
    return;
  }
  if (Play.nextAutoHitTime < c) {
    AutoDrumRollHit(c);
    // The hits are spread over the span so that the balloon bursts within it.
    Play.nextAutoHitTime = (NoteHits(i) == 0 ? t : Play.nextAutoHitTime) + (e - t) / BalloonRequiredHits(i);
    Judge(i, kJudgeRollDon);
  } else {
    Judge(i, kJudgeTick);
  }
}

}  // namespace play
