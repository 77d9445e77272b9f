"""The speed arrows of the stitching view during a run against mc1sim, paced in real time:
the up arrow and then the down arrow, tapped where they are drawn, reach the controller as
"SetSpeed 50" and "SetSpeed 40", the view and record 3 of defaults.mrv follow, a long press
opens no menu, and the run still sends every point of the pattern once."""
import os
import re
import shutil
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout, read_points  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check
NORMAL_MASK = 0x37FFFFF
START_QUESTION = "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START."


def star():
    with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
        return read_points(f.read())


def quilt(points):
    return layout(extents=[(0, 0), (30, 0), (30, 20), (0, 20)],
                  boxes=[[(2, 17), (28, 17), (28, 3), (2, 3)]],
                  patterns=[("star", points[0], points[1])],
                  placements=[(0, 0, 1.0, 1.0)])


def stored_speed(s):
    with open(os.path.join(s.run, "defaults.mrv"), "rb") as f:
        data = f.read()
    return struct.unpack("<i", data[12:16])[0] if len(data) >= 16 else None


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def released(s, what):
    return s.wait_for(lambda l: l["why"] == "release", event="view", what=what)


def open_layout(s):
    s.choose("Open Layout", s.open_menu("home", "the home menu"))
    chooser = s.wait_for(lambda l: "quilt.qlf" in l["rows"], event="chooser",
                         what="the layout chooser")
    s.tap_rect(chooser["rows"]["quilt.qlf"])
    s.tap_rect(chooser["ok"]["rect"])
    for _ in range(3):
        s.answer_message()
        st = s.state()
        if st["screen"] == "PatternView" and st["mask"] == NORMAL_MASK:
            s.new_probes()  # the load's messages are answered
            return st
    return s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == NORMAL_MASK,
                      what="the pattern view")


def speed_arrows_in_a_run():
    points = star()
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt(points)},
                 sim_options=["--time-scale", "0.5"]) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        st = open_layout(s)
        s.tap_rect(st["toolbar"]["Start"]["rect"])
        question = s.message(what="the start question")
        check(question["text"] == START_QUESTION, "start question: %r" % question["text"])
        s.tap_response(question)
        s.tap_response(s.message(timeout=60, what="the bobbin question"))
        st = s.wait_for(lambda l: l.get("screen") == "StitchingView", what="the stitching view")
        area = st["widgets"]["drawingArea"]

        # A long press in the middle: a run offers no pattern menu.
        s.press(*centre(area), hold=1.2)
        line = released(s, "the long press during the run")
        check(line["command"] == 10, "in the run: %s" % line["command"])
        check(not line["popup"] and line["menuReady"] == 0, "no pop-up during a run")
        arrows = line["targets"]
        check(arrows["speedUp"] and arrows["speedDown"], "speed arrows drawn: %s" % arrows)

        s.tap(*centre(arrows["speedUp"]))
        line = released(s, "the up arrow")
        check(line["maxSpeed"] == 50, "up arrow: %s" % line["maxSpeed"])
        check(stored_speed(s) == 50, "record 3 follows: %s" % stored_speed(s))
        s.tap(*centre(arrows["speedDown"]))
        line = released(s, "the down arrow")
        check(line["maxSpeed"] == 40, "down arrow: %s" % line["maxSpeed"])
        check(stored_speed(s) == 40, "record 3 follows: %s" % stored_speed(s))

        s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == NORMAL_MASK,
                   timeout=120, what="the end of the run")
        journal = s.journal()
        speeds = [l for l in journal if l.startswith("SetSpeed")]
        fifty = speeds.index("SetSpeed 50") if "SetSpeed 50" in speeds else -1
        check(fifty >= 0 and "SetSpeed 40" in speeds[fifty + 1:],
              "SetSpeed 50 then SetSpeed 40: %s" % speeds)

        # Every point of the star sent once, but the tie-in and tie-off ends.
        min_x = min(p[0] for p in points[0])
        min_y = min(p[1] for p in points[0])
        placed = [((x - min_x + 1.0 + 2) * 1000, (y - min_y + 1.0 + 3) * 1000)
                  for x, y in points[0]]
        moves = []
        for l in journal:
            m = re.match(r"Move (-?\d+) (-?\d+) ", l)
            if m:
                moves.append((int(m.group(1)) / 100.0, int(m.group(2)) / 100.0))

        def near(a, b):
            return abs(a[0] - b[0]) <= 1.0 and abs(a[1] - b[1]) <= 1.0

        for p in placed[2:-2]:
            n = sum(1 for q in moves if near(p, q))
            if not check(n == 1, "point %s sent %d times" % (p, n)):
                at = [i for i, l in enumerate(journal) if l.startswith("Move") and
                      near(p, (int(l.split()[1]) / 100.0, int(l.split()[2]) / 100.0))]
                print("\n".join(journal[max(0, at[0] - 3):at[-1] + 4]))
                print("\n".join(l for l in s.output().splitlines() if "ERROR" in l))
                break


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        speed_arrows_in_a_run()
    except TestFailure as e:
        check(False, "speed arrows: %s" % e)
    return checks.exit_code()


sys.exit(main())
