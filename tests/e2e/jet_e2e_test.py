#!/usr/bin/python3
"""End to end: an Access (Jet 4) Tavelo.mdb beside the program, as a learner brings it from
Windows, is offered for conversion at start.

Arguments come from the environment: TAVELO_BIN (the build's bin folder), TAVELO_JET_FIXTURES
(the folder holding tavelo-jet4.mdb)."""
import os
import shutil
import sqlite3
import unittest

from desktop import EndToEnd, wait_for

FIXTURE = os.path.join(os.environ.get("TAVELO_JET_FIXTURES", "../shared/fixtures"), "tavelo-jet4.mdb")


def fixture_bytes():
    with open(FIXTURE, "rb") as f:
        return f.read()


class JetConversion(EndToEnd):
    def offered(self):
        """The program started on the Access file, with its question on screen."""
        folder = self.folder(with_database=False)
        shutil.copyfile(FIXTURE, folder.db)
        program = self.start(folder)
        box = wait_for(lambda: [w for w in program.visible_windows()
                                if " ".join(self.display.xdotool("getwindowname", w)) == "提示"], 20)
        self.assertTrue(box, "the conversion is offered; " + program.describe())
        self.assertIsNone(program.word_window(timeout=0.5))
        return folder, program

    def test_yes_converts_and_a_group_starts_from_the_imported_progress(self):
        folder, program = self.offered()
        program.key("Return")  # 确定: convert
        window = program.word_window(timeout=30)
        self.assertIsNotNone(window, program.describe())
        self.assertEqual(folder.file("Tavelo-Access.mdb"), fixture_bytes(),
                         "the Access file is kept beside it, as it was")
        learners = folder.sql("select ID, NAME from USERS where ID >= 100 order by ID")
        self.assertEqual(learners, [(100, "张伟"), (101, "李小红")])
        before = folder.sql("select USER_ID, sum(WORD_ROUND) from Recite group by USER_ID")
        self.assertEqual(folder.sql("select count(*) from Recite where WORD_ROUND > 0"), [(10,)],
                         "the imported progress")
        program.close()
        # The fixture keeps only a few of a learner's settings; a real one keeps them all. The
        # rest come from a new database's start values, with a fast pace.
        seed = self.folder(speak=False)
        with sqlite3.connect(folder.db) as c:
            c.execute("attach ? as seed", (seed.db,))
            c.execute("insert into CONFIG select 100, SEQUENCE, NUMBEREX, CHOICE from seed.CONFIG "
                      "where USERID = 100 and SEQUENCE not in "
                      "(select SEQUENCE from main.CONFIG where USERID = 100)")
            c.execute("update CONFIG set NUMBEREX = 1 where USERID = 100 and SEQUENCE in (7, 8)")
        program, window = self.start_shown(folder)
        program.key("Return")  # starts a group
        after = wait_for(lambda: [r for r in folder.sql(
            "select USER_ID, sum(WORD_ROUND) from Recite group by USER_ID") if r not in before], 20)
        self.assertEqual([r[0] for r in after], [100],
                         "the group writes its passes into the imported progress; " + program.describe())

    def test_no_ends_the_program_and_leaves_the_file_as_it_was(self):
        folder, program = self.offered()
        program.key("Escape")  # 取消
        self.assertEqual(program.ended(), 0, program.describe())
        self.assertEqual(folder.file("Tavelo.mdb"), fixture_bytes())
        self.assertEqual(sorted(n for n in os.listdir(folder.dir) if not n.startswith("output-")),
                         ["Tavelo.mdb", "libPlayer.so", "tavelo", "tavelo-admin"])


if __name__ == "__main__":
    unittest.main()
