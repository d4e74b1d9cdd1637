"""-json and -metrics, read back by real parsers: Python's json, promtool and the Prometheus
client's parser. The per-policy router gives interface names (ifName, ifDescr, control plane)
and speeds, 64-bit counters past 2^32, a nested policy and every action type's tables; a
misbehaving agent gives a failed stage, and shows which tables a router without actions is
asked for."""

import json
import subprocess
import unittest

from prometheus_client.parser import text_string_to_metric_families

from harness import ADDRESS, NET, OCTET, ROOT, BadAgent, SimulatedAgent, read, run

NESTED = "SHAPE-TE-1G/class-default/WAN-EDGE-OUT/VOICE"
ACTION_TABLES = tuple("1.3.6.1.4.1.9.9.166.1.%d." % t for t in (9, 10, 11, 12, 13, 17, 18, 19,
                                                                 20, 24))
STAGES = ["servicePolicies", "objects", "policyMapNames", "classMapNames", "matchStatements",
          "classCounters", "interfaceNames", "actionConfigs", "actionCounters"]


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
        self.check_actions(policies, metrics)

    def check_actions(self, policies, metrics):
        actions = {(p, o["objectIndex"]): o for p in policies for o in objects(
            policies[p]["objects"])}
        self.assertEqual([10**10, 400000000, None], [policies[p].get("speedBitsPerSecond")
                                                     for p in (226, 228, 225)])
        # 2 × 2^32 + low, where the router gives only the overflow and low columns.
        self.assertEqual(8713391381, actions[226, 131075]["counters"]["conformedPackets"])
        # 30 percent of the enclosing class's 1 Gbit/s shaper, of the 400 Mbit/s subinterface.
        self.assertEqual([300000000, 120000000, None], [actions[key]["config"].get(
            "bandwidthBitsPerSecond") for key in ((226, 196610), (228, 131074), (228, 196610))])
        red = actions[228, 131075]
        self.assertEqual(([26, 28, 30], [15000, 9000, 6000], "dscp"), (
            [v["value"] for v in red["counters"]["byValue"]],
            [v["randomDroppedPackets"] for v in red["counters"]["byValue"]],
            red["config"]["mechanism"]))
        samples = {(s.name, s.labels.get("policy_index"), s.labels.get("action_index"),
                    s.labels.get("outcome") or s.labels.get("red_value") or s.labels.get(
                        "field")): s for family in text_string_to_metric_families(metrics)
                   for s in family.samples}
        types = {family.name: family.type for family in text_string_to_metric_families(metrics)}
        # A CounterBasedGauge64 travels as Counter64 and is still a gauge.
        rate = samples["galvetrin_police_bit_rate", "228", "65539", "conformed"]
        self.assertEqual((118000000, "gauge", "VOICE"), (
            rate.value, types["galvetrin_police_bit_rate"], rate.labels["class"]))
        self.assertEqual([5000, 81000260, 1], [samples[key].value for key in (
            ("galvetrin_red_random_dropped_packets_total", "226", "196611", "26"),
            ("galvetrin_set_marked_packets_total", "227", "65538", "dscp"),
            ("galvetrin_shaping_active", "226", "65538", None))])

    def test_failed_stage(self):
        failed = {}
        for n, (mode, stage) in enumerate((("error5", "objects"),
                                           ("actionerror", "actionConfigs"))):
            with BadAgent(mode, "%s.%d.%s" % (NET, 70 + n, OCTET)) as agent:
                document = json.loads(run(agent.address, "-v2c", "-c", "public", "-json").stdout)
                metrics = run(agent.address, "-v2c", "-c", "public", "-metrics").stdout
            self.assertEqual([{"stage": stage, "message": "No packet returned from %s.  Error "
                               "code: 5" % agent.address}], document["errors"])
            failed[stage] = [s.value for family in text_string_to_metric_families(metrics)
                             for s in family.samples if s.name == "galvetrin_stage_success"]
        self.assertEqual({"objects": [1, 0, 1, 1, 1, 1, 1, 1, 1],
                          "actionConfigs": [1, 1, 1, 1, 1, 1, 1, 0, 1]}, failed)

    def test_router_without_actions_is_asked_for_none_of_their_tables(self):
        for fast in ([], ["-fast"]):
            with BadAgent("good", "%s.72.%s" % (NET, OCTET)) as agent:
                metrics = run(agent.address, "-v2c", "-c", "public", "-metrics", *fast).stdout
            self.assertEqual([], [oid for entry in agent.log for oid in entry["oids"]
                                  if oid.startswith(ACTION_TABLES)], fast)
            self.assertEqual({stage: 1 for stage in STAGES}, {
                s.labels["stage"]: s.value for family in text_string_to_metric_families(metrics)
                for s in family.samples if s.name == "galvetrin_stage_success"})


if __name__ == "__main__":
    unittest.main()
