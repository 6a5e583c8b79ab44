"""The game on a private X server, for the end-to-end scripts (scripted player, crash safety,
soak): a fresh game folder copied from a build, Xvfb on a display of its own, the game with its
trace on, the trace read as it grows, real key presses and drops through x_player, and the save
files read through kodoban-save-reader. Everything started is stopped again on exit."""

import atexit
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77  # CTest's skip code: Xvfb could not start here

# DirectInput-style scan codes of the trace's "key" events.
KEY_CODES = {33: "F", 36: "J", 32: "D", 37: "K"}
SCENE_STARTUP, SCENE_SELECT, SCENE_PLAY, SCENE_RESULT = 1, 4, 5, 6
PHASE_BROWSE, PHASE_COURSE = 0, 3


class Failure(Exception):
    pass


def now_ms():
    return time.clock_gettime(time.CLOCK_MONOTONIC) * 1000.0


class Xvfb:
    """Xvfb on the first free display from `first`."""

    def __init__(self, first=60):
        self.proc = None
        for n in range(first, first + 40):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            if shutil.which("Xvfb") is None:
                break
            proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + 10
            while time.time() < deadline and proc.poll() is None:
                if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                    self.proc, self.display = proc, f":{n}"
                    atexit.register(self.stop)
                    return
                time.sleep(0.05)
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        print("SKIP: Xvfb could not start", file=sys.stderr)
        sys.exit(SKIP)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None


def make_game_folder(build, root):
    """A fresh game folder from a build (or an installed game folder): the program, the theme
    and the demo songs, nothing else (no settings, no saves)."""
    game = os.path.join(root, "game")
    os.makedirs(os.path.join(game, "Files"))
    shutil.copy2(os.path.join(build, "Kodoban"), game)
    shutil.copytree(os.path.join(build, "Files", "Theme"), os.path.join(game, "Files", "Theme"))
    for folder in ("Kodoban Demo", "Bonus Track"):
        shutil.copytree(os.path.join(build, folder), os.path.join(game, folder))
    return game


