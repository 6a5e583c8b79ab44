// The preview's decoder: where the excerpt starts, its fade-in, the first piece of a long Ogg
// song ahead of the whole, and quiet failure.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "sound/song_excerpt.h"
#include "sound/sound_files.h"

namespace {

using soundtest::Bytes;

struct Delivery {
  bool whole;
  int64_t frames;
  std::vector<int16_t> head;  // the first 20 000 samples
};

int Decode(const std::string& path, double startMs, int64_t firstFrames, std::vector<Delivery>* out,
           bool cancelled = false) {
  std::atomic<bool> cancel{cancelled};
  return sound::DecodeSongExcerpt(path.c_str(), startMs, firstFrames, 100.0, cancel,
                                  [out](std::shared_ptr<const platform::MixerPcm> pcm, bool whole) {
                                    size_t n = std::min<size_t>(pcm->samples.size(), 20000);
                                    out->push_back({whole, pcm->Frames(), {pcm->samples.begin(), pcm->samples.begin() + n}});
                                  });
}

// Two seconds of 1000, then two seconds of 8000: the start point shows in the level.
std::string TwoLevelWave() {
  std::vector<int16_t> s(44100 * 4 * 2, 1000);
  std::fill(s.begin() + 44100 * 2 * 2, s.end(), int16_t{8000});
  return soundtest::WriteTemp("excerpt_two_level.wav", soundtest::MakeWave(2, 44100, 16, soundtest::Pcm16(s)));
}

TEST(SongExcerpt, WaveStartsAtTheStartPointAndFadesIn) {
  std::string path = TwoLevelWave();
  std::vector<Delivery> got;
  ASSERT_EQ(Decode(path, 2000.0, 44100, &got), 0);
  ASSERT_EQ(got.size(), 1u);  // a WAVE arrives whole at once
  // Whole, the second half of the song, silent at first, full level after the 100 ms fade.
  EXPECT_EQ((std::vector<int64_t>{got[0].whole, got[0].frames, got[0].head[0], got[0].head[4410 * 2 + 100]}),
            (std::vector<int64_t>{true, 44100 * 2, 0, 8000}));
  EXPECT_NEAR(got[0].head[2205 * 2], 4000, 10);  // half-way through the fade

  got.clear();
  ASSERT_EQ(Decode(path, 9000.0, 44100, &got), 0);  // beyond the end: from the beginning
  EXPECT_EQ(got[0].frames, 44100 * 4);
  EXPECT_EQ(got[0].head[4410 * 2 + 100], 1000);
}

TEST(SongExcerpt, LongOggSongHandsOverItsFirstPieceFirst) {
  std::string path = soundtest::WriteTemp("excerpt_tone.ogg", soundtest::EncodeOgg(soundtest::Tone(44100 * 6, 2, 44100), 2, 44100));
  std::vector<Delivery> got;
  ASSERT_EQ(Decode(path, 1000.0, 44100, &got), 0);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ((std::vector<int64_t>{got[0].whole, got[0].frames, got[1].whole}), (std::vector<int64_t>{false, 44100, true}));
  EXPECT_NEAR(got[1].frames, 44100 * 5, 2048);
  EXPECT_EQ(got[0].head, got[1].head);  // the same music from the same point
}

TEST(SongExcerpt, MissingBrokenOrCancelledDeliversNothing) {
  std::vector<Delivery> got;
  // A missing or broken Ogg file is the preview's test; text that is no sound, and a cancel.
  EXPECT_EQ(Decode(soundtest::WriteTemp("excerpt_text.ogg", Bytes{'h', 'e', 'l', 'l', 'o'}), 0.0, 44100, &got), -1);
  EXPECT_EQ(Decode(TwoLevelWave(), 0.0, 44100, &got, true), -1);
  EXPECT_TRUE(got.empty());
}

TEST(SongExcerpt, FadeOutTailFallsToSilence) {
  platform::MixerPcm pcm;
  pcm.samples.assign(44100 * 2, 10000);
  auto tail = sound::FadeOutTail(pcm, 1000, 6615);
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->Frames(), 6615);
  EXPECT_NEAR(tail->samples[0], 10000, 5);
  EXPECT_EQ(tail->samples.back(), 0);
  EXPECT_EQ(sound::FadeOutTail(pcm, 44100 - 10, 6615)->Frames(), 10);  // cut at the end
  EXPECT_FALSE(sound::FadeOutTail(pcm, 44100, 6615));
}

}  // namespace
