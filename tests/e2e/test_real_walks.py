"""Walks recorded from real switches (../shared/fixtures/real beside the repository, never copied
into it), served by snmpsim: each QoS object is listed once in each listing, under its own policy,
and the hint that only 64-bit counters were found (they are all 0 there)."""

import glob
import os
import unittest

from harness import ADDRESS, ROOT, SimulatedAgent, read, run

REAL = os.path.join(ROOT, "..", "shared", "fixtures", "real")
HINT = "galvetrin: the router gave no 32-bit class counters; -hc reads its 64-bit counters\n"


@unittest.skipUnless(os.path.isdir(REAL), "no recorded walks beside the repository")
class RecordedWalks(unittest.TestCase):
    def test_each_object_once(self):
        for path in sorted(glob.glob(os.path.join(REAL, "*.snmprec"))):
            data = read(path)
            prefix = "1.3.6.1.4.1.9.9.166.1.5.1.1.3."
            types = dict(line[len(prefix):].split("|2|") for line in data.splitlines()
                         if line.startswith(prefix))
            with self.subTest(os.path.basename(path)), SimulatedAgent(data, ADDRESS):
                result = run(ADDRESS, "-v2c", "-c", "public")
                self.assertEqual((HINT, 0), (result.stderr, result.returncode))
                listings = result.stdout.split("-----------\n")[-1]
                flat, tree = listings.split("\n\n")
                rows = sorted("%s.%s" % tuple(row.split()[:2]) for row in flat.splitlines())
                self.assertEqual(sorted(index for index, kind in types.items() if kind != "4"), rows)
                self.assertEqual(len(types), len(tree.splitlines()))


if __name__ == "__main__":
    unittest.main()
