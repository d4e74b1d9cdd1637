#!/usr/bin/python3
"""What the documents cost on top of the text report, on generated routers served by snmpsim.

For each size: the default run, -json and -metrics through the counting proxy of measure.py,
with requests, wall time, CPU and peak RSS of each, and the requests the document runs add
against what walking the extra columns needs (each class counter column and each column of the
action types present at 8 rows per request, the interface names and speeds by GET, 8 per
request). Then the requests a -json run makes to the tables of action types a router lacks.
"""

import collections
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

from measure import HERE, QOS, Agent, CountingProxy, parse_arguments, run_measured

MODES = {"text report": [], "-json": ["-json"], "-metrics": ["-metrics"]}
# The class statistics columns the documents walk, and each action type's tables and columns.
CLASS_COLUMNS = (*range(1, 22), 28, 29, 30)
ACTION_COLUMNS = {4: {9: (1, 2, 4, 9, 10, 12, 13), 18: range(1, 13)},
                  5: {10: (3, 4), 11: (4, 6, 7, 10, 11), 20: range(1, 25)},
                  6: {13: (1, 2, 3, 6, 7, 8, 11, 12, 13), 19: range(1, 15)},
                  7: {12: (1, 2, 3, 10, 11, 12, 13, 14, 25, 26, 27), 17: range(1, 25)},
                  8: {24: range(1, 14)}}
ACTION_TABLES = {table for tables in ACTION_COLUMNS.values() for table in tables}


def extra_requests(snmprec):
    """Requests a document run needs beyond the default run's: each column walked at 8 rows a
    request (one more to see its end), the interface names and speeds by GET, 8 a request."""
    rows, types, interfaces = collections.Counter(), set(), set()
    with open(snmprec) as records:
        for line in records:
            oid, kind, value = line.rstrip("\n").split("|", 2)
            if oid.startswith(QOS + "."):
                table, _, _, column = oid[len(QOS) + 1:].split(".")[:4]
                rows[int(table), int(column)] += 1
                if table == "5" and column == "3":
                    types.add(int(value))
                elif table == "1" and column == "4":
                    interfaces.add(value)
    columns = [(15, c) for c in CLASS_COLUMNS] + [(t, c) for kind in types & ACTION_COLUMNS.keys()
                                                   for t, cs in ACTION_COLUMNS[kind].items()
                                                   for c in cs]
    # ifName, then ifHighSpeed and ifSpeed, which the generated routers do not have.
    return sum(rows[c] // 8 + 1 for c in columns) + 3 * math.ceil(len(interfaces) / 8)


def absent_type_requests(args, workdir):
    """Requests a -json run makes to the tables of action types a router does not have."""
    snmprec = os.path.join(workdir, "router-queues.snmprec")
    subprocess.run([sys.executable, os.path.join(HERE, "make_router.py"), "--objects", "1000",
                    "--out", snmprec, "--action-types", "4,6"], check=True,
                   stdout=subprocess.DEVNULL)
    agent = Agent(snmprec, args.agent, os.path.join(workdir, "agent-queues"))
    proxy = None
    try:
        agent.wait_until_answering()
        proxy = CountingProxy(args.proxy, args.agent)
        run_measured(args.rusage_of, [[args.tool, args.proxy, "-v2c", "-c", "public", "-json"]],
                     os.path.join(workdir, "output.txt"))
        proxy.take_count()
        tables = proxy.take_tables()
    finally:
        if proxy:
            proxy.close()
        agent.stop()
    absent = {t for kind in (5, 7, 8) for t in ACTION_COLUMNS[kind]}
    return sum(tables[t] for t in absent), sum(tables[t] for t in ACTION_TABLES - absent)


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
                checks.append(("%d %s peak RSS %.1f MB under 250 MB" % (size, name,
                                                                         figures[name][3]),
                               figures[name][3] < 250))
        absent, present = absent_type_requests(args, workdir)
        checks.append(("a router with queueing and shaping only: %d requests for the police, "
                       "WRED and set tables (%d for its own)" % (absent, present), absent == 0))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print("\nTargets:")
    for text, met in checks:
        print("  %-4s %s" % ("met" if met else "MISS", text))


if __name__ == "__main__":
    main()
