"""Agents on loopback and the tool's runs against them. The tool always uses port 161, so each
agent has its own address: NET.0.OCTET for the test file's agent, NET.n.OCTET for others."""

import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT, CASES = os.path.join(HERE, "..", ".."), os.path.join(HERE, "cases")
TOOL, NET, OCTET = (os.environ["GALVETRIN" + name] for name in ("", "_TEST_NET", "_TEST_OCTET"))
ADDRESS = "%s.0.%s" % (NET, OCTET)
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from simulated_agent import SimulatedAgent, V3User  # noqa: E402,F401


def run(*args, timeout=600, env=None):
    """The tool's run, text output; argv[0] is "galvetrin" wherever the binary is."""
    return subprocess.run(["galvetrin", *args], executable=TOOL, capture_output=True, text=True,
                          timeout=timeout, env=env)


def read(*path, default=None):
    try:
        with open(os.path.join(*path)) as f:
            return f.read()
    except FileNotFoundError:
        return default


class BadAgent:
    """tests/agents/bad_agent.py in one mode for a with block; then `log` holds the requests."""

    def __init__(self, mode, address):
        self.mode, self.address, self.workdir = mode, address, tempfile.TemporaryDirectory()

    def __enter__(self):
        self.log_path = os.path.join(self.workdir.name, "log")  # made once the socket is bound
        self.process = subprocess.Popen([sys.executable, os.path.join(
            HERE, "..", "agents", "bad_agent.py"), self.address, self.mode, self.log_path])
        while not os.path.exists(self.log_path) and self.process.poll() is None:
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()
        self.log = [json.loads(line) for line in read(self.log_path).splitlines()]
        self.workdir.cleanup()
