"""Support for the end-to-end tests: the real quipmark.exe under Wine, driven
from outside as a user would, through qmprobe.exe (another Windows program on
the same desktop), xdotool (the X keyboard and mouse) and xclip (an X program
using the clipboard).

The tests run inside scripts/with-wine.sh, which provides DISPLAY and a
throwaway WINEPREFIX. Popup menus of another Wine process cannot be read
from outside, so menus are checked by choosing items with the keyboard and
reading what lands on the clipboard.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

EXE = os.environ.get('QUIPMARK_EXE', '')
PROBE = os.environ.get('QMPROBE_EXE', '')
# The program of the other build; only the 64-bit run names one (the 32-bit
# program), since a 32-bit Wine prefix cannot start a 64-bit program.
OTHER_EXE = os.environ.get('QUIPMARK_OTHER_EXE', '')
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))

WM_COMMAND = 0x0111
WM_TRAY_NOTIFY = 0x0400 + 10
WM_RBUTTONUP = 0x0205
WM_LBUTTONDBLCLK = 0x0203
ID_SHOW_CONFIGURATION = 32773
ID_EXIT = 32774
IDC_SAVE, IDC_ADD, IDC_NEW_ENTRY, IDC_MENU_WIDTH = 1005, 1006, 1007, 1015
IDC_TREE, IDC_TOTAL_ITEMS = 1022, 1032
IDOK, IDYES = 1, 6

VIRTUAL_KEYS = {'Return': 0x0D, 'Escape': 0x1B, 'Up': 0x26, 'Right': 0x27, 'Down': 0x28}


def why_the_32bit_program_cannot_run_beside():
    """None when the 64-bit run can start the 32-bit program too, else why not."""
    if not OTHER_EXE:
        return 'the 64-bit run starts the 32-bit program beside it'
    if not os.path.isfile(OTHER_EXE):
        return 'no %s (make builds it)' % OTHER_EXE
    check = subprocess.run([os.path.join(ROOT, 'scripts', 'can-run-32bit.sh')],
                           capture_output=True, text=True, timeout=60)
    if check.returncode != 0:
        return 'the 32-bit program cannot run here: ' + check.stdout.strip()
    return None


def pe_machine(path):
    """The processor a Windows program is for: 0x14c (x86) or 0x8664 (x64)."""
    with open(path, 'rb') as exe:
        header = exe.read(4096)
    offset = struct.unpack_from('<I', header, 0x3C)[0]
    return struct.unpack_from('<H', header, offset + 4)[0]


def wait_for(condition, timeout=15.0, interval=0.1):
    """Polls `condition` until it returns something true or `timeout` passes."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            return value
        time.sleep(interval)


def start_wine(*args, **options):
    """Starts a Windows program under Wine, off the test's input and errors."""
    options.setdefault('stdout', subprocess.DEVNULL)
    return subprocess.Popen(['wine'] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, text=True, **options)


def stop(process):
    if process.poll() is None:
        process.kill()
        process.wait()


def xdotool(*args):
    subprocess.run(['xdotool'] + [str(a) for a in args], check=True, timeout=30)


def tray_window():
    """The X window of Wine's system tray, or None."""
    found = subprocess.run(['xdotool', 'search', '--name', 'Wine System Tray'],
                           capture_output=True, text=True, timeout=10).stdout.split()
    return found[0] if found else None


def wait_x_focus(title, timeout=10.0):
    """Waits until X hands the keyboard to the window named `title`. Wine's
    windows show at once, but the window manager focuses a mapped window
    a little later, and keys typed in between go to the window before."""
    def focused():
        return subprocess.run(['xdotool', 'getactivewindow', 'getwindowname'], capture_output=True,
                              text=True, timeout=10).stdout.strip() == title
    return wait_for(focused, timeout=timeout)


def x_window_state(title):
    """The window manager's state of the X window named `title`: 'Normal',
    'Iconic', 'Withdrawn' (no state) or None when there is no such window."""
    found = subprocess.run(['xdotool', 'search', '--name', '^%s$' % title], capture_output=True,
                           text=True, timeout=10).stdout.split()
    if not found:
        return None
    prop = subprocess.run(['xprop', '-id', found[0], 'WM_STATE'], capture_output=True, text=True,
                          timeout=10).stdout
    for state in ('Normal', 'Iconic'):
        if 'window state: ' + state in prop:
            return state
    return 'Withdrawn'


