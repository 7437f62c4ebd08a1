"""What Windows users download: the installer and the portable zip of
build/dist, installed, run, saved into and removed again in the test prefix."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest
import zipfile

from quipmark_e2e import (ID_EXIT, IDOK, IDYES, PROBE, WM_COMMAND, Quipmark, pe_machine, probe, record, start_wine,
                          wait_for, wait_state, why_the_32bit_program_cannot_run_beside)

DIST = os.environ.get('QUIPMARK_DIST', '')
# "-x64" for the 64-bit build's files, nothing for the 32-bit build's.
SUFFIX = os.environ.get('QUIPMARK_DIST_SUFFIX', '')

UNINSTALL_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quipmark'
RUN_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# Each page of the uninstaller appends a blank to the window's caption.
UNINSTALLER = 'Quipmark Uninstall '
INSTALLED = ('quipmark.exe', 'README.txt', 'LICENSE.txt', 'Uninstall.exe')
KEPT = record('K', 'kept across installs')


def wine_env():
    # Shortcuts would otherwise also become menu entries of the X desktop,
    # outside the throwaway prefix.
    env = dict(os.environ)
    env['WINEDLLOVERRIDES'] = env.get('WINEDLLOVERRIDES', '') + ';winemenubuilder.exe=d'
    return env


def wine(*args, timeout=120):
    return subprocess.run(['wine'] + list(args), capture_output=True, text=True, timeout=timeout,
                          stdin=subprocess.DEVNULL, env=wine_env())


def winepath(option, path):
    """A path translated by winepath: -u to Unix, -w to Windows."""
    return subprocess.run(['winepath', option, path], capture_output=True, text=True,
                          timeout=60).stdout.strip()


def windows_folder(variable):
    """The Unix path of a folder named by a Windows environment variable."""
    return winepath('-u', wine('cmd', '/c', 'echo %' + variable + '%').stdout.strip())


def registry_value(key, name):
    """The data of a registry value as `reg query` shows it; None when missing."""
    result = wine('reg', 'query', key, '/v', name)
    if result.returncode != 0:
        return None
    for line in result.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2].strip()
    return ''


def registry_key_exists(key):
    return wine('reg', 'query', key).returncode == 0


def dist_file(kind, suffix=SUFFIX):
    """A file of `make dist`: kind is '-setup.exe' or '.zip'; suffix is
    '-x64' for the 64-bit build's and '' for the 32-bit build's."""
    if not DIST or not os.path.isdir(DIST):
        return None
    pattern = re.compile(r'quipmark-[0-9][0-9A-Za-z.]*' + re.escape(suffix + kind))
    found = [name for name in os.listdir(DIST) if pattern.fullmatch(name)]
    if len(found) > 1:
        raise AssertionError('more than one %s file in %s: %s' % (kind, DIST, found))
    return os.path.join(DIST, found[0]) if found else None


class PlacedQuipmark(Quipmark):
    """The program where the installer or the user put it, not a copy."""

    def __init__(self, exe):
        self.exe = exe
        self.folder = os.path.dirname(exe)
        self.data_file = os.path.join(self.folder, 'quipmark.dat')
        self.process = None

    def cleanup(self):
        self.kill()


class DistTestCase(unittest.TestCase):

    def setUp(self):
        if not PROBE:
            self.skipTest('QMPROBE_EXE is set by CTest')
        probe('regdel')
        self.assertTrue(wait_state('gone', 15000), 'another Quipmark is still running')

    def tearDown(self):
        probe('post', WM_COMMAND, ID_EXIT, 0)
        probe('wait', 'gone', 15000)
        probe('regdel')


class Installer(DistTestCase):

    def setUp(self):
        super().setUp()
        self.setup_exe = dist_file('-setup.exe')
        if self.setup_exe is None:
            self.skipTest('no installer in QUIPMARK_DIST (make dist builds it)')
        self.folder = os.path.join(windows_folder('LOCALAPPDATA'), 'Programs', 'Quipmark')
        self.shortcut = os.path.join(windows_folder('APPDATA'), 'Microsoft', 'Windows', 'Start Menu',
                                     'Programs', 'Quipmark.lnk')
        self.assertFalse(os.path.exists(self.folder), 'left over from an earlier test')

    def tearDown(self):
        super().tearDown()
        if os.path.exists(os.path.join(self.folder, 'Uninstall.exe')):
            self.uninstall('/REMOVEDATA')
        shutil.rmtree(self.folder, ignore_errors=True)
        for key in (UNINSTALL_KEY, RUN_KEY + r'\Quipmark'):
            wine('reg', 'delete', key, '/f')

    def install(self, *options):
        result = wine(self.setup_exe, '/S', *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.program = os.path.join(self.folder, 'quipmark.exe')
        for name in INSTALLED:
            self.assertTrue(os.path.isfile(os.path.join(self.folder, name)), name + ' is not installed')
        self.assertTrue(os.path.isfile(self.shortcut), 'no Start menu shortcut')
        self.assertEqual(registry_value(UNINSTALL_KEY, 'DisplayName'), 'Quipmark')
        self.assertEqual(registry_value(UNINSTALL_KEY, 'UninstallString'),
                         '"%s\\Uninstall.exe"' % registry_value(UNINSTALL_KEY, 'InstallLocation'))

    def start_from_shortcut(self):
        """Starts the program as the Start menu does, and saves an entry."""
        app = PlacedQuipmark(self.program)
        self.addCleanup(app.cleanup)
        # The program inherits the output of `start`: keep it off our pipes.
        started = subprocess.run(['wine', 'start', winepath('-w', self.shortcut)], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60,
                                 env=wine_env())
        self.assertEqual(started.returncode, 0)
        self.assertTrue(wait_state('tray', 40000), 'the shortcut did not start Quipmark')
        app.add_and_save('kept across installs')
        self.assertEntriesKept(app)
        # A setting of the user's, as the program keeps them.
        self.assertEqual(probe('regset', 'MaxLength', 30)[0], 0)
        return app

    def assertEntriesKept(self, app):
        self.assertEqual(app.saved_records(), KEPT)

    def exit_program(self):
        probe('post', WM_COMMAND, ID_EXIT, 0)
        self.assertTrue(wait_state('gone', 15000))

    def uninstall(self, *options):
        # The uninstaller hands over to a copy of itself and returns at once;
        # removing its registry entry is the last thing the copy does.
        result = wine(os.path.join(self.folder, 'Uninstall.exe'), '/S', *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertUninstallerFinishes()

    def assertUninstallerFinishes(self):
        self.assertTrue(wait_for(lambda: not registry_key_exists(UNINSTALL_KEY), timeout=60),
                        'the uninstaller did not finish')

    def assertProgramRemoved(self):
        for name in INSTALLED:
            self.assertFalse(os.path.exists(os.path.join(self.folder, name)), name + ' is left')
        self.assertFalse(os.path.exists(self.shortcut), 'the shortcut is left')
        self.assertIsNone(registry_value(RUN_KEY, 'Quipmark'), 'it would still start with Windows')
        self.assertNotEqual(probe('state')[0], 0, 'Quipmark still runs')

    def test_uninstall_keeps_the_entries_and_settings_unless_asked(self):
        self.install()
        self.assertEqual(registry_value(RUN_KEY, 'Quipmark'), '"%s"' % winepath('-w', self.program))
        app = self.start_from_shortcut()
        self.exit_program()

        self.uninstall()
        self.assertProgramRemoved()
        self.assertEntriesKept(app)
        self.assertEqual(probe('regget', 'MaxLength'), (0, '30\n'), 'the settings were deleted')

        # A new installation finds them again.
        self.install('/NOAUTOSTART')
        self.assertIsNone(registry_value(RUN_KEY, 'Quipmark'), '/NOAUTOSTART was ignored')
        self.assertEntriesKept(app)

        # Installing over a running Quipmark ends it first, or its program
        # file could not be replaced.
        app.start()
        self.install()
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(registry_value(RUN_KEY, 'Quipmark'), '"%s"' % winepath('-w', self.program))
        self.assertEntriesKept(app)

    def test_the_32bit_and_the_64bit_installer_replace_each_other_and_keep_the_data(self):
        why = why_the_32bit_program_cannot_run_beside()
        if why:
            self.skipTest(why)
        this_setup = self.setup_exe
        self.setup_exe = dist_file('-setup.exe', suffix='')
        self.assertIsNotNone(self.setup_exe, 'no 32-bit installer in QUIPMARK_DIST')
        self.install()
        self.assertEqual(pe_machine(self.program), 0x14C)
        app = self.start_from_shortcut()
        self.exit_program()

        self.setup_exe = this_setup
        self.install()
        self.assertEqual(pe_machine(self.program), 0x8664, 'the 64-bit program did not replace it')
        self.assertEntriesKept(app)
        self.assertEqual(probe('regget', 'MaxLength'), (0, '30\n'))
        # The uninstaller of either removes what is there.
        self.uninstall()
        self.assertProgramRemoved()

    def test_uninstall_with_removedata_ends_the_program_and_deletes_everything(self):
        self.install()
        app = self.start_from_shortcut()
        # The newest backup and older ones it moved aside.
        for backup in ('quipmark.dat.bak', 'quipmark.dat.1.bak', 'quipmark.dat.2.bak'):
            with open(os.path.join(self.folder, backup), 'wb') as out:
                out.write(record('K', backup))
        # Still running: the uninstaller has to end it first.
        self.uninstall('/REMOVEDATA')
        self.assertProgramRemoved()
        self.assertFalse(os.path.exists(app.data_file), 'the entries are left')
        self.assertFalse(os.path.exists(self.folder), 'the folder is left')
        self.assertNotEqual(probe('regget', 'MaxLength')[0], 0, 'the settings are left')
        self.assertFalse(registry_key_exists(r'HKCU\Software\Dorvalent'), 'an empty company key is left')

    def test_uninstaller_asks_before_deleting_the_entries(self):
        self.install()
        app = self.start_from_shortcut()
        self.exit_program()

        uninstaller = start_wine(os.path.join(self.folder, 'Uninstall.exe'), env=wine_env())
        self.addCleanup(uninstaller.wait, 60)
        code, controls = probe('window', UNINSTALLER, 30000)
        self.assertEqual(code, 0, 'the uninstaller did not show')
        self.assertIn('1|Button|&Uninstall', controls)
        probe('windowpost', UNINSTALLER, WM_COMMAND, IDOK, 0)
        code, box = probe('msgbox', 30000, IDYES)
        self.assertEqual(code, 0, 'the uninstaller did not ask')
        self.assertIn('delete your Quipmark entries (quipmark.dat) and settings', box)
        self.assertUninstallerFinishes()
        probe('windowpost', UNINSTALLER, WM_COMMAND, IDOK, 0)  # "&Close"

        self.assertProgramRemoved()
        self.assertFalse(os.path.exists(app.data_file), 'the entries are left after Yes')
        self.assertNotEqual(probe('regget', 'MaxLength')[0], 0, 'the settings are left after Yes')


class PortableZip(DistTestCase):

    def setUp(self):
        super().setUp()
        self.zip = dist_file('.zip')
        if self.zip is None:
            self.skipTest('no zip in QUIPMARK_DIST (make dist builds it)')
        self.base = tempfile.mkdtemp(prefix='qm-zip-')
        self.addCleanup(shutil.rmtree, self.base, True)

    def test_runs_and_saves_in_the_folder_it_was_unpacked_to(self):
        folder = os.path.join(self.base, 'My Tools', 'Quipmark')
        with zipfile.ZipFile(self.zip) as archive:
            self.assertEqual(sorted(archive.namelist()), ['LICENSE.txt', 'README.txt', 'quipmark.exe'])
            archive.extractall(folder)
        with open(os.path.join(folder, 'README.txt'), 'rb') as readme:
            text = readme.read()
        self.assertNotIn(b'@VERSION@', text)
        self.assertEqual(text.count(b'\n'), text.count(b'\r\n'), 'Notepad wants CRLF line ends')

        app = PlacedQuipmark(os.path.join(folder, 'quipmark.exe'))
        self.addCleanup(app.cleanup)
        app.start()
        app.add_and_save('from the zip')
        self.assertEqual(app.saved_records(), record('K', 'from the zip'))
        self.assertEqual(app.exit(), 0)


if __name__ == '__main__':
    unittest.main()
