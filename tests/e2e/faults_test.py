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

from desktop import BIN, EndToEnd, wait_for

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
