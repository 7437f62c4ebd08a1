"""The settings from end to end: a hotkey stored in the registry opens the
menu from outside the program, and what the dialog shows is saved to the
registry and the data file and comes back at the next start."""
import subprocess
import unittest

from quipmark_e2e import (IDC_SAVE, QuipmarkTestCase, control_rect, control_value, menu_keys, probe, record,
                          tray_window, wait_for, wait_state, xdotool)

CTRL_ALT_F5 = 0x0674   # as the hotkey control encodes it
CTRL_ALT_F6 = 0x0675
VK_CONTROL, VK_MENU, VK_F5, VK_F6 = 0x11, 0x12, 0x74, 0x75
IDC_MENU_WIDTH, IDC_MENU_WIDTH_SPIN, IDC_NEW_ENTRY = 1015, 1016, 1007
IDC_SAVE_ON_EXIT, IDC_ALWAYS_ON_TOP, IDC_HOTKEY = 1044, 1047, 1049
IDC_HIDE = 1010
HKM_GETHOTKEY = 0x0402
UDM_GETPOS = 0x0468


def window_position(window):
    geometry = subprocess.run(['xdotool', 'getwindowgeometry', '--shell', window], capture_output=True,
                              text=True, timeout=10).stdout.split()
    values = dict(line.split('=', 1) for line in geometry if '=' in line)
    return (int(values['X']), int(values['Y'])) if 'X' in values and 'Y' in values else None


def point_at_tray():
    """Puts the pointer inside Wine's tray window, not on its frame, once
    that window has come to rest: it is mapped again when the program adds
    its icon, and the window manager may still be placing it. The menu then
    opens with the pointer on its border rather than over an item."""
    def placed():
        window = tray_window()
        before = window_position(window) if window else None
        if before is None:
            return False
        xdotool('mousemove', before[0] + 5, before[1] + 5)
        return window_position(window) == before
    return wait_for(placed, timeout=10, interval=0.2)


def menu_width():
    # The width field's text is not readable from another process; the
    # up-down control's position is what the program itself uses.
    position = control_value('send', IDC_MENU_WIDTH_SPIN, UDM_GETPOS, 0, 0)
    return int(position) & 0xFFFF if position is not None else None


