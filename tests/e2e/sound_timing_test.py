#!/usr/bin/python3
"""The spoken word in step with the text: under Xvfb with openbox and a private PulseAudio server
whose null sink is recorded (parec on its monitor), the time each word's translation is painted
(X DAMAGE on the word window) is compared with the time the word's recording begins in the
captured sound, found by cross-correlation with the recording decoded by lame. Also the resident
size of the program while it recites.

Needs python3-xlib and python3-numpy (Debian's /usr/bin/python3), pulseaudio and parec. Prints the
figures; TAVELO_SOUND_REPORT names a file to append them to. Under TAVELO_SANITIZED the timing and
the size are reported, not checked."""
import os
import select
import statistics
import subprocess
import tempfile
import threading
import time
import unittest
import wave

import numpy as np
from Xlib import display as xdisplay
from Xlib.ext import damage

from desktop import EndToEnd, wait_for

TRANSLATE_TIME, RECITE_TIME = 8, 7  # CONFIG rows by SEQUENCE
RATE = 48000
CHUNK = RATE // 100  # samples per 10 ms read from the recorder
WORDS = ("一", "二", "三", "四", "五", "六")
SPOKEN = 24  # answer phases measured


class Recorder(threading.Thread):
    """parec on the null sink's monitor; every 10 ms chunk stamped on arrival."""

    def __init__(self, env):
        super().__init__(daemon=True)
        self.proc = subprocess.Popen(["parec", "--device=nullsink.monitor", "--raw", "--format=s16le",
                                      "--channels=1", "--rate=%d" % RATE, "--latency-msec=10"],
                                     env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.chunks = []

    def run(self):
        pending = b""
        while True:
            data = self.proc.stdout.read1(CHUNK * 2)
            if not data:
                return
            pending += data
            while len(pending) >= CHUNK * 2:
                self.chunks.append((time.monotonic(), pending[:CHUNK * 2]))
                pending = pending[CHUNK * 2:]

    def samples(self):
        """The capture as floats, and the monotonic time of its sample 0: the chunk that came
        least late bounds it."""
        pcm = np.frombuffer(b"".join(c for _, c in self.chunks), dtype="<i2").astype(np.float64)
        start = min(t - (i + 1) * CHUNK / RATE for i, (t, _) in enumerate(self.chunks))
        return pcm, start

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)
        self.proc.stdout.close()


class Paints(threading.Thread):
    """DAMAGE events of one window, stamped on arrival, grouped into paints (bursts)."""

    def __init__(self, name, window):
        super().__init__(daemon=True)
        self.d = xdisplay.Display(name)
        self.d.damage_query_version()
        self.d.create_resource_object("window", int(window)).damage_create(damage.DamageReportRawRectangles)
        self.d.flush()
        self.stamps = []
        self.running = True

    def run(self):
        first = True
        while self.running:
            if not self.d.pending_events() and not select.select([self.d.fileno()], [], [], 0.05)[0]:
                continue
            now = time.monotonic()
            event = self.d.next_event()
            if event.type == self.d.extension_event.DamageNotify:
                if first:  # the whole window, reported when the damage object is made
                    first = False
                else:
                    self.stamps.append(now)

    def paints(self):
        bursts = []
        for t in self.stamps:
            if not bursts or t - bursts[-1][-1] > 0.03:
                bursts.append([t])
            else:
                bursts[-1].append(t)
        return [b[0] for b in bursts]


def decoded(mp3):
    """A recording as the listener hears it, at the capture's rate."""
    with tempfile.TemporaryDirectory() as d:
        wav = os.path.join(d, "x.wav")
        subprocess.run(["lame", "--quiet", "--decode", mp3, wav], check=True)
        with wave.open(wav) as w:
            rate, channels = w.getframerate(), w.getnchannels()
            x = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
    x = x.reshape(-1, channels).mean(axis=1)
    return np.interp(np.arange(0, len(x) * RATE / rate) * rate / RATE, np.arange(len(x)), x)


