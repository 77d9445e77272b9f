"""Free Motion and SET START in the real window, with mc1sim's head pushed by hand.

Free Motion opens the trace screen; Start records while the head glides round a square,
Stop ends it, and the square is drawn in black on the trace view; Save with "sq" typed on
the on-screen keyboard writes it to patterns/sq.qcc. Then Start ▸ SET START
opens the point dialog: its cross-hair follows a hand move to the pixel the view's scale
gives, and OK starts the run from the path point beside the head, never before it."""
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout, read_points  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

BUTTON = 32  # confirm_button_size of data/screen.conf
NORMAL_MASK = 0x37FFFFF
NAVIGATION_MASK = 0x30000FF  # side screens once a pattern box exists
AREA = (20, 12)
ZIGZAG = [(0, 0), (1, 1), (2, 0), (3, 1), (4, 0)]
PLACED_AT = (2, 2)
CROSS = (0x00, 0x88, 0x99)
BLACK = (0, 0, 0)


def recovery_layout():
    corners = [(0, 0), (0, AREA[1]), (AREA[0], AREA[1]), (AREA[0], 0)]
    return layout(corners, [corners], [("zig", ZIGZAG, [])], [(0, 0) + PLACED_AT])


def show_pattern(path):
    """What `corvan-tool pattern show` reads in the file ("" when it cannot)."""
    tool = os.path.join(os.path.dirname(CORVAN), "corvan-tool")
    run = subprocess.run([tool, "pattern", "show", path], capture_output=True, text=True,
                         timeout=30)
    return run.stdout if run.returncode == 0 else ""


def until(predicate, timeout, what):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise TestFailure("timed out waiting for " + what)


def sim_at(s, x, y):
    state = json.loads(s.sim("state"))
    return abs(state["x"] - x) < 1 and abs(state["y"] - y) < 1


def latest_state(s, predicate, timeout, what):
    return until(lambda: (lambda st: st if st is not None and predicate(st) else None)(s.state()),
                 timeout, what)


