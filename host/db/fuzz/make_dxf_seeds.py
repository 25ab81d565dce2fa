"""Seeds for the DXF reader's fuzz target, made at run time with ezdxf.

  make_dxf_seeds.py FOLDER

Writes drawings of every entity kind (R2000, R2018), an R12 drawing, one
in code page ANSI_1251 and Welsh names (R2000 and R2018), each whole and cut down to its ENTITIES section, so
that the fuzzer starts from short inputs too.

The seeds are the same bytes on every run, as one fuzz seed must give one
run: ezdxf writes fixed dates, the random GUIDs it gives a drawing and its
solids are numbered in their order instead, and Python's string hashing,
which orders ezdxf's sets (the CLASSES section), gets a fixed seed.
"""
import os
import re
import sys

if __name__ == '__main__' and os.environ.get('PYTHONHASHSEED') != '0':
    os.execve(sys.executable, [sys.executable] + sys.argv, dict(os.environ, PYTHONHASHSEED='0'))

import ezdxf  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests'))
import dxf_tool  # noqa: E402


GUID = re.compile(r'\{[0-9A-Fa-f]{8}(?:-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\}')


def numbered_guids(text):
    """The text with each distinct GUID replaced by one numbered in order."""
    numbers = {}

    def number(match):
        n = numbers.setdefault(match.group(0).upper(), len(numbers) + 1)
        return '{00000000-0000-4000-8000-%012X}' % n
    return GUID.sub(number, text)


def entities_only(text):
    start = text.find('ENTITIES\n')
    if start < 0:
        return None
    start = text.rfind('  0\nSECTION\n', 0, start)
    end = text.find('  0\nENDSEC\n', start)
    return text[start:end] + '  0\nENDSEC\n  0\nEOF\n'


def make_welsh(path, version):
    """Welsh names in a layer, a text and xdata: R2000 keeps them as
    "\\U+XXXX" in its code page, R2018 as UTF-8."""
    doc = ezdxf.new(version)
    doc.layers.add('Heol \u0174yn')
    doc.appids.add('LARCHWORKS_XGML_OSGB_WELSHNAMRA')
    text = doc.modelspace().add_text('T\u0177 Newydd caf\u00e9 \u20ac5', dxfattribs={'layer': 'Heol \u0174yn'})
    text.set_xdata('LARCHWORKS_XGML_OSGB_WELSHNAMRA', [(1002, '{'), (1000, '02Heol \u0174yn'), (1002, '}')])
    doc.saveas(path)


def main(folder):
    ezdxf.options.write_fixed_meta_data_for_testing = True
    os.makedirs(folder, exist_ok=True)
    made = []
    for version in ('R2000', 'R2018'):
        path = os.path.join(folder, 'all_%s.dxf' % version)
        dxf_tool.make_all(path, version)
        made.append(path)
    for name, maker in (('r12.dxf', dxf_tool.make_r12), ('cyrillic.dxf', dxf_tool.make_1251),
                        ('welsh_R2000.dxf', lambda path: make_welsh(path, 'R2000')),
                        ('welsh_R2018.dxf', lambda path: make_welsh(path, 'R2018'))):
        path = os.path.join(folder, name)
        maker(path)
        made.append(path)
    for path in made:
        with open(path, 'rb') as f:
            text = numbered_guids(f.read().decode('latin-1'))
        with open(path, 'wb') as f:
            f.write(text.encode('latin-1'))
        cut = entities_only(text)
        if cut:
            with open(path[:-4] + '_entities.dxf', 'wb') as f:
                f.write(cut.encode('latin-1'))


if __name__ == '__main__':
    main(sys.argv[1])
