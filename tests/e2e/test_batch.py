"""Batch plans (--plan) without any display: the six files read back through GDAL and checked
against the planner's tables, the printed summaries against the window's texts, the text files
against the window's 'P', and the refusals and write failures."""

import json
import os
import resource
import shutil
import signal
import subprocess
import tempfile

import numpy
from osgeo import gdal, ogr, osr

import landscape_e2e as e2e
import test_export_failures as window_export
from test_render import DISTANCE_MODE, ENERGY_MODE, GRID_SIZE, UNREACHED, Facts, f32, route_totals

gdal.UseExceptions()
RASTERS = ("distance.tif", "energy.tif", "time.tif", "heights.tif")  # in the order written
TOP_SPEED = 90 / 3.6  # metres a second: the default vehicle's pace on ground without a cover
NAMES = window_export.NAMES + RASTERS + ("routes.geojson",)
GEOTRANSFORM = (-15.0, 30.0, 0.0, GRID_SIZE * 30 - 15.0, 0.0, -30.0)


def run(args, cwd, **options):
    env = e2e._sanitizer_env({k: v for k, v in os.environ.items() if k != "DISPLAY"})
    return subprocess.run([e2e.ARGS.binary] + [str(a) for a in args], cwd=cwd, env=env,
                          text=True, **dict(dict(stdout=-1, stderr=-1), **options))


def summaries(facts):
    """Distance block, energy block, straight line: the window's texts for both view modes."""
    distance, energy = (route_totals(facts, mode, facts.speed, facts.start, facts.end)
                        for mode in (DISTANCE_MODE, ENERGY_MODE))
    return distance[:distance.rindex("Total Direct Path")] + energy


