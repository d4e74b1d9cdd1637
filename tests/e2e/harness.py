"""Real SNMP agents on loopback for the end-to-end tests, and a way to run the tool.

Each test file gets its own loopback address from CTest (GALVETRIN_TEST_ADDRESS), so the
agents of tests that run in parallel never share a socket: the tool always talks to port 161.
"""

import os
import subprocess
import sys
import unittest

TOOL = os.environ.get("GALVETRIN", "galvetrin")
ADDRESS = os.environ.get("GALVETRIN_TEST_ADDRESS", "127.0.0.2")
SHARED = os.path.join(os.path.dirname(__file__), "..", "..", "..", "shared")

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
from simulated_agent import SimulatedAgent as _SimulatedAgent, V3User  # noqa: E402


class SimulatedAgent(_SimulatedAgent):
    """The simulated router on this test file's own address unless told otherwise."""

    def __init__(self, records, address=ADDRESS, **options):
        super().__init__(records, address, **options)


def serve(test_class, records, **options):
    """Starts a simulated agent that stops after the test class's last test."""
    agent = SimulatedAgent(records, **options)
    agent.start()
    test_class.addClassCleanup(agent.stop)
    return agent


def run_tool(*args, timeout=600, env=None):
    """Runs the tool; returns the CompletedProcess with text stdout and stderr."""
    return subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=timeout,
                          env=env)


def records(*lines):
    """snmprec lines, sorted into OID order as snmpsim expects them."""
    def key(line):
        return [int(part) for part in line.split("|", 1)[0].split(".")]
    return "".join(line + "\n" for line in sorted(lines, key=key))


QOS = "1.3.6.1.4.1.9.9.166.1."
BANNER = "Galvetrin v2.0\n\n"
POLICY_HEADER = "PolicyNum Interface Direction\n--------- --------- ---------\n"
REPORT_HEADER = (
    "\n"
    "PolicyNum ObjectIndex ParentObject ObjectType        ConfigIndex PrePolicyPkts "
    "DroppedPkts Description\n"
    "--------- ----------- ------------ ----------------- ----------- ------------- "
    "----------- -----------\n")


def marked_lines(block):
    """Expected lines written with a "|" after their last character, so that trailing spaces
    stay visible and no editor trims them."""
    assert all(line.endswith("|") for line in block.splitlines()), block
    return block.replace("|\n", "\n")


def report(policies="", flat="", tree="", stage_lines=""):
    """The whole standard output of a run outside debug mode."""
    return BANNER + POLICY_HEADER + policies + stage_lines + REPORT_HEADER + flat + "\n" + tree


# Start line, walked columns and finish line of the six stages in debug mode, in run order.
STAGES = [
    ("Starting CBWFQ interface collection\n", ["1.1.1.1.3", "1.1.1.1.4"],
     "Finished CBWFQ interface collection\n"),
    ("Starting Policy collection\n", ["5.1.1.2", "5.1.1.3", "5.1.1.4"],
     "Finished Policy collection\n\n"),
    ("Starting Policy name collection\n", ["6.1.1.1", "6.1.1.2"],
     "Finished Policy name collection\n"),
    ("Starting ClassMap name collection\n", ["7.1.1.1", "7.1.1.2"],
     "Finished ClassMap name collection\n\n"),
    ("Starting Queue Match Statements collection\n", ["8.1.1.1", "8.1.1.2"],
     "Finished Queue Match Statements collection\n\n"),
    ("Starting queue stats collection\n", ["15.1.1.2", "15.1.1.13"],
     "Finished queue stats collection\n\n"),
]


def debug_report(stage_lines):
    """Standard output of a debug run that stores no QoS object; stage_lines(number, column OIDs)
    gives what a stage prints after its start line (and the first stage's policy header)."""
    text = BANNER + "Winsock Startup...successful\n"
    for number, (start, columns, finish) in enumerate(STAGES):
        text += (start + (POLICY_HEADER if number == 0 else "")
                 + stage_lines(number, [QOS + column for column in columns]) + finish)
    return text + REPORT_HEADER + "\n" + "Winsock cleanup...completed\n"


class AgentTestCase(unittest.TestCase):
    maxDiff = None


class WholeReport:
    """Mixin for an AgentTestCase: the whole output of a run against an agent serving `data`."""

    data = policies = flat = tree = ""

    @classmethod
    def setUpClass(cls):
        serve(cls, cls.data)

    def test_whole_output(self):
        result = run_tool(ADDRESS, "-v2c", "-c", "public")
        self.assertEqual(report(self.policies, self.flat, self.tree), result.stdout)
        self.assertEqual("", result.stderr)
        self.assertEqual(0, result.returncode)
