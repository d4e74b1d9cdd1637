"""-watch against simulated routers whose class counters grow at known rates: the blocks'
figures near the truth, a 32-bit counter that wraps, SIGTERM, a configuration change picked up
and a closed pipe; the full-screen view once through a pseudo-terminal."""

import fcntl
import json
import os
import pty
import re
import signal
import struct
import subprocess
import termios
import threading
import time
import unittest

from harness import ADDRESS, ROOT, TOOL, SimulatedAgent, read, run
from simulated_agent import PACKET_BYTES, STATS, moving_counters, traffic

CLASSIC = read(ROOT, "scripts", "routers", "classic.snmprec")
PER_POLICY = read(ROOT, "scripts", "routers", "per-policy.snmprec")
TIMESTAMP = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
# A class of the per-policy router made to count packets in 32 bits only, so fast that the
# counter wraps every 5 seconds, more than once over the polls.
WRAPPING, WRAPPING_RATE = (226, 131072), 2**32 // 5
# A class added to the classic router's input policy.
NEW_CLASS = ("1.3.6.1.4.1.9.9.166.1.5.1.1.2.1105.1125|66|999\n"
             "1.3.6.1.4.1.9.9.166.1.5.1.1.3.1105.1125|2|2\n"
             "1.3.6.1.4.1.9.9.166.1.5.1.1.4.1105.1125|66|1105\n"
             "1.3.6.1.4.1.9.9.166.1.7.1.1.1.999|4|NEW-CLASS\n"
             "1.3.6.1.4.1.9.9.166.1.15.1.1.2.1105.1125|65|0\n"
             "1.3.6.1.4.1.9.9.166.1.15.1.1.3.1105.1125|70|0\n")


def watch(*args, **options):
    """The tool watching ADDRESS, and a timer that kills it should it hang."""
    process = subprocess.Popen([TOOL, ADDRESS, "-v2c", "-c", "public", "-watch", *args],
                               text=True, **options)
    timer = threading.Timer(120, process.kill)
    timer.start()
    return process, timer


def blocks(stream, count):
    """The next `count` blocks, each a list of its lines."""
    found = []
    for _ in range(count):
        block = []
        for line in iter(stream.readline, "\n"):
            if not line:
                raise EOFError("the watch ended after %s" % found)
            block.append(line.rstrip("\n"))
        found.append(block)
    return found


class WatchTest(unittest.TestCase):
    maxDiff = None

    def test_rates_near_the_truth_through_a_wrap(self):
        packets32, packets64 = (STATS + "%d.%d.%d|" % (column, *WRAPPING) for column in (2, 3))
        data = "".join(packets32 + "65:numeric|initial=0,rate=%d,wrap=1\n" % WRAPPING_RATE
                       if line.startswith(packets32) else line
                       for line in moving_counters(PER_POLICY).splitlines(True)
                       if not line.startswith(packets64))
        with SimulatedAgent(data, ADDRESS):
            document = json.loads(run(ADDRESS, "-v2c", "-c", "public", "-json").stdout)
            process, timer = watch("2", stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            first, *later = blocks(process.stdout, 4)
            process.send_signal(signal.SIGTERM)
            stopped = time.monotonic()
            self.assertEqual("", process.communicate()[1])
            self.assertLess(time.monotonic() - stopped, 2)
            self.assertEqual(0, process.returncode)
            timer.cancel()
        truth, wrapping = {}, None
        for policy in document["servicePolicies"]:
            for o in self.objects(policy["objects"]):
                where = "%s/%s" % (policy["interface"], o.get("path"))
                truth[where] = traffic(policy["policyIndex"], o["objectIndex"])
                if (policy["policyIndex"], o["objectIndex"]) == WRAPPING:
                    wrapping = where
        truth = {where: rates for where, rates in truth.items() if not where.endswith("/None")}
        for block in [first] + later:
            self.assertRegex(block[0], TIMESTAMP)
            self.assertEqual(len(truth), len(block) - 1, block)
        for line in first[1:]:  # the router's own bit rates, the rest blank
            fields = line.split()
            packets, drop = truth["%s/%s" % (fields[0], fields[2])]
            self.assertEqual([str(packets * PACKET_BYTES * 8), "-", str(
                round(packets * (1 - drop) * PACKET_BYTES * 8)), "-", "-"], fields[3:], line)
        for line in (line for block in later for line in block[1:]):
            fields = line.split()
            packets, drop = truth["%s/%s" % (fields[0], fields[2])]
            offered_bits, offered, sent_bits, dropped, share = map(float, fields[3:])
            if "%s/%s" % (fields[0], fields[2]) == wrapping:
                self.assertAlmostEqual(WRAPPING_RATE, offered, delta=WRAPPING_RATE * 0.05)
                continue
            self.assertAlmostEqual(packets, offered, delta=packets * 0.05, msg=line)
            self.assertAlmostEqual(packets * PACKET_BYTES * 8, offered_bits,
                                   delta=packets * PACKET_BYTES * 8 * 0.05, msg=line)
            self.assertAlmostEqual(sent_bits, offered_bits * (1 - drop), delta=sent_bits * 0.05)
            self.assertAlmostEqual(packets * drop, dropped, delta=1 + packets * drop * 0.05)
            self.assertAlmostEqual(drop * 100, share, delta=0.5, msg=line)

    def objects(self, trees):
        for tree in trees:
            yield tree
            yield from self.objects(tree.get("children", []))

    def test_configuration_change_picked_up_and_closed_pipe(self):
        agent = SimulatedAgent(moving_counters(CLASSIC), ADDRESS)
        agent.start()
        try:
            process, timer = watch("1", stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            before = blocks(process.stdout, 1)[0]
            agent.stop()
            agent = SimulatedAgent(moving_counters(CLASSIC + NEW_CLASS), ADDRESS)
            agent.start()
            for block in iter(lambda: blocks(process.stdout, 1)[0], None):
                if "NEW-CLASS" in "".join(block):
                    break
            process.stdout.close()  # as `| head` does
            with process.stderr:
                self.assertEqual(("", 0), (process.stderr.read(), process.wait()))
            timer.cancel()
        finally:
            agent.stop()
        self.assertRegex(block[1], "^# configuration changed at ..:..:..: the tree was walked again")
        self.assertEqual(len(before) + 2, len(block))  # the status line and the new class
        self.assertIn("GigabitEthernet0/0/0  input   WAN-EDGE-IN/NEW-CLASS", "\n".join(block))

    @unittest.skipIf(os.environ.get("GALVETRIN_SANITIZE") == "ON", "the plain build's view only")
    def test_full_screen_view_quits_on_q(self):
        master, terminal = pty.openpty()
        fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
        with SimulatedAgent(moving_counters(CLASSIC), ADDRESS):
            process, timer = watch("1", stdin=terminal, stdout=terminal, stderr=terminal,
                                   env=dict(os.environ, TERM="xterm"), start_new_session=True)
            os.close(terminal)
            screen = b""
            while b"CRITICAL-DATA" not in screen:
                screen += os.read(master, 65536)
            os.write(master, b"q")
            self.assertEqual(0, process.wait())
            timer.cancel()
        os.close(master)
        self.assertIn(b"offered b/s", screen)


if __name__ == "__main__":
    unittest.main()
