"""Independent checks of section drawings for Plimsor's tests, with ezdxf.

  section_dxf.py make FILE          write a cross-section drawing as the section
                                    tools would: a datum LINE carrying the section
                                    data (scales 1 and 10, chainage 125.5), a LINE,
                                    an LWPOLYLINE and a CIRCLE; prints their handles
  section_dxf.py strings FILE       audit the file, then print each entity's handle
                                    and the section tools' xdata strings, '|'-joined
  section_dxf.py check IN OUT MODE DY HANDLE...
                                    compare OUT with IN: the listed entities moved
                                    (MODE move) or copied (MODE copy) by (0, DY),
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
    doc.saveas(path)
    print('datum %s line %s pline %s circle %s' % (
        datum.dxf.handle, line.dxf.handle, pline.dxf.handle, circle.dxf.handle))


def strings(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print('AUDIT %d' % len(auditor.errors))
    for e in doc.modelspace():
        if e.has_xdata(APP):
            values = [str(t.value) for t in e.get_xdata(APP) if t.code == 1000]
            print('%s %s' % (e.dxf.handle, '|'.join(values)))


def points(e):
    kind = e.dxftype()
    if kind == 'LINE':
        return [tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]]
    if kind == 'LWPOLYLINE':
        return [tuple(p[:2]) for p in e.get_points()]
    if kind == 'CIRCLE':
        return [tuple(e.dxf.center)[:2]]
    return []


def shifted(pts, dy):
    return [(x, y + dy) for x, y in pts]


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
    if after_doc.audit().errors:
        problems.append('audit errors')
    print('\n'.join(problems) if problems else 'OK')


if __name__ == '__main__':
    command = sys.argv[1]
    if command == 'make':
        make(sys.argv[2])
    elif command == 'strings':
        strings(sys.argv[2])
    elif command == 'check':
        check(sys.argv[2], sys.argv[3], sys.argv[4], float(sys.argv[5]), sys.argv[6:])
