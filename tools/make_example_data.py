#!/usr/bin/env python3
"""Writes the project's example OS MasterMap-format GML files.

usage: make_example_data.py OUT_FOLDER [--scale N]

Writes, in OUT_FOLDER:
  example-topo.gml     Topography Layer: buildings as inline areas (some with a
                       courtyard), gardens whose rings refer to lines by TOID
                       (one member reversed), building outlines, boundary
                       lines, spot heights, symbols, texts and one departed
                       feature
  example-itn.gml      ITN Layer: road nodes, road links between them and
                       named roads listing their links (one reversed)
  example-address.gml  Address Layer: address points with BS 7666, authority,
                       status and postal groups
and a gzip copy of each (.gml.gz). For the Topography and ITN examples it also
writes a change-only file (example-topo-changes.gml, example-itn-changes.gml:
some features at a higher version with moved geometry or changed attributes,
some departed, some new) and the full file of the state after those changes
(example-topo-final.gml, example-itn-final.gml).

The content is made up, on a 1 km tile of the British National Grid, and the
same on every run: a seeded random source decides the small variations. The
scale (default 1) multiplies the number of blocks along each side.
"""
import gzip
import os
import random
import re
import sys

TILE_X, TILE_Y = 437000.0, 112000.0  # south-west corner of the tile
BLOCK = 60.0                         # one block of the grid, in metres
HEADER = """<?xml version='1.0' encoding='UTF-8'?>
<osgb:FeatureCollection
    xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb'
    xmlns:gml='http://www.opengis.net/gml'
    xmlns:xlink='http://www.w3.org/1999/xlink'
    xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'
    xsi:schemaLocation='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb http://www.ordnancesurvey.co.uk/xml/schema/v7/OSDNFFeatures.xsd'
    fid='{fid}'>
  <gml:description>Example data made up for the project's tests and demonstration, {date}</gml:description>
  <gml:boundedBy>
    <gml:null>unknown</gml:null>
  </gml:boundedBy>
  <osgb:queryTime>{date}T09:30:00</osgb:queryTime>
  <osgb:queryExtent>
    <osgb:Rectangle srsName='osgb:BNG'>
      <gml:coordinates>{x0:.3f},{y0:.3f} {x1:.3f},{y1:.3f}</gml:coordinates>
    </osgb:Rectangle>
  </osgb:queryExtent>
"""
FOOTER = """  <gml:boundedBy>
    <gml:Box srsName='osgb:BNG'>
      <gml:coordinates>{x0:.3f},{y0:.3f} {x1:.3f},{y1:.3f}</gml:coordinates>
    </gml:Box>
  </gml:boundedBy>
</osgb:FeatureCollection>
"""
STREETS = ["High Street", "Church Lane", "Mill Road", "Station Approach", "Queen's Avenue",
           "Orchard Close", "Bramble Way", "Kingsway", "Ferry Road", "Tanners Row"]


class Toids:
    """Hands out TOIDs: 'osgb' and 16 digits, from a base per layer."""

    def __init__(self, base):
        self.next = base

    def __call__(self):
        self.next += 1
        return "osgb%016d" % self.next


def xml_text(text):
    return text.replace("&", "&amp;").replace("'", "&apos;").replace("<", "&lt;")


def coords(points):
    return " ".join("%.3f,%.3f" % p for p in points)


def rect(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h), (x, y)]


def common(code, version, theme, group, date, make=None, term=None, reason="New",
           extra=""):
    out = ["      <osgb:featureCode>%d</osgb:featureCode>" % code,
           "      <osgb:version>%d</osgb:version>" % version,
           "      <osgb:versionDate>%s</osgb:versionDate>" % date]
    for t in theme if isinstance(theme, list) else [theme]:
        out.append("      <osgb:theme>%s</osgb:theme>" % t)
    out.append("      <osgb:changeHistory>\n        <osgb:changeDate>%s</osgb:changeDate>\n"
               "        <osgb:reasonForChange>%s</osgb:reasonForChange>\n"
               "      </osgb:changeHistory>" % (date, reason))
    out.append("      <osgb:descriptiveGroup>%s</osgb:descriptiveGroup>" % group)
    if term:
        out.append("      <osgb:descriptiveTerm>%s</osgb:descriptiveTerm>" % term)
    if make:
        out.append("      <osgb:make>%s</osgb:make>" % make)
    if extra:
        out.append(extra)
    return "\n".join(out)


