#!/usr/bin/python3
"""Drawings for the join's end-to-end tests, and the check of a joined drawing.

  join_check.py make CASE FOLDER        writes FOLDER/in.dxf (ezdxf) for CASE
  join_check.py check CASE FOLDER HZ VT reads FOLDER/in.dxf and FOLDER/out.dxf

The check chains the input on its own, the way the join is meant to (every
object in drawing order a seed; the first object whose start, else whose end,
meets the chain's free end within the tolerances is taken, forwards from the
seed's end and backwards from its start; pieces moved onto the chain by the
gap they close), and compares the saved drawing with that: the same objects
left, and each new polyline with the same vertices, bulges and level. For the
line-only case it also compares with shapely's linemerge. The saved drawing
must pass ezdxf's audit. Prints what differs and exits 1, or exits 0.
"""
import math
import random
import sys

import ezdxf

SLACK = 1e-9
ARC_CHORDS = 32
SPACING = 0.001


# ---- drawings -----------------------------------------------------------------


def scramble_line(msp, rng, a, b, layer="0"):
    if rng.random() < 0.5:
        a, b = b, a
    msp.add_line(a, b, dxfattribs={"layer": layer})


def make_lines_and_arcs(msp, rng):
    """Lines and arcs in scrambled order and direction: open chains with
    gaps just inside 0.01 and just outside it, a branch, a closed loop."""
    adds = []
    for k in range(6):
        ox, oy = 100.0 * k, 0.0
        gap = 0.009 if k % 2 == 0 else 0.0
        # line, arc (quarter circle), line, arc the other way round
        adds.append(lambda ox=ox, oy=oy: ("line", (ox, oy, 0), (ox + 20, oy, 0)))
        adds.append(lambda ox=ox, oy=oy: ("arc", (ox + 20, oy + 10, 0), 10, 270, 0))
        adds.append(lambda ox=ox, oy=oy, gap=gap: ("line", (ox + 30 + gap, oy + 10, 0), (ox + 30, oy + 40, 0)))
        adds.append(lambda ox=ox, oy=oy: ("arc", (ox + 40, oy + 40, 0), 10, 90, 180))
    # a gap just outside the tolerance: two pieces that stay apart
    adds.append(lambda: ("line", (0, 200, 0), (10, 200, 0)))
    adds.append(lambda: ("line", (10.012, 200, 0), (20, 200, 0)))
    # a branch: three lines at one point
    adds.append(lambda: ("line", (0, 300, 0), (10, 300, 0)))
    adds.append(lambda: ("line", (10, 300, 0), (20, 310, 0)))
    adds.append(lambda: ("line", (10, 300, 0), (20, 290, 0)))
    # a closed loop of four lines
    square = [(0, 400, 0), (10, 400, 0), (10, 410, 0), (0, 410, 0)]
    for i in range(4):
        adds.append(lambda i=i: ("line", square[i], square[(i + 1) % 4]))
    # a lightweight polyline with a bulge continuing a line
    adds.append(lambda: ("line", (0, 500, 0), (10, 500, 0)))
    adds.append(lambda: ("lwpolyline", [(10, 500, 0, 0, 0.5), (20, 500, 0, 0, 0), (20, 510, 0, 0, 0)]))
    rng.shuffle(adds)
    for make in adds:
        item = make()
        if item[0] == "line":
            scramble_line(msp, rng, item[1], item[2], layer="Kerbs")
        elif item[0] == "arc":
            msp.add_arc(item[1], item[2], item[3], item[4], dxfattribs={"layer": "Kerbs"})
        else:
            pts = item[1]
            if rng.random() < 0.5:
                pts = list(reversed([(x, y, 0, 0, 0) for (x, y, _, _, _) in pts]))
                # the bulge belongs to the segment's start: move and negate it
                orig = item[1]
                n = len(orig)
                pts = [(orig[n - 1 - i][0], orig[n - 1 - i][1], 0, 0, -orig[n - 2 - i][4] if i < n - 1 else 0) for i in range(n)]
            msp.add_lwpolyline(pts, format="xyseb", dxfattribs={"layer": "Kerbs"})


