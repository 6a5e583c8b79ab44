#include "play/play_record.h"

namespace play {

PlayRecord Play;
PlaySoundHandles Sounds;

void ResetPlaySounds() {
  Sounds.song = -1;
  for (int i = 0; i < kSoundRing; ++i) {
    Sounds.don[i] = -1;
    Sounds.kat[i] = -1;
    Sounds.burst[i] = -1;
  }
  for (int& h : Sounds.comboVoice) h = -1;
  Sounds.fullComboVoice = -1;
  for (int& h : Sounds.pauseKat) h = -1;
  Sounds.pauseDon = -1;
  Sounds.pauseCancel = -1;
}

void ResetPlayRecord() {
  constexpr auto r = std::memory_order_relaxed;
  PlayRecord& p = Play;
  p.clockReference.store(0.0, r);
  p.clockStart = -kLeadInMs;
  p.playClock.store(0.0, r);
  p.offset = 0.0;
  p.musicStart = 0.0;
  p.songPlayback.store(kSongWaiting, r);
  p.endTime.store(0.0, r);
  p.endTimeSet = false;
  p.currentBpm.store(120.0, r);
  p.beatClock.store(0.0, r);
  p.tickReference = 0.0;
  p.gogo.store(0, r);
  p.lastGogoTime.store(kNeverPast, r);
  p.scrollSpeed = 1;
  p.playStartTime.store(0.0, r);
  p.fastNote.store(0, r);
  p.noteCount = 0;
  p.latestNoteTime = 0.0;

  p.currentLane.store(0, r);
  p.laneBefore.store(0, r);
  p.lastEvaluationTime.store(kNeverPast, r);
  p.sectionGreat.store(0, r);
  p.sectionGood.store(0, r);
  p.sectionBad.store(0, r);
  p.sectionRoll.store(0, r);

  p.greatWindow = kDefaultGreatWindow;
  p.goodWindow = kDefaultGoodWindow;
  p.badWindow = kDefaultBadWindow;
  p.autoPlay = false;
  p.donUsed = p.katUsed = p.frontier = false;
  p.firstHandTime = 0.0;
  p.firstHandKey = 0;
  p.bigNoteWaiting = false;
  p.sideToggle = 1;
  p.donRing = p.katRing = p.burstRing = 0;
  for (auto& t : p.drumHitTime) t.store(kNeverPast, r);
  p.lastHitKind.store(kHitNone, r);
  p.lastHitTime.store(kNeverPast, r);
  p.lastJudgement.store(kLastNone, r);
  p.lastJudgementTime.store(0.0, r);
  for (auto& e : p.effects) {
    e.time.store(0.0, r);
    e.code.store(0, r);
    e.beat.store(0.0, r);
    e.show.store(0, r);
    e.randomOffset.store(0, r);
  }
  p.nextEffect.store(0, r);
  p.lastShownEffectTime = kNeverPast;

  p.great.store(0, r);
  p.good.store(0, r);
  p.bad.store(0, r);
  p.roll.store(0, r);
  p.combo.store(0, r);
  p.maxCombo.store(0, r);
  p.score.store(0, r);
  p.scoreInit = 0;
  p.scoreDiff = 0;

  p.gauge.store(0.0, r);
  p.gaugeNotes = 0;
  p.clearThreshold = 80;
  p.mood.store(kMoodNormal, r);
  p.previousMood.store(kMoodNormal, r);
  p.enteredNormalTime.store(kNeverPast, r);
  p.lastMissMoodTime.store(kNever, r);
  p.clearedTime.store(kNever, r);
  p.fullTime.store(kNever, r);
  for (int i = 0; i < kGaugeStepCount; ++i) {
    p.gaugeStepClock[i].store(kNeverPast, r);
    p.gaugeStepBeat[i].store(0.0, r);
  }
  p.gaugeWholePart = 0;

  for (auto& s : p.popups) {
    s.score.store(0, r);
    s.until.store(kNeverPast, r);
  }
  p.nextPopup.store(0, r);
  for (auto& s : p.comboStamps) {
    s.set.store(0, r);
    s.time.store(kNeverPast, r);
  }
  p.comboStamped = 0;
  for (int& v : p.comboVoicePlayed) v = 0;
  p.fullComboVoicePlayed = 0;

  p.rollCountDisplay.store(0, r);
  p.rollCountTime.store(kNeverPast, r);
  p.balloonStage.store(kBalloonIdle, r);
  p.balloonTime.store(kNeverPast, r);
  p.remainingHits.store(0, r);
  p.nextAutoHitTime = kNeverPast;

  p.workerEnded.store(1, std::memory_order_release);
  p.paused.store(0, r);
  p.pauseElapsed.store(kNever, r);
  p.clockAtPause = 0.0;
  p.pauseCursor.store(0, r);
  p.choiceTime.store(kNever, r);
  p.pauseKatRing = 0;
  p.pauseRequested.store(0, r);
}

}  // namespace play
