"""Keys typed into the window change the settings the console echoes; the 'p' dialogue reads
new start and end cells from standard input; 'P' writes the route tables."""

import os
import re
import subprocess
import tempfile

import landscape_e2e as e2e

ECHO = "UPDATED DATA"
PROMPT = "Please enter in start_x, start_y, end_x, end_y: "
RANGE_MESSAGE = "Some of the input values exceed the range.\n"
EXPORT_MESSAGE = "\nPrinting distance table...\n"
ECHO_PATTERN = (r"\nUPDATED DATA\n"
                r"Speed \(mph\):                   (?P<speed>-?\d+\.\d{6})\n"
                r"Number of Distance Rings:      (?P<distanceRings>-?\d+\.\d{6})\n"
                r"Number of Distance Increment:  (?P<distanceIncrement>-?\d+\.\d{6})\n"
                r"Number of Energy Rings:        (?P<energyRings>-?\d+\.\d{6})\n"
                r"Number of Energy Increment:    (?P<energyIncrement>-?\d+\.\d{6})\n")
DEFAULT_DIRECT_PATH = "Total Direct Path:\t10217.631836 meters\n"
TIME_ECHO = ("Number of Time Rings:          12.000000\n"
             "Number of Time Increment:      5.000000\n")
TIME_DATA_PATTERN = r"\nTIME DATA\nTotal Time Path:\t(?P<minutes>\d+\.\d{6}) minutes\n"
GRID_SIZE = 365
UNREACHED = 1e35


def direct_path_line(start, end):
    """The straight-line summary for two cells whose distance is a whole number of cells."""
    dx, dy = end[0] - start[0], end[1] - start[1]
    cells = (dx * dx + dy * dy) ** 0.5
    assert cells == int(cells), "pick cells a whole number of cells apart"
    return "Total Direct Path:\t%d.000000 meters\n" % (int(cells) * 30)


