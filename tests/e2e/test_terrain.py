"""The user's own ground through --terrain: the real elevation model (heights checked against
GDAL's own warp of the same window), the built-in heights written out and loaded back to the
same exports, and each bad input refused before any window opens."""

import contextlib
import itertools
import math
import os
import pathlib
import re
import shutil
import subprocess
import tempfile

import numpy as np
from osgeo import gdal, osr

import landscape_e2e as e2e

SOURCE = os.path.dirname(os.path.dirname(e2e.HERE))
FIRST_FRAME = r"Total Direct Path:\t[^\n]*\n"
EXPORTED = "\nPrinting distance table...\n\nUPDATED DATA\n"
FILES = ("distanceTable.txt", "previousDistanceVertices.txt", "previousEnergyVertices.txt")
N, SPACING, CENTRE = 365, 30.0, 182


def run_and_export(args=()):  # the files 'P' writes on the first scene
    with tempfile.TemporaryDirectory() as workdir:
        with e2e.Landscape(workdir=workdir, extra_args=list(args)) as app:
            app.wait_for(FIRST_FRAME)
            app.key("P")
            app.wait_for(re.escape(EXPORTED))
            assert app.terminate() == 0 and app.errors() == "", app.errors()
        return {name: pathlib.Path(workdir, name).read_bytes() for name in FILES}


def write_raster(path, grid, epsg=None, corner=(0.0, 0.0), nodata=None, geo=None):
    """grid[x][y] as a north-up GeoTIFF of 30 m cells, west-south corner at `corner` (or with
    the geotransform `geo`)."""
    columns, rows = grid.shape
    out = gdal.GetDriverByName("GTiff").Create(path, columns, rows, 1, gdal.GDT_Float32)
    out.SetGeoTransform(geo or (corner[0], SPACING, 0, corner[1] + rows * SPACING, 0, -SPACING))
    out.SetProjection(srs(epsg).ExportToWkt() if epsg else "")
    if nodata is not None:
        out.GetRasterBand(1).SetNoDataValue(nodata)
    out.GetRasterBand(1).WriteArray(np.flipud(grid.T))  # written when `out` goes


def srs(epsg):
    s = osr.SpatialReference()
    s.ImportFromEPSG(epsg)
    s.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    return s


def expected_heights(path, lon, lat):
    """Heights [x][y] GDAL's own warper gives the window centred on (lon, lat) in UTM 16N."""
    x, y, _ = osr.CoordinateTransformation(srs(4326), srs(32616)).TransformPoint(lon, lat)
    west, south = x - (CENTRE + 0.5) * SPACING, y - (CENTRE + 0.5) * SPACING
    warped = gdal.Warp("", path, format="MEM", dstSRS="EPSG:32616", width=N, height=N,
                       outputBounds=(west, south, west + N * SPACING, south + N * SPACING),
                       resampleAlg="bilinear", outputType=gdal.GDT_Float32, dstNodata=np.nan)
    return np.flipud(warped.ReadAsArray()).T


