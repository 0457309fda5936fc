"""Export failures tried for real: the key 'P' meets a read-only directory, directories in the
way, links at the names temporaries once had (never written through) and a file size limit.
Each failed file is reported on standard error, the program goes on, the other files are
written correctly and the good files of an earlier export stay as they were.

Each case runs in its own working directory that first holds the files of an earlier real
export made from another start and end cell, so a file that the failing export replaced could
not pass for the old one.
"""

import os
import re
import shutil
import subprocess
import tempfile
import time

import landscape_e2e as e2e
from test_render import Facts

NAMES = ("distanceTable.txt", "previousDistanceVertices.txt", "previousEnergyVertices.txt")
DISTANCE_TABLE, DISTANCE_ROUTE, ENERGY_ROUTE = NAMES
GRID_SIZE = 365
FIRST_FRAME = r"Total Direct Path:\t[^\n]*\n"
EXPORT_MESSAGE = "\nPrinting distance table...\n"
ECHO = "\nUPDATED DATA\n"
SPEED_AFTER_S = "Speed (mph):                   60.000000\n"
# The earlier export: start and end far from the defaults (10, 360) and (350, 340).
OTHER_CELLS = "100 100 103 104\n"
NOBODY = "65534"
ERROR_TIMEOUT = 30.0


def error_line(name, why):
    return "Error: could not write %s: %s" % (name, why)


def expected_export(facts):
    """The bytes an export from the start-up tables writes, formatted like the stream's
    default float format (printf's %g)."""
    lines = ["X\tY\tZ\tDIST\n"]
    for x in range(GRID_SIZE):
        for y in range(GRID_SIZE):
            lines.append("%g\t%g\t%g\t%g\n" % (x * 30, y * 30, facts.at(facts.height, x, y),
                                              facts.at(facts.distance, x, y)))
    files = {DISTANCE_TABLE: "".join(lines).encode()}
    for name, cost, previous in ((DISTANCE_ROUTE, facts.distance, facts.previous_distance),
                                 (ENERGY_ROUTE, facts.energy, facts.previous_energy)):
        files[name] = "".join("%d\t%d\t%g\n" % (x, y, facts.at(cost, x, y))
                              for x, y in facts.route(previous)).encode()
    return files


def read_bytes(path):
    if os.path.islink(path) or not os.path.isfile(path):
        raise AssertionError("%s is not a plain file" % path)
    with open(path, "rb") as f:
        return f.read()


