#!/usr/bin/env python3
"""Writes the seed inputs of the reader's fuzz target.

usage: make_fuzz_seeds.py OUT_FOLDER

The seeds are cut from the project's example data (tools/make_example_data.py,
run into a folder beside OUT_FOLDER): each is the head of an example file,
a few of its features and its foot, so that every seed is small and quick to
read. Besides runs of consecutive features there are seeds that keep an
area together with the lines its rings refer to, and a road together with
its links and their nodes, so that the assembly stages have work; one holds
Welsh names, character references and a byte that is not UTF-8; a few
seeds are gzipped, one is written without any white space between tags, and
the last byte of some is changed to try the target's other modes.
"""
import gzip
import os
import re
import subprocess
import sys

MEMBER_START = re.compile(r"^  <osgb:\w+Member>")
FID = re.compile(r"fid='osgb(\d+)'")
REFERENCE = re.compile(r"xlink:href='#osgb(\d+)'")
RUNS_PER_FILE = 10
RUN_LENGTH = 3
GROUPS_PER_FILE = 4
REFERENCES_PER_GROUP = 3


def split(text):
    """Head, the top-level members (each a text), foot."""
    lines = text.splitlines(keepends=True)
    head, members, foot = [], [], []
    current = None
    for line in lines:
        if MEMBER_START.match(line):
            current = [line]
            continue
        if current is not None:
            current.append(line)
            if line.startswith("  </osgb:") and line.rstrip().endswith("Member>"):
                members.append("".join(current))
                current = None
            continue
        (foot if members else head).append(line)
    return "".join(head), members, "".join(foot)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    example = out.rstrip("/") + "-example"
    os.makedirs(out, exist_ok=True)
    os.makedirs(example, exist_ok=True)
    generator = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                             "tools", "make_example_data.py")
    subprocess.run([sys.executable, generator, example], check=True)

    seeds = []
    for name in sorted(os.listdir(example)):
        if not name.endswith(".gml"):
            continue
        with open(os.path.join(example, name), encoding="utf-8") as f:
            head, members, foot = split(f.read())
        stem = name[:-4]
        step = max(1, len(members) // RUNS_PER_FILE)
        for i in range(0, len(members), step):
            seeds.append((f"{stem}-run{i}", head + "".join(members[i:i + RUN_LENGTH]) + foot))
        by_toid = {}
        for m in members:
            fid = FID.search(m)
            if fid:
                by_toid[fid.group(1)] = m
        # Features with their references: areas by ring members, roads by
        # their links and the links' nodes.
        grouped = 0
        for m in members:
            if grouped >= GROUPS_PER_FILE:
                break
            if "osgb:ringMember" not in m and "<osgb:Road " not in m:
                continue
            wanted = []
            for toid in REFERENCE.findall(m)[:REFERENCES_PER_GROUP]:
                target = by_toid.get(toid)
                if target is not None and target not in wanted:
                    wanted.append(target)
                    for node in REFERENCE.findall(target):
                        if node in by_toid and by_toid[node] not in wanted:
                            wanted.append(by_toid[node])
            seeds.append((f"{stem}-group{grouped}", head + "".join(wanted) + m + foot))
            grouped += 1

    compact = re.sub(r">\s+<", "><", seeds[0][1])
    seeds.append(("compact", compact))
    # Welsh text as UTF-8 and as character references, references to no
    # character, and (below) a byte that is not UTF-8.
    texts = [text for _name, text in seeds if "<osgb:textString>" in text]
    welsh = re.sub(r"<osgb:textString>[^<]*</osgb:textString>",
                   "<osgb:textString>T\u0177 Newydd caf\u00e9 T&#375; &#8364;5 &#99999999;&#xD800;"
                   "</osgb:textString>", texts[0], count=1)
    welsh = re.sub(r"<osgb:descriptiveGroup>[^<]*</osgb:descriptiveGroup>",
                   "<osgb:descriptiveGroup>Heol \u0174yn LATIN1</osgb:descriptiveGroup>", welsh, count=1)
    seeds.append(("welsh", welsh))
    for index, (name, text) in enumerate(seeds):
        data = text.encode("utf-8").replace(b"LATIN1", b"caf\xe9")
        with open(os.path.join(out, name + ".gml"), "wb") as f:
            f.write(data)
        if index % 4 == 0:
            with open(os.path.join(out, name + ".gml.gz"), "wb") as f:
                f.write(gzip.compress(data, mtime=0))
        if index % 3 == 0:
            # Other modes of the target: spill, window, count, update, SDF.
            for mode in (0x03, 0x06, 0x1d):
                with open(os.path.join(out, f"{name}-mode{mode}.gml"), "wb") as f:
                    f.write(data[:-1] + bytes([mode]))


if __name__ == "__main__":
    main()
