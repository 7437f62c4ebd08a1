"""Start-up, the single-instance rule and leaving the program."""
import os
import subprocess
import unittest

from quipmark_e2e import (PROBE, WM_COMMAND, WM_LBUTTONDBLCLK, WM_TRAY_NOTIFY, QuipmarkTestCase, control_value,
                          probe, start_wine, stop, tray_window, wait_for, wait_state)


class StartUp(QuipmarkTestCase):

    def test_starts_minimised_hides_itself_and_sits_in_the_tray(self):
        # It is visible for under a second: watch for it from before the start.
        watcher = start_wine(PROBE, 'watch', 'visible', 40000, stdout=subprocess.PIPE)
        self.addCleanup(watcher.stdout.close)
        self.addCleanup(stop, watcher)
        self.assertEqual(watcher.stdout.readline().strip(), 'watching')
        self.app.start(wait_hidden=False)
        self.assertEqual(watcher.wait(timeout=60), 0, 'it never showed')
        self.assertEqual(probe('state')[1].split()[1], 'iconic', 'it first shows minimised')
        self.assertTrue(wait_state('hidden', 5000))
        self.assertEqual(probe('state')[1].split(), ['hidden', 'iconic'])
        # A real right click on the icon in the tray opens the program's menu.
        window = tray_window()
        self.assertIsNotNone(window)
        # The icons sit in a row; the program's is the last one added.
        for x in range(10, 160, 20):
            subprocess.run(['xdotool', 'mousemove', '--window', window, str(x), '10', 'click', '3'],
                           timeout=10)
            if wait_state('menu', 1500):
                break
        else:
            self.fail('no tray icon opened the menu')
        self.app.keys('Escape')
        self.assertTrue(wait_state('nomenu', 5000))

    def test_second_start_shows_the_first_instance_and_exits_quietly(self):
        self.app.start()
        second = subprocess.run(['wine', self.app.exe], stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=60)
        self.assertEqual(second.returncode, 0)
        self.assertTrue(wait_state('shown'))
        self.assertIsNone(self.app.process.poll(), 'the first instance must keep running')

    def test_copies_started_together_leave_exactly_one_running(self):
        copies = [start_wine(self.app.exe) for _ in range(6)]
        for copy in copies:
            self.addCleanup(stop, copy)
        # Each copy that does not run ends once it has shown the one that does.
        self.assertTrue(wait_for(lambda: sum(c.poll() is None for c in copies) <= 1, timeout=60),
                        'more than one copy kept running')
        running = [c for c in copies if c.poll() is None]
        self.assertEqual(len(running), 1)
        self.assertEqual([c.returncode for c in copies if c is not running[0]], [0] * 5)
        self.assertTrue(wait_state('visible', 20000))

    def test_another_programs_window_captioned_quipmark_is_left_alone(self):
        # A folder window on a folder named Quipmark has exactly this caption.
        other = start_wine(PROBE, 'foreign', 'Quipmark')
        self.addCleanup(stop, other)
        self.assertTrue(wait_for(lambda: control_value('foreignstate') == 'iconic', timeout=20))
        self.app.start(wait_hidden=False)
        self.assertTrue(wait_state('tray', 40000), 'the program must start beside it')
        self.assertTrue(wait_for(lambda: probe('trayicon')[0] == 0, timeout=10), 'no tray icon')
        self.assertIsNone(self.app.process.poll())
        self.assertEqual(control_value('foreignstate'), 'iconic', 'the other window keeps its place')

    def test_exit_with_nothing_changed_writes_nothing(self):
        self.app.start()
        self.assertEqual(self.app.exit(), 0)
        self.assertFalse(os.path.exists(self.app.data_file))
        self.assertNotEqual(probe('regget', 'MaxLength')[0], 0, 'the settings key must not be written')

    def test_double_click_on_the_tray_icon_shows_the_dialog(self):
        self.app.start()
        self.app.post(WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK)
        self.assertTrue(wait_state('shown'))
        self.app.post(WM_COMMAND, 1010, 0)  # "&Hide"
        self.assertTrue(wait_state('hidden'))
        self.app.show_dialog()


if __name__ == '__main__':
    unittest.main()
