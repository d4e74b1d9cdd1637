"""The tool against agents that misbehave (tests/agents/bad_agent.py): for each kind of fault,
the rows before it, the failure lines, and the requests the walk sent. Every run has an agent
of its own on its own loopback address, so the runs go in parallel."""

import collections
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

import harness

AGENT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "agents", "bad_agent.py")

# The requests each run sends, slowest run first so that the waits overlap. A name is the
# agent's mode and then the tool's extra options.
REQUESTS = {
    "silence": 6, "bigtable": 33_342, "slow": 11, "silentfirst": 11, "garbage-random": 9,
    "garbage-truncated": 9, "garbage-reqid": 9, "overlongoid": 9, "garbage-type": 9, "good": 11,
    "repeat": 9, "backwards": 9, "short": 9, "empty": 9, "nosuchobject": 9, "nosuchinstance": 9,
    "endofmibview": 9, "longoid": 9, "error5": 9, "error18": 9, "error19": 11, "error255": 11,
    "error-1": 11, "partial": 11, "toomany": 10, "longnames": 13, "cycles": 8,
    "nosuchobject -d": 9,
}


def time_bound(name):
    """The library gives up on a request after 5 s x 3 tries: a run may take that long for
    every request, plus its start-up. bigtable's answers come at once."""
    return 600 if name == "bigtable" else 15 * REQUESTS[name] + 15


def run_address(number):
    """127.0.<100 + number>.<last octet of this file's address>: no other test file uses it."""
    return "127.0.%d.%s" % (100 + number, harness.ADDRESS.rsplit(".", 1)[1])


Result = collections.namedtuple("Result", "address stdout stderr returncode log")


