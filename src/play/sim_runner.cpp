#include "play/sim_runner.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "chart/chart.h"
#include "platform/json_text.h"
#include "platform/time.h"
#include "play/play_engine.h"
#include "shell/config.h"
#include "shell/keyboard.h"
#include "shell/state.h"

namespace play {

namespace {

// ---- scripted keys -------------------------------------------------------------------
struct KeyTrack {
  int scanCode = 0;
  std::vector<std::pair<double, double>> presses;  // (time, release time), sorted by time
  size_t next = 0;
  int counter = 0;
  double releaseAt = 0.0;
};

KeyTrack g_tracks[4];
SimResult* g_result = nullptr;

void AdvanceTrack(KeyTrack& k, double c, std::atomic<int32_t>* counters) {
  bool pressed = false;
  double release = k.counter > 0 ? k.releaseAt : -INFINITY;
  while (k.next < k.presses.size() && k.presses[k.next].first <= c) {
    pressed = true;
    release = std::max(release, k.presses[k.next].second);
    ++k.next;
  }
  if (pressed) {
    k.counter = 1;
    k.releaseAt = release;
  } else if (k.counter > 0) {
    if (c >= k.releaseAt)
      k.counter = 0;
    else if (k.counter < INT32_MAX)
      ++k.counter;
  }
  counters[k.scanCode].store(k.counter, std::memory_order_relaxed);
}

void ScriptedKeys(std::atomic<int32_t>* counters) {
  const double c = Play.playClock.load(std::memory_order_relaxed);
  for (KeyTrack& k : g_tracks) AdvanceTrack(k, c, counters);
}

void RecordJudgement(double clock, int note, int code) {
  if (g_result) g_result->judgements.push_back({clock, note, code});
}

void RecordLane(double clock, int from, int to) {
  if (g_result) g_result->lanes.push_back({clock, from, to});
}

bool ParseNumber(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

void AppendNumber(std::string& out, double v) { platform::AppendJsonNumber(out, v); }

void AppendInt(std::string& out, long long v) { out += std::to_string(v); }

}  // namespace

int ParseSimInputs(const std::string& text, std::vector<SimPress>* presses, std::string* error) {
  presses->clear();
  size_t pos = 0;
  // A file saved by an editor that marks UTF-8 starts with a byte-order mark: not part of
  // the first line.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  int lineNo = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++lineNo;
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      size_t start = i;
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    if (tokens.empty()) continue;
    SimPress p;
    bool ok = tokens.size() == 2 || tokens.size() == 3;
    if (ok) ok = ParseNumber(tokens[0], &p.time);
    if (ok) {
      for (char ch : tokens[1]) {
        switch (ch) {
          case 'F': case 'f': p.f = true; break;
          case 'J': case 'j': p.j = true; break;
          case 'D': case 'd': p.d = true; break;
          case 'K': case 'k': p.k = true; break;
          default: ok = false; break;
        }
      }
    }
    if (ok && tokens.size() == 3) ok = ParseNumber(tokens[2], &p.hold) && p.hold >= 0.0;
    if (!ok) {
      if (error) {
        std::string shown = line.size() > 80 ? line.substr(0, 80) + "..." : line;
        *error = "malformed input line \"" + shown + "\" (expected TIME KEYS [HOLD], KEYS of F J D K)";
      }
      presses->clear();
      return lineNo;
    }
    presses->push_back(p);
  }
  return 0;
}

namespace {
double g_simStart = 0.0;
double g_simEnd = 0.0;
long long g_simPass = 0;
}  // namespace

void SimBegin(const SimOptions& options, const std::vector<SimPress>& presses, SimResult* result) {
  *result = SimResult();
  g_result = result;

  const int scanCodes[4] = {shell::kDikF, shell::kDikJ, shell::kDikD, shell::kDikK};
  for (int i = 0; i < 4; ++i) g_tracks[i] = KeyTrack{scanCodes[i], {}, 0, 0, 0.0};
  for (const SimPress& p : presses) {
    const bool keys[4] = {p.f, p.j, p.d, p.k};
    for (int i = 0; i < 4; ++i)
      if (keys[i]) g_tracks[i].presses.push_back({p.time, p.time + p.hold});
  }
  for (KeyTrack& k : g_tracks)
    std::stable_sort(k.presses.begin(), k.presses.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  shell::ResetKeyboard();

  shell::SceneId.store(shell::kScenePlay, std::memory_order_release);
  shell::LoadKind.store(shell::kScenePlay, std::memory_order_release);
  shell::DeviceLost.store(false);
  shell::AutoPlay = options.autoPlay;
  shell::ScrollSpeed = options.scrollSpeed;
  shell::SoundDelay = 0;
  shell::JudgeGreat = options.great;
  shell::JudgeGood = options.good;
  shell::JudgeBad = options.bad;
  ResetPlaySounds();
  std::srand(0);

  platform::TimeUseVirtualClock(0.0, false);
  SetKeySource(ScriptedKeys);
  SetJudgeObserver(RecordJudgement);
  SetLaneObserver(RecordLane);
  SetPauseMenu(nullptr);

  BeginPlay();
  g_simStart = Play.playClock.load(std::memory_order_relaxed);
  g_simEnd = Play.endTime.load(std::memory_order_relaxed);
  g_simPass = 0;
}

double SimNextClock() { return g_simStart + static_cast<double>(g_simPass); }

bool SimStep() {
  if (g_simPass >= kSimMaxPasses) {
    if (g_result) g_result->truncated = true;
    return false;
  }
  if (!(SimNextClock() <= g_simEnd)) return false;
  platform::TimeSetVirtualMs(static_cast<double>(g_simPass));
  ++g_simPass;
  return PlayWorkerPass() == 0;
}

bool SimRunUntil(double clock) {
  while (SimNextClock() <= clock)
    if (!SimStep()) return false;
  return true;
}

void SimFinish(SimResult* result) {
  result->passes = g_simPass;
  SetKeySource(nullptr);
  SetJudgeObserver(nullptr);
  SetLaneObserver(nullptr);
  g_result = nullptr;
  platform::TimeUseRealClock();

  constexpr auto r = std::memory_order_relaxed;
  result->great = Play.great.load(r);
  result->good = Play.good.load(r);
  result->bad = Play.bad.load(r);
  result->roll = Play.roll.load(r);
  result->combo = Play.combo.load(r);
  result->maxCombo = Play.maxCombo.load(r);
  result->score = Play.score.load(r);
  result->gauge = Play.gauge.load(r);
  result->clearThreshold = Play.clearThreshold;
  result->endClock = g_simEnd;
  result->notes.clear();
  result->notes.reserve(Play.noteCount);
  for (int i = 0; i < Play.noteCount; ++i) result->notes.push_back({NoteState(i), NoteHits(i)});
}

void RunSimulation(const SimOptions& options, const std::vector<SimPress>& presses, SimResult* result) {
  SimBegin(options, presses, result);
  while (SimStep()) {
  }
  SimFinish(result);
}

std::string SimResultJson(const SimResult& r) {
  std::string out;
  out.reserve(256 + r.judgements.size() * 48 + r.notes.size() * 24);
  out += "{\"great\":"; AppendInt(out, r.great);
  out += ",\"good\":"; AppendInt(out, r.good);
  out += ",\"bad\":"; AppendInt(out, r.bad);
  out += ",\"roll\":"; AppendInt(out, r.roll);
  out += ",\"combo\":"; AppendInt(out, r.combo);
  out += ",\"max_combo\":"; AppendInt(out, r.maxCombo);
  out += ",\"score\":"; AppendInt(out, r.score);
  out += ",\"gauge\":"; AppendNumber(out, r.gauge);
  out += ",\"clear_threshold\":"; AppendInt(out, r.clearThreshold);
  out += ",\"end_clock\":"; AppendNumber(out, r.endClock);
  out += ",\n\"judgements\":[";
  for (size_t i = 0; i < r.judgements.size(); ++i) {
    out += i ? ",\n" : "\n";
    out += "{\"clock\":"; AppendNumber(out, r.judgements[i].clock);
    out += ",\"note\":"; AppendInt(out, r.judgements[i].note);
    out += ",\"code\":"; AppendInt(out, r.judgements[i].code);
    out += "}";
  }
  out += "],\n\"lanes\":[";
  for (size_t i = 0; i < r.lanes.size(); ++i) {
    out += i ? ",\n" : "\n";
    out += "{\"clock\":"; AppendNumber(out, r.lanes[i].clock);
    out += ",\"from\":"; AppendInt(out, r.lanes[i].from);
    out += ",\"to\":"; AppendInt(out, r.lanes[i].to);
    out += "}";
  }
  out += "],\n\"notes\":[";
  for (size_t i = 0; i < r.notes.size(); ++i) {
    out += i ? ",\n" : "\n";
    out += "{\"state\":"; AppendInt(out, r.notes[i].state);
    out += ",\"hits\":"; AppendInt(out, r.notes[i].hits);
    out += "}";
  }
  out += "]}\n";
  return out;
}

}  // namespace play
