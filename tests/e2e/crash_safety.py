#!/usr/bin/env python3
"""Crash safety of the save files: the game killed with SIGKILL at random moments while it
writes them.

Result rounds: the game plays a two-note chart from the command line (no key pressed, so the
play fails but is recordable), and is killed at a random moment around the result scene's
record write. Exit rounds: the game is started, asked to quit (SIGTERM, as a closed window) and
killed at a random moment while it saves save.dat on its way out. After every round the record
file and save.dat must read as complete (checksum and format), holding either the content
before the round or the new one; Config.ini must list its eight settings; and the temporary
files of killed writes must not pile up: a start-up removes those older than a minute.

usage: crash_safety.py BUILD_DIR SAVE_READER [RESULT_ROUNDS [EXIT_ROUNDS [SEED]]]
(50 and 50 rounds by default: several minutes; CTest runs a short version.)
"""

import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
import wave
import json

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kodoban_e2e import Failure, now_ms, read_saves, work_folder

CONFIG_KEYS = ["ScoreRoot", "Skin", "WindowSize", "HideMouseTime", "SoundDelay", "JudgeGreat",
               "JudgeGood", "JudgeBad"]
TEMPORARY = re.compile(r"\.[A-Za-z0-9]{6}$")  # "<file>.XXXXXX" of an unfinished write
CHART = """TITLE:crash
BPM:240
WAVE:crash.wav
OFFSET:0
COURSE:Oni
LEVEL:1
#START
1010,
#END
"""


def make_folder(build, root):
    game = os.path.join(root, "game")
    os.makedirs(os.path.join(game, "Files"))
    os.symlink(os.path.join(os.path.abspath(build), "Files", "Theme"), os.path.join(game, "Files", "Theme"))
    shutil.copy2(os.path.join(build, "Kodoban"), game)
    os.makedirs(os.path.join(game, "crash"))
    with open(os.path.join(game, "crash", "crash.tja"), "w") as f:
        f.write(CHART)
    w = wave.open(os.path.join(game, "crash", "crash.wav"), "wb")
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(44100)
    w.writeframes(b"\0\0\0\0" * 44100)
    w.close()
    return game


