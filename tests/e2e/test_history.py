"""The clipboard history: texts copied in other programs appear newest first
under the clipboard branch and in the tray menu, and can be handed out again."""
import unittest

from quipmark_e2e import QuipmarkTestCase, probe, read_clipboard, wait_for


def history():
    code, out = probe('history')
    return out.splitlines() if code == 0 else None


class ClipboardHistory(QuipmarkTestCase):

    def choose_from_history(self, position):
        """Hands out the history submenu's item at `position` (from 1): the
        submenu is the first item of the tray menu."""
        self.app.choose_from_menu('Down', 'Right', *(['Down'] * (position - 1)), 'Return')

    def test_the_newest_fifteen_texts_of_other_programs_are_listed_and_can_be_handed_out(self):
        self.app.start()
        texts = ['copied text %02d' % n for n in range(1, 17)]
        for text in texts:
            self.clipboard.set(text)
            # Wine looks at the X clipboard every two seconds; each text must
            # be seen before the next one replaces it.
            self.assertTrue(wait_for(lambda: (history() or [''])[0] == text, timeout=15),
                            'not recorded: %s, history %s' % (text, history()))
        self.assertEqual(history(), list(reversed(texts))[:15])

        # The menu lists the history in the same order: its last item is the
        # oldest text kept, its fifth then the fourth newest.
        self.choose_from_history(15)
        self.assertTrue(wait_for(lambda: read_clipboard() == 'copied text 02'), read_clipboard())
        self.assertTrue(wait_for(lambda: (history() or [''])[0] == 'copied text 02'), history())
        self.choose_from_history(5)
        self.assertTrue(wait_for(lambda: read_clipboard() == 'copied text 13'), read_clipboard())
        self.assertTrue(wait_for(lambda: (history() or [''])[0] == 'copied text 13'), history())
        self.assertEqual(history(), ['copied text 13', 'copied text 02', 'copied text 16', 'copied text 15',
                                     'copied text 14'] + ['copied text %02d' % n for n in range(12, 3, -1)])


if __name__ == '__main__':
    unittest.main()