def wait_until_withdrawn(title, settle=1.0, timeout=15.0):
    """Waits until the window manager has let go of a hidden window for good:
    Wine hides a minimised window in steps the window manager follows late,
    and a window shown again in between can stay unmapped."""
    end = time.monotonic() + timeout
    since = None
    while time.monotonic() < end:
        if x_window_state(title) == 'Withdrawn':
            since = since or time.monotonic()
            if time.monotonic() - since >= settle:
                return True
        else:
            since = None
        time.sleep(0.1)
    return False


def record(kind, text):
    """One record of the data file."""
    data = text.encode('cp1252')
    return (b'K' if kind == 'K' else b'e') + struct.pack('<I', len(data)) + data


def probe(*args, timeout=60):
    """Runs qmprobe.exe; returns (exit code, output)."""
    # Texts in the code page's 8-bit form are not UTF-8: such bytes become U+FFFD.
    # Now and then (about once in a few hundred starts here) Wine ends a
    # process before its main runs, status 1 and nothing printed: a probe
    # that never started did nothing, so it is started once more.
    for _ in range(2):
        result = subprocess.run(['wine', PROBE] + [str(a) for a in args], capture_output=True,
                                text=True, errors='replace', timeout=timeout, stdin=subprocess.DEVNULL)
        if 'qmprobe: started' in result.stderr:
            break
    return result.returncode, result.stdout


def wait_state(state, timeout_ms=10000):
    """Waits until the program's windows reach `state` (see qmprobe wait)."""
    return probe('wait', state, timeout_ms)[0] == 0


def control_value(*args):
    """What qmprobe printed, stripped, or None when it failed."""
    code, out = probe(*args)
    return out.strip() if code == 0 else None


def wait_enabled(control, enabled=True, timeout=15.0):
    return wait_for(lambda: control_value('enabled', control) == ('1' if enabled else '0'), timeout=timeout)


def control_rect(control):
    """A control's left, top, right and bottom on the screen."""
    rect = control_value('ctlrect', control)
    assert rect, 'no control %d' % control
    return [int(n) for n in rect.split()]


def root_entry_point():
    """The screen point of the first row's label, the root entry "Quipmark Menu List"."""
    left, top, _, _ = control_rect(IDC_TREE)
    return left + 70, top + 10


def set_text(control, text):
    """Replaces the text of a control of the dialog, as typing would."""
    assert probe('settext', control, text.encode('utf-8').hex())[0] == 0, 'no control %d' % control


def read_clipboard():
    """The X clipboard's text; bytes that are not UTF-8 read as U+FFFD."""
    result = subprocess.run(['xclip', '-o', '-selection', 'clipboard'], capture_output=True,
                            timeout=10, stdin=subprocess.DEVNULL)
    return result.stdout.decode('utf-8', 'replace') if result.returncode == 0 else None


def menu_keys(*names):
    """Posts key presses to the open popup menu. Names as in VIRTUAL_KEYS."""
    probe('menukeys', *[VIRTUAL_KEYS[name] for name in names])


