"""The 32-bit and the 64-bit program share one data file and one settings
key: a user who moves from one to the other keeps every entry and setting."""
import shutil
import unittest

from quipmark_e2e import (IDC_MENU_WIDTH, OTHER_EXE, QuipmarkTestCase, control_value, probe, record,
                          why_the_32bit_program_cannot_run_beside)


class BothBuilds(QuipmarkTestCase):

    def setUp(self):
        why = why_the_32bit_program_cannot_run_beside()
        if why:
            self.skipTest(why)
        super().setUp()

    def run_build(self, exe, text, menu_width):
        """Starts `exe` as the program of the folder, checks it read the
        shared settings, adds `text` and saves."""
        shutil.copy(exe, self.app.exe)
        self.assertEqual(probe('regset', 'MaxLength', menu_width)[0], 0)
        self.app.start()
        self.assertEqual(control_value('text', IDC_MENU_WIDTH), str(menu_width))
        self.app.add_and_save(text)
        self.assertEqual(self.app.exit(), 0)

    def test_a_file_saved_by_either_build_loads_in_the_other_and_saves_back_whole(self):
        this_exe = self.app.exe + '.this'
        shutil.copy(self.app.exe, this_exe)
        original = [record('K', 'Signature'), record('e', 'Best regards,\r\nMe'),
                    record('e', 'caf\xe9 \xa9 \u20ac'), record('K', 'plain')]
        self.app.write_data(original)
        saved = list(original)
        for exe, text, width in ((this_exe, 'by this build', 41), (OTHER_EXE, 'by the other', 42),
                                 (this_exe, 'by this again', 43)):
            with self.subTest(exe=exe, text=text):
                self.run_build(exe, text, width)
                saved.insert(0, record('K', text))  # Add puts it first
                self.assertEqual(self.app.saved_records(), b''.join(saved))


if __name__ == '__main__':
    unittest.main()
