// Loading sounds: a 3-minute song of dense synthesized music encoded as Ogg Vorbis at
// quality 6, decoded completely; and 100 short WAVE effects.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "platform/time.h"
#include "common/ogg_encode.h"
#include "common/wave_write.h"
#include "sound/sound.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSongSeconds = 180;

std::string TempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

// Dense music: a bass line, four-voice chords of bright detuned waves, a lead, kick,
// snare and hi-hat noise at 160 beats a minute, changing every eighth note.
void SynthesizeMusic(float** out, long frames, long firstFrame, uint32_t* seed) {
    static const double kScale[] = {0, 2, 3, 5, 7, 8, 10, 12, 14, 15};
    const double beatFrames = kRate * 60.0 / 160.0;
    for (long i = 0; i < frames; ++i) {
        long n = firstFrame + i;
        double t = static_cast<double>(n) / kRate;
        long eighth = static_cast<long>(n / (beatFrames / 2));
        double inEighth = std::fmod(static_cast<double>(n), beatFrames / 2) / kRate;
        double root = 110.0 * std::pow(2.0, kScale[(eighth / 8) % 6] / 12.0);
        double l = 0, r = 0;
        l += 0.18 * std::sin(2 * M_PI * root / 2 * t);
        for (int v = 0; v < 4; ++v) {
            double f = root * 2 * std::pow(2.0, kScale[(v * 2 + eighth / 4) % 10] / 12.0);
            double saw = 2.0 * std::fmod(f * t * (1.0 + 0.002 * v), 1.0) - 1.0;
            (v & 1 ? l : r) += 0.07 * saw;
            (v & 1 ? r : l) += 0.04 * saw;
        }
        double lead = root * 4 * std::pow(2.0, kScale[(eighth * 7) % 10] / 12.0);
        double lv = 0.1 * std::sin(2 * M_PI * lead * t + 2.0 * std::sin(2 * M_PI * lead * 2 * t));
        l += lv;
        r += lv;
        *seed = *seed * 1664525u + 1013904223u;
        double noise = static_cast<double>(*seed >> 8) / 8388608.0 - 1.0;
        double hat = 0.08 * noise * std::exp(-inEighth * 60.0);
        double kick = (eighth % 2 == 0) ? 0.35 * std::sin(2 * M_PI * (50 + 150 * std::exp(-inEighth * 30)) * inEighth) *
                                              std::exp(-inEighth * 12)
                                        : 0.0;
        double snare = (eighth % 4 == 2) ? 0.2 * noise * std::exp(-inEighth * 20) : 0.0;
        out[0][i] = static_cast<float>(std::clamp(l + hat + kick + snare, -1.0, 1.0));
        out[1][i] = static_cast<float>(std::clamp(r + hat * 0.8 + kick + snare, -1.0, 1.0));
    }
}

// Writes the song once and keeps it for later runs.
std::string MakeSongOgg() {
    std::string path = TempPath("kodoban_bench_song_q6.ogg");
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && st.st_size > 100000) return path;
    sound::OggEncodeSettings settings;
    settings.channels = 2;
    settings.rate = kRate;
    settings.quality = 0.6f;
    settings.serial = 77;
    uint32_t seed = 99;
    const size_t total = size_t{kRate} * kSongSeconds;
    if (sound::WriteOggVorbisFile(path, settings, total, [&seed](float** planar, size_t count, size_t first) {
            SynthesizeMusic(planar, static_cast<long>(count), static_cast<long>(first), &seed);
        }) != 0) {
        std::remove(path.c_str());
        return "";
    }
    return path;
}

void BM_DecodeThreeMinuteOggSong(benchmark::State& state) {
    std::string path = MakeSongOgg();
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        state.SkipWithError("cannot write the test song");
        return;
    }
    sound::SoundReset();
    int length = 0;
    for (auto _ : state) {
        int h = sound::LoadSound(path.c_str());
        sound::SoundSlot slot;
        if (h < 0 || sound::GetSoundInfo(h, &slot) != 0) {
            state.SkipWithError("decode failed");
            break;
        }
        length = slot.length;
        state.PauseTiming();
        sound::ReleaseAllSounds();  // no reuse of the decoded PCM
        state.ResumeTiming();
    }
    state.counters["file_kB"] = static_cast<double>(st.st_size) / 1024.0;
    state.counters["pcm_MB"] = length / 1048576.0;
    state.counters["seconds"] = length / 176400.0;
    sound::SoundReset();
}
BENCHMARK(BM_DecodeThreeMinuteOggSong)->Unit(benchmark::kMillisecond)->Iterations(3);

// 100 distinct effects of 0.1 to 0.6 s, 44.1 kHz stereo 16-bit, as a theme has them.
std::vector<std::string> MakeEffects() {
    std::vector<std::string> paths;
    std::string dir = TempPath("kodoban_bench_effects");
    mkdir(dir.c_str(), 0755);
    for (int i = 0; i < 100; ++i) {
        std::string p = dir + "/effect_" + std::to_string(i) + ".wav";
        int frames = 4410 * (1 + i % 6);
        std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
        for (int n = 0; n < frames; ++n) {
            int16_t v = static_cast<int16_t>(12000 * std::sin(n * 0.05 * (1 + i % 7)) * std::exp(-n / 8000.0));
            pcm[n * 2] = pcm[n * 2 + 1] = v;
        }
        if (sound::WritePcm16WaveFile(p, pcm.data(), static_cast<size_t>(frames), 2, kRate) != 0) return {};
        paths.push_back(p);
    }
    return paths;
}

void BM_Load100ShortWaveEffects(benchmark::State& state) {
    std::vector<std::string> paths = MakeEffects();
    if (paths.size() != 100) {
        state.SkipWithError("cannot write the effects");
        return;
    }
    sound::SoundReset();
    for (auto _ : state) {
        for (const std::string& p : paths) benchmark::DoNotOptimize(sound::LoadSound(p.c_str()));
        state.PauseTiming();
        sound::ReleaseAllSounds();
        state.ResumeTiming();
    }
    sound::SoundReset();
}
BENCHMARK(BM_Load100ShortWaveEffects)->Unit(benchmark::kMillisecond);

// The play job's drum sounds: 30 rounds of don, kat and geki.
void BM_Load30RoundsOfThreeDrumSounds(benchmark::State& state) {
    std::vector<std::string> paths = MakeEffects();
    if (paths.size() != 100) {
        state.SkipWithError("cannot write the effects");
        return;
    }
    sound::SoundReset();
    for (auto _ : state) {
        for (int round = 0; round < 30; ++round)
            for (int k = 0; k < 3; ++k) benchmark::DoNotOptimize(sound::LoadSound(paths[k].c_str()));
        state.PauseTiming();
        sound::ReleaseAllSounds();
        state.ResumeTiming();
    }
    sound::SoundReset();
}
BENCHMARK(BM_Load30RoundsOfThreeDrumSounds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
