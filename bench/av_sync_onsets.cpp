// Sound against notes in a written stream, without the game's trace: bench/av_sync.sh runs
// an auto play with the output written to a file and hands this program that file, the
// song's audio, the drum sounds, the chart's notes and its OFFSET.
//
// 1. The song is found in the file by its own samples: the mixer adds sounds without
//    volume, so where nothing else plays the file holds the song's samples exactly. A run
//    of song samples from shortly before the first note (past the song's two start-up
//    corrections) is searched for; its last place in the file gives file frame = song frame
//    + D for the rest of the play.
// 2. The song is subtracted. What is left is the drum sounds, exactly: each drum's first
//    sample is the first frame that is not zero (after the drums already found are
//    subtracted); the drum is told by its opening samples (a don, a kat, or two of one colour
//    a few frames apart, as a big note starts them) and subtracted whole, so sounds that
//    overlap are taken apart one by one. Frames where the mix clipped are skipped.
// 3. Each don or kat note of time T falls at song frame (T - OFFSET) x 44.1 (auto play has
//    no music delay); its drum is the nearest onset of its colour.
//
// usage: bench_av_sync_onsets STREAM.raw SONG DON.wav KAT.wav NOTES OFFSET_MS
//   NOTES: lines "index time type" (1 don, 2 kat, 3 big don, 4 big kat).
// Prints the error distribution of (drum's first sample - note's place) in ms; with
// AV_SYNC_DEBUG=1 also the first stretches that are no drum and every 40th note's error.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/mixer.h"
#include "sound/decode.h"

namespace {

constexpr double kFramesPerMs = platform::kMixerRate / 1000.0;
constexpr int kSongRun = 2048;     // song frames that must match exactly
constexpr int kMatchFrames = 96;   // opening frames that tell a drum
constexpr double kMatchTolerance = 0.02;
constexpr double kPairWindowMs = 20.0;
constexpr int kMaxPairGap = 4;     // frames between the two drums of a big note

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path, "rb");
    if (!f) return data;
    uint8_t buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + got);
    std::fclose(f);
    return data;
}

std::vector<int32_t> Decode(const char* path) {
    std::vector<uint8_t> data = ReadFile(path);
    sound::DecodedSound d;
    int rc = -1;
    if (data.size() >= 4 && std::memcmp(data.data(), "OggS", 4) == 0) {
        rc = sound::DecodeOggVorbis(data.data(), data.size(), &d);
    } else {
        rc = sound::DecodeWave(data.data(), data.size(), &d);
    }
    if (rc != 0 || !d.pcm) return {};
    return std::vector<int32_t>(d.pcm->samples.begin(), d.pcm->samples.end());
}

struct Note {
    int index;
    double time;
    int type;
};

struct Onset {
    int64_t frame;
    int kind;  // 0 don, 1 kat
};

