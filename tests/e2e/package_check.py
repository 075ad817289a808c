"""The Debian package as learners get it: validators on what it installs, then the packaged
program started from an extracted copy whose folders nobody but root may write, as two normal
users under Xvfb with openbox. Usage (as root): package_check.py DEB [SCREENSHOT_DIR]"""
import os
import pwd
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from desktop import Display, wait_for  # noqa: E402

USERS = ("tavelo-learner-a", "tavelo-learner-b")


def run(*command, **kw):
    return subprocess.run(command, check=True, **kw)


def user_home(name):
    try:
        return pwd.getpwnam(name).pw_dir
    except KeyError:
        run("useradd", "--create-home", "--shell", "/bin/sh", name)
        return pwd.getpwnam(name).pw_dir


def start_as(user, root, display, *args):
    """The desktop entry's command, as the user, with a fresh home's environment."""
    home = user_home(user)
    runtime = tempfile.mkdtemp(prefix="tavelo-run-")
    shutil.chown(runtime, user)
    env = {"HOME": home, "USER": user, "PATH": root + "/usr/bin:/usr/bin:/bin", "LC_ALL": "C.UTF-8",
           "DISPLAY": display.name, "XDG_RUNTIME_DIR": runtime}
    return subprocess.Popen(["runuser", "-u", user, "--", "env", "-i",
                             *("%s=%s" % kv for kv in env.items()), root + "/usr/bin/tavelo", *args],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd="/")


def word_window(display, proc, timeout):
    def find():
        for w in display.xdotool("search", "--onlyvisible", "--class", "tavelo"):
            if "461x290" in display.xdotool("getwindowgeometry", w):
                return w
        return None
    return wait_for(lambda: proc.poll() is None and find(), timeout)


def main():
    deb = os.path.abspath(sys.argv[1])
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    failures = []
    root = tempfile.mkdtemp(prefix="tavelo-pkg-")
    os.chmod(root, 0o755)
    run("dpkg-deb", "-x", deb, root)
    share = root + "/usr/share"
    run("desktop-file-validate", share + "/applications/tavelo.desktop")
    # Newer appstream warns that no homepage is named; the project has none to name (the package's
    # lintian overrides say the same). Any other warning or error fails.
    check = subprocess.run(["appstreamcli", "validate", "--no-net", "--no-color",
                            share + "/metainfo/org.tavelo.Tavelo.metainfo.xml"],
                           capture_output=True, text=True)
    findings = [line for line in check.stdout.splitlines() if line.startswith(("W:", "E:"))]
    if check.returncode != 0 and (not findings or any("url-homepage-missing" not in f for f in findings)):
        sys.exit("metainfo does not validate:\n" + check.stdout + check.stderr)
    for size in (16, 32, 48, 64, 128, 256):
        if not os.path.isfile("%s/icons/hicolor/%dx%d/apps/tavelo.png" % (share, size, size)):
            failures.append("no %d px icon" % size)
    # Read-only for the learners, as an installation for everyone is.
    run("chown", "-R", "root:root", root)
    run("chmod", "-R", "go-w", root)

    for option in ("--help", "--version"):
        for program in ("tavelo", "tavelo-admin"):
            p = subprocess.run([root + "/usr/bin/" + program, option], capture_output=True, text=True,
                               env={"PATH": "/usr/bin:/bin"})
            if p.returncode != 0 or not p.stdout:
                failures.append("%s %s: exit %d" % (program, option, p.returncode))

    display = Display()
    try:
        for user in USERS:
            home = user_home(user)
            shutil.rmtree(home + "/.local/share/tavelo", ignore_errors=True)
            began = time.monotonic()
            proc = start_as(user, root, display)
            window = word_window(display, proc, 30)
            if not window:
                proc.kill()
                out, err = proc.communicate()
                failures.append("%s: no word window; %s" % (user, err.decode(errors="replace")[-500:]))
                continue
            print("%s: first start to the word window %.2f s" % (user, time.monotonic() - began))
            data = home + "/.local/share/tavelo"
            with sqlite3.connect("file:%s/Tavelo.mdb?mode=ro" % data, uri=True) as c:
                books = c.execute("select count(*) from BookStore").fetchone()[0]
                owner = pwd.getpwuid(os.stat(data + "/Tavelo.mdb").st_uid).pw_name
            recordings = len(os.listdir(data + "/mp3"))
            print("%s: %s holds %d books, %d recordings" % (user, data, books, recordings))
            if books != 2 or recordings < 400 or owner != user:
                failures.append("%s: demo in %s: %d books, %d recordings, owner %s"
                                % (user, data, books, recordings, owner))
            # The program's own process (runuser and the launcher stand between).
            os.kill(int(display.xdotool("getwindowpid", window)[0]), signal.SIGTERM)
            proc.wait(10)
        # A refused start: the first user's database damaged.
        data = user_home(USERS[0]) + "/.local/share/tavelo"
        with open(data + "/Tavelo.mdb", "r+b") as f:
            f.write(b"not a database")
        proc = start_as(USERS[0], root, display)
        box = wait_for(lambda: display.xdotool("search", "--onlyvisible", "--name", "提示"), 20)
        if shots and box:
            os.makedirs(shots, exist_ok=True)
            xwd = run("xwd", "-root", "-silent", "-display", display.name, capture_output=True).stdout
            run("/usr/bin/convert", "xwd:-", shots + "/refused-start.png", input=xwd)
        display.xdotool("key", "Return")
        code = proc.wait(20)
        err = proc.stderr.read().decode(errors="replace")
        if not box or code == 0 or data not in err:
            failures.append("refused start: box %s, exit %d, stderr %s" % (bool(box), code, err[-300:]))
    finally:
        display.close()
        shutil.rmtree(root, ignore_errors=True)
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
