"""Independent check of drawings the writer saved, with ezdxf.

  dxf_check.py xdata FILE   audit the file, then print every xdata group of
                            every model-space entity, one line each:
                            handle (decimal), type, layer, application,
                            group code, value (characters outside printable
                            ASCII and the backslash as \\uXXXX)
"""
import sys

import ezdxf


def escaped(value):
    text = str(value)
    return ''.join(c if 32 <= ord(c) < 127 and c != '\\' else '\\u%04x' % ord(c) for c in text)


def xdata(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print('AUDIT errors=%d' % len(auditor.errors))
    for e in auditor.errors:
        print('ERROR', e.message)
    apps = [a.dxf.name for a in doc.appids]
    for e in doc.modelspace():
        for app in apps:
            if e.has_xdata(app):
                for tag in e.get_xdata(app):
                    print('%d\t%s\t%s\t%s\t%d\t%s' % (int(e.dxf.handle, 16), e.dxftype(), e.dxf.layer,
                                                      app, tag.code, escaped(tag.value)))


if __name__ == '__main__':
    if sys.argv[1] == 'xdata':
        xdata(sys.argv[2])
