"""The tool against the misbehaving agent (tests/agents/bad_agent.py), one run per mode, each
with an agent of its own address so that the runs go side by side. The good run's whole output
is the case cases/bad-agent; a faulty run prints its first rows and the stage's failure line."""

import concurrent.futures
import os
import unittest

from harness import NET, OCTET, BadAgent, read, run
from test_cases import CASES

QOS = "1.3.6.1.4.1.9.9.166.1."


def walk(table, *columns):
    return lambda index="": ["%s%s.%d%s" % (QOS, table, c, index and "." + index) for c in columns]


policies, objects, classes = walk("1.1.1", 3, 4), walk("5.1.1", 2, 3, 4), walk("7.1.1", 1, 2)
REST = [walk("6.1.1", 1, 2)(), classes(), classes("2004"), walk("8.1.1", 1, 2)(),
        walk("15.1.1", 2, 13)(), walk("15.1.1", 2, 13)("2.32")]
GOOD = [policies(), objects(), objects("1.12"), objects("2.2"), *REST]
AT_FAULT = GOOD[:3] + REST  # the objects walk ends at its second answer
NO_PACKET = "No packet returned from ADDRESS.\n"

# mode: rows stored, failure line, the requests' OIDs (or their number), tries of request ids
MODES = {
    "silence": (0, NO_PACKET * 6, [policies(), objects(), *REST[0:2], *REST[3:5]],
                {n: 3 for n in range(1, 7)}),
    "garbage": (3, NO_PACKET, AT_FAULT, {3: 3}),
    "bigtable": (100_000, "", 339, {}),
    "good": (8, "", GOOD, {}), "slow": (8, "", GOOD, {}), "longnames": (8, "", GOOD, {}),
    "wrongtype": (3, NO_PACKET, AT_FAULT, {}),
    "repeat": (3, "", AT_FAULT, {}), "short": (3, "", AT_FAULT, {}),
    "backwards": (4, "", AT_FAULT, {}), "longoid": (4, "", AT_FAULT, {}),
    "nosuchobject": (4, "", AT_FAULT, {}), "nosuchinstance": (4, "", AT_FAULT, {}),
    "endofmibview": (4, "", AT_FAULT, {}),
    "error1": (3, NO_PACKET[:-1] + "  Error code: 1\n", AT_FAULT, {}),
    "error18": (3, NO_PACKET[:-1] + "  Error code: 18\n", AT_FAULT, {}),
    "error19": (8, "", GOOD, {}), "error-1": (8, "", GOOD, {}),
    "partial": (8, "", [policies(), objects(), objects("1.11"), objects("1.22"),
                        objects("2.32"), *REST], {}),
    "toomany": (8, "", [policies(), objects(), objects("1.22"), objects("2.32"), *REST], {}),
}


def run_mode(number, mode):
    with BadAgent(mode, "%s.%d.%s" % (NET, 100 + number, OCTET)) as agent:
        result = run(agent.address, "-v2c", "-c", "public")
    return agent, result


# The good run's report: head, policy rows, the listings' header, flat rows, tree lines.
GOOD_LINES = read(os.path.join(CASES, "bad-agent", "stdout.out")).splitlines(keepends=True)
_END = GOOD_LINES.index("\n", 4)
_FLAT_END = GOOD_LINES.index("\n", _END + 3)
HEAD, POLICY_ROWS, HEADER = GOOD_LINES[:4], GOOD_LINES[4:_END], GOOD_LINES[_END:_END + 3]
FLAT, TREE = GOOD_LINES[_END + 3:_FLAT_END], GOOD_LINES[_FLAT_END + 1:]


def report(rows, failure="", flat=FLAT, tree=TREE):
    """The report when the objects walk stored its first `rows` rows, with a failure line; a
    run that got no row got no policy row either."""
    return "".join(HEAD + POLICY_ROWS * bool(rows) + [failure] + HEADER + flat[:rows] + ["\n"]
                   + tree[:rows])


class BadAgentTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.pool = concurrent.futures.ThreadPoolExecutor(max_workers=12)
        cls.runs = {mode: cls.pool.submit(run_mode, n, mode) for n, mode in enumerate(MODES)}

    @classmethod
    def tearDownClass(cls):
        cls.pool.shutdown(cancel_futures=True)

    def test_modes(self):
        for mode, (rows, failure, requests, tries) in MODES.items():
            with self.subTest(mode):
                agent, result = self.runs[mode].result()
                if mode not in ("bigtable", "longnames"):
                    self.assertEqual(report(rows, failure.replace("ADDRESS", agent.address)), result.stdout)
                    self.assertEqual("", result.stderr)
                self.assertEqual(0, result.returncode)
                self.assertRequests(agent.log, requests, tries)

    def assertRequests(self, log, requests, tries):
        """Request ids 1, 2, 3, ..., each sent as often as `tries` says (once by default) with
        the same OIDs, non-repeaters 0 and max-repetitions 3 in the objects walk, 4 elsewhere."""
        seen = []
        for entry in log:
            self.assertEqual(("public", "GetBulkRequestPDU", 0, 3 if entry["oids"][0].startswith(
                objects()[0]) else 4), (entry["community"], entry["pdu"], entry["non_repeaters"],
                                        entry["max_repetitions"]))
            if seen and seen[-1][0] == entry["id"]:
                self.assertEqual(seen[-1][1], entry["oids"])
                seen[-1][2] += 1
            else:
                seen.append([entry["id"], entry["oids"], 1])
        self.assertEqual([[n + 1, tries.get(n + 1, 1)] for n in range(len(seen))],
                         [[i, count] for i, _, count in seen])
        self.assertEqual(requests, [oids for _, oids, _ in seen] if isinstance(requests, list)
                         else len(seen))

    def test_texts_are_cut_at_511_characters(self):
        _, result = self.runs["longnames"].result()
        expected = report(8).replace("in-policy (inbound traffic)", "n" * 511 + " (" + (
            bytes(range(256)) * 2).hex()[:511] + ")").replace("voice (voice", "v" * 511 + " (voice")
        self.assertEqual(expected, result.stdout)

    def test_table_holds_100000_records_and_counts_the_rest(self):
        _, result = self.runs["bigtable"].result()
        empty = " " * 26
        counters = {2: "%13u %11u " % (10, 1), 100_000: "%13u %11u " % (20, 2)}
        names = {2: "first-class ", 100_000: "last-stored-class "}
        flat = ["        1           1            0 PolicyMap(1)                1 " + empty
                + "big-policy \n"]
        tree = ["PolicyMap(1)          " + empty + "big-policy \n"]
        for k in range(2, 100_001):
            tail = counters.get(k, empty) + names.get(k, "") + "\n"
            flat.append("%9u %11u %12u ClassMap(2)       %11u " % (1, k, k - 1, k) + tail)
            tree.append("  ClassMap(2)         " + tail)
        self.assertEqual(report(100_000, "", flat, tree), result.stdout)
        self.assertEqual("galvetrin: the object table holds 100000 records; 10 more QoS objects "
                         "were not stored\n", result.stderr)


if __name__ == "__main__":
    unittest.main()