class TerrainTest(e2e.TestCase):
    @classmethod
    def setUpClass(cls):
        gdal.UseExceptions()
        cls.dir = os.path.join(e2e.ARGS.build_dir or tempfile.mkdtemp(), "terrain-e2e")
        shutil.rmtree(cls.dir, ignore_errors=True)
        os.makedirs(cls.dir, mode=0o755)
        cls.dem = os.path.join(cls.dir, "jacksboro.tif")
        subprocess.run([os.path.join(SOURCE, "tools", "demToGeoTiff.py"), cls.dem], check=True)

    def planned_heights(self, raster, *args):
        """The heights.tif of a batch plan on `raster`."""
        out = tempfile.mkdtemp(dir=self.dir)
        subprocess.run([e2e.ARGS.binary, "--plan", "--no-tables", "--terrain", raster, "--out",
                        out, *args], check=True, capture_output=True,
                       env=e2e._sanitizer_env(dict(os.environ)))
        return gdal.Open(os.path.join(out, "heights.tif"))

    def test_real_model_loads_whole_and_its_window_matches_gdal_warp(self):
        # Whole, at its own resolution: GDAL's own warp onto the grid the plan wrote, with holes
        # where the turned raster leaves the grid's corners. Then the 365 x 365 window of 30 m
        # cells near its north-east corner, partly off the raster, heights unrounded.
        for args, centre in (([], None), (["--cell-size", "30", "--size", "365", "--centre",
                                           "-84.09,36.72"], (-84.09, 36.72))):
            grid = self.planned_heights(self.dem, *args)
            got = grid.ReadAsArray().astype(float)
            got[got > 1e30] = np.nan
            if centre:
                want = np.flipud(expected_heights(self.dem, *centre).T)
            else:
                west, size, _, north, _, _ = grid.GetGeoTransform()
                bounds = (west, north - size * grid.RasterYSize, west + size * grid.RasterXSize,
                          north)
                want = gdal.Warp("", self.dem, format="MEM", dstSRS="EPSG:32616",
                                 width=grid.RasterXSize, height=grid.RasterYSize,
                                 outputBounds=bounds, resampleAlg="bilinear",
                                 outputType=gdal.GDT_Float32, dstNodata=np.nan).ReadAsArray()
            np.testing.assert_allclose(got, want, rtol=1e-6)  # GDAL may warp in other chunks
            self.assertTrue(np.isnan(got).any() and not np.isnan(got).all())

    def test_pixels_not_square_or_not_north_up_give_the_outline_in_cells_of_the_smaller_side(self):
        # The grid starts at the south-west corner of the bounding box of the raster's outline.
        c, s = 10 * math.cos(math.radians(15)), 10 * math.sin(math.radians(15))
        for geo in ((5e5, 10, 0, 4e6, 0, -20), (5e5, 10, 0, 4e6, 0, 10), (5e5, c, s, 4e6, s, -c)):
            write_raster(os.path.join(self.dir, "pixels.tif"), np.zeros((80, 50)), 32616, geo=geo)
            x, y = zip(*((geo[0] + i * geo[1] + j * geo[2], geo[3] + i * geo[4] + j * geo[5])
                         for i in (0, 80) for j in (0, 50)))
            north = min(y) + 10 * round((max(y) - min(y)) / 10)
            got = self.planned_heights(os.path.join(self.dir, "pixels.tif")).GetGeoTransform()
            np.testing.assert_allclose(got, (min(x), 10, 0, north, 0, -10), err_msg=str(geo))

    def test_an_alpha_band_or_a_mask_leaves_no_ground_read_whole_or_resampled(self):
        seen = np.full((40, 40), 255, np.uint8)
        seen[:20, :20] = 0  # the north-west quarter is transparent
        for kind, args in itertools.product((gdal.GDT_Float32, gdal.GDT_Byte, "mask"),
                                            ([], ["--cell-size", "60"], ["--cell-size", "20"])):
            with self.subTest(kind=kind, args=args):
                path, alpha = os.path.join(self.dir, "seen.tif"), kind != "mask"
                out = gdal.GetDriverByName("GTiff").Create(
                    path, 40, 40, 1 + alpha, kind if alpha else gdal.GDT_Float32,
                    ["ALPHA=YES"] if alpha else [])
                out.SetGeoTransform((5e5, SPACING, 0, 4e6, 0, -SPACING))
                out.SetProjection(srs(32616).ExportToWkt())
                out.GetRasterBand(1).Fill(100)
                if not alpha:
                    out.CreateMaskBand(gdal.GMF_PER_DATASET)
                (out.GetRasterBand(2) if alpha else out.GetRasterBand(1).GetMaskBand()
                 ).WriteArray(seen)
                del out
                holes = self.planned_heights(path, *args).ReadAsArray() > 1e30
                centres = (np.arange(len(holes)) + 0.5) * 1200 / len(holes)  # m from the north
                inside, outside = centres < 600 - SPACING, centres > 600 + SPACING  # or west edge
                self.assertTrue(holes[np.ix_(inside, inside)].all())
                self.assertFalse(holes[outside].any() or holes[:, outside].any())

    def test_real_model_first_view_shows_all_its_ground_both_ends_and_comes_back_home(self):
        with self.launch(extra_args=["--terrain", self.dem]) as app:  # the exact planner
            app.wait_for(FIRST_FRAME)
            first = app.settled_view()
            w, h = first.width, first.height
            edge = [first.pixel(x, y) for x in range(w) for y in (0, 1, h - 2, h - 1)]
            edge += [first.pixel(x, y) for y in range(h) for x in (0, 1, w - 2, w - 1)]
            self.assertTrue(all(max(p) < 30 for p in edge))  # nothing of the ground cut off
            is_ground_colour = {"start": lambda p: p[0] > 100 and p[2] > 100 and p[1] < 40,
                                "end": lambda p: p[0] > 100 and 40 < p[1] < p[0] and p[2] < 40,
                                "reached": lambda p: min(p) > 60 and max(p) - min(p) < 20}
            for name, test in is_ground_colour.items():
                self.assertGreater(first.count(test), 50 if name == "reached" else 0, name)
            for key in ("z", "X", "v"):
                since = app.mark()
                app.key(key)
                app.wait_for(FIRST_FRAME, since=since)
                if key != "v":
                    self.assertGreater(app.settled_view().differing_pixels(first), 1000)
            self.assertEqual(app.settled_view().differing_pixels(first), 0)

    def test_built_in_heights_round_trip_through_geotiff_and_ascii_grid(self):
        heights = np.loadtxt(os.path.join(SOURCE, "data", "heights.txt"))
        tif, asc = os.path.join(self.dir, "builtIn.tif"), os.path.join(self.dir, "builtIn.asc")
        write_raster(tif, heights, 32616, (499985.0, 3999985.0))  # in UTM zone 16 north
        with open(asc, "w") as f:
            f.write("ncols 365\nnrows 365\nxllcorner 0\nyllcorner 0\ncellsize 30\n")
            f.writelines(" ".join("%d" % h for h in row) + "\n" for row in np.flipud(heights.T))
        built_in = run_and_export()
        # The built-in ground's default start and end, as points of each raster.
        for path, (x0, y0) in ((tif, (499985.0, 3999985.0)), (asc, (0.0, 0.0))):
            ends = ["--moves", "8", "--sweep", "--from", "%r,%r" % (x0 + 315, y0 + 10815),
                    "--to", "%r,%r" % (x0 + 10515, y0 + 10215)]
            self.assertEqual(run_and_export(["--terrain", path] + ends), built_in, path)

    def test_moves_other_than_the_grounds_own_follow_the_echo(self):
        for args, line in ((["--moves", "48"], "Moves: 48\n"), ([], ""),
                           (["--terrain", self.dem, "--moves", "16"], "Moves: 16\n"),
                           (["--terrain", self.dem], "")):
            with self.subTest(args=args), self.launch(extra_args=args) as app:
                app.wait_for(FIRST_FRAME)
                since = app.mark()
                app.key("m")
                app.wait_for(r"Energy Increment: +\d+\.\d+\n%s[\n\t]" % re.escape(line),
                             since=since)

    def test_ground_with_a_ridge_in_the_north_shows_it_at_the_top_and_says_what_was_chosen(self):
        ridge = os.path.join(self.dir, "ridge.tif")
        grid = np.full((120, 100), 100.0)
        grid[:, 85:] = 400.0  # a ridge no 7 % vehicle climbs, along the northern edge
        grid[10:20, 10:20] = np.nan  # and a hole without ground
        write_raster(ridge, grid, 32616, (500000.0, 4000000.0), nodata=np.nan)
        with tempfile.TemporaryDirectory() as workdir, \
                self.launch(workdir=workdir, extra_args=["--terrain", ridge]) as app:
            app.wait_for(FIRST_FRAME)
            text = app.output()
            self.assertIn("Ground: 120 x 100 cells of 30.0 m, 1 % without ground\n", text)
            ends = re.search(r"Start \((\d+), (\d+)\), end \((\d+), (\d+)\): the largest area "
                             r"that 7 % grades join; (sweep|exact) planner\n", text)
            self.assertIsNotNone(ends, text)
            self.assertRegex(text, r"From the start a 7 % vehicle reaches \d+ % of the ground")
            app.settled_view()
            app.key("F12")
            app.wait_for("landscape-1.png")
            picture = gdal.Open(os.path.join(workdir, "landscape-1.png")).ReadAsArray()
        red = np.argwhere((picture[0] > 150) & (picture[1] < 60) & (picture[2] < 60))
        self.assertGreater(len(red), 100)
        height = picture.shape[1]
        self.assertLess(red[:, 0].max(), height / 2)  # the unreachable ridge: north is up
        start, end = [np.argwhere(test(picture)).mean(axis=0) for test in (
            lambda p: (p[0] > 200) & (p[2] > 200) & (p[1] < 40),
            lambda p: (p[0] > 200) & (p[1] > 120) & (p[1] < 220) & (p[2] < 40))]
        sx, sy, ex, ey = map(int, ends.groups()[:4])
        self.assertEqual((end[1] > start[1], end[0] < start[0]), (ex > sx, ey > sy))  # east right
        # An end on the ridge: the batch plan says why no route reaches it.
        result = subprocess.run([e2e.ARGS.binary, "--plan", "60", "50", "60", "95", "--terrain",
                                 ridge, "--no-tables", "--out", self.dir], capture_output=True,
                                text=True, env=e2e._sanitizer_env(dict(os.environ)))
        self.assertRegex(result.stderr, r"\nthe end lies outside the \d+ % of the ground a 7 % "
                         r"vehicle reaches from the start; try --grade or --moves\n$")

    def test_bad_input_ends_with_one_line_and_status_two(self):
        empty, text, locked = (os.path.join(self.dir, n) for n in ("0.tif", "text.tif", "lock.tif"))
        write_raster(empty, np.full((20, 20), -9999.0), nodata=-9999.0)
        write_raster(locked, np.zeros((20, 20)))
        os.chmod(locked, 0)
        pathlib.Path(text).write_text("not a raster\n")
        # root reads any file: the locked one is tried as nobody.
        nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        as_user = nobody if os.geteuid() == 0 else []
        dem = ["--terrain", self.dem, "--centre"]
        cases = [([], ["--terrain", "/no/ground.tif"], "'/no/ground.tif' does not exist"),
                 ([], ["--terrain", text], text + "' is not a raster"),
                 (as_user, ["--terrain", locked], locked + "' cannot be read"),
                 ([], ["--terrain", empty], empty + "' has no ground"),
                 ([], dem + ["-80,36.5"], "--centre: -80,36.5 lies outside"),
                 ([], dem + ["-84.2"], "--centre: '-84.2' is not X,Y"),
                 ([], ["--terrain"], "--terrain: a value is missing"),
                 ([], ["--ground", self.dem], "--ground: unknown option"),
                 ([], ["--plan", "--terrain", self.dem, "9", "9", "5", "5"],
                  "--plan: the cells must follow --plan")]
        # No display: a window could not open, and GLUT would end with status 1.
        env = e2e._sanitizer_env({k: v for k, v in os.environ.items() if k != "DISPLAY"})
        for prefix, args, reason in cases:
            result = subprocess.run(prefix + [e2e.ARGS.binary] + args, env=env,
                                    capture_output=True, text=True, timeout=60)
            self.assertEqual((result.returncode, result.stdout, result.stderr.count("\n")),
                             (2, "", 1), "%s: %r" % (args, result.stderr))
            self.assertTrue(result.stderr.startswith("landscape: "), result.stderr)
            self.assertIn(reason, result.stderr)
        # Ground whose cells are all edge cells: found once the window has priced its moves.
        rim = os.path.join(self.dir, "rim.tif")
        write_raster(rim, np.array([[1.0 if x == 0 or y == 0 else np.nan for y in range(5)]
                                    for x in range(5)]))
        app = self.launch(extra_args=["--terrain", rim])
        self.addCleanup(app.stop)
        with contextlib.suppress(AssertionError, RuntimeError):  # it may end before or as it shows
            app.start()
        self.assertEqual((app.proc.wait(timeout=60), app.errors(), app.output()), (2, (
            "landscape: --terrain: '%s' has no ground a route can start on\n" % rim), ""))
        helps = [subprocess.run([e2e.ARGS.binary, name], env=env, capture_output=True, text=True)
                 for name in ("-h", "--help")]  # never a window's
        self.assertEqual({(r.returncode, r.stdout[:17], r.stderr) for r in helps},
                         {(0, "Usage: landscape ", "")})

if __name__ == "__main__":
    e2e.main()
