#!/usr/bin/env python3
"""An independent reading of an OS MasterMap GML file, for the reader's tests.

usage: gml_reference.py FILE(.gml or .gz)
(or, from Python: reading(FILE), the same features with their geometry)

Parses the file with Python's own XML parser and prints, one line per
feature, what the import reader must store for it when it reads the file on
its own with every feature class switched on and no filter: the feature's
kind, TOID, main attributes and every coordinate of its geometry. The lines
are sorted, so two readings compare as text.

The values follow the reader's rules for records: text fields cut to their
width, the last descriptive value of a feature kept, numbers that a feature
lacks carried over from earlier features of the file where the reader carries
them, areas given by references assembled from the file's own lines.
"""
import gzip
import sys
import xml.etree.ElementTree as ET

OSGB = "{http://www.ordnancesurvey.co.uk/xml/namespaces/osgb}"
GML = "{http://www.opengis.net/gml}"
XLINK = "{http://www.w3.org/1999/xlink}href"


def cut(text, width):
    """The reader's field: at most width - 1 bytes of the text."""
    return (text or "").encode("utf-8")[: width - 1].decode("utf-8", "ignore")


def tuples(text):
    out = []
    for token in (text or "").split():
        parts = token.split(",")
        if len(parts) >= 2 and parts[0] and parts[1]:
            out.append((float(parts[0]), float(parts[1])))
    return out


def fmt(points):
    return ";".join("%.3f,%.3f" % p for p in points)


def local(tag):
    return tag.split("}")[-1]


class State:
    """Values the reader carries from one feature to the next."""

    def __init__(self):
        self.version = 1
        self.height = 1.0
        self.anchor = 5
        self.level = 0


def last_text(feature, name):
    value = ""
    for e in feature.iter(OSGB + name):
        if e.text:
            value = e.text
    return value


def leaf_text(feature, name):
    """The last non-blank text of an element (nested copies included)."""
    value = None
    for e in feature.iter(OSGB + name):
        if e.text and e.text.strip():
            value = e.text
    return value


def carry(e, state):
    """Values that stay with the reader until an element of the file changes them."""
    name = local(e.tag)
    if not e.text or not e.tag.startswith(OSGB):
        return
    if name.lower() == "version":
        state.version = int(float(e.text.strip() or 0))
    elif name == "height":
        state.height = float(e.text)
    elif name == "anchorPosition":
        state.anchor = int(e.text)


def common(feature, state, with_code=True):
    for e in feature.iter():
        carry(e, state)
    code = cut(last_text(feature, "featureCode"), 17) + "|" if with_code else ""
    return "%s%s|%s|%s|%d" % (
        code,
        cut(last_text(feature, "theme"), 65),
        cut(last_text(feature, "descriptiveGroup"), 65),
        cut(last_text(feature, "descriptiveTerm"), 65),
        state.version,
    )


def coordinates_in(element, path):
    found = element.find(path)
    return tuples(found.text if found is not None else "")


class Feature:
    """One feature as the reader stores it: its kind (the first word of its
    line), TOID, line, and geometry: the pieces of a line, link or road, the
    outer rings of an area (inner holds its inner rings), or the one position
    of a point-like feature (z: a point's height above datum, -999 when it
    has none; text: a text's string)."""

    def __init__(self, kind, toid, line, pieces, inner=(), z=None, text=None):
        self.kind = kind
        self.toid = toid
        self.line = line
        self.pieces = pieces
        self.inner = list(inner)
        self.z = z
        self.text = text