def make_lines_only(msp, rng):
    """Line-only chains and loops, far apart, scrambled: no branches."""
    lines = []
    for k in range(8):
        x, y = 1000.0 * k + rng.random(), 500.0 + rng.random()
        points = [(x, y)]
        for _ in range(rng.randint(2, 7)):
            x += rng.uniform(5, 50)
            y += rng.uniform(-40, 40)
            points.append((x, y))
        if k % 3 == 0:
            points.append(points[0])  # a loop
        lines += [(points[i], points[i + 1]) for i in range(len(points) - 1)]
    rng.shuffle(lines)
    for a, b in lines:
        scramble_line(msp, rng, (a[0], a[1], 0), (b[0], b[1], 0))


def make_levels(msp, rng):
    """3D polylines and sloping lines with levels, and a level step just
    inside and just outside the vertical tolerance."""
    items = [
        ("poly3d", [(0, 0, 10), (10, 0, 10.5), (20, 5, 11)]),
        ("line", (20, 5, 11), (30, 5, 11.2)),
        ("poly3d", [(40, 10, 11.6), (30, 5, 11.2)]),
        ("arc", (40, 20, 11.6), 10, 270, 0),
        ("line", (0, 100, 5), (10, 100, 5.0)),
        ("line", (10, 100, 5.009), (20, 100, 6)),
        ("line", (20, 100, 6.02), (30, 100, 7)),
        # a ring whose ends meet within the tolerances
        ("poly3d", [(0, 200, 0), (10, 200, 1), (10, 210, 2)]),
        ("poly3d", [(10, 210, 2), (0.005, 200.004, 0.003)]),
    ]
    rng.shuffle(items)
    for item in items:
        if item[0] == "poly3d":
            pts = item[1] if rng.random() < 0.5 else list(reversed(item[1]))
            msp.add_polyline3d(pts, dxfattribs={"layer": "Levels"})
        elif item[0] == "line":
            scramble_line(msp, rng, item[1], item[2], layer="Levels")
        else:
            msp.add_arc(item[1], item[2], item[3], item[4], dxfattribs={"layer": "Levels"})


MIRRORED = (0, 0, -1)


def make_mirrored(msp, rng):
    """Pieces as mirroring in plan leaves them: arcs and lightweight polylines
    whose plane is seen from below (extrusion (0, 0, -1)), so that x runs the
    other way and arcs turn the other way. Where they lie, they make one chain
    with the lines between them; lines placed where their stored coordinates
    would lie meet nothing that is really there."""
    # line, then an arc from (10, 0) to (15, 5) turning left on the drawing
    msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "Kerbs"})
    msp.add_arc((-10, 5, 0), 5, 180, 270, dxfattribs={"layer": "Kerbs", "extrusion": MIRRORED})
    msp.add_line((15, 5), (15, 20), dxfattribs={"layer": "Kerbs"})
    # a polyline from (15, 20) with a bulge turning right on the drawing
    msp.add_lwpolyline([(-15, 20, 0, 0, -0.5), (-25, 20, 0, 0, 0.25), (-25, 30, 0, 0, 0)], format="xyseb",
                       dxfattribs={"layer": "Kerbs", "extrusion": MIRRORED})
    msp.add_line((25, 30), (40, 30), dxfattribs={"layer": "Kerbs"})
    # an arc mirrored in plan that turns right on the drawing, ending a second chain
    msp.add_line((0, 100), (10, 100), dxfattribs={"layer": "Kerbs"})
    msp.add_arc((-10, 95, 0), 5, 90, 180, dxfattribs={"layer": "Kerbs", "extrusion": MIRRORED})
    # where the stored coordinates of the pieces above would put them
    msp.add_line((-10, 0), (-20, -10), dxfattribs={"layer": "Decoys"})
    msp.add_line((-15, 20), (-15, 40), dxfattribs={"layer": "Decoys"})


