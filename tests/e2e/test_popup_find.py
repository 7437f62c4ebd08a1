"""Finding an entry by typing in the popup: the hotkey's menu gives way to the
popup narrowed by what is typed, whose lines the program shows as its window
text; the keys choose, and the choice lands on the clipboard as a menu
item's would."""
import re
import struct
import unittest

from quipmark_e2e import WM_RBUTTONUP, WM_TRAY_NOTIFY, QuipmarkTestCase, probe, read_clipboard, record, wait_for, wait_state

CTRL_ALT_F6 = 0x0675   # as the hotkey control encodes it
VK_CONTROL, VK_MENU, VK_F6 = 0x11, 0x12, 0x75
KEYS = {'BackSpace': 0x08, 'Return': 0x0D, 'Escape': 0x1B, 'Down': 0x28}


def unicode_record(ordinal, text):
    """The Unicode text of the entry `ordinal` (K and e records counted)."""
    data = struct.pack('<I', ordinal) + text.encode('utf-16-le')
    return b'U' + struct.pack('<I', len(data)) + data


def popup():
    """(place, work area, lines) of the open popup, or None."""
    code, out = probe('popup')
    rows = out.split()
    if code != 0 or len(rows) < 8:
        return None
    numbers = [int(n) for n in rows[:8]]
    return numbers[:4], numbers[4:], [bytes.fromhex(row).decode('utf-8') for row in rows[8:]]


def popup_lines():
    shown = popup()
    return shown[2] if shown else None


def type_text(text):
    """Types `text` through the system's input queue, one character after
    the other as Unicode keys: what an input method does, and what reaches
    a menu of Wine's here (keys of the X keyboard reach its menus only now
    and then under Xvfb)."""
    probe('type', text.encode('utf-8').hex())


def press(*names):
    probe('keys', *[KEYS[name] for name in names])


