"""Ctrl-C, Ctrl-D and the unsaved-work question, typed into cadhost on a
pseudo-terminal as a person does (see terminal_sessions.py for the harness).

- Ctrl-C is the break: at the command prompt, at a prompt and while a
  command runs it cancels that, and the session goes on with its drawing.
- The second corner of a window, asked with no text, shows what it asks.
- Ctrl-D at a prompt cancels it; at the command prompt it quits, asking
  first when there is unsaved work and quitting only on the answer typed.
- Opening a drawing and only looking at it (REDRAW, a help command, a
  command cancelled before it did anything) leaves nothing to ask about.

usage: terminal_keys.py CADHOST TESTADDIN VARNEL
"""
import os
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


def main():
    cadhost, testaddin, varnel = sys.argv[1:4]

    def sessions(tmp, env):
        keys(cadhost, testaddin, tmp, env)
        unchanged(cadhost, testaddin, varnel, tmp, env)
    return run_in_temporary_folder(sessions, 'Ctrl-C and Ctrl-D cancel what waits, and only a changed drawing '
                                             'is asked about')


if __name__ == '__main__':
    sys.exit(main())
