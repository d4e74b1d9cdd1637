"""Real SNMP agents on loopback for the end-to-end tests, and a way to run the tool.

Each test file gets its own loopback address from CTest (GALVETRIN_TEST_ADDRESS), so the
agents of tests that run in parallel never share a socket: the tool always talks to port 161.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

TOOL = os.environ.get("GALVETRIN", "galvetrin")
ADDRESS = os.environ.get("GALVETRIN_TEST_ADDRESS", "127.0.0.2")
SHARED = os.path.join(os.path.dirname(__file__), "..", "..", "..", "shared")

SYS_DESCR = "1.3.6.1.2.1.1.1.0|4|galvetrin test agent\n"
# snmpsim serves SNMPv3 with the empty context name from the data file named after this OID.
V3_DATA_FILE = "1.3.6.1.6.1.1.0.snmprec"


class V3User:
    """One SNMPv3 user of a simulated agent, and the tool options that reach it."""

    AUTH = {"MD5": "-md5", "SHA": "-sha1"}
    PRIV = {"DES": "-des", "AES": "-aes", "3DES": "-des3", "AES192": "-aes192",
            "AES256": "-aes256", "AES192BLMT": "-aes192", "AES256BLMT": "-aes256"}

    def __init__(self, name, auth=None, priv=None, auth_key="authpassphrase",
                 priv_key="privpassphrase"):
        self.name, self.auth, self.priv = name, auth, priv
        self.auth_key, self.priv_key = auth_key, priv_key

    def agent_args(self):
        args = ["--v3-user=" + self.name]
        if self.auth:
            args += ["--v3-auth-key=" + self.auth_key, "--v3-auth-proto=" + self.auth]
        if self.priv:
            args += ["--v3-priv-key=" + self.priv_key, "--v3-priv-proto=" + self.priv]
        return args

    def tool_args(self):
        args = ["-v3", "-user", self.name]
        if self.auth:
            args += [self.AUTH[self.auth], "-auth", self.auth_key]
        if self.priv:
            args += [self.PRIV[self.priv], "-priv", self.priv_key]
        return args


class SimulatedAgent:
    """snmpsim serving one data set to community "public" and to the given v3 users."""

    def __init__(self, records, address=ADDRESS, v3_users=(), communities=("public",)):
        self.records = records if records.endswith("\n") or not records else records + "\n"
        self.address = address
        self.v3_users = list(v3_users) or [V3User("galvetrin-probe")]
        self.communities = communities
        self.process = None
        self.workdir = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        self.workdir = tempfile.mkdtemp(prefix="galvetrin-agent-")
        data = os.path.join(self.workdir, "data")
        cache = os.path.join(self.workdir, "cache")
        os.makedirs(data)
        os.makedirs(cache)
        for name in list(self.communities) + [V3_DATA_FILE[: -len(".snmprec")]]:
            with open(os.path.join(data, name + ".snmprec"), "w") as f:
                f.write(SYS_DESCR + self.records)
        # snmpsim drops its privileges to nobody: the data must be readable, the cache writable.
        for root, dirs, files in os.walk(self.workdir):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o777)
            for f in files:
                os.chmod(os.path.join(root, f), 0o644)
        os.chmod(self.workdir, 0o755)
        endpoint = ("--agent-udpv6-endpoint=[%s]:161" % self.address.strip("[]")
                    if ":" in self.address else "--agent-udpv4-endpoint=%s:161" % self.address)
        command = ["snmpsimd", "--data-dir=" + data, "--cache-dir=" + cache, endpoint,
                   "--process-user=nobody", "--process-group=nogroup",
                   "--logging-method=file:" + os.path.join(self.workdir, "log")]
        for user in self.v3_users:
            command += user.agent_args()
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        self.wait_until_answering()

    def wait_until_answering(self, limit=60.0):
        deadline = time.monotonic() + limit
        host = "udp6:[%s]" % self.address.strip("[]") if ":" in self.address else self.address
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("snmpsimd ended early:\n" + self.log())
            probe = subprocess.run(
                ["snmpget", "-v2c", "-c", self.communities[0], "-t", "0.5", "-r", "0", "-On",
                 "-m", "", host, "1.3.6.1.2.1.1.1.0"],
                capture_output=True, text=True)
            if probe.returncode == 0:
                return
            time.sleep(0.3)
        self.stop()
        raise RuntimeError("snmpsimd did not answer on %s" % self.address)

    def log(self):
        try:
            with open(os.path.join(self.workdir, "log")) as f:
                return f.read()
        except OSError:
            return ""

    def stop(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        self.process = None
        if self.workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)
            self.workdir = None


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


def report(policies="", flat="", tree="", stage_lines=""):
    """The whole standard output of a run outside debug mode."""
    return BANNER + POLICY_HEADER + policies + stage_lines + REPORT_HEADER + flat + "\n" + tree


class AgentTestCase(unittest.TestCase):
    maxDiff = None