class BatchPlanTest(e2e.TestCase):
    def setUp(self):
        self.out = tempfile.mkdtemp(prefix="landscape-batch-")
        self.addCleanup(shutil.rmtree, self.out, ignore_errors=True)

    def facts(self, sx, sy, ex, ey, speed=55.0):
        facts = Facts(subprocess.run([self.build_tool("routeFacts"), str(sx), str(sy)],
                                     capture_output=True, text=True, check=True).stdout)
        facts.end, facts.speed = (ex, ey), speed
        return facts

    def plan(self, cells, *extra, status=0):
        result = run(("--plan",) + tuple(str(c) for c in cells) + ("--out", self.out) + extra,
                     cwd=self.out)
        self.assertEqual(result.returncode, status, result.stderr)
        return result

    def read(self, name):
        with open(os.path.join(self.out, name), "rb") as f:
            return f.read()

    def check_rasters(self, facts):
        for name, table in (("distance.tif", facts.distance), ("energy.tif", facts.energy),
                            ("heights.tif", facts.height)):
            dataset = gdal.Open(os.path.join(self.out, name))
            band = dataset.GetRasterBand(1)
            self.assertEqual((dataset.RasterCount, band.DataType, dataset.GetGeoTransform(),
                              dataset.GetProjection(), band.GetNoDataValue()),
                             (1, gdal.GDT_Float32, GEOTRANSFORM, "", UNREACHED))
            expected = numpy.array(table, numpy.float32).reshape(GRID_SIZE, GRID_SIZE)
            numpy.testing.assert_array_equal(band.ReadAsArray(), expected.T[::-1], name)

    def check_routes(self, facts, planner):
        features = json.loads(self.read("routes.geojson"))["features"]
        x, y = facts.end
        for feature, measure, cost, previous, own in zip(
                features, ("distance", "energy"), (facts.distance, facts.energy),
                (facts.previous_distance, facts.previous_energy), ("length_m", "energy_j")):
            p = feature["properties"]
            self.assertEqual((p["measure"], p["planner"], p["moves"]), (measure, planner, 8))
            if facts.at(cost, x, y) == UNREACHED:
                self.assertEqual((feature["geometry"], p["reachable"], p["cells"]),
                                 (None, False, 0))
                continue
            cells = [facts.start] + facts.route(previous)[::-1]
            positions = [[30 * cx, 30 * cy] for cx, cy in cells]
            if len(cells) == 1:
                positions.append(positions[0])  # a LineString has at least two positions
            self.assertEqual((feature["geometry"]["coordinates"], p["reachable"], p["cells"]),
                             (positions, True, len(cells)), measure)
            self.assertEqual(f32(p[own]), facts.at(cost, x, y))
            self.assertEqual(f32(p["miles"]), f32(p["length_m"] / 1609.344))
            at_top_speed = p["length_m"] / TOP_SPEED
            self.assertAlmostEqual(p["time_s"], at_top_speed, delta=at_top_speed * 1e-5)

    def check_time(self, facts):
        """time.tif: seconds at the top speed where distance reaches, totalling the fastest route."""
        dataset = gdal.Open(os.path.join(self.out, "time.tif"))  # outlives its band
        band = dataset.GetRasterBand(1)
        self.assertEqual((band.DataType, band.GetNoDataValue()), (gdal.GDT_Float32, UNREACHED))
        seconds = band.ReadAsArray()[::-1].T
        metres = numpy.array(facts.distance, numpy.float32).reshape(GRID_SIZE, GRID_SIZE)
        reached = metres != UNREACHED
        numpy.testing.assert_array_equal(seconds != UNREACHED, reached)
        numpy.testing.assert_allclose(seconds[reached], metres[reached] / TOP_SPEED, rtol=1e-4)
        fastest = json.loads(self.read("routes.geojson"))["features"][2]
        p = fastest["properties"]
        self.assertEqual((p["measure"], p["reachable"]), ("time", reached[facts.end]))
        if p["reachable"]:
            line = fastest["geometry"]["coordinates"]
            along = [seconds[round(x / 30), round(y / 30)] for x, y in line]
            self.assertEqual(f32(p["time_s"]), along[-1])
            self.assertTrue(all(a < b for a, b in zip(along, along[1:])) or len(line) == 2)

    def test_plans_match_the_tables_and_the_window_texts(self):
        facts = self.facts(10, 360, 350, 340)
        unreached = next((x, y) for x in range(1, GRID_SIZE) for y in range(1, GRID_SIZE)
                         if facts.at(facts.distance, x, y) == UNREACHED)
        for end in ((350, 340), unreached, (10, 360)):
            with self.subTest(end=end):
                facts.end = end
                result = self.plan(facts.start + end)
                self.assertEqual((result.stdout, result.stderr, sorted(os.listdir(self.out))),
                                 (summaries(facts), "", sorted(NAMES)))
                self.check_rasters(facts)
                self.check_routes(facts, "sweep")
                self.check_time(facts)
                for tool in ("gdalinfo distance.tif", "gdalinfo energy.tif",
                             "ogrinfo -ro -al routes.geojson"):
                    subprocess.run(tool.split(), cwd=self.out, check=True, capture_output=True)

    def test_text_files_are_those_the_window_writes(self):
        window = window_export.ExportFailureTest.earlier_export()
        result = self.plan((100, 100, 103, 104), "--speed", 65)
        self.assertEqual(result.stdout, summaries(self.facts(100, 100, 103, 104, speed=65.0)))
        for name in window_export.NAMES:
            self.assertEqual(self.read(name), window[name], name)

    def test_exact_plan_is_consistent(self):
        for moves, reach in ((8, 1), (16, 2), (48, 4)):  # a vertex at each move's end
            self.plan((10, 360, 350, 340), "--exact", "--moves", moves)
            routes = json.loads(self.read("routes.geojson"))["features"]
            self.assertEqual([(r["properties"]["planner"], r["properties"]["moves"])
                              for r in routes], [("exact", moves)] * 3)
            distances = gdal.Open(os.path.join(self.out, "distance.tif")).ReadAsArray()
            self.assertEqual(distances[364 - 340, 350], f32(routes[0]["properties"]["length_m"]))
            # The fastest route takes no more time than either other.
            self.assertLessEqual(routes[2]["properties"]["time_s"],
                                 min(r["properties"]["time_s"] for r in routes[:2]))
            for route in routes:
                line = route["geometry"]["coordinates"]
                steps = {max(abs(a - b) for a, b in zip(p, q)) // 30
                         for p, q in zip(line, line[1:])}
                self.assertEqual(max(steps), reach, moves)  # the longest moves are taken too

    def test_refusals_write_nothing(self):
        cells = ("1", "2", "3", "4")
        not_a_folder = os.path.join(self.out, "plain")
        for args in (["--plan", "0", "1", "2", "3"], ["--plan", "1", "2", "3"],
                     ["--plan", "1", "x", "3", "4"], ["--plan", *cells, "--speed", "fast"],
                     ["--plan", *cells, "--bogus"], ["--plan", *cells, "-display", ":0"],
                     ["--plan", *cells, "--out", os.path.join(self.out, "missing")],
                     ["--plan", *cells, "--out", not_a_folder], ["--plan", *cells, "--plan", *cells],
                     ["--panel", "--plan", *cells], ["--plan", *cells, "--speed", "1e30"],
                     ["--plan", *cells, "--exact", "--sweep"], ["--plan", *cells, "--routes", "r.txt"],
                     ["--plan", *cells, "--routes", "r.geojson", "--routes", "r.gpx"],
                     ["--plan", *cells, "--isochrones", "5min,1h"],
                     ["--plan", *cells, "--isochrones", "1km", "--isochrones-format", "kml"],
                     ["--plan", *cells, "--via", "99999,30"], ["--plan", *cells, "--via", "0,30"],
                     ["--plan", "--from", "30,30", "--to", "60,60", "--to", "90,90", "--via", "60,30"]):
            with self.subTest(args=args):
                open(not_a_folder, "w").close()
                result = run(args, cwd=self.out)
                self.assertEqual((result.returncode, result.stdout, result.stderr.count("\n"),
                                  os.listdir(self.out)), (2, "", 1, ["plain"]), result.stderr)

    def raster(self, name, pixel, heights, unit=""):
        path = os.path.join(self.out, name)
        data = gdal.GetDriverByName("GTiff").Create(path, 5, 5, 1, gdal.GDT_Float32)
        data.SetGeoTransform((0.0, pixel, 0.0, 5 * pixel, 0.0, -pixel))
        data.GetRasterBand(1).WriteArray(numpy.array(heights, numpy.float32).reshape(5, 5))
        data.GetRasterBand(1).SetUnitType(unit)
        del data
        return path

    def test_hostile_values_are_refused_with_one_true_line(self):
        # Ground only in the west column and the south row: cells no dialogue may name.
        ramp, edge = list(range(25)), [1.0 if i % 5 == 0 or i >= 20 else float("nan")
                                       for i in range(25)]
        dem, big = self.raster("dem.tif", 30.0, ramp), self.raster("big.tif", 2e19, ramp)
        furlong = self.raster("furlong.tif", 30.0, ramp, "furlong")
        rim = self.raster("rim\n.tif", 30.0, edge)
        walls = self.raster("walls.tif", 30.0, [1] * 25)
        speck = os.path.join(self.out, "speck.geojson")
        with open(speck, "w") as f:
            json.dump({"type": "Polygon", "coordinates": [[[1, 1], [2, 1], [2, 2], [1, 1]]]}, f)
        energy = ": a route's energy on this ground could pass 1e+35 J, more than a plan can count"
        long_out = os.path.join(self.out, "x" * 300)
        for args, message in (
                (["--exact", "--mass", "1e30", "--rolling", "1e30"],
                 "--mass 1e+30 with --rolling 1e+30" + energy),
                (["--rolling", "1e30"], "--rolling 1e+30" + energy),
                (["--mass", "1e10", "--rolling", "1e25"], "--mass 1e+10 with --rolling 1e+25" + energy),
                (["--terrain", big], "--terrain: '%s' has cells or heights so far apart that a route "
                 "could be longer than 1e+35 m, more than a plan can count" % big),
                (["--mass", "0x1p-1074"], "--mass: '0x1p-1074' is not a mass in kilograms above 0"),
                (["--moves", "12"], "--moves: '12' is not one of 8, 16, 32, 48, 80, 96"),
                (["--moves", "16", "--moves", "16"], "--moves: given twice"),
                (["--top-speed", "0"], "--top-speed: '0' is not a speed in km/h above 0"),
                (["--top-speed", "1e31"], "--top-speed: '1e31' is above the limit of 1e+30"),
                (["--mass", "2e30"], "--mass: '2e30' is above the limit of 1e+30"),
                (["--speed", "\u00e9" * 40], "--speed: '%s...' is not a speed in miles per hour"
                 % ("\\xc3\\xa9" * 30)),
                (["--power", "5", "--power", "5"], "--power: given twice"),
                (["--side-slope", "100.5"],
                 "--side-slope: '100.5' is not a side slope in percent above 0 and at most 100"),
                (["--side-slope", "30", "--side-slope", "30"], "--side-slope: given twice"),
                (["--cover-table", "t.csv"], "--cover-table: goes with --cover"),
                (["--isochrones", "30min,20min"],
                 "--isochrones: '30min,20min' does not increase: '20min' follows '30min'"),
                (["--top-speed", "1e-30"], "--top-speed 1e-30: a route's time on this ground "
                 "could pass 1e+35 s, more than a plan can count"),
                (["--terrain", dem, "--size", "5", "--cell-size", "1e-300"],
                 "--cell-size: cells of 1e-300 m are too small to be told apart this far from the "
                 "origin of '%s'" % dem),
                (["--terrain", rim, "--centre", "9999,9999"],
                 "--centre: 9999,9999 lies outside '%s'" % rim.replace("\n", "\\n")),
                (["--terrain", rim], "--terrain: '%s' has no ground a route can start on"
                 % rim.replace("\n", "\\n")),
                (["--terrain", dem, "--barriers", walls], "--barriers: '%s' closes every cell of "
                 "the ground a route can start on" % walls),
                (["--terrain", dem, "--barriers", speck],
                 "--barriers: '%s' closes no cell of the ground" % speck),
                (["--terrain", furlong], "--terrain: '%s' has heights in 'furlong', a unit that "
                 "cannot be turned into metres" % furlong),
                (["--from", "0,0", "--to", "90,90"],
                 "--from: 0,0 lies on edge cell (0, 0), where no route may start or end"),
                (["--out", long_out], "--out: '%s' cannot be opened: File name too long" % long_out),
                (["--sweep", "--from", "300,300", "--from", "600,600", "--to", "900,900"],
                 "--from: several starts go with the exact planner, not --sweep"),
                (["--from", "300,300", "--from", "0,600", "--to", "900,900"],
                 "--from: 0,600 lies on edge cell (0, 20), where no route may start or end"),
                (["--corridor", "0"], "--corridor: '0' is not a percentage above 0"),
                (["--from", "300,300", "--from", "600,600", "--to", "900,900", "--corridor", "5"],
                 "--corridor: goes with one start, not several --from")):
            with self.subTest(args=args):
                out = tempfile.mkdtemp(dir=self.out)
                result = run(["--plan", "--no-tables"] + args +
                             ([] if "--out" in args else ["--out", out]), cwd=self.out)
                self.assertEqual((result.returncode, result.stdout, result.stderr, os.listdir(out)),
                                 (2, "", "landscape: %s\n" % message, []))
        self.plan((), "--terrain", dem, "--size", "010", "--cell-size", "10", "--no-tables")
        self.assertEqual(gdal.Open(os.path.join(self.out, "heights.tif")).RasterXSize, 10)

    def test_a_side_slope_limit_keeps_to_the_contour(self):
        # 30 % up to the east: at a 31 % limit the moves along the contour pass, at 29 % none
        # inside (the east column, its gradient halved at the edge, still does).
        ramp = self.raster("ramp.tif", 30.0, [9.0 * (i % 5) for i in range(25)])
        result = self.plan((), "--terrain", ramp, "--side-slope", "31", "--no-tables")
        self.assertIn("From the start a 7 % vehicle leaning at most 31 % reaches 20 % of the "
                      "ground (5 of 25 cells)\n", result.stdout + result.stderr)
        for feature in json.loads(self.read("routes.geojson"))["features"]:
            p = feature["properties"]
            self.assertEqual((p["side_slope_pct"], p["grade_max_pct"]), (31, 0))
            self.assertAlmostEqual(p["side_slope_max_pct"], 30.0, places=4)
        result = self.plan((2, 2, 2, 4), "--terrain", ramp, "--side-slope", "29", status=2)
        self.assertTrue(result.stderr.endswith(
            "\nlandscape: --side-slope: a 7 % vehicle leaning at most 29 % has no move from the "
            "start cell (2, 2); nothing is planned\n"), result.stderr)
        self.plan((2, 2, 2, 4), "--terrain", ramp, "--no-tables")
        p = json.loads(self.read("routes.geojson"))["features"][0]["properties"]
        self.assertEqual((p["side_slope_pct"], p["reachable"]), (None, True))
        self.assertAlmostEqual(p["side_slope_max_pct"], 30.0, places=4)

    def test_running_out_of_memory_is_one_line(self):
        if os.environ.get("LANDSCAPE_SANITIZED") == "1" or e2e._sanitized_build():
            self.skipTest("the sanitizers reserve far more address space than any limit here")
        dem = self.raster("dem.tif", 30.0, list(range(25)))
        limit = 700 << 20
        result = run(["--plan", "--no-tables", "--terrain", dem, "--size", "5000", "--cell-size",
                      "1", "--out", self.out], cwd=self.out,
                     preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))
        # A slow load may tell its progress first.
        self.assertEqual((result.returncode, result.stdout, result.stderr.splitlines()[-1],
                          os.listdir(self.out)),
                         (2, "", "landscape: not enough memory to plan on this ground", ["dem.tif"]))
        self.assertNotIn("terminate", result.stderr)
        # Under the limit a thread's stack of 1 GB does not fit: the thread's work (the cover's
        # warp too) is done on the calling thread, to the same files.
        cover = gdal.GetDriverByName("GTiff").Create(os.path.join(self.out, "c.tif"), 50, 50, 1)
        cover.SetGeoTransform((-15.0, 216.0, 0.0, GRID_SIZE * 30 - 15.0, 0.0, -216.0))
        cover.GetRasterBand(1).Fill(30)
        del cover
        for stack, out in ((None, self.out), (1 << 30, tempfile.mkdtemp(dir=self.out))):
            result = run(["--plan", "--exact", "--cover", os.path.join(self.out, "c.tif"), "--out",
                          out], cwd=out, timeout=60, preexec_fn=stack and (
                lambda: [resource.setrlimit(r, (v, v)) for r, v in (
                    (resource.RLIMIT_STACK, stack), (resource.RLIMIT_AS, limit))]))
            self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual([self.read(n) for n in NAMES], [self.read(os.path.join(out, n))
                                                         for n in NAMES])

    def test_a_file_that_cannot_be_written_is_reported(self):
        os.mkdir(os.path.join(self.out, "distance.tif"))
        result = self.plan((10, 360, 350, 340), status=1)
        self.assertEqual(result.stderr, "Error: could not write distance.tif: not a plain file\n")
        self.assertEqual(sorted(os.listdir(self.out)), sorted(NAMES))
        self.assertEqual(os.listdir(os.path.join(self.out, "distance.tif")), [])
        # Past a 300 kB size limit: the write fails, is reported, keeps the old file and leaves
        # no temporary.
        os.rmdir(os.path.join(self.out, "distance.tif"))
        limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (300_000, 300_000))
        result = run(("--plan", 10, 360, 350, 340), cwd=self.out, preexec_fn=limit)
        too_big = ("distanceTable.txt",) + RASTERS
        self.assertEqual((result.returncode, result.stderr), (1, "".join(
            "Error: could not write %s: File too large\n" % name for name in too_big)))
        self.assertEqual(sorted(os.listdir(self.out)), sorted(set(NAMES) - {"distance.tif"}))
        # A folder this user may not write in is refused before the plan, as a missing one is
        # (root writes anywhere: the run is the nobody user's then).
        os.chmod(self.out, 0o755)
        os.chmod(shut := tempfile.mkdtemp(dir=self.out), 0o555)
        nobody = ["setpriv", "--reuid=" + window_export.NOBODY, "--regid=" + window_export.NOBODY,
                  "--clear-groups"] if os.geteuid() == 0 else []
        result = subprocess.run(nobody + [e2e.ARGS.binary, "--plan", "--out", shut], text=True,
                                capture_output=True, env=e2e._sanitizer_env(dict(os.environ)))
        self.assertEqual((result.returncode, result.stdout, result.stderr, os.listdir(shut)), (
            2, "", "landscape: --out: '%s' cannot be written into: Permission denied\n" % shut, []))

    def test_signals_and_a_swapped_folder_leave_no_temporary_and_one_folder(self):
        other = tempfile.mkdtemp(dir=self.out)
        # (signal, ignored from the start, as under nohup); None: swap --out
        for sig, ignored in ((signal.SIGINT, False), (signal.SIGTERM, False),
                             (signal.SIGHUP, False), (signal.SIGHUP, True), (None, False)):
            with self.subTest(sig=sig, ignored=ignored):
                out = tempfile.mkdtemp(dir=self.out)
                proc = subprocess.Popen([e2e.ARGS.binary, "--plan", "10", "360", "350", "340",
                                         "--out", out], stdout=subprocess.DEVNULL,
                                        env=e2e._sanitizer_env(dict(os.environ)), preexec_fn=(
                                            lambda: signal.signal(sig, signal.SIG_IGN)) if ignored
                                        else None)
                while not any(n.endswith(".tmp") for n in os.listdir(out)):
                    self.assertIsNone(proc.poll(), "ended before its first temporary file")
                proc.send_signal(sig or signal.SIGSTOP)
                if sig is None:
                    os.rename(out, out + ".old")
                    os.symlink(other, out)
                    proc.send_signal(signal.SIGCONT)
                    out += ".old"
                self.assertEqual((proc.wait(), [n for n in os.listdir(out) if "tmp" in n]),
                                 (-sig if sig and not ignored else 0, []))
                if ignored:  # the plan went on to the end
                    self.assertEqual(sorted(os.listdir(out)), sorted(NAMES))
        self.assertEqual((sorted(os.listdir(out)), os.listdir(other)), (sorted(NAMES), []))

    def test_a_gone_reader_of_the_output_ends_nothing_before_the_files(self):
        read, write = os.pipe()
        os.close(read)
        result = run(("--plan", 10, 360, 350, 340), cwd=self.out, stdout=write)
        self.assertEqual((result.returncode, result.stderr, sorted(os.listdir(self.out))),
                         (1, "landscape: standard output: Broken pipe\n", sorted(NAMES)))

    def features(self, cells, *extra):
        stdout = self.plan(cells, *extra).stdout
        return stdout, [f["properties"] for f in json.loads(self.read("routes.geojson"))["features"]]

    def test_a_trip_adds_up_its_legs_planned_apart(self):
        legs, files = [], []
        for cells in ((120, 200, 350, 340), (10, 360, 120, 200)):  # the first leg's tables last
            legs.insert(0, self.features(cells)[1])
            files.append(self.read("previousDistanceVertices.txt").decode().splitlines())
        unreached = numpy.argwhere(gdal.Open(os.path.join(self.out, "distance.tif")).ReadAsArray()[
            1:-1, 1:-1] == UNREACHED)[0] + 1  # row, column of a cell the first leg's plan misses
        stdout, trip = self.features((10, 360, 350, 340), "--via", "3600,6000")
        for m, total in enumerate(("length_m", "energy_j", "time_s")):
            self.assertEqual(f32(trip[m][total]), f32(f32(legs[0][m][total]) + f32(legs[1][m][total])))
            self.assertEqual([(leg["from"], leg["to"], leg[total]) for leg in trip[m]["legs"]],
                             [([10, 360], [120, 200], legs[0][m][total]),
                              ([120, 200], [350, 340], legs[1][m][total])])
        for k, ends in enumerate(("(10, 360) to (120, 200)", "(120, 200) to (350, 340)")):
            self.assertIn("Leg %d of 2, %s: %f miles, %f joules, %f minutes\n" % (
                k + 1, ends, f32(f32(legs[k][0]["length_m"]) / 1609.344), f32(legs[k][1]["energy_j"]),
                f32(legs[k][2]["time_s"]) / 60), stdout)
        self.assertIn("Total Distance Path:\t%f miles" % f32(f32(trip[0]["length_m"]) / 1609.344),
                      stdout)
        # From the end back to the start: the second leg's cells, then the first's.
        cells = [line.split("\t")[:2] for line in self.read(
            "previousDistanceVertices.txt").decode().splitlines()]
        self.assertEqual(cells, [line.split("\t")[:2] for line in files[0] + files[1]])
        via = "%d,%d" % (unreached[1] * 30, (GRID_SIZE - 1 - unreached[0]) * 30)
        stdout, broken = self.features((10, 360, 350, 340), "--via", via)
        self.assertEqual((broken[0]["reachable"], broken[0]["legs"][0]["length_m"]), (False, None))
        self.assertIn("\tUNREACHABLE DISTANCE PATH\n\tUNREACHABLE ENERGY PATH\nLeg 1 of 2, (10, 360) "
                      "to (%d, %d): unreachable\n" % (unreached[1], GRID_SIZE - 1 - unreached[0]),
                      stdout)

    def test_several_destinations_share_one_plan(self):
        singles = [self.features(cells) for cells in ((10, 360, 350, 340), (10, 360, 120, 200))]
        stdout, routes = self.features((), "--from", "300,10800", "--to", "10500,10200", "--to",
                                       "3600,6000")
        self.assertEqual([(p["destination"], p["destination_cell"], p["measure"]) for p in routes],
                         [(d + 1, cell, m) for d, cell in enumerate(([350, 340], [120, 200]))
                          for m in ("distance", "energy", "time")])
        for k, (_, single) in enumerate(singles):
            self.assertEqual([p["length_m"] for p in routes[3 * k:3 * k + 3]],
                             [p["length_m"] for p in single])
        blocks, line = singles[0][0].split("Total Direct Path")
        self.assertEqual(stdout, blocks + "".join(
            "To %s: %f miles, %f joules, %f minutes\n" % (
                cell, f32(f32(p[0]["length_m"]) / 1609.344), f32(p[1]["energy_j"]), f32(p[2]["time_s"]) / 60)
            for cell, (_, p) in zip(("(350, 340)", "(120, 200)"), singles)) + "Total Direct Path" + line)

    def test_route_files_read_back_through_ogr(self):
        dem = os.path.join(self.out, "dem.tif")
        subprocess.run([os.path.join(e2e.HERE, "..", "..", "tools", "demToGeoTiff.py"), dem],
                       check=True)
        self.plan((), "--terrain", dem, "--no-tables", *sum((("--routes", "r." + ending) for ending
                                                             in ("gpx", "gpkg", "kml", "geojson")), ()))
        self.assertEqual(self.read("r.geojson"), self.read("routes.geojson"))
        routes = json.loads(self.read("routes.geojson"))["features"]
        gdal.SetConfigOption("GPX_ELE_AS_25D", "YES")  # <ele> as the points' third coordinate
        gpkg, gpx, kml = (ogr.Open(os.path.join(self.out, "r." + e)) for e in ("gpkg", "gpx", "kml"))
        layer = gpkg.GetLayerByName("routes")  # a layer lives as long as its dataset
        types = {"measure": ogr.OFTString, "planner": ogr.OFTString, "moves": ogr.OFTInteger,
                 "reachable": ogr.OFTInteger, "cells": ogr.OFTInteger}
        definition = layer.GetLayerDefn()
        self.assertEqual([(d.GetName(), d.GetType()) for d in (
            definition.GetFieldDefn(k) for k in range(definition.GetFieldCount()))],
                         [(k, types.get(k, ogr.OFTReal)) for k in routes[0]["properties"]])
        heights = gdal.Open(os.path.join(self.out, "heights.tif"))
        west, size, _, north = heights.GetGeoTransform()[:4]
        band = heights.GetRasterBand(1).ReadAsArray()
        tracks = list(gpx.GetLayerByName("tracks"))
        self.assertEqual([t["name"] for t in tracks], ["distance", "energy", "time"])
        for feature, route, track in zip(layer, routes, tracks):
            p = route["properties"]
            self.assertEqual({k: feature[k] for k in p}, dict(p, reachable=int(p["reachable"])))
            if not p["reachable"]:
                self.assertIsNone(track.GetGeometryRef())
                continue
            line = feature.GetGeometryRef().GetPoints()  # the ground's own metres
            segments = track.GetGeometryRef()
            self.assertEqual(segments.GetGeometryCount(), 1)
            points = segments.GetGeometryRef(0).GetPoints()
            numpy.testing.assert_allclose([q[:2] for q in points], route["geometry"][
                "coordinates"], atol=1e-7)
            pixels = [(round((north - y) / size - 0.5), round((x - west) / size - 0.5))
                      for x, y in line]
            self.assertEqual([f32(q[2]) for q in points], [band[r, c] for r, c in pixels])
        waypoints = [(w["name"], w.GetGeometryRef().GetPoint()) for w in gpx.GetLayerByName(
            "waypoints")]
        self.assertEqual([name for name, _ in waypoints], ["start", "end"])
        first = tracks[0].GetGeometryRef().GetGeometryRef(0)  # the exact plan reaches the end
        self.assertEqual([w for _, w in waypoints], [first.GetPoint(0), first.GetPoint(
            first.GetPointCount() - 1)])
        self.assertEqual(len(kml.GetLayer(0)), 3)

    def test_isochrones_hold_the_cells_within_each_value(self):
        dem = os.path.join(self.out, "dem.tif")
        subprocess.run([os.path.join(e2e.HERE, "..", "..", "tools", "demToGeoTiff.py"), dem],
                       check=True)
        flat = self.raster("flat.tif", 30.0, [0.0] * 25)  # cells exactly 30 m and 60 m away
        fields = [("measure", ogr.OFTString), ("value", ogr.OFTReal), ("unit", ogr.OFTString),
                  ("area_km2", ogr.OFTReal)]
        for ground, values, unit, per, raster, fmt in (
                ((), "1km,3km,5km", "km", 1000, "distance.tif", "gpkg"),
                (("--terrain", flat), "30m,60m", "m", 1, "distance.tif", "gpkg"),
                ((), "200kJ,1000kJ,1e33kJ", "kJ", 1000, "energy.tif", "geojson"),  # all reached
                (("--terrain", dem), "10min,20min,30min", "min", 60, "time.tif", "gpkg"),
                (("--terrain", dem), "0.2h,0.4h", "h", 3600, "time.tif", "geojson")):
            with self.subTest(values=values):
                self.plan((), *ground, "--no-tables", "--isochrones", values,
                          *(("--isochrones-format", fmt) if fmt == "geojson" else ()))
                costs = gdal.Open(os.path.join(self.out, raster))  # outlives its band
                table = costs.GetRasterBand(1).ReadAsArray().astype(float)
                size = costs.GetGeoTransform()[1]
                system = osr.SpatialReference(wkt=costs.GetProjection())
                reach = ogr.Open(os.path.join(self.out, "isochrones." + fmt))
                layer = reach.GetLayer(0)
                definition = layer.GetLayerDefn()
                self.assertEqual((layer.GetName(), [(d.GetName(), d.GetType()) for d in (
                    definition.GetFieldDefn(k) for k in range(definition.GetFieldCount()))]),
                                 ("reach", fields))
                self.assertEqual([(f["measure"], f["value"], f["unit"]) for f in layer], [
                    (raster[:-4], float(v[:-len(unit)]), unit) for v in values.split(",")])
                if fmt == "gpkg" and costs.GetProjection():
                    self.assertTrue(layer.GetSpatialRef().IsSame(system))
                for feature in layer:
                    within = (table <= feature["value"] * per) & (table < UNREACHED)
                    cells = within.sum()
                    self.assertAlmostEqual(feature["area_km2"], cells * size * size / 1e6, places=9)
                    if fmt == "gpkg":
                        self.assertAlmostEqual(feature.GetGeometryRef().GetArea(),
                                               cells * size * size, delta=1e-3)
                    # Burnt back onto the cost raster's grid (from longitude/latitude too): the
                    # cells whose centres the area holds are the cells within.
                    one = ogr.GetDriverByName("Memory").CreateDataSource("")
                    alone = one.CreateLayer("one", layer.GetSpatialRef())
                    copy = ogr.Feature(alone.GetLayerDefn())
                    copy.SetGeometry(feature.GetGeometryRef())
                    alone.CreateFeature(copy)
                    grid = gdal.GetDriverByName("MEM").Create("", costs.RasterXSize,
                                                              costs.RasterYSize, 1, gdal.GDT_Byte)
                    grid.SetGeoTransform(costs.GetGeoTransform())
                    grid.SetProjection(costs.GetProjection())
                    gdal.RasterizeLayer(grid, [1], alone, burn_values=[1])
                    numpy.testing.assert_array_equal(grid.ReadAsArray(), within, values)
                subprocess.run(["ogrinfo", "-ro", "-al", "isochrones." + fmt], cwd=self.out,
                               check=True, capture_output=True)
                os.remove(os.path.join(self.out, "isochrones." + fmt))

    def test_a_route_across_the_antimeridian_is_cut_there(self):
        dem = os.path.join(self.out, "dateline.tif")  # flat, 179.9 to 180.1 degrees east
        out = gdal.GetDriverByName("GTiff").Create(dem, 200, 200, 1, gdal.GDT_Float32)
        out.SetGeoTransform((179.9, 0.001, 0, 0.2, 0, -0.001))
        out.SetProjection(osr.SRS_WKT_WGS84_LAT_LONG)
        out.GetRasterBand(1).Fill(0)
        out = None
        self.plan((10, 100, 190, 100), "--terrain", dem)
        for feature in json.loads(self.read("routes.geojson"))["features"]:
            first, second = feature["geometry"]["coordinates"]
            self.assertEqual((feature["geometry"]["type"], first[-1][0], second[0][0],
                              first[-1][1]), ("MultiLineString", 180, -180, second[0][1]))
            self.assertLessEqual(max(abs(x) for x, _ in first + second), 180)
        # A longitude a whole turn east or west is the same place: the window's centre, the ends.
        placed = []
        for east in (180.0, -180.0, 540.0):
            self.plan((), "--terrain", dem, "--no-tables", "--size", "50", "--centre",
                      "%.2f,0.1" % east, "--from", "%.2f,0.11" % (east - 0.01), "--to",
                      "%.2f,0.09" % (east + 0.01))
            placed.append((gdal.Open(os.path.join(self.out, "heights.tif")).GetGeoTransform(),
                           self.read("routes.geojson")))
        self.assertEqual(placed[1:], placed[:1] * 2)

    def test_barriers_close_the_cells_they_cover_and_bad_ones_are_refused(self):
        # A wall over columns 167..176 and rows 0..299 of the built-in ground, as polygons in the
        # ground's own metres and as a raster of non-zero cells: both close exactly those cells.
        wall = os.path.join(self.out, "wall.geojson")
        with open(wall, "w") as f:
            f.write('{"type":"Polygon","coordinates":[[[5000,-100],[5300,-100],[5300,8990],'
                    '[5000,8990],[5000,-100]]]}')
        closed = numpy.zeros((GRID_SIZE, GRID_SIZE), numpy.uint8)
        closed[GRID_SIZE - 300:, 167:177] = 1  # north-up rows
        mask = os.path.join(self.out, "wall.tif")
        grid = gdal.GetDriverByName("GTiff").Create(mask, GRID_SIZE, GRID_SIZE, 1, gdal.GDT_Byte)
        grid.SetGeoTransform(GEOTRANSFORM)
        grid.GetRasterBand(1).WriteArray(closed * 7)
        del grid
        vehicle = ("--grade", "12,9", "--rolling", "0.015", "--mass", "2000", "--descent", "0.5")
        planned = []
        for barriers in (wall, mask):
            self.plan((10, 360, 350, 340), "--exact", "--barriers", barriers, *vehicle)
            distance = gdal.Open(os.path.join(self.out, "distance.tif")).ReadAsArray()
            self.assertTrue((numpy.isnan(distance) | (distance > 1e30))[closed == 1].all())
            planned.append((distance, self.read("routes.geojson")))
        self.assertEqual(planned[0][1], planned[1][1])
        numpy.testing.assert_array_equal(planned[0][0], planned[1][0])
        properties = json.loads(planned[0][1])["features"][1]["properties"]
        self.assertEqual([properties[k] for k in ("grade_up_pct", "grade_down_pct", "mass_kg",
                                                  "descent", "rolling")], [12, 9, 2000, 0.5, 0.015])
        far = os.path.join(self.out, "far.geojson")  # refused with one line, nothing written
        with open(far, "w") as f:
            f.write(open(wall).read().replace("5000", "90000").replace("5300", "90300"))
        ground = os.path.join(self.out, "utm.tif")
        utm = gdal.GetDriverByName("GTiff").Create(ground, 20, 20, 1, gdal.GDT_Float32)
        utm.SetGeoTransform((500000.0, 30.0, 0.0, 4000000.0, 0.0, -30.0))
        srs = osr.SpatialReference()
        srs.ImportFromEPSG(32616)
        utm.SetProjection(srs.ExportToWkt())
        del utm
        for args, reason in (([far], "'%s' closes no cell of the ground" % far),
                             ([mask, "--terrain", ground], "'%s' has no coordinate system, but "
                                                           "the ground has one" % mask)):
            with self.subTest(reason=reason):
                out = tempfile.mkdtemp(dir=self.out)
                result = run(["--plan", "--barriers"] + args + ["--out", out], cwd=self.out)
                self.assertEqual((result.returncode, result.stdout, result.stderr,
                                  os.listdir(out)), (2, "", "landscape: --barriers: %s\n" % reason,
                                                     []))

    def test_a_cover_closes_its_lake_and_a_bad_table_is_refused(self):
        # A 20 x 20 ground of 30 m pixels, grass but for a lake over pixel rows and columns 8..11.
        ground, cover, table = (os.path.join(self.out, n) for n in ("g.tif", "c.tif", "t.csv"))
        srs = osr.SpatialReference()
        srs.ImportFromEPSG(32616)
        classes = numpy.full((20, 20), 4, numpy.uint8)
        classes[8:12, 8:12] = 3

        def write(name, values, bands=1, kind=gdal.GDT_Float32):
            raster = gdal.GetDriverByName("GTiff").Create(name, 20, 20, bands, kind)
            raster.SetGeoTransform((500000.0, 30.0, 0.0, 4000000.0, 0.0, -30.0))
            raster.SetProjection(srs.ExportToWkt())
            for band in range(bands):
                raster.GetRasterBand(band + 1).WriteArray(values)
        for name, values in ((ground, numpy.zeros((20, 20))), (cover, classes)):
            write(name, values)
        head = "class,name,speed_kmh,rolling\n"
        for text, cells, reason in (
                (head + "3,lake,0,\n4,grass,0,\n", (), "--cover: '%s' closes every cell of the "
                 "ground a route can start on" % cover),
                (head + "3,lake\0,0,\n", (), "--cover-table: '%s' is not a text table" % table),
                (head + "3,lake,inf,\n", (), "--cover-table: '%s' line 2: speed_kmh 'inf' must be "
                 "finite" % table),
                (head + "3,lake,0,\n", (2, 2, 17, 17),
                 "--cover-table: '%s' lacks class 4, which --cover '%s' holds" % (table, cover)),
                (head + "3,lake,0,\n4,grass,-30,\n", (2, 2, 17, 17),
                 "--cover-table: '%s' line 3: speed_kmh '-30' is not a speed of 0 or more km/h"
                 % table),
                (head + "3,lake,0,\n4,grass,30,\n", (10, 10, 17, 17),
                 "--cover: '%s' closes every move from the start cell (10, 10); nothing is "
                 "planned" % cover),
                (head + "3,lake,0,\n4,grass,30,\n", (2, 2, 17, 17, "--via", "500315,3999715"),
                 "--via: 500315,3999715 lies in a no-go area")):
            with self.subTest(reason=reason):
                with open(table, "w") as f:
                    f.write(text)
                out = tempfile.mkdtemp(dir=self.out)
                result = run(["--plan"] + list(cells) + ["--terrain", ground, "--cover", cover,
                                                         "--cover-table", table, "--out", out],
                             cwd=self.out)
                self.assertEqual((result.returncode, result.stderr.splitlines()[-1],
                                  os.listdir(out)), (2, "landscape: " + reason, []))
        for values, bands, kind, reason in (  # covers of classes of 32 bits as a spreadsheet
                (classes, 1, gdal.GDT_Float32, ""), (classes + 2 ** 31, 1, gdal.GDT_UInt32, ""),
                (classes, 3, gdal.GDT_Float32, "has 3 bands; a cover has one"),  # saves them
                (classes * numpy.nan, 1, gdal.GDT_Float32, "holds no value (all of it is nodata "
                 "or NaN)")):
            with self.subTest(reason=reason, kind=kind), open(table, "w", encoding="utf-8",
                                                                 newline="\r\n") as f:
                f.write("\ufeff" + head + "".join('%d,"lake, ""deep""",0,\n%d,grass,30,\n' % (
                    3 + top, 4 + top) for top in (0, 2 ** 31)))
            write(cover, values, bands, kind)
            result = self.plan((2, 2, 17, 17), "--terrain", ground, "--cover", cover,
                               "--cover-table", table, status=2 if reason else 0)
            self.assertIn("landscape: --cover: '%s' %s\n" % (cover, reason) if reason else "",
                          result.stderr)
            if not reason:
                distance = gdal.Open(os.path.join(self.out, "distance.tif")).ReadAsArray()
                self.assertTrue((distance[classes == 3] > 1e30).all())
                self.assertTrue((distance[1:-1, 1:-1][classes[1:-1, 1:-1] == 4] < 1e30).all())
        # Speeds of 50 km/h stored through a scale, an offset or another unit time alike.
        times = []
        for kind, stored, scale, offset, unit in (
                (gdal.GDT_Float32, 50, 1, 0, ""), (gdal.GDT_UInt16, 500, 0.1, 0, ""),
                (gdal.GDT_Byte, 0, 1, 50, "kph"), (gdal.GDT_Float32, 50 / 1.609344, 1, 0, "mph"),
                (gdal.GDT_Float32, 50 / 3.6, 1, 0, "m s-1"),
                (gdal.GDT_Float32, 50 / 1.852, 1, 0, "kt"),
                (gdal.GDT_Float32, 50, 1, 0, "furlong/fortnight")):
            raster = gdal.GetDriverByName("GTiff").Create(cover, 20, 20, 1, kind)
            raster.SetGeoTransform((500000.0, 30.0, 0.0, 4000000.0, 0.0, -30.0))
            raster.SetProjection(srs.ExportToWkt())
            band = raster.GetRasterBand(1)
            band.Fill(stored), band.SetScale(scale), band.SetOffset(offset), band.SetUnitType(unit)
            del raster, band
            result = run(["--plan", "2", "2", "17", "17", "--terrain", ground, "--cover", cover,
                          "--out", self.out, "--no-tables"], cwd=self.out)
            if unit != "furlong/fortnight":
                times.append(gdal.Open(os.path.join(self.out, "time.tif")).ReadAsArray())
        numpy.testing.assert_allclose(times[1:], times[:1] * 5, rtol=1e-6)
        self.assertEqual((result.returncode, result.stderr), (2, "landscape: --cover: '%s' has "
                         "speeds in 'furlong/fortnight', a unit that cannot be turned into km/h\n"
                         % cover))

    def test_points_from_files_and_other_systems_give_the_same_routes(self):
        ground = os.path.join(self.out, "utm.tif")  # 20 x 20 cells of 30 m, a hill in the middle
        utm = gdal.GetDriverByName("GTiff").Create(ground, 20, 20, 1, gdal.GDT_Float32)
        utm.SetGeoTransform((500000.0, 30.0, 0.0, 4000000.0, 0.0, -30.0))
        srs = osr.SpatialReference()
        srs.ImportFromEPSG(32616)
        utm.SetProjection(srs.ExportToWkt())
        rows, columns = numpy.mgrid[0:20, 0:20]
        utm.GetRasterBand(1).WriteArray(40.0 * numpy.exp(-((rows - 9) ** 2 + (columns - 10) ** 2) / 20))
        del utm
        wgs84 = osr.SpatialReference()
        wgs84.ImportFromEPSG(4326)
        wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
        to_lonlat = osr.CoordinateTransformation(srs, wgs84)
        cells = [(2, 3), (10, 17), (17, 4)]
        own = [(500015.0 + 30 * x, 3999415.0 + 30 * y) for x, y in cells]
        lonlat = [to_lonlat.TransformPoint(*p)[:2] for p in own]
        files = {"p.gpx": '<?xml version="1.0"?><gpx version="1.1" creator="t" xmlns="http://www.'
                          'topografix.com/GPX/1/1"><rte>%s</rte></gpx>' % "".join(
                              '<rtept lat="%.10f" lon="%.10f"/>' % p[::-1] for p in lonlat[::2]),
                 "p.csv": "name,lon,lat\n" + "".join("a,%.10f,%.10f\n" % p for p in lonlat[::2])}
        line = ogr.GetDriverByName("GPKG").CreateDataSource(os.path.join(self.out, "p.gpkg"))
        layer = line.CreateLayer("trip", srs, ogr.wkbLineString)
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetGeometry(ogr.CreateGeometryFromWkt("LINESTRING (%s)" % ",".join(
            "%r %r" % p for p in own)))  # a via point between the ends
        layer.CreateFeature(feature)
        del feature, layer, line
        for name, text in files.items():
            with open(os.path.join(self.out, name), "w") as f:
                f.write(text)
        ends = ("--from", "%r,%r" % own[0], "--to", "%r,%r" % own[2])
        planned = []
        for extra in (ends, ("--crs", "EPSG:4326", "--from", "%.10f,%.10f" % lonlat[0], "--to",
                             "%.10f,%.10f" % lonlat[2]), ("--points", "p.gpx"),
                      ("--points", "p.csv"), ends[:2] + ("--via", "%r,%r" % own[1]) + ends[2:],
                      ("--points", "p.gpkg", "--crs", "EPSG:3857")):
            result = self.plan((), "--terrain", ground, "--no-tables", *extra)
            planned.append((result.stdout, self.read("routes.geojson"), self.read("distance.tif")))
        # The line's middle vertex is a via point: the trip --via plans.
        self.assertEqual((planned[1:4], planned[5]), (planned[:1] * 3, planned[4]))
        self.assertIn("Leg 2 of 2", planned[5][0])
        for centre in (("%r,%r" % own[1],), ("%.10f,%.10f" % lonlat[1], "--crs", "EPSG:4326")):
            self.plan((), "--terrain", ground, "--no-tables", "--size", "5", "--centre", *centre)
            planned.append(gdal.Open(os.path.join(self.out, "heights.tif")).GetGeoTransform())
        numpy.testing.assert_allclose(planned[-1], planned[-2], atol=1e-4)  # to a tenth of a mm
        with open(os.path.join(self.out, "one.csv"), "w") as f:
            f.write("x,y\n%r,%r\n" % own[0])
        with open(os.path.join(self.out, "off.csv"), "w") as f:
            f.write("x,y\n%r,%r\n1,2\n" % own[0])
        for args, message in (
                (["--crs", "EPSG:99999"], "--crs: 'EPSG:99999' is not a coordinate system GDAL reads"),
                (["--crs", "EPSG:4326", "--from", "1,2", "--to", "3,4"],
                 "--crs: the ground has no coordinate system; give points in its own coordinates"),
                (["--terrain", ground, "--points", "one.csv"],
                 "--points: 'one.csv' holds one point (line 2); a start and an end are needed"),
                (["--terrain", ground, "--points", "off.csv"],
                 "--points: 'off.csv' line 3 (1,2) lies off the ground"),
                (["--terrain", ground, "--points", "p.csv", "--from", "1,2"],
                 "--points: does not go with --from")):
            with self.subTest(args=args):
                out = tempfile.mkdtemp(dir=self.out)
                result = run(["--plan"] + args + ["--out", out], cwd=self.out)
                self.assertEqual((result.returncode, result.stdout, result.stderr, os.listdir(out)),
                                 (2, "", "landscape: %s\n" % message, []))

    def test_loaded_raster_plans_in_its_own_coordinates(self):
        dem = os.path.join(self.out, "dem.tif")
        subprocess.run([os.path.join(e2e.HERE, "..", "..", "tools", "demToGeoTiff.py"), dem],
                       check=True)
        # The default plan of loaded ground starts on the largest stretch a vehicle can cross
        # (the exact planner reaches its end):
        # its start is the cell of distance 0, its end the route's first line.
        self.plan((), "--terrain", dem, "--exact")
        distance = gdal.Open(os.path.join(self.out, "distance.tif")).ReadAsArray()
        row, column = (int(v[0]) for v in numpy.nonzero(distance == 0))
        start = (column, distance.shape[0] - 1 - row)
        end = tuple(int(v) for v in self.read("previousDistanceVertices.txt").split()[:2])
        for extra in (("--sweep",), ()):
            with self.subTest(extra=extra):
                self.plan(start + end, "--terrain", dem, *extra)
                table = self.read("distanceTable.txt").decode().splitlines()[1:]
                costs = numpy.array([float(line.split("\t")[3]) for line in table])
                raster = gdal.Open(os.path.join(self.out, "distance.tif"))
                srs = osr.SpatialReference(wkt=raster.GetProjection())
                self.assertEqual(srs.GetAuthorityCode(None), "32616")  # UTM 16 north
                values = raster.ReadAsArray()[::-1].T.flatten().astype(float)
                numpy.testing.assert_allclose(values, costs, rtol=5e-6)
                # The routes' vertices lie on the raster's cell centres, in longitude/latitude.
                west, size, _, north = raster.GetGeoTransform()[:4]
                wgs84 = osr.SpatialReference()
                wgs84.ImportFromEPSG(4326)
                wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
                to_lonlat = osr.CoordinateTransformation(srs, wgs84)
                for feature in json.loads(self.read("routes.geojson"))["features"]:
                    if not feature["properties"]["reachable"]:  # one pass may fall short
                        self.assertEqual(extra, ("--sweep",))
                        continue
                    line = feature["geometry"]["coordinates"]
                    self.assertEqual(len(line), feature["properties"]["cells"])
                    for cell, vertex in ((start, line[0]), (end, line[-1])):
                        x = west + size * (cell[0] + 0.5)
                        y = north - size * (raster.RasterYSize - 1 - cell[1] + 0.5)
                        numpy.testing.assert_allclose(vertex, to_lonlat.TransformPoint(x, y)[:2],
                                                      atol=1e-9)

    def rasters(self, name):
        return gdal.Open(os.path.join(self.out, name)).ReadAsArray()

    def test_several_starts_plan_each_cell_from_the_nearest(self):
        starts, end = ((10, 360), (200, 30), (300, 300)), ("--to", "10500,10200")
        alone = []  # each start's own costs, a band a measure
        for x, y in starts:
            self.plan((), "--no-tables", "--exact", "--from", "%d,%d" % (30 * x, 30 * y), *end)
            alone.append([self.rasters(n) for n in RASTERS[:3]])
        froms = [a for x, y in starts for a in ("--from", "%d,%d" % (30 * x, 30 * y))]
        self.plan((), "--no-tables", *froms, *end)
        nearest = self.rasters("nearest.tif")
        self.assertEqual(nearest.dtype, numpy.int32)
        routes = json.loads(self.read("routes.geojson"))["features"]
        for m, name in enumerate(RASTERS[:3]):
            least = numpy.min([a[m] for a in alone], axis=0)
            numpy.testing.assert_array_equal(self.rasters(name), least, name)
            # Each cell's number names a start whose own plan gives its cost.
            named = numpy.choose(numpy.maximum(nearest[m] - 1, 0), [a[m] for a in alone])
            reached = least != f32(UNREACHED)
            numpy.testing.assert_array_equal(named[reached], least[reached], name)
            self.assertTrue((nearest[m][~reached] == 0).all() and set(nearest[m][reached].flat)
                            == {1, 2, 3}, name)
            # The route leads back to the start nearest the end.
            first = routes[m]["geometry"]["coordinates"][0][:2]
            self.assertEqual(starts[nearest[m][364 - 340, 350] - 1], (first[0] / 30, first[1] / 30))

    def test_corridor_is_both_ways_less_the_best_and_naught_on_the_route(self):
        self.plan((), "--no-tables", "--exact", "--from", "300,10800", "--to", "10500,10200")
        back = [self.rasters(n) for n in RASTERS[:3]]  # from the end: the same both ways
        self.plan((), "--no-tables", "--from", "10500,10200", "--to", "300,10800",
                  "--corridor", "10")
        corridor = self.rasters("corridor.tif")
        routes = json.loads(self.read("routes.geojson"))["features"]
        self.assertEqual((corridor.dtype, len(corridor)), (numpy.float32, 3))
        for m, name in enumerate(RASTERS[:3]):
            ahead = self.rasters(name).astype(numpy.float64)
            best = ahead[364 - 360, 10]
            both = (ahead != f32(UNREACHED)) & (back[m] != f32(UNREACHED))
            numpy.testing.assert_allclose(corridor[m][both], (ahead + back[m] - best)[both],
                                          atol=4e-7 * best)
            self.assertTrue((corridor[m][~both] == f32(UNREACHED)).all())
            line = routes[m]["geometry"]["coordinates"]
            cells = [(round(p[0] / 30), round(p[1] / 30)) for p in line]
            self.assertEqual({float(corridor[m][364 - y, x]) for x, y in cells}, {0.0}, name)

    def test_a_trips_corridor_joins_its_legs_and_is_naught_on_the_trip(self):
        points = ("300,10800", "6000,3000", "10500,10200")
        legs = []  # each leg's own corridor
        for a, b in zip(points, points[1:]):
            self.plan((), "--no-tables", "--from", a, "--to", b, "--corridor", "10")
            legs.append(self.rasters("corridor.tif"))
        self.plan((), "--no-tables", "--from", points[0], "--via", points[1], "--to", points[2],
                  "--corridor", "10")
        corridor = self.rasters("corridor.tif")
        numpy.testing.assert_array_equal(corridor, numpy.minimum(*legs))
        for m, feature in enumerate(json.loads(self.read("routes.geojson"))["features"]):
            cells = [(round(p[0] / 30), round(p[1] / 30))
                     for p in feature["geometry"]["coordinates"]]
            self.assertEqual({float(corridor[m][364 - y, x]) for x, y in cells}, {0.0})


if __name__ == "__main__":
    e2e.main()
