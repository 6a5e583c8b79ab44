// Score, combo and soul gauge: the points of a judgement, combo breaks, the gauge steps and
// the GaugeMood, and the per-pass bookkeeping (combo and gauge stamps, combo voices).
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "play/play_internal.h"
#include "sound/sound.h"

namespace play {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr int kComboForFullBase = 100;   // from this combo on a note earns init + 10 x diff
constexpr int kComboStep = 10;           // every 10 combo add one diff below that
constexpr double kGogoFactor = 1.2;
constexpr double kBigFactor = 2.0;
constexpr int kRollPoints = 300;
constexpr int kBigRollPoints = 360;
constexpr int kBalloonBurstPoints = 5000;
constexpr int kFirstComboVoice = 50;

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Truncation towards zero that stays inside the 64-bit range for absurd chart values.
int64_t Truncate(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -9.0e18, 9.0e18);
  return static_cast<int64_t>(v);
}

void AddPoints(int64_t points) {
  const int32_t score = ClampToInt32(static_cast<int64_t>(Play.score.load(kRelaxed)) + points);
  Play.score.store(score, kRelaxed);
  const uint8_t idx = Play.nextPopup.load(kRelaxed);
  Play.popups[idx].score.store(score, kRelaxed);
  Play.popups[idx].until.store(Play.playClock.load(kRelaxed) + kPopupShowMs, kRelaxed);
  Play.nextPopup.store(static_cast<uint8_t>(idx + 1), kRelaxed);
}

void MoodAfterGain(double old) {
  const double now = Play.playClock.load(kRelaxed);
  const double gauge = Play.gauge.load(kRelaxed);
  const double threshold = Play.clearThreshold;
  const int mood = Play.mood.load(kRelaxed);
  if (mood == kMoodMiss) Play.lastMissMoodTime.store(now, kRelaxed);
  if (gauge == kGaugeMax && mood != kMoodFull) {
    Play.previousMood.store(mood, kRelaxed);
    Play.fullTime.store(now, kRelaxed);
    Play.mood.store(kMoodFull, kRelaxed);
  } else if (gauge >= threshold && mood < kMoodCleared) {
    Play.previousMood.store(mood, kRelaxed);
    Play.mood.store(kMoodCleared, kRelaxed);
    if (old < threshold) Play.clearedTime.store(now, kRelaxed);
  } else if (gauge < threshold && mood == kMoodMiss) {
    Play.enteredNormalTime.store(now, kRelaxed);
    Play.previousMood.store(kMoodMiss, kRelaxed);
    Play.mood.store(kMoodNormal, kRelaxed);
    Play.clearedTime.store(kNever, kRelaxed);
  }
}

void MoodAfterLoss() {
  const int mood = Play.mood.load(kRelaxed);
  if (mood == kMoodMiss) return;
  Play.lastMissMoodTime.store(Play.playClock.load(kRelaxed), kRelaxed);
  Play.previousMood.store(mood, kRelaxed);
  Play.mood.store(kMoodMiss, kRelaxed);
}

void GaugeGain(double amount) {
  if (Play.gaugeNotes <= 0) return;
  const double old = Play.gauge.load(kRelaxed);
  Play.gauge.store(std::min(old + amount / Play.gaugeNotes, kGaugeMax), kRelaxed);
  MoodAfterGain(old);
}

}  // namespace

void AddScore(int kind, bool gogo, double factor) {
  const double g = gogo ? kGogoFactor : 1.0;
  int64_t points = 0;
  if (kind >= chart::kNoteDon && kind <= chart::kNoteBigKat) {
    const double b = (kind == chart::kNoteBigDon || kind == chart::kNoteBigKat) ? kBigFactor : 1.0;
    const int64_t combo = Play.combo.load(kRelaxed);
    const int64_t init = Play.scoreInit, diff = Play.scoreDiff;
    const int64_t base = (combo >= kComboForFullBase) ? init + diff * 10 : init + (combo / kComboStep) * diff;
    const int64_t n = Truncate(static_cast<double>(base) * factor * g * b);
    points = (n / 10) * 10;
  } else if (kind == chart::kNoteRoll || kind == chart::kNoteBalloon) {
    points = Truncate(kRollPoints * g);
  } else if (kind == chart::kNoteBigRoll) {
    points = (Truncate(kBigRollPoints * g) / 10) * 10;
  } else {
    return;
  }
  AddPoints(points);
}

