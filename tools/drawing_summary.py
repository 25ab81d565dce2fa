#!/usr/bin/python3
"""Summary of a saved drawing for the demo: the ezdxf audit, the entities per
layer, and (where matplotlib is installed) a PNG preview beside the drawing.

usage: drawing_summary.py DRAWING.dxf
Exit status 1 when the drawing cannot be read, fails the audit or holds no
entity."""
import collections
import os
import sys

import ezdxf


def main():
    path = sys.argv[1]
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    msp = doc.modelspace()
    per_layer = collections.Counter(e.dxf.layer for e in msp)
    print("\n%-32s %s" % ("Layer", "Entities"))
    for layer, count in sorted(per_layer.items()):
        print("%-32s %d" % (layer, count))
    total = sum(per_layer.values())
    print("%-32s %d" % ("(all)", total))
    if auditor.has_errors:
        for error in auditor.errors:
            print("audit error:", error.message)
        return 1
    print("\nDrawing: %s" % os.path.abspath(path))
    try:
        import logging
        import matplotlib
        matplotlib.use("Agg")
        logging.getLogger("matplotlib.font_manager").setLevel(logging.ERROR)
        import matplotlib.pyplot as plt
        from ezdxf.addons.drawing import Frontend, RenderContext
        from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    except ImportError:
        return 0 if total else 1
    fig = plt.figure(figsize=(12, 12))
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    Frontend(ctx, MatplotlibBackend(ax)).draw_layout(msp, finalize=True)
    png = os.path.splitext(os.path.abspath(path))[0] + ".png"
    fig.savefig(png, dpi=100)
    print("Preview: %s" % png)
    return 0 if total else 1


if __name__ == "__main__":
    sys.exit(main())
