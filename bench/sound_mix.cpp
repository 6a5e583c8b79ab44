// Mixing cost: 96 voices at once (the play scene overlaps 30 copies of each drum sound,
// with the song and the voices on top), one device buffer of 256 frames per iteration.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"

namespace {

void BM_Mix96Voices(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    platform::MixerReset();
    platform::MixerOpenManual();
    std::vector<int> ids;
    uint32_t seed = 5;
    for (int v = 0; v < voices; ++v) {
        auto pcm = std::make_shared<platform::MixerPcm>();
        pcm->samples.resize(44100 * 2 * (2 + v % 3));
        for (int16_t& s : pcm->samples) {
            seed = seed * 1664525u + 1013904223u;
            s = static_cast<int16_t>((seed >> 16) % 2000) - 1000;
        }
        int id = platform::MixerCreateBuffer(pcm);
        platform::MixerPlay(id, true);
        ids.push_back(id);
    }
    std::vector<int16_t> out(platform::kMixerDeviceFrames * 2);
    double start = platform::TimeMonotonicMs();
    int64_t blocks = 0;
    for (auto _ : state) {
        platform::MixerRender(out.data(), platform::kMixerDeviceFrames);
        benchmark::DoNotOptimize(out.data());
        ++blocks;
    }
    double ms = platform::TimeMonotonicMs() - start;
    // share of one core when the device asks for a buffer every 256 / 44.1 ms
    double perBlockMs = ms / static_cast<double>(blocks);
    state.counters["core_pct"] = 100.0 * perBlockMs / (platform::kMixerDeviceFrames * 1000.0 / 44100.0);
    state.counters["voices_playing"] = 0;
    for (int id : ids) state.counters["voices_playing"] += platform::MixerGetStatus(id) > 0 ? 1 : 0;
    platform::MixerReset();
}
BENCHMARK(BM_Mix96Voices)->Arg(96)->Arg(8)->Unit(benchmark::kMicrosecond);

// Starting sounds from a game thread: the cost of one play command.
void BM_PlayCommand(benchmark::State& state) {
    platform::MixerReset();
    platform::MixerOpenManual();
    auto pcm = std::make_shared<platform::MixerPcm>();
    pcm->samples.assign(4410 * 2, 100);
    std::vector<int> ids;
    for (int i = 0; i < 30; ++i) ids.push_back(platform::MixerCreateBuffer(pcm));
    std::vector<int16_t> out(platform::kMixerDeviceFrames * 2);
    size_t n = 0;
    for (auto _ : state) {
        platform::MixerPlay(ids[n++ % ids.size()], false);
        if (n % 8 == 0) platform::MixerRender(out.data(), platform::kMixerDeviceFrames);
    }
    platform::MixerReset();
}
BENCHMARK(BM_PlayCommand);

}  // namespace

BENCHMARK_MAIN();
