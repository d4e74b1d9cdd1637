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


def run_tool(*args, timeout=600, env=None):
    """Runs the tool; returns the CompletedProcess with text stdout and stderr."""
    return subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=timeout,
                          env=env)


def records(*lines):
    """snmprec lines, sorted into OID order as snmpsim expects them."""
    def key(line):
        return [int(part) for part in line.split("|", 1)[0].split(".")]
    return "".join(line + "\n" for line in sorted(lines, key=key))


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


class AgentTestCase(unittest.TestCase):
    maxDiff = None
