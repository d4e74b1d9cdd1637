"""The tool against the misbehaving agent (tests/agents/bad_agent.py), one run per mode, each
agent on an address of its own so that the runs go side by side. The good run's whole output is
the case cases/bad-agent; a faulty run keeps its first rows and prints the stage's failure line."""

import concurrent.futures
import unittest

from harness import CASES, NET, OCTET, BadAgent, read, run


def walk(table, *columns):
    return lambda index="": ["1.3.6.1.4.1.9.9.166.1.%s.%d%s" % (table, c, index and "." + index)
                             for c in columns]


policies, objects, classes, stats = (walk("1.1.1", 3, 4), walk("5.1.1", 2, 3, 4),
                                     walk("7.1.1", 1, 2), walk("15.1.1", 2, 13))
REST = [walk("6.1.1", 1, 2)(), classes(), classes("2004"), walk("8.1.1", 1, 2)(), stats(),
        stats("2.32")]
GOOD = [policies(), objects(), objects("1.12"), objects("2.2"), *REST]
AT_FAULT = GOOD[:3] + REST  # the objects walk ends at its second answer
NO_PACKET = "No packet returned from ADDRESS.\n"

# mode: records stored, failure lines, the requests' OIDs (or their number), tries per request id
MODES = {  # slowest first
    "silence": (0, NO_PACKET * 6, [policies(), objects(), *REST[:2], *REST[3:5]],
                dict.fromkeys(range(1, 7), 3)),
    "garbage": (3, NO_PACKET, AT_FAULT, {3: 3}),
    "bigtable": (100_000, "", 339, {}),
    **dict.fromkeys(("good", "slow", "longnames", "error19", "error-1"), (8, "", GOOD, {})),
    "wrongtype": (3, NO_PACKET, AT_FAULT, {}),
    **dict.fromkeys(("repeat", "short"), (3, "", AT_FAULT, {})),
    **dict.fromkeys(("backwards", "longoid", "nosuchobject", "nosuchinstance", "endofmibview"),
                    (4, "", AT_FAULT, {})),
    "error1": (3, NO_PACKET[:-1] + "  Error code: 1\n", AT_FAULT, {}),
    "error18": (3, NO_PACKET[:-1] + "  Error code: 18\n", AT_FAULT, {}),
    "partial": (8, "", [policies(), objects(), objects("1.11"), objects("1.22"),
                        objects("2.32"), *REST], {}),
    "toomany": (8, "", [policies(), objects(), objects("1.22"), objects("2.32"), *REST], {}),
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
        result = run(agent.address, "-v2c", "-c", "public")
    return agent, result


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
        for mode, (records, failure, requests, tries) in MODES.items():
            with self.subTest(mode):
                agent, result = self.runs[mode].result()
                if mode not in ("bigtable", "longnames"):
                    self.assertEqual(report(records, failure.replace("ADDRESS", agent.address)),
                                     result.stdout)
                    self.assertEqual("", result.stderr)
                self.assertEqual(0, result.returncode)
                # Request ids 1, 2, 3, ...; a retry asks for the same OIDs under the same id.
                sent = []
                for entry in agent.log:
                    self.assertEqual(("public", "GetBulkRequestPDU", 0, 3 if entry["oids"][0].startswith(
                                      objects()[0]) else 4),
                                     (entry["community"], entry["pdu"], entry["non_repeaters"],
                                      entry["max_repetitions"]))
                    if sent and sent[-1][0] == entry["id"]:
                        self.assertEqual(sent[-1][1], entry["oids"])
                        sent[-1][2] += 1
                    else:
                        sent.append([entry["id"], entry["oids"], 1])
                self.assertEqual([[n, tries.get(n, 1)] for n in range(1, len(sent) + 1)],
                                 [[n, count] for n, _, count in sent])
                self.assertEqual(requests, [oids for _, oids, _ in sent]
                                 if isinstance(requests, list) else len(sent))

    def test_texts_are_cut_at_511_characters(self):
        expected = report(8).replace("in-policy (inbound traffic)", "n" * 511 + " (" + (
            bytes(range(256)) * 2).hex()[:511] + ")").replace("voice (voice", "v" * 511 + " (voice")
        self.assertEqual(expected, self.runs["longnames"].result()[1].stdout)

    def test_table_holds_100000_records_and_counts_the_rest(self):
        result = self.runs["bigtable"].result()[1]
        tails = {1: " " * 26 + "big-policy \n", 2: "           10           1 first-class \n",
                 100_000: "           20           2 last-stored-class \n"}
        flat, tree = [], []
        for k in range(1, 100_001):  # a chain: each object the parent of the next
            label, tail = "PolicyMap(1)" if k == 1 else "ClassMap(2)", tails.get(k, " " * 26 + "\n")
            flat.append("%9u %11u %12u %-17s %11u " % (1, k, k - 1, label, k) + tail)
            tree.append("%-22s" % ("  " * (k > 1) + label) + tail)
        self.assertEqual(report(100_000, "", flat, tree), result.stdout)
        self.assertEqual("galvetrin: the object table holds 100000 records; 10 more QoS objects "
                         "were not stored\n", result.stderr)


if __name__ == "__main__":
    unittest.main()
