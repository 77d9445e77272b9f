"""Start-up of the real program: console texts in order, the settings file of a first start,
the folders, and the main window's size and place; then a second start reading the file."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

CORVAN, SOURCE = sys.argv[1], sys.argv[2]

STEPS = ("Initialize User Interface Function\n"
         "Set Signals...done.\n"
         "Create Directories...done.\n"
         "Initialize GTK...done.\n"
         "Parse gtkrc...done.\n"
         "Check Switching Data...done.\n"
         "Create Interface Structure...done.\n"
         "Initiate Pattern Boxes...done.\n"
         "Initiate Threads...{threads}done.\n"
         "Get Constants From MC1...{constants}done.\n"
         "Create Extents...done.\n"
         "Create Main Window...done.\n"
         "Create Menu And Toolbar...done.\n"
         "Create Initial Screen...done.\n"
         "Initialize Camera...done\n"
         "Set initial zoom value...done\n"
         "Entering GTK_MAIN()\n")

FIRST_START = bytes.fromhex(
    "04000000 64000000 05000000 28000000 1e000000 08000000 1e000000 08000000"
    "28000000 28000000 64000000 00000000 00000000 00000000 00002042 00002042"
    "3c000000 cdcccc3d 00000000 01000000 0000c842 00007a44 0000c842 00007a44"
    "00000000 00000000".replace(" ", ""))

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def visible_windows(pid):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                          capture_output=True, text=True, timeout=15).stdout.split()


def window_name(window):
    return subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                          text=True, timeout=15).stdout.strip()


def press_return_in(window):
    """Presses Return with the pointer over `window` (there is no window manager to focus it)."""
    subprocess.run(["xdotool", "mousemove", "--window", window, "20", "20", "key", "Return"],
                   capture_output=True, timeout=15)


def run_until_main_loop(workdir, serial):
    """Starts corvan and waits for the main loop. A message window that start-up waits on
    is answered with Return. Returns (process, stdout so far, the stdout at each answer)."""
    env = dict(os.environ, CORVAN_SERIAL=serial, CORVAN_SYSROOT=os.path.join(workdir, "sysroot"))
    proc = subprocess.Popen([CORVAN], cwd=workdir, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    out = b""
    answered = []
    quiet_since = time.time()
    deadline = time.time() + 60
    os.set_blocking(proc.stdout.fileno(), False)
    while b"Entering GTK_MAIN()\n" not in out and time.time() < deadline:
        chunk = proc.stdout.read()
        if chunk:
            out += chunk
            quiet_since = time.time()
        elif proc.poll() is not None:
            break
        else:
            time.sleep(0.05)
            if time.time() - quiet_since > 0.5:
                messages = [w for w in visible_windows(proc.pid) if window_name(w) != "corvan"]
                if messages:
                    answered.append(out.decode(errors="replace"))
                    press_return_in(messages[-1])
                    quiet_since = time.time()
    return proc, out.decode(errors="replace"), answered


def in_order(text, parts):
    at = 0
    for part in parts:
        at = text.find(part, at)
        if at < 0:
            return False
        at += len(part)
    return True


def stop(proc):
    proc.terminate()
    try:
        _, err = proc.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        _, err = proc.communicate()
    return err.decode(errors="replace")


def window_geometry(pid):
    ids = [w for w in visible_windows(pid) if window_name(w) == "corvan"]
    if not ids:
        return None
    geo = subprocess.run(["xdotool", "getwindowgeometry", ids[0]], capture_output=True,
                         text=True).stdout
    pos = geo.split("Position: ")[1].split()[0]
    size = geo.split("Geometry: ")[1].split()[0]
    return pos, size


def main():
    if not os.environ.get("DISPLAY"):
        print("no display")
        return 77
    work = tempfile.mkdtemp(prefix="corvan-gui-")
    master, slave = os.openpty()
    try:
        shutil.copytree(os.path.join(SOURCE, "data"), work, dirs_exist_ok=True)
        # The status of a finished update check: no update is waiting.
        open(os.path.join(work, "system"), "w").close()

        # A line nobody answers on: the controller is silent (and says so in a message).
        proc, out, _ = run_until_main_loop(work, os.ttyname(slave))
        check(in_order(out, STEPS.format(threads="", constants="").split("...done")),
              "first start console texts in order:\n" + out)
        check("Communications With MC1 Failed. Default File Not Present. Setting Defaults..." in out,
              "first start sets the defaults:\n" + out)
        with open(os.path.join(work, "defaults.mrv"), "rb") as f:
            check(f.read() == FIRST_START, "defaults.mrv of a first start")
        check(os.path.isdir(os.path.join(work, "Layout")), "./Layout created")
        check(os.path.isdir(os.path.join(work, "thumbnails")), "./thumbnails created")
        check(window_geometry(proc.pid) == ("0,0", "320x240"), "main window 320x240 at 0,0")
        check(proc.poll() is None, "still running in the main loop")
        stop(proc)

        # Second start, no serial device at all: the error is reported and the file is read.
        missing = os.path.join(work, "no-such-tty")
        proc, out, answered = run_until_main_loop(work, missing)
        stop(proc)
        check(in_order(out, STEPS.format(threads="Could Not Open Port: -1\n", constants=(
            "Communications With MC1 Failed. Retrieve From File...")).split("...done")),
            "second start console texts:\n" + out)
        # Start-up waited on exactly one message window, the serial error's.
        check(len(answered) == 1 and answered[0].endswith("Could Not Open Port: -1\n"),
              "serial error shown in a message window: %r" % answered)
        with open(os.path.join(work, "defaults.mrv"), "rb") as f:
            check(f.read() == FIRST_START, "defaults.mrv unchanged by a second start")
    finally:
        os.close(master)
        os.close(slave)
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


sys.exit(main())
