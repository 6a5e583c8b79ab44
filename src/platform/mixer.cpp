// The mixer: static sound buffers over decoded PCM, mixed in the SDL audio callback.
//
// State of every buffer is kept as of the end of the rendered stream (streamEnd). Commands
// from any thread do not touch that state directly: they are queued as events stamped
// with the stream frame at which they take effect (the stream frame of the moment of the
// call plus kMixerLatencyFrames), and the callback applies each event exactly at its
// frame, splitting its block there. Queries replay the queued events of one buffer up to
// the same horizon, so that status and position agree with what the commands promised.
//
// One mutex guards everything; the callback holds it only while mixing one block, and
// nothing is freed while it is held.
#include "platform/mixer.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>

#include "platform/time.h"

namespace platform {
namespace {

constexpr double kFramesPerMs = kMixerRate / 1000.0;
constexpr int kMinSourceRate = 100;
constexpr int kMaxSourceRate = 200000;
// Converted PCM is capped at 2 GiB, the size a buffer length can describe.
constexpr int64_t kMaxConvertedFrames = (int64_t{1} << 31) / 4;
// Callback moments kept for the stream clock estimate.
constexpr int kStampCount = 32;
constexpr int kMinStampsForRate = 8;
constexpr int kRateSpan = 4;     // callbacks per rate sample
constexpr int kAnchorStamps = 1;  // callbacks the line is fitted under
// Rounding slack when a moment is turned into a stream frame.
constexpr double kFrameEpsilon = 1e-6;

enum EventOp { kOpPlay, kOpPlayLooping, kOpStop, kOpSeek };

struct Event {
    int64_t frame;
    int id;
    int op;
    int64_t arg;
};

struct Buffer {
    std::shared_ptr<const MixerPcm> pcm;
    const int16_t* data = nullptr;
    int64_t frames = 0;
    bool used = false;
    bool playing = false;
    bool looping = false;
    int64_t pos = 0;  // as of streamEnd
};

enum Mode { kModeClock, kModeDevice, kModeManual };

struct Stamp {
    double ms;
    int64_t frame;
};

struct Mixer {
    std::mutex lock;
    Buffer buffers[kMixerBuffers];
    std::deque<Event> events;  // ordered by frame
    int64_t streamEnd = 0;
    int64_t lastScheduled = 0;
    int mode = kModeClock;
    SDL_AudioDeviceID device = 0;
    bool weInitAudio = false;
    // kModeClock: the stream runs at kMixerRate from clockBaseMs of the time module.
    bool clockStarted = false;
    double clockBaseMs = 0;
    // Device modes: callback moments and the line fitted through them.
    Stamp stamps[kStampCount];
    int stampCount = 0;
    int stampHead = 0;
    bool mapValid = false;
    double mapOffsetMs = 0;    // stream frame f is requested at mapOffsetMs + f / mapRate
    double mapRate = kFramesPerMs;
    std::vector<int32_t> acc;
    MixerCallbackObserver observer = nullptr;
    bool paced = false;  // the paced output stands in for the device
};

Mixer gMix;

// The paced output: a thread of our own that renders a device buffer at each absolute
// deadline of CLOCK_MONOTONIC and appends it to a file. It is touched only by MixerOpen
// and MixerClose, never under gMix.lock (the thread takes that lock to render).
struct PacedOutput {
    std::thread thread;
    std::atomic<bool> stop{false};
    FILE* file = nullptr;
};
PacedOutput gPaced;

bool ValidId(int id) { return id >= 0 && id < kMixerBuffers && gMix.buffers[id].used; }

// Moves a buffer n frames on from its state; mixes into acc when given (2 per frame).
void AdvanceBuffer(Buffer& b, int64_t n, int32_t* acc) {
    if (!b.playing || b.frames <= 0) return;
    if (!acc) {
        if (b.looping) {
            b.pos = (b.pos + n) % b.frames;
            return;
        }
        if (b.pos + n >= b.frames) {
            b.playing = false;
            b.pos = 0;
        } else {
            b.pos += n;
        }
        return;
    }
    while (n > 0 && b.playing) {
        int64_t k = std::min(n, b.frames - b.pos);
        const int16_t* src = b.data + b.pos * 2;
        for (int64_t i = 0; i < k * 2; ++i) acc[i] += src[i];
        acc += k * 2;
        b.pos += k;
        n -= k;
        if (b.pos >= b.frames) {
            b.pos = 0;
            if (!b.looping) b.playing = false;
        }
    }
}

void ApplyEvent(Buffer& b, const Event& e) {
    switch (e.op) {
        case kOpPlay:
        case kOpPlayLooping:
            b.playing = true;
            b.looping = e.op == kOpPlayLooping;
            break;
        case kOpStop:
            b.playing = false;
            break;
        case kOpSeek:
            b.pos = std::clamp<int64_t>(e.arg, 0, std::max<int64_t>(b.frames - 1, 0));
            break;
    }
}

// Moves every buffer from streamEnd to `to`, applying the events on the way, mixing into
// acc when given (acc covers streamEnd .. to).
void AdvanceStream(int64_t to, int32_t* acc) {
    int64_t cursor = gMix.streamEnd;
    auto runAll = [&](int64_t until) {
        if (until <= cursor) return;
        int32_t* at = acc ? acc + (cursor - gMix.streamEnd) * 2 : nullptr;
        for (Buffer& b : gMix.buffers) {
            if (b.used && b.playing) AdvanceBuffer(b, until - cursor, at);
        }
        cursor = until;
    };
    while (!gMix.events.empty() && gMix.events.front().frame < to) {
        Event e = gMix.events.front();
        gMix.events.pop_front();
        runAll(e.frame);
        if (e.id >= 0 && e.id < kMixerBuffers && gMix.buffers[e.id].used) ApplyEvent(gMix.buffers[e.id], e);
    }
    runAll(to);
    gMix.streamEnd = std::max(gMix.streamEnd, to);
}

// The stream frame from which commands issued now take effect; also moves a device-less
// stream along with the clock.
int64_t CommandHorizon() {
    double now = TimeNowMs();
    int64_t horizon;
    if (gMix.mode == kModeClock) {
        if (!gMix.clockStarted || now < gMix.clockBaseMs + gMix.streamEnd / kFramesPerMs - 1000.0) {
            // first use, or the clock was replaced by an earlier one: continue from here
            gMix.clockStarted = true;
            gMix.clockBaseMs = now - gMix.streamEnd / kFramesPerMs;
        }
        int64_t target = static_cast<int64_t>(std::floor((now - gMix.clockBaseMs) * kFramesPerMs + kFrameEpsilon));
        if (target > gMix.streamEnd) AdvanceStream(target, nullptr);
        horizon = gMix.streamEnd;
    } else {
        int64_t base = gMix.streamEnd;
        if (gMix.mapValid) {
            base = static_cast<int64_t>(std::floor((now - gMix.mapOffsetMs) * gMix.mapRate + kFrameEpsilon));
        }
        horizon = std::max(base + kMixerLatencyFrames, gMix.streamEnd);
    }
    horizon = std::max(horizon, gMix.lastScheduled);
    gMix.lastScheduled = horizon;
    return horizon;
}

// The state of one buffer at stream frame `at` (>= streamEnd), with its queued events.
Buffer StateAt(int id, int64_t at) {
    Buffer b = gMix.buffers[id];
    b.pcm = nullptr;
    int64_t cursor = gMix.streamEnd;
    for (const Event& e : gMix.events) {
        if (e.frame > at) break;
        if (e.id != id) continue;
        AdvanceBuffer(b, e.frame - cursor, nullptr);
        cursor = std::max(cursor, e.frame);
        ApplyEvent(b, e);
    }
    if (at > cursor) AdvanceBuffer(b, at - cursor, nullptr);
    return b;
}

void Queue(int id, int op, int64_t arg, int64_t frame) {
    gMix.events.push_back(Event{frame, id, op, arg});
}

// The stream clock from the callback moments. The rate is the median of the rates over
// spans of a few callbacks, which neither a stalled callback nor callbacks that come in
// bursts can pull away. The line runs through the last callback: a device that has fallen
// behind (as SDL's disk writer does after a stall, or any device after an underrun) is
// followed at once, and a burst of callbacks re-anchors it on the latest of them.
void RecordStamp(double ms, int64_t frame) {
    gMix.stamps[gMix.stampHead] = Stamp{ms, frame};
    gMix.stampHead = (gMix.stampHead + 1) % kStampCount;
    if (gMix.stampCount < kStampCount) ++gMix.stampCount;
    const int n = gMix.stampCount;
    auto nth = [&](int i) -> const Stamp& {  // i = 0 is the oldest kept
        return gMix.stamps[(gMix.stampHead - n + i + kStampCount) % kStampCount];
    };
    double rate = kFramesPerMs;
    if (n >= kMinStampsForRate) {
        double rates[kStampCount];
        int m = 0;
        for (int i = 0; i + kRateSpan < n; ++i) {
            double dt = nth(i + kRateSpan).ms - nth(i).ms;
            if (dt > 0) rates[m++] = static_cast<double>(nth(i + kRateSpan).frame - nth(i).frame) / dt;
        }
        if (m > 0) {
            std::nth_element(rates, rates + m / 2, rates + m);
            rate = std::clamp(rates[m / 2], kFramesPerMs * 0.5, kFramesPerMs * 2.0);
        }
    }
    double offset = 1e300;
    for (int i = std::max(0, n - kAnchorStamps); i < n; ++i) {
        offset = std::min(offset, nth(i).ms - static_cast<double>(nth(i).frame) / rate);
    }
    gMix.mapRate = rate;
    gMix.mapOffsetMs = offset;
    gMix.mapValid = true;
}

void RenderLocked(int16_t* out, int frames, double now) {
    int64_t first = gMix.streamEnd;
    RecordStamp(now, first);
    if (gMix.acc.size() < static_cast<size_t>(frames) * 2) gMix.acc.resize(static_cast<size_t>(frames) * 2);
    std::fill(gMix.acc.begin(), gMix.acc.begin() + frames * 2, 0);
    AdvanceStream(first + frames, gMix.acc.data());
    for (int i = 0; i < frames * 2; ++i) {
        out[i] = static_cast<int16_t>(std::clamp<int32_t>(gMix.acc[i], -32768, 32767));
    }
    if (gMix.observer) gMix.observer(now, first, frames);
}

// Absolute deadlines on CLOCK_MONOTONIC for a stream that starts at startNs: the moment
// its frame `frames` is due, exactly, however long the stream has run.
int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t DueNs(int64_t startNs, int64_t frames) {
    return startNs + frames / kMixerRate * 1000000000 + frames % kMixerRate * 1000000000 / kMixerRate;
}

// Sleeps until ns; false when `stop` was set while waiting (a signal interrupted the sleep).
bool SleepUntilNs(int64_t ns, const std::atomic<bool>* stop) {
    timespec at{};
    at.tv_sec = static_cast<time_t>(ns / 1000000000);
    at.tv_nsec = static_cast<long>(ns % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
        if (stop && stop->load(std::memory_order_acquire)) return false;
    }
    return true;
}

// Real-time priority for the calling thread where the system allows it; otherwise it stays
// an ordinary thread.
void RaiseToRealTime() {
    sched_param sp{};
    sp.sched_priority = std::min(20, sched_get_priority_max(SCHED_FIFO));
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);
}

// SDL's callback paced by our deadlines (KODOBAN_PACED_SDL_AUDIO=1), for SDL's disk driver
// run with SDL_DISKAUDIODELAY=0: that driver then asks for buffers as fast as it can write
// them, and the callback hands it one per deadline, stamped with the deadline. Set before
// the device opens, then touched only by the audio thread.
struct CallbackPacing {
    bool on = false;
    bool started = false;
    int64_t startNs = 0;
    int64_t frames = 0;
};
CallbackPacing gCallbackPacing;

void AudioCallback(void*, Uint8* stream, int len) {
    int frames = len / 4;
    double moment;
    if (gCallbackPacing.on) {
        CallbackPacing& p = gCallbackPacing;
        if (!p.started) {
            RaiseToRealTime();
            p.started = true;
            p.startNs = MonotonicNs();
        }
        const int64_t due = DueNs(p.startNs, p.frames);
        SleepUntilNs(due, nullptr);
        p.frames += frames;
        moment = static_cast<double>(due) / 1.0e6;
    } else {
        moment = TimeNowMs();
    }
    std::lock_guard<std::mutex> g(gMix.lock);
    RenderLocked(reinterpret_cast<int16_t*>(stream), frames, moment);
    if (len % 4) std::memset(stream + frames * 4, 0, len % 4);
}

// Switches how the stream is clocked; buffers and queued commands stay.
void ResetStreamLocked(int mode) {
    gMix.mode = mode;
    gMix.stampCount = 0;
    gMix.stampHead = 0;
    gMix.mapValid = false;
    gMix.mapRate = kFramesPerMs;
    gMix.clockStarted = false;
}

// The paced output's loop. One device buffer falls due every kMixerDeviceFrames / 44 100 s,
// counted from the start, so a late wake-up delays that one buffer and never the ones after
// it; and each buffer is rendered as if the device had asked for it exactly at its deadline.
// The stream clock the mixer sees is then the deadline schedule, as steady as a sound
// card's crystal, whatever the scheduler does to this thread. Commands are unaffected by a
// late wake-up: they take effect a latency after their moment, beyond the buffer due.
void PacedLoop() {
    RaiseToRealTime();
    const int64_t startNs = MonotonicNs();
    int16_t buf[kMixerDeviceFrames * kMixerChannels];
    for (int64_t k = 0; !gPaced.stop.load(std::memory_order_acquire); ++k) {
        const int64_t due = DueNs(startNs, k * kMixerDeviceFrames);
        if (!SleepUntilNs(due, &gPaced.stop)) return;
        {
            std::lock_guard<std::mutex> g(gMix.lock);
            RenderLocked(buf, kMixerDeviceFrames, static_cast<double>(due) / 1.0e6);
        }
        std::fwrite(buf, sizeof buf, 1, gPaced.file);
    }
}

int OpenPaced(const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return -1;
    {
        std::lock_guard<std::mutex> g(gMix.lock);
        ResetStreamLocked(kModeDevice);
        gMix.paced = true;
    }
    gPaced.file = f;
    gPaced.stop.store(false, std::memory_order_release);
    gPaced.thread = std::thread(PacedLoop);
    return 0;
}

void ClosePaced() {
    gPaced.stop.store(true, std::memory_order_release);
    if (gPaced.thread.joinable()) gPaced.thread.join();
    if (gPaced.file) std::fclose(gPaced.file);
    gPaced.file = nullptr;
}

// Source sample reader: one channel of one frame as signed 16-bit.
inline int32_t ReadSample(const uint8_t* p, int bits) {
    switch (bits) {
        case 8: return (static_cast<int32_t>(p[0]) - 128) * 256;
        case 16: return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
        case 24: return static_cast<int16_t>(static_cast<uint16_t>(p[1] | (p[2] << 8)));
        default: return static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8)));
    }
}

}  // namespace

