"""Choosing a data folder that already holds a collection: the real program
joins its entries with those there, through the system's folder picker, and
says what it did."""
import os
import shutil
import struct
import tempfile
import unittest

from quipmark_e2e import QuipmarkTestCase, probe, record

IDC_DATA_FOLDER = 1050
IDOK = 1


def hexed(text):
    return text.encode('utf-8').hex()


def entry_records(data):
    """The (tag, text) of each entry record of a data file, in order."""
    found, position = [], 0
    while position + 5 <= len(data) and data[position:position + 1] in (b'K', b'e'):
        length = struct.unpack_from('<I', data, position + 1)[0]
        found.append((data[position:position + 1].decode(),
                      data[position + 5:position + 5 + length].decode('cp1252')))
        position += 5 + length
    return found


class ChoosingAFolderWithEntries(QuipmarkTestCase):

    def setUp(self):
        super().setUp()
        # Beside the program's folder, where the picker opens.
        self.synced = tempfile.mkdtemp(prefix='qm-synced-', dir=os.path.dirname(self.app.folder))
        self.addCleanup(shutil.rmtree, self.synced, True)

    def test_the_collections_join_with_a_text_both_added_counted_once(self):
        # One collection, copied to the other folder once; each side then
        # gained an entry of its own, and both the same text first on the
        # top level, where "Add" puts a new one: typed here, so it is an
        # entry of its own, not the one the other file's text would name.
        common = [record('K', 'Greeting'), record('K', 'Addresses'), record('e', 'Home')]
        self.app.write_data(common + [record('K', 'Only here')])
        with open(os.path.join(self.synced, 'quipmark.dat'), 'wb') as there:
            there.write(b''.join([record('K', 'Shared text')] + common + [record('K', 'Only there')]))
        self.app.start()
        self.app.show_dialog()
        self.app.add_and_save('Shared text')
        left_behind = self.app.saved_data()

        self.assertEqual(probe('click', IDC_DATA_FOLDER)[0], 0)
        code, opened_at = probe('pickfolder', 30000, hexed(os.path.basename(self.app.folder)),
                                hexed(os.path.basename(self.synced)))
        self.assertEqual(code, 0, 'the picker did not pick the folder; it showed ' + opened_at)
        code, box = probe('msgbox', 20000, IDOK)
        self.assertEqual(code, 0, 'no message after the choice')
        folder = 'Z:' + self.synced.replace('/', '\\')
        self.assertEqual(box.splitlines()[1],
                         'Your entries are now kept in %s, joined with those already there: 5 entries from '
                         'here and 5 entries from there make 6 entries.' % folder)

        with open(os.path.join(self.synced, 'quipmark.dat'), 'rb') as saved:
            joined = entry_records(saved.read())
        self.assertEqual(sorted(joined), sorted([('K', 'Shared text'), ('K', 'Greeting'), ('K', 'Addresses'),
                                                 ('e', 'Home'), ('K', 'Only here'), ('K', 'Only there')]))
        self.assertEqual(joined[joined.index(('e', 'Home')) - 1], ('K', 'Addresses'))
        self.assertEqual(self.app.saved_data(), left_behind, 'the file left behind stays as it was')


if __name__ == '__main__':
    unittest.main()
