"""On the real window: the pop-up's Scale (lock, slider dragged and trimmed with + and -,
preview), OK and Save Layout read back with corvan-tool; Undo and Rotate > Select 90 on the
pad, clockwise and counterclockwise; the Properties width typed on the pad."""
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


def on_screen(rects):
    return all(r and r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= 320 and r[1] + r[3] <= 240
               for r in rects)


def popup_item(s, *path):
    x, y, w, h = s.state()["widgets"]["drawingArea"]
    s.press(x + w // 2, y + h // 2, until=lambda l: l.get("event") == "view" and
            l["menuReady"] == 1, what="the armed long press")
    items = s.wait_for(lambda l: "Rotate" in l["items"], event="menu", what="the pop-up")["items"]
    for label in path[:-1]:
        s.choose(label, items)
        items = s.wait_for(lambda l: path[-1] in l["items"], event="menu", what=label)["items"]
    s.choose(path[-1], items)


def edit_menu(s, label):
    s.tap_rect(s.state()["widgets"]["edit"])
    s.choose(label, s.wait_for(lambda l: label in l["items"], event="menu", what="edit")["items"])


def shown(s, path=None):
    if path is None:
        path = os.path.join(s.run, "sysroot", "tmp", "setPoint.qlf")
        if os.path.exists(path):
            os.remove(path)
        edit_menu(s, "Create Setpoint")
    s._until(lambda: os.path.exists(path), 20, path)
    return subprocess.run([TOOL, "layout", "show", path], capture_output=True, text=True,
                          timeout=30).stdout


def scale_to_200(s):
    popup_item(s, "Scale")
    d = s.wait_for(lambda l: True, event="scaleDialog", what="the scale dialog")
    check((d["width"]["percent"], d["height"]["percent"], d["lock"]["active"]) == (100, 100, True),
          "100 %%, locked: %s" % d)
    check(d["buttons"]["smartscale"] is not None, "SMARTSCALE offered for a usable box")
    check(on_screen([d["width"]["rect"], d["height"]["rect"], d["lock"]["rect"], d["preview"]] +
                    [b["rect"] for b in d["buttons"].values() if b]), "all on the screen: %s" % d)

    # A tap on the lock turns it off and moves the pointer off it; a second turns it on.
    lx, ly = d["lock"]["rect"][0] + 15, d["lock"]["rect"][1] + 15
    for active in (False, True):
        s.tap(lx, ly)
        d = s.wait_for(lambda l: l["lock"]["active"] == active, event="scaleDialog", what="lock")
        where = subprocess.run(["xdotool", "getmouselocation"], env=s.env, capture_output=True,
                               text=True, timeout=15).stdout.split()[:2]
        check(where == ["x:%d" % lx, "y:%d" % (ly + 40 + 15)], "pointer moved down: %s" % where)

    # The knob dragged about to 200 %, as a finger would, then trimmed with + and -.
    kx, ky, kw, kh = d["width"]["knob"]
    reach = int(100 * (d["width"]["rect"][2] - kw) / 390.0)
    s.drag(kx + kw // 2, ky + kh // 2, kx + kw // 2 + reach, ky + kh // 2)
    d = s.wait_for(lambda l: l["why"] == "release", event="scaleDialog", what="the release")
    check(abs(d["width"]["percent"] - 200) <= 15 and
          d["width"]["percent"] == d["height"]["percent"], "dragged near 200, locked: %s" % d)
    for _ in range(30):
        now = d["width"]["percent"]
        if now == 200:
            break
        step = 1 if now < 200 else -1
        s.tap_rect(d["buttons"]["widthPlus" if step > 0 else "widthMinus"]["rect"])
        d = s.wait_for(lambda l: l["width"]["percent"] == now + step, event="scaleDialog",
                       what="%d %%" % (now + step))
    check((d["width"]["percent"], d["height"]["percent"]) == (200, 200), "at 200: %s" % d)
    shot = s.screenshot()
    check(shot.count((255, 0, 0), d["preview"], tolerance=40) > 40, "the box's red outline")
    check(shot.count((0, 0, 0), d["preview"], tolerance=40) > 20, "the pattern in the preview")
    s.tap_rect(d["buttons"]["ok"]["rect"])


def pad_enter(s, keys, counterclockwise=False):
    pad = s.wait_for(lambda l: True, event="numberpad", what="the number pad")
    if counterclockwise:
        s.tap_rect(pad["counterclockwise"]["rect"])
    typed = ""
    for key in keys:
        typed += key
        s.tap_rect(pad["keys"][key])
        pad = s.wait_for(lambda l: l["text"] == typed, event="numberpad", what=typed)
    s.tap_rect(pad["buttons"]["ok"])


def dialogs():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                   patterns=[("bar", BAR, [])], placements=[(0, 0, 3.0, 4.0)])
    with Session(CORVAN, SOURCE, advanced=True, files={"Layout/quilt.qlf": quilt}) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.open_layout("quilt.qlf")
        scale_to_200(s)
        # The scale's undo snapshot left the layout nameless: Save Layout asks for one.
        edit_menu(s, "Save Layout")
        s.type_on_keyboard("scaled")
        out = shown(s, os.path.join(s.run, "Layout", "scaled.qlf"))
        check("4.000 x 2.000 inches, rotation 0" in out and "at 2.000, 3.500" in out,
              "4 x 2 about the centre (4, 4.5):\n" + out)

        for ccw, rotation in ((False, 90), (True, 270)):
            edit_menu(s, "Undo")
            popup_item(s, "Rotate", "Select")
            pad_enter(s, "90", counterclockwise=ccw)
            out = shown(s)
            check("1.000 x 2.000 inches, rotation %d" % rotation in out and "at 3.500, 3.500" in out,
                  "undone, then turned about its centre:\n" + out)

        popup_item(s, "Properties")
        w = s.wait_for(lambda l: True, event="propertiesDialog", what="properties")["widgets"]
        check((w["width"]["text"], w["height"]["text"], w["actualX"]["sensitive"]) ==
              ("1.000", "2.000", False), "size shown, actual X read only: %s" % w)
        check(on_screen([v["rect"] for v in w.values()]), "all on the screen: %s" % w)
        s.tap_rect(w["width"]["rect"])
        pad_enter(s, "3")
        w = s.wait_for(lambda l: l["widgets"]["width"]["text"] == "3.000",
                       event="propertiesDialog", what="the new width")["widgets"]
        s.tap_rect(w["ok"]["rect"])
        out = shown(s)
        check("3.000 x 2.000 inches" in out, "the width typed:\n" + out)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        dialogs()
    except TestFailure as e:
        check(False, "dialogs: %s" % e)
    return checks.exit_code()


sys.exit(main())
