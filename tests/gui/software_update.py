"""The Updates page in the real window: its buttons are usable, and System Info reads the
firmware version from mc1sim."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check


def system_info():
    square = [(0.0, 0.0), (2.0, 0.0), (2.0, 2.0), (0.0, 2.0), (0.0, 0.0)]
    quilt = layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                   boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                   patterns=[("square", square, [])], placements=[(0, 0, 2.0, 2.0)])
    files = {"Layout/quilt.qlf": quilt, "sysroot/proc/version": "Linux version 2.6.29.6_b #1\n"}
    with Session(CORVAN, SOURCE, advanced=True, files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        check(s.open_layout("quilt.qlf")["screen"] == "PatternView", "the layout opened")
        check(s.activate("Setup"), "Setup activated")
        # The page's line may come in one batch with the activation.
        pages = lambda: [l for l in s.probes() if l.get("event") == "updates"]
        s._until(lambda: pages(), 20, "the Updates page")
        page = pages()[-1]["widgets"]
        for label in ("Update System", "Update Program", "Update Robot", "System Info"):
            check(page.get(label, {}).get("sensitive"), "%s usable" % label)
        s.tap_rect(page["System Info"]["rect"])
        info = s.message(what="the System Info message")
        check("\nOS: Wexley-b\nMC Firmware: 1.30\n" in info["text"], "System Info: %r" % info["text"])
        s.tap_response(info)
        check(s.proc.poll() is None, "the program runs on")


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        system_info()
    except TestFailure as e:
        check(False, "system_info: %s" % e)
    return checks.exit_code()


sys.exit(main())
