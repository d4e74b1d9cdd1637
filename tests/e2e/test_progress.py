"""The progress line: on a terminal on standard error during a slow walk, cleared at the end
of the stage, never on standard output."""

import os
import pty
import subprocess
import unittest

from harness import ADDRESS, TOOL, BadAgent, run


class ProgressTest(unittest.TestCase):
    def test_slow_walk_shows_progress_on_a_terminal_only(self):
        master, terminal = pty.openpty()
        with BadAgent("sluggish", ADDRESS):  # 0.5 s an answer
            plain = run(ADDRESS, "-v2c", "-c", "public")
            tool = subprocess.run([TOOL, ADDRESS, "-v2c", "-c", "public"], stdout=subprocess.PIPE,
                                  stderr=terminal, text=True, timeout=60)
        os.close(terminal)
        shown = os.read(master, 4096).decode()
        os.close(master)
        self.assertEqual(("", plain.stdout), (plain.stderr, tool.stdout))
        self.assertIn("\robjects: 8 rows, 3 requests\x1b[K", shown)
        self.assertTrue(shown.endswith("\r\x1b[K"), shown)


if __name__ == "__main__":
    unittest.main()
