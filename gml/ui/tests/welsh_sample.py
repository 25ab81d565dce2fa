#!/usr/bin/python3
"""A small Welsh sample, and the independent check of its import.

usage: welsh_sample.py make FOLDER
       welsh_sample.py check FOLDER DXF CSV_FOLDER
       welsh_sample.py roadnames FOLDER CSV_FOLDER

make writes, in FOLDER/Data Cymraeg ŵ ŷ â é, the project's example data made
smaller, with Welsh street names (ŵ ŷ â é, one longer than the 32 bytes of
the narrow address and xdata fields, cut inside a character), one text
written as character references and one whose escaped '&' makes it read as
references' text ("&amp;lt;" reads "&lt;"): Tŷ_café-topo.gml,
Heol_Ŵyn-itn.gml.gz and Cyfeiriad_â-address.gml. It prints the folder.

check reads the GML files with Python's own XML parser and compares every
text with the drawing (read by ezdxf, whose audit must find no error) and
the CSV files (read by the csv module): the texts' strings, the roads' and
address points' xdata and the road-name and address columns. It prints the
handle of one road entity named in Welsh ("road HANDLE NAME") and ends with
status 1 on any difference.

roadnames checks the road links' CSV file of an import with SDF output on
(the run that names each link after its road): every link's Road_name is
the name xml.etree reads for the road the link is a member of, empty for a
link of no road, and some are Welsh.
"""
import csv
import glob
import gzip
import os
import random
import sys
import xml.etree.ElementTree as ET

import ezdxf
from ezdxf import recover

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
import make_example_data as example  # noqa: E402

FOLDER = "Data Cymraeg \u0175 \u0177 \u00e2 \u00e9"
STREETS = ["T\u0177 Newydd caf\u00e9", "Heol \u0174yn", "L\u00f4n Gl\u00e2s",
           # 35 bytes: the 32-byte fields cut it inside the second "ŵ".
           "Ffordd Pen-y-bont ar Ogwr T\u0177 G\u0175yn", "Stryd y B\u00e2d"]
# The one text written as character references, and what it reads as.
REFERENCED = ("1 T&#375; Newydd caf&#xE9; &#8364;5", "1 T\u0177 Newydd caf\u00e9 \u20ac5")
# The text whose '&' is escaped, and what it reads as: references' text.
ESCAPED = ("2 &amp;lt;T&#375;&amp;gt; &amp;amp; caf&amp;#233;", "2 &lt;T\u0177&gt; &amp; caf&#233;")
NS = {"osgb": "http://www.ordnancesurvey.co.uk/xml/namespaces/osgb"}
APP_PREFIX = "LARCHWORKS_XGML_OSGB_"
FIELD_BYTES = 32  # the narrow fields of make (xdata tag 02) and the address streets


def make(folder):
    out = os.path.join(folder, FOLDER)
    os.makedirs(out, exist_ok=True)
    example.STREETS = STREETS
    rng = random.Random(20091015)
    files = (("T\u0177_caf\u00e9-topo.gml", "EXA-00001-1", example.topography, 2),
             ("Heol_\u0174yn-itn.gml.gz", "EXA-00002-1", example.itn, 4),
             ("Cyfeiriad_\u00e2-address.gml", "EXA-00003-1", example.address, 5))
    for name, fid, build, side in files:
        members, (x0, y0, x1, y1) = build(rng, side)
        text = (example.HEADER.format(fid=fid, date="2009-10-15", x0=x0, y0=y0, x1=x1, y1=y1)
                + "".join(members) + example.FOOTER.format(x0=x0, y0=y0, x1=x1, y1=y1))
        if build is example.topography:
            plain = "<osgb:textString>1 %s</osgb:textString>" % STREETS[0]
            assert plain in text
            text = text.replace(plain, "<osgb:textString>%s</osgb:textString>" % REFERENCED[0], 1)
            # The next text after it becomes the escaped one.
            at = text.index("<osgb:textString>", text.index(REFERENCED[0])) + len("<osgb:textString>")
            text = text[:at] + ESCAPED[0] + text[text.index("</osgb:textString>", at):]
        data = text.encode("utf-8")
        path = os.path.join(out, name)
        if name.endswith(".gz"):
            with gzip.open(path, "wb") as f:
                f.write(data)
        else:
            with open(path, "wb") as f:
                f.write(data)
    print(out)


def cut(text, size=FIELD_BYTES):
    """A text cut to `size` bytes of UTF-8 at a character boundary."""
    return text.encode("utf-8")[:size].decode("utf-8", "ignore")


def read_gml(folder):
    """texts {fid: string}, roads {fid: name}, link names {link fid: road name},
    addresses {fid: {element: text}} of every GML file of the folder."""
    texts, roads, links, addresses = {}, {}, {}, {}
    for path in sorted(glob.glob(os.path.join(folder, "*.gml*"))):
        opener = gzip.open if path.endswith(".gz") else open
        with opener(path, "rb") as f:
            root = ET.parse(f).getroot()
        for member in root:
            for feature in member:
                fid = (feature.get("fid") or "").replace("osgb", "", 1)
                tag = feature.tag.split("}")[1]
                if tag == "CartographicText":
                    texts[fid] = feature.find("osgb:textString", NS).text
                elif tag == "Road":
                    name = feature.find("osgb:roadName", NS).text
                    roads[fid] = name
                    for ref in feature.findall("osgb:networkMember", NS):
                        links[ref.get("{http://www.w3.org/1999/xlink}href")[5:]] = name
                elif tag == "AddressPoint":
                    addresses[fid] = {e.tag.split("}")[1]: e.text
                                      for e in feature.iter() if e.text and e.text.strip()}
    return texts, roads, links, addresses


