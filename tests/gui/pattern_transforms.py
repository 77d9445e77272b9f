"""Edit > AutoCenter and a pattern added to a turned box, on the real window; the layout is read
back from a setpoint with corvan-tool. (The pop-up menu's items are driven in
tests/gui_unit: on a 320-pixel screen its toolbar button lies beyond the edge.)"""
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


def open_layout(s):
    s.choose("Open Layout", menu_with(s, "home", "Open Layout"))
    chooser = s.wait_for(lambda l: "quilt.qlf" in l["rows"], event="chooser",
                         what="the layout chooser")
    s.tap_rect(chooser["rows"]["quilt.qlf"])
    s.tap_rect(chooser["ok"]["rect"])
    for _ in range(3):
        st = s.state()
        if st["screen"] == "PatternView" and st["mask"] == 0x37FFFFF:
            return st
        s.answer_message()
    return s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == 0x37FFFFF,
                      what="the pattern view with the normal mask")


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


def centre_and_add_to_a_turned_box():
    files = {"Layout/quilt.qlf": quilt(),
             "patterns/bar.qcc": "n bar\n" + "".join("p X%d Y%d\n" % p for p in BAR)}
    with Session(CORVAN, SOURCE, settings=settings_file(advanced=1),
                 files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        open_layout(s)

        s.choose("AutoCenter", menu_with(s, "edit", "AutoCenter"))
        shown = saved_layout(s)
        check("2.000 x 1.000 inches, rotation 0" in shown, "the bar as loaded:\n" + shown)
        check("at 9.000, 5.500" in shown, "centred in the box:\n" + shown)

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
        centre_and_add_to_a_turned_box()
    except TestFailure as e:
        check(False, "centre_and_add_to_a_turned_box: %s" % e)
    return checks.exit_code()


sys.exit(main())