def trace_a_square(s):
    items = s.open_menu("home", "the home menu")
    s.choose("Free Motion", items)
    st = latest_state(s, lambda l: l["screen"] == "Trace" and l["widgets"]["traceStart"]["rect"],
                      20, "the trace screen")
    check(st["mask"] == NAVIGATION_MASK, "trace screen mask %#x" % st["mask"])
    journal = s.journal()
    check(journal[-3:] == ["DisableX", "DisableY", "HandOver"], "axes released: %s" % journal[-3:])

    square = [(2000, 2000), (6000, 2000), (6000, 6000), (2000, 6000), (2000, 2000)]
    s.sim("hand %d %d" % square[0])
    s.tap_rect(st["widgets"]["traceStart"]["rect"])
    latest_state(s, lambda l: l["mask"] == 0, 20, "the recording (everything greyed)")
    for x, y in square[1:]:
        answer = s.sim("glide %d %d 4000" % (x, y))
        check(answer.startswith("ok"), "glide: " + answer)
        until(lambda: sim_at(s, x, y), 20, "the glide to %d %d" % (x, y))
        time.sleep(0.3)  # a few readings at the corner
    s.tap_rect(st["widgets"]["traceStart"]["rect"])
    st = latest_state(s, lambda l: l["mask"] == NAVIGATION_MASK and
                      l["widgets"]["traceSave"]["sensitive"], 20, "the recording to end")
    check(not st["widgets"]["traceStart"]["active"], "Start is off again")

    x0, y0, w, h = st["widgets"]["drawingArea"]
    scale = max(AREA[0] / w, AREA[1] / h)
    shot = s.screenshot(os.environ.get("CORVAN_TRACE_SHOT"))

    def pixel(xt, yt):
        return x0 + int(xt / 1000 / scale), y0 + int(yt / 1000 / scale)

    on_square = 0
    for (ax, ay), (bx, by) in zip(square, square[1:]):
        px0, py0 = pixel(ax, ay)
        px1, py1 = pixel(bx, by)
        box = (min(px0, px1) - 1, min(py0, py1) - 1, abs(px1 - px0) + 3, abs(py1 - py0) + 3)
        on_square += shot.count(BLACK, box)
    check(on_square >= 30, "black points along the square: %d" % on_square)
    # The dashed cross-hair through the last point (the first corner) covers the corners in
    # its row and column; the far corner is black.
    cx, cy = pixel(6000, 6000)
    check(shot.count(BLACK, (cx - 1, cy - 1, 3, 3)) > 0, "a point at the far corner")
    lx, ly = pixel(2000, 2000)
    check(shot.count(CROSS, (lx, y0, 1, h)) > h // 4, "cross-hair through the last point")
    inside = pixel(3000, 3000)
    check(shot.count(BLACK, (inside[0], inside[1], pixel(5000, 5000)[0] - inside[0],
                             pixel(5000, 5000)[1] - inside[1])) == 0, "nothing inside the square")

    # Save on the on-screen keyboard: "sq" after the folder it offers, then OK.
    s.tap_rect(st["widgets"]["traceSave"]["rect"])
    kb = s.keyboard(what="the keyboard of Save")
    check((kb["prompt"], kb["text"]) == ("SAVE AS:", "./patterns/"), "Save offers %r" % kb["text"])
    s.type_on_keyboard("sq", keyboard=kb)
    saved = os.path.join(s.run, "patterns", "sq.qcc")
    until(lambda: os.path.exists(saved) and "last point" in show_pattern(saved), 20,
          "patterns/sq.qcc")
    # Read back by the program's own loader: the 4-inch square, closed, every point on a side.
    shown = show_pattern(saved)
    check("size: 4.000 x 4.000 inches" in shown and "length: 16.000 inches sewn" in shown,
          "saved square: %s" % shown)
    points, _ = read_points(open(saved).read())
    check(len(points) >= 5 and points[0] == points[-1], "closed: %s" % ((points[:1] + points[-1:]),))
    mx, my = min(p[0] for p in points), min(p[1] for p in points)
    off = [p for p in points if min(abs(p[0] - mx), abs(p[0] - mx - 4),
                                    abs(p[1] - my), abs(p[1] - my - 4)) > 0.002]
    check(not off, "points off the square: %s" % off[:5])


def set_start(s):
    items = s.open_menu("home", "the home menu")
    s.choose("Pattern View", items)
    st = latest_state(s, lambda l: l["screen"] == "PatternView" and l["mask"] == NORMAL_MASK,
                      20, "the pattern view")
    s.tap_rect(st["toolbar"]["Start"]["rect"])
    question = s.message(what="the start question")
    s.tap_response(question, -99)
    dialog = s.wait_for(lambda l: True, event="pointDialog", what="the point dialog")
    ax, ay, aw, ah = dialog["rect"]
    check(json.loads(s.sim("state"))["x_driven"] is False, "the dialog freed the head")

    # The third zigzag point, placed: (2 + 2, 2 + 0) inches. The head goes 30 thou beside it.
    target = ((PLACED_AT[0] + ZIGZAG[2][0]) * 1000, (PLACED_AT[1] + ZIGZAG[2][1]) * 1000)
    head = (target[0] + 30, target[1])
    s.sim("hand %d %d" % head)
    cross_x = ax + int(head[0] / 1000 / dialog["scale"]) + dialog["panX"]
    cross_y = ay + int(head[1] / 1000 / dialog["scale"]) + dialog["panY"]
    shot = until(lambda: (lambda p: p if p.pixel(cross_x, ay + 3) == CROSS and
                          p.pixel(ax + 3, cross_y) == CROSS else None)(s.screenshot()),
                 10, "the cross-hair at %d, %d" % (cross_x, cross_y))
    check(shot is not None, "cross-hair followed the head")

    journal_from = len(s.journal())
    s.tap(ax + aw - 3 * BUTTON - 40 + BUTTON // 2, ay + ah - BUTTON // 2)
    bobbin = s.message(timeout=60, what="the bobbin question")
    s.tap_response(bobbin)
    latest_state(s, lambda l: l["screen"] == "PatternView" and l["mask"] == NORMAL_MASK, 100,
                 "the run to end")
    moves = []
    for entry in s.journal()[journal_from:]:
        if entry.startswith("Move ") and "-> 11" in entry:
            x, y = (int(v) / 100 for v in entry.split()[1:3])
            moves.append((x, y))
    check(moves, "the run moved")
    check(any(abs(x - target[0]) <= 1 and abs(y - target[1]) <= 1 for x, y in moves),
          "the run went to the chosen point")
    check(all(x >= target[0] - 1 for x, y in moves),
          "nothing before the chosen point: %s" % [m for m in moves if m[0] < target[0] - 1][:5])


def main():
    with Session(CORVAN, SOURCE, files={"Layout/recovery.qlf": recovery_layout()},
                 sim_options=["--time-scale", "5"]) as s:
        latest_state(s, lambda l: l["screen"] == "PatternSelect", 60, "the first screen")
        items = s.open_menu("home", "the home menu")
        s.choose("Pattern View", items)
        latest_state(s, lambda l: l["screen"] == "PatternView" and l["mask"] == NORMAL_MASK, 20,
                     "the recovered layout on the pattern view")
        trace_a_square(s)
        set_start(s)
    return checks.exit_code()


if __name__ == "__main__":
    try:
        sys.exit(main())
    except TestFailure as e:
        print("FAIL:", e)
        sys.exit(1)
