"""Layout files written in the program's binary layout format, for the GUI tests."""
import struct


def _floats(*values):
    return b"".join(struct.pack("<f", v) for v in values)


def _ints(*values):
    return b"".join(struct.pack("<i", v) for v in values)


def _text(s):
    raw = s.encode()[:255]
    return raw + b"\0" * (256 - len(raw))


def _corners(corners):
    out = _ints(len(corners))
    for i, (x, y) in enumerate(corners):
        out += _ints(i) + _floats(x, y)
    return out


def _box(corners):
    xs, ys = [c[0] for c in corners], [c[1] for c in corners]
    w, h = max(xs) - min(xs), max(ys) - min(ys)
    return _floats(min(xs), min(ys), w, h, 0.0, w / 2, h / 2) + _corners(corners)


def read_points(qcc_text):
    """The points and stroke starts of a pattern file: ([(x, y)], [1-based point of each "c s"])."""
    points, starts = [], []
    for line in qcc_text.splitlines():
        if line.startswith("p") and "X" in line and "Y" in line:
            x = float(line.split("X", 1)[1].split("Y", 1)[0])
            y = float(line.split("Y", 1)[1])
            points.append((x, y))
        elif line.startswith("c s"):
            starts.append(len(points) + 1)
    return points, starts


def layout(extents, boxes, patterns, placements):
    """extents and boxes: corner lists in inches; patterns: (name, points, stroke starts);
    placements: (box, pattern, x, y)."""
    out = b""
    xs, ys = [c[0] for c in extents], [c[1] for c in extents]
    w, h = max(xs) - min(xs), max(ys) - min(ys)
    out += b"\x01" + _floats(min(xs), min(ys), w / 2, h / 2, w, h, 0.0) + _corners(extents) + b"\x10"
    for name, points, starts in patterns:
        px, py = [p[0] for p in points], [p[1] for p in points]
        minx, miny = min(px), min(py)
        pts = [(x - minx, y - miny) for x, y in points]
        pw, ph = max(px) - minx, max(py) - miny
        out += b"\x02" + _text(name) + _text("") + _text("")
        # shifted points keep their corner at 0, 0; the minimum is stored as 0 to match
        out += _floats(pw, ph, pw, ph, 0.0, pw, 0.0, ph) + _ints(0) + _floats(100.0, 100.0)
        out += _ints(len(pts)) + b"".join(_floats(x, y) for x, y in pts)
        out += _ints(len(starts)) + b"".join(_ints(0, s) for s in starts) + b"\x10"
    for corners in boxes:
        out += b"\x04" + _box(corners) + b"\x10"
    for box, pattern, x, y in placements:
        out += b"\x05" + _ints(box, pattern, -1) + b"\x00" + _floats(x, y) + b"\x10"
    return out
