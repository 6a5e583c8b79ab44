#!/usr/bin/env python3
"""The scripted player: the whole game as a player meets it, on a private Xvfb, driven only by
real X key presses and drops.

On a fresh copy of the build's game folder it drops an unsupported file and a ".TJA" on the
window (both refused, the list stays in the browse phase), enters the demo genre and comes
back, opens "Morning Stroll", picks Easy and plays it by hand: a press at every note's time
(from kodoban-chart), one note left out and one hit late. It lets the result count, skips,
leaves, and checks that every note was judged, that the record file holds the play's best
score and clear mark as kodoban-sim computes them from the same presses, that the song select
shows the new mark, and that save.dat grew by exactly the play's numbers. A second round in
auto play must change neither the record nor the counters. Closing the window ends the game.

usage: scripted_player.py BUILD_DIR X_PLAYER SAVE_READER
(KODOBAN_E2E_SHOTS=DIR: a screenshot of the song select with the new mark into DIR.)
"""

import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kodoban_e2e import (Failure, Game, Xvfb, PHASE_BROWSE, PHASE_COURSE, SCENE_PLAY, SCENE_RESULT,
                         SCENE_SELECT, KEY_CODES, chart_notes, make_game_folder, now_ms, read_saves,
                         work_folder)

SONG = "./Bonus Track/morning_stroll.tja"
COURSE = 0  # Easy
LEFT_OUT = 5  # the note the player misses
LATE = 8  # the note hit 45 ms late (a Good)
LATE_MS = 45.0
HOLD = 60

MSG_NOT_SUPPORTED = "このファイルには対応していません"


def check(ok, message):
    if not ok:
        raise Failure(message)


def hand_presses(notes, ref, start):
    """The presses of a player who hits every note on time, but for LEFT_OUT and LATE."""
    at = lambda clock: ref + (clock - start)
    presses, face, rim = [], 0, 0
    for i, n in enumerate(notes):
        t, kind = n["time"], n["type"]
        if i == LEFT_OUT:
            continue
        if i == LATE:
            t += LATE_MS
        if kind == 1:
            presses.append((at(t), "fj"[face % 2], HOLD))
            face += 1
        elif kind == 2:
            presses.append((at(t), "dk"[rim % 2], HOLD))
            rim += 1
        elif kind == 3:
            presses += [(at(t), "f", HOLD), (at(t), "j", HOLD)]
        elif kind == 4:
            presses += [(at(t), "d", HOLD), (at(t), "k", HOLD)]
        elif kind in (5, 6, 7):
            # A roll or balloon: quick alternate hits through its span (a balloon until it bursts).
            end = next(m["time"] for m in notes[i + 1:] if m["type"] == 8)
            count = n["balloon_hits"] + 2 if kind == 7 else 6
            gap = min(120.0, (end - t - 60) / count)
            for k in range(count):
                presses.append((at(t + 20 + k * gap), "fj"[face % 2], HOLD))
                face += 1
    return presses


def sim_of_presses(tools, chart, events, ref, start, root):
    """kodoban-sim's outcome of the presses the game saw (its trace's key events)."""
    lines = [f"{e['t'] - ref + start:.3f} {KEY_CODES[e['code']]} {HOLD}" for e in events
             if e["ev"] == "key" and e["code"] in KEY_CODES]
    path = os.path.join(root, "presses.txt")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    r = subprocess.run([tools["sim"], "--course", str(COURSE), "--inputs", path, chart],
                       capture_output=True, check=True)
    return json.loads(r.stdout), len(lines)


def choose_easy_and_start(game, since):
    """From the browse phase on the song: open it, move to Easy, start."""
    i, e = game.press_until("f", lambda e: e["phase"] == PHASE_COURSE, "the course select", since)
    i, e = game.settled_select(e["t"])
    for _ in range(9):
        if e["course"] == COURSE:
            break
        i, e = game.settled_select(game.press("k"))
    check(e["course"] == COURSE and e["phase"] == PHASE_COURSE, f"the course cursor stays off Easy: {e}")
    i, _ = game.press_until("f", lambda e: e["phase"] == 4, "the start of the play", i)
    i, _ = game.wait_scene(SCENE_PLAY, 30, i)
    return i


