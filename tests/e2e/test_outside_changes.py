"""Changes of the data file made by other programs while Quipmark runs: a
sync service bringing another machine's file, the user restoring a backup,
a program holding the file for a moment."""
import os
import shutil
import unittest

from quipmark_e2e import (IDC_TOTAL_ITEMS, QuipmarkTestCase, probe, record, wait_for)


def tree_labels():
    """The labels of the program's tree in pre-order, None when unreadable."""
    code, out = probe('tree')
    return out.splitlines() if code == 0 else None


def replace_file(path, data):
    """Replaces the file in one step, as sync services do: the new bytes
    are written beside it and renamed over it."""
    with open(path + '.incoming', 'wb') as out:
        out.write(data)
    os.replace(path + '.incoming', path)


class OutsideChanges(QuipmarkTestCase):

    def test_an_entry_added_elsewhere_survives_a_save_here(self):
        self.app.write_data([record('K', 'local')])
        self.app.start()
        replace_file(self.app.data_file, record('K', 'from the laptop') + record('K', 'local'))
        self.app.show_dialog()
        self.app.add_and_save('typed here')
        saved = self.app.saved_data()
        for text in ('typed here', 'from the laptop', 'local'):
            self.assertIn(record('K', text), saved)

    def test_a_backup_restored_by_hand_is_what_the_next_save_builds_on(self):
        backup = self.app.data_file + '.bak'
        with open(backup, 'wb') as out:
            out.write(record('K', 'first') + record('K', 'second'))
        an_hour_ago = os.path.getmtime(backup) - 3600
        os.utime(backup, (an_hour_ago, an_hour_ago))
        self.app.write_data([record('K', 'first')])
        self.app.start()
        self.app.show_dialog()
        self.app.add_and_save('third')
        # Copied back as a file manager does, keeping the backup's time.
        shutil.copy2(backup, self.app.data_file)
        self.assertTrue(wait_for(lambda: '  second' in (tree_labels() or []), timeout=40), tree_labels())
        self.app.add_and_save('after')
        saved = self.app.saved_data()
        for text in ('after', 'first', 'second'):
            self.assertIn(text.encode(), saved)
        self.assertNotIn(b'third', saved, 'the restored backup had none')

    def test_a_change_elsewhere_is_shown_without_a_question(self):
        self.app.write_data([record('K', 'one')])
        self.app.start()
        self.app.show_dialog()
        # The count holds the clipboard's history too, which another
        # program's text may have begun.
        before = int(probe('text', IDC_TOTAL_ITEMS)[1])
        replace_file(self.app.data_file, record('K', 'one') + record('K', 'two') + record('e', 'child'))
        self.assertTrue(wait_for(lambda: probe('text', IDC_TOTAL_ITEMS)[1].strip() == str(before + 2), timeout=40),
                        probe('text', IDC_TOTAL_ITEMS)[1])
        self.assertIn('  two', tree_labels())


if __name__ == '__main__':
    unittest.main()
