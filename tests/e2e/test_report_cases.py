"""The report's rules against small simulated routers, one data set per case: request
boundaries of the object walk, names from the three configuration tables, counters, labels,
and hierarchies that are not a clean forest. Each case compares the whole standard output."""

import unittest

import harness
from harness import marked_lines

QOS = "1.3.6.1.4.1.9.9.166.1."


def service_policy(policy, if_index, direction):
    return [QOS + "1.1.1.3.%d|2|%d" % (policy, direction),
            QOS + "1.1.1.4.%d|2|%d" % (policy, if_index)]


def objects(*rows):
    """(policy, object, configIndex, type, parent) rows of the objects table."""
    data = []
    for policy, index, config, kind, parent in rows:
        data += [QOS + "5.1.1.2.%d.%d|66|%d" % (policy, index, config),
                 QOS + "5.1.1.3.%d.%d|2|%d" % (policy, index, kind),
                 QOS + "5.1.1.4.%d.%d|66|%d" % (policy, index, parent)]
    return data


def texts(table, config, name, description, kind=4):
    """A row of a configuration table: 6 policy maps, 7 class maps, 8 match statements.
    kind "4x" takes the texts as hex-encoded octets."""
    return [QOS + "%d.1.1.1.%d|%s|%s" % (table, config, kind, name),
            QOS + "%d.1.1.2.%d|%s|%s" % (table, config, kind, description)]


def match_statement(config, name):
    # cbQosMatchStmtInfo is an INTEGER: its one-digit text is too short to be shown.
    return [QOS + "8.1.1.1.%d|4|%s" % (config, name), QOS + "8.1.1.2.%d|2|1" % config]


def class_stats(policy, index, pre_policy, dropped):
    return [QOS + "15.1.1.2.%d.%d|65|%d" % (policy, index, pre_policy),
            QOS + "15.1.1.13.%d.%d|65|%d" % (policy, index, dropped)]


EMPTY_COUNTERS = " " * 26


class ReportCase:
    """Serves `data` for the test class and compares the tool's whole standard output with the
    service policy lines, flat listing and tree listing the class expects."""

    data = []
    policies = ""
    flat = ""
    tree = ""

    @classmethod
    def setUpClass(cls):
        cls.agent = harness.SimulatedAgent(harness.records(*cls.data))
        cls.agent.start()
        cls.addClassCleanup(cls.agent.stop)

    def test_whole_output(self):
        result = harness.run_tool(harness.ADDRESS, "-v2c", "-c", "public")
        self.assertEqual(harness.report(self.policies, self.flat, self.tree), result.stdout)
        self.assertEqual("", result.stderr)
        self.assertEqual(0, result.returncode)


class NoQosObjects(ReportCase, harness.AgentTestCase):
    data = ["1.3.6.1.2.1.1.5.0|4|no-qos-router"]


class SixObjects(ReportCase, harness.AgentTestCase):
    # Three rows per response: the third request ends the walk at its first group. The
    # class-map names take two requests of four rows.
    data = (objects((1, 1, 1000, 1, 0), *[(1, i, 1000 + i, 2, 1) for i in range(2, 7)])
            + texts(6, 1000, "SIX-CLASSES", "six objects")
            + sum((texts(7, 1000 + i, "CLASS-%d" % i, "") for i in range(2, 7)), []))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)             1000                           SIX-CLASSES (six objects)|
        1           2            1 ClassMap(2)              1002                           CLASS-2 |
        1           3            1 ClassMap(2)              1003                           CLASS-3 |
        1           4            1 ClassMap(2)              1004                           CLASS-4 |
        1           5            1 ClassMap(2)              1005                           CLASS-5 |
        1           6            1 ClassMap(2)              1006                           CLASS-6 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    SIX-CLASSES (six objects) |
  ClassMap(2)                                   CLASS-2 |
  ClassMap(2)                                   CLASS-3 |
  ClassMap(2)                                   CLASS-4 |
  ClassMap(2)                                   CLASS-5 |
  ClassMap(2)                                   CLASS-6 |
""")


class SevenObjects(ReportCase, harness.AgentTestCase):
    # The third response holds row 7 and then a group beyond the column.
    data = (objects((1, 1, 1000, 1, 0), *[(1, i, 1000 + i, 2, 1) for i in range(2, 8)])
            + texts(6, 1000, "SEVEN-CLASSES", "seven objects")
            + sum((texts(7, 1000 + i, "CLASS-%d" % i, "") for i in range(2, 8)), []))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)             1000                           SEVEN-CLASSES (seven objects)|
        1           2            1 ClassMap(2)              1002                           CLASS-2 |
        1           3            1 ClassMap(2)              1003                           CLASS-3 |
        1           4            1 ClassMap(2)              1004                           CLASS-4 |
        1           5            1 ClassMap(2)              1005                           CLASS-5 |
        1           6            1 ClassMap(2)              1006                           CLASS-6 |
        1           7            1 ClassMap(2)              1007                           CLASS-7 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    SEVEN-CLASSES (seven objects) |
  ClassMap(2)                                   CLASS-2 |
  ClassMap(2)                                   CLASS-3 |
  ClassMap(2)                                   CLASS-4 |
  ClassMap(2)                                   CLASS-5 |
  ClassMap(2)                                   CLASS-6 |
  ClassMap(2)                                   CLASS-7 |
""")


