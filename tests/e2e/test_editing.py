"""Building the entry tree by hand in the configuration dialog."""
import unittest

from quipmark_e2e import (IDC_NEW_ENTRY, IDC_SAVE, WM_LBUTTONDBLCLK, WM_TRAY_NOTIFY, QuipmarkTestCase,
                          control_value, probe, record, wait_enabled, wait_for, wait_state, wait_x_focus,
                          xdotool)


def tree_labels():
    code, out = probe('tree')
    return out.splitlines() if code == 0 else []


class Editing(QuipmarkTestCase):

    def test_typed_entry_is_added_saved_and_handed_out_after_a_restart(self):
        self.app.start()
        self.app.post(WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK)
        self.assertTrue(wait_state('shown'))
        self.assertTrue(wait_x_focus('Quipmark'), 'the shown dialog did not get the keyboard')

        # The new-entry field has the focus when the dialog shows.
        xdotool('type', '--delay', '40', 'typed by hand')
        self.assertTrue(wait_for(lambda: control_value('text', IDC_NEW_ENTRY) == 'typed by hand'),
                        control_value('text', IDC_NEW_ENTRY))
        xdotool('key', 'alt+a')
        self.assertTrue(wait_enabled(IDC_SAVE), 'Add did not run')
        xdotool('key', 'alt+s')
        self.assertTrue(wait_enabled(IDC_SAVE, False), 'Save did not run')
        self.assertEqual(self.app.saved_records(), record('K', 'typed by hand'))
        self.assertEqual(self.app.exit(), 0)

        self.app.start()
        self.assertHandsOut('typed by hand', 'Down', 'Down', 'Return')

    def test_a_rename_of_an_entry_of_several_lines_keeps_its_line_breaks(self):
        self.app.write_data([record('K', 'Dear customer\r\n\r\nThanks')])
        self.app.start()
        self.app.show_dialog()
        label = 'Dear customer\u00b6Thanks'
        self.assertIn('  ' + label, tree_labels())
        self.assertEqual(probe('rename', label.encode('utf-8').hex(), (label + ' v2').encode('utf-8').hex())[0], 0)
        self.assertTrue(wait_for(lambda: '  ' + label + ' v2' in tree_labels()), tree_labels())
        self.assertEqual(probe('msgbox', 500, 0)[0], 1, 'a question for text the label showed')
        self.app.save()
        self.assertEqual(self.app.saved_records(), record('K', 'Dear customer\r\n\r\nThanks v2'))
        self.assertHandsOut('Dear customer\n\nThanks v2', 'Down', 'Down', 'Return')


if __name__ == '__main__':
    unittest.main()
