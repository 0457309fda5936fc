"""The fly camera in the real window: mouse drags turn the view, a held movement key moves it."""

import time

import landscape_e2e as e2e

CHANGED_PIXELS = 500 * 500 // 20  # a turn or a move redraws far more than 5 % of the window
ROUNDING_PIXELS = 500  # turning back may differ from the start by rounding at a few edges
CENTRE = (250, 250)


def changes_without_redraw(app, before):
    """Waits for the window to differ from `before` without asking for a frame; returns how
    many pixels differ (0 if it never changed)."""
    deadline = time.monotonic() + 5.0
    changed = 0
    while time.monotonic() < deadline and changed < CHANGED_PIXELS:
        changed = app.screenshot().differing_pixels(before)
    return changed


class CameraTest(e2e.TestCase):
    def test_centre_drag_turns_the_view_and_the_reverse_drag_turns_it_back(self):
        with self.launch() as app:
            start = app.settled_view()
            app.drag(CENTRE, (300, 250))
            # The drag itself requests the frames that show the turn.
            self.assertGreater(changes_without_redraw(app, start), CHANGED_PIXELS)
            turned = app.settled_view()
            self.assertGreater(turned.differing_pixels(start), CHANGED_PIXELS)
            # A horizontal drag only yaws about one axis, so dragging back undoes it.
            app.drag((300, 250), CENTRE)
            back = app.settled_view()
            self.assertLess(back.differing_pixels(start, tolerance=8), ROUNDING_PIXELS)
            self.assertIsNone(app.proc.poll(), app.errors())

    def test_corner_drag_rolls_the_view(self):
        with self.launch() as app:
            start = app.settled_view()
            app.drag((490, 10), (490, 80))
            rolled = app.settled_view()
            self.assertGreater(rolled.differing_pixels(start), CHANGED_PIXELS)
            app.drag(CENTRE, (300, 250))
            yawed = app.settled_view()
            self.assertGreater(yawed.differing_pixels(rolled), CHANGED_PIXELS)

    def test_holding_w_moves_the_view_and_releasing_it_stops(self):
        with self.launch() as app:
            start = app.settled_view()
            app.hold_until_changed("w", start, CHANGED_PIXELS)
            moved = app.settled_view()
            self.assertGreater(moved.differing_pixels(start), CHANGED_PIXELS)
            time.sleep(0.5)
            self.assertEqual(app.redrawn_screenshot().data, moved.data, "the camera kept moving")


if __name__ == "__main__":
    e2e.main()
