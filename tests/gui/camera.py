"""The camera screen in the real window with a PPM still as the camera: the start-up picture,
a snapshot of a new still, and the calibrated picture behind the pattern view; then the
setup screen's System Info, which reads the firmware version from mc1sim."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402
from layout_file import layout  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check

BLUE, ORANGE, BACKGROUND = (0, 0, 255), (255, 165, 0), (0xCC, 0xFF, 0xFF)


def still(colour, band=None):
    """A 320 x 240 PPM of one colour, with black rows [band[0], band[1]) when given."""
    rows = []
    for y in range(240):
        dark = band is not None and band[0] <= y < band[1]
        rows.append(bytes((0, 0, 0) if dark else colour) * 320)
    return b"P6\n320 240\n255\n" + b"".join(rows)


def quilt():
    star = [(0.0, 0.0), (2.0, 0.0), (2.0, 2.0), (0.0, 2.0), (0.0, 0.0)]
    return layout(extents=[(0, 0), (40, 0), (40, 20), (0, 20)],
                  boxes=[[(5, 17), (25, 17), (25, 5), (5, 5)]],
                  patterns=[("square", star, [])],
                  placements=[(0, 0, 2.0, 2.0), (0, 0, 10.0, 4.0)])


def shown(s, name, what):
    """The main window's state once screen `name` is up (probe lines may come in one batch
    with the activation)."""
    s._until(lambda: (s.state() or {}).get("screen") == name, 20, what)
    return s.state()


def camera_behind_the_layout():
    files = {"Layout/quilt.qlf": quilt(), "sysroot/dev/video0": still(BLUE),
             "sysroot/proc/version": "Linux version 2.6.29.6_b #1\n"}
    with Session(CORVAN, SOURCE, advanced=True, files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        check(s.open_layout("quilt.qlf")["screen"] == "PatternView", "the layout opened")

        check(s.activate("Camera"), "the hidden Camera item activated")
        st = shown(s, "Camera", "the camera screen")
        check(st["mask"] == 0x34000BF, "camera mask %x" % st["mask"])
        area = st["widgets"]["drawingArea"]
        for name in ("videoButton", "snapshotButton", "calibrateButton"):
            check(st["widgets"][name] and st["widgets"][name]["rect"], name + " on screen")
        # The picture taken at start-up fills the area.
        s.wait_shot(lambda p: p.count(BLUE, area) > area[2] * area[3] * 9 // 10,
                    what="the start-up picture on the camera screen")

        # A new still; Snapshot shows it.
        with open(os.path.join(s.run, "sysroot", "dev", "video0"), "wb") as f:
            f.write(still(ORANGE, (100, 134)))
        s.tap_rect(st["widgets"]["snapshotButton"]["rect"])
        s.wait_shot(lambda p: p.count(ORANGE, area) > area[2] * area[3] * 3 // 4,
                    what="the snapshot on the camera screen")

        # Not calibrated: the picture's scale (1 inch a pixel) is far from the view's.
        check(s.activate("Pattern View"), "Pattern View activated")
        st = shown(s, "PatternView", "the pattern view")
        view = st["widgets"]["drawingArea"]
        shot = s.screenshot()
        check(shot.count(BACKGROUND, view) > view[2] * view[3] // 2 and
              shot.count(ORANGE, view) == 0,
              "flat background before calibration (%d)" % shot.count(ORANGE, view))

        # Calibrated against the 34-row band: 0.1 inch a pixel, close to the view's scale.
        s.activate("Camera")
        st = shown(s, "Camera", "the camera screen again")
        s.tap_rect(st["widgets"]["calibrateButton"]["rect"])
        s._until(lambda: b"Camera: 34 rows to 0.1000 inch per pixel" in s.read_output(), 20,
                 "the calibration")
        # Leaving the screen while the video runs stops it; its last frame finds the screen gone.
        s.tap_rect(st["widgets"]["videoButton"]["rect"])
        s.activate("Pattern View")
        st = shown(s, "PatternView", "the pattern view")
        view = st["widgets"]["drawingArea"]
        shot = s.wait_shot(lambda p: p.count(ORANGE, view) > view[2] * view[3] // 2,
                           what="the calibrated picture behind the layout")
        check(shot.count((0, 0, 0), view) > 30, "the layout drawn over the picture")
        check(s.proc.poll() is None, "the program runs on after the video")

        # The setup screen's Updates page: System Info asks mc1sim for its firmware version.
        check(s.activate("Setup"), "Setup activated")
        pages = lambda: [l for l in s.probes() if l.get("event") == "updates"]
        s._until(pages, 20, "the Updates page")
        page = pages()[-1]["widgets"]
        check(all(page[b]["sensitive"] for b in ("Update System", "Update Program", "Update Robot")),
              "the update buttons are usable")
        s.tap_rect(page["System Info"]["rect"])
        info = s.message(what="the System Info message")
        check("\nOS: Wexley-b\nMC Firmware: 1.30\n" in info["text"], "System Info: %r" % info["text"])


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    try:
        camera_behind_the_layout()
    except TestFailure as e:
        check(False, "camera_behind_the_layout: %s" % e)
    return checks.exit_code()


sys.exit(main())
