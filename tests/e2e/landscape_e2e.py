"""Drives the real program in a real window under a private Xvfb.

Each test file builds on `Landscape` (one program run: its own X server, its console read from
pipes, its standard input written through a pipe) and on `TestCase`, and ends with `main()`,
which takes `--binary` and `--build-dir` from the command line that CTest gives it.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

WINDOW_TITLE_PATTERN = r"Landscape \(Quillon\)"
SCREEN = "1024x768x24"
WINDOW_TIMEOUT = 60.0
OUTPUT_TIMEOUT = 60.0
HERE = os.path.dirname(os.path.abspath(__file__))

ARGS = argparse.Namespace(binary=None, build_dir=None)


class Image:
    """An RGB screenshot: pixel(x, y) gives (r, g, b), 0..255."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def pixels(self):
        d = self.data
        for i in range(0, len(d), 3):
            yield d[i], d[i + 1], d[i + 2]

    def is_uniform(self):
        return self.data == self.data[:3] * (len(self.data) // 3)

    def count(self, predicate):
        return sum(1 for p in self.pixels() if predicate(p))

    def differing_pixels(self, other, tolerance=0):
        """How many pixels differ by more than `tolerance` in any channel."""
        a, b = self.data, other.data
        n = 0
        for i in range(0, min(len(a), len(b)), 3):
            if (abs(a[i] - b[i]) > tolerance or abs(a[i + 1] - b[i + 1]) > tolerance
                    or abs(a[i + 2] - b[i + 2]) > tolerance):
                n += 1
        return n

    def save(self, path):
        """Writes the image; the format follows the file name (png needs ImageMagick)."""
        ppm = b"P6\n%d %d\n255\n" % (self.width, self.height) + bytes(self.data)
        if path.endswith(".ppm"):
            with open(path, "wb") as f:
                f.write(ppm)
            return
        subprocess.run(["convert", "ppm:-", path], input=ppm, check=True)


def parse_ppm(blob):
    """Parses a binary P6 image with maxval 255."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            pos = blob.index(b"\n", pos) + 1
            continue
        end = pos
        while not blob[end:end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit P6 image")
    width, height = int(fields[1]), int(fields[2])
    data = blob[pos + 1:pos + 1 + 3 * width * height]
    return Image(width, height, data)


class _PipeReader(threading.Thread):
    """Collects everything a pipe delivers, so the program never blocks on a full pipe."""

    def __init__(self, pipe):
        super().__init__(daemon=True)
        self.pipe = pipe
        self.chunks = []
        self.lock = threading.Lock()

    def run(self):
        for chunk in iter(lambda: os.read(self.pipe.fileno(), 65536), b""):
            with self.lock:
                self.chunks.append(chunk)

    def text(self):
        with self.lock:
            return b"".join(self.chunks).decode("utf-8", "replace")


def _sanitized_build():
    cache = os.path.join(ARGS.build_dir or "", "CMakeCache.txt")
    if not os.path.exists(cache):
        return False
    with open(cache) as f:
        return "LANDSCAPE_SANITIZE:BOOL=ON" in f.read()


def sanitized():
    """True for the sanitized build, whose plans run several times slower."""
    return os.environ.get("LANDSCAPE_SANITIZED") == "1" or _sanitized_build()


def _sanitizer_env(env):
    """Sanitizer settings for a sanitized build; harmless for a normal one."""
    if env.get("LANDSCAPE_SANITIZED") == "1" or sanitized():
        # Full stacks on every malloc (needed to match leak suppressions to Mesa's modules)
        # deadlock inside the JIT of Mesa's llvmpipe; softpipe draws the same picture.
        env.setdefault("GALLIUM_DRIVER", "softpipe")
    supp = os.path.join(HERE, "lsan.supp")
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1:exitcode=23:fast_unwind_on_malloc=0:malloc_context_size=40")
    env.setdefault("LSAN_OPTIONS", "suppressions=%s:print_suppressions=0" % supp)
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
    return env


class Landscape:
    """One run of the program in its own X server. Use as a context manager."""

    def __init__(self, binary=None, workdir=None, extra_env=None, extra_args=(), prefix=()):
        self.binary = binary or ARGS.binary
        self.extra_args = list(extra_args)
        # A command that runs the program, e.g. setpriv to start it as another user.
        self.prefix = list(prefix)
        self.workdir = workdir
        self.extra_env = extra_env or {}
        self.xvfb = None
        self.proc = None
        self.display = None
        self.window = None
        self._own_workdir = None

    # --- life cycle -----------------------------------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        if self.workdir is None:
            self._own_workdir = tempfile.mkdtemp(prefix="landscape-e2e-")
            self.workdir = self._own_workdir
        self._start_xvfb()
        env = _sanitizer_env(dict(os.environ))
        env.update({"DISPLAY": self.display, "LIBGL_ALWAYS_SOFTWARE": "1"})
        env.update(self.extra_env)
        self.proc = subprocess.Popen(self.prefix + [self.binary] + self.extra_args,
                                     cwd=self.workdir, env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self._stdout = _PipeReader(self.proc.stdout)
        self._stderr = _PipeReader(self.proc.stderr)
        self._stdout.start()
        self._stderr.start()
        self.window = self._wait_for_window()
        self.xdotool("windowfocus", "--sync", self.window)

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        # -noreset: by default the server resets when its last client leaves (the readiness
        # probe below), and a program connecting during that reset is refused.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", SCREEN, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not report its display")
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise RuntimeError("Xvfb exited before reporting its display")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()
        # The display number comes before the server always takes clients; wait until one can.
        while subprocess.run(["xdpyinfo", "-display", self.display], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0:
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                raise RuntimeError("Xvfb on %s takes no clients" % self.display)
            time.sleep(0.1)

    def _wait_for_window(self):
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError("program exited with %s before its window appeared;\n%s"
                                     % (self.proc.returncode, self.errors()))
            found = self.xdotool("search", "--onlyvisible", "--name", WINDOW_TITLE_PATTERN,
                                 check=False)
            ids = found.split()
            if ids:
                return ids[0]
            time.sleep(0.1)
        raise AssertionError("no window titled 'Landscape (Quillon)' within %ss" % WINDOW_TIMEOUT)

    def terminate(self, timeout=30):
        """Asks the program to end (SIGTERM) and returns its exit status."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self._stdout.join(5)
        self._stderr.join(5)
        return self.proc.returncode

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.terminate()
        if self.proc is not None:
            for pipe in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
                try:
                    pipe.close()
                except OSError:
                    pass
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        if self._own_workdir:
            shutil.rmtree(self._own_workdir, ignore_errors=True)

    # --- X input ------------------------------------------------------------------------

    def xdotool(self, *args, check=True):
        env = dict(os.environ, DISPLAY=self.display)
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=env,
                                capture_output=True, text=True)
        if check and result.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                          result.stderr))
        return result.stdout

    def key(self, *keys, delay=40):
        """Presses and releases each key in turn (xdotool key names: m, S, bracketright...)."""
        self.xdotool("key", "--delay", delay, *keys)

    def key_down(self, key):
        self.xdotool("keydown", key)

    def key_up(self, key):
        self.xdotool("keyup", key)

    def hold_until_changed(self, key, before, pixels, timeout=60.0):
        """Holds `key` down until the window differs from `before` in more than `pixels` pixels
        or `timeout` seconds pass. A fixed hold can end before a slow (sanitized, loaded) run
        has handled the press, and the release then cancels it unseen."""
        self.key_down(key)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.screenshot().differing_pixels(before) <= pixels:
            pass
        self.key_up(key)

    def redraw(self):
        """Asks for a frame without changing anything: unmapping and mapping the window again
        exposes it, and GLUT answers an expose with a display event. (A key release alone is
        not delivered for a key that was never pressed.)"""
        self.xdotool("windowunmap", "--sync", self.window)
        self.xdotool("windowmap", "--sync", self.window)
        self.xdotool("windowfocus", "--sync", self.window)

    def drag(self, start, end, steps=10, button=1, step_delay=0.02):
        """Drags with `button` from `start` to `end`, window-relative pixels."""
        x0, y0 = start
        x1, y1 = end
        self.xdotool("mousemove", "--window", self.window, x0, y0)
        self.xdotool("mousedown", button)
        for i in range(1, steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            self.xdotool("mousemove", "--window", self.window, x, y)
            time.sleep(step_delay)
        self.xdotool("mouseup", button)

    def geometry(self):
        """(x, y, width, height) of the window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                int(values["HEIGHT"]))

    def screenshot(self):
        """The window's client area as an Image."""
        x, y, w, h = self.geometry()
        env = dict(os.environ, DISPLAY=self.display)
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.display], env=env,
                             capture_output=True, check=True).stdout
        ppm = subprocess.run(["convert", "xwd:-", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                              "+repage", "-depth", "8", "ppm:-"], input=xwd,
                             capture_output=True, check=True).stdout
        return parse_ppm(ppm)

    def settled_screenshot(self, timeout=120.0, interval=0.2):
        """A screenshot once the window shows a drawn frame (not one flat colour, as a freshly
        exposed window is until its frame arrives) and two taken in a row agree."""
        deadline = time.monotonic() + timeout
        previous = self.screenshot()
        while True:
            time.sleep(interval)
            current = self.screenshot()
            if current.data == previous.data and not current.is_uniform():
                return current
            if time.monotonic() > deadline:
                raise AssertionError("the window never showed a settled frame")
            previous = current

    def redrawn_screenshot(self):
        """Asks for a frame and returns it once it is shown."""
        self.redraw()
        return self.settled_screenshot()

    def settled_view(self, timeout=180.0, interval=0.3):
        """A screenshot once the camera has stopped turning: its view follows the target over
        many timer ticks, each drawing while it moves; frames are also asked for `interval`
        seconds (fifteen ticks at 0.3) apart until two agree."""
        previous = self.redrawn_screenshot()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            time.sleep(interval)
            shot = self.redrawn_screenshot()
            if shot.data == previous.data:
                return shot
            previous = shot
        raise AssertionError("the view kept changing for %ss" % timeout)

    # --- console --------------------------------------------------------------------------

    def output(self):
        return self._stdout.text()

    def errors(self):
        return self._stderr.text()

    def mark(self):
        """A position in the console output; wait_for(..., since=mark) looks only after it."""
        return len(self.output())

    def wait_for(self, pattern, since=0, timeout=OUTPUT_TIMEOUT):
        """Waits until the console output after `since` matches the regex `pattern`.
        Returns the match. Fails with what was printed."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        while True:
            text = self.output()[since:]
            match = regex.search(text)
            if match:
                return match
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError(
                    "console never showed %r (exit status %s).\nstdout after mark:\n%s\n"
                    "stderr:\n%s" % (pattern, self.proc.poll(), text[-4000:],
                                     self.errors()[-4000:]))
            time.sleep(0.05)

    def wait_count(self, text, count, since=0, timeout=OUTPUT_TIMEOUT):
        """Waits until `text` has appeared `count` times in the console after `since`."""
        deadline = time.monotonic() + timeout
        while True:
            seen = self.output()[since:].count(text)
            if seen >= count:
                return seen
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("console showed %r %d times, not %d (exit status %s).\n"
                                     "stderr:\n%s" % (text, seen, count, self.proc.poll(),
                                                      self.errors()[-4000:]))
            time.sleep(0.1)

    def write_stdin(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def close_stdin(self):
        self.proc.stdin.close()


class TestCase(unittest.TestCase):
    """Base for end-to-end tests; `launch()` starts a fresh program run."""

    maxDiff = None

    @staticmethod
    def launch(**kwargs):
        return Landscape(**kwargs)

    @staticmethod
    def build_tool(name):
        """Path of a helper program built beside the viewer."""
        return os.path.join(ARGS.build_dir or os.path.dirname(ARGS.binary), name)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--build-dir")
    known, rest = parser.parse_known_args()
    ARGS.binary = os.path.abspath(known.binary)
    ARGS.build_dir = os.path.abspath(known.build_dir) if known.build_dir else None
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