def run_against_agent(name, address):
    mode, *options = name.split()
    bound = time_bound(name)
    with tempfile.TemporaryDirectory(prefix="galvetrin-bad-agent-") as workdir:
        log_path = os.path.join(workdir, "log")
        agent = subprocess.Popen(
            [sys.executable, AGENT, "--address", address, "--mode", mode, "--log", log_path,
             "--lifetime", str(bound + 30)],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            wait_for_log(agent, log_path)
            try:
                tool = harness.run_tool(address, "-v2c", "-c", "public", *options, timeout=bound)
                stdout, stderr, returncode = tool.stdout, tool.stderr, tool.returncode
            except subprocess.TimeoutExpired:
                stdout, stderr, returncode = "", "no exit within %d s" % bound, None
        finally:
            agent.terminate()
            agent_errors = agent.communicate(timeout=30)[1]
        with open(log_path) as log:
            entries = [json.loads(line) for line in log]
    if agent_errors:
        stderr += "\nagent: " + agent_errors
    return Result(address, stdout, stderr, returncode, entries)


def wait_for_log(agent, log_path, limit=60.0):
    """The agent creates its log once its socket is bound."""
    deadline = time.monotonic() + limit
    while not os.path.exists(log_path):
        if agent.poll() is not None or time.monotonic() > deadline:
            agent.kill()
            raise RuntimeError("bad agent did not start: " + agent.communicate()[1])
        time.sleep(0.05)


def columns(table, numbers):
    """The OIDs a walk of these columns asks for: the columns, or the row `index` of each."""
    return lambda index="": ["%s%s.%d" % (harness.QOS, table, number) + ("." + index) * bool(index)
                             for number in numbers]


service_policies = columns("1.1.1", (3, 4))
objects = columns("5.1.1", (2, 3, 4))
policy_maps = columns("6.1.1", (1, 2))
class_maps = columns("7.1.1", (1, 2))
match_statements = columns("8.1.1", (1, 2))
class_stats = columns("15.1.1", (2, 13))


# The agent's well-formed data set: two policies, nine objects rows in depth-first order.
POLICIES = "        1         3 Direction:1\n        2         4 Output\n"
FLAT = harness.marked_lines("""\
        1           1            0 PolicyMap(1)             1001                           in-policy (inbound traffic)|
        1          11            1 ClassMap(2)              2001          1200           3 voice (voice calls)|
        1          12           11 matchStatement(3)        3001                           match ip dscp ef (dscp ef)|
        1          21            1 ClassMap(2)              2002    4294967295           0 class-default |
        1          22           21 matchStatement(3)        3002                           match any (any)|
        2           2            0 PolicyMap(1)             1002                           out-policy |
        2          31            2 ClassMap(2)              2003                           class-default |
        2          32            2 ClassMap(2)              2004            77           7 bulk (best effort)|
""").splitlines(keepends=True)
FLAT.insert(3, "")  # object 1.13 is a queueing action, which the flat listing leaves out
TREE = [
    "PolicyMap(1)                                    in-policy (inbound traffic) \n",
    "  ClassMap(2)                  1200           3 voice (voice calls) \n",
    "    matchStatement(3)                           match ip dscp ef (dscp ef) \n",
    "    queueing(4)                                 \n",
    "  ClassMap(2)            4294967295           0 class-default \n",
    "    matchStatement(3)                           match any (any) \n",
    "PolicyMap(1)                                    out-policy \n",
    "  ClassMap(2)                                   class-default \n",
    "  ClassMap(2)                    77           7 bulk (best effort) \n",
]

GOOD_REQUESTS = [
    service_policies(),
    objects(), objects("1.12"), objects("1.22"), objects("2.32"),
    policy_maps(),
    class_maps(), class_maps("2004"),
    match_statements(),
    class_stats(), class_stats("2.32"),
]
# Most faults sit in the answer to the objects walk's second request (after row 1.12).
OBJECTS_WALK_ENDS_AT_FAULT = GOOD_REQUESTS[:3] + GOOD_REQUESTS[5:]


def report(rows=len(FLAT), failures="", flat=FLAT, tree=TREE, policies=POLICIES):
    """Standard output when the objects walk stored its first `rows` rows."""
    return harness.report(policies, "".join(flat[:rows]), "".join(tree[:rows]), failures)


def printable(length):
    return "".join(chr(ord("a") + i % 26) for i in range(length))


def binary_hex(length):
    return "".join("%02x" % (i % 256) for i in range(length))


class BadAgentTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.pool = concurrent.futures.ThreadPoolExecutor(max_workers=10)
        cls.futures = {name: cls.pool.submit(run_against_agent, name, run_address(number))
                       for number, name in enumerate(REQUESTS)}

    @classmethod
    def tearDownClass(cls):
        cls.pool.shutdown(cancel_futures=True)

    def result(self, name):
        """The run's result, once the tool exited 0 within its bound."""
        result = self.futures[name].result()
        self.assertEqual(0, result.returncode, "%s: %s" % (name, result.stderr))
        return result

    def no_packet(self, result, error_code=None):
        line = "No packet returned from %s." % result.address
        return line + ("  Error code: %u\n" % error_code if error_code is not None else "\n")

    def assertRequests(self, result, expected, tries=None):
        """The agent saw request ids 1, 2, 3, ... asking for the expected OIDs, each id as
        often as `tries` says (default once), with non-repeaters 0 and max-repetitions 3 in
        the objects walk and 4 elsewhere, and the community public."""
        seen = []
        for entry in result.log:
            self.assertIn("reqid", entry, "the agent could not read or answer a datagram")
            self.assertEqual(("public", "GetBulkRequestPDU", 0), (
                entry["community"], entry["pdu"], entry["non_repeaters"]), entry)
            self.assertEqual(3 if entry["oids"][0].startswith(objects()[0]) else 4,
                             entry["max_repetitions"], entry)
            if seen and seen[-1][0] == entry["reqid"]:
                self.assertEqual(seen[-1][1], entry["oids"], "a retry asks for the same OIDs")
                seen[-1][2] += 1
            else:
                seen.append([entry["reqid"], entry["oids"], 1])
        self.assertEqual(list(range(1, len(seen) + 1)), [request_id for request_id, _, _ in seen])
        self.assertEqual(expected, [oids for _, oids, _ in seen])
        expected_tries = {request_id: (tries or {}).get(request_id, 1)
                          for request_id in range(1, len(seen) + 1)}
        self.assertEqual(expected_tries, {request_id: count for request_id, _, count in seen})

    def assertRun(self, name, stdout, requests, tries=None):
        result = self.result(name)
        self.assertEqual(stdout(result) if callable(stdout) else stdout, result.stdout)
        self.assertEqual("", result.stderr)
        self.assertRequests(result, requests, tries)

    def test_good_agent_gets_request_ids_one_up_across_all_six_stages(self):
        self.assertRun("good", report(), GOOD_REQUESTS)

    def test_answers_within_the_time_out_are_taken(self):
        self.assertRun("slow", report(), GOOD_REQUESTS)

    def test_errors_above_18_and_below_1_count_as_no_error(self):
        for mode in ("error19", "error255", "error-1"):
            with self.subTest(mode):
                self.assertRun(mode, report(), GOOD_REQUESTS)

    def test_error_status_ends_the_stage_with_its_code(self):
        for mode, code in (("error5", 5), ("error18", 18)):
            with self.subTest(mode):
                self.assertRun(mode, lambda r: report(3, self.no_packet(r, code)),
                               OBJECTS_WALK_ENDS_AT_FAULT)

    def test_first_stage_timing_out_keeps_the_request_ids_going(self):
        self.assertRun("silentfirst", lambda r: report(policies="", failures=self.no_packet(r)),
                       GOOD_REQUESTS, tries={1: 3})

    def test_silent_agent_fails_every_stage_once(self):
        first_requests = [service_policies(), objects(), policy_maps(), class_maps(),
                          match_statements(), class_stats()]
        self.assertRun("silence", lambda r: report(0, self.no_packet(r) * 6, policies=""),
                       first_requests, tries={n: 3 for n in range(1, 7)})

    def test_answers_the_library_drops_end_the_stage_as_a_time_out(self):
        # Random bytes, a truncated message, another request id, an OID of 129 sub-identifiers:
        # the library waits for a real answer through all three tries.
        for mode in ("garbage-random", "garbage-truncated", "garbage-reqid", "overlongoid"):
            with self.subTest(mode):
                self.assertRun(mode, lambda r: report(3, self.no_packet(r)),
                               OBJECTS_WALK_ENDS_AT_FAULT, tries={3: 3})

    def test_a_pdu_of_another_type_fails_the_exchange_at_once(self):
        self.assertRun("garbage-type", lambda r: report(3, self.no_packet(r)),
                       OBJECTS_WALK_ENDS_AT_FAULT)

    def test_faults_inside_the_column_end_the_walk_quietly(self):
        # Rows stored: the three of the first answer, plus the fault answer's first row when
        # the fault sits in its second row.
        for mode, rows in (("repeat", 3), ("short", 3), ("empty", 3), ("backwards", 4),
                           ("nosuchobject", 4), ("nosuchinstance", 4), ("endofmibview", 4),
                           ("longoid", 4)):
            with self.subTest(mode):
                self.assertRun(mode, report(rows), OBJECTS_WALK_ENDS_AT_FAULT)

    def test_debug_trace_prints_the_group_that_ends_the_walk(self):
        result = self.result("nosuchobject -d")

        def row(index, *values):
            return "".join("OID%d: %s = %s\n" % (k + 1, oid, value)
                           for k, (oid, value) in enumerate(zip(objects(index), values)))

        answer = "Sending BULK CBWFQ packet...Packet returned...OIDs returned: 9\n"
        section = ("Starting Policy collection\n" + answer + row("1.1", 1001, 1, 0)
                   + row("1.11", 2001, 2, 1) + row("1.12", 3001, 3, 11) + answer
                   + row("1.13", 4001, 4, 11) + row("1.21", "UNKNOWN", 2, 1)
                   + "Finished Policy collection\n\n")
        start = result.stdout.index("Starting Policy collection\n")
        self.assertEqual(section, result.stdout[start:start + len(section)])
        self.assertEqual("", result.stderr)
        self.assertRequests(result, OBJECTS_WALK_ENDS_AT_FAULT)

    def test_the_next_request_starts_after_the_last_complete_group(self):
        # Seven bindings: two rows and a stray binding, so the walk goes on from row 1.11.
        self.assertRun("partial", report(), [
            service_policies(), objects(), objects("1.11"), objects("1.21"), objects("2.31"),
            *GOOD_REQUESTS[5:]])
        # Five rows where three were asked for: all are taken.
        self.assertRun("toomany", report(), [
            service_policies(), objects(), objects("1.21"), objects("2.31"),
            *GOOD_REQUESTS[5:]])

    def test_long_names_are_cut_to_511_characters(self):
        flat, tree = list(FLAT), list(TREE)
        for row, name, description in (
                (0, printable(511), binary_hex(600)[:511]),  # 600 bytes each
                (6, binary_hex(2000)[:511], printable(511)),  # 2000 bytes each
                (1, printable(511), "voice calls"),  # 65,000 bytes
                (4, "class-default", binary_hex(65000)[:511])):
            # Both listings put the texts after a fixed-width start of line.
            flat[row] = flat[row][:91] + name + " (" + description + ")\n"
            tree[row] = tree[row][:48] + name + " (" + description + ") \n"
        self.assertRun("longnames", report(flat=flat, tree=tree), [
            *GOOD_REQUESTS[:5],
            policy_maps(), policy_maps("1002"),
            # The answer that holds the 65,000-byte name has room for that one row alone.
            class_maps(), class_maps("2001"), class_maps("2003"),
            *GOOD_REQUESTS[8:]])

    def test_parent_links_that_loop_print_each_record_once_per_path(self):
        # Top level in table order: 1.0 (index 0, so every top-level record is also its
        # child), 2.3 (leading to 1.3, its own parent) and 2.7 (leading into 1.8 <-> 1.7).
        empty = " " * 26
        flat = {"1.0": "        1           0            0 PolicyMap(1)             1001 ",
                "2.3": "        2           3            0 PolicyMap(1)             1002 ",
                "1.3": "        1           3            3 ClassMap(2)              2001 ",
                "2.7": "        2           7            0 PolicyMap(1)             1003 ",
                "1.8": "        1           8            7 ClassMap(2)              2003 ",
                "1.7": "        1           7            8 ClassMap(2)              2002 "}
        names = {"1.0": "zero", "2.3": "three", "1.3": "own-parent", "2.7": "seven",
                 "1.8": "loop-b", "1.7": "loop-a"}
        order = ["1.0", "2.3", "1.3", "2.7", "1.8", "1.7", "2.3", "1.3", "2.7", "1.8", "1.7"]
        flat_lines = "".join(flat[row] + empty + names[row] + " \n" for row in order)
        policy_maps_rows = {"1.0", "2.3", "2.7"}
        tree_lines = "".join(
            ("PolicyMap(1)          " if row in policy_maps_rows else "  ClassMap(2)         ")
            + empty + names[row] + " \n" for row in order)
        self.assertRun("cycles", harness.report(POLICIES, flat_lines, tree_lines), [
            service_policies(), objects(), objects("1.7"), objects("2.7"), policy_maps(),
            class_maps(), match_statements(), class_stats()])

    def test_table_capacity_stores_the_first_100000_rows_and_walks_on(self):
        result = self.result("bigtable")
        empty = " " * 26
        counters = {2: "%13u %11u " % (10, 1), 100_000: "%13u %11u " % (20, 2)}
        names = {2: "first-class ", 100_000: "last-stored-class "}
        flat = ["        1           1            0 PolicyMap(1)                1 " + empty
                + "big-policy \n"]
        tree = ["PolicyMap(1)          " + empty + "big-policy \n"]
        for k in range(2, 100_001):
            tail = counters.get(k, empty) + names.get(k, "") + "\n"
            flat.append("%9u %11u %12u ClassMap(2)       %11u " % (1, k, 1, k) + tail)
            tree.append("  ClassMap(2)         " + tail)
        self.assertEqual(harness.report(POLICIES, "".join(flat), "".join(tree)), result.stdout)
        stderr_lines = result.stderr.splitlines()
        self.assertEqual(1, len(stderr_lines), result.stderr)
        self.assertRegex(stderr_lines[0], r"\b100000\b.*\b10 .*not stored")
        self.assertRequests(result, [
            service_policies(), objects(),
            *(objects("1.%d" % row) for row in range(3, 100_010, 3)),
            policy_maps(), class_maps(), match_statements(), class_stats()])


if __name__ == "__main__":
    unittest.main()
