"""The panel (key 'h', option --panel) and picking with the mouse: 'h' shows and hides the panel
and echoes like any command key; Shift and Ctrl clicks on the first view set the start and end
cells drawn under the pointer, also on a loaded ground drawn at every third point; the panel's
Plan button replans with the cells it shows.

The cells under the pointer are predicted with the rendering test's projection of the first
view and checked through the files 'P' writes. The panel's layout is Dear ImGui 1.86's default
style: its pixel positions below were read off a screenshot of the panel at (0, 0).
"""

import json
import math
import os
import re
import subprocess
import tempfile
import time

import numpy as np
from osgeo import gdal, ogr, osr

import landscape_e2e as e2e
import test_render as render

ECHO = "\nUPDATED DATA\n"
DIRECT_PATH = r"Total Direct Path:.*\n"
DEFAULT_ECHO = ("\nUPDATED DATA\n"
                "Speed (mph):                   55.000000\n"
                "Number of Distance Rings:      15.000000\n"
                "Number of Distance Increment:  1000.000000\n"
                "Number of Energy Rings:        10.000000\n"
                "Number of Energy Increment:    50000.000000\n")
PANEL_X = render.WINDOW  # the panel's strip starts right of the view
TITLE_BAR = (PANEL_X + 150, 8)  # a pixel of the panel's title bar, and its colour while focused
TITLE_COLOUR = (41, 74, 122)
START_X_FIELD = (PANEL_X + 40, 36)  # the "start x" field
PLAN_BUTTON = (PANEL_X + 26, 128)
LON_LAT_BOX = (PANEL_X + 105, 128)  # on ground with a coordinate system: the ends as lon/lat
SAVE_PICTURE = (PANEL_X + 54, 151)
SAVE_MAP_FILES = (PANEL_X + 160, 151)
MAP_FILES = ("distance.tif", "energy.tif", "heights.tif", "routes.geojson")
RINGS_FILE = "isochrones.gpkg"  # the areas within the rings on screen, after the map files
RINGS_HEADER = (PANEL_X + 60, 178)  # "Planner and rings", folded at start
RING_WIDTH_FIELD = (PANEL_X + 110, 270)  # once that part is open
CLEAR_VIA = (PANEL_X + 60, 201)  # "Clear via points", under its part's header once there are any
OFF_GROUND = (495, 5)  # background in the first view
SOURCE = os.path.dirname(os.path.dirname(e2e.HERE))


def source_numbers(header, name):
    """The numbers a constexpr in `header` is set to: one, or a braced list."""
    with open(os.path.join(SOURCE, header)) as f:
        value = re.search(name + r" = \{?([^};]*)\}?;", f.read()).group(1)
    return tuple(float(v.strip().rstrip("f")) for v in value.split(","))


def without_map_corner(view, width=200, height=100):
    """The view with its bottom-left corner, where the scale bar and north arrow go, black."""
    data, row = bytearray(view.data), 3 * view.width
    for y in range(view.height - height, view.height):
        data[y * row:y * row + 3 * width] = bytes(3 * width)
    return e2e.Image(view.width, view.height, bytes(data))


def unrotate(p, rotation):
    """The inverse of render.View.rotate."""
    x, y, z = p
    a = -math.radians(rotation[0])
    y, z = y * math.cos(a) - z * math.sin(a), y * math.sin(a) + z * math.cos(a)
    a = -math.radians(rotation[1])
    x, z = x * math.cos(a) + z * math.sin(a), -x * math.sin(a) + z * math.cos(a)
    a = -math.radians(rotation[2])
    x, y = x * math.cos(a) - y * math.sin(a), x * math.sin(a) + y * math.cos(a)
    return x, y, z


