"""Whole runs: the usage text, sessions that cannot be opened, SNMPv1, a wrong community and an
agent without the service policy table."""

import threading
import unittest

import harness
from harness import BANNER, AgentTestCase, debug_report, report, run_tool, serve

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
    "\t\t-hc = 64-bit class counters\n"
    "\t\t-d = Debug mode\n") % harness.TOOL

NO_PACKET = "No packet returned from %s.\n" % harness.ADDRESS


class Runs(AgentTestCase):
    """One agent without QoS data; the slow wrong-community run goes on in the background
    while the other cases run."""

    @classmethod
    def setUpClass(cls):
        serve(cls, NO_QOS)
        cls.wrong_community = None
        cls.waiting = threading.Thread(target=cls.run_with_wrong_community)
        cls.waiting.start()

    @classmethod
    def run_with_wrong_community(cls):
        cls.wrong_community = run_tool(harness.ADDRESS, "-v2c", "-c", "not-the-community")

    @classmethod
    def tearDownClass(cls):
        cls.waiting.join()

    def assertOutput(self, result, stdout, returncode=0, stderr=""):
        self.assertEqual(result.stdout, stdout)
        self.assertEqual(result.stderr, stderr)
        self.assertEqual(result.returncode, returncode)

    def test_usage(self):
        # Which entries end in the usage text is a unit test (command_line_test).
        for args in ([], [harness.ADDRESS], [harness.ADDRESS, "/HELP"],
                     [harness.ADDRESS, "-v2c", "-c"]):
            with self.subTest(args=args):
                self.assertOutput(run_tool(*args), BANNER + USAGE, returncode=1)

    def test_hyphen_h_is_the_address_when_it_comes_first(self):
        # Not a help request: an SNMPv1 run to a host named "-h", which the resolver refuses.
        self.assertOutput(run_tool("-h", "-d"),
                          BANNER + "Winsock Startup...successful\nWinsock cleanup...completed\n",
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

    def test_snmpv1_has_no_getbulk(self):
        self.assertOutput(run_tool(harness.ADDRESS, "-c", "public"),
                          report(stage_lines=6 * NO_PACKET))

    def test_snmpv1_in_debug_mode_without_community(self):
        self.assertOutput(run_tool(harness.ADDRESS, "-d"), debug_report(
            lambda number, columns: "Sending BULK CBWFQ packet..." + NO_PACKET))

    def test_wrong_community_times_out_in_every_stage(self):
        # Each stage waits out its 5 s time-out and 2 retries, then the next stage still runs.
        self.waiting.join()
        self.assertOutput(self.wrong_community,
                          report(stage_lines=6 * NO_PACKET))


if __name__ == "__main__":
    unittest.main()
