"""SNMPv3 against one agent serving the bundled router: every security level and privacy
transform gives the SNMPv2c report; wrong credentials fail every stage. The failing runs wait
out each stage's time-out and retries, so they start first and run side by side."""

import subprocess
import unittest

from harness import ADDRESS, CASES, ROOT, TOOL, SimulatedAgent, V3User, read, run

USERS = [V3User(("%s-%s" % (auth, priv)).lower(), auth, priv) for auth in ("MD5", "SHA")
         for priv in ("DES", "AES", "3DES", "AES192", "AES256")]
USERS += [V3User("md5-only", "MD5"), V3User("sha-only", "SHA"), V3User("no-auth")]
# AES-192 with the other key extension (draft-blumenthal-aes-usm), which -aes192 does not make.
BLUMENTHAL = V3User("sha-aes192blmt", "SHA", "AES192BLMT")
FAILURES = [BLUMENTHAL.tool_args(), V3User("md5-des", "MD5", "3DES").tool_args()] + [
    V3User("sha-3des", "SHA", "3DES", **key).tool_args() for key in (
        {"priv_key": "wrongpassphrase"}, {"auth_key": "wrongpassphrase"}, {"priv_key": "short"})]


class SnmpV3Test(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.enterClassContext(SimulatedAgent(read(ROOT, "scripts", "routers", "classic.snmprec"),
                                             ADDRESS, v3_users=USERS + [BLUMENTHAL]))
        cls.failing = [subprocess.Popen(["galvetrin", ADDRESS, *args], executable=TOOL, text=True,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                       for args in FAILURES]
        cls.report = read(CASES, "classic", "stdout.out")

    def test_every_user_gets_the_v2c_report(self):
        # And -3des, as the usage text spells -des3 (USERS[2] is md5-3des).
        for args in [user.tool_args() for user in USERS] + [
                [arg.replace("-des3", "-3des") for arg in USERS[2].tool_args()]]:
            result = run(ADDRESS, *args)
            self.assertEqual((self.report, "", 0), (result.stdout, result.stderr,
                                                    result.returncode), args)

    def test_wrong_credentials_fail_every_stage(self):
        expected = read(CASES, "snmpv1", "stdout.out").replace("ADDRESS", ADDRESS)
        for args, process in zip(FAILURES, self.failing):
            stdout, stderr = process.communicate(timeout=300)  # at most the library's complaint:
            self.assertEqual((expected, 0, True), (stdout, process.returncode,
                                                   len(stderr.splitlines()) <= 1), (args, stderr))


if __name__ == "__main__":
    unittest.main()