std::shared_ptr<const MixerPcm> MixerConvertPcm(const uint8_t* data, size_t bytes, int rate, int channels,
                                               int bitsPerSample) {
    if (!data || rate < kMinSourceRate || rate > kMaxSourceRate || channels < 1 || channels > 65535) return nullptr;
    if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24 && bitsPerSample != 32) return nullptr;
    const size_t sampleBytes = static_cast<size_t>(bitsPerSample / 8);
    const size_t frameBytes = sampleBytes * static_cast<size_t>(channels);
    const int64_t inFrames = static_cast<int64_t>(bytes / frameBytes);
    if (inFrames <= 0) return nullptr;
    int64_t outFrames = inFrames;
    if (rate != kMixerRate) outFrames = (inFrames - 1) * kMixerRate / rate + 1;
    if (outFrames > kMaxConvertedFrames) return nullptr;
    try {
        auto pcm = std::make_shared<MixerPcm>();
        pcm->samples.resize(static_cast<size_t>(outFrames) * 2);
        int16_t* out = pcm->samples.data();
        const size_t rightOffset = channels > 1 ? sampleBytes : 0;
        if (rate == kMixerRate && bitsPerSample == 16 && channels == 2) {
            for (int64_t i = 0; i < inFrames * 2; ++i) out[i] = static_cast<int16_t>(ReadSample(data + i * 2, 16));
        } else if (rate == kMixerRate) {
            for (int64_t i = 0; i < inFrames; ++i) {
                const uint8_t* f = data + static_cast<size_t>(i) * frameBytes;
                out[i * 2] = static_cast<int16_t>(ReadSample(f, bitsPerSample));
                out[i * 2 + 1] = static_cast<int16_t>(ReadSample(f + rightOffset, bitsPerSample));
            }
        } else {
            // linear interpolation; source position in 32.32 fixed point
            const uint64_t step = (static_cast<uint64_t>(rate) << 32) / kMixerRate;
            uint64_t at = 0;
            for (int64_t j = 0; j < outFrames; ++j, at += step) {
                int64_t i = static_cast<int64_t>(at >> 32);
                if (i >= inFrames) i = inFrames - 1;
                int64_t i2 = std::min(i + 1, inFrames - 1);
                int64_t frac = static_cast<int64_t>(at & 0xffffffffu);
                const uint8_t* f1 = data + static_cast<size_t>(i) * frameBytes;
                const uint8_t* f2 = data + static_cast<size_t>(i2) * frameBytes;
                for (int c = 0; c < 2; ++c) {
                    size_t off = c ? rightOffset : 0;
                    int64_t a = ReadSample(f1 + off, bitsPerSample);
                    int64_t b = ReadSample(f2 + off, bitsPerSample);
                    out[j * 2 + c] = static_cast<int16_t>(a + (((b - a) * frac) >> 32));
                }
            }
        }
        return pcm;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int MixerOpen() {
    if (MixerHasDevice()) return 0;
    if (const char* paced = std::getenv("KODOBAN_PACED_AUDIO"); paced && *paced) return OpenPaced(paced);
    bool weInit = false;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return -1;
        weInit = true;
    }
    // SDL's dummy driver asks for buffers at no steady rate and plays nothing: without a
    // real device the stream follows the clock instead, so that headless runs keep time.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "dummy") == 0) {
        if (weInit) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    SDL_AudioSpec want{};
    want.freq = kMixerRate;
    want.format = AUDIO_S16LSB;
    want.channels = kMixerChannels;
    want.samples = kMixerDeviceFrames;
    want.callback = AudioCallback;
    SDL_AudioSpec have{};
    const char* pacedSdl = std::getenv("KODOBAN_PACED_SDL_AUDIO");
    gCallbackPacing = CallbackPacing{};
    gCallbackPacing.on = pacedSdl && std::strcmp(pacedSdl, "1") == 0;
    // No changes allowed: SDL converts to whatever the hardware wants.
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev == 0) {
        if (weInit) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return -1;
    }
    {
        std::lock_guard<std::mutex> g(gMix.lock);
        ResetStreamLocked(kModeDevice);
        gMix.device = dev;
        gMix.weInitAudio = weInit;
    }
    SDL_PauseAudioDevice(dev, 0);
    return 0;
}

