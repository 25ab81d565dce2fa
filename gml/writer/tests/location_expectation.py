#!/usr/bin/env python3
"""Which points lie inside a location area, by shapely, for the location tests.

usage: location_expectation.py SHAPE POINTS

SHAPE is a text file:
  polygon X1,Y1 X2,Y2 ...                 a closed boundary
  zone WIDTH X1,Y1 X2,Y2 ...              a strip WIDTH to either side of
                                          the line, with square ends and
                                          mitred bends
  roads DISTANCE X1,Y1 X2,Y2 ; X1,Y1 ...  the points within DISTANCE of any
                                          of the lines (rounded ends)
  union X1,Y1 X2,Y2 ... ; X1,Y1 ...       the points inside any of the
                                          closed boundaries
POINTS holds one point a line: NAME X Y.

Prints the names of the points inside, one a line, sorted.
"""
import sys

from shapely.geometry import LineString, MultiLineString, Point, Polygon
from shapely.ops import unary_union


def pairs(words):
    return [tuple(float(v) for v in w.split(",")) for w in words]


def groups(words):
    """The point lists of WORDS, separated by ';'."""
    lists, current = [], []
    for w in words + [";"]:
        if w == ";":
            if current:
                lists.append(pairs(current))
            current = []
        else:
            current.append(w)
    return lists


def main():
    words = open(sys.argv[1]).read().split()
    kind = words[0]
    if kind == "polygon":
        shape = Polygon(pairs(words[1:]))
    elif kind == "zone":
        shape = LineString(pairs(words[2:])).buffer(float(words[1]), cap_style=2, join_style=2,
                                                     mitre_limit=100.0)
    elif kind == "roads":
        shape = MultiLineString(groups(words[2:])).buffer(float(words[1]))
    elif kind == "union":
        shape = unary_union([Polygon(ring) for ring in groups(words[1:])])
    else:
        sys.exit("unknown shape " + kind)
    inside = []
    for line in open(sys.argv[2]):
        name, x, y = line.split()
        if shape.contains(Point(float(x), float(y))):
            inside.append(name)
    print("\n".join(sorted(inside)))


if __name__ == "__main__":
    main()
