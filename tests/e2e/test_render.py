"""The frame shows the terrain shaded by cost rings, the unreached cells red, the route of the
view mode, the straight line and the start and end markers where the planner's tables put them,
and the route reports of each scene rebuild are printed once.

Expected values come from the `routeFacts` tool (the planner run exactly as start-up does it).
Every check projects grid cells through the same transforms as the program (camera at
(0, 1, 0) looking down -z, the fixed look-at, the scene offset and rotation, the mesh shift,
a 45 degree perspective in a 500 x 500 window) and reads the screenshot there. The expected
shade of a ring cell is predicted from the fixed-function lighting of the program's one light.

Set LANDSCAPE_SAVE_SCREENSHOTS=<folder> to keep the screenshots: defaultView.png (the first
frame), routeView.png (moved back to show the route and the straight line) and energyView.png.
"""

import math
import os
import struct
import subprocess
import time

import landscape_e2e as e2e

GRID_SIZE = 365
QUAD_CELLS = 364
WINDOW = 500
UNREACHED = struct.unpack("f", struct.pack("f", 1e35))[0]
DISTANCE_MODE = 2
ENERGY_MODE = 1
DEFAULT_OFFSET = (-0.5, 2.25, -2.5)
ROTATION = (180.0, 0.0, 20.0)
CAMERA_EYE = (0.0, 1.0, 0.0)
OFFSET_STEP = 0.25
GLOBAL_AMBIENT = 0.2 * 0.2  # light-model ambient times the default material ambient
OVERLAY_INSET = 0.02
OVERLAY_LIFT = -0.01
# Keys that move the scene so the whole width of the grid near the start and end is in view.
WIDE_VIEW_KEYS = ["z"] * 9 + ["X"] * 2 + ["Y"] * 6
WIDE_OFFSET = (DEFAULT_OFFSET[0] + 2 * OFFSET_STEP, DEFAULT_OFFSET[1] + 6 * OFFSET_STEP,
               DEFAULT_OFFSET[2] - 9 * OFFSET_STEP)


def save(shot, name):
    folder = os.environ.get("LANDSCAPE_SAVE_SCREENSHOTS")
    if folder:
        shot.save(os.path.join(folder, name))


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def ground_to_scene(index):
    return f32(index * 30 * 1.0 / 60.0 / 50.0)


SCENE = [ground_to_scene(i) for i in range(GRID_SIZE)]
# The drawn position of a grid index turned back into an index, truncated: the cell whose
# ring a quadrilateral shows.
BACK = [int(SCENE[i] * 2.0 * 50.0) for i in range(GRID_SIZE)]


class Facts:
    """The planner's tables for the default start, as printed by routeFacts."""

    def __init__(self, text):
        lines = text.splitlines()
        self.start = tuple(int(v) for v in lines[0].split()[1:])
        self.end = tuple(int(v) for v in lines[1].split()[1:])
        self.speed = float(lines[2].split()[1])
        n = GRID_SIZE * GRID_SIZE
        self.height = [0] * n
        self.distance = [0.0] * n
        self.energy = [0.0] * n
        self.previous_distance = [None] * n
        self.previous_energy = [None] * n
        for line in lines[3:]:
            f = line.split()
            k = int(f[0]) * GRID_SIZE + int(f[1])
            self.height[k] = int(f[2])
            self.distance[k] = f32(float(f[3]))
            self.energy[k] = f32(float(f[4]))
            self.previous_distance[k] = (int(f[5]), int(f[6]))
            self.previous_energy[k] = (int(f[7]), int(f[8]))

    def at(self, table, x, y):
        return table[x * GRID_SIZE + y]

    def route(self, previous):
        """Cells from the end back toward the start (start excluded), by the predecessors."""
        cells = []
        x, y = self.end
        while (x, y) != self.start:
            cells.append((x, y))
            x, y = self.at(previous, x, y)
            self.assert_inside(x, y)
        return cells

    @staticmethod
    def assert_inside(x, y):
        if not (0 <= x < GRID_SIZE and 0 <= y < GRID_SIZE):
            raise AssertionError("route leaves the grid at %d,%d" % (x, y))

    def straight_line(self):
        (sx, sy), (ex, ey) = self.start, self.end
        slope = f32((ey - sy) / (ex - sx))
        cells = []
        for x in range(sx, ex + 1):
            y = int(f32(sy + f32((x - sx) * slope)))
            if x < QUAD_CELLS and 0 <= y < QUAD_CELLS:
                cells.append((x, y))
        return cells

    def corner(self, x, y):
        """Scene position of grid point (x, y)."""
        return (SCENE[x], SCENE[y], f32(self.at(self.height, x, y) / 1000.0))


