#!/usr/bin/python3
"""End-to-end tests: the real program in a temporary program folder under Xvfb with a window
manager (openbox) and a tray (trayer), driven with real keys and clicks (xdotool), checked through
the windows, the database and the files it leaves. Nothing forces the keyboard focus.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import os
import time
import unittest

from desktop import EndToEnd, wait_for

# Rows of CONFIG by SEQUENCE.
USE_DESKTOP = 16
RECITE_TIME = 7
TRANSLATE_TIME = 8


class StartUp(EndToEnd):
    def test_missing_database_shows_the_message_and_starts_nothing(self):
        folder = self.folder(with_database=False)
        program = self.start(folder)
        box = wait_for(lambda: program.visible_windows(), 10)
        self.assertTrue(box, "a message box is shown")
        names = [" ".join(self.display.xdotool("getwindowname", w)) for w in box]
        self.assertIn("提示", names)
        self.assertIsNone(program.word_window(timeout=1))
        self.assertTrue(wait_for(lambda: self.display.active_window() in box, 5), "the box has the keyboard")
        self.display.xdotool("key", "Return")
        self.assertEqual(program.proc.wait(10), 1, "a refused start fails")
        self.assertIn("数据文件夹：" + folder.dir, program.describe(), "stderr names the folder")
        self.assertFalse(os.path.exists(os.path.join(folder.dir, "temp")), "no window was created")

    def test_second_copy_exits_at_once(self):
        folder = self.folder(speak=False)
        first = self.start(folder)
        self.assertIsNotNone(first.word_window(), first.describe())
        started = time.monotonic()
        second = self.start(folder, cwd="/")
        self.assertEqual(second.proc.wait(10), 0)
        self.assertLess(time.monotonic() - started, 5)
        self.assertEqual(second.visible_windows(), [])
        self.assertIsNone(first.proc.poll(), "the first copy runs on")
        first.proc.kill()
        first.proc.wait()
        third = self.start(folder)
        self.assertIsNotNone(third.word_window(), "a killed copy leaves no lock behind; " + third.describe())

    def test_the_window_is_on_screen_from_the_start_and_stays(self):
        program, window = self.start_shown(self.folder(speak=False))
        time.sleep(2.5)
        self.assertIn(window, program.visible_windows(), program.describe())
        self.assertEqual(self.display.active_window(), window)

    def test_shift_f10_without_a_tray_opens_the_menu_over_the_window(self):
        program, window = self.start_shown(self.folder(speak=False))
        program.key("shift+F10")  # the first time after the first show
        menu = wait_for(lambda: [w for w in program.visible_windows()
                                 if w != window and (self.display.geometry(w) or (0, 0, 0, 0))[3] > 60], 5)
        self.assertTrue(menu, "the menu opens; " + program.describe())
        x, y, width, height = self.display.geometry(window)
        mx, my, _, _ = self.display.geometry(menu[0])
        self.assertTrue(x <= mx < x + width and y <= my < y + height,
                        "menu at %d,%d, window at %d,%d %dx%d" % (mx, my, x, y, width, height))

    def test_alt_f4_ends_the_program(self):
        program, window = self.start_shown(self.folder(speak=False))
        program.key("alt+F4")
        self.assertEqual(program.ended(), 0, program.describe())


class Recitation(EndToEnd):
    tray = True

    def test_enter_starts_speaks_and_marks_known(self):
        folder = self.folder(words=("你",), base_time=500)
        program, window = self.start_shown(folder, cwd="/")
        program.key("Return")
        played = wait_for(lambda: folder.file("temp/1.mp3"), 10)
        self.assertEqual(played, folder.recordings["你"], "the first word phase ends spoken")
        program.key("Return")  # known during its first answer phase
        rows = wait_for(lambda: folder.sql("select ABILITY, WORD_ROUND from Recite where ABILITY > 0"), 5)
        self.assertEqual(rows, [(8, 2)], "FirstNum 8; one pass at the start, one now")

    def running(self, folder, program):
        """Starts a group and waits until passes are being written."""
        program.key("Return")
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 10), program.describe())

    def rising(self, folder, seconds=1.5):
        before = self.passes(folder)
        time.sleep(seconds)
        return self.passes(folder) > before

    def fast_folder(self):
        folder = self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False)
        folder.sql("update CONFIG set NUMBEREX = 1 where SEQUENCE in (?, ?)", (RECITE_TIME, TRANSLATE_TIME))
        return folder

    def test_space_and_right_click_pause_and_go_on(self):
        folder = self.fast_folder()
        program, window = self.start_shown(folder)
        self.running(folder, program)
        for pause, go_on in ((lambda: program.key("space"),) * 2,
                             (lambda: self.display.click(window, 300, 200, button=3),) * 2):
            pause()
            time.sleep(0.3)
            self.assertFalse(self.rising(folder), "paused")
            go_on()
            self.assertTrue(self.rising(folder), "going on")

    def test_double_click_starts_and_marks_known(self):
        folder = self.folder(words=("你",), base_time=500, speak=False)
        program, window = self.start_shown(folder)
        self.display.click(window, 300, 150, repeat=2)
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 5), "a double click starts a group")
        time.sleep(0.3)
        self.display.click(window, 300, 150, repeat=2)
        rows = wait_for(lambda: folder.sql("select ABILITY from Recite where ABILITY > 0"), 5)
        self.assertEqual(rows, [(8,)], "a double click marks the word known")
        self.assertIn(window, program.visible_windows())

    def test_escape_pauses_and_hides(self):
        folder = self.fast_folder()
        program, window = self.start_shown(folder)
        self.running(folder, program)
        program.key("Escape")
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5))
        time.sleep(0.3)
        self.assertFalse(self.rising(folder), "paused")

    def test_f2_stops_the_cycle_and_m_switches_to_review(self):
        folder = self.fast_folder()
        program, window = self.start_shown(folder)
        self.running(folder, program)
        program.key("F2")  # the only learner again: the cycle stops
        time.sleep(0.3)
        self.assertFalse(self.rising(folder), "stopped")
        program.key("m")  # review: words with passes below the review count are not due
        program.key("Return")
        self.assertFalse(self.rising(folder), "nothing due for review")
        program.key("m")
        program.key("Return")
        self.assertTrue(self.rising(folder), "learning again")

    def test_another_program_becoming_active_hides_and_pauses(self):
        folder = self.fast_folder()
        program, window = self.start_shown(folder)
        self.running(folder, program)
        other, other_window = self.display.other_program()
        self.addCleanup(lambda: (other.kill(), other.wait()))
        self.display.click(other_window, 10, 10)  # the learner turns to the other program
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5), program.describe())
        time.sleep(0.3)
        self.assertFalse(self.rising(folder), "paused")

    def test_hotkey_hides_and_shows_the_window(self):
        program, window = self.start_shown(self.folder(speak=False))
        program.key("shift+grave")
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5), "hidden")
        program.key("shift+grave")
        self.assertTrue(wait_for(lambda: window in program.visible_windows(), 5), "shown again")
        self.assertTrue(wait_for(lambda: self.display.active_window() == window, 5), "and active")

    def test_the_backdrop_lies_under_the_window_and_a_click_on_it_hides_both(self):
        folder = self.folder(speak=False)
        folder.sql("update CONFIG set NUMBEREX = 1 where SEQUENCE = ?", (USE_DESKTOP,))
        program, window = self.start_shown(folder)

        def backdrop():
            for w in program.visible_windows():
                g = self.display.geometry(w)
                if w != window and g and g[2] >= 1000:
                    return w
            return None
        shown = wait_for(backdrop, 5)
        self.assertIsNotNone(shown, program.describe())
        stack = self.display.stacking()
        self.assertLess(stack.index(shown), stack.index(window), "the word window lies above")
        self.display.click(shown, 20, 500)
        self.assertTrue(wait_for(lambda: not {window, shown} & set(program.visible_windows()), 5), "both hidden")

    def test_dragging_moves_the_window_and_keeps_it(self):
        folder = self.folder(speak=False)
        program, window = self.start_shown(folder)
        x, y, _, _ = self.display.geometry(window)
        self.display.xdotool("mousemove", "--window", window, "200", "100")
        self.display.xdotool("mousedown", "1")
        for _ in range(10):
            self.display.xdotool("mousemove_relative", "--", "6", "4")
            time.sleep(0.03)
        self.display.xdotool("mouseup", "1")
        self.assertTrue(wait_for(lambda: self.display.geometry(window)[:2] != (x, y), 5), "moved")
        time.sleep(0.5)
        self.assertIn(window, program.visible_windows())
        program.key("Return")  # the keyboard stays with the window
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 5))


class Tray(EndToEnd):
    tray = True
    focus_new = False  # a desktop that does not hand the focus to a window shown

    def test_a_double_click_shows_nothing_a_single_click_the_window_with_the_keyboard(self):
        folder = self.folder(speak=False)
        program, window = self.start_shown(folder)
        icon = self.tray_icon(program, window)
        other, other_window = self.display.other_program()
        self.addCleanup(lambda: (other.kill(), other.wait()))
        self.display.click(other_window, 10, 10)  # another program is active: the window goes
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5))
        self.display.click(icon, 5, 5, repeat=2)
        time.sleep(1.5)
        self.assertNotIn(window, program.visible_windows(), "a double click shows nothing")
        self.display.click(icon, 5, 5)
        self.assertTrue(wait_for(lambda: window in program.visible_windows(), 5), "shown after the click")
        # The program, not the test, gives the window the keyboard (its activation request and
        # its focus click).
        self.assertTrue(wait_for(lambda: self.display.active_window() == window, 5), program.describe())
        program.key("Return")
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 5), "Enter reaches the window")

    def test_exit_in_the_tray_menu_ends_the_program(self):
        program, window = self.start_shown(self.folder(speak=False))
        icon = self.tray_icon(program, window)
        self.display.click(icon, 5, 5, button=3)
        menu = wait_for(lambda: [w for w in program.visible_windows()
                                 if w not in (window, icon) and (self.display.geometry(w) or (0, 0, 0, 0))[3] > 60], 5)
        self.assertTrue(menu, "the menu opens; " + program.describe())
        program.key("Up")  # the last item: 退出
        program.key("Return")
        self.assertEqual(program.ended(), 0, program.describe())


if __name__ == "__main__":
    unittest.main(verbosity=2)
