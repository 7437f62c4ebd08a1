"""Two machines using one data folder at once, as on a network share: two
Wine prefixes, each with a wineserver of its own (so the single-instance
rule does not join them), each running the real program from the same
folder and so on the same quipmark.dat."""
import contextlib
import os
import shutil
import subprocess
import tempfile
import unittest

from quipmark_e2e import (IDC_SAVE, ROOT, Quipmark, QuipmarkTestCase, probe, record, stop, wait_enabled,
                          wait_for, wait_state)

IDC_REMOVE = 1008


class SecondMachine:
    """A Wine prefix of its own, booted from the template of this run."""

    def __init__(self):
        build = os.environ.get('QUIPMARK_BUILD', 'win32')
        template = os.path.join(ROOT, 'build', 'wine', 'template-' + build)
        self.prefix = tempfile.mkdtemp(prefix='machine-', dir=os.path.join(ROOT, 'build', 'wine'))
        subprocess.run(['cp', '-a', template + '/.', self.prefix + '/'], check=True, timeout=120)
        with self.active():
            subprocess.run(['wineserver', '-p'], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
            subprocess.run(['wine', 'wineboot'], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=120)

    @contextlib.contextmanager
    def active(self):
        """Every Wine command started meanwhile runs on this machine."""
        first = os.environ['WINEPREFIX']
        os.environ['WINEPREFIX'] = self.prefix
        try:
            yield
        finally:
            os.environ['WINEPREFIX'] = first

    def remove(self):
        with self.active():
            subprocess.run(['wineserver', '-k'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        shutil.rmtree(self.prefix, ignore_errors=True)


@contextlib.contextmanager
def first_machine():
    yield


def user_entries():
    """The user's entries the running program's tree shows, as "text" for a
    top-level entry and "group/child" for a child; None when unreadable."""
    code, out = probe('tree', 'open')
    if code != 0:
        return None
    entries, top = [], None
    lines = out.splitlines()
    # The root's first child is the clipboard branch with the history.
    depth_one = [i for i, line in enumerate(lines) if line.startswith('  ') and not line.startswith('    ')]
    for line in lines[depth_one[1]:] if len(depth_one) > 1 else []:
        if line.startswith('    '):
            entries.append(top + '/' + line.strip())
        else:
            top = line.strip()
            entries.append(top)
    return sorted(entries)


def hexed(text):
    return text.encode('utf-8').hex()


class TwoMachinesOnOneFolder(QuipmarkTestCase):

    def setUp(self):
        super().setUp()
        self.other = SecondMachine()
        self.addCleanup(self.other.remove)
        # The second machine runs the very program of the same folder.
        self.there = Quipmark()
        shutil.rmtree(self.there.folder, ignore_errors=True)
        self.there.folder, self.there.exe, self.there.data_file = self.app.folder, self.app.exe, self.app.data_file
        self.addCleanup(self.stop_there)

    def stop_there(self):
        with self.other.active():
            if self.there.process is not None:
                stop(self.there.process)

    def on(self, machine):
        return self.other.active() if machine is self.there else first_machine()

    def act(self, machine, action, *args):
        with self.on(machine):
            return action(*args)

    def shows(self, machine):
        with self.on(machine):
            return user_entries()

    def assertBothShow(self, expected):
        expected = sorted(expected)
        for machine in (self.app, self.there):
            self.assertTrue(wait_for(lambda: self.shows(machine) == expected, timeout=30),
                            '%s shows %s' % ('there' if machine is self.there else 'here', self.shows(machine)))

    def texts_shown(self, machine):
        """The texts of the entries shown, wherever each went (an entry
        added while another is selected goes beside or under it)."""
        shown = self.shows(machine)
        return sorted(entry.split('/')[-1] for entry in shown) if shown else shown

    def rename(self, machine, old, new):
        with self.on(machine):
            self.assertEqual(probe('rename', hexed(old), hexed(new))[0], 0, 'no entry %s' % old)
            self.assertTrue(wait_enabled(IDC_SAVE), 'the rename did not take')

    def remove(self, machine, text):
        with self.on(machine):
            self.assertEqual(probe('select', hexed(text))[0], 0, 'no entry %s' % text)
            self.assertTrue(wait_enabled(IDC_REMOVE))
            self.assertEqual(probe('click', IDC_REMOVE)[0], 0)
            self.assertTrue(wait_enabled(IDC_SAVE), 'the removal did not take')
            machine.save()

    def test_adds_renames_and_removals_on_both_reach_both_and_the_file(self):
        self.app.write_data([record('K', 'shared'), record('K', 'group'), record('e', 'child')])
        self.app.start()
        with self.other.active():
            self.assertTrue(wait_state('gone', 5000), 'the second machine sees no window of the first')
            self.there.start()
            self.there.show_dialog()
        self.app.show_dialog()
        self.assertBothShow(['shared', 'group', 'group/child'])

        # In turn: each save reaches the other machine, which has nothing unsaved.
        self.act(self.app, self.app.add_and_save, 'typed here')
        self.assertBothShow(['typed here', 'shared', 'group', 'group/child'])
        self.act(self.there, self.there.add_and_save, 'typed there')
        self.assertBothShow(['typed here', 'typed there', 'shared', 'group', 'group/child'])
        self.rename(self.app, 'typed there', 'renamed here')
        self.act(self.app, self.app.save)
        self.remove(self.there, 'shared')
        self.assertBothShow(['typed here', 'renamed here', 'group', 'group/child'])

        # At once: both have unsaved changes, and both save together.
        self.act(self.app, self.app.add, 'at once here')
        self.act(self.there, self.there.add, 'at once there')
        self.rename(self.there, 'child', 'child from there')
        with self.on(self.there):
            there_saves = subprocess.Popen(['wine', os.environ['QMPROBE_EXE'], 'click', str(IDC_SAVE)],
                                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        self.assertEqual(probe('click', IDC_SAVE)[0], 0)
        self.assertEqual(there_saves.wait(timeout=60), 0)
        for machine in (self.app, self.there):
            with self.on(machine):
                self.assertTrue(wait_enabled(IDC_SAVE, False, timeout=30), 'a save did not finish')
        final = ['at once here', 'at once there', 'typed here', 'renamed here', 'group', 'child from there']
        self.assertTrue(wait_for(lambda: self.shows(self.app) == self.shows(self.there) and
                                 self.texts_shown(self.app) == sorted(final), timeout=30),
                        'here %s, there %s' % (self.shows(self.app), self.shows(self.there)))
        saved = self.app.saved_data()
        for text in final:
            self.assertIn(text.encode(), saved)
        for gone in (b'shared', b'typed there', b'\x05\x00\x00\x00child'):
            self.assertNotIn(gone, saved)


if __name__ == '__main__':
    unittest.main()
