#!/usr/bin/python3
"""Writes the class-based QoS tables of a provider edge router as an snmpsim data file.

The router has many customer subinterfaces, each with an output policy (a shaper whose
class-default carries a nested queueing policy) and, on every other one, an input policy
(policing and marking). Policy maps, class maps and match statements come from a shared
catalogue, as on a real router, so many objects share one configuration index; object
indices are unique across the router. Every class has its two Counter32 statistics and the
64-bit ones; every action its configuration and 64-bit statistics, as switches that give only
the 64-bit columns have them. --action-types leaves out the actions of the other types.

    make_router.py --objects 10000 --out router.snmprec [--action-types 4,5,6,7,8]
"""

import argparse
import random

QOS = "1.3.6.1.4.1.9.9.166.1"
SYS_DESCR = "1.3.6.1.2.1.1.1.0|4|galvetrin bench provider edge router"

POLICY_MAP, CLASS_MAP, MATCH_STATEMENT = 1, 2, 3
QUEUEING, RANDOM_DETECT, TRAFFIC_SHAPING, POLICE, SET = 4, 5, 6, 7, 8

# snmprec type codes
INTEGER, OCTET_STRING, COUNTER32, UNSIGNED32, COUNTER64 = 2, 4, 65, 66, 70
IF_NAME = "1.3.6.1.2.1.31.1.1.1.1"

SUBINTERFACE = 2
INPUT, OUTPUT = 1, 2


class Config:
    """One row of a configuration table: the index every object using it carries."""

    def __init__(self, index, name, description):
        self.index, self.name, self.description = index, name, description


class ClassUse:
    """A class map as one policy map uses it: its matches, actions and nested policy."""

    def __init__(self, class_map, matches, actions, child=None):
        self.class_map, self.matches, self.actions, self.child = class_map, matches, actions, child


class PolicyMap:
    def __init__(self, config, classes):
        self.config, self.classes = config, classes


