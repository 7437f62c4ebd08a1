"""Building the entry tree by hand in the configuration dialog."""
import subprocess
import unittest

from quipmark_e2e import (WM_LBUTTONDBLCLK, WM_TRAY_NOTIFY, QuipmarkTestCase, probe, read_clipboard,
                          record, wait_for)


def xdotool(*args):
    subprocess.run(['xdotool'] + list(args), check=True, timeout=30)


class Editing(QuipmarkTestCase):

    def test_typed_entry_is_added_saved_and_handed_out_after_a_restart(self):
        self.app.start()
        self.app.post(WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK)
        self.assertEqual(probe('wait', 'shown', 10000)[0], 0)
        self.assertTrue(wait_for(lambda: probe('enabled', 1006)[1].strip() == '0'))

        # The new-entry field has the focus when the dialog shows.
        xdotool('type', '--delay', '40', 'typed by hand')
        self.assertTrue(wait_for(lambda: probe('text', 1007)[1].strip() == 'typed by hand'),
                        probe('text', 1007)[1])
        xdotool('key', 'alt+a')
        self.assertTrue(wait_for(lambda: probe('enabled', 1005)[1].strip() == '1'), 'Add did not run')
        self.assertEqual(probe('text', 1007)[1].strip(), '')
        xdotool('key', 'alt+s')
        self.assertTrue(wait_for(lambda: probe('enabled', 1005)[1].strip() == '0'), 'Save did not run')
        with open(self.app.data_file, 'rb') as saved:
            self.assertEqual(saved.read(), record('K', 'typed by hand'))
        self.assertEqual(self.app.exit(), 0)

        self.app.start()
        self.app.choose_from_menu('Down', 'Down', 'Return')
        self.assertTrue(wait_for(lambda: read_clipboard() == 'typed by hand'), read_clipboard())


if __name__ == '__main__':
    unittest.main()
