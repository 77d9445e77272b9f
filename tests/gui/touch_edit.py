"""Touch gestures on the pattern view of the real window, with two pattern boxes: the long
press that opens the pop-up menu (and the drift that cancels it), flicks that page between
the boxes, panning by a slow drag, and moving one placement with the pop-up's Move and the
direction pad, all under gtk-touchscreen-mode."""
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


def quilt():
    with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
        star = read_points(f.read())
    return layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                  boxes=[[(2, 17), (18, 17), (18, 3), (2, 3)],
                         [(22, 17), (38, 17), (38, 3), (22, 3)]],
                  patterns=[("star", star[0], star[1])],
                  placements=[(0, 0, 2.0, 2.0), (0, 0, 9.0, 6.0), (1, 0, 3.0, 3.0)])


def open_layout(s):
    s.choose("Open Layout", s.open_menu("home", "the home menu"))
    chooser = s.wait_for(lambda l: "quilt.qlf" in l["rows"], event="chooser",
                         what="the layout chooser")
    s.tap_rect(chooser["rows"]["quilt.qlf"])
    s.tap_rect(chooser["ok"]["rect"])
    for _ in range(3):
        s.answer_message()
        st = s.state()
        if st["screen"] == "PatternView" and st["mask"] == 0x37FFFFF:
            s.new_probes()  # the load's messages are answered
            return st
    return s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF,
                      what="the pattern view")


def released(s, what):
    return s.wait_for(lambda l: l["why"] == "release", event="view", what=what)


def since(s, mark, predicate, what):
    """The first probe line after the first `mark` lines that satisfies `predicate` (the
    harness's waits consume every line they read, this one reads them all again)."""
    found = []

    def seen():
        found[:] = [l for l in s.probes()[mark:] if predicate(l)]
        return bool(found)

    s._until(seen, 20, what)
    return found[0]


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def gestures():
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt()}) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        st = open_layout(s)
        ax, ay, aw, ah = st["widgets"]["drawingArea"]
        mx, my = ax + aw // 2, ay + ah // 2

        # A press that drifts 40 pixels arms nothing, however long it is held.
        s.press(mx - 60, my, hold=1.2, drift=(40, 0))
        line = released(s, "the drifted press released")
        check(not line["popup"] and line["menuReady"] == 0, "drifted press: no pop-up %s" % line)
        check(line["currentBox"] == 0 and line["command"] == -1, "nothing else changed")

        # Held still, it arms (the start mark) and the release opens the pattern menu there.
        mark = len(s.probes())
        armed = s.press(mx - 60, my, until=lambda l: l.get("event") == "view" and
                        l["menuReady"] == 1, what="the armed long press")
        check(armed["why"] == "armed", "armed while held")
        line = released(s, "the long press released")
        check(line["popup"], "the release opens the pop-up")
        items = since(s, mark, lambda l: l.get("event") == "menu", "the pop-up menu")["items"]
        check("Move" in items and "Remove" in items, "pattern menu: %s" % sorted(items))

        # Move: the pad's right arrow moves the selected placement by the increment only.
        before = line["placements"]
        s.choose("Move", items)
        mode = s.wait_for(lambda l: l["why"] == "mode", event="view", what="move mode")
        check(mode["command"] == 9 and mode["status"] == "Drag Pattern or Use Increment Buttons",
              "move mode: %s %r" % (mode["command"], mode["status"]))
        pad = mode["targets"]
        check(all(pad[k] for k in ("padLeft", "padRight", "padUp", "padDown", "padOk")),
              "direction pad drawn: %s" % pad)
        s.tap(*centre(pad["padRight"]))
        line = released(s, "the right arrow")
        after = line["placements"]
        moved = [i for i in range(len(after)) if abs(after[i][0] - before[i][0]) > 1e-4]
        check(len(moved) == 1, "one placement moved: %s -> %s" % (before, after))
        if len(moved) == 1:
            i = moved[0]
            check(abs(after[i][0] - before[i][0] - INCREMENT) < 1e-4 and
                  abs(after[i][1] - before[i][1]) < 1e-4, "moved by the increment: %s -> %s" %
                  (before[i], after[i]))
        s.tap(*centre(pad["padOk"]))
        line = released(s, "the check mark")
        check(line["command"] == -1 and line["targets"]["padOk"] is None, "check mark ends it")

        # A fast drag to the left pages to the second box, to the right back.
        s.drag(mx + 60, my, mx - 60, my)
        line = released(s, "the flick left")
        check(line["currentBox"] == 1, "flick left pages on: %s" % line["currentBox"])
        check(line["targets"]["pagePrevious"] is not None, "paging arrow back shown")
        s.drag(mx - 60, my, mx + 60, my)
        line = released(s, "the flick right")
        check(line["currentBox"] == 0, "flick right pages back: %s" % line["currentBox"])

        # Pan: a slow drag shifts the view by the distance dragged, and pages nothing.
        s.choose("Pan", s.open_menu("view", "the view menu"))
        mode = s.wait_for(lambda l: l["why"] == "mode", event="view", what="pan mode")
        check(mode["command"] == 1 and mode["status"] == "Drag To Pan", "pan mode")
        s.drag(mx - 40, my - 20, mx + 20, my + 10, seconds=1.5, steps=12)
        line = released(s, "the pan")
        check(line["panX"] - mode["panX"] == 60 and line["panY"] - mode["panY"] == 30,
              "panned by the drag: (%d, %d) -> (%d, %d)" % (mode["panX"], mode["panY"],
                                                           line["panX"], line["panY"]))
        check(line["currentBox"] == 0, "a slow drag pages nothing")


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
