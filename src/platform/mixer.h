// Our stand-in for the DirectSound device and its static buffers: an SDL audio device at
// 44 100 Hz, stereo, 16-bit, with a buffer of at most 256 frames, and a mixer in the audio
// callback over fully decoded PCM buffers.
//
// Every buffer behaves like a static secondary buffer: play from the current position
// (once or looping), stop (keeps the position), seek, play cursor and status. A one-shot
// play that reaches the end stops and rewinds to 0. No volume, pan or frequency control.
//
// Timing: the mixer keeps, from the callback moments, the mapping between the clock of
// the time module and the output stream. Every command (play, stop, seek) takes effect at
// the stream frame of the moment of the call plus a constant latency, not at the next
// buffer boundary; positions and status are read at that same stream frame, so a song
// started at t reads position (now - t) and a seek to p reads p right after it.
//
// Without an open device (tests, tools, headless runs) the stream follows the time
// module's clock (including a virtual one) and nothing is rendered.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

constexpr int kMixerRate = 44100;
constexpr int kMixerChannels = 2;
constexpr int kMixerDeviceFrames = 256;  // device buffer, frames
// Commands take effect this many frames after the stream frame of their call moment;
// it covers one device buffer plus the jitter of the callback.
constexpr int kMixerLatencyFrames = 512;
constexpr int kMixerBuffers = 1024;

// Decoded sound in the mixer's format: 44 100 Hz, interleaved stereo, signed 16-bit.
struct MixerPcm {
    std::vector<int16_t> samples;  // 2 per frame
    int64_t Frames() const { return static_cast<int64_t>(samples.size() / 2); }
};

// Converts PCM of any rate (100 .. 200000 Hz), any channel count (mono is doubled, more
// than two keep the first two), 8-bit unsigned or 16/24/32-bit signed little-endian into
// the mixer's format. Returns nullptr on a format it cannot take or on empty data.
std::shared_ptr<const MixerPcm> MixerConvertPcm(const uint8_t* data, size_t bytes, int rate, int channels,
                                               int bitsPerSample);

// Opens the SDL audio device (SDL_INIT_AUDIO is initialised here if needed). 0, or -1
// (then the mixer keeps running without output). On SDL's dummy driver no device is
// opened and 0 is returned: the stream then follows the clock, as without a device.
//
// KODOBAN_PACED_AUDIO=FILE opens the paced output instead, for measuring sound: a thread
// of ours renders one device buffer at every absolute deadline of CLOCK_MONOTONIC (at
// real-time priority where allowed) and appends the stream to FILE (44 100 Hz stereo
// signed 16-bit little-endian). Its stream clock is the deadline schedule itself, so a
// late wake-up of the thread moves no sound. Needs the real clock.
// KODOBAN_PACED_SDL_AUDIO=1 paces SDL's own callback the same way, for SDL's disk driver
// run with SDL_DISKAUDIODELAY=0 (which then writes as fast as it is fed).
int MixerOpen();
void MixerClose();
bool MixerHasDevice();

// Buffers. Create returns a buffer id (0 .. kMixerBuffers-1) or -1 when all are in use.
int MixerCreateBuffer(std::shared_ptr<const MixerPcm> pcm);
void MixerReleaseBuffer(int id);
// Status bits, as a buffer status reads them.
constexpr int kMixerPlaying = 1;
constexpr int kMixerLooping = 4;
// Plays from the current position; *startFrame (optional) receives the stream frame at
// which the play takes effect. 0, or -1.
int MixerPlay(int id, bool looping, int64_t* startFrame = nullptr);
// The same as if called at the moment ms (time module), which may lie a little in the past:
// a sound due at a known moment (the automatic drummer's note) lands on that moment's stream
// frame rather than on the one of the call. A moment after now counts as now; the start is
// never placed before a frame already rendered nor before an earlier command. Without a
// device the stream follows the clock and the start is the frame of now.
int MixerPlayAt(int id, bool looping, double ms, int64_t* startFrame = nullptr);
int MixerStop(int id);                 // keeps the position; 0, or -1
int MixerSetPosition(int id, int64_t frame);  // 0, or -1
int64_t MixerGetPosition(int id);      // frame, or -1
int MixerGetStatus(int id);            // status bits, or -1
// Length of the buffer in frames, or -1.
int64_t MixerBufferFrames(int id);

// The audio callback body: renders `frames` stereo frames into out, treating the moment
// of the call as the moment the device asks for them. Tests drive the mixer with this
// (after MixerOpenManual) instead of a device.
void MixerRender(int16_t* out, int frames);
// Makes the mixer behave as if a device were open, rendered only by MixerRender calls.
void MixerOpenManual();
// Stream frame that the callback timing maps the moment `ms` (time module) to.
double MixerStreamFrameAt(double ms);
// Total frames rendered so far.
int64_t MixerRenderedFrames();
// Called after each callback with its moment (time module ms) and first stream frame;
// benchmarks use it to check start accuracy. nullptr removes it.
using MixerCallbackObserver = void (*)(double ms, int64_t firstFrame, int frames);
void MixerSetCallbackObserver(MixerCallbackObserver fn);

// Closes the device, releases every buffer and resets the stream clock (tests).
void MixerReset();

}  // namespace platform