def make_widths(msp, rng):
    """Widths: a lightweight polyline of constant width ending a chain, an
    old-style polyline of width ending another, and a polyline whose vertices
    give their own widths."""
    msp.add_line((0, 0), (10, 0))
    msp.add_lwpolyline([(10, 0), (20, 0), (20, 10)], dxfattribs={"const_width": 0.5})
    msp.add_line((0, 100), (10, 100))
    old = msp.add_polyline2d([(10, 100), (20, 100), (20, 110)])
    old.dxf.default_start_width = 0.3
    old.dxf.default_end_width = 0.3
    for v in old.vertices:
        v.dxf.start_width = 0.3
        v.dxf.end_width = 0.3
    msp.add_line((0, 200), (10, 200))
    msp.add_lwpolyline([(10, 200, 0.2, 0.2), (20, 200, 0.2, 0.2), (20, 210, 0.2, 0.2)], format="xyse")


CASES = {"lines_arcs": make_lines_and_arcs, "lines_only": make_lines_only, "levels": make_levels,
         "mirrored": make_mirrored, "widths": make_widths}


def make(case, folder):
    doc = ezdxf.new("R2000")
    doc.layers.add("Kerbs", color=3)
    doc.layers.add("Levels", color=4)
    doc.layers.add("Decoys", color=1)
    CASES[case](doc.modelspace(), random.Random(sum(map(ord, case))))
    doc.saveas(folder + "/in.dxf")


# ---- the independent chaining ---------------------------------------------------


def seen_from_above(entity):
    """+1 when the entity's plane is seen from above, -1 when from below
    (its arcs and bulges then turn the other way on the drawing)."""
    return -1.0 if entity.dxf.extrusion[2] < 0 else 1.0


def lw_world(entity):
    """A lightweight polyline's vertices where they lie: (x, y, z, bulge)."""
    sense = seen_from_above(entity)
    bulges = [b for (b,) in entity.get_points("b")]
    return [(p.x, p.y, p.z, sense * b) for p, b in zip(entity.vertices_in_wcs(), bulges)]


def lw_width(entity):
    """The width a lightweight polyline is drawn with at its last vertex: the
    vertex's own, else the constant width."""
    s, e = list(entity.get_points("se"))[-1]
    return s if (s or e) else entity.dxf.const_width


class Piece:
    """An input object where it lies in the drawing (ezdxf's world
    coordinates), as a list of plan segments (start, end, bulge as seen from
    above) with the level at each segment end."""

    def __init__(self, entity):
        self.entity = entity
        self.handle = entity.dxf.handle
        self.layer = entity.dxf.layer
        self.segments = []  # ((x0, y0, z0), (x1, y1, z1), bulge)
        self.is3d = False
        self.width = 0.0
        t = entity.dxftype()
        if t == "LINE":
            a, b = tuple(entity.dxf.start), tuple(entity.dxf.end)
            self.segments = [(a, b, 0.0)]
            self.is3d = a[2] != b[2]
        elif t == "ARC":
            a0, a1 = entity.dxf.start_angle, entity.dxf.end_angle
            sweep = math.radians((a1 - a0) % 360)
            a, b = tuple(entity.start_point), tuple(entity.end_point)
            self.segments = [(a, b, seen_from_above(entity) * math.tan(sweep / 4))]
        elif t == "LWPOLYLINE":
            pts = lw_world(entity)
            for i in range(len(pts) - 1):
                self.segments.append((pts[i][:3], pts[i + 1][:3], pts[i][3]))
            self.width = lw_width(entity)
        elif t == "POLYLINE":
            pts = [tuple(v.dxf.location) for v in entity.vertices]
            self.segments = [(pts[i], pts[i + 1], 0.0) for i in range(len(pts) - 1)]
            self.is3d = entity.is_3d_polyline
            self.width = entity.dxf.default_start_width
        self.start = self.segments[0][0]
        self.end = self.segments[-1][1]
        self.used = False
        self.reversed = False
        self.shift = (0.0, 0.0)

    def laid_segments(self):
        """The segments as the piece lies in the chain."""
        dx, dy = self.shift
        segs = self.segments
        if self.reversed:
            segs = [(b, a, -bulge) for (a, b, bulge) in reversed(segs)]
        return [((a[0] + dx, a[1] + dy, a[2]), (b[0] + dx, b[1] + dy, b[2]), bulge) for (a, b, bulge) in segs]


def meets(p, q, hz, vt):
    return math.hypot(p[0] - q[0], p[1] - q[1]) <= hz + SLACK and abs(p[2] - q[2]) <= vt + SLACK


