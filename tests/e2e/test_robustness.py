import ctypes, gzip, os, re, shutil, signal, socket, sqlite3, subprocess, tempfile, time  # noqa
import unittest

import numpy as np
from osgeo import gdal, ogr

import landscape_e2e as e2e
from test_batch import run
from test_export_failures import ECHO, EXPORT_MESSAGE, GRID_SIZE, NAMES, NOBODY, OTHER_CELLS
from test_keyboard import PROMPT, RANGE_MESSAGE as RANGE
from test_terrain import SOURCE

LONG_PLAN_SIDE, PLANNING = 6000, "Planning: "  # an exact plan of seconds, and its progress
BUSY_SIDE, BUSY_MOVES = 1500, "96"  # plans of seconds whose table file stays small
SANITIZED_BUSY_SIDE = 1000  # the sanitized build plans it for as many seconds
WAITING, DIRECT = "Waiting for the plan to finish\n", "Total Direct Path"

X11 = ctypes.CDLL("libX11.so.6")
X11.XOpenDisplay.restype = ctypes.c_void_p


class RobustnessTest(e2e.TestCase):
    """Hostile use tried for real. Speeds are printed, not asserted; what never happens fails."""
    def xlib(self, app, call):  # call(display, window) through a connection of our own
        display = ctypes.c_void_p(X11.XOpenDisplay(app.display.encode()))
        getattr(X11, call)(display, ctypes.c_ulong(int(app.window)))
        X11.XCloseDisplay(display)

    def until(self, condition, deadline=e2e.OUTPUT_TIMEOUT):  # seconds until condition() holds
        start = time.monotonic()
        while not condition():
            self.assertLess(time.monotonic() - start, deadline, "never happened")
            time.sleep(0.02)
        return time.monotonic() - start

    def test_exports_open_nothing_planted_keep_protected_files_and_never_tear(self):
        os.chmod(workdir := tempfile.mkdtemp(), 0o777)
        self.addCleanup(shutil.rmtree, workdir, True)
        os.mkfifo(os.path.join(workdir, NAMES[0] + ".tmp"))  # at temporary names once used
        open(os.path.join(workdir, NAMES[1] + ".tmp"), "w").write("mine")
        rows = ((NOBODY, 0o640, True), (NOBODY, 0o444, False), ("0", 0o644, False))
        for name, (owner, mode, _) in zip(NAMES, rows):  # (owner, mode, replaced by nobody)
            open(os.path.join(workdir, name), "w").write("old\n")
            os.chown(os.path.join(workdir, name), int(owner), int(owner))
            os.chmod(os.path.join(workdir, name), mode)
        nobody = dict(workdir=workdir, extra_env={"MESA_SHADER_CACHE_DISABLE": "true"}, prefix=[
            "setpriv", "--reuid=" + NOBODY, "--regid=" + NOBODY, "--clear-groups"])
        with self.launch(**nobody) as a, self.launch(**nobody) as b:  # two viewers at once
            b.key("p")
            b.write_stdin(OTHER_CELLS)  # other tables, so torn files would show
            for app in (a, b) * 3:
                app.xdotool("key", "--window", app.window, "P")
            self.until(lambda: (a.output() + b.output()).count(EXPORT_MESSAGE + ECHO) == 6)
        for name, (owner, mode, replaced) in zip(NAMES, rows):
            info = os.stat(os.path.join(workdir, name))
            self.assertEqual((info.st_uid, info.st_mode & 0o777, (a.errors() + b.errors()).count(
                "Error: could not write %s: Permission denied\n" % name)), (int(owner), mode,
                                                            6 * (not replaced)))
        table = open(os.path.join(workdir, NAMES[0])).read().splitlines()
        self.assertEqual(({len(line.split("\t")) for line in table}, len(table), open(
            os.path.join(workdir, NAMES[1] + ".tmp")).read()), ({4}, GRID_SIZE ** 2 + 1, "mine"))

    def test_dialogue_signals_and_closed_descriptors(self):
        # (redirection at the start, typed after 'p' (None: no 'p'), then, printed after the prompt)
        for closing, typed, then, printed in (
                ("", "10 360 350 34 0\n", None, RANGE), ("", "100 100 103 104\r", None, ""),
                ("", "100 100 103 104", "close", ""), ("", "1 2 3 4", signal.SIGTERM, ""),
                ("2>&-", "1 2\n", signal.SIGINT, ""), ("1>&-", None, signal.SIGTERM, ""),
                ("0>&-", "", signal.SIGINT, RANGE)):
            with self.subTest(typed=typed, closing=closing), self.launch(
                    prefix=["sh", "-c", 'exec "$0" "$@" ' + closing]) as app:
                self.assertFalse(app.settled_screenshot().is_uniform())
                if typed is not None:
                    app.key("p")
                    app.wait_for(re.escape(PROMPT + printed * (closing == "0>&-")))
                    app.write_stdin(typed)
                if then in (None, "close"):
                    app.close_stdin() if then else None
                    app.wait_for(re.escape(PROMPT + printed + ECHO))
                    continue
                app.proc.send_signal(then)
                took = self.until(lambda: app.proc.poll() is not None)
                print("%s %r: ended after %.3f s" % (then, closing, took))
                after = printed + ECHO * (typed is not None)
                self.assertEqual((app.terminate(), app.errors(), app.output().split(PROMPT)[-1][
                    :len(after)]), (0, "", after))

    def test_signals_end_a_long_plan_at_once(self):
        self.addCleanup(shutil.rmtree, folder := tempfile.mkdtemp())
        subprocess.run(["/usr/bin/python3", os.path.join(SOURCE, "tools", "hillsRaster.py"), ground
                        := os.path.join(folder, "h.tif"), *[str(LONG_PLAN_SIDE)] * 2], check=True)
        # Every step passes, so every cell is planned; the eight steps keep the start-up short.
        args = ["--terrain", ground, "--grade", "100", "--moves", "8"]
        for batch, sig in ((False, signal.SIGTERM), (False, signal.SIGINT), (True, signal.SIGTERM)):
            with self.subTest(batch=batch, sig=sig):
                if batch:  # its progress goes to standard error
                    proc = subprocess.Popen([e2e.ARGS.binary, "--plan", "--exact", "--out", folder]
                                            + args, stdout=-3, stderr=-1,
                                            env=e2e._sanitizer_env(dict(os.environ)))
                    next(line for line in proc.stderr if line.startswith(PLANNING.encode()))
                else:  # the exact plan in the window, after the first (sweep) plan
                    app = self.enterContext(self.launch(extra_args=args + ["--sweep"]))
                    since, _ = app.mark(), app.key("e")
                    proc = app.wait_for(PLANNING, since=since, timeout=120) and app.proc
                sent, _ = time.monotonic(), proc.send_signal(sig)
                self.assertEqual(proc.wait(), -sig if batch else 0)
                print("%s: ended %.3f s after it" % (sig.name, time.monotonic() - sent))
                self.assertLess(time.monotonic() - sent, 1.0)  # seconds

    def test_window_answers_while_it_plans_and_a_new_start_replaces_the_plan(self):
        self.addCleanup(shutil.rmtree, folder := tempfile.mkdtemp())
        side = SANITIZED_BUSY_SIDE if e2e.sanitized() else BUSY_SIDE
        subprocess.run(["/usr/bin/python3", os.path.join(SOURCE, "tools", "hillsRaster.py"), ground
                        := os.path.join(folder, "h.tif"), *[str(side)] * 2], check=True)
        with self.launch(extra_args=["--terrain", ground, "--moves", BUSY_MOVES]) as app:
            grey = lambda shot: shot.count(lambda p: p[0] != p[1] or p[1] != p[2]) == 0  # noqa
            first = app.settled_screenshot()  # heights only, until the first plan ends
            app.hold_until_changed("w", first, 100)
            moved = app.screenshot()
            self.assertEqual((grey(first), grey(moved), DIRECT in app.output()), (True, True, False))
            self.assertGreater(moved.differing_pixels(first), 100)
            app.key("p")  # a new start and end, (5, 5) both, while the first plan runs
            app.wait_for(re.escape(PROMPT))
            app.write_stdin("5 5 5 5\n")
            app.wait_for(ECHO)
            app.key("P")  # waits for the new plan, then writes its tables
            app.wait_for(DIRECT, timeout=600)
            out = app.output()
            self.assertEqual((out.count(WAITING), out.count(DIRECT), "Path:\t0.000000" in out),
                             (1, 1, True))
            with open(os.path.join(app.workdir, "distanceTable.txt")) as table:
                row = next(line for k, line in enumerate(table) if k == 1 + 5 * side + 5)
            self.assertEqual(float(row.split()[3]), 0.0)

    def test_picture_catches_up_without_input_and_idles(self):
        with self.launch() as app:
            still = app.settled_screenshot()
            cpu = lambda: int(open("/proc/%d/schedstat" % app.proc.pid).read().split()[0])  # noqa
            used, _ = cpu(), time.sleep(2)  # nanoseconds on a CPU
            print("idle: %.1f ms of CPU in 2 s" % ((cpu() - used) / 1e6))
            self.assertLess(cpu() - used, 1e8)
            self.xlib(app, "XAutoRepeatOff")  # (ignores the window) only our frames may show motion
            app.key_down("w")
            print("held w: %.3f s" % self.until(lambda: app.screenshot().data != still.data))
            app.key_up("w")
            app.drag((250, 250), (330, 250))

            def drawing_stopped():  # under 50 ms of CPU in half a second: no frames any more
                used, _ = cpu(), time.sleep(0.5)
                return cpu() - used < 5e7
            print("drag settled: %.3f s" % self.until(drawing_stopped))
            shown = app.screenshot()
            self.assertEqual(app.redrawn_screenshot().data, shown.data)

    def test_destroyed_or_killed_window_ends_the_program(self):
        for end in ("XDestroyWindow", "XKillClient"):
            with self.subTest(end), self.launch() as app:
                self.xlib(app, end)
                self.until(lambda: app.proc.poll() is not None)
                self.assertIn((app.terminate(), len(app.errors().splitlines())), ((0, 0), (1, 1)))

    def test_window_outlives_its_console_reader(self):
        gone = ("import os, sys; r, w = os.pipe(); os.close(r); os.dup2(w, 1); "
                "os.execv(sys.argv[1], sys.argv[1:])")
        with self.launch(prefix=["/usr/bin/python3", "-c", gone]) as app:
            app.key("S", "S")
            app.redrawn_screenshot()
            self.assertEqual((app.proc.poll(), app.terminate()), (None, 0))

    def test_hostile_ground_is_refused_in_one_line_without_hanging_or_connecting(self):
        self.addCleanup(shutil.rmtree, d := tempfile.mkdtemp(prefix="landscape-hostile-"), True)
        listener = socket.create_server(("127.0.0.1", 0))  # accepts, never answers
        url = "http://127.0.0.1:%d/x.tif" % listener.getsockname()[1]
        tif = lambda name, geo, value=0.0: write_tif(os.path.join(d, name), geo, value)  # noqa
        tif("good.tif", (0, 30, 0, 600, 0, -30))
        gdal.Translate(os.path.join(d, "huge.vrt"), os.path.join(d, "good.tif"), format="VRT",
                       width=100000, height=100000)
        open(os.path.join(d, "cut.tif"), "wb").write(open(os.path.join(d, "good.tif"), "rb").read(
            )[:200])
        os.mkfifo(os.path.join(d, "fifo"))
        not_regular, not_a_file = "is not a regular file", "is a memory or network name"
        mem = "MEM:::DATAPOINTER=0x1234,PIXELS=20,LINES=20,DATATYPE=Float32"
        for name, geo, value, status, reason in (
                ("fifo", None, None, 2, not_regular), ("/dev/zero", None, None, 2, not_regular),
                ("fifo.vrt", "fifo", None, 2, "'fifo' " + not_regular),
                (mem, None, None, 2, not_a_file), ("mem.vrt", mem, None, 2, "cannot be read"),
                ("/vsicurl/" + url, None, None, 2, not_a_file),
                ("curl.vrt", "/vsicurl/" + url, None, 2, "'/vsicurl/%s' %s" % (url, not_a_file)),
                ("http.vrt", url, None, 2, "'%s' %s" % (url, not_a_file)),
                ("nan.tif", (np.nan, 30, 0, 600, 0, -30), 0.0, 2, "a term that is not a number"),
                ("far.tif", (1e20, 30, 0, 1e20, 0, -30), 0.0, 2, "too far from its origin"),
                ("inf.tif", (0, 30, 0, 600, 0, -30), np.inf, 2, "has no ground"),
                ("cut.tif", None, None, 2, "is truncated or corrupt: "),
                ("huge.vrt", None, None, 2, "the grid would be 100000 x 100000 cells"),
                ("a\nb\x1b[m.tif", None, None, 2, "'a\\nb\\x1b[m.tif' does not exist"),
                ("good.vrt", "good.tif", None, 0, "")):
            with self.subTest(name):
                out = tempfile.mkdtemp(dir=d)
                if isinstance(geo, tuple):
                    tif(name, geo, value)
                elif geo is not None:
                    gdal.Translate(os.path.join(d, name), os.path.join(d, "good.tif"), format="VRT")
                    vrt = open(os.path.join(d, name)).read().replace('"1">good.tif', '"0">' + geo)
                    open(os.path.join(d, name), "w").write(vrt.replace("good.tif", geo))
                result = run(["--plan", 1, 2, 3, 4, "--terrain", name, "--out", out], cwd=d,
                             timeout=10)
                self.assertEqual((result.returncode, refusal_lines(result.stderr), len(os.listdir(
                    out))), (status, int(status != 0), 8 * (status == 0)), result.stderr)
                self.assertIn(reason, result.stderr)
        # Coarse cells over it would still read every one of its pixels.
        result = run(["--plan", "--terrain", "huge.vrt", "--cell-size", "100", "--out", out], cwd=d,
                     timeout=10)
        self.assertIn("would read 10000000000 source pixels", result.stderr)
        listener.setblocking(False)
        self.assertRaises(BlockingIOError, listener.accept)  # no connection was ever made

    def test_hostile_files_write_nothing_beside_them_read_no_kernel_file_and_keep_nodata(self):
        os.makedirs(os.path.join(d := tempfile.mkdtemp(prefix="landscape-files-"), "sub"))
        self.addCleanup(shutil.rmtree, d, True)
        p = lambda name: os.path.join(d, name)  # noqa: E731
        open(p("victim"), "w").write("mine")
        hole, dot = np.zeros((20, 20)), np.zeros((20, 20))
        hole[5:15, 5:15], dot[10, 10] = 1, 1
        for name, kind, nodata in (
                ("f64", gdal.GDT_Float64, -9999.99), ("i32", gdal.GDT_Int32, -2147483647),
                ("u32", gdal.GDT_UInt32, 4294967295), ("i24", gdal.GDT_Int32, 16777217),
                ("mask", gdal.GDT_Float32, None), ("alpha", gdal.GDT_Byte, None),
                ("dot", gdal.GDT_Byte, 0)):
            tif = gdal.GetDriverByName("GTiff").Create(p(name + ".tif"), 20, 20, 1 + (
                name == "alpha"), kind)
            tif.SetGeoTransform((0, 30, 0, 600, 0, -30) if name != "dot" else GROUND_GEO)
            tif.GetRasterBand(1).WriteArray(dot if name == "dot" else hole * (nodata or 0))
            if nodata:
                tif.GetRasterBand(1).SetNoDataValue(nodata)
            elif name == "mask":
                tif.CreateMaskBand(gdal.GMF_PER_DATASET)
                tif.GetRasterBand(1).GetMaskBand().WriteArray((1 - hole) * 255)
            elif name == "alpha":
                tif.GetRasterBand(2).SetColorInterpretation(gdal.GCI_AlphaBand)
                tif.GetRasterBand(2).WriteArray((1 - hole) * 255)
            del tif
        nan = gdal.GetDriverByName("GTiff").Create(p("nan.tif"), 20, 20, 1, gdal.GDT_Float32)
        nan.SetGeoTransform((0, 30, 0, 600, 0, -20))  # warped: its pixels are not square
        nan.GetRasterBand(1).SetNoDataValue(-9999)
        nan.GetRasterBand(1).WriteArray(np.where(np.roll(dot, 7), np.nan, np.where(
            np.roll(dot, -7), np.inf, hole * -9999)))
        del nan
        for gz, tif in (("ground.gz", "f64.tif"), ("walls.gz", "dot.tif")):  # planted links
            open(p(gz), "wb").write(gzip.compress(open(p(tif), "rb").read()))
            os.symlink(p("victim"), p(gz + ".properties"))
        os.symlink("/proc/self/environ", p("environ"))
        raw = ('<VRTDataset rasterXSize="4" rasterYSize="4"><GeoTransform>0,30,0,120,0,-30'
               '</GeoTransform><VRTRasterBand dataType="Byte" band="1" subClass="VRTRawRasterBand">'
               '<SourceFilename relativeToVRT="1">%s</SourceFilename></VRTRasterBand></VRTDataset>')
        for name, source in (("own", "own.bin"), ("passwd", "/etc/passwd"), ("up", "../victim"),
                             ("mem", "/proc/self/mem")):
            open(p("sub/%s.vrt" % name), "w").write(raw % source)
        open(p("sub/own.bin"), "wb").write(bytes(range(1, 17)))
        gdal.Translate(p("nested.vrt"), p("sub/passwd.vrt"), format="VRT")
        gdal.Warp(p("warped.vrt"), p("sub/passwd.vrt"), format="VRT", srcSRS="EPSG:32616")
        open(p("named.vrt"), "w").write(  # a source named as a VRT of a VRT
            '<VRTDataset rasterXSize="4" rasterYSize="4"><VRTRasterBand dataType="Byte" band="1">'
            '<SimpleSource><SourceFilename>vrt://sub/passwd.vrt</SourceFilename></SimpleSource>'
            '</VRTRasterBand></VRTDataset>')
        open(p("layers.vrt"), "w").write("<OGRVRTDataSource><OGRVRTLayer name='w'><SrcDataSource>"
                                         "view.gpkg</SrcDataSource></OGRVRTLayer>"
                                         "</OGRVRTDataSource>")
        gdal.Translate(p("huge.vrt"), p("dot.tif"), format="VRT", width=100000, height=100000)
        gdal.GetDriverByName("GTiff").Create(p("tiles.tif"), 3, 3, 1, gdal.GDT_Float32, [
            "TILED=YES", "BLOCKXSIZE=32768", "BLOCKYSIZE=32768", "SPARSE_OK=YES"]).SetGeoTransform(
            (0, 30, 0, 90, 0, -30))
        gdal.Translate(p("tiles.vrt"), p("tiles.tif"), format="VRT")
        open(p("south.xyz"), "w").write("".join("%d %d %s\n" % (30 * (k % 3), 30 * (k // 3), (
            "1e999" if k % 2 else k)) for k in range(9)))  # south first, 4 infinite heights
        ogr.GetDriverByName("GPKG").CreateDataSource(p("view.gpkg")).CreateLayer("t")
        with sqlite3.connect(p("view.gpkg")) as db:
            db.execute("CREATE VIEW v AS WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                       "FROM r) SELECT i AS fid, NULL AS geom FROM r")
            db.execute("INSERT INTO gpkg_contents (table_name, data_type) VALUES ('v', 'features')")
            db.execute("INSERT INTO gpkg_geometry_columns VALUES ('v', 'geom', 'POLYGON', 0, 0, 0)")
        kernel, outside = "lies under /proc, /sys or /dev", "has a raw band reading '%s', outside"
        t, b = "--terrain", "--barriers"  # expected: a refusal, or cells without ground (status 0)
        for option, name, expected in (
                (t, "f64.tif", 100), (t, "i32.tif", 100), (t, "u32.tif", 100), (t, "i24.tif", 100),
                (t, "mask.tif", 100), (t, "alpha.tif", 100), (t, "south.xyz", 4),
                (t, "nan.tif", 154),  # 100 nodata pixels, a NaN and an infinite one, each 1.5
                # cells wide
                (t, "/vsigzip/ground.gz", 100), (b, "/vsigzip/walls.gz", 0), (t, "sub/own.vrt", 0),
                (t, "/proc/self/mem", kernel), (b, "environ", kernel),
                (t, "sub/mem.vrt", "cannot be loaded: '/proc/self/mem' " + kernel),
                (t, "sub/passwd.vrt", outside % "/etc/passwd"),
                (b, "sub/up.vrt", outside % "sub/../victim"),
                (t, "nested.vrt", outside % "/etc/passwd"),
                (t, "named.vrt", outside % "/etc/passwd"),
                (t, "warped.vrt", outside % "/etc/passwd"),
                (b, "tiles.vrt", "reads 'tiles.tif', which has blocks of 32768 x 32768 pixels"),
                (b, "layers.vrt", "is an OGR VRT, whose layers are queries of other files"),
                (t, "tiles.tif", "has blocks of 32768 x 32768 pixels, far larger than its 3 x 3"),
                (b, "huge.vrt", "would read 10000000000 source pixels for the grid"),
                (b, "view.gpkg", "has a layer 'v' that is an SQL view; only tables are read"),
                ("--points", "view.gpkg", "has a layer 'v' that is an SQL view"),  # the same guards
                ("--points", "layers.vrt", "is an OGR VRT"), ("--points", "environ", kernel)):
            with self.subTest(name):
                out = tempfile.mkdtemp(dir=d)
                result = run(["--plan", option, name, "--out", out], cwd=d, timeout=10)
                status, refused = (0, "") if isinstance(expected, int) else (2, expected)
                self.assertEqual((result.returncode, refusal_lines(result.stderr), len(os.listdir(
                    out))), (status, int(status != 0), 8 * (status == 0)), result.stderr)
                self.assertIn("%s: '%s' %s" % (option, name, refused) if refused else "",
                              result.stderr)
                if option == t and not refused:
                    heights = gdal.Open(os.path.join(out, "heights.tif")).ReadAsArray()
                    self.assertEqual(int((heights > 1e30).sum()), expected)
        with open(p("victim")) as victim:
            kept = victim.read()
        self.assertEqual((kept, sorted(n for n in os.listdir(d) + os.listdir(
            p("sub")) if "." in n and n.split(".")[-1] in ("xml", "properties"))), ("mine", [
                "ground.gz.properties", "walls.gz.properties"]))


def refusal_lines(stderr):
    """Lines of a refusal; on loaded ground a batch plan also says what it chose there."""
    return sum(line.startswith("landscape: ") for line in stderr.splitlines())


GROUND_GEO = (-15, 547.5, 0, 10935, 0, -547.5)  # 20 x 20 pixels over the built-in ground


def write_tif(path, geo, value):
    out = gdal.GetDriverByName("GTiff").Create(path, 20, 20, 1, gdal.GDT_Float32)
    out.SetGeoTransform(geo)
    out.GetRasterBand(1).WriteArray(np.full((20, 20), value))


if __name__ == "__main__":
    e2e.main()