def os_values(entity):
    """The OS xdata of an entity as {tag: value}."""
    for app in entity.xdata.data if entity.xdata else []:
        if app.startswith(APP_PREFIX):
            return {str(t.value)[:2]: str(t.value)[2:] for t in entity.xdata.data[app] if t.code == 1000}
    return {}


def csv_rows(csv_folder, name, failures):
    """The rows of the one CSV file of the folder whose name ends in `name`."""
    path = glob.glob(os.path.join(csv_folder, "*" + name))
    if len(path) != 1:
        failures.append("no single %s in %s" % (name, csv_folder))
        return []
    with open(path[0], newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def check(folder, dxf, csv_folder):
    texts, roads, links, addresses = read_gml(folder)
    failures = []
    doc = ezdxf.readfile(dxf)
    failures += ["audit: %s" % e.message for e in doc.audit().errors]
    # The drawing's own form keeps characters its code page cannot hold as
    # "\U+XXXX"; ezdxf's recovering reader turns them back into characters.
    doc, auditor = recover.readfile(dxf)
    seen = {"text": 0, "road": 0, "address": 0}
    road_handle = None
    for entity in doc.modelspace():
        values = os_values(entity)
        toid = values.get("01") or values.get("10")
        if entity.dxftype() == "TEXT" and values.get("0B") == "4":
            seen["text"] += 1
            if entity.dxf.text != texts.get(toid):
                failures.append("text %s: %r, GML %r" % (toid, entity.dxf.text, texts.get(toid)))
        elif values.get("0B") == "9":
            seen["road"] += 1
            if values.get("02") != cut(roads.get(toid, "")):
                failures.append("road %s: %r, GML %r" % (toid, values.get("02"), roads.get(toid)))
            if road_handle is None and values.get("02") == STREETS[1]:
                road_handle = (entity.dxf.handle, values["02"])
            # Roads are drawn on layers named after them (after a prefix).
            if not entity.dxf.layer.endswith(roads.get(toid, "")):
                failures.append("road layer %r, GML %r" % (entity.dxf.layer, roads.get(toid)))
        elif "10" in values:
            seen["address"] += 1
            gml = addresses.get(toid, {})
            # BS 7666 street and postal thoroughfare.
            for tag, element in (("22", "street"), ("54", "thoroughfare")):
                if values.get(tag) != cut(gml.get(element, "")):
                    failures.append("address %s tag %s: %r, GML %r" % (toid, tag, values.get(tag), gml.get(element)))
    for kind, n in seen.items():
        if n == 0:
            failures.append("no %s found in the drawing" % kind)
    for written, reading in (REFERENCED, ESCAPED):
        found = [t for t in texts.values() if t == reading]
        if len(found) != 1:
            failures.append("the text written %r reads %r" % (written, found))

    link_rows = csv_rows(csv_folder, "ITN_road_links.csv", failures)
    # Road_name is filled by the road naming pass, which runs for SDF
    # output only; an empty one is no difference.
    for row in link_rows:
        if row[11] and row[11] != links.get(row[0], ""):
            failures.append("road link %s Road_name %r, GML %r" % (row[0], row[11], links.get(row[0])))
    address_rows = csv_rows(csv_folder, "address_point.csv", failures)
    for row in address_rows:
        gml = addresses.get(row[0], {})
        # The postal Thoroughfare and the BS 7666 Street: after the 18 first
        # columns, the fourth of the nine postal ones and the third of BS 7666.
        for column, element in ((21, "thoroughfare"), (29, "street")):
            if row[column] != cut(gml.get(element, "")):
                failures.append("address %s %s %r, GML %r" % (row[0], element, row[column], gml.get(element)))
    if not link_rows or not address_rows:
        failures.append("CSV rows: %d road links, %d addresses" % (len(link_rows), len(address_rows)))
    for f in failures[:12]:
        print("FAIL", f)
    if road_handle:
        print("road %s %s" % road_handle)
    print("%d texts, %d roads, %d addresses, %d link rows, %d address rows checked"
          % (seen["text"], seen["road"], seen["address"], len(link_rows), len(address_rows)))
    return 1 if failures else 0


def road_names(folder, csv_folder):
    links = read_gml(folder)[2]
    failures = []
    rows = csv_rows(csv_folder, "ITN_road_links.csv", failures)
    # TOID .. Length, Description (the road's term), Road_name, two nodes.
    for row in rows:
        if len(row) != 14 or row[11] != links.get(row[0], ""):
            failures.append("road link %s Road_name %r, GML %r" % (row[0], row[11:12], links.get(row[0])))
    welsh = [row[11] for row in rows if len(row) > 11 and not row[11].isascii()]
    if not welsh:
        failures.append("no Welsh road name among %d link rows" % len(rows))
    for f in failures[:12]:
        print("FAIL", f)
    print("%d link rows checked, %d named in Welsh: %s"
          % (len(rows), len(welsh), ", ".join(sorted(set(welsh)))))
    return 1 if failures else 0


def main(argv):
    if len(argv) == 3 and argv[1] == "make":
        make(argv[2])
        return 0
    if len(argv) == 5 and argv[1] == "check":
        return check(argv[2], argv[3], argv[4])
    if len(argv) == 4 and argv[1] == "roadnames":
        return road_names(argv[2], argv[3])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