def click_control(control, where='centre'):
    """A real mouse click on a control of the dialog."""
    left, top, right, bottom = control_rect(control)
    y = top + (bottom - top) // 4 if where == 'upper' else (top + bottom) // 2
    xdotool('mousemove', (left + right) // 2, y, 'click', 1)


class GlobalHotkey(QuipmarkTestCase):

    def assertMenuHasOnlyQuipmark(self):
        # Its last item is the one program command. Were it "&Exit", as in
        # the tray's own menu, choosing it would end the program.
        menu_keys('Up', 'Return')
        self.assertTrue(wait_state('shown'), 'the last item must show the dialog')
        self.assertIsNone(self.app.process.poll(), 'the program must keep running')

    def test_a_stored_hotkey_typed_on_the_x_keyboard_opens_the_menu(self):
        self.assertEqual(probe('regset', 'Hotkey', CTRL_ALT_F5)[0], 0)
        self.app.write_data([record('K', 'Hi')])
        self.app.start()
        # X hands keys to the window under focus; Wine sees them, and checks
        # its hotkeys, only when that is one of its windows: point at the
        # tray window, which openbox then focuses.
        self.assertTrue(point_at_tray(), 'the pointer cannot be put on the tray window')
        xdotool('key', 'ctrl+alt+F5')
        self.assertTrue(wait_state('menu'), 'the hotkey did not open the menu')
        # What the menu offers is checked below, where the hotkey comes from
        # another program: keys posted to a menu opened from the X keyboard
        # were now and then not taken under Xvfb and openbox (about one run
        # in twelve, cause not found).
        self.assertIsNone(self.app.process.poll())

    def test_a_stored_hotkey_sent_by_another_program_opens_the_menu(self):
        self.assertEqual(probe('regset', 'Hotkey', 0xFFFF0000 | CTRL_ALT_F6)[0], 0)
        self.app.start()
        probe('chord', VK_CONTROL, VK_MENU, VK_F6)
        self.assertTrue(wait_state('menu'), 'the hotkey did not open the menu')
        self.assertMenuHasOnlyQuipmark()


class MenuWidthField(QuipmarkTestCase):

    def test_a_width_typed_out_of_range_reads_as_the_width_the_menu_uses(self):
        self.app.start()
        self.app.show_dialog()
        for typed, used in (('999', 99), ('5', 10)):
            click_control(IDC_MENU_WIDTH)
            xdotool('key', 'End', 'BackSpace', 'BackSpace', 'BackSpace')
            xdotool('type', typed)
            click_control(IDC_NEW_ENTRY)
            # The whole position: its high word says the field holds no width.
            self.assertTrue(wait_for(lambda: control_value('send', IDC_MENU_WIDTH_SPIN, UDM_GETPOS, 0, 0) ==
                                     str(used)), control_value('send', IDC_MENU_WIDTH_SPIN, UDM_GETPOS, 0, 0))
        self.assertEqual(control_value('enabled', IDC_SAVE), '1', 'a typed width is a change')


class SaveAndReload(QuipmarkTestCase):

    def test_the_dialogs_settings_are_saved_and_come_back_at_the_next_start(self):
        self.app.write_data([record('K', 'Hi')])
        self.app.start()
        self.app.show_dialog()
        self.assertEqual(menu_width(), 20, "no width stored: the dialog's own")

        click_control(IDC_SAVE_ON_EXIT)
        click_control(IDC_ALWAYS_ON_TOP)
        self.assertTrue(wait_for(lambda: control_value('checked', IDC_ALWAYS_ON_TOP) == '1'))
        click_control(IDC_MENU_WIDTH_SPIN, 'upper')
        self.assertTrue(wait_for(lambda: menu_width() == 21))
        # F5 alone in the hotkey field becomes Ctrl+Alt+F5.
        click_control(IDC_HOTKEY)
        xdotool('key', 'F5')
        self.assertTrue(wait_for(
            lambda: control_value('send', IDC_HOTKEY, HKM_GETHOTKEY, 0, 0) == str(CTRL_ALT_F5)))
        self.assertEqual(control_value('checked', IDC_SAVE_ON_EXIT), '1')
        self.assertEqual(control_value('enabled', IDC_SAVE), '1')

        click_control(IDC_SAVE)
        self.assertTrue(wait_for(lambda: control_value('enabled', IDC_SAVE) == '0'), 'Save stays enabled')
        stored = {'Hotkey': str(CTRL_ALT_F5), 'MaxLength': '21', 'SaveOnExit': '1', 'AlwaysOnTop': '1'}
        self.assertEqual({name: control_value('regget', name) for name in stored}, stored)
        self.assertEqual(self.app.saved_data(), record('K', 'Hi'))

        # Nothing is left unsaved: leaving asks nothing.
        self.assertEqual(self.app.exit(), 0)
        self.app.start()
        self.assertEqual(control_value('checked', IDC_SAVE_ON_EXIT), '1')
        self.assertEqual(control_value('checked', IDC_ALWAYS_ON_TOP), '1')
        self.assertEqual(menu_width(), 21)
        self.assertEqual(control_value('send', IDC_HOTKEY, HKM_GETHOTKEY, 0, 0), str(CTRL_ALT_F5))
        self.assertEqual(control_value('enabled', IDC_SAVE), '0', 'loading is no change')
        # The saved hotkey is registered again. Reading the controls opened
        # the dialog; it goes back to the tray first, since under Wine keys
        # that another program sends (SendInput) do not reach a hotkey while
        # the dialog has the focus. Real keys do (xdotool).
        self.assertEqual(probe('click', IDC_HIDE)[0], 0)
        self.assertTrue(wait_state('tray'))
        probe('chord', VK_CONTROL, VK_MENU, VK_F5)
        self.assertTrue(wait_state('menu'), 'the saved hotkey did not open the menu')
        menu_keys('Escape')
        self.assertTrue(wait_state('nomenu'))
        self.assertEqual(self.app.exit(), 0)


if __name__ == '__main__':
    unittest.main()