class ExportFailureTest(e2e.TestCase):
    @classmethod
    def setUpClass(cls):
        out = subprocess.run([cls.build_tool("routeFacts")], capture_output=True, text=True,
                             check=True).stdout
        facts = Facts(out)
        cls.expected = expected_export(facts)
        cls.good = cls.earlier_export()
        for name in NAMES:
            assert cls.good[name] != cls.expected[name], name

    @classmethod
    def earlier_export(cls):
        with tempfile.TemporaryDirectory() as workdir:
            with cls.launch(workdir=workdir) as app:
                app.wait_for(FIRST_FRAME)
                mark = app.mark()
                app.key("p")
                app.wait_for(re.escape("Please enter in start_x, start_y, end_x, end_y: "),
                             since=mark)
                app.write_stdin(OTHER_CELLS)
                app.wait_for(ECHO, since=mark)
                mark = app.mark()
                app.key("P")
                app.wait_for(re.escape(EXPORT_MESSAGE + ECHO), since=mark)
                status = app.terminate()
                assert status == 0, app.errors()
            good = {name: read_bytes(os.path.join(workdir, name)) for name in NAMES}
        assert good[DISTANCE_TABLE].count(b"\n") == GRID_SIZE * GRID_SIZE + 1
        assert good[DISTANCE_ROUTE].startswith(b"103\t104\t")
        assert good[ENERGY_ROUTE].startswith(b"103\t104\t")
        return good

    # --- helpers ------------------------------------------------------------------------

    def fresh_workdir(self, good_names):
        workdir = tempfile.mkdtemp(prefix="landscape-export-")
        self.addCleanup(shutil.rmtree, workdir, ignore_errors=True)
        self.addCleanup(os.chmod, workdir, 0o755)
        for name in good_names:
            with open(os.path.join(workdir, name), "wb") as f:
                f.write(self.good[name])
            os.chmod(os.path.join(workdir, name), 0o644)
        return workdir

    def export_and_go_on(self, workdir, failed, uid=None, **launch_options):
        """Runs the program in `workdir`, presses 'P' and then 'S'; checks the failures are
        reported once each, in order, that 'S' is still answered and that the program ends
        cleanly."""
        with self.launch(workdir=workdir, **launch_options) as app:
            app.wait_for(FIRST_FRAME)
            if uid is not None:
                with open("/proc/%d/status" % app.proc.pid) as f:
                    uids = [line.split()[1:] for line in f if line.startswith("Uid:")][0]
                self.assertEqual(set(uids), {uid}, "the program does not run as user " + uid)
            self.assertEqual(app.errors().count("Error:"), 0, app.errors())
            mark = app.mark()
            app.key("P")
            app.wait_for(re.escape(EXPORT_MESSAGE + ECHO), since=mark)
            # Still running: a following command key is answered.
            mark = app.mark()
            app.key("S")
            app.wait_for(re.escape(ECHO + SPEED_AFTER_S), since=mark)
            # Standard error arrives through its own pipe; give its reader a moment.
            deadline = time.monotonic() + ERROR_TIMEOUT
            while app.errors().count("could not write") < len(failed):
                if time.monotonic() > deadline:
                    break
                time.sleep(0.05)
            status = app.terminate()
            errors = app.errors()
        reported = [line for line in errors.splitlines() if "could not write" in line]
        self.assertEqual(reported, [error_line(name, why) for name, why in failed], errors)
        self.assertEqual(status, 0, errors[-4000:])
        self.assertNotIn("Sanitizer", errors)

    def assert_good(self, workdir, name):
        self.assertEqual(read_bytes(os.path.join(workdir, name)), self.good[name],
                         "%s was replaced although its export failed" % name)

    def assert_written(self, workdir, name):
        self.assertEqual(read_bytes(os.path.join(workdir, name)), self.expected[name],
                         "%s was not written correctly" % name)

    def assert_entries(self, workdir, allowed, required):
        entries = set(os.listdir(workdir))
        self.assertLessEqual(entries, set(allowed), "stray files left behind")
        self.assertLessEqual(set(required), entries)

    # --- cases --------------------------------------------------------------------------

    def test_read_only_directory_fails_every_file_and_keeps_the_good_ones(self):
        workdir = self.fresh_workdir(NAMES)
        os.chmod(workdir, 0o555)
        prefix = []
        if os.geteuid() == 0:
            # Root writes through permission bits; run the program as an unprivileged user.
            # Xvfb started without -auth takes local clients of any user.
            setpriv = shutil.which("setpriv")
            if setpriv is None:
                self.skipTest("running as root and setpriv is missing: no way to drop privileges")
            prefix = [setpriv, "--reuid=" + NOBODY, "--regid=" + NOBODY, "--clear-groups"]
        probe = subprocess.run(prefix + ["sh", "-c", "touch probe.tmp 2>/dev/null"],
                               cwd=workdir)
        if probe.returncode == 0:
            os.remove(os.path.join(workdir, "probe.tmp"))
            self.skipTest("this user can write into a directory of mode 0555")
        # The unprivileged user has no writable home for Mesa's shader cache.
        self.export_and_go_on(workdir, [(n, "Permission denied") for n in NAMES], uid=NOBODY if prefix else None, prefix=prefix,
                              extra_env={"MESA_SHADER_CACHE_DISABLE": "true"})
        for name in NAMES:
            self.assert_good(workdir, name)
        self.assert_entries(workdir, NAMES, NAMES)

    def test_directories_in_the_way_fail_only_their_files(self):
        workdir = self.fresh_workdir([DISTANCE_TABLE, ENERGY_ROUTE])
        # A directory at the name temporaries once had: left alone, not in the way.
        blocked_temporary = os.path.join(workdir, DISTANCE_TABLE + ".tmp")
        os.mkdir(blocked_temporary)
        with open(os.path.join(blocked_temporary, "keep"), "w") as f:
            f.write("keep\n")
        # The final name is a directory: the rename over it fails.
        blocked_target = os.path.join(workdir, DISTANCE_ROUTE)
        os.mkdir(blocked_target)
        with open(os.path.join(blocked_target, "keep"), "w") as f:
            f.write("keep\n")

        self.export_and_go_on(workdir, [(DISTANCE_ROUTE, "not a plain file")])
        self.assert_written(workdir, DISTANCE_TABLE)
        self.assert_written(workdir, ENERGY_ROUTE)
        for folder in (blocked_temporary, blocked_target):
            self.assertTrue(os.path.isdir(folder), folder)
            self.assertEqual(os.listdir(folder), ["keep"], folder)
        self.assert_entries(workdir, NAMES + (DISTANCE_TABLE + ".tmp",),
                            NAMES + (DISTANCE_TABLE + ".tmp",))

    def test_links_at_old_temporary_names_are_not_followed_and_a_failed_write_keeps_the_file(self):
        workdir = self.fresh_workdir(NAMES)
        made = (DISTANCE_TABLE + ".tmp", ENERGY_ROUTE + ".tmp")
        for name in made:
            os.symlink("/dev/full", os.path.join(workdir, name))
        # Files of more than 32 KiB cannot be written: the table fails at a write, the routes fit.
        limit = ["sh", "-c", 'ulimit -f 64; exec "$0" "$@"']
        self.export_and_go_on(workdir, [(DISTANCE_TABLE, "File too large")], prefix=limit)
        self.assert_good(workdir, DISTANCE_TABLE)
        self.assert_written(workdir, DISTANCE_ROUTE)
        self.assert_written(workdir, ENERGY_ROUTE)
        self.assert_entries(workdir, NAMES + made, NAMES + made)


if __name__ == "__main__":
    e2e.main()
