"""Ctrl-C, Ctrl-D and the unsaved-work question, typed into cadhost on a
pseudo-terminal as a person does (see terminal_sessions.py for the harness).

- Ctrl-C is the break: at the command prompt, at a prompt and while a
  command runs it cancels that, and the session goes on with its drawing.
- The second corner of a window, asked with no text, shows what it asks.
- Ctrl-D at a prompt cancels it; at the command prompt it quits, asking
  first when there is unsaved work and quitting only on the answer typed.
- A batch import runs its steps on the dialog's timer while the dialog
  waits, with nothing typed (no !wait): it makes its drawings.
- Opening a drawing and only looking at it (REDRAW, a help command, a
  command cancelled before it did anything) leaves nothing to ask about.

usage: terminal_keys.py CADHOST TESTADDIN VARNEL SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys

from terminal_sessions import Failure, run_in_temporary_folder, run_session

CTRL_C = b'\x03'
CTRL_D = b'\x04'


def line_count(drawing):
    done = subprocess.run(['/usr/bin/python3', '-c',
                           'import ezdxf, sys; print(len(ezdxf.readfile(sys.argv[1]).modelspace().query("LINE")))',
                           drawing], capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure('cannot read %s: %s' % (drawing, done.stderr))
    return int(done.stdout)


def keys(cadhost, testaddin, tmp, env):
    drawing = os.path.join(tmp, 'kept.dxf')
    run_session('the keys session', [cadhost, '--addin', testaddin, '--registry', 'registry.txt'], tmp, env, [
        (['Command: '], 'taline'),
        (['From point: '], '0,0'),
        (['To point: '], '5,0'),
        (['Command: '], CTRL_C),
        (['*Cancel*', 'Command: '], 'tahello'),
        (['Your name <World>: '], CTRL_C),
        (['Hello cancelled.', 'Command: '], 'tawait'),
        # What a command prints shows when it asks, or ends: give it a
        # moment to start its loop.
        (['tawait'], 1.0),
        ([], CTRL_C),
        (['Waiting for a break.', 'Broken off.', 'Command: '], 'tawindow'),
        # A prompt with no text of its own still says what it asks.
        (['Window select an area'], '437000,112000'),
        (['Other corner: '], '437100,112100'),
        (['Window 437000,112000 to 437100,112100.', 'Command: '], 'tahello'),
        (['Your name <World>: '], CTRL_D),
        (['Hello cancelled.', 'Command: '], CTRL_D),
        # The question is answered by the person, never by a key.
        (['Quit and drop them?', '!answer no'], CTRL_D),
        (['Ctrl-D does not cancel this question', 'Quit and drop them?'], '!answer no'),
        (['Command: '], '!save ' + drawing),
        (['Command: '], CTRL_D),
    ])
    if line_count(drawing) != 1:
        raise Failure('the line drawn before the keys was not kept')


def unchanged(cadhost, testaddin, varnel, tmp, env):
    drawing = os.path.join(tmp, 'opened.dxf')
    done = subprocess.run(['/usr/bin/python3', '-c',
                           'import ezdxf, sys; d = ezdxf.new("R2000"); d.modelspace().add_line((0, 0), (1, 1)); '
                           'd.saveas(sys.argv[1])', drawing], capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure('cannot make %s: %s' % (drawing, done.stderr))
    argv = [cadhost, '--addin', testaddin, '--addin', varnel, '--registry', 'registry.txt', '--open', drawing]
    steps = [
        (['Command: '], 'REDRAW'),
        (['Command: '], 'lwhgmlhe'),
        (['Command: '], 'LINE'),
        (['First point: '], CTRL_C),
        (['Command: '], 'tahello'),
        (['Your name <World>: '], CTRL_D),
        (['Command: '], CTRL_D),
    ]
    run_session('the looking session', argv, tmp, env, steps)
    # The same with a line drawn: now there is work to ask about.
    run_session('the drawing session', argv, tmp, env, steps[:-1] + [
        (['Command: '], 'LINE'),
        (['First point: '], '2,2'),
        (['Next point: '], '3,3'),
        (['Next point: '], ''),
        (['Command: '], CTRL_D),
        (['Quit and drop them?'], '!answer yes'),
    ])


def batch(cadhost, varnel, source, tmp, env):
    # The example topography in a folder of its own; two window locations,
    # the batch switch on in the settings dialog, Start.
    support = os.path.join(tmp, 'batch_support')
    shutil.copytree(os.path.join(source, 'support'), support)
    example = os.path.join(tmp, 'batch_example')
    subprocess.run(['/usr/bin/python3', os.path.join(source, 'tools', 'make_example_data.py'), example],
                   check=True, capture_output=True)
    osmm, out, csv = (os.path.join(tmp, name) for name in ('batch_osmm', 'batch_out', 'batch_csv'))
    for folder in (osmm, out, csv):
        os.mkdir(folder)
    shutil.copy(os.path.join(example, 'example-topo.gml'), osmm)
    steps = [
        (['Command: '], 'lwhgmlin'),
        (['Select files individually?'], '!answer no'),
        (['Select MasterMap files folder.'], '!answer ' + osmm),
        (['Actions now:'], '!dlg_click 229'),
        (['Actions now:'], '!dlg_click 227'),
        (['Actions now:'], '!dlg_click 328'),
        (['Actions now:'], '!dlg_click 1'),
    ]
    for name, corner1, corner2 in (('West', '437000.5,112000.5', '437400.5,112900.5'),
                                   ('East', '437500.5,112000.5', '437900.5,112900.5')):
        steps += [
            (['Actions now:'], '!dlg_click 228'),
            (['Actions now:'], '!dlg_set 263 ' + name),
            (['Actions now:'], '!dlg_click 261'),
            (['Window select an area'], corner1),
            (['Other corner: '], corner2),
        ]
    steps += [
        (['Actions now:'], '!dlg_click 1'),
        (['OK to start the Batch Processing Mode?'], '!answer yes'),
        (['Answer: !answer FOLDER'], '!answer ' + out),
        (['Answer: !answer FOLDER'], '!answer ' + csv + '/'),
        # Nothing more is typed until the batch is done.
        (['Orvane Batch mode started.', 'West.dwg created.', 'East.dwg', 'Command: '], '!new'),
        (['Start a new drawing and drop them?'], '!answer yes'),
        (['Command: '], 'quit'),
    ]
    run_session('the batch session', [cadhost, '--addin', varnel, '--support', support, '--registry', 'registry.txt'],
                tmp, env, steps)
    if not os.path.isfile(os.path.join(out, 'West.dxf')):
        raise Failure('the batch at the terminal made no drawing for West')


def main():
    cadhost, testaddin, varnel, source = sys.argv[1:5]

    def sessions(tmp, env):
        keys(cadhost, testaddin, tmp, env)
        unchanged(cadhost, testaddin, varnel, tmp, env)
        batch(cadhost, varnel, source, tmp, env)
    return run_in_temporary_folder(sessions, 'Ctrl-C and Ctrl-D cancel what waits, only a changed drawing is '
                                             'asked about, and a batch runs on its timer at the terminal')


if __name__ == '__main__':
    sys.exit(main())