class SharedConfigIndex(ReportCase, harness.AgentTestCase):
    # One policy map attached to three interfaces: every instance is named, not only the first.
    data = (sum((service_policy(p, p // 10, 2) for p in (10, 20, 30)), [])
            + objects(*[row for p in (10, 20, 30)
                        for row in ((p, p, 100, 1, 0), (p, p + 1, 200, 2, p),
                                    (p, p + 2, 300, 3, p + 1))])
            + texts(6, 100, "EDGE-OUT", "shared by three interfaces")
            + texts(7, 200, "VOICE", "RTP bearer")
            + match_statement(300, "match ip dscp ef"))
    policies = """\
       10         1 Output
       20         2 Output
       30         3 Output
"""
    flat = marked_lines("""\
       10          10            0 PolicyMap(1)              100                           EDGE-OUT (shared by three interfaces)|
       10          11           10 ClassMap(2)               200                           VOICE (RTP bearer)|
       10          12           11 matchStatement(3)         300                           match ip dscp ef |
       20          20            0 PolicyMap(1)              100                           EDGE-OUT (shared by three interfaces)|
       20          21           20 ClassMap(2)               200                           VOICE (RTP bearer)|
       20          22           21 matchStatement(3)         300                           match ip dscp ef |
       30          30            0 PolicyMap(1)              100                           EDGE-OUT (shared by three interfaces)|
       30          31           30 ClassMap(2)               200                           VOICE (RTP bearer)|
       30          32           31 matchStatement(3)         300                           match ip dscp ef |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    EDGE-OUT (shared by three interfaces) |
  ClassMap(2)                                   VOICE (RTP bearer) |
    matchStatement(3)                           match ip dscp ef |
PolicyMap(1)                                    EDGE-OUT (shared by three interfaces) |
  ClassMap(2)                                   VOICE (RTP bearer) |
    matchStatement(3)                           match ip dscp ef |
PolicyMap(1)                                    EDGE-OUT (shared by three interfaces) |
  ClassMap(2)                                   VOICE (RTP bearer) |
    matchStatement(3)                           match ip dscp ef |
""")


class ConfigIndexInSeveralTables(ReportCase, harness.AgentTestCase):
    # The stages run policy maps, class maps, match statements; the last one that finds an
    # index wins, whatever the object's type. The match statement's one-digit information
    # replaces the class map's description and is too short to show.
    data = (objects((1, 1, 500, 1, 0), (1, 2, 600, 2, 1), (1, 3, 700, 3, 2))
            + texts(6, 500, "PM-500", "policy-map text") + texts(7, 500, "CM-500", "class-map text")
            + texts(7, 600, "CM-600", "class-map 600") + match_statement(600, "MS-600")
            + texts(6, 700, "PM-700", "policy-map 700") + texts(7, 700, "CM-700", "class-map 700")
            + match_statement(700, "MS-700"))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)              500                           CM-500 (class-map text)|
        1           2            1 ClassMap(2)               600                           MS-600 |
        1           3            2 matchStatement(3)         700                           MS-700 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    CM-500 (class-map text) |
  ClassMap(2)                                   MS-600 |
    matchStatement(3)                           MS-700 |
""")


class LargeCounters(ReportCase, harness.AgentTestCase):
    data = (objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 3, 2, 1))
            + class_stats(1, 2, 2147483648, 4294967295) + class_stats(1, 3, 4294967295, 2147483648))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 2    2147483648  4294967295 |
        1           3            1 ClassMap(2)                 3    4294967295  2147483648 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)            2147483648  4294967295 |
  ClassMap(2)            4294967295  2147483648 |
""")


class ZeroPrePolicyCount(ReportCase, harness.AgentTestCase):
    # No pre-policy packets hides the drop count too; drops of 0 are shown beside a count.
    data = (objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 3, 2, 1))
            + class_stats(1, 2, 0, 5) + class_stats(1, 3, 7, 0))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 2                           |
        1           3            1 ClassMap(2)                 3             7           0 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)                                   |
  ClassMap(2)                     7           0 |
