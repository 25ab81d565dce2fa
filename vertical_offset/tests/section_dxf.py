"""Independent checks of section drawings for Plimsor's tests, with ezdxf.

  section_dxf.py make FILE          write a cross-section drawing as the section
                                    tools would: a datum LINE carrying the section
                                    data (scales 1 and 10, chainage 125.5), a LINE,
                                    an LWPOLYLINE, a CIRCLE and labels of other
                                    kinds (see labels); prints their handles
  section_dxf.py strings FILE       audit the file, then print each entity's handle
                                    and the section tools' xdata strings, '|'-joined
  section_dxf.py check IN OUT MODE DY HANDLE...
                                    compare OUT with IN: the listed entities moved
                                    (MODE move) or copied (MODE copy) by (0, DY)
                                    (DY may be DX,DY),
                                    every other entity where it was; prints OK or
                                    what differs
"""
import sys

import ezdxf

APP = 'LARCHWORKS_SECT_LSEC_22970PEBRA'


def section_strings():
    strings = ['001', '01125.500000', '021', '031', '10Section A', '111']
    reals = ['0.000000', '1.000000', '10.000000'] + ['0.000000'] * 9
    keys = '23456789ABCD'
    strings += ['1' + k + v for k, v in zip(keys, reals)]
    strings += ['1E2.50 ', '1F1', '1G5', '1Hground', '1Ia', '1Jb', '1K1', '1L2', '1M3', '1N4',
                '1O1.00 ', '1P2.00 ', '1Q3.00 ', '1RCH 100', '1S', '1T', '1U', '1V', '1W', '1X',
                '1Y', '1Z0.000', '1:<description:Brook crossing><complex_group:Y>']
    return strings


def make(path):
    doc = ezdxf.new('R2000')
    doc.appids.new(APP)
    msp = doc.modelspace()
    datum = msp.add_line((0, 20), (100, 20), dxfattribs={'layer': 'DATUM'})
    datum.set_xdata(APP, [(1002, '{')] + [(1000, s) for s in section_strings()] + [(1002, '}')])
    line = msp.add_line((0, 0), (10, 0.5))
    pline = msp.add_lwpolyline([(0, 5), (10, 6), (20, 4)])
    circle = msp.add_circle((50, 50), 2)
    handles = [('datum', datum), ('line', line), ('pline', pline), ('circle', circle)]
    handles += labels(doc, msp)
    doc.saveas(path)
    print(' '.join('%s %s' % (name, e.dxf.handle) for name, e in handles))


MIRRORED = (0, 0, -1)


def labels(doc, msp):
    """What else a section drawing holds: labels of several lines, a level
    mark's ellipse, a ground line's spline, filled arrow heads (one mirrored
    in plan), a face, a dimension, a leader, and a mirrored arc and polyline;
    and a region, whose points cannot be moved."""
    made = [
        ('mtext', msp.add_mtext('CH 125.5\\PLevel 10.25', dxfattribs={'insert': (30, 12), 'char_height': 0.5})),
        ('ellipse', msp.add_ellipse((40, 8), major_axis=(2, 1), ratio=0.5, start_param=0.3, end_param=5.0)),
        ('spline', msp.add_spline(fit_points=[(0, 2), (5, 3), (10, 2.5), (20, 3.5)])),
        ('solid', msp.add_solid([(60, 0), (61, 0), (60.5, 1)])),
        ('msolid', msp.add_solid([(-62, 0), (-63, 0), (-62.5, 1)], dxfattribs={'extrusion': MIRRORED})),
        ('face', msp.add_3dface([(70, 0, 0), (71, 0, 0), (71, 1, 0), (70, 1, 0)])),
        ('leader', msp.add_leader([(80, 5), (82, 7), (85, 7)])),
        ('marc', msp.add_arc((-90, 5), 2, 180, 300, dxfattribs={'extrusion': MIRRORED})),
        ('mpline', msp.add_lwpolyline([(-95, 0, 0, 0, 0.4), (-97, 2, 0, 0, 0)], format='xyseb',
                                      dxfattribs={'extrusion': MIRRORED, 'elevation': 1.5})),
    ]
    dim = msp.add_linear_dim(base=(0, -3), p1=(0, 0), p2=(10, 0.5))
    dim.render()
    made.append(('dimension', dim.dimension))
    made.append(('region', msp.add_region()))
    return made