def ground_point_under(view, pixel, height):
    """The mesh-frame (x, y) where the ray through the centre of `pixel` meets the level
    z = height: the point a pick unprojects from the depth buffer."""
    wx = pixel[0] + 0.5
    wy = render.WINDOW - 1 - pixel[1] + 0.5
    ray = ((2 * wx / render.WINDOW - 1) / view.f, (2 * wy / render.WINDOW - 1) / view.f, -1.0)

    def mesh(t):  # the mesh-frame point at eye-space distance t along the ray
        e = [t * r - o + c for r, o, c in zip(ray, view.offset, render.CAMERA_EYE)]
        x, y, z = unrotate(e, view.rotation)
        return x + 0.5, y, z

    z0, z1 = mesh(0.0)[2], mesh(1.0)[2]
    x, y, _ = mesh((height - z0) / (z1 - z0))
    return x, y


def near(p, q, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(p, q))


def view_of(shot):
    """The 3-D view: the window's left WINDOW x WINDOW pixels."""
    row, width = 3 * shot.width, 3 * render.WINDOW
    return e2e.Image(render.WINDOW, render.WINDOW,
                     b"".join(shot.data[y * row:y * row + width] for y in range(render.WINDOW)))


def read_png(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                         check=True).stdout
    return e2e.parse_ppm(ppm)