void MixerClose() {
    SDL_AudioDeviceID dev = 0;
    bool weInit = false;
    bool paced = false;
    {
        std::lock_guard<std::mutex> g(gMix.lock);
        dev = gMix.device;
        weInit = gMix.weInitAudio;
        paced = gMix.paced;
    }
    // closing waits for the callback, which takes the lock: not under it
    if (dev) SDL_CloseAudioDevice(dev);
    if (weInit) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (paced) ClosePaced();
    std::lock_guard<std::mutex> g(gMix.lock);
    gMix.device = 0;
    gMix.weInitAudio = false;
    gMix.paced = false;
    if (gMix.mode != kModeClock) {
        // the stream continues on the clock from where it was
        int64_t keep = gMix.streamEnd;
        ResetStreamLocked(kModeClock);
        gMix.streamEnd = keep;
    }
}

bool MixerHasDevice() {
    std::lock_guard<std::mutex> g(gMix.lock);
    return gMix.device != 0 || gMix.paced;
}

void MixerOpenManual() {
    std::lock_guard<std::mutex> g(gMix.lock);
    ResetStreamLocked(kModeManual);
}

int MixerCreateBuffer(std::shared_ptr<const MixerPcm> pcm) {
    if (!pcm || pcm->Frames() <= 0) return -1;
    std::lock_guard<std::mutex> g(gMix.lock);
    for (int i = 0; i < kMixerBuffers; ++i) {
        Buffer& b = gMix.buffers[i];
        if (b.used) continue;
        b = Buffer{};
        b.data = pcm->samples.data();
        b.frames = pcm->Frames();
        b.pcm = std::move(pcm);
        b.used = true;
        return i;
    }
    return -1;
}

