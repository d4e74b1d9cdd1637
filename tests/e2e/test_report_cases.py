"""Small simulated routers whose output depends on the walk and the collection stages: request
boundaries of the object walk, names from the three configuration tables, counters and octet
texts as the agent encodes them. The listing rules alone are unit tests (listing_test)."""

import unittest

import harness
from harness import QOS, WholeReport, marked_lines, records


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


class NoQosObjects(WholeReport, harness.AgentTestCase):
    data = records("1.3.6.1.2.1.1.5.0|4|no-qos-router")


def classes(count):
    """A policy map and count - 1 classes: the object walk takes three rows per request."""
    return (objects((1, 1, 1000, 1, 0), *[(1, i, 1000 + i, 2, 1) for i in range(2, count + 1)])
            + texts(6, 1000, "CLASSES", "one policy map")
            + sum((texts(7, 1000 + i, "CLASS-%d" % i, "") for i in range(2, count + 1)), []))


SEVEN_FLAT = marked_lines("""\
        1           1            0 PolicyMap(1)             1000                           CLASSES (one policy map)|
        1           2            1 ClassMap(2)              1002                           CLASS-2 |
        1           3            1 ClassMap(2)              1003                           CLASS-3 |
        1           4            1 ClassMap(2)              1004                           CLASS-4 |
        1           5            1 ClassMap(2)              1005                           CLASS-5 |
        1           6            1 ClassMap(2)              1006                           CLASS-6 |
        1           7            1 ClassMap(2)              1007                           CLASS-7 |
""").splitlines(keepends=True)
SEVEN_TREE = marked_lines("""\
PolicyMap(1)                                    CLASSES (one policy map) |
  ClassMap(2)                                   CLASS-2 |
  ClassMap(2)                                   CLASS-3 |
  ClassMap(2)                                   CLASS-4 |
  ClassMap(2)                                   CLASS-5 |
  ClassMap(2)                                   CLASS-6 |
  ClassMap(2)                                   CLASS-7 |
""").splitlines(keepends=True)


class SixObjects(WholeReport, harness.AgentTestCase):
    # The third response's first group is already past the column; the class-map names take
    # two requests of four rows.
    data = records(*classes(6))
    flat, tree = "".join(SEVEN_FLAT[:6]), "".join(SEVEN_TREE[:6])


class SevenObjects(WholeReport, harness.AgentTestCase):
    # The third response holds row 7 and then a group beyond the column.
    data = records(*classes(7))
    flat, tree = "".join(SEVEN_FLAT), "".join(SEVEN_TREE)


class SharedConfigIndex(WholeReport, harness.AgentTestCase):
    # One policy map attached to three interfaces: every instance is named, not only the first.
    data = records(
        *[QOS + "1.1.1.%d.%d|2|%d" % (column, p, value) for p in (10, 20, 30)
          for column, value in ((3, 2), (4, p // 10))]
        + objects(*[row for p in (10, 20, 30) for row in (
            (p, p, 100, 1, 0), (p, p + 1, 200, 2, p), (p, p + 2, 300, 3, p + 1))])
        + texts(6, 100, "EDGE-OUT", "shared by three interfaces")
        + texts(7, 200, "VOICE", "RTP bearer") + match_statement(300, "match ip dscp ef"))
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
""") * 3


class ConfigIndexInSeveralTables(WholeReport, harness.AgentTestCase):
    # The stages run policy maps, class maps, match statements; the last one that finds an
    # index wins, whatever the object's type. The match statement's one-digit information
    # replaces the class map's description and is too short to show.
    data = records(
        *objects((1, 1, 500, 1, 0), (1, 2, 600, 2, 1), (1, 3, 700, 3, 2))
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


class LargeCountersOfSameObjectIndex(WholeReport, harness.AgentTestCase):
    # Counter32 values past 2^31 stay unsigned. Object 2 exists in both policies: each keeps
    # the counters of its own (policy, object) row, wherever the descent lists it.
    data = records(
        *objects((1, 1, 1, 1, 0), (1, 2, 3, 2, 1), (2, 1, 2, 1, 0), (2, 2, 4, 2, 1))
        + class_stats(1, 2, 2147483648, 4294967295) + class_stats(2, 2, 4294967295, 2147483648))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 3    2147483648  4294967295 |
        2           2            1 ClassMap(2)                 4    4294967295  2147483648 |
        2           1            0 PolicyMap(1)                2                           |
        1           2            1 ClassMap(2)                 3    2147483648  4294967295 |
        2           2            1 ClassMap(2)                 4    4294967295  2147483648 |
""")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)            2147483648  4294967295 |
  ClassMap(2)            4294967295  2147483648 |
""") * 2


class OctetTexts(WholeReport, harness.AgentTestCase):
    # Under the locale the library's start-up sets, one control character makes the whole
    # text hex; white space such as a tab does not.
    data = records(
        *objects((1, 1, 1, 1, 0), (1, 2, 2, 2, 1), (1, 3, 3, 2, 1))
        + texts(7, 2, b"\x01VOICE".hex(), b"\x00\x7f".hex(), kind="4x")
        + texts(7, 3, b"VOICE\tRTP".hex(), b"tab\tinside".hex(), kind="4x"))
    flat = marked_lines("""\
        1           1            0 PolicyMap(1)                1                           |
        1           2            1 ClassMap(2)                 2                           01564f494345 (007f)|
        1           3            1 ClassMap(2)                 3                           VOICE\tRTP (tab\tinside)|
""")
    tree = marked_lines("""\
PolicyMap(1)                                    |
  ClassMap(2)                                   01564f494345 (007f) |
  ClassMap(2)                                   VOICE\tRTP (tab\tinside) |
""")


if __name__ == "__main__":
    unittest.main()
