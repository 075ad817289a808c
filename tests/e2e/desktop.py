"""What the end-to-end tests share: a private X server with a window manager and a tray, a program
folder with a database made for the test, and the real program started in it. Nothing here forces
the keyboard focus: the program gets it the way it does on a learner's desktop.

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
    """A private X server for one test, with a window manager (openbox) as on a learner's desktop
    and optionally an XEmbed tray (trayer)."""

    def __init__(self, tray=False, wm=True, focus_new=True):
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
        # A session bus of its own: the program finds exactly the desktop services a test puts there.
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.stdout.readline().strip()
        self.wm = None
        if wm:
            command = ["openbox", "--sm-disable"]
            if not focus_new:
                # A desktop that keeps the focus where it is when a window appears (focus
                # stealing prevention): only a click gives a newly shown window the keyboard.
                with open("/etc/xdg/openbox/rc.xml", encoding="utf-8") as f:
                    rc = f.read().replace("<focusNew>yes</focusNew>", "<focusNew>no</focusNew>")
                config = os.path.join(self.runtime, "rc.xml")
                with open(config, "w", encoding="utf-8") as f:
                    f.write(rc)
                command += ["--config-file", config]
            self.wm = subprocess.Popen(command, env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # The window manager owns the screen once it holds the WM_S0 selection.
            wait_for(lambda: subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                            capture_output=True, text=True).stdout.count("window id") > 0, 20)
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

    def active_window(self):
        active = self.xdotool("getactivewindow")
        return active[0] if active else None

    def stacking(self):
        """Client windows from the bottom to the top, as the window manager stacks them."""
        out = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], env=self.env,
                             capture_output=True, text=True).stdout
        return [str(int(w.strip(), 16)) for w in out.split("#")[-1].split(",") if w.strip().startswith("0x")]

    def geometry(self, window):
        """(x, y, width, height) of a window."""
        out = " ".join(self.xdotool("getwindowgeometry", window))
        if "Position:" not in out:
            return None
        x, y = out.split("Position:")[1].split()[0].split(",")
        w, h = out.split("Geometry:")[1].split()[0].split("x")
        return int(x), int(y), int(w), int(h)

    def click(self, window, x, y, button=1, repeat=1):
        """A real click of the pointer at a point of a window."""
        self.xdotool("mousemove", "--window", window, str(x), str(y))
        time.sleep(0.05)
        self.xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))

    def other_program(self, title="other"):
        """Another program's window, which the window manager makes the active one."""
        title = "%s-%d" % (title, time.monotonic_ns())
        p = subprocess.Popen(["xmessage", "-title", title, "-geometry", "+40+600", "another program"], env=self.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name", title), 10)
        return p, (window[0] if window else None)

    def close(self):
        for p in (self.tray, self.wm, self.bus, self.xvfb):
            if p is not None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.runtime, ignore_errors=True)


class ProgramFolder:
    """A copy of the program with a database made for the test."""

    def __init__(self, words=("你",), with_database=True, base_time=500, speak=True, under=None):
        self.dir = tempfile.mkdtemp(prefix="tavelo-e2e-", dir=under)
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
        if not speak:
            return
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

    def ended(self, timeout=30):
        """The exit code once the program has ended (a sanitizer build takes its time), else None."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

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
    focus_new = True

    def setUp(self):
        self.display = Display(tray=self.tray, focus_new=self.focus_new)
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
        """The program with its word window on screen and active: its own focus click gave it the
        keyboard (nothing here forces the focus)."""
        program = self.start(folder, **kw)
        window = program.word_window()
        self.assertIsNotNone(window, program.describe())
        time.sleep(0.8)  # the focus click comes 500 ms after the window
        self.assertTrue(wait_for(lambda: self.display.active_window() == window, 5),
                        "the word window is the active one; " + program.describe())
        return program, window

    def tray_icon(self, program, window):
        """The program's icon in the tray: its small window."""
        def icon():
            for w in program.windows():
                g = self.display.geometry(w)
                if w != window and g and 8 <= g[2] <= 64 and 8 <= g[3] <= 64:
                    return w
            return None
        found = wait_for(icon, 20)
        self.assertIsNotNone(found, "the icon sits in the tray; " + program.describe())
        return found

    def passes(self, folder):
        return sum(r[0] for r in folder.sql("select WORD_ROUND from Recite"))