void MixerReleaseBuffer(int id) {
    std::shared_ptr<const MixerPcm> drop;  // freed after the lock is let go
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return;
    Buffer& b = gMix.buffers[id];
    drop = std::move(b.pcm);
    b = Buffer{};
    std::erase_if(gMix.events, [id](const Event& e) { return e.id == id; });
}

int MixerPlay(int id, bool looping, int64_t* startFrame) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    int64_t at = CommandHorizon();
    Queue(id, looping ? kOpPlayLooping : kOpPlay, 0, at);
    if (startFrame) *startFrame = at;
    return 0;
}

int MixerPlayAt(int id, bool looping, double ms, int64_t* startFrame) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    // The frame of the moment: not before what is rendered, nor before this buffer's own
    // queued commands; other buffers' commands may already be queued later, so the event
    // goes in at its place in frame order.
    const int64_t horizon = CommandHorizon();
    int64_t at = horizon;
    if (gMix.mode != kModeClock && gMix.mapValid && ms < TimeNowMs()) {
        at = static_cast<int64_t>(std::floor((ms - gMix.mapOffsetMs) * gMix.mapRate + kFrameEpsilon)) +
             kMixerLatencyFrames;
        at = std::clamp<int64_t>(at, gMix.streamEnd, horizon);
        for (const Event& e : gMix.events) {
            if (e.id == id) at = std::max(at, e.frame);
        }
    }
    const Event e{at, id, looping ? kOpPlayLooping : kOpPlay, 0};
    gMix.events.insert(std::upper_bound(gMix.events.begin(), gMix.events.end(), e,
                                        [](const Event& a, const Event& b) { return a.frame < b.frame; }),
                       e);
    if (startFrame) *startFrame = at;
    return 0;
}

