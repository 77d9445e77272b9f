"""A harness for GUI tests of the real program.

    with Session(corvan, source, advanced=True) as s:
        s.wait_for(lambda st: st["screen"] == "ExtentsSetup")
        s.tap(20, 20)
        shot = s.screenshot("start.png")

A Session prepares a runtime folder from data/, starts its own 320 x 240 Xvfb, the simulator
mc1sim (serial link, control socket, journal) and corvan on it. The program reports its
widgets through $CORVAN_GUI_PROBE (one JSON line per screen or mask change, opened menu or
chooser); the harness reads that to know the state and where to tap. Taps are xdotool clicks
at screen coordinates; screenshots are read back as pixels.
"""
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time


class TestFailure(Exception):
    pass


class Checks:
    """Collects failed checks so a test reports them all."""

    def __init__(self):
        self.failures = []

    def check(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL:", what, flush=True)
        return condition

    def exit_code(self):
        return 1 if self.failures else 0


def settings_file(**records):
    """A 104-byte defaults.mrv with the first-start values, some records replaced."""
    ints = {0: 4, 1: 100, 2: 5, 3: 40, 4: 30, 5: 8, 6: 30, 7: 8, 8: 40, 9: 40, 10: 100,
            16: 60, 18: 0, 19: 1, 24: 0, 25: 0}
    floats = {11: 0.0, 12: 0.0, 13: 0.0, 14: 40.0, 15: 40.0, 17: 0.1, 20: 100.0, 21: 1000.0,
              22: 100.0, 23: 1000.0}
    names = {"advanced": 25, "stitch_buttons": 24}
    for key, value in records.items():
        ints[names[key]] = value
    out = b""
    for n in range(26):
        out += struct.pack("<i", ints[n]) if n in ints else struct.pack("<f", floats[n])
    return out


def free_display():
    for n in range(60, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise TestFailure("no free X display")


class Session:
    def __init__(self, corvan, source, advanced=False, files=None, settings=None,
                 icon_style=None, sim_options=None):
        self.corvan = os.path.abspath(corvan)
        self.source = os.path.abspath(source)
        self.advanced = advanced
        self.files = files or {}
        self.settings = settings
        self.icon_style = icon_style
        self.sim_options = list(sim_options or [])
        self.procs = []
        self.probe_at = 0
        self.states = []
        self.out = b""

    # --- lifetime ---------------------------------------------------------------------------

    def __enter__(self):
        self.work = tempfile.mkdtemp(prefix="corvan-gui-")
        self.run = os.path.join(self.work, "run")
        shutil.copytree(os.path.join(self.source, "data"), self.run)
        for d in ("Layout", "thumbnails", "patterns", "sysroot/media", "sysroot/tmp"):
            os.makedirs(os.path.join(self.run, d), exist_ok=True)
        # The status of a finished update check, so that a fake stick starts no update.
        open(os.path.join(self.run, "system"), "a").close()
        with open(os.path.join(self.run, "defaults.mrv"), "wb") as f:
            f.write(self.settings or settings_file(advanced=1 if self.advanced else 0))
        if self.icon_style is not None:
            with open(os.path.join(self.run, "screen.conf"), "a") as f:
                f.write("\nicon_style = %d\n" % self.icon_style)
        for name, data in self.files.items():
            path = os.path.join(self.run, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode())
        try:
            self._start_display()
            self._start_sim()
            self._start_corvan()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        shutil.rmtree(self.work, ignore_errors=True)
        return False

    def _start_display(self):
        n = free_display()
        self.display = ":%d" % n
        xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "320x240x24",
                                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        self.env = dict(os.environ, DISPLAY=self.display)
        for _ in range(100):
            if subprocess.run(["xdpyinfo"], env=self.env, capture_output=True).returncode == 0:
                return
            time.sleep(0.05)
        raise TestFailure("Xvfb did not start")

    def _start_sim(self):
        sim = os.path.join(os.path.dirname(self.corvan), "mc1sim")
        self.tty = os.path.join(self.run, "mc1.tty")
        self.control = os.path.join(self.run, "mc1.ctl")
        self.procs.append(subprocess.Popen(
            [sim, "--link", self.tty, "--control", self.control, "--journal",
             os.path.join(self.run, "mc1.journal")] + self.sim_options, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
        self._until(lambda: os.path.exists(self.tty) and os.path.exists(self.control), 10,
                    "mc1sim's link and control socket")

    def _start_corvan(self):
        self.probe = os.path.join(self.run, "probe.jsonl")
        env = dict(self.env, CORVAN_SERIAL=self.tty, CORVAN_GUI_PROBE=self.probe,
                   CORVAN_SYSROOT=os.path.join(self.run, "sysroot"))
        self.proc = subprocess.Popen([self.corvan], cwd=self.run, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        os.set_blocking(self.proc.stdout.fileno(), False)
        self.procs.append(self.proc)
        self._until(lambda: b"Entering GTK_MAIN()" in self.read_output(), 60, "the main loop")

    # --- waiting ----------------------------------------------------------------------------

    def _until(self, predicate, timeout, what):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if predicate():
                return
            if self.procs and self.procs[-1].poll() is not None and self.procs[-1] is getattr(self, "proc", None):
                raise TestFailure("corvan ended while waiting for %s:\n%s" % (what, self.output()))
            time.sleep(0.05)
        raise TestFailure("timed out waiting for %s\n%s" % (what, self.output()))

    def read_output(self):
        try:
            chunk = self.proc.stdout.read()
        except (ValueError, OSError):
            chunk = None
        if chunk:
            self.out += chunk
        return self.out

    def output(self):
        return self.read_output().decode(errors="replace") if hasattr(self, "proc") else ""

    def probes(self):
        """Every probe line so far, parsed."""
        if not os.path.exists(self.probe):
            return []
        with open(self.probe) as f:
            return [json.loads(line) for line in f if line.strip()]

    def new_probes(self):
        lines = self.probes()
        fresh = lines[self.probe_at:]
        self.probe_at = len(lines)
        return fresh

    def wait_for(self, predicate, timeout=20, what="a state", event=None):
        """Waits for a probe line (of `event` when given) that satisfies `predicate`; returns
        it. Only lines written after the last wait count."""
        found = []

        def ready():
            for line in self.new_probes():
                if (event is None or line.get("event") == event) and predicate(line):
                    found.append(line)
                    return True
            return False

        self._until(ready, timeout, what)
        return found[0]

    def state(self):
        """The main window's latest state."""
        lines = [l for l in self.probes() if "screen" in l]
        return lines[-1] if lines else None

    # --- input ------------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                       capture_output=True, timeout=15)

    def tap(self, x, y):
        self.xdotool("mousemove", x, y, "click", 1)
        time.sleep(0.15)

    def tap_rect(self, rect):
        x, y, w, h = rect
        self.tap(x + w // 2, y + h // 2)

    def open_layout(self, name):
        """Home > Open Layout > `name`, answering what the load asks; returns the state of
        the pattern view it ends on."""
        self.choose("Open Layout", self.open_menu("home", "the home menu"))
        chooser = self.wait_for(lambda l: name in l["rows"], event="chooser", what="chooser")
        self.tap_rect(chooser["rows"][name])
        self.tap_rect(chooser["ok"]["rect"])
        normal = lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF
        for _ in range(3):
            self.answer_message()
            if normal(self.state()):
                self.new_probes()  # the load's messages are answered
                return self.state()
        return self.wait_for(normal, what="the pattern view")

    def released(self, what):
        """The "view" line of the next release on the pattern or stitching view."""
        return self.wait_for(lambda l: l["why"] == "release", event="view", what=what)

    def press(self, x, y, until=None, hold=0.0, drift=(0, 0), what="a view line"):
        """Puts a finger down at (x, y), moves it by `drift`, and lifts it once a probe line
        satisfies `until` (returned), or after `hold` seconds: the gesture's own length."""
        self.xdotool("mousemove", x, y, "mousedown", 1)
        if drift != (0, 0):
            self.xdotool("mousemove", x + drift[0], y + drift[1])
        found = None
        if until is not None:
            found = self.wait_for(until, what=what)
        if hold:
            time.sleep(hold)
        self.xdotool("mouseup", 1)
        return found

    def drag(self, x0, y0, x1, y1, seconds=0.0, steps=8):
        """One finger from (x0, y0) to (x1, y1) in `steps` moves spread over `seconds`
        (as fast as the events go with 0), in one xdotool run."""
        args = ["mousemove", x0, y0, "mousedown", 1]
        for i in range(1, steps + 1):
            args += ["mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps]
            if seconds:
                args += ["sleep", "%.3f" % (seconds / steps)]
        self.xdotool(*(args + ["mouseup", 1]))

    def open_menu(self, top, what):
        """Taps a top item of the menu bar ("home", "edit", "view") and returns the items
        of the menu that opens."""
        self.tap_rect(self.state()["widgets"][top])
        return self.wait_for(lambda l: True, event="menu", what=what)["items"]

    def choose(self, label, items):
        if label not in items or items[label]["rect"] is None:
            raise TestFailure("no item %r in %s" % (label, sorted(items)))
        self.tap_rect(items[label]["rect"])

    def activate(self, label):
        """Activates the menu item `label` through the probe, hidden items too; returns
        whether the program activated it (only usable items are)."""
        with open(self.probe + ".in", "a") as f:
            f.write(label + "\n")
        return self.wait_for(lambda l: l.get("label") == label, event="activate",
                             what="the activation of %r" % label)["activated"]

    def wait_shot(self, predicate, timeout=20, what="a picture on screen"):
        """Takes screenshots until `predicate(picture)` holds; returns that picture."""
        found = []

        def seen():
            shot = self.screenshot()
            if predicate(shot):
                found.append(shot)
            return bool(found)

        self._until(seen, timeout, what)
        return found[0]

    def message_windows(self):
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                             env=self.env, capture_output=True, text=True, timeout=15).stdout.split()
        return [w for w in ids if self.window_name(w) != "corvan"]

    def window_name(self, window):
        return subprocess.run(["xdotool", "getwindowname", window], env=self.env,
                              capture_output=True, text=True, timeout=15).stdout.strip()

    def answer_message(self, timeout=20, from_right=0):
        """Waits for a message window and taps its rightmost button (OK, Yes or Close), or
        the button `from_right` places left of it."""
        found = []

        def shown():
            windows = self.message_windows()
            if windows:
                found.append(windows[-1])
            return bool(windows)

        self._until(shown, timeout, "a message window")
        time.sleep(0.3)
        geometry = subprocess.run(["xdotool", "getwindowgeometry", found[0]], env=self.env,
                                  capture_output=True, text=True, timeout=15).stdout
        x, y = (int(v) for v in geometry.split("Position: ")[1].split()[0].split(","))
        w, h = (int(v) for v in geometry.split("Geometry: ")[1].split()[0].split("x"))
        self.tap(x + w - 35 - 95 * from_right, y + h - 17)
        time.sleep(0.3)

    def message(self, timeout=20, what="a message window"):
        """Waits for a message window on screen; returns its probe line: "text" and
        "buttons" (screen rectangles by response, "-5" OK, "-6" Cancel ...)."""
        return self.wait_for(lambda l: True, timeout=timeout, event="message", what=what)

    def tap_response(self, message, response=-5):
        """Taps the button of `message` (a probe line) that answers `response`."""
        rect = message["buttons"].get(str(response))
        if rect is None:
            raise TestFailure("no button %s in %s" % (response, message))
        self.tap_rect(rect)

    def keyboard(self, timeout=20, what="the on-screen keyboard"):
        """Waits for the on-screen keyboard; returns its probe line: "prompt", "text",
        "cursor", "shift", "keys" (index, label, rect) and "buttons" (shift, space, backspace,
        ok, cancel)."""
        return self.wait_for(lambda l: True, timeout=timeout, event="keyboard", what=what)

    def type_on_keyboard(self, text, ok=True, keyboard=None):
        """Taps `text` key by key on the keyboard that is up (Shift before a shifted
        character), waiting after each key until the entry shows it, then OK (or Cancel).
        Returns the keyboard's last probe line before OK."""
        kb = keyboard or self.keyboard()
        for ch in text:
            if ch == " ":
                rect = kb["buttons"]["space"]
            else:
                keys = [k for k in kb["keys"] if k["label"] == ch]
                if not keys:
                    self.tap_rect(kb["buttons"]["shift"])
                    kb = self.wait_for(lambda l: l["shift"], event="keyboard",
                                       what="the shifted keys")
                    keys = [k for k in kb["keys"] if k["label"] == ch]
                if not keys or keys[0]["rect"] is None:
                    raise TestFailure("no key %r on the keyboard" % ch)
                rect = keys[0]["rect"]
            at = kb["cursor"]
            expected = kb["text"][:at] + ch + kb["text"][at:]
            self.tap_rect(rect)
            kb = self.wait_for(lambda l: l["text"] == expected and not l["shift"],
                               event="keyboard", what="%r in the entry" % expected)
        self.tap_rect(kb["buttons"]["ok" if ok else "cancel"])
        return kb

    # --- output -----------------------------------------------------------------------------

    def screenshot(self, path=None):
        """Grabs the screen; returns a Picture. With `path`, also saves it as PNG there."""
        target = path or os.path.join(self.work, "shot.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", target],
                       check=True, capture_output=True, timeout=30)
        size = subprocess.run(["identify", "-format", "%w %h", target], check=True,
                              capture_output=True, text=True, timeout=30).stdout.split()
        rgb = subprocess.run(["convert", target, "-depth", "8", "rgb:-"], check=True,
                             capture_output=True, timeout=30).stdout
        return Picture(int(size[0]), int(size[1]), rgb)

    def sim(self, command):
        """One control command to mc1sim; its answer (all lines up to "end" for journal)."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(10)
            s.connect(self.control)
            s.sendall((command + "\n").encode())
            data = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                data += chunk
                text = data.decode(errors="replace")
                if command.startswith("journal"):
                    if text.endswith("end\n"):
                        break
                elif text.endswith("\n"):
                    break
            return data.decode(errors="replace")

    def journal(self):
        """The commands mc1sim received, in order, one line each."""
        lines = self.sim("journal").splitlines()
        return [l for l in lines if l != "end"]


class Picture:
    """An RGB screenshot."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.pixels = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def count(self, colour, box=None, tolerance=0):
        """Pixels of `colour` (within `tolerance` per channel) inside box (x, y, w, h)."""
        x0, y0, w, h = box or (0, 0, self.width, self.height)
        n = 0
        for y in range(max(0, y0), min(self.height, y0 + h)):
            for x in range(max(0, x0), min(self.width, x0 + w)):
                p = self.pixel(x, y)
                if all(abs(p[i] - colour[i]) <= tolerance for i in range(3)):
                    n += 1
        return n