bool Clipped(int32_t v) { return v >= 32767 || v <= -32768; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr, "usage: %s STREAM.raw SONG DON.wav KAT.wav NOTES OFFSET_MS\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> raw = ReadFile(argv[1]);
    const int64_t frames = static_cast<int64_t>(raw.size() / 4);
    std::vector<int32_t> file(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<int16_t>(static_cast<uint16_t>(raw[i * 2] | (raw[i * 2 + 1] << 8)));
    }
    raw.clear();
    std::vector<int32_t> song = Decode(argv[2]);
    std::vector<int32_t> clips[2] = {Decode(argv[3]), Decode(argv[4])};
    if (frames == 0 || song.empty() || clips[0].empty() || clips[1].empty()) {
        std::fprintf(stderr, "av_sync: cannot read the stream, the song or the drum sounds\n");
        return 1;
    }
    const int64_t songFrames = static_cast<int64_t>(song.size() / 2);
    std::vector<Note> notes;
    if (FILE* f = std::fopen(argv[5], "r")) {
        Note n{};
        while (std::fscanf(f, "%d %lf %d", &n.index, &n.time, &n.type) == 3) notes.push_back(n);
        std::fclose(f);
    }
    const double offset = std::atof(argv[6]);
    if (notes.empty()) return 1;

    // 1. The song's place: a run of song samples past the corrections, before the first note.
    const double firstPos = notes.front().time - offset;
    int64_t a = static_cast<int64_t>(std::max(1050.0, std::min(1500.0, firstPos - 300.0)) * kFramesPerMs);
    while (a < songFrames && song[a * 2] == 0 && song[a * 2 + 1] == 0) ++a;
    if (a + kSongRun > songFrames) return 1;
    int64_t found = -1;
    for (int64_t k = 0; k + kSongRun <= frames; ++k) {
        if (file[k * 2] != song[a * 2] || file[k * 2 + 1] != song[a * 2 + 1]) continue;
        if (std::equal(song.begin() + a * 2, song.begin() + (a + kSongRun) * 2, file.begin() + k * 2)) found = k;
    }
    if (found < 0) {
        std::fprintf(stderr, "av_sync: the song is not in the stream\n");
        return 1;
    }
    const int64_t d = found - a;

    // 2. The drums: the song subtracted, then each drum found and subtracted in turn.
    const int64_t begin = d + a;
    const int64_t end = std::min(frames, d + songFrames);
    std::vector<int32_t> r(file);
    for (int64_t k = begin; k < end; ++k) {
        r[k * 2] -= song[(k - d) * 2];
        r[k * 2 + 1] -= song[(k - d) * 2 + 1];
    }
    int64_t firstSound[2];
    for (int c = 0; c < 2; ++c) {
        firstSound[c] = 0;
        while (clips[c][firstSound[c] * 2] == 0 && clips[c][firstSound[c] * 2 + 1] == 0) ++firstSound[c];
    }
    std::vector<Onset> onsets;
    int unexplained = 0;
    for (int64_t k = begin; k < end;) {
        const bool quiet = r[k * 2] == 0 && r[k * 2 + 1] == 0;
        if (quiet || Clipped(file[k * 2]) || Clipped(file[k * 2 + 1])) {
            ++k;
            continue;
        }
        // A drum alone, or two of one colour a few frames apart (a big note starts two).
        int best = -1, bestSecond = -1;
        double bestErr = 1e300;
        for (int c = 0; c < 2; ++c) {
            const std::vector<int32_t>& clip = clips[c];
            const int64_t clipFrames = static_cast<int64_t>(clip.size() / 2);
            const int64_t o = k - firstSound[c];
            for (int second = -1; second <= kMaxPairGap; ++second) {
                double err = 0, size = 0;
                for (int64_t j = firstSound[c]; j < firstSound[c] + kMatchFrames && j < clipFrames && o + j < end; ++j) {
                    if (Clipped(file[(o + j) * 2]) || Clipped(file[(o + j) * 2 + 1])) continue;
                    for (int ch = 0; ch < 2; ++ch) {
                        int32_t model = clip[j * 2 + ch];
                        if (second >= 0 && j - second >= 0) model += clip[(j - second) * 2 + ch];
                        err += std::abs(r[(o + j) * 2 + ch] - model);
                        size += std::abs(model);
                    }
                }
                if (size > 0 && err / size < bestErr) {
                    bestErr = err / size;
                    best = c;
                    bestSecond = second;
                }
            }
        }
        if (best < 0 || bestErr > kMatchTolerance) {
            if (std::getenv("AV_SYNC_DEBUG") && unexplained < 6) {
                std::fprintf(stderr, "not a drum at frame %lld (song %.3f ms), error %.3f as %s:", static_cast<long long>(k),
                             static_cast<double>(k - d) / kFramesPerMs, bestErr, best == 1 ? "kat" : "don");
                for (int j = -2; j < 10; ++j) std::fprintf(stderr, " %d/%d", r[(k + j) * 2], file[(k + j) * 2]);
                std::fprintf(stderr, "\n");
            }
            ++unexplained;
            k += kMatchFrames;  // something else sounds here; look further on
            continue;
        }
        const std::vector<int32_t>& clip = clips[best];
        const int64_t clipFrames = static_cast<int64_t>(clip.size() / 2);
        const int64_t o = k - firstSound[best];
        for (int copy = 0; copy < (bestSecond >= 0 ? 2 : 1); ++copy) {
            const int64_t start = o + (copy ? bestSecond : 0);
            for (int64_t j = 0; j < clipFrames && start + j < frames; ++j) {
                r[(start + j) * 2] -= clip[j * 2];
                r[(start + j) * 2 + 1] -= clip[j * 2 + 1];
            }
            onsets.push_back(Onset{start, best});
        }
    }

    // 3. Each note against its drum.
    std::vector<double> errors;
    int missing = 0, clipped = 0;
    for (const Note& n : notes) {
        const int kind = (n.type == 2 || n.type == 4) ? 1 : 0;
        const double place = static_cast<double>(d) + (n.time - offset) * kFramesPerMs;
        // A drum that begins where the mix clipped has no first sample to see.
        bool inClipped = false;
        for (int64_t k = static_cast<int64_t>(place) - 4; k < static_cast<int64_t>(place + 2 * kFramesPerMs); ++k) {
            if (k >= 0 && k < frames && (Clipped(file[k * 2]) || Clipped(file[k * 2 + 1]))) inClipped = true;
        }
        double best = 1e300;
        for (const Onset& o : onsets) {
            if (o.kind != kind) continue;
            const double e = (static_cast<double>(o.frame) - place) / kFramesPerMs;
            if (std::fabs(e) < std::fabs(best)) best = e;
        }
        if (std::getenv("AV_SYNC_DEBUG") && n.index % 40 == 0) {
            std::fprintf(stderr, "note %d at %.1f ms: nearest drum %+.3f ms\n", n.index, n.time, best);
        }
        if (std::fabs(best) > kPairWindowMs) {
            ++(inClipped ? clipped : missing);
            continue;
        }
        if (std::getenv("AV_SYNC_DEBUG") && std::fabs(best) > 1.5) {
            std::fprintf(stderr, "note %d at %.1f ms: nearest drum %+.3f ms\n", n.index, n.time, best);
        }
        errors.push_back(best);
    }
    if (errors.empty()) {
        std::fprintf(stderr, "av_sync: no drum found at any note\n");
        return 1;
    }
    std::vector<double> absErr;
    for (double e : errors) absErr.push_back(std::fabs(e));
    std::sort(absErr.begin(), absErr.end());
    std::sort(errors.begin(), errors.end());
    auto at = [](const std::vector<double>& v, double q) {
        return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
    };
    std::printf("song found at file frame %lld for its frame %lld; %zu drum onsets, %d stretches not a drum\n",
                static_cast<long long>(found), static_cast<long long>(a), onsets.size(), unexplained);
    std::printf("drum first sample - note's place in the song: signed median %+.3f ms, range %+.3f .. %+.3f ms\n",
                at(errors, 0.5), errors.front(), errors.back());
    if (clipped) std::printf("%d notes fall where the mix clipped: no first sample to find\n", clipped);
    std::printf("av sync over %zu of %zu notes (%d without a drum): |error| median %.3f ms, p99 %.3f ms, worst %.3f ms "
                "(target: median <= 0.5, worst <= 1.5)\n",
                absErr.size(), notes.size(), missing, at(absErr, 0.5), at(absErr, 0.99), absErr.back());
    return at(absErr, 0.5) <= 0.5 && absErr.back() <= 1.5 && missing == 0 ? 0 : 1;
}
