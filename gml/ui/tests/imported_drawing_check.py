#!/usr/bin/python3
"""Independent check of drawings that a real import saved: each drawing is
audited by ezdxf, and the entities that carry OS xdata are compared, feature
by feature (by TOID and kind), with a reading of the same GML by Python's own
XML parser (gml/reader/tests/gml_reference.py).

usage: imported_drawing_check.py [--window X1,Y1,X2,Y2] GML DXF [[--window ...] GML DXF ...]

Each pair is the GML file that was imported alone (or several, joined by
':', imported together) and the drawing it gave,
drawn with the default support folder's settings: areas as solid hatches and
closed outlines (the first outer ring and every inner ring), lines, links and
roads as polylines, points, nodes and address points as points or blocks,
texts as texts, and a label beside each point and symbol. With --window the
drawing holds one location of a batch run: only the features lying wholly
inside the window are expected, and nothing else may be drawn.

Prints one line per pair, "ok ..." or "FAIL ..." followed by the first
differences, and ends with status 1 when any pair failed.
"""
import collections
import os
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "reader", "tests"))
import gml_reference  # noqa: E402

APP_PREFIX = "LARCHWORKS_XGML_OSGB_"
# Tag 0B of the OS xdata: the kind of feature an entity stands for.
KIND_OF = {"1": "line", "2": "point", "3": "symbol", "4": "text", "5": "outline",
           "6": "hatch", "7": "node", "8": "link", "9": "road"}
SHOWN = 6  # differences shown per drawing


def key(x, y):
    """A vertex as compared: four decimals, more than the files carry."""
    return (round(x, 4), round(y, 4))


def open_run(points):
    """A polyline as the writers draw it: consecutive repeats dropped."""
    out = []
    for p in points:
        k = key(*p)
        if not out or out[-1] != k:
            out.append(k)
    return tuple(out)


def closed_ring(points):
    """A ring without its closing vertex, consecutive repeats dropped."""
    ring = list(open_run(points))
    while len(ring) > 1 and ring[-1] == ring[0]:
        ring.pop()
    return tuple(ring)


def os_xdata(entity, apps):
    """The OS block of an entity as {tag: value}, or None."""
    for app in apps:
        if entity.has_xdata(app):
            tags = {}
            for tag in entity.get_xdata(app):
                if tag.code == 1000 and len(tag.value) >= 2:
                    tags[tag.value[:2]] = tag.value[2:]
            return tags
    return None


def text_position(entity):
    if entity.dxf.get("halign", 0) or entity.dxf.get("valign", 0):
        return entity.dxf.get("align_point", entity.dxf.insert)
    return entity.dxf.insert


def hatch_rings(entity):
    rings = []
    for path in entity.paths:
        if hasattr(path, "vertices"):
            rings.append(closed_ring([(v[0], v[1]) for v in path.vertices]))
        else:
            rings.append(closed_ring([(edge.start[0], edge.start[1]) for edge in path.edges]))
    return rings


def drawn_items(doc):
    """(kind, TOID) -> the geometry items of the drawing's OS entities, and
    the problems met reading them."""
    apps = [a.dxf.name for a in doc.appids if a.dxf.name.upper().startswith(APP_PREFIX)]
    items = collections.defaultdict(list)
    problems = []
    for e in doc.modelspace():
        tags = os_xdata(e, apps)
        if tags is None:
            continue
        if "10" in tags and "01" not in tags:
            kind, toid = "address", tags["10"]
        else:
            kind, toid = KIND_OF.get(tags.get("0B", ""), "?"), tags.get("01", "")
        t = e.dxftype()
        if t == "LWPOLYLINE":
            points = [(p[0], p[1]) for p in e.get_points("xy")]
            items[(kind, toid)].append(("ring", closed_ring(points)) if e.closed else ("run", open_run(points)))
        elif t == "HATCH":
            items[(kind, toid)].append(("hatch", tuple(sorted(hatch_rings(e)))))
        elif t in ("POINT", "INSERT"):
            p = e.dxf.location if t == "POINT" else e.dxf.insert
            items[(kind, toid)].append(("at", key(p[0], p[1]), round(p[2], 3)))
        elif t == "TEXT":
            p = text_position(e)
            items[(kind, toid)].append(("text", key(p[0], p[1]), e.dxf.text))
        else:
            problems.append("%s %s: unexpected %s" % (kind, toid, t))
    return items, problems


