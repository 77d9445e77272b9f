"""The on-screen keyboard in the large icon style on the 320 x 240 screen, used by Save Layout
As, Save Layout and the pop-up's Save; the files checked against what was typed and placed."""
import os
import shutil
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout, read_points  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check
with open(os.path.join(SOURCE, "data", "patterns", "Stars", "star.qcc")) as f:
    STAR = read_points(f.read())
PLACED = [(0, 0, -1, 2.0, 2.0), (0, 0, -1, 10.0, 4.0)]  # box, pattern, array, x, y


def placements(path):
    """The placement records that end a layout file without arrays (23 bytes each)."""
    data = open(path, "rb").read()
    recs = [data[len(data) - 23 * (len(PLACED) - i):][:23] for i in range(len(PLACED))]
    return [struct.unpack("<iiixff", r[1:22]) if r[:1] == b"\x05" and r[22:] == b"\x10" else r
            for r in recs]


def saves_through_the_keyboard():
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                   patterns=[("star", STAR[0], STAR[1])], placements=[p[:2] + p[3:] for p in PLACED])
    with Session(CORVAN, SOURCE, advanced=True, icon_style=1, files={"Layout/quilt.qlf": quilt}) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        x, y, w, h = s.open_layout("quilt.qlf")["widgets"]["drawingArea"]

        s.choose("Save Layout As", s.open_menu("edit", "the edit menu"))
        kb = s.keyboard()
        check((kb["prompt"], kb["text"]) == ("SAVE AS:", ""), "empty SAVE AS: %r" % kb["text"])
        rects = [k["rect"] for k in kb["keys"]] + list(kb["buttons"].values()) + [kb["window"]]
        check(all(r and r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= 320 and r[1] + r[3] <= 240
                  for r in rects), "every key, OK and Cancel on the screen: %s" % kb["window"])
        s.type_on_keyboard("quilt 2", keyboard=kb)
        saved = os.path.join(s.run, "Layout", "quilt2.qlf")
        s._until(lambda: os.path.exists(saved), 20, "Layout/quilt2.qlf")
        check(placements(saved) == PLACED, "placements kept: %s" % placements(saved))

        with open(saved, "wb") as f:
            f.write(b"spoilt")
        s.choose("Save Layout", s.open_menu("edit", "the edit menu"))
        question = s.message(what="the overwrite question")
        check(question["text"] ==
              "THIS WILL OVERWRITE THE CURRENT LAYOUT:\nquilt2\nWOULD YOU LIKE TO CONTINUE?",
              "question: %r" % question["text"])
        s.tap_response(question, -5)
        s._until(lambda: open(saved, "rb").read() != b"spoilt", 20, "the layout rewritten")
        check(placements(saved) == PLACED, "rewritten: %s" % placements(saved))

        s.choose("Save Layout As", s.open_menu("edit", "the edit menu"))
        s.type_on_keyboard("no", ok=False)
        check(not os.path.exists(os.path.join(s.run, "Layout", "no.qlf")), "Cancel wrote nothing")

        # A long press on the view opens the pop-up; its Save writes the placement's pattern.
        s.press(x + w // 2 - 60, y + h // 2, what="the armed long press",
                until=lambda l: l.get("event") == "view" and l["menuReady"] == 1)
        items = s.wait_for(lambda l: True, event="menu", what="the pop-up")["items"]
        s.choose("Save", items)  # the large style's menu lies whole on the screen
        s.type_on_keyboard("star")
        target = os.path.join(s.run, "patterns", "star.qcc")
        s._until(lambda: os.path.exists(target) and os.path.getsize(target) > 17, 20, "star.qcc")
        points, starts = read_points(open(target).read())
        mx, my = min(p[0] for p in STAR[0]), min(p[1] for p in STAR[0])
        check(len(points) == len(STAR[0]) and starts == STAR[1] and all(
            abs(a[0] - b[0] + mx) < 0.0011 and abs(a[1] - b[1] + my) < 0.0011
            for a, b in zip(points, STAR[0])), "the star's points and strokes saved")


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        saves_through_the_keyboard()
    except TestFailure as e:
        check(False, "saves_through_the_keyboard: %s" % e)
    return checks.exit_code()


sys.exit(main())
