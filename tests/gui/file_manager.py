"""The file manager in the real window: a folder of drawings copied from a fake USB stick into
the pattern folder through the chooser, then found, previewed and selectable on the pattern
select screen."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from harness import Checks, Session, TestFailure  # noqa: E402

CORVAN, SOURCE = sys.argv[1], sys.argv[2]
checks = Checks()
check = checks.check
BLACK = (0, 0, 0)

# A star of five lines, in the DXF form drawing programs write.
STAR = [(0, 1), (0.6, -0.8), (-0.95, 0.3), (0.95, 0.3), (-0.6, -0.8), (0, 1)]


def star_dxf():
    lines = ["  0", "SECTION", "  2", "ENTITIES"]
    for (x1, y1), (x2, y2) in zip(STAR, STAR[1:]):
        lines += ["  0", "LINE", "  8", "0", " 10", str(x1 + 1), " 20", str(y1 + 1), " 30", "0",
                  " 11", str(x2 + 1), " 21", str(y2 + 1), " 31", "0"]
    return "\n".join(lines + ["  0", "ENDSEC", "  0", "EOF", ""])


def manager(s, predicate, what):
    return s.wait_for(predicate, event="fileManager", what=what)["widgets"]


def chooser(s, predicate, what):
    return s.wait_for(predicate, event="chooser", what=what)


def copy_a_stick_folder():
    files = {"sysroot/media/usb/quilts/border/star.dxf": star_dxf(),
             "thumbnails/star.png": b"stale"}
    with Session(CORVAN, SOURCE, advanced=True, files=files) as s:
        s.wait_for(lambda l: l.get("screen") == "ExtentsSetup", what="first screen")
        # The file manager is reachable from the side screens.
        s.choose("Add Pattern", s.open_menu("home", "the home menu"))
        s.wait_for(lambda l: l.get("screen") == "PatternSelect", what="pattern select")
        s.choose("File Manager", s.open_menu("home", "the home menu"))
        w = manager(s, lambda l: True, "the file manager's widgets")
        s._until(lambda: s.state()["screen"] == "FileManager", 20, "the file manager screen")
        check(s.state()["mask"] == 0x34000BF, "navigation mask: %x" % s.state()["mask"])
        check(w["Filename"]["text"] == "No File Selected", "source entry empty")
        check(w["Copy To"]["text"] == "No Directory Selected", "destination entry empty")
        check(w["Internal source"]["active"] and w["Internal destination"]["active"],
              "both radios on Internal")

        # Previews cannot be copied; the stick can.
        s.tap_rect(w["Previews source"]["rect"])
        w = manager(s, lambda l: l["widgets"]["Previews source"]["active"], "Previews chosen")
        check(not w["Copy"]["sensitive"], "Copy insensitive for previews")
        s.tap_rect(w["USB source"]["rect"])
        w = manager(s, lambda l: l["widgets"]["USB source"]["active"], "USB chosen")
        check(w["Copy"]["sensitive"], "Copy sensitive again")

        # Source: the stick's quilts folder, opened in the chooser and taken with OK.
        s.tap_rect(w["Source folder"]["rect"])
        c = chooser(s, lambda l: "quilts" in l["rows"], "the stick in the chooser")
        check(c["folders"] == [c["folder"]] and c["folder"].endswith("/media/usb/"),
              "drop-down starts at the stick: %s" % c["folders"])
        s.tap_rect(c["rows"]["quilts"])
        c = chooser(s, lambda l: "border" in l["rows"], "the quilts folder")
        check(len(c["folders"]) == 2 and c["folder"].endswith("/media/usb/quilts/"),
              "visited folder joins the drop-down: %s" % c["folders"])
        check(".." not in c["rows"], "no '..' row")
        s.tap_rect(c["ok"]["rect"])
        w = manager(s, lambda l: l["widgets"]["Filename"]["text"].endswith("/media/usb/quilts"),
                    "the folder in the source entry")

        # Destination: OK at the start folder itself, where only folders are listed.
        s.tap_rect(w["Destination folder"]["rect"])
        c = chooser(s, lambda l: "Stars" in l["rows"], "the pattern folder in the chooser")
        check(all(not name.endswith(".qcc") for name in c["rows"]),
              "folders only: %s" % list(c["rows"]))
        s.tap_rect(c["ok"]["rect"])
        w = manager(s, lambda l: l["widgets"]["Copy To"]["text"] == "./patterns",
                    "the start folder as destination")

        s.tap_rect(w["Copy"]["rect"])
        m = s.message(what="the directory question")
        check(m["text"].startswith("COPY THE ENTIRE DIRECTORY:\n") and
              m["text"].endswith("/media/usb/quilts/ \n TO: \n./patterns/quilts ?"),
              "directory question: %r" % m["text"])
        s.tap_response(m, -5)
        m = s.message(what="the outcome")
        check(m["text"] == "DIRECTORY COPIED", "outcome: %r" % m["text"])
        s.tap_response(m, -5)
        star = os.path.join(s.run, "patterns", "quilts", "border", "star.qcc")
        check(os.path.exists(star), "star.dxf imported as star.qcc")
        check(not os.path.exists(os.path.join(s.run, "thumbnails", "star.png")),
              "stale thumbnail removed")

        # The imported pattern is on the pattern select screen, previewed and selectable.
        s.choose("Add Pattern", s.open_menu("home", "the home menu"))
        st = s.wait_for(lambda l: l.get("screen") == "PatternSelect" and "quilts" in l["rows"],
                        what="quilts on the pattern select screen")
        s.tap_rect(st["rows"]["quilts"])
        st = s.wait_for(lambda l: "quilts/border" in l["rows"], event="select",
                        what="quilts opened")
        s.tap_rect(st["rows"]["quilts/border"])
        st = s.wait_for(lambda l: "quilts/border/star.qcc" in l["rows"], event="select",
                        what="border opened")
        s.tap_rect(st["rows"]["quilts/border/star.qcc"])
        st = s.wait_for(lambda l: l["widgets"]["selectButton"]["sensitive"], event="select",
                        what="the star's preview")
        check(st["patternName"] == "star.qcc", "name shown: %r" % st["patternName"])
        area = st["widgets"]["drawingArea"]
        check(area is not None and s.screenshot().count(BLACK, area) > 30, "preview drawn")


def main():
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("no Xvfb or xdotool")
        return 77
    for test in (copy_a_stick_folder,):
        try:
            test()
        except TestFailure as e:
            check(False, "%s: %s" % (test.__name__, e))
    return checks.exit_code()


sys.exit(main())
