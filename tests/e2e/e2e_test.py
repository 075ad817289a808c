#!/usr/bin/python3
"""End-to-end tests: the real program in a temporary program folder under Xvfb, driven with
synthesised keys and clicks (xdotool), checked through the database and the files it leaves.

Arguments come from the environment: TAVELO_BIN (the build's bin folder)."""
import os
import shutil
import sqlite3
import subprocess
import tempfile
import time
import unittest

BIN = os.environ.get("TAVELO_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))


def wait_for(predicate, timeout=10.0, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class Display:
    """A private X server (and optionally an XEmbed tray) for one test."""

    def __init__(self, tray=False):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            # -noreset: a server that resets when its last client leaves refuses connections for a
            # moment, and a test that ends one copy of the program and starts the next would hit it.
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        self.name = ":" + number.decode().strip()
        self.runtime = tempfile.mkdtemp(prefix="tavelo-run-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, DISPLAY=self.name, XDG_RUNTIME_DIR=self.runtime,
                        QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.tray = None
        if tray:
            self.tray = subprocess.Popen(
                ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                 "--heighttype", "pixel", "--height", "32", "--SetDockType", "false"],
                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for(lambda: self.xdotool("search", "--class", "trayer"), 20)
            # The window comes before trayer claims the tray selection; give it a moment, or
            # the program may find no notification area yet.
            time.sleep(1.0)

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=20)
        return r.stdout.split() if r.returncode == 0 else []

    def close(self):
        for p in (self.tray, self.xvfb):
            if p is not None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.runtime, ignore_errors=True)


class ProgramFolder:
    """A copy of the program with a database made for the test."""

    def __init__(self, words=("你",), with_database=True, base_time=500):
        self.dir = tempfile.mkdtemp(prefix="tavelo-e2e-")
        for name in ("tavelo", "tavelo-admin", "libPlayer.so"):
            shutil.copy2(os.path.join(BIN, name), self.dir)
        self.db = os.path.join(self.dir, "Tavelo.mdb")
        self.recordings = {}
        if not with_database:
            return
        self.admin("init", "--name", "学员")
        book = os.path.join(self.dir, "book.tsv")
        with open(book, "w", encoding="utf-8") as f:
            f.write("word\tsymbol\ttranslation\texample\n")
            for w in words:
                f.write(f"{w}\tpinyin\ttranslation of {w}\t\n")
        self.admin("import-book", book, "--name", "e2e")
        self.admin("subscribe", "100", "1")
        self.sql("update CONFIG set NUMBEREX = ? where SEQUENCE = 6", (base_time,))
        raw = os.path.join(self.dir, "raw")
        os.mkdir(raw)
        for w in words:
            wav = os.path.join(raw, "x.wav")
            mp3 = os.path.join(raw, w + ".mp3")
            subprocess.run(["espeak-ng", "-v", "cmn", "-w", wav, w], check=True)
            subprocess.run(["lame", "--quiet", wav, mp3], check=True)
            os.remove(wav)
            with open(mp3, "rb") as f:
                self.recordings[w] = f.read()
        self.admin("pack-sound", raw)

    def admin(self, *args):
        subprocess.run([os.path.join(self.dir, "tavelo-admin"), "--db", self.db, *args], check=True,
                       stdout=subprocess.DEVNULL)

    def sql(self, statement, args=()):
        with sqlite3.connect(self.db) as c:
            rows = c.execute(statement, args).fetchall()
        return rows

    def file(self, relative):
        path = os.path.join(self.dir, relative)
        if not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class Program:
    def __init__(self, display, folder, cwd=None):
        self.display = display
        self.log = open(os.path.join(folder.dir, "output-%d.log" % time.monotonic_ns()), "wb")
        self.proc = subprocess.Popen([os.path.join(folder.dir, "tavelo")], env=display.env,
                                     cwd=cwd or tempfile.gettempdir(),
                                     stdout=self.log, stderr=subprocess.STDOUT)

    def windows(self, *extra):
        return self.display.xdotool("search", *extra, "--pid", str(self.proc.pid))

    def visible_windows(self):
        return self.windows("--onlyvisible")

    def describe(self):
        """What became of the program, for a failure message."""
        self.log.flush()
        with open(self.log.name, "rb") as f:
            output = f.read().decode(errors="replace")[-2000:]
        return "exit code %s, windows %s, output:\n%s" % (self.proc.poll(), self.windows(), output)

    def word_window(self, timeout=20):
        """The 461 x 290 word window, once it is mapped."""
        def find():
            for w in self.visible_windows():
                geometry = self.display.xdotool("getwindowgeometry", w)
                if "461x290" in geometry:
                    return w
            return None
        return wait_for(find, timeout)

    def key(self, *keys):
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


class EndToEnd(unittest.TestCase):
    tray = False

    def setUp(self):
        self.display = Display(tray=self.tray)
        self.addCleanup(self.display.close)

    def folder(self, **kw):
        f = ProgramFolder(**kw)
        self.addCleanup(f.close)
        return f

    def start(self, folder, **kw):
        p = Program(self.display, folder, **kw)
        self.addCleanup(p.close)
        return p

    def start_shown(self, folder, **kw):
        """The program with its word window on screen and the focus click done."""
        program = self.start(folder, **kw)
        window = program.word_window()
        self.assertIsNotNone(window, program.describe())
        time.sleep(0.8)  # the focus click lands
        return program, window

    def focus(self, program, window):
        # Keys go to the window under the pointer when no window manager runs.
        self.display.xdotool("mousemove", "--window", window, "230", "140")
        self.display.xdotool("windowfocus", "--sync", window)


class StartUp(EndToEnd):
    def test_missing_database_shows_the_message_and_starts_nothing(self):
        folder = self.folder(with_database=False)
        program = self.start(folder)
        box = wait_for(lambda: program.visible_windows(), 10)
        self.assertTrue(box, "a message box is shown")
        names = [" ".join(self.display.xdotool("getwindowname", w)) for w in box]
        self.assertIn("提示", names)
        self.assertIsNone(program.word_window(timeout=1))
        self.display.xdotool("mousemove", "--window", box[0], "10", "10")
        self.display.xdotool("windowfocus", "--sync", box[0])
        self.display.xdotool("key", "Return")
        self.assertEqual(program.proc.wait(10), 0)
        self.assertFalse(os.path.exists(os.path.join(folder.dir, "temp")), "no window was created")

    def test_second_copy_exits_at_once(self):
        folder = self.folder()
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


class Recitation(EndToEnd):
    def test_enter_starts_speaks_and_marks_known(self):
        folder = self.folder(words=("你",), base_time=500)
        program, window = self.start_shown(folder, cwd="/")
        self.focus(program, window)
        program.key("Return")
        played = wait_for(lambda: folder.file("temp/1.mp3"), 10)
        self.assertEqual(played, folder.recordings["你"], "the first word phase ends spoken")
        program.key("Return")  # known during its first answer phase
        rows = wait_for(lambda: folder.sql("select ABILITY, WORD_ROUND from Recite where ABILITY > 0"), 5)
        self.assertEqual(rows, [(8, 2)], "FirstNum 8; one pass at the start, one now")

    def test_hotkey_hides_and_shows_the_window(self):
        program, window = self.start_shown(self.folder())
        program.key("shift+grave")
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5), "hidden")
        program.key("shift+grave")
        self.assertTrue(wait_for(lambda: window in program.visible_windows(), 5), "shown again")


class Tray(EndToEnd):
    tray = True

    def test_single_click_on_the_tray_icon_shows_the_window(self):
        program, window = self.start_shown(self.folder())
        program.key("shift+grave")
        self.assertTrue(wait_for(lambda: window not in program.visible_windows(), 5))

        def icon():
            for w in program.windows():
                geometry = " ".join(self.display.xdotool("getwindowgeometry", w))
                if w != window and "Geometry:" in geometry:
                    size = geometry.split("Geometry:")[1].split()[0]
                    width, height = (int(v) for v in size.split("x"))
                    if 8 <= width <= 64 and 8 <= height <= 64:
                        return w
            return None
        tray_icon = wait_for(icon, 20)
        self.assertIsNotNone(tray_icon, "the icon sits in the tray; " + program.describe())
        self.display.xdotool("mousemove", "--window", tray_icon, "5", "5")
        self.display.xdotool("click", "1")
        self.assertTrue(wait_for(lambda: window in program.visible_windows(), 5), "shown after the click")


if __name__ == "__main__":
    unittest.main(verbosity=2)
