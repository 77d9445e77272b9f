#!/usr/bin/python3
"""DXF drawings written by another program (ezdxf), and what they contain as ezdxf reads them.

    dxf_samples.py generate DIR    writes sample drawings in the R12 and R2000 flavours
    dxf_samples.py measure FILE... prints one line per file:
                                   "FILE MINX MINY MAXX MAXY LENGTH RUNS BOXSLACK LENGTHSLACK"
                                   (or "FILE empty", "FILE unreadable REASON")

The measurements follow how the importer is meant to see a drawing: entities of model space
and the active paper space only (not those inside block definitions), LINEs of line type
DASHED left out, polylines joined by straight segments between their vertices and not closed,
splines as their control polygon, arcs counter-clockwise from start to end angle, the Z
coordinate and extrusion ignored. LENGTH is the length drawn along the entities; RUNS the
number of entities that draw something. A pattern cuts curves into chords about 0.1 long,
which shortens them and can pull their extent inwards; BOXSLACK and LENGTHSLACK bound by how
much, from the arcs and circles of the drawing.
"""
import math
import random
import sys

import ezdxf


def sample_entities(space, rng, count):
    for layer in ("0", "Wall 2"):
        space.add_line((0, 0), (4, 0), dxfattribs={"layer": layer})
    # Two lines sharing an end point, one listed backwards.
    space.add_line((4, 0), (4, 3))
    space.add_line((0, 3), (4, 3))
    space.add_line((10, 10), (12, 10), dxfattribs={"linetype": "DASHED"})
    space.add_circle((2, 1.5), 1)
    space.add_arc((6, 6), 2, 350, 10)
    space.add_arc((6, 6), 1.5, 30, 200)
    space.add_arc((6, 6), 1.25, -90, 90)
    space.add_point((7, -1))
    space.add_text("a label with blanks", dxfattribs={"insert": (1, 1), "height": 0.2})
    space.add_polyline2d([(8, 0), (9, 1), (10, 0), (11, 1)])
    for _ in range(count):
        x, y = rng.uniform(-20, 40), rng.uniform(-20, 40)
        kind = rng.randrange(4)
        if kind == 0:
            space.add_line((x, y), (x + rng.uniform(-3, 3), y + rng.uniform(-3, 3)))
        elif kind == 1:
            space.add_circle((x, y), rng.uniform(0.2, 4))
        elif kind == 2:
            space.add_arc((x, y), rng.uniform(0.2, 4), rng.uniform(0, 360), rng.uniform(0, 360))
        else:
            space.add_polyline2d([(x + i, y + rng.uniform(-1, 1)) for i in range(5)])


def generate(folder):
    rng = random.Random(20240611)
    for version, name in (("R12", "sample_r12.dxf"), ("R2000", "sample_r2000.dxf")):
        doc = ezdxf.new(version, setup=True)
        msp = doc.modelspace()
        block = doc.blocks.new(name="FLOWER")
        block.add_circle((0, 0), 50)
        block.add_line((-100, -100), (100, 100))
        msp.add_blockref("FLOWER", (30, 30))
        sample_entities(msp, rng, 60)
        if version != "R12":
            msp.add_lwpolyline([(0, 5), (1, 5), (1, 6)], close=True)
            msp.add_spline(fit_points=[(12, 0), (13, 2), (15, 1), (16, 3)])
        doc.saveas(f"{folder}/{name}")


def xy(v):
    return (v[0], v[1])


def normal_degrees(d):
    return d if 0 <= d <= 360 else d % 360.0


class Measure:
    def __init__(self):
        self.xs, self.ys = [], []
        self.length = 0.0
        self.runs = 0
        self.box_slack = 0.0
        self.length_slack = 0.0

    def path(self, points):
        points = [(float(x), float(y)) for x, y in points]
        if not points:
            return
        self.runs += 1
        for x, y in points:
            self.xs.append(x)
            self.ys.append(y)
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            self.length += math.hypot(x1 - x0, y1 - y0)

    def arc(self, cx, cy, r, start, sweep):
        if r <= 0:
            return
        # The curve's extent; the length is added exactly.
        n = max(2, int(sweep * r / 0.01) + 2)
        pts = [(cx + r * math.cos(start + sweep * i / (n - 1)),
                cy + r * math.sin(start + sweep * i / (n - 1))) for i in range(n)]
        length = self.length
        self.path(pts)
        self.length = length + r * sweep
        # Chords of angle theta lose length and bow inwards; past a radian they may miss
        # most of a small circle.
        theta = 0.1 / r
        if theta <= 1:
            self.length_slack += r * sweep * (1 - math.sin(theta / 2) / (theta / 2))
            self.box_slack = max(self.box_slack, r * (1 - math.cos(theta / 2)))
        else:
            self.length_slack += r * sweep
            self.box_slack = max(self.box_slack, 2 * r)

    def entity(self, e):
        t = e.dxftype()
        if t == "LINE":
            if e.dxf.hasattr("linetype") and e.dxf.linetype == "DASHED":
                return
            self.path([xy(e.dxf.start), xy(e.dxf.end)])
        elif t == "POINT":
            self.path([xy(e.dxf.location)])
        elif t == "CIRCLE":
            c = e.dxf.center
            self.arc(c[0], c[1], e.dxf.radius, 0.0, 2 * math.pi)
        elif t == "ARC":
            c = e.dxf.center
            s = math.radians(normal_degrees(e.dxf.start_angle))
            t_ = math.radians(normal_degrees(e.dxf.end_angle))
            sweep = t_ - s if t_ >= s else t_ - s + 2 * math.pi
            self.arc(c[0], c[1], e.dxf.radius, s, sweep)
        elif t == "LWPOLYLINE":
            self.path(e.get_points("xy"))
        elif t == "POLYLINE":
            self.path([xy(v.dxf.location) for v in e.vertices])
        elif t == "SPLINE":
            self.path([xy(p) for p in e.control_points])


def measure(path):
    doc = ezdxf.readfile(path)
    m = Measure()
    for space in (doc.modelspace(), doc.layouts.active_layout()):
        for e in space:
            m.entity(e)
    if not m.xs:
        return f"{path} empty"
    return (f"{path} {min(m.xs):.6f} {min(m.ys):.6f} {max(m.xs):.6f} {max(m.ys):.6f} "
            f"{m.length:.6f} {m.runs} {m.box_slack:.6f} {m.length_slack:.6f}")


def main(argv):
    if len(argv) >= 3 and argv[1] == "generate":
        generate(argv[2])
    elif len(argv) >= 2 and argv[1] == "measure":
        for path in argv[2:]:
            try:
                print(measure(path))
            except Exception as error:  # a file ezdxf cannot read is reported, not measured
                print(f"{path} unreadable {type(error).__name__}")
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
