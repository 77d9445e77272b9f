"""On the real window against mc1sim: Edit > Nest. The four marks are pushed to by hand between
the messages (only while both axes are free), the fine-tune dialog NESTING follows a hand push
of +250/-100 thou and a tap on its bottom row is OK; Start then leads the machine to the
pattern's first point in the box as nesting moved it."""
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

RECT = [(0, 0), (4, 0), (4, 2), (0, 2)]
MARKS = {"MOVE THE MACHINE TO THE LOWER LEFT CORNER OF YOUR QUILTING AREA.": (1000, 2000),
         "MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA.": (31000, 2000),
         "MOVE THE MACHINE TO YOUR FIRST MARK.": (1500, 14000),
         "MOVE THE MACHINE TO YOUR SECOND MARK.": (31500, 14000)}
RED = (255, 0, 0)


def until(fn, timeout, what):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = fn()
        if value:
            return value
        time.sleep(0.1)
    raise TestFailure("timed out waiting for %s" % what)


def free(s):
    st = json.loads(s.sim("state"))
    return st["x_driven"] is False and st["y_driven"] is False


def red_corner(s, rect):
    """The top left red pixel of the NESTING area (the box outline), or None."""
    shot, (x0, y0, w, h) = s.screenshot(), rect
    return next(((x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)
                 if shot.pixel(x, y) == RED), None)


def nest_and_start():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 40), (0, 40)],
                   boxes=[[(0, 8), (10, 8), (10, 0), (0, 0)]],
                   patterns=[("rect", RECT, [])], placements=[(0, 0, 0.0, 0.0)])
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt},
                 sim_options=["--time-scale", "20"]) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.open_layout("quilt.qlf")
        s.tap_rect(s.state()["widgets"]["edit"])
        s.choose("Nest", s.wait_for(lambda l: "Nest" in l["items"], event="menu",
                                    what="the edit menu")["items"])

        seen = []
        for _ in range(7):
            msg = s.message(what="question %d of Nest" % (len(seen) + 1))
            seen.append(msg["text"])
            if msg["text"] in MARKS:
                until(lambda: free(s), 10, "both axes free at %r" % msg["text"])
                answer = s.sim("hand %d %d" % MARKS[msg["text"]])
                check(answer.startswith("ok"), "hand at %r: %s" % (msg["text"], answer))
            s.tap_response(msg)
        check(seen[4] == "YOU MAY NOW ROLL THE QUILT.", "the questions: %s" % seen)

        point = s.wait_for(lambda l: True, event="pointDialog", what="the position dialog")
        check(free(s), "the position dialog freed the head")
        s.tap(point["rect"][0] + point["rect"][2] // 2, point["rect"][1] + point["rect"][3] - 5)

        nest = s.wait_for(lambda l: True, event="nestDialog", what="NESTING")
        until(lambda: free(s), 10, "both axes free for the fine-tune")
        first = until(lambda: red_corner(s, nest["rect"]), 10, "the box outline in NESTING")
        st = json.loads(s.sim("state"))
        answer = s.sim("hand %d %d" % (st["x"] + 250, st["y"] - 100))
        check(answer.startswith("ok"), "fine-tune hand: %s" % answer)
        scale = nest["scale"]
        moved = (first[0] + round(0.25 / scale), first[1] - round(0.1 / scale))
        until(lambda: (lambda c: c and abs(c[0] - moved[0]) <= 1 and abs(c[1] - moved[1]) <= 1)(
            red_corner(s, nest["rect"])), 10, "the outline following the machine to %s" % (moved,))
        x, y, w, h = nest["rect"]
        s.tap(x + w // 2, y + h - 5)
        until(lambda: "Dialog received response: 0xFB ( -5 )" in s.output(), 10,
              "NESTING answered OK")

        s.tap_rect(s.state()["toolbar"]["Start"]["rect"])
        s.tap_response(s.message(what="the start question"))
        s.tap_response(s.message(timeout=60, what="the bobbin question"))
        moves = [(int(m.group(1)) / 100.0, int(m.group(2)) / 100.0) for m in
                 (re.match(r"Move (-?\d+) (-?\d+) ", l) for l in s.journal()) if m]
        def first_at(x, y):
            return next((i for i, m in enumerate(moves) if abs(m[0] - x) <= 1 and
                         abs(m[1] - y) <= 1), None)
        start, second = first_at(750, 19900), first_at(4750, 19900)
        check(start is not None and (second is None or start < second),
              "the lead line ends at (750, 19900) before the path goes on: %s" % moves[:8])


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        nest_and_start()
    except TestFailure as e:
        check(False, "nest: %s" % e)
    return checks.exit_code()


sys.exit(main())
