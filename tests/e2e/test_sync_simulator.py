"""Two machines keep their entries in folders of their own, which a sync
service keeps alike: each machine is a Wine prefix of its own (its own
wineserver, so the single-instance rule does not join them) running the real
quipmark.exe with its data folder chosen in the registry, and the service is
the simulator below. It copies a changed file across once it has been quiet
for a moment, and when both sides changed since its last copy it keeps the
newer file and leaves the other beside it as a conflict copy named by
Syncthing's rule, as the real service does.
"""
import os
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import quipmark_e2e as qm

DATA = 'quipmark.dat'
IDC_REMOVE = 1008
CLIPBOARD_BRANCH = 'Last 15 Clipboard Entries'


def wine_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def read_or_none(path):
    try:
        with open(path, 'rb') as data:
            return data.read()
    except OSError:
        return None


def write_whole(path, data, mtime=None):
    """Writes as a sync agent does: a temporary file, then one rename."""
    temporary = os.path.join(os.path.dirname(path), '.syncing~' + os.path.basename(path))
    with open(temporary, 'wb') as out:
        out.write(data)
    if mtime is not None:
        os.utime(temporary, (mtime, mtime))
    os.replace(temporary, path)


class SyncSimulator(threading.Thread):
    """Keeps the data file of two folders alike, as a file-sync service."""

    DEVICES = ('AAAAAAA', 'BBBBBBB')

    def __init__(self, folders, quiet=1.0):
        super().__init__(daemon=True)
        self.folders = folders
        self.quiet = quiet
        self.synced = None
        self.conflict_copies = []
        self.copies = 0
        self.error = None
        self._halt = threading.Event()
        # Offline: the machines save without the service copying anything.
        self.offline = threading.Event()
        self._last = [None, None]
        self._since = [0.0, 0.0]

    def stop(self):
        self._halt.set()
        self.join(10)

    def run(self):
        try:
            while not self._halt.is_set():
                if not self.offline.is_set():
                    self.step()
                time.sleep(0.1)
        except Exception as error:  # reported by the test
            self.error = error

    def _path(self, side, name=DATA):
        return os.path.join(self.folders[side], name)

    def step(self):
        now = time.monotonic()
        contents = [read_or_none(self._path(side)) for side in (0, 1)]
        for side in (0, 1):
            if contents[side] != self._last[side]:
                self._last[side] = contents[side]
                self._since[side] = now
        changed = [contents[side] is not None and contents[side] != self.synced for side in (0, 1)]
        # A file still being written to is left alone until it is quiet.
        if not any(changed) or any(changed[side] and now - self._since[side] < self.quiet for side in (0, 1)):
            return
        if changed[0] and changed[1]:
            if contents[0] == contents[1]:
                self.synced = contents[0]
                return
            times = [os.stat(self._path(side)).st_mtime for side in (0, 1)]
            winner = 0 if times[0] >= times[1] else 1
            loser = 1 - winner
            name = 'quipmark.sync-conflict-%s-%s.dat' % (time.strftime('%Y%m%d-%H%M%S'), self.DEVICES[loser])
            if not self._unchanged(contents):
                return
            for side in (0, 1):
                write_whole(self._path(side, name), contents[loser])
            write_whole(self._path(loser), contents[winner], times[winner])
            self.conflict_copies.append(name)
            self.synced = contents[winner]
        else:
            source = 0 if changed[0] else 1
            if not self._unchanged(contents):
                return
            write_whole(self._path(1 - source), contents[source])
            self.synced = contents[source]
        self.copies += 1

    def _unchanged(self, contents):
        """Whether both files still hold what was read: a program that saved
        meanwhile is seen at the next step instead of being overwritten."""
        return all(read_or_none(self._path(side)) == contents[side] for side in (0, 1))


