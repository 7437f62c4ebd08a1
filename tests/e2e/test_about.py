"""The About box, opened from the configuration dialog."""
import unittest

from quipmark_e2e import IDOK, WM_COMMAND, QuipmarkTestCase, probe, wait_for

IDC_ABOUT = 1013
ABOUT_CAPTION = 'About Quipmark'


def about_closes():
    """Answers OK in the shown About box; true once the box is gone."""
    return (probe('windowpost', ABOUT_CAPTION, WM_COMMAND, IDOK, 0)[0] == 0 and
            wait_for(lambda: probe('window', ABOUT_CAPTION, 0)[0] != 0, timeout=10))


class AboutBox(QuipmarkTestCase):

    def assertAboutOpens(self):
        self.app.post(WM_COMMAND, IDC_ABOUT, 0)
        code, controls = probe('window', ABOUT_CAPTION, 15000)
        self.assertEqual(code, 0, 'the About box did not open')
        # Its texts are the GUI tests' to check; here the running program
        # must show the box, with the button that closes it.
        self.assertIn('%d|Button|OK' % IDOK, controls.splitlines())

    def test_the_about_box_opens_from_the_dialog_and_ok_closes_it_every_time(self):
        self.app.start()
        self.app.show_dialog()
        self.assertAboutOpens()
        self.assertTrue(about_closes(), 'OK closes the About box')
        # The program goes on: it opens the box again and leaves normally.
        self.assertAboutOpens()
        self.assertTrue(about_closes())
        self.assertEqual(self.app.exit(), 0)


if __name__ == '__main__':
    unittest.main()
