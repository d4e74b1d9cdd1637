#!/usr/bin/python3
"""galvetrin-exporter beside Prometheus' SNMP exporter: what a scrape costs the router and the
exporter, how many probes one exporter answers, its memory, and how close it keeps to a deadline.

1. Side by side: a generated router (make_router.py) served by snmpsimd behind the UDP proxy
   that delays every datagram 10 ms each way and counts the requests; scraped in turn by
   prometheus-snmp-exporter with bench/snmp_exporter.yml, by galvetrin-exporter with an empty
   cache (config_cache: 0s) and with the tree cached (probed once before). Twice: the class
   counters alone (galvetrin's action_counters off, the SNMP exporter's nine class columns),
   then the class and action counters (galvetrin's defaults, the SNMP exporter given every
   action counter column too). Per scrape: requests, the simulator's CPU, wall time, the
   exporter's CPU.
2. Load: 16 snmpsimd on 16 loopback addresses, no delay. Idle RSS after start; RSS after
   probes of small routers (no growth wanted); then 64 probes at once, kept up for a while,
   of the bigger routers: probes per second, CPU per probe, peak RSS (VmHWM). The 64 probes
   are 16 routers x 4 modules that differ only in retries, so that no probe joins another's
   collection: 64 collections at once.
3. The deadline: probes with X-Prometheus-Scrape-Timeout-Seconds against an address that never
   answers and against a big router behind the delaying proxy with an empty cache: how long
   after the deadline the answer is complete.
"""

import argparse
import concurrent.futures
import http.client
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import measure

HERE = os.path.dirname(os.path.abspath(__file__))
DELAY = 0.010  # seconds each way
FLEET_MODULES = 4
SNMP_EXPORTER_PORT, EXPORTER_PORT = 9116, 9721
# Header given to Prometheus' scrape timeout, and the exporter's default offset taken from it.
SCRAPE_TIMEOUT, OFFSET = 2.0, 0.5

EXPORTER_CONFIG = """auths:
  public_v2:
    community: public
    allowed_targets: [127.0.0.0/8]
  small:
    community: small
    allowed_targets: [127.0.0.0/8]
modules:
  default: {}
  uncached:
    config_cache: 0s
  classes:
    action_counters: false
  classes_uncached:
    action_counters: false
    config_cache: 0s
%s"""


def process_cpu(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_mb(pid, field):
    with open("/proc/%d/status" % pid) as status:
        kib = re.search(r"^%s:\s+(\d+) kB" % field, status.read(), re.M).group(1)
    return int(kib) / 1024.0


def get(address, port, path, headers=None):
    """The body of a GET, as text; wall time included in nothing else."""
    connection = http.client.HTTPConnection(address, port, timeout=300)
    try:
        connection.request("GET", path, headers=headers or {})
        response = connection.getresponse()
        body = response.read().decode()
        if response.status != 200:
            raise RuntimeError("GET %s: %d %s" % (path, response.status, body.strip()))
        return body
    finally:
        connection.close()


def sample(body, name):
    found = re.search(r"^%s(?:\{[^}]*\})? (\S+)$" % name, body, re.M)
    return float(found.group(1)) if found else None


class Exporter:
    """A server process started here, stopped by its PID."""

    def __init__(self, command, address, port, workdir, name):
        self.address, self.port = address, port
        with open(os.path.join(workdir, name + ".log"), "w") as log:
            self.process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                                            start_new_session=True)
        deadline = time.monotonic() + 30
        while True:
            try:
                socket.create_connection((address, port), timeout=1).close()
                break
            except OSError:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError("%s did not start; see %s" % (name, log.name))
                time.sleep(0.05)

    def probe(self, path, headers=None):
        return get(self.address, self.port, path, headers)

    def cpu(self):
        return process_cpu(self.process.pid)

    def memory(self, field):
        return status_mb(self.process.pid, field)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def galvetrin_exporter(args, workdir, address):
    modules = "".join("  fleet%d:\n    retries: %d\n" % (m, 2 + m) for m in range(FLEET_MODULES))
    config = os.path.join(workdir, "exporter.yml")
    with open(config, "w") as out:
        out.write(EXPORTER_CONFIG % modules)
    return Exporter([args.exporter, "--config.file=" + config, "--log.level=warn",
                     "--web.listen-address=%s:%d" % (address, EXPORTER_PORT)],
                    address, EXPORTER_PORT, workdir, "galvetrin-exporter")


