"""A layout opened from the Layout folder and drawn on the pattern view; a pattern added to it
from the pattern select screen; the masks of both states."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout, read_points  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

RED, BLACK, BACKGROUND = (255, 0, 0), (0, 0, 0), (0xCC, 0xFF, 0xFF)


def quilt():
    with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
        star = read_points(f.read())
    return layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                  boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                  patterns=[("star", star[0], star[1])],
                  placements=[(0, 0, 2.0, 2.0), (0, 0, 10.0, 4.0)])


def open_layout(s):
    items = s.open_menu("home", "the home menu")
    s.choose("Open Layout", items)
    chooser = s.wait_for(lambda l: "quilt.qlf" in l["rows"], event="chooser",
                         what="the layout chooser")
    check(list(chooser["rows"]) == ["quilt.qlf"], "only layout files listed: %s" %
          list(chooser["rows"]))
    s.tap_rect(chooser["rows"]["quilt.qlf"])
    s.tap_rect(chooser["ok"]["rect"])


def layout_on_the_pattern_view():
    files = {"Layout/quilt.qlf": quilt(), "Layout/notes.txt": "not a layout"}
    with Session(CORVAN, SOURCE, advanced=True, files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        open_layout(s)
        # Whatever the load asks, then the home position.
        st = None
        for _ in range(3):
            s.answer_message()
            st = s.state()
            if st["screen"] == "PatternView" and st["mask"] == 0x37FFFFF:
                break
        st = s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF,
                        what="the pattern view with the normal mask") if (
            st is None or st["screen"] != "PatternView") else st
        check(st["toolbar"]["Start"]["sensitive"], "Start usable on a loaded layout")
        check(not st["toolbar"]["Stop"]["sensitive"], "Stop not usable while idle")
        check(st["toolbar"]["Lock X"]["sensitive"] and st["toolbar"]["Lock Y"]["sensitive"],
              "locks usable")
        check(st["menu"]["Move All"]["sensitive"], "edit items usable")
        check(not st["menu"]["Undo"]["sensitive"], "nothing to undo right after loading")
        check("SetHome" in s.journal(), "home position set after the message")

        shot = s.screenshot(os.environ.get("CORVAN_SHOT_PATTERN_VIEW"))
        area = st["widgets"]["drawingArea"]
        reds, blacks = shot.count(RED, area), shot.count(BLACK, area)
        background = shot.count(BACKGROUND, area)
        check(reds > 60, "box outline drawn in red (%d pixels)" % reds)
        check(blacks > 100, "pattern lines drawn in black (%d pixels)" % blacks)
        check(background > area[2] * area[3] // 2,
              "background #CCFFFF (%d of %d pixels)" % (background, area[2] * area[3]))
        # The outline runs round the box: red on its left and right edges alike.
        x, y, w, h = area
        left = shot.count(RED, (x, y, w // 3, h))
        right = shot.count(RED, (x + 2 * w // 3, y, w - 2 * w // 3, h))
        check(left > 10 and right > 10, "outline on both sides (%d, %d)" % (left, right))

        # A pattern added from the pattern select screen joins the layout.
        items = s.open_menu("home", "the home menu")
        s.choose("Add Pattern", items)
        st = s.wait_for(lambda l: l.get("screen") == "PatternSelect" and l["rows"] and
                        l["mask"] == 0x30000FF, what="pattern select with a box")
        check(st["widgets"]["repeatButton"]["sensitive"], "Repeat usable with a layout")
        s.tap_rect(st["rows"]["heart.qcc"])
        st = s.wait_for(lambda l: l["widgets"]["selectButton"]["sensitive"], event="select",
                        what="the heart's preview")
        check(st["patternName"] == "heart.qcc", "name shown: %r" % st["patternName"])
        shot = s.screenshot(os.environ.get("CORVAN_SHOT_PATTERN_SELECT"))
        preview = [r for r in [st["widgets"]["drawingArea"]] if r]
        check(preview and shot.count(BLACK, preview[0]) > 30, "preview drawn")
        s.tap_rect(st["widgets"]["selectButton"]["rect"])
        s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF,
                   what="back on the pattern view")
        check("Extents is not NULL" in s.output(), "pattern placed")


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    if not os.path.exists(os.path.join(SOURCE, "patterns", "layout_file.h")):
        print("layout files are not part of this build: Open Layout is inert")
        return 77
    for test in (layout_on_the_pattern_view,):
        try:
            test()
        except TestFailure as e:
            check(False, "%s: %s" % (test.__name__, e))
    return checks.exit_code()


sys.exit(main())
