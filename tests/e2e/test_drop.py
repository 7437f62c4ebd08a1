"""Text dragged from another program and dropped on the configuration dialog:
into the new-entry field, and onto the entry tree as a new entry."""
import unittest

from quipmark_e2e import (IDC_NEW_ENTRY, IDC_SAVE, IDC_TOTAL_ITEMS, QuipmarkTestCase, control_rect, control_value,
                          root_entry_point, wait_enabled, wait_for)


class DropFromAnotherProgram(QuipmarkTestCase):

    def setUp(self):
        super().setUp()
        self.app.start()
        self.app.show_dialog()

    def test_text_dropped_on_the_new_entry_field_lands_in_it(self):
        left, top, right, bottom = control_rect(IDC_NEW_ENTRY)
        self.assertDrops('drag', ((left + right) // 2, (top + bottom) // 2), 'dropped text')
        self.assertTrue(wait_for(lambda: control_value('text', IDC_NEW_ENTRY) == 'dropped text'),
                        control_value('text', IDC_NEW_ENTRY))
        # Only the user's Add makes an entry of it.
        self.assertEqual(control_value('enabled', IDC_SAVE), '0', 'a drop on the field changes no entry')

    def test_text_dropped_on_the_root_entry_becomes_an_entry(self):
        count = int(control_value('text', IDC_TOTAL_ITEMS))
        self.assertDrops('drag', root_entry_point(), 'a new entry from elsewhere')
        # Save is enabled by the drop alone (the clipboard history never
        # enables it); the count grows by the new entry at least.
        self.assertTrue(wait_enabled(IDC_SAVE), 'the drop was no change')
        self.assertGreaterEqual(int(control_value('text', IDC_TOTAL_ITEMS)), count + 1)


if __name__ == '__main__':
    unittest.main()
