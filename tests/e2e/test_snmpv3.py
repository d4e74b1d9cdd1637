"""SNMPv3 end to end: every security level and privacy transform against one agent.

Each SNMPv3 user of the agent must get exactly the report that SNMPv2c gets from the same data;
wrong credentials must end every stage with its failure line. The failing runs wait out each
stage's time-out and retries, so they start together, before the other tests, and run alongside.
"""

import shutil
import subprocess
import unittest

import harness

# Two policies, one per direction, with a policy map, classes, a match statement, names and
# counters: enough for several requests per stage and scoped PDUs of many lengths.
RECORDS = harness.records(
    "1.3.6.1.4.1.9.9.166.1.1.1.1.3.10|2|2",
    "1.3.6.1.4.1.9.9.166.1.1.1.1.3.20|2|1",
    "1.3.6.1.4.1.9.9.166.1.1.1.1.4.10|2|1",
    "1.3.6.1.4.1.9.9.166.1.1.1.1.4.20|2|2",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.10.10|66|100",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.10.11|66|200",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.10.12|66|300",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.10.13|66|201",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.20.20|66|101",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2.20.21|66|200",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.10.10|2|1",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.10.11|2|2",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.10.12|2|3",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.10.13|2|2",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.20.20|2|1",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3.20.21|2|2",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.10.10|66|0",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.10.11|66|10",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.10.12|66|11",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.10.13|66|10",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.20.20|66|0",
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4.20.21|66|20",
    "1.3.6.1.4.1.9.9.166.1.6.1.1.1.100|4|WAN-OUT",
    "1.3.6.1.4.1.9.9.166.1.6.1.1.1.101|4|WAN-IN",
    "1.3.6.1.4.1.9.9.166.1.6.1.1.2.100|4|Queueing towards the provider",
    "1.3.6.1.4.1.9.9.166.1.6.1.1.2.101|4|Marking from the provider",
    "1.3.6.1.4.1.9.9.166.1.7.1.1.1.200|4|VOICE",
    "1.3.6.1.4.1.9.9.166.1.7.1.1.1.201|4|class-default",
    "1.3.6.1.4.1.9.9.166.1.7.1.1.2.200|4|RTP bearer traffic",
    "1.3.6.1.4.1.9.9.166.1.7.1.1.2.201|4|",
    "1.3.6.1.4.1.9.9.166.1.8.1.1.1.300|4|match ip dscp ef",
    "1.3.6.1.4.1.9.9.166.1.8.1.1.2.300|4|ef",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.2.10.11|65|1874421",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.2.10.13|65|4294967295",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.2.20.21|65|1903377",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.13.10.11|65|12",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.13.10.13|65|47006",
    "1.3.6.1.4.1.9.9.166.1.15.1.1.13.20.21|65|0",
)

AUTH_PRIV_USERS = [harness.V3User(("%s-%s" % (auth, priv)).lower(), auth, priv)
                   for auth in ("MD5", "SHA")
                   for priv in ("DES", "AES", "3DES", "AES192", "AES256")]
GOOD_USERS = AUTH_PRIV_USERS + [
    harness.V3User("md5-only", "MD5"),
    harness.V3User("sha-only", "SHA"),
    harness.V3User("no-auth"),
]
TRIPLE_DES_USER = next(user for user in AUTH_PRIV_USERS if user.name == "sha-3des")
# The other AES-192 key extension (draft-blumenthal-aes-usm), which -aes192 does not make.
BLUMENTHAL_USER = harness.V3User("sha-aes192blmt", "SHA", "AES192BLMT")


def tool_args_for(name, auth, priv, **keys):
    return harness.V3User(name, auth, priv, **keys).tool_args()


# The credentials of each failing case. The library repeats its complaints for every report it
# receives; the tool prints each distinct one once.
FAILURES = {
    "wrong privacy pass phrase":
        tool_args_for("sha-3des", "SHA", "3DES", priv_key="wrongpassphrase"),
    "wrong authentication pass phrase":
        tool_args_for("sha-3des", "SHA", "3DES", auth_key="wrongpassphrase"),
    "3DES against a DES user": tool_args_for("md5-des", "MD5", "3DES"),
    "AES-192 against the other AES-192 key": BLUMENTHAL_USER.tool_args(),
    "pass phrase under 8 characters":
        tool_args_for("sha-3des", "SHA", "3DES", priv_key="short"),
}
FAILED_STAGES = "No packet returned from %s.\n" % harness.ADDRESS * 6


def tool_is_sanitized():
    try:
        with open(shutil.which(harness.TOOL) or harness.TOOL, "rb") as f:
            return b"__asan_init" in f.read()
    except OSError:
        return False


def end_run(run):
    if run.poll() is None:
        run.kill()
    run.communicate()


class SnmpV3Test(harness.AgentTestCase):

    @classmethod
    def setUpClass(cls):
        cls.agent = harness.SimulatedAgent(RECORDS, v3_users=GOOD_USERS + [BLUMENTHAL_USER])
        cls.agent.start()
        cls.addClassCleanup(cls.agent.stop)
        cls.failing = {}
        for name, args in FAILURES.items():
            cls.failing[name] = subprocess.Popen([harness.TOOL, harness.ADDRESS, *args],
                                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                                 text=True)
            cls.addClassCleanup(end_run, cls.failing[name])
        cls.reference = harness.run_tool(harness.ADDRESS, "-v2c", "-c", "public")

    def test_reference_is_a_whole_report(self):
        self.assertNotIn("No packet returned", self.reference.stdout)
        for text in ("       10         1 Output\n", "       20         2 Direction:1\n",
                     "VOICE (RTP bearer traffic)", "4294967295", "match ip dscp ef"):
            self.assertIn(text, self.reference.stdout)

    def test_every_user_gets_the_v2c_report(self):
        for user in GOOD_USERS:
            with self.subTest(user=user.name):
                run = harness.run_tool(harness.ADDRESS, *user.tool_args())
                self.assertEqual(run.stdout, self.reference.stdout)
                self.assertEqual(run.stderr, "")
                self.assertEqual(run.returncode, 0)

    def test_wrong_credentials_fail_every_stage(self):
        expected = harness.report(stage_lines=FAILED_STAGES)
        for name in FAILURES:
            with self.subTest(name):
                # Six stages of three 5-second tries each: far below this bound.
                stdout, stderr = self.failing[name].communicate(timeout=300)
                self.assertEqual(stdout, expected)
                self.assertEqual(self.failing[name].returncode, 0)
                self.assertLessEqual(len(stderr.splitlines()), 1, stderr)

    @unittest.skipIf(shutil.which("valgrind") is None, "valgrind is not installed")
    @unittest.skipIf(tool_is_sanitized(), "valgrind cannot run a sanitized build")
    def test_3des_run_is_clean_under_memcheck(self):
        run = subprocess.run(
            ["valgrind", "--error-exitcode=99", "--leak-check=full",
             "--errors-for-leak-kinds=definite",
             harness.TOOL, harness.ADDRESS, *TRIPLE_DES_USER.tool_args()],
            capture_output=True, text=True, timeout=600)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, self.reference.stdout)
        self.assertIn("ERROR SUMMARY: 0 errors", run.stderr)


if __name__ == "__main__":
    unittest.main()
