"""The tool against the misbehaving agent (tests/agents/bad_agent.py), one run per mode, each
agent on an address of its own so that the runs go side by side. The good run's whole output is
the case cases/bad-agent; a faulty run keeps its first rows and prints the stage's failure line."""

import concurrent.futures
from collections import Counter
import unittest

from harness import CASES, NET, OCTET, BadAgent, read, run


def walk(table, *columns):
    return lambda row="": ["1.3.6.1.4.1.9.9.166.1.%s.%d%s" % (table, c, row and "." + row)
                           for c in columns]


policies, objects, classes, stats = (walk("1.1.1", 3, 4), walk("5.1.1", 2, 3, 4),
                                     walk("7.1.1", 1, 2), walk("15.1.1", 2, 13))
REST = [walk("6.1.1", 1, 2)(), classes(), classes("2004"), walk("8.1.1", 1, 2)(), stats(),
        stats("2.32")]
GOOD = [policies(), objects(), objects("1.12"), objects("2.2"), *REST]
AT_FAULT = GOOD[:3] + REST  # the objects walk ends at its second answer
FAILED = "No packet returned from ADDRESS.%s\n"

# mode: records stored, failure lines, the requests' OIDs (or their number), tries of each
MODES = {  # slowest first
    "silence": (0, FAILED % "" * 6, [policies(), objects(), *REST[:2], *REST[3:5]], 3),
    "bigtable": (100_000, "", 339, 1),
    **dict.fromkeys(("good", "slow", "longnames", "error19", "error-1"), (8, "", GOOD, 1)),
    "backwards": (4, "", AT_FAULT, 1),  # every guard of the walk: tests/unit/column_walk_test
    "error1": (3, FAILED % "  Error code: 1", AT_FAULT, 1),
    "error18": (3, FAILED % "  Error code: 18", AT_FAULT, 1),
}

# The good report's lines: 4 of head, 2 policy rows, 3 of the listings' header, 8 flat rows, a
# blank line and 8 tree lines, one row and one line per record in table order.
GOOD_LINES = read(CASES, "bad-agent", "stdout.out").splitlines(keepends=True)


def report(records, failure="", flat=GOOD_LINES[9:17], tree=GOOD_LINES[18:]):
    """The report of a run that stored its first records; one that stored none had no policies."""
    return "".join(GOOD_LINES[:4] + GOOD_LINES[4:6] * bool(records) + [failure] + GOOD_LINES[6:9]
                   + flat[:records] + ["\n"] + tree[:records])


def run_mode(number, mode):
    with BadAgent(mode, "%s.%d.%s" % (NET, 100 + number, OCTET)) as agent:
        result = run(agent.address, "-v2c", "-c", "public", timeout=300)  # silence takes 90 s
    return agent, result


class BadAgentTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.pool = concurrent.futures.ThreadPoolExecutor(max_workers=12)
        cls.runs = {mode: cls.pool.submit(run_mode, n, mode) for n, mode in enumerate(MODES)}
        cls.addClassCleanup(cls.pool.shutdown, cancel_futures=True)

    def test_modes(self):
        for mode, (records, failure, requests, tries) in MODES.items():
            with self.subTest(mode):
                agent, result = self.runs[mode].result()
                if mode not in ("bigtable", "longnames"):
                    self.assertEqual(report(records, failure.replace("ADDRESS", agent.address)),
                                     result.stdout)
                    self.assertEqual("", result.stderr)
                self.assertEqual(0, result.returncode)
                self.assertEqual([("public", "GetBulkRequestPDU", 0, 3 if e["oids"][0].startswith(
                    objects()[0]) else 4) for e in agent.log], [(e["community"], e["pdu"], e[
                        "non_repeaters"], e["max_repetitions"]) for e in agent.log])
                log = [(entry["id"], entry["oids"]) for entry in agent.log]
                # Request ids 1, 2, 3, ...; a retry repeats its request's id and OIDs.
                sent = [entry for k, entry in enumerate(log) if k == 0 or log[k - 1] != entry]
                self.assertEqual(list(range(1, len(sent) + 1)), [n for n, _ in sent])
                self.assertEqual({n: tries for n, _ in sent}, Counter(n for n, _ in log))
                self.assertEqual(requests, [oids for _, oids in sent]
                                 if isinstance(requests, list) else len(sent))

    def test_texts_are_cut_at_511_characters(self):
        expected = report(8).replace("in-policy (inbound traffic)", "n" * 511 + " (" + (
            bytes(range(256)) * 2).hex()[:511] + ")").replace("voice (voice", "v" * 511 + " (voice")
        self.assertEqual(expected, self.runs["longnames"].result()[1].stdout)

    def test_table_holds_100000_records_and_counts_the_rest(self):
        result = self.runs["bigtable"].result()[1]
        counters, flat, tree = {11: (1200, 3), 21: (4294967295, 0)}, [], []
        for k in range(1, 100_001):  # a chain: each object the parent of the next
            label, config, text = ("ClassMap(2)", 2001, "voice (voice calls)") if k > 1 else (
                "PolicyMap(1)", 1001, "in-policy (inbound traffic)")
            tail = ("%13u %11u " % counters[k] if k in counters else " " * 26) + text
            flat.append("%9u %11u %12u %-17s %11u " % (1, k, k - 1, label, config) + tail + "\n")
            tree.append("%-22s" % ("  " * (k > 1) + label) + tail + " \n")
        self.assertEqual(report(100_000, "", flat, tree), result.stdout)
        self.assertEqual("galvetrin: the object table holds 100000 records; 10 more QoS objects "
                         "were not stored\n", result.stderr)


if __name__ == "__main__":
    unittest.main()