def expected_items(feature):
    """The geometry items the drawing must hold for a reference feature."""
    kind = feature.kind
    if kind in ("line", "link", "road"):
        runs = [open_run(p) for p in feature.pieces]
        return {kind: [("run", r) for r in runs if len(r) > 1]}
    if kind == "area":
        outer = [closed_ring(r) for r in feature.pieces[:1]]
        inner = [closed_ring(r) for r in feature.inner]
        rings = [r for r in outer + inner if len(r) > 2]
        if not outer or len(outer[0]) < 3:
            return {}
        return {"outline": [("ring", r) for r in rings], "hatch": [("hatch", tuple(sorted(rings)))]}
    x, y = feature.pieces[0][0]
    if kind in ("point", "symbol"):
        z = 0.0 if feature.z is None or feature.z == -999.0 else round(feature.z, 3)
        # The position, and the label beside it.
        return {kind: [("at", key(x, y), z), ("label", key(x, y))]}
    if kind == "text":
        return {kind: [("text", key(x, y), feature.text)]}
    return {kind: [("at", key(x, y), 0.0)]}


def comparable(item):
    """Labels are compared by position: their text is the descriptive term."""
    if item[0] == "text" and item[2].endswith("   "):
        return ("label", item[1])
    return item


def brief(items):
    """Items named by their shape and size, with the first vertex."""
    def one(item):
        if item[0] in ("run", "ring"):
            return "%s of %d vertices from %s" % (item[0], len(item[1]), item[1][0] if item[1] else "-")
        if item[0] == "hatch":
            return "hatch of %d loops" % len(item[1])
        return repr(item)
    return "; ".join(one(i) for i in items[:3]) + ("; ..." if len(items) > 3 else "")


def difference(got, want):
    """The first place where two sorted item lists differ."""
    if len(got) != len(want):
        return "drawn %d entities (%s), expected %d (%s)" % (len(got), brief(got), len(want), brief(want))
    for g, w in zip(got, want):
        if g == w:
            continue
        if g[0] == w[0] and g[0] in ("run", "ring"):
            if len(g[1]) != len(w[1]):
                return "%s of %d vertices drawn, %d expected" % (g[0], len(g[1]), len(w[1]))
            i = next(i for i in range(len(g[1])) if g[1][i] != w[1][i])
            return "%s vertex %d drawn at %s, expected %s" % (g[0], i, g[1][i], w[1][i])
        if g[0] == w[0] == "hatch":
            return "hatch loops drawn %s, expected %s" % (
                [len(r) for r in g[1]], [len(r) for r in w[1]]) if g[1] != w[1] else "hatch"
        return "drawn %r, expected %r" % (g, w)
    return "differs"


def inside(feature, window):
    x1, y1, x2, y2 = window
    points = [p for piece in feature.pieces for p in piece] + [p for r in feature.inner for p in r]
    return bool(points) and all(x1 < x < x2 and y1 < y < y2 for x, y in points)


def check(gml, dxf, window):
    name = "+".join(os.path.basename(path) for path in gml.split(os.pathsep))
    try:
        doc = ezdxf.readfile(dxf)
    except (IOError, ezdxf.DXFError) as error:
        return ["FAIL %s: not read: %s" % (name, error)]
    failures = ["audit: %s" % e.message for e in doc.audit().errors]
    drawn, problems = drawn_items(doc)
    failures += problems
    features = [f for path in gml.split(os.pathsep) for f in gml_reference.reading(path)]
    if window:
        features = [f for f in features if inside(f, window)]
    expected = collections.defaultdict(list)
    area_toids = set()
    for f in features:
        if f.kind == "area":
            area_toids.add(f.toid)
        for kind, items in expected_items(f).items():
            expected[(kind, f.toid)] += items
    # Symbols planted in areas stand for their area, not for a feature of
    # their own: they are not compared.
    for k in [k for k in drawn if k[0] == "symbol" and k not in expected and k[1] in area_toids]:
        del drawn[k]
    shapes = 0
    for k in sorted(set(expected) | set(drawn)):
        want = sorted(expected.get(k, []))
        got = sorted(comparable(i) for i in drawn.get(k, []))
        shapes += len(got)
        if want == got:
            continue
        if not got:
            failures.append("%s %s: not drawn; expected %s" % (k[0], k[1], brief(want)))
        elif not want:
            failures.append("%s %s: drawn but not expected%s: %s" % (
                k[0], k[1], " in the window" if window else "", brief(got)))
        else:
            failures.append("%s %s: %s" % (k[0], k[1], difference(got, want)))
    summary = "%s: %d features, %d entities compared" % (name, len(features), shapes)
    if not features:
        failures.append("no feature expected")
    if not failures:
        return ["ok " + summary]
    return ["FAIL %s, %d differences" % (summary, len(failures))] + ["    " + f for f in failures[:SHOWN]]


def main(args):
    failed = False
    window = None
    pairs = []
    while args:
        if args[0] == "--window":
            window = tuple(float(v) for v in args[1].split(","))
            args = args[2:]
            continue
        if len(args) < 2:
            print(__doc__)
            return 2
        pairs.append((args[0], args[1], window))
        window = None
        args = args[2:]
    for gml, dxf, window in pairs:
        lines = check(gml, dxf, window)
        failed = failed or lines[0].startswith("FAIL")
        print("\n".join(lines))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