class Catalogue:
    """Every configuration of the router, with disjoint index ranges per table."""

    def __init__(self, rng, customers):
        self.rng = rng
        self.next_index = {"policy": 1_000_000, "class": 2_000_000, "match": 3_000_000,
                           "action": 1_600_000_000}
        self.policy_maps, self.class_maps, self.matches = [], [], []
        self.match_by_text = {}
        self.queueing = self.make_child_policies()
        self.outputs = [self.make_output_policy(rate) for rate in (10, 20, 50, 100, 200, 500)]
        self.inputs = [self.make_input_policy(rate) for rate in (10, 50, 100)]
        # Some customers have a policy of their own, with a class for their application.
        self.customer_policies = [self.make_customer_policy(n) for n in range(customers // 8)]

    def take(self, table):
        self.next_index[table] += self.rng.randint(1, 9)
        return self.next_index[table]

    def match(self, text):
        if text not in self.match_by_text:
            config = Config(self.take("match"), "match " + text, str(self.rng.choice((0, 1))))
            self.match_by_text[text] = config
            self.matches.append(config)
        return self.match_by_text[text]

    def class_map(self, name, description, *match_texts):
        config = Config(self.take("class"), name, description)
        self.class_maps.append(config)
        return config, [self.match(text) for text in match_texts]

    def policy_map(self, name, description, classes):
        config = Config(self.take("policy"), name, description)
        self.policy_maps.append(config)
        return PolicyMap(config, classes)

    def actions(self, *types):
        return [(kind, self.take("action")) for kind in types]

    def use(self, class_and_matches, actions, child=None):
        config, matches = class_and_matches
        return ClassUse(config, matches, actions, child)

    def make_child_policies(self):
        voice = self.class_map("VOICE", "Real-time voice", "dscp ef")
        video = self.class_map("VIDEO", "Interactive video", "dscp af41 af42")
        signalling = self.class_map("SIGNALLING", "Call signalling", "dscp cs3")
        critical = self.class_map("CRITICAL-DATA", "Business applications", "dscp af31",
                                  "access-group name CRITICAL-APPS")
        bulk = self.class_map("BULK-DATA", "", "dscp af11 af12")
        control = self.class_map("NETWORK-CONTROL", "Routing protocols", "dscp cs6")
        self.default = self.class_map("class-default", "", "any")
        default = self.default
        gold = self.policy_map("QOS-OUT-GOLD", "Six classes", [
            self.use(voice, self.actions(QUEUEING, POLICE)),
            self.use(video, self.actions(QUEUEING, RANDOM_DETECT)),
            self.use(signalling, self.actions(QUEUEING)),
            self.use(critical, self.actions(QUEUEING, RANDOM_DETECT)),
            self.use(bulk, self.actions(QUEUEING, RANDOM_DETECT)),
            self.use(control, self.actions(QUEUEING)),
            self.use(default, self.actions(QUEUEING, RANDOM_DETECT)),
        ])
        silver = self.policy_map("QOS-OUT-SILVER", "Voice and data", [
            self.use(voice, self.actions(QUEUEING, POLICE)),
            self.use(critical, self.actions(QUEUEING, RANDOM_DETECT)),
            self.use(default, self.actions(QUEUEING, RANDOM_DETECT)),
        ])
        bronze = self.policy_map("QOS-OUT-BRONZE", "", [
            self.use(bulk, self.actions(QUEUEING, SET)),
            self.use(default, self.actions(QUEUEING, RANDOM_DETECT)),
        ])
        return [gold, silver, bronze]

    def make_output_policy(self, rate):
        # One shaper per rate and queueing child: class-default shapes, the child queues.
        return [self.policy_map("SHAPE-%dM-%s" % (rate, child.config.name[8:]),
                                "Shaped to %d Mbit/s" % rate,
                                [self.use(self.default, self.actions(TRAFFIC_SHAPING), child)])
                for child in self.queueing]

    def make_input_policy(self, rate):
        scavenger = self.class_map("SCAVENGER-IN-%dM" % rate, "", "dscp cs1")
        management = self.class_map("MGMT-IN-%dM" % rate, "Management access",
                                    "access-group name MGMT")
        return self.policy_map("POLICE-IN-%dM" % rate, "Policed to %d Mbit/s" % rate, [
            self.use(scavenger, self.actions(POLICE, SET)),
            self.use(management, self.actions(SET)),
            self.use(self.default, self.actions(POLICE, SET)),
        ])

    def make_customer_policy(self, number):
        application = self.class_map("CUST-%05d-APP" % number, "Customer %d application" % number,
                                     "access-group name CUST-%05d-APP" % number)
        return self.policy_map("CUST-%05d-OUT" % number, "Customer %d contract" % number, [
            self.use(application, self.actions(QUEUEING, POLICE)),
            self.use(self.default, self.actions(QUEUEING, RANDOM_DETECT)),
        ])


class Router:
    """The attached policies and their objects, in the agent's row order."""

    def __init__(self, rng, object_target):
        self.rng = rng
        self.object_target = object_target
        self.services = []  # (policy index, interface index, direction)
        self.objects = []  # (policy index, object index, config index, type, parent)
        self.next_object = 1000
        self.next_policy = 16

    def full(self):
        return len(self.objects) >= self.object_target

    def emit(self, policy, config_index, kind, parent):
        if self.full():
            return None
        self.next_object += self.rng.randint(1, 5)
        self.objects.append((policy, self.next_object, config_index, kind, parent))
        return self.next_object

    def expand(self, policy, policy_map, parent):
        top = self.emit(policy, policy_map.config.index, POLICY_MAP, parent)
        for use in policy_map.classes:
            cls = self.emit(policy, use.class_map.index, CLASS_MAP, top)
            for match in use.matches:
                self.emit(policy, match.index, MATCH_STATEMENT, cls)
            for kind, config_index in use.actions:
                self.emit(policy, config_index, kind, cls)
            if use.child is not None:
                self.expand(policy, use.child, cls)

    def attach(self, policy_map, interface, direction):
        self.next_policy += self.rng.randint(1, 32)
        self.services.append((self.next_policy, interface, direction))
        self.expand(self.next_policy, policy_map, 0)

    def populate(self, catalogue):
        interface = 100
        while not self.full():
            interface += 1
            if catalogue.customer_policies and self.rng.random() < 0.3:
                output = self.rng.choice(catalogue.customer_policies)
            else:
                output = self.rng.choice(self.rng.choice(catalogue.outputs))
            self.attach(output, interface, OUTPUT)
            if interface % 2 == 0 and not self.full():
                self.attach(self.rng.choice(catalogue.inputs), interface, INPUT)


def counter32(rng):
    # A quarter of the classes have seen no traffic; drops are rare and small.
    if rng.random() < 0.25:
        return 0, 0
    packets = rng.randint(1, 4_294_967_295)
    return packets, rng.choice((0, 0, 0, rng.randint(1, 100_000)))


# The columns each action type's tables give, by table: configuration (one row per
# configuration index; WRED's per value too) and statistics (one row per action; WRED's per
# value too). Rates and counts are 64-bit, as Counter64.
ACTION_CONFIGS = {POLICE: [(12, (1, 2, 3, 11, 12, 25, 26))],
                  QUEUEING: [(9, (1, 2, 4, 9, 10, 12, 13))],
                  TRAFFIC_SHAPING: [(13, (1, 2, 3, 6, 7, 11, 12, 13))],
                  RANDOM_DETECT: [(10, (3, 4)), (11, (4, 6, 7, 10, 11))]}
ACTION_STATS = {POLICE: (17, (3, 6, 7, 10, 13, 14, 17, 20, 21, 22, 23, 24)),
                QUEUEING: (18, (1, 2, 5, 8, 9, 10, 11, 12)),
                TRAFFIC_SHAPING: (19, (3, 6, 9, 12, 13, 14)),
                RANDOM_DETECT: (20, (3, 6, 9, 12, 15, 18, 21, 24)),
                SET: (24, (1,))}
PER_VALUE = (11, 20)
RED_VALUES = (10, 12, 14)
SMALL_COLUMNS = {(9, 2), (9, 4), (9, 9), (12, 12), (13, 6), (13, 7), (10, 3), (10, 4),
                 (11, 10), (11, 11), (19, 13)}  # codes and TruthValues


def action_records(add, router, rng):
    configs = set()
    for policy, index, config_index, kind, _ in router.objects:
        for table, columns in ACTION_CONFIGS.get(kind, ()) if config_index not in configs else ():
            for value in RED_VALUES if table in PER_VALUE else (None,):
                row = "%d" % config_index + ("" if value is None else ".%d" % value)
                for column in columns:
                    small = (table, column) in SMALL_COLUMNS
                    add("%s.%d.1.1.%d.%s" % (QOS, table, column, row),
                        INTEGER if small else COUNTER64 if column > 10 else UNSIGNED32,
                        1 if small else rng.randint(1, 4_000_000))
        configs.add(config_index)
        if kind in ACTION_STATS:
            table, columns = ACTION_STATS[kind]
            for value in RED_VALUES if table in PER_VALUE else (None,):
                row = "%d.%d" % (policy, index) + ("" if value is None else ".%d" % value)
                for column in columns:
                    small = (table, column) in SMALL_COLUMNS
                    add("%s.%d.1.1.%d.%s" % (QOS, table, column, row),
                        INTEGER if small else COUNTER64, 1 if small else rng.randint(0, 2**40))


def records(router, catalogue, rng):
    """Every snmprec line, each with its OID as a tuple of numbers for sorting."""
    lines = []

    def add(oid, kind, value):
        lines.append((tuple(int(part) for part in oid.split(".")), "%s|%d|%s" % (oid, kind, value)))

    for interface in sorted({interface for _, interface, _ in router.services}):
        add("%s.%d" % (IF_NAME, interface), OCTET_STRING, "Gi0/0/0.%d" % interface)
    for policy, interface, direction in router.services:
        add("%s.1.1.1.2.%d" % (QOS, policy), INTEGER, SUBINTERFACE)
        add("%s.1.1.1.3.%d" % (QOS, policy), INTEGER, direction)
        add("%s.1.1.1.4.%d" % (QOS, policy), INTEGER, interface)
    for policy, index, config_index, kind, parent in router.objects:
        row = "%d.%d" % (policy, index)
        add("%s.5.1.1.2.%s" % (QOS, row), UNSIGNED32, config_index)
        add("%s.5.1.1.3.%s" % (QOS, row), INTEGER, kind)
        add("%s.5.1.1.4.%s" % (QOS, row), UNSIGNED32, parent)
        if kind == CLASS_MAP:
            pre_policy, dropped = counter32(rng)
            add("%s.15.1.1.2.%s" % (QOS, row), COUNTER32, pre_policy)
            add("%s.15.1.1.13.%s" % (QOS, row), COUNTER32, dropped)
            # The 64-bit columns the documents read, past 2^32 where the 32-bit ones wrapped.
            packets = pre_policy + (index % 3 << 32)
            for column, kind, value in ((3, COUNTER64, packets), (6, COUNTER64, packets * 400),
                                        (7, UNSIGNED32, pre_policy % 1_000_000_000),
                                        (10, COUNTER64, (packets - dropped) * 400),
                                        (11, UNSIGNED32, pre_policy % 900_000_000),
                                        (14, COUNTER64, dropped), (17, COUNTER64, dropped * 400),
                                        (18, UNSIGNED32, dropped % 1_000_000),
                                        (21, COUNTER64, dropped // 10)):
                add("%s.15.1.1.%d.%s" % (QOS, column, row), kind, value)
    action_records(add, router, rng)
    for table, configs, second_type in (("6", catalogue.policy_maps, OCTET_STRING),
                                        ("7", catalogue.class_maps, OCTET_STRING),
                                        ("8", catalogue.matches, INTEGER)):
        for config in configs:
            add("%s.%s.1.1.1.%d" % (QOS, table, config.index), OCTET_STRING, config.name)
            add("%s.%s.1.1.2.%d" % (QOS, table, config.index), second_type, config.description)
    lines.sort()
    return [SYS_DESCR] + [line for _, line in lines]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--objects", type=int, required=True, help="QoS objects to create")
    parser.add_argument("--out", required=True, help="snmprec file to write")
    parser.add_argument("--seed", type=int, default=166)
    parser.add_argument("--action-types", default="4,5,6,7,8",
                        help="the action types the router has (cbQosObjectsType codes)")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    catalogue = Catalogue(rng, customers=args.objects // 20)
    router = Router(rng, args.objects)
    router.populate(catalogue)
    kept = {int(kind) for kind in args.action_types.split(",") if kind}
    router.objects = [obj for obj in router.objects if obj[3] < QUEUEING or obj[3] in kept]
    with open(args.out, "w") as out:
        out.write("\n".join(records(router, catalogue, rng)) + "\n")
    classes = sum(1 for obj in router.objects if obj[3] == CLASS_MAP)
    print("%s: %d objects, %d attached policies, %d classes, %d configurations" % (
        args.out, len(router.objects), len(router.services), classes,
        len(catalogue.policy_maps) + len(catalogue.class_maps) + len(catalogue.matches)))


if __name__ == "__main__":
    main()