""")


class UnknownObjectType(ReportCase, harness.AgentTestCase):
    # "Unknown(10)" has no padding: the rest of its flat row moves 7 columns left, and in the
    # tree it starts in column 0. Its children are still listed.
    data = (objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 42, 10, 2), (1, 4, 43, 3, 3),
                    (1, 5, 44, 0, 2))
            + match_statement(42, "future-action"))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 2                           |
        1           3            2 Unknown(10)         42                           future-action |
        1           4            3 matchStatement(3)          43                           |
        1           5            2 Unknown(0)         44                           |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)                                   |
Unknown(10)                          future-action |
    matchStatement(3)                           |
Unknown(0)                          |
""")


# 300 octets with a NUL among them: all hex, 600 characters, cut to 511.
BINARY_NAME = bytes(range(256)) + bytes(range(44))
LONG_NAME = "L" * 300 + "M" * 300
LONG_DESCRIPTION = "d" * 520


class NameTexts(ReportCase, harness.AgentTestCase):
    data = (objects(*[(1, i, i, 1 if i == 1 else 2, 0 if i == 1 else 1) for i in range(1, 7)])
            + texts(7, 2, b"\x01VOICE".hex(), b"\x00\x7f".hex(), kind="4x")
            + texts(7, 3, b"VOICE\tRTP".hex(), b"tab\tinside".hex(), kind="4x")
            + texts(7, 4, "X", "Y")
            + texts(7, 5, LONG_NAME, LONG_DESCRIPTION)
            + texts(7, 6, BINARY_NAME.hex(), "", kind="4x"))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 2                           01564f494345 (007f)|
        1           3            1 ClassMap(2)                 3                           VOICE\tRTP (tab\tinside)|
        1           4            1 ClassMap(2)                 4                           |
""") + (
        "        1           5            1 ClassMap(2)                 5 " + EMPTY_COUNTERS
        + LONG_NAME[:511] + " (" + LONG_DESCRIPTION[:511] + ")\n"
        "        1           6            1 ClassMap(2)                 6 " + EMPTY_COUNTERS
        + BINARY_NAME.hex()[:511] + " \n")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)                                   01564f494345 (007f) |
  ClassMap(2)                                   VOICE\tRTP (tab\tinside) |
  ClassMap(2)                                   |
""") + (
        "  ClassMap(2)         " + EMPTY_COUNTERS
        + LONG_NAME[:511] + " (" + LONG_DESCRIPTION[:511] + ") \n"
        "  ClassMap(2)         " + EMPTY_COUNTERS + BINARY_NAME.hex()[:511] + " \n")


class MissingParent(ReportCase, harness.AgentTestCase):
    # ORPHAN's parent 99 is in no record, so it and its match statement are never reached.
    data = (objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 3, 2, 99), (1, 4, 4, 3, 3))
            + texts(6, 1, "EDGE", "") + texts(7, 2, "KEPT", "") + texts(7, 3, "ORPHAN", "lost")
            + match_statement(4, "match any") + class_stats(1, 3, 10, 1))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           EDGE |
        1           2            1 ClassMap(2)                 2                           KEPT |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    EDGE |
  ClassMap(2)                                   KEPT |
""")


class QueueingAction(ReportCase, harness.AgentTestCase):
    data = (objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 3, 4, 2), (1, 4, 4, 5, 2))
            + texts(6, 1, "Q-POLICY", "") + texts(7, 2, "BULK", "") + class_stats(1, 2, 1000, 10))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           Q-POLICY |
        1           2            1 ClassMap(2)                 2          1000          10 BULK |
        1           4            2 randomDetect(5)             4                           |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    Q-POLICY |
  ClassMap(2)                  1000          10 BULK |
    queueing(4)                                 |
    randomDetect(5)                             |
""")


class NestedPolicyMap(ReportCase, harness.AgentTestCase):
    # The tree indents by type, not depth: the child policy map starts in column 0.
    data = (objects((1, 1, 1, 1, 0), (1, 2, 1593, 2, 1), (1, 3, 3, 6, 2), (1, 4, 4, 1, 2),
                    (1, 5, 5, 2, 4), (1, 6, 6, 3, 5))
            + texts(6, 1, "PARENT-SHAPER", "") + texts(7, 1593, "class-default", "")
            + texts(6, 4, "CHILD", "") + texts(7, 5, "VOICE", "")
            + match_statement(6, "match ip dscp ef"))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           PARENT-SHAPER |
        1           2            1 ClassMap(2)              1593                           class-default |
        1           3            2 trafficShaping(6)           3                           |
        1           4            2 PolicyMap(1)                4                           CHILD |
        1           5            4 ClassMap(2)                 5                           VOICE |
        1           6            5 matchStatement(3)           6                           match ip dscp ef |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    PARENT-SHAPER |
  ClassMap(2)                                   class-default |
    trafficShaping(6)                           |
