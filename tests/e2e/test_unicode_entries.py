"""An entry with characters of several scripts and an emoji, whatever the
system's code page: added through the field, saved, found in capitals after a
restart and handed out whole from the tray menu."""
import unittest

from quipmark_e2e import IDC_SAVE, QuipmarkTestCase, control_value, probe, root_entry_point, set_text, wait_enabled

IDC_REMOVE, IDC_SEARCH_TOGGLE, IDC_FIND_TEXT, IDC_FIND_NEXT = 1008, 1035, 1037, 1038
TEXT = 'Thanks! \U0001F642 \u2014 \u65E5\u672C \u041F\u0440\u0438\u0432\u0435\u0442 \u03A3\u03BF\u03C6\u03AF\u03B1'


class UnicodeEntries(QuipmarkTestCase):

    def test_an_entry_of_every_script_is_saved_found_and_handed_out_whole(self):
        # The history, searched before the user's entries, must not hold the text.
        self.clipboard.set('something else')
        self.app.start()
        self.app.show_dialog()
        self.app.add_and_save(TEXT)
        self.assertEqual(self.app.exit(), 0)

        self.app.start()
        self.app.show_dialog()
        probe('click', IDC_SEARCH_TOGGLE)
        self.assertEqual(control_value('enabled', IDC_REMOVE), '0', 'no entry of the user is selected yet')
        set_text(IDC_FIND_TEXT, '\u041F\u0420\u0418\u0412\u0415\u0422 \u03A3\u039F\u03A6\u038A\u0391')
        self.assertTrue(wait_enabled(IDC_FIND_NEXT))
        probe('click', IDC_FIND_NEXT)
        self.assertTrue(wait_enabled(IDC_REMOVE), 'the search in capitals did not find the entry')
        self.assertHandsOut(TEXT, 'Down', 'Down', 'Return')

    def test_a_text_dropped_from_another_program_keeps_every_character(self):
        self.app.start()
        self.app.show_dialog()
        self.assertDrops('dragunicode', root_entry_point(), TEXT.encode('utf-8').hex())
        self.assertTrue(wait_enabled(IDC_SAVE), 'the drop made no entry')
        self.app.save()
        self.assertIn(TEXT.encode('utf-16-le'), self.app.saved_data(), 'the data file keeps every character')
        self.assertHandsOut(TEXT, 'Down', 'Down', 'Return')


if __name__ == '__main__':
    unittest.main()
