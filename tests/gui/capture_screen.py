"""The capture screen in the real window, driven by taps and by pushing mc1sim's carriage:
a Cancel after the area's first corner (which moved the machine's home) leaves no layout
that Start would stitch in the moved frame; a bow-tie pattern box is refused; and while the
controller is silent the screen still answers a tap."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

NORMAL_MASK = 0x37FFFFF
BUTTON = 32  # confirm_button_size of data/screen.conf
HOME_MOVED = ("THE MACHINE'S HOME HAS MOVED.\nTHE OLD QUILTING AREA NO LONGER FITS THE QUILT.\n\n"
              "SET THE QUILTING AREA AGAIN.")
START_REFUSED = "THE MACHINE'S HOME HAS MOVED.\nSET THE QUILTING AREA AGAIN."
LINES_CROSS = "PATTERN BOX LINES MAY NOT CROSS"


def push(s, x_inch, y_inch):
    # The screen releases both motors on entry; the bytes may still be on their way.
    for _ in range(100):
        answer = s.sim("hand %d %d" % (round(x_inch * 1000), round(y_inch * 1000)))
        if answer.startswith("ok"):
            return
        time.sleep(0.05)
    raise TestFailure("pushing the carriage: " + answer)


def area_buttons(st):
    x, y, w, h = st["widgets"]["drawingArea"]
    add = (x + w - 3 * BUTTON - 16 + BUTTON // 2, y + h - BUTTON // 2)
    cancel = (x + w - 2 * BUTTON - 8 + BUTTON // 2, y + h - BUTTON // 2)
    return add, cancel


def box_buttons(st):
    x, y, w, h = st["widgets"]["drawingArea"]
    row = y + h - BUTTON // 2
    return ((x + w - 3 * BUTTON - 24 + BUTTON // 2, row),
            (x + w - 2 * BUTTON - 16 + BUTTON // 2, row),
            (x + w - BUTTON - 8 + BUTTON // 2, row))


def answer(s, text):
    message = s.message(what=repr(text))
    check(message["text"] == text, "message %r (wanted %r)" % (message["text"], text))
    s.tap_response(message)


def set_up_area(s, st, size):
    add, _ = area_buttons(st)
    push(s, 2, 2)
    s.tap(*add)
    push(s, size[0], 0)
    s.tap(*add)
    push(s, size[0], size[1])
    s.tap(*add)
    answer(s, "TABLE WIDTH = %.3f IN.\nTABLE HEIGHT = %.3f IN." % size)
    return s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == NORMAL_MASK,
                      what="the pattern view once the area is set")


def cancel_after_the_first_corner(s):
    st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="the first screen")
    st = set_up_area(s, st, (30, 20))

    items = s.open_menu("home", "the home menu")
    s.choose("Set Quilt Area", items)
    st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="the area setup")
    add, cancel = area_buttons(st)
    push(s, 5, 5)
    s.tap(*add)  # the home moves here
    s.tap(*cancel)
    answer(s, HOME_MOVED)
    check(s.state()["screen"] == "ExtentsSetup", "the area is asked for again")

    # Left through the home menu anyway: Start stitches nothing in the moved frame.
    items = s.open_menu("home", "the home menu")
    s.choose("Pattern View", items)
    st = s.wait_for(lambda l: l.get("screen") == "PatternView" and l["mask"] == NORMAL_MASK,
                    what="the pattern view")
    journal_from = len(s.journal())
    s.tap_rect(st["toolbar"]["Start"]["rect"])
    answer(s, START_REFUSED)
    sent = s.journal()[journal_from:]
    check(not any(e.startswith("Move") or e == "StartByte" for e in sent),
          "nothing sent for the refused start: %s" % sent)

    # A new area in the new frame ends the refusal.
    items = s.open_menu("home", "the home menu")
    s.choose("Set Quilt Area", items)
    st = s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="the area setup again")
    return set_up_area(s, st, (30, 20))


def open_box_capture(s):
    items = s.open_menu("home", "the home menu")
    s.choose("Pattern Box", items)
    sub = s.wait_for(lambda l: "Add Pattern Box" in l.get("items", {}), event="menu",
                     what="the pattern box menu")
    s.choose("Add Pattern Box", sub["items"])
    return s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="the box capture")


def bow_tie_refused(s):
    st = open_box_capture(s)
    plus, check_button, _ = box_buttons(st)
    for corner in ((10, 10), (20, 10), (10, 18)):
        push(s, *corner)
        s.tap(*plus)
    push(s, 20, 18)
    s.tap(*check_button)
    answer(s, LINES_CROSS)
    check(s.state()["screen"] == "ExtentsSetup", "the box entry goes on after the refusal")
    return st


def silent_controller_keeps_taps(s, st):
    _, _, cancel = box_buttons(st)
    check(s.sim("silent on").startswith("ok"), "controller silenced")
    deadline = time.time() + 20
    while "the controller does not answer" not in s.output() and time.time() < deadline:
        time.sleep(0.1)
    check("the controller does not answer" in s.output(), "the poll noticed the silence")
    s.tap(*cancel)
    s.wait_for(lambda l: l.get("screen") == "PatternView", what="Cancel served while silent")
    check(s.output().count("the controller does not answer") == 1, "the silence said once")
    s.sim("silent off")


def capture_screen():
    with Session(CORVAN, SOURCE, sim_options=["--time-scale", "5"]) as s:
        cancel_after_the_first_corner(s)
        st = bow_tie_refused(s)
        silent_controller_keeps_taps(s, st)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        capture_screen()
    except TestFailure as e:
        check(False, "capture screen: %s" % e)
    return checks.exit_code()


if __name__ == "__main__":
    sys.exit(main())
