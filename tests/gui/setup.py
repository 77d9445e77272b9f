"""The setup screen in the real window, on mc1sim: the Max Speed slider released between two
tens, a Margin beyond its range typed on the number pad, and the factory reset with what it
takes off the menus."""
import os
import shutil
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check


def record(s, n, kind="<i"):
    with open(os.path.join(s.run, "defaults.mrv"), "rb") as f:
        data = f.read()
    return struct.unpack_from(kind, data, 4 * n)[0], len(data)


def setup_page(s, tab, page):
    """Taps the notebook tab `tab`; returns the probe line of that page."""
    lines = []
    s._until(lambda: lines.extend(l for l in s.probes() if l.get("event") == "setup") or lines,
             20, "the setup notebook")
    s.new_probes()
    s.tap_rect(lines[-1]["tabs"][tab])
    return s.wait_for(lambda l: l["page"] == page, event="setup", what="the %s page" % tab)


def latest_slider(s, name):
    """The value of slider `name` in the newest "slider" line since the last look, or None."""
    lines = [l for l in s.new_probes() if l.get("event") == "slider"]
    return lines[-1]["widgets"][name]["value"] if lines else None


def drag_slider_to(s, slider, name, target, lower, upper):
    """Holds the knob of `slider` (a probe state) and moves the finger until the slider shows
    `target` (or the nearest value the pixels reach); returns the value it is released at."""
    x, y, w, h = slider["knob"]
    _, ty, _, th = slider["trough"]
    per_unit = max(0.5, (th - h) / float(upper - lower))
    cx, cy = x + w // 2, y + h // 2
    value = slider["value"]
    s.new_probes()
    s.xdotool("mousemove", cx, cy, "mousedown", 1)
    tried = set()
    for _ in range(12):
        # Larger values are at the top.
        step = int(round((value - target) * per_unit)) or (1 if value > target else -1)
        cy += step
        if cy in tried:
            break
        tried.add(cy)
        s.xdotool("mousemove", cx, cy)
        seen = []
        try:
            s._until(lambda: seen.append(latest_slider(s, name)) or seen[-1] is not None, 3,
                     "the slider to move")
            value = seen[-1]
        except TestFailure:
            pass  # this pixel gives the same value
        if value == target:
            break
    s.xdotool("mouseup", 1)
    return value


def tap_number(s, text):
    pad = s.wait_for(lambda l: True, event="numberpad", what="the number pad")
    for ch in text:
        s.tap_rect(pad["keys"][ch])
    pad = s.wait_for(lambda l: l["text"] == text, event="numberpad", what="%r on the pad" % text)
    s.tap_rect(pad["buttons"]["ok"])


