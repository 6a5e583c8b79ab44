// The hit effect ring's codes and size: the play engine writes them, the play field's effects
// and the stage's chibi figures read them. Kept here, below both, so there is one copy.
#pragma once

namespace shell {

constexpr int kEffectRing = 100;

// EffectCode of the JudgeEffect ring
enum EffectCodeValue : int {
  kEffectDonGreat = 1,
  kEffectKatGreat = 2,
  kEffectDonGood = 3,
  kEffectKatGood = 4,
  kEffectBigDonGreat = 5,
  kEffectBigKatGreat = 6,
  kEffectBigDonGood = 7,
  kEffectBigKatGood = 8,
  kEffectDonRoll = 9,
  kEffectKatRoll = 10,
  kEffectDonBigRoll = 11,
  kEffectKatBigRoll = 12,
  kEffectBalloonBurst = 13,
  kEffectMiss = 99,
};

}  // namespace shell