def write_router(size, workdir):
    snmprec = os.path.join(workdir, "router-%d.snmprec" % size)
    if not os.path.exists(snmprec):
        subprocess.run([sys.executable, os.path.join(HERE, "make_router.py"), "--objects",
                        str(size), "--out", snmprec], check=True)
    return snmprec


# 1. Side by side

SNMP_EXPORTER, EMPTY, CACHED = "SNMP exporter", "galvetrin, empty cache", "galvetrin, cached"
SIDE_FIGURES = ("requests", "class table", "agent CPU s", "wall s", "exporter CPU s")
CLASS_STATISTICS_TABLE = 15  # cbQosCMStatsTable; the others a probe asks for are the actions'



def scrape(exporter, path, agent, proxy):
    proxy.take_count()
    proxy.take_tables()
    exporter_cpu, agent_cpu = exporter.cpu(), agent.cpu_seconds()
    started = time.monotonic()
    body = exporter.probe(path)
    wall = time.monotonic() - started
    return (proxy.take_count(), proxy.take_tables()[CLASS_STATISTICS_TABLE],
            agent.cpu_seconds() - agent_cpu, wall,
            exporter.cpu() - exporter_cpu), body


# What each side reads: the nine class counter columns alone (galvetrin with action_counters
# off), then everything -metrics shows (the SNMP exporter given every action counter column).
COMPARISONS = (("class counters", "galvetrin_bench", "classes", "classes_uncached"),
               ("class and action counters", "galvetrin_bench_actions", "default", "uncached"))


def side_by_side(args, workdir):
    agent = measure.Agent(write_router(args.size, workdir), args.agent,
                          os.path.join(workdir, "agent-side"))
    proxy = snmp_exporter = exporter = None
    results = {}
    try:
        agent.wait_until_answering()
        proxy = measure.CountingProxy(args.proxy, args.agent, DELAY)
        snmp_exporter = Exporter(
            [args.snmp_exporter, "--config.file=" + os.path.join(HERE, "snmp_exporter.yml"),
             "--log.level=warn", "--web.listen-address=%s:%d" % (args.exporters,
                                                                SNMP_EXPORTER_PORT)],
            args.exporters, SNMP_EXPORTER_PORT, workdir, "snmp-exporter")
        exporter = galvetrin_exporter(args, workdir, args.exporters)
        target = "/probe?target=%s&module=" % args.proxy
        for title, peer_module, cached_module, empty_module in COMPARISONS:
            print("  %s:" % title)
            # Version 0.21 answers on /snmp; /probe came later.
            paths = {SNMP_EXPORTER: (snmp_exporter, "/snmp" + target[6:] + peer_module),
                     EMPTY: (exporter, target + empty_module),
                     CACHED: (exporter, target + cached_module)}
            exporter.probe(paths[CACHED][1])  # fills the cache, and snmpsimd opens its index
            runs = {name: [] for name in paths}
            series = {}
            for repeat in range(args.repeats):
                for name, (server, path) in paths.items():  # interleaved: shared noise hits all
                    figures, body = scrape(server, path, agent, proxy)
                    if server is exporter and sample(body, "galvetrin_probe_success") != 1:
                        raise RuntimeError("%s: the probe failed" % name)
                    series[name] = len(re.findall(r"^[a-zA-Z]\w*\{", body, re.M))
                    print("  %-24s scrape %d: %5d requests (%d of the class table), agent %5.2f "
                          "s CPU, %6.2f s wall, exporter %6.3f s CPU"
                          % ((name, repeat + 1) + figures), flush=True)
                    runs[name].append(figures)
            print("  series with labels: %s"
                  % ", ".join("%s %d" % item for item in series.items()))
            results[title] = {name: [statistics.mean(f) for f in zip(*r)]
                              for name, r in runs.items()}
    finally:
        for server in (exporter, snmp_exporter, proxy):
            if server:
                server.stop() if isinstance(server, Exporter) else server.close()
        agent.stop()
    return results


