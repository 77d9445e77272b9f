"""A quilter's whole job in the real window, driven only by taps and by pushing mc1sim's
carriage by hand: the quilting area set up on a first start from three corners, a sample
pattern added from the pattern select screen, stitched with Start, and the program idle
again. mc1sim's stitched path is then compared with the placed pattern. Started once more,
the run is stopped with Stop; the stored mask is the run's during both runs and the idle one
after them.

With $CORVAN_SCREENS set to a folder, the extents screen and the run in progress are saved
there as PNG files (that is how docs/screens/ is made)."""
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

PATTERN = "Stars/pentagram.qcc"
NORMAL_MASK = 0x37FFFFF
STITCHING_MASK = 0x800000
BUTTON = 32  # confirm_button_size of data/screen.conf
TABLE = (14, 9)  # inches: a small quilt, so the screenshots show the pattern large
START_QUESTION = "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START."
BOBBIN = "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK"


def placed_pattern():
    """The sample pattern as the layout places it into the first box (origin (0, 0), no
    offset): every point shifted by its bounding box's corner, in thousandths of an inch."""
    points = []
    with open(os.path.join(SOURCE, "data", "patterns", PATTERN)) as f:
        for line in f:
            m = re.match(r"p X(-?[\d.]+) Y(-?[\d.]+)", line)
            if m:
                points.append((float(m.group(1)), float(m.group(2))))
    min_x = min(p[0] for p in points)
    min_y = min(p[1] for p in points)
    return [((x - min_x) * 1000, (y - min_y) * 1000) for x, y in points]


def near(a, b, tolerance=1.0):
    return abs(a[0] - b[0]) <= tolerance and abs(a[1] - b[1]) <= tolerance


def in_order(wanted, seen):
    """True when every point of `wanted` appears in `seen` in the same order."""
    i = 0
    for p in seen:
        if i < len(wanted) and near(p, wanted[i]):
            i += 1
    return i == len(wanted)


