"""On the real window: the pop-up's Scale dialog (lock, slider dragged and trimmed with + and -,
the preview), OK and Save Layout read back with corvan-tool; then Undo and the pop-up's
Rotate > Select by 90 degrees on the number pad, clockwise and counterclockwise; the Properties
width typed on the number pad."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
TOOL = os.path.join(os.path.dirname(os.path.abspath(CORVAN)), "corvan-tool")
checks = Checks()
check = checks.check

BAR = [(0, 0), (2, 0), (2, 1), (0, 1)]


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
    s.tap_rect(s.state()["widgets"][top])
    return s.wait_for(lambda l: label in l["items"], event="menu", what="the %s menu" % top)["items"]


def show(path):
    out = subprocess.run([TOOL, "layout", "show", path], capture_output=True, text=True,
                         timeout=30)
    check(out.returncode == 0, "layout show reads %s: %s" % (path, out.stderr))
    return out.stdout


def setpoint_layout(s):
    target = os.path.join(s.run, "sysroot", "tmp", "setPoint.qlf")
    if os.path.exists(target):
        os.remove(target)
    s.choose("Create Setpoint", menu_with(s, "edit", "Create Setpoint"))
    s._until(lambda: os.path.exists(target), 20, "the setpoint file")
    return show(target)


def scale_dialog(s, predicate=lambda l: True, what="the scale dialog"):
    return s.wait_for(predicate, event="scaleDialog", what=what)


def scale_to_200(s):
    popup_item(s, "Scale")
    d = scale_dialog(s)
    check(d["width"]["percent"] == 100 and d["height"]["percent"] == 100, "both at 100: %s" % d)
    check(d["lock"]["active"], "the lock is on at first")
    check(d["buttons"]["smartscale"] is not None, "SMARTSCALE offered for a usable box")
    rects = [d["width"]["rect"], d["height"]["rect"], d["lock"]["rect"], d["preview"]] + \
        [b["rect"] for b in d["buttons"].values() if b]
    check(all(r and r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= 320 and r[1] + r[3] <= 240
              for r in rects), "every part of the dialog on the screen: %s" % rects)

    # The lock: a tap turns it off and moves the pointer off it, a second tap back on.
    lx, ly, lw, lh = d["lock"]["rect"]
    s.tap(lx + lw // 2, ly + lh // 2)
    d = scale_dialog(s, lambda l: not l["lock"]["active"], "the lock off")
    where = subprocess.run(["xdotool", "getmouselocation"], env=s.env, capture_output=True,
                           text=True, timeout=15).stdout.split()
    check(where[:2] == ["x:%d" % (lx + lw // 2), "y:%d" % (ly + lh // 2 + 40 + 15)],
          "the pointer moved down by the menu bar's height and 15: %s" % where)
    s.tap(lx + lw // 2, ly + lh // 2)
    d = scale_dialog(s, lambda l: l["lock"]["active"], "the lock on again")

    # Drag the knob about to 200 %, as a finger would, then trim with + and -.
    kx, ky, kw, kh = d["width"]["knob"]
    rx, ry, rw, rh = d["width"]["rect"]
    per_percent = (rw - kw) / 390.0
    s.drag(kx + kw // 2, ky + kh // 2, kx + kw // 2 + int(100 * per_percent), ky + kh // 2)
    d = scale_dialog(s, lambda l: l["why"] == "release", "the slider let go")
    check(abs(d["width"]["percent"] - 200) <= 15, "dragged near 200: %s" % d["width"])
    check(d["width"]["percent"] == d["height"]["percent"], "the lock moved the height too: %s" % d)
    for _ in range(30):
        now = d["width"]["percent"]
        if now == 200:
            break
        button = d["buttons"]["widthPlus" if now < 200 else "widthMinus"]
        step = 1 if now < 200 else -1
        s.tap_rect(button["rect"])
        d = scale_dialog(s, lambda l: l["width"]["percent"] == now + step, "%d %%" % (now + step))
    check(d["width"]["percent"] == 200 and d["height"]["percent"] == 200,
          "both sliders at 200: %s" % d)

    # The preview: the box's red dashed outline and the pattern's black lines.
    shot = s.screenshot()
    check(shot.count((255, 0, 0), d["preview"], tolerance=40) > 40, "red box outline in the preview")
    check(shot.count((0, 0, 0), d["preview"], tolerance=40) > 20, "the pattern in the preview")
    s.tap_rect(d["buttons"]["ok"]["rect"])


def rotate_90(s, counterclockwise=False):
    popup_item(s, "Rotate", "Select")
    pad = s.wait_for(lambda l: True, event="numberpad", what="the number pad")
    check(pad["text"] == "0.0", "the pad starts at 0.0: %r" % pad["text"])
    if counterclockwise:
        s.tap_rect(pad["counterclockwise"]["rect"])
    s.tap_rect(pad["keys"]["9"])
    pad = s.wait_for(lambda l: l["text"] == "9", event="numberpad", what="9 on the pad")
    check(pad["counterclockwise"]["active"] == counterclockwise, "Counterclockwise as tapped")
    s.tap_rect(pad["keys"]["0"])
    pad = s.wait_for(lambda l: l["text"] == "90", event="numberpad", what="90 on the pad")
    s.tap_rect(pad["buttons"]["ok"])


def scale_save_undo_rotate():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                   patterns=[("bar", BAR, [])],
                   placements=[(0, 0, 3.0, 4.0)])
    files = {"Layout/quilt.qlf": quilt,
             "patterns/bar.qcc": "n bar\n" + "".join("p X%d Y%d\n" % p for p in BAR)}
    with Session(CORVAN, SOURCE, advanced=True, files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.open_layout("quilt.qlf")

        scale_to_200(s)
        # The scale's undo snapshot made the layout nameless: Save Layout asks for a name.
        s.choose("Save Layout", menu_with(s, "edit", "Save Layout"))
        s.type_on_keyboard("scaled")
        saved = os.path.join(s.run, "Layout", "scaled.qlf")
        s._until(lambda: os.path.exists(saved), 20, "Layout/scaled.qlf")
        shown = show(saved)
        check("4.000 x 2.000 inches, rotation 0" in shown, "scaled to 4 x 2:\n" + shown)
        check("at 2.000, 3.500" in shown, "about its centre (4, 4.5):\n" + shown)

        s.choose("Undo", menu_with(s, "edit", "Undo"))
        rotate_90(s)
        shown = setpoint_layout(s)
        check("1.000 x 2.000 inches, rotation 90" in shown, "undone, then turned:\n" + shown)
        check("at 3.500, 3.500" in shown, "about its centre:\n" + shown)

        s.choose("Undo", menu_with(s, "edit", "Undo"))
        rotate_90(s, counterclockwise=True)
        shown = setpoint_layout(s)
        check("1.000 x 2.000 inches, rotation 270" in shown, "turned the other way:\n" + shown)
        check("at 3.500, 3.500" in shown, "about its centre:\n" + shown)

        # Properties: the entries on the screen, a touched one opens the pad; Move All
        # keeps the size.
        popup_item(s, "Properties")
        p = s.wait_for(lambda l: True, event="propertiesDialog", what="the properties dialog")
        w = p["widgets"]
        check((w["width"]["text"], w["height"]["text"]) == ("1.000", "2.000"),
              "the size shown: %s" % w)
        check(not w["actualX"]["sensitive"] and w["localX"]["sensitive"], "actual X read only")
        check(all(v["rect"] and v["rect"][0] >= 0 and v["rect"][0] + v["rect"][2] <= 320 and
                  v["rect"][1] + v["rect"][3] <= 240 for v in w.values()),
              "every entry and button on the screen: %s" % w)
        s.tap_rect(w["width"]["rect"])
        pad = s.wait_for(lambda l: True, event="numberpad", what="the pad for the width")
        check(pad["text"] == "1.000", "the pad starts from the entry: %r" % pad["text"])
        s.tap_rect(pad["keys"]["3"])
        pad = s.wait_for(lambda l: l["text"] == "3", event="numberpad", what="3 on the pad")
        s.tap_rect(pad["buttons"]["ok"])
        p = s.wait_for(lambda l: l["widgets"]["width"]["text"] == "3.000",
                       event="propertiesDialog", what="the new width")
        s.tap_rect(p["widgets"]["ok"]["rect"])
        shown = setpoint_layout(s)
        check("3.000 x 2.000 inches" in shown, "the width typed:\n" + shown)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        scale_save_undo_rotate()
    except TestFailure as e:
        check(False, "scale_save_undo_rotate: %s" % e)
    return checks.exit_code()


sys.exit(main())
