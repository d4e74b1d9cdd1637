#!/usr/bin/python3
"""Times galvetrin against Net-SNMP's snmpbulkwalk on generated routers served by snmpsim.

For each size: write the router (make_router.py), serve it with snmpsimd, put a counting UDP
proxy in front of it, then run galvetrin and the snmpbulkwalk equivalents in turn, several
times, and print the medians: requests, wall time, user+system CPU, peak RSS, and the CPU
the agent spent answering (the agent is the slow end: it sets the wall time).

snmpbulkwalk walks one subtree per run with one OID per request, so it walks each of the
tool's 13 columns separately, in the tool's stage order, numeric and without MIBs (-On -m '',
as the tool loads none), in two ways:
  same max-repetitions: -Cr3 for the objects table, -Cr4 elsewhere, as the tool asks; about
    three times the tool's requests, each a third of the size;
  same bindings per request: -Cr9 for the objects table, -Cr8 elsewhere, what one of the
    tool's 2- or 3-column requests carries: the same requests, the same bindings.
"""

import argparse
import collections
import heapq
import os
import selectors
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
QOS = "1.3.6.1.4.1.9.9.166.1"
# The tool's six stages: max-repetitions and columns, in the order it walks them.
STAGES = [
    (4, ["1.1.1.3", "1.1.1.4"]),
    (3, ["5.1.1.2", "5.1.1.3", "5.1.1.4"]),
    (4, ["6.1.1.1", "6.1.1.2"]),
    (4, ["7.1.1.1", "7.1.1.2"]),
    (4, ["8.1.1.1", "8.1.1.2"]),
    (4, ["15.1.1.2", "15.1.1.13"]),
]
SNMP_PORT = 161
TOOL, SAME_R, SAME_BINDINGS = "galvetrin", "bulkwalk -Cr3/4", "bulkwalk -Cr9/8"
FIGURES = ("requests", "wall s", "CPU s", "peak RSS MB", "agent CPU s")


# 1.3.6.1.4.1.9.9.166.1 as BER encodes it in a request: the table's number follows.
QOS_BER = bytes([0x2B, 6, 1, 4, 1, 9, 9, 0x81, 0x26, 1])


class CountingProxy:
    """Forwards UDP datagrams from any client to the agent and back, counting requests. With a
    delay, every datagram goes on that many seconds after it came, each way: a WAN's latency."""

    def __init__(self, listen, agent, delay=0.0):
        self.agent = (agent, SNMP_PORT)
        self.delay = delay
        self.front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.front.bind((listen, SNMP_PORT))
        self.selector = selectors.DefaultSelector()
        self.selector.register(self.front, selectors.EVENT_READ)
        self.upstream = {}  # client address -> socket towards the agent
        self.due = []  # heap of (time, sequence, socket, datagram, address or None)
        self.sent = 0
        self.lock = threading.Lock()
        self.requests = 0
        self.qos_tables = collections.Counter()  # requests by the QoS MIB table they ask for
        self.running = True
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while self.running:
            wait = min(0.2, max(0.0, self.due[0][0] - time.monotonic())) if self.due else 0.2
            for key, _ in self.selector.select(timeout=wait):
                data, source = key.fileobj.recvfrom(65535)
                with self.lock:
                    if key.fileobj is self.front:
                        self.requests += 1
                        self.qos_tables.update({data[k + len(QOS_BER)] for k in range(len(data))
                                                if data.startswith(QOS_BER, k)})
                        self.forward(self.towards_agent(source), data, None)
                    else:
                        self.forward(self.front, data, key.data)
            now = time.monotonic()
            while self.due and self.due[0][0] <= now:
                _, _, sock, data, address = heapq.heappop(self.due)
                try:
                    sock.sendto(data, address) if address else sock.send(data)
                except OSError:
                    pass  # towards a client that has ended

    def forward(self, sock, data, address):
        self.sent += 1
        heapq.heappush(self.due, (time.monotonic() + self.delay, self.sent, sock, data, address))

    def towards_agent(self, client):
        sock = self.upstream.get(client)
        if sock is None:
            sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            sock.connect(self.agent)
            self.upstream[client] = sock
            self.selector.register(sock, selectors.EVENT_READ, data=client)
        return sock

    def take_tables(self):
        """Requests by QoS MIB table since the last call."""
        with self.lock:
            tables, self.qos_tables = self.qos_tables, collections.Counter()
        return tables

    def take_count(self):
        """Requests since the last call; forgets the clients, which have all ended."""
        with self.lock:
            count, self.requests = self.requests, 0
            for sock in self.upstream.values():
                self.selector.unregister(sock)
                sock.close()
            self.upstream.clear()
        return count

    def close(self):
        self.running = False
        self.thread.join()
        self.front.close()


