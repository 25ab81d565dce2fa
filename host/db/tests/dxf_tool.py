"""Independent checks of DXF files for the drawing-file tests, with ezdxf.

  dxf_tool.py describe FILE    audit the file, then print what it holds, one
                               line per layer and per entity (UTF-8)
  dxf_tool.py make FILE VER    write a drawing of every kind, as another
                               program would (VER: R2000 or R2018)
  dxf_tool.py make-all FILE VER
                               write a drawing of every entity kind ezdxf
                               can write, with the properties and objects
                               another program's drawings carry
  dxf_tool.py compare A B      compare two drawings entity by entity (every
                               table entry, block, entity and object, by
                               handle, as ezdxf exports them); prints the
                               differences, nothing when they are the same
  dxf_tool.py render A B       render both model spaces and print the share
                               of pixels that differ
  dxf_tool.py show FILE HANDLE print an entity's DXF attributes
  dxf_tool.py make-r12 FILE    write an R12 drawing (no handles in DIMSTYLE)
  dxf_tool.py make-1251 FILE   write a drawing in code page ANSI_1251 with
                               Cyrillic layer names and text
  dxf_tool.py texts FILE       audit, then print the code page, the layer
                               names and the texts (UTF-8)
  dxf_tool.py widths FILE      print each light polyline's constant width
                               and its vertices' start and end widths
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


def make_all(path, version):
    import ezdxf.render.forms as forms
    doc = ezdxf.new(version, setup=True)
    doc.appids.new('OTHERAPP')
    doc.layers.add('Dashed', color=3, linetype='DASHED').dxf.lineweight = 35
    layer = doc.layers.add('Truecolour')
    layer.rgb = (10, 120, 200)
    doc.ucs.new('Tilted', dxfattribs={'origin': (1, 2, 3)})
    doc.views.new('Front', dxfattribs={'center': (5, 5), 'height': 20, 'width': 30})
    msp = doc.modelspace()
    line = msp.add_line((0, 0), (10, 5), dxfattribs={
        'layer': 'Dashed', 'linetype': 'DASHDOT', 'lineweight': 50, 'thickness': 2, 'ltscale': 0.5})
    line.rgb = (255, 128, 0)
    line.transparency = 0.25
    line.set_xdata('OTHERAPP', [(1000, 'kept'), (1040, 1.25), (1010, (1, 2, 3))])
    line.new_extension_dict().add_xrecord('OTHER_RECORD').reset([(1, 'in a record'), (40, 3.5)])
    msp.add_point((7, 8, 9), dxfattribs={'angle': 30})
    msp.add_circle((3, 4), 2, dxfattribs={'extrusion': (0, 0, -1), 'thickness': 1.5})
    msp.add_arc((1, 1), 3, 30, 120, dxfattribs={'linetype': 'DASHED'})
    msp.add_ellipse((0, 0), major_axis=(2, 1), ratio=0.5, start_param=0.3, end_param=4)
    msp.add_spline([(0, 0), (2, 3), (5, 1), (8, 4)])
    msp.add_open_spline([(0, 0, 0), (1, 2, 1), (3, 1, 0), (4, 4, 2)], degree=3)
    msp.add_text('Oblique', dxfattribs={'height': 1.5, 'rotation': 30, 'oblique': 15, 'style': 'OpenSans',
                                        'width': 0.8}).set_placement((2, 20))
    msp.add_mtext('First line\\PSecond line', dxfattribs={'char_height': 0.7, 'width': 12,
                                                          'insert': (0, 30), 'rotation': 10})
    msp.add_lwpolyline([(0, 0, 0.5, 0.5, 0.25), (4, 0, 0, 0, 1), (4, 4)], format='xyseb', close=True,
                       dxfattribs={'const_width': 0.1, 'thickness': 3, 'elevation': 2})
    msp.add_polyline2d([(0, 40), (1, 40), (1, 41)], close=True, dxfattribs={'linetype': 'HIDDEN'})
    msp.add_polyline3d([(0, 0, 0), (1, 2, 3), (4, 4, 4)])
    mesh = msp.add_polymesh((3, 3))
    for m in range(3):
        for n in range(3):
            mesh.set_mesh_vertex((m, n), (m, n, (m * n) % 2))
    face = msp.add_polyface()
    face.append_faces([[(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)], [(1, 0, 0), (2, 0, 0), (2, 1, 1)]])
    msp.add_solid([(20, 0), (22, 0), (20, 2), (22, 2)])
    msp.add_trace([(25, 0), (27, 0), (25, 2), (27, 2)])
    msp.add_3dface([(30, 0, 0), (32, 0, 1), (32, 2, 1), (30, 2, 0)])
    msp.add_ray((0, 0), (1, 1))
    msp.add_xline((5, 5), (1, -1))
    msp.add_shape('CIRCLE', (40, 40), 2) if hasattr(msp, 'add_shape') else None
    solid = msp.add_hatch(color=3)
    solid.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True, flags=1)
    pattern = msp.add_hatch(color=5, dxfattribs={'layer': 'Dashed'})
    pattern.set_pattern_fill('ANSI31', scale=2, angle=30)
    pattern.paths.add_polyline_path([(20, 20), (30, 20), (30, 30), (20, 30)], is_closed=True, flags=1)
    curved = msp.add_hatch(color=6)
    curved.set_pattern_fill('ANSI32', scale=0.5)
    edges = curved.paths.add_edge_path(flags=1)
    edges.add_line((40, 0), (50, 0))
    edges.add_ellipse((50, 5), major_axis=(0, 5), ratio=0.4, start_angle=270, end_angle=90)
    edges.add_spline(control_points=[(50, 10), (46, 13), (43, 8), (40, 10)], degree=3)
    edges.add_line((40, 10), (40, 0))
    if version != 'R2000':
        gradient = msp.add_hatch()
        gradient.set_gradient((255, 0, 0), (0, 0, 255), rotation=45)
        gradient.paths.add_polyline_path([(60, 0), (70, 0), (65, 8)], is_closed=True)
    blk = doc.blocks.new('MARK', base_point=(1, 1))
    blk.add_circle((0, 0), 0.5)
    blk.add_mtext('inside a block')
    blk.add_attdef('TAG', (0, -1), dxfattribs={'height': 0.4, 'prompt': 'Value?'})
    ref = msp.add_blockref('MARK', (20, 20), dxfattribs={'xscale': 2, 'yscale': 2, 'rotation': 45})
    ref.add_auto_attribs({'TAG': 'kept value'})
    msp.add_blockref('MARK', (30, 30), dxfattribs={'row_count': 2, 'column_count': 3, 'row_spacing': 4,
                                                   'column_spacing': 5})
    dim = msp.add_linear_dim(base=(0, -5), p1=(0, -2), p2=(10, -2))
    dim.render()
    msp.add_radius_dim(center=(3, 4), radius=2, angle=45).render()
    msp.add_leader([(0, 50), (5, 55), (10, 55)])
    msp.add_mline([(0, 60), (10, 60), (10, 70)])
    mesh3 = msp.add_mesh()
    with mesh3.edit_data() as data:
        data.vertices = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 1)]
        data.faces = [(0, 1, 2, 3)]
    image_def = doc.add_image_def(filename='photo.png', size_in_pixel=(640, 480))
    msp.add_image(image_def, insert=(80, 0), size_in_units=(6.4, 4.8), rotation=0)
    pdf = doc.add_underlay_def(filename='sheet.pdf', fmt='pdf', name='1')
    msp.add_underlay(pdf, insert=(90, 0), scale=0.5)
    msp.add_wipeout([(100, 0), (105, 0), (105, 5)])
    msp.new_entity('TOLERANCE', dxfattribs={'insert': (110, 0), 'content': '{\\Fgdt;j}%%v0.1'})
    msp.add_helix(radius=2, pitch=1, turns=3) if hasattr(msp, 'add_helix') else None
    msp.add_3dsolid()
    msp.add_region()
    msp.add_body()
    doc.groups.new('PAIR').extend([line])
    paper = doc.layout('Layout1')
    paper.add_viewport(center=(100, 100), size=(100, 80), view_center_point=(10, 10), view_height=40)
    paper.add_text('paper note').set_placement((10, 10))
    doc.saveas(path)


def exported(entity, version):
    from ezdxf.lldxf.tagwriter import TagCollector
    collector = TagCollector(dxfversion=version)
    entity.export_dxf(collector)
    return collector.tags


def same_value(a, b):
    if isinstance(a, float) or isinstance(b, float):
        try:
            return math.isclose(float(a), float(b), rel_tol=1e-9, abs_tol=1e-9)
        except (TypeError, ValueError):
            return False
    if isinstance(a, (tuple, list)) or hasattr(a, 'x'):
        return len(a) == len(b) and all(same_value(p, q) for p, q in zip(a, b))
    return a == b


def objects_by_handle(doc):
    found = {}
    for e in doc.entitydb.values():
        if e.dxf.handle is None or not e.is_alive:
            continue
        found[e.dxf.handle] = e
    return found


def compare(a_path, b_path):
    a_doc = ezdxf.readfile(a_path)
    b_doc = ezdxf.readfile(b_path)
    for name, doc in (('first', a_doc), ('second', b_doc)):
        auditor = doc.audit()
        for e in auditor.errors:
            print('AUDIT', name, e.message)
    a = objects_by_handle(a_doc)
    b = objects_by_handle(b_doc)
    version = a_doc.dxfversion
    skip = {'BLOCK_RECORD', 'TABLE'}
    for handle, entity in a.items():
        kind = entity.dxftype()
        if handle not in b:
            print('MISSING', kind, handle)
            continue
        other = b[handle]
        if other.dxftype() != kind:
            print('KIND', handle, kind, other.dxftype())
            continue
        if kind in skip:
            continue
        x = exported(entity, version)
        y = exported(other, version)
        if len(x) != len(y) or not all(p.code == q.code and same_value(p.value, q.value) for p, q in zip(x, y)):
            diff = [(p, q) for p, q in zip(x, y) if not (p.code == q.code and same_value(p.value, q.value))]
            print('DIFFERS', kind, handle, len(x), len(y), diff[:3])
    for name in ['*Model_Space'] + [blk.name for blk in a_doc.blocks]:
        if name not in b_doc.blocks:
            print('NO BLOCK', name)
            continue
        x = [e.dxf.handle for e in a_doc.blocks[name]]
        y = [e.dxf.handle for e in b_doc.blocks[name]]
        if x != y:
            print('BLOCK CONTENT', name, x, y)


def render(path, png):
    import matplotlib
    matplotlib.use('Agg')
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import RenderContext, Frontend
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    doc = ezdxf.readfile(path)
    fig = plt.figure(figsize=(8, 6))
    ax = fig.add_axes([0, 0, 1, 1])
    Frontend(RenderContext(doc), MatplotlibBackend(ax)).draw_layout(doc.modelspace(), finalize=True)
    fig.savefig(png, dpi=60)
    plt.close(fig)


def render_compare(a_path, b_path):
    import matplotlib.image
    import numpy
    render(a_path, a_path + '.png')
    render(b_path, b_path + '.png')
    x = matplotlib.image.imread(a_path + '.png')
    y = matplotlib.image.imread(b_path + '.png')
    if x.shape != y.shape:
        print('SHAPES', x.shape, y.shape)
        return
    differ = numpy.any(numpy.abs(x - y) > 0.05, axis=-1)
    print('%.5f' % float(differ.mean()))


def show(path, handle):
    doc = ezdxf.readfile(path)
    entity = doc.entitydb[handle]
    for key, value in sorted(entity.dxf.all_existing_dxf_attribs().items()):
        print(key, fmt(value) if not isinstance(value, str) else value)


def make_r12(path):
    doc = ezdxf.new('R12', setup=True)
    doc.layers.add('Walls', color=1, linetype='DASHED')
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 5), dxfattribs={'layer': 'Walls', 'thickness': 2})
    msp.add_circle((3, 4), 2)
    msp.add_arc((1, 1), 3, 30, 120)
    msp.add_text('R12 text', dxfattribs={'height': 2}).set_placement((5, 5))
    msp.add_polyline2d([(0, 0), (1, 0), (1, 1)], close=True)
    msp.add_solid([(20, 0), (22, 0), (20, 2)])
    msp.add_3dface([(30, 0, 0), (32, 0, 1), (32, 2, 1), (30, 2, 0)])
    blk = doc.blocks.new('MARK')
    blk.add_circle((0, 0), 0.5)
    blk.add_attdef('TAG', (0, -1))
    msp.add_blockref('MARK', (20, 20)).add_auto_attribs({'TAG': 'kept'})
    doc.saveas(path)


def make_1251(path):
    doc = ezdxf.new('R2000')
    doc.encoding = 'cp1251'
    doc.layers.add('\u0421\u043b\u043e\u0439', color=2)
    msp = doc.modelspace()
    msp.add_text('\u041f\u0440\u0438\u0432\u0435\u0442', dxfattribs={
        'layer': '\u0421\u043b\u043e\u0439', 'height': 2}).set_placement((1, 1))
    msp.add_mtext('\u041c\u0438\u0440', dxfattribs={'layer': '\u0421\u043b\u043e\u0439'})
    doc.saveas(path)


def texts(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print('AUDIT errors=%d' % len(auditor.errors))
    print('CODEPAGE', doc.header.get('$DWGCODEPAGE', ''))
    for layer in doc.layers:
        print('LAYER', layer.dxf.name)
    for e in doc.modelspace():
        if e.dxftype() in ('TEXT', 'MTEXT'):
            print(e.dxftype(), e.dxf.layer, e.dxf.text if e.dxftype() == 'TEXT' else e.text)


def widths(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace().query('LWPOLYLINE'):
        print('const=%s' % fmt(e.dxf.const_width),
              ' '.join('%s/%s' % (fmt(s), fmt(w)) for _, _, s, w, _ in e.get_points('xyseb')))


if __name__ == '__main__':
    if sys.argv[1] == 'describe':
        sys.stdout.reconfigure(encoding='utf-8')
        describe(sys.argv[2])
    elif sys.argv[1] == 'make':
        make(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == 'make-all':
        make_all(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == 'compare':
        compare(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == 'render':
        render_compare(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == 'make-r12':
        make_r12(sys.argv[2])
    elif sys.argv[1] == 'make-1251':
        make_1251(sys.argv[2])
    elif sys.argv[1] == 'widths':
        widths(sys.argv[2])
    elif sys.argv[1] == 'texts':
        sys.stdout.reconfigure(encoding='utf-8')
        texts(sys.argv[2])
    elif sys.argv[1] == 'show':
        sys.stdout.reconfigure(encoding='utf-8')
        show(sys.argv[2], sys.argv[3])
