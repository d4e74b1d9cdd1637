"""Whole runs as data. Each folder under cases/ holds the agent's data (agent.snmprec, `router`
naming a data file from the repository's root, `mode` naming a bad agent mode, or none for no
agent), `args` (one run per line), the whole expected standard output `stdout.out`, and the
expected `stderr.txt` and `exit` where they are not empty and 0. ADDRESS stands for the agent's
address in all of them."""

import contextlib
import os
import shlex
import unittest

from harness import ADDRESS, ROOT, BadAgent, SimulatedAgent, read, run

CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases")


def agent_for(case):
    router = read(os.path.join(case, "router"), "").strip()
    data = read(os.path.join(case, "agent.snmprec")) or router and read(os.path.join(ROOT, router))
    mode = read(os.path.join(case, "mode"), "").strip()
    return (BadAgent(mode, ADDRESS) if mode else SimulatedAgent(data, ADDRESS) if data
            else contextlib.nullcontext())


class Cases(unittest.TestCase):
    maxDiff = None

    def test_cases(self):
        for name in sorted(os.listdir(CASES)):
            case = os.path.join(CASES, name)
            with self.subTest(name), agent_for(case):
                expected = [read(os.path.join(case, file), default).replace("ADDRESS", ADDRESS)
                            for file, default in (("stdout.out", None), ("stderr.txt", ""),
                                                  ("exit", "0\n"))]
                for line in read(os.path.join(case, "args")).splitlines():
                    result = run(*shlex.split(line.replace("ADDRESS", ADDRESS)))
                    outcome = (result.stdout, result.stderr, "%d\n" % result.returncode)
                    for want, got in zip(expected, outcome):
                        self.assertEqual(want, got, line)


if __name__ == "__main__":
    unittest.main()
