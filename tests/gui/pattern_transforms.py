"""On the real window: the pop-up menu's quarter turn (opened by a long press), Edit > AutoCenter,
the pop-up's Remove, and a pattern added to a turned box. The layout is read back with
corvan-tool from a setpoint, which saves the whole layout as Save Layout does."""
import os
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure, settings_file  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
TOOL = os.path.join(os.path.dirname(os.path.abspath(CORVAN)), "corvan-tool")
checks = Checks()
check = checks.check

BAR = [(0, 0), (2, 0), (2, 1), (0, 1)]


def quilt():
    data = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                  boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                  patterns=[("bar", BAR, [])],
                  placements=[(0, 0, 3.0, 4.0)])
    # The box as a layout file may store it: turned by 90 degrees.
    plain = b"\x04" + struct.pack("<5f", 5, 5, 20, 12, 0.0)
    assert data.count(plain) == 1
    return data.replace(plain, b"\x04" + struct.pack("<5f", 5, 5, 20, 12, 90.0))


def popup_item(s, *path):
    """Opens the pattern pop-up menu by a long press on the view and follows the labels."""
    x, y, w, h = s.state()["widgets"]["drawingArea"]
    s.press(x + w // 2, y + h // 2, until=lambda l: l.get("event") == "view" and
            l["menuReady"] == 1, what="the armed long press")
    items = s.wait_for(lambda l: "Rotate" in l["items"], event="menu", what="the pop-up")["items"]
    for label in path[:-1]:
        s.choose(label, items)
        items = s.wait_for(lambda l: path[-1] in l["items"], event="menu",
                           what="the %s submenu" % label)["items"]
    s.choose(path[-1], items)


def menu_with(s, top, label):
    """Opens a menu of the bar and returns its items once one showing `label` is on screen."""
    s.tap_rect(s.state()["widgets"][top])
    return s.wait_for(lambda l: label in l["items"], event="menu", what="the %s menu" % top)["items"]


def saved_layout(s):
    """The layout as `corvan-tool layout show` reads it from a fresh setpoint."""
    target = os.path.join(s.run, "sysroot", "tmp", "setPoint.qlf")
    if os.path.exists(target):
        os.remove(target)
    s.choose("Create Setpoint", menu_with(s, "edit", "Create Setpoint"))
    s._until(lambda: os.path.exists(target), 20, "the setpoint file")
    out = subprocess.run([TOOL, "layout", "show", target], capture_output=True, text=True,
                         timeout=30)
    check(out.returncode == 0, "layout show reads the setpoint: " + out.stderr)
    return out.stdout


def turn_centre_remove_and_add():
    files = {"Layout/quilt.qlf": quilt(),
             "patterns/bar.qcc": "n bar\n" + "".join("p X%d Y%d\n" % p for p in BAR)}
    with Session(CORVAN, SOURCE, settings=settings_file(advanced=1),
                 files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.open_layout("quilt.qlf")

        popup_item(s, "Rotate", "90 Degrees CW")
        s.choose("AutoCenter", menu_with(s, "edit", "AutoCenter"))
        shown = saved_layout(s)
        check("1.000 x 2.000 inches, rotation 0" in shown, "turned to 1 x 2:\n" + shown)
        check("at 9.500, 5.000" in shown, "centred in the box:\n" + shown)

        popup_item(s, "Remove")
        s.answer_message()  # Yes
        shown = saved_layout(s)
        check("placements: 0" in shown, "none left:\n" + shown)

        s.choose("Add Pattern", menu_with(s, "home", "Add Pattern"))
        st = s.wait_for(lambda l: l.get("screen") == "PatternSelect" and "bar.qcc" in l["rows"],
                        what="pattern select")
        s.tap_rect(st["rows"]["bar.qcc"])
        st = s.wait_for(lambda l: l["widgets"]["selectButton"]["sensitive"], event="select",
                        what="the bar's preview")
        s.tap_rect(st["widgets"]["selectButton"]["rect"])
        s.wait_for(lambda l: l.get("screen") == "PatternView", what="back on the pattern view")
        shown = saved_layout(s)
        check("1.000 x 2.000 inches, rotation 90" in shown,
              "added to the turned box, turned with it:\n" + shown)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        turn_centre_remove_and_add()
    except TestFailure as e:
        check(False, "turn_centre_remove_and_add: %s" % e)
    return checks.exit_code()


sys.exit(main())
