// A song decoded for listening from a point on, in pieces, off the main thread: the song
// select's preview. The first seconds arrive first, so the preview can start before a long
// Ogg song has been decoded through.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/mixer.h"

namespace sound {

// Receives the decoded excerpt in the mixer's format. It is called once with the first
// firstFrames (whole = false) when the rest of the song is longer than that, and once at the
// end with everything from the start point to the end of the song (whole = true).
using ExcerptDelivery = std::function<void(std::shared_ptr<const platform::MixerPcm> pcm, bool whole)>;

// Decodes the WAVE or Ogg Vorbis file at path from startMs on (a start outside the song
// starts at its beginning). The first fadeInMs rise linearly from silence. Checks cancel
// between pieces and gives up when it is set. 0 when the whole excerpt was delivered; -1
// when the file is missing, not a sound, broken, or the decode was cancelled.
int DecodeSongExcerpt(const char* path, double startMs, int64_t firstFrames, double fadeInMs,
                      const std::atomic<bool>& cancel, const ExcerptDelivery& deliver);

// Copies frames [from, from + frames) of pcm (cut at its end) with a gain falling linearly
// from 1 towards 0 over the copy: the tail a stopped preview fades out with. nullptr when
// nothing is left to copy.
std::shared_ptr<const platform::MixerPcm> FadeOutTail(const platform::MixerPcm& pcm, int64_t from, int64_t frames);

}  // namespace sound
