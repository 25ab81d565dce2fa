"""Seeds for the DXF reader's fuzz target, made at run time with ezdxf.

  make_dxf_seeds.py FOLDER

Writes drawings of every entity kind (R2000, R2018), an R12 drawing and one
in code page ANSI_1251, each whole and cut down to its ENTITIES section, so
that the fuzzer starts from short inputs too.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests'))
import dxf_tool  # noqa: E402


def entities_only(text):
    start = text.find('ENTITIES\n')
    if start < 0:
        return None
    start = text.rfind('  0\nSECTION\n', 0, start)
    end = text.find('  0\nENDSEC\n', start)
    return text[start:end] + '  0\nENDSEC\n  0\nEOF\n'


def main(folder):
    os.makedirs(folder, exist_ok=True)
    made = []
    for version in ('R2000', 'R2018'):
        path = os.path.join(folder, 'all_%s.dxf' % version)
        dxf_tool.make_all(path, version)
        made.append(path)
    for name, maker in (('r12.dxf', dxf_tool.make_r12), ('cyrillic.dxf', dxf_tool.make_1251)):
        path = os.path.join(folder, name)
        maker(path)
        made.append(path)
    for path in made:
        with open(path, 'rb') as f:
            text = f.read().decode('latin-1')
        cut = entities_only(text)
        if cut:
            with open(path[:-4] + '_entities.dxf', 'wb') as f:
                f.write(cut.encode('latin-1'))


if __name__ == '__main__':
    main(sys.argv[1])
