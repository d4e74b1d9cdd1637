"""The progress line: shown on a terminal on standard error during a slow walk, cleared when
the stage ends, and never on standard output."""

import os
import pty
import subprocess
import sys
import tempfile
import unittest

import harness
from test_bad_agents import AGENT, wait_for_log


class ProgressTest(unittest.TestCase):
    def test_slow_walk_shows_progress_on_a_terminal_only(self):
        workdir = tempfile.TemporaryDirectory()
        self.addCleanup(workdir.cleanup)
        log = os.path.join(workdir.name, "log")
        agent = subprocess.Popen([sys.executable, AGENT, "--address", harness.ADDRESS, "--mode",
                                  "sluggish", "--log", log, "--lifetime", "60"])
        self.addCleanup(agent.wait)
        self.addCleanup(agent.kill)
        wait_for_log(agent, log)
        command = [harness.TOOL, harness.ADDRESS, "-v2c", "-c", "public"]
        plain = subprocess.run(command, capture_output=True, text=True, timeout=30)
        master, terminal = pty.openpty()
        self.addCleanup(os.close, master)
        tool = subprocess.run(command, stdout=subprocess.PIPE, stderr=terminal, text=True,
                              timeout=30)
        os.close(terminal)
        # 0.3 s an answer: the objects walk's four requests take more than a second.
        shown = os.read(master, 4096).decode()
        self.assertEqual(("", plain.stdout), (plain.stderr, tool.stdout))
        self.assertIn("\robjects: 9 rows, 4 requests\x1b[K", shown)
        self.assertTrue(shown.endswith("\r\x1b[K"), shown)


if __name__ == "__main__":
    unittest.main()