class Game:
    """One run of the game in `folder` on `display`."""

    def __init__(self, folder, display, tools, args=(), trace=None, audio="dummy"):
        self.folder, self.display, self.tools = folder, display, tools
        self.trace_path = trace or os.path.join(folder, "..", "trace.jsonl")
        self.out_path = os.path.join(folder, "..", "out.txt")
        self.events, self._offset, self._rest = [], 0, b""
        if os.path.exists(self.trace_path):
            self._offset = os.path.getsize(self.trace_path)
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER=audio,
                   KODOBAN_HEADLESS="1", KODOBAN_TRACE=self.trace_path)
        if audio == "disk":
            env["SDL_DISKAUDIOFILE"] = "/dev/null"
        self.out = open(self.out_path, "ab")
        self.proc = subprocess.Popen([os.path.join(folder, "Kodoban"), *args], cwd=folder, env=env,
                                     stdout=self.out, stderr=self.out)
        self._window = None
        self.lost_presses = 0  # presses made again because the game never saw them
        atexit.register(self.kill)

    # The trace -------------------------------------------------------------------------------
    def poll(self):
        try:
            with open(self.trace_path, "rb") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return
        self._offset += len(data)
        data = self._rest + data
        lines = data.split(b"\n")
        self._rest = lines.pop()
        for line in lines:
            if line.strip():
                self.events.append(json.loads(line))

    def wait_for(self, test, timeout, what, since=0):
        """The first event from index `since` on that passes test; fails after timeout seconds
        or when the game ends first."""
        deadline = time.time() + timeout
        while True:
            self.poll()
            for i in range(since, len(self.events)):
                if test(self.events[i]):
                    return i, self.events[i]
            if self.proc.poll() is not None:
                raise Failure(f"the game ended (code {self.proc.returncode}) while waiting for {what}")
            if time.time() > deadline:
                raise Failure(f"no {what} within {timeout} s")
            time.sleep(0.02)

    def wait_scene(self, scene, timeout=60, since=0):
        return self.wait_for(lambda e: e["ev"] == "scene" and e["scene"] == scene, timeout,
                             f"scene {scene}", since)

    def wait_select(self, test, timeout=30, since=0, what="song select state"):
        return self.wait_for(lambda e: e["ev"] == "select" and test(e), timeout, what, since)

    def press_until(self, key, test, what, since=0, timeout=2.0, tries=4):
        """Presses key until a song select state after the press passes test; returns the
        (index, event). A press is made again only when nothing came of it for `timeout`
        seconds: on a loaded machine the X server now and then hands the game a press together
        with its release, which the game rightly takes for no press at all."""
        for attempt in range(tries):
            at = self.press(key)
            try:
                return self.wait_select(lambda e: e["t"] > at and test(e), timeout, since, what)
            except Failure:
                if self.proc.poll() is not None or attempt == tries - 1:
                    raise
                self.lost_presses += 1

    def settled_select(self, after):
        """The song select's last traced state a few frames after the moment `after` (a press
        moves the course cursor on over several places within one frame)."""
        self.wait_for(lambda e: e["ev"] == "frame" and e["t"] > after + 40, 10, "frames after a press")
        return len(self.events) - 1, [e for e in self.events if e["ev"] == "select"][-1]

    def leave_result(self, scene6_index):
        """Lets the result count for a moment, skips the count, then leaves; returns the index
        of the song select's scene event."""
        t6 = self.events[scene6_index]["t"]
        skip_at = max(t6 + 3700, now_ms() + 50)
        for attempt in range(3):
            self.press_schedule([(skip_at, "f", 100), (skip_at + 3000, "j", 100)])
            try:
                i, _ = self.wait_scene(SCENE_SELECT, 8, since=scene6_index)
                return i
            except Failure:
                if self.proc.poll() is not None or attempt == 2:
                    raise
                self.lost_presses += 1
                skip_at = now_ms() + 50

    def output(self):
        self.out.flush()
        with open(self.out_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    # Hands -----------------------------------------------------------------------------------
    def x_player(self, *args, stdin=None):
        r = subprocess.run([self.tools["x_player"], *args], input=stdin, capture_output=True,
                           env=dict(os.environ, DISPLAY=self.display), timeout=600)
        if r.returncode != 0:
            raise Failure(f"x_player {' '.join(args)}: {r.stderr.decode(errors='replace')}")
        return r.stdout.decode()

    def press(self, *keys, hold=100, gap=200):
        """Presses keys one after the other, now; returns the CLOCK_MONOTONIC ms of the first."""
        at = now_ms()
        lines = "".join(f"{at + i * gap:.3f} {k} {hold}\n" for i, k in enumerate(keys))
        self.x_player("keys", "-", stdin=lines.encode())
        return at

    def press_schedule(self, presses):
        """presses: (CLOCK_MONOTONIC ms, key, hold ms) in any order."""
        lines = "".join(f"{at:.3f} {k} {hold}\n" for at, k, hold in presses)
        return self.x_player("keys", "-", stdin=lines.encode())

    def window(self):
        if self._window is None:
            deadline = time.time() + 10
            while True:
                r = subprocess.run([self.tools["x_player"], "window"], capture_output=True,
                                   env=dict(os.environ, DISPLAY=self.display))
                if r.returncode == 0:
                    self._window = r.stdout.decode().strip()
                    break
                if time.time() > deadline:
                    raise Failure("the game's window never appeared")
                time.sleep(0.1)
        return self._window

    def drop(self, path):
        self.x_player("drop", self.window(), path)

    def close(self, timeout=30):
        """Closes the window as a window manager would and waits for the game to end."""
        self.x_player("close", self.window())
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game did not end within {timeout} s of closing its window")

    def kill(self, sig=signal.SIGKILL):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
            self.proc.wait()
        if not self.out.closed:
            self.out.close()


def read_saves(reader, *paths):
    """kodoban-save-reader's view of each file (a dict with "ok")."""
    r = subprocess.run([reader, *paths], capture_output=True, env=dict(os.environ, KODOBAN_HEADLESS="1"))
    return [json.loads(line) for line in r.stdout.decode().splitlines() if line.strip()]


def chart_notes(chart_tool, chart, course):
    r = subprocess.run([chart_tool, "--course", course, chart], capture_output=True, check=True)
    return json.loads(r.stdout)


def _exit_on_signal(signum, frame):
    sys.exit(128 + signum)  # through the atexit clean-up


signal.signal(signal.SIGTERM, _exit_on_signal)
signal.signal(signal.SIGINT, _exit_on_signal)


def work_folder(prefix):
    root = tempfile.mkdtemp(prefix=prefix)
    if os.environ.get("KODOBAN_E2E_KEEP"):
        print(f"work folder kept: {root}", file=sys.stderr)
    else:
        atexit.register(shutil.rmtree, root, True)
    return root
