"""The program's reason to exist: entries from the data file, chosen from the
tray menu, land whole on the clipboard."""
import unittest

from quipmark_e2e import QuipmarkTestCase, probe, read_clipboard, record, wait_for


def same_text(a, b):
    # X programs see line breaks as the clipboard bridge hands them over.
    return a is not None and a.replace('\r\n', '\n') == b.replace('\r\n', '\n')


class HandOut(QuipmarkTestCase):

    def test_choosing_entries_from_the_tray_menu_puts_their_full_text_on_the_clipboard(self):
        long_text = 'A fairly long entry whose label is cut in the menu\r\nwith a second line'
        self.app.write_data([record('K', 'Hi'), record('K', 'Sig'), record('e', 'Yours'),
                             record('e', long_text)])
        self.app.start()

        # Below the clipboard branch come Hi, then the group Sig.
        self.assertHandsOut('Hi', 'Down', 'Down', 'Return')

        self.app.choose_from_menu('Down', 'Down', 'Down', 'Right', 'Down', 'Return')
        self.assertTrue(wait_for(lambda: same_text(read_clipboard(), long_text)), read_clipboard())
        self.assertEqual(probe('state')[1].split()[0], 'hidden', 'handing out leaves the dialog hidden')

    def test_an_entry_replaces_the_text_another_program_put_on_the_clipboard(self):
        self.app.write_data([record('K', 'mine')])
        self.app.start()
        self.clipboard.set('copied elsewhere')
        self.assertTrue(wait_for(lambda: read_clipboard() == 'copied elsewhere'))
        self.assertHandsOut('mine', 'Down', 'Down', 'Return')


if __name__ == '__main__':
    unittest.main()
