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


def press_return_in(window):
    """Presses Return with the pointer over `window` (there is no window manager to focus it)."""
    subprocess.run(["xdotool", "mousemove", "--window", window, "20", "20", "key", "Return"],
                   capture_output=True, timeout=15)


def run_until_main_loop(workdir, serial, dismiss_after=None):
    """Starts corvan, waits for the main loop; returns (process, stdout so far). When the
    output shows `dismiss_after`, the message window that start-up is waiting on is answered
    with Return, and `dismissed` counts it."""
    env = dict(os.environ, CORVAN_SERIAL=serial, CORVAN_SYSROOT=os.path.join(workdir, "sysroot"))
    proc = subprocess.Popen([CORVAN], cwd=workdir, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    out = b""
    deadline = time.time() + 30
    os.set_blocking(proc.stdout.fileno(), False)
    while b"Entering GTK_MAIN()\n" not in out and time.time() < deadline:
        chunk = proc.stdout.read()
        if chunk:
            out += chunk
        elif proc.poll() is not None:
            break
        else:
            time.sleep(0.05)
            if dismiss_after and out.endswith(dismiss_after.encode()):
                windows = visible_windows(proc.pid)
                if windows:
                    dismissed.append(windows)
                    press_return_in(windows[-1])
                    time.sleep(0.3)
    return proc, out.decode(errors="replace")


dismissed = []


def stop(proc):
    proc.terminate()
    try:
        _, err = proc.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        _, err = proc.communicate()
    return err.decode(errors="replace")


def window_geometry(pid):
    ids = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True, timeout=15).stdout.split()
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
    master, slave = os.openpty()  # a line nobody answers on: the controller is silent
    try:
        shutil.copytree(os.path.join(SOURCE, "data"), work, dirs_exist_ok=True)

        proc, out = run_until_main_loop(work, os.ttyname(slave))
        check(out == STEPS.format(threads="", constants=(
            "Communications With MC1 Failed. Default File Not Present. Setting Defaults...")),
            "first start console texts:\n" + out)
        with open(os.path.join(work, "defaults.mrv"), "rb") as f:
            check(f.read() == FIRST_START, "defaults.mrv of a first start")
        check(os.path.isdir(os.path.join(work, "Layout")), "./Layout created")
        check(os.path.isdir(os.path.join(work, "thumbnails")), "./thumbnails created")
        check(window_geometry(proc.pid) == ("0,0", "320x240"), "main window 320x240 at 0,0")
        check(proc.poll() is None, "still running in the main loop")
        stop(proc)

        # Second start, no serial device at all: the error is reported and the file is read.
        missing = os.path.join(work, "no-such-tty")
        proc, out = run_until_main_loop(work, missing, dismiss_after="Could Not Open Port: -1\n")
        stop(proc)
        check(out == STEPS.format(threads="Could Not Open Port: -1\n", constants=(
            "Communications With MC1 Failed. Retrieve From File...")),
            "second start console texts:\n" + out)
        # Start-up waited on a message window until it was answered.
        check(len(dismissed) >= 1, "serial error shown in a message window")
        with open(os.path.join(work, "defaults.mrv"), "rb") as f:
            check(f.read() == FIRST_START, "defaults.mrv unchanged by a second start")
    finally:
        os.close(master)
        os.close(slave)
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


sys.exit(main())
