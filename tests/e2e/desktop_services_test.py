#!/usr/bin/python3
"""The ways back to the program on any desktop: the hotkey on any layout, a second start, and fakes
of the shortcut portal and a StatusNotifierItem watcher on the test's private session bus."""
import ctypes
import json
import os
import signal
import subprocess
import sys
import time
import unittest

import dbus

from desktop import EndToEnd, wait_for


class Xlib:
    """Another client of the test's X server, through libX11 itself."""

    def __init__(self, test):
        self.x, self.xtst = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        self.x.XOpenDisplay.restype = self.x.XDefaultRootWindow.restype = ctypes.c_void_p
        self.d = ctypes.c_void_p(self.x.XOpenDisplay(test.display.name.encode()))
        test.addCleanup(self.x.XCloseDisplay, self.d)
        self.key = self.x.XKeysymToKeycode(self.d, ctypes.c_ulong(0x60))  # left of 1: grave on the US layout

    def german(self):
        # German's dead_circumflex, degree: no key gives grave. Core keymap: Xvfb drops a setxkbmap.
        self.x.XChangeKeyboardMapping(self.d, self.key, 2, (ctypes.c_ulong * 2)(0xfe52, 0xb0), 1)
        self.x.XSync(self.d, 0)
        time.sleep(0.5)  # the program claims the key again once the change has settled

    def grab(self):
        self.x.XGrabKey(self.d, self.key, 1, ctypes.c_void_p(self.x.XDefaultRootWindow(self.d)), 0, 1, 1)
        self.x.XSync(self.d, 0)

    def press_shift_and_key(self):  # the physical keys; XTEST input brings back the US keymap
        shift = self.x.XKeysymToKeycode(self.d, ctypes.c_ulong(0xffe1))
        for code, down in ((shift, 1), (self.key, 1), (self.key, 0), (shift, 0)):
            self.xtst.XTestFakeKeyEvent(self.d, code, down, ctypes.c_ulong(0))
            self.x.XSync(self.d, 0)
            time.sleep(0.03)


class DesktopTest(EndToEnd):
    def boxes(self, program):
        return [w for w in program.visible_windows() if self.display.xdotool("getwindowname", w) == ["提示"]]

    def toggles(self, program, window, press):
        for visible in (False, True):
            press()
            self.assertTrue(wait_for(lambda: (window in program.visible_windows()) == visible, 5), program.describe())
            time.sleep(0.5)  # a learner's next press: the program's deactivation has come in by then

    def fake(self, service):  # the fake desktop service, and its calls so far
        proc = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(__file__), "fake_desktop.py"), service],
                                env=self.display.env, stdout=subprocess.PIPE, text=True)
        self.addCleanup(proc.wait)
        self.addCleanup(proc.kill)
        os.set_blocking(proc.stdout.fileno(), False)
        calls = []

        def read():
            calls.extend(json.loads(line) for line in proc.stdout)
            return [c for c in calls if c["call"] != "ready"]
        self.assertTrue(wait_for(lambda: read() is not None and calls, 10))
        return proc, read


class Hotkey(DesktopTest):
    def test_the_key_left_of_one_on_a_german_layout_set_before_and_switched_while_running(self):
        xlib = Xlib(self)
        xlib.german()
        program, window = self.start_shown(self.folder(speak=False))
        self.toggles(program, window, xlib.press_shift_and_key)
        xlib.german()
        self.toggles(program, window, xlib.press_shift_and_key)
        self.assertEqual(self.boxes(program), [])

    def test_a_key_held_by_another_client_is_told_once(self):
        xlib = Xlib(self)
        xlib.grab()
        program = self.start(self.folder(speak=False))
        box = wait_for(lambda: self.boxes(program), 20)
        self.assertTrue(len(box or []) == 1 and wait_for(lambda: self.display.active_window() in box, 5))
        self.display.xdotool("key", "Return")
        xlib.german()  # the key is claimed again, and refused again: nothing more is said
        time.sleep(1.0)
        self.assertEqual(self.boxes(program), [], "told once")
        self.assertIsNotNone(program.word_window(timeout=1), program.describe())


class SecondStart(DesktopTest):
    def test_a_second_start_shows_the_hidden_window_and_ends(self):
        folder = self.folder(speak=False)
        program, window = self.start_shown(folder)
        self.toggles(program, window, lambda: program.key("Escape") if window in program.visible_windows()
                     else self.assertEqual(self.start(folder, cwd="/").ended(10), 0))
        self.assertTrue(wait_for(lambda: self.display.active_window() == window, 5), "and active")

    def test_a_running_copy_that_does_not_answer_is_reported(self):
        folder = self.folder(speak=False)
        program, window = self.start_shown(folder)
        os.kill(program.proc.pid, signal.SIGSTOP)
        self.addCleanup(os.kill, program.proc.pid, signal.SIGCONT)
        second = self.start(folder)
        box = wait_for(lambda: self.boxes(second), 10)
        self.assertTrue(box and wait_for(lambda: self.display.active_window() in box, 5), second.describe())
        self.display.xdotool("key", "Return")
        self.assertEqual(second.ended(10), 1, second.describe())


class Portal(DesktopTest):
    def test_the_portal_binds_one_shortcut_whose_activation_shows_and_hides_the_window(self):
        portal, calls = self.fake("portal")
        program, window = self.start_shown(self.folder(speak=False))
        self.assertTrue(wait_for(lambda: len(calls()) == 2, 10), calls())
        (created, bound), [[_, properties]] = calls(), calls()[1]["shortcuts"]
        self.assertEqual((created["call"], bound["call"], bound["session"], properties["preferred_trigger"]),
                         ("CreateSession", "BindShortcuts", created["session"], "SHIFT+grave"))
        program.key("shift+grave")  # no X11 grab beside the portal's binding
        time.sleep(0.5)
        self.assertIn(window, program.visible_windows())
        self.toggles(program, window, lambda: portal.send_signal(signal.SIGUSR1))


class StatusNotifier(DesktopTest):
    def test_the_item_registers_and_exports_the_tray_menu(self):
        _, calls = self.fake("watcher")
        program = self.start(self.folder(speak=False))
        registered = wait_for(calls, 20)
        self.assertEqual(len(registered or []), 1, program.describe())
        bus, service = dbus.bus.BusConnection(self.display.env["DBUS_SESSION_BUS_ADDRESS"]), registered[0]["service"]
        menu = bus.get_object(service, "/StatusNotifierItem").Get(
            "org.kde.StatusNotifierItem", "Menu", dbus_interface="org.freedesktop.DBus.Properties")
        _, (_, _, children) = bus.get_object(service, menu).GetLayout(0, -1, [], dbus_interface="com.canonical.dbusmenu")
        items = [(p.get("label", ""), p.get("type", "standard"), p.get("enabled", True) if p.get("visible", True)
                  else "hidden") for _, p, _ in children]
        sep = ("", "separator", True)
        self.assertEqual(items, [("背词", "standard", True), sep, ("设置", "standard", True), ("学习统计", "standard", True),
                                 ("打印", "standard", "hidden"), sep, ("网站", "standard", True), sep,
                                 ("退出", "standard", True)])


if __name__ == "__main__":
    unittest.main()