class Agent:
    """snmpsimd serving one data file to community "public", as the end-to-end tests run it,
    and any others to the communities named in `more` (community -> data file)."""

    def __init__(self, snmprec, address, workdir, more=None):
        self.address, self.workdir = address, workdir
        if self.answers():
            raise RuntimeError("an agent already answers on %s" % address)
        data, cache = os.path.join(workdir, "data"), os.path.join(workdir, "cache")
        os.makedirs(data)
        os.makedirs(cache)
        for community, path in {"public": snmprec, **(more or {})}.items():
            shutil.copy(path, os.path.join(data, community + ".snmprec"))
            os.chmod(os.path.join(data, community + ".snmprec"), 0o644)
        # snmpsimd drops its privileges to nobody: the data must be readable, the cache
        # writable.
        os.chmod(workdir, 0o755)
        os.chmod(data, 0o755)
        os.chmod(cache, 0o777)
        with open(os.path.join(workdir, "stderr"), "w") as errors:
            self.process = subprocess.Popen(
                ["snmpsimd", "--data-dir=" + data, "--cache-dir=" + cache,
                 "--agent-udpv4-endpoint=%s:%d" % (address, SNMP_PORT),
                 "--process-user=nobody", "--process-group=nogroup", "--logging-method=null"],
                stdout=subprocess.DEVNULL, stderr=errors, start_new_session=True)

    def answers(self):
        probe = subprocess.run(
            ["snmpget", "-v2c", "-c", "public", "-t", "1", "-r", "0", "-On", "-m", "",
             self.address, "1.3.6.1.2.1.1.1.0"], capture_output=True)
        return probe.returncode == 0

    def wait_until_answering(self, limit=600.0):
        # snmpsimd indexes the data file before it listens; a big file takes a while.
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("snmpsimd ended early; see %s" % self.workdir)
            if self.answers():
                return
            time.sleep(0.5)
        raise RuntimeError("snmpsimd did not answer on %s" % self.address)

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, 15)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, 9)
                self.process.wait()


def run_measured(rusage_of, commands, output):
    """Runs the commands one after another; summed wall time and CPU, and the largest RSS."""
    wall, cpu, rss = 0.0, 0.0, 0
    figures_file = output + ".rusage"
    with open(output, "w") as out:
        for command in commands:
            subprocess.run([rusage_of, figures_file, *command], stdout=out,
                           stderr=subprocess.STDOUT, check=True)
            with open(figures_file) as figures:
                elapsed, user, system, peak = figures.read().split()
            wall += float(elapsed)
            cpu += float(user) + float(system)
            rss = max(rss, int(peak))  # KiB
    return wall, cpu, rss / 1024.0


def bulkwalk_commands(address, repetitions):
    return [["snmpbulkwalk", "-v2c", "-c", "public", "-Cr%d" % repetitions(r, len(columns)),
             "-On", "-m", "", address, "%s.%s" % (QOS, column)]
            for r, columns in STAGES for column in columns]


def expected_rows(snmprec):
    """Objects the flat listing shows (all but queueing) and rows of the 13 walked columns."""
    listed, walked = 0, 0
    columns = tuple("%s.%s." % (QOS, c) for _, cs in STAGES for c in cs)
    with open(snmprec) as records:
        for line in records:
            oid, _, value = line.rstrip("\n").split("|", 2)
            if oid.startswith(columns):
                walked += 1
                if oid.startswith(QOS + ".5.1.1.3.") and value != "4":
                    listed += 1
    return listed, walked


def printed_rows(name, output):
    """Flat listing rows of the tool, or bindings of the walks."""
    with open(output) as text:
        lines = text.read().split("\n")
    if name == TOOL:
        rule = next(i for i, line in enumerate(lines) if line.startswith("--------- -----------"))
        return lines.index("", rule) - rule - 1
    return sum(1 for line in lines if " = " in line and "No more variables" not in line)


