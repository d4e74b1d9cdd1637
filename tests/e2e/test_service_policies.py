"""The service policy table end to end, over IPv4 and IPv6, in plain and in debug runs."""

import unittest

import harness
from harness import (BANNER, POLICY_HEADER, REPORT_HEADER, AgentTestCase, SimulatedAgent,
                     records, report, run_tool)

POLICY = "1.3.6.1.4.1.9.9.166.1.1.1.1"  # cbQosServicePolicyEntry

# policy number: (direction, ifIndex); direction 1 is input, 2 output.
ATTACHED = {
    225: (1, 7),
    226: (2, 7),
    1062: (1, 1000001),
    1063: (2, 1000001),
    123456789: (2, 12),
    4000000000: (1, 2147483647),
}

SERVICE_POLICIES = records(*(
    line
    for index, (direction, interface) in ATTACHED.items()
    for line in (
        "%s.2.%d|2|1" % (POLICY, index),            # cbQosIfType: around the walked columns
        "%s.3.%d|2|%d" % (POLICY, index, direction),
        "%s.4.%d|2|%d" % (POLICY, index, interface),
        "%s.5.%d|2|0" % (POLICY, index),            # cbQosFrDLCI
    )))

# The rows in table order: numbers right-aligned in 9 characters, wider ones widening the column.
POLICY_ROWS = [
    "      225         7 Direction:1\n",
    "      226         7 Output\n",
    "     1062   1000001 Direction:1\n",
    "     1063   1000001 Output\n",
    "123456789        12 Output\n",
    "4000000000 2147483647 Direction:1\n",
]

EXPECTED = report(policies="".join(POLICY_ROWS))


def exchange(count):
    """The debug line of one good request cycle."""
    return "Sending BULK CBWFQ packet...Packet returned...OIDs returned: %d\n" % count


def oid_lines(*pairs):
    return "".join("OID%d: %s = %s\n" % (k, oid, value) for k, (oid, value) in enumerate(pairs, 1))


def row(index):
    direction, interface = ATTACHED[index]
    return oid_lines(("%s.3.%d" % (POLICY, index), direction),
                     ("%s.4.%d" % (POLICY, index), interface))


def empty_stage(start, columns, finish):
    """An empty table: snmpsim answers beyond its data with endOfMibView on the asked OIDs,
    max-repetitions times (3 in the three-column walk, 4 in the others)."""
    repetitions = 3 if len(columns) == 3 else 4
    return (start + exchange(repetitions * len(columns))
            + oid_lines(*((column, "UNKNOWN") for column in columns)) + finish)


EXPECTED_DEBUG = (
    BANNER
    + "Winsock Startup...successful\n"
    + "Starting CBWFQ interface collection\n"
    + POLICY_HEADER
    + exchange(8)
    + row(225) + POLICY_ROWS[0] + row(226) + POLICY_ROWS[1]
    + row(1062) + POLICY_ROWS[2] + row(1063) + POLICY_ROWS[3]
    + exchange(8)
    + row(123456789) + POLICY_ROWS[4] + row(4000000000) + POLICY_ROWS[5]
    # The walk ends at the group that left the first column; its lines are still printed.
    + oid_lines((POLICY + ".4.225", 7), (POLICY + ".5.225", 0))
    + "Finished CBWFQ interface collection\n"
    + empty_stage("Starting Policy collection\n",
                  ["1.3.6.1.4.1.9.9.166.1.5.1.1.2", "1.3.6.1.4.1.9.9.166.1.5.1.1.3",
                   "1.3.6.1.4.1.9.9.166.1.5.1.1.4"],
                  "Finished Policy collection\n\n")
    + empty_stage("Starting Policy name collection\n",
                  ["1.3.6.1.4.1.9.9.166.1.6.1.1.1", "1.3.6.1.4.1.9.9.166.1.6.1.1.2"],
                  "Finished Policy name collection\n")
    + empty_stage("Starting ClassMap name collection\n",
                  ["1.3.6.1.4.1.9.9.166.1.7.1.1.1", "1.3.6.1.4.1.9.9.166.1.7.1.1.2"],
                  "Finished ClassMap name collection\n\n")
    + empty_stage("Starting Queue Match Statements collection\n",
                  ["1.3.6.1.4.1.9.9.166.1.8.1.1.1", "1.3.6.1.4.1.9.9.166.1.8.1.1.2"],
                  "Finished Queue Match Statements collection\n\n")
    + empty_stage("Starting queue stats collection\n",
                  ["1.3.6.1.4.1.9.9.166.1.15.1.1.2", "1.3.6.1.4.1.9.9.166.1.15.1.1.13"],
                  "Finished queue stats collection\n\n")
    + REPORT_HEADER + "\n"
    + "Winsock cleanup...completed\n")


class ServicePoliciesOverIPv4(AgentTestCase):
    @classmethod
    def setUpClass(cls):
        cls.agent = SimulatedAgent(SERVICE_POLICIES)
        cls.agent.start()

    @classmethod
    def tearDownClass(cls):
        cls.agent.stop()

    def assertRun(self, result, stdout):
        self.assertEqual(result.stdout, stdout)
        self.assertEqual(result.stderr, "")
        self.assertEqual(result.returncode, 0)

    def test_input_and_output_policies(self):
        self.assertRun(run_tool(harness.ADDRESS, "-v2c", "-c", "public"), EXPECTED)

    def test_debug_trace(self):
        self.assertRun(run_tool(harness.ADDRESS, "-v2c", "-d", "-c", "public"), EXPECTED_DEBUG)


class ServicePoliciesOverIPv6(AgentTestCase):
    """The same table from an agent on ::1, with the address spelt plain and in brackets."""

    @classmethod
    def setUpClass(cls):
        cls.agent = SimulatedAgent(SERVICE_POLICIES, address="::1")
        cls.agent.start()

    @classmethod
    def tearDownClass(cls):
        cls.agent.stop()

    def test_both_spellings(self):
        for address in ("::1", "[::1]"):
            with self.subTest(address=address):
                result = run_tool(address, "-v2c", "-c", "public")
                self.assertEqual(result.stdout, EXPECTED)
                self.assertEqual(result.stderr, "")
                self.assertEqual(result.returncode, 0)


if __name__ == "__main__":
    unittest.main()