def main():
    build, x_player, save_reader = map(os.path.abspath, sys.argv[1:4])
    tools = {"x_player": x_player, "chart": os.path.join(build, "kodoban-chart"),
             "sim": os.path.join(build, "kodoban-sim")}
    began = time.time()
    root = work_folder("kodoban-player.")
    xvfb = Xvfb(first=40)
    folder = make_game_folder(build, root)
    save_dat = os.path.join(folder, "Files", "Save", "save.dat")
    chart_path = os.path.join(folder, SONG)
    chart = chart_notes(tools["chart"], chart_path, str(COURSE))
    notes = chart["notes"]
    record_path = os.path.join(folder, "Files", "Save", chart["song_identity"] + ".dat")
    hittable = [i for i, n in enumerate(notes) if 1 <= n["type"] <= 4]

    game = Game(folder, xvfb.display, tools)
    report = []
    try:
        game.wait_scene(SCENE_SELECT, 60)
        i, e = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["count"] > 0, 30,
                                what="the browse phase")
        (before,) = read_saves(save_reader, save_dat)
        check(before["ok"] and before["launch_count"] == 1 and before["play_count"] == 0,
              f"save.dat after the first start: {before}")

        # Bad drops: refused with a message, the list stays where it was.
        for name in ("notes.txt", "UPPER.TJA"):
            path = os.path.join(root, name)
            shutil.copy(chart_path, path)
            shown = game.output().count(MSG_NOT_SUPPORTED)
            game.drop(path)
            deadline = time.time() + 10
            while game.output().count(MSG_NOT_SUPPORTED) == shown:
                check(time.time() < deadline, f"no refusal message for a dropped {name}")
                time.sleep(0.05)
            game.poll()
            moved = [e for e in game.events[i:] if e["ev"] == "select" and e["phase"] != PHASE_BROWSE]
            check(not moved, f"a dropped {name} left the browse phase: {moved}")
        report.append("two bad drops refused")

        # Into the demo genre and back, then on to the song.
        check(e["item"] == "./Kodoban Demo", f"the list starts on {e['item']}")
        i, e = game.press_until("f", lambda e: e["depth"] == 1, "entering the demo genre", i + 1)
        i, e = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["depth"] == 1, 20, i + 1,
                                "the demo genre's list")
        i, e = game.press_until("Escape", lambda e: e["depth"] == 0, "leaving the demo genre", i + 1)
        i, e = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["depth"] == 0, 20, i + 1,
                                "the root list again")
        check(e["item"] == "./Kodoban Demo", f"back at the root on {e['item']}, not where it was left")
        i, e = game.press_until("k", lambda e: e["item"] == SONG, "the move to the song", i + 1)
        i, e = game.wait_select(lambda e: e["item"] == SONG and e["levels"] == 1, 10, i,
                                "the song's levels")
        check(e["clear"][COURSE] == 0, f"a fresh game shows a mark: {e}")

        # Round 1: a play by hand.
        scene5 = choose_easy_and_start(game, i + 1)
        j, clock = game.wait_for(lambda e: e["ev"] == "playclock", 30, "the play clock", scene5)
        ref, start = clock["reference"], clock["start"]
        game.press_schedule(hand_presses(notes, ref, start))
        scene6, _ = game.wait_scene(SCENE_RESULT, 40, j)
        played = game.events[j:scene6]
        judged = {}
        for e in played:
            if e["ev"] == "judge" and e["code"] not in (3, 4):  # roll and balloon hits aside
                judged.setdefault(e["note"], []).append(e["code"])
        check(sorted(judged) == hittable and all(len(c) == 1 for c in judged.values()),
              f"judged notes {sorted(judged)} (codes {judged}), expected each of {hittable} once")
        check(judged[LEFT_OUT] == [5], f"the left-out note was judged {judged[LEFT_OUT]}")
        missed = [n for n, c in judged.items() if c == [5] and n != LEFT_OUT]
        check(not missed, f"notes hit on time were missed: {missed}")
        sim, press_count = sim_of_presses(tools, chart_path, played, ref, start, root)
        game_counts = {
            "great": sum(c[0] in (1, 25) for c in judged.values()),
            "good": sum(c[0] in (2, 75) for c in judged.values()),
            "bad": sum(c[0] in (5, 110) for c in judged.values()),
        }
        for k, v in game_counts.items():
            check(sim[k] == v, f"{k}: the game judged {v}, the same presses on a virtual clock {sim[k]}")
        check(game_counts["good"] >= 1, f"the late note was not a Good: {judged[LATE]}")
        expected_clear = (3 if sim["bad"] == 0 else 2) if sim["gauge"] >= sim["clear_threshold"] else 1
        report.append(f"hand play: {press_count} presses, {game_counts['great']} Great, "
                      f"{game_counts['good']} Good, {game_counts['bad']} Bad, score {sim['score']}")

        scene4 = game.leave_result(scene6)
        (record,) = read_saves(save_reader, record_path)
        want = {"best": sim["score"], "clear": expected_clear, "max_combo": sim["max_combo"],
                "great": sim["great"], "good": sim["good"], "bad": sim["bad"], "plays": 1}
        got = {k: record[k][COURSE] for k in want}
        check(record["ok"] and got == want, f"record {got}, expected {want}")
        game.wait_select(lambda e: e["item"] == SONG and e["clear"][COURSE] == expected_clear
                         and e["best"][COURSE] == sim["score"], 20, scene4, "the new mark on the song")
        shots = os.environ.get("KODOBAN_E2E_SHOTS")
        if shots:  # a picture of the list with the new mark, once the song's bar has opened
            shot_at = game.events[-1]["t"] + 1500
            game.wait_for(lambda e: e["ev"] == "frame" and e["t"] > shot_at, 10, "frames")
            subprocess.run(["import", "-display", xvfb.display, "-window", "root",
                            os.path.join(shots, "select_new_mark.png")], check=False)
        (after,) = read_saves(save_reader, save_dat)
        check(after["ok"] and after["play_count"] == before["play_count"] + 1
              and after["drum_counter"] == before["drum_counter"] + sim["great"] + sim["good"]
              and after["launch_count"] == before["launch_count"],
              f"save.dat {after}, before the play {before}")
        report.append(f"record and counters written (clear mark {expected_clear})")

        # Round 2: auto play changes neither the record nor the counters.
        with open(record_path, "rb") as f:
            record_bytes = f.read()
        i, _ = game.wait_select(lambda e: e["phase"] == PHASE_BROWSE and e["item"] == SONG
                                and e["levels"] == 1, 20, scene4, "the browse phase after the result")
        i, _ = game.press_until("F1", lambda e: e["auto"] == 1, "auto play on", i)
        scene5 = choose_easy_and_start(game, i)
        scene6, _ = game.wait_scene(SCENE_RESULT, 120, scene5)
        auto = [e for e in game.events[scene5:scene6] if e["ev"] == "judge" and e["code"] not in (3, 4)]
        check(sorted(e["note"] for e in auto) == hittable and all(e["code"] == 25 for e in auto),
              "the auto play did not judge every note Great")
        scene4 = game.leave_result(scene6)
        game.wait_select(lambda e: e["phase"] == PHASE_BROWSE, 20, scene4, "the browse phase")
        with open(record_path, "rb") as f:
            check(f.read() == record_bytes, "the auto play rewrote the record file")
        (auto_after,) = read_saves(save_reader, save_dat)
        check(auto_after["ok"] and auto_after["play_count"] == after["play_count"]
              and auto_after["drum_counter"] == after["drum_counter"],
              f"save.dat after the auto play {auto_after}, before {after}")
        report.append("auto play recorded nothing")

        code = game.close()
        check(code == 0, f"the game ended with code {code} when its window was closed")
        (final,) = read_saves(save_reader, save_dat)
        check(final["ok"] and final["play_count"] == after["play_count"]
              and final["play_time"] >= auto_after["play_time"], f"save.dat at exit {final}")
        check("Sanitizer" not in game.output(), "a sanitizer reported a problem")
    except Failure as failure:
        print(f"FAILED: {failure}")
        print("--- game output ---")
        print(game.output()[-4000:])
        game.kill()
        return 1
    print("; ".join(report) + f"; {game.lost_presses} menu presses made again; {time.time() - began:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
