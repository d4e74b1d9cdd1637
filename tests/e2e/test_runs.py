"""Whole runs: the usage text, sessions that cannot be opened, SNMPv1, a wrong community and an
agent without the service policy table."""

import threading
import unittest

import harness
from harness import (BANNER, POLICY_HEADER, REPORT_HEADER, AgentTestCase, SimulatedAgent, report,
                     run_tool)

# Data past the QoS MIB only: every walk's first answer already lies outside its column.
OTHER_MIB = "1.3.6.1.4.1.9.9.276.1.1.1.1.1"
NO_QOS = harness.records(OTHER_MIB + ".1|2|1", OTHER_MIB + ".2|2|1")

USAGE = (
    "  A program to use SNMP to fetch the CBWFQ configuration of a router.\n"
    "\n  Usage:\t%s ipAddress {options}\n\n"
    "  Options:\n"
    "\t\t-? = usage help\n"
    "\t\t-v1 = use SNMP v1\n"
    "\t\t-v2c = use SNMP v2c\n"
    "\t\t-v3 = use SNMP v3\n"
    "\t\t-c = SNMP v2c community string\n"
    "\t\t-user \"username\" = SNMP v3 user name\n"
    "\t\t-auth \"pwd\" = SNMP v3 auth password\n"
    "\t\t-priv \"pwd\" = SNMP v3 priv password\n"
    "\t\t-md5 = SNMP v3 MD5 authentication\n"
    "\t\t-sha1 = SNMP v3 SHA1 authentication\n"
    "\t\t-des = SNMP v3 DES encryption\n"
    "\t\t-aes = SNMP v3 AES encryption\n"
    "\t\t-3des = SNMP v3 3DES encryption\n"
    "\t\t-aes192 = SNMP v3 AES192 encryption\n"
    "\t\t-aes256 = SNMP v3 AES256 encryption\n"
    "\t\t-d = Debug mode\n") % harness.TOOL

# (start message, number of columns, finish message) of the six stages, in run order.
STAGES = [
    ("Starting CBWFQ interface collection\n", 2, "Finished CBWFQ interface collection\n"),
    ("Starting Policy collection\n", 3, "Finished Policy collection\n\n"),
    ("Starting Policy name collection\n", 2, "Finished Policy name collection\n"),
    ("Starting ClassMap name collection\n", 2, "Finished ClassMap name collection\n\n"),
    ("Starting Queue Match Statements collection\n", 2,
     "Finished Queue Match Statements collection\n\n"),
    ("Starting queue stats collection\n", 2, "Finished queue stats collection\n\n"),
]

WINSOCK_START = "Winsock Startup...successful\n"
WINSOCK_END = "Winsock cleanup...completed\n"


def no_packet(agent):
    return "No packet returned from %s.\n" % agent


def debug_run(stage_body):
    """The debug-mode stdout of a run whose stages store nothing; stage_body(columns) gives
    what a stage prints between its start message (and the service policy header) and its
    finish message."""
    text = BANNER + WINSOCK_START
    for number, (start, columns, finish) in enumerate(STAGES):
        text += start + (POLICY_HEADER if number == 0 else "") + stage_body(columns) + finish
    return text + REPORT_HEADER + "\n" + WINSOCK_END


class Runs(AgentTestCase):
    """One agent without QoS data; the slow wrong-community run goes on in the background
    while the other cases run."""

    @classmethod
    def setUpClass(cls):
        cls.agent = SimulatedAgent(NO_QOS)
        cls.agent.start()
        cls.wrong_community = None
        cls.waiting = threading.Thread(target=cls.run_with_wrong_community)
        cls.waiting.start()

    @classmethod
    def run_with_wrong_community(cls):
        cls.wrong_community = run_tool(harness.ADDRESS, "-v2c", "-c", "not-the-community")

    @classmethod
    def tearDownClass(cls):
        cls.waiting.join()
        cls.agent.stop()

    def assertOutput(self, result, stdout, returncode=0, stderr=""):
        self.assertEqual(result.stdout, stdout)
        self.assertEqual(result.stderr, stderr)
        self.assertEqual(result.returncode, returncode)

    def test_usage(self):
        cases = [
            [],
            [harness.ADDRESS],
            [harness.ADDRESS, "-3des"],
            [harness.ADDRESS, "/HELP"],
            [harness.ADDRESS, "-v2c", "-?"],
            [harness.ADDRESS, "-v2c", "-c"],
            [harness.ADDRESS, "-v2c", "-c", "public", "-x"],
        ]
        for args in cases:
            with self.subTest(args=args):
                self.assertOutput(run_tool(*args), BANNER + USAGE, returncode=1)

    def test_hyphen_h_is_the_address_when_it_comes_first(self):
        # Not a help request: an SNMPv1 run to a host named "-h", which the resolver refuses.
        self.assertOutput(run_tool("-h", "-d"), BANNER + WINSOCK_START + WINSOCK_END,
                          returncode=2,
                          stderr="galvetrin: cannot open an SNMP session to -h: "
                                 "Unknown host (-h:161)\n")

    def test_unresolvable_address(self):
        # Neither address reaches a resolver on the network: the C library refuses the name,
        # and the other is no IPv6 literal at all.
        for address, peer in (("bad!host", "bad!host:161"),
                              ("2001:db8::zz", "udp6:[2001:db8::zz]:161")):
            with self.subTest(address=address):
                self.assertOutput(
                    run_tool(address, "-v2c", "-c", "public"), BANNER, returncode=2,
                    stderr="galvetrin: cannot open an SNMP session to %s: Unknown host (%s)\n"
                           % (address, peer))

    def test_agent_without_the_table(self):
        self.assertOutput(run_tool(harness.ADDRESS, "-v2c", "-c", "public"), report())

    def test_agent_without_the_table_in_debug_mode(self):
        def first_group_only(columns):
            # Every column's successor is the first OID of the other MIB.
            rows = 3 if columns == 3 else 4
            return ("Sending BULK CBWFQ packet...Packet returned...OIDs returned: %d\n"
                    % (rows * columns)
                    + "".join("OID%d: %s.1 = 1\n" % (k, OTHER_MIB) for k in range(1, columns + 1)))

        self.assertOutput(run_tool(harness.ADDRESS, "-d", "-v2c", "-c", "public"),
                          debug_run(first_group_only))

    def test_snmpv1_has_no_getbulk(self):
        self.assertOutput(run_tool(harness.ADDRESS, "-c", "public"),
                          report(stage_lines=6 * no_packet(harness.ADDRESS)))

    def test_snmpv1_in_debug_mode_without_community(self):
        self.assertOutput(
            run_tool(harness.ADDRESS, "-d"),
            debug_run(lambda columns: "Sending BULK CBWFQ packet..." + no_packet(harness.ADDRESS)))

    def test_wrong_community_times_out_in_every_stage(self):
        # Each stage waits out its 5 s time-out and 2 retries, then the next stage still runs.
        self.waiting.join()
        self.assertOutput(self.wrong_community,
                          report(stage_lines=6 * no_packet(harness.ADDRESS)))


if __name__ == "__main__":
    unittest.main()
