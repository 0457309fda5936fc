"""One whole user's session in the real window: switching views, rings and increments, speed,
moving the scene and the camera, dragging in the centre and in each corner, a good and a bad
start/end entry, an export and switching back.

Every byte the console prints is checked in order against what the keys must print: the echo
blocks with the settings expected after each key, the prompt and the rejection, and the route
totals of each scene rebuild against the planner's tables (the routeFacts tool). The picture
must change where it must (a ring key, scene offset, a move, every drag) and stay where it must
(the offset keys undone, a rejected entry). The exported files must hold the planner's tables.

Several command keys may be pressed in a row; the program may then fold their scene rebuilds
into fewer frames, so between two echo blocks the route totals appear at most once, and after
the last block exactly once.
"""

import os
import re
import struct
import subprocess
import tempfile
import time

import landscape_e2e as e2e
from test_render import Facts
from test_render import route_totals as render_route_totals

GRID_SIZE = 365
UNREACHED = struct.unpack("f", struct.pack("f", 1e35))[0]
ENERGY_MODE, DISTANCE_MODE = 1, 2
ECHO = ("\nUPDATED DATA\n"
        "Speed (mph):                   %f\n"
        "Number of Distance Rings:      %f\n"
        "Number of Distance Increment:  %f\n"
        "Number of Energy Rings:        %f\n"
        "Number of Energy Increment:    %f\n")
PROMPT = "\nPlease enter in start_x, start_y, end_x, end_y: "
REJECTED = "Some of the input values exceed the range.\n"
EXPORTING = "\nPrinting distance table...\n"
LAST_TOTAL = r"Total Direct Path:\t[^\n]*\n"
REBUILD_TIMEOUT = 180.0  # the sanitized build takes seconds per scene rebuild
CHANGED_BY_CAMERA = 500 * 500 // 20  # a turn, roll or move redraws far more than 5 %
CHANGED_BY_RINGS = 500 * 500 // 50  # one ring more reshades every ring band in view
# A new start and end, in octal and hexadecimal; the end is reached by both routes.
VALID_ENTRY = "074 0xc8 200 0310\n"
NEW_START = (60, 200)
NEW_END = (200, 200)
BAD_ENTRY = "5 5 5 365\n"
CENTRE_DRAG = ((250, 250), (290, 262))
# From each corner, outside the central circle; each rolls the same way, so none undoes another.
CORNER_DRAGS = (((480, 20), (480, 60)),     # upper right, downwards
                ((480, 480), (440, 480)),   # lower right, leftwards
                ((20, 480), (20, 440)),     # lower left, upwards
                ((20, 20), (60, 20)))       # upper left, rightwards


class Settings:
    """What the echo block must show, and what the route totals depend on."""

    def __init__(self):
        self.mode = DISTANCE_MODE
        self.speed = 55.0
        self.rings = {DISTANCE_MODE: 15.0, ENERGY_MODE: 10.0}
        self.increment = {DISTANCE_MODE: 1000.0, ENERGY_MODE: 50000.0}
        self.start = (10, 360)
        self.end = (350, 340)

    def press(self, key):
        step = 100.0 if self.mode == DISTANCE_MODE else 50000.0
        if key == "m":
            self.mode = DISTANCE_MODE if self.mode == ENERGY_MODE else ENERGY_MODE
        elif key == "bracketright" and self.rings[self.mode] < 100:
            self.rings[self.mode] += 1
        elif key == "bracketleft" and self.rings[self.mode] > 0:
            self.rings[self.mode] -= 1
        elif key == "braceright":
            self.increment[self.mode] += step
        elif key == "braceleft" and self.increment[self.mode] > 0:
            self.increment[self.mode] -= step
        elif key == "S":
            self.speed += 5
        return self.echo()

    def echo(self):
        return ECHO % (self.speed, self.rings[DISTANCE_MODE], self.increment[DISTANCE_MODE],
                       self.rings[ENERGY_MODE], self.increment[ENERGY_MODE])


def route_totals(facts, settings):
    """What one scene rebuild prints for the settings, from the planner's tables."""
    return render_route_totals(facts, settings.mode, settings.speed, settings.start,
                               settings.end)


def route_file(facts, cost, previous, start, end):
    lines = []
    x, y = end
    if facts.at(cost, x, y) == UNREACHED:
        return b""
    while (x, y) != start:
        lines.append("%d\t%d\t%g\n" % (x, y, facts.at(cost, x, y)))
        x, y = facts.at(previous, x, y)
        Facts.assert_inside(x, y)
    return "".join(lines).encode()


