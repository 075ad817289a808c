#!/usr/bin/python3
"""End-to-end tests of the settings dialog: the real program under Xvfb with a window manager and a
tray, the dialog opened from the tray menu and driven with real keys, checked through the database.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import time
import unittest

from desktop import EndToEnd, wait_for

# Rows of CONFIG by SEQUENCE.
WORD_NUM = 1
ROUND_NUMBER, FLOOR_ABILITY, CEILING_ABILITY = 36, 37, 38
# The controls Tab visits on each page, the three of the top row and the tab bar included.
CONTROLS = (19, 15, 14, 13)
TO_TABS = ("Tab", "Tab", "Tab")  # from the current-user box past 添加 and 修改


class Settings(EndToEnd):
    tray = True

    def open_settings(self, program, window):
        """"设置" from the tray menu; the dialog, active, with the focus in its current-user box."""
        icon = self.tray_icon(program, window)
        self.display.click(icon, 5, 5, button=3)
        menu = wait_for(lambda: [w for w in program.visible_windows()
                                 if w not in (window, icon) and (self.display.geometry(w) or (0, 0, 0, 0))[3] > 60], 5)
        self.assertTrue(menu, "the menu opens; " + program.describe())
        program.key("Down", "Down", "Return")  # 背词, then 设置
        dialog = wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^设置$"), 10)
        self.assertTrue(dialog, "the settings dialog opens; " + program.describe())
        self.assertTrue(wait_for(lambda: self.display.active_window() == dialog[0], 5), "and is the active window")
        time.sleep(0.3)
        return dialog[0]

    def settings(self, folder, user):
        return folder.sql("select SEQUENCE, NUMBEREX, CHOICE from CONFIG where USERID = ? order by SEQUENCE", (user,))

    def test_words_per_group_saved_with_ok_while_the_cycle_runs_on(self):
        folder = self.folder(words=("你", "好"), speak=False)
        program, window = self.start_shown(folder)
        program.key("Return")  # start a group
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 5), "the cycle runs; " + program.describe())
        dialog = self.open_settings(program, window)
        self.assertNotIn(window, program.visible_windows(), "the word window is hidden for the dialog")
        running = self.passes(folder)
        self.assertTrue(wait_for(lambda: self.passes(folder) > running, 10),
                        "opening the dialog does not pause the cycle")
        before = self.settings(folder, 100)
        # Current user, 添加, 修改, the page tabs, the forgetting rate, then words per group.
        program.key("Tab", "Tab", "Tab", "Tab", "Tab")
        program.key("Up", "Up", "Up")
        program.key("Return")  # 确定
        self.assertTrue(wait_for(lambda: dialog not in program.visible_windows(), 5), "确定 closes the dialog")
        after = self.settings(folder, 100)
        self.assertEqual(dict((s, v) for s, v, _ in after)[WORD_NUM], 23, "20 and three steps up")
        self.assertEqual([row for row in after if row[0] != WORD_NUM], [row for row in before if row[0] != WORD_NUM],
                         "nothing else changed")
        time.sleep(1.0)
        self.assertNotIn(window, program.visible_windows(), "the word window stays hidden after the dialog")

    def test_keyboard_alone_walks_every_page_and_stores_what_was_typed(self):
        folder = self.folder(words=("你", "好"), speak=False)
        program, window = self.start_shown(folder)
        dialog = self.open_settings(program, window)
        before = dict((s, v) for s, v, _ in self.settings(folder, 100))
        # Basic page: words per group, two steps up, then on round to the current-user box.
        program.key(*TO_TABS, "Tab", "Tab", "Up", "Up", *["Tab"] * (CONTROLS[0] - 5))
        # Every other page: round once through all of its controls.
        for page in (1, 2, 3):
            program.key(*TO_TABS, "Right", *["Tab"] * (CONTROLS[page] - 3))
        # Back to the review page; a value typed into each of its three spin edits.
        program.key(*TO_TABS, "Left", "Left", *["Tab"] * 5)
        self.display.xdotool("type", "--delay", "60", "12")
        program.key("Tab")
        self.display.xdotool("type", "--delay", "60", "3")
        program.key("Tab")
        self.display.xdotool("type", "--delay", "60", "45")
        program.key("Return")  # 确定, from inside the spin edit
        self.assertTrue(wait_for(lambda: dialog not in program.visible_windows(), 5),
                        "Return in a spin edit presses 确定; " + program.describe())
        after = dict((s, v) for s, v, _ in self.settings(folder, 100))
        typed = {WORD_NUM: 22, ROUND_NUMBER: 12, FLOOR_ABILITY: 3, CEILING_ABILITY: 45}
        self.assertEqual(after, {**before, **typed})

        # Escape from inside a spin edit closes without storing.
        dialog = self.open_settings(program, window)
        program.key(*TO_TABS, "Right", *["Tab"] * 5)
        self.display.xdotool("type", "--delay", "60", "9")
        program.key("Escape")
        self.assertTrue(wait_for(lambda: dialog not in program.visible_windows(), 5), "Escape closes the dialog")
        self.assertEqual(dict((s, v) for s, v, _ in self.settings(folder, 100)), after)

    def test_add_creates_a_learner_with_the_default_settings(self):
        folder = self.folder(speak=False)
        # Defaults that differ from the first learner's settings.
        folder.sql("update CONFIG set NUMBEREX = 37 where USERID = 1 and SEQUENCE = ?", (WORD_NUM,))
        program, window = self.start_shown(folder)
        dialog = self.open_settings(program, window)
        program.key("Tab", "Return")  # 添加
        user = wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^用户维护$"), 10)
        self.assertTrue(user, "the user dialog opens; " + program.describe())
        self.assertTrue(wait_for(lambda: self.display.active_window() == user[0], 5))
        self.display.xdotool("type", "--delay", "40", "Li Ming")
        program.key("Tab")
        self.display.xdotool("type", "--delay", "40", "Pass")
        program.key("Tab")
        self.display.xdotool("type", "--delay", "40", "pASS")  # letters compare without case
        program.key("Return")
        self.assertTrue(wait_for(lambda: folder.sql("select ID, NAME, CIPHER, IsPower from USERS where ID > 100"), 5),
                        "the learner is stored; " + program.describe())
        self.assertEqual(folder.sql("select ID, NAME, CIPHER, IsPower from USERS where ID > 100"),
                         [(101, "Li Ming", "Pass", 0)])
        defaults = self.settings(folder, 1)
        self.assertEqual(len(defaults), 33)
        self.assertEqual(self.settings(folder, 101), defaults)
        self.assertEqual(folder.sql("select count(*) from UserBooks where USERID = 101"), [(0,)])
        program.key("Escape")  # 取消: the new learner stays
        self.assertTrue(wait_for(lambda: dialog not in program.visible_windows(), 5))
        self.assertEqual(len(folder.sql("select ID from USERS where ID >= 100")), 2)


if __name__ == "__main__":
    unittest.main(verbosity=2)
