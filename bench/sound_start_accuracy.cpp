// Start accuracy: 200 clicks are started from another thread at known moments while an
// output writes the stream to a file. Each click must begin at the stream frame that the
// device clock gives for its moment, plus the constant latency. Two outputs:
//
// - SDL's disk audio driver asks for the next buffer, writes it, then sleeps a buffer's
//   time; its writer often wakes late on a busy machine, so this also measures the sleeps.
// - Our paced output (KODOBAN_PACED_AUDIO) renders each buffer at an absolute deadline,
//   as a sound card's clock would ask for it: this measures the mixer alone.
//
// The stream position of a moment is found between the two callbacks around it. Prints
// the median and the worst error in samples. bench/sound_start_accuracy.sh runs it.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "sound/sound.h"
#include "common/wave_write.h"

namespace {

constexpr int kStarts = 200;
constexpr int kClickFrames = 32;
constexpr int16_t kClickLevel = 16000;
constexpr int kMaxStamps = 1 << 16;

struct CallbackStamp {
    double ms;
    int64_t frame;
};
CallbackStamp gStamps[kMaxStamps];
std::atomic<int> gStampCount{0};

void Observe(double ms, int64_t firstFrame, int) {
    int n = gStampCount.load(std::memory_order_relaxed);
    if (n >= kMaxStamps) return;
    gStamps[n] = CallbackStamp{ms, firstFrame};
    gStampCount.store(n + 1, std::memory_order_release);
}

std::vector<uint8_t> ClickWave() {
    std::vector<int16_t> pcm(static_cast<size_t>(kClickFrames) * 2, static_cast<int16_t>(kClickLevel));
    return sound::MakePcm16Wave(pcm.data(), kClickFrames, 2, 44100);
}

struct Result {
    double medianSamples = -1;
    double worstSamples = -1;
    int found = 0;
    double streamRate = 0;  // frames per ms of the device clock
    int within = 0;         // starts within 22 samples (0.5 ms)
};

Result MeasureStartAccuracy(const std::string& outPath, bool paced) {
    Result r;
    gStampCount.store(0);
    platform::TimeUseRealClock();
    platform::MixerReset();
    sound::SoundReset();
    std::vector<uint8_t> click = ClickWave();
    std::vector<int> handles;
    for (int i = 0; i < kStarts; ++i) handles.push_back(sound::LoadSoundFromMemory(click.data(), click.size()));
    platform::MixerSetCallbackObserver(Observe);
    if (paced) setenv("KODOBAN_PACED_AUDIO", outPath.c_str(), 1);
    const int opened = platform::MixerOpen();
    unsetenv("KODOBAN_PACED_AUDIO");
    if (opened != 0) {
        std::fprintf(stderr, "cannot open the audio device: %s\n", SDL_GetError());
        return r;
    }
    platform::TimeSleepMs(400);  // the clock estimate settles

    std::vector<double> moments(kStarts);
    std::thread player([&] {
        // The game's play worker, which starts the drum sounds, runs at a real-time priority
        // where the system allows it: so does this player, so that the moment it notes and
        // the moment the mixer sees are not torn apart by the scheduler.
        sched_param sp{};
        sp.sched_priority = 2;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);
        uint32_t seed = 3;
        double next = platform::TimeNowMs() + 20.0;
        for (int i = 0; i < kStarts; ++i) {
            seed = seed * 1664525u + 1013904223u;
            next += 15.0 + (seed >> 16) % 1000 / 100.0;  // 15 to 25 ms apart, at any phase
            while (platform::TimeNowMs() < next - 2.0) platform::TimeSleepMs(1);
            while (platform::TimeNowMs() < next) {
            }
            moments[i] = platform::TimeNowMs();
            sound::PlaySound(handles[i]);
        }
    });
    player.join();
    platform::TimeSleepMs(300);
    platform::MixerClose();
    const int64_t rendered = platform::MixerRenderedFrames();
    platform::MixerSetCallbackObserver(nullptr);

    // The stream position of a moment: between the two callbacks around it, the stream
    // advances evenly from the first one's frame to the next one's.
    int n = gStampCount.load(std::memory_order_acquire);
    if (n < 16) return r;
    r.streamRate = static_cast<double>(gStamps[n - 1].frame - gStamps[0].frame) / (gStamps[n - 1].ms - gStamps[0].ms);
    auto streamFrameAt = [&](double ms) -> double {
        int k = 0;
        while (k + 2 < n && gStamps[k + 1].ms <= ms) ++k;
        const CallbackStamp& a = gStamps[k];
        const CallbackStamp& b = gStamps[k + 1];
        return static_cast<double>(a.frame) + (ms - a.ms) / (b.ms - a.ms) * static_cast<double>(b.frame - a.frame);
    };