PolicyMap(1)                                    CHILD |
  ClassMap(2)                                   VOICE |
    matchStatement(3)                           match ip dscp ef |
""")


class SameObjectIndexInTwoPolicies(ReportCase, harness.AgentTestCase):
    # Children are matched by parent object index alone: both policies' classes are listed
    # under both policy maps, and the match statement of policy 2 under both classes. Each
    # class keeps the counters of its own (policy, object) row.
    data = (objects((1, 1, 1, 1, 0), (1, 2, 3, 2, 1), (2, 1, 2, 1, 0), (2, 2, 4, 2, 1),
                    (2, 3, 5, 3, 2))
            + texts(6, 1, "POLICY-ONE", "") + texts(6, 2, "POLICY-TWO", "")
            + texts(7, 3, "CLASS-ONE", "") + texts(7, 4, "CLASS-TWO", "")
            + match_statement(5, "match any")
            + class_stats(1, 2, 10, 1) + class_stats(2, 2, 20, 2))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           POLICY-ONE |
        1           2            1 ClassMap(2)                 3            10           1 CLASS-ONE |
        2           3            2 matchStatement(3)           5                           match any |
        2           2            1 ClassMap(2)                 4            20           2 CLASS-TWO |
        2           3            2 matchStatement(3)           5                           match any |
        2           1            0 PolicyMap(1)                2                           POLICY-TWO |
        1           2            1 ClassMap(2)                 3            10           1 CLASS-ONE |
        2           3            2 matchStatement(3)           5                           match any |
        2           2            1 ClassMap(2)                 4            20           2 CLASS-TWO |
        2           3            2 matchStatement(3)           5                           match any |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    POLICY-ONE |
  ClassMap(2)                    10           1 CLASS-ONE |
    matchStatement(3)                           match any |
  ClassMap(2)                    20           2 CLASS-TWO |
    matchStatement(3)                           match any |
PolicyMap(1)                                    POLICY-TWO |
  ClassMap(2)                    10           1 CLASS-ONE |
    matchStatement(3)                           match any |
  ClassMap(2)                    20           2 CLASS-TWO |
    matchStatement(3)                           match any |
""")


class ParentLinksThatLoop(ReportCase, harness.AgentTestCase):
    # LOOP-ZERO is top level with object index 0, so every top-level record is also its child;
    # CLASS-A and CLASS-B are each other's parent; SELF is its own. A record already on the
    # path being listed is skipped with its subtree, so the listing ends.
    data = (objects((1, 0, 100, 1, 0), (1, 5, 101, 1, 0), (1, 6, 102, 2, 7), (1, 7, 103, 2, 6),
                    (1, 8, 104, 2, 8), (2, 6, 105, 2, 5), (2, 8, 106, 2, 5))
            + texts(6, 100, "LOOP-ZERO", "") + texts(6, 101, "TOP", "")
            + texts(7, 102, "CLASS-A", "") + texts(7, 103, "CLASS-B", "")
            + texts(7, 104, "SELF", "") + texts(7, 105, "ENTRY-A", "")
            + texts(7, 106, "ENTRY-SELF", ""))
    flat = marked_lines("""\
        1           0            0 PolicyMap(1)              100                           LOOP-ZERO |
        1           5            0 PolicyMap(1)              101                           TOP |
        2           6            5 ClassMap(2)               105                           ENTRY-A |
        1           7            6 ClassMap(2)               103                           CLASS-B |
        1           6            7 ClassMap(2)               102                           CLASS-A |
        2           8            5 ClassMap(2)               106                           ENTRY-SELF |
        1           8            8 ClassMap(2)               104                           SELF |
        1           5            0 PolicyMap(1)              101                           TOP |
        2           6            5 ClassMap(2)               105                           ENTRY-A |
        1           7            6 ClassMap(2)               103                           CLASS-B |
        1           6            7 ClassMap(2)               102                           CLASS-A |
        2           8            5 ClassMap(2)               106                           ENTRY-SELF |
        1           8            8 ClassMap(2)               104                           SELF |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    LOOP-ZERO |
PolicyMap(1)                                    TOP |
  ClassMap(2)                                   ENTRY-A |
  ClassMap(2)                                   CLASS-B |
  ClassMap(2)                                   CLASS-A |
  ClassMap(2)                                   ENTRY-SELF |
  ClassMap(2)                                   SELF |
PolicyMap(1)                                    TOP |
  ClassMap(2)                                   ENTRY-A |
  ClassMap(2)                                   CLASS-B |
  ClassMap(2)                                   CLASS-A |
  ClassMap(2)                                   ENTRY-SELF |
  ClassMap(2)                                   SELF |
""")


if __name__ == "__main__":
    unittest.main()
