#!/usr/bin/python3
"""End-to-end test of the statistics window: the real program under Xvfb with a window manager and a
tray; a group recited with real keys, the window opened from the tray menu.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import json
import os
import subprocess
import time
import unittest

from desktop import EndToEnd, wait_for


class Statistics(EndToEnd):
    tray = True

    def test_the_window_opens_from_the_tray_menu_with_the_days_passes(self):
        folder = self.folder(words=("你", "好", "学"), speak=False)
        program, window = self.start_shown(folder)
        program.key("Return")  # start a group and let every word of it be shown
        logged = lambda: folder.sql("select count(*) from ReviewLog")[0][0]  # noqa: E731
        self.assertTrue(wait_for(lambda: logged() >= 3, 30), "each pass is logged; " + program.describe())
        program.key("space")  # pause, so the figures hold still
        time.sleep(0.5)
        self.assertEqual(logged(), self.passes(folder), "one log row per pass")
        icon = self.tray_icon(program, window)
        self.display.click(icon, 5, 5, button=3)
        menu = wait_for(lambda: [w for w in program.visible_windows()
                                 if w not in (window, icon) and (self.display.geometry(w) or (0, 0, 0, 0))[3] > 60], 5)
        self.assertTrue(menu, "the menu opens; " + program.describe())
        program.key("Down", "Down", "Down", "Return")  # 背词, 设置, 学习统计
        stats = wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^学习统计$"), 10)
        self.assertTrue(stats, "the statistics window opens; " + program.describe())
        self.assertIsNone(program.proc.poll())
        # The window reads its figures with the code the tool prints them with.
        out = subprocess.run([os.path.join(folder.dir, "tavelo-admin"), "--db", folder.db, "stats", "100", "--json"],
                             check=True, capture_output=True).stdout
        today = json.loads(out)["today"]
        self.assertEqual(today["passes"], logged())
        self.assertEqual(today["newWords"], 3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