class PopupFind(QuipmarkTestCase):

    def setUp(self):
        super().setUp()
        self.assertEqual(probe('regset', 'Hotkey', 0xFFFF0000 | CTRL_ALT_F6)[0], 0)
        self.assertEqual(probe('regset', 'MaxLength', 40)[0], 0)

    def open_with_hotkey(self):
        probe('chord', VK_CONTROL, VK_MENU, VK_F6)
        self.assertTrue(wait_state('menu'), 'the hotkey did not open the menu')

    def assertShows(self, query, timeout=15):
        lines = wait_for(lambda: (popup_lines() or [None])[0] == query and popup_lines(), timeout=timeout)
        self.assertTrue(lines, 'the popup does not show the query %r: %r' % (query, popup_lines()))
        return lines

    def test_typing_in_the_hotkeys_menu_narrows_it_and_the_keys_choose(self):
        self.app.write_data([record('K', 'Work'), record('e', 'Signature\r\nAlex, Work Ltd'),
                             record('e', 'Meeting notes'), record('K', 'Hello'), record('K', 'Home'),
                             record('e', 'Shopping list'), record('e', 'Signature\r\nAlex')])
        self.app.start()
        self.open_with_hotkey()
        type_text('sig')
        lines = self.assertShows('sig')
        self.assertEqual(len(lines), 3, lines)
        self.assertTrue(lines[1].startswith('Work \u203a Signature'), lines)
        self.assertTrue(lines[2].startswith('Home \u203a Signature'), lines)
        place, work, _ = popup()
        self.assertTrue(work[0] <= place[0] < place[2] <= work[2] and work[1] <= place[1] < place[3] <= work[3],
                        'the popup lies within the screen: %r in %r' % (place, work))

        press('BackSpace')
        self.assertEqual(len(self.assertShows('si')), 3)
        type_text('x')
        self.assertEqual(self.assertShows('six')[1:], ['No entry matches'])
        press('BackSpace')
        type_text('g')
        self.assertShows('sig')

        press('Down', 'Return')
        self.assertTrue(wait_state('nopopup'), 'choosing closes the popup')
        self.assertTrue(wait_for(lambda: read_clipboard() == 'Signature\nAlex'), repr(read_clipboard()))
        self.assertTrue(wait_for(lambda: 'Signature' in probe('history')[1]), 'recorded in the history as ever')

        # Escape gives back the whole menu at the same place; a second one
        # closes it. The tray's menu this time: the hotkey's keys, sent all at
        # once, would reach the program, in the foreground since the first
        # menu, after the hotkey itself, and its Alt closes a menu at once.
        # Once the program has recorded it too: X hands the copy to Wine's
        # programs in its own time, and nothing else may reach the program
        # while its menu opens.
        self.clipboard.set('untouched')
        self.assertTrue(wait_for(lambda: 'untouched' in probe('history')[1]), 'the program saw the copy')
        self.assertTrue(self.app.post(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP))
        self.assertTrue(wait_state('menu'), 'the tray menu did not open')
        type_text('w')
        self.assertShows('w')
        press('Escape')
        self.assertTrue(wait_state('nopopup'), 'Escape clears the query')
        self.assertTrue(wait_state('menu'), 'the whole menu comes back')
        press('Escape')
        self.assertTrue(wait_state('nomenu'), 'a second Escape closes the menu')
        self.assertEqual(read_clipboard(), 'untouched', 'nothing was handed out')
        self.assertIsNone(self.app.process.poll())

    def test_a_cyrillic_query_in_capitals_finds_a_cyrillic_entry(self):
        greeting = '\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440'   # "Привет мир"
        self.app.write_data([record('K', 'Hello world'), record('K', '?'), unicode_record(1, greeting)])
        self.app.start()
        self.open_with_hotkey()
        type_text('\u041f\u0420\u0418')   # "ПРИ"
        lines = self.assertShows('\u041f\u0420\u0418')
        self.assertEqual(lines[1:], [greeting])
        press('Return')
        self.assertTrue(wait_for(lambda: read_clipboard() == greeting), repr(read_clipboard()))

    def test_the_historys_heading_is_no_match_and_enter_hands_out_nothing(self):
        self.app.write_data([record('K', 'Work'), record('e', 'Signature')])
        # An empty clipboard, so that the history starts empty, emptied by a
        # Windows program: an X program's leaving reaches Wine in its own
        # time, and an earlier test's text could still be on Wine's side.
        self.assertEqual(probe('emptyclipboard')[0], 0)
        self.assertTrue(wait_for(lambda: not read_clipboard()), repr(read_clipboard()))
        self.app.start()
        self.assertEqual(probe('history')[1].split(), [], 'the history starts empty')
        before = read_clipboard()
        self.open_with_hotkey()
        type_text('last')
        self.assertEqual(self.assertShows('last')[1:], ['No entry matches'])
        press('Return')
        # Keys are read in turn: once Escape has closed the menu, Enter has
        # had its effect.
        press('Escape')
        self.assertTrue(wait_state('menu'), 'Escape gives back the whole menu')
        press('Escape')
        self.assertTrue(wait_state('nomenu'))
        self.assertEqual(read_clipboard(), before, 'nothing was handed out')
        self.assertEqual(probe('history')[1].split(), [])

    def test_a_query_over_twenty_thousand_entries_shows_what_fits_and_counts_the_rest(self):
        records = []
        for group in range(200):
            records.append(record('K', 'Group %d' % group))
            records.extend(record('e', 'Entry %d of group %d' % (entry, group)) for entry in range(100))
        self.app.write_data(records)
        self.app.start()
        self.open_with_hotkey()
        type_text('entry')
        lines = self.assertShows('entry', timeout=30)
        place, work, _ = popup()
        self.assertLessEqual(place[3], work[3], 'no more lines than fit the screen')
        self.assertGreaterEqual(place[1], work[1])
        shown = lines[1:-1]
        self.assertGreater(len(shown), 10, lines)
        self.assertEqual(shown[0], 'Group 0 \u203a Entry 0 of group 0')
        self.assertEqual(shown[-1], 'Group 0 \u203a Entry %d of group 0' % (len(shown) - 1))
        self.assertEqual(re.sub(r'\D', '', lines[-1]), str(20000 - len(shown)), lines[-1])


if __name__ == '__main__':
    unittest.main()
