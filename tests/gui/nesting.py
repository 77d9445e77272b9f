"""On the real window against mc1sim: Edit > Nest. The four marks are pushed to by hand between
the messages (only while both axes are free), the fine-tune dialog NESTING follows a hand push
of +250/-100 thou and a tap on its bottom row is OK; Start then leads the machine to the
pattern's first point in the box as nesting moved it."""
import json
import os
import re
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check
MARKS = {"LOWER LEFT CORNER": (1000, 2000), "LOWER RIGHT CORNER": (31000, 2000),
         "FIRST MARK": (1500, 14000), "SECOND MARK": (31500, 14000)}


def nest_and_start():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 40), (0, 40)],
                   boxes=[[(0, 8), (10, 8), (10, 0), (0, 0)]],
                   patterns=[("rect", [(0, 0), (4, 0), (4, 2), (0, 2)], [])],
                   placements=[(0, 0, 0.0, 0.0)])
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt},
                 sim_options=["--time-scale", "20"]) as s:
        def until(fn, what):
            found = []
            s._until(lambda: found.append(fn()) or found[-1], 10, what)
            return found[-1]

        def free():
            st = json.loads(s.sim("state"))
            return st["x_driven"] is False and st["y_driven"] is False

        def red_corner(rect):
            shot, (x0, y0, w, h) = s.screenshot(), rect
            return next(((x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)
                         if shot.pixel(x, y) == (255, 0, 0)), None)

        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.open_layout("quilt.qlf")
        s.tap_rect(s.state()["widgets"]["edit"])
        s.choose("Nest", s.wait_for(lambda l: "Nest" in l["items"], event="menu",
                                    what="the edit menu")["items"])
        for n in range(7):
            msg = s.message(what="question %d of Nest" % (n + 1))
            mark = next((at for words, at in MARKS.items() if words in msg["text"]), None)
            if mark:
                until(free, "both axes free at %r" % msg["text"])
                check(s.sim("hand %d %d" % mark).startswith("ok"), "hand at %r" % msg["text"])
            s.tap_response(msg)

        point = s.wait_for(lambda l: True, event="pointDialog", what="the position dialog")
        check(free(), "the position dialog freed the head")
        s.tap(point["rect"][0] + point["rect"][2] // 2, point["rect"][1] + point["rect"][3] - 5)

        nest = s.wait_for(lambda l: True, event="nestDialog", what="NESTING")
        until(free, "both axes free for the fine-tune")
        first = until(lambda: red_corner(nest["rect"]), "the box outline in NESTING")
        st = json.loads(s.sim("state"))
        check(s.sim("hand %d %d" % (st["x"] + 250, st["y"] - 100)).startswith("ok"), "push")
        moved = (first[0] + round(0.25 / nest["scale"]), first[1] - round(0.1 / nest["scale"]))
        until(lambda: (lambda c: c and abs(c[0] - moved[0]) <= 1 and abs(c[1] - moved[1]) <= 1)(
            red_corner(nest["rect"])), "the outline following the machine to %s" % (moved,))
        x, y, w, h = nest["rect"]
        s.tap(x + w // 2, y + h - 5)
        until(lambda: "Dialog received response: 0xFB ( -5 )" in s.output(), "NESTING's OK")

        s.tap_rect(s.state()["toolbar"]["Start"]["rect"])
        s.tap_response(s.message(what="the start question"))
        s.tap_response(s.message(timeout=60, what="the bobbin question"))
        moves = [(int(m.group(1)) / 100.0, int(m.group(2)) / 100.0) for m in
                 (re.match(r"Move (-?\d+) (-?\d+) ", l) for l in s.journal()) if m]
        at = [i for i, m in enumerate(moves) if abs(m[0] - 750) <= 1 and abs(m[1] - 19900) <= 1]
        on = [i for i, m in enumerate(moves) if abs(m[0] - 4750) <= 1 and abs(m[1] - 19900) <= 1]
        check(at and (not on or at[0] < on[0]),
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
