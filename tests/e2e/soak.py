#!/usr/bin/env python3
"""Soak: many rounds in one run of the game on a private Xvfb. The first round is a command-line
auto play; each later round goes through the result to the song select and on to the next
demo song, played in auto. After every round: the resident memory, the texture, sound and font
tables' use (the trace's "tables" event of the song select's load) and the frame rate during
the play. Passes when the memory grew by less than 10 MB after the first round, the tables
never filled and came back to the same use after every round.

usage: soak.py BUILD_DIR X_PLAYER [ROUNDS]
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kodoban_e2e import (Failure, Game, Xvfb, PHASE_BROWSE, PHASE_COURSE, SCENE_PLAY, SCENE_RESULT,
                         SCENE_SELECT, make_game_folder, work_folder)

FIRST_SONG = "Kodoban Demo/sunrise_parade/sunrise_parade.tja"
CAPACITY = {"textures": 10000, "sounds": 1000, "fonts": 100}
GROWTH_LIMIT_MB = 10.0


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def frame_rate(events):
    """Frames per second and the 99th percentile frame interval (ms) of the frame events."""
    t = [e["t"] for e in events if e["ev"] == "frame"]
    if len(t) < 2:
        return 0.0, 0.0
    gaps = sorted(b - a for a, b in zip(t, t[1:]))
    return (len(t) - 1) * 1000.0 / (t[-1] - t[0]), gaps[min(len(gaps) - 1, int(len(gaps) * 0.99))]


def main():
    build, x_player = map(os.path.abspath, sys.argv[1:3])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 30
    root = work_folder("kodoban-soak.")
    xvfb = Xvfb(first=50)
    folder = make_game_folder(build, root)
    game = Game(folder, xvfb.display, {"x_player": x_player}, args=["--auto", FIRST_SONG])
    rows, began = [], time.time()
    try:
        i = 0
        for n in range(1, rounds + 1):
            scene5, _ = game.wait_scene(SCENE_PLAY, 60, i)
            scene6, _ = game.wait_scene(SCENE_RESULT, 150, scene5)
            song = next((e["item"] for e in reversed(game.events[:scene5]) if e["ev"] == "select"),
                        FIRST_SONG)
            fps, p99 = frame_rate(game.events[scene5:scene6])
            judged = sum(e["ev"] == "judge" for e in game.events[scene5:scene6])
            scene4 = game.leave_result(scene6)
            i, e = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["count"] > 0, 30, scene4,
                                    "the browse phase")
            tables = [x for x in game.events[:i] if x["ev"] == "tables" and x["load"] == SCENE_SELECT]
            t = tables[-1]
            # On to the next demo song: into the demo genre after the command-line round, then
            # one place on (over the back item) in it.
            if e["depth"] == 0:
                i, e = game.press_until("f", lambda e: e["depth"] == 1, "entering the demo genre", i + 1)
                i, e = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["depth"] == 1
                                        and e["count"] > 0, 20, i + 1, "the demo genre")
            else:
                for _ in range(2):
                    cursor = e["cursor"]
                    i, e = game.press_until("k", lambda e: e["cursor"] != cursor, "a move", i + 1)
                    if e["kind"] == 1:
                        break
            i, e = game.wait_select(lambda e: e["kind"] == 1 and e["levels"] == 1, 10, i, "the song's levels")
            # Every round is measured at the same point: on the next song, once its preview
            # plays (the preview keeps its decoded song until the next one replaces it).
            try:
                i, _ = game.wait_for(lambda x: x["ev"] == "preview" and x["op"] == "start", 5, "a preview", i)
                game.wait_for(lambda x: x["ev"] == "frame" and x["t"] > game.events[i]["t"] + 500, 5,
                              "frames after the preview's start", i)
            except Failure:
                pass  # no preview: measured all the same
            row = {"round": n, "song": os.path.basename(song), "preview": os.path.basename(e["item"] or ""),
                   "rss": rss_mb(game.proc.pid), "fps": fps,
                   "p99": p99, "judged": judged, **{k: t[k] for k in CAPACITY}}
            rows.append(row)
            print(f"round {n:2d} {row['song']:<26} RSS {row['rss']:6.1f} MB  textures {row['textures']:4d}  "
                  f"sounds {row['sounds']:3d}  fonts {row['fonts']:2d}  play {fps:5.1f} fps, "
                  f"p99 frame {p99:5.1f} ms, {judged} judgements; measured on {row['preview']}", flush=True)
            for k, cap in CAPACITY.items():
                if t[k] >= cap:
                    raise Failure(f"the {k} table is full after round {n}")
            if n == rounds:
                break
            if e["auto"] != 1:
                i, e = game.press_until("F1", lambda e: e["auto"] == 1, "auto play on", i)
            i, e = game.press_until("f", lambda e: e["phase"] == PHASE_COURSE, "the course select", i)
            i, e = game.settled_select(e["t"])
            while e["course"] > 4:
                i, e = game.settled_select(game.press("k"))
            i, e = game.press_until("f", lambda e: e["phase"] == 4, "the start of the play", i)
    except Failure as failure:
        print(f"FAILED: {failure}")
        print(game.output()[-3000:])
        return 1
    game.close()
    base = rows[0]
    raw_growth = max(r["rss"] for r in rows) - base["rss"]
    # Each round is measured while the next song's preview plays, and the preview holds that
    # song decoded (tens of MB, different for every song). A leak shows as growth between
    # rounds measured on the same song, so that is what the limit applies to.
    first_on = {}
    growth = 0.0
    for r in rows:
        first = first_on.setdefault(r["preview"], r["rss"])
        growth = max(growth, r["rss"] - first)
    drift = {k: sorted({r[k] for r in rows}) for k in CAPACITY}
    fps = [r["fps"] for r in rows]
    print(f"{len(rows)} rounds in {time.time() - began:.0f} s: RSS {base['rss']:.1f} MB after round 1, "
          f"at most {raw_growth:+.1f} MB later whatever song is previewed; at most {growth:+.1f} MB over "
          f"the first round measured on the same song (limit {GROWTH_LIMIT_MB:.0f}); table use after each round "
          f"{drift}; play fps {min(fps):.1f} to {max(fps):.1f}; {game.lost_presses} menu presses made again")
    problems = []
    if growth >= GROWTH_LIMIT_MB:
        problems.append(f"resident memory grew by {growth:.1f} MB between rounds on the same song")
    for k in CAPACITY:
        if len(drift[k]) > 1:
            problems.append(f"the {k} table's use changed from round to round: {drift[k]}")
    if problems:
        print("FAILED: " + "; ".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
