"""The service policy table end to end, over IPv4 and IPv6, in plain and in debug runs."""

import unittest

import harness
from harness import AgentTestCase, debug_report, records, report, run_tool, serve

POLICY = "1.3.6.1.4.1.9.9.166.1.1.1.1"  # cbQosServicePolicyEntry

# policy number: (direction, ifIndex); direction 1 is input, 2 output.
ATTACHED = {225: (1, 7), 226: (2, 7), 1062: (1, 1000001), 1063: (2, 1000001),
            123456789: (2, 12), 4000000000: (1, 2147483647)}

# cbQosIfType (2) and cbQosFrDLCI (5) lie around the walked columns.
SERVICE_POLICIES = records(*("%s.%d.%d|2|%d" % (POLICY, column, index, value)
                             for index, (direction, interface) in ATTACHED.items()
                             for column, value in ((2, 1), (3, direction), (4, interface), (5, 0))))

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


def stage_lines(number, columns):
    if number > 0:
        # An empty table: snmpsim answers beyond its data with endOfMibView on the asked OIDs,
        # max-repetitions times (3 in the three-column walk, 4 in the others).
        return (exchange((3 if len(columns) == 3 else 4) * len(columns))
                + oid_lines(*((column, "UNKNOWN") for column in columns)))
    # Four rows per response, each printed after its OID lines. The walk ends at the group that
    # left the first column; its lines are still printed.
    rows = [row(index) + line for index, line in zip(ATTACHED, POLICY_ROWS)]
    return (exchange(8) + "".join(rows[:4]) + exchange(8) + "".join(rows[4:])
            + oid_lines((POLICY + ".4.225", 7), (POLICY + ".5.225", 0)))


class ServicePolicies(AgentTestCase):
    @classmethod
    def setUpClass(cls):
        serve(cls, SERVICE_POLICIES)
        serve(cls, SERVICE_POLICIES, address="::1")

    def assertRun(self, result, stdout):
        self.assertEqual(result.stdout, stdout)
        self.assertEqual(result.stderr, "")
        self.assertEqual(result.returncode, 0)

    def test_input_and_output_policies(self):
        self.assertRun(run_tool(harness.ADDRESS, "-v2c", "-c", "public"), EXPECTED)

    def test_debug_trace(self):
        self.assertRun(run_tool(harness.ADDRESS, "-v2c", "-d", "-c", "public"),
                       debug_report(stage_lines))

    def test_ipv6_address_plain_and_in_brackets(self):
        for address in ("::1", "[::1]"):
            with self.subTest(address=address):
                self.assertRun(run_tool(address, "-v2c", "-c", "public"), EXPECTED)


if __name__ == "__main__":
    unittest.main()