def report_side_by_side(size, results):
    for title, result in results.items():
        print("\n  %d objects, %s, means of the scrapes:" % (size, title))
        print("  %-24s %9s %12s %12s %8s %15s" % (("",) + SIDE_FIGURES))
        for name, figures in result.items():
            print("  %-24s %9.0f %12.0f %12.2f %8.2f %15.3f" % ((name,) + tuple(figures)))
        peer = result[SNMP_EXPORTER]
        print("\n  Ratios to the SNMP exporter, and targets:")
        for name, limits in ((CACHED, (1 / 3, None, 1 / 2, 1 / 4, 1 / 3)),
                             (EMPTY, (None, None, None, 1 / 2, None))):
            for figure, mine, theirs, limit in zip(SIDE_FIGURES, result[name], peer, limits):
                ratio = mine / theirs if theirs else float("nan")
                verdict = "" if limit is None else "  target <= %.2f: %s" % (
                    limit, "met" if ratio <= limit else "MISS")
                print("  %-24s %-15s %6.3f%s" % (name, figure, ratio, verdict))


# 2. Load and memory

class Tally:
    """The probes answered, and what their own series say about them."""

    def __init__(self):
        self.lock = threading.Lock()
        self.probes = self.failed = self.requests = self.timeouts = 0

    def probe(self, exporter, path):
        body = exporter.probe(path)
        with self.lock:
            self.probes += 1
            self.failed += 0 if sample(body, "galvetrin_probe_success") == 1 else 1
            self.requests += sample(body, "galvetrin_probe_snmp_requests") or 0
            self.timeouts += sample(body, "galvetrin_probe_snmp_timeouts") or 0

    def __str__(self):
        return "%.0f requests and %.1f timeouts per probe%s" % (
            self.requests / self.probes, self.timeouts / self.probes,
            ", %d failed" % self.failed if self.failed else "")


def probe_all(exporter, paths, workers):
    tally = Tally()
    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        list(pool.map(lambda path: tally.probe(exporter, path), paths))
    return tally


def probe_for(exporter, paths, seconds):
    """Each path probed again and again by its own thread until the time is up."""
    tally, end = Tally(), time.monotonic() + seconds

    def loop(path):
        while time.monotonic() < end:
            tally.probe(exporter, path)

    threads = [threading.Thread(target=loop, args=(path,)) for path in paths]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return tally


def fleet_paths(addresses, auth):
    return ["/probe?target=%s&auth=%s&module=fleet%d" % (address, auth, m)
            for m in range(FLEET_MODULES) for address in addresses]


def load(args, workdir):
    addresses = ["%s.%d" % (args.fleet, n + 1) for n in range(args.fleet_routers)]
    big, small = write_router(args.fleet_size, workdir), write_router(args.small_size, workdir)
    agents = []
    exporter = None
    try:
        for n, address in enumerate(addresses):
            agents.append(measure.Agent(big, address, os.path.join(workdir, "fleet-%d" % n),
                                        {"small": small}))
        for agent in agents:
            agent.wait_until_answering()
        exporter = galvetrin_exporter(args, workdir, args.exporters)
        time.sleep(1)
        print("  idle after start: %.1f MB resident (target: under 30 MB)"
              % exporter.memory("VmRSS"), flush=True)

        paths = fleet_paths(addresses, "small")
        done = 0
        for total in args.memory_probes:
            rounds = (total - done) // len(paths)
            tally = probe_all(exporter, paths * rounds, len(paths))
            done += rounds * len(paths)
            print("  after %5d probes of %d-object routers, 64 at once: %.1f MB resident (%s)"
                  % (done, args.small_size, exporter.memory("VmRSS"), tally), flush=True)

        paths = fleet_paths(addresses, "public_v2")
        cpu, started = exporter.cpu(), time.monotonic()
        tally = probe_all(exporter, paths, len(paths))
        print("  64 first probes at once of %d-object routers (trees walked): %.1f s wall, "
              "%.3f s exporter CPU per probe, %s" % (args.fleet_size, time.monotonic() - started,
                                                     (exporter.cpu() - cpu) / len(paths), tally))
        cpu, started = exporter.cpu(), time.monotonic()
        tally = probe_for(exporter, paths, args.fleet_seconds)
        elapsed = time.monotonic() - started
        print("  64 at once, trees cached, for %.0f s: %d probes, %.2f probes/s, %.4f s "
              "exporter CPU per probe, %s" % (elapsed, tally.probes, tally.probes / elapsed,
                                              (exporter.cpu() - cpu) / tally.probes, tally))
        print("  peak resident (VmHWM): %.1f MB (target for 64 probes of 2,000-object routers: "
              "under 300 MB); now %.1f MB" % (exporter.memory("VmHWM"),
                                               exporter.memory("VmRSS")), flush=True)
    finally:
        if exporter:
            exporter.stop()
        for agent in agents:
            agent.stop()


