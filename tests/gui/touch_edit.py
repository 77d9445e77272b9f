"""Touch gestures on the pattern view of the real window (gtk-touchscreen-mode on), two
pattern boxes: the long press that opens the pop-up menu and the drift that cancels it,
flicks that page, a slow drag that pans, and the pop-up's Move with the direction pad."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout, read_points  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check
INCREMENT = 0.1  # moveIncrement of the first-start settings


def gestures():
    with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
        points, starts = read_points(f.read())
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(2, 17), (18, 17), (18, 3), (2, 3)],
                          [(22, 17), (38, 17), (38, 3), (22, 3)]],
                   patterns=[("star", points, starts)],
                   placements=[(0, 0, 2.0, 2.0), (0, 0, 9.0, 6.0), (1, 0, 3.0, 3.0)])
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt}) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        x, y, w, h = s.open_layout("quilt.qlf")["widgets"]["drawingArea"]
        mx, my = x + w // 2, y + h // 2

        s.press(mx - 60, my, hold=1.2, drift=(40, 0))
        line = s.released("the drifted press")
        check(not line["popup"] and line["menuReady"] == 0 and line["command"] == -1,
              "a press drifting 40 pixels arms nothing: %s" % line)

        # Held still it arms (the start mark); the release opens the pattern menu.
        armed = s.press(mx - 60, my, until=lambda l: l.get("event") == "view" and
                        l["menuReady"] == 1, what="the armed long press")
        items = s.wait_for(lambda l: True, event="menu", what="the pop-up menu")["items"]
        check("Move" in items and "Remove" in items, "pattern menu: %s" % sorted(items))

        # Move, and the pad's right arrow: only the selected placement moves, by the step.
        s.choose("Move", items)
        mode = s.wait_for(lambda l: l["why"] == "mode", event="view", what="move mode")
        check(mode["command"] == 9 and mode["status"] == "Drag Pattern or Use Increment Buttons",
              "move mode: %s %r" % (mode["command"], mode["status"]))
        s.tap_rect(mode["targets"]["padRight"])
        before, after = armed["placements"], s.released("the right arrow")["placements"]
        moved = [(b, a) for b, a in zip(before, after) if b != a]
        check(len(moved) == 1 and abs(moved[0][1][0] - moved[0][0][0] - INCREMENT) < 1e-4 and
              moved[0][1][1] == moved[0][0][1], "one placement moved right: %s -> %s" %
              (before, after))
        s.tap_rect(mode["targets"]["padOk"])
        line = s.released("the check mark")
        check(line["command"] == -1 and line["targets"]["padOk"] is None, "check mark ends it")

        s.drag(mx + 60, my, mx - 60, my)
        line = s.released("the flick left")
        check(line["currentBox"] == 1 and line["targets"]["pagePrevious"] is not None,
              "a fast drag left pages on: %s" % line["currentBox"])
        s.drag(mx - 60, my, mx + 60, my)
        check(s.released("the flick right")["currentBox"] == 0, "a fast drag right pages back")

        s.choose("Pan", s.open_menu("view", "the view menu"))
        mode = s.wait_for(lambda l: l["why"] == "mode", event="view", what="pan mode")
        check(mode["command"] == 1 and mode["status"] == "Drag To Pan", "pan mode")
        s.drag(mx - 40, my - 20, mx + 20, my + 10, seconds=1.5, steps=12)
        line = s.released("the pan")
        check((line["panX"] - mode["panX"], line["panY"] - mode["panY"]) == (60, 30) and
              line["currentBox"] == 0, "a slow drag pans by its length, pages nothing: %s" % line)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        gestures()
    except TestFailure as e:
        check(False, "gestures: %s" % e)
    return checks.exit_code()


sys.exit(main())
