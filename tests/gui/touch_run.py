"""The speed arrows of the stitching view in a run paced in real time against mc1sim: up,
then down, tapped where drawn, reach the controller, the view and record 3 of defaults.mrv;
a long press opens no menu; every point of the pattern is still sent once."""
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


def speed_arrows_in_a_run():
    with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
        points, starts = read_points(f.read())
    quilt = layout(extents=[(0, 0), (30, 0), (30, 20), (0, 20)],
                   boxes=[[(2, 17), (28, 17), (28, 3), (2, 3)]],
                   patterns=[("star", points, starts)], placements=[(0, 0, 1.0, 1.0)])
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt},
                 sim_options=["--time-scale", "0.5"]) as s:
        def stored_speed():
            with open(os.path.join(s.run, "defaults.mrv"), "rb") as f:
                return struct.unpack("<i", f.read()[12:16])[0]

        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        st = s.open_layout("quilt.qlf")
        s.tap_rect(st["toolbar"]["Start"]["rect"])
        s.tap_response(s.message(what="the start question"))
        s.tap_response(s.message(timeout=60, what="the bobbin question"))
        x, y, w, h = s.wait_for(lambda l: l.get("screen") == "StitchingView",
                                what="the stitching view")["widgets"]["drawingArea"]

        s.press(x + w // 2, y + h // 2, hold=1.2)
        line = s.released("the long press during the run")
        check(line["command"] == 10 and not line["popup"] and line["menuReady"] == 0,
              "no pop-up during a run: %s" % line)
        arrows = line["targets"]
        for arrow, speed in (("speedUp", 50), ("speedDown", 40)):
            s.tap_rect(arrows[arrow])
            line = s.released(arrow)
            check(line["maxSpeed"] == speed and stored_speed() == speed,
                  "%s: view %s, record 3 %s" % (arrow, line["maxSpeed"], stored_speed()))

        s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF,
                   timeout=120, what="the end of the run")
        journal = s.journal()
        speeds = [l for l in journal if l.startswith("SetSpeed")]
        fifty = speeds.index("SetSpeed 50") if "SetSpeed 50" in speeds else len(speeds)
        check("SetSpeed 40" in speeds[fifty + 1:], "SetSpeed 50, then 40: %s" % speeds)

        # Every point sent once, but the ends, which the tie-in and tie-off repeat.
        min_x, min_y = min(p[0] for p in points), min(p[1] for p in points)
        moves = [(int(m.group(1)) / 100.0, int(m.group(2)) / 100.0) for m in
                 (re.match(r"Move (-?\d+) (-?\d+) ", l) for l in journal) if m]
        for px, py in points[2:-2]:
            p = ((px - min_x + 3) * 1000, (py - min_y + 4) * 1000)  # box (2, 3) + (1, 1)
            n = sum(1 for q in moves if abs(p[0] - q[0]) <= 1 and abs(p[1] - q[1]) <= 1)
            if not check(n == 1, "point %s sent %d times; errors: %s" % (
                    p, n, [l for l in s.output().splitlines() if "ERROR" in l])):
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
