"""The progress line: on a terminal on standard error during a slow walk, cleared at the end
of the stage, never on standard output."""

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
        log = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "log")
        agent = subprocess.Popen([sys.executable, AGENT, "--address", harness.ADDRESS,
                                  "--mode", "sluggish", "--log", log])
        self.addCleanup(agent.wait)
        self.addCleanup(agent.kill)
        wait_for_log(agent, log)
        plain = harness.run_tool(harness.ADDRESS, "-v2c", "-c", "public")
        master, terminal = pty.openpty()
        tool = subprocess.run([harness.TOOL, harness.ADDRESS, "-v2c", "-c", "public"],
                              stdout=subprocess.PIPE, stderr=terminal, text=True, timeout=30)
        os.close(terminal)
        shown = os.read(master, 4096).decode()
        os.close(master)
        self.assertEqual(("", plain.stdout), (plain.stderr, tool.stdout))
        # 0.3 s an answer: the objects walk's four requests take more than a second.
        self.assertIn("\robjects: 9 rows, 4 requests\x1b[K", shown)
        self.assertTrue(shown.endswith("\r\x1b[K"), shown)