def route_totals(facts, mode, speed, start, end):
    """The console text of one scene rebuild, from the planner's tables."""
    x, y = end
    if mode == DISTANCE_MODE:
        metres = facts.at(facts.distance, x, y)
        if metres == UNREACHED:
            text = "\tUNREACHABLE DISTANCE PATH\n"
        else:
            v = f32(speed)
            miles = f32(metres / 1609.344)
            factor = f32(0.075283 - 0.0015892 * v + 0.000015066 * v * v)
            text = ("\nDISTANCE DATA\nTotal Distance Path:\t%f miles\n"
                    "Total Fuel Consumption:\t%f gallons\n" % (miles, f32(miles * factor)))
    else:
        joules = facts.at(facts.energy, x, y)
        if joules == UNREACHED:
            text = "\tUNREACHABLE ENERGY PATH\n"
        else:
            text = "\nENERGY DATA\nTotal Energy Path:\t%f joules\n" % joules
    sx, sy = start
    squares = (sx - x) ** 2 + (sy - y) ** 2
    return text + "Total Direct Path:\t%f meters\n" % f32(f32(math.sqrt(squares)) * 30)


def reports(facts, mode):
    """The console text of a scene rebuild with the settings of a fresh run."""
    return route_totals(facts, mode, facts.speed, facts.start, facts.end)


class View:
    """The program's modelview and projection for a given scene offset, in plain arithmetic."""

    def __init__(self, offset, rotation=ROTATION):
        self.offset, self.rotation = offset, rotation
        self.f = 1.0 / math.tan(math.radians(22.5))

    def rotate(self, p):
        x, y, z = p
        a = math.radians(self.rotation[2])
        x, y = x * math.cos(a) - y * math.sin(a), x * math.sin(a) + y * math.cos(a)
        a = math.radians(self.rotation[1])
        x, z = x * math.cos(a) + z * math.sin(a), -x * math.sin(a) + z * math.cos(a)
        a = math.radians(self.rotation[0])
        y, z = y * math.cos(a) - z * math.sin(a), y * math.sin(a) + z * math.cos(a)
        return x, y, z

    def eye(self, p):
        """Eye coordinates of a point given in the mesh's frame (before its -0.5 shift)."""
        x, y, z = self.rotate((p[0] - 0.5, p[1], p[2]))
        return (x + self.offset[0] - CAMERA_EYE[0], y + self.offset[1] - CAMERA_EYE[1],
                z + self.offset[2] - CAMERA_EYE[2])

    def pixel(self, p):
        """(column, row) of the screenshot pixel that a point falls in, rows from the top."""
        x, y, z = self.eye(p)
        wx = (self.f * x / -z + 1) / 2 * WINDOW
        wy = (self.f * y / -z + 1) / 2 * WINDOW
        return int(math.floor(wx)), WINDOW - 1 - int(math.floor(wy))

    def diffuse(self, corners, normal):
        """N.L of the light sitting at (0, -1, 0) in eye space, at the quad's centre."""
        centre = [sum(c[k] for c in corners) / 4 for k in range(3)]
        e = self.eye(centre)
        to_light = (-e[0], -CAMERA_EYE[1] - e[1], -e[2])
        length = math.sqrt(sum(c * c for c in to_light))
        n = self.rotate(normal)
        return max(0.0, sum(n[k] * to_light[k] for k in range(3)) / length)


def normal(tl, tr, bl):
    a = [tl[k] - tr[k] for k in range(3)]
    b = [tl[k] - bl[k] for k in range(3)]
    n = (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])
    length = math.sqrt(sum(c * c for c in n))
    return tuple(c / length for c in n)


