"""A simulated router: snmpsim serving an snmprec data set on one loopback address, port 161.

Used by the demo and the benchmark scripts and by the end-to-end tests. As a command:

    simulated_agent.py DATA.snmprec ADDRESS [--v3 NAME AUTH PRIV]... -- COMMAND [ARG...]

starts the agent, waits until it answers, runs COMMAND, stops the agent and exits with
COMMAND's exit code.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

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

    def __init__(self, records, address, v3_users=(), communities=("public",)):
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
                # The probe below reads sysDescr; data that has its own keeps it.
                has_sys_descr = self.records.startswith(SYS_DESCR.split("|")[0] + "|")
                f.write(self.records if has_sys_descr else SYS_DESCR + self.records)
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


def main(argv):
    if "--" not in argv or argv.index("--") < 2:
        sys.exit(__doc__)
    split = argv.index("--")
    data_file, address = argv[0], argv[1]
    options, command = argv[2:split], argv[split + 1:]
    users = []
    while options[:1] == ["--v3"] and len(options) >= 4:
        users.append(V3User(options[1], options[2] or None, options[3] or None))
        options = options[4:]
    if options:
        sys.exit("unknown options: " + " ".join(options))
    with open(data_file) as f:
        data = f.read()
    with SimulatedAgent(data, address=address, v3_users=users):
        return subprocess.call(command)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
