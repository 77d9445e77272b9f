"""The main window under Xvfb: the mask at start-up, the menus each setting shows, and the
way to the pattern select screen."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure, settings_file  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check


def enabled(state):
    on = {k for k, v in state["menu"].items() if v["sensitive"]}
    on |= {k for k, v in state["toolbar"].items() if v and v["sensitive"]}
    return on


def start_up_mask():
    with Session(CORVAN, SOURCE, advanced=True) as s:
        st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup" and l["mask"] == 3,
                        what="the extents setup screen with mask 3")
        on = enabled(st)
        # Of the items the mask reaches, exactly the three ways to get started; the
        # Stitching toggle is never masked.
        for label in ("Pattern View", "Add Pattern", "Open Layout", "Stitching"):
            check(label in on, "%s usable at start-up" % label)
        for label in ("Start", "Stop", "Lock X", "Lock Y", "New Layout", "File Manager",
                      "Free Motion", "Setup", "Set Quilt Area", "Pattern Box", "Demo", "Undo",
                      "Move All", "Zoom All", "Save Layout"):
            check(label not in on, "%s not usable at start-up" % label)
        # The disabled toolbar looks disabled: the Start picture loses its green.
        shot = s.screenshot()
        x, y, w, h = st["toolbar"]["Start"]["rect"]
        check(shot.count((46, 158, 68), (x, y, w, h), tolerance=30) == 0,
              "Start is drawn greyed out")

        # The home menu, advanced items included; a disabled item does nothing.
        items = s.open_menu("home", "the home menu")
        check(list(items) == ["Pattern View", "Add Pattern", "New Layout", "Open Layout",
                              "File Manager", "Free Motion", "Setup", "Set Quilt Area",
                              "Pattern Box", "Demo"], "home menu in order: %s" % list(items))
        check(not items["Setup"]["sensitive"], "Setup greyed in the menu")
        s.tap_rect(items["Setup"]["rect"])
        s.xdotool("key", "Escape")
        check(s.state()["screen"] == "ExtentsSetup", "a disabled item leaves the screen")

        # Pattern View with no quilting area goes back to the area's setup.
        items = s.open_menu("home", "the home menu")
        s.choose("Pattern View", items)
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="fall-back screen")
        check("Extents == NULL" in s.output(), "fall-back announced on the console")
        # The setup screen lets go of the carriage: hand-over byte after both motors.
        journal = " ".join(s.journal())
        check("DisableX DisableY HandOver" in journal, "motors released: " + journal)


def advanced_items_hidden():
    with Session(CORVAN, SOURCE, advanced=False) as s:
        st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        check(st["widgets"]["view"] is not None, "view menu shown")
        for label in ("New Layout", "Open Layout", "Save Layout", "Save Layout As",
                      "Create Setpoint", "Restore Setpoint", "Camera", "Save", "Delete",
                      "Draw", "Zoom", "Measure"):
            check(not st["menu"][label]["visible"], "%s hidden without advanced features" % label)
        for label in ("Pattern View", "Add Pattern", "Move All", "AutoCenter", "Nest", "Undo",
                      "Zoom All", "Pan"):
            check(st["menu"][label]["visible"], "%s shown" % label)
        items = s.open_menu("home", "the home menu")
        check("Open Layout" not in items and "Add Pattern" in items,
              "home menu without advanced items: %s" % list(items))
        # Small icon style: no Stitch On/Off, Needle Up or Edit button.
        for label in ("Edit", "Stitch On/Off", "Needle Up"):
            check(st["toolbar"][label] is None, "no %s button in the small style" % label)


def on_screen(rects, width=320, height=240):
    return all(r is not None and r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= width and
               r[1] + r[3] <= height for r in rects)


def large_style_buttons():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(2, 17), (18, 17), (18, 3), (2, 3)]],
                   patterns=[("square", [(0, 0), (2, 0), (2, 2), (0, 0)], [0])],
                   placements=[(0, 0, 2.0, 2.0)])
    with Session(CORVAN, SOURCE, icon_style=1, files={"Layout/quilt.qlf": quilt},
                 settings=settings_file(advanced=1, stitch_buttons=1)) as s:
        st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        for label in ("Edit", "Stitch On/Off", "Needle Up"):
            check(st["toolbar"][label] is not None, "%s exists in the large style" % label)
        check(st["toolbar"]["Stitch On/Off"]["visible"] and st["toolbar"]["Needle Up"]["visible"],
              "stitch buttons shown when switched on with advanced features")
        check(not st["toolbar"]["Edit"]["sensitive"], "Edit follows Start's bit")

        # The menu row on the 320 x 40 screen row, nothing under anything else; the buttons
        # without room there are in the toolbar's overflow menu, Edit too.
        st = s.open_layout("quilt.qlf")
        row = sorted([st["widgets"][k] for k in ("home", "edit", "view", "stitch")] +
                     [b["rect"] for b in st["toolbar"].values() if b["rect"]])
        check(on_screen(row, height=40) and all(a[0] + a[2] <= b[0] for a, b in zip(row, row[1:]))
              and st["toolbar"]["Start"]["rect"], "menu row side by side on the screen: %s" % row)
        s.tap(317, 20)
        items = s.wait_for(lambda l: "Edit" in l["items"], event="menu",
                           what="the overflow menu")["items"]
        names = {"Lock X": "H", "Lock Y": "V"}
        missing = [k for k, b in st["toolbar"].items()
                   if not b["rect"] and names.get(k, k) not in items]
        check(not missing and on_screen(i["rect"] for i in items.values()),
              "overflow menu on screen, holding %s (missing %s)" % (sorted(items), missing))
        # Its Edit opens the pattern menu, two columns that lie whole on the screen.
        s.choose("Edit", items)
        items = s.wait_for(lambda l: "Properties" in l["items"], event="menu",
                           what="the pattern menu")["items"]
        check(len(items) == 12 and on_screen(i["rect"] for i in items.values()),
              "pattern menu on the screen: %s" % items)
        s.xdotool("key", "Escape")

        # The Updates page: every button on the screen with its whole label.
        check(s.activate("Setup"), "Setup chosen")
        s._until(lambda: [l for l in s.probes() if l.get("event") == "updates"], 20, "Updates")
        page = [l for l in s.probes() if l.get("event") == "updates"][-1]["widgets"]
        check(len(page) == 6 and on_screen(b["rect"] for b in page.values()) and
              all(b["textFits"] for b in page.values()), "Updates page fits: %s" % page)


def pattern_select_screen():
    with Session(CORVAN, SOURCE, advanced=True) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        items = s.open_menu("home", "the home menu")
        s.choose("Add Pattern", items)
        st = s.wait_for(lambda l: l.get("screen") == "PatternSelect" and
                        l["rows"] and l["mask"] == 0x34000BF, what="the pattern select screen")
        check(list(st["rows"]) == ["Borders", "Feathers", "Meanders", "Stars", "heart.qcc"],
              "pattern tree, folders first: %s" % list(st["rows"]))
        check(not st["widgets"]["selectButton"]["sensitive"], "Select disabled before a preview")
        check(not st["widgets"]["repeatButton"]["sensitive"], "Repeat disabled with no layout")
        s.tap_rect(st["rows"]["Stars"])
        st = s.wait_for(lambda l: "Stars/star.qcc" in l["rows"], event="select",
                        what="the folder opened")
        check(list(st["rows"]) == ["Borders", "Feathers", "Meanders", "Stars",
                                   "Stars/pentagram.qcc", "Stars/star.qcc",
                                   "Stars/twin_stars.qcc", "heart.qcc"], "folder expanded")
        journal = " ".join(s.journal())
        check(journal.endswith("DisableX DisableY"), "Add Pattern frees both motors: " + journal)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    for test in (start_up_mask, advanced_items_hidden, large_style_buttons,
                 pattern_select_screen):
        try:
            test()
        except TestFailure as e:
            check(False, "%s: %s" % (test.__name__, e))
    return checks.exit_code()


sys.exit(main())
