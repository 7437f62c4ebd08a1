"""The About box, opened from the configuration dialog."""
import unittest

from quipmark_e2e import IDOK, WM_COMMAND, QuipmarkTestCase, probe, wait_for

IDC_ABOUT = 1013
ABOUT_CAPTION = 'About Quipmark'


def about_controls(timeout_ms):
    """{id: (class, text)} of the shown About box, or None."""
    code, out = probe('window', ABOUT_CAPTION, timeout_ms)
    if code != 0:
        return None
    controls = {}
    for line in out.splitlines():
        ident, cls, text = line.split('|', 2)
        controls[int(ident)] = (cls, text)
    return controls


def about_closes():
    return wait_for(lambda: probe('window', ABOUT_CAPTION, 0)[0] != 0, timeout=10)


class AboutBox(QuipmarkTestCase):

    def test_about_button_shows_version_and_both_links(self):
        self.app.start()
        self.app.show_dialog()
        self.app.post(WM_COMMAND, IDC_ABOUT, 0)

        controls = about_controls(15000)
        self.assertIsNotNone(controls, 'the About box did not open')
        self.assertEqual(controls[1014], ('Static', 'QuipMark Version 2.1a Beta'))
        self.assertIn('1998', controls[1015][1])
        self.assertEqual(controls[1041], ('Static', 'http://www.example.com/'))
        self.assertEqual(controls[1042], ('Static', 'quipmark@example.com'))
        self.assertEqual(controls[IDOK], ('Button', 'OK'))

        self.assertEqual(probe('windowpost', ABOUT_CAPTION, WM_COMMAND, IDOK, 0)[0], 0)
        self.assertTrue(about_closes(), 'OK closes the About box')
        # The program goes on: it opens the box again and leaves normally.
        self.app.post(WM_COMMAND, IDC_ABOUT, 0)
        self.assertIsNotNone(about_controls(15000), 'the About box opens a second time')
        probe('windowpost', ABOUT_CAPTION, WM_COMMAND, IDOK, 0)
        self.assertTrue(about_closes())
        self.assertEqual(self.app.exit(), 0)


if __name__ == '__main__':
    unittest.main()
