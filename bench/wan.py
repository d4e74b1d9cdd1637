#!/usr/bin/python3
"""galvetrin -fast across a WAN: wall time, requests and CPU beside the default run and
snmpbulkwalk, through a UDP proxy that delays every datagram 10 ms each way.

For each size: write the router (make_router.py), serve it with snmpsimd, put the delaying
proxy in front of it, then run in turn, through the proxy: the default run, -fast, and
snmpbulkwalk walking the tool's 13 columns one per run at its own default max-repetitions
(10). Then -fast once more straight to snmpsimd: the simulator's own rate, the floor of any
client's wall time. Runs of sizes above 10,000 are made once; smaller ones give medians.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile

import measure

DELAY = 0.010  # seconds each way
DEFAULT, FAST, BULKWALK = "default run", "-fast", "snmpbulkwalk x13"


def clients(tool, address):
    run = [tool, address, "-v2c", "-c", "public"]
    walks = [["snmpbulkwalk", "-v2c", "-c", "public", "-On", "-m", "", address,
              "%s.%s" % (measure.QOS, column)]
             for _, columns in measure.STAGES for column in columns]
    return {DEFAULT: [run], FAST: [run + ["-fast"]], BULKWALK: walks}


def measure_size(args, size, workdir):
    snmprec = os.path.join(workdir, "router-%d.snmprec" % size)
    subprocess.run([sys.executable, os.path.join(measure.HERE, "make_router.py"), "--objects",
                    str(size), "--out", snmprec], check=True)
    agent = measure.Agent(snmprec, args.agent, os.path.join(workdir, "agent-%d" % size))
    proxy = None
    try:
        agent.wait_until_answering()
        proxy = measure.CountingProxy(args.proxy, args.agent, DELAY)
        commands = clients(args.tool, args.proxy)
        repeats = 1 if size > 10_000 else args.repeats
        runs = {name: [] for name in commands}
        outputs = {}
        for repeat in range(repeats):
            for name, command in commands.items():  # interleaved: shared noise hits all
                output = os.path.join(workdir, "%s-%d-%d.txt" % (name[:4], size, repeat))
                agent_before = agent.cpu_seconds()
                wall, cpu, _ = measure.run_measured(args.rusage_of, command, output)
                run = (proxy.take_count(), wall, cpu, agent.cpu_seconds() - agent_before)
                print("%8d %-17s run %d: %6d requests %7.2f s wall %6.3f s CPU, agent %6.2f s "
                      "CPU" % ((size, name, repeat + 1) + run), flush=True)
                runs[name].append(run)
                with open(output, "rb") as text:
                    outputs.setdefault(name, text.read())
        # The floor: -fast with no proxy, as fast as the simulator answers.
        output = os.path.join(workdir, "floor-%d.txt" % size)
        agent_before = agent.cpu_seconds()
        wall, cpu, _ = measure.run_measured(
            args.rusage_of, clients(args.tool, args.agent)[FAST], output)
        floor = (0, wall, cpu, agent.cpu_seconds() - agent_before)
    finally:
        if proxy:
            proxy.close()
        agent.stop()
    result = {name: [statistics.median(figures) for figures in zip(*r)] for name, r in runs.items()}
    result["floor"] = floor
    result["same output"] = outputs[FAST] == outputs[DEFAULT] and b"No packet" not in outputs[FAST]
    return result


def report(results):
    print("\n%8s  %-34s %9s %9s %8s %12s" % ("objects", "client", "requests", "wall s", "CPU s",
                                               "agent CPU s"))
    for size, r in results:
        for name in (DEFAULT, FAST, BULKWALK):
            print("%8d  %-34s %9d %9.2f %8.3f %12.2f" % ((size, name) + tuple(r[name])))
        print("%8d  %-34s %9s %9.2f %8.3f %12.2f" % (
            size, "-fast without delay (floor)", "", *r["floor"][1:]))
    print("\nTargets:")
    for size, r in results:
        fast, default, walk = r[FAST], r[DEFAULT], r[BULKWALK]
        for text, met in (
                ("wall at most 1/5 of the default run's (%.2f s <= %.2f s)"
                 % (fast[1], default[1] / 5), fast[1] <= default[1] / 5),
                ("wall at most 1/5 of snmpbulkwalk's (%.2f s <= %.2f s)"
                 % (fast[1], walk[1] / 5), fast[1] <= walk[1] / 5),
                ("standard output identical to the default run's", r["same output"]),
                ("CPU at most the default run's + 20%% (%.3f s <= %.3f s)"
                 % (fast[2], default[2] * 1.2), fast[2] <= default[2] * 1.2)):
            print("  %-4s %d: -fast %s" % ("met" if met else "MISS", size, text))


def main():
    args = measure.parse_arguments(__doc__, "2000,20000", "127.3.6.1", "127.3.6.2")
    workdir = tempfile.mkdtemp(prefix="galvetrin-wan-")
    os.chmod(workdir, 0o755)  # snmpsimd runs as nobody
    try:
        results = [(int(size), measure_size(args, int(size), workdir))
                   for size in args.sizes.split(",")]
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    report(results)


if __name__ == "__main__":
    main()
