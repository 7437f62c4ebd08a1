"""The clipboard history: texts copied in other programs appear newest first
under the clipboard branch and in the tray menu, and can be handed out again."""
import unittest

from quipmark_e2e import QuipmarkTestCase, probe, wait_for


def history():
    code, out = probe('history')
    return out.splitlines() if code == 0 else None


class ClipboardHistory(QuipmarkTestCase):

    def assertHistoryHandsOut(self, position, expected):
        """Hands out the history submenu's item at `position` (from 1), which
        must be `expected`: the submenu is the first item of the tray menu."""
        self.assertHandsOut(expected, 'Down', 'Right', *(['Down'] * (position - 1)), 'Return')

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
        self.assertHistoryHandsOut(15, 'copied text 02')
        self.assertTrue(wait_for(lambda: (history() or [''])[0] == 'copied text 02'), history())
        self.assertHistoryHandsOut(5, 'copied text 13')
        self.assertTrue(wait_for(lambda: (history() or [''])[0] == 'copied text 13'), history())
        self.assertEqual(history(), ['copied text 13', 'copied text 02', 'copied text 16', 'copied text 15',
                                     'copied text 14'] + ['copied text %02d' % n for n in range(12, 3, -1)])

    def test_a_text_chosen_again_comes_back_with_the_very_bytes_that_were_copied(self):
        self.app.start()
        # Beyond the code page (emoji, CJK, Cyrillic), then within it.
        for older in ('first na\u00efve \u2615 \u65e5\u672c \U0001F642 \u041f\u0440\u0438',
                      'third caf\u00e9 \u2013 \u00bd \u20ac'):
            for text in (older, 'plain ' + older.split()[0]):
                self.clipboard.set(text)
                # The history list box holds the 8-bit form: know a text by its start.
                start = text.split()[0]
                self.assertTrue(wait_for(lambda: (history() or [''])[0].startswith(start), timeout=15),
                                'not recorded: %s, history %s' % (text, history()))
            # Undecodable bytes would read as U+FFFD, and differ.
            self.assertHistoryHandsOut(2, older)


if __name__ == '__main__':
    unittest.main()
