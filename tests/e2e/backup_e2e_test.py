#!/usr/bin/python3
"""End-to-end: the program's daily copy of its database, under a window manager and a tray.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import os
import re
import shutil
import sqlite3
import subprocess
import tempfile
import time
import unittest

from desktop import EndToEnd, wait_for

TABLES = ("USERS", "CONFIG", "BookStore", "Book", "UserBooks", "Recite")
COPY_NAME = re.compile(r"^Tavelo-\d{8}-\d{6}\.mdb$")


def rows(path):
    with sqlite3.connect("file:%s?mode=ro" % path, uri=True) as c:
        return {t: c.execute("select * from %s order by rowid" % t).fetchall() for t in TABLES}


class Backup(EndToEnd):
    tray = True

    def copies(self, folder):
        backups = os.path.join(folder.dir, "backups")
        return sorted(os.listdir(backups)) if os.path.isdir(backups) else []

    def test_one_copy_a_day_that_equals_the_database(self):
        folder = self.folder(speak=False)
        program, _ = self.start_shown(folder)
        self.assertTrue(wait_for(lambda: self.copies(folder), 20), program.describe())
        names = self.copies(folder)
        self.assertEqual(len(names), 1, names)
        self.assertRegex(names[0], COPY_NAME)
        copy = os.path.join(folder.dir, "backups", names[0])
        with sqlite3.connect("file:%s?mode=ro" % copy, uri=True) as c:
            self.assertEqual(c.execute("pragma integrity_check").fetchall(), [("ok",)])
        self.assertEqual(rows(copy), rows(folder.db))
        self.assertGreater(len(rows(copy)["Book"]), 0)

        # While the program runs a restore is refused, and the database stays as it is.
        with open(folder.db, "rb") as f:
            before = f.read()
        # So it is from another session, user or cron job: no runtime folder, or another one.
        elsewhere = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, elsewhere, True)
        without = {k: v for k, v in self.display.env.items() if k != "XDG_RUNTIME_DIR"}
        for env in (self.display.env, without, dict(self.display.env, XDG_RUNTIME_DIR=elsewhere)):
            refused = subprocess.run([os.path.join(folder.dir, "tavelo-admin"), "--db", folder.db, "restore", copy],
                                     env=env, capture_output=True, text=True)
            self.assertEqual(refused.returncode, 1, refused.stdout + refused.stderr)
            self.assertIn("Tavelo", refused.stderr)
            with open(folder.db, "rb") as f:
                self.assertEqual(f.read(), before)
        program.close()

        # A second start the same day adds none.
        again, _ = self.start_shown(folder)
        time.sleep(3)
        self.assertIsNone(again.proc.poll(), again.describe())
        self.assertEqual(self.copies(folder), names)

    def test_a_failed_copy_at_start_is_shown_above_the_word_window(self):
        folder = self.folder(speak=False)
        with open(os.path.join(folder.dir, "backups"), "w") as f:
            f.write("a file where the folder of the copies belongs")
        program = self.start(folder)
        window = program.word_window()
        self.assertIsNotNone(window, program.describe())
        box = wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^提示$"), 20)
        self.assertTrue(box, program.describe())
        time.sleep(1)  # past the word window's focus click
        stack = self.display.stacking()
        self.assertGreater(stack.index(box[0]), stack.index(window), "the box lies above the word window")
        self.assertEqual(self.display.active_window(), box[0], "and has the keyboard")
        program.key("Return")
        self.assertTrue(wait_for(lambda: not self.display.xdotool("search", "--onlyvisible", "--name", "^提示$"), 5))
        self.assertEqual(self.passes(folder), 0, "the Enter went to the box, not to a word")


if __name__ == "__main__":
    unittest.main()