def ocs_points(e, pts):
    ocs = e.ocs()
    return [tuple(ocs.to_wcs(p))[:2] for p in pts]


def strings(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print('AUDIT %d' % len(auditor.errors))
    for e in doc.modelspace():
        if e.has_xdata(APP):
            values = [str(t.value) for t in e.get_xdata(APP) if t.code == 1000]
            print('%s %s' % (e.dxf.handle, '|'.join(values)))


def points(e):
    """The entity's points where it lies (world coordinates, in plan): for a
    dimension its definition points and those of the graphics it draws."""
    kind = e.dxftype()
    if kind == 'LINE':
        return [tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]]
    if kind == 'LWPOLYLINE':
        return [tuple(p)[:2] for p in e.vertices_in_wcs()]
    if kind in ('CIRCLE', 'ARC'):
        pts = ocs_points(e, [e.dxf.center])
        return pts + ([tuple(e.start_point)[:2], tuple(e.end_point)[:2]] if kind == 'ARC' else [])
    if kind in ('MTEXT', 'TEXT'):
        return [tuple(e.dxf.insert)[:2]]
    if kind == 'ELLIPSE':
        return [tuple(e.dxf.center)[:2], tuple(e.start_point)[:2], tuple(e.end_point)[:2]]
    if kind == 'SPLINE':
        return [tuple(p)[:2] for p in list(e.control_points) + list(e.fit_points)]
    if kind == 'SOLID':
        return ocs_points(e, [e.dxf.get(v) for v in ('vtx0', 'vtx1', 'vtx2', 'vtx3')])
    if kind == '3DFACE':
        return [tuple(e.dxf.get(v))[:2] for v in ('vtx0', 'vtx1', 'vtx2', 'vtx3')]
    if kind == 'LEADER':
        return [tuple(p)[:2] for p in e.vertices]
    if kind == 'DIMENSION':
        pts = [tuple(e.dxf.get(v))[:2] for v in ('defpoint', 'defpoint2', 'defpoint3', 'text_midpoint')]
        block = e.get_geometry_block()
        for part in (block if block is not None else []):
            pts += points(part)
        return pts
    if kind == 'POINT':
        return [tuple(e.dxf.location)[:2]]
    return []


def shifted(pts, d):
    """The points moved by d: (dx, dy), or dy alone."""
    dx, dy = d if isinstance(d, tuple) else (0.0, d)
    return [(x + dx, y + dy) for x, y in pts]


def same(a, b):
    return len(a) == len(b) and all(abs(p[0] - q[0]) < 1e-9 and abs(p[1] - q[1]) < 1e-9
                                    for p, q in zip(a, b))


def check(before_path, after_path, mode, dy, handles):
    before = {e.dxf.handle: e for e in ezdxf.readfile(before_path).modelspace()}
    after_doc = ezdxf.readfile(after_path)
    after = {e.dxf.handle: e for e in after_doc.modelspace()}
    problems = []
    for handle, e in before.items():
        if handle not in after:
            problems.append('%s is gone' % handle)
            continue
        expected = points(e)
        if mode == 'move' and handle in handles:
            expected = shifted(expected, dy)
        if not same(points(after[handle]), expected):
            problems.append('%s %s at %s, expected %s' % (handle, e.dxftype(), points(after[handle]), expected))
    new = [e for h, e in after.items() if h not in before]
    if mode == 'copy':
        wanted = sorted((before[h].dxftype(), shifted(points(before[h]), dy)) for h in handles)
        got = sorted((e.dxftype(), points(e)) for e in new)
        if len(wanted) != len(got) or not all(w[0] == g[0] and same(w[1], g[1]) for w, g in zip(wanted, got)):
            problems.append('copies %s, expected %s' % (got, wanted))
    elif new:
        problems.append('new entities %s' % [e.dxf.handle for e in new])
    auditor = after_doc.audit()
    if auditor.errors:
        problems.append('audit errors: %s' % [str(e) for e in auditor.errors])
    print('\n'.join(problems) if problems else 'OK')


if __name__ == '__main__':
    command = sys.argv[1]
    if command == 'make':
        make(sys.argv[2])
    elif command == 'strings':
        strings(sys.argv[2])
    elif command == 'check':
        shift = sys.argv[5].split(',')
        shift = float(shift[0]) if len(shift) == 1 else (float(shift[0]), float(shift[1]))
        check(sys.argv[2], sys.argv[3], sys.argv[4], shift, sys.argv[6:])