void AddBalloonBurstPoints(bool gogo) { AddPoints(Truncate(kBalloonBurstPoints * (gogo ? kGogoFactor : 1.0))); }

void ComboBreak() {
  const int combo = Play.combo.load(kRelaxed);
  if (combo > Play.maxCombo.load(kRelaxed)) Play.maxCombo.store(combo, kRelaxed);
  const int stamps = std::min(combo, kComboStampCount - 1);
  for (int v = 1; v <= stamps; ++v) {
    Play.comboStamps[v].set.store(0, kRelaxed);
    Play.comboStamps[v].time.store(kNeverPast, kRelaxed);
  }
  Play.comboStamped = 0;
  const int voices = std::min(combo / 100, kComboVoiceCount - 1);
  for (int v = 0; v <= voices; ++v) Play.comboVoicePlayed[v] = 0;
  Play.combo.store(0, kRelaxed);
}

void GaugeGreatStep() { GaugeGain(kGaugeGreat); }
void GaugeGoodStep() { GaugeGain(kGaugeGood); }

void GaugeBadStep() {
  if (Play.gaugeNotes <= 0) return;
  const double old = Play.gauge.load(kRelaxed);
  Play.gauge.store(std::max(old - kGaugeBad / Play.gaugeNotes, 0.0), kRelaxed);
  MoodAfterLoss();
}

void StampCombo(double c) {
  const int combo = std::min(Play.combo.load(kRelaxed), kComboStampCount - 1);
  // Stamps 1..comboStamped are set; only the counts reached since need their moment.
  for (int v = Play.comboStamped + 1; v <= combo; ++v) {
    Play.comboStamps[v].time.store(c, kRelaxed);
    Play.comboStamps[v].set.store(1, kRelaxed);
  }
  if (combo > Play.comboStamped) Play.comboStamped = combo;
}

void PlayComboVoices(double c) {
  const int combo = Play.combo.load(kRelaxed);
  for (int i = 0; i < kComboVoiceCount; ++i) {
    if (Play.comboVoicePlayed[i]) continue;
    const int needed = (i == 0) ? kFirstComboVoice : i * 100;
    if (combo < needed) break;  // the thresholds only grow
    sound::PlaySound(Sounds.comboVoice[i], false);
    Play.comboVoicePlayed[i] = 1;
  }
  if (!Play.fullComboVoicePlayed && c > Play.latestNoteTime + kFullComboVoiceDelayMs &&
      Play.bad.load(kRelaxed) == 0) {
    sound::PlaySound(Sounds.fullComboVoice, false);
    Play.fullComboVoicePlayed = 1;
  }
}

void StampGaugeSteps(double c) {
  const double gauge = Play.gauge.load(kRelaxed);
  const int w = std::clamp(static_cast<int>(gauge), 0, kGaugeStepCount - 1);
  const int p = Play.gaugeWholePart;
  const double beat = Play.beatClock.load(kRelaxed);
  if (w > p) {
    for (int v = p + 1; v <= w; ++v) {
      Play.gaugeStepClock[v].store(c, kRelaxed);
      Play.gaugeStepBeat[v].store(beat, kRelaxed);
    }
  } else if (w < p) {
    for (int v = p - 1; v >= w; --v) {
      if (v == 0) continue;
      Play.gaugeStepClock[v].store(c, kRelaxed);
      Play.gaugeStepBeat[v].store(beat, kRelaxed);
    }
  }
  Play.gaugeWholePart = w;
}

}  // namespace play