def measure_size(args, size, workdir):
    snmprec = os.path.join(workdir, "router-%d.snmprec" % size)
    subprocess.run([sys.executable, os.path.join(HERE, "make_router.py"), "--objects", str(size),
                    "--out", snmprec], check=True)
    listed, walked = expected_rows(snmprec)
    agent = Agent(snmprec, args.agent, os.path.join(workdir, "agent-%d" % size))
    proxy = None
    try:
        agent.wait_until_answering()
        proxy = CountingProxy(args.proxy, args.agent)
        clients = {
            TOOL: [[args.tool, args.proxy, "-v2c", "-c", "public"]],
            SAME_R: bulkwalk_commands(args.proxy, lambda r, n: r),
            SAME_BINDINGS: bulkwalk_commands(args.proxy, lambda r, n: r * n),
        }
        # The agent opens its index on the first request: not part of any timed run.
        run_measured(args.rusage_of, clients[SAME_BINDINGS][:1],
                     os.path.join(workdir, "warm-up.txt"))
        proxy.take_count()
        # The walk with the tool's max-repetitions sends about three times the requests and
        # takes the longest against snmpsim: one run of it tells enough.
        repeats = {TOOL: args.repeats, SAME_R: 1, SAME_BINDINGS: args.repeats}
        runs = {name: [] for name in clients}
        for repeat in range(args.repeats):
            for name, commands in clients.items():  # interleaved: shared noise hits all
                if repeat >= repeats[name]:
                    continue
                output = os.path.join(workdir, "output-%d.txt" % size)
                agent_before = agent.cpu_seconds()
                wall, cpu, rss = run_measured(args.rusage_of, commands, output)
                run = (proxy.take_count(), wall, cpu, rss, agent.cpu_seconds() - agent_before)
                print("%8d %-16s run %d: %6d requests %7.2f s wall %6.3f s CPU %6.1f MB, "
                      "agent %6.2f s CPU" % ((size, name, repeat + 1) + run), flush=True)
                printed, wanted = printed_rows(name, output), listed if name == TOOL else walked
                if printed != wanted:  # a run that stopped short must not pass as a fast one
                    raise RuntimeError("%s printed %d rows, expected %d" % (name, printed, wanted))
                runs[name].append(run)
        return {name: [statistics.median(figures) for figures in zip(*results)]
                for name, results in runs.items()}
    finally:
        if proxy:
            proxy.close()
        agent.stop()


def print_table(title, walk, results):
    print("\n" + title)
    print("%8s | %s" % ("objects", " | ".join("%-25s" % (f + ": G / B = G/B") for f in FIGURES)))
    print("-" * 150)
    formats = ("%7d / %7d", "%7.2f / %7.2f", "%7.3f / %7.3f", "%7.1f / %7.1f", "%7.2f / %7.2f")
    for size, result in results:
        g, b = result[TOOL], result[walk]
        cells = [(fmt % (g[i], b[i])) + (" = %5.2f" % (g[i] / b[i]))
                 for i, fmt in enumerate(formats)]
        print("%8d | %s" % (size, " | ".join(cells)))


def print_targets(results):
    """The goals set for the tool, each against the walk it is judged by."""
    print("\nTargets (G = galvetrin):")
    largest, result = results[-1]
    checks = []
    for size, r in results:
        g, r_walk, b_walk = r[TOOL], r[SAME_R], r[SAME_BINDINGS]
        checks += [
            ("%d: requests no more than %s" % (size, SAME_R), g[0] <= r_walk[0]),
            ("%d: wall within 5%% of %s" % (size, SAME_BINDINGS), g[1] <= 1.05 * b_walk[1]),
            ("%d: wall within 5%% of %s" % (size, SAME_R), g[1] <= 1.05 * r_walk[1]),
            ("%d: CPU at most %s" % (size, SAME_BINDINGS), g[2] <= b_walk[2]),
            ("%d: CPU at most %s" % (size, SAME_R), g[2] <= r_walk[2]),
        ]
    checks.append(("%d: peak RSS under 150 MB" % largest, result[TOOL][3] < 150))
    for text, met in checks:
        print("  %-4s %s" % ("met" if met else "MISS", text))


def parse_arguments(doc, sizes, proxy, agent):
    """The command line every benchmark script takes, with its own defaults."""
    parser = argparse.ArgumentParser(description=doc.split("\n\n")[0])
    parser.add_argument("--tool", required=True, help="the galvetrin binary")
    parser.add_argument("--rusage-of", required=True, help="the rusage_of helper binary")
    parser.add_argument("--sizes", default=sizes)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--proxy", default=proxy, help="loopback address the clients use")
    parser.add_argument("--agent", default=agent, help="loopback address of snmpsimd")
    return parser.parse_args()


def main():
    args = parse_arguments(__doc__, "1000,10000,100000", "127.0.5.1", "127.0.5.2")
    workdir = tempfile.mkdtemp(prefix="galvetrin-bench-")
    os.chmod(workdir, 0o755)  # snmpsimd runs as nobody
    results = []
    try:
        for size in (int(s) for s in args.sizes.split(",")):
            results.append((size, measure_size(args, size, workdir)))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print("\nMedians of %d runs (%s: 1 run). G = galvetrin ADDRESS -v2c -c public; "
          "B = snmpbulkwalk -v2c -c public -On -m '' -CrN, one run per column: 13 runs, wall "
          "and CPU summed, RSS the largest. All through one counting UDP proxy." %
          (args.repeats, SAME_R))
    print_table("B with the tool's max-repetitions (-Cr3 objects table, -Cr4 the others):",
                SAME_R, results)
    print_table("B with the tool's bindings per request (-Cr9 objects table, -Cr8 the others):",
                SAME_BINDINGS, results)
    print_targets(results)


if __name__ == "__main__":
    main()