def reading(path):
    """Every feature the reader must store for the file, in file order
    (areas and roads given by references after the others)."""
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        root = ET.parse(f).getroot()
    state = State()
    out = []

    def add(kind, toid, line, pieces, inner=(), z=None, text=None):
        out.append(Feature(kind, toid, line, pieces, inner, z, text))
    lines = {}  # TOID -> points, for rings and roads given by references
    links = {}
    areas_by_reference = []
    roads = []
    for feature in root.iter():
        carry(feature, state)
        kind = local(feature.tag)
        fid = feature.get("fid", "")
        toid = cut(fid[4:], 17) if fid.startswith("osgb") else ""
        if kind in ("TopographicPoint", "CartographicSymbol"):
            attrs = common(feature, state)
            pts = coordinates_in(feature, OSGB + "point/" + GML + "Point/" + GML + "coordinates")
            if pts:
                had = leaf_text(feature, "heightAboveDatum")
                z = float(had) if had is not None else -999.0
                orientation = leaf_text(feature, "orientation")
                shape = "point" if kind == "TopographicPoint" else "symbol"
                add(shape, toid, "%s|%s|%s|%s|z=%.3f|o=%s" % (
                    shape, toid, attrs, fmt(pts[:1]),
                    z, "%.1f" % float(orientation) if orientation else "0.0"), [pts[:1]], z=z)
        elif kind == "CartographicText":
            attrs = common(feature, state)
            pts = coordinates_in(feature, OSGB + "anchorPoint/" + GML + "Point/" + GML + "coordinates")
            if pts:
                orientation = leaf_text(feature, "orientation")
                add("text", toid, "text|%s|%s|%s|%s|h=%.2f|a=%d|o=%s" % (
                    toid, attrs, fmt(pts[:1]), cut(last_text(feature, "textString"), 129),
                    state.height, state.anchor,
                    "%.1f" % float(orientation) if orientation else "0.0"), [pts[:1]],
                    text=cut(last_text(feature, "textString"), 129))
        elif kind in ("TopographicLine", "BoundaryLine"):
            attrs = common(feature, state)
            pts = coordinates_in(feature, OSGB + "polyline/" + GML + "LineString/" + GML + "coordinates")
            lines[toid] = pts
            if len(pts) > 1:
                add("line", toid, "line|%s|%s|%s" % (toid, attrs, fmt(pts)), [pts])
        elif kind == "TopographicArea":
            attrs = common(feature, state)
            polygon = feature.find(OSGB + "polygon")
            if polygon is None:
                continue
            gml_polygon = polygon.find(GML + "Polygon")
            if gml_polygon is not None:
                outer = coordinates_in(gml_polygon, GML + "outerBoundaryIs/" + GML + "LinearRing/" + GML + "coordinates")
                if len(outer) > 1:
                    inners = [tuples(c.text) for c in gml_polygon.iterfind(
                        GML + "innerBoundaryIs/" + GML + "LinearRing/" + GML + "coordinates")]
                    inners = [r for r in inners if len(r) > 1]
                    add("area", toid, "area|%s|%s|outer=%s|inner=%s" % (
                        toid, attrs, fmt(outer), "/".join(fmt(r) for r in inners)), [outer], inner=inners)
            else:
                rings = []
                for boundary in polygon:
                    name = local(boundary.tag)
                    if name not in ("outerBoundaryIs", "innerBoundaryIs"):
                        continue
                    members = [(m.get(XLINK, "")[5:21], m.get("orientation") == "-")
                               for m in boundary.iter(OSGB + "ringMember")]
                    rings.append((name == "outerBoundaryIs", members))
                if any(outer and members for outer, members in rings):
                    areas_by_reference.append((toid, attrs, rings))
        elif kind in ("RoadLink", "PathLink"):
            attrs = common(feature, state, False)
            pts = coordinates_in(feature, OSGB + "polyline/" + GML + "LineString/" + GML + "coordinates")
            start = end = ""
            for node in feature.iter(OSGB + "directedNode"):
                ref = cut(node.get(XLINK, "")[5:], 17)
                if node.get("orientation") == "-":
                    start = ref
                else:
                    end = ref
            links[toid] = pts
            if len(pts) > 1:
                add("link", toid, "link|%s|%s|%s|%s|%s|%s" % (
                    toid, attrs, cut(last_text(feature, "natureOfRoad"), 65), start, end, fmt(pts)), [pts])
        elif kind in ("RoadNode", "PathNode"):
            attrs = common(feature, state, False)
            pts = coordinates_in(feature, OSGB + "point/" + GML + "Point/" + GML + "coordinates")
            if pts:
                add("node", toid, "node|%s|%s|%s" % (toid, attrs, fmt(pts[:1])), [pts[:1]])
        elif kind in ("Road", "Path") and fid:
            attrs = common(feature, state, False)
            box = []
            for b in feature.iter(GML + "Box"):
                box += coordinates_in(b, GML + "coordinates")
            members = [(m.get(XLINK, "")[5:21], m.get("orientation") == "-")
                       for m in feature.iter(OSGB + "networkMember") if m.get(XLINK)]
            name = last_text(feature, "roadName") or last_text(feature, "pathName")
            if len(box) > 1:
                roads.append((toid, attrs, cut(name, 129), box[:2], members))
        elif kind == "AddressPoint":
            attrs = common(feature, state)
            pts = coordinates_in(feature, OSGB + "point/" + GML + "Point/" + GML + "coordinates")

            def group_text(group, name, width):
                value = ""
                for g in feature.iter(OSGB + group):
                    for e in g.iter(OSGB + name):
                        if e.text:
                            value = e.text
                return cut(value, width)

            if pts:
                add("address", toid, "address|%s|%s|%s|%s|%s|%s|%s|%s" % (
                    toid, fmt(pts[:1]), group_text("bs7666Attributes", "postCode", 13),
                    group_text("bs7666Attributes", "street", 33), group_text("bs7666Attributes", "paon", 129),
                    group_text("addressAuthority", "UDPRN", 33),
                    group_text("postalAddress", "postCode", 13), cut(last_text(feature, "OSAPR"), 33)),
                    [pts[:1]])

    # Areas given by references: every member must be a line of this file.
    for toid, attrs, rings in areas_by_reference:
        outer_rings, inner_rings, dropped = [], [], False
        for outer, members in rings:
            ring = []
            for ref, reversed_ in members:
                if ref not in lines:
                    dropped = True
                    continue
                pts = lines[ref]
                if len(pts) <= 1:
                    continue
                ring += list(reversed(pts)) if reversed_ else pts
            if dropped:
                break
            if ring:
                (outer_rings if outer else inner_rings).append(ring)
        flat = sum(len(r) + 1 for r in outer_rings)
        if not dropped and flat > 2:
            add("area", toid, "area|%s|%s|outer=%s|inner=%s" % (
                toid, attrs, "/".join(fmt(r) for r in outer_rings),
                "/".join(fmt(r) for r in inner_rings)), outer_rings, inner=inner_rings)

    # Roads: the links of this file joined in member order.
    for toid, attrs, name, box, members in roads:
        runs = []
        previous = None
        for ref, reversed_ in members:
            pts = links.get(ref)
            if not pts or len(pts) <= 1:
                continue
            if reversed_:
                pts = list(reversed(pts))
            if previous is not None and runs and pts[0] == previous:
                runs[-1] += pts  # one run; the shared point stands twice
            else:
                runs.append(list(pts))
            previous = pts[-1]
        if sum(len(r) + 1 for r in runs) <= 2:
            runs = []
        add("road", toid, "road|%s|%s|%s|box=%s|%s" % (toid, attrs, name, fmt(box),
                                                       "/".join(fmt(r) for r in runs)), runs)
    return out


def main(path):
    for line in sorted(feature.line for feature in reading(path)):
        sys.stdout.buffer.write(line.encode("utf-8") + b"\n")


if __name__ == "__main__":
    main(sys.argv[1])
