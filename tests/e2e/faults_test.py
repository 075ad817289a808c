#!/usr/bin/python3
"""End-to-end fault tests: the real program reciting while another program holds its database,
while the disk is full or the file is made read-only, and killed while it writes. Each checks that
nothing the learner did is lost and that the program goes on.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import os
import signal
import sqlite3
import subprocess
import tempfile
import time
import unittest

from desktop import BIN, Display, EndToEnd, wait_for

WORD_NUM = 1
RECITE_TIME = 7
TRANSLATE_TIME = 8


def fast(folder):
    """A pass every two ticks of 100 ms, so passes are written all the time."""
    folder.sql("update CONFIG set NUMBEREX = 1 where SEQUENCE in (?, ?)", (RECITE_TIME, TRANSLATE_TIME))
    return folder


class Faults(EndToEnd):
    tray = True

    def reciting(self, folder):
        program, window = self.start_shown(folder)
        program.key("Return")
        self.assertTrue(wait_for(lambda: self.passes(folder) > 0, 10), program.describe())
        return program, window

    def pace(self, folder, seconds=2.0):
        """Passes written per second while nothing stands in the way."""
        before = self.passes(folder)
        time.sleep(seconds)
        return (self.passes(folder) - before) / seconds

    def error_boxes(self, program, window):
        """The general error boxes on screen (the tray icon bears the program's name too)."""
        return [w for w in program.visible_windows()
                if w != window and " ".join(self.display.xdotool("getwindowname", w)) == "Tavelo"
                and (self.display.geometry(w) or (0, 0, 0, 0))[2] > 100]

    def test_passes_made_while_another_program_holds_the_file_reach_it_afterwards(self):
        folder = fast(self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False))
        program, window = self.reciting(folder)
        pace = self.pace(folder)
        self.assertGreater(pace, 1, program.describe())

        other = sqlite3.connect(folder.db, timeout=10, isolation_level=None)
        self.addCleanup(other.close)
        held = 0.0
        before = self.passes(folder)
        for lock in ("begin", "begin exclusive"):  # a reader, then a writer, each longer than the wait
            started = time.monotonic()
            other.execute(lock)
            other.execute("select count(*) from Recite").fetchall()
            time.sleep(3)
            if lock == "begin":
                self.assertEqual(self.passes(folder), before, "no write gets past a reader")
            other.execute("rollback")
            held += time.monotonic() - started
        self.assertIsNone(program.proc.poll(), program.describe())
        made = pace * held
        self.assertTrue(wait_for(lambda: self.passes(folder) - before >= 0.6 * made, 5),
                        "about %.0f passes were made meanwhile, %d reached the file; %s"
                        % (made, self.passes(folder) - before, program.describe()))
        # The file is free again: another program can take the write lock at once.
        check = sqlite3.connect(folder.db, timeout=1, isolation_level=None)
        check.execute("begin exclusive")
        check.execute("rollback")
        check.close()
        self.assertEqual(self.error_boxes(program, window), [], "a hold of seconds is not worth a message")

    def hold(self, folder):
        """Another program reading the database: every commit of ours waits for it."""
        other = sqlite3.connect(folder.db, isolation_level=None)
        self.addCleanup(other.close)
        other.execute("begin")
        other.execute("select count(*) from Recite").fetchall()
        return other

    def settled(self, folder):
        """Once the pending file is gone and the passes stop changing."""
        pending = os.path.join(folder.dir, "Tavelo.pending")
        last = [None]

        def still():
            now = (os.path.exists(pending), self.passes(folder))
            same = now == last[0] and not now[0]
            last[0] = now
            return same
        return wait_for(still, 15, step=0.5)

    def test_a_held_file_leaves_the_rows_a_free_file_leaves(self):
        rows = []
        for held in (False, True):
            folder = self.folder(words=tuple("甲乙丙丁戊己庚辛"), base_time=100, speak=False)
            for sequence, value in ((WORD_NUM, 3), (TRANSLATE_TIME, 20), (RECITE_TIME, 1)):
                folder.sql("update CONFIG set NUMBEREX = ? where SEQUENCE = ?", (value, sequence))
            program, window = self.start_shown(folder)
            other = self.hold(folder) if held else None
            # Three groups: start each, then know each word at its first showing (2 s alone).
            for _ in range(3 * 4):
                program.key("Return")
                time.sleep(0.8)
            if other is not None:
                self.assertEqual(self.passes(folder), 0, "no write gets past a reader")
                other.execute("rollback")
            self.assertTrue(self.settled(folder), program.describe())
            rows.append(folder.sql("select WORD_ID, ABILITY, WORD_ROUND from Recite order by WORD_ID"))
            program.proc.send_signal(signal.SIGTERM)
            self.assertEqual(program.ended(), 0, program.describe())
        self.assertTrue(all(ability > 0 for _, ability, _ in rows[0]), rows[0])
        self.assertEqual(rows[1], rows[0])

    def test_passes_made_while_the_file_is_held_survive_kill_and_terminate(self):
        for how in (signal.SIGKILL, signal.SIGTERM):
            with self.subTest(signal=how):
                folder = self.logged_folder()
                program, window = self.reciting(folder)
                pace = self.pace(folder)
                before = self.passes(folder)
                other = self.hold(folder)
                started = time.monotonic()
                time.sleep(3)
                program.proc.send_signal(how)
                held = time.monotonic() - started
                code = program.ended()
                if how == signal.SIGTERM:
                    self.assertEqual(code, 0, "ends as the tray menu's exit does; " + program.describe())
                other.execute("rollback")
                self.assertTrue(os.path.exists(os.path.join(folder.dir, "Tavelo.pending")))
                again = self.start(folder)  # makes the kept passes first
                self.assertTrue(self.settled(folder), again.describe())
                again.proc.send_signal(signal.SIGTERM)
                self.assertEqual(again.ended(), 0, again.describe())
                made = self.passes(folder) - before
                self.assertGreater(made, 0.6 * pace * held, "passes made during the hold reach the file")
                self.assert_no_pass_missing(folder)

    def test_passes_made_before_the_display_goes_away_reach_the_file(self):
        folder = self.logged_folder()
        program, window = self.reciting(folder)
        pace = self.pace(folder)
        before = self.passes(folder)
        other = self.hold(folder)  # the last passes are kept outside the file
        started = time.monotonic()
        time.sleep(2)
        self.display.xvfb.terminate()  # as at logout: the server ends, Qt ends the program
        held = time.monotonic() - started
        self.assertIn(program.ended(), (0, 1), "the program ends with its display, not by a crash; "
                      + program.describe())
        other.execute("rollback")
        self.assertTrue(os.path.exists(os.path.join(folder.dir, "Tavelo.pending")), program.describe())
        self.display = Display(tray=True)  # the next session
        self.addCleanup(self.display.close)
        again = self.start(folder)
        self.assertTrue(self.settled(folder), again.describe())
        again.proc.send_signal(signal.SIGTERM)
        self.assertEqual(again.ended(), 0, again.describe())
        self.assertGreater(self.passes(folder) - before, 0.6 * pace * held, "passes made before reach the file")
        self.assert_no_pass_missing(folder)

    def logged_folder(self):
        """Three quick words; every write that reaches the file is logged by the file itself."""
        folder = fast(self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False))
        folder.sql("create table PassLog (WORD_ID integer, ROUND integer)")
        folder.sql("create trigger LogPass after update on Recite begin "
                   "insert into PassLog values (new.WORD_ID, new.WORD_ROUND); end")
        return folder

    def assert_no_pass_missing(self, folder):
        logged = {}
        for word, rounds in set(folder.sql("select WORD_ID, ROUND from PassLog")):
            logged.setdefault(word, []).append(rounds)
        for word, rounds in logged.items():
            self.assertEqual(sorted(rounds), list(range(1, max(rounds) + 1)), "no pass is missing")

    def refuse_and_recover(self, folder, refuse, allow):
        program, window = self.reciting(folder)
        refuse()
        self.addCleanup(allow)
        boxes = wait_for(lambda: self.error_boxes(program, window), 10)
        self.assertEqual(len(boxes), 1, "the learner is told; " + program.describe())
        time.sleep(2)
        self.assertEqual(len(self.error_boxes(program, window)), 1, "and told once")
        self.assertIsNone(program.proc.poll(), program.describe())
        allow()
        before = self.passes(folder)
        self.assertTrue(wait_for(lambda: self.passes(folder) > before + 2, 10),
                        "the kept passes and the new ones reach the file; " + program.describe())
        self.display.xdotool("key", "Return")  # dismisses the message
        self.assertEqual(folder.sql("pragma integrity_check"), [("ok",)])

    def test_a_full_disk_is_told_once_and_nothing_is_lost(self):
        mount = tempfile.mkdtemp(prefix="tavelo-full-")
        self.addCleanup(os.rmdir, mount)
        # Room for the program and its database, and little more.
        size = sum(os.path.getsize(os.path.join(BIN, n)) for n in ("tavelo", "tavelo-admin", "libPlayer.so"))
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % (size // 1024 + 4096), "tmpfs", mount],
                          capture_output=True).returncode != 0:
            self.skipTest("mounting a small file system needs root")
        self.addCleanup(lambda: subprocess.run(["umount", "-l", mount]))
        folder = fast(self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False, under=mount))
        filler = os.path.join(mount, "filler")

        def fill():
            with open(filler, "wb", buffering=0) as f:
                try:
                    while True:
                        f.write(b"\0" * 65536)
                except OSError:
                    pass  # full

        def free():
            if os.path.exists(filler):
                os.remove(filler)
        self.refuse_and_recover(folder, fill, free)

    def test_a_file_made_read_only_is_told_once_and_nothing_is_lost(self):
        folder = fast(self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False))
        if subprocess.run(["chattr", "+i", folder.db], capture_output=True).returncode != 0:
            self.skipTest("chattr +i is not allowed here")
        subprocess.run(["chattr", "-i", folder.db], check=True)
        self.refuse_and_recover(folder, lambda: subprocess.run(["chattr", "+i", folder.db], check=True),
                                lambda: subprocess.run(["chattr", "-i", folder.db]))

    def test_a_damaged_database_is_refused_at_start_and_left_as_it_is(self):
        folder = self.folder(words=tuple("甲乙丙丁戊己庚辛壬癸"), speak=False)
        with open(folder.db, "r+b") as f:
            size = f.seek(0, 2)
            for page in range(1, size // 4096, 2):  # every other page after the first
                f.seek(page * 4096 + 100)
                f.write(b"\xa5" * 3000)
        with open(folder.db, "rb") as f:
            damaged = f.read()
        program = self.start(folder)
        box = wait_for(lambda: program.visible_windows(), 10)
        self.assertTrue(box, program.describe())
        self.assertIn("提示", [" ".join(self.display.xdotool("getwindowname", w)) for w in box])
        self.assertIsNone(program.word_window(timeout=1))
        self.display.xdotool("key", "Return")
        self.assertEqual(program.proc.wait(10), 1)
        with open(folder.db, "rb") as f:
            self.assertEqual(f.read(), damaged, "the file is untouched")

    def test_killed_while_writing_the_file_stays_whole(self):
        folder = fast(self.folder(words=("甲", "乙", "丙"), base_time=100, speak=False))
        for delay in (0.37, 0.61, 0.83, 1.19):
            program, window = self.reciting(folder)
            time.sleep(delay)
            program.proc.send_signal(signal.SIGKILL)
            program.proc.wait()
            rows = folder.sql("select ABILITY, WORD_ROUND, UPDATE_DATE from Recite")
            self.assertEqual(folder.sql("pragma integrity_check"), [("ok",)])
            for ability, rounds, date in rows:
                # Ability and date change together with the pass count, or not at all.
                self.assertTrue(rounds >= 0 and ability >= 0 and date is not None, rows)
        self.assertGreater(self.passes(folder), 4)


if __name__ == "__main__":
    unittest.main(verbosity=2)
