"""Recorded walks of real switches (shared fixtures, never copied into the project), served
by snmpsim. The tool's output is checked against what the recordings hold: one control-plane
policy of policy maps, classes, match statements and police actions, and only 64-bit class
counters, so every counter field stays empty."""

import os
import unittest

import harness

REAL = os.path.join(harness.SHARED, "fixtures", "real")

FLAT_LABELS = {1: "PolicyMap(1)", 2: "ClassMap(2)", 3: "matchStatement(3)", 7: "police(7)"}
TREE_LABELS = {1: "PolicyMap(1)          ", 2: "  ClassMap(2)         ",
               3: "    matchStatement(3) ", 7: "    police(7)         "}
EMPTY_COUNTERS = " " * 26
FLAT_COUNTERS = 65  # where the counters start in a flat row


def column(data, table_column):
    """{index: value} of one column; snmpsim strips trailing white space from plain texts."""
    prefix = harness.QOS + table_column + "."
    values = {}
    for line in data:
        oid, _, value = line.split("|", 2)
        if oid.startswith(prefix):
            values[oid[len(prefix):]] = value.rstrip()
    return values


def expected_text(data, config_index):
    """Name and description by the last of the three configuration tables holding the index."""
    text = ("", "")
    for table in ("6", "7", "8"):
        names = column(data, table + ".1.1.1")
        if str(config_index) in names:
            text = (names[str(config_index)],
                    column(data, table + ".1.1.2")[str(config_index)])
    return text


@unittest.skipUnless(os.path.isdir(REAL), "no recorded walks beside the repository")
class RecordedWalk:
    fixture = ""

    @classmethod
    def setUpClass(cls):
        with open(os.path.join(REAL, cls.fixture)) as f:
            cls.data = f.read().splitlines()
        harness.serve(cls, "".join(line + "\n" for line in cls.data))
        cls.result = harness.run_tool(harness.ADDRESS, "-v2c", "-c", "public")
        head, _, tree = cls.result.stdout.partition(harness.REPORT_HEADER)
        flat, _, tree = tree.partition("\n\n")
        cls.head = head
        cls.flat = flat.splitlines()
        cls.tree = tree.splitlines()

    def flat_rows(self):
        """(policy, object, parent, type label, configIndex) of every flat row."""
        return [tuple(row[:FLAT_COUNTERS].split()) for row in self.flat]

    def test_run_and_policy_line(self):
        self.assertEqual(0, self.result.returncode)
        self.assertEqual("", self.result.stderr)
        self.assertEqual(harness.BANNER + harness.POLICY_HEADER + "      225         0 Direction:1\n",
                         self.head)

    def test_every_object_listed_once(self):
        types = column(self.data, "5.1.1.3")
        parents = column(self.data, "5.1.1.4")
        configs = column(self.data, "5.1.1.2")
        recorded = sorted((*index.split("."), parents[index], FLAT_LABELS[int(kind)],
                           configs[index]) for index, kind in types.items())
        self.assertEqual(recorded, sorted(self.flat_rows()))

    def test_empty_counters_and_texts_in_both_listings(self):
        self.assertEqual(len(self.flat), len(self.tree))
        for row, line in zip(self.flat, self.tree):
            _, _, _, label, config = row[:FLAT_COUNTERS].split()
            kind = {v: k for k, v in FLAT_LABELS.items()}[label]
            name, description = expected_text(self.data, config)
            shown_name = name + " " if len(name) >= 2 else ""
            shown_description = "(%s)" % description if len(description) >= 2 else ""
            self.assertEqual(EMPTY_COUNTERS + shown_name + shown_description, row[FLAT_COUNTERS:])
            self.assertEqual(TREE_LABELS[kind] + EMPTY_COUNTERS + shown_name
                             + (shown_description + " " if shown_description else ""), line)
            if kind == 2:
                self.assertTrue(name, row)  # every class map is named

    def test_policy_then_each_class_with_its_actions(self):
        rows = self.flat_rows()
        self.assertEqual(("225", "1", "0", "PolicyMap(1)", "125387201"), rows[0])
        self.assertTrue(self.flat[0].endswith(" system-cpp-policy "))
        classes = [i for i, row in enumerate(rows) if row[3] == "ClassMap(2)"]
        for start, end in zip(classes, classes[1:] + [len(rows)]):
            _, index, parent, _, _ = rows[start]
            self.assertEqual("1", parent)
            members = rows[start + 1:end]
            self.assertTrue(all(row[2] == index for row in members), members)
            labels = [row[3] for row in members]
            police = [] if self.flat[start].endswith(" class-default ") else ["police(7)"]
            self.assertEqual(["matchStatement(3)"] + police, labels, self.flat[start])


class Catalyst9500H(RecordedWalk, harness.AgentTestCase):
    fixture = "c9500h-svl.snmprec"


class Catalyst9400(RecordedWalk, harness.AgentTestCase):
    fixture = "c9400-svl.snmprec"


class Catalyst9500X(RecordedWalk, harness.AgentTestCase):
    fixture = "c9500x-svl.snmprec"


if __name__ == "__main__":
    unittest.main()
