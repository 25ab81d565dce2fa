"""Drives cadhost through a pseudo-terminal as a person does: the by-hand
sessions of Varnel, Corvex and Plimsor, line for line as the README gives
them.

Before each answer the test reads the screen until the question that answer
is for is on it, with the answers it takes; a question that does not show in
time fails the test, as nobody at a terminal could answer it. Each session
ends with "quit" and must end cadhost with status 0; the drawings saved are
then checked.

usage: terminal_sessions.py CADHOST VARNEL CORVEX PLIMSOR SOURCE_DIR
"""
import fcntl
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time

STEP_SECONDS = 60  # the longest a question may take to show
END_SECONDS = 30   # from "quit" to the end of the process


class Failure(Exception):
    pass


class Terminal:
    """cadhost on a pseudo-terminal: what it wrote, and lines typed to it."""

    def __init__(self, argv, cwd, env):
        master, slave = pty.openpty()
        self.master = master
        # The terminal is the process's own, as a shell's is: Ctrl-C typed
        # there reaches it as the break key.
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=slave, stdout=slave, stderr=slave,
                                     start_new_session=True, close_fds=True,
                                     preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.screen = ''
        self.since = 0  # where the screen stood when the last line was typed

    def _read(self, seconds):
        ready, _, _ = select.select([self.master], [], [], max(seconds, 0))
        if not ready:
            return True
        try:
            data = os.read(self.master, 65536)
        except OSError:  # the other end is closed: the process ended
            data = b''
        if not data:
            return False
        self.screen += data.decode('utf-8', 'replace')
        return True

    def wait_for(self, texts):
        """Reads until every text shows after the last line typed."""
        deadline = time.monotonic() + STEP_SECONDS
        while not all(t in self.screen[self.since:] for t in texts):
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure('not on the screen after %d s: %r' % (STEP_SECONDS, texts))
            if not self._read(left):
                raise Failure('cadhost ended before showing %r' % (texts,))

    def type(self, line):
        """A line and Enter; bytes are keys pressed as they are (b'\\x03' is Ctrl-C), a number
        the seconds to let pass before the next step."""
        if isinstance(line, float):
            time.sleep(line)
            return
        self.since = len(self.screen)
        os.write(self.master, line if isinstance(line, bytes) else (line + '\n').encode())

    def wait_for_end(self):
        deadline = time.monotonic() + END_SECONDS
        while self.proc.poll() is None and time.monotonic() < deadline:
            if not self._read(0.2):
                break
        try:
            return self.proc.wait(timeout=max(deadline - time.monotonic(), 1))
        except subprocess.TimeoutExpired:
            raise Failure('cadhost did not end after "quit"')

    def close(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        os.close(self.master)


def run_session(name, argv, cwd, env, steps):
    """steps: (texts that must be on the screen, the line then typed)."""
    terminal = Terminal(argv, cwd, env)
    try:
        for number, (texts, line) in enumerate(steps, 1):
            try:
                terminal.wait_for(texts)
            except Failure as failure:
                raise Failure('%s, step %d (before typing %r): %s' % (name, number, line, failure))
            terminal.type(line)
        status = terminal.wait_for_end()
        if status != 0:
            raise Failure('%s: cadhost ended with status %d' % (name, status))
    except Failure:
        sys.stderr.write('--- the screen of %s ---\n%s\n--- end ---\n' % (name, terminal.screen))
        raise
    finally:
        terminal.close()


def python(*args):
    done = subprocess.run(['/usr/bin/python3'] + list(args), capture_output=True, text=True)
    if done.returncode != 0:
        raise Failure('%s failed: %s%s' % (' '.join(args), done.stdout, done.stderr))
    return done.stdout


def varnel(cadhost, addin, source, tmp, env):
    # $ cp -r support /tmp/support
    # $ /usr/bin/python3 tools/make_example_data.py /tmp/example
    # $ mkdir /tmp/osmm /tmp/csv
    # $ cp /tmp/example/example-topo.gml /tmp/example/example-itn.gml.gz
    #      /tmp/example/example-address.gml /tmp/osmm/
    support = os.path.join(tmp, 'support')
    shutil.copytree(os.path.join(source, 'support'), support)
    example = os.path.join(tmp, 'example')
    python(os.path.join(source, 'tools', 'make_example_data.py'), example)
    osmm, csv = os.path.join(tmp, 'osmm'), os.path.join(tmp, 'csv')
    os.mkdir(osmm)
    os.mkdir(csv)
    for f in ('example-topo.gml', 'example-itn.gml.gz', 'example-address.gml'):
        shutil.copy(os.path.join(example, f), osmm)
    drawing = os.path.join(tmp, 'map.dxf')
    run_session('the Varnel session', [cadhost, '--addin', addin, '--support', support], tmp, env, [
        (['Command: '], 'lwhgmlin'),
        (['Message box', 'Select files individually?', '!answer yes | !answer no'], '!answer no'),
        (['Folder picker "Select MasterMap files folder."', '!answer FOLDER'], '!answer ' + osmm),
        (['Dialog "Orvane - OS MasterMap input"', 'example-topo.gml', 'Lines n/a', '[1] button "Draw"',
          'Actions now: !dlg_click'], '!dlg_click 1'),
        (['Folder picker "Select destination folder for CSV files."', '!answer FOLDER'], '!answer ' + csv),
        (['Command: '], '!save ' + drawing),
        (['Command: '], 'quit'),
    ])
    if not os.path.isfile(drawing):
        raise Failure('the Varnel session saved no drawing')
    import ezdxf
    kinds = {e.dxftype() for e in ezdxf.readfile(drawing).modelspace()}
    if not {'LWPOLYLINE', 'INSERT', 'TEXT'} <= kinds:
        raise Failure('the imported drawing holds only %s' % sorted(kinds))
    if not any(f.endswith('.csv') for f in os.listdir(csv)):
        raise Failure('the Varnel session wrote no CSV file')


def corvex(cadhost, addin, source, tmp, env):
    # $ mkdir /tmp/corvex   (the folder of its settings, orvan.ini)
    support = os.path.join(tmp, 'support')
    settings = os.path.join(tmp, 'corvex')
    os.mkdir(settings)
    drawing = os.path.join(tmp, 'joined.dxf')
    run_session('the Corvex session', [cadhost, '--addin', addin, '--support', support],
                tmp, dict(env, VMRINI=settings), [
        (['Command: '], 'LINE'),
        (['First point: '], '0,0'),
        (['Next point: '], '10,0'),
        (['Next point: '], '10,5'),
        (['Next point: '], ''),
        (['Command: '], '(LarCorvex2)'),
        (['Dialog ', 'Actions now:', 'start_joining'], '!dlg_click start_joining'),
        (['Select objects: ', '!select HANDLE'], 'all'),
        (['Change this polylines direction? Yes / <No>: '], 'maybe'),
        (['Invalid option keyword.', 'Change this polylines direction? Yes / <No>: '], ''),
        (['Command: '], '!save ' + drawing),
        (['Command: '], 'quit'),
    ])
    import ezdxf
    kinds = sorted(e.dxftype() for e in ezdxf.readfile(drawing).modelspace())
    if kinds != ['LWPOLYLINE']:
        raise Failure('the joined drawing holds %s, not one polyline' % kinds)


def plimsor(cadhost, addin, source, tmp, env):
    # $ /usr/bin/python3 vertical_offset/tests/section_dxf.py make /tmp/section.dxf
    # $ mkdir /tmp/sections
    section = os.path.join(tmp, 'section.dxf')
    python(os.path.join(source, 'vertical_offset', 'tests', 'section_dxf.py'), 'make', section)
    folder = os.path.join(tmp, 'sections')
    os.mkdir(folder)
    moved = os.path.join(tmp, 'moved.dxf')
    run_session('the Plimsor session', [cadhost, '--addin', addin, '--open', section],
                tmp, dict(env, VMRINI=folder), [
        (['Command: '], '(LarVerticalPolylineOffset)'),
        (['!pick HANDLE'], '!pick 30'),
        (['Move or Copy? Move / <Copy>: '], 'x'),
        (['Invalid option keyword.', 'Move or Copy? Move / <Copy>: '], 'm'),
        (['ffset'], '2.5'),
        (['Select objects: ', '!select HANDLE'], '!select 31 32'),
        (['Command: '], '!save ' + moved),
        (['Command: '], 'quit'),
    ])
    out = python(os.path.join(source, 'vertical_offset', 'tests', 'section_dxf.py'), 'check', section, moved,
                 'move', '0.25', '31', '32')
    if 'OK' not in out:
        raise Failure('the moved section: ' + out)


def run_in_temporary_folder(sessions, passed):
    """Runs sessions(tmp, env) in a new temporary folder; the exit status."""
    tmp = tempfile.mkdtemp(prefix='cadhost_terminal_')
    # The registry store and any per-user folder go to the temporary folder.
    env = dict(os.environ, HOME=tmp, XDG_CONFIG_HOME=os.path.join(tmp, 'config'), TERM='dumb')
    env.pop('VMRINI', None)
    try:
        sessions(tmp, env)
    except Failure as failure:
        print('FAILED: %s' % failure)
        return 1
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    print('OK: ' + passed)
    return 0


def main():
    cadhost, varnel_addin, corvex_addin, plimsor_addin, source = sys.argv[1:6]

    def sessions(tmp, env):
        varnel(cadhost, varnel_addin, source, tmp, env)
        corvex(cadhost, corvex_addin, source, tmp, env)
        plimsor(cadhost, plimsor_addin, source, tmp, env)
    return run_in_temporary_folder(sessions, 'the Varnel, Corvex and Plimsor sessions answered every question '
                                             'they were shown')


if __name__ == '__main__':
    sys.exit(main())