# 3. The deadline

def late_answers(exporter, path, times):
    """Seconds past the probe's deadline at which each answer was complete."""
    deadline = SCRAPE_TIMEOUT - OFFSET
    header = {"X-Prometheus-Scrape-Timeout-Seconds": str(SCRAPE_TIMEOUT)}
    late = []
    for _ in range(times):
        started = time.monotonic()
        body = exporter.probe(path, header)
        late.append(time.monotonic() - started - deadline)
        # The exporter counts its deadline from the request's arrival: a little less is left.
        if abs(sample(body, "galvetrin_probe_deadline_seconds") - deadline) > 0.05:
            raise RuntimeError("the probe was not given %.1f s" % deadline)
    return late


def deadline(args, workdir):
    silent = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    silent.bind((args.silent, 161))  # takes the requests and never answers
    agent = measure.Agent(write_router(args.deadline_size, workdir), args.agent,
                          os.path.join(workdir, "agent-deadline"))
    proxy = exporter = None
    try:
        agent.wait_until_answering()
        proxy = measure.CountingProxy(args.proxy, args.agent, DELAY)
        exporter = galvetrin_exporter(args, workdir, args.exporters)
        cases = (("silent agent", "/probe?target=%s&module=uncached" % args.silent),
                 ("%d objects, 10 ms each way, empty cache" % args.deadline_size,
                  "/probe?target=%s&module=uncached" % args.proxy))
        print("  header %.1f s, offset %.1f s: deadline %.1f s after the request"
              % (SCRAPE_TIMEOUT, OFFSET, SCRAPE_TIMEOUT - OFFSET))
        for name, path in cases:
            late = late_answers(exporter, path, args.repeats)
            print("  %-42s answer complete %s ms after the deadline (target: within 200 ms): %s"
                  % (name, ", ".join("%.0f" % (s * 1000) for s in late),
                     "met" if max(late) <= 0.2 else "MISS"), flush=True)
    finally:
        if exporter:
            exporter.stop()
        if proxy:
            proxy.close()
        agent.stop()
        silent.close()


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exporter", required=True, help="the galvetrin-exporter binary")
    parser.add_argument("--snmp-exporter", default="/usr/bin/prometheus-snmp-exporter")
    parser.add_argument("--size", type=int, default=2000, help="objects of the router compared")
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--fleet-routers", type=int, default=16)
    # 64 first probes of 2,000-object routers keep 16 snmpsimd busy for minutes on 2 cores.
    parser.add_argument("--fleet-size", type=int, default=500)
    parser.add_argument("--fleet-seconds", type=float, default=20)
    parser.add_argument("--small-size", type=int, default=100)
    parser.add_argument("--memory-probes", default="128,512,2048",
                        help="probes of small routers after which RSS is read")
    parser.add_argument("--deadline-size", type=int, default=10000)
    parser.add_argument("--proxy", default="127.3.7.1", help="the delaying proxy's address")
    parser.add_argument("--agent", default="127.3.7.2", help="snmpsimd behind the proxy")
    parser.add_argument("--exporters", default="127.3.7.3", help="where the exporters listen")
    parser.add_argument("--silent", default="127.3.7.4", help="an address that never answers")
    parser.add_argument("--fleet", default="127.3.8", help="the fleet's /24: .1, .2 and on")
    parser.add_argument("--parts", default="1,2,3", help="which of the three to run")
    args = parser.parse_args()
    args.memory_probes = [int(n) for n in args.memory_probes.split(",")]
    args.parts = args.parts.split(",")
    return args


def main():
    args = parse_arguments()
    workdir = tempfile.mkdtemp(prefix="galvetrin-exporter-bench-")
    os.chmod(workdir, 0o755)  # snmpsimd runs as nobody
    try:
        if "1" in args.parts:
            print("-- 1. One scrape, side by side: %d objects, 10 ms each way" % args.size)
            report_side_by_side(args.size, side_by_side(args, workdir))
        if "2" in args.parts:
            print("\n-- 2. Load: %d routers, no delay" % args.fleet_routers)
            load(args, workdir)
        if "3" in args.parts:
            print("\n-- 3. The deadline")
            deadline(args, workdir)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