int MixerStop(int id) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    Queue(id, kOpStop, 0, CommandHorizon());
    return 0;
}

int MixerSetPosition(int id, int64_t frame) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id) || frame < 0 || frame >= gMix.buffers[id].frames) return -1;
    Queue(id, kOpSeek, frame, CommandHorizon());
    return 0;
}

int64_t MixerGetPosition(int id) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    return StateAt(id, CommandHorizon()).pos;
}

int MixerGetStatus(int id) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    Buffer b = StateAt(id, CommandHorizon());
    if (!b.playing) return 0;
    return kMixerPlaying | (b.looping ? kMixerLooping : 0);
}

int64_t MixerBufferFrames(int id) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (!ValidId(id)) return -1;
    return gMix.buffers[id].frames;
}

void MixerRender(int16_t* out, int frames) {
    if (!out || frames <= 0) return;
    std::lock_guard<std::mutex> g(gMix.lock);
    RenderLocked(out, frames, TimeNowMs());
}

double MixerStreamFrameAt(double ms) {
    std::lock_guard<std::mutex> g(gMix.lock);
    if (gMix.mode == kModeClock) return (ms - gMix.clockBaseMs) * kFramesPerMs;
    if (!gMix.mapValid) return static_cast<double>(gMix.streamEnd);
    return (ms - gMix.mapOffsetMs) * gMix.mapRate;
}

int64_t MixerRenderedFrames() {
    std::lock_guard<std::mutex> g(gMix.lock);
    return gMix.streamEnd;
}

void MixerSetCallbackObserver(MixerCallbackObserver fn) {
    std::lock_guard<std::mutex> g(gMix.lock);
    gMix.observer = fn;
}

void MixerReset() {
    MixerClose();
    std::shared_ptr<const MixerPcm> drop[kMixerBuffers];
    std::lock_guard<std::mutex> g(gMix.lock);
    for (int i = 0; i < kMixerBuffers; ++i) {
        drop[i] = std::move(gMix.buffers[i].pcm);
        gMix.buffers[i] = Buffer{};
    }
    ResetStreamLocked(kModeClock);
    gMix.events.clear();
    gMix.streamEnd = 0;
    gMix.lastScheduled = 0;
    gMix.observer = nullptr;
}

}  // namespace platform