class Scene:
    """What the tables say each quadrilateral and overlay must look like in one view mode."""

    def __init__(self, facts, mode, view):
        self.facts = facts
        self.mode = mode
        self.view = view

    def level(self, i, j):
        """Grey level of mesh cell (i, j), or 'red'."""
        x, y = BACK[i], BACK[j]
        fx = self.facts
        if fx.at(fx.distance, x, y) == UNREACHED:
            return "red"
        if self.mode == DISTANCE_MODE:
            cost, rings, increment = fx.at(fx.distance, x, y), 15, 1000.0
        else:
            cost, rings, increment = fx.at(fx.energy, x, y), 10, 50000.0
        ring = int(cost // increment)
        return 1.0 if ring >= rings else 1.0 - ring / rings

    def mesh_quad(self, i, j):
        c = self.facts.corner
        tl, tr, br, bl = c(i, j), c(i, j + 1), c(i + 1, j + 1), c(i + 1, j)
        return (tl, tr, br, bl), normal(tl, tr, bl)

    def overlay_quad(self, x, y):
        c = self.facts.corner
        d, lift = OVERLAY_INSET, OVERLAY_LIFT
        tl, tr = c(x, y), c(x, y + 1)
        br, bl = c(x + 1, y + 1), c(x + 1, y)
        tl = (tl[0] + d, tl[1] + d, tl[2] + lift)
        tr = (tr[0] + d, tr[1] - d, tr[2] + lift)
        br = (br[0] - d, br[1] - d, br[2] + lift)
        bl = (bl[0] - d, bl[1] + d, bl[2] + lift)
        return (tl, tr, br, bl), normal(tl, tr, bl)

    def centre_pixel(self, corners):
        return self.view.pixel([sum(c[k] for c in corners) / 4 for k in range(3)])


def visible(pixel, margin=3):
    return margin <= pixel[0] < WINDOW - margin and margin <= pixel[1] < WINDOW - margin


def near_cells(cells, radius):
    out = set()
    for x, y in cells:
        for dx in range(-radius, radius + 1):
            for dy in range(-radius, radius + 1):
                out.add((x + dx, y + dy))
    return out


def is_red(p):
    return p[0] > 100 and p[1] < 40 and p[2] < 40


def is_blue(p):
    return p[2] > 100 and p[0] < 40 and p[1] < 40


def is_green(p):
    return p[1] > 100 and p[0] < 40 and p[2] < 40


def is_magenta(p):
    return p[0] > 100 and p[2] > 100 and p[1] < 40


def is_amber(p):
    return p[0] > 100 and 40 < p[1] < p[0] and p[2] < 40


def is_cyan(p):
    return p[1] > 100 and p[2] > 100 and p[0] < 40 and abs(p[1] - p[2]) < 8


def is_violet(p):  # the corridor's tint over a ring's grey
    return p[2] > p[0] > p[1] + 10 and p[2] > p[1] + 30


class RenderTest(e2e.TestCase):
    @classmethod
    def setUpClass(cls):
        tool = cls.build_tool("routeFacts")
        out = subprocess.run([tool], capture_output=True, text=True, check=True).stdout
        cls.facts = Facts(out)
        cls.distance_route = cls.facts.route(cls.facts.previous_distance)
        cls.energy_route = cls.facts.route(cls.facts.previous_energy)
        cls.line = cls.facts.straight_line()

    # --- helpers ------------------------------------------------------------------------

    @staticmethod
    def press_and_wait_for_rebuild(app, keys):
        """Presses the command keys and waits for the scene rebuilt after the last of them.
        Frames may be coalesced, so only the last echo is sure to be followed by a rebuild."""
        mark = app.mark()
        app.key(*keys)
        app.wait_count("UPDATED DATA", len(keys), since=mark)
        last_echo = mark + app.output()[mark:].rindex("UPDATED DATA")
        app.wait_for("Total Direct Path:.*\n", since=last_echo)
        return last_echo

    @staticmethod
    def stable_screenshot(app):
        """A screenshot of a frame drawn after everything requested so far."""
        return app.redrawn_screenshot()

    def check_rings(self, shot, scene, overlay_cells):
        """Cells well inside one shade show the predicted lit colour; returns counts."""
        covered = near_cells(overlay_cells, 3)
        checked = {"red": 0, "grey": 0}
        bad = []
        for i in range(3, QUAD_CELLS - 3, 2):
            for j in range(3, QUAD_CELLS - 3, 2):
                if (i, j) in covered:
                    continue
                level = scene.level(i, j)
                if any(scene.level(i + di, j + dj) != level
                       for di in (-3, 0, 3) for dj in (-3, 0, 3)):
                    continue
                corners, n = scene.mesh_quad(i, j)
                pixel = scene.centre_pixel(corners)
                if not visible(pixel):
                    continue
                p = shot.pixel(*pixel)
                lit = scene.view.diffuse(corners, n)
                if level == "red":
                    expected = (255 * (GLOBAL_AMBIENT + lit), 255 * GLOBAL_AMBIENT,
                                255 * GLOBAL_AMBIENT)
                    checked["red"] += 1
                else:
                    grey = 255 * (GLOBAL_AMBIENT + level * lit)
                    expected = (grey, grey, grey)
                    checked["grey"] += 1
                if any(abs(p[k] - min(255, expected[k])) > 8 for k in range(3)):
                    bad.append(((i, j), level, p, tuple(round(e) for e in expected)))
        self.assertLessEqual(len(bad), max(3, (checked["red"] + checked["grey"]) // 200),
                             "cells with the wrong shade: %s" % bad[:20])
        return checked

    def check_overlay(self, shot, scene, cells, colour_test, keep_clear_of=()):
        """Every visible cell of an overlay shows its colour; returns how many were seen."""
        clear = near_cells(keep_clear_of, 4)
        seen, missing = 0, []
        for x, y in cells:
            if (x, y) in clear:
                continue
            pixel = scene.centre_pixel(scene.overlay_quad(x, y)[0])
            if not visible(pixel):
                continue
            seen += 1
            if not colour_test(shot.pixel(*pixel)):
                missing.append(((x, y), pixel, shot.pixel(*pixel)))
        self.assertLessEqual(len(missing), seen // 50, "overlay cells not shown: %s" % missing[:20])
        return seen

    def check_colour_only_near(self, shot, scene, cells, colour_test, radius_pixels=6):
        """No pixel of the overlay colour appears away from the overlay's cells."""
        allowed = set()
        for x, y in cells:
            px, py = scene.centre_pixel(scene.overlay_quad(x, y)[0])
            for dx in range(-radius_pixels, radius_pixels + 1):
                for dy in range(-radius_pixels, radius_pixels + 1):
                    allowed.add((px + dx, py + dy))
        stray = [(x, y) for y in range(shot.height) for x in range(shot.width)
                 if colour_test(shot.pixel(x, y)) and (x, y) not in allowed]
        self.assertEqual(stray[:20], [], "%d pixels of that colour away from it" % len(stray))

    # --- tests --------------------------------------------------------------------------

    def test_first_frame_prints_the_route_reports_of_the_tables(self):
        expected = reports(self.facts, DISTANCE_MODE)
        with self.launch() as app:
            app.wait_for("Total Direct Path:.*\n")
            self.assertEqual(app.output(), expected)

    def test_reports_print_once_per_rebuild_not_per_frame(self):
        with self.launch() as app:
            app.wait_for("Total Direct Path:.*\n")
            self.stable_screenshot(app)  # several more frames
            self.assertEqual(app.output().count("DISTANCE DATA"), 1)
            # A command key with no effect still rebuilds the scene.
            mark = self.press_and_wait_for_rebuild(app, ["q"])
            self.stable_screenshot(app)
            self.assertEqual(app.output()[mark:].count("DISTANCE DATA"), 1)

    def test_default_view_shows_rings_and_unreached_cells(self):
        scene = Scene(self.facts, DISTANCE_MODE, View(DEFAULT_OFFSET))
        with self.launch() as app:
            app.wait_for("Total Direct Path:.*\n")
            shot = self.stable_screenshot(app)
            save(shot, "defaultView.png")
            checked = self.check_rings(shot, scene, self.distance_route + self.line)
            self.assertGreater(checked["grey"], 1000)
            unreached_in_view = self.count_visible_unreached(scene)
            if unreached_in_view:
                self.assertGreater(checked["red"], 0)
            self.check_overlay(shot, scene, self.distance_route, is_blue, self.line)
            self.check_colour_only_near(shot, scene, self.distance_route, is_blue)
            self.check_colour_only_near(shot, scene, self.line, is_cyan)

    def count_visible_unreached(self, scene):
        return sum(1 for i in range(0, QUAD_CELLS, 4) for j in range(0, QUAD_CELLS, 4)
                   if scene.level(i, j) == "red"
                   and visible(scene.centre_pixel(scene.mesh_quad(i, j)[0]), 20))

    def test_wider_view_shows_the_route_and_the_straight_line(self):
        scene = Scene(self.facts, DISTANCE_MODE, View(WIDE_OFFSET))
        with self.launch() as app:
            app.wait_for("Total Direct Path:.*\n")
            self.press_and_wait_for_rebuild(app, WIDE_VIEW_KEYS)
            shot = self.stable_screenshot(app)
            save(shot, "routeView.png")
            self.check_rings(shot, scene, self.distance_route + self.line)
            ends = [self.facts.start, self.facts.end]  # under the markers
            route_seen = self.check_overlay(shot, scene, self.distance_route, is_blue,
                                            self.line + ends)
            line_seen = self.check_overlay(shot, scene, self.line, is_cyan,
                                           self.distance_route + ends)
            for cell, colour_test in zip(ends, (is_magenta, is_amber)):
                x, y = scene.centre_pixel(scene.overlay_quad(*cell)[0])
                around = [shot.pixel(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
                self.assertTrue(any(map(colour_test, around)), (cell, around))
            self.assertGreater(route_seen, len(self.distance_route) // 2)
            self.assertGreater(line_seen, len(self.line) // 2)
            self.check_colour_only_near(shot, scene, self.distance_route, is_blue)
            self.check_colour_only_near(shot, scene, self.line, is_cyan)
            self.assertEqual(shot.count(is_green), 0)
            self.assertEqual(app.terminate(), 0, app.errors()[-4000:])

    def test_corridor_tints_the_ground_along_the_route_violet(self):
        counts = []
        for extra in ((), ("--corridor", "10"), ("--corridor", "10", "--via", "4500,6000")):
            with self.launch(extra_args=extra) as app:
                app.wait_for("Total Direct Path:.*\n")
                self.press_and_wait_for_rebuild(app, WIDE_VIEW_KEYS)
                counts.append(self.stable_screenshot(app).count(is_violet))
                self.assertEqual(app.terminate(), 0, app.errors()[-4000:])
        self.assertEqual(counts[0], 0)
        self.assertGreater(min(counts[1:]), 1000)
        self.assertNotEqual(counts[1], counts[2])  # a trip's corridor bends through its via point

    def test_energy_view_shows_energy_rings_and_the_green_route(self):
        scene = Scene(self.facts, ENERGY_MODE, View(WIDE_OFFSET))
        with self.launch() as app:
            app.wait_for("Total Direct Path:.*\n")
            mark = self.press_and_wait_for_rebuild(app, WIDE_VIEW_KEYS + ["m"])
            self.assertIn(reports(self.facts, ENERGY_MODE), app.output()[mark:])
            shot = self.stable_screenshot(app)
            save(shot, "energyView.png")
            self.check_rings(shot, scene, self.energy_route + self.line)
            seen = self.check_overlay(shot, scene, self.energy_route, is_green,
                                      self.line + [self.facts.start, self.facts.end])
            self.assertGreater(seen, len(self.energy_route) // 2)
            self.check_colour_only_near(shot, scene, self.energy_route, is_green)
            self.assertEqual(shot.count(is_blue), 0)

    def test_exact_planner_reaches_more_and_draws_its_own_route(self):
        out = subprocess.run([self.build_tool("routeFacts"), "--exact"], capture_output=True,
                             text=True, check=True).stdout
        facts = Facts(out)
        route = facts.route(facts.previous_distance)
        scene = Scene(facts, DISTANCE_MODE, View(WIDE_OFFSET))
        with self.launch(extra_args=["--exact"]) as app:
            app.wait_for("Total Direct Path:.*\n")
            mark = self.press_and_wait_for_rebuild(app, WIDE_VIEW_KEYS)
            self.assertIn(reports(facts, DISTANCE_MODE), app.output()[mark:])
            shot = self.stable_screenshot(app)
            save(shot, "exactRouteView.png")
            self.check_rings(shot, scene, route + self.line)
            seen = self.check_overlay(shot, scene, route, is_blue,
                                      self.line + [facts.start, facts.end])
            self.assertGreater(seen, len(route) // 2)
        self.assertLess(self.count_visible_unreached(scene),
                        self.count_visible_unreached(Scene(self.facts, DISTANCE_MODE,
                                                           View(WIDE_OFFSET))))


if __name__ == "__main__":
    e2e.main()