class ScenarioTest(e2e.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.first_facts = cls.route_facts()
        assert cls.first_facts.start == (10, 360) and cls.first_facts.end == (350, 340)
        cls.new_facts = cls.route_facts(*NEW_START)
        assert cls.new_facts.start == NEW_START
        for table in (cls.new_facts.distance, cls.new_facts.energy):
            assert cls.new_facts.at(table, *NEW_END) != UNREACHED
        cls.facts = cls.first_facts

    @classmethod
    def route_facts(cls, *start):
        out = subprocess.run([cls.build_tool("routeFacts")] + [str(v) for v in start],
                             capture_output=True, text=True, check=True).stdout
        return Facts(out)

    # --- console --------------------------------------------------------------------------

    def check_console(self, expected):
        """The console since the last check must read exactly `expected`."""
        actual = self.app.output()[self.checked:]
        self.assertEqual(actual.splitlines(True), expected.splitlines(True),
                         "console after %d checked characters" % self.checked)
        self.checked += len(actual)

    def command(self, keys, before_echo="", answer=None):
        """Presses command keys, each echoed; waits for the scene rebuilt after the last and
        checks everything printed: each key's own text and echo, route totals between echoes at
        most once (rebuilds may be folded), after the last echo exactly once."""
        app = self.app
        echoes = [self.settings.press(key) for key in keys]
        mark = app.mark()
        app.key(*keys)
        if answer is not None:
            app.wait_for(re.escape(PROMPT), since=mark)  # printed before the program reads
            app.write_stdin(answer)
        app.wait_count("UPDATED DATA", len(keys), since=mark, timeout=REBUILD_TIMEOUT)
        last_echo = mark + app.output()[mark:].rindex("UPDATED DATA")
        app.wait_for(LAST_TOTAL, since=last_echo, timeout=REBUILD_TIMEOUT)
        totals = route_totals(self.facts, self.settings)
        actual = app.output()[self.checked:]
        expected, pos = "", 0
        for i, echo in enumerate(echoes):
            part = (before_echo if i == 0 else "") + echo
            expected += part
            pos += len(part)
            if i + 1 < len(echoes) and actual.startswith(totals, pos):
                expected += totals
                pos += len(totals)
        self.check_console(expected + totals)

    # --- picture --------------------------------------------------------------------------

    def shown(self):
        """The window after a frame asked for now has been drawn."""
        return self.app.redrawn_screenshot()

    def settled(self):
        return self.app.settled_view()

    def assert_changed(self, before, after, least, what):
        changed = after.differing_pixels(before)
        self.assertGreater(changed, least, "%s changed only %d pixels" % (what, changed))

    def save(self, shot, name):
        folder = os.environ.get("LANDSCAPE_SAVE_SCREENSHOTS")
        if folder:
            shot.save(os.path.join(folder, name))

    # --- the session ------------------------------------------------------------------------

    def test_whole_session(self):
        self.settings = Settings()
        self.checked = 0
        with tempfile.TemporaryDirectory() as workdir, self.launch(workdir=workdir) as app:
            self.app = app
            app.wait_for(LAST_TOTAL, timeout=REBUILD_TIMEOUT)
            self.check_console(route_totals(self.facts, self.settings))
            default_view = self.settled()
            self.save(default_view, "scenarioDefault.png")

            self.command(["m"])
            energy_view = self.shown()
            self.assertNotEqual(energy_view.data, default_view.data, "'m' changed nothing")

            self.command(["bracketright"])
            more_rings = self.shown()
            self.assert_changed(energy_view, more_rings, CHANGED_BY_RINGS, "']'")
            self.command(["bracketleft", "bracketright", "braceright", "braceright",
                          "braceleft", "S", "S"])
            before_offsets = self.shown()
            self.command(["x"])
            self.assert_changed(before_offsets, self.shown(), CHANGED_BY_CAMERA, "'x'")
            self.command(["X", "y", "Y", "z", "Z"])
            self.assertEqual(self.shown().data, before_offsets.data,
                             "the offset keys, each undone, left the picture changed")

            # Movement keys held and released, and drags, print nothing.
            app.hold_until_changed("w", before_offsets, CHANGED_BY_CAMERA)
            app.key_down("d")
            time.sleep(0.3)
            app.key_up("d")
            moved = self.settled()
            self.assert_changed(before_offsets, moved, CHANGED_BY_CAMERA, "holding w and d")
            previous = moved
            for start, end in (CENTRE_DRAG,) + CORNER_DRAGS:
                app.drag(start, end)
                turned = self.settled()
                self.assert_changed(previous, turned, CHANGED_BY_CAMERA,
                                    "a drag from %s to %s" % (start, end))
                previous = turned
            self.save(previous, "scenarioTurned.png")
            self.check_console("")

            self.settings.start, self.settings.end = NEW_START, NEW_END
            self.facts = self.new_facts
            self.command(["p"], PROMPT, VALID_ENTRY)
            before_bad_entry = self.settled()
            self.command(["p"], PROMPT + REJECTED, BAD_ENTRY)
            self.assertEqual(self.shown().data, before_bad_entry.data,
                             "a rejected entry changed the picture")

            self.command(["P"], EXPORTING)
            self.check_export(workdir)
            self.command(["m"])

            output = app.output()
            self.assertEqual(self.checked, len(output))
            status = app.terminate()
            self.assertEqual(status, 0, app.errors()[-4000:])
            self.assertNotIn("Sanitizer", app.errors())
            self.assertEqual(app.output(), output, "printed more after the last command")

    def check_export(self, workdir):
        """The three files hold the tables for the start and the new end cell."""
        facts = self.facts
        start, end = self.settings.start, self.settings.end
        table = ["X\tY\tZ\tDIST\n"]
        for x in range(GRID_SIZE):
            for y in range(GRID_SIZE):
                table.append("%g\t%g\t%g\t%g\n" % (x * 30, y * 30, facts.at(facts.height, x, y),
                                                    facts.at(facts.distance, x, y)))
        expected = {
            "distanceTable.txt": "".join(table).encode(),
            "previousDistanceVertices.txt": route_file(facts, facts.distance,
                                                       facts.previous_distance, start, end),
            "previousEnergyVertices.txt": route_file(facts, facts.energy, facts.previous_energy,
                                                     start, end),
        }
        self.assertEqual(sorted(os.listdir(workdir)), sorted(expected))
        for name, content in expected.items():
            with open(os.path.join(workdir, name), "rb") as f:
                written = f.read()
            if name == "distanceTable.txt":
                self.assertEqual(written.count(b"\n"), GRID_SIZE * GRID_SIZE + 1)
            else:
                self.assertTrue(written.startswith(b"%d\t%d\t" % end), name)
            self.assertEqual(written, content, name)


if __name__ == "__main__":
    e2e.main()
