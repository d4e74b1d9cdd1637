"""Whole runs as data: each folder in cases/ holds the agent's data (agent.snmprec; `router`, a
data file's path from the repository's root; `mode`, a bad agent's mode; or none), `args` (a
run per line), the whole expected `stdout.out`, and `stderr.txt` and `exit` unless empty and 0.
ADDRESS stands for the agent's address. And the walks recorded from real switches beside the
repository (never copied into it): each QoS object listed once in each listing."""

import contextlib
import glob
import os
import shlex
import tempfile
import unittest

from harness import ADDRESS, CASES, ROOT, BadAgent, SimulatedAgent, read, run

REAL = os.path.join(ROOT, "..", "shared", "fixtures", "real")
TYPES = "1.3.6.1.4.1.9.9.166.1.5.1.1.3."


class Cases(unittest.TestCase):
    maxDiff = None

    def test_cases(self):
        for name in sorted(os.listdir(CASES)):
            case = os.path.join(CASES, name)
            mode, router = read(case, "mode", default=""), read(case, "router", default="")
            data = read(case, "agent.snmprec") or router and read(ROOT, router.strip())
            stdout, stderr, code = (read(case, file, default=default).replace("ADDRESS", ADDRESS)
                                    for file, default in (("stdout.out", ""), ("stderr.txt", ""),
                                                          ("exit", "0")))
            with self.subTest(name), (BadAgent(mode.strip(), ADDRESS) if mode else SimulatedAgent(
                    data, ADDRESS) if data else contextlib.nullcontext()):
                for line in read(case, "args").splitlines():
                    result = run(*shlex.split(line.replace("ADDRESS", ADDRESS)))
                    self.assertEqual((stdout, stderr, code.strip()), (
                        result.stdout, result.stderr, str(result.returncode)), line)

    def test_no_configuration_or_environment_is_read(self):
        with tempfile.TemporaryDirectory() as home, SimulatedAgent(
                read(ROOT, "scripts", "routers", "classic.snmprec"), ADDRESS):
            os.mkdir(os.path.join(home, ".snmp"))
            with open(os.path.join(home, ".snmp", "snmp.conf"), "w") as conf:
                # The last line, read, would make every run fail: no such local address.
                conf.write("defVersion 3\ndefSecurityName nobody\ndefCommunity wrong\n"
                           "clientaddr 192.0.2.1\n")
            env = dict(os.environ, HOME=home, MIBFILES=os.path.join(home, "none.txt"),
                       MIBDIRS=home, SNMP_PERSISTENT_DIR=home)
            result = run(ADDRESS, "-v2c", "-c", "public", env=env)
        self.assertEqual((read(CASES, "classic", "stdout.out"), "", 0),
                         (result.stdout, result.stderr, result.returncode))

    @unittest.skipUnless(os.path.isdir(REAL), "no recorded walks beside the repository")
    def test_recorded_walks(self):
        for path in sorted(glob.glob(os.path.join(REAL, "*.snmprec"))):
            data = read(path)
            types = dict(line[len(TYPES):].split("|2|") for line in data.splitlines()
                         if line.startswith(TYPES))
            with self.subTest(os.path.basename(path)), SimulatedAgent(data, ADDRESS):
                result = run(ADDRESS, "-v2c", "-c", "public")
                self.assertEqual(("galvetrin: the router gave no 32-bit class counters; -hc reads "
                                  "its 64-bit counters\n", 0), (result.stderr, result.returncode))
                flat, tree = result.stdout.split("-----------\n")[-1].split("\n\n")
                rows = sorted("%s.%s" % tuple(row.split()[:2]) for row in flat.splitlines())
                self.assertEqual(sorted(i for i, kind in types.items() if kind != "4"), rows)
                self.assertEqual(len(types), len(tree.splitlines()))


if __name__ == "__main__":
    unittest.main()