def grow(seed, pieces, hz, vt, forward):
    found = []
    current = seed
    while True:
        at_end = forward != current.reversed
        p = current.end if at_end else current.start
        taken = None
        for c in pieces:
            if c.used:
                continue
            by_start = meets(p, c.start, hz, vt)
            if by_start or meets(p, c.end, hz, vt):
                m = c.start if by_start else c.end
                c.reversed = (not by_start) if forward else by_start
                c.shift = (p[0] - m[0], p[1] - m[1])
                c.used = True
                taken = c
                break
        if taken is None:
            return found
        found.append(taken)
        current = taken


def arc_points(a, b, bulge, n):
    """n chord ends along the arc from a to b with the given bulge."""
    chord = math.hypot(b[0] - a[0], b[1] - a[1])
    angle = 4 * math.atan(bulge)
    r = chord / (2 * math.sin(abs(angle) / 2))
    mx, my = (a[0] + b[0]) / 2, (a[1] + b[1]) / 2
    d = math.sqrt(max(r * r - (chord / 2) ** 2, 0.0))
    ux, uy = (b[0] - a[0]) / chord, (b[1] - a[1]) / chord
    side = 1 if (bulge > 0) == (abs(angle) < math.pi) else -1
    cx, cy = mx - side * uy * d, my + side * ux * d
    a0 = math.atan2(a[1] - cy, a[0] - cx)
    return [(cx + r * math.cos(a0 + angle * k / n), cy + r * math.sin(a0 + angle * k / n)) for k in range(1, n + 1)]


def expected(pieces, hz, vt):
    """The new polylines: ('lw', layer, elevation, [(x, y, bulge)]) or
    ('3d', layer, [(x, y, z)])."""
    out = []
    for seed in pieces:
        if seed.used:
            continue
        seed.used = True
        fwd = grow(seed, pieces, hz, vt, True)
        bwd = grow(seed, pieces, hz, vt, False)
        if not fwd and not bwd:
            continue
        chain = list(reversed(bwd)) + [seed] + fwd
        for p in chain:
            p.erased = True
        if any(p.is3d for p in chain):
            verts = []
            for p in chain:
                segs = p.laid_segments()
                verts.append(segs[0][0])
                for a, b, bulge in segs:
                    if bulge:
                        verts += [(x, y, b[2]) for (x, y) in arc_points(a, b, bulge, ARC_CHORDS)]
                    else:
                        verts.append(b)
            if meets(verts[0], verts[-1], hz, vt):
                verts[-1] = verts[0]
            kept = [v for i, v in enumerate(verts) if i == 0 or math.hypot(v[0] - verts[i - 1][0], v[1] - verts[i - 1][1]) > SPACING]
            out.append(("3d", seed.layer, kept))
        else:
            segs = [s for p in chain for s in p.laid_segments()]
            verts = [(segs[0][0][0], segs[0][0][1], segs[0][2])]
            for i, (a, b, bulge) in enumerate(segs):
                if i > 0:
                    verts[-1] = (verts[-1][0], verts[-1][1], bulge)
                verts.append((b[0], b[1], 0.0))
            # the width of the last piece found forwards, else the seed's
            width = (fwd[-1] if fwd else seed).width
            out.append(("lw", seed.layer, seed.start[2], verts, width, chain))
    return out


# ---- the comparison -------------------------------------------------------------


def close(a, b, tol=1e-6):
    return abs(a - b) <= tol


