"""Independent checks of DXF files for the drawing-file tests, with ezdxf.

  dxf_tool.py describe FILE    audit the file, then print what it holds, one
                               line per layer and per entity (UTF-8)
  dxf_tool.py make FILE VER    write a drawing of every kind, as another
                               program would (VER: R2000 or R2018)
"""
import math
import sys

import ezdxf


def fmt(v):
    if isinstance(v, float):
        r = repr(v)
        return r[:-2] if r.endswith('.0') else r
    if isinstance(v, (tuple, list)) or hasattr(v, 'x'):
        return ','.join(fmt(float(c)) for c in v)
    return str(v)


def describe(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print('AUDIT errors=%d fixes=%d' % (len(auditor.errors), len(auditor.fixes)))
    for e in auditor.errors:
        print('ERROR', e.message)
    for layer in doc.layers:
        d = layer.dxf
        print('LAYER %s color=%d off=%d frozen=%d locked=%d' % (
            d.name, abs(d.color), int(layer.is_off()), int(layer.is_frozen()), int(layer.is_locked())))
    apps = [a.dxf.name for a in doc.appids]
    for e in doc.modelspace():
        line = '%s %s %s %d' % (e.dxftype(), e.dxf.handle, e.dxf.layer, e.dxf.get('color', 256))
        for app in apps:
            if e.has_xdata(app):
                line += ' [' + app + ''.join(' %d=%s' % (t.code, fmt(t.value)) for t in e.get_xdata(app)) + ']'
        print(line)


def make(path, version):
    doc = ezdxf.new(version)
    doc.appids.new('OTHERAPP')
    doc.layers.add('Walls', color=1)
    doc.layers.add('Off', color=5).off()
    blk = doc.blocks.new('MARK', base_point=(1, 1))
    blk.add_circle((0, 0), 0.5)
    msp = doc.modelspace()
    msp.add_line((0, 0, 0), (10, 5, 1), dxfattribs={'layer': 'Walls', 'color': 2}).set_xdata(
        'OTHERAPP', [(1000, 'first'), (1000, 'Gr\u00fc\u00dfe \u0141'), (1040, 2.5), (1070, 3)])
    msp.add_circle((3, 4), 2)
    msp.add_arc((1, 1), 3, 30, 120)
    msp.add_point((7, 8, 9))
    msp.add_text('Centred', dxfattribs={'height': 2, 'rotation': 90}).set_placement(
        (5, 5), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    msp.add_lwpolyline([(0, 0, 0.5, 0.5, 0.25), (4, 0, 0, 0, 1), (4, 4)], format='xyseb',
                       close=True, dxfattribs={'layer': 'Off'})
    msp.add_polyline2d([(0, 0), (1, 0), (1, 1)], close=True)
    msp.add_polyline3d([(0, 0, 0), (1, 2, 3)])
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True, flags=1)
    edges = hatch.paths.add_edge_path()
    edges.add_line((2, 2), (4, 2))
    edges.add_arc((4, 3), radius=1, start_angle=270, end_angle=90)
    edges.add_line((4, 4), (2, 4))
    edges.add_line((2, 4), (2, 2))
    msp.add_blockref('MARK', (20, 20), dxfattribs={'xscale': 2, 'yscale': 2, 'zscale': 2, 'rotation': 45})
    msp.add_blockref('MARK', (30, 30)).add_attrib('TAG', 'not kept', (30, 31))
    msp.add_mtext('not kept')
    msp.add_ellipse((0, 0), major_axis=(2, 0), ratio=0.5)
    doc.saveas(path)


if __name__ == '__main__':
    if sys.argv[1] == 'describe':
        sys.stdout.reconfigure(encoding='utf-8')
        describe(sys.argv[2])
    elif sys.argv[1] == 'make':
        make(sys.argv[2], sys.argv[3])