    FILE* f = std::fopen(outPath.c_str(), "rb");
    if (!f) return r;
    std::vector<int16_t> stream;
    int16_t buf[4096];
    size_t got;
    while ((got = std::fread(buf, sizeof(int16_t), 4096, f)) > 0) stream.insert(stream.end(), buf, buf + got);
    std::fclose(f);
    // SDL writes silence while the device is still paused after opening: the stream the
    // mixer rendered is the tail of the file
    const int64_t lead = static_cast<int64_t>(stream.size() / 2) - rendered;
    if (lead < 0) return r;
    stream.erase(stream.begin(), stream.begin() + lead * 2);
    const int64_t frames = rendered;

    // KODOBAN_START_DUMP=FILE writes the callbacks and the starts for a closer look
    FILE* dump = nullptr;
    if (const char* d = std::getenv("KODOBAN_START_DUMP")) dump = std::fopen(d, "w");
    if (dump) {
        for (int i = 0; i < n; ++i) {
            std::fprintf(dump, "cb %.4f %lld\n", gStamps[i].ms, static_cast<long long>(gStamps[i].frame));
        }
    }
    // the onsets in the stream: a click after silence
    std::vector<int64_t> onsets;
    for (int64_t k = 0; k < frames; ++k) {
        if (stream[k * 2] != 0 && (k == 0 || stream[(k - 1) * 2] == 0)) onsets.push_back(k);
    }
    std::vector<double> errors;
    for (int i = 0; i < kStarts; ++i) {
        double expected = streamFrameAt(moments[i]) + platform::kMixerLatencyFrames;
        auto it = std::lower_bound(onsets.begin(), onsets.end(), static_cast<int64_t>(expected));
        double best = 1e300;
        int64_t at = -1;
        for (auto c : {it, it == onsets.begin() ? it : it - 1}) {
            if (c == onsets.end()) continue;
            if (std::fabs(static_cast<double>(*c) - expected) < best) {
                best = std::fabs(static_cast<double>(*c) - expected);
                at = *c;
            }
        }
        if (at < 0 || best > 2000) continue;
        if (dump) std::fprintf(dump, "start %.4f %lld %.2f\n", moments[i], static_cast<long long>(at), expected);
        errors.push_back(best);
    }
    if (dump) std::fclose(dump);
    r.found = static_cast<int>(errors.size());
    r.within = static_cast<int>(std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 22.0; }));
    if (errors.empty()) return r;
    std::sort(errors.begin(), errors.end());
    r.medianSamples = errors[errors.size() / 2];
    r.worstSamples = errors.back();
    sound::SoundReset();
    platform::MixerReset();
    return r;
}

std::string gOutPath;

void Report(benchmark::State& state, const Result& r, const char* output) {
    state.counters["found"] = r.found;
    state.counters["median_err_samples"] = r.medianSamples;
    state.counters["worst_err_samples"] = r.worstSamples;
    state.counters["within_22_samples"] = r.within;
    state.counters["worst_err_ms"] = r.worstSamples / 44.1;
    state.counters["stream_vs_wall"] = r.streamRate / 44.1;
    std::printf("start accuracy (%s): %d of %d starts found; median error %.0f samples (%.3f ms), worst %.0f "
                "samples (%.3f ms); %d within 22 samples\n",
                output, r.found, kStarts, r.medianSamples, r.medianSamples / 44.1, r.worstSamples,
                r.worstSamples / 44.1, r.within);
}

void BM_StartAccuracyOnTheDiskDriver(benchmark::State& state) {
    Result r;
    for (auto _ : state) r = MeasureStartAccuracy(gOutPath, false);
    if (r.found == 0) {
        state.SkipWithError("no starts found in the output (is SDL_AUDIODRIVER=disk?)");
        return;
    }
    Report(state, r, "disk driver");
}
BENCHMARK(BM_StartAccuracyOnTheDiskDriver)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StartAccuracyOnThePacedOutput(benchmark::State& state) {
    Result r;
    for (auto _ : state) r = MeasureStartAccuracy(gOutPath, true);
    if (r.found == 0) {
        state.SkipWithError("no starts found in the paced output");
        return;
    }
    Report(state, r, "paced output");
}
BENCHMARK(BM_StartAccuracyOnThePacedOutput)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // the disk driver writes the stream to a file; keep what the caller chose
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    gOutPath = file && *file ? file : "/tmp/kodoban_start_accuracy.raw";
    setenv("SDL_DISKAUDIOFILE", gOutPath.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "disk", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