class KeyboardTest(e2e.TestCase):
    def press_and_read_echo(self, app, *keys):
        """Presses the keys and returns the settings of the last echo they caused."""
        since = app.mark()
        app.key(*keys)
        app.wait_count(ECHO, len(keys), since=since)
        blocks = list(re.finditer(ECHO_PATTERN, app.output()[since:]))
        self.assertEqual(len(blocks), len(keys), app.output()[since:])
        return {name: float(value) for name, value in blocks[-1].groupdict().items()}

    def enter_cells(self, app, text):
        """Presses 'p' and answers the prompt with `text`; returns the output mark before it."""
        since = app.mark()
        app.key("p")
        app.wait_for(re.escape(PROMPT), since=since)  # printed before the program waits
        app.write_stdin(text)
        app.wait_for(ECHO, since=since)
        return since

    def export(self, app):
        since = app.mark()
        app.key("P")
        app.wait_for(re.escape(EXPORT_MESSAGE) + r"(.|\n)*" + ECHO, since=since)

    @staticmethod
    def read_distance_table(workdir):
        with open(os.path.join(workdir, "distanceTable.txt")) as f:
            lines = f.read().splitlines()
        return lines[0], [float(line.split("\t")[3]) for line in lines[1:]]

    @staticmethod
    def first_route_cell(workdir, name):
        with open(os.path.join(workdir, name)) as f:
            first = f.readline()
        return tuple(int(v) for v in first.split("\t")[:2]) if first else None

    def test_home_key_brings_back_the_first_frame(self):
        with self.launch() as app:
            app.wait_for(DEFAULT_DIRECT_PATH)
            first = app.settled_view()
            app.hold_until_changed("w", first, 1000)
            app.hold_until_changed("d", app.screenshot(), 1000)
            self.press_and_read_echo(app, "z", "X")
            self.assertGreater(app.settled_view().differing_pixels(first), 1000)
            since = app.mark()
            self.press_and_read_echo(app, "v")
            app.wait_for(re.escape(DEFAULT_DIRECT_PATH), since=since)
            self.assertEqual(app.settled_view().differing_pixels(first), 0)

    def test_command_keys_change_the_echoed_settings(self):
        with self.launch() as app:
            echo = self.press_and_read_echo(app, "S")
            self.assertEqual(echo["speed"], 60.0)
            echo = self.press_and_read_echo(app, "bracketright", "braceright")
            self.assertEqual((echo["distanceRings"], echo["distanceIncrement"]), (16.0, 1100.0))
            echo = self.press_and_read_echo(app, "m", "bracketleft", "braceleft")
            self.assertEqual((echo["energyRings"], echo["energyIncrement"]), (9.0, 0.0))
            self.assertEqual((echo["distanceRings"], echo["distanceIncrement"]), (16.0, 1100.0))
            echo = self.press_and_read_echo(app, "braceleft")
            self.assertEqual(echo["energyIncrement"], 0.0)
            app.wait_for(r"ENERGY DATA")

    def test_time_key_shows_the_fastest_route_and_its_minutes(self):
        with self.launch() as app:
            app.wait_for(re.escape(DEFAULT_DIRECT_PATH))
            first, since = app.settled_view(), app.mark()
            app.key("t")
            app.wait_for(re.escape(TIME_ECHO) + r"(.|\n)*" + TIME_DATA_PATTERN, since=since)
            minutes = float(re.search(TIME_DATA_PATTERN, app.output()[since:])["minutes"])
            # No route beats the straight line at the top speed of 90 km/h, nor takes an hour.
            self.assertTrue(10217.631836 / 25 / 60 < minutes < 60, minutes)
            self.assertGreater(app.settled_view().differing_pixels(first), 1000)

    def test_movement_keys_print_nothing_and_upper_case_only_echoes(self):
        with self.launch() as app:
            since = app.mark()
            for key in ("w", "s", "a", "d", "r", "f"):
                app.key(key)
            echo = self.press_and_read_echo(app, "W", "A", "D", "R", "F")
            self.assertEqual(echo["speed"], 55.0)
            self.assertEqual(app.output()[since:].count(ECHO), 5)

    def test_accepted_entry_moves_start_and_end(self):
        with tempfile.TemporaryDirectory() as workdir, self.launch(workdir=workdir) as app:
            app.wait_for(re.escape(DEFAULT_DIRECT_PATH))
            start, near_end = (100, 100), (103, 104)
            since = self.enter_cells(app, "100 0x64 0147 104\n")
            app.wait_for(re.escape(direct_path_line(start, near_end)), since=since)
            self.assertNotIn(RANGE_MESSAGE, app.output()[since:])

            self.export(app)
            header, costs = self.read_distance_table(workdir)
            self.assertEqual(header, "X\tY\tZ\tDIST")
            self.assertEqual(costs[start[0] * GRID_SIZE + start[1]], 0.0)
            self.assertNotEqual(costs[10 * GRID_SIZE + 360], 0.0)

            # A reachable cell as the new end: its route file then starts there.
            reachable = [i for i, c in enumerate(costs) if 0.0 < c < UNREACHED
                         and 1 <= i // GRID_SIZE <= 364 and 1 <= i % GRID_SIZE <= 364]
            self.assertTrue(reachable)
            far = max(reachable, key=lambda i: costs[i])
            end = (far // GRID_SIZE, far % GRID_SIZE)
            self.enter_cells(app, "%d %d\n%d %d\n" % (start + end))
            self.export(app)
            self.assertEqual(self.first_route_cell(workdir, "previousDistanceVertices.txt"), end)
            self.assertEqual(app.terminate(), 0, app.errors())

    def test_rejected_entries_change_nothing_and_do_not_poison_the_next(self):
        with tempfile.TemporaryDirectory() as workdir, self.launch(workdir=workdir) as app:
            app.wait_for(re.escape(DEFAULT_DIRECT_PATH))
            for bad in ("0 5 5 5\n", "5 5 5 365\n", "12abc 1 1 1 1\n", "08 5 5 5\n",
                        "2147483648 5 5 5\n", "-1 5 5 5\n"):
                since = self.enter_cells(app, bad)
                self.assertIn(RANGE_MESSAGE, app.output()[since:], bad)
                app.wait_for(re.escape(DEFAULT_DIRECT_PATH), since=since)
            self.export(app)
            _, costs = self.read_distance_table(workdir)
            self.assertEqual(costs[10 * GRID_SIZE + 360], 0.0)

            since = self.enter_cells(app, "100 100 103 104 extra tokens\n")
            self.assertIn(RANGE_MESSAGE, app.output()[since:])  # more than four values: a typo
            since = self.enter_cells(app, "100 100 103 104\n")
            app.wait_for(re.escape(direct_path_line((100, 100), (103, 104))), since=since)

    def test_end_of_input_rejects_every_entry_at_once(self):
        with self.launch() as app:
            app.write_stdin("5 6 7")
            app.close_stdin()
            since = app.mark()
            app.key("p", "p", "S")
            app.wait_count(ECHO, 3, since=since)
            after = app.output()[since:]
            self.assertEqual(after.count(RANGE_MESSAGE), 2)
            self.assertIn("Speed (mph):                   60.000000\n", after)
            self.assertEqual(app.terminate(), 0, app.errors())

    def test_export_key_writes_the_three_files(self):
        with tempfile.TemporaryDirectory() as workdir, self.launch(workdir=workdir) as app:
            self.export(app)
            names = ("distanceTable.txt", "previousDistanceVertices.txt",
                     "previousEnergyVertices.txt")
            for name in names:
                self.assertTrue(os.path.isfile(os.path.join(workdir, name)), name)
            header, costs = self.read_distance_table(workdir)
            self.assertEqual(header, "X\tY\tZ\tDIST")
            self.assertEqual(len(costs), GRID_SIZE * GRID_SIZE)
            self.assertEqual(self.first_route_cell(workdir, "previousDistanceVertices.txt"),
                             (350, 340))

    def test_a_trip_keeps_its_via_points_through_new_ends(self):
        with tempfile.TemporaryDirectory() as workdir, \
                self.launch(workdir=workdir, extra_args=["--via", "3600,6000"]) as app:
            app.wait_for(r"Leg 2 of 2, \(120, 200\) to \(350, 340\): \d+\.\d{6} miles")
            since = self.enter_cells(app, "10 360 300 41\n")
            app.wait_for(r"Via: \(120, 200\)\n(.|\n)*Leg 1 of 2, \(10, 360\) to \(120, 200\)"
                         r"(.|\n)*Leg 2 of 2, \(120, 200\) to \(300, 41\)", since=since)
            self.export(app)
            with open(os.path.join(workdir, "previousDistanceVertices.txt")) as f:
                cells = [tuple(int(v) for v in line.split("\t")[:2]) for line in f]
            # The whole trip, from its end back to the cell next to its start.
            self.assertEqual((cells[0], max(abs(cells[-1][0] - 10), abs(cells[-1][1] - 360))),
                             ((300, 41), 1))
            self.assertIn((120, 200), cells)

    def test_planner_key_and_option_choose_the_exported_tables(self):
        expected = {}
        for planner, flag in (("exact", ["--exact"]), ("sweep", [])):
            out = subprocess.run([self.build_tool("routeFacts")] + flag, check=True,
                                 capture_output=True, text=True).stdout.splitlines()[3:]
            # The export writes six significant digits; routeFacts writes every float exactly.
            expected[planner] = [float("%g" % float(line.split()[3])) for line in out]
        self.assertNotEqual(expected["exact"], expected["sweep"])
        with tempfile.TemporaryDirectory() as workdir, \
                self.launch(workdir=workdir, extra_args=["--exact"]) as app:
            for planner, key, line in (("exact", None, None),
                                       ("sweep", "e", "\nPlanner: single spiral sweep\n"),
                                       ("exact", "e", "\nPlanner: exact least cost\n")):
                if key:
                    since = app.mark()
                    app.key(key)
                    app.wait_for(re.escape(line) + ECHO_PATTERN + r"\nDISTANCE DATA", since=since)
                self.export(app)
                costs = self.read_distance_table(workdir)[1]
                self.assertTrue(costs == expected[planner], planner)  # no diff of 133225 values


if __name__ == "__main__":
    e2e.main()
