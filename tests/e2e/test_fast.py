"""-fast: the default run's output from the bundled per-policy router (several service
policies, so several ranges) over SNMPv2c, with -hc, as JSON, and over SNMPv3 with 3DES; and a
range whose walk fails, which ends its stage as a failing walk does."""

import os
import unittest

import harness
import test_bad_agents as bad

ROUTER = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "routers",
                      "per-policy.snmprec")
USER = harness.V3User("sha-3des", "SHA", "3DES")
RUNS = {"v2c": ["-v2c", "-c", "public"], "v2c -hc": ["-v2c", "-c", "public", "-hc"],
        "v2c -json": ["-v2c", "-c", "public", "-json"], "v3 SHA 3DES": USER.tool_args()}


def fault_address():
    """This file's address with 60 added to its third number: no other test file uses it."""
    parts = harness.ADDRESS.split(".")
    return ".".join(parts[:2] + [str(int(parts[2]) + 60), parts[3]])


class FastTest(harness.AgentTestCase):

    @classmethod
    def setUpClass(cls):
        with open(ROUTER) as data:
            harness.serve(cls, data.read(), v3_users=[USER])

    def test_same_output_as_the_default_run(self):
        for name, args in RUNS.items():
            with self.subTest(name):
                default = harness.run_tool(harness.ADDRESS, *args)
                fast = harness.run_tool(harness.ADDRESS, *args, "-fast")
                self.assertNotIn("No packet returned", default.stdout)
                self.assertEqual((default.stdout, default.stderr, default.returncode),
                                 (fast.stdout, fast.stderr, fast.returncode))

    def test_requests_halve_on_too_big_until_answered(self):
        bad.REQUESTS.setdefault("toobig -fast", 30)
        result = bad.run_against_agent("toobig -fast", fault_address())
        self.assertEqual(bad.report(), result.stdout)
        asked = {entry["max_repetitions"] for entry in result.log
                 if entry["oids"][0].startswith(bad.objects()[0])}
        halvings = sorted(asked, reverse=True)
        self.assertEqual([count // 2 for count in halvings[:-1]], halvings[1:])
        self.assertLessEqual(halvings[-1], 5)

    def test_failing_range_keeps_the_rows_before_it_and_prints_its_line(self):
        name = "latepolicy -fast"
        bad.REQUESTS.setdefault(name, 12)  # run_against_agent bounds a run by its requests
        result = bad.run_against_agent(name, fault_address())
        failure = "No packet returned from %s.  Error code: 5\n" % result.address
        # Policy 1's six objects rows; names and counters as the default run gives them.
        self.assertEqual(bad.report(6, failure), result.stdout)
        self.assertEqual("", result.stderr)
        request_ids = sorted(entry["reqid"] for entry in result.log)
        self.assertEqual(list(range(1, len(request_ids) + 1)), request_ids)
        self.assertLess(4, max(entry["max_repetitions"] for entry in result.log))


if __name__ == "__main__":
    unittest.main()
