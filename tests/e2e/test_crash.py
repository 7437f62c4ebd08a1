"""A user's entries survive the program being killed at any moment of a save:
the data file is afterwards always the complete old or the complete new
content, and a cut-short save leaves nothing that is taken for data."""
import os
import random
import unittest

from quipmark_e2e import IDC_SAVE, IDC_TOTAL_ITEMS, QuipmarkTestCase, probe, record, wait_for, wait_state

# 20 MiB in 390 entries: every round adds one, and the tree's limit of 500
# items must never refuse it.
ENTRIES = 390
TEXT_SIZE = 52 * 1024
# Either outcome comes about in a third of the rounds or more, so 30 rounds see both.
ROUNDS = int(os.environ.get('QUIPMARK_CRASH_ROUNDS', '30'))


def large_file():
    records = []
    for i in range(ENTRIES):
        text = ('entry %d ' % i).ljust(TEXT_SIZE, chr(ord('a') + i % 26))
        records.append(record('K' if i % 10 == 0 else 'e', text))
    return b''.join(records)


class CrashDuringSave(QuipmarkTestCase):

    def test_the_data_file_is_always_the_old_or_the_new_content(self):
        current = large_file()
        self.app.write_data([current])
        # One known single-line text on the clipboard: the history then holds
        # at most that one item at every start.
        self.clipboard.set('crash test')
        rng = random.Random(20261207)
        outcomes = {'old': 0, 'new': 0}
        for round_ in range(ROUNDS):
            self.app.start(wait_hidden=False)
            self.assertTrue(wait_state('tray', 60000), 'round %d: no start' % round_)
            text = 'change %d' % round_
            # New entries go first after the clipboard branch.
            expected_new = record('K', text) + current
            self.app.add(text)
            self.assertEqual(probe('click', IDC_SAVE)[0], 0)
            # Somewhere between before the save starts and after it ends. The
            # save takes tens of milliseconds here and more on a slower
            # machine: kill moments spread evenly in scale, 1 ms to 0.5 s,
            # land on both sides wherever its end lies.
            delay = 10 ** rng.uniform(-3.0, -0.3)
            wait_for(lambda: False, timeout=delay, interval=0.001)
            self.app.kill()
            content = self.app.saved_records()
            if content == current:
                outcomes['old'] += 1
            elif content == expected_new:
                outcomes['new'] += 1
                current = expected_new
            else:
                self.fail('round %d: the data file is neither the old nor the new content '
                          '(%d bytes, kill after %.3f s)' % (round_, len(content), delay))
        # The next start loads exactly the last complete content, whatever
        # a cut-short save left beside it.
        self.app.start()
        loaded = 2 + ENTRIES + outcomes['new']
        self.assertIn(probe('text', IDC_TOTAL_ITEMS)[1].strip(), (str(loaded), str(loaded + 1)))
        print('crash rounds: %(old)d kept the old content, %(new)d the new' % outcomes)
        self.assertGreater(outcomes['new'], 0, 'no save ever completed: the test measured nothing')
        self.assertGreater(outcomes['old'], 0, 'no kill ever came during a save')


if __name__ == '__main__':
    unittest.main()
