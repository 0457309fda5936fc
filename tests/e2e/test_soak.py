"""A long random session: thousands of keys and drags with console entries, good and bad.

Nothing may crash or trip a sanitizer, every command key must be echoed, every console entry
must be answered, and the program must end cleanly when asked.
"""

import os
import random
import time

import landscape_e2e as e2e

SEED = 20261208
KEY_PRESSES = int(os.environ.get("LANDSCAPE_SOAK_KEYS", "2000"))
BATCH = 40
MOVEMENT_KEYS = ["w", "s", "a", "d", "r", "f"]
# xdotool names of the command keys, and of keys that only echo.
COMMAND_KEYS = ["x", "X", "y", "Y", "z", "Z", "bracketright", "bracketleft", "braceright",
                "braceleft", "m", "S"]
IDLE_KEYS = ["W", "A", "D", "R", "F", "q", "Q", "1", "0", "9", "space", "comma", "period",
             "minus", "plus", "slash", "e", "g"]
ECHO_MARK = "\nUPDATED DATA\n"
PROMPT = "\nPlease enter in start_x, start_y, end_x, end_y: "
REJECTED = "Some of the input values exceed the range.\n"


def console_entry(rng):
    """One line for the start/end dialogue and whether it must be accepted."""
    kind = rng.randrange(6)
    values = [rng.randint(1, 364) for _ in range(4)]
    if kind <= 2:
        spelled = [rng.choice(["%d", "0%o", "0x%x", "+%d"]) % v for v in values]
        return " ".join(spelled), True
    if kind == 3:
        values[rng.randrange(4)] = rng.choice([0, 365, -1, 100000, 2147483647, -2147483648])
        return " ".join(map(str, values)), False
    if kind == 4:
        junk = rng.choice(["12abc", "08", "0x", "x", "1e3", "99999999999999999999", "--5"])
        values[rng.randrange(4)] = junk
        return " ".join(map(str, values)), False
    return rng.choice(["hello", "five five five five", "%%i %%i", "1,2,3,4"]), False


class SoakTest(e2e.TestCase):
    def test_random_session_survives_and_answers_everything(self):
        rng = random.Random(SEED)
        entries = [console_entry(rng) for _ in range(KEY_PRESSES // 10)]
        with self.launch() as app:
            app.wait_for(r"Total Direct Path:")
            # Feed every console entry up front: each prompt consumes exactly one line.
            app.write_stdin("".join(line + "\n" for line, _ in entries))
            echoes = prompts = rejections = exports = 0
            sent = 0
            started = time.monotonic()
            while sent < KEY_PRESSES:
                batch = []
                for _ in range(min(BATCH, KEY_PRESSES - sent)):
                    roll = rng.random()
                    if roll < 0.03 and prompts < len(entries):
                        batch.append("p")
                        rejections += not entries[prompts][1]
                        prompts += 1
                        echoes += 1
                    elif roll < 0.035:
                        batch.append("P")
                        exports += 1
                        echoes += 1
                    elif roll < 0.55:
                        batch.append(rng.choice(COMMAND_KEYS))
                        echoes += 1
                    elif roll < 0.75:
                        batch.append(rng.choice(IDLE_KEYS))
                        echoes += 1
                    else:
                        batch.append(rng.choice(MOVEMENT_KEYS))
                sent += len(batch)
                app.key(*batch, delay=4)
                movement = rng.choice(MOVEMENT_KEYS)
                app.key_down(movement)
                x0, y0 = rng.randrange(500), rng.randrange(500)
                app.drag((x0, y0), (rng.randrange(500), rng.randrange(500)),
                         steps=rng.randint(2, 6), step_delay=0.005)
                app.key_up(movement)
            # Every command key is echoed once and every prompt answered once.
            app.wait_count(ECHO_MARK, echoes, timeout=600)
            out = app.output()
            self.assertEqual(out.count(ECHO_MARK), echoes)
            self.assertEqual(out.count(PROMPT), prompts)
            self.assertEqual(out.count(REJECTED), rejections)
            self.assertEqual(out.count("\nPrinting distance table...\n"), exports)
            self.assertIsNone(app.proc.poll(), "program died:\n" + app.errors()[-4000:])
            elapsed = time.monotonic() - started
            print("soak: %d keys, %d drags, %d entries (%d rejected), %d exports in %.1f s"
                  % (sent, (sent + BATCH - 1) // BATCH, prompts, rejections, exports, elapsed))
            self.assertEqual(app.terminate(timeout=120), 0, app.errors()[-4000:])
            self.assertNotIn("Sanitizer", app.errors())


if __name__ == "__main__":
    e2e.main()
