"""-json and -metrics, read back by real parsers: Python's json, promtool and the Prometheus
client's parser. The per-policy router gives interface names (ifName, ifDescr, control plane),
64-bit counters past 2^32 and a nested policy; a misbehaving agent gives a failed stage."""

import json
import subprocess
import unittest

from prometheus_client.parser import text_string_to_metric_families

from harness import ADDRESS, NET, OCTET, ROOT, BadAgent, SimulatedAgent, read, run

NESTED = "SHAPE-TE-1G/class-default/WAN-EDGE-OUT/VOICE"


def objects(trees):
    for tree in trees:
        yield tree
        yield from objects(tree.get("children", []))


class DocumentsTest(unittest.TestCase):
    maxDiff = None

    def test_per_policy_router(self):
        with SimulatedAgent(read(ROOT, "scripts", "routers", "per-policy.snmprec"), ADDRESS):
            document = json.loads(run(ADDRESS, "-v2c", "-c", "public", "-json").stdout)
            metrics = run(ADDRESS, "-v2c", "-c", "public", "-metrics").stdout
        policies = {p["policyIndex"]: p for p in document["servicePolicies"]}
        self.assertEqual([("control-plane", "controlPlane", "input"), ("Te1/1/1", "mainInterface",
                          "output"), ("TenGigabitEthernet1/1/1.100", "subInterface", "output")],
                         [(policies[p]["interface"], policies[p]["ifType"],
                           policies[p]["direction"]) for p in (225, 226, 228)])
        self.assertEqual(([], []), (document["errors"], document["unattachedObjects"]))
        every = [o for p in document["servicePolicies"] for o in objects(p["objects"])]
        self.assertEqual(55, len(every))  # each object once, under its own policy
        voice = next(o for o in objects(policies[226]["objects"]) if o.get("path") == NESTED)
        self.assertEqual((36000125, 14832051506, 5862), tuple(voice["counters"][key] for key in (
            "prePolicyPackets", "prePolicyBytes", "droppedPackets")))
        check = subprocess.run(["promtool", "check", "metrics"], input=metrics, text=True,
                               capture_output=True)
        self.assertEqual((0, "", ""), (check.returncode, check.stdout, check.stderr))
        samples = {(s.name, s.labels.get("path"), s.labels.get("stage")): s for family in
                   text_string_to_metric_families(metrics) for s in family.samples}
        dropped = samples["galvetrin_class_dropped_packets_total", NESTED, None]
        self.assertEqual(({"interface": "Te1/1/1", "if_index": "2", "direction": "output",
                           "policy": "WAN-EDGE-OUT", "class": "VOICE", "path": NESTED,
                           "policy_index": "226", "object_index": "131072"}, 5862),
                         (dropped.labels, dropped.value))
        self.assertEqual(8614934684, samples["galvetrin_class_pre_policy_packets_total",
                                             "SHAPE-TE-1G/class-default", None].value)

    def test_failed_stage(self):
        with BadAgent("error5", "%s.70.%s" % (NET, OCTET)) as agent:
            document = json.loads(run(agent.address, "-v2c", "-c", "public", "-json").stdout)
            metrics = run(agent.address, "-v2c", "-c", "public", "-metrics").stdout
        self.assertEqual([{"stage": "objects", "message": "No packet returned from %s.  Error "
                           "code: 5" % agent.address}], document["errors"])
        success = {s.labels["stage"]: s.value for family in text_string_to_metric_families(
            metrics) for s in family.samples if s.name == "galvetrin_stage_success"}
        self.assertEqual([1, 0, 1, 1, 1, 1, 1], list(success.values()))


if __name__ == "__main__":
    unittest.main()
