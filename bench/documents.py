#!/usr/bin/python3
"""What the documents cost on top of the text report, on generated routers served by snmpsim.

For each size: the default run, -json and -metrics through the counting proxy of measure.py,
with requests, wall time, CPU and peak RSS of each, and the requests the document runs add
against what walking the extra columns needs (each extra counter column at 8 rows per request,
the interface-type column, and the interface names by GET, 8 per request).
"""

import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

from measure import HERE, QOS, Agent, CountingProxy, parse_arguments, run_measured

MODES = {"text report": [], "-json": ["-json"], "-metrics": ["-metrics"]}
EXTRA_COUNTER_COLUMNS = (3, 6, 7, 10, 11, 14, 17, 18, 21)  # beside the two the default walks


def extra_requests(snmprec):
    """Requests a document run needs beyond the default run's."""
    classes, policies, interfaces = 0, 0, set()
    with open(snmprec) as records:
        for line in records:
            oid, _, value = line.rstrip("\n").split("|", 2)
            if oid.startswith(QOS + ".15.1.1.3."):
                classes += 1
            elif oid.startswith(QOS + ".1.1.1.4."):
                policies += 1
                interfaces.add(value)
    # A walk ends with one request past its column; the service policy walk takes a third
    # column in its requests, not more requests.
    counters = len(EXTRA_COUNTER_COLUMNS) * (math.ceil(classes / 8) + 1)
    # The two 32-bit columns are walked one by one too: 8 rows a request instead of 4 each.
    return counters + math.ceil(len(interfaces) / 8)


def main():
    args = parse_arguments(__doc__, "1000,100000", "127.0.5.3", "127.0.5.4")
    workdir = tempfile.mkdtemp(prefix="galvetrin-documents-")
    os.chmod(workdir, 0o755)  # snmpsimd runs as nobody
    print("%8s %-12s %9s %8s %8s %9s" % ("objects", "run", "requests", "wall s", "CPU s",
                                           "RSS MB"))
    checks = []
    try:
        for size in (int(s) for s in args.sizes.split(",")):
            snmprec = os.path.join(workdir, "router-%d.snmprec" % size)
            subprocess.run([sys.executable, os.path.join(HERE, "make_router.py"), "--objects",
                            str(size), "--out", snmprec], check=True, stdout=subprocess.DEVNULL)
            agent = Agent(snmprec, args.agent, os.path.join(workdir, "agent-%d" % size))
            proxy = None
            try:
                agent.wait_until_answering()
                proxy = CountingProxy(args.proxy, args.agent)
                figures = {}
                for name, options in MODES.items():
                    output = os.path.join(workdir, "output.txt")
                    command = [args.tool, args.proxy, "-v2c", "-c", "public", *options]
                    wall, cpu, rss = run_measured(args.rusage_of, [command], output)
                    figures[name] = (proxy.take_count(), wall, cpu, rss)
                    print("%8d %-12s %9d %8.2f %8.3f %9.1f" % ((size, name) + figures[name]),
                          flush=True)
                    if name == "-json":
                        with open(output) as document:
                            assert not json.load(document)["errors"], "a stage failed"
            finally:
                if proxy:
                    proxy.close()
                agent.stop()
            allowed = extra_requests(snmprec)
            for name in ("-json", "-metrics"):
                added = figures[name][0] - figures["text report"][0]
                checks.append(("%d %s adds %d requests, the extra columns need %d"
                               % (size, name, added, allowed), added <= allowed))
                checks.append(("%d %s peak RSS %.1f MB under 150 MB" % (size, name,
                                                                         figures[name][3]),
                               figures[name][3] < 150))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print("\nTargets:")
    for text, met in checks:
        print("  %-4s %s" % ("met" if met else "MISS", text))


if __name__ == "__main__":
    main()
