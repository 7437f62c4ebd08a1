"""Paste after choosing: with the setting on, the chosen entry lands in the
window the user was typing in (Wine's own notepad here), by the tray icon's
popup and by the hotkey's; with it off, it is only on the clipboard."""
import subprocess
import time
import unittest

from quipmark_e2e import QuipmarkTestCase, menu_keys, probe, read_clipboard, record, start_wine, stop, tray_window, \
    wait_for, wait_state, xdotool

CTRL_ALT_Q = 0x0651   # as the hotkey control encodes it
VK_RETURN = 0x0D


def notepad_text():
    code, out = probe('edittext', 'Notepad')
    return bytes.fromhex(out.strip()).decode('utf-8') if code == 0 else None


class PasteAfterChoosing(QuipmarkTestCase):

    def start(self, paste):
        """The program with "PasteAfterChoice" stored as `paste` (None: no
        value), then notepad in front of it with "Dear " typed."""
        if paste is not None:
            self.assertEqual(probe('regset', 'PasteAfterChoice', paste)[0], 0)
        self.assertEqual(probe('regset', 'Hotkey', 0xFFFF0000 | CTRL_ALT_Q)[0], 0)
        self.app.write_data([record('K', 'Kind regards'), record('K', 'Best wishes')])
        self.app.start()
        notepad = start_wine('notepad')
        self.addCleanup(stop, notepad)
        self.assertEqual(probe('front', 'Notepad', 30000)[0], 0, 'notepad did not come to the front')
        # Away from the tray window, which it would cover.
        window = subprocess.run(['xdotool', 'search', '--name', 'Notepad'], capture_output=True, text=True,
                                timeout=10).stdout.split()[0]
        xdotool('windowmove', '--sync', window, 250, 150)
        self.assertEqual(probe('front', 'Notepad', 10000)[0], 0, 'notepad left the front')
        probe('type', 'Dear '.encode('utf-8').hex())
        self.assertTrue(wait_for(lambda: notepad_text() == 'Dear '), repr(notepad_text()))
        return notepad

    def open_tray_popup(self):
        """A right click on the tray icon, as the user gives it. The icons sit
        in a row; the program's is the last one added."""
        for x in range(10, 160, 20):
            xdotool('mousemove', '--window', tray_window(), x, 10, 'click', 3)
            if wait_state('menu', 1500):
                return
        self.fail('no tray icon opened the menu')

    def assertNotepadHolds(self, expected):
        self.assertTrue(wait_for(lambda: notepad_text() == expected), repr(notepad_text()))

    def test_the_tray_popups_choice_is_pasted_where_the_user_was_typing(self):
        self.start(1)
        self.open_tray_popup()
        menu_keys('Down', 'Down', 'Return')
        self.assertNotepadHolds('Dear Kind regards')

        self.open_tray_popup()
        probe('type', 'wish'.encode('utf-8').hex())
        self.assertTrue(wait_state('popup'), 'typing did not open the popup')
        probe('keys', VK_RETURN)
        self.assertNotepadHolds('Dear Kind regardsBest wishes')
        self.assertEqual(read_clipboard(), 'Best wishes')

    def test_the_hotkeys_popup_opens_at_the_caret_and_held_keys_type_nothing(self):
        self.start(1)
        caret = [int(n) for n in probe('caret', 'Notepad')[1].split()]
        # Pressed on the keyboard as a person does: the modifiers first, held
        # while the popup opens and the entry is chosen, let go a moment later.
        xdotool('keydown', 'ctrl', 'alt')
        self.addCleanup(xdotool, 'keyup', 'alt', 'ctrl')
        xdotool('key', 'q')
        self.assertTrue(wait_state('menu'), 'the hotkey did not open the menu')
        menu = [int(n) for n in probe('menurect')[1].split()]
        self.assertLessEqual(abs(menu[0] - caret[0]) + abs(menu[1] - caret[1]), 4,
                             'the popup at %r, the caret at %r' % (menu, caret))
        menu_keys('Down', 'Down', 'Return')
        time.sleep(0.3)
        self.assertEqual(notepad_text(), 'Dear ', 'nothing is typed while the keys are held')
        xdotool('keyup', 'alt', 'ctrl')
        self.assertNotepadHolds('Dear Kind regards')

    def test_with_the_setting_off_or_missing_the_entry_is_only_on_the_clipboard(self):
        for paste in (0, None):
            with self.subTest(paste=paste):
                notepad = self.start(paste)
                self.open_tray_popup()
                menu_keys('Down', 'Down', 'Return')
                self.assertTrue(wait_for(lambda: read_clipboard() == 'Kind regards'), repr(read_clipboard()))
                self.assertTrue(wait_state('nomenu'))
                self.assertEqual(probe('front', 'Notepad', 2000)[0], 1, 'the focus stays with the popup\'s owner')
                self.assertEqual(notepad_text(), 'Dear ')
                stop(notepad)
                self.app.kill()
                probe('regdel')


if __name__ == '__main__':
    unittest.main()
