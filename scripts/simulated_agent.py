"""A simulated router: snmpsim serving an snmprec data set on one loopback address, port 161.

Used by the demo and the benchmark scripts and by the end-to-end tests. As a command:

    simulated_agent.py DATA.snmprec ADDRESS [--moving] [--v3 NAME AUTH PRIV]... -- COMMAND [ARG...]

starts the agent, waits until it answers, runs COMMAND, stops the agent and exits with
COMMAND's exit code. With --moving the class counters grow (see moving_counters()).
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


STATS = "1.3.6.1.4.1.9.9.166.1.15.1.1."
PACKET_BYTES = 500


def traffic(policy, obj):
    """The made-up traffic of a class: packets per second offered and the share dropped."""
    return 100 + (policy * 7 + obj * 13) % 20 * 50, 0.02 if (policy + obj) % 3 == 0 else 0.0


def moving_counters(records):
    """The data with the class counters growing at the rates traffic() gives (snmpsim's numeric
    variation, from the recorded values on), the bit rate gauges set to match, 64-bit byte
    counters and bit rates added where a class has none, and sysUpTime.0 counting."""
    lines, classes, columns = [], {}, {}
    for line in records.splitlines():
        name, tag, value = line.split("|", 2)
        if not name.startswith(STATS):
            lines.append(line)
            continue
        column, policy, obj = map(int, name[len(STATS):].split("."))
        classes[policy, obj] = True
        columns[column, policy, obj] = tag, value
    for policy, obj in classes:
        for column in (6, 7, 10, 11):
            columns.setdefault((column, policy, obj), ("70" if column in (6, 10) else "66", "0"))
    for (column, policy, obj), (tag, value) in sorted(columns.items()):
        packets, drop = traffic(policy, obj)
        rate = {2: packets, 3: packets, 6: packets * PACKET_BYTES,
                10: packets * PACKET_BYTES * (1 - drop), 13: packets * drop, 14: packets * drop,
                17: packets * PACKET_BYTES * drop}.get(column)
        gauge = {7: packets, 11: packets * (1 - drop), 18: packets * drop}.get(column)
        name = "%s%d.%d.%d" % (STATS, column, policy, obj)
        if rate is not None:
            wrap = ",wrap=1" if tag == "65" else ""
            lines.append("%s|%s:numeric|initial=%s,rate=%s%s" % (name, tag, value, rate, wrap))
        elif gauge is not None:
            lines.append("%s|%s|%d" % (name, tag, round(gauge * PACKET_BYTES * 8)))
        else:
            lines.append("%s|%s|%s" % (name, tag, value))
    lines.append("1.3.6.1.2.1.1.3.0|67:numeric|initial=0,rate=100")
    return "\n".join(sorted(lines, key=lambda line: [
        int(n) for n in line.split("|")[0].split(".")])) + "\n"


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
    moving = options[:1] == ["--moving"]
    options = options[moving:]
    users = []
    while options[:1] == ["--v3"] and len(options) >= 4:
        users.append(V3User(options[1], options[2] or None, options[3] or None))
        options = options[4:]
    if options:
        sys.exit("unknown options: " + " ".join(options))
    with open(data_file) as f:
        data = moving_counters(f.read()) if moving else f.read()
    with SimulatedAgent(data, address=address, v3_users=users):
        # The command takes Ctrl-C and ends on it; the agent is stopped after it.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        return subprocess.call(command)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
