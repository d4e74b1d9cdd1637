"""Whole runs as data. Each folder under cases/ holds the agent's data (agent.snmprec; `router`,
a data file's path from the repository's root; `mode`, a mode of the bad agent; or none),
`args` (one run per line), the whole expected standard output `stdout.out`, and `stderr.txt`
and `exit` where they are not empty and 0. ADDRESS stands for the agent's address."""

import contextlib
import os
import shlex
import unittest

from harness import ADDRESS, CASES, ROOT, BadAgent, SimulatedAgent, read, run


class Cases(unittest.TestCase):
    maxDiff = None

    def test_cases(self):
        for name in sorted(os.listdir(CASES)):
            case = os.path.join(CASES, name)
            mode, router = read(case, "mode", default=""), read(case, "router", default="")
            data = read(case, "agent.snmprec") or router and read(ROOT, router.strip())
            with self.subTest(name), (BadAgent(mode.strip(), ADDRESS) if mode else SimulatedAgent(
                    data, ADDRESS) if data else contextlib.nullcontext()):
                stdout, stderr, code = (read(case, file, default=default).replace("ADDRESS", ADDRESS)
                                        for file, default in (("stdout.out", None),
                                                              ("stderr.txt", ""), ("exit", "0")))
                for line in read(case, "args").splitlines():
                    result = run(*shlex.split(line.replace("ADDRESS", ADDRESS)))
                    self.assertEqual((stdout, stderr, code.strip()), (
                        result.stdout, result.stderr, str(result.returncode)), line)

if __name__ == "__main__":
    unittest.main()