def best_match(segment, reference):
    """(offset, normalised correlation) where reference lies best in segment."""
    n = len(segment) + len(reference)
    size = 1 << (n - 1).bit_length()
    corr = np.fft.irfft(np.fft.rfft(segment, size) * np.conj(np.fft.rfft(reference, size)), size)
    corr = corr[:len(segment) - len(reference) + 1]
    energy = np.concatenate(([0.0], np.cumsum(segment ** 2)))
    window = energy[len(reference):] - energy[:-len(reference)]
    norm = corr / np.sqrt(np.maximum(window, 1e-9) * np.sum(reference ** 2))
    k = int(np.argmax(norm))
    return k, float(norm[k])


def resident_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


class SoundTiming(EndToEnd):
    def setUp(self):
        super().setUp()
        env = self.display.env
        subprocess.run(["pulseaudio", "-D", "-n", "--exit-idle-time=-1",
                        "--load=module-null-sink sink_name=nullsink",
                        "--load=module-native-protocol-unix"], env=env, check=True)
        pid_file = os.path.join(env["XDG_RUNTIME_DIR"], "pulse", "pid")
        self.assertTrue(wait_for(lambda: os.path.exists(pid_file), 5))
        with open(pid_file) as f:
            daemon = int(f.read())
        self.addCleanup(lambda: os.kill(daemon, 9))

    def test_the_word_is_heard_as_its_translation_is_painted(self):
        folder = self.folder(words=WORDS, base_time=100)
        for sequence, value in ((TRANSLATE_TIME, 5), (RECITE_TIME, 12)):
            folder.sql("update CONFIG set NUMBEREX = ? where SEQUENCE = ?", (value, sequence))
        references = []
        for w in WORDS:
            path = os.path.join(folder.dir, "ref.mp3")
            with open(path, "wb") as f:
                f.write(folder.recordings[w])
            references.append(decoded(path))
        recorder = Recorder(self.display.env)
        recorder.start()
        self.addCleanup(recorder.stop)
        program, window = self.start_shown(folder)
        paints = Paints(self.display.name, window)
        paints.start()
        time.sleep(0.3)
        program.key("Return")
        # Word 0.5 s, answer 1.2 s: each recording ends before the next word is painted.
        time.sleep(SPOKEN * 1.7 + 2.0)
        rss = resident_mb(program.proc.pid)
        paints.running = False
        paints.join(2)
        pcm, start = recorder.samples()
        painted = paints.paints()

        # Each spoken word is a burst of sound after silence (a recording ends before the next
        # word is painted); where it lies, the recording that matches it best tells when its
        # first sample came.
        lags = []  # (paint, time of the recording's first sample, correlation)
        loud = np.sqrt(np.mean(pcm[:len(pcm) // CHUNK * CHUNK].reshape(-1, CHUNK) ** 2, axis=1)) > 300
        for c in np.flatnonzero(loud[20:] & ~np.convolve(loud, np.ones(20), "full")[19:-20].astype(bool)) + 20:
            first = (c - 30) * CHUNK
            segment = pcm[first:first + int(1.6 * RATE)]
            if first < 0 or len(segment) < 1.6 * RATE:
                continue
            k, score = max((best_match(segment, r) for r in references), key=lambda m: m[1])
            at = start + (first + k) / RATE
            lags.append((min(painted, key=lambda p: abs(at - p)), at, score))
        ms = [1000 * (at - p) for p, at, _ in lags]
        report = ("sound after paint: %d words, median %.1f ms, worst %.1f ms, best %.1f ms; "
                  "correlation lowest %.3f; resident %.1f MB"
                  % (len(ms), statistics.median(ms) if ms else -1, max(ms, default=-1), min(ms, default=-1),
                     min((s for _, _, s in lags), default=0), rss))
        print("\n" + report + "\n  " + " ".join("%.0f" % m for m in ms))
        if os.environ.get("TAVELO_SOUND_REPORT"):
            with open(os.environ["TAVELO_SOUND_REPORT"], "a") as f:
                f.write(report + "\n")
        self.assertGreaterEqual(len(ms), 20, report)
        self.assertGreater(min(s for _, _, s in lags), 0.8, "the captured sound is the recording; " + report)
        if os.environ.get("TAVELO_SANITIZED"):
            return  # a sanitized program is slower and several times larger: only reported
        self.assertLessEqual(statistics.median(ms), 50, report)
        self.assertLessEqual(max(ms), 80, report)
        self.assertLess(rss, 60, report)


if __name__ == "__main__":
    unittest.main()
