"""A crash of the real program keeps the layout: a program holding a layout is killed with
SIGSEGV, shows its message, leaves ./Layout/recovery.qlf and exits with status 0; the next
start loads that layout and removes the file. A crash while a recovery layout exists removes
it instead of writing a new one.

The layout gets into the program the way a recovered one does: the test writes it as
./Layout/recovery.qlf before the first start. Because the program writes exactly the bytes
it read, the file each crash leaves must equal that first file."""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def i32(v):
    return struct.pack("<i", v)


def f32(*values):
    return b"".join(struct.pack("<f", v) for v in values)


def text(s):
    return s.encode() + bytes(256 - len(s))


def layout_file():
    """Extents, two patterns, a box with corners and one without, three placements (two in
    an array) and the array."""
    corners = lambda pts: i32(len(pts)) + b"".join(i32(k) + f32(x, y) for k, (x, y) in enumerate(pts))
    extents = b"\x01" + f32(0, 0, 17.5, 7, 35, 14, 90) + corners([(0, 0), (0, 14), (35, 14), (35, 0)]) + b"\x10"
    points = [(0, 0), (0.5, 1), (1, 2), (1.5, 0)]
    pattern = lambda name: (b"\x02" + text(name) + text("spare") + text("") +
                            f32(1.5, 2, 1.5, 2, 3, 4.5, 4, 6) + i32(90) + f32(100, 100) +
                            i32(len(points)) + b"".join(f32(x, y) for x, y in points) +
                            i32(1) + i32(0) + i32(3) + b"\x10")
    box = b"\x04" + f32(2, 3, 8, 8, 90, 4, 4) + corners([(2, 3), (2, 11), (10, 11), (10, 3)]) + b"\x10"
    empty_box = b"\x04" + f32(0, 0, 0, 0, 45, 0, 0) + i32(0) + b"\x10"
    node = lambda b, p, a, parent, x, y: b"\x05" + i32(b) + i32(p) + i32(a) + bytes([parent]) + f32(x, y) + b"\x10"
    array = b"\x06" + f32(0.5, 1.5) + i32(2) + i32(3) + b"\x10"
    return (extents + pattern("leaf") + pattern("star") + box + empty_box + node(0, 0, 0, 1, 0, 0) +
            node(0, 0, 0, 0, 2, 0) + node(1, 1, -1, 0, 1, 1) + array)


class Program:
    """corvan in `workdir` on a serial line nobody answers, its output collected as it comes."""

    def __init__(self, workdir, serial):
        env = dict(os.environ, CORVAN_SERIAL=serial, CORVAN_SYSROOT=os.path.join(workdir, "sysroot"))
        self.proc = subprocess.Popen([CORVAN], cwd=workdir, env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        os.set_blocking(self.proc.stdout.fileno(), False)
        self.out = b""

    def wait_for(self, condition, seconds=60, answer=True):
        """Collects output until `condition` holds. Start-up may wait on message windows (a
        silent controller is reported): when the output has been quiet for a moment, any
        message window is answered."""
        deadline = time.time() + seconds
        quiet_since = time.time()
        while time.time() < deadline:
            chunk = self.proc.stdout.read()
            if chunk:
                self.out += chunk
                quiet_since = time.time()
            if condition():
                return True
            if self.proc.poll() is not None and not chunk:
                return condition()
            time.sleep(0.05)
            if answer and time.time() - quiet_since > 0.5 and self.answer_messages():
                quiet_since = time.time()
        return False

    def answer_messages(self):
        """Presses Return with the pointer over each message window of the program (there is
        no window manager to focus one). True when there was one."""
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                             capture_output=True, text=True, timeout=15).stdout.split()
        messages = [w for w in ids if subprocess.run(
            ["xdotool", "getwindowname", w], capture_output=True, text=True,
            timeout=15).stdout.strip() != "corvan"]
        for window in messages:
            subprocess.run(["xdotool", "mousemove", "--window", window, "20", "20", "key", "Return"],
                           capture_output=True, timeout=15)
        return bool(messages)

    def end(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()


def crash(program, what):
    """SIGSEGV, the message answered; True when the program exited with status 0."""
    os.kill(program.proc.pid, signal.SIGSEGV)
    program.wait_for(lambda: False, 1.5, answer=False)
    check(program.proc.poll() is None, what + ": waits for the message to be answered")
    check(program.wait_for(lambda: program.proc.poll() is not None, 30), what + ": program ended")
    check(b"Segmentation Fault\n" in program.out, what + ": 'Segmentation Fault' printed")
    code = program.proc.poll()
    check(code == 0, "%s: exit status 0 (got %r)" % (what, code))


def main():
    if not os.environ.get("DISPLAY"):
        print("no display")
        return 77
    work = tempfile.mkdtemp(prefix="corvan-crash-")
    master, slave = os.openpty()
    recovery = os.path.join(work, "Layout", "recovery.qlf")
    saved = layout_file()
    programs = []
    try:
        shutil.copytree(os.path.join(SOURCE, "data"), work, dirs_exist_ok=True)
        os.makedirs(os.path.join(work, "Layout"), exist_ok=True)
        # The status of a finished update check: no update is waiting.
        open(os.path.join(work, "system"), "w").close()
        with open(recovery, "wb") as f:
            f.write(saved)

        for start in ("first start", "second start"):
            program = Program(work, os.ttyname(slave))
            programs.append(program)
            check(program.wait_for(lambda: b"Entering GTK_MAIN()\n" in program.out and
                                   not os.path.exists(recovery)),
                  start + ": recovery layout loaded and removed")
            check(b"Entering GTK_MAIN()\nRecover Layout\n" in program.out,
                  start + ": 'Recover Layout' after the start-up steps")
            check(b"ERROR READING LAYOUT FILE" not in program.out, start + ": no read error")
            crash(program, start)
            # The crash left the layout the program held: the one it recovered.
            check(os.path.exists(recovery) and open(recovery, "rb").read() == saved,
                  start + ": the crash left the recovered layout in ./Layout/recovery.qlf")
            check(not os.path.exists(recovery + ".part"), start + ": no partial file left")

        # A recovery layout that appears while the program runs is removed by the crash.
        program = Program(work, os.ttyname(slave))
        programs.append(program)
        check(program.wait_for(lambda: not os.path.exists(recovery)), "third start: loaded")
        with open(recovery, "wb") as f:
            f.write(b"\x01")
        crash(program, "third start")
        check(not os.path.exists(recovery), "crash with a recovery layout present removes it")
    finally:
        for program in programs:
            program.end()
        os.close(master)
        os.close(slave)
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


sys.exit(main())
