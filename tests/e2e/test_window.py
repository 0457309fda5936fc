"""The viewer opens its one window as described and runs its event loop."""

import landscape_e2e as e2e


class WindowTest(e2e.TestCase):
    def test_window_has_title_size_and_position(self):
        with self.launch() as app:
            x, y, width, height = app.geometry()
            self.assertEqual((width, height), (500, 500))
            self.assertEqual((x, y), (100, 100))
            app.redraw()
            shot = app.screenshot()
            self.assertEqual((shot.width, shot.height), (500, 500))
            self.assertIsNone(app.proc.poll(), "program ended on its own")

    def test_sigterm_ends_the_program_cleanly(self):
        with self.launch() as app:
            app.redraw()
            self.assertEqual(app.terminate(), 0, app.errors())

    def test_glut_options_are_accepted(self):
        with self.launch(extra_args=["-sync"]) as app:
            self.assertEqual(app.geometry()[2:], (500, 500))


if __name__ == "__main__":
    e2e.main()
