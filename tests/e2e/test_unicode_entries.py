"""An entry with characters of several scripts and an emoji, whatever the
system's code page: added through the field, saved, found in capitals after a
restart and handed out whole from the tray menu."""
import unittest

from quipmark_e2e import (ID_SHOW_CONFIGURATION, WM_COMMAND, QuipmarkTestCase, probe, read_clipboard,
                          wait_for)

IDC_SAVE, IDC_ADD, IDC_NEW_ENTRY, IDC_REMOVE = 1005, 1006, 1007, 1008
IDC_SEARCH_TOGGLE, IDC_FIND_TEXT, IDC_FIND_NEXT = 1035, 1037, 1038
TEXT = 'Thanks! \U0001F642 \u2014 \u65E5\u672C \u041F\u0440\u0438\u0432\u0435\u0442 \u03A3\u03BF\u03C6\u03AF\u03B1'


def set_text(control, text):
    assert probe('setunicodetext', control, text.encode('utf-8').hex())[0] == 0, 'no control %d' % control


class UnicodeEntries(QuipmarkTestCase):

    def show_dialog(self):
        self.app.post(WM_COMMAND, ID_SHOW_CONFIGURATION, 0)
        self.assertEqual(probe('wait', 'shown', 10000)[0], 0)

    def test_an_entry_of_every_script_is_saved_found_and_handed_out_whole(self):
        # The history, searched before the user's entries, must not hold the text.
        self.clipboard.set('something else')
        self.app.start()
        self.show_dialog()
        set_text(IDC_NEW_ENTRY, TEXT)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_ADD)[1].strip() == '1'), 'Add stayed disabled')
        probe('click', IDC_ADD)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_SAVE)[1].strip() == '1'), 'Add did not run')
        probe('click', IDC_SAVE)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_SAVE)[1].strip() == '0'), 'Save did not run')
        self.assertEqual(self.app.exit(), 0)

        self.app.start()
        self.show_dialog()
        probe('click', IDC_SEARCH_TOGGLE)
        self.assertEqual(probe('enabled', IDC_REMOVE)[1].strip(), '0', 'no entry of the user is selected yet')
        set_text(IDC_FIND_TEXT, '\u041F\u0420\u0418\u0412\u0415\u0422 \u03A3\u039F\u03A6\u038A\u0391')
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_FIND_NEXT)[1].strip() == '1'))
        probe('click', IDC_FIND_NEXT)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_REMOVE)[1].strip() == '1'),
                        'the search in capitals did not find the entry')

        self.app.choose_from_menu('Down', 'Down', 'Return')
        self.assertTrue(wait_for(lambda: read_clipboard() == TEXT), repr(read_clipboard()))

    def test_a_text_dropped_from_another_program_keeps_every_character(self):
        self.app.start()
        self.show_dialog()
        code, out = probe('ctlrect', 1022)
        left, top = [int(n) for n in out.split()[:2]]
        # On the first row's label, the root entry.
        code, out = probe('dragunicode', left + 70, top + 10, TEXT.encode('utf-8').hex())
        self.assertEqual(code, 0, 'the drop was refused: effect ' + out)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_SAVE)[1].strip() == '1'), 'the drop made no entry')
        probe('click', IDC_SAVE)
        self.assertTrue(wait_for(lambda: probe('enabled', IDC_SAVE)[1].strip() == '0'), 'Save did not run')
        with open(self.app.data_file, 'rb') as saved:
            self.assertIn(TEXT.encode('utf-16-le'), saved.read(), 'the data file keeps every character')

        self.app.choose_from_menu('Down', 'Down', 'Return')
        self.assertTrue(wait_for(lambda: read_clipboard() == TEXT), repr(read_clipboard()))


if __name__ == '__main__':
    unittest.main()