def check(case, folder, hz, vt):
    problems = []
    source = ezdxf.readfile(folder + "/in.dxf")
    saved = ezdxf.readfile(folder + "/out.dxf")
    auditor = saved.audit()
    if auditor.has_errors:
        problems.append("audit: %s" % [str(e) for e in auditor.errors])

    pieces = [Piece(e) for e in source.modelspace() if e.dxftype() in ("LINE", "ARC", "LWPOLYLINE", "POLYLINE")]
    for p in pieces:
        p.erased = False
    want = expected(pieces, hz, vt)
    kept_want = sorted(p.handle for p in pieces if not p.erased)
    input_handles = {p.handle for p in pieces}
    msp = list(saved.modelspace())
    kept = sorted(e.dxf.handle for e in msp if e.dxf.handle in input_handles)
    if kept != kept_want:
        problems.append("objects left: %s, expected %s" % (kept, kept_want))
    made = [e for e in msp if e.dxf.handle not in input_handles]
    if len(made) != len(want):
        problems.append("%d new polylines, expected %d" % (len(made), len(want)))
    for n, (e, w) in enumerate(zip(made, want)):
        if e.dxf.layer != w[1]:
            problems.append("polyline %d on layer %s, expected %s" % (n, e.dxf.layer, w[1]))
        if w[0] == "lw":
            if e.dxftype() != "LWPOLYLINE":
                problems.append("polyline %d is a %s, expected LWPOLYLINE" % (n, e.dxftype()))
                continue
            got = lw_world(e)
            if not all(close(g[2], w[2]) for g in got):
                problems.append("polyline %d at level %r, expected %r" % (n, got[0][2], w[2]))
            got = [(x, y, b) for x, y, _, b in got]
            if len(got) != len(w[3]) or any(not (close(g[0], v[0]) and close(g[1], v[1]) and close(g[2], v[2], 1e-9)) for g, v in zip(got, w[3])):
                problems.append("polyline %d: %s\n   expected %s" % (n, got, w[3]))
            widths = {round(x, 9) for pair in e.get_points("se") for x in pair} | {round(e.dxf.const_width, 9)}
            if widths != {round(w[4], 9)}:
                problems.append("polyline %d of widths %s, expected %r" % (n, sorted(widths), w[4]))
            problems += drawn_apart(n, e, w[5], hz)
        else:
            if e.dxftype() != "POLYLINE" or not e.is_3d_polyline or e.is_closed:
                problems.append("polyline %d is not an open 3D polyline" % n)
                continue
            got = [tuple(v.dxf.location) for v in e.vertices]
            if len(got) != len(w[2]) or any(not all(close(g[i], v[i]) for i in range(3)) for g, v in zip(got, w[2])):
                problems.append("3D polyline %d: %s\n   expected %s" % (n, got, w[2]))

    if case == "lines_only":
        from shapely.geometry import MultiLineString
        from shapely.ops import linemerge

        merged = linemerge(MultiLineString([[(p.start[0], p.start[1]), (p.end[0], p.end[1])] for p in pieces]))
        lines = list(merged.geoms) if hasattr(merged, "geoms") else [merged]
        theirs = sorted(normal(list(l.coords)) for l in lines)
        ours = [list((x, y) for x, y, _ in e.get_points("xyb")) for e in made]
        ours += [[(e.dxf.start.x, e.dxf.start.y), (e.dxf.end.x, e.dxf.end.y)] for e in msp if e.dxftype() == "LINE"]
        ours = sorted(normal(l) for l in ours)
        if ours != theirs:
            problems.append("linemerge differs:\n   ours   %s\n   theirs %s" % (ours, theirs))

    for p in problems:
        print(p)
    return 1 if problems else 0


def drawn_apart(n, made, chain, hz):
    """Where the new polyline and its pieces are drawn, as ezdxf draws them
    (its own paths in world coordinates, flattened), compared with shapely:
    each must lie on the other, give or take the gaps the join closed."""
    from ezdxf import path
    from shapely.geometry import LineString, MultiLineString

    def drawn(entity):
        return [(v.x, v.y) for v in path.make_path(entity).flattening(0.0001)]

    pieces = MultiLineString([drawn(p.entity) for p in chain])
    joined = LineString(drawn(made))
    apart = joined.hausdorff_distance(pieces)
    if apart > hz + 0.001:
        return ["polyline %d lies %.4f away from its pieces" % (n, apart)]
    return []


def normal(coords):
    """A line's points in a form that ignores its direction and, for a ring,
    where it starts."""
    pts = [(round(x, 9), round(y, 9)) for x, y in coords]
    if len(pts) > 2 and pts[0] == pts[-1]:
        ring = pts[:-1]
        forms = []
        for seq in (ring, list(reversed(ring))):
            i = seq.index(min(seq))
            forms.append(tuple(seq[i:] + seq[:i]))
        return ("ring", min(forms))
    return ("line", min(tuple(pts), tuple(reversed(pts))))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
        sys.exit(0)
    sys.exit(check(sys.argv[2], sys.argv[3], float(sys.argv[4]), float(sys.argv[5])))
