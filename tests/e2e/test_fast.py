"""-fast: the default run's output from the per-policy router (several service policies, so
several ranges) over SNMPv2c, with -hc, as JSON and over SNMPv3 with 3DES; requests that halve
on tooBig; and a range whose walk fails, which ends its stage as a failing walk does."""

import unittest

from harness import ADDRESS, NET, OCTET, ROOT, BadAgent, SimulatedAgent, V3User, read, run
from test_bad_agent import FAILED, objects, report

USER = V3User("sha-3des", "SHA", "3DES")


def run_fast(mode):
    with BadAgent(mode, "%s.60.%s" % (NET, OCTET)) as agent:
        result = run(agent.address, "-v2c", "-c", "public", "-fast")
    return agent.log, result


class FastTest(unittest.TestCase):
    maxDiff = None

    def test_same_output_as_the_default_run(self):
        with SimulatedAgent(read(ROOT, "scripts", "routers", "per-policy.snmprec"), ADDRESS,
                            v3_users=[USER]):
            for args in (["-v2c", "-c", "public"], ["-v2c", "-c", "public", "-hc"],
                         ["-v2c", "-c", "public", "-json"], USER.tool_args()):
                default, fast = run(ADDRESS, *args), run(ADDRESS, *args, "-fast")
                self.assertNotIn("No packet returned", default.stdout)
                self.assertEqual((default.stdout, default.stderr, default.returncode),
                                 (fast.stdout, fast.stderr, fast.returncode), args)

    def test_requests_halve_on_too_big_until_answered(self):
        log, result = run_fast("toobig")
        self.assertEqual(report(8), result.stdout)
        asked = sorted({entry["max_repetitions"] for entry in log
                        if entry["oids"][0].startswith(objects()[0])}, reverse=True)
        self.assertEqual([count // 2 for count in asked[:-1]], asked[1:])
        self.assertLessEqual(asked[-1], 5)

    def test_failing_range_keeps_the_rows_before_it_and_prints_its_line(self):
        log, result = run_fast("latepolicy")
        # Policy 1's five objects rows; names and counters as the default run gives them.
        failure = FAILED.replace("ADDRESS", "%s.60.%s" % (NET, OCTET)) % "  Error code: 5"
        self.assertEqual((report(5, failure), ""), (result.stdout, result.stderr))
        self.assertEqual(list(range(1, len(log) + 1)), sorted(entry["id"] for entry in log))
        self.assertLess(4, max(entry["max_repetitions"] for entry in log))


if __name__ == "__main__":
    unittest.main()
