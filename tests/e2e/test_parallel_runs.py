"""Runs side by side in one process (tests/concurrency/parallel_runs.cpp) against four agents:
SNMPv2c, and SNMPv3 users with 3DES, AES-128 and AES-256 and pass phrases of their own. Each of
eight runs at once must give the document its router gives alone."""

import os
import subprocess
import unittest

from harness import NET, OCTET, ROOT, SimulatedAgent, V3User, read

ROUTERS = [("classic", None), ("per-policy", V3User("sha-3des", "SHA", "3DES", "auth-3des-1",
                                                    "priv-3des-1")),
           ("classic", V3User("sha-aes", "SHA", "AES", "auth-aes-2", "priv-aes-2")),
           ("per-policy", V3User("sha-aes256", "SHA", "AES256", "auth-aes256-3", "priv-aes256-3"))]


class ParallelRunsTest(unittest.TestCase):
    def test_eight_runs_at_once_give_what_each_gives_alone(self):
        arguments = []
        for number, (router, user) in enumerate(ROUTERS):
            address = "%s.%d.%s" % (NET, 30 + number, OCTET)
            data = read(ROOT, "scripts", "routers", router + ".snmprec")
            self.enterContext(SimulatedAgent(data, address, v3_users=[user] if user else ()))
            arguments += ["--", address] + (["3", user.name, user.auth_key, user.priv_key,
                                             user.priv] if user else ["2c"])
        result = subprocess.run([os.environ["GALVETRIN_PARALLEL"], *arguments[1:]],
                                capture_output=True, text=True, timeout=600)
        self.assertEqual((0, ""), (result.returncode, result.stderr), result.stdout)


if __name__ == "__main__":
    unittest.main()