def setup_screen():
    with Session(CORVAN, SOURCE) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        s.choose("Add Pattern", s.open_menu("home", "the home menu"))
        s.wait_for(lambda l: l.get("screen") == "PatternSelect", what="pattern select")
        s.choose("Setup", s.open_menu("home", "the home menu"))
        s._until(lambda: s.state()["screen"] == "Setup", 20, "the setup screen")
        check(s.state()["menu"]["Undo"]["visible"], "Undo on the menu before the reset")

        # Every tab of the small style lies whole on the 320-pixel screen, in order, so that a
        # finger reaches each; the Configuration tab stays hidden in this style.
        lines = []
        s._until(lambda: lines.extend(l for l in s.probes() if l.get("event") == "setup") or lines,
                 20, "the setup notebook")
        tabs = lines[-1]["tabs"]
        shown = [tabs.get(t) for t in ("Updates", "Parameters", "Constants", "Test", "Advanced")]
        check(all(r is not None and 0 <= r[0] and r[0] + r[2] <= 318 and r[1] + r[3] <= 240
                  for r in shown)
              and all(a[0] + a[2] <= b[0] for a, b in zip(shown, shown[1:]))
              and tabs.get("Configuration", "absent") is None,
              "the five tabs side by side on the screen: %s" % tabs)

        # Max Speed released between two tens: the nearest ten is applied and shown.
        page = setup_page(s, "Parameters", 1)
        slider = page["widgets"]["Max Speed"]
        released = drag_slider_to(s, slider, "Max Speed", 47, 10, 100)
        check(45 <= released <= 54 and released != 50,
              "the slider released between two tens (at %s)" % released)
        line = s.wait_for(lambda l: l["widgets"]["Max Speed"]["value"] == 50, event="setup",
                          what="the slider set to the applied 50")
        check(line["widgets"]["Max Speed"]["value"] == 50, "slider shows 50")
        speeds = [e for e in s.journal() if e.startswith("SetSpeed")]
        check(speeds and speeds[-1] == "SetSpeed 50", "journal ends SetSpeed 50: %s" % speeds[-3:])
        check(record(s, 3) == (50, 104), "record 3 of defaults.mrv = 50: %s" % (record(s, 3),))

        # Margin 12.5 on the number pad: clamped to 10, which the entry shows.
        page = setup_page(s, "Constants", 2)
        s.tap_rect(page["widgets"]["Margin"]["rect"])
        tap_number(s, "12.5")
        line = s.wait_for(lambda l: l["widgets"]["Margin"]["text"] != page["widgets"]["Margin"]["text"],
                          event="setup", what="the Margin entry after the pad")
        check(line["widgets"]["Margin"]["text"] == "10.000",
              "Margin shows 10.000: %r" % line["widgets"]["Margin"]["text"])
        check(abs(record(s, 11, "<f")[0] - 10.0) < 1e-6, "record 11 = 10.0")

        # TEST X: the report in the text view; menus and toolbar off meanwhile, and a second
        # tap starts nothing.
        idle_mask = s.state()["mask"]
        page = setup_page(s, "Test", 3)
        check(page["widgets"]["diagnostics"]["text"] ==
              "MOTOR CONTROLLER DIAGNOSTICS\nPress one of the buttons below to start.",
              "the Test page's start text: %r" % page["widgets"]["diagnostics"]["text"])
        test_x = page["widgets"]["TEST X"]["rect"]
        s.tap_rect(test_x)
        report = lambda l: l["widgets"].get("diagnostics", {}).get("text", "")
        s.wait_for(lambda l: "Moving X Motor" in report(l), event="setup", what="the test moving")
        s.tap_rect(test_x)
        during = s.state()
        check(during["mask"] == 0, "mask 0 while the test runs (and the second tap came then)")
        check(not any(during["menu"][k]["sensitive"] for k in ("Pattern View", "Add Pattern", "Setup"))
              and not during["toolbar"]["Start"]["sensitive"], "menus and toolbar insensitive")
        line = s.wait_for(lambda l: report(l).endswith("!\n"), event="setup", timeout=60,
                          what="the end of the test")
        check(report(line).endswith("X motor passed!\n"), "the report ends passed: %r" % report(line))
        s._until(lambda: s.state()["mask"] == idle_mask, 20, "the mask back")
        tests = [e for e in s.journal() if e == "SetSpeed 80"]
        check(len(tests) == 1, "one test run, the second tap ignored: %d" % len(tests))

        # Factory defaults: the file holds them, and Undo leaves the menu.
        page = setup_page(s, "Advanced", 4)
        s.tap_rect(page["widgets"]["Factory Defaults"]["rect"])
        question = s.message(what="the factory reset question")
        check(question["text"].startswith("THIS WILL RESET ALL PARAMETERS"), question["text"])
        s.tap_response(question, -5)
        done = s.message(what="the reset's information")
        check(done["text"] == "ALL PARAMETERS HAVE BEEN RESTORED TO THE FACTORY DEFAULT SETTINGS\n",
              repr(done["text"]))
        s.tap_response(done, -5)
        s._until(lambda: not s.state()["menu"]["Undo"]["visible"], 20, "Undo hidden")
        check(record(s, 3) == (40, 104) and record(s, 20, "<f")[0] == 0.0,
              "factory speed and needle-up press in a 104-byte file")
        sets = [e for e in s.journal() if e.startswith("Set") and e != "SetupByte"][-13:]
        check(sets == ["SetXKp 30", "SetYKp 30", "SetXKi 8", "SetYKi 8", "SetXKd 40", "SetYKd 40",
                       "SetSpeed 40", "SetMinimumSpeed 2", "SetTOut 100", "SetMaxErr 100",
                       "SetStitches 5", "SetLockStitch 4", "SetSlow 5.000"],
              "the factory values sent in order: %s" % sets)


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        setup_screen()
    except TestFailure as e:
        check(False, "setup_screen: %s" % e)
    return checks.exit_code()


sys.exit(main())