class PanelTest(e2e.TestCase):
    @classmethod
    def setUpClass(cls):
        out = subprocess.run([cls.build_tool("routeFacts")], capture_output=True, text=True,
                             check=True).stdout
        cls.facts = render.Facts(out)

    @staticmethod
    def rebuilt_after(app, action):
        """Runs `action` and returns the console text up to the scene rebuilt after it."""
        since = app.mark()
        action()
        app.wait_for(re.escape(ECHO) + r"(.|\n)*" + DIRECT_PATH, since=since)
        return app.output()[since:]

    @staticmethod
    def read_export(app, workdir):
        """Presses 'P'; returns the start (the cell of distance 0) and the first route cell."""
        since = app.mark()
        app.key("P")
        app.wait_for(r"Printing distance table(.|\n)*UPDATED DATA(.|\n)*" + DIRECT_PATH, since=since)
        with open(os.path.join(workdir, "distanceTable.txt")) as f:
            rows = [line.split("\t") for line in f.read().splitlines()[1:]]
        starts = [(int(float(r[0])) // 30, int(float(r[1])) // 30) for r in rows
                  if float(r[3]) == 0.0]
        with open(os.path.join(workdir, "previousDistanceVertices.txt")) as f:
            first = f.readline().split("\t")
        return starts, (tuple(int(v) for v in first[:2]) if first != [""] else None)

    def cell_pixel(self, near_pixel):
        """A cell of the first view drawn at least 3 pixels wide, whose centre lies nearest
        `near_pixel`, and the pixel of its centre."""
        view = render.View(render.DEFAULT_OFFSET)
        best = None
        for i in range(1, render.QUAD_CELLS - 1):
            for j in range(1, render.QUAD_CELLS - 1):
                corners = [self.facts.corner(x, y) for x, y in
                           ((i, j), (i, j + 1), (i + 1, j + 1), (i + 1, j))]
                centre = [sum(c[k] for c in corners) / 4 for k in range(3)]
                if view.eye(centre)[2] >= -0.1:
                    continue  # behind the eye
                px, py = view.pixel(centre)
                d = (px - near_pixel[0]) ** 2 + (py - near_pixel[1]) ** 2
                if best is not None and d >= best[0]:
                    continue
                xs = [view.pixel(c)[0] for c in corners]
                ys = [view.pixel(c)[1] for c in corners]
                if max(xs) - min(xs) >= 3 and max(ys) - min(ys) >= 3:
                    best = (d, (i, j), (px, py))
        return best[1], best[2]

    def click_and_see(self, app, pixel, watched):
        """Clicks `pixel` once the pointer rests there; waits until the panel's row at `watched`
        shows it (a slow build may take several frames)."""
        app.xdotool("mousemove", "--window", app.window, *pixel)
        row = [(x, watched[1] + dy) for x in range(PANEL_X + 10, PANEL_X + 300) for dy in (-4, 4)]
        pixels = lambda shot: [shot.pixel(*p) for p in row]  # noqa: E731
        idle = pixels(app.settled_screenshot(interval=1.0))  # a slow frame is not a settled one
        app.xdotool("click", 1)
        deadline = time.monotonic() + e2e.OUTPUT_TIMEOUT
        while pixels(app.screenshot()) == idle:
            self.assertLess(time.monotonic(), deadline, "no answer to a click at %s" % (pixel,))
            time.sleep(0.1)
        app.settled_screenshot(interval=1.0)

    def click(self, app, pixel, modifier=None):
        app.xdotool("mousemove", "--window", app.window, *pixel)
        if modifier:
            app.xdotool("keydown", modifier)
        app.xdotool("click", 1)
        if modifier:
            app.xdotool("keyup", modifier)

    def test_h_shows_and_hides_the_panel(self):
        with self.launch() as app:
            app.wait_for(DIRECT_PATH)
            before = app.settled_view()
            # The same echo and rebuild as any command key, and nothing else.
            text = self.rebuilt_after(app, lambda: app.key("h"))
            self.assertEqual(text, DEFAULT_ECHO + render.reports(self.facts, render.DISTANCE_MODE))
            shown = app.settled_screenshot()
            render.save(shown, "panel.png")
            self.assertTrue(near(shown.pixel(*TITLE_BAR), TITLE_COLOUR), shown.pixel(*TITLE_BAR))
            # The window gains the panel's strip; the view keeps its size and every pixel.
            self.assertEqual(app.geometry()[2:], (PANEL_X + 310, render.WINDOW))
            # The view keeps every pixel but the corner of the scale bar and north arrow.
            self.assertGreater(view_of(shown).differing_pixels(before), 1000)
            self.assertEqual(
                without_map_corner(view_of(shown)).differing_pixels(without_map_corner(before)), 0)
            self.rebuilt_after(app, lambda: app.key("h"))
            self.assertEqual(app.geometry()[2:], (render.WINDOW, render.WINDOW))
            hidden = app.redrawn_screenshot()
            self.assertEqual(hidden.differing_pixels(before), 0)
            self.assertEqual(app.terminate(), 0, app.errors()[-4000:])

    def test_shift_and_ctrl_clicks_set_the_cells_under_the_pointer(self):
        start, start_pixel = self.cell_pixel((150, 300))
        end, end_pixel = self.cell_pixel((380, 150))
        with tempfile.TemporaryDirectory() as workdir, self.launch(workdir=workdir) as app:
            app.wait_for(DIRECT_PATH)
            first = app.settled_view()
            self.assertEqual(first.pixel(*OFF_GROUND), (0, 0, 0))
            text = self.rebuilt_after(app, lambda: self.click(app, start_pixel, "shift"))
            self.assertNotIn("Please enter", text)
            text = self.rebuilt_after(app, lambda: self.click(app, end_pixel, "ctrl"))
            squares = (start[0] - end[0]) ** 2 + (start[1] - end[1]) ** 2
            self.assertIn("Total Direct Path:\t%f meters\n"
                          % render.f32(render.f32(squares ** 0.5) * 30), text)
            starts, route_end = self.read_export(app, workdir)
            self.assertEqual(starts, [start])
            self.assertIn(route_end, (end, None))  # None: no route reaches the end
            # A click off the ground and a plain click pick nothing and print nothing.
            since = app.mark()
            self.click(app, OFF_GROUND, "shift")
            self.click(app, end_pixel)
            app.redrawn_screenshot()
            self.assertEqual(app.output()[since:], "")

    def test_alt_click_adds_a_via_point_and_clear_removes_it(self):
        via, via_pixel = self.cell_pixel((250, 250))
        with self.launch(extra_args=["--panel"]) as app:
            app.wait_for(DIRECT_PATH)
            app.settled_screenshot()
            text = self.rebuilt_after(app, lambda: self.click(app, via_pixel, "alt"))
            self.assertRegex(text, r"Via: \(%d, %d\)\n(.|\n)*Leg 1 of 2, \(10, 360\) to \(%d, %d\)"
                             r"(.|\n)*Leg 2 of 2, " % (via * 2))
            render.save(app.settled_screenshot(), "viaPanel.png")
            text = self.rebuilt_after(app, lambda: self.click(app, CLEAR_VIA))
            self.assertNotIn("Via:", text)
            self.assertNotIn("Leg ", text)

    def test_picks_on_a_ground_drawn_at_every_third_point_set_the_full_resolution_cells(self):
        # A level 600 x 600 ground of 30 m cells: more cells than the mesh draws, so every third
        # point is drawn, and the cell a pick sets is the one whose square holds the point under
        # the pointer (scene position times the reverse factor, truncated).
        n, spacing, height = 600, 30.0, 100.0
        longer_side, = source_numbers("terrain/sceneScale.h", "SCENE_LONGER_SIDE")
        divisor = (n - 1) * spacing / longer_side  # metres per scene unit
        level = render.f32(height / render.f32(divisor / 3.0))
        # The map view: straight down on the middle of the ground, the whole of it in view.
        margin, = source_numbers("render/mapView.h", "MAP_VIEW_MARGIN")
        back = longer_side / 2 / math.tan(math.radians(22.5)) / (1 - margin) + level
        view = render.View((0.5 - longer_side / 2, 1 - longer_side / 2, -back), (0, 0, 0))

        def pick_near(target):
            """A pixel by `target` whose point lies well inside its cell, so the depth buffer's
            rounding cannot tip the pick over an edge, and that cell."""
            for dx in range(8):
                for dy in range(8):
                    pixel = (target[0] + dx, target[1] + dy)
                    x, y = ground_point_under(view, pixel, level)
                    index = [v * divisor / spacing for v in (x, y)]
                    if all(0.2 < v % 1 < 0.8 for v in index):
                        return pixel, tuple(int(v) for v in index)
            self.fail("no pixel near %s shows the middle of a cell" % (target,))

        (start_pixel, start), (end_pixel, end) = pick_near((180, 320)), pick_near((320, 170))
        with tempfile.TemporaryDirectory() as workdir:
            raster = os.path.join(workdir, "level.tif")
            out = gdal.GetDriverByName("GTiff").Create(raster, n, n, 1, gdal.GDT_Float32)
            out.SetGeoTransform((500000.0, spacing, 0, 4000000.0, 0, -spacing))
            out.GetRasterBand(1).WriteArray(np.full((n, n), height, dtype=np.float32))
            out = None
            with self.launch(workdir=workdir, extra_args=["--terrain", raster]) as app:
                app.wait_for(DIRECT_PATH)
                app.settled_view()
                self.rebuilt_after(app, lambda: self.click(app, start_pixel, "shift"))
                self.rebuilt_after(app, lambda: self.click(app, end_pixel, "ctrl"))
                self.assertEqual(self.read_export(app, workdir), ([start], end))

    def test_plan_button_replans_with_the_panel_cells(self):
        with tempfile.TemporaryDirectory() as workdir, \
                self.launch(workdir=workdir, extra_args=["--panel"]) as app:
            app.wait_for(DIRECT_PATH)
            shot = app.settled_screenshot()
            self.assertTrue(near(shot.pixel(*TITLE_BAR), TITLE_COLOUR), shot.pixel(*TITLE_BAR))
            # Clicking a field selects its text; what is typed then goes to the field, not to
            # the commands ('1' would echo), and nothing is planned yet.
            since = app.mark()
            field = [(x, y) for x in range(PANEL_X + 10, PANEL_X + 80) for y in range(30, 43)]
            idle = [shot.pixel(*p) for p in field]
            self.click(app, START_X_FIELD)
            deadline = time.monotonic() + e2e.OUTPUT_TIMEOUT
            while True:  # until the field shows its text selected
                now = app.screenshot()
                if [now.pixel(*p) for p in field] != idle:
                    break
                self.assertLess(time.monotonic(), deadline, "the field never became active")
                time.sleep(0.1)
            app.key("1", "1")
            app.settled_screenshot()
            self.assertEqual(app.output()[since:], "")
            text = self.rebuilt_after(app, lambda: self.click(app, PLAN_BUTTON))
            self.assertNotIn("Please enter", text)
            starts, _ = self.read_export(app, workdir)
            self.assertEqual(starts, [(11, 360)])
            # A drag that starts on the panel moves neither the panel nor the camera.
            before = app.settled_view()
            app.drag(TITLE_BAR, (TITLE_BAR[0] - 300, TITLE_BAR[1] + 100))
            after = app.settled_view()
            self.assertTrue(near(after.pixel(*TITLE_BAR), TITLE_COLOUR))
            self.assertEqual(view_of(after).differing_pixels(view_of(before)), 0)

    def test_wheel_scrolls_the_panel_and_a_typed_ring_width_redraws_the_same_plan(self):
        with self.launch(extra_args=["--panel"]) as app:
            app.wait_for(DIRECT_PATH)
            first = app.settled_screenshot()
            self.click_and_see(app, RINGS_HEADER, RING_WIDTH_FIELD)  # the part opens
            self.click_and_see(app, RING_WIDTH_FIELD, RING_WIDTH_FIELD)  # its text is selected
            app.key("2", "5", "0", "0")
            # Enter held until the panel has seen it: a press and release within one frame
            # would pass it by.
            text = self.rebuilt_after(app, lambda: app.key_down("Return"))
            app.key_up("Return")
            self.assertIn("Number of Distance Increment:  2500.000000\n", text)
            self.assertTrue(text.endswith(render.reports(self.facts, render.DISTANCE_MODE)), text)
            shot = app.settled_screenshot()
            self.assertGreater(view_of(shot).differing_pixels(view_of(first)), 1000)
            app.xdotool("mousemove", "--window", app.window, PANEL_X + 150, 400)
            shot, since = app.settled_screenshot(interval=1.0), app.mark()
            app.xdotool("click", "5")
            deadline = time.monotonic() + e2e.OUTPUT_TIMEOUT
            while (scrolled := app.screenshot()).differing_pixels(shot) < 1000:
                self.assertLess(time.monotonic(), deadline, "the wheel never scrolled the panel")
                time.sleep(0.1)
            self.assertEqual(view_of(scrolled).differing_pixels(view_of(shot)), 0)
            self.assertEqual(app.output()[since:], "")

    def test_saved_picture_and_map_files_are_the_view_and_the_batch_plan(self):
        with tempfile.TemporaryDirectory() as workdir, \
                self.launch(workdir=workdir, extra_args=["--panel"]) as app:
            app.wait_for(DIRECT_PATH)
            view = view_of(app.settled_screenshot())
            for n, press in ((1, lambda: self.click(app, SAVE_PICTURE)),
                             (2, lambda: app.key("F12"))):
                text = self.rebuilt_after(app, press)
                self.assertTrue(text.startswith(DEFAULT_ECHO), text)
                app.wait_for(r"\nPicture written: landscape-%d\.png\n" % n)
                picture = read_png(os.path.join(workdir, "landscape-%d.png" % n))
                self.assertEqual(picture.differing_pixels(view), 0)
            self.click(app, SAVE_MAP_FILES)
            app.wait_for(r"\nMap files written: %s\n" % " ".join(MAP_FILES + (RINGS_FILE,)))
            # The view's 15 distance rings of 1000 m: each ring's outer edge holds the cells
            # within it.
            metres = gdal.Open(os.path.join(workdir, "distance.tif")).ReadAsArray()
            rings = ogr.Open(os.path.join(workdir, RINGS_FILE))  # outlives its layer
            self.assertEqual([(f["measure"], f["value"], f["unit"], f["area_km2"]) for f in
                              rings.GetLayer(0)],
                             [("distance", 1000.0 * k, "m",
                               (metres <= 1000.0 * k).sum() * 900 / 1e6) for k in range(1, 16)])
            with tempfile.TemporaryDirectory() as planned:
                subprocess.run([e2e.ARGS.binary, "--plan", "10", "360", "350", "340", "--out",
                                planned], capture_output=True, check=True,
                               env=e2e._sanitizer_env(dict(os.environ)))
                for name in MAP_FILES[:3]:
                    window, batch = (gdal.Open(os.path.join(d, name)).ReadAsArray()
                                     for d in (workdir, planned))
                    self.assertTrue((window == batch).all(), name)
                # The batch plan is timed: its fastest route and time_s are all it adds.
                window, batch = (json.load(open(os.path.join(d, MAP_FILES[3])))["features"]
                                 for d in (workdir, planned))
                for feature in batch:
                    del feature["properties"]["time_s"]
                self.assertEqual(window, batch[:2])

    def test_map_files_of_ground_with_a_system_add_gpx_and_the_routes_files(self):
        with tempfile.TemporaryDirectory() as workdir:
            raster = os.path.join(workdir, "utm.tif")
            out = gdal.GetDriverByName("GTiff").Create(raster, 20, 20, 1, gdal.GDT_Float32)
            out.SetGeoTransform((500000.0, 30.0, 0, 4000000.0, 0, -30.0))
            utm = osr.SpatialReference()
            utm.ImportFromEPSG(32616)
            out.SetProjection(utm.ExportToWkt())
            out.GetRasterBand(1).WriteArray(np.arange(400, dtype=np.float32).reshape(20, 20) / 20)
            out = None
            wgs84 = osr.SpatialReference()
            wgs84.ImportFromEPSG(4326)
            wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
            lon, lat = osr.CoordinateTransformation(utm, wgs84).TransformPoint(500075, 3999505)[:2]
            with self.launch(workdir=workdir, extra_args=["--panel", "--terrain", raster,
                                                          "--routes", "w.gpkg"]) as app:
                app.wait_for(DIRECT_PATH)
                self.click(app, SAVE_MAP_FILES)
                app.wait_for(r"\nMap files written: distance.tif energy.tif time.tif "
                             r"heights.tif routes.geojson routes.gpx %s\n" % RINGS_FILE)
                # The start typed as the longitude/latitude of cell (2, 3)'s centre.
                self.click_and_see(app, LON_LAT_BOX, START_X_FIELD)
                for row, value in ((START_X_FIELD[1], lon), (START_X_FIELD[1] + 23, lat)):
                    self.click_and_see(app, (START_X_FIELD[0], row), (0, row))
                    app.xdotool("type", "--delay", "40", "--", "%.7f" % value)
                self.rebuilt_after(app, lambda: self.click(app, PLAN_BUTTON))
                self.assertEqual(self.read_export(app, workdir)[0], [(2, 3)])
            subprocess.run([e2e.ARGS.binary, "--plan", "--terrain", raster, "--no-tables",
                            "--out", workdir, "--routes", "b.gpx"], cwd=workdir, check=True,
                           capture_output=True, env=e2e._sanitizer_env(dict(os.environ)))
            with open(os.path.join(workdir, "routes.gpx"), "rb") as w, \
                    open(os.path.join(workdir, "b.gpx"), "rb") as b:
                self.assertEqual(w.read(), b.read())
            package = ogr.Open(os.path.join(workdir, "w.gpkg"))  # outlives its layer
            self.assertEqual(len(package.GetLayer(0)), 3)


if __name__ == "__main__":
    e2e.main()