class Machine:
    """A Wine prefix with its own wineserver, and Quipmark installed in it
    with a data folder of its own."""

    def __init__(self, name, root):
        self.name = name
        build = os.environ.get('QUIPMARK_BUILD', 'win64')
        template = os.path.join(qm.ROOT, 'build', 'wine', 'template-' + build)
        self.prefix = os.path.join(root, name + '-prefix')
        shutil.copytree(template, self.prefix, symlinks=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix)
        self.program_folder = os.path.join(root, name + '-program')
        self.data_folder = os.path.join(root, name + '-data')
        os.makedirs(self.program_folder)
        os.makedirs(self.data_folder)
        self.exe = os.path.join(self.program_folder, 'quipmark.exe')
        shutil.copy(qm.EXE, self.exe)
        self.process = None
        self._wine(['wineserver', '-p'])
        self._wine(['wine', 'wineboot'])
        self.idle = subprocess.Popen(['wine', qm.PROBE, 'idle'], env=self.env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _wine(self, command):
        subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)

    def probe(self, *args, timeout=60):
        result = subprocess.run(['wine', qm.PROBE] + [str(a) for a in args], env=self.env, capture_output=True,
                                text=True, errors='replace', timeout=timeout, stdin=subprocess.DEVNULL)
        return result.returncode, result.stdout

    def start(self):
        self._wine(['wine', 'reg', 'add', 'HKCU\\Software\\Dorvalent\\QuipMark', '/v', 'DataFolder',
                    '/t', 'REG_SZ', '/d', wine_path(self.data_folder), '/f'])
        self.process = subprocess.Popen(['wine', self.exe], env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        code, out = self.probe('wait', 'tray', 40000)
        assert code == 0, '%s: the program did not come up: %s' % (self.name, out)
        self.probe('post', qm.WM_COMMAND, qm.ID_SHOW_CONFIGURATION, 0)
        # As long as the start may take: this prefix's first window meets the
        # window manager while the other prefix may be starting too.
        if self.probe('wait', 'shown', 40000)[0] != 0:
            held = [state for state in ('visible', 'hidden', 'tray') if self.probe('wait', state, 0)[0] == 0]
            raise AssertionError('%s: the dialog did not show; it is %s' % (self.name, ', '.join(held) or 'gone'))

    def entries(self):
        """The labels of the top-level entries as the tree shows them."""
        code, out = self.probe('tree')
        if code != 0:
            return None
        top = [line[2:] for line in out.splitlines() if line.startswith('  ') and not line.startswith('   ')]
        return [label for label in top if label != CLIPBOARD_BRANCH]

    def enabled(self, control):
        code, out = self.probe('enabled', control)
        return code == 0 and out.strip() == '1'

    def add(self, text):
        """Adds a top-level entry: with the clipboard branch selected, as
        with nothing selected, "Add" makes one."""
        self.select(CLIPBOARD_BRANCH)
        assert self.probe('settext', qm.IDC_NEW_ENTRY, text.encode('utf-8').hex())[0] == 0
        assert qm.wait_for(lambda: self.enabled(qm.IDC_ADD)), '%s: Add stayed disabled' % self.name
        assert self.probe('click', qm.IDC_ADD)[0] == 0
        assert qm.wait_for(lambda: text in (self.entries() or [])), '%s: %r was not added' % (self.name, text)

    def select(self, text):
        assert qm.wait_for(lambda: self.probe('select', text.encode('utf-8').hex())[0] == 0), \
            '%s: no entry %r to select' % (self.name, text)

    def rename(self, old, new):
        assert self.probe('rename', old.encode('utf-8').hex(), new.encode('utf-8').hex())[0] == 0
        assert qm.wait_for(lambda: new in (self.entries() or [])), '%s: %r was not renamed' % (self.name, old)

    def remove(self, text):
        self.select(text)
        assert self.probe('click', IDC_REMOVE)[0] == 0
        assert qm.wait_for(lambda: text not in (self.entries() or [])), '%s: %r stayed' % (self.name, text)

    def click_save(self):
        return self.probe('click', qm.IDC_SAVE)[0] == 0

    def saved(self):
        return qm.wait_for(lambda: not self.enabled(qm.IDC_SAVE), timeout=30)

    def answer_message(self, timeout_ms):
        """The text of the program's next message box, answered with OK."""
        code, out = self.probe('msgbox', timeout_ms, qm.IDOK, timeout=timeout_ms / 1000 + 30)
        return out if code == 0 else None

    def data_names(self):
        return sorted(os.listdir(self.data_folder))

    def cleanup(self):
        if self.process is not None and self.process.poll() is None:
            self.probe('post', qm.WM_COMMAND, qm.ID_EXIT, 0)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        subprocess.run(['wineserver', '-k'], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        for process in (self.process, self.idle):
            if process is not None:
                qm.stop(process)


class TwoMachinesThroughASyncService(unittest.TestCase):

    def setUp(self):
        if not qm.EXE or not qm.PROBE:
            self.skipTest('QUIPMARK_EXE and QMPROBE_EXE are set by CTest')
        self.root = tempfile.mkdtemp(prefix='qm-sync-')
        self.addCleanup(shutil.rmtree, self.root, True)
        self.machines = []
        for name in ('laptop', 'desktop'):
            machine = Machine(name, self.root)
            self.addCleanup(machine.cleanup)
            self.machines.append(machine)
        self.service = SyncSimulator([m.data_folder for m in self.machines])
        self.service.start()
        self.addCleanup(self.service.stop)
        for machine in self.machines:
            machine.start()

    def assertBothShow(self, present, absent=(), timeout=60):
        def alike():
            shown = [m.entries() for m in self.machines]
            return (shown[0] is not None and shown[0] == shown[1] and all(t in shown[0] for t in present) and
                    not any(t in shown[0] for t in absent))
        if not qm.wait_for(alike, timeout=timeout, interval=0.5):
            self.fail('the machines show %r and %r; expected %r without %r' %
                      (self.machines[0].entries(), self.machines[1].entries(), present, absent))
        self.assertIsNone(self.service.error)

    def test_entries_typed_on_either_machine_reach_both_and_a_conflict_copy_is_merged(self):
        laptop, desktop = self.machines
        # In turn: adds, a rename and a removal travel through the service.
        laptop.add('from the laptop')
        self.assertTrue(laptop.click_save() and laptop.saved())
        self.assertBothShow(['from the laptop'])
        desktop.add('from the desktop')
        desktop.add('removed later')
        self.assertTrue(desktop.click_save() and desktop.saved())
        self.assertBothShow(['from the laptop', 'from the desktop', 'removed later'])
        laptop.rename('from the laptop', 'renamed on the laptop')
        self.assertTrue(laptop.click_save() and laptop.saved())
        self.assertBothShow(['renamed on the laptop'], absent=['from the laptop'])
        desktop.remove('removed later')
        self.assertTrue(desktop.click_save() and desktop.saved())
        self.assertBothShow(['renamed on the laptop', 'from the desktop'], absent=['removed later'])

        # At the same moment: both change and save before the service has
        # copied either (it is offline for that moment), so it leaves a
        # conflict copy beside the newer file.
        laptop.add('typed on the laptop meanwhile')
        desktop.add('typed on the desktop meanwhile')
        desktop.rename('from the desktop', 'renamed on the desktop meanwhile')
        self.service.offline.set()
        saves = [threading.Thread(target=m.click_save) for m in self.machines]
        for save in saves:
            save.start()
        for save in saves:
            save.join(60)
        for machine in self.machines:
            self.assertTrue(machine.saved(), '%s did not save' % machine.name)
        self.service.offline.clear()
        self.assertTrue(qm.wait_for(lambda: self.service.conflict_copies, timeout=30),
                        'the service saw no conflict: %d copies made' % self.service.copies)
        copy = self.service.conflict_copies[0]
        # Each machine takes in the copy beside its file and says so once.
        for machine in self.machines:
            told = machine.answer_message(60000)
            self.assertIsNotNone(told, '%s said nothing of the conflict copy: its folder holds %r, its tree %r' %
                                 (machine.name, machine.data_names(), machine.entries()))
            self.assertIn(copy, told)

        typed = ['renamed on the laptop', 'typed on the laptop meanwhile', 'typed on the desktop meanwhile',
                 'renamed on the desktop meanwhile']
        self.assertBothShow(typed, absent=['removed later', 'from the laptop'], timeout=90)
        for machine in self.machines:
            names = machine.data_names()
            self.assertFalse([n for n in names if 'sync-conflict' in n], names)
            self.assertTrue([n for n in names if n.startswith('quipmark.dat.') and n.endswith('.bak')
                             and n[len('quipmark.dat.'):-len('.bak')].isdigit()], names)
        # The files settle alike and hold every entry typed on either machine.
        self.assertTrue(qm.wait_for(lambda: read_or_none(os.path.join(self.machines[0].data_folder, DATA)) ==
                                    read_or_none(os.path.join(self.machines[1].data_folder, DATA)), timeout=30))
        data = read_or_none(os.path.join(laptop.data_folder, DATA))
        for text in typed:
            self.assertIn(text.encode('cp1252'), data)
        self.assertNotIn(b'removed later', data)
        self.assertIsNone(self.service.error)

    def test_what_one_machine_removed_or_renamed_while_apart_stays_so(self):
        laptop, desktop = self.machines
        laptop.add('removed while apart')
        laptop.add('renamed while apart')
        self.assertTrue(laptop.click_save() and laptop.saved())
        self.assertBothShow(['removed while apart', 'renamed while apart'])
        # Apart (the laptop on a train): the laptop removes, renames and adds;
        # the desktop adds two, one of them the laptop's text, and saves last.
        self.service.offline.set()
        laptop.remove('removed while apart')
        laptop.rename('renamed while apart', 'the new name')
        laptop.add('typed on both')
        self.assertTrue(laptop.click_save() and laptop.saved())
        desktop.add('typed on the desktop')
        desktop.add('typed on both')
        self.assertTrue(desktop.click_save() and desktop.saved())
        # The desktop's file is the newer, however close the two saves came.
        newer = os.stat(os.path.join(laptop.data_folder, DATA)).st_mtime + 2
        os.utime(os.path.join(desktop.data_folder, DATA), (newer, newer))
        # Back: the service keeps the desktop's file on both sides and puts
        # the laptop's beside it as a conflict copy.
        self.service.offline.clear()
        self.assertTrue(qm.wait_for(lambda: self.service.conflict_copies, timeout=30),
                        'the service saw no conflict: %d copies made' % self.service.copies)
        for machine in self.machines:
            self.assertIsNotNone(machine.answer_message(60000), '%s took in no copy' % machine.name)
        self.assertBothShow(['the new name', 'typed on the desktop', 'typed on both'],
                            absent=['removed while apart', 'renamed while apart'], timeout=90)
        for machine in self.machines:
            self.assertEqual(machine.entries().count('typed on both'), 1, machine.entries())
            self.assertFalse([n for n in machine.data_names() if 'sync-conflict' in n], machine.data_names())
        self.assertTrue(qm.wait_for(lambda: read_or_none(os.path.join(laptop.data_folder, DATA)) ==
                                    read_or_none(os.path.join(desktop.data_folder, DATA)), timeout=30))
        self.assertIsNone(self.service.error)


if __name__ == '__main__':
    unittest.main()