def write_both(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    with gzip.open(path + ".gz", "wb", compresslevel=6) as f:
        f.write(text.encode("utf-8"))


def topography(rng, side):
    toid = Toids(1000000000000000)
    members = []
    extent = (TILE_X, TILE_Y, TILE_X + side * BLOCK, TILE_Y + side * BLOCK)
    for i in range(side):
        for j in range(side):
            x0, y0 = TILE_X + i * BLOCK, TILE_Y + j * BLOCK
            date = "20%02d-%02d-%02d" % (rng.randint(1, 9), rng.randint(1, 12), rng.randint(1, 28))
            # A building as an inline area; every fourth has a courtyard.
            bx, by, bw, bh = x0 + 5, y0 + 5, 20 + rng.randint(0, 8), 15 + rng.randint(0, 6)
            outer = rect(bx, by, bw, bh)
            inner = ""
            area = bw * bh
            if (i + j) % 4 == 0:
                inner = ("          <gml:innerBoundaryIs>\n            <gml:LinearRing>\n"
                         "              <gml:coordinates>%s</gml:coordinates>\n"
                         "            </gml:LinearRing>\n          </gml:innerBoundaryIs>\n"
                         % coords(list(reversed(rect(bx + 5, by + 5, 6, 4)))))
                area -= 24
            members.append(
                "  <osgb:topographicMember>\n    <osgb:TopographicArea fid='%s'>\n%s\n"
                "      <osgb:calculatedAreaValue>%.6f</osgb:calculatedAreaValue>\n"
                "      <osgb:physicalLevel>50</osgb:physicalLevel>\n"
                "      <osgb:polygon>\n        <gml:Polygon srsName='osgb:BNG'>\n"
                "          <gml:outerBoundaryIs>\n            <gml:LinearRing>\n"
                "              <gml:coordinates>%s</gml:coordinates>\n"
                "            </gml:LinearRing>\n          </gml:outerBoundaryIs>\n%s"
                "        </gml:Polygon>\n      </osgb:polygon>\n"
                "    </osgb:TopographicArea>\n  </osgb:topographicMember>\n"
                % (toid(), common(10021, rng.randint(1, 6), "Buildings", "Building", date,
                                  make="Manmade"), area, coords(outer), inner))
            # The building's outline as a line.
            members.append(line_member(toid(), 10019, "Buildings", "Building", "Outline",
                                       date, outer, rng, "TopographicLine", "topographicMember",
                                       presence="Obstructing"))
            # A garden bounded by three lines; its area refers to them, the
            # middle one reversed.
            gx, gy = x0 + 30, y0 + 30
            south = [(gx, gy), (gx + 25, gy)]
            east_reversed = [(gx + 25, gy + 20), (gx + 25, gy + 10), (gx + 25, gy)]
            rest = [(gx + 25, gy + 20), (gx, gy + 20), (gx, gy)]
            ring = []
            for points, orientation in ((south, "+"), (east_reversed, "-"), (rest, "+")):
                line_toid = toid()
                members.append(line_member(line_toid, 10046, "Land", "General Surface", None,
                                           date, points, rng, "TopographicLine",
                                           "topographicMember", presence="Edge / Limit"))
                ring.append((line_toid, orientation))
            ring_xml = "\n".join(
                "            <osgb:ringMember orientation='%s' xlink:href='#%s'/>" % (o, t)
                for t, o in ring)
            members.append(
                "  <osgb:topographicMember>\n    <osgb:TopographicArea fid='%s'>\n%s\n"
                "      <osgb:calculatedAreaValue>%.6f</osgb:calculatedAreaValue>\n"
                "      <osgb:physicalLevel>50</osgb:physicalLevel>\n"
                "      <osgb:polygon>\n        <osgb:outerBoundaryIs>\n          <osgb:Ring>\n%s\n"
                "          </osgb:Ring>\n        </osgb:outerBoundaryIs>\n      </osgb:polygon>\n"
                "    </osgb:TopographicArea>\n  </osgb:topographicMember>\n"
                % (toid(), common(10053, 1, "Land", "General Surface", date, make="Manmade"),
                   25 * 20.0, ring_xml))
            # A spot height on every other block.
            if (i * side + j) % 2 == 0:
                members.append(
                    "  <osgb:topographicMember>\n    <osgb:TopographicPoint fid='%s'>\n%s\n"
                    "      <osgb:heightAboveDatum>\n        <osgb:heightAboveDatum>%.2f</osgb:heightAboveDatum>\n"
                    "        <osgb:accuracyOfHeightAboveDatum>1.0m</osgb:accuracyOfHeightAboveDatum>\n"
                    "      </osgb:heightAboveDatum>\n"
                    "      <osgb:point>\n        <gml:Point srsName='osgb:BNG'>\n"
                    "          <gml:coordinates>%.3f,%.3f</gml:coordinates>\n"
                    "        </gml:Point>\n      </osgb:point>\n"
                    "    </osgb:TopographicPoint>\n  </osgb:topographicMember>\n"
                    % (toid(), common(10197, 1, "Terrain And Height", "Terrain And Height",
                                      date, term="Spot Height", make="Natural",
                                      extra="      <osgb:physicalLevel>50</osgb:physicalLevel>"),
                       10 + rng.random() * 20, x0 + 45, y0 + 10))
            # A symbol on every third block, a text on every block.
            if (i + 2 * j) % 3 == 0:
                members.append(
                    "  <osgb:cartographicMember>\n    <osgb:CartographicSymbol fid='%s'>\n%s\n"
                    "      <osgb:orientation>%d</osgb:orientation>\n"
                    "      <osgb:point>\n        <gml:Point srsName='osgb:BNG'>\n"
                    "          <gml:coordinates>%.3f,%.3f</gml:coordinates>\n"
                    "        </gml:Point>\n      </osgb:point>\n"
                    "    </osgb:CartographicSymbol>\n  </osgb:cartographicMember>\n"
                    % (toid(), common(10091, 1, "Water", "Inland Water", date, term="Culvert",
                                      extra="      <osgb:physicalLevel>50</osgb:physicalLevel>"),
                       rng.randint(0, 3599), x0 + 50, y0 + 50))
            members.append(
                "  <osgb:cartographicMember>\n    <osgb:CartographicText fid='%s'>\n%s\n"
                "      <osgb:anchorPoint>\n        <gml:Point srsName='osgb:BNG'>\n"
                "          <gml:coordinates>%.3f,%.3f</gml:coordinates>\n"
                "        </gml:Point>\n      </osgb:anchorPoint>\n"
                "      <osgb:textRendering>\n        <osgb:anchorPosition>%d</osgb:anchorPosition>\n"
                "        <osgb:font>2</osgb:font>\n        <osgb:height>%.1f</osgb:height>\n"
                "        <osgb:orientation>%d</osgb:orientation>\n      </osgb:textRendering>\n"
                "      <osgb:textString>%s</osgb:textString>\n"
                "    </osgb:CartographicText>\n  </osgb:cartographicMember>\n"
                % (toid(), common(10026, 1, "Buildings", "Buildings Or Structure", date,
                                  make="Manmade",
                                  extra="      <osgb:physicalLevel>50</osgb:physicalLevel>"),
                   bx + 2, by + 2, rng.randint(0, 8), 1.5 + (i % 3), (j * 450) % 3600,
                   "%d %s" % (j + 1, xml_text(STREETS[i % len(STREETS)]))))
    # Boundary lines along the south and west edges of the tile.
    for points in ([(extent[0], extent[1]), (extent[2], extent[1])],
                   [(extent[0], extent[1]), (extent[0], extent[3])]):
        members.append(line_member(toid(), 10128, "Administrative Boundaries",
                                   "Political Or Administrative", "Parish", "2005-04-01",
                                   points, rng, "BoundaryLine", "boundaryMember"))
    members.append(
        "  <osgb:departedMember>\n    <osgb:DepartedFeature fid='%s'>\n"
        "      <osgb:boundedBy>\n        <gml:Box srsName='osgb:BNG'>\n"
        "          <gml:coordinates>%.3f,%.3f %.3f,%.3f</gml:coordinates>\n"
        "        </gml:Box>\n      </osgb:boundedBy>\n"
        "      <osgb:theme>Buildings</osgb:theme>\n"
        "      <osgb:reasonForChange>Deleted</osgb:reasonForChange>\n"
        "    </osgb:DepartedFeature>\n  </osgb:departedMember>\n"
        % (toid(), TILE_X + 1, TILE_Y + 1, TILE_X + 9, TILE_Y + 9))
    return members, extent


def line_member(fid, code, theme, group, term, date, points, rng, kind, member, presence=None):
    extra = ["      <osgb:physicalLevel>50</osgb:physicalLevel>"]
    if presence:
        extra.append("      <osgb:physicalPresence>%s</osgb:physicalPresence>" % presence)
    # Coordinates wrapped over several lines, as real files often have them.
    wrapped = "\n                ".join(coords(points[k:k + 2]) for k in range(0, len(points), 2))
    return ("  <osgb:%s>\n    <osgb:%s fid='%s'>\n%s\n"
            "      <osgb:accuracyOfPosition>1.0m</osgb:accuracyOfPosition>\n"
            "      <osgb:polyline>\n        <gml:LineString srsName='osgb:BNG'>\n"
            "          <gml:coordinates>%s</gml:coordinates>\n"
            "        </gml:LineString>\n      </osgb:polyline>\n"
            "    </osgb:%s>\n  </osgb:%s>\n"
            % (member, kind, fid, common(code, rng.randint(1, 4), theme, group, date,
                                         make="Manmade", term=term, extra="\n".join(extra)),
               wrapped, kind, member))


def itn(rng, side):
    toid = Toids(4000000000000000)
    members = []
    # Nodes on the grid corners; links along each row and column.
    nodes = {}
    for i in range(side + 1):
        for j in range(side + 1):
            nodes[(i, j)] = toid()
    links = {}  # (from, to) -> toid, length, points
    for i in range(side + 1):
        for j in range(side + 1):
            for di, dj in ((1, 0), (0, 1)):
                a, b = (i, j), (i + di, j + dj)
                if b not in nodes:
                    continue
                pa = (TILE_X + a[0] * BLOCK, TILE_Y + a[1] * BLOCK)
                pb = (TILE_X + b[0] * BLOCK, TILE_Y + b[1] * BLOCK)
                mid = ((pa[0] + pb[0]) / 2 + rng.uniform(-1, 1), (pa[1] + pb[1]) / 2 + rng.uniform(-1, 1))
                links[(a, b)] = (toid(), BLOCK, [pa, mid, pb])
    roads = []
    for j in range(side + 1):  # one road per row: east-west streets
        members_ = [(links[((i, j), (i + 1, j))][0], "+") for i in range(side)]
        roads.append((STREETS[j % len(STREETS)], members_, j))
    for i in range(0, side + 1, 2):  # every other column: a north-south road
        members_ = [(links[((i, j), (i, j + 1))][0], "+") for j in range(side)]
        if len(members_) > 1:
            members_[1] = (members_[1][0], "-")  # listed against its direction
        roads.append(("Avenue %d" % (i // 2 + 1), members_, None))
    for (a, b), (fid, length, points) in links.items():
        members.append(
            "  <osgb:networkMember>\n    <osgb:RoadLink fid='%s'>\n%s\n"
            "      <osgb:length>%.2f</osgb:length>\n"
            "      <osgb:natureOfRoad>Single Carriageway</osgb:natureOfRoad>\n"
            "      <osgb:polyline>\n        <gml:LineString srsName='osgb:BNG'>\n"
            "          <gml:coordinates>%s</gml:coordinates>\n"
            "        </gml:LineString>\n      </osgb:polyline>\n"
            "      <osgb:directedNode orientation='-' xlink:href='#%s'/>\n"
            "      <osgb:directedNode orientation='+' xlink:href='#%s'/>\n"
            "    </osgb:RoadLink>\n  </osgb:networkMember>\n"
            % (fid, common(3000, 2, "Road Network", "Road Topology", "2008-06-12",
                           term="Local Street"), length, coords(points), nodes[a], nodes[b]))
    for key, fid in nodes.items():
        members.append(
            "  <osgb:networkMember>\n    <osgb:RoadNode fid='%s'>\n%s\n"
            "      <osgb:point>\n        <gml:Point srsName='osgb:BNG'>\n"
            "          <gml:coordinates>%.3f,%.3f</gml:coordinates>\n"
            "        </gml:Point>\n      </osgb:point>\n"
            "    </osgb:RoadNode>\n  </osgb:networkMember>\n"
            % (fid, common(3001, 1, "Road Network", "Road Topology", "2008-06-12"),
               TILE_X + key[0] * BLOCK, TILE_Y + key[1] * BLOCK))
    for name, refs, _ in roads:
        xs = []
        ys = []
        for fid, _o in refs:
            for (a, b), (lf, _l, pts) in links.items():
                if lf == fid:
                    xs += [p[0] for p in pts]
                    ys += [p[1] for p in pts]
        refs_xml = "\n".join("      <osgb:networkMember%s xlink:href='#%s'/>"
                             % ("" if o == "+" else " orientation='-'", fid) for fid, o in refs)
        members.append(
            "  <osgb:roadMember>\n    <osgb:Road fid='%s'>\n%s\n"
            "      <osgb:roadName>%s</osgb:roadName>\n"
            "      <osgb:boundedBy>\n        <gml:Box srsName='osgb:BNG'>\n"
            "          <gml:coordinates>%.3f,%.3f %.3f,%.3f</gml:coordinates>\n"
            "        </gml:Box>\n      </osgb:boundedBy>\n%s\n"
            "    </osgb:Road>\n  </osgb:roadMember>\n"
            % (toid(), common(3002, 1, "Road Network", "Named Road", "2008-06-12"),
               xml_text(name), min(xs), min(ys), max(xs), max(ys), refs_xml))
    extent = (TILE_X, TILE_Y, TILE_X + side * BLOCK, TILE_Y + side * BLOCK)
    return members, extent


def address(rng, side):
    toid = Toids(1000002000000000)
    members = []
    n = 0
    for i in range(side):
        for j in range(side):
            for k in range(2):
                n += 1
                street = STREETS[i % len(STREETS)]
                number = 2 * j + k + 1
                postcode = "SO%d %d%s%s" % (14 + i % 3, j % 9 + 1, "ABDEFGHJ"[i % 8], "LNPQRSTU"[j % 8])
                organisation = ("      <osgb:organisationName>Example Works Ltd</osgb:organisationName>\n"
                                if n % 7 == 0 else "")
                members.append(
                    "  <osgb:addressMember>\n    <osgb:AddressPoint fid='%s'>\n"
                    "      <osgb:version>%d</osgb:version>\n"
                    "      <osgb:versionDate>2009-0%d-15</osgb:versionDate>\n"
                    "      <osgb:theme>Address</osgb:theme>\n"
                    "      <osgb:changeHistory>\n        <osgb:changeDate>2009-01-15</osgb:changeDate>\n"
                    "        <osgb:reasonForChange>New</osgb:reasonForChange>\n      </osgb:changeHistory>\n"
                    "      <osgb:point>\n        <gml:Point srsName='osgb:BNG'>\n"
                    "          <gml:coordinates>%.2f,%.2f</gml:coordinates>\n"
                    "        </gml:Point>\n      </osgb:point>\n"
                    "      <osgb:OSAPR>%016d</osgb:OSAPR>\n"
                    "      <osgb:bs7666Attributes>\n"
                    "        <osgb:paon>%d</osgb:paon>\n"
                    "        <osgb:street>%s</osgb:street>\n"
                    "        <osgb:town>Exampleton</osgb:town>\n"
                    "        <osgb:adminArea>Example County</osgb:adminArea>\n"
                    "        <osgb:postCode type='postal'>%s</osgb:postCode>\n"
                    "      </osgb:bs7666Attributes>\n"
                    "      <osgb:addressAuthority>\n"
                    "        <osgb:UDPRN>%d</osgb:UDPRN>\n"
                    "      </osgb:addressAuthority>\n"
                    "      <osgb:addressStatus>\n"
                    "        <osgb:structureType>Structure</osgb:structureType>\n"
                    "        <osgb:positionalQuality accuracy='1m'>Surveyed</osgb:positionalQuality>\n"
                    "        <osgb:physicalStatus>Live</osgb:physicalStatus>\n"
                    "        <osgb:matchStatus>Matched</osgb:matchStatus>\n"
                    "      </osgb:addressStatus>\n"
                    "      <osgb:postalAddress nonGeographic='0'>\n%s"
                    "        <osgb:addressKey>%08d</osgb:addressKey>\n"
                    "        <osgb:buildingNumber>%d</osgb:buildingNumber>\n"
                    "        <osgb:thoroughfare>%s</osgb:thoroughfare>\n"
                    "        <osgb:postTown>EXAMPLETON</osgb:postTown>\n"
                    "        <osgb:postCode type='postal'>%s</osgb:postCode>\n"
                    "        <osgb:deliveryPointSuffix>%d%s</osgb:deliveryPointSuffix>\n"
                    "      </osgb:postalAddress>\n"
                    "    </osgb:AddressPoint>\n  </osgb:addressMember>\n"
                    % (toid(), 1 + n % 3, 1 + n % 9,
                       TILE_X + i * BLOCK + 8 + k * 12 + rng.random(), TILE_Y + j * BLOCK + 12,
                       9000000000 + n, number, xml_text(street), postcode, 20000000 + n,
                       organisation, 30000000 + n, number, xml_text(street.upper()), postcode, 1 + k, "ABCD"[j % 4]))
    extent = (TILE_X, TILE_Y, TILE_X + side * BLOCK, TILE_Y + side * BLOCK)
    return members, extent


FID = re.compile(r"fid='(osgb\d+)'")
# References through which one feature's geometry is built from another's.
HREF = re.compile(r"(?:ringMember|networkMember)[^>]*xlink:href='#(osgb\d+)'")


def shift_coordinates(member, dx):
    def shift(match):
        out = []
        for pair in match.group(1).split():
            x, y = pair.split(",")[:2]
            out.append("%.3f,%s" % (float(x) + dx, y))
        return "<gml:coordinates>%s</gml:coordinates>" % " ".join(out)
    return re.sub(r"<gml:coordinates>([^<]*)</gml:coordinates>", shift, member)


def bump_version(member):
    return re.sub(r"<osgb:version>(\d+)</osgb:version>",
                  lambda m: "<osgb:version>%d</osgb:version>" % (int(m.group(1)) + 1), member,
                  count=1)


def changes(members, kinds):
    """Splits a file's members into the change-only members and the members of
    the state after the change. Only features that neither refer to others nor
    are referred to change, so each change stands on its own; among them every
    ninth is revised (alternately moved and given new attributes), every
    thirteenth departs, and three new ones appear."""
    referenced = set(t for m in members for t in HREF.findall(m))
    eligible = [k for k, m in enumerate(members)
                if FID.search(m) and not HREF.search(m) and "departedMember" not in m
                and FID.search(m).group(1) not in referenced and any(k2 in m for k2 in kinds)]
    top = max(int(FID.search(m).group(1)[4:]) for m in members if FID.search(m))
    changed, final, departed = [], list(members), []
    for n, k in enumerate(eligible):
        if n % 13 == 4:
            departed.append(FID.search(members[k]).group(1))
            final[k] = None
        elif n % 9 == 0:
            revised = bump_version(members[k])
            if (n // 9) % 2 == 0:
                revised = shift_coordinates(revised, 0.75)
            else:
                revised = revised.replace("<osgb:reasonForChange>New</osgb:reasonForChange>",
                                          "<osgb:reasonForChange>Attributes</osgb:reasonForChange>")
                revised = re.sub(r"<osgb:textString>([^<]*)</osgb:textString>",
                                 r"<osgb:textString>\1 Revised</osgb:textString>", revised)
            changed.append(revised)
            final[k] = revised
    for n in range(3):
        source = members[eligible[2 + 5 * n]]
        new = FID.sub("fid='osgb%016d'" % (top + 1000 + n), shift_coordinates(source, 3.0), count=1)
        changed.append(new)
        final.append(new)
    for toid in departed:
        changed.append("  <osgb:departedMember>\n    <osgb:DepartedFeature fid='%s'>\n"
                       "      <osgb:reasonForChange>Deleted</osgb:reasonForChange>\n"
                       "    </osgb:DepartedFeature>\n  </osgb:departedMember>\n" % toid)
    return changed, [m for m in final if m is not None]


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    folder = argv[1]
    scale = int(argv[argv.index("--scale") + 1]) if "--scale" in argv else 1
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20091015)
    # Blocks along each side of the grid, so that each file holds a few
    # hundred features at scale 1.
    for name, fid, build, side in (("example-topo.gml", "EXA-00001-1", topography, 6),
                                   ("example-itn.gml", "EXA-00002-1", itn, 10),
                                   ("example-address.gml", "EXA-00003-1", address, 12)):
        members, (x0, y0, x1, y1) = build(rng, side * scale)
        text = (HEADER.format(fid=fid, date="2009-10-15", x0=x0, y0=y0, x1=x1, y1=y1)
                + "".join(members) + FOOTER.format(x0=x0, y0=y0, x1=x1, y1=y1))
        write_both(folder, name, text)
        kinds = {"example-topo.gml": ("TopographicArea", "TopographicLine", "TopographicPoint",
                                      "CartographicSymbol", "CartographicText"),
                 "example-itn.gml": ("RoadNode",)}.get(name)
        if kinds:
            changed, final = changes(members, kinds)
            for suffix, part in (("-changes.gml", changed), ("-final.gml", final)):
                with open(os.path.join(folder, name[:-4] + suffix), "w", encoding="utf-8",
                          newline="\n") as f:
                    f.write(HEADER.format(fid=fid, date="2010-04-01", x0=x0, y0=y0, x1=x1, y1=y1)
                            + "".join(part) + FOOTER.format(x0=x0, y0=y0, x1=x1, y1=y1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
