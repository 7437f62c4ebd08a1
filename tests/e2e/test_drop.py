"""Text dragged from another program and dropped on the configuration dialog:
into the new-entry field, and onto the entry tree as a new entry."""
import unittest

from quipmark_e2e import ID_SHOW_CONFIGURATION, WM_COMMAND, QuipmarkTestCase, probe, wait_for


def control_rect(control):
    code, out = probe('ctlrect', control)
    assert code == 0, 'no control %d' % control
    return [int(n) for n in out.split()]


class DropFromAnotherProgram(QuipmarkTestCase):

    def show_dialog(self):
        self.app.start()
        self.app.post(WM_COMMAND, ID_SHOW_CONFIGURATION, 0)
        self.assertEqual(probe('wait', 'shown', 10000)[0], 0)

    def test_text_dropped_on_the_new_entry_field_lands_in_it(self):
        self.show_dialog()
        left, top, right, bottom = control_rect(1007)
        code, out = probe('drag', (left + right) // 2, (top + bottom) // 2, 'dropped text')
        self.assertEqual(code, 0, 'the drop was refused: effect ' + out)
        self.assertTrue(wait_for(lambda: probe('text', 1007)[1].strip() == 'dropped text'),
                        probe('text', 1007)[1])
        # Only the user's Add makes an entry of it.
        self.assertEqual(probe('enabled', 1005)[1].strip(), '0', 'a drop on the field changes no entry')

    def test_text_dropped_on_the_root_entry_becomes_an_entry(self):
        self.show_dialog()
        count = int(probe('text', 1032)[1].strip())
        left, top, _, _ = control_rect(1022)
        # The first row's label, "Quipmark Menu List".
        code, out = probe('drag', left + 70, top + 10, 'a new entry from elsewhere')
        self.assertEqual(code, 0, 'the drop was refused: effect ' + out)
        # Save is enabled by the drop alone (the clipboard history never
        # enables it); the count grows by the new entry at least.
        self.assertTrue(wait_for(lambda: probe('enabled', 1005)[1].strip() == '1'), 'the drop was no change')
        self.assertGreaterEqual(int(probe('text', 1032)[1].strip()), count + 1)


if __name__ == '__main__':
    unittest.main()