class XClipboard:
    """Owns the X clipboard through xclip, as another X program would."""

    def __init__(self):
        self._owner = None

    def set(self, text):
        self.release()
        self._owner = subprocess.Popen(['xclip', '-quiet', '-selection', 'clipboard'],
                                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        self._owner.stdin.write(text.encode('utf-8'))
        self._owner.stdin.close()

    def release(self):
        if self._owner is not None:
            stop(self._owner)
            self._owner = None


class Quipmark:
    """The program installed in a folder of its own, with its data file beside it."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix='qm-e2e-')
        self.exe = os.path.join(self.folder, 'quipmark.exe')
        shutil.copy(EXE, self.exe)
        self.data_file = os.path.join(self.folder, 'quipmark.dat')
        self.process = None

    def write_data(self, records):
        with open(self.data_file, 'wb') as out:
            out.write(b''.join(records))

    def saved_data(self):
        with open(self.data_file, 'rb') as saved:
            return saved.read()

    def saved_records(self):
        """The data file up to its identity record, which comes last where there is one."""
        data = self.saved_data()
        position = 0
        while position + 5 <= len(data) and data[position:position + 1] != b'I':
            position += 5 + struct.unpack_from('<I', data, position + 1)[0]
        return data[:position]

    def start(self, wait_hidden=True):
        self.process = start_wine(self.exe)
        if wait_hidden:
            # It shows minimised for a moment, which a probe started after it
            # can miss, then hides: wait for that last state alone.
            code, out = probe('wait', 'tray', 40000)
            assert code == 0, 'the program did not come up and hide itself: ' + out
            wait_until_withdrawn('Quipmark')
        return self.process

    def show_dialog(self):
        self.post(WM_COMMAND, ID_SHOW_CONFIGURATION, 0)
        assert wait_state('shown'), 'the dialog did not show'

    def add(self, text):
        """Types a new entry and adds it, through the dialog's controls."""
        set_text(IDC_NEW_ENTRY, text)
        assert wait_enabled(IDC_ADD), 'Add stayed disabled'
        assert probe('click', IDC_ADD)[0] == 0
        assert wait_enabled(IDC_SAVE, timeout=20), 'Add did not run'

    def save(self):
        assert probe('click', IDC_SAVE)[0] == 0, 'Save is disabled'
        assert wait_enabled(IDC_SAVE, False), 'Save did not run'

    def add_and_save(self, text):
        self.add(text)
        self.save()

    def post(self, message, wparam=0, lparam=0):
        code, _ = probe('post', message, wparam, lparam)
        return code == 0

    def keys(self, *names):
        """Presses keys through the system's input queue, which reaches the
        foreground window and an open menu. Names as in VIRTUAL_KEYS."""
        probe('keys', *[VIRTUAL_KEYS[name] for name in names])

    def choose_from_menu(self, *names):
        """Opens the tray menu, as a right click on the icon does, and walks
        it with the keys named; whether the menu then closed."""
        self.post(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP)
        assert wait_state('menu'), 'the tray menu did not open'
        menu_keys(*names)
        return wait_state('nomenu')

    def exit(self, timeout=20):
        self.post(WM_COMMAND, ID_EXIT, 0)
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.process is not None:
            stop(self.process)
        # The process Wine started may not be the program's own (a second
        # start, the installer's); a program left running would fail every
        # test after this one.
        if not wait_for(lambda: probe('state')[0] != 0, timeout=10):
            probe('terminate')
            wait_for(lambda: probe('state')[0] != 0, timeout=10)

    def cleanup(self):
        self.kill()
        shutil.rmtree(self.folder, ignore_errors=True)


class QuipmarkTestCase(unittest.TestCase):
    """A test with a fresh installation, no settings key and no other instance."""

    def setUp(self):
        if not EXE or not PROBE:
            self.skipTest('QUIPMARK_EXE and QMPROBE_EXE are set by CTest')
        probe('regdel')
        self.assertTrue(wait_state('gone', 15000), 'another Quipmark is still running')
        self.app = Quipmark()
        self.clipboard = XClipboard()
        # A cleanup, not a tearDown: it runs too when a subclass's setUp fails.
        self.addCleanup(probe, 'regdel')
        self.addCleanup(self.app.cleanup)
        self.addCleanup(self.clipboard.release)

    def assertHandsOut(self, expected, *keys):
        """Chooses from the tray menu with the keys named; the clipboard then
        holds `expected`."""
        closed = self.app.choose_from_menu(*keys)
        # What the program saw tells a walk gone astray in the menu from a
        # text handed out that X did not get.
        self.assertTrue(wait_for(lambda: read_clipboard() == expected),
                        '%r; the menu %s; the program\'s history starts %r' %
                        (read_clipboard(), 'closed' if closed else 'stayed open', probe('history')[1][:200]))

    def assertDrops(self, verb, point, text):
        """Drags `text` from another program's window to the screen point
        with qmprobe's `verb`: drag, or dragunicode with the text in hex."""
        code, out = probe(verb, point[0], point[1], text)
        self.assertEqual(code, 0, 'the drop was refused: effect ' + out)