class Run:
    """One start of the game with its trace, read as it grows."""

    def __init__(self, game, args, trace):
        self.trace, self.offset = trace, os.path.getsize(trace) if os.path.exists(trace) else 0
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy", KODOBAN_HEADLESS="1",
                   KODOBAN_TRACE=trace)
        self.proc = subprocess.Popen([os.path.join(game, "Kodoban"), *args], cwd=game, env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_line(self, pattern, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                with open(self.trace, "rb") as f:
                    f.seek(self.offset)
                    if pattern in f.read():
                        return True
            except FileNotFoundError:
                pass
            if self.proc.poll() is not None:
                return False
            time.sleep(0.001)
        return False

    def event_time(self, pattern):
        """The trace time of this run's first line holding pattern, or None."""
        with open(self.trace, "rb") as f:
            f.seek(self.offset)
            for line in f:
                if pattern in line:
                    return json.loads(line)["t"]
        return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()


def config_keys(game):
    try:
        text = open(os.path.join(game, "Config.ini"), "rb").read().decode("utf-8", "replace")
    except FileNotFoundError:
        return None
    return [k for k in CONFIG_KEYS if re.search(rf"^{k}=", text, re.M)]


def temporaries(game):
    found = []
    for folder in (game, os.path.join(game, "Files", "Save")):
        if os.path.isdir(folder):
            found += [os.path.join(folder, n) for n in os.listdir(folder) if TEMPORARY.search(n)]
    return found


def main():
    build, reader = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    result_rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 50
    exit_rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 50
    rng = random.Random(int(sys.argv[5]) if len(sys.argv) > 5 else time.time_ns())
    root = work_folder("kodoban-crash.")
    game = make_folder(build, root)
    trace = os.path.join(root, "trace.jsonl")
    save = os.path.join(game, "Files", "Save", "save.dat")
    identity = subprocess.run([os.path.join(build, "kodoban-chart"), os.path.join(game, "crash", "crash.tja")],
                              capture_output=True, check=True).stdout
    record = os.path.join(game, "Files", "Save", json.loads(identity)["song_identity"] + ".dat")

    seen = {"record old": 0, "record new": 0, "save old": 0, "save new": 0}
    state = {"plays": 0, "save": None}
    most_temporaries = 0

    def check_files(kind):
        nonlocal most_temporaries
        if os.path.exists(record):
            (r,) = read_saves(reader, record)
            if not r["ok"]:
                raise Failure(f"{kind}: the record file is damaged: {r}")
            plays = r["plays"][3]
            if plays not in (state["plays"], state["plays"] + 1):
                raise Failure(f"{kind}: the record holds {plays} plays, expected {state['plays']} or one more")
            if kind == "result":
                seen["record new" if plays > state["plays"] else "record old"] += 1
            state["plays"] = plays
        elif kind == "result":
            seen["record old"] += 1
        if os.path.exists(save):
            (s,) = read_saves(reader, save)
            if not s["ok"]:
                raise Failure(f"{kind}: save.dat is damaged: {s}")
            old = state["save"]
            if old is not None:
                if s["launch_count"] not in (old["launch_count"], old["launch_count"] + 1):
                    raise Failure(f"{kind}: save.dat launch count {s['launch_count']} after {old['launch_count']}")
            if kind == "exit":
                with open(save, "rb") as f:
                    seen["save old" if f.read() == state["before exit"] else "save new"] += 1
            state["save"] = s
        keys = config_keys(game)
        if keys is not None and keys != CONFIG_KEYS:
            raise Failure(f"{kind}: Config.ini lists {keys}")
        most_temporaries = max(most_temporaries, len(temporaries(game)))

    began = time.time()
    try:
        lag = []  # ms from the play clock's start to the result scene, in the rounds so far
        for n in range(result_rounds):
            run = Run(game, ["--course", "oni", "crash/crash.tja"], trace)
            if lag:
                # A random moment from 40 ms before the result scene to 15 ms into it (the record
                # is written a millisecond or two into it).
                if not run.wait_line(b'"ev":"playclock"', 60):
                    raise Failure(f"result round {n}: no play")
                start = run.event_time(b'"ev":"playclock"')
                at = start + sorted(lag)[len(lag) // 2] + rng.uniform(-40, 15)
                while now_ms() < at and run.proc.poll() is None:
                    time.sleep(0.0005)
            elif not run.wait_line(b'"scene":6', 60):
                raise Failure(f"result round {n}: no result scene")
            else:
                time.sleep(0.05)  # the first round writes the record
            run.kill()
            start, result = run.event_time(b'"ev":"playclock"'), run.event_time(b'"scene":6')
            if start is not None and result is not None:
                lag.append(result - start)
            check_files("result")
        for n in range(exit_rounds):
            run = Run(game, [], trace)
            if not run.wait_line(b'"phase":0', 60):
                raise Failure(f"exit round {n}: no song select")
            with open(save, "rb") as f:
                state["before exit"] = f.read()
            run.proc.send_signal(signal.SIGTERM)
            time.sleep(rng.uniform(0, 0.015))  # save.dat is written once the main loop has ended
            run.kill()
            check_files("exit")
        # Temporaries of killed writes are cleared by a later start once they are a minute old.
        left = temporaries(game)
        for path in left:
            os.utime(path, (time.time() - 120, time.time() - 120))
        run = Run(game, [], trace)
        ok = run.wait_line(b'"phase":0', 60)
        run.proc.send_signal(signal.SIGTERM)
        run.proc.wait(30)
        if not ok:
            raise Failure("the game did not start after the rounds")
        check_files("final")
        stale = [p for p in left if os.path.exists(p)]
        if stale:
            raise Failure(f"stale temporaries were not removed: {stale}")
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    print(f"{result_rounds} result and {exit_rounds} exit rounds killed in {time.time() - began:.0f} s: "
          f"record kept {seen['record old']} times, new {seen['record new']} times ({state['plays']} plays "
          f"recorded); save.dat unchanged {seen['save old']} times, rewritten {seen['save new']} times; "
          f"at most {most_temporaries} temporaries at once, {len(left)} left before the final start "
          f"({', '.join(sorted({os.path.basename(p).rsplit('.', 1)[0] for p in left}))}), "
          f"all removed by it; Config.ini kept its eight keys")
    return 0


if __name__ == "__main__":
    sys.exit(main())