def save_screen(s, name):
    folder = os.environ.get("CORVAN_SCREENS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        s.screenshot(os.path.join(folder, name))


def wait_for_state(s, predicate, timeout, what):
    """Waits until the main window's latest state satisfies `predicate`."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        st = s.state()
        if st is not None and predicate(st):
            return st
        if s.proc.poll() is not None:
            raise TestFailure("corvan ended while waiting for %s:\n%s" % (what, s.output()))
        time.sleep(0.1)
    raise TestFailure("timed out waiting for %s\n%s" % (what, s.output()[-2000:]))


def push(s, x_inch, y_inch):
    answer = s.sim("hand %d %d" % (round(x_inch * 1000), round(y_inch * 1000)))
    if not answer.startswith("ok"):
        raise TestFailure("pushing the carriage: " + answer)


def set_up_area(s):
    st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup" and l["mask"] == 3,
                    what="the extents setup screen of a first start")
    x, y, w, h = st["widgets"]["drawingArea"]
    add = (x + w - 3 * BUTTON - 16 + BUTTON // 2, y + h - BUTTON // 2)
    time.sleep(0.5)
    save_screen(s, "extents-setup.png")

    # The back-left corner, wherever the head stands, becomes the home.
    push(s, 7.5, 3.25)
    s.tap(*add)
    push(s, TABLE[0], 0)
    s.tap(*add)
    push(s, TABLE[0], TABLE[1])
    s.tap(*add)
    message = s.message(what="the table size")
    check(message["text"] == "TABLE WIDTH = %.3f IN.\nTABLE HEIGHT = %.3f IN." % TABLE,
          "table size shown: %r" % message["text"])
    s.tap_response(message)
    s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == NORMAL_MASK,
               what="the pattern view once the area is set")
    journal = " ".join(s.journal())
    corners = "HandOver SetHome GetXY -> %d 0 GetXY -> %d %d ClearExtents SetExtents" % (
        TABLE[0] * 1000, TABLE[0] * 1000, TABLE[1] * 1000)
    check(corners in journal,
          "home at the first corner, area at the third: " + journal)


def add_pattern(s):
    items = s.open_menu("home", "the home menu")
    s.choose("Add Pattern", items)
    st = s.wait_for(lambda l: l.get("screen") == "PatternSelect" and l["rows"],
                    what="the pattern select screen")
    folder = PATTERN.split("/")[0]
    s.tap_rect(st["rows"][folder])
    st = s.wait_for(lambda l: PATTERN in l["rows"], event="select", what="the folder opened")
    s.tap_rect(st["rows"][PATTERN])
    st = wait_for_state(s, lambda l: l["widgets"]["selectButton"] is not None and
                        l["widgets"]["selectButton"]["sensitive"], 20, "the preview")
    s.tap_rect(st["widgets"]["selectButton"]["rect"])
    return wait_for_state(s, lambda l: l["screen"] == "PatternView" and l["mask"] == NORMAL_MASK,
                          20, "the pattern view with the pattern placed")


def stitch(s, st):
    # The quilter leaves the head near the back-left corner of the quilt and switches
    # stitching on (without it the run only travels the path).
    push(s, 1, 1)
    s.tap_rect(st["toolbar"]["Stitching"]["rect"])
    time.sleep(0.3)
    journal_from = len(s.journal())
    s.tap_rect(st["toolbar"]["Start"]["rect"])
    question = s.message(what="the start question")
    check(question["text"] == START_QUESTION, "start question: %r" % question["text"])
    s.tap_response(question)
    bobbin = s.message(timeout=60, what="the bobbin question")
    check(bobbin["text"] == BOBBIN, "bobbin question: %r" % bobbin["text"])
    s.tap_response(bobbin)
    st = wait_for_state(s, lambda l: l["screen"] == "StitchingView", 30, "the stitching view")
    check(st["toolbar"]["Stitching"]["active"], "the run stitches")
    check(st["mask"] == STITCHING_MASK, "the stored mask is the run's: %#x" % st["mask"])
    time.sleep(1.0)
    save_screen(s, "stitching-run.png")
    wait_for_state(s, lambda l: l["screen"] == "PatternView" and l["mask"] == NORMAL_MASK,
                   100, "the run to end and the program to be idle")
    state = json.loads(s.sim("state"))
    check(not state["moving"] and state["queued"] == 0, "carriage at rest: %s" % state)
    check(not state["stitching"], "stitching switched off at the end")
    return s.journal()[journal_from:]


def stop_run(s, st):
    """Starts the pattern again and stops it with Stop once the stitching view shows."""
    s.tap_rect(st["toolbar"]["Start"]["rect"])
    s.tap_response(s.message(what="the start question"))
    s.tap_response(s.message(timeout=60, what="the bobbin question"))
    st = wait_for_state(s, lambda l: l["screen"] == "StitchingView", 30, "the stitching view")
    check(st["mask"] == STITCHING_MASK, "mask during the second run: %#x" % st["mask"])
    s.tap_rect(st["toolbar"]["Stop"]["rect"])
    st = wait_for_state(s, lambda l: l["screen"] == "PatternView", 30, "the pattern view after Stop")
    check(st["mask"] == NORMAL_MASK, "mask after Stop: %#x" % st["mask"])


def compare(journal, stitched):
    pattern = placed_pattern()

    # Every point of the pattern stitched, in order, and nothing stitched elsewhere.
    vertices = [tuple(v) for line in stitched["stitched"] for v in line]
    check(in_order(pattern, vertices),
          "the carriage stitched the pattern's points in order (%d vertices)" % len(vertices))
    strays = [v for v in vertices if not any(near(v, p) for p in pattern)]
    check(not strays, "stitched only through pattern points: %s" % strays[:5])

    # Every point sent once, but for the lock stitches of the tie-in and tie-off (back and
    # forth between the first two and the last two points) and the last point, which ends
    # the path a second time. This pattern closes on its first point.
    moves = []
    for line in journal:
        m = re.match(r"Move (-?\d+) (-?\d+) ", line)
        if m:
            moves.append((int(m.group(1)) / 100.0, int(m.group(2)) / 100.0))
    by_design = [pattern[0], pattern[1], pattern[-2], pattern[-1]]
    sent = [p for p in moves if any(near(p, q) for q in pattern)]
    check(in_order(pattern, sent), "the moves sent cover the pattern in order")
    for p in pattern[2:-2]:
        n = sum(1 for q in moves if near(p, q))
        if not check(n == 1, "point %s sent %d times" % (p, n)):
            break
    repeats = [p for p in by_design if sum(1 for q in moves if near(p, q)) < 2]
    check(not repeats, "tie-in and tie-off repeat the ends: %s" % repeats)


def whole_job():
    with Session(CORVAN, SOURCE, sim_options=["--time-scale", "5"]) as s:
        set_up_area(s)
        st = add_pattern(s)
        journal = stitch(s, st)
        compare(journal, json.loads(s.sim("stitched")))
        stop_run(s, s.state())


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        whole_job()
    except TestFailure as e:
        check(False, "whole job: %s" % e)
    return checks.exit_code()


sys.exit(main())
